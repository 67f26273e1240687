#pragma once
// Entry points of the settings dialogs, shown modally over the main window.
#include <windows.h>

namespace hdq {

void ShowConnectionSettings(HWND owner);   // CustomConfig: "Configuration"
void ShowExecutionSettings(HWND owner);    // CustomAdvConfig: "Settings"

}  // namespace hdq
