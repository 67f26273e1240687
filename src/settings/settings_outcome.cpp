#include "settings/settings_outcome.h"

#include "app/globals.h"
#include "app/shared.h"

namespace hdq {

bool ReportApply(const std::string& failure) {
    if (!failure.empty()) AppMsgBox().VrxMsgBox(failure, kStyleExclamation);
    return failure.empty();
}

void SaveAndReport() {
    if (!SaveConfigIfChanged()) {
        AppMsgBox().VrxMsgBox("Unable to save configuration", kStyleExclamation);
    } else {
        AppMsgBox().VrxMsgBox("Saved successfully", kStyleInformation);
    }
}

void ShowHelpPage(const std::string& topic) {
    if (!OpenHelpTopic(topic)) AppMsgBox().VrxMsgBox("Unable to display help", kStyleExclamation);
}

}  // namespace hdq
