// The Deliveries window's picture of the week, from a journal, a retry list and LAST_RUN.
#include <gtest/gtest.h>

#include "app/week_picture.h"
#include "core/files.h"
#include "test_support.h"

namespace hdq {
namespace {

DateTime At(int month, int day, int hour, int minute = 0) { return DateTime{2026, month, day, hour, minute, 0}; }
JournalLine Line(DateTime hour, DateTime recorded, JournalOutcome outcome, int64_t rows = 0, int64_t bytes = 0) {
    return JournalLine{hour, recorded, outcome, rows, bytes, rows ? std::string(64, 'a') : ""};
}

TEST(WeekPicture, EachHourTakesItsLatestRecordAndHoursAheadAreNotYetDue) {
    // Now is 2026-12-03 10:20, so the week runs from 2026-11-27 00:00; LAST_RUN is 12-03 08:00.
    test::TempFolder dir;
    const auto D = JournalOutcome::Delivered;
    const JournalLine november[] = {
        Line(At(11, 27, 0), At(11, 27, 1), D, 60, 5120),
        Line(At(11, 30, 23), At(11, 30, 23, 59), JournalOutcome::NoData),  // a line of the hour before the week
        Line(At(11, 26, 23), At(11, 27, 0, 5), D, 1, 10),
        Line(At(11, 28, 5), At(11, 28, 6), JournalOutcome::GivenUp),
    };
    const JournalLine december[] = {
        Line(At(11, 30, 23), At(12, 1, 0, 1), D, 1, 99),                  // recorded across the month boundary
        Line(At(11, 28, 5), At(12, 2, 9), D, 2, 20),                      // given up, then delivered by hand
        Line(At(12, 3, 7), At(12, 3, 7, 30), D, 3, 30),
        Line(At(12, 3, 9), At(12, 3, 9, 2), D, 4, 40),                    // a manual run ahead of LAST_RUN
    };
    std::string nov = std::string(kJournalHeader) + "\r\n", dec = nov;
    for (const auto& l : november) nov += FormatJournalLine(l) + "\r\n";
    for (const auto& l : december) dec += FormatJournalLine(l) + "\r\n";
    test::WriteFile(dir / "2026-11.csv", nov);
    test::WriteFile(dir / "2026-12.csv", dec + "2026-12-03 06:00:00,2026-12-03 0");  // cut by a power failure
    test::WriteFile(dir / "p.retry", "2026-12-02 04:00:00,2026-12-02 05:01:00\r\n2026-12-03 07:00:00,2026-12-03 "
                                     "07:45:00\r\n2026-12-03 06:00:00,2026-12-03 07:01:00\r\nrubbish\r\n");
    const WeekPicture picture = ReadWeekPicture(dir.path(), dir / "p.retry", "12-03-2026 08:00:00", At(12, 3, 10, 20));

    struct Case {
        int day, hour;
        HourState state;
        std::string text;
    } cases[] = {
        {0, 0, HourState::Delivered, "2026-11-27 00:00 delivered 2026-11-27 01:00:00, 60 rows, 5,120 bytes"},
        {0, 1, HourState::NoRecord, "2026-11-27 01:00 no record"},
        {3, 23, HourState::Delivered, "2026-11-30 23:00 delivered 2026-12-01 00:01:00, 1 row, 99 bytes"},
        {1, 5, HourState::Delivered, "2026-11-28 05:00 delivered 2026-12-02 09:00:00, 2 rows, 20 bytes"},
        {5, 4, HourState::WaitingForRetry, "2026-12-02 04:00 waiting for retry since 2026-12-02 05:01:00"},
        {6, 6, HourState::WaitingForRetry, "2026-12-03 06:00 waiting for retry since 2026-12-03 07:01:00"},
        {6, 7, HourState::WaitingForRetry, "2026-12-03 07:00 waiting for retry since 2026-12-03 07:45:00"},
        {6, 8, HourState::NotYetDue, "2026-12-03 08:00 not yet due"},
        {6, 9, HourState::Delivered, "2026-12-03 09:00 delivered 2026-12-03 09:02:00, 4 rows, 40 bytes"},
        {6, 10, HourState::NotYetDue, "2026-12-03 10:00 not yet due"},
        {6, 23, HourState::NotYetDue, "2026-12-03 23:00 not yet due"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.state, picture.At(c.day, c.hour).state);
        EXPECT_EQ(c.text, picture.At(c.day, c.hour).text);
    }
    // Without a readable LAST_RUN only the clock says what is not yet due; reading wrote nothing.
    EXPECT_EQ(HourState::NoRecord, ReadWeekPicture(dir.path(), dir / "p.retry", "", At(12, 3, 10, 20)).At(6, 8).state);
    EXPECT_EQ(std::vector<std::string>({"2026-11.csv", "2026-12.csv", "p.retry"}), test::FilesIn(dir.path()));
}

}  // namespace
}  // namespace hdq
