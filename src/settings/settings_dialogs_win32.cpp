// Placeholder until the settings dialogs exist.
#include "settings/settings_dialogs.h"

namespace hdq {

void ShowConnectionSettings(HWND owner) {
    MessageBoxA(owner, "The connection settings dialog is not available in this build.", "Configuration", MB_OK);
}
void ShowExecutionSettings(HWND owner) {
    MessageBoxA(owner, "The execution settings dialog is not available in this build.", "Settings", MB_OK);
}

}  // namespace hdq
