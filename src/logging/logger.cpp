#include "logging/logger.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "core/files.h"
#include "core/scoped_flag.h"
#include "core/text.h"
#include "logging/failure_events.h"

namespace hdq {
namespace {

std::optional<DateTime> LastWriteTime(const std::string& path) {
    try {
        return fsys::LastWriteTime(path);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

VRXLoggerTXT::VRXLoggerTXT() {
    try {
        const std::string folder = fsys::ProgramFolder();
        logPath_ = folder + "\\log";
        handleFile_ = folder + "\\" + fsys::ExeName() + ".log_handle";
    } catch (...) {
        // Without a program folder the caller must set LogPath; nothing to log to yet.
    }
}

VRXLoggerTXT::~VRXLoggerTXT() {
    // Whatever the buffer still holds reaches the disk, whether or not the logger is enabled.
    if (file_ != nullptr) std::fclose(file_);
}

void VRXLoggerTXT::closeLog() {
    if (!enabled_ || file_ == nullptr) return;
    std::fclose(file_);
    file_ = nullptr;
    currentFile_.clear();
}

void VRXLoggerTXT::AssertVerbosity() {
    WriteLog("[Log Verbosity is set to " + std::to_string(verbosity_) + ", Log Date is " +
                 FormatShortDate(AppClock().Now()) + "]",
             0);
}

void VRXLoggerTXT::WriteLog(const std::string& what, int verbosityLevel) {
    if (verbosityLevel <= 0 && (StartsWith(what, "Error") || StartsWith(what, "ERROR") || StartsWith(what, "Unable"))) {
        lastError_ = FormatGeneral(AppClock().Now());
        lastError_ += ' ';
        lastError_ += what;
    }
    if (verbosityLevel <= 0 && onFailureLine_ && !inFailureHook_ && IsFailureLine(what)) {
        const ScopedFlag inHook(inFailureHook_);
        try {
            onFailureLine_(what);
        } catch (...) {
            // Whoever hears of failures must not add one to the caller's.
        }
    }
    if (!enabled_) return;
    // A file is opened even for a message that the level then drops, so that a failed open
    // is retried at the next message of any level.
    if (file_ == nullptr) OpenLog();
    const int level = std::clamp(verbosityLevel, 0, 9);
    if (verbosity_ >= level) WriteLine(what);
}

void VRXLoggerTXT::OpenLog() {
    std::FILE* f = nullptr;
    try {
        const DateTime now = AppClock().Now();
        fsys::CreateFolder(logPath_);  // an existing folder or a failure shows in the open below
        const std::string name =
            logPath_ + "\\" + prefix_ + FormatPattern(now, "mm_dd_yyyy__hh_nn_ss") + postfix_ + ".log";
        f = fsys::Open(name, "ab");
        if (f == nullptr) return;
        if (bufferLength_ > 1) std::setvbuf(f, nullptr, _IOFBF, static_cast<size_t>(bufferLength_));
        currentFile_ = name;
        openedDate_ = now.Date();
        if (handleAssertion_) WriteHandleFile(name);
        file_ = f;
    } catch (...) {
        if (f != nullptr) std::fclose(f);
        currentFile_.clear();
        file_ = nullptr;
    }
}

void VRXLoggerTXT::WriteLine(const std::string& text) {
    if (!enabled_ || file_ == nullptr) return;
    try {
        const DateTime now = AppClock().Now();
        if (now.Date() != openedDate_) {
            // A log file never spans two days; the new one points back at the old one so a
            // reader can follow a session across midnight.
            const std::string previous = currentFile_;
            closeLog();
            WriteLog("Previous log file for this session = " + previous, 0);
            if (file_ == nullptr) return;
            if (onNewDay_) onNewDay_();
        }
        const std::string line = FormatPattern(now, "hh:nn:ss") + " : " + text + "\r\n";
        std::fwrite(line.data(), 1, line.size(), file_);
        if (bufferLength_ <= 1) std::fflush(file_);
        writtenSinceSizePass_ += line.size();
        if (writtenSinceSizePass_ >= (static_cast<uint64_t>(maxMB_) << 20) / 20) CheckSizeAfterGrowth();
    } catch (...) {
        // A lost log line must never stop the caller's work.
    }
}

void VRXLoggerTXT::WriteHandleFile(const std::string& name) {
    try {
        if (handleFile_.empty()) return;
        KillFileAndDiscardError(handleFile_);
        fsys::WriteAll(handleFile_, name + "\r\n");
    } catch (...) {
        // Other tools lose their pointer to the live log; the log itself stays usable.
    }
}

// ---- Log retention ----------------------------------------------------------------------

void VRXLoggerTXT::LSM_Init(int keepDays) {
    keepDays_ = static_cast<int16_t>(std::clamp(keepDays, 7, 1000));
    // The listing keeps the folder as given: the native file system is case-sensitive, and
    // on Windows either form names the same folder. Operators see it upper-cased.
    retentionFolder_ = logPath_;
    lastRunHour_ = kZeroDate;
    // Only the first call starts the clock watch: each new day calls again, and the day after
    // a clock step must not forget the step.
    if (!lsmInitialised_) {
        clockMark_ = AppClock().Now();
        tickMark_ = AppClock().TickMs();
    }
    lsmInitialised_ = true;
    WriteLog("Logs in '" + ToUpper(retentionFolder_) + "' will be removed after they are older than " +
                 std::to_string(keepDays_) + " days.",
             0);
}

bool VRXLoggerTXT::RetentionDue() {
    try {
        const DateTime hour = TruncateToHour(AppClock().Now());
        if (hour > lastRunHour_) {
            lastRunHour_ = hour;
            return true;
        }
    } catch (...) {
    }
    return false;
}

// The tick cannot be set, so the wall clock's movement beyond it is an operator's or a
// time service's step. The steps add up, so a clock put right again cancels its own step.
// The tick wraps after 49.7 days; passes come at start-up and with each day's first log
// line, and a longer silence reads as a step that holds retention until the next start:
// on the side of keeping files.
int64_t VRXLoggerTXT::ClockStepHours() {
    const DateTime now = AppClock().Now();
    const uint32_t tick = AppClock().TickMs();
    clockStepMs_ += (now.ToSeconds() - clockMark_.ToSeconds()) * 1000 - static_cast<uint32_t>(tick - tickMark_);
    clockMark_ = now;
    tickMark_ = tick;
    return std::llround(static_cast<double>(clockStepMs_) / 3.6e6);
}

void VRXLoggerTXT::LSM_Run() {
    if (!lsmInitialised_) return;
    try {
        const int64_t stepHours = ClockStepHours();
        if (!RetentionDue()) return;
        writtenSinceSizePass_ = 0;
        auto files = ListLogs();
        if (!files) return;
        // After a step of a day or more every file's age is wrong by the step; an hour of
        // daylight saving or a time service's correction is not worth stopping for.
        if (std::abs(stepHours) >= 24) {
            WriteLog("Log retention skipped: the clock moved by " + std::to_string(stepHours) +
                         " hours against the time the program has run",
                     0);
        } else {
            RemoveOldLogs(*files);
        }
        // The disk fills whatever the clock says, and the oldest files are the oldest still.
        KeepUnderCap(*files);
    } catch (...) {
        // Files deleted so far stay deleted; the next day's pass picks up the rest.
    }
}

std::optional<std::vector<VRXLoggerTXT::LogFile>> VRXLoggerTXT::ListLogs() {
    // A junction put in the log folder's place would make a pass delete another folder's files.
    if (fsys::IsLinkOrJunction(retentionFolder_)) {
        WriteLog("Error: " + retentionFolder_ + " is a link to another place; nothing in it is deleted", 0);
        return std::nullopt;
    }
    auto names = fsys::ListFiles(retentionFolder_ + "\\*");
    if (!names) return std::nullopt;
    std::vector<LogFile> files;
    for (const std::string& name : *names) {
        LogFile file;
        file.path = retentionFolder_ + "\\" + name;
        file.current = IEquals(file.path, currentFile_);
        // An unreadable file has no date and is never deleted.
        const auto changed = LastWriteTime(file.path);
        if (!changed) continue;
        file.changed = *changed;
        try {
            file.size = fsys::FileSize(file.path).value_or(0);
        } catch (...) {
        }
        files.push_back(std::move(file));
    }
    return files;
}

bool VRXLoggerTXT::RemoveLog(const LogFile& file, Removal& removal) const {
    if (!KillFileAndDiscardError(file.path)) return false;
    ++removal.count;
    removal.bytes += file.size;
    return true;
}

namespace {
std::string FreedText(uint64_t bytes) {
    return "Freed " + FormatGrouped(static_cast<double>(bytes) / 1024.0, 2) + " kB of disk space.";
}
}  // namespace

void VRXLoggerTXT::RemoveOldLogs(std::vector<LogFile>& files) {
    // The newest day's files stay whatever the clock says: a clock set ahead before the
    // program started would otherwise take every log. Our own file carries that clock
    // and an unreadable file has no date, so neither says which day is newest. A file
    // dated ahead of the clock, left from before the clock was set back, is young.
    DateTime newestDay = kZeroDate;
    for (const LogFile& file : files) {
        if (!file.current) newestDay = std::max(newestDay, file.changed.Date());
    }
    const DateTime cutoff = AppClock().Now().AddDays(-keepDays_);
    Removal removal;
    std::erase_if(files, [&](const LogFile& file) {
        return !file.current && file.changed < cutoff && file.changed.Date() != newestDay && RemoveLog(file, removal);
    });
    if (removal.count > 0) WriteLine("Removed " + std::to_string(removal.count) + " logs. " + FreedText(removal.bytes));
}

// File by file rather than whole days: each file holds one run's day, so the oldest file is
// the oldest day's piece anyway, and the pass keeps every hour the cap leaves room for.
void VRXLoggerTXT::KeepUnderCap(const std::vector<LogFile>& files) {
    const uint64_t cap = static_cast<uint64_t>(maxMB_) << 20;
    uint64_t total = 0;
    for (const LogFile& file : files) total += file.size;
    if (total <= cap) return;
    std::vector<const LogFile*> oldestFirst;
    const DateTime today = AppClock().Now().Date();
    for (const LogFile& file : files) {
        if (!file.current && file.changed.Date() != today) oldestFirst.push_back(&file);
    }
    std::sort(oldestFirst.begin(), oldestFirst.end(), [](const LogFile* a, const LogFile* b) {
        return a->changed != b->changed ? a->changed < b->changed : a->path < b->path;
    });
    Removal removal;
    for (const LogFile* file : oldestFirst) {
        if (total <= cap) break;
        if (RemoveLog(*file, removal)) total -= file->size;
    }
    if (removal.count > 0) {
        WriteLine("Removed " + std::to_string(removal.count) + " logs to keep the log folder under " +
                  FormatGrouped(maxMB_, 0) + " MB. " + FreedText(removal.bytes));
    }
}

void VRXLoggerTXT::LSM_SetMaxMB(int32_t mb) { maxMB_ = std::clamp(mb, 1, kHighestMaxLogMB); }

// A day at the highest verbosity with a large tag list can outgrow the cap by itself, so the
// pass also runs after each twentieth of the cap written: counted, not listed, per line.
void VRXLoggerTXT::CheckSizeAfterGrowth() {
    writtenSinceSizePass_ = 0;
    if (!lsmInitialised_) return;
    try {
        if (const auto files = ListLogs()) KeepUnderCap(*files);
    } catch (...) {
        // The next twentieth tries again.
    }
}

DateTime VRXLoggerTXT::GetLastModifiedFileTime(const std::string& path) const {
    // Unreadable counts as new, so a file we cannot examine is never deleted.
    return LastWriteTime(path).value_or(AppClock().Now());
}

int32_t VRXLoggerTXT::GetFileSizeInBytes(const std::string& path) const {
    try {
        if (auto size = fsys::FileSize(path)) return static_cast<int32_t>(static_cast<uint32_t>(*size));
    } catch (...) {
    }
    return -1;
}

bool VRXLoggerTXT::KillFileAndDiscardError(const std::string& path) const {
    try {
        return fsys::DeleteFile(path);
    } catch (...) {
        return false;
    }
}

}  // namespace hdq
