// The export cycle against a scripted stand-in for the DDE request window.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "win32/msgwait.h"
#include "app/shared.h"
#include "core/files.h"
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

    std::string RetryFileText() const { return test::ReadFile(RetryFile()); }
    std::string SavedLastRun() const { return test::IniValue(sb / "test.ini", "LAST_RUN"); }
    // A service cycle from LAST_RUN as a restarted program reads it from the INI file.
    bool RunService(const DateTime& end) {
        AppConfig().setItem("LAST_RUN", SavedLastRun());
        ExportCycle service{form};
        service.ServiceRunning = true;
        service.RangeStart = AppConfig().item("LAST_RUN");
        service.RangeEnd = end;
        return service.ProcessHistFiles();
    }
    void StartAt(const DateTime& lastRun) {
        sb.Set("LAST_RUN", FormatGeneral(lastRun));
        ASSERT_TRUE(AppConfig().SaveConfig());
    }

    test::AppSandbox sb;
    test::FakeClock clock;  // 2011-03-25 14:05:09
    test::RecordingActivityList activity;
    test::ScriptedForm form;
    ExportCycle cycle{form};
};

TEST_F(ExportCycleTest, AsksForEachHourOnceWhateverTheStepAndCountsTheHoursLeft) {
    struct Case {
        const char* duration;
        DateTime end;
        std::vector<DateTime> starts;  // as the cursor stood, not cut to the hour
    };
    // The step drives the cursor: 59 minutes land in an hour already asked for (10:59) and are
    // passed over; "2h" is a step of two minutes (the unit letter is ignored); 90 minutes skip.
    const Case cases[] = {
        {"60m", At(10, 30), {}},
        {"59m", At(12), {At(10), At(11, 58)}},
        {"2h", At(12), {At(10), At(11)}},
        {"90m", At(14), {At(10), At(11, 30), At(13)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.duration);
        sb.Set("DDE_DURATION", c.duration);
        cycle.RangeEnd = c.end;
        form.starts.clear();
        std::vector<long> left;
        cycle.OnProgress = [&](const DateTime&, long remaining) { left.push_back(remaining); };
        EXPECT_TRUE(cycle.ProcessHistFiles());
        EXPECT_EQ(c.starts, form.starts);
        for (size_t i = 0; i < left.size(); ++i) EXPECT_EQ(static_cast<long>(left.size() - i), left[i]);
        EXPECT_TRUE(activity.HasPrefix("Processing Files completed upto: " + FormatGeneral(TruncateToHour(c.end))));
        cycle.OnProgress = nullptr;
    }
    // Over a long manual range the 59-minute cursor comes back to a whole hour now and then;
    // still every hour goes out once.
    sb.Set("DDE_DURATION", "59m");
    cycle.RangeEnd = At(10).AddDays(3);
    form.starts.clear();
    EXPECT_TRUE(cycle.ProcessHistFiles());
    std::set<DateTime> hours;
    for (const DateTime& start : form.starts) hours.insert(TruncateToHour(start));
    EXPECT_EQ(72u, form.starts.size());
    EXPECT_EQ(72u, hours.size());
}

TEST_F(ExportCycleTest, HourWithoutHistoryCountsAsDoneAndAManualRunTakesAListedHourOffTheList) {
    test::WriteFile(RetryFile(), "2011-03-25 10:00:00,2011-03-25 11:05:00\r\n2011-03-25 12:00:00,2011-03-25 13:05:00\r\n");
    form.emptyHours = {At(10)};
    cycle.RangeEnd = At(11);  // a manual run over 10:00, listed, and without history
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ("2011-03-25 12:00:00,2011-03-25 13:05:00\r\n", RetryFileText());
    EXPECT_TRUE(activity.HasPrefix("No data for 2011-03-25 10:00:00: nothing to export"));
    EXPECT_FALSE(activity.HasPrefix("Unable to create file for: "));
    EXPECT_TRUE(test::FilesIn(sb / "out").empty());
}

TEST_F(ExportCycleTest, HourStillFailingSevenDaysAfterItWasListedLeavesTheListWithOneLine) {
    sb.Set("LAST_RUN", FormatGeneral(At(12)));
    test::WriteFile(RetryFile(), "2011-03-25 10:00:00,2011-03-25 11:05:00\r\n");
    form.failHour[At(10)] = 1000;
    const DateTime listed = At(11, 5);
    for (const DateTime& now : {listed.AddMinutes(60), listed.AddDays(7).AddMinutes(-1), listed.AddDays(7)}) {
        clock.Set(now);
        ExportCycle service{form};
        service.ServiceRunning = true;
        service.RangeStart = AppConfig().item("LAST_RUN");
        service.RangeEnd = At(12);
        EXPECT_TRUE(service.ProcessHistFiles());
        EXPECT_EQ(now < listed.AddDays(7) ? "2011-03-25 10:00:00,2011-03-25 11:05:00\r\n" : "", RetryFileText())
            << FormatGeneral(now);
    }
    EXPECT_EQ(3, form.requests);
    EXPECT_EQ(1, activity.CountOf("Gave up 2011-03-25 10:00:00: it has failed for 7 days since 2011-03-25 11:05:00"));
}

TEST_F(ExportCycleTest, FailedHourHasHistDataCheckedBeforeTheNextAndACycleWithoutItStops) {
    cycle.RangeEnd = At(14);
    form.failRequest = 2;
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ(1, form.supervisions);
    EXPECT_EQ(4, form.requests);

    form.requests = form.supervisions = 0;
    form.superviseOk = false;
    EXPECT_FALSE(cycle.ProcessHistFiles());
    EXPECT_EQ(2, form.requests);
    EXPECT_TRUE(activity.HasPrefix("Export stopped before 2011-03-25 12:00:00: HistData does not answer"));
}

TEST_F(ExportCycleTest, ExitOrTheEndOfTheSessionStopsTheCycleAfterTheHourUnderWayWithLastRunAtTheFirstHourLeft) {
    struct Case {
        void (*set)(bool);
        const char* why;
    };
    for (const Case& c : {Case{SetQuitRequested, "the program is ending"},
                          Case{SetSessionEnding, "Windows is ending the session"}}) {
        SCOPED_TRACE(c.why);
        sb.Set("LAST_RUN", FormatGeneral(At(10)));
        ExportCycle service{form};
        service.ServiceRunning = true;
        service.RangeStart = FormatGeneral(At(10));
        service.RangeEnd = At(14);
        form.requests = 0;
        form.onRequest = [&](int n) { c.set(n == 2); };  // as a wait that takes the message
        EXPECT_FALSE(service.ProcessHistFiles());
        c.set(false);
        EXPECT_EQ(2, form.requests);
        EXPECT_TRUE(activity.HasPrefix("Export stopped before 2011-03-25 12:00:00: " + std::string(c.why)));
        EXPECT_EQ("2011-03-25 12:00:00", test::IniValue(sb / "test.ini", "LAST_RUN"));
    }
}

TEST_F(ExportCycleTest, LastRunNeverPassesFailedHoursUntilTheRetryFileHoldsThemAll) {
    StartAt(At(10));
    test::WriteFile(RetryFile(), "");
    form.failHour = {{At(10), 2}, {At(11), 2}};
    // The list cannot be written: 12:00 goes out, but LAST_RUN on disk stays before 10:00.
    ASSERT_TRUE(fsys::SetReadOnly(RetryFile(), true));
    EXPECT_TRUE(RunService(At(13)));
    EXPECT_EQ("2011-03-25 10:00:00", SavedLastRun());
    EXPECT_TRUE(activity.HasPrefix("Error: Unable to save the list of hours to retry: "));
    // Writable again, the restart asks for both; they fail again and both are listed.
    ASSERT_TRUE(fsys::SetReadOnly(RetryFile(), false));
    form.starts.clear();
    EXPECT_TRUE(RunService(At(13)));
    EXPECT_EQ((std::vector<DateTime>{At(10), At(11), At(12)}), form.starts);
    EXPECT_EQ("2011-03-25 13:00:00", SavedLastRun());
    EXPECT_EQ("2011-03-25 10:00:00,2011-03-25 14:05:09\r\n2011-03-25 11:00:00,2011-03-25 14:05:09\r\n", RetryFileText());
    EXPECT_TRUE(activity.HasPrefix("2 hour(s) wait for retry, the oldest 2011-03-25 10:00:00"));
    form.starts.clear();
    EXPECT_TRUE(RunService(At(14)));
    EXPECT_EQ((std::vector<DateTime>{At(13), At(10), At(11)}), form.starts);  // new hours first
    EXPECT_EQ("", RetryFileText());
    EXPECT_EQ((std::vector<std::string>{"2011032510.CSV", "2011032511.CSV", "2011032512.CSV", "2011032513.CSV"}),
              test::FilesIn(sb / "out"));
}

TEST_F(ExportCycleTest, ListedHourAtLastRunIsAskedForOnce) {
    StartAt(At(10));
    test::WriteFile(RetryFile(), "2011-03-25 10:00:00,2011-03-25 11:05:00\r\n");
    EXPECT_TRUE(RunService(At(12)));
    EXPECT_EQ((std::vector<DateTime>{At(10), At(11)}), form.starts);
    EXPECT_EQ("", RetryFileText());
}

TEST_F(ExportCycleTest, RetryFileThatCannotBeReadStopsTheExportAndIsNeverOverwritten) {
    StartAt(At(10));
    ASSERT_TRUE(fsys::CreateFolder(RetryFile()));  // there, but not a readable file
    cycle.ServiceRunning = true;
    cycle.RangeStart = FormatGeneral(At(10));
    EXPECT_FALSE(cycle.ProcessHistFiles());
    EXPECT_FALSE(cycle.ProcessHistFiles());  // every hour again, with the one line
    EXPECT_EQ(0, form.requests);
    EXPECT_EQ(1, std::count_if(activity.lines.begin(), activity.lines.end(), [](const std::string& l) {
                  return l.rfind("Error: Unable to read the list of hours to retry ", 0) == 0;
              }));
    EXPECT_TRUE(fsys::IsDirectory(RetryFile()));
    EXPECT_EQ("2011-03-25 10:00:00", SavedLastRun());
}

TEST_F(ExportCycleTest, TwoHoursInARowThatTimeOutStopTheCycleAndTheNextCycleTriesAgain) {
    cycle.RangeEnd = At(15);
    form.hungHours = {At(11), At(13)};  // apart: no hang
    EXPECT_TRUE(cycle.ProcessHistFiles());
    form.hungHours = {At(11), At(12)};
    EXPECT_FALSE(cycle.ProcessHistFiles());
    EXPECT_EQ(5u + 3u, form.starts.size());
    EXPECT_TRUE(activity.HasPrefix("Export stopped before 2011-03-25 13:00:00: HistData does not answer"));
    EXPECT_EQ("HistData does not answer", cycle.Trouble());
    form.hungHours.clear();
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ("", cycle.Trouble());
}

TEST_F(ExportCycleTest, HandEditOfTheIniSurvivesTheHourlySaveAndAFailedSaveIsShownAndTriedAgain) {
    StartAt(At(10));
    test::SetIniValue(sb / "test.ini", "MINUTES_AFTER_HOUR", "17");  // the operator, meanwhile
    cycle.ServiceRunning = true;
    cycle.RangeStart = FormatGeneral(At(10));
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ("17", test::IniValue(sb / "test.ini", "MINUTES_AFTER_HOUR"));
    EXPECT_EQ("2011-03-25 12:00:00", SavedLastRun());
    EXPECT_TRUE(activity.HasPrefix("Kept MINUTES_AFTER_HOUR=17 as changed in "));

    ASSERT_TRUE(fsys::SetReadOnly(sb / "test.ini", true));
    for (const DateTime end : {At(13), At(14)}) {
        cycle.RangeStart = AppConfig().item("LAST_RUN");
        cycle.RangeEnd = end;
        EXPECT_TRUE(cycle.ProcessHistFiles());
    }
    EXPECT_EQ("2011-03-25 12:00:00", SavedLastRun());
    EXPECT_EQ("LAST_RUN not saved", cycle.Trouble());
    EXPECT_TRUE(activity.HasPrefix("Error: Unable to save LAST_RUN to "));
    ASSERT_TRUE(fsys::SetReadOnly(sb / "test.ini", false));
    cycle.RangeStart = AppConfig().item("LAST_RUN");
    EXPECT_TRUE(cycle.ProcessHistFiles());  // no new hour, and still saved
    EXPECT_EQ("2011-03-25 14:00:00", SavedLastRun());
    EXPECT_EQ("", cycle.Trouble());
}

TEST_F(ExportCycleTest, LastRunMoreThanAnHourAfterTheClockIsAClockThatRanAhead) {
    // The clock reads 14:05: a LAST_RUN of 15:00 is the hour under way after a small step back,
    // 16:00 can only come from a clock that ran ahead.
    for (const auto& [lastRun, stepped] : {std::pair{At(15), false}, std::pair{At(16), true}}) {
        ExportCycle service{form};
        service.ServiceRunning = true;
        service.RangeStart = FormatGeneral(lastRun);
        service.RangeEnd = At(14);
        EXPECT_TRUE(service.ProcessHistFiles());
        EXPECT_EQ(stepped ? "clock was set back" : "", service.Trouble()) << FormatGeneral(lastRun);
    }
}

TEST_F(ExportCycleTest, LongListOfFailingHoursWaitsBehindTheNewHourAndTakesItsTurnsAcrossCycles) {
    StartAt(At(13));
    std::string listed;
    for (int i = 30; i >= 1; --i) {
        const DateTime hour = At(13).AddMinutes(-60 * i);
        listed += RetryLine({hour, At(13)});
        listed += "\r\n";
        form.failHour[hour] = 1000;
    }
    test::WriteFile(RetryFile(), listed);
    cycle.ServiceRunning = true;
    cycle.RangeStart = FormatGeneral(At(13));
    cycle.RangeEnd = At(14);
    EXPECT_TRUE(cycle.ProcessHistFiles());
    ASSERT_EQ(1u + ExportCycle::kRetriesPerCycle, form.starts.size());
    EXPECT_EQ(At(13), form.starts.front());
    EXPECT_TRUE(activity.HasPrefix("6 listed hour(s) wait for the next cycle"));
    form.starts.clear();
    cycle.RangeStart = AppConfig().item("LAST_RUN");
    EXPECT_TRUE(cycle.ProcessHistFiles());
    EXPECT_EQ(At(13).AddMinutes(-60 * 6), form.starts.front());  // where the last pass stopped
}

// A kill at any step of a six-hour catch-up with one hour failing once, then the program
// started again (LAST_RUN and the retry list read back from disk) for two more cycles: every
// hour reaches the output folder, and only the hour under way at the kill may go twice.
TEST_F(ExportCycleTest, KillAtAnyStepOfACatchUpLosesNoHourAndRepeatsAtMostTheHourUnderWay) {
    struct Kill {};
    const std::string start = FormatGeneral(At(8));
    for (int killAt = 1;; ++killAt) {
        SCOPED_TRACE(killAt);
        sb.Set("LAST_RUN", start);
        ASSERT_TRUE(AppConfig().SaveConfig());
        test::WriteFile(RetryFile(), "");
        for (const std::string& f : test::FilesIn(sb / "out")) fsys::DeleteFile(sb / ("out\\" + f));
        form.failHour = {{At(10), 1}};
        std::map<DateTime, int> moved;
        int steps = 0;
        bool killed = false;
        auto run = [&](bool mayKill) {
            AppConfig().setItem("LAST_RUN", test::IniValue(sb / "test.ini", "LAST_RUN"));  // a new start
            ExportCycle service{form};
            service.ServiceRunning = true;
            service.RangeStart = AppConfig().item("LAST_RUN");
            service.RangeEnd = At(14);
            auto step = [&] {
                if (mayKill && ++steps == killAt) {
                    killed = true;
                    throw Kill{};
                }
            };
            form.onRequest = [&](int) { step(); };
            service.OnHourStep = [&](HourStep s, const DateTime& hour) {
                if (s == HourStep::Moved) ++moved[hour];
                step();
            };
            service.ProcessHistFiles();
        };
        run(true);
        if (!killed) break;  // every step has had its kill
        run(false);
        run(false);
        EXPECT_EQ("2011-03-25 14:00:00", test::IniValue(sb / "test.ini", "LAST_RUN"));
        EXPECT_EQ("", RetryFileText());
        EXPECT_TRUE(test::FilesIn(CacheFolder()).empty());
        int twice = 0;
        for (int h = 8; h < 14; ++h) {
            EXPECT_EQ(FormatPattern(At(h), "yyyymmddhh") + ".CSV", test::FilesIn(sb / "out").at(h - 8));
            EXPECT_LE(moved[At(h)], 2) << h;
            twice += moved[At(h)] == 2;
        }
        EXPECT_LE(twice, 1);
    }
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

}  // namespace
}  // namespace hdq
