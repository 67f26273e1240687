#pragma once
// Checks on text that comes from outside the program (the tag dictionary, the INI file, the
// settings forms) before it is written into the INI file or used to start a program.
#include <string>
#include <string_view>

namespace hdq {

// A byte below 0x20 or 0x7F: what a one-line record of the INI file or the log cannot hold.
bool HoldsControlByte(std::string_view text);
bool HoldsLineBreak(std::string_view text);
// The text with its control bytes as \xNN, so a log line stays one line.
std::string ShowControlBytes(std::string_view text);

// Why folder cannot be the HistData folder, "" when it can: HistData is started from there, so
// it must be an absolute folder on a drive of this computer ("C:\Wonderware"). A UNC path or a
// network drive would start a program of another computer with the user's credentials, and an
// empty or relative one would depend on the current drive or folder.
std::string LocalFolderProblem(const std::string& folder);

// The drive of root ("C:\") is a network drive (input_checks_win32.cpp); natively no drive is.
bool IsNetworkDrive(const std::string& root);
// Natively the host's own absolute paths ("/tmp/x") name local folders too; on Windows never.
bool IsHostAbsolutePath(const std::string& path);

}  // namespace hdq
