// Start-up in a temporary program folder: the INI file, the order of the records in the log,
// the clamped settings and the refusal to start without a readable configuration.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/files.h"
#include "test_support.h"

namespace hdq {
namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override { CreateSharedObjects(files); }
    void TearDown() override {
        CreateSharedObjects();  // later tests start from a disabled logger and an empty store
    }
    bool Start() {
        StartupEnvironment env;
        env.commandLine = "/quiet";
        env.threadId = 4242;
        env.instanceHandle = 4194304;
        env.shower = &shower;
        env.files = files;
        bool ok = RunStartup(env);
        AppLog().closeLog();
        return ok;
    }
    std::vector<std::string> LogMessages() {
        return test::Messages(test::ReadFile(program / "log\\" + test::FilesIn(program / "log").back()));
    }

    test::TempFolder program;
    ProgramFiles files{program.path(), fsys::ExeName()};
    test::FakeClock clock{DateTime{2011, 3, 1, 0, 30, 0}};
    test::RecordingShower shower;
};

TEST_F(StartupTest, FirstStartCreatesTheIniFileAndEveryStartLogsItsStepsInOrder) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(ConfigurationUsable());
    const std::vector<std::string> ini = test::ReadLines(IniFile());
    EXPECT_EQ(17u, ini.size());
    EXPECT_EQ("LAST_RUN=02-28-2011 00:00:00", ini.at(2));  // yesterday's midnight
    EXPECT_EQ("OUTPUT_FOLDER=" + program.path() + "\\cache", ini.at(14));
    std::vector<std::string> quiet = LogMessages();
    EXPECT_EQ("Running on " + AppNetInfo().AllTextDump(), quiet.at(4));
    EXPECT_EQ("[Log Verbosity is set to 0, Log Date is 2011-03-01]", quiet.at(8));
    EXPECT_EQ(0u, quiet.at(9).rfind("Logs in '", 0));
    EXPECT_EQ(10u, quiet.size());  // neither the environment record nor the settings dump

    clock.Advance(1);
    test::WriteFile(IniFile(), "VERBOSITY=2\r\n");
    ASSERT_TRUE(Start());
    std::vector<std::string> full = LogMessages();
    EXPECT_TRUE(std::equal(quiet.begin(), quiet.begin() + 5, full.begin()));
    EXPECT_EQ("[Log Verbosity is set to 2, Log Date is 2011-03-01]", full.at(5));
    const std::vector<std::string> environment = {
        "PATH=" + program.path(), "EXENAME=" + fsys::ExeName(), "COMMAND=/quiet", "THREAD_ID=4242",
        "TASK_VISIBLE=True",      "TASK_UNATTENTED_APP=False",  "HINSTANCE=4194304"};
    EXPECT_TRUE(std::equal(environment.begin(), environment.end(), full.begin() + 7));
    EXPECT_EQ("Configuration Settings :", full.at(15));  // after the dump's opening rule
    EXPECT_TRUE(shower.prompts.empty());
}

TEST_F(StartupTest, ClampsVerbosityAndLogKeepingInTheStoreButDoesNotRewriteTheFile) {
    const std::pair<std::string, std::string> cases[] = {
        {"VERBOSITY=7", "2"},        {"VERBOSITY=-3", "0"},         {"VERBOSITY=abc", "0"},
        {"KEEP_LOGS_FOR=0", "1"},    {"KEEP_LOGS_FOR=30", "30"},    {"KEEP_LOGS_FOR=abc", "1000"},
        {"KEEP_LOGS_FOR=99999999999", "32767"}, {"DDE_TIMEOUT=0", "6000"},  {"DDE_TIMEOUT=6001", "6000"},
        {"DDE_TIMEOUT=abc", "6000"},  {"DDE_TIMEOUT=600", "600"},
        {"LAST_RUN=", "02-28-2011 00:00:00"},  // a prepared INI's: each PC from its own first hour
        {"LAST_RUN=2011-02-01 05:00:00", "2011-02-01 05:00:00"},
        {"MAX_LOG_MB=20", "20"},  {"MAX_LOG_MB=0", "500"},  {"MAX_LOG_MB=abc", "500"},  {"MAX_LOG_MB=9e9", "1048576"}};
    for (const auto& [record, expected] : cases) {
        SCOPED_TRACE(record);
        test::WriteFile(IniFile(), record + "\r\n");
        ASSERT_TRUE(Start());
        const std::string key = record.substr(0, record.find('='));
        const bool cap = key == "MAX_LOG_MB";  // read into the logger, the store keeps the text
        EXPECT_EQ(cap ? record.substr(11) : expected, AppConfig().item(key));
        if (cap) {
            EXPECT_EQ(expected, std::to_string(AppLog().MaxLogMB()));
            EXPECT_EQ(expected != record.substr(11), test::AnyStartsWith(LogMessages(), "MAX_LOG_MB of " + record.substr(11)));
        }
        if (key == "VERBOSITY") {
            EXPECT_EQ(std::stoi(expected), AppLog().Verbosity());
        }
        if (key == "DDE_TIMEOUT") {
            const auto log = LogMessages();
            EXPECT_EQ(expected == "6000", std::any_of(log.begin(), log.end(), [&](const std::string& m) {
                          return m == "DDE_TIMEOUT of " + record.substr(12) + " tenths of a second is out of range; 6000 is used";
                      }));
        }
        EXPECT_EQ(record + "\r\n", test::ReadFile(IniFile()));
        // A save keeps the operator's key as written beside the seventeen, and it loads again.
        if (!cap) continue;
        ASSERT_TRUE(AppConfig().SaveConfig());
        const std::vector<std::string> saved = test::ReadLines(IniFile());
        EXPECT_EQ(18u, saved.size());
        EXPECT_EQ(1, std::count(saved.begin(), saved.end(), record));
        EXPECT_TRUE(Start());
    }
}

TEST_F(StartupTest, UnreadableConfigurationShowsTheBoxAndStopsStartUpLeavingTheFileAlone) {
    // A damaged INI file stops the program and stays as it is: no defaults over it.
    test::WriteFile(IniFile(), "not an INI file\r\n");
    EXPECT_FALSE(Start());
    EXPECT_EQ("not an INI file\r\n", test::ReadFile(IniFile()));
    fsys::DeleteFile(IniFile());
    shower.calls.clear();
    // A folder in the place of the INI file can be neither read nor created.
    ASSERT_TRUE(fsys::CreateFolder(IniFile()));
    EXPECT_FALSE(Start());
    EXPECT_FALSE(ConfigurationUsable());
    EXPECT_EQ(std::vector<std::string>{"Unable to read configuration at " + IniFile() +
                                       "|48|Unable to start HistData to Brel Qorp"},
              shower.calls);
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", LogMessages().at(0));
}

}  // namespace
}  // namespace hdq
