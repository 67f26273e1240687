#include "settings/settings_outcome.h"

#include "app/globals.h"
#include "app/shared.h"

namespace hdq {

bool ReportApply(bool applied) {
    if (!applied) AppMsgBox().VrxMsgBox("Unable to apply settings", kStyleExclamation);
    return applied;
}

void SaveAndReport() {
    if (!SaveConfigIfChanged()) {
        AppMsgBox().VrxMsgBox("Unable to save configuration", kStyleExclamation);
    } else {
        AppMsgBox().VrxMsgBox("Saved successfully", kStyleInformation);
    }
}

}  // namespace hdq
