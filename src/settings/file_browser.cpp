#include "settings/file_browser.h"

#include "core/text.h"

namespace hdq {

void FileBrowserState::Init() {
    fileTypes_.clear();
    NewFile.clear();
    OldFile.clear();
}

void FileBrowserState::BeginShow() {
    NewFolder.clear();
    Response = kBrowserClosed;
}

void FileBrowserState::Save(const std::string& selectedFolderText, const std::string& selectedFile) {
    // An empty box (the start was a file, or a folder that could not be opened) would blank
    // the caller's field: the field keeps its value, as after Cancel.
    if (Trim(selectedFolderText).empty()) {
        Cancel();
        return;
    }
    NewFolder = selectedFolderText;
    NewFile = selectedFile;
    Response = kBrowserSaved;
}

void FileBrowserState::Cancel() {
    NewFolder = OldFolder;
    NewFile = OldFile;
    Response = kBrowserCancelled;
}

std::string BrowserStartPath(const std::string& oldFolder) {
    std::string path = oldFolder;
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool IsDriveLetterPath(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

}  // namespace hdq
