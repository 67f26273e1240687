#pragma once
// frmAbout: the program's identity, version and the maker's links. Modeless; Exit only hides
// it, so it is made once and its lines are written once.
#include <windows.h>
#include "core/app_properties.h"
#include "win32/dialog_win32.h"

namespace hdq::win {

class FrmAbout : public Dialog {
public:
    explicit FrmAbout(AppProperties app) : app_(std::move(app)) {}
    ~FrmAbout() override { Destroy(); }
    void Show(HWND owner);  // creates it on first use, then shows and brings it forward

protected:
    bool OnInit() override;
    void OnCommand(int id, int notifyCode, HWND ctl) override;

private:
    void Open(const std::string& address);

    AppProperties app_;
};

}  // namespace hdq::win
