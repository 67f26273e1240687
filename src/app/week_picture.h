#pragma once
// What became of each hour of the last seven days, as the Deliveries window shows it: one
// state per hour, drawn from the delivery journal, the retry list and LAST_RUN. It only reads
// them; the service alone writes them.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/journal_line.h"
#include "app/retry_list.h"
#include "core/datetime.h"

namespace hdq {

enum class HourState { Delivered, NoData, WaitingForRetry, GivenUp, NotYetDue, NoRecord };
inline constexpr HourState kHourStates[] = {HourState::Delivered, HourState::NoData,    HourState::WaitingForRetry,
                                            HourState::GivenUp,   HourState::NotYetDue, HourState::NoRecord};

// "delivered", "no data", "waiting for retry", "given up", "not yet due", "no record".
const char* HourStateWord(HourState state);
// One character per state, so the picture reads without its colours.
char HourStateMark(HourState state);

struct HourCell {
    DateTime hour;
    HourState state = HourState::NoRecord;
    std::string text;  // the hour, its state and the journal's facts: the tip and the screen reader's line
};

class WeekPicture {
public:
    static constexpr int kDays = 7;
    static constexpr int kHours = 24;

    // Today and the six days before it, oldest first. LAST_RUN is the first hour the service
    // has not reached; nullopt when it cannot be read.
    static WeekPicture Build(const std::vector<JournalLine>& journal, const std::vector<RetryList::Entry>& retries,
                             const std::optional<DateTime>& lastRun, const DateTime& now);

    // Row 0 is the oldest day.
    const HourCell& At(int day, int hour) const { return cells_[static_cast<size_t>(day * kHours + hour)]; }
    const std::array<HourCell, kDays * kHours>& Cells() const { return cells_; }

private:
    std::array<HourCell, kDays * kHours> cells_;
};

// The picture from the files: the journal files of now's month and the month before in
// journalFolder, the retry list file, and LAST_RUN's INI text. Files that are missing or
// unreadable count as empty.
WeekPicture ReadWeekPicture(const std::string& journalFolder, const std::string& retryFile,
                            const std::string& lastRunText, const DateTime& now);

// The program's own: JournalFolder(), RetryFile(), LAST_RUN of AppConfig(), AppClock()'s now.
WeekPicture ReadProgramWeekPicture();

}  // namespace hdq
