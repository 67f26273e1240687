#include "settings/settings_context.h"

#include "core/error.h"

namespace hdq {
namespace {
const SettingsContext* g_context = nullptr;
}  // namespace

void SetSettingsContext(const SettingsContext* context) { g_context = context; }

const SettingsContext& SettingsEnv() {
    if (!g_context) throw VrxError(91, "Object variable or With block variable not set");
    return *g_context;
}

bool SaveConfigIfChanged() {
    VRXConfiguration& cfg = SettingsEnv().config;
    if (!cfg.ChangeWasMade()) return true;
    if (!cfg.SaveConfig()) return false;  // the store has logged why
    SettingsEnv().log.LogActivity("Configuration saved to " + cfg.path(), 0);
    return true;
}

}  // namespace hdq
