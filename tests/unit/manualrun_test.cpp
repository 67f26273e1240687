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
    CommonManualRun dialog;
    dialog.Load();
    EXPECT_EQ("2011-03-24", dialog.StartText());
    EXPECT_EQ("2011-03-25 14:00:00", dialog.EndText());

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

}  // namespace
}  // namespace hdq
