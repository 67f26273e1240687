#pragma once
// The export cycle: one HistData request per hour of a range, the move of each hour's checked
// CSV file to the output folder, and, in service runs, LAST_RUN moved on hour by hour with the
// failed hours kept on the retry list, so that neither a failure nor a kill loses an hour.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>

#include "app/retry_list.h"
#include "core/datetime.h"
#include "histdata/dde_form.h"

namespace hdq {

// How far one hour got; each step is raised as soon as it is done (the status display shows
// the saved hours; a test can stop the cycle at any of them as a kill would).
enum class HourStep { Checked, Moved, Saved };

class ExportCycle {
public:
    explicit ExportCycle(DdeForm& form) : form_(form) {}

    // RangeStart holds a date-time, or the text of LAST_RUN, converted when the cycle starts.
    std::variant<DateTime, std::string> RangeStart;
    DateTime RangeEnd;
    bool ServiceRunning = false;

    bool ProcessHistFiles();
    std::unique_ptr<TagTable> FilterTagHash();

    // True while ProcessHistFiles runs (its waits pump messages, so handlers can re-enter).
    bool Running() const { return running_; }
    // Called before each hour with the hour and how many hours remain (progress display).
    std::function<void(const DateTime& hour, long remaining)> OnProgress;
    std::function<void(HourStep step, const DateTime& hour)> OnHourStep;
    std::function<void()> OnFinished;  // the mouse pointer goes back to the arrow

    // The retry list as the last cycle left it (read from its file before the first cycle).
    const RetryList& Retries();
    // The newest hour this program has exported, when it has exported one since it started.
    const std::optional<DateTime>& LastExported() const { return lastExported_; }

private:
    enum class Outcome { Exported, NoData, Failed };
    Outcome ExportHour(const DateTime& cursor, long remaining);
    // A service run's record of a finished hour: the retry list first, then LAST_RUN, so that
    // a kill between the two saves asks for an hour twice rather than never.
    void RecordServiceHour(const DateTime& hour);
    // False when the cycle had to stop (see ReadyFor).
    bool RetryListedHours(long newRequests);
    // Before each hour: false (with the line that says why) when the program or the session
    // is ending, or when HistData failed the last hour and cannot be brought back.
    bool ReadyFor(const DateTime& hour);
    void Step(HourStep step, const DateTime& hour) {
        if (OnHourStep) OnHourStep(step, hour);
    }

    DdeForm& form_;
    std::unique_ptr<TagTable> filter_;
    bool running_ = false;
    std::optional<RetryList> retries_;
    std::optional<DateTime> lastExported_;
    // This service run: LAST_RUN as a date-time, and the hours that failed and are not listed
    // yet (they lie from LAST_RUN on, so the next cycle asks for them anyway).
    DateTime lastRun_;
    std::set<DateTime> failedHours_;
    bool superviseFirst_ = false;  // the last request failed: check HistData before the next
};

}  // namespace hdq
