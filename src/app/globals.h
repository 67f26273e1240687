#pragma once
// Globals: the activity-log writer, hour truncation, conditional save of the configuration,
// folder and file checks, temporary names, folder creation and the help page. The CSV move
// lives in app/delivery.h, included here for the callers of old.
#include <string>
#include "app/delivery.h"
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
// What one DDE request reads, from AppConfig as it stands now; HistData writes into
// HistDataFolder().
DdeSettings CurrentDdeSettings();
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
std::string JournalFolder();   // ProgramFolder() + "\deliveries"

}  // namespace hdq
