#pragma once
// frmSelectTags: the tag selection dialog over a TagSelection. The selection (lists and
// table references) outlives the window, so each showing starts from where the last "OK"
// or Init left the lists. Both list boxes are owner-data: they hold only a count, and each
// visible row is drawn from the selection, so narrowing 50,000 tags costs no string copies.
#include "win32/dialog_win32.h"
#include "settings/tag_selection.h"

namespace hdq {

class SelectTagsDialog : public win::Dialog {
public:
    explicit SelectTagsDialog(TagSelection& selection) : selection_(selection) {}
    INT_PTR Show(HWND owner);

    // The buttons, public so tests can press them without a mouse.
    void AddSelectedTags();
    void AddAllTags();
    void RemoveSelectedTags();
    void RemoveAllTags();
    void Ok();

protected:
    bool OnInit() override;
    void OnCommand(int id, int notifyCode, HWND ctl) override;
    bool OnClose() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;

private:
    // Sets the list's row count with drawing held off, all rows unselected and the first on top.
    void ShowRows(int id, size_t count);
    void ShowShownTags();
    void ShowChosenTags();
    void SetScrollExtent();
    void DrawRow(const DRAWITEMSTRUCT& item) const;
    std::vector<int> SelectedIndices(int id) const;

    TagSelection& selection_;
};

}  // namespace hdq
