// A week of the hourly service on a fake clock with only DDE and HistData's window faked: finds a
// skipped or repeated hour, a drifting LAST_RUN, a log that spans days, old logs that never go;
// and a harsh week of failing hours, HistData exiting and the program killed.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/service_modes.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/files.h"
#include "fake_dde.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

class QuietView : public ServiceView {
public:
    void SetTimerEnabled(bool on) override { timer = on; }
    void SetPauseCaption(const std::string&) override {}
    void SetModePanel(const std::string&) override {}
    void SetProgressPanel(const std::string&) override {}
    void SetTrayPicture(TrayPicture) override {}
    void SetBusy(bool) override {}
    void SetManualCaption(const std::string&) override {}
    void SetExportStatus(const std::string&, const std::string&) override {}
    void SetTrayWarning(bool) override {}
    void AskForSettings() override {}
    void ShowBalloon(const std::string&) override {}
    bool timer = false;
};

class SimulatedWeek : public ::testing::Test {
protected:
    void SetUp() override {
        CreateSharedObjects(files);
        for (const char* sub : {"lgh", "histdata", "out", "log"}) ASSERT_TRUE(fsys::CreateFolder(program / sub));
        test::WriteTagnameX(program / "tagname.x", {{"A", "first"}});
        test::WriteFile(IniFile(), "DDE_LINKTOPIC=tagname\r\nDDE_LGH_FOLDER=" + program / "lgh" +
                                       "\r\nDDE_TAGNAME_FILE=" + program / "tagname.x" +
                                       "\r\nDDE_HISTDATA_FOLDER=" + program / "histdata" +
                                       "\r\nOUTPUT_FOLDER=" + program / "out" +
                                       "\r\nMINUTES_AFTER_HOUR=5\r\nKEEP_LOGS_FOR=7\r\nVERBOSITY=1\r\n"
                                       "DDE_DURATION=60m\r\nLAST_RUN=2011-06-06 10:00:00\r\n");
        host.WindowPresent();
        // Each hour's file carries its own name, so a misnamed or overwritten file shows.
        channel.onWriteFile = [](const std::string& path) {
            const std::string stem = path.substr(path.find_last_of('\\') + 1, 10);
            test::WriteFile(path, "$date,$time,A\r\n" + stem + ",00:00:00,1\r\n" + stem + ",00:01:00,1\r\n");
        };
    }
    void TearDown() override {
        AppLog().closeLog();
        CreateSharedObjects();
    }
    std::string Log(const std::string& name) const { return program / "log\\" + name; }
    // The program's start: start-up, then the request window, the cycle and the service.
    void Start() {
        StartupEnvironment env;
        env.shower = &shower;
        env.files = files;
        ASSERT_TRUE(RunStartup(env));
        Restart();
    }
    // A new process after a kill: LAST_RUN and the retry list come from disk.
    void Restart() {
        service.reset();
        cycle.reset();
        form = std::make_unique<FrmDDE>(channel, host, AppActivity(), CurrentDdeSettings);
        cycle = std::make_unique<ExportCycle>(*form);
        service = std::make_unique<ServiceController>(*cycle, view, events);
        AppConfig().setItem("LAST_RUN", test::IniValue(IniFile(), "LAST_RUN"));
        service->SetServiceMode(ServiceMode::Running);
    }

    test::TempFolder program;
    ProgramFiles files{program.path(), fsys::ExeName()};
    // Far from any daylight saving change, so file times mean the same hour in every zone.
    test::FakeClock clock{DateTime{2011, 6, 6, 10, 30, 0}};
    test::RecordingShower shower;
    test::FakeDdeChannel channel;
    test::FakeHistDataHost host{clock};
    QuietView view;
    test::RecordingEvents events;
    std::unique_ptr<FrmDDE> form;
    std::unique_ptr<ExportCycle> cycle;
    std::unique_ptr<ServiceController> service;
};

// One hour in ten fails on its first try (some on their second as well, so that a later hour
// passes them and they wait on the retry list), HistData exits twice, and the program is killed
// three times at random steps and started again a few hours later: at the end every hour of the
// week is in the output folder once, whole, nothing is left in the cache or on the retry list,
// and the logs came one file a day, pruned as the days went by.
TEST_F(SimulatedWeek, HarshWeekLosesNoHourAndKeepsOneLogFilePerDay) {
    // Left by an earlier installation: older than the seven days kept at start-up, and younger.
    for (const DateTime& written : {DateTime{2011, 5, 28, 18, 0, 0}, DateTime{2011, 6, 1, 18, 0, 0}}) {
        const std::string name = FormatPattern(written.AddDays(-1), "mm_dd_yyyy__09_00_00") + "_pelomark.log";
        test::WriteFile(Log(name), "old\r\n");
        ASSERT_TRUE(fsys::SetLastWriteTime(Log(name), written));
    }
    struct Kill {};
    const DateTime first{2011, 6, 6, 10, 0, 0};
    std::mt19937 rng(20111);
    std::map<DateTime, int> failures;
    std::set<DateTime> histDataExits, killHours;
    // The last hours stay calm, so the week's last cycle can deliver them.
    for (DateTime h = first; h < first.AddDays(7).AddMinutes(-180); h = h.AddMinutes(60)) {
        if (rng() % 10 == 0) failures[h] = 1 + static_cast<int>(rng() % 2);
    }
    while (histDataExits.size() < 2) histDataExits.insert(first.AddMinutes(60 * (rng() % 160)));
    // A day or more apart, so no kill falls into the hours the program is off after another.
    for (int i = 0; i < 3; ++i) killHours.insert(first.AddMinutes(60 * (24 + 48 * i + rng() % 24)));
    channel.onWriteFile = [&](const std::string& path) {
        const std::string stem = path.substr(path.find_last_of('\\') + 1, 10);
        const DateTime hour = *ParseDateTime(stem.substr(0, 4) + "-" + stem.substr(4, 2) + "-" + stem.substr(6, 2) +
                                             " " + stem.substr(8, 2) + ":00");
        if (!host.IsAppRunningTitled(FrmDDE::kHistDataTitle) || failures[hour]-- > 0) return;
        test::WriteFile(path, "$date,$time,A\r\n" + stem + ",00:00:00,1\r\n" + stem + ",00:01:00,1\r\n");
        if (histDataExits.erase(hour)) host.Exit();  // after this file, before the next hour
    };

    std::map<DateTime, int> moved;
    ASSERT_NO_FATAL_FAILURE(Start());
    std::function<void(HourStep, const DateTime&)> inner = cycle->OnHourStep;  // the service's own
    ASSERT_TRUE(service->ServiceRunning() && view.timer);
    DateTime restartAt = kZeroDate;
    int dayChanges = 0;
    while (clock.Now() < first.AddDays(7).AddMinutes(5)) {
        clock.Advance(60);
        if (clock.Now() < restartAt) continue;
        // Each change of log file names the one before.
        const std::string before = AppLog().CurrentFile();
        if (restartAt != kZeroDate) {
            restartAt = kZeroDate;
            Restart();
            inner = cycle->OnHourStep;
        }
        const DateTime hour = TruncateToHour(clock.Now()).AddMinutes(-60);
        const bool kill = clock.Now().minute == 5 && killHours.erase(hour) > 0;
        int steps = 0, killAt = static_cast<int>(rng() % 4) + 1;
        cycle->OnHourStep = [&](HourStep step, const DateTime& h) {
            if (step == HourStep::Moved) ++moved[h];
            inner(step, h);
            if (kill && ++steps == killAt) throw Kill{};
        };
        service->OnTimerTick();  // the cycle reports the kill as an error and saves nothing more
        if (kill) restartAt = clock.Now().AddMinutes(60 * (2 + rng() % 4));
        const std::string now = AppLog().CurrentFile();
        ASSERT_FALSE(now.empty()) << FormatGeneral(clock.Now());
        if (now == before) continue;
        ++dayChanges;
        EXPECT_EQ("Previous log file for this session = " + before, test::Messages(test::ReadFile(now)).at(0));
    }

    EXPECT_TRUE(killHours.empty());
    EXPECT_TRUE(histDataExits.empty());
    EXPECT_EQ(2u, host.starts.size());
    std::vector<std::string> hours;
    int twice = 0;
    for (DateTime h = first; h < first.AddDays(7); h = h.AddMinutes(60)) {
        hours.push_back(FormatPattern(h, "yyyymmddhh") + ".CSV");
        EXPECT_EQ(0u, test::ReadFile(program / "out\\" + hours.back()).find("$date,$time,A\r\n" + hours.back().substr(0, 10)));
        EXPECT_GE(moved[h], 1) << hours.back();
        twice += moved[h] > 1;
    }
    EXPECT_EQ(hours, test::FilesIn(program / "out"));
    EXPECT_LE(twice, 3);
    EXPECT_TRUE(test::FilesIn(program / "cache").empty());
    EXPECT_EQ("", test::ReadFile(RetryFile()));
    EXPECT_EQ("2011-06-13 10:00:00", test::IniValue(IniFile(), "LAST_RUN"));
    EXPECT_EQ("7", test::IniValue(IniFile(), "KEEP_LOGS_FOR"));  // the saves keep the other keys
    EXPECT_TRUE(shower.prompts.empty());

    // Retention ran at start-up (the old file went) and at each new day (the younger file went
    // once it was seven days old): one file a day is left, each the newest of its day.
    EXPECT_EQ(7, dayChanges);
    const std::vector<std::string> logs = test::FilesIn(program / "log");
    ASSERT_EQ(8u, logs.size());
    for (int day = 6; day <= 13; ++day) EXPECT_EQ(0u, logs[day - 6].find(FormatPattern(DateTime{2011, 6, day, 0, 0, 0}, "mm_dd_yyyy__")));
    EXPECT_EQ(1, test::CountLines(Log(logs[3]), "Removed 1 logs. Freed "));
    EXPECT_EQ(Log(logs.back()) + "\r\n", test::ReadFile(program / (fsys::ExeName() + ".log_handle")));
}

}  // namespace
}  // namespace hdq
