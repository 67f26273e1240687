#include "settings/execution_settings.h"

#include <algorithm>
#include <exception>

#include "app/globals.h"
#include "app/shared.h"
#include "settings/settings_outcome.h"
#include "core/error.h"
#include "core/text.h"

namespace hdq {
namespace {
constexpr int kStyleOk = 0;

// The field's number rounded half to even into 16 bits. nullopt: not a number (the operator
// is told and the field reverts). A number out of range raises the overflow error.
std::optional<int> FieldNumber(const std::string& text) {
    if (!IsNumeric(text)) return std::nullopt;
    return ToInt16OrRaise(text);
}

void RejectField(std::string& field, const std::string& key) {
    AppMsgBox().VrxMsgBox("Invalid value provided for '" + key + "'. Will use previous value.", kStyleExclamation,
                          std::string("Validation failed"));
    field = AppConfig().item(key);
}
}  // namespace

bool ExecutionSettings::RefreshFromConfig(ExecutionFields& fields) {
    try {
        VRXConfiguration& config = AppConfig();
        fields.minutes = config.item("MINUTES_AFTER_HOUR");
        const std::string level = config.item("VERBOSITY");
        auto index = ToInt16(level);
        if (!index || *index < -1 || *index >= kVerbosityItemCount) return false;
        fields.verbosityIndex = *index;
        fields.verbosityShown = true;
        fields.keepLogDays = config.item("KEEP_LOGS_FOR");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ExecutionSettings::Load(ExecutionFields& fields) {
    AppConfig().ReadConfig();
    if (!RefreshFromConfig(fields)) AppMsgBox().VrxMsgBox("Failed to refresh UI from CONFIG", kStyleOk);
}

bool ExecutionSettings::ApplySettings(ExecutionFields& fields) {
    try {
        VRXConfiguration& config = AppConfig();
        if (auto minutes = FieldNumber(fields.minutes)) {
            config.setItem("MINUTES_AFTER_HOUR", std::to_string(std::clamp(*minutes, 0, 59)));
        } else {
            RejectField(fields.minutes, "MINUTES_AFTER_HOUR");
        }
        if (auto days = FieldNumber(fields.keepLogDays)) {
            config.setItem("KEEP_LOGS_FOR", std::to_string(std::max(*days, 1)));
        } else {
            RejectField(fields.keepLogDays, "KEEP_LOGS_FOR");
        }
        config.setItem("VERBOSITY", std::to_string(fields.verbosityIndex));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ExecutionSettings::Apply(ExecutionFields& fields) { ReportApply(ApplySettings(fields)); }

void ExecutionSettings::Save(ExecutionFields& fields) {
    if (!ReportApply(ApplySettings(fields))) return;
    SaveAndReport();
}

void ExecutionSettings::Help() {
    bool shown = false;
    try {
        OpenHelpTopic(AppConfig().item("HELPTOPIC"));
        shown = true;
    } catch (const std::exception&) {
    }
    if (!shown) AppMsgBox().VrxMsgBox("Unable to display help", kStyleExclamation);
}

}  // namespace hdq
