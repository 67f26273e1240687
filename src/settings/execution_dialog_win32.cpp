#include "settings/execution_dialog_win32.h"

#include "settings/settings_outcome.h"
#include "settings/settings_res.h"

namespace hdq {

INT_PTR CustomAdvConfigDialog::Show(HWND owner) { return ShowModal(owner, IDD_CustomAdvConfig); }

bool CustomAdvConfigDialog::OnInit() {
    HWND combo = Item(IDC_cmbVerbosity);
    for (const char* level : {"Normal", "Medium", "High"}) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level));
    }
    // What the fields show until the configuration does, and keep when it cannot be shown.
    ExecutionFields fields;
    SetWindowTextA(combo, "Combo1");
    ExecutionSettings::Load(fields);
    ShowTextFields(fields);
    if (fields.verbosityShown) ShowVerbosity(fields.verbosityIndex);
    return true;
}

void CustomAdvConfigDialog::ShowTextFields(const ExecutionFields& f) {
    SetItemText(IDC_txtMinutes, f.minutes);
    SetItemText(IDC_txtKeepLog_Days, f.keepLogDays);
}

void CustomAdvConfigDialog::ShowVerbosity(int index) {
    SendMessageA(Item(IDC_cmbVerbosity), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

ExecutionFields CustomAdvConfigDialog::ReadFields() const {
    ExecutionFields f;
    f.minutes = ItemText(IDC_txtMinutes);
    f.keepLogDays = ItemText(IDC_txtKeepLog_Days);
    HWND combo = Item(IDC_cmbVerbosity);
    LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        // Typing an item's name into the combo's edit field chooses that item.
        const std::string text = ItemText(IDC_cmbVerbosity);
        index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    }
    f.verbosityIndex = index == CB_ERR ? -1 : static_cast<int>(index);
    return f;
}

void CustomAdvConfigDialog::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDC_btnApply:
    case IDC_btnSave: {
        ExecutionFields f = ReadFields();
        if (id == IDC_btnApply) {
            ExecutionSettings::Apply(f);
        } else {
            ExecutionSettings::Save(f);
        }
        // A rejected field shows the stored value again.
        ShowTextFields(f);
        break;
    }
    case IDC_btnHelp: ShowHelpPage("execution"); break;
    case IDC_btnClose:
    case IDCANCEL: EndModal(IDCANCEL); break;
    case IDC_btnStartup: AddProgramToStartup(hwnd(), startup_); break;
    default: break;
    }
}

}  // namespace hdq
