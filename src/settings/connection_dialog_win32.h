#pragma once
// CustomConfig ("Configuration"): the connection settings dialog. Its tag tables and the tag
// selection it hands them to live as long as the dialog object.
#include <string>
#include "win32/dialog_win32.h"
#include "settings/connection_settings.h"
#include "settings/file_browser.h"
#include "settings/tag_selection.h"

namespace hdq {

class CustomConfigDialog : public win::Dialog {
public:
    INT_PTR Show(HWND owner);

    ConnectionSettings& Settings() { return settings_; }
    TagSelection& Selection() { return selection_; }

protected:
    bool OnInit() override;
    std::string HelpPage() const override { return "connection"; }
    void OnCommand(int id, int notifyCode, HWND ctl) override;

private:
    ConnectionFields ReadFields() const;
    void ShowFields(const ConnectionFields& fields);
    void SetProcessAllTags(bool on);
    void CheckTagnameFile();
    void InitTagSelection();
    void BrowseFolder(int fieldId, const std::string& title, const std::string& logPrefix);
    void BrowseTagnameFile();
    // Shows the browser; returns its Response, with the chosen folder and file.
    int BrowseForPath(const std::string& folder, const std::string& title, std::string& newFolder,
                      std::string& newFile);
    void AddTooltips();

    ConnectionSettings settings_;
    TagSelection selection_;
    FileBrowserState browser_;
    bool refreshing_ = false;
};

}  // namespace hdq
