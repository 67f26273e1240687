#include "settings/tag_selection_dialog_win32.h"

#include <algorithm>
#include <exception>

#include "win32/win32_handles.h"
#include "settings/settings_res.h"
#include "settings/settings_context.h"

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

// Holds a list's drawing off while it changes; it is drawn once, afterwards.
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

// A device context of a window, released with it.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

constexpr int kTextMargin = 2;  // pixels left of the text in a row
}  // namespace

INT_PTR SelectTagsDialog::Show(HWND owner) { return ShowModal(owner, IDD_frmSelectTags); }

bool SelectTagsDialog::OnInit() {
    // Owner-drawn rows are as high as the dialog's font, as plain list rows would be.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    {
        WindowDC dc(hwnd());
        HGDIOBJ old = SelectObject(dc.get(), font);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc.get(), &tm);
        SelectObject(dc.get(), old);
        for (int id : {IDC_lstAllTags, IDC_lstFilterTags}) {
            SendMessageA(Item(id), LB_SETITEMHEIGHT, 0, MAKELPARAM(tm.tmHeight, 0));
        }
    }
    selection_.SetFilterText(std::string());  // the filter box opens empty
    SetScrollExtent();
    ShowShownTags();
    ShowChosenTags();
    return true;
}

void SelectTagsDialog::SetScrollExtent() {
    // One extent for both lists, from the widest name either can show, so no name is cut.
    WindowDC dc(hwnd());
    HGDIOBJ old = SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const auto* tags : {&selection_.AllTags(), &selection_.FilterTags()}) {
        for (const std::string& tag : *tags) {
            SIZE size{};
            if (GetTextExtentPoint32A(dc.get(), tag.c_str(), static_cast<int>(tag.size()), &size)) {
                widest = std::max(widest, static_cast<int>(size.cx));
            }
        }
    }
    SelectObject(dc.get(), old);
    for (int id : {IDC_lstAllTags, IDC_lstFilterTags}) {
        SendMessageA(Item(id), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 2 * kTextMargin), 0);
    }
}

template <typename NameAt>
void SelectTagsDialog::ShowRows(int id, size_t count, NameAt nameAt) {
    HWND list = Item(id);
    RedrawOff quiet(list);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    // One allocation for all the rows instead of one per row.
    SendMessageA(list, LB_INITSTORAGE, count, static_cast<LPARAM>(count * 16));
    for (size_t i = 0; i < count; ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(nameAt(i).c_str()));
    }
}

void SelectTagsDialog::ShowShownTags() {
    ShowRows(IDC_lstAllTags, selection_.ShownCount(), [&](size_t i) -> const std::string& { return selection_.ShownTag(i); });
}

void SelectTagsDialog::ShowChosenTags() {
    const auto& chosen = selection_.FilterTags();
    ShowRows(IDC_lstFilterTags, chosen.size(), [&](size_t i) -> const std::string& { return chosen[i]; });
    SetItemText(IDC_lblChosen, ChosenCountText(chosen.size()));
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
    if (selection_.AddSelected(picked) > 0) ShowChosenTags();
}

void SelectTagsDialog::AddAllTags() {
    WaitCursor wait;
    try {
        selection_.AddAll();
    } catch (const std::exception& e) {
        SettingsEnv().log.LogActivity(std::string("ERROR: AddAllTagsToFilterList ") + e.what(), 0);
    }
    // Whatever was added before a failure stays, so the list shows it too.
    ShowChosenTags();
}

void SelectTagsDialog::RemoveSelectedTags() {
    std::vector<int> picked = SelectedIndices(IDC_lstFilterTags);
    if (picked.empty()) return;
    selection_.RemoveSelected(picked);
    ShowChosenTags();
}

void SelectTagsDialog::RemoveAllTags() {
    selection_.RemoveAll();
    ShowChosenTags();
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
    case IDC_btnSave:
        // Enter in the filter box (the default button's command with the box focused) does
        // not close the picker over a half-typed filter: the filter already applies as typed,
        // so Enter takes the operator to the tags it left.
        if (GetFocus() == Item(IDC_txtFilter)) {
            SetFocus(Item(IDC_lstAllTags));
            break;
        }
        Ok();
        break;
    case IDC_lstAllTags:
        if (notifyCode == LBN_DBLCLK) AddSelectedTags();
        break;
    case IDC_txtFilter:
        if (notifyCode == EN_CHANGE) {
            selection_.SetFilterText(ItemText(IDC_txtFilter));
            ShowShownTags();
        }
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
