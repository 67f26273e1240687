#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/service_modes.h"
#include "app/shared.h"
#include "core/files.h"
#include "fake_dde.h"

namespace hdq {
namespace {

class RecordingView : public ServiceView {
public:
    void SetTimerEnabled(bool on) override { timer = on; }
    void SetPauseCaption(const std::string& text) override { caption = text; }
    void SetModePanel(const std::string& text) override { panel = text; }
    void SetProgressPanel(const std::string& text) override { progress = text; }
    void SetTrayPicture(TrayPicture p) override { picture = static_cast<int>(p) + 1; }
    void SetBusy(bool on) override { busy = on; }
    void SetManualCaption(const std::string& text) override { manualCaption = text; }
    void SetExportStatus(const std::string& text, const std::string& tip) override {
        status.push_back(text);
        tips.push_back(tip);
    }
    void SetTrayWarning(bool on) override { warning = on; }
    void AskForSettings() override { ++asked; }
    void ShowBalloon(const std::string& text) override { balloons.push_back(text); }
    // Timer, caption, mode panel and tray picture (Flash1 is 1) in one line.
    std::string State() const {
        return std::string(timer ? "on|" : "off|") + caption + "|" + panel + "|" + std::to_string(picture);
    }
    bool timer = false, busy = false, warning = false;
    std::string caption = "Pause Service", panel, progress, manualCaption;
    std::vector<std::string> status, tips, balloons;
    int picture = 0, asked = 0;
};

constexpr DateTime At(int hour) { return DateTime{2011, 3, 25, hour, 0, 0}; }

class Service : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"cache", "out", "lgh"}) MakeFolder(sb / sub);
        test::WriteFile(sb / "tagname.x", std::string(512, '\0'));
        sb.Set("DDE_LGH_FOLDER", sb / "lgh");
        sb.Set("DDE_TAGNAME_FILE", sb / "tagname.x");
        sb.Set("DDE_HISTDATA_FOLDER", sb.folder());
        sb.Set("OUTPUT_FOLDER", sb / "out");
        sb.Set("MINUTES_AFTER_HOUR", "5");
        sb.Set("LAST_RUN", "03-25-2011 11:00:00");
        sb.Set("DDE_DURATION", "60m");
        SetActivityList(&list);
    }

    test::AppSandbox sb;
    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    test::RecordingActivityList list;
    RecordingView view;
    test::ScriptedForm form;
    ExportCycle cycle{form};
    test::RecordingEvents events;
    ServiceController service{cycle, view, events};
};

TEST_F(Service, ModesSetTimerCaptionPanelAndPictureAndPauseTogglesBetweenRunningAndPaused) {
    service.SetServiceMode(ServiceMode::Running);
    EXPECT_EQ("on|PAUSE|RUNNING|1", view.State());
    EXPECT_TRUE(service.ServiceRunning());
    service.TogglePause();
    EXPECT_EQ("off|RUN|PAUSED|3", view.State());
    EXPECT_FALSE(service.ServiceRunning());
    service.TogglePause();
    EXPECT_EQ("on|PAUSE|RUNNING|1", view.State());
    service.SetServiceMode(ServiceMode::Manual);
    EXPECT_EQ("off|RUN|MANUAL MODE|2", view.State());
    service.SetServiceMode(static_cast<ServiceMode>(7));
    EXPECT_EQ("off|RUN|MANUAL MODE|2", view.State());
}

TEST_F(Service, TimerTickAtThePlainMinuteExportsSinceLastRunAndRecordsItEvenWhenPausedMeanwhile) {
    service.SetServiceMode(ServiceMode::Running);
    for (const char* other : {"6", "05", " 5"}) {
        sb.Set("MINUTES_AFTER_HOUR", other);
        service.OnTimerTick();
    }
    EXPECT_EQ(0, form.inits);

    sb.Set("MINUTES_AFTER_HOUR", "5");
    std::vector<std::string> progress;
    form.failHour[At(12)] = 1;
    form.onRequest = [&](int) {
        progress.push_back(view.progress);
        service.SetServiceMode(ServiceMode::Paused);  // the cycle took its service flag when it started
    };
    view.status.clear();
    service.OnTimerTick();
    EXPECT_EQ(1, list.CountOf("Timer Fired. About to Process Data Files Starting: 03-25-2011 11:00:00"));
    EXPECT_EQ((std::vector<DateTime>{At(11), At(12), At(13)}), form.starts);
    EXPECT_EQ((std::vector<std::string>{"Exporting 2011-03-25 11:00 (3 left)", "Exporting 2011-03-25 12:00 (2 left)",
                                        "Exporting 2011-03-25 13:00 (1 left)"}),
              progress);
    EXPECT_EQ("", view.progress);
    EXPECT_NE(std::string::npos, test::ReadFile(sb / "test.ini").find("LAST_RUN=2011-03-25 14:00:00\r\n"));
    // The status follows each saved hour (and each pause), the failed one waiting once a later
    // hour is saved.
    const std::string waiting = "1 hour(s) wait for retry, the oldest 2011-03-25 12:00; ";
    view.status.erase(std::unique(view.status.begin(), view.status.end()), view.status.end());
    EXPECT_EQ((std::vector<std::string>{"Next hour to export 2011-03-25 11:00", "Last hour exported 2011-03-25 11:00",
                                        waiting + "Last hour exported 2011-03-25 13:00"}),
              view.status);
    EXPECT_EQ(fsys::ExeName() + ": 1 h waiting", view.tips.back());
    EXPECT_TRUE(view.warning);
}

TEST_F(Service, ManualRunNeverMovesLastRunEvenWhenManualModeIsRefusedOrTheServiceResumesDuringIt) {
    service.SetServiceMode(ServiceMode::Paused);
    form.onRequest = [&](int) { service.SetServiceMode(ServiceMode::Running); };
    EXPECT_TRUE(service.RunManually(DateTime{2011, 3, 25, 8, 40, 0}, DateTime{2011, 3, 25, 11, 20, 0}));
    EXPECT_EQ((std::vector<DateTime>{At(8), At(9), At(10)}), form.starts);
    EXPECT_FALSE(view.busy);

    // Now running; an incomplete configuration refuses manual mode, yet the range runs as a manual one.
    sb.Set("DDE_LGH_FOLDER", sb / "missing");
    form.onRequest = nullptr;
    EXPECT_TRUE(service.RunManually(At(12), At(14)));
    EXPECT_TRUE(service.ServiceRunning());
    EXPECT_EQ(5u, form.starts.size());
    EXPECT_EQ("03-25-2011 11:00:00", AppConfig().item("LAST_RUN"));
}

TEST_F(Service, RequestsArrivingDuringARunningCycleAreRefusedOnceEach) {
    service.SetServiceMode(ServiceMode::Running);
    form.onRequest = [&](int n) {
        if (n > 1) return;
        service.OnTimerTick();
        service.RunManually(DateTime{2011, 3, 20, 0, 0, 0}, DateTime{2011, 3, 21, 0, 0, 0});
    };
    service.OnTimerTick();
    EXPECT_EQ(2, list.CountOf(kAlreadyRunningLine));
    EXPECT_EQ((std::vector<DateTime>{At(11), At(12), At(13)}), form.starts);
}

TEST_F(Service, StartRunsAsksAtOnceForAnEmptyKeyAndWaitsForAFolderThatComesLateHoweverLate) {
    struct Case {
        const char* name;
        std::function<void(test::AppSandbox&)> set;
        StartOutcome outcome;
    };
    const Case cases[] = {
        {"all there", [](test::AppSandbox&) {}, StartOutcome::Running},
        {"empty key", [](test::AppSandbox& sb) { sb.Set("DDE_LINKTOPIC", ""); }, StartOutcome::AskOperator},
        {"HistData on another computer", [](test::AppSandbox& sb) { sb.Set("DDE_HISTDATA_FOLDER", "\\\\srv\\hd"); },
         StartOutcome::AskOperator},
        {"share not mapped yet", [](test::AppSandbox& sb) { sb.Set("OUTPUT_FOLDER", sb / "share"); }, StartOutcome::Waiting},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::AppSandbox box;
        for (const char* sub : {"lgh", "out"}) MakeFolder(box / sub);
        test::WriteFile(box / "tagname.x", std::string(512, '\0'));
        for (const auto& [key, value] : {std::pair<std::string, std::string>{"DDE_LGH_FOLDER", box / "lgh"},
                                         {"DDE_TAGNAME_FILE", box / "tagname.x"},
                                         {"DDE_HISTDATA_FOLDER", box / "lgh"},
                                         {"OUTPUT_FOLDER", box / "out"}}) {
            box.Set(key, value);
        }
        c.set(box);
        const std::string cut = box / "out\\.2011032514.CSV.part";  // a kill's half-made copy
        test::WriteFile(cut, "cut");
        RecordingView v;
        ServiceController s{cycle, v, events};
        EXPECT_EQ(c.outcome, s.Start());
        EXPECT_EQ(c.outcome != StartOutcome::Running, fsys::Exists(cut));
        EXPECT_EQ(c.outcome == StartOutcome::Running, s.ServiceRunning());
        EXPECT_EQ(c.outcome == StartOutcome::AskOperator, v.asked == 1);
        if (c.outcome != StartOutcome::Waiting) continue;
        EXPECT_TRUE(box.Logged("Waiting for the output folder " + box / "share" +
                               " to become reachable; the service starts as soon as it is"));
        // The share comes after two minutes: the service starts by itself.
        clock.Advance(60);
        s.OnWatchTick();
        EXPECT_FALSE(s.ServiceRunning());
        MakeFolder(box / "share");
        clock.Advance(60);
        box.Set("MINUTES_AFTER_HOUR", std::to_string(clock.Now().minute));  // and it is the minute
        s.OnWatchTick();
        EXPECT_TRUE(s.ServiceRunning());
        EXPECT_EQ(0, v.asked);
        EXPECT_EQ(1, form.inits);
        // A share back only after twenty minutes: the operator is asked once after fifteen,
        // and the service still starts by itself, the settings form left open as it is.
        RecordingView slow;
        ServiceController late{cycle, slow, events};
        box.Set("OUTPUT_FOLDER", box / "late");
        EXPECT_EQ(StartOutcome::Waiting, late.Start());
        for (int minute = 1; minute <= 20; ++minute) {
            if (minute == 20) MakeFolder(box / "late");
            clock.Advance(60);
            late.OnWatchTick();
            EXPECT_EQ(minute >= 15 ? 1 : 0, slow.asked) << minute;
            EXPECT_EQ(minute == 20, late.ServiceRunning()) << minute;
        }
        EXPECT_EQ(1u, slow.balloons.size());
    }
}

TEST_F(Service, ServiceOffForMoreThanAnHourShowsOneBalloonAndWritesOneLinePerHour) {
    service.SetServiceMode(ServiceMode::Running);
    // A manual run refused while an export runs leaves the service running.
    form.onRequest = [&](int) { EXPECT_FALSE(service.BeginManualRun()); };
    service.OnTimerTick();
    EXPECT_TRUE(service.ServiceRunning());
    form.onRequest = nullptr;

    EXPECT_TRUE(service.BeginManualRun());  // paused at 14:05:09
    const std::string line = "Hourly export is paused since 2011-03-25 14:05:09";
    for (int minute = 1; minute <= 150; ++minute) {
        clock.Advance(60);
        service.OnWatchTick();
    }
    EXPECT_EQ(std::vector<std::string>{line}, view.balloons);
    EXPECT_EQ(2, list.CountOf(line));  // at 15:06 and 16:06
    EXPECT_EQ("Paused since 2011-03-25 14:05", view.status.back());
    EXPECT_NE(std::string::npos, test::ReadFile(StatusFile()).find("ServiceMode=PAUSED\r\n"));

    service.SetServiceMode(ServiceMode::Running);  // running again: no more reminders
    clock.Advance(7200);
    service.OnWatchTick();
    EXPECT_EQ(2, list.CountOf(line));
}

TEST_F(Service, ManualRunWithAFailedHourEndsFalseNamesTheHourAndListsItForRetry) {
    form.failHour[At(12)] = 1;
    EXPECT_FALSE(service.RunManually(At(11), At(14)));
    EXPECT_EQ(1, list.CountOf("1 of 3 hour(s) failed and wait for retry: 2011-03-25 12:00:00"));
    EXPECT_TRUE(sb.Logged("Complete Manual process HistData files, status: False"));
    EXPECT_EQ("2011-03-25 12:00:00,2011-03-25 14:05:09\r\n", test::ReadFile(RetryFile()));
}

TEST_F(Service, StopDuringAManualRunEndsItAfterTheHourUnderWayAndTheNextRunGoesWhole) {
    std::vector<std::string> captions;
    form.onRequest = [&](int n) {
        captions.push_back(view.manualCaption);
        if (n == 2) service.StopManualRun();
    };
    EXPECT_FALSE(service.RunManually(At(6), At(12)));
    EXPECT_EQ((std::vector<DateTime>{At(6), At(7)}), form.starts);
    EXPECT_EQ((std::vector<std::string>{"&Stop", "&Stop"}), captions);
    EXPECT_EQ("&Manual Run", view.manualCaption);
    EXPECT_TRUE(sb.Logged("Export stopped before 2011-03-25 08:00:00: stopped by the operator"));
    form.onRequest = nullptr;
    EXPECT_TRUE(service.RunManually(At(8), At(10)));
    EXPECT_EQ(4u, form.starts.size());
}

TEST_F(Service, AnExportFromTheCommandLineHandsTheServiceBackRunningAndTellsTheStatusFile) {
    service.SetServiceMode(ServiceMode::Running);
    EXPECT_TRUE(service.RunRequestedExport(At(6), At(8)));
    EXPECT_EQ("on|PAUSE|RUNNING|1", view.State());
    EXPECT_NE(std::string::npos, test::ReadFile(StatusFile()).find("ServiceMode=RUNNING\r\n"));
    // Paused by the operator: the backfill does not resume what someone chose to stop.
    service.TogglePause();
    EXPECT_TRUE(service.RunRequestedExport(At(8), At(9)));
    EXPECT_FALSE(service.ServiceRunning());
    EXPECT_NE(std::string::npos, test::ReadFile(StatusFile()).find("ServiceMode=MANUAL MODE\r\n"));
    EXPECT_EQ("03-25-2011 11:00:00", AppConfig().item("LAST_RUN"));
}

TEST_F(Service, ClockSetADayAheadAndBackLosesNoRealHourEvenAcrossARestart) {
    service.SetServiceMode(ServiceMode::Running);
    service.OnTimerTick();  // 11:00 to 13:00
    // A day ahead: HistData answers the hours that have not happened with headers only.
    clock.Set(DateTime{2011, 3, 26, 14, 5, 9});
    for (DateTime h = At(14); h < At(14).AddDays(1); h = h.AddMinutes(60)) form.emptyHours.insert(h);
    service.OnTimerTick();
    EXPECT_EQ("2011-03-26 14:00:00", test::IniValue(sb / "test.ini", "LAST_RUN"));
    // Put right, with the program started again meanwhile.
    clock.Set(DateTime{2011, 3, 25, 15, 5, 9});
    form.emptyHours.clear();
    form.starts.clear();
    ExportCycle again{form};
    RecordingView view2;
    ServiceController restarted{again, view2, events};
    restarted.SetServiceMode(ServiceMode::Running);
    restarted.OnTimerTick();
    EXPECT_EQ(std::vector<DateTime>{At(14)}, form.starts);
    EXPECT_EQ((std::vector<std::string>{"2011032511.CSV", "2011032512.CSV", "2011032513.CSV", "2011032514.CSV"}),
              test::FilesIn(sb / "out"));
    // Told as the service starts, before the first tick finds the clock set back.
    EXPECT_EQ(std::vector<std::string>{"Hours are not exported: LAST_RUN 2011-03-26 14:00:00 lies ahead of the clock"},
              view2.balloons);
    EXPECT_NE(std::string::npos, test::ReadFile(StatusFile()).find("Trouble=the clock was set back\r\n"));
}

TEST_F(Service, StatusFileTellsMonitoringTheLastHourTheHoursWaitingTheModeAndTheLastError) {
    service.SetServiceMode(ServiceMode::Running);
    form.failHour[At(12)] = 1;
    service.OnTimerTick();
    const std::string status = test::ReadFile(StatusFile());
    for (const char* line : {"Status=1 hour(s) wait for retry, the oldest 2011-03-25 12:00; Last hour exported "
                             "2011-03-25 13:00\r\n",
                                    "Updated=2011-03-25 14:05:09\r\n", "LastHourExported=2011-03-25 13:00:00\r\n",
                                    "NextHour=2011-03-25 14:00:00\r\n", "HoursWaitingForRetry=1\r\n",
                                    "OldestWaitingHour=2011-03-25 12:00:00\r\n", "ServiceMode=RUNNING\r\n",
                                    "LastError=2011-03-25 14:05:09 Unable to create file for: 2011-03-25 12:00:00\r\n"}) {
        EXPECT_NE(std::string::npos, status.find(line)) << line << " in\n" << status;
    }
}

}  // namespace
}  // namespace hdq
