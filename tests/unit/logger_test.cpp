// The logging subsystem: the daily text log, the retention pass that clears its folder of old
// files, and the message box's silent mode (the box shown to the operator is start-up's test).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/text.h"
#include "logging/logger.h"
#include "logging/msgbox.h"
#include "test_support.h"

namespace hdq {
namespace {

constexpr int64_t kDay = 24 * 3600;

class TextLogger : public ::testing::Test {
protected:
    TextLogger() {
        log.SetLogPath(logDir);
        log.SetHandleFilePath(handle);
        log.SetBufferLength(1);
        log.SetPostfix("_pelomark");
        log.SetEnabled(true);
    }

    std::vector<std::string> Texts() { return test::Messages(test::ReadFile(log.CurrentFile())); }
    // A file in the log folder of `size` bytes (sparse where the file system allows), last
    // changed `age` seconds before the fake now.
    void OldFile(const std::string& name, int64_t age, uint64_t size = 1) {
        std::string path = logDir + "\\" + name;
        test::WriteFile(path, "");
#ifndef _WIN32
        std::replace(path.begin(), path.end(), '\\', '/');
#endif
        std::filesystem::resize_file(path, size);
        ASSERT_TRUE(fsys::SetLastWriteTime(logDir + "\\" + name, clock.Now().AddSeconds(-age)));
    }

    test::FakeClock clock{DateTime{2011, 3, 25, 23, 59, 50}};
    test::TempFolder dir;
    std::string logDir = dir / "Log";
    std::string handle = dir / "HistDataToQorp.log_handle";
    VRXLoggerTXT log;
};

TEST_F(TextLogger, StartsANewFileAtMidnightThatNamesThePreviousOneAndMovesTheHandle) {
    log.SetLogHandleAssertion(true);
    log.WriteLog("before midnight");
    const std::string first = log.CurrentFile();
    EXPECT_EQ(logDir + "\\03_25_2011__23_59_50_pelomark.log", first);
    EXPECT_EQ(first + "\r\n", test::ReadFile(handle));

    clock.Advance(20);
    log.WriteLog("after midnight");
    const std::string second = log.CurrentFile();
    EXPECT_EQ(logDir + "\\03_26_2011__00_00_10_pelomark.log", second);
    EXPECT_EQ("23:59:50 : before midnight\r\n", test::ReadFile(first));
    EXPECT_EQ("00:00:10 : Previous log file for this session = " + first + "\r\n" +
                  "00:00:10 : after midnight\r\n",
              test::ReadFile(second));
    EXPECT_EQ(second + "\r\n", test::ReadFile(handle));

    // Setting the clock back to another day also starts a new file.
    clock.Set(DateTime{2011, 3, 24, 9, 0, 0});
    log.WriteLog("clock set back");
    EXPECT_EQ(logDir + "\\03_24_2011__09_00_00_pelomark.log", log.CurrentFile());
}

TEST_F(TextLogger, ClampsMessageLevelsBeforeComparingWithVerbosity) {
    log.SetVerbosity(1);
    for (int level : {0, 1, 2, 12, -3}) log.WriteLog("level " + std::to_string(level), level);
    log.SetVerbosity(9);
    log.WriteLog("level 12 at 9", 12);
    EXPECT_EQ((std::vector<std::string>{"level 0", "level 1", "level -3", "level 12 at 9"}), Texts());
}

TEST_F(TextLogger, RetriesAFailedOpenAtTheNextMessage) {
    // Only the last folder of LogPath is created, so a missing parent makes the open fail.
    log.SetLogPath(dir / "parent\\log");
    log.WriteLog("lost");
    EXPECT_TRUE(log.CurrentFile().empty());
    ASSERT_TRUE(fsys::CreateFolder(dir / "parent"));
    log.WriteLog("kept");
    EXPECT_EQ("23:59:50 : kept\r\n", test::ReadFile(log.CurrentFile()));
}

TEST_F(TextLogger, RetentionRemovesEveryFileOlderThanTheCutOffAndCountsBeyondFourGigabytes) {
    clock.Set(DateTime{2011, 3, 25, 14, 5, 9});
    ASSERT_TRUE(fsys::CreateFolder(logDir));
    // 3 GiB each: the sum does not fit 32 bits.
    ASSERT_NO_FATAL_FAILURE(OldFile("02_01_2011__10_00_00_pelomark.log", 8 * kDay + 3600, (3ull << 30) + 1000));
    ASSERT_NO_FATAL_FAILURE(OldFile("notes.txt", 30 * kDay, (3ull << 30) + 536));
    ASSERT_NO_FATAL_FAILURE(OldFile("03_17_2011__16_00_00_pelomark.log", 8 * kDay - 3600));
    ASSERT_NO_FATAL_FAILURE(OldFile("03_24_2011__09_00_00_pelomark.log", kDay));  // the newest day stays anyway
    ASSERT_TRUE(fsys::CreateFolder(logDir + "\\old_folder"));
    ASSERT_TRUE(fsys::SetLastWriteTime(logDir + "\\old_folder", clock.Now().AddDays(-100)));

    log.LSM_Init(3);  // fewer than seven days are never kept
    log.LSM_Init(8);
    log.LSM_Run();

    EXPECT_EQ((std::vector<std::string>{"03_17_2011__16_00_00_pelomark.log", "03_24_2011__09_00_00_pelomark.log",
                                        "03_25_2011__14_05_09_pelomark.log"}),
              test::FilesIn(logDir));
    EXPECT_TRUE(fsys::IsDirectory(logDir + "\\old_folder"));
    // The folder is listed as written (the native file system minds case) but shown upper-cased.
    const std::string folder = ToUpper(logDir);
    EXPECT_EQ((std::vector<std::string>{
                  "Logs in '" + folder + "' will be removed after they are older than 7 days.",
                  "Logs in '" + folder + "' will be removed after they are older than 8 days.",
                  "Removed 2 logs. Freed 6,291,457.50 kB of disk space.",
              }),
              Texts());
}

TEST_F(TextLogger, RetentionRunsAtMostOncePerClockHourAndNotBeforeInit) {
    clock.Set(DateTime{2011, 3, 25, 14, 0, 0});
    ASSERT_TRUE(fsys::CreateFolder(logDir));
    ASSERT_NO_FATAL_FAILURE(OldFile("a.log", 10 * kDay, 0));
    ASSERT_NO_FATAL_FAILURE(OldFile("new.log", kDay));
    log.LSM_Run();
    EXPECT_TRUE(fsys::Exists(logDir + "\\a.log"));
    log.LSM_Init(7);
    log.LSM_Run();
    EXPECT_FALSE(fsys::Exists(logDir + "\\a.log"));

    ASSERT_NO_FATAL_FAILURE(OldFile("b.log", 10 * kDay));
    clock.Set(DateTime{2011, 3, 25, 14, 59, 59});
    log.LSM_Run();
    EXPECT_TRUE(fsys::Exists(logDir + "\\b.log"));
    clock.Advance(1);
    log.LSM_Run();
    EXPECT_FALSE(fsys::Exists(logDir + "\\b.log"));
    EXPECT_EQ("Removed 1 logs. Freed 0.00 kB of disk space.", Texts().back());
}

TEST_F(TextLogger, RetentionKeepsTheNewestDaysFilesWhenAllArePastTheCutOff) {
    clock.Set(DateTime{2012, 3, 25, 12, 0, 0});  // a year after the last run, 2011-03-25
    log.LSM_Init(7);
    for (const auto& [name, hours] : std::map<std::string, int>{{"late.log", -6}, {"early.log", 3}, {"before.log", 13}})
        ASSERT_NO_FATAL_FAILURE(OldFile(name, 366 * kDay + hours * 3600));
    // Our own file, dated by the clock that may have jumped, does not pass for the newest day.
    ASSERT_TRUE(fsys::SetLastWriteTime(log.CurrentFile(), clock.Now()));
    log.LSM_Run();
    EXPECT_EQ((std::vector<std::string>{"03_25_2012__12_00_00_pelomark.log", "early.log", "late.log"}),
              test::FilesIn(logDir));
}

// The cap in MB (0 is taken as 1), the size of today's older file in KiB; the files left and
// the start of the log's last line.
struct CapCase { int mb; uint64_t todayKiB; std::vector<std::string> left; std::string line; };

TEST_F(TextLogger, SizePassRemovesTheOldestFilesUntilUnderTheCapButNeverTodaysOrTheOpenOne) {
    const CapCase cases[] = {
        {0, 600, {"c.log", "today.log"}, "Removed 2 logs to keep the log folder under 1 MB. Freed 800.00 kB of disk space."},
        {1, 1200, {"today.log"}, "Removed 3 logs to keep the log folder under 1 MB. Freed 1,200.00 kB of disk space."},
        {2, 600, {"a.log", "b.log", "c.log", "today.log"}, "Logs in"}};
    clock.Set(DateTime{2011, 3, 25, 8, 0, 0});
    for (const CapCase& c : cases) {
        SCOPED_TRACE(c.mb);
        clock.Advance(3600);  // a pass per clock hour
        logDir = dir / ("Log" + std::to_string(c.mb) + "_" + std::to_string(c.todayKiB));
        log.closeLog();
        log.SetLogPath(logDir);
        ASSERT_TRUE(fsys::CreateFolder(logDir));
        for (const auto& [name, days] : std::map<std::string, int>{{"b.log", 4}, {"a.log", 5}, {"c.log", 3}})
            ASSERT_NO_FATAL_FAILURE(OldFile(name, days * kDay, 400 << 10));
        ASSERT_NO_FATAL_FAILURE(OldFile("today.log", 7200, c.todayKiB << 10));
        log.LSM_SetMaxMB(c.mb);
        log.LSM_Init(1000);
        log.LSM_Run();
        std::vector<std::string> left = test::FilesIn(logDir);
        std::erase(left, log.CurrentFile().substr(logDir.size() + 1));
        EXPECT_EQ(c.left, left);
        EXPECT_EQ(0u, Texts().back().rfind(c.line, 0));
        // Growth by a twentieth of the cap runs the pass within the day, without a new file.
        ASSERT_NO_FATAL_FAILURE(OldFile("z.log", 9 * kDay, (static_cast<uint64_t>(log.MaxLogMB()) << 20) + 1));
        log.WriteLog(std::string((log.MaxLogMB() << 20) / 20, 'x'));
        EXPECT_FALSE(fsys::Exists(logDir + "\\z.log"));
    }
}

TEST_F(TextLogger, SizePassStopsAsSoonAsTheFolderIsNoLargerThanTheCap) {
    clock.Set(DateTime{2011, 3, 25, 9, 0, 0});
    ASSERT_TRUE(fsys::CreateFolder(logDir));
    log.LSM_SetMaxMB(1);
    log.LSM_Init(1000);  // its line opens today's file
    const uint64_t open = fsys::FileSize(log.CurrentFile()).value_or(0);
    ASSERT_NO_FATAL_FAILURE(OldFile("a.log", 5 * kDay, 400 << 10));
    ASSERT_NO_FATAL_FAILURE(OldFile("b.log", 4 * kDay, 400 << 10));
    // With a.log gone the folder holds 1 MB to the byte: b.log stays.
    ASSERT_NO_FATAL_FAILURE(OldFile("today.log", 7200, (1 << 20) - (400 << 10) - open));
    log.LSM_Run();
    std::vector<std::string> left = test::FilesIn(logDir);
    std::erase(left, log.CurrentFile().substr(logDir.size() + 1));
    EXPECT_EQ((std::vector<std::string>{"b.log", "today.log"}), left);
}

// The wall clock's step against the ticks in seconds; the hours the pass names, 0 if it prunes.
class TextLoggerClockStep : public TextLogger, public ::testing::WithParamInterface<std::pair<int64_t, int>> {};

TEST_P(TextLoggerClockStep, HoldsRetentionOffWhileTheClockStandsADayAwayFromTheTicks) {
    const auto [step, hours] = GetParam();
    const std::string line = hours == 0 ? "Removed 1 logs. Freed 0.00 kB of disk space."
                                        : "Log retention skipped: the clock moved by " + std::to_string(hours) +
                                              " hours against the time the program has run";
    clock.Set(DateTime{2011, 3, 25, 12, 0, 0});
    log.LSM_Init(7);
    ASSERT_NO_FATAL_FAILURE(OldFile("edge.log", 7 * kDay - 1800));  // old after any step of half an hour
    ASSERT_NO_FATAL_FAILURE(OldFile("ahead.log", -2 * kDay));         // written before a clock set back
    clock.Set(clock.Now().AddSeconds(step));
    clock.Advance(2 * 3600);
    log.LSM_Init(7);  // as each new day's first line does
    log.LSM_Run();
    EXPECT_EQ(line, Texts().back());
    EXPECT_EQ(hours == 0, !fsys::Exists(logDir + "\\edge.log"));
    clock.Advance(3600);  // the step still stands an hour on
    log.LSM_Run();
    EXPECT_EQ(line, Texts().back());
    clock.Set(clock.Now().AddSeconds(-step));  // put right
    log.LSM_Init(7);
    log.LSM_Run();
    EXPECT_FALSE(fsys::Exists(logDir + "\\edge.log"));
    EXPECT_TRUE(fsys::Exists(logDir + "\\ahead.log"));
}

INSTANTIATE_TEST_SUITE_P(TextLogger, TextLoggerClockStep,
                         ::testing::Values(std::pair{3600, 0}, std::pair{-3600, 0}, std::pair{kDay, 24},
                                           std::pair{-kDay, -24}, std::pair{366 * kDay, 8784}));

class MessageBoxHandler : public TextLogger {
protected:
    MessageBoxHandler() {
        box.SetLogHandler(&log);
        box.SetSilentOperation(true);
        box.SetShower(&shower);
    }
    test::RecordingShower shower;
    VRXmsgBoxHandler box;
};

TEST_F(MessageBoxHandler, AnswersSilentlyWithAnExistingDefaultButtonAndLogsTheOptionalPartsOnlyWhenGiven) {
    EXPECT_EQ(7, box.VrxMsgBox("Save the settings?", 4 + 256));
    EXPECT_EQ(2, box.VrxMsgBox("Quit?", 3 + 512 + 32, std::string("Connection"), std::string("help.chm"), 12120));
    const std::string head = "=============================== SILENT VRXMSGBOX ===============================";
    const std::string foot(77, '=');
    EXPECT_EQ((std::vector<std::string>{head, "PROMPT= Save the settings?", "BUTTONS= 260", "ANSWER= NO", foot,
                                        head, "PROMPT= Quit?", "BUTTONS= 547", "TITLE= Connection",
                                        "HELPFILE= help.chm", "CONTEXT= 12120", "ANSWER= CANCEL", foot}),
              Texts());
    EXPECT_TRUE(shower.calls.empty());

    // A default button that the style does not have falls back to the first button.
    EXPECT_EQ(6, VRXmsgBoxHandler::DefaultAnswer(4 + 512));
    EXPECT_EQ(2, VRXmsgBoxHandler::DefaultAnswer(5 + 256 + 16));  // icon flags pass through
    EXPECT_EQ(7, VRXmsgBoxHandler::DefaultAnswer(3 + 256 + 512));  // the second button wins
    EXPECT_EQ(1, VRXmsgBoxHandler::DefaultAnswer(6 + 256));         // unknown styles act as OK
}

}  // namespace
}  // namespace hdq
