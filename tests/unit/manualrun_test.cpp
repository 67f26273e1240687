#include <gtest/gtest.h>

#include <vector>

#include "app/globals.h"
#include "app/manualrun.h"
#include "app/shared.h"
#include "fake_dde.h"

namespace hdq {
namespace {

TEST(ManualRun, OffersYesterdayToTheCurrentHourAndReplacesUnreadableDatesWithTodayOrTheDayBeforeTheEnd) {
    CreateSharedObjects();
    AppLog().SetVerbosity(2);
    test::RecordingActivityList list;
    SetActivityList(&list);
    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    const auto dates = UserOperatorDates();
    CommonManualRun dialog{*dates};
    dialog.Load();
    EXPECT_EQ("2011-03-24 00:00", dialog.StartText());
    EXPECT_EQ("2011-03-25 14:00", dialog.EndText());

    dialog.Run("yesterday", "tomorrow");
    EXPECT_EQ((DateTime{2011, 3, 25, 0, 0, 0}), dialog.EndDate());
    EXPECT_EQ((DateTime{2011, 3, 24, 0, 0, 0}), dialog.StartDate());
    EXPECT_EQ("Invalid End Date, using: 2011-03-25", list.lines.at(0));
    EXPECT_EQ("Invalid Start Date, using 2011-03-24", list.lines.at(1));

    dialog.Run("", "2011-01-01 05:30:00");
    EXPECT_EQ(CommonManualRun::kRun, dialog.ManualRunResult());
    EXPECT_EQ((DateTime{2011, 1, 1, 5, 30, 0}), dialog.EndDate());
    EXPECT_EQ((DateTime{2010, 12, 31, 0, 0, 0}), dialog.StartDate());
    SetActivityList(nullptr);
}

TEST(ManualRun, CountsTheHoursTheCycleWillAskForAsTheOperatorTypes) {
    const auto dates = UserOperatorDates();
    CommonManualRun dialog{*dates};
    const char* const ranges[][3] = {
        {"2011-03-24", "2011-03-24 01:00", "1 hour to export"},
        {"2011-03-24 08:30", "2011-03-25 20:00", "36 hours to export (1.5 days)"},
        {"2011-03-25 14:00", "2011-03-25 14:59", "No hour to export: the start is not before the end"},
        {"gestern", "2011-03-25", "The start is not a date in the form shown"},
        {"2011-03-25", "31.02.2011", "The end is not a date in the form shown"},
    };
    for (const auto& r : ranges) EXPECT_EQ(r[2], dialog.RangeText(r[0], r[1]));
    // A week is run at once, a minute more is confirmed first.
    dialog.Run("2011-03-18 14:00", "2011-03-25 14:00");
    EXPECT_EQ(CommonManualRun::kConfirmAbove, dialog.Hours());
    dialog.Run("2010-03-25 14:00", "2011-03-25 14:00");
    EXPECT_EQ(8760, dialog.Hours());
}

}  // namespace
}  // namespace hdq
