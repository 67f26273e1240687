#pragma once
// ShellLink: the Windows shell's special folders and shortcut (.lnk) files, for the
// "Add to Startup Folder" button.
#include <windows.h>
#include <string>

namespace hdq {

inline constexpr int kCommonStartupFolder = 24;  // CSIDL_COMMON_STARTUP
inline constexpr int kUserStartupFolder = 7;     // CSIDL_STARTUP
inline constexpr int kShowMinNoActive = 7;       // SW_SHOWMINNOACTIVE

// The file-system path of a shell special folder; false when the shell has none.
bool GetSpecialFolder(HWND owner, int folder, std::string& path);

// Writes the link file. S_OK when written; otherwise the failing step's result, E_INVALIDARG
// (nothing written) when either path is empty.
HRESULT CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& workingFolder,
                       const std::string& arguments, const std::string& iconPath, int iconIndex, int showCmd);

// Where "Add to Startup Folder" may put the shortcut. Each gives a folder path, "" when there
// is none. Tests hand in their own folders.
class StartupFolders {
public:
    virtual ~StartupFolders() = default;
    virtual std::string AllUsers(HWND owner) const = 0;
    // The operator's own Startup folder: writable without administrator rights.
    virtual std::string CurrentUser(HWND owner) const = 0;
};

// The shell's Startup folders.
class ShellStartupFolders : public StartupFolders {
public:
    std::string AllUsers(HWND owner) const override;
    std::string CurrentUser(HWND owner) const override;
};

// "Add to Startup Folder": a minimised, inactive shortcut to this program in the all-users
// Startup folder. When that folder is refused (it needs administrator rights) or missing, the
// operator is told why and offered the own Startup folder instead. Every outcome is logged:
// the success line names the folder used, a failure gives an error line and a message box
// with the reason. True when a shortcut was written.
bool AddProgramToStartup(HWND owner, const StartupFolders& folders);

}  // namespace hdq
