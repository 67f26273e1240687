#include <gtest/gtest.h>

#include "fake_dde.h"

namespace hdq {
namespace {

class HistDataSupervision : public ::testing::Test, protected test::DdeFormHarness {};

TEST_F(HistDataSupervision, StartsNothingWhenHistDataIsAlreadyRunning) {
    EXPECT_TRUE(form.Init());
    EXPECT_TRUE(host.starts.empty());
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 0"));
    EXPECT_TRUE(sb.Logged("frmDDE Init - HistData running"));
}

TEST_F(HistDataSupervision, BuildsTheProgramPathWithOneBackslash) {
    const std::pair<std::string, std::string> cases[] = {{"C:\\Wonderware\\", "C:\\Wonderware\\histdata.exe"},
                                                         {"C:\\Wonderware", "C:\\Wonderware\\histdata.exe"},
                                                         {"", "\\histdata.exe"}};
    for (const auto& [folder, exe] : cases) {
        host.starts.clear();
        host.WindowAfterStarts(1);
        sb.Set("DDE_HISTDATA_FOLDER", folder);
        ASSERT_TRUE(form.Init());
        EXPECT_EQ(std::vector<std::string>{exe}, host.starts) << folder;
        EXPECT_TRUE(sb.Logged("Found histdata program at: " + exe));
    }
}

TEST_F(HistDataSupervision, GivesUpAtOnceWhenTheProgramCannotBeStarted) {
    host.WindowNever();
    host.FailStarts({5, "Access is denied."});
    EXPECT_FALSE(form.Init());
    EXPECT_EQ(1u, host.starts.size());
    EXPECT_TRUE(sb.Logged("ERROR (5): Access is denied."));
    const std::string message =
        "Unable to start/restart/communicate with HISTDATA.EXE, make sure configuration points to executable. \r\n"
        "If HISTDATA.EXE is running, stop the program and restart it.";
    EXPECT_EQ(std::vector<std::string>{message}, activity.lines);
    EXPECT_TRUE(sb.Logged("If HISTDATA.EXE is running, stop the program and restart it."));
    EXPECT_TRUE(sb.Logged("Error: Unable to start HistData.exe"));
    EXPECT_FALSE(sb.LoggedStartingWith("Attempts to start histdata.exe"));
}

TEST_F(HistDataSupervision, WaitsForASlowWindowInsteadOfStartingAgainEvenAcrossATickWrap) {
    host.WindowAfterStarts(1, 6000);
    EXPECT_TRUE(form.Init());
    EXPECT_EQ(1u, host.starts.size());
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 1"));
    EXPECT_TRUE(sb.Logged("Historical Data Manager is not running, attempting to start number: 0"));
    EXPECT_FALSE(host.waits.empty());
    for (const std::string& t : host.titlesAsked) EXPECT_EQ("Historical Data Manager", t);

    // Also across a wrap of the tick counter.
    host.starts.clear();
    clock.SetTick(0xFFFFF000u);
    host.WindowAfterStarts(1, 8000);
    EXPECT_TRUE(form.Init());
    EXPECT_EQ(1u, host.starts.size());
}

TEST_F(HistDataSupervision, StopsAfterTenStartsWhenTheWindowNeverComes) {
    host.WindowNever();
    EXPECT_FALSE(form.Init());
    EXPECT_EQ(10u, host.starts.size());
    EXPECT_TRUE(sb.Logged("Historical Data Manager is not running, attempting to start number: 9"));
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 10"));
    EXPECT_TRUE(sb.Logged("Error: Unable to start HistData.exe"));
    // Each start is given its ten seconds and no more.
    EXPECT_GE(clock.TickMs(), 10u * 10000u);
    EXPECT_LT(clock.TickMs(), 10u * 11000u);
}

}  // namespace
}  // namespace hdq
