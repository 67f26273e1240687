#pragma once
// CommonFileBrowser's public fields and its path rules, apart from the dialog that shows the
// drive, directory and file lists. The caller fills OldFolder and the file types, shows the
// dialog, and reads Response, NewFile and NewFolder once it has closed.
#include <cstdint>
#include <string>
#include <vector>

namespace hdq {

enum BrowserResponse : int32_t { kBrowserClosed = 0, kBrowserSaved = 1, kBrowserCancelled = 2 };

struct FileBrowserState {
    std::string OldFolder;
    std::string OldFile;
    std::string NewFolder;
    std::string NewFile;
    int32_t Response = kBrowserClosed;

    // Empties the file-type list and forgets both file names; the folders stay.
    void Init();
    void SetFileType(const std::string& pattern) { fileTypes_.push_back(pattern); }
    const std::vector<std::string>& FileTypes() const { return fileTypes_; }
    int LastFileTypeIndex() const { return static_cast<int>(fileTypes_.size()) - 1; }

    // The dialog's load: NewFolder cleared, Response 0 until Save or Cancel.
    void BeginShow();
    // With a blank "Selected Folder" box this answers as Cancel does.
    void Save(const std::string& selectedFolderText, const std::string& selectedFile);
    void Cancel();

private:
    std::vector<std::string> fileTypes_;
};

// OldFolder with one trailing backslash dropped (so "C:\" is read as the drive "C:").
std::string BrowserStartPath(const std::string& oldFolder);
// True when the second character is a colon: only such paths drive the lists; anything
// else (empty, a network path) just goes into the "Selected Folder" box.
bool IsDriveLetterPath(const std::string& path);

}  // namespace hdq
