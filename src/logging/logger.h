#pragma once
// VRXLoggerTXT: the activity log. One file per program run and calendar day in LogPath,
// named Prefix + "mm_dd_yyyy__hh_nn_ss" + Postfix + ".log", lines "hh:mm:ss : text" CR LF.
// Also the log retention manager (LSM_Init / LSM_Run) that deletes old files and keeps the
// folder under a total size.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include "core/datetime.h"
#include "core/log_sink.h"

namespace hdq {

// The log folder's cap in MB of 1,048,576 bytes: a year at the highest verbosity must not fill
// a plant PC's disk, and the ceiling only keeps a typing slip from turning the cap off.
inline constexpr int32_t kDefaultMaxLogMB = 500;
inline constexpr int32_t kHighestMaxLogMB = 1048576;

class VRXLoggerTXT : public LogSink {
public:
    VRXLoggerTXT();
    ~VRXLoggerTXT();
    VRXLoggerTXT(const VRXLoggerTXT&) = delete;
    VRXLoggerTXT& operator=(const VRXLoggerTXT&) = delete;

    void SetLogHandleAssertion(bool v) { handleAssertion_ = v; }
    const std::string& LogPath() const { return logPath_; }
    void SetLogPath(const std::string& v) { logPath_ = v; }
    const std::string& Prefix() const { return prefix_; }
    void SetPrefix(const std::string& v) { prefix_ = v; }
    const std::string& Postfix() const { return postfix_; }
    void SetPostfix(const std::string& v) { postfix_ = v; }
    int16_t Verbosity() const override { return verbosity_; }
    void SetVerbosity(int16_t v) { verbosity_ = v; }
    int16_t BufferLength() const { return bufferLength_; }
    void SetBufferLength(int16_t v) { bufferLength_ = v; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    // Path of the handle file; defaults to program folder \ exe name ".log_handle".
    void SetHandleFilePath(const std::string& v) { handleFile_ = v; }
    // Called once a new day's file is open: a program that runs for months must prune its
    // logs then too, not only at start-up. The owner passes the days to keep as they are
    // set now, so a changed setting applies from the next day.
    void SetOnNewDay(std::function<void()> v) { onNewDay_ = std::move(v); }
    // Called with each level-0 failure line (IsFailureLine), whether or not the log is
    // enabled. Lines the callee logs meanwhile do not call it again.
    void SetOnFailureLine(std::function<void(const std::string&)> v) { onFailureLine_ = std::move(v); }

    void closeLog();
    void AssertVerbosity();
    void WriteLog(const std::string& what, int verbosityLevel = 0) override;

    // Retention. A pass never deletes the newest day's files, and holds off while the clock
    // stands a day or more away from the time the program has run.
    void LSM_Init(int keepDays);
    void LSM_Run();
    // The size pass of LSM_Run, and of each twentieth of the cap written since the last pass,
    // deletes the oldest files first until the folder is under mb (clamped to 1..ceiling).
    // Neither the file being written nor any file of today's date goes.
    void LSM_SetMaxMB(int32_t mb);
    int32_t MaxLogMB() const { return maxMB_; }
    DateTime GetLastModifiedFileTime(const std::string& path) const;
    int32_t GetFileSizeInBytes(const std::string& path) const;
    bool KillFileAndDiscardError(const std::string& path) const;

    // The last error line written at level 0 ("Error...", "ERROR...", "Unable..."), with its
    // date and time; "" when there has been none. Plant monitoring reads it from the status file.
    const std::string& LastErrorLine() const { return lastError_; }

    // The file being written, empty when none is open.
    const std::string& CurrentFile() const { return currentFile_; }

private:
    void OpenLog();
    void WriteLine(const std::string& text);
    void WriteHandleFile(const std::string& name);
    bool RetentionDue();
    int64_t ClockStepHours();

    struct LogFile {
        std::string path;
        DateTime changed;
        uint64_t size = 0;
        bool current = false;  // the file being written
    };
    struct Removal {
        int32_t count = 0;
        // 64 bits: years of logs can add up to more than 4 GB, which must be reported, not
        // end the pass half-way.
        uint64_t bytes = 0;
    };
    std::optional<std::vector<LogFile>> ListLogs();
    void RemoveOldLogs(std::vector<LogFile>& files);  // takes out what it deleted
    void KeepUnderCap(const std::vector<LogFile>& files);
    bool RemoveLog(const LogFile& file, Removal& removal) const;
    void CheckSizeAfterGrowth();

    std::string logPath_;
    std::string prefix_;
    std::string postfix_;
    int16_t verbosity_ = 0;
    int16_t bufferLength_ = 1024;
    bool enabled_ = false;
    bool handleAssertion_ = false;
    std::string handleFile_;

    std::string currentFile_;
    DateTime openedDate_{};
    std::FILE* file_ = nullptr;

    int16_t keepDays_ = 1000;
    std::string retentionFolder_;
    DateTime lastRunHour_ = kZeroDate;
    bool lsmInitialised_ = false;
    // Wall clock and tick at the last look, and how far the wall clock has moved against the
    // ticks since the first LSM_Init, in milliseconds.
    DateTime clockMark_ = kZeroDate;
    uint32_t tickMark_ = 0;
    int64_t clockStepMs_ = 0;
    int32_t maxMB_ = kDefaultMaxLogMB;
    uint64_t writtenSinceSizePass_ = 0;
    std::function<void()> onNewDay_;
    std::function<void(const std::string&)> onFailureLine_;
    bool inFailureHook_ = false;
    std::string lastError_;
};

}  // namespace hdq
