#include <gtest/gtest.h>

#include <vector>

#include "app/globals.h"
#include "app/manualrun.h"
#include "app/shared.h"
#include "fake_dde.h"

namespace hdq {
namespace {

class ManualRun : public ::testing::Test {
protected:
    void SetUp() override {
        CreateSharedObjects();
        AppLog().SetVerbosity(2);
        SetActivityList(&list);
    }
    void TearDown() override { SetActivityList(nullptr); }

    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    test::RecordingActivityList list;
    CommonManualRun dialog;
};

TEST_F(ManualRun, RunOnTheDefaultsCoversYesterdayMidnightUpToTheCurrentHour) {
    dialog.Load();
    EXPECT_EQ("2011-03-24", dialog.StartText());
    EXPECT_EQ("2011-03-25 14:00:00", dialog.EndText());
    dialog.Run(dialog.StartText(), dialog.EndText());
    EXPECT_EQ(CommonManualRun::kRun, dialog.ManualRunResult());
    EXPECT_EQ((DateTime{2011, 3, 24, 0, 0, 0}), dialog.StartDate());
    EXPECT_EQ((DateTime{2011, 3, 25, 14, 0, 0}), dialog.EndDate());
    EXPECT_EQ(std::vector<std::string>{"Start: 2011-03-24, End: 2011-03-25 14:00:00"}, list.lines);
}

TEST_F(ManualRun, ReplacesUnreadableDatesWithTodayOrTheDayBeforeTheEnd) {
    dialog.Run("yesterday", "tomorrow");
    EXPECT_EQ((DateTime{2011, 3, 25, 0, 0, 0}), dialog.EndDate());
    EXPECT_EQ((DateTime{2011, 3, 24, 0, 0, 0}), dialog.StartDate());
    ASSERT_EQ(3u, list.lines.size());
    EXPECT_EQ("Invalid End Date, using: 2011-03-25", list.lines[0]);
    EXPECT_EQ("Invalid Start Date, using 2011-03-24", list.lines[1]);

    list.lines.clear();
    dialog.Run("", "2011-01-01 05:30:00");
    EXPECT_EQ((DateTime{2011, 1, 1, 5, 30, 0}), dialog.EndDate());
    EXPECT_EQ((DateTime{2010, 12, 31, 0, 0, 0}), dialog.StartDate());
    EXPECT_EQ("Invalid Start Date, using 2010-12-31", list.lines.at(0));
}

TEST_F(ManualRun, AcceptsAStartLaterThanTheEndUntruncated) {
    dialog.Run("2011-03-25 16:45:00", "2011-03-25 10:15:00");
    EXPECT_EQ(CommonManualRun::kRun, dialog.ManualRunResult());
    EXPECT_EQ((DateTime{2011, 3, 25, 16, 45, 0}), dialog.StartDate());
    EXPECT_EQ((DateTime{2011, 3, 25, 10, 15, 0}), dialog.EndDate());
}

TEST_F(ManualRun, KeepsTheRangeLineOffTheScreenBelowFullDetailAndCloseForgetsTheDates) {
    AppLog().SetVerbosity(1);
    dialog.Run("2011-03-20", "2011-03-21");
    EXPECT_TRUE(list.lines.empty());
    dialog.Close();
    EXPECT_EQ(CommonManualRun::kClose, dialog.ManualRunResult());
    EXPECT_EQ(kZeroDate, dialog.StartDate());
    EXPECT_EQ(kZeroDate, dialog.EndDate());
}

}  // namespace
}  // namespace hdq
