#include "settings/file_browser_dialog_win32.h"

#include <algorithm>
#include <exception>

#include "core/error.h"
#include "core/files.h"
#include "settings/settings_res.h"
#include "settings/settings_context.h"

namespace hdq {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return fsys::WithBackslash(folder) + name;
}

// The full path a drive-relative or relative path stands for ("c:" is c:'s current folder).
std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 2] = {};
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return std::string();
    std::string full(buffer, n);
    if (full.size() > 3 && full.back() == '\\') full.pop_back();
    return full;
}

bool IsFolder(const std::string& path, DWORD* error) {
    DWORD attributes = GetFileAttributesA(fsys::WithBackslash(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (error) *error = GetLastError();
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (error) *error = ERROR_DIRECTORY;
        return false;
    }
    return true;
}

// Anything at all matches the path (directories included), as a directory search would.
bool ListingFindsAnything(const std::string& path) {
    if (path.size() == 2 && path[1] == ':') return IsFolder(path + "\\", nullptr);
    WIN32_FIND_DATAA data;
    win::UniqueFind find(FindFirstFileA(path.c_str(), &data));
    return static_cast<bool>(find);
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH * 2] = {};
    DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::vector<std::string> Subfolders(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    win::UniqueFind find(FindFirstFileA(Join(folder, "*").c_str(), &data));
    if (!find) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        names.push_back(name);
    } while (FindNextFileA(find.get(), &data));
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

bool IsDeviceUnavailable(DWORD error) {
    return error == ERROR_NOT_READY || error == ERROR_INVALID_DRIVE || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_BAD_NETPATH || error == ERROR_DEV_NOT_EXIST || error == ERROR_BAD_UNIT;
}

}  // namespace

INT_PTR FileBrowserDialog::Show(HWND owner, const std::string& title) {
    title_ = title;
    return ShowModal(owner, IDD_CommonFileBrowser);
}

bool FileBrowserDialog::OnInit() {
    if (!title_.empty()) SetWindowTextA(hwnd(), title_.c_str());
    MakeLabelsBold();
    state_.BeginShow();
    for (const std::string& pattern : state_.FileTypes()) {
        SendMessageA(Item(IDC_cmbType), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pattern.c_str()));
    }
    FillDrives();
    Load();
    return true;
}

void FileBrowserDialog::MakeLabelsBold() {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return;
    lf.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectA(&lf));
    if (!boldFont_) return;
    for (int id : {IDC_Label4, IDC_lblDrive, IDC_lblDir, IDC_Label2, IDC_Label1}) {
        SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    }
}

void FileBrowserDialog::Load() {
    const std::string path = BrowserStartPath(state_.OldFolder);
    if (!IsDriveLetterPath(path)) {
        // Network paths and empty text only fill the box; the lists show where the process is.
        SetItemText(IDC_txtFile, path);
        const std::string here = CurrentDirectory();
        if (!here.empty()) {
            SelectDrive(here.substr(0, 2));
            ChangeDirectoryQuietly(here);
        }
        return;
    }
    std::string start = ListingFindsAnything(path) ? path : CurrentDirectory();
    if (start.empty()) return;
    if (!state_.FileTypes().empty()) ChooseFileType(0);
    SelectDrive(start.substr(0, 1) + ":");
    // A start that cannot be opened (a file, a vanished folder) ends the load here.
    if (!ChangeDirectory(FullPath(start))) return;
    currentDrive_ = SelectedDrive();
    SetItemText(IDC_txtFile, directory_);
}

void FileBrowserDialog::FillDrives() {
    HWND combo = Item(IDC_lstDrive);
    char buffer[512] = {};
    DWORD n = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    if (n == 0 || n >= sizeof buffer) return;
    for (const char* p = buffer; *p; p += lstrlenA(p) + 1) {
        std::string drive = std::string(1, static_cast<char>(tolower(static_cast<unsigned char>(p[0])))) + ":";
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.c_str()));
    }
}

void FileBrowserDialog::SelectDrive(const std::string& drive) {
    std::string text = drive;
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    HWND combo = Item(IDC_lstDrive);
    LRESULT i = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (i == CB_ERR) i = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

std::string FileBrowserDialog::SelectedDrive() const {
    HWND combo = Item(IDC_lstDrive);
    LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR) return std::string();
    char text[16] = {};
    if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= static_cast<LRESULT>(sizeof text)) return {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    return text;
}

bool FileBrowserDialog::ChangeDirectory(const std::string& folder) {
    if (folder.empty() || !IsFolder(folder, nullptr)) return false;
    ChangeDirectoryQuietly(folder);
    return true;
}

void FileBrowserDialog::ChangeDirectoryQuietly(const std::string& folder) {
    directory_ = folder;
    dirPaths_.clear();
    HWND list = Item(IDC_lstDir);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    // The levels from the root down to the folder, then its subfolders one level deeper.
    std::vector<std::string> levels;
    std::string root = folder.substr(0, std::min<size_t>(folder.size(), 3));
    if (root.size() == 2) root += "\\";
    levels.push_back(root);
    size_t depth = 0;
    for (size_t pos = 3; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '\\') {
            if (pos > 3) levels.push_back(folder.substr(0, pos));
        }
    }
    for (const std::string& level : levels) {
        std::string name = depth == 0 ? level : level.substr(level.rfind('\\') + 1);
        std::string line = std::string(depth * 2, ' ') + name;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        dirPaths_.push_back(level);
        ++depth;
    }
    const int current = static_cast<int>(dirPaths_.size()) - 1;
    for (const std::string& name : Subfolders(folder)) {
        std::string line = std::string(depth * 2, ' ') + name;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        dirPaths_.push_back(Join(folder, name));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(current), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    RefreshFiles();
}

void FileBrowserDialog::OpenSelectedDirectory() {
    LRESULT i = SendMessageA(Item(IDC_lstDir), LB_GETCURSEL, 0, 0);
    if (i == LB_ERR || static_cast<size_t>(i) >= dirPaths_.size()) return;
    if (!ChangeDirectory(dirPaths_[static_cast<size_t>(i)])) return;
    SetItemText(IDC_txtFile, directory_);
}

void FileBrowserDialog::ChangeDrive(const std::string& drive) {
    const std::string folder = FullPath(drive);
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (!folder.empty() && IsFolder(folder, &error)) {
        ChangeDirectoryQuietly(folder);
        currentDrive_ = drive;
        SetItemText(IDC_txtFile, directory_);
        return;
    }
    // Like every untitled box of the program, these carry the application's title.
    const char* title = SettingsEnv().title.c_str();
    if (IsDeviceUnavailable(error)) {
        MessageBoxA(hwnd(), ("Error: Device " + drive + " is unavailable.").c_str(), title, MB_OK);
    } else {
        MessageBoxA(hwnd(), ("Error " + std::to_string(error) + "\r\n" + win::ErrorText(error)).c_str(), title,
                    MB_ICONERROR);
    }
    // The drive list goes back to the drive the other lists still show.
    if (!currentDrive_.empty()) SelectDrive(currentDrive_);
}

void FileBrowserDialog::ChooseFileType(int index) {
    HWND combo = Item(IDC_cmbType);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (index >= 0 && static_cast<size_t>(index) < state_.FileTypes().size()) {
        pattern_ = state_.FileTypes()[static_cast<size_t>(index)];
    }
    RefreshFiles();
}

std::vector<std::string> FileBrowserDialog::Files() const {
    std::vector<std::string> names;
    HWND list = Item(IDC_lstFile);
    LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string s(static_cast<size_t>(len > 0 ? len : 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(len > 0 ? len : 0));
        names.push_back(s);
    }
    return names;
}

void FileBrowserDialog::RefreshFiles() {
    HWND list = Item(IDC_lstFile);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (!directory_.empty()) {
        WIN32_FIND_DATAA data;
        win::UniqueFind find(FindFirstFileA(Join(directory_, pattern_).c_str(), &data));
        if (find) {
            do {
                if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                    continue;
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data.cFileName));
            } while (FindNextFileA(find.get(), &data));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void FileBrowserDialog::Save() {
    std::string file;
    HWND list = Item(IDC_lstFile);
    LRESULT i = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (i != LB_ERR) {
        LRESULT len = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        file.assign(static_cast<size_t>(len > 0 ? len : 0) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(file.data()));
        file.resize(static_cast<size_t>(len > 0 ? len : 0));
    }
    state_.Save(ItemText(IDC_txtFile), file);
    EndModal(IDOK);
}

void FileBrowserDialog::Cancel() {
    state_.Cancel();
    EndModal(IDCANCEL);
}

void FileBrowserDialog::OnCommand(int id, int notifyCode, HWND) {
    switch (id) {
    case IDC_btnSave: Save(); break;
    case IDC_btnCancel: Cancel(); break;
    case IDC_cmbType:
        if (notifyCode == CBN_SELCHANGE) {
            ChooseFileType(static_cast<int>(SendMessageA(Item(IDC_cmbType), CB_GETCURSEL, 0, 0)));
        }
        break;
    case IDC_lstDrive:
        if (notifyCode == CBN_SELCHANGE) {
            const std::string drive = SelectedDrive();
            if (!drive.empty() && drive != currentDrive_) ChangeDrive(drive);
        }
        break;
    case IDC_lstDir:
        if (notifyCode == LBN_DBLCLK) OpenSelectedDirectory();
        break;
    case IDC_lstFile:
        // A double-click chooses the file, as selecting it and pressing Save does.
        if (notifyCode == LBN_DBLCLK) Save();
        break;
    case IDOK:
        // Enter opens the highlighted directory, as a double-click does; anywhere else (the
        // Selected Folder field, the file list) it chooses, as Save does.
        if (GetFocus() == Item(IDC_lstDir)) {
            OpenSelectedDirectory();
        } else {
            Save();
        }
        break;
    case IDCANCEL:
        // Escape is the close box: neither Save nor Cancel, Response stays 0.
        EndModal(IDCANCEL);
        break;
    default: break;
    }
}

}  // namespace hdq
