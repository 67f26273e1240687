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
        // After a step of a day or more every file's age is wrong by the step; an hour of
        // daylight saving or a time service's correction is not worth stopping for.
        if (std::abs(stepHours) >= 24) {
            WriteLog("Log retention skipped: the clock moved by " + std::to_string(stepHours) +
                         " hours against the time the program has run",
                     0);
            return;
        }
        // A junction put in the log folder's place would make this pass delete another
        // folder's old files.
        if (fsys::IsLinkOrJunction(retentionFolder_)) {
            WriteLog("Error: " + retentionFolder_ + " is a link to another place; nothing in it is deleted", 0);
            return;
        }
        const DateTime cutoff = AppClock().Now().AddDays(-keepDays_);
        auto names = fsys::ListFiles(retentionFolder_ + "\\*");
        if (!names) return;
        // The newest day's files stay whatever the clock says: a clock set ahead before the
        // program started would otherwise take every log. Our own file carries that clock
        // and an unreadable file has no date, so neither says which day is newest. A file
        // dated ahead of the clock, left from before the clock was set back, is young.
        std::vector<std::pair<std::string, DateTime>> dated;
        DateTime newestDay = kZeroDate;
        for (const std::string& name : *names) {
            const std::string path = retentionFolder_ + "\\" + name;
            if (IEquals(path, currentFile_)) continue;
            const auto changed = LastWriteTime(path);
            if (!changed) continue;
            newestDay = std::max(newestDay, changed->Date());
            dated.emplace_back(path, *changed);
        }
        int32_t removed = 0;
        // 64 bits: years of logs can add up to more than 4 GB, which must be reported, not
        // end the pass half-way.
        uint64_t freed = 0;
        for (const auto& [path, changed] : dated) {
            if (changed >= cutoff || changed.Date() == newestDay) continue;
            const int32_t size = GetFileSizeInBytes(path);
            if (KillFileAndDiscardError(path)) {
                if (size != -1) freed += static_cast<uint32_t>(size);
                ++removed;
            }
        }
        if (removed > 0) {
            WriteLine("Removed " + std::to_string(removed) + " logs. Freed " +
                      FormatGrouped(static_cast<double>(freed) / 1024.0, 2) + " kB of disk space.");
        }
    } catch (...) {
        // Files deleted so far stay deleted; the next day's pass picks up the rest.
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
