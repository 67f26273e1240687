#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/service_modes.h"
#include "app/shared.h"
#include "core/files.h"
#include "test_support.h"

namespace hdq {
namespace {

class RecordingList : public ActivityList {
public:
    int Count() const override { return static_cast<int>(lines.size()); }
    void Clear() override { lines.clear(); }
    void Append(const std::string& line) override { lines.push_back(line); }
    long CountOf(const std::string& line) const { return std::count(lines.begin(), lines.end(), line); }
    std::vector<std::string> lines;
};

class RecordingView : public ServiceView {
public:
    void SetTimerEnabled(bool on) override { timer = on; }
    void SetPauseCaption(const std::string& text) override { caption = text; }
    void SetModePanel(const std::string& text) override { panel = text; }
    void SetProgressPanel(const std::string& text) override { progress = text; }
    void SetTrayPicture(TrayPicture p) override { picture = p; }
    void SetBusy(bool on) override { wasBusy = wasBusy || on, busy = on; }
    bool timer = false, busy = false, wasBusy = false;
    std::string caption = "Pause Service", panel, progress;
    TrayPicture picture = TrayPicture::Flash1;
};

// Answers Init and every request as told; onInit lets a test act inside the cycle, as a
// message dispatched during one of the form's waits would.
class FakeForm : public DdeForm {
public:
    void SetTagList(TagTable*) override {}
    bool Init() override {
        ++inits;
        if (onInit) onInit();
        return initOk;
    }
    void SetStartDate(const DateTime& v) override { hours.push_back(TruncateToHour(v)); }
    void SetStartTime(const DateTime&) override {}
    bool SendRequest() override {
        if (onRequest) onRequest();
        return true;
    }
    void ClearMemory() override {}
    int inits = 0;
    bool initOk = false;
    std::vector<DateTime> hours;
    std::function<void()> onInit;
    std::function<void()> onRequest;
};

class Service : public ::testing::Test {
protected:
    void SetUp() override {
        CreateSharedObjects();
        SetProgramFolderForTests(root.path());
        for (const char* sub : {"cache", "out", "lgh"}) fsys::CreateFolder(root / sub);
        test::WriteFile(root / "tagname.x", std::string(512, '\0'));
        VRXConfiguration& c = AppConfig();
        c.setPath(root / "service.ini");
        c.DefineTree("DDE_LINKTOPIC", "VIEW");
        c.DefineTree("DDE_LGH_FOLDER", root / "lgh");
        c.DefineTree("DDE_TAGNAME_FILE", root / "tagname.x");
        c.DefineTree("DDE_HISTDATA_FOLDER", root.path());
        c.DefineTree("OUTPUT_FOLDER", root / "out");
        c.DefineTree("MINUTES_AFTER_HOUR", "5");
        c.DefineTree("VERBOSITY", "2");
        c.DefineTree("LAST_RUN", "03-25-2011 11:00:00");
        c.DefineTree("DDE_DURATION", "60m");
        c.DefineTree("SELECTALLTAGS", "TRUE");
        c.DefineTree("HELPTOPIC", "12120");
        AppLog().SetVerbosity(2);
        SetActivityList(&list);
    }
    void TearDown() override {
        SetActivityList(nullptr);
        SetProgramFolderForTests("");
    }

    test::TempFolder root;
    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    RecordingList list;
    RecordingView view;
    FakeForm form;
    ExportCycle cycle{form};
    ServiceController service{cycle, view};
};

TEST(ServiceMinute, MatchesOnlyThePlainDecimalMinute) {
    EXPECT_TRUE(IsServiceMinute(DateTime{2011, 3, 25, 14, 0, 30}, "0"));
    EXPECT_TRUE(IsServiceMinute(DateTime{2011, 3, 25, 14, 30, 0}, "30"));
    EXPECT_FALSE(IsServiceMinute(DateTime{2011, 3, 25, 14, 31, 0}, "30"));
    EXPECT_FALSE(IsServiceMinute(DateTime{2011, 3, 25, 14, 5, 0}, "05"));
    EXPECT_FALSE(IsServiceMinute(DateTime{2011, 3, 25, 14, 5, 0}, " 5"));
    EXPECT_FALSE(IsServiceMinute(DateTime{2011, 3, 25, 14, 0, 0}, ""));
}

TEST_F(Service, RunningModeStartsTheTimerAndPressingPauseTwiceReturnsToIt) {
    service.SetServiceMode(1);
    EXPECT_TRUE(view.timer);
    EXPECT_EQ("PAUSE", view.caption);
    EXPECT_EQ("RUNNING", view.panel);
    EXPECT_TRUE(service.ServiceRunning());
    EXPECT_EQ(TrayPicture::Flash1, view.picture);
    EXPECT_EQ(1, list.CountOf("Running Service Mode"));
    service.TogglePause();
    EXPECT_FALSE(view.timer);
    EXPECT_EQ("RUN", view.caption);
    EXPECT_EQ("PAUSED", view.panel);
    EXPECT_EQ(TrayPicture::Flash3, view.picture);
    EXPECT_FALSE(service.ServiceRunning());
    service.TogglePause();
    EXPECT_TRUE(view.timer);
    EXPECT_EQ("PAUSE", view.caption);
    EXPECT_TRUE(service.ServiceRunning());
}

TEST_F(Service, RefusesToRunWithAnIncompleteConfigurationButAlwaysPauses) {
    AppLog().SetVerbosity(0);
    AppConfig().setItem("OUTPUT_FOLDER", root / "missing");
    service.SetServiceMode(1);
    service.SetServiceMode(3);
    EXPECT_FALSE(view.timer);
    EXPECT_EQ("Pause Service", view.caption);
    EXPECT_FALSE(service.ServiceRunning());
    EXPECT_EQ(2, list.CountOf(kNotConfiguredLine));

    service.SetServiceMode(2);
    EXPECT_EQ("PAUSED", view.panel);
    service.SetServiceMode(7);
    EXPECT_EQ("PAUSED", view.panel);
}

TEST_F(Service, CountsAsConfiguredOnlyWithTopicDictionaryAndUsableFolders) {
    EXPECT_TRUE(service.IsConfigured());
    const std::pair<const char*, std::string> broken[] = {
        {"DDE_TAGNAME_FILE", root / "nothere.x"}, {"DDE_LINKTOPIC", ""}, {"DDE_HISTDATA_FOLDER", ""}};
    for (const auto& [key, value] : broken) {
        const std::string good = AppConfig().item(key);
        AppConfig().setItem(key, value);
        EXPECT_FALSE(service.IsConfigured()) << key;
        AppConfig().setItem(key, good);
    }
}

TEST_F(Service, TimerTickExportsFromLastRunToTheCurrentHourOnlyAtTheMinute) {
    form.initOk = true;
    AppConfig().setItem("MINUTES_AFTER_HOUR", "6");
    service.SetServiceMode(1);
    service.OnTimerTick();
    EXPECT_EQ(0, form.inits);
    AppConfig().setItem("MINUTES_AFTER_HOUR", "5");
    service.OnTimerTick();
    EXPECT_EQ(1, list.CountOf("Timer Fired. About to Process Data Files Starting: 03-25-2011 11:00:00"));
    ASSERT_FALSE(form.hours.empty());
    EXPECT_EQ((DateTime{2011, 3, 25, 11, 0, 0}), form.hours.front());
    EXPECT_EQ((DateTime{2011, 3, 25, 13, 0, 0}), form.hours.back());
    EXPECT_EQ("2011-03-25 14:00:00", AppConfig().item("LAST_RUN"));
    EXPECT_EQ("", view.progress);
}

TEST_F(Service, ManualRunExportsTheRangeInManualModeAndLeavesLastRunAlone) {
    form.initOk = true;
    service.SetServiceMode(2);
    EXPECT_TRUE(service.RunManually(DateTime{2011, 3, 25, 8, 40, 0}, DateTime{2011, 3, 25, 11, 20, 0}));
    EXPECT_EQ((std::vector<DateTime>{{2011, 3, 25, 8, 0, 0}, {2011, 3, 25, 9, 0, 0}, {2011, 3, 25, 10, 0, 0}}),
              form.hours);
    EXPECT_EQ("MANUAL MODE", view.panel);
    EXPECT_EQ(TrayPicture::Flash2, view.picture);
    EXPECT_FALSE(view.timer);
    EXPECT_EQ("03-25-2011 11:00:00", AppConfig().item("LAST_RUN"));
    EXPECT_EQ(1, list.CountOf("Begin Manual process HistData files"));
    EXPECT_EQ(1, list.CountOf("Complete Manual process HistData files, status: True"));
    EXPECT_TRUE(view.wasBusy);
    EXPECT_FALSE(view.busy);
    EXPECT_EQ("", view.progress);

    form.initOk = false;  // a failed cycle is reported and the pointer put back
    EXPECT_FALSE(service.RunManually(DateTime{2011, 3, 25, 8, 0, 0}, DateTime{2011, 3, 25, 9, 0, 0}));
    EXPECT_EQ(1, list.CountOf("Complete Manual process HistData files, status: False"));
    EXPECT_FALSE(view.busy);
}

TEST_F(Service, ManualRunNeverMovesLastRunEvenWhenManualModeIsRefusedOrTheServiceResumesDuringIt) {
    form.initOk = true;
    service.SetServiceMode(1);
    AppConfig().setItem("DDE_LGH_FOLDER", root / "missing");
    service.RunManually(DateTime{2011, 3, 25, 12, 0, 0}, DateTime{2011, 3, 25, 14, 0, 0});
    EXPECT_EQ(1, list.CountOf(kNotConfiguredLine));
    EXPECT_EQ(2u, form.hours.size());
    EXPECT_EQ("03-25-2011 11:00:00", AppConfig().item("LAST_RUN"));

    // Resuming the service inside a wait must not push LAST_RUN past hours not yet exported.
    AppConfig().setItem("DDE_LGH_FOLDER", root / "lgh");
    service.SetServiceMode(2);
    form.onRequest = [&] { service.SetServiceMode(1); };
    service.RunManually(DateTime{2011, 3, 25, 12, 0, 0}, DateTime{2011, 3, 25, 16, 0, 0});
    EXPECT_TRUE(service.ServiceRunning());
    EXPECT_EQ("03-25-2011 11:00:00", AppConfig().item("LAST_RUN"));
}

TEST_F(Service, PausingDuringAServiceRunStillRecordsTheHoursItExported) {
    form.initOk = true;
    service.SetServiceMode(1);
    form.onRequest = [&] { service.SetServiceMode(2); };
    service.OnTimerTick();
    EXPECT_FALSE(service.ServiceRunning());
    EXPECT_EQ("2011-03-25 14:00:00", AppConfig().item("LAST_RUN"));
}

TEST_F(Service, RequestsArrivingDuringARunningCycleAreRefusedOnceEach) {
    service.SetServiceMode(1);
    form.onInit = [&] {
        service.OnTimerTick();
        service.RunManually(DateTime{2011, 3, 20, 0, 0, 0}, DateTime{2011, 3, 21, 0, 0, 0});
    };
    service.OnTimerTick();
    EXPECT_EQ(1, form.inits);
    EXPECT_EQ(2, list.CountOf(kAlreadyRunningLine));
    EXPECT_EQ(1, list.CountOf("Timer Fired. About to Process Data Files Starting: 03-25-2011 11:00:00"));
    EXPECT_EQ(0, list.CountOf("Begin Manual process HistData files"));
    EXPECT_TRUE(service.ServiceRunning());
}

}  // namespace
}  // namespace hdq
