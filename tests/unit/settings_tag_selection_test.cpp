// Moving tags between the two lists of the tag selection, and the rewrite of the filtered table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/text.h"
#include "settings/tag_selection.h"

namespace hdq {
namespace {

using Tags = std::vector<std::string>;

class TagSelectionTest : public ::testing::Test {
protected:
    void Load(const Tags& all, const Tags& filtered) {
        allTable.SetSize(4096);
        filterTable.SetSize(4096);
        for (size_t i = 0; i < all.size(); ++i) allTable.Add("TAGNAME_" + std::to_string(i + 1), all[i]);
        for (size_t i = 0; i < filtered.size(); ++i) filterTable.Add("TAGNAME_" + std::to_string(i + 1), filtered[i]);
        selection.SetAllTagList(&allTable);
        selection.SetFilterTagList(&filterTable);
        selection.Init();
    }
    int At(const std::string& tag) {
        const Tags& all = selection.AllTags();
        return static_cast<int>(std::find(all.begin(), all.end(), tag) - all.begin());
    }

    HashTable<std::string> allTable, filterTable;
    TagSelection selection;
};

TEST_F(TagSelectionTest, BothListsStandInNameOrderAddsSkipChosenTagsAndTheCloseBoxRestoresTheLastOk) {
    Load({"PT300", "ft101", "LT200", "FT101", "FT10"}, {"OLD2", "old1", "OLD3"});
    EXPECT_EQ((Tags{"FT10", "FT101", "ft101", "LT200", "PT300"}), selection.AllTags());
    EXPECT_EQ((Tags{"old1", "OLD2", "OLD3"}), selection.FilterTags());
    selection.RemoveAll();
    for (const char* tag : {"PT300", "ft101", "FT101"}) EXPECT_EQ(1u, selection.AddSelected({At(tag)})) << tag;
    EXPECT_EQ(0u, selection.AddSelected({At("PT300")}));
    EXPECT_FALSE(selection.IsInFilterList("pt300"));
    selection.Commit();
    selection.RemoveAll();
    selection.Revert();
    EXPECT_EQ((Tags{"FT101", "ft101", "PT300"}), selection.FilterTags());
    EXPECT_TRUE(selection.IsInFilterList("FT101"));
    EXPECT_EQ(3, filterTable.Count());
    EXPECT_EQ("FT101", filterTable.Item("TAGNAME_1"));
    EXPECT_EQ("PT300", filterTable.Item("TAGNAME_3"));
}

TEST_F(TagSelectionTest, RemovingTheSelectedKeepsTheOthersInOrderAndOkRenumbersTheTable) {
    Load({"A", "B", "C", "D", "E"}, {"D", "A", "E", "C", "B"});
    selection.RemoveSelected({0, 2});
    EXPECT_EQ((Tags{"B", "D", "E"}), selection.FilterTags());
    selection.Commit();
    EXPECT_EQ(3, filterTable.Count());
    EXPECT_EQ("B", filterTable.Item("TAGNAME_1"));
    EXPECT_EQ("E", filterTable.Item("TAGNAME_3"));
}

TEST_F(TagSelectionTest, RemovingOneOfTwoCopiesFromAHandEditedListKeepsTheTagChosen) {
    Load({"A", "B"}, {"A", "A"});
    selection.RemoveSelected({0});
    EXPECT_TRUE(selection.IsInFilterList("A"));
    selection.AddAll();
    EXPECT_EQ((Tags{"A", "B"}), selection.FilterTags());
}

TEST_F(TagSelectionTest, TheFilterNarrowsFiftyThousandNamesInNameOrderAndTheButtonsWorkOnWhatItShows) {
    Tags all;
    for (int i = 49999; i >= 0; --i) all.push_back((i % 2 ? "AREA1.FT" : "u7_lt") + std::to_string(i) + "_PV");
    Load(all, {"u7_lt8_PV"});
    // Typed letter by letter, pasted over, cleared: each shows exactly the names holding the
    // text, in any letter case, in the order of the full list.
    for (const char* text : {"l", "LT", "lt4", "LT49", "lt499", "t4999", "", "ft1234", "_pv", "AREA1.FT9999", "x"}) {
        selection.SetFilterText(text);
        Tags expected;
        for (const std::string& tag : selection.AllTags()) {
            if (ToLower(tag).find(ToLower(text)) != std::string::npos) expected.push_back(tag);
        }
        ASSERT_EQ(expected, selection.ShownTags()) << text;
    }
    selection.SetFilterText("LT4999");
    EXPECT_EQ((Tags{"u7_lt49990_PV", "u7_lt49992_PV", "u7_lt49994_PV", "u7_lt49996_PV", "u7_lt49998_PV"}),
              selection.ShownTags());
    EXPECT_EQ(1u, selection.AddSelected({1}));  // a row of the shown list
    EXPECT_EQ(4u, selection.AddAll());          // the shown tags, not all 50,000
    selection.SetFilterText("");
    EXPECT_EQ(50000u, selection.ShownCount());
    EXPECT_EQ(49994u, selection.AddAll());
    EXPECT_TRUE(std::is_sorted(selection.FilterTags().begin(), selection.FilterTags().end(), TagNameLess));
    EXPECT_EQ(selection.AllTags(), selection.FilterTags());
}

}  // namespace
}  // namespace hdq
