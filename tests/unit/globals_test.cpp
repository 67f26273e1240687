#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/shared.h"
#include "core/files.h"
#include "fake_dde.h"

namespace hdq {
namespace {

class Globals : public ::testing::Test {
protected:
    Globals() { SetActivityList(&activity); }
    ~Globals() override { SetActivityList(nullptr); }

    test::AppSandbox sb;
    test::RecordingActivityList activity;

    std::string Cache() const { return sb / "cache"; }
    void PutInCache(const std::string& name, const std::string& content) {
        fsys::CreateFolder(Cache());
        test::WriteFile(Cache() + "\\" + name, content);
    }
};

TEST_F(Globals, ClearsTheActivityListAtTenThousandLinesAndShowsOnlyLinesWithinTheVerbosity) {
    activity.lines.assign(9999, "old");
    LogActivity("line 10000", 0);
    EXPECT_EQ(10000, activity.Count());
    LogActivity("line 10001", 0);
    EXPECT_EQ(std::vector<std::string>{"line 10001"}, activity.lines);

    activity.lines.clear();
    AppLog().SetVerbosity(1);
    LogActivity("detail", 2);
    LogActivity("summary", 0);
    EXPECT_EQ(std::vector<std::string>{"summary"}, activity.lines);
    AppLog().SetVerbosity(2);
    EXPECT_TRUE(sb.Logged("summary"));
    EXPECT_FALSE(sb.Logged("detail"));  // the logger applies the same level to the file
}

TEST_F(Globals, ExplainsWhyAPathIsUnusable) {
    EXPECT_FALSE(ValidatePath("   "));
    EXPECT_TRUE(sb.Logged("ERROR: Path must not be blank"));
    const std::string missing = sb / "nowhere";
    EXPECT_FALSE(ValidatePath(missing));
    EXPECT_TRUE(sb.Logged("ERROR: Path " + missing + " does not exist"));
    EXPECT_TRUE(ValidatePath(sb.folder()));
    EXPECT_FALSE(FileExists(sb / "*.tmp"));  // the probe file is gone again
}

#ifndef _WIN32
TEST_F(Globals, ReportsAFolderThatRefusesNewFilesWithItsBackslash) {
    // Even root cannot create files in /proc.
    EXPECT_FALSE(ValidatePath("/proc"));
    EXPECT_TRUE(sb.Logged("ERROR: Not able to write to path /proc\\"));
}
#endif

TEST_F(Globals, MakesTheFirstFreeTemporaryName) {
    test::WriteFile(sb / "1.tmp", "");
    test::WriteFile(sb / "2.tmp", "");
    std::string folder = sb.folder();
    EXPECT_EQ(sb.folder() + "\\3.tmp", MakeTempFileName(folder));
    EXPECT_EQ(sb.folder() + "\\", folder);
    std::string none;
    EXPECT_EQ(sb.folder() + "\\3.tmp", MakeTempFileName(none));  // the program folder
}

TEST_F(Globals, MovesTheHourlyFilesIntoANewOutputFolderReplacingAnEarlierFileOfTheSameHour) {
    PutInCache("2011032514.CSV", "hour 14");
    PutInCache("notes.txt", "stays");
    sb.Set("OUTPUT_FOLDER", sb / "out");
    ASSERT_TRUE(MoveCSVFiles("*.csv"));
    EXPECT_EQ(std::vector<std::string>{"2011032514.CSV"}, test::FilesIn(sb / "out"));
    EXPECT_EQ("hour 14", test::ReadFile(sb / "out\\2011032514.CSV"));
    EXPECT_EQ(std::vector<std::string>{"notes.txt"}, test::FilesIn(Cache()));
    EXPECT_TRUE(sb.Logged("File to Copy: " + sb.folder() + "\\out\\2011032514.CSV"));
    EXPECT_TRUE(sb.Logged("Move CSV Files ... end"));

    PutInCache("2011032514.CSV", "new");
    sb.Set("OUTPUT_FOLDER", sb / "out\\");
    ASSERT_TRUE(MoveCSVFiles("*.csv"));
    EXPECT_EQ("new", test::ReadFile(sb / "out\\2011032514.CSV"));
    EXPECT_EQ(std::vector<std::string>{"notes.txt"}, test::FilesIn(Cache()));
}

TEST_F(Globals, MovesNothingWhenTheOutputFolderIsTheCache) {
    PutInCache("2011032514.CSV", "x");
    for (const std::string& out : {sb / "CACHE", sb / "Cache\\", "  " + sb / "cache  "}) {
        sb.Set("OUTPUT_FOLDER", out);
        EXPECT_TRUE(MoveCSVFiles("*.csv")) << out;
        EXPECT_EQ(std::vector<std::string>{"2011032514.CSV"}, test::FilesIn(Cache())) << out;
    }
    EXPECT_FALSE(sb.Logged("Move CSV Files ... end"));
}

TEST_F(Globals, KeepsTheCacheFileWhenItsCopyFails) {
    PutInCache("2011032514.CSV", "only copy");
    sb.Set("OUTPUT_FOLDER", sb / "missing\\deeper");  // one level is made, not two
    EXPECT_FALSE(MoveCSVFiles("*.csv"));
    EXPECT_EQ("only copy", test::ReadFile(Cache() + "\\2011032514.CSV"));
    ASSERT_FALSE(activity.lines.empty());
    EXPECT_EQ(0u, activity.lines.back().rfind("Error: Unable to Move CSV Files: (", 0)) << activity.lines.back();
}

TEST_F(Globals, SavesTheConfigurationOnlyAfterAChange) {
    AppConfig().SetChangeWasMade(false);
    EXPECT_TRUE(SaveConfigIfChanged());
    EXPECT_EQ("", test::ReadFile(sb / "test.ini"));
    AppConfig().SetChangeWasMade(true);
    EXPECT_TRUE(SaveConfigIfChanged());
    EXPECT_NE(std::string::npos, test::ReadFile(sb / "test.ini").find("DDE_TIMEOUT=600"));
    EXPECT_TRUE(sb.Logged("Configuration saved to " + sb / "test.ini"));
}

}  // namespace
}  // namespace hdq
