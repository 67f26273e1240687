#pragma once
// CustomAdvConfig ("Settings"): the execution settings dialog and "Add to Startup Folder".
#include "win32/dialog_win32.h"
#include "settings/execution_settings.h"
#include "settings/shelllink_win32.h"

namespace hdq {

class CustomAdvConfigDialog : public win::Dialog {
public:
    explicit CustomAdvConfigDialog(const StartupFolders& startup) : startup_(startup) {}
    INT_PTR Show(HWND owner);

protected:
    bool OnInit() override;
    std::string HelpPage() const override { return "execution"; }
    void OnCommand(int id, int notifyCode, HWND ctl) override;

private:
    ExecutionFields ReadFields() const;
    void ShowTextFields(const ExecutionFields& fields);
    void ShowVerbosity(int index);

    const StartupFolders& startup_;
};

}  // namespace hdq
