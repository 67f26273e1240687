#include "app/manualrun_win32.h"

#include "app/resource.h"

namespace hdq::win {

void ManualRunDialog::Show(HWND owner) { ShowModal(owner, IDD_CommonManualRun); }

bool ManualRunDialog::OnInit() {
    answer_.Load();
    SetItemText(IDC_txtStartDate, answer_.StartText());
    SetItemText(IDC_txtEndDate, answer_.EndText());
    return true;
}

void ManualRunDialog::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDC_btnRun:
        answer_.Run(ItemText(IDC_txtStartDate), ItemText(IDC_txtEndDate));
        EndModal(CommonManualRun::kRun);
        break;
    case IDC_btnClose:
    case IDCANCEL:  // Esc
        answer_.Close();
        EndModal(CommonManualRun::kClose);
        break;
    default:
        break;
    }
}

// The close box answers like Close, so an earlier Run's dates cannot start an export.
bool ManualRunDialog::OnClose() {
    answer_.Close();
    EndModal(CommonManualRun::kClose);
    return true;
}

}  // namespace hdq::win
