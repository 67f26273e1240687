#pragma once
// Who runs this copy, written into the status file, so that a second start that finds the
// folder's lock held by a copy in another session (another user, Remote Desktop) can name the
// user whose copy exports instead of ending without a word.
#include <string>

namespace hdq {

// "ProcessId=1234\r\nRunningAs=PLANT\op1 (session 2)\r\n" for this process.
std::string ThisProcessStatusLines();
// Written beside the program by a copy that an installer's "/exit" ends, so that the installer
// can start it again for the same user: "Session=2\r\nUser=PLANT\op1\r\nSid=S-1-5-...\r\n
// Startup=1\r\n" (Startup: the user's Startup folder starts the program at the next logon).
std::string RestartFileLines();
// A key's value in a status file's content ("" when absent).
std::string StatusFileValue(const std::string& content, const std::string& key);
// The RunningAs of a status file whose ProcessId is alive and runs a program of this one's
// file name; "" when it names no such process (a file left by a copy that was killed).
std::string RunningCopyUser(const std::string& statusContent);

}  // namespace hdq
