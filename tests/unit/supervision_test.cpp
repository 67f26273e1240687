#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

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

TEST_F(HistDataSupervision, StartsHistDataOnlyFromAnAbsoluteFolderOnALocalDrive) {
    const std::pair<std::string, std::string> folders[] = {  // folder, refusal ("" when started)
        {"C:\\Wonderware", ""}, {"C:\\Wonderware\\", ""}, {"\\\\server\\share", "\\\\server\\share is not"},
        {"Wonderware", "Wonderware is not"}, {"", "an empty one is not"}, {"C:", "C: is not"}};
    for (const auto& [folder, refusal] : folders) {
        host.WindowAfterStarts(1);
        host.starts.clear();
        sb.Set("DDE_HISTDATA_FOLDER", folder);
        EXPECT_EQ(refusal.empty(), form.Init()) << folder;
        EXPECT_EQ(refusal.empty() ? 1u : 0u, host.starts.size()) << folder;
        EXPECT_EQ(!refusal.empty(), sb.Logged("Error: DDE_HISTDATA_FOLDER must be a local folder such as C:\\Wonderware: " + refusal));
    }
    EXPECT_EQ(2, sb.CountLogged("Starting HistData: C:\\Wonderware\\histdata.exe"));
}

TEST_F(HistDataSupervision, AfterAStartWaitsUpToHalfAMinuteForHistDataToTakeAConversation) {
    struct Case {
        int starts;       // needed before the window comes
        int refused;      // initiates refused after that
        bool ending;      // the program is asked to end
        std::ptrdiff_t connects;  // initiates tried by Init and the request
        bool requestOk;
        std::string line;
    };
    const Case cases[] = {
        {1, 3, false, 4 + 1, true, "HistData took a DDE conversation 900 ms after its window appeared"},
        {1, 1000, false, 101 + 1, false, "HistData took no DDE conversation within 30 seconds of its window appearing"},
        {1, 1000, true, 0, false, "Request stopped: the program is ending"},
        // Running already: no wait, and the request meets the refusal itself.
        {0, 1, false, 0 + 1, false, "Error: Unable to get handle to HistDate through DDE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const int logged = sb.CountLogged(c.line);
        c.starts ? host.WindowAfterStarts(c.starts) : host.WindowPresent();
        host.starts.clear();
        channel.transcript.clear();
        channel.refuseConnects = c.refused;
        form.SetStopCheck([&] { return c.ending; });
        EXPECT_EQ(c.requestOk, RequestHour());
        EXPECT_EQ(c.connects, std::count_if(channel.transcript.begin(), channel.transcript.end(),
                                            [](const std::string& t) { return t.rfind("connect ", 0) == 0; }));
        EXPECT_EQ(logged + 1, sb.CountLogged(c.line));
    }
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
