#pragma once
// Globals: the activity-log writer, hour truncation, conditional save of the configuration,
// folder and file checks, temporary names, folder creation, the CSV move and the help page.
#include <string>
#include "core/datetime.h"

namespace hdq {

// The main window's activity list, behind a small interface so the portable code and the
// tests can write to it.
class ActivityList {
public:
    virtual ~ActivityList() = default;
    virtual int Count() const = 0;
    virtual void Clear() = 0;
    virtual void Append(const std::string& line) = 0;  // appends and selects the new last line
};
void SetActivityList(ActivityList* list);  // nullptr: no list (lines go only to the log)
ActivityList* GetActivityList();

inline constexpr int kActivityListLimit = 10000;

void LogActivity(const std::string& text, int level);
// TruncateToHour lives in core/datetime.h.
bool SaveConfigIfChanged();
bool ValidatePath(const std::string& path);
bool DirectoryExists(const std::string& path);
bool CanWriteToFolder(std::string& folder);         // folder gains a trailing backslash
std::string MakeTempFileName(std::string& folder);  // "" on failure
bool FileExists(const std::string& path);
void MakeFolder(const std::string& path);
bool MoveCSVFiles(const std::string& pattern);
// Deletes every CSV file in the cache folder: none of them has been checked (a file HistData
// finished after a time-out, or one left by a crash), and HistData can make it again. Nothing
// is deleted when the output folder is the cache folder itself: those are exported files.
void DeleteUncheckedCsvFiles();
bool OpenHelpTopic(const std::string& topic);       // Windows: HtmlHelpA; natively false
// The window that owns the help viewer (the main window's HWND); nullptr for none.
void SetHelpOwnerWindow(void* hwnd);
void* HelpOwnerWindow();

// Paths built on the program folder.
std::string ProgramFolder();   // settable for tests
void SetProgramFolderForTests(const std::string& folder);
std::string CacheFolder();     // ProgramFolder() + "\cache"
std::string HelpFile();        // ProgramFolder() + "\help.chm"
std::string IniFile();         // ProgramFolder() + "\" + exe name + ".ini"
std::string RetryFile();       // ProgramFolder() + "\" + exe name + ".retry"
std::string StatusFile();      // ProgramFolder() + "\" + exe name + ".status"

}  // namespace hdq
