#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/text.h"
#include "logging/logger.h"
#include "test_support.h"

namespace hdq {
namespace {

using test::FilesIn;
using test::ReadLines;
using test::TempFolder;
using test::WriteFile;

constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 24 * kHour;

class LogRetention : public ::testing::Test {
protected:
    LogRetention() {
        EXPECT_TRUE(fsys::CreateFolder(logDir));
        log.SetLogPath(logDir);
        log.SetHandleFilePath(dir / "test.log_handle");
        log.SetBufferLength(1);
        log.SetEnabled(true);
    }

    // A file in the log folder last changed `age` seconds before the fake now.
    void OldFile(const std::string& name, int64_t age, const std::string& content = "x") {
        const std::string path = logDir + "\\" + name;
        WriteFile(path, content);
        ASSERT_TRUE(fsys::SetLastWriteTime(path, clock.Now().AddSeconds(-age)));
    }

    std::vector<std::string> LogTexts(const std::string& prefix = "") {
        std::vector<std::string> texts;
        for (const std::string& line : ReadLines(log.CurrentFile()))
            if (StartsWith(line.substr(11), prefix)) texts.push_back(line.substr(11));
        return texts;
    }
    std::vector<std::string> Summaries() { return LogTexts("Removed "); }
    bool Has(const std::string& name) {
        auto files = FilesIn(logDir);
        return std::find(files.begin(), files.end(), name) != files.end();
    }

    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    TempFolder dir;
    std::string logDir = dir / "Log";
    VRXLoggerTXT log;
};

TEST_F(LogRetention, ClampsKeepDaysAndNamesTheFolderInUpperCase) {
    log.LSM_Init(3);
    log.LSM_Init(5000);
    log.LSM_Init(30);
    const std::string folder = ToUpper(logDir);
    EXPECT_EQ((std::vector<std::string>{
                  "Logs in '" + folder + "' will be removed after they are older than 7 days.",
                  "Logs in '" + folder + "' will be removed after they are older than 1000 days.",
                  "Logs in '" + folder + "' will be removed after they are older than 30 days.",
              }),
              LogTexts());
}

TEST_F(LogRetention, RemovesEveryFileOlderThanTheCutOffAndKeepsTheRest) {
    OldFile("02_01_2011__10_00_00_pelomark.log", 8 * kDay + kHour, std::string(1000, 'a'));
    OldFile("notes.txt", 30 * kDay, std::string(536, 'b'));
    OldFile("03_17_2011__16_00_00_pelomark.log", 7 * kDay + 23 * kHour);
    ASSERT_TRUE(fsys::CreateFolder(logDir + "\\old_folder"));
    ASSERT_TRUE(fsys::SetLastWriteTime(logDir + "\\old_folder", clock.Now().AddDays(-100)));

    log.LSM_Init(8);
    log.LSM_Run();

    EXPECT_FALSE(Has("02_01_2011__10_00_00_pelomark.log"));
    EXPECT_FALSE(Has("notes.txt"));
    EXPECT_TRUE(Has("03_17_2011__16_00_00_pelomark.log"));
    EXPECT_TRUE(fsys::IsDirectory(logDir + "\\old_folder"));
    EXPECT_TRUE(Has(log.CurrentFile().substr(logDir.size() + 1)));
    EXPECT_EQ(std::vector<std::string>{"Removed 2 logs. Freed 1.50 kB of disk space."}, Summaries());
}

TEST_F(LogRetention, RunsAtMostOncePerClockHourNotBeforeInitAndReportsAnEmptyFileAsNoSpaceFreed) {
    OldFile("a.log", 10 * kDay, "");
    log.LSM_Run();
    EXPECT_TRUE(Has("a.log"));
    EXPECT_TRUE(Summaries().empty());

    clock.Set(DateTime{2011, 3, 25, 14, 0, 0});
    log.LSM_Init(7);
    log.LSM_Run();
    EXPECT_FALSE(Has("a.log"));
    EXPECT_EQ(std::vector<std::string>{"Removed 1 logs. Freed 0.00 kB of disk space."}, Summaries());

    OldFile("b.log", 10 * kDay);
    clock.Set(DateTime{2011, 3, 25, 14, 59, 59});
    log.LSM_Run();
    EXPECT_TRUE(Has("b.log"));

    clock.Advance(1);
    log.LSM_Run();
    EXPECT_FALSE(Has("b.log"));
    clock.Advance(kHour);
    log.LSM_Run();  // nothing went away: no summary
    EXPECT_EQ(2u, Summaries().size());
}

TEST_F(LogRetention, ReportsACleanUpLargerThanFourGigabytes) {
    // Two sparse files of 3 GiB each: their sum does not fit 32 bits.
    for (const char* name : {"big1.log", "big2.log"}) {
        OldFile(name, 10 * kDay);
        std::error_code ec;
        std::string p = logDir + "\\" + name;
#ifndef _WIN32
        std::replace(p.begin(), p.end(), '\\', '/');
#endif
        std::filesystem::resize_file(p, 3ull << 30, ec);
        if (ec) GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
        ASSERT_TRUE(fsys::SetLastWriteTime(logDir + "\\" + name, clock.Now().AddDays(-10)));
    }
    log.LSM_Init(7);
    log.LSM_Run();
    EXPECT_FALSE(Has("big1.log"));
    EXPECT_FALSE(Has("big2.log"));
    EXPECT_EQ(std::vector<std::string>{"Removed 2 logs. Freed 6,291,456.00 kB of disk space."}, Summaries());
}

TEST_F(LogRetention, TreatsAnUnreadableFileAsNewAndAMissingOneAsUndeletable) {
    const std::string missing = logDir + "\\gone.log";
    EXPECT_EQ(clock.Now(), log.GetLastModifiedFileTime(missing));
    EXPECT_EQ(-1, log.GetFileSizeInBytes(missing));
    EXPECT_FALSE(log.KillFileAndDiscardError(missing));

    OldFile("here.log", 10 * kDay, std::string(1536, 'c'));
    EXPECT_EQ(clock.Now().AddDays(-10), log.GetLastModifiedFileTime(logDir + "\\here.log"));
    EXPECT_EQ(1536, log.GetFileSizeInBytes(logDir + "\\here.log"));
}

}  // namespace
}  // namespace hdq
