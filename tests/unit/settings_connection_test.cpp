// The connection settings dialog's behaviour against the configuration store.
#include <gtest/gtest.h>

#include "core/files.h"
#include "app/shared.h"
#include "fake_dde.h"
#include "settings/connection_settings.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

class ConnectionSettingsTest : public ::testing::Test {
protected:
    ConnectionSettingsTest() { AppMsgBox().SetShower(&shower); }
    ~ConnectionSettingsTest() override { AppMsgBox().SetShower(nullptr); }
    static std::string Stored(const std::string& key) { return AppConfig().item(key); }
    static std::vector<std::string> StoredTagList() {
        std::vector<std::string> tags;
        for (int n = 1; AppConfig().ItemExists("TAGNAME_" + std::to_string(n)); ++n) {
            tags.push_back(Stored("TAGNAME_" + std::to_string(n)));
        }
        return tags;
    }
    test::AppSandbox sb;
    test::RecordingShower shower;
    ConnectionSettings settings;
};

TEST_F(ConnectionSettingsTest, ApplyStoresTrimmedFieldsAndCreatesTheTrimmedOutputFolder) {
    ConnectionFields f;
    f.linkTopic = "  VIEW2 ";
    f.tagnameFile = "\tC:\\App\\tagname.x ";  // only blanks are trimmed
    f.outputFolder = " " + (sb / "typed") + " ";
    f.processAllTags = true;
    for (const char* refused : {"\\\\server\\share", ""}) {
        f.histDataFolder = refused;
        EXPECT_EQ(std::string("HISTDATA.EXE Folder must be a local folder such as C:\\Wonderware: ") +
                      (*refused ? refused : "an empty one") + " is not", settings.ApplySettings(f));
    }
    f.histDataFolder = "C:\\Wonderware";
    ASSERT_EQ("", settings.ApplySettings(f));
    EXPECT_EQ("VIEW2", Stored("DDE_LINKTOPIC"));
    EXPECT_EQ("\tC:\\App\\tagname.x", Stored("DDE_TAGNAME_FILE"));
    EXPECT_EQ(sb / "typed", Stored("OUTPUT_FOLDER"));
    EXPECT_TRUE(fsys::IsDirectory(sb / "typed"));
}

TEST_F(ConnectionSettingsTest, AStoredChoiceOutlivesAMissingDictionaryAndIsNeverTurnedIntoAllTagsUnasked) {
    sb.Set("SELECTALLTAGS", "FALSE");
    for (const char* key : {"TAGNAME_1", "TAGNAME_2", "TAGNAME_3", "TAGNAME_5"}) sb.Set(key, key);
    const std::vector<std::string> chosen{"TAGNAME_1", "TAGNAME_2", "TAGNAME_3"};
    settings.LoadFilterTags();
    EXPECT_EQ(ConnectionSettings::TagFileCheck::Missing, settings.CheckTagnameFile(sb / "unmapped.x"));
    ConnectionFields f;
    f.histDataFolder = "C:\\Wonderware";
    f.processAllTags = ConnectionSettings::StoredSelectAllTags();
    ASSERT_TRUE(settings.Apply(f));
    ASSERT_TRUE(settings.Save(f));
    ASSERT_TRUE(AppConfig().ReadConfig());  // what the file now holds
    EXPECT_EQ(std::vector<std::string>{"Saved successfully"}, shower.prompts);
    EXPECT_EQ(chosen, StoredTagList());
    EXPECT_EQ("FALSE", Stored("SELECTALLTAGS"));

    // An emptied list with the box clear is refused and stores nothing; only the box gives all tags.
    settings.FilterTagsTable().RemoveAll();
    f.linkTopic = "CHANGED";
    EXPECT_NE("", settings.ApplySettings(f));
    EXPECT_EQ(chosen, StoredTagList());
    EXPECT_EQ("FALSE", Stored("SELECTALLTAGS"));
    EXPECT_NE("CHANGED", Stored("DDE_LINKTOPIC"));
    f.processAllTags = true;
    ASSERT_EQ("", settings.ApplySettings(f));
    EXPECT_EQ("TRUE", Stored("SELECTALLTAGS"));
    EXPECT_TRUE(StoredTagList().empty());
    EXPECT_TRUE(AppConfig().ItemExists("TAGNAME_5"));  // after the gap: not part of the list
}

TEST_F(ConnectionSettingsTest, OnlyAnotherDictionaryReloadsTheTagsAndTheUnappliedChoiceStays) {
    const std::string first = sb / "tagname.x", second = sb / "other.x";
    test::WriteTagnameX(first, {{"FT101", ""}, {"LT200", ""}});
    test::WriteTagnameX(second, {{"PT300", ""}});
    settings.LoadFilterTags();
    ASSERT_EQ(ConnectionSettings::TagFileCheck::Reloaded, settings.CheckTagnameFile(first));
    settings.FilterTagsTable().Add("TAGNAME_1", "LT200");  // chosen in the selection, not applied
    using Check = ConnectionSettings::TagFileCheck;
    // Focus moving into the field, the same name in other letters, a half-typed path, a retyped one.
    const std::pair<std::string, Check> steps[] = {
        {first, Check::Unchanged}, {sb / "TAGNAME.X", Check::Unchanged}, {sb / "tagn", Check::Missing},
        {first, Check::Unchanged}, {second, Check::Reloaded}};
    for (const auto& [name, expected] : steps) {
        EXPECT_EQ(expected, settings.CheckTagnameFile(name)) << name;
        ASSERT_EQ(1, settings.FilterTagsTable().Count()) << name;
        EXPECT_EQ("LT200", settings.FilterTagsTable().Item("TAGNAME_1"));
    }
    ASSERT_EQ(1, settings.AllTagsTable().Count());
    EXPECT_EQ("PT300", settings.AllTagsTable().Item("TAGNAME_1"));
}

TEST_F(ConnectionSettingsTest, NewListOverwritesAndEndsBeforeStaleKeysLeftBehindAGap) {
    // Three chosen tags: the stale TAGNAME_4 must not become a fourth; five: the fifth is new.
    for (int chosen : {3, 5}) {
        SCOPED_TRACE(chosen);
        for (const char* key : {"TAGNAME_1", "TAGNAME_2", "TAGNAME_4", "TAGNAME_5", "TAGNAME_7"}) sb.Set(key, "STALE");
        std::vector<std::string> expected;
        settings.FilterTagsTable().RemoveAll();
        for (int n = 1; n <= chosen; ++n) {
            expected.push_back("N" + std::to_string(n));
            settings.FilterTagsTable().Add("TAGNAME_" + std::to_string(n), expected.back());
        }
        ASSERT_TRUE(settings.SaveFilterTags());
        EXPECT_EQ(expected, StoredTagList());
    }
}

}  // namespace
}  // namespace hdq
