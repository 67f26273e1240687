// A week of the hourly service on a fake clock with only DDE and HistData's window faked: finds a
// skipped or repeated hour, a drifting LAST_RUN, a log that spans days, old logs that never go.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/service_modes.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/configuration.h"
#include "core/datetime.h"
#include "core/files.h"
#include "core/text.h"
#include "fake_dde.h"
#include "histdata/frmdde.h"
#include "logging/msgbox.h"
#include "tagnamex_writer.h"
#include "test_support.h"

namespace hdq {
namespace {

constexpr const char* kPreviousLine = "Previous log file for this session = ";


class QuietView : public ServiceView {
public:
    void SetTimerEnabled(bool on) override { timer = on; }
    void SetPauseCaption(const std::string&) override {}
    void SetModePanel(const std::string&) override {}
    void SetProgressPanel(const std::string&) override {}
    void SetTrayPicture(TrayPicture) override {}
    void SetBusy(bool) override {}
    bool timer = false;
};

std::string HourFileName(const DateTime& hour) { return FormatPattern(hour, "yyyymmddhh") + ".CSV"; }

// What one program run holds between start and exit.
struct ProgramRun {
    explicit ProgramRun(test::FakeClock& clock) : host(clock) {
        host.WindowPresent();
        // Each hour's file carries its own name, so a misnamed or overwritten file shows.
        channel.onWriteFile = [](const std::string& path) {
            const std::string stem = path.substr(path.find_last_of('\\') + 1, 10);
            test::WriteFile(path, "$date,$time,A,B,C\r\n" + stem + ",00:00:00,1,2,3\r\n" + stem +
                                      ",00:01:00,1,2,3\r\n");
        };
    }
    test::FakeDdeChannel channel;
    test::FakeHistDataHost host;
    FrmDDE form{channel, host};
    ExportCycle cycle{form};
    QuietView view;
    ServiceController service{cycle, view};
};

class SimulatedWeek : public ::testing::Test {
protected:
    // Far from any daylight saving change, so file times mean the same hour in every zone.
    static constexpr DateTime kStart{2011, 6, 6, 10, 30, 0};
    static constexpr DateTime kFirstHour{2011, 6, 6, 10, 0, 0};

    void SetUp() override {
        SetProgramFolderForTests(program.path());
        for (const char* sub : {"lgh", "histdata", "out", "log"}) ASSERT_TRUE(fsys::CreateFolder(program / sub));
        test::WriteTagnameX(program / "tagname.x", {{"A", "first"}, {"B", "second"}, {"C", "third"}});
        test::WriteFile(IniFile(), "DDE_LINKTOPIC=tagname\r\n"
                                   "DDE_LGH_FOLDER=" + program / "lgh" + "\r\n"
                                   "DDE_TAGNAME_FILE=" + program / "tagname.x" + "\r\n"
                                   "DDE_HISTDATA_FOLDER=" + program / "histdata" + "\r\n"
                                   "OUTPUT_FOLDER=" + program / "out" + "\r\n"
                                   "MINUTES_AFTER_HOUR=5\r\n"
                                   "KEEP_LOGS_FOR=7\r\n"
                                   "VERBOSITY=1\r\n"
                                   "DDE_DURATION=60m\r\n"
                                   "LAST_RUN=2011-06-06 10:00:00\r\n");
    }
    void TearDown() override {
        AppLog().closeLog();
        SetActivityList(nullptr);
        SetProgramFolderForTests("");
        CreateSharedObjects();
    }

    std::string LogFolder() const { return program / "log"; }
    std::string HandleFile() const { return program / (fsys::ExeName() + ".log_handle"); }

    // A log file left by an earlier installation, last written at `written`.
    void OldLog(const std::string& name, const DateTime& written) {
        test::WriteFile(LogFolder() + "\\" + name, "10:00:00 : old\r\n");
        ASSERT_TRUE(fsys::SetLastWriteTime(LogFolder() + "\\" + name, written));
    }

    bool Start() {
        StartupEnvironment env;
        env.shower = &shower;
        return RunStartup(env);
    }
    // The program ends: the open log is closed, the shared objects go with the process.
    void Exit() {
        run.reset();
        AppLog().closeLog();
    }

    // Minute ticks up to `until`; the live log's time follows the fake clock so retention sees
    // a real week's ages. Each change of log file is checked as it happens.
    void RunUntil(const DateTime& until) {
        while (clock.Now() < until) {
            clock.Advance(60);
            const std::string before = AppLog().CurrentFile();
            run->service.OnTimerTick();
            if (IsServiceMinute(clock.Now(), "5")) ++cycles;
            const std::string now = AppLog().CurrentFile();
            ASSERT_FALSE(now.empty()) << FormatGeneral(clock.Now());
            if (now != before) {
                ++dayChanges;
                const std::vector<std::string> lines = test::ReadLines(now);
                ASSERT_GE(lines.size(), 2u) << now;
                EXPECT_EQ(kPreviousLine + before, lines[0].substr(11)) << now;
            }
            if (IsServiceMinute(clock.Now(), "5")) {
                ASSERT_TRUE(fsys::SetLastWriteTime(now, clock.Now()));
            }
        }
    }

    std::vector<std::string> ExpectedHourFiles(int hours) const {
        std::vector<std::string> names;
        for (int i = 0; i < hours; ++i) names.push_back(HourFileName(kFirstHour.AddMinutes(60 * i)));
        std::sort(names.begin(), names.end());
        return names;
    }
    void ExpectOutputHolds(int hours) {
        const std::vector<std::string> names = test::FilesIn(program / "out");
        EXPECT_EQ(ExpectedHourFiles(hours), names);
        for (const std::string& name : names) {
            const std::string content = test::ReadFile(program / "out" + "\\" + name);
            EXPECT_EQ(0u, content.find("$date,$time,A,B,C\r\n" + name.substr(0, 10) + ",")) << name;
        }
        EXPECT_TRUE(test::FilesIn(program / "cache").empty());
    }
    void ExpectLastRunStoredAndReloads(const std::string& expected) {
        EXPECT_EQ(expected, AppConfig().item("LAST_RUN"));
        VRXConfiguration reloaded;
        reloaded.setPath(IniFile());
        ASSERT_TRUE(reloaded.ReadConfig());
        EXPECT_EQ(expected, reloaded.item("LAST_RUN"));
        EXPECT_EQ("7", reloaded.item("KEEP_LOGS_FOR"));
        EXPECT_EQ(program / "out", reloaded.item("OUTPUT_FOLDER"));
    }
    std::vector<std::string> LiveLogMessages() const {
        std::vector<std::string> messages;
        for (const std::string& line : test::ReadLines(AppLog().CurrentFile())) messages.push_back(line.substr(11));
        return messages;
    }

    // The 168 hours from kStart up to the next Monday's 10:05 cycle.
    void RunTheWeek() {
        ASSERT_TRUE(Start());
        run = std::make_unique<ProgramRun>(clock);
        run->service.SetServiceMode(1);
        ASSERT_TRUE(run->service.ServiceRunning());
        ASSERT_TRUE(run->view.timer);
        RunUntil(DateTime{2011, 6, 13, 10, 5, 0});
    }

    test::TempFolder program;
    test::FakeClock clock{kStart};
    test::RecordingShower shower;
    std::unique_ptr<ProgramRun> run;
    int cycles = 0;
    int dayChanges = 0;
};

TEST_F(SimulatedWeek, ExportsEveryHourOnceAndKeepsOneLogFilePerDay) {
    // Older than the seven days kept at start-up, and younger.
    OldLog("05_27_2011__09_00_00_pelomark.log", DateTime{2011, 5, 28, 18, 0, 0});
    OldLog("06_01_2011__09_00_00_pelomark.log", DateTime{2011, 6, 1, 18, 0, 0});

    RunTheWeek();
    if (HasFatalFailure()) return;

    EXPECT_EQ(168, cycles);
    EXPECT_EQ(7, dayChanges);
    EXPECT_EQ(168, run->channel.writeCount);
    EXPECT_TRUE(run->host.starts.empty());
    ExpectOutputHolds(168);
    ExpectLastRunStoredAndReloads("2011-06-13 10:00:00");

    // Retention ran only at start-up: the old file went, the younger one stays.
    std::vector<std::string> expectedLogs = {"06_01_2011__09_00_00_pelomark.log",
                                             "06_06_2011__10_30_00_pelomark.log"};
    for (int day = 7; day <= 13; ++day) {
        expectedLogs.push_back("06_" + std::to_string(day / 10) + std::to_string(day % 10) +
                               "_2011__00_05_00_pelomark.log");
    }
    std::sort(expectedLogs.begin(), expectedLogs.end());
    EXPECT_EQ(expectedLogs, test::FilesIn(LogFolder()));
    EXPECT_EQ(LogFolder() + "\\06_13_2011__00_05_00_pelomark.log", AppLog().CurrentFile());
    EXPECT_EQ(AppLog().CurrentFile() + "\r\n", test::ReadFile(HandleFile()));

    // Each day's file holds exactly that day's cycles, none lost at midnight.
    for (const std::string& name : test::FilesIn(LogFolder())) {
        if (name.rfind("06_01_", 0) == 0) continue;
        int started = 0;
        for (const std::string& line : test::ReadLines(LogFolder() + "\\" + name)) {
            if (line.find(" : Processing Files Starting at: ") == 8) ++started;
        }
        const int expected = name.rfind("06_06_", 0) == 0 ? 13 : name.rfind("06_13_", 0) == 0 ? 11 : 24;
        EXPECT_EQ(expected, started) << name;
    }
    EXPECT_TRUE(shower.prompts.empty());
}

TEST_F(SimulatedWeek, RestartAfterADayOffPrunesOldLogsAndCatchesUpTheMissedHours) {
    OldLog("06_01_2011__09_00_00_pelomark.log", DateTime{2011, 6, 1, 18, 0, 0});
    RunTheWeek();
    if (HasFatalFailure()) return;
    Exit();

    // Off for a day; the program's only retention pass is the one at start.
    clock.Set(DateTime{2011, 6, 14, 11, 30, 0});
    ASSERT_TRUE(Start());
    std::vector<std::string> logs = test::FilesIn(LogFolder());
    // 06-01's and 06-06's files are over seven days old; 06-07's (23:05) is six and a half.
    EXPECT_EQ(logs.end(), std::find(logs.begin(), logs.end(), "06_01_2011__09_00_00_pelomark.log"));
    EXPECT_EQ(logs.end(), std::find(logs.begin(), logs.end(), "06_06_2011__10_30_00_pelomark.log"));
    EXPECT_NE(logs.end(), std::find(logs.begin(), logs.end(), "06_07_2011__00_05_00_pelomark.log"));
    EXPECT_EQ(8u, logs.size());  // 06-07 .. 06-13 and the new run's file
    EXPECT_EQ(LogFolder() + "\\06_14_2011__11_30_00_pelomark.log", AppLog().CurrentFile());
    EXPECT_EQ(AppLog().CurrentFile() + "\r\n", test::ReadFile(HandleFile()));
    const std::vector<std::string> messages = LiveLogMessages();
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(),
                            [](const std::string& m) { return m.rfind("Removed 2 logs. Freed ", 0) == 0; }));

    run = std::make_unique<ProgramRun>(clock);
    run->service.SetServiceMode(1);
    ASSERT_TRUE(run->service.ServiceRunning());
    RunUntil(DateTime{2011, 6, 14, 12, 5, 0});

    // One cycle fills the 26 hours from the last run up to the current hour.
    EXPECT_EQ(26, run->channel.writeCount);
    ExpectOutputHolds(168 + 26);
    ExpectLastRunStoredAndReloads("2011-06-14 12:00:00");
    EXPECT_TRUE(shower.prompts.empty());
}

}  // namespace
}  // namespace hdq
