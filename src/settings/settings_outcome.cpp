#include "settings/settings_outcome.h"
#include "settings/settings_context.h"


namespace hdq {

bool ReportApply(const std::string& failure) {
    if (!failure.empty()) Settings().msgBox.VrxMsgBox(failure, kStyleExclamation);
    return failure.empty();
}

void SaveAndReport() {
    if (!SaveConfigIfChanged()) {
        Settings().msgBox.VrxMsgBox("Unable to save configuration", kStyleExclamation);
    } else {
        Settings().msgBox.VrxMsgBox("Saved successfully", kStyleInformation);
    }
}

void ShowHelpPage(const std::string& topic) {
    if (!Settings().openHelp || !Settings().openHelp(topic)) Settings().msgBox.VrxMsgBox("Unable to display help", kStyleExclamation);
}

}  // namespace hdq
