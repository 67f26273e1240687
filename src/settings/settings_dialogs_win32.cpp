// The main window's two settings buttons. Each dialog object, with its tag tables, lives for
// one showing.
#include "settings/settings_dialogs.h"

#include "settings/connection_dialog_win32.h"
#include "settings/execution_dialog_win32.h"

namespace hdq {

void ShowConnectionSettings(HWND owner) {
    CustomConfigDialog dialog;
    dialog.Show(owner);
}

void ShowExecutionSettings(HWND owner) {
    ShellStartupFolders startup;
    CustomAdvConfigDialog dialog(startup);
    dialog.Show(owner);
}

}  // namespace hdq
