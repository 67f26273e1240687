#include <gtest/gtest.h>

#include "fake_dde.h"

namespace hdq {
namespace {

class HistDataSupervision : public ::testing::Test, protected test::DdeFormHarness {};

TEST_F(HistDataSupervision, WaitsForASlowWindowInsteadOfStartingAgainEvenAcrossATickWrap) {
    for (uint32_t tick : {0u, 0xFFFFF000u}) {
        SCOPED_TRACE(tick);
        host.starts.clear();
        clock.SetTick(tick);
        host.WindowAfterStarts(1, 6000);
        EXPECT_TRUE(form.Init());
        EXPECT_EQ(1u, host.starts.size());
    }
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 1"));
}

TEST_F(HistDataSupervision, StartsNothingWhenRunningAndStopsAtAProgramThatCannotStart) {
    sb.Set("DDE_HISTDATA_FOLDER", "C:\\Wonderware\\");
    EXPECT_TRUE(form.Init());
    EXPECT_TRUE(host.starts.empty());
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 0"));

    sb.Set("DDE_HISTDATA_FOLDER", "C:\\Wonderware");
    host.WindowNever();
    host.FailStarts(OsError{2, "The system cannot find the file specified."});
    EXPECT_FALSE(form.Init());
    EXPECT_EQ(std::vector<std::string>{"C:\\Wonderware\\histdata.exe"}, host.starts);
    EXPECT_TRUE(sb.LoggedStartingWith("ERROR (2): "));
    EXPECT_EQ(1, activity.CountOf("Unable to start/restart/communicate with HISTDATA.EXE, make sure configuration "
                                  "points to executable. \r\nIf HISTDATA.EXE is running, stop the program and restart it."));
}

TEST_F(HistDataSupervision, StopsAfterTenStartsWhenTheWindowNeverComes) {
    host.WindowNever();
    EXPECT_FALSE(form.Init());
    EXPECT_EQ(10u, host.starts.size());
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 10"));
    EXPECT_TRUE(sb.Logged("Error: Unable to start HistData.exe"));
    // Each start is given its ten seconds and no more.
    EXPECT_GE(clock.TickMs(), 10u * 10000u);
    EXPECT_LT(clock.TickMs(), 10u * 11000u);
}

}  // namespace
}  // namespace hdq
