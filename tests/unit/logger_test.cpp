#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/files.h"
#include "logging/logger.h"
#include "test_support.h"

namespace hdq {
namespace {

using test::FilesIn;
using test::ReadFile;
using test::ReadLines;
using test::TempFolder;

class TextLogger : public ::testing::Test {
protected:
    TextLogger() {
        log.SetLogPath(logDir);
        log.SetHandleFilePath(handle);
        log.SetBufferLength(1);
        log.SetPostfix("_pelomark");
    }

    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    TempFolder dir;
    std::string logDir = dir / "log";
    std::string handle = dir / "HistDataToQorp.log_handle";
    VRXLoggerTXT log;
};

TEST_F(TextLogger, WritesNothingWhileDisabledThenNamesTheFileByItsOpeningTimeAndStampsEachLine) {
    log.SetLogHandleAssertion(true);
    log.WriteLog("lost");
    log.AssertVerbosity();
    EXPECT_FALSE(fsys::Exists(logDir));
    EXPECT_FALSE(fsys::Exists(handle));
    EXPECT_TRUE(log.CurrentFile().empty());

    log.SetEnabled(true);
    log.SetPrefix("hdq_");
    log.WriteLog("Default configuration file successfully created.");
    clock.Advance(61);
    log.AssertVerbosity();

    EXPECT_EQ(logDir + "\\hdq_03_25_2011__14_05_09_pelomark.log", log.CurrentFile());
    EXPECT_EQ(std::vector<std::string>{"hdq_03_25_2011__14_05_09_pelomark.log"}, FilesIn(logDir));
    EXPECT_EQ("14:05:09 : Default configuration file successfully created.\r\n"
              "14:06:10 : [Log Verbosity is set to 0, Log Date is 2011-03-25]\r\n",
              ReadFile(log.CurrentFile()));
}

TEST_F(TextLogger, ClampsMessageLevelsBeforeComparingWithVerbosity) {
    log.SetEnabled(true);
    log.SetVerbosity(1);
    for (int level : {0, 1, 2, 12, -3}) log.WriteLog("level " + std::to_string(level), level);
    log.SetVerbosity(9);
    log.WriteLog("level 12 at 9", 12);

    std::vector<std::string> texts;
    for (const std::string& line : ReadLines(log.CurrentFile())) texts.push_back(line.substr(11));
    EXPECT_EQ((std::vector<std::string>{"level 0", "level 1", "level -3", "level 12 at 9"}), texts);
}

TEST_F(TextLogger, StartsANewFileAtMidnightThatNamesThePreviousOneAndMovesTheHandle) {
    clock.Set(DateTime{2011, 3, 25, 23, 59, 50});
    log.SetEnabled(true);
    log.SetLogHandleAssertion(true);
    log.WriteLog("before midnight");
    const std::string first = log.CurrentFile();
    EXPECT_EQ(first + "\r\n", ReadFile(handle));

    clock.Advance(20);
    log.WriteLog("after midnight");
    const std::string second = log.CurrentFile();

    EXPECT_EQ(logDir + "\\03_26_2011__00_00_10_pelomark.log", second);
    EXPECT_EQ("23:59:50 : before midnight\r\n", ReadFile(first));
    EXPECT_EQ("00:00:10 : Previous log file for this session = " + first + "\r\n" +
                  "00:00:10 : after midnight\r\n",
              ReadFile(second));
    EXPECT_EQ(second + "\r\n", ReadFile(handle));

    // Setting the clock back to another day also starts a new file.
    clock.Set(DateTime{2011, 3, 24, 9, 0, 0});
    log.WriteLog("clock set back");
    EXPECT_EQ(logDir + "\\03_24_2011__09_00_00_pelomark.log", log.CurrentFile());
}

TEST_F(TextLogger, RetriesAFailedOpenAtTheNextMessage) {
    // Only the last folder of LogPath is created, so a missing parent makes the open fail.
    const std::string deep = dir / "parent\\log";
    log.SetLogPath(deep);
    log.SetEnabled(true);
    log.WriteLog("lost");
    EXPECT_TRUE(log.CurrentFile().empty());

    ASSERT_TRUE(fsys::CreateFolder(dir / "parent"));
    clock.Advance(1);
    log.WriteLog("kept");
    ASSERT_FALSE(log.CurrentFile().empty());
    EXPECT_EQ("14:05:10 : kept\r\n", ReadFile(log.CurrentFile()));
}

TEST_F(TextLogger, FlushesABufferedFileOnCloseAndAppendsWhenReopenedInTheSameSecond) {
    log.SetBufferLength(1024);
    log.SetEnabled(true);
    log.WriteLog("one");
    const std::string name = log.CurrentFile();
    log.closeLog();
    EXPECT_TRUE(log.CurrentFile().empty());
    EXPECT_EQ("14:05:09 : one\r\n", ReadFile(name));

    log.WriteLog("two");
    EXPECT_EQ(name, log.CurrentFile());
    log.closeLog();
    EXPECT_EQ("14:05:09 : one\r\n14:05:09 : two\r\n", ReadFile(name));
}

TEST_F(TextLogger, KeepsLoggingWhenTheHandleFileCannotBeWritten) {
    // A folder in the handle file's place can be neither deleted as a file nor written.
    ASSERT_TRUE(fsys::CreateFolder(handle));
    log.SetEnabled(true);
    log.SetLogHandleAssertion(true);
    log.WriteLog("still here");
    EXPECT_EQ("14:05:09 : still here\r\n", ReadFile(log.CurrentFile()));
}

}  // namespace
}  // namespace hdq
