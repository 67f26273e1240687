#include "settings/settings_outcome.h"
#include "settings/settings_context.h"


namespace hdq {

bool ReportApply(const std::string& failure) {
    if (!failure.empty()) SettingsEnv().msgBox.VrxMsgBox(failure, kStyleExclamation);
    return failure.empty();
}

void SaveAndReport() {
    if (!SaveConfigIfChanged()) {
        SettingsEnv().msgBox.VrxMsgBox("Unable to save configuration", kStyleExclamation);
    } else {
        SettingsEnv().msgBox.VrxMsgBox("Saved successfully", kStyleInformation);
    }
}

void ShowHelpPage(const std::string& topic) {
    if (!SettingsEnv().openHelp || !SettingsEnv().openHelp(topic)) SettingsEnv().msgBox.VrxMsgBox("Unable to display help", kStyleExclamation);
}

}  // namespace hdq
