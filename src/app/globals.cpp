#include "app/globals.h"

#include "app/shared.h"

namespace hdq {
namespace {

void* g_helpOwner = nullptr;

}  // namespace

void SetActivityList(ActivityList* list) { AppActivity().SetList(list); }
ActivityList* GetActivityList() { return AppActivity().List(); }
void SetHelpOwnerWindow(void* hwnd) { g_helpOwner = hwnd; }
void* HelpOwnerWindow() { return g_helpOwner; }

void LogActivity(const std::string& text, int level) { AppActivity().LogActivity(text, level); }

bool ValidatePath(const std::string& path) { return ValidatePath(path, AppLog()); }
bool DirectoryExists(const std::string& path) { return DirectoryExists(path, AppLog()); }
bool FileExists(const std::string& path) { return FileExists(path, AppLog()); }
std::string MakeTempFileName(std::string& folder) {
    if (folder.empty()) folder = ProgramFolder();
    return MakeTempFileName(folder, AppLog());
}

DdeSettings CurrentDdeSettings() { return DdeSettings::From(AppConfig(), HistDataFolder()); }

std::string ProgramFolder() { return AppFiles().folder; }
std::string CacheFolder() { return AppFiles().Cache(); }
std::string HelpFile() { return AppFiles().Help(); }
std::string IniFile() { return AppFiles().Ini(); }
std::string RetryFile() { return AppFiles().Retry(); }
std::string StatusFile() { return AppFiles().Status(); }
std::string JournalFolder() { return AppFiles().Deliveries(); }

}  // namespace hdq
