#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shared.h"
#include "core/configuration.h"
#include "core/error.h"
#include "core/files.h"
#include "fake_dde.h"

namespace hdq {
namespace {

using test::ReadFile;
using test::WriteFile;
using Lines = std::vector<std::string>;

// A store of its own on a file of its own, logging to the sandbox's log.
class ConfigurationStore : public ::testing::Test {
protected:
    ConfigurationStore() {
        config.SetLogHandler(&AppLog());
        config.setPath(ini);
        config.DefineTree("VERBOSITY", "0");
        config.DefineTree("OUTPUT_FOLDER", "C:\\HDQ\\cache");
    }
    test::AppSandbox sb;
    std::string ini = sb / "HistDataToQorp.ini";
    VRXConfiguration config;
};

TEST_F(ConfigurationStore, CreatesAMissingFileFromTheDefinedKeysAndReadsItBack) {
    ASSERT_TRUE(config.ReadConfig());
    EXPECT_FALSE(config.ChangeWasMade());
    // Bucket order, not the order of definition: VERBOSITY's bucket comes first.
    EXPECT_EQ("VERBOSITY=0\r\nOUTPUT_FOLDER=C:\\HDQ\\cache\r\n", ReadFile(ini));
    EXPECT_EQ((Lines{"Configuration file does not exist at " + ini,
                     "Attempting to create a default configuration file...",
                     "Default configuration file successfully created."}),
              sb.LogLines());
}

// The reader takes the whole rest of the line as the value, so a folder with a comma or a
// topic with "=" survives a save and the next start.
TEST_F(ConfigurationStore, LoadsKeysInUpperCaseWithTheWholeRestOfTheLineAndRoundTripsThem) {
    WriteFile(ini, "tagname_3=FT101\r\nOUTPUT_FOLDER=C:\\a,b\r\nA=B=C\r\n   VERBOSITY=2 \r\nQ=\"quoted\"\nLAST=x");
    ASSERT_TRUE(config.ReadConfig());
    const std::vector<std::pair<const char*, const char*>> loaded = {
        {"TAGNAME_3", "FT101"}, {"OUTPUT_FOLDER", "C:\\a,b"}, {"A", "B=C"}, {"VERBOSITY", "2 "}, {"Q", "\"quoted\""},
        {"LAST", "x"}};
    for (const auto& [key, value] : loaded) EXPECT_EQ(value, config.item(key)) << key;
    EXPECT_EQ(6, config.Count());
    EXPECT_FALSE(config.ChangeWasMade());

    config.setItem("VERBOSITY", "2 ");  // the same value still counts as a change
    EXPECT_TRUE(config.ChangeWasMade());
    config.setItem("A", "a=b,c \xE9\xFF");  // 8-bit text is kept as it is
    ASSERT_TRUE(config.SaveConfig());
    EXPECT_TRUE(config.ChangeWasMade());
    for (const std::string& name : test::FilesIn(sb.folder())) EXPECT_EQ(std::string::npos, name.find("tmp")) << name;
    VRXConfiguration again;
    again.setPath(ini);
    ASSERT_TRUE(again.ReadConfig());
    EXPECT_EQ(config.Keys(), again.Keys());
    for (const std::string& key : config.Keys()) EXPECT_EQ(config.item(key), again.item(key)) << key;
}

TEST_F(ConfigurationStore, FailsTheLoadAtAnEmptyOrStrayLineKeepingEarlierRecords) {
    for (const std::string& bad : {std::string("\r\n"), std::string("just words\r\n"), std::string("   \r\n")}) {
        SCOPED_TRACE(bad);
        WriteFile(ini, "VERBOSITY=2\r\n" + bad + "LATER=1\r\n");
        EXPECT_FALSE(config.ReadConfig());
        EXPECT_EQ("2", config.item("VERBOSITY"));
        EXPECT_FALSE(config.ItemExists("LATER"));
    }
    EXPECT_TRUE(sb.Logged("LoadINI() failed in VRXConfiguration.ReadConfig()."));
}

TEST_F(ConfigurationStore, TreatsAKeyWithATrailingSpaceAsMissingAndNeverAddsAKeyThroughItem) {
    // A space before "=" defines the trimmed key, then the assignment to "KEY " fails the load.
    WriteFile(ini, "KEY =x\r\n");
    EXPECT_FALSE(config.ReadConfig());
    EXPECT_EQ("x", config.item("KEY"));
    try {
        config.setItem("KEY ", "y");
        FAIL() << "a key with a trailing space must raise";
    } catch (const VrxError& e) {
        EXPECT_EQ(10781, e.Number());
        EXPECT_EQ("Key does not exist in TreeHash (KB10781)", e.Description());
    }
    EXPECT_THROW(config.setItem("NOT_DEFINED", "1"), VrxError);
    EXPECT_FALSE(config.ItemExists("NOT_DEFINED"));

    // item folds case; ItemExists and RemoveItem take the key as given; DefineTree keeps a value.
    config.DefineTree("  verbosity ", "2");
    EXPECT_EQ("0", config.item("verbosity"));
    EXPECT_FALSE(config.ItemExists("verbosity"));
    EXPECT_THROW(config.RemoveItem("verbosity"), VrxError);
    EXPECT_EQ(3, config.Count());
}

TEST_F(ConfigurationStore, ReportsASaveThatCannotReplaceTheFileAndLeavesWhatWasThere) {
    // A folder where the INI file should be: neither read as the file nor replaced.
    ASSERT_TRUE(fsys::CreateFolder(ini));
    WriteFile(ini + "\\inside.txt", "keep me");
    EXPECT_FALSE(config.ReadConfig());
    // Something is there, so no defaults are written over it: it is read, and that fails.
    EXPECT_FALSE(sb.Logged("Attempting to create a default configuration file..."));
    EXPECT_TRUE(sb.Logged("LoadINI() failed in VRXConfiguration.ReadConfig()."));

    EXPECT_FALSE(config.SaveConfig());
    EXPECT_TRUE(sb.Logged("SaveINI() failed in VRXConfiguration.SaveConfig()."));
    EXPECT_TRUE(fsys::IsDirectory(ini));
    EXPECT_EQ("keep me", ReadFile(ini + "\\inside.txt"));
    for (const std::string& name : test::FilesIn(sb.folder())) EXPECT_EQ(std::string::npos, name.find("tmp")) << name;
}

TEST_F(ConfigurationStore, RefusesToSaveALineBreakAndLeavesTheFileByteForByte) {
    ASSERT_TRUE(config.ReadConfig());
    const std::string before = ReadFile(ini);
    config.setItem("OUTPUT_FOLDER", "C:\\Out\r\nDDE_HISTDATA_FOLDER=\\\\evil\\share");
    EXPECT_FALSE(config.SaveConfig());
    EXPECT_FALSE(config.SaveItem("VERBOSITY", "1"));
    EXPECT_EQ(2, sb.CountLogged("Unable to save " + ini + ": the value of OUTPUT_FOLDER holds a line break"));
    EXPECT_EQ(before, ReadFile(ini));
}

}  // namespace
}  // namespace hdq
