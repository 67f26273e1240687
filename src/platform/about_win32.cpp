#include "platform/about_win32.h"

#include <shellapi.h>

#include "platform/platform_res.h"

namespace hdq::win {
namespace {
constexpr const char* kHomePage = "https://www.pelomark.example/";
constexpr const char* kProductPage = "https://www.pelomark.example/histdata";
}  // namespace

void FrmAbout::Show(HWND owner) {
    if (!hwnd()) {
        CreateModeless(owner, IDD_frmAbout, true);
        return;
    }
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

bool FrmAbout::OnInit() {
    HWND list = Item(IDC_lstAbout);
    // Two tab stops line the values up after the longest label ("Description:").
    INT stops[] = {28, 56};
    SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    const AppProperties& app = app_;
    const std::string lines[] = {
        "Product:\t\t" + app.title,
        "Version:\t\t" + app.VersionText(),
        "Build:\t\t" + app.build + " (Application)  10 (Type) 27 (Platform)",
        "Description:\t" + app.comments,
    };
    for (const std::string& line : lines) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    return true;
}

void FrmAbout::OnCommand(int id, int notifyCode, HWND) {
    switch (id) {
    case IDC_btnExit:
    case IDCANCEL:
        ShowWindow(hwnd(), SW_HIDE);
        break;
    case IDC_lblCopyright:
        if (notifyCode == STN_CLICKED) Open(kHomePage);
        break;
    case IDC_lblMeetOnline:
        // The fixed address, never the label's text: whatever a label says, ShellExecute
        // would run it, a program path included.
        if (notifyCode == STN_CLICKED) Open(kProductPage);
        break;
    default:
        break;
    }
}

void FrmAbout::Open(const std::string& address) {
    ShellExecuteA(hwnd(), "open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace hdq::win
