#include "app/globals.h"

#include <cstdint>

#include "app/shared.h"
#include "core/error.h"
#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {

void* g_helpOwner = nullptr;

// The two ends of the move, trimmed and with a trailing backslash, so that they compare as the
// same folder however the setting was typed.
std::string CacheFolderAsWritten() { return fsys::WithBackslash(Trim(CacheFolder())); }
std::string OutputFolderAsWritten() { return fsys::WithBackslash(Trim(AppConfig().item("OUTPUT_FOLDER"))); }

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

DdeSettings CurrentDdeSettings() { return DdeSettings::From(AppConfig(), CacheFolder()); }

bool MoveCSVFiles(const std::string& pattern) {
    VRXLoggerTXT& log = AppLog();
    try {
        log.WriteLog("Move CSV Files ... start", 2);
        const std::string source = CacheFolderAsWritten();
        const std::string destination = OutputFolderAsWritten();
        log.WriteLog("source: ***" + ToLower(source) + "***, destination: ***" + ToLower(destination) + "***", 2);
        if (IEquals(source, destination)) return true;

        if (!fsys::IsDirectory(destination)) MakeFolder(destination);

        OsError e;
        std::optional<std::vector<std::string>> names = fsys::ListFiles(source + pattern, &e);
        if (!names) {
            // No cache folder yet simply means nothing was exported.
            if (fsys::IsDirectory(source)) throw VrxError(e.number, e.text);
            names.emplace();
        }
        for (const std::string& name : *names) {
            const std::string from = source + name;
            const std::string to = destination + name;
            LogActivity("File to Copy: " + to, 2);
            if (!fsys::CopyFile(from, to, &e)) throw VrxError(e.number, e.text);
            // The cache file is the only copy of the hour until the output copy is whole; a
            // short copy is removed so the downstream import never reads a cut file.
            std::optional<uint64_t> want = fsys::FileSize(from);
            std::optional<uint64_t> got = fsys::FileSize(to);
            if (!want || !got || *want != *got) {
                fsys::DeleteFile(to);
                throw VrxError(57, "Device I/O error: the copy of " + name + " is incomplete");
            }
            log.WriteLog("Remove temp: " + from, 2);
            if (!fsys::DeleteFile(from, &e)) throw VrxError(e.number, e.text);
        }
        log.WriteLog("Move CSV Files ... end", 2);
        return true;
    } catch (const VrxError& ex) {
        LogActivity("Error: Unable to Move CSV Files: (" + std::to_string(ex.Number()) + ") " + ex.Description(), 0);
    } catch (const std::exception& ex) {
        LogActivity("Error: Unable to Move CSV Files: (51) " + std::string(ex.what()), 0);
    }
    return false;
}

void DeleteUncheckedCsvFiles() {
    const std::string cache = CacheFolderAsWritten();
    if (IEquals(cache, OutputFolderAsWritten())) return;
    std::optional<std::vector<std::string>> names = fsys::ListFiles(cache + "*.csv");
    if (!names) return;  // no cache folder yet
    for (const std::string& name : *names) {
        OsError e;
        if (fsys::DeleteFile(cache + name, &e)) {
            LogActivity("Deleted unchecked file from the cache: " + cache + name, 1);
        } else {
            // Held open by another program: it stays, and it is never moved.
            LogActivity("Error: Unable to delete unchecked file " + cache + name + ": (" +
                            std::to_string(e.number) + ") " + e.text,
                        1);
        }
    }
}

std::string ProgramFolder() { return AppFiles().folder; }
std::string CacheFolder() { return AppFiles().Cache(); }
std::string HelpFile() { return AppFiles().Help(); }
std::string IniFile() { return AppFiles().Ini(); }
std::string RetryFile() { return AppFiles().Retry(); }
std::string StatusFile() { return AppFiles().Status(); }

}  // namespace hdq
