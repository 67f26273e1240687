#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/error.h"
#include "core/files.h"
#include "logging/logger.h"
#include "test_support.h"

namespace hdq {
namespace {

using test::ReadFile;
using test::ReadLines;
using test::TempFolder;
using test::WriteFile;

struct KeyDefault {
    const char* key;
    const char* value;
};

// The keys start-up defines, in its order, with their defaults.
const std::vector<KeyDefault> kStartUpKeys = {
    {"DDE_LINKTOPIC", ""},           {"DDE_LGH_FOLDER", ""},     {"DDE_TAGNAME_FILE", ""},
    {"DDE_HISTDATA_FOLDER", ""},     {"OUTPUT_FOLDER", "C:\\HDQ\\cache"},
    {"MINUTES_AFTER_HOUR", "0"},     {"KEEP_LOGS_FOR", "1000"},  {"VERBOSITY", "0"},
    {"LAST_RUN", "03-24-2011 00:00:00"}, {"HELPTOPIC", "12120"},  {"DDE_TIMEOUT", "600"},
    {"DDE_MAX_BUFFER_SIZE", "500"},  {"DDE_DURATION", "59m"},    {"DDE_INTERVAL", "1m"},
    {"DDE_SAVECACHE", "FALSE"},      {"SELECTALLTAGS", "TRUE"},  {"VALIDTRENDBYTES", ""},
};

class ConfigurationStore : public ::testing::Test {
protected:
    ConfigurationStore() {
        log.SetLogPath(dir / "log");
        log.SetHandleFilePath(dir / "test.log_handle");
        log.SetEnabled(true);
        log.SetBufferLength(1);
        config.SetLogHandler(&log);
        config.setPath(ini);
    }

    void DefineStartUpKeys(VRXConfiguration& c) {
        for (const auto& k : kStartUpKeys) c.DefineTree(k.key, k.value);
    }

    // Log lines without their "hh:mm:ss : " stamp.
    std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        if (log.CurrentFile().empty()) return texts;
        for (const std::string& line : ReadLines(log.CurrentFile())) texts.push_back(line.substr(11));
        return texts;
    }
    bool Logged(const std::string& text) {
        const auto texts = LogTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    test::FakeClock clock;
    TempFolder dir;
    std::string ini = dir / "HistDataToQorp.ini";
    VRXLoggerTXT log;
    VRXConfiguration config;
};

TEST_F(ConfigurationStore, CreatesAMissingFileFromTheStartUpKeysInBucketOrderAndReadsItBack) {
    DefineStartUpKeys(config);

    ASSERT_TRUE(config.ReadConfig());
    EXPECT_FALSE(config.ChangeWasMade());

    const std::vector<std::string> order = {
        "DDE_TAGNAME_FILE", "DDE_LINKTOPIC",  "LAST_RUN",       "VALIDTRENDBYTES",     "DDE_SAVECACHE",
        "SELECTALLTAGS",    "KEEP_LOGS_FOR",  "VERBOSITY",      "MINUTES_AFTER_HOUR",  "DDE_MAX_BUFFER_SIZE",
        "DDE_DURATION",     "DDE_TIMEOUT",    "HELPTOPIC",      "DDE_INTERVAL",        "OUTPUT_FOLDER",
        "DDE_LGH_FOLDER",   "DDE_HISTDATA_FOLDER"};
    std::string expected;
    for (const std::string& key : order) {
        for (const auto& k : kStartUpKeys)
            if (key == k.key) expected += key + "=" + k.value + "\r\n";
    }
    EXPECT_EQ(expected, ReadFile(ini));
    EXPECT_EQ(order, config.Keys());

    EXPECT_EQ((std::vector<std::string>{"Configuration file does not exist at " + ini,
                                        "Attempting to create a default configuration file...",
                                        "Default configuration file successfully created."}),
              LogTexts());
}

TEST_F(ConfigurationStore, LoadsRecordsThatStartUpDidNotDefineAndKeepsValuesWhole) {
    DefineStartUpKeys(config);
    WriteFile(ini,
              "tagname_3=FT101\r\n"
              "OUTPUT_FOLDER=C:\\a,b\r\n"
              "A=B=C\r\n"
              "   VERBOSITY=2 \r\n"
              "DDE_LINKTOPIC=\"quoted\"\n"
              "LAST_RUN=2011-03-25 13:00:00");

    ASSERT_TRUE(config.ReadConfig());
    EXPECT_EQ("FT101", config.item("TAGNAME_3"));
    EXPECT_EQ("C:\\a,b", config.item("OUTPUT_FOLDER"));
    EXPECT_EQ("B=C", config.item("A"));
    EXPECT_EQ("2 ", config.item("VERBOSITY"));
    EXPECT_EQ("\"quoted\"", config.item("DDE_LINKTOPIC"));
    EXPECT_EQ("2011-03-25 13:00:00", config.item("LAST_RUN"));
    EXPECT_EQ(19, config.Count());
    EXPECT_FALSE(config.ChangeWasMade());
}

TEST_F(ConfigurationStore, RoundTripsValuesHoldingCommasAndEqualsAndOnlyAReadClearsTheChangeMark) {
    DefineStartUpKeys(config);
    ASSERT_TRUE(config.ReadConfig());
    config.setItem("VERBOSITY", "0");  // the same value still counts as a change
    EXPECT_TRUE(config.ChangeWasMade());
    config.setItem("OUTPUT_FOLDER", "C:\\plant,north\\out");
    config.setItem("DDE_LINKTOPIC", "a=b");
    ASSERT_TRUE(config.SaveConfig());
    EXPECT_TRUE(config.ChangeWasMade());
    ASSERT_TRUE(config.ReadConfig());
    EXPECT_FALSE(config.ChangeWasMade());

    VRXConfiguration again;
    again.setPath(ini);
    DefineStartUpKeys(again);
    ASSERT_TRUE(again.ReadConfig());
    EXPECT_EQ("C:\\plant,north\\out", again.item("OUTPUT_FOLDER"));
    EXPECT_EQ("a=b", again.item("DDE_LINKTOPIC"));
    EXPECT_EQ(config.Count(), again.Count());

    // A shorter store must not leave the tail of the longer file behind.
    VRXConfiguration small;
    small.setPath(ini);
    small.DefineTree("A", "1");
    ASSERT_TRUE(small.SaveConfig());
    EXPECT_EQ("A=1\r\n", ReadFile(ini));
}

TEST_F(ConfigurationStore, FailsTheLoadAtAnEmptyStrayOrSpacedKeyLineKeepingEarlierRecords) {
    for (const std::string& bad : {std::string("\r\n"), std::string("just words\r\n"), std::string("   \r\n")}) {
        VRXConfiguration c;
        c.SetLogHandler(&log);
        c.setPath(ini);
        c.DefineTree("VERBOSITY", "0");
        WriteFile(ini, "VERBOSITY=2\r\n" + bad + "LATER=1\r\n");

        EXPECT_FALSE(c.ReadConfig()) << bad;
        EXPECT_EQ("2", c.item("VERBOSITY"));
        EXPECT_FALSE(c.ItemExists("LATER"));
        EXPECT_TRUE(c.ChangeWasMade());
    }
    EXPECT_TRUE(Logged("LoadINI() failed in VRXConfiguration.ReadConfig()."));

    // A space before the equals sign fails the load after defining the trimmed key.
    WriteFile(ini, "KEY =x\r\n");
    EXPECT_FALSE(config.ReadConfig());
    ASSERT_TRUE(config.ItemExists("KEY"));
    EXPECT_EQ("x", config.item("KEY"));
}

TEST_F(ConfigurationStore, FoldsCaseOnlyForItemAndNeverAddsAKeyThroughIt) {
    DefineStartUpKeys(config);
    config.DefineTree("  verbosity ", "2");  // already defined: keeps "0"

    EXPECT_EQ("0", config.item("VERBOSITY"));
    EXPECT_EQ("600", config.item("dde_timeout"));
    EXPECT_FALSE(config.ItemExists("dde_timeout"));
    EXPECT_THROW(config.RemoveItem("dde_timeout"), VrxError);
    try {
        config.setItem("NOT_DEFINED", "1");
        FAIL() << "an undefined key must raise";
    } catch (const VrxError& e) {
        EXPECT_EQ(10781, e.Number());
        EXPECT_EQ("Key does not exist in TreeHash (KB10781)", e.Description());
    }
    EXPECT_FALSE(config.ItemExists("NOT_DEFINED"));
    EXPECT_EQ(17, config.Count());
    EXPECT_FALSE(config.ChangeWasMade());
}

TEST_F(ConfigurationStore, ReportsASaveThatCannotReplaceTheFileAndLeavesWhatWasThere) {
    // A folder where the INI file should be: neither read as the file nor replaced.
    ASSERT_TRUE(fsys::CreateFolder(ini));
    WriteFile(ini + "\\inside.txt", "keep me");
    DefineStartUpKeys(config);

    EXPECT_FALSE(config.ReadConfig());
    EXPECT_TRUE(Logged("Unable to create default configuration file in VRXConfiguration.ReadConfig()."));
    EXPECT_FALSE(Logged("LoadINI() failed in VRXConfiguration.ReadConfig()."));

    EXPECT_FALSE(config.SaveConfig());
    EXPECT_TRUE(Logged("SaveINI() failed in VRXConfiguration.SaveConfig()."));
    EXPECT_TRUE(fsys::IsDirectory(ini));
    EXPECT_EQ("keep me", ReadFile(ini + "\\inside.txt"));

    const std::string lost = dir / "missing\\x.ini";
    config.setPath(lost);
    EXPECT_FALSE(config.SaveConfig());
    EXPECT_FALSE(fsys::Exists(dir / "missing"));
}

TEST_F(ConfigurationStore, DumpsSettingsOnlyAtFullDetail) {
    config.DefineTree("VERBOSITY", "2");
    config.DefineTree("OUTPUT_FOLDER", "C:\\out");

    log.SetVerbosity(1);
    config.dumpConfiguration();
    log.WriteLog("marker");
    EXPECT_EQ(std::vector<std::string>{"marker"}, LogTexts());

    log.SetVerbosity(2);
    config.dumpConfiguration();
    const std::string rule = ">>>" + std::string(62, '-');
    std::vector<std::string> expected = {"marker", rule, "Configuration Settings :"};
    for (const std::string& key : config.Keys()) expected.push_back(key + " : " + config.item(key));
    expected.push_back(rule);
    EXPECT_EQ(expected, LogTexts());
}

}  // namespace
}  // namespace hdq
