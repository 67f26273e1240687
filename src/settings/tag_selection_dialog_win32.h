#pragma once
// frmSelectTags: the tag selection dialog over a TagSelection. The selection (lists and
// table references) outlives the window, so each showing starts from where the last "OK"
// or Init left the lists.
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

private:
    void FillList(int id, const std::vector<std::string>& items, size_t from);
    std::vector<int> SelectedIndices(int id) const;

    TagSelection& selection_;
};

}  // namespace hdq
