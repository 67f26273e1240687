#pragma once
// The "Manual Run" dialog over CommonManualRun.
#include <windows.h>

#include <string>
#include "app/manualrun.h"
#include "win32/dialog_win32.h"

namespace hdq::win {

class ManualRunDialog : public Dialog {
public:
    explicit ManualRunDialog(CommonManualRun& answer) : answer_(answer) {}
    // Modal over owner; the answer holds the result and the dates afterwards.
    void Show(HWND owner);

protected:
    bool OnInit() override;
    std::string HelpPage() const override { return "manual"; }
    void OnCommand(int id, int notifyCode, HWND ctl) override;
    bool OnClose() override;

private:
    void ShowRange();
    // True when the range is a week or less, or the operator confirms the longer one.
    bool RangeConfirmed();

    CommonManualRun& answer_;
};

}  // namespace hdq::win
