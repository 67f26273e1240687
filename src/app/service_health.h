#pragma once
// What keeps hours from reaching the importer, told where someone will see it: the tray's
// warning mark and tip, the status bar, one balloon when the trouble starts and one when it
// clears, and an event in the Application log for each kind as it appears.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "logging/event_log.h"

namespace hdq {

struct ServiceHealth {
    std::size_t waiting = 0;                // hours on the retry list
    std::optional<DateTime> oldestWaiting;  // the first of them
    std::string cycleTrouble;               // ExportCycle::Trouble()
    std::string unreachable;                // what a start has waited for too long, e.g. "the output folder X"
    std::optional<DateTime> lastRunAhead;   // LAST_RUN, when it lies more than an hour after now
};

// The kinds of trouble, in the order the tray tip names them: first how many hours the
// importer lacks, then why.
enum class TroubleKind { HoursWaiting, HistDataNotAnswering, SaveFailed, FolderUnreachable, ClockProblem };
std::vector<TroubleKind> TroubleKinds(const ServiceHealth& health);
// The sentence for the status bar, the balloon and the event, e.g.
// "12 hour(s) wait for retry, the oldest 2026-12-06 05:00; HistData does not answer"; "" for none.
std::string TroubleText(const ServiceHealth& health);
// The tray tip within the 63 characters the tray's record holds, the most important fact
// first: "HistDataToQorp: 12 h waiting, HistData not answering"; without trouble the name and
// the status text on a second line.
std::string TrayTip(const std::string& name, const ServiceHealth& health, const std::string& status);

// Decides the balloons and events as the health changes. Never more than one balloon an
// hour: one held back is shown at the first change after the hour if it is still true.
class TroubleWatch {
public:
    explicit TroubleWatch(EventSink& events) : events_(events) {}
    // The balloon to show now, if any. lastExported names the hour the trouble cleared up to.
    std::optional<std::string> Update(const ServiceHealth& health, const std::optional<DateTime>& lastExported,
                                      const DateTime& now);
    // For a balloon that is not about the trouble (the paused reminder): true when the hour's
    // one balloon is still free, and it is then taken.
    bool TakeBalloon(const DateTime& now);
    bool Troubled() const { return !active_.empty(); }

private:
    EventSink& events_;
    std::vector<TroubleKind> active_;
    std::optional<DateTime> lastBalloon_;
    std::optional<std::string> held_;
    bool heldTroubled_ = false;  // whether the held balloon tells of a start (or of the clear)
};

}  // namespace hdq
