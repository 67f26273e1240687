#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/service_modes.h"
#include "app/shared.h"
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
    void SetExportStatus(const std::string& text) override { status.push_back(text); }
    // Timer, caption, mode panel and tray picture (Flash1 is 1) in one line.
    std::string State() const {
        return std::string(timer ? "on|" : "off|") + caption + "|" + panel + "|" + std::to_string(picture);
    }
    bool timer = false, busy = false;
    std::string caption = "Pause Service", panel, progress;
    std::vector<std::string> status;
    int picture = 0;
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
    ServiceController service{cycle, view};
};

TEST_F(Service, ModesSetTimerCaptionPanelAndPictureAndPauseTogglesBetweenRunningAndPaused) {
    service.SetServiceMode(1);
    EXPECT_EQ("on|PAUSE|RUNNING|1", view.State());
    EXPECT_TRUE(service.ServiceRunning());
    service.TogglePause();
    EXPECT_EQ("off|RUN|PAUSED|3", view.State());
    EXPECT_FALSE(service.ServiceRunning());
    service.TogglePause();
    EXPECT_EQ("on|PAUSE|RUNNING|1", view.State());
    service.SetServiceMode(3);
    EXPECT_EQ("off|RUN|MANUAL MODE|2", view.State());
    service.SetServiceMode(7);
    EXPECT_EQ("off|RUN|MANUAL MODE|2", view.State());
}

TEST_F(Service, RefusesToRunWithAnIncompleteConfigurationButAlwaysPauses) {
    sb.Set("OUTPUT_FOLDER", sb / "missing");
    service.SetServiceMode(1);
    service.SetServiceMode(3);
    EXPECT_EQ("off|Pause Service||0", view.State());
    EXPECT_EQ(2, list.CountOf(kNotConfiguredLine));
    service.SetServiceMode(2);
    EXPECT_EQ("off|RUN|PAUSED|3", view.State());
}

TEST_F(Service, TimerTickAtThePlainMinuteExportsSinceLastRunAndRecordsItEvenWhenPausedMeanwhile) {
    service.SetServiceMode(1);
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
        service.SetServiceMode(2);  // the cycle took its service flag when it started
    };
    service.OnTimerTick();
    EXPECT_EQ(1, list.CountOf("Timer Fired. About to Process Data Files Starting: 03-25-2011 11:00:00"));
    EXPECT_EQ((std::vector<DateTime>{At(11), At(12), At(13)}), form.starts);
    EXPECT_EQ((std::vector<std::string>{"Exporting 2011-03-25 11:00 (3 left)", "Exporting 2011-03-25 12:00 (2 left)",
                                        "Exporting 2011-03-25 13:00 (1 left)"}),
              progress);
    EXPECT_EQ("", view.progress);
    EXPECT_NE(std::string::npos, test::ReadFile(sb / "test.ini").find("LAST_RUN=2011-03-25 14:00:00\r\n"));
    // The status follows each saved hour, the failed one waiting once a later hour is saved.
    EXPECT_EQ((std::vector<std::string>{"Last hour exported 2011-03-25 11:00", "Last hour exported 2011-03-25 13:00; 1 to retry",
                                        "Last hour exported 2011-03-25 13:00; 1 to retry"}),
              view.status);
}

TEST_F(Service, ManualRunNeverMovesLastRunEvenWhenManualModeIsRefusedOrTheServiceResumesDuringIt) {
    service.SetServiceMode(2);
    form.onRequest = [&](int) { service.SetServiceMode(1); };
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
    service.SetServiceMode(1);
    form.onRequest = [&](int n) {
        if (n > 1) return;
        service.OnTimerTick();
        service.RunManually(DateTime{2011, 3, 20, 0, 0, 0}, DateTime{2011, 3, 21, 0, 0, 0});
    };
    service.OnTimerTick();
    EXPECT_EQ(2, list.CountOf(kAlreadyRunningLine));
    EXPECT_EQ((std::vector<DateTime>{At(11), At(12), At(13)}), form.starts);
}

}  // namespace
}  // namespace hdq
