#pragma once
// CustomAdvConfig ("Settings"): the execution settings dialog and "Add to Startup Folder".
#include "win32/dialog_win32.h"
#include "settings/execution_settings.h"

namespace hdq {

class CustomAdvConfigDialog : public win::Dialog {
public:
    INT_PTR Show(HWND owner);

protected:
    bool OnInit() override;
    void OnCommand(int id, int notifyCode, HWND ctl) override;

private:
    ExecutionFields ReadFields() const;
    void ShowTextFields(const ExecutionFields& fields);
    void ShowVerbosity(int index);
};

}  // namespace hdq
