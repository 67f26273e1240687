#pragma once
// The activity writer: each line goes to the main window's activity list when the verbosity
// allows, and always to the log. Pieces that also write plain log lines use it as their log.
#include <string>

#include "core/log_sink.h"
#include "logging/logger.h"

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

inline constexpr int kActivityListLimit = 10000;

class ActivityLog : public LogSink {
public:
    explicit ActivityLog(VRXLoggerTXT& log) : log_(log) {}

    void SetList(ActivityList* list) { list_ = list; }  // nullptr: lines go only to the log
    ActivityList* List() const { return list_; }

    // LogActivity: on screen when the verbosity allows, always to the log.
    void LogActivity(const std::string& text, int level);
    // A line for the log alone.
    void WriteLog(const std::string& what, int level = 0) override { log_.WriteLog(what, level); }
    int16_t Verbosity() const override { return log_.Verbosity(); }

private:
    VRXLoggerTXT& log_;
    ActivityList* list_ = nullptr;
};

}  // namespace hdq
