#pragma once
// A program folder for the end-to-end tests: the copied exe and its INI file next to a private
// stand-in, the program started and driven there, and what it leaves behind (its INI file,
// its hourly CSV files, its log) read back the way an operator would.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "driver_win32.h"
#include "standin_win32.h"
#include "test_support.h"
#include "app/version.h"

namespace hdq::test {

inline const std::string kMainWindowTitle = HDQ_MAIN_WINDOW_TITLE;
using IniValues = std::vector<std::pair<std::string, std::string>>;

// Copies the built HistDataToQorp.exe into the folder; its full path, or "" when the copy failed.
std::string InstallProgram(const TempFolder& programFolder);
// Writes a complete INI file for a program that reaches standIn on topic and exports hour by
// hour into outFolder; values replace the base ones by key.
void WriteProgramIni(const std::string& iniPath, const StandIn& standIn, const std::string& topic,
                     const std::string& outFolder, const IniValues& values = {});
// Starts the installed program in its folder; its main window, nullptr when none opened.
HWND StartProgram(Process& app, const std::string& programFolder);
// Starts it with the service minute set to the current one and posts the service timer's tick
// at once, instead of waiting for the real timer; a start that straddles a minute is made
// again. The main window, nullptr when no tick started an export.
HWND StartAndTickService(Process& app, const std::string& programFolder);


// The names of the *.csv files in folder (letter case ignored, as on Windows), sorted.
std::vector<std::string> CsvFilesIn(const std::string& folder);
// The text of the newest file in the program's log folder, "" when there is none.
std::string NewestLog(const std::string& programFolder);

// The main window's activity list.
std::vector<std::string> Activity(HWND main);
// Waits until an activity line starts with one of starts; poll runs on every look.
bool WaitForActivity(HWND main, const std::vector<std::string>& starts, DWORD ms,
                     const std::function<void()>& poll = {});
// Opens Manual Run from the main window and runs it from..to; false when the dialog did not open.
bool RunManual(DWORD pid, HWND main, const std::string& from, const std::string& to);
// The activity, the newest log and the stand-in's transcript, for failure messages.
std::string Describe(const std::vector<std::string>& activity, const std::string& programFolder,
                     const StandIn& standIn);

// Ends every HistData copy started from exePath, those the program started included. Matched
// by the stand-in folder's unique name, so other tests' copies are never touched.
void EndCopiesOf(const std::string& exePath);

// Ends the program through its tray menu's Exit, as an operator does; true when it ended so.
// A program that does not end is killed, so no test leaves one behind.
bool ExitThroughTray(Process& app, DWORD timeoutMs = 10000);

}  // namespace hdq::test
