// The export cycle against a scripted stand-in for the DDE request window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/msgwait.h"
#include "app/shared.h"
#include "fake_dde.h"

namespace hdq {
namespace {

constexpr DateTime At(int hour, int minute = 0) { return DateTime{2011, 3, 25, hour, minute, 0}; }

class ExportCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        sb.Set("OUTPUT_FOLDER", sb / "out");
        sb.Set("DDE_DURATION", "60m");
        MakeFolder(CacheFolder());
        SetActivityList(&activity);
        SetQuitRequested(false);
        cycle.RangeStart = At(10);
        cycle.RangeEnd = At(12);
    }

    test::AppSandbox sb;
    test::RecordingActivityList activity;
    test::ScriptedForm form;
    ExportCycle cycle{form};
};

TEST_F(ExportCycleTest, StepsInMinutesAndCountsTheRequestsLeftIncludingTheCurrentOne) {
    sb.Set("DDE_DURATION", "59m");
    std::vector<std::pair<DateTime, long>> progress;
    cycle.OnProgress = [&](const DateTime& hour, long remaining) { progress.emplace_back(hour, remaining); };
    EXPECT_TRUE(cycle.ProcessHistFiles());
    // The cursor is not cut back to the hour: each request starts 59 minutes after the last.
    EXPECT_EQ((std::vector<DateTime>{At(10), At(10, 59), At(11, 58)}), form.starts);
    EXPECT_EQ((std::vector<std::pair<DateTime, long>>{{At(10), 3}, {At(10), 2}, {At(11), 1}}), progress);
}

TEST_F(ExportCycleTest, RequestsTheHoursBeforeTheEndHourByTheDurationsNumberOfMinutes) {
    struct Case {
        const char* duration;
        DateTime end;
        int requests;
    };
    // The unit letter is ignored: "2h" steps two minutes, thirty requests an hour.
    for (const Case& c : {Case{"60m", At(10, 30), 0}, Case{"60m", At(12), 2}, Case{"2h", At(11), 30}}) {
        SCOPED_TRACE(c.duration);
        sb.Set("DDE_DURATION", c.duration);
        cycle.RangeEnd = c.end;
        form.requests = 0;
        activity.lines.clear();
        EXPECT_TRUE(cycle.ProcessHistFiles());
        EXPECT_EQ(c.requests, form.requests);
        EXPECT_TRUE(activity.HasPrefix("Processing Files completed upto: " + FormatGeneral(TruncateToHour(c.end))));
    }
}

TEST_F(ExportCycleTest, ServiceRunMovesLastRunToTheEndOnTheFirstMovedHourAndSkipsAFailedOne) {
    sb.Set("LAST_RUN", "03-24-2011 00:00:00");
    form.failRequest = 1;
    EXPECT_TRUE(cycle.ProcessHistFiles());  // a manual run leaves LAST_RUN alone
    EXPECT_EQ("03-24-2011 00:00:00", AppConfig().item("LAST_RUN"));
    EXPECT_TRUE(activity.HasPrefix("Unable to create file for: " + FormatGeneral(At(10))));
    EXPECT_EQ(2, form.requests);

    cycle.ServiceRunning = true;
    form.requests = 0;
    form.failRequest = 2;  // a later failure does not move it back
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ(FormatGeneral(At(12)), AppConfig().item("LAST_RUN"));
    EXPECT_NE(std::string::npos, test::ReadFile(sb / "test.ini").find("LAST_RUN=" + FormatGeneral(At(12))));
}

TEST_F(ExportCycleTest, ExitDuringTheCycleStopsItAfterTheHourUnderWayAndLastRunPointsAtTheFirstHourLeft) {
    sb.Set("LAST_RUN", "03-24-2011 00:00:00");
    cycle.ServiceRunning = true;
    cycle.RangeEnd = At(14);
    form.onRequest = [](int n) { SetQuitRequested(n == 2); };  // as a wait that takes the quit
    EXPECT_FALSE(cycle.ProcessHistFiles());
    EXPECT_EQ(2, form.requests);
    EXPECT_TRUE(activity.HasPrefix("Export stopped before " + FormatGeneral(At(12)) + ": the program is ending"));
    EXPECT_FALSE(activity.HasPrefix("Processing Files completed upto: "));
    EXPECT_EQ(FormatGeneral(At(12)), AppConfig().item("LAST_RUN"));
    EXPECT_NE(std::string::npos, test::ReadFile(sb / "test.ini").find("LAST_RUN=" + FormatGeneral(At(12))));
}

TEST_F(ExportCycleTest, FilteredListStopsAtTheFirstMissingNumberAndIsOnlyUsedWhenSelectAllIsFalse) {
    sb.Set("TAGNAME_1", "FT101");
    sb.Set("TAGNAME_3", "FT103");
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_TRUE(form.tagKeys.empty());
    sb.Set("SELECTALLTAGS", "false");
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ(std::vector<std::string>{"FT101"}, form.tagKeys);

    sb.Set("TAGNAME_2", "FT101");  // the same tag twice ends the cycle before any request
    form.requests = 0;
    EXPECT_FALSE(cycle.ProcessHistFiles());
    EXPECT_TRUE(activity.HasPrefix("ERROR: ProcessHistFiles(457): "));
    EXPECT_EQ(0, form.requests);
}

TEST_F(ExportCycleTest, DurationBelowOneMinuteOrMissingEndsTheCycleBeforeAnyRequest) {
    int finished = 0;
    cycle.OnFinished = [&] { ++finished; };
    // A step below one minute would never reach the end of the range.
    for (const char* duration : {"0m", "-5m", ""}) {
        SCOPED_TRACE(duration);
        sb.Set("DDE_DURATION", duration);
        activity.lines.clear();
        EXPECT_FALSE(cycle.ProcessHistFiles());
        EXPECT_TRUE(activity.HasPrefix("ERROR: ProcessHistFiles(5): "));
        EXPECT_FALSE(cycle.Running());
    }
    EXPECT_EQ(0, form.requests);
    EXPECT_EQ(0, finished);
}

TEST_F(ExportCycleTest, CycleStartedInsideARequestIsRefusedAndTheRunningOneCarriesOn) {
    std::vector<bool> nested;
    form.onRequest = [&](int) { nested.push_back(cycle.ProcessHistFiles()); };
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ((std::vector<bool>{false, false}), nested);
    EXPECT_EQ(2, activity.CountOf("Export already running; request ignored"));
    EXPECT_EQ(1, form.inits);
    form.onRequest = nullptr;
    EXPECT_TRUE(cycle.ProcessHistFiles());  // free again afterwards
}

}  // namespace
}  // namespace hdq
