#pragma once
// frmSelectTags: the tag selection dialog over a TagSelection. The selection (lists and
// table references) outlives the window, so each showing starts from where the last "OK"
// or Init left the lists. The lists are plain list boxes holding the names, refilled with
// drawing held off: fast enough for 50,000 tags per keystroke, and their rows stay readable by
// screen readers, type-to-search and other programs (LB_GETTEXT).
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
    std::string HelpPage() const override { return "connection"; }
    void OnCommand(int id, int notifyCode, HWND ctl) override;
    bool OnClose() override;

private:
    // Refills the list with the names, drawing held off, all rows unselected and the first on top.
    template <typename NameAt>
    void ShowRows(int id, size_t count, NameAt nameAt);
    void ShowShownTags();
    void ShowChosenTags();
    void SetScrollExtent();
    std::vector<int> SelectedIndices(int id) const;

    TagSelection& selection_;
};

}  // namespace hdq
