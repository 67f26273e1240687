#include "app/manualrun_win32.h"

#include "app/resource.h"
#include "app/shared.h"
#include "app/startup.h"

namespace hdq::win {

void ManualRunDialog::Show(HWND owner) { ShowModal(owner, IDD_CommonManualRun); }

bool ManualRunDialog::OnInit() {
    answer_.Load();
    SetItemText(IDC_txtStartDate, answer_.StartText());
    SetItemText(IDC_txtEndDate, answer_.EndText());
    const std::string form = "(" + answer_.Form() + ")";
    SetItemText(IDC_lblStartForm, form);
    SetItemText(IDC_lblEndForm, form);
    ShowRange();
    return true;
}

void ManualRunDialog::ShowRange() {
    SetItemText(IDC_lblHours, answer_.RangeText(ItemText(IDC_txtStartDate), ItemText(IDC_txtEndDate)));
}

bool ManualRunDialog::RangeConfirmed() {
    const long hours = answer_.Hours();
    if (hours <= CommonManualRun::kConfirmAbove) return true;
    const std::string prompt = "Export " + std::to_string(hours) + " hours, from " + FormatGeneral(answer_.StartDate()) +
                               " to " + FormatGeneral(answer_.EndDate()) +
                               "? HistData will be busy with them for a long time.";
    constexpr int32_t kYesNoQuestion = 4 + 32, kYes = 6;
    return AppMsgBox().VrxMsgBox(prompt, kYesNoQuestion, App().title) == kYes;
}

void ManualRunDialog::OnCommand(int id, int notifyCode, HWND) {
    switch (id) {
    case IDC_txtStartDate:
    case IDC_txtEndDate:
        if (notifyCode == EN_CHANGE) ShowRange();
        break;
    case IDC_btnRun:
        answer_.Run(ItemText(IDC_txtStartDate), ItemText(IDC_txtEndDate));
        if (!RangeConfirmed()) {
            answer_.Close();  // the dialog stays for a shorter range
            break;
        }
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
