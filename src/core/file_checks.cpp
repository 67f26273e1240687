#include "core/file_checks.h"

#include <cstdint>
#include <cstdio>

#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {

void LogOsError(LogSink& log, const OsError& e, int level) {
    log.WriteLog("ERROR (" + std::to_string(e.number) + "): " + e.text, level);
}

std::string WithoutTrailingBackslash(std::string s) {
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

}  // namespace

bool ValidatePath(const std::string& path, LogSink& log) {
    if (Trim(path).empty()) {
        log.WriteLog("ERROR: Path must not be blank", 0);
        return false;
    }
    if (!DirectoryExists(path, log)) {
        log.WriteLog("ERROR: Path " + path + " does not exist", 0);
        return false;
    }
    std::string folder = path;
    if (!CanWriteToFolder(folder, log)) {
        log.WriteLog("ERROR: Not able to write to path " + folder, 0);
        return false;
    }
    return true;
}

bool DirectoryExists(const std::string& path, LogSink& log) {
    OsError e;
    if (fsys::IsDirectory(path, &e)) return true;
    if (e.number != 0) LogOsError(log, e, 1);
    return false;
}

bool CanWriteToFolder(std::string& folder, LogSink& log) {
    const std::string name = MakeTempFileName(folder, log);
    if (name.empty()) return false;
    std::FILE* f = fsys::Open(name, "wb");
    if (!f) return false;
    std::fclose(f);
    fsys::DeleteFile(name);
    return true;
}

std::string MakeTempFileName(std::string& folder, LogSink& log) {
    folder = fsys::WithBackslash(folder);
    // A folder with 32767 stale temporary files is treated as unusable rather than searched on.
    for (int32_t i = 1; i <= INT16_MAX; ++i) {
        std::string candidate = folder + std::to_string(i) + ".tmp";
        if (!fsys::Exists(candidate)) return candidate;
    }
    log.WriteLog("ERROR: MakeTempFileName() Overflow", 0);
    return "";
}

bool FileExists(const std::string& path, LogSink& log) {
    if (path.empty()) return false;
    OsError e;
    std::optional<std::vector<std::string>> names = fsys::ListFiles(path, &e);
    if (!names) {
        if (e.number != 0) LogOsError(log, e, 1);
        return false;
    }
    return !names->empty();
}

void MakeFolder(const std::string& path) { fsys::CreateFolder(WithoutTrailingBackslash(path)); }

void MakeFolders(const std::string& path) {
    const std::string folder = WithoutTrailingBackslash(path);
    const std::string parent = fsys::FolderOf(folder);
    if (!parent.empty() && !fsys::IsDirectory(parent)) MakeFolders(parent);
    MakeFolder(folder);
}

ProgramFiles ProgramFiles::OfThisProgram() { return ProgramFiles{fsys::ProgramFolder(), fsys::ExeName()}; }

}  // namespace hdq
