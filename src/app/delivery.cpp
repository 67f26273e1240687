#include "app/delivery.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "app/delivery_journal.h"
#include "app/globals.h"
#include "app/shared.h"
#include "core/error.h"
#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {

// The folders of one move or clean-up, trimmed and with a trailing backslash, read once so
// that a setting saved meanwhile cannot split them.
struct Folders {
    std::string histData;
    std::string output;
};

Folders FoldersNow() {
    const std::string cache = fsys::WithBackslash(Trim(CacheFolder()));
    const std::string output = fsys::WithBackslash(Trim(AppConfig().item("OUTPUT_FOLDER")));
    // By identity: the same folder through a mapped drive, a share or a short name is still
    // the folder the importer reads.
    return Folders{fsys::SameFolder(cache, output) ? cache + "work\\" : cache, output};
}

// A file that is removed on every way out of a scope, a throw included, unless kept.
class RemovedUnlessKept {
public:
    explicit RemovedUnlessKept(std::string path) : path_(std::move(path)) {}
    ~RemovedUnlessKept() {
        if (!path_.empty()) fsys::DeleteFile(path_);
    }
    RemovedUnlessKept(const RemovedUnlessKept&) = delete;
    RemovedUnlessKept& operator=(const RemovedUnlessKept&) = delete;
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

// A leading dot and a last extension other than ".csv" keep the name out of "*.csv", long or
// 8.3 (whose extension comes from the last dot).
std::string UnfinishedName(const std::string& name) { return "." + name + ".part"; }

// Only the shape this program leaves, ".yyyymmddhh.CSV.part": the output folder holds other
// programs' files too.
bool IsOurUnfinishedCopy(const std::string& name) {
    return name.size() == 20 && name[0] == '.' &&
           std::all_of(name.begin() + 1, name.begin() + 11, [](unsigned char c) { return std::isdigit(c); }) &&
           IEquals(name.substr(11), ".CSV.part");
}

bool AnyFile(const std::string&) { return true; }

// Returns what the journal proves of the file, taken from the checked file in the cache: a
// local read, where the copy may lie on a share.
FileDigest Publish(const std::string& from, const std::string& folder, const std::string& name) {
    const std::string temp = folder + UnfinishedName(name);
    RemovedUnlessKept unfinished(temp);
    OsError e;
    const std::optional<std::string> content = fsys::ReadAll(from, &e);
    if (!content) throw VrxError(e.number, e.text);
    if (!fsys::CopyFile(from, temp, &e)) throw VrxError(e.number, e.text);
    // A share that drops or a full disk can leave a short copy without an error on the way.
    std::optional<uint64_t> want = fsys::FileSize(from);
    std::optional<uint64_t> got = fsys::FileSize(temp);
    if (!want || !got || *want != *got || *want != content->size()) {
        throw VrxError(57, "Device I/O error: the copy of " + name + " is incomplete");
    }
    if (!fsys::Rename(temp, folder + name, &e)) throw VrxError(e.number, e.text);
    unfinished.Keep();
    return DigestOf(*content);
}

void DeleteListed(const std::string& folder, const std::string& pattern, fsys::Hidden hidden,
                  bool (*ours)(const std::string&), const std::string& what, const std::string& where) {
    std::optional<std::vector<std::string>> names = fsys::ListFiles(folder + pattern, nullptr, hidden);
    if (!names) return;  // no such folder yet, or a share that is not there: nothing to clean
    for (const std::string& name : *names) {
        if (!ours(name)) continue;
        OsError e;
        if (fsys::DeleteFile(folder + name, &e)) {
            LogActivity("Deleted " + what + " from " + where + ": " + folder + name, 1);
        } else {
            // Held open by another program: it stays, and it is never moved.
            LogActivity("Error: Unable to delete " + what + " " + folder + name + ": (" + std::to_string(e.number) +
                            ") " + e.text,
                        1);
        }
    }
}

// The cache, or its work folder, turned into a junction or link would have the clean-up
// delete every CSV file of the place it leads to.
bool LeadsElsewhere(const std::string& folder) {
    if (!fsys::IsLinkOrJunction(folder)) return false;
    LogActivity("Error: " + folder.substr(0, folder.find_last_not_of('\\') + 1) +
                    " is a link to another place; nothing in it is deleted",
                0);
    return true;
}

}  // namespace

std::string HistDataFolder() { return FoldersNow().histData; }
std::string OutputFolder() { return FoldersNow().output; }

bool MoveCSVFiles(const std::string& pattern, DeliveryJournal* journal) {
    VRXLoggerTXT& log = AppLog();
    try {
        log.WriteLog("Move CSV Files ... start", 2);
        const Folders folders = FoldersNow();
        const std::string& source = folders.histData;
        const std::string& destination = folders.output;
        log.WriteLog("source: ***" + ToLower(source) + "***, destination: ***" + ToLower(destination) + "***", 2);

        if (!fsys::IsDirectory(destination)) MakeFolder(destination);

        OsError e;
        std::optional<std::vector<std::string>> names = fsys::ListFiles(source + pattern, &e);
        if (!names) {
            if (fsys::IsDirectory(source)) throw VrxError(e.number, e.text);
            names.emplace();  // no folder yet: nothing was made
        }
        // The hour's own file missing is an hour that was never exported.
        if (names->empty() && pattern.find_first_of("*?") == std::string::npos) {
            throw VrxError(err::FileNotFound, "File not found: " + source + pattern);
        }
        for (const std::string& name : *names) {
            const std::string from = source + name;
            LogActivity("File to Copy: " + destination + name, 2);
            const FileDigest digest = Publish(from, destination, name);
            const std::optional<DateTime> hour = HourOfDeliveredName(name);
            if (journal && hour) journal->Delivered(*hour, digest);
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
    const Folders folders = FoldersNow();
    const std::string cache = fsys::WithBackslash(Trim(CacheFolder()));
    if (!LeadsElsewhere(cache) && (folders.histData == cache || !LeadsElsewhere(folders.histData))) {
        DeleteListed(folders.histData, "*.csv", fsys::Hidden::Skip, AnyFile, "unchecked file", "the cache");
    }
    DeleteListed(folders.output, "*.part", fsys::Hidden::Include, IsOurUnfinishedCopy, "unfinished copy",
                 "the output folder");
}

}  // namespace hdq
