#pragma once
// A program folder for the end-to-end tests: the copied exe, and what the program leaves
// there (its INI file, its hourly CSV files, its log) read back the way an operator would.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_win32.h"
#include "test_support.h"

namespace hdq::test {

// Copies the built HistDataToQorp.exe into the folder; its full path, or "" when the copy failed.
std::string InstallProgram(const TempFolder& programFolder);

// The value of key in an INI file, or "<missing>" when the file has no such line.
std::string IniValue(const std::string& iniPath, const std::string& key);
// Rewrites the one line of key, keeping every other line and the order; appends it when absent.
void SetIniValue(const std::string& iniPath, const std::string& key, const std::string& value);

// The names of the *.csv files in folder (letter case ignored, as on Windows), sorted.
std::vector<std::string> CsvFilesIn(const std::string& folder);
// The text of the newest file in the program's log folder, "" when there is none.
std::string NewestLog(const std::string& programFolder);

// Ends the program through its tray menu's Exit, as an operator does; true when it ended so.
// A program that does not end is killed, so no test leaves one behind.
bool ExitThroughTray(Process& app, DWORD timeoutMs = 10000);

}  // namespace hdq::test
