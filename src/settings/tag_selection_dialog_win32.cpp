#include "settings/tag_selection_dialog_win32.h"

#include <exception>

#include "app/globals.h"
#include "settings/settings_res.h"

namespace hdq {
namespace {
// Shows the hourglass while a long list operation runs.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// Redrawing after each of tens of thousands of appends would take seconds.
class RedrawOff {
public:
    explicit RedrawOff(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff() {
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND list_;
};
}  // namespace

INT_PTR SelectTagsDialog::Show(HWND owner) { return ShowModal(owner, IDD_frmSelectTags); }

bool SelectTagsDialog::OnInit() {
    FillList(IDC_lstAllTags, selection_.AllTags(), 0);
    FillList(IDC_lstFilterTags, selection_.FilterTags(), 0);
    return true;
}

void SelectTagsDialog::FillList(int id, const std::vector<std::string>& items, size_t from) {
    HWND list = Item(id);
    RedrawOff quiet(list);
    if (from == 0) SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, items.size() - from, (items.size() - from) * 16);
    for (size_t i = from; i < items.size(); ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
    }
}

std::vector<int> SelectTagsDialog::SelectedIndices(int id) const {
    HWND list = Item(id);
    LRESULT n = SendMessageA(list, LB_GETSELCOUNT, 0, 0);
    std::vector<int> picked(n > 0 ? static_cast<size_t>(n) : 0);
    if (n > 0) SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(picked.data()));
    return picked;
}

void SelectTagsDialog::AddSelectedTags() {
    std::vector<int> picked = SelectedIndices(IDC_lstAllTags);
    if (picked.empty()) return;
    size_t before = selection_.FilterTags().size();
    if (selection_.AddSelected(picked) > 0) FillList(IDC_lstFilterTags, selection_.FilterTags(), before);
}

void SelectTagsDialog::AddAllTags() {
    WaitCursor wait;
    size_t before = selection_.FilterTags().size();
    try {
        selection_.AddAll();
    } catch (const std::exception& e) {
        LogActivity(std::string("ERROR: AddAllTagsToFilterList ") + e.what(), 0);
    }
    // Whatever was added before a failure stays, so the list shows it too.
    FillList(IDC_lstFilterTags, selection_.FilterTags(), before);
}

void SelectTagsDialog::RemoveSelectedTags() {
    std::vector<int> picked = SelectedIndices(IDC_lstFilterTags);
    if (picked.empty()) return;
    selection_.RemoveSelected(picked);
    HWND list = Item(IDC_lstFilterTags);
    RedrawOff quiet(list);
    // Backwards, so the positions still to delete stay valid.
    for (auto it = picked.rbegin(); it != picked.rend(); ++it) SendMessageA(list, LB_DELETESTRING, *it, 0);
}

void SelectTagsDialog::RemoveAllTags() {
    selection_.RemoveAll();
    SendMessageA(Item(IDC_lstFilterTags), LB_RESETCONTENT, 0, 0);
}

void SelectTagsDialog::Ok() {
    selection_.Commit();
    EndModal(IDOK);
}

void SelectTagsDialog::OnCommand(int id, int notifyCode, HWND) {
    switch (id) {
    case IDC_btnAddTag: AddSelectedTags(); break;
    case IDC_Command1: RemoveSelectedTags(); break;
    case IDC_btnAddAll: AddAllTags(); break;
    case IDC_btnRemoveAll: RemoveAllTags(); break;
    case IDC_btnSave: Ok(); break;
    case IDC_lstAllTags:
        if (notifyCode == LBN_DBLCLK) AddSelectedTags();
        break;
    case IDCANCEL: OnClose(); break;  // Escape: as the close box
    default: break;
    }
}

bool SelectTagsDialog::OnClose() {
    // Closing without "OK" drops the changes made in the lists since the last "OK".
    selection_.Revert();
    EndModal(IDCANCEL);
    return true;
}

}  // namespace hdq
