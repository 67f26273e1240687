#pragma once
// Globals: the activity-log writer, hour truncation, conditional save of the configuration,
// folder and file checks, temporary names, folder creation, the CSV move and the help page.
#include <string>
#include "core/datetime.h"
#include "core/file_checks.h"
#include "histdata/dde_form.h"
#include "logging/activity.h"

namespace hdq {

// The activity list of AppActivity() (logging/activity.h).
void SetActivityList(ActivityList* list);  // nullptr: no list (lines go only to the log)
ActivityList* GetActivityList();

void LogActivity(const std::string& text, int level);
// TruncateToHour lives in core/datetime.h.
// The file checks of core/file_checks.h, telling the program's log.
bool ValidatePath(const std::string& path);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);
std::string MakeTempFileName(std::string& folder);  // "" on failure; an empty folder: the program's
bool MoveCSVFiles(const std::string& pattern);
// What one DDE request reads, from AppConfig as it stands now.
DdeSettings CurrentDdeSettings();
// Deletes every CSV file in the cache folder: none of them has been checked (a file HistData
// finished after a time-out, or one left by a crash), and HistData can make it again. Nothing
// is deleted when the output folder is the cache folder itself: those are exported files.
void DeleteUncheckedCsvFiles();
bool OpenHelpTopic(const std::string& topic);       // Windows: HtmlHelpA; natively false
// The window that owns the help viewer (the main window's HWND); nullptr for none.
void SetHelpOwnerWindow(void* hwnd);
void* HelpOwnerWindow();

// The files of AppFiles() (app/shared.h).
std::string ProgramFolder();
std::string CacheFolder();     // ProgramFolder() + "\cache"
std::string HelpFile();        // ProgramFolder() + "\help.chm"
std::string IniFile();         // ProgramFolder() + "\" + exe name + ".ini"
std::string RetryFile();       // ProgramFolder() + "\" + exe name + ".retry"
std::string StatusFile();      // ProgramFolder() + "\" + exe name + ".status"

}  // namespace hdq
