#pragma once
// ShellLink: the Windows shell's special folders and shortcut (.lnk) files, for the
// "Add to Startup Folder" button.
#include <windows.h>
#include <string>

namespace hdq {

inline constexpr int kCommonStartupFolder = 24;  // CSIDL_COMMON_STARTUP
inline constexpr int kShowMinNoActive = 7;       // SW_SHOWMINNOACTIVE

// The file-system path of a shell special folder; false when the shell has none.
bool GetSpecialFolder(HWND owner, int folder, std::string& path);

// Writes the link file; false (and nothing written) when either path is empty or the shell
// refuses a step.
bool CreateShortcut(const std::string& linkFile, const std::string& target, const std::string& workingFolder,
                    const std::string& arguments, const std::string& iconPath, int iconIndex, int showCmd);

// The link file AddProgramToStartup writes: the all-users Startup folder, exe name ".lnk".
// Empty when the Startup folder cannot be found.
std::string StartupLinkPath(HWND owner);

// "Add to Startup Folder": a minimised, inactive shortcut to this program in the all-users
// Startup folder. Logs the result line even when the link could not be written; does nothing
// when the folder cannot be found.
void AddProgramToStartup(HWND owner);

}  // namespace hdq
