// The connection settings dialog's behaviour against the configuration store.
#include <gtest/gtest.h>

#include "core/files.h"
#include "app/shared.h"
#include "fake_dde.h"
#include "settings/connection_settings.h"

namespace hdq {
namespace {

class ConnectionSettingsTest : public ::testing::Test {
protected:
    static std::string Stored(const std::string& key) { return AppConfig().item(key); }
    static std::vector<std::string> StoredTagList() {
        std::vector<std::string> tags;
        for (int n = 1; AppConfig().ItemExists("TAGNAME_" + std::to_string(n)); ++n) {
            tags.push_back(Stored("TAGNAME_" + std::to_string(n)));
        }
        return tags;
    }
    test::AppSandbox sb;
    ConnectionSettings settings;
};

TEST_F(ConnectionSettingsTest, ApplyStoresTrimmedFieldsAndCreatesTheTrimmedOutputFolder) {
    ConnectionFields f;
    f.linkTopic = "  VIEW2 ";
    f.tagnameFile = "\tC:\\App\\tagname.x ";  // only blanks are trimmed
    f.outputFolder = " " + (sb / "typed") + " ";
    f.processAllTags = true;
    ASSERT_TRUE(settings.ApplySettings(f));
    EXPECT_EQ("VIEW2", Stored("DDE_LINKTOPIC"));
    EXPECT_EQ("\tC:\\App\\tagname.x", Stored("DDE_TAGNAME_FILE"));
    EXPECT_EQ(sb / "typed", Stored("OUTPUT_FOLDER"));
    EXPECT_TRUE(fsys::IsDirectory(sb / "typed"));
}

TEST_F(ConnectionSettingsTest, StoredListLoadsUpToItsGapAndAClearBoxWithoutTagsFallsBackToAllTags) {
    for (const char* key : {"TAGNAME_1", "TAGNAME_2", "TAGNAME_3", "TAGNAME_5"}) sb.Set(key, key);
    settings.LoadTagLists(sb / "missing.x");
    EXPECT_EQ(0, settings.AllTagsTable().Count());
    EXPECT_EQ(3, settings.FilterTagsTable().Count());

    // Nothing chosen: the stored list goes up to its gap, and all tags are collected instead.
    settings.FilterTagsTable().RemoveAll();
    ConnectionFields f;
    f.processAllTags = false;
    ASSERT_TRUE(settings.ApplySettings(f));
    EXPECT_TRUE(f.processAllTags);
    EXPECT_EQ("TRUE", Stored("SELECTALLTAGS"));
    EXPECT_TRUE(StoredTagList().empty());
    EXPECT_TRUE(AppConfig().ItemExists("TAGNAME_5"));
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
