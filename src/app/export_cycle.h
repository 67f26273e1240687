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
#include <vector>

#include "app/delivery_journal.h"
#include "app/retry_list.h"
#include "core/datetime.h"
#include "histdata/dde_form.h"

namespace hdq {

// How far one hour got; each step is raised as soon as it is done (the status display shows
// the saved hours; a test can stop the cycle at any of them as a kill would).
// Listed: the failed hours before it are on the retry list on disk, LAST_RUN not saved yet.
enum class HourStep { Checked, Moved, Listed, Saved };

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
    // The running cycle ends after the hour under way (the operator's Stop); the next cycle
    // runs as usual.
    void RequestStop() { stopRequested_ = running_; }
    // Called before each hour with the hour and how many hours remain (progress display).
    std::function<void(const DateTime& hour, long remaining)> OnProgress;
    std::function<void(HourStep step, const DateTime& hour)> OnHourStep;
    std::function<void()> OnFinished;  // the mouse pointer goes back to the arrow

    // The retry list as the last cycle left it (read from its file before the first cycle);
    // empty while the file cannot be read.
    const RetryList& Retries();
    // The newest hour this program has exported, when it has exported one since it started
    // or the status file of an earlier run names it (SetLastExported).
    const std::optional<DateTime>& LastExported() const { return lastExported_; }
    void SetLastExported(const DateTime& hour) { lastExported_ = hour; }
    // What keeps hours from reaching the output folder now, for the status file and the tray,
    // e.g. "HistData does not answer"; "" when nothing does.
    std::string Trouble() const;
    // The hours of the last cycle that failed (a manual run reports them), and how many
    // hours it asked for.
    const std::vector<DateTime>& FailedHours() const { return failedInCycle_; }
    long HoursAsked() const { return hoursAsked_; }
    // Where every hour delivered, without data, or given up is written down.
    DeliveryJournal& Journal() { return journal_; }

    static constexpr int kTimeoutsBeforeStop = 2;
    // A long list of failing hours must not hold the service: one cycle retries at most this
    // many listed hours, or as many as it asked new hours for when that is more.
    static constexpr long kRetriesPerCycle = 24;

private:
    enum class Outcome { Exported, NoData, Failed };
    Outcome ExportHour(const DateTime& cursor, long remaining);
    // A service run's record of a finished hour: the retry list first, then LAST_RUN, so that
    // a kill between the two saves asks for an hour twice rather than never.
    void RecordServiceHour(const DateTime& hour);
    // A failed hour of a manual run goes straight onto the retry list.
    void ListFailedHour(const DateTime& hour);
    // False when the cycle had to stop (see ReadyFor).
    bool RetryListedHours(std::vector<RetryList::Entry> listed, long newRequests);
    // Before each hour: false (with the line that says why) when the program or the session
    // is ending, when HistData hangs, or when it failed the last hour and cannot be brought
    // back.
    bool ReadyFor(const DateTime& hour);
    // Reads the retry list once it can be read; false (with one level-0 line per new
    // failure) while the file is there but unreadable.
    bool LoadRetries();
    bool SaveRetries();
    // LAST_RUN into memory and the INI file, keeping an operator's edits of other keys.
    void SaveLastRun(const DateTime& next);
    // A LAST_RUN more than an hour after now was saved while the clock ran ahead: the hours
    // since the last one that held data are asked for again.
    DateTime ResumeAfterClockStep(const DateTime& lastRun, const DateTime& now);
    void Step(HourStep step, const DateTime& hour) {
        if (OnHourStep) OnHourStep(step, hour);
    }

    DdeForm& form_;
    DeliveryJournal journal_;
    std::unique_ptr<TagTable> filter_;
    bool running_ = false;
    bool stopRequested_ = false;
    std::optional<RetryList> retries_;
    std::string retryReadError_;  // why the retry file cannot be read, "" when it can
    bool retriesUnsaved_ = false;  // the last save of the list failed
    bool addsUnsaved_ = false;     // the list in memory holds hours the file lacks
    bool lastRunUnsaved_ = false;
    bool histDataHung_ = false;
    bool clockStepped_ = false;
    std::optional<DateTime> lastExported_;
    // This service run: LAST_RUN as a date-time, and the hours that failed and are not listed
    // yet (they lie from LAST_RUN on, so the next cycle asks for them anyway).
    DateTime lastRun_;
    std::set<DateTime> failedHours_;
    std::set<DateTime> asked_;  // each hour once per cycle, whatever the step
    std::vector<DateTime> failedInCycle_;
    long hoursAsked_ = 0;
    int timeoutsInARow_ = 0;
    bool superviseFirst_ = false;  // the last request failed: check HistData before the next
    // Where the next retry pass starts, so that hours past the per-cycle bound get their turn.
    std::optional<DateTime> nextRetryFrom_;
};

}  // namespace hdq
