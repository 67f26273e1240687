#include "app/globals.h"

#include <cstdint>

#include "app/shared.h"
#include "core/error.h"
#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {

ActivityList* g_activity = nullptr;
std::string g_programFolderOverride;
void* g_helpOwner = nullptr;

void LogOsError(const OsError& e, int level) {
    AppLog().WriteLog("ERROR (" + std::to_string(e.number) + "): " + e.text, level);
}

std::string WithoutTrailingBackslash(std::string s) {
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

void SetActivityList(ActivityList* list) { g_activity = list; }
ActivityList* GetActivityList() { return g_activity; }
void SetHelpOwnerWindow(void* hwnd) { g_helpOwner = hwnd; }
void* HelpOwnerWindow() { return g_helpOwner; }

void LogActivity(const std::string& text, int level) {
    if (g_activity && AppLog().Verbosity() >= level) {
        // A list box slows down badly with many thousands of lines; the log keeps them all.
        if (g_activity->Count() >= kActivityListLimit) g_activity->Clear();
        g_activity->Append(text);
    }
    AppLog().WriteLog(text, level);
}

bool SaveConfigIfChanged() {
    VRXConfiguration& cfg = AppConfig();
    if (!cfg.ChangeWasMade()) return true;
    if (!cfg.SaveConfig()) return false;  // the store has logged why
    LogActivity("Configuration saved to " + cfg.path(), 0);
    return true;
}

bool ValidatePath(const std::string& path) {
    if (Trim(path).empty()) {
        AppLog().WriteLog("ERROR: Path must not be blank", 0);
        return false;
    }
    if (!DirectoryExists(path)) {
        AppLog().WriteLog("ERROR: Path " + path + " does not exist", 0);
        return false;
    }
    std::string folder = path;
    if (!CanWriteToFolder(folder)) {
        AppLog().WriteLog("ERROR: Not able to write to path " + folder, 0);
        return false;
    }
    return true;
}

bool DirectoryExists(const std::string& path) {
    OsError e;
    if (fsys::IsDirectory(path, &e)) return true;
    if (e.number != 0) LogOsError(e, 1);
    return false;
}

bool CanWriteToFolder(std::string& folder) {
    const std::string name = MakeTempFileName(folder);
    if (name.empty()) return false;
    std::FILE* f = fsys::Open(name, "wb");
    if (!f) return false;
    std::fclose(f);
    fsys::DeleteFile(name);
    return true;
}

std::string MakeTempFileName(std::string& folder) {
    if (folder.empty()) folder = ProgramFolder();
    folder = fsys::WithBackslash(folder);
    // A folder with 32767 stale temporary files is treated as unusable rather than searched on.
    for (int32_t i = 1; i <= INT16_MAX; ++i) {
        std::string candidate = folder + std::to_string(i) + ".tmp";
        if (!fsys::Exists(candidate)) return candidate;
    }
    AppLog().WriteLog("ERROR: MakeTempFileName() Overflow", 0);
    return "";
}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    OsError e;
    std::optional<std::vector<std::string>> names = fsys::ListFiles(path, &e);
    if (!names) {
        if (e.number != 0) LogOsError(e, 1);
        return false;
    }
    return !names->empty();
}

void MakeFolder(const std::string& path) {
    // An existing folder, or one that cannot be made, is the caller's next check to find.
    fsys::CreateFolder(WithoutTrailingBackslash(path));
}

bool MoveCSVFiles(const std::string& pattern) {
    VRXLoggerTXT& log = AppLog();
    try {
        log.WriteLog("Move CSV Files ... start", 2);
        const std::string source = fsys::WithBackslash(Trim(CacheFolder()));
        const std::string destination = fsys::WithBackslash(Trim(AppConfig().item("OUTPUT_FOLDER")));
        log.WriteLog("source: ***" + ToLower(source) + "***, destination: ***" + ToLower(destination) + "***", 2);
        if (IEquals(source, destination)) return true;

        if (!fsys::IsDirectory(destination)) fsys::CreateFolder(WithoutTrailingBackslash(destination));

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
    const std::string cache = fsys::WithBackslash(Trim(CacheFolder()));
    if (IEquals(cache, fsys::WithBackslash(Trim(AppConfig().item("OUTPUT_FOLDER"))))) return;
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

std::string ProgramFolder() {
    return g_programFolderOverride.empty() ? fsys::ProgramFolder() : g_programFolderOverride;
}
void SetProgramFolderForTests(const std::string& folder) { g_programFolderOverride = folder; }
std::string CacheFolder() { return ProgramFolder() + "\\cache"; }
std::string HelpFile() { return ProgramFolder() + "\\help.chm"; }
std::string IniFile() { return ProgramFolder() + "\\" + fsys::ExeName() + ".ini"; }
std::string RetryFile() { return ProgramFolder() + "\\" + fsys::ExeName() + ".retry"; }
std::string StatusFile() { return ProgramFolder() + "\\" + fsys::ExeName() + ".status"; }

}  // namespace hdq
