#include "app/week_picture.h"

#include <map>

#include "app/globals.h"
#include "app/shared.h"
#include "core/clock.h"
#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {
constexpr const char* kStamp = "yyyy-mm-dd hh:nn:ss";

std::string Facts(const JournalLine& line) {
    std::string text = std::string(OutcomeWord(line.outcome)) + " " + FormatPattern(line.recorded, kStamp);
    if (line.outcome != JournalOutcome::Delivered) return text;
    return text + ", " + FormatGrouped(static_cast<double>(line.rows), 0) + (line.rows == 1 ? " row, " : " rows, ") +
           FormatGrouped(static_cast<double>(line.bytes), 0) + " bytes";
}

HourState StateOf(JournalOutcome outcome) {
    switch (outcome) {
    case JournalOutcome::Delivered: return HourState::Delivered;
    case JournalOutcome::NoData: return HourState::NoData;
    case JournalOutcome::GivenUp: return HourState::GivenUp;
    }
    return HourState::NoRecord;
}

std::vector<JournalLine> ReadJournalFile(const std::string& path) {
    if (!fsys::Exists(path)) return {};
    const std::optional<std::string> content = fsys::ReadAll(path);
    return content ? ParseJournal(*content) : std::vector<JournalLine>{};
}

// The list's lines without RetryList::Load, which sets damaged lines aside in a file: this
// picture must not write.
std::vector<RetryList::Entry> ReadRetryFile(const std::string& path) {
    const std::optional<std::string> content = fsys::Exists(path) ? fsys::ReadAll(path) : std::nullopt;
    return content ? ParseRetryList(*content) : std::vector<RetryList::Entry>{};
}
}  // namespace

const char* HourStateWord(HourState state) {
    switch (state) {
    case HourState::Delivered: return "delivered";
    case HourState::NoData: return "no data";
    case HourState::WaitingForRetry: return "waiting for retry";
    case HourState::GivenUp: return "given up";
    case HourState::NotYetDue: return "not yet due";
    case HourState::NoRecord: return "no record";
    }
    return "";
}

char HourStateMark(HourState state) {
    switch (state) {
    case HourState::Delivered: return 'D';
    case HourState::NoData: return 'N';
    case HourState::WaitingForRetry: return 'R';
    case HourState::GivenUp: return 'X';
    case HourState::NotYetDue: return '-';
    case HourState::NoRecord: return '?';
    }
    return ' ';
}

WeekPicture WeekPicture::Build(const std::vector<JournalLine>& journal, const std::vector<RetryList::Entry>& retries,
                               const std::optional<DateTime>& lastRun, const DateTime& now) {
    const DateTime first = now.Date().AddDays(-(kDays - 1));
    // Lines come in the order they were written (last month's file first); a later line for
    // the same hour settles it again, as a manual run does for an hour given up.
    std::map<DateTime, const JournalLine*> settled;
    for (const JournalLine& line : journal) {
        const JournalLine*& known = settled[TruncateToHour(line.hour)];
        if (!known || !(line.recorded < known->recorded)) known = &line;
    }
    std::map<DateTime, const RetryList::Entry*> waiting;
    for (const RetryList::Entry& entry : retries) waiting[entry.hour] = &entry;

    WeekPicture picture;
    for (int i = 0; i < kDays * kHours; ++i) {
        HourCell& cell = picture.cells_[static_cast<size_t>(i)];
        cell.hour = first.AddSeconds(int64_t{3600} * i);
        const auto line = settled.find(cell.hour);
        const auto entry = waiting.find(cell.hour);
        std::string facts;
        if (now < cell.hour.AddSeconds(3600)) {
            cell.state = HourState::NotYetDue;
        } else if (entry != waiting.end() && (line == settled.end() || line->second->recorded < entry->second->listed)) {
            // Listed again after its last line: a manual run of it failed anew.
            cell.state = HourState::WaitingForRetry;
            facts = " since " + FormatPattern(entry->second->listed, kStamp);
        } else if (line != settled.end()) {
            cell.state = StateOf(line->second->outcome);
            cell.text = FormatPattern(cell.hour, "yyyy-mm-dd hh:nn ") + Facts(*line->second);
            continue;
        } else if (lastRun && !(cell.hour < *lastRun)) {
            cell.state = HourState::NotYetDue;
        } else {
            cell.state = HourState::NoRecord;
        }
        cell.text = FormatPattern(cell.hour, "yyyy-mm-dd hh:nn ") + HourStateWord(cell.state) + facts;
    }
    return picture;
}

WeekPicture ReadWeekPicture(const std::string& journalFolder, const std::string& retryFile,
                            const std::string& lastRunText, const DateTime& now) {
    // An hour is recorded in its own month or later, so the week's lines lie in these two files.
    const DateTime lastMonth = now.Date().AddDays(-now.day);
    std::vector<JournalLine> journal;
    for (const DateTime& month : {lastMonth, now}) {
        std::vector<JournalLine> lines = ReadJournalFile(fsys::WithBackslash(journalFolder) + JournalFileName(month));
        journal.insert(journal.end(), lines.begin(), lines.end());
    }
    return WeekPicture::Build(journal, ReadRetryFile(retryFile), ParseDateTime(lastRunText), now);
}

WeekPicture ReadProgramWeekPicture() {
    return ReadWeekPicture(JournalFolder(), RetryFile(), AppConfig().item("LAST_RUN"), AppClock().Now());
}

}  // namespace hdq
