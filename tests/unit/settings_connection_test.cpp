// The connection settings dialog's behaviour against the configuration store.
#include <gtest/gtest.h>

#include "core/files.h"
#include "settings/connection_settings.h"
#include "settings_test_fixture.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

using settings_test::SettingsFixture;

class ConnectionSettingsTest : public SettingsFixture {
protected:
    ConnectionFields Fields(bool allTags) {
        ConnectionFields f;
        f.linkTopic = "VIEW";
        f.lghFolder = "C:\\InTouch";
        f.tagnameFile = "C:\\InTouch\\tagname.x";
        f.histDataFolder = "C:\\InTouch";
        f.outputFolder = program / "out";
        f.processAllTags = allTags;
        return f;
    }
    std::vector<std::string> StoredTagList() {
        std::vector<std::string> tags;
        for (int n = 1; AppConfig().ItemExists("TAGNAME_" + std::to_string(n)); ++n) {
            tags.push_back(Stored("TAGNAME_" + std::to_string(n)));
        }
        return tags;
    }
    ConnectionSettings settings;
};

TEST_F(ConnectionSettingsTest, ApplyStoresTrimmedFieldsAndCreatesTheOutputFolder) {
    ConnectionFields f = Fields(true);
    f.linkTopic = "  VIEW2 ";
    f.lghFolder = " C:\\Data\\LGH ";
    f.tagnameFile = "\tC:\\App\\tagname.x ";  // only blanks are trimmed
    f.histDataFolder = "C:\\Hist  ";
    f.outputFolder = " " + (program / "typed") + " ";  // the trimmed folder is the one created
    ASSERT_TRUE(settings.ApplySettings(f));
    EXPECT_EQ("VIEW2", Stored("DDE_LINKTOPIC"));
    EXPECT_EQ("C:\\Data\\LGH", Stored("DDE_LGH_FOLDER"));
    EXPECT_EQ("\tC:\\App\\tagname.x", Stored("DDE_TAGNAME_FILE"));
    EXPECT_EQ("C:\\Hist", Stored("DDE_HISTDATA_FOLDER"));
    EXPECT_EQ(program / "typed", Stored("OUTPUT_FOLDER"));
    EXPECT_TRUE(fsys::IsDirectory(program / "typed"));
    EXPECT_EQ("TRUE", Stored("SELECTALLTAGS"));
}

TEST_F(ConnectionSettingsTest, CheckedBoxDropsTheStoredListButAClearApplyWritesTheTableBack) {
    settings.FilterTagsTable().Add("TAGNAME_1", "FT101");
    settings.FilterTagsTable().Add("TAGNAME_2", "LT200");
    Store("TAGNAME_1", "FT101");
    Store("TAGNAME_2", "LT200");

    ConnectionFields all = Fields(true);
    ASSERT_TRUE(settings.ApplySettings(all));
    EXPECT_TRUE(StoredTagList().empty());
    EXPECT_EQ(2, settings.FilterTagsTable().Count());

    ConnectionFields filtered = Fields(false);
    ASSERT_TRUE(settings.ApplySettings(filtered));
    EXPECT_FALSE(filtered.processAllTags);
    EXPECT_EQ("FALSE", Stored("SELECTALLTAGS"));
    EXPECT_EQ((std::vector<std::string>{"FT101", "LT200"}), StoredTagList());
}

TEST_F(ConnectionSettingsTest, StoredListWithAGapLoadsUpToTheGapAndRemovalLeavesTheKeyAfterIt) {
    test::WriteTagnameX(program / "tagname.x", {{"FT101", "", 1}, {"NOTTRENDED", "", 3}, {"LT200", "", 1}, {"PT300", "", 9}});
    Store("TAGNAME_1", "A");
    Store("TAGNAME_2", "B");
    Store("TAGNAME_3", "C");
    Store("TAGNAME_5", "E");
    settings.LoadTagLists(program / "tagname.x");

    EXPECT_EQ(3, settings.FilterTagsTable().Count());
    EXPECT_EQ("C", settings.FilterTagsTable().Item("TAGNAME_3"));
    EXPECT_FALSE(settings.FilterTagsTable().Exists("TAGNAME_5"));
    ASSERT_EQ(3, settings.AllTagsTable().Count());
    EXPECT_EQ("FT101", settings.AllTagsTable().Item("TAGNAME_1"));
    EXPECT_EQ("LT200", settings.AllTagsTable().Item("TAGNAME_2"));
    EXPECT_EQ("PT300", settings.AllTagsTable().Item("TAGNAME_3"));

    ConnectionSettings::RemoveTagKeys();
    EXPECT_FALSE(AppConfig().ItemExists("TAGNAME_1"));
    EXPECT_FALSE(AppConfig().ItemExists("TAGNAME_3"));
    EXPECT_EQ("E", Stored("TAGNAME_5"));
}

TEST_F(ConnectionSettingsTest, NewListOverwritesAndEndsBeforeStaleKeysLeftBehindAGap) {
    Store("TAGNAME_1", "A");
    Store("TAGNAME_2", "B");
    Store("TAGNAME_4", "STALE4");
    Store("TAGNAME_5", "STALE5");
    // Three chosen tags: the stale TAGNAME_4 must not become a fourth.
    for (int n = 1; n <= 3; ++n) settings.FilterTagsTable().Add("TAGNAME_" + std::to_string(n), "N" + std::to_string(n));
    ASSERT_TRUE(settings.SaveFilterTags());
    EXPECT_EQ((std::vector<std::string>{"N1", "N2", "N3"}), StoredTagList());

    // Five chosen tags: the fifth is the new one, not the stale value.
    Store("TAGNAME_7", "STALE7");
    settings.FilterTagsTable().RemoveAll();
    for (int n = 1; n <= 5; ++n) settings.FilterTagsTable().Add("TAGNAME_" + std::to_string(n), "M" + std::to_string(n));
    ASSERT_TRUE(settings.SaveFilterTags());
    EXPECT_EQ((std::vector<std::string>{"M1", "M2", "M3", "M4", "M5"}), StoredTagList());
}

TEST_F(ConnectionSettingsTest, ApplyFailsWhenAKeyIsMissingKeepingWhatWasStoredBefore) {
    AppConfig().RemoveItem("DDE_TAGNAME_FILE");
    ConnectionFields f = Fields(true);
    f.linkTopic = "NEWTOPIC";
    settings.Apply(f);
    EXPECT_EQ("NEWTOPIC", Stored("DDE_LINKTOPIC"));
    EXPECT_EQ("C:\\InTouch", Stored("DDE_LGH_FOLDER"));
    EXPECT_EQ("", Stored("DDE_HISTDATA_FOLDER"));
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Unable to apply settings|48|-", shower.calls[0]);
}

TEST_F(ConnectionSettingsTest, SaveReportsSuccessOrAFileItCannotWriteAndDumpsTheSettingsEitherWay) {
    ConnectionFields f = Fields(false);
    settings.FilterTagsTable().Add("TAGNAME_1", "FT101");
    settings.Save(f);
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Saved successfully|64|-", shower.calls[0]);
    const std::string ini = test::ReadFile(program / "test.ini");
    EXPECT_NE(std::string::npos, ini.find("TAGNAME_1=FT101\r\n"));
    EXPECT_NE(std::string::npos, ini.find("SELECTALLTAGS=FALSE\r\n"));
    EXPECT_EQ(1, LogCount("Saved configuration:"));
    EXPECT_EQ(1, LogCount("TAGNAME_1 : FT101"));

    AppConfig().setPath(program / "no such folder\\test.ini");
    settings.Save(f);
    ASSERT_EQ(2u, shower.calls.size());
    EXPECT_EQ("Unable to save configuration|48|-", shower.calls[1]);
    EXPECT_EQ(2, LogCount("Saved configuration:"));
}

TEST_F(ConnectionSettingsTest, StoredTagModeReadsBooleanTextAndNumbersAndDefaultsToAllTags) {
    for (const auto& [text, expected] : std::vector<std::pair<std::string, bool>>{
             {"TRUE", true}, {"false", false}, {"False", false}, {"0", false}, {"-1", true}, {"maybe", true}, {"", true}}) {
        Store("SELECTALLTAGS", text);
        EXPECT_EQ(expected, ConnectionSettings::StoredSelectAllTags()) << text;
    }
}

TEST(TagFileBrowse, StartsInTheFileFolderOrTheWholeTextAndBuildsTheChosenPath) {
    EXPECT_EQ("C:\\App\\", TagFileBrowseStart("C:\\App\\tagname.x"));
    EXPECT_EQ("C:\\App", TagFileBrowseStart("C:\\App"));
    EXPECT_EQ("C:\\App\\tags.X", TagFileBrowseStart("C:\\App\\tags.X"));
    EXPECT_EQ("", TagFileBrowseStart("tagname.x"));
    EXPECT_EQ("D:\\Dict\\tagname.x", TagFileFromBrowse("D:\\Dict", ""));
    EXPECT_EQ("D:\\Dict\\other.x", TagFileFromBrowse("D:\\Dict", "other.x"));
}

}  // namespace
}  // namespace hdq
