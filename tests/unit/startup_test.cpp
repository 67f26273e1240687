// Start-up in a temporary program folder: the INI file, the identification record, the
// clamped settings and the refusal to start without a readable configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/files.h"
#include "logging/msgbox.h"
#include "test_support.h"

namespace hdq {
namespace {


// The log lines without their "hh:mm:ss : " stamp.
std::vector<std::string> LogMessages(const std::string& logFolder) {
    std::vector<std::string> messages;
    for (const std::string& name : test::FilesIn(logFolder)) {
        for (const std::string& line : test::ReadLines(logFolder + "\\" + name))
            messages.push_back(line.size() > 11 ? line.substr(11) : line);
    }
    return messages;
}

bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolderForTests(program.path()); }
    void TearDown() override {
        AppLog().closeLog();
        SetProgramFolderForTests("");
        CreateSharedObjects();  // later tests start from a disabled logger and an empty store
    }
    bool Start() {
        StartupEnvironment env;
        env.commandLine = "/quiet";
        env.threadId = 4242;
        env.instanceHandle = 4194304;
        env.shower = &shower;
        bool ok = RunStartup(env);
        AppLog().closeLog();
        return ok;
    }
    void WriteIni(const std::string& content) { test::WriteFile(IniFile(), content); }

    test::TempFolder program;
    test::FakeClock clock{DateTime{2011, 3, 25, 14, 5, 9}};
    test::RecordingShower shower;
};

TEST_F(StartupTest, FirstStartWritesTheSeventeenDefaultsInBucketOrder) {
    ASSERT_TRUE(Start());
    const std::vector<std::string> expected = {
        "DDE_TAGNAME_FILE=",   "DDE_LINKTOPIC=",     "LAST_RUN=03-24-2011 00:00:00", "VALIDTRENDBYTES=",
        "DDE_SAVECACHE=FALSE", "SELECTALLTAGS=TRUE", "KEEP_LOGS_FOR=1000",           "VERBOSITY=0",
        "MINUTES_AFTER_HOUR=0", "DDE_MAX_BUFFER_SIZE=500", "DDE_DURATION=59m",       "DDE_TIMEOUT=600",
        "HELPTOPIC=12120",     "DDE_INTERVAL=1m",    "OUTPUT_FOLDER=" + program.path() + "\\cache",
        "DDE_LGH_FOLDER=",     "DDE_HISTDATA_FOLDER="};
    EXPECT_EQ(expected, test::ReadLines(IniFile()));
    EXPECT_TRUE(shower.prompts.empty());
    EXPECT_TRUE(ConfigurationUsable());
}

TEST_F(StartupTest, IdentificationRecordOpensTheLogAndTheHandleFileNamesIt) {
    ASSERT_TRUE(Start());
    std::vector<std::string> files = test::FilesIn(program / "log");
    ASSERT_EQ(std::vector<std::string>{"03_25_2011__14_05_09_pelomark.log"}, files);
    std::vector<std::string> messages = LogMessages(program / "log");
    ASSERT_GE(messages.size(), 5u);
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", messages[0]);
    EXPECT_EQ("HistData to Brel Qorp version 1.0.7 (Build 46)", messages[1]);
    EXPECT_EQ("Build Numbers : 46 (Application)  10 (Type) 27 (Platform)", messages[2]);
    EXPECT_EQ("ID: HistData to Brel Qorp Utility", messages[3]);
    EXPECT_EQ("Running on " + AppNetInfo().AllTextDump(), messages[4]);
    EXPECT_NE(std::string::npos, messages[4].find(", IP Address = "));

    std::string handle = test::ReadFile(program / (fsys::ExeName() + ".log_handle"));
    EXPECT_NE(std::string::npos, handle.find("03_25_2011__14_05_09_pelomark.log"));
}

TEST_F(StartupTest, VerbosityAndLogKeepingAreClampedInMemoryButTheFileIsNotRewritten) {
    struct Case {
        const char *key, *stored, *expected;
    };
    const Case cases[] = {{"VERBOSITY", "7", "2"},        {"VERBOSITY", "-3", "0"},     {"VERBOSITY", "abc", "0"},
                          {"VERBOSITY", "1", "1"},        {"VERBOSITY", "1.6", "2"},    {"VERBOSITY", "", "0"},
                          {"KEEP_LOGS_FOR", "0", "1"},    {"KEEP_LOGS_FOR", "-5", "1"}, {"KEEP_LOGS_FOR", "abc", "1000"},
                          {"KEEP_LOGS_FOR", "30", "30"},  {"KEEP_LOGS_FOR", "99999999999", "32767"}};
    for (const Case& c : cases) {
        const std::string record = std::string(c.key) + "=" + c.stored + "\r\n";
        SCOPED_TRACE(record);
        WriteIni(record);
        ASSERT_TRUE(Start());
        EXPECT_EQ(c.expected, AppConfig().item(c.key));
        if (std::string(c.key) == "VERBOSITY") {
            EXPECT_EQ(std::stoi(c.expected), AppLog().Verbosity());
        }
        EXPECT_EQ(record, test::ReadFile(IniFile()));
    }
}

TEST_F(StartupTest, MissingKeysKeepDefaultsAndUndefinedKeysAreLoaded) {
    WriteIni("TAGNAME_1=FT101\r\nDDE_DURATION=60m\r\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ("FT101", AppConfig().item("TAGNAME_1"));
    EXPECT_EQ("60m", AppConfig().item("DDE_DURATION"));
    EXPECT_EQ("1m", AppConfig().item("DDE_INTERVAL"));
    EXPECT_EQ(18, AppConfig().Count());
}

TEST_F(StartupTest, EnvironmentRecordAndSettingsDumpAppearOnlyAtFullDetail) {
    WriteIni("VERBOSITY=1\r\n");
    ASSERT_TRUE(Start());
    std::vector<std::string> quiet = LogMessages(program / "log");
    EXPECT_FALSE(HasPrefix(quiet, "PATH="));
    EXPECT_FALSE(HasPrefix(quiet, "HINSTANCE="));
    EXPECT_FALSE(HasPrefix(quiet, "Configuration Settings :"));

    for (const std::string& name : test::FilesIn(program / "log")) fsys::DeleteFile(program / "log" + "\\" + name);
    clock.Advance(1);
    WriteIni("VERBOSITY=2\r\n");
    ASSERT_TRUE(Start());
    std::vector<std::string> full = LogMessages(program / "log");
    auto at = std::find(full.begin(), full.end(), "PATH=" + program.path());
    ASSERT_NE(full.end(), at);
    std::vector<std::string> record(at, std::min(at + 7, full.end()));
    const std::vector<std::string> expected = {
        "PATH=" + program.path(), "EXENAME=" + fsys::ExeName(), "COMMAND=/quiet", "THREAD_ID=4242",
        "TASK_VISIBLE=True",      "TASK_UNATTENTED_APP=False",  "HINSTANCE=4194304"};
    EXPECT_EQ(expected, record);
    EXPECT_TRUE(HasPrefix(full, "Configuration Settings :"));
}

TEST_F(StartupTest, UnreadableConfigurationShowsTheBoxAndStopsStartUp) {
    // A folder in the place of the INI file can be neither read nor created.
    ASSERT_TRUE(fsys::CreateFolder(IniFile()));
    EXPECT_FALSE(Start());
    EXPECT_FALSE(ConfigurationUsable());
    ASSERT_EQ(std::vector<std::string>{"Unable to read configuration at " + IniFile()}, shower.prompts);
    EXPECT_EQ("Unable to read configuration at " + IniFile() + "|48|Unable to start HistData to Brel Qorp", shower.calls.at(0));

    std::vector<std::string> messages = LogMessages(program / "log");
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", messages.at(0));
    EXPECT_FALSE(HasPrefix(messages, "[Log Verbosity is set to"));
    EXPECT_FALSE(HasPrefix(messages, "Logs in '"));
}

}  // namespace
}  // namespace hdq
