#pragma once
// CommonFileBrowser: picks a folder, and optionally a file in it, from a drive list, a
// directory list (the path's levels, then its subfolders; double-click or Enter opens one) and
// a file list filtered by the chosen pattern. Results go to the FileBrowserState.
#include <string>
#include <vector>
#include "win32/dialog_win32.h"
#include "win32/win32_handles.h"
#include "settings/file_browser.h"

namespace hdq {

class FileBrowserDialog : public win::Dialog {
public:
    explicit FileBrowserDialog(FileBrowserState& state) : state_(state) {}
    // Modal, with the caller's title as caption.
    INT_PTR Show(HWND owner, const std::string& title);
    void SetTitle(const std::string& title) { title_ = title; }

    // Public for tests.
    bool ChangeDirectory(const std::string& folder);  // false when it cannot be listed
    void ChangeDrive(const std::string& drive);       // "c:"
    void ChooseFileType(int index);
    const std::string& Directory() const { return directory_; }
    std::vector<std::string> Files() const;
    void Save();
    void Cancel();

protected:
    bool OnInit() override;
    std::string HelpPage() const override { return "connection"; }
    void OnCommand(int id, int notifyCode, HWND ctl) override;

private:
    void Load();
    void FillDrives();
    void SelectDrive(const std::string& drive);
    std::string SelectedDrive() const;
    void ChangeDirectoryQuietly(const std::string& folder);
    void RefreshFiles();
    void OpenSelectedDirectory();
    void MakeLabelsBold();

    FileBrowserState& state_;
    std::string title_;
    std::string directory_;
    std::string pattern_ = "*.*";
    std::string currentDrive_;
    std::vector<std::string> dirPaths_;  // full path of each line of lstDir
    win::UniqueFont boldFont_;
};

}  // namespace hdq
