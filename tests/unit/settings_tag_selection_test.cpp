// Moving tags between the two lists of the tag selection, and the rewrite of the filtered table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

TEST_F(TagSelectionTest, AddingOneByOneKeepsTheOrderSkipsChosenTagsAndTheCloseBoxRestoresTheLastOk) {
    Load({"FT101", "ft101", "LT200", "PT300"}, {"OLD1", "OLD2", "OLD3", "OLD4"});
    selection.RemoveAll();
    for (const char* tag : {"PT300", "FT101", "ft101"}) EXPECT_EQ(1u, selection.AddSelected({At(tag)})) << tag;
    EXPECT_EQ(0u, selection.AddSelected({At("PT300")}));
    EXPECT_FALSE(selection.IsInFilterList("pt300"));
    selection.Commit();
    selection.RemoveAll();
    selection.Revert();
    EXPECT_EQ((Tags{"PT300", "FT101", "ft101"}), selection.FilterTags());
    EXPECT_TRUE(selection.IsInFilterList("FT101"));
    EXPECT_EQ(3, filterTable.Count());
    EXPECT_EQ("PT300", filterTable.Item("TAGNAME_1"));
    EXPECT_EQ("ft101", filterTable.Item("TAGNAME_3"));
}

TEST_F(TagSelectionTest, RemovingTheSelectedKeepsTheOthersInOrderAndOkRenumbersTheTable) {
    Load({"A", "B", "C", "D"}, {"D", "A", "C", "B"});
    const Tags before = selection.FilterTags();  // in the table's key order
    selection.RemoveSelected({0, 2});
    EXPECT_EQ((Tags{before[1], before[3]}), selection.FilterTags());
    selection.Commit();
    EXPECT_EQ(2, filterTable.Count());
    EXPECT_EQ(before[1], filterTable.Item("TAGNAME_1"));
    EXPECT_EQ(before[3], filterTable.Item("TAGNAME_2"));
}

TEST_F(TagSelectionTest, RemovingOneOfTwoCopiesFromAHandEditedListKeepsTheTagChosen) {
    Load({"A", "B"}, {"A", "A"});
    selection.RemoveSelected({0});
    EXPECT_TRUE(selection.IsInFilterList("A"));
    selection.AddAll();
    EXPECT_EQ((Tags{"A", "B"}), selection.FilterTags());
}

TEST_F(TagSelectionTest, AddingAllOfFiftyThousandTagsKeepsEachOnceInOrder) {
    Tags all;
    for (int i = 0; i < 50000; ++i) all.push_back("TAG_" + std::to_string(i));
    Load(all, {"TAG_49999", "TAG_7"});
    EXPECT_EQ(49998u, selection.AddAll());
    Tags expected{"TAG_49999", "TAG_7"};
    for (const std::string& tag : selection.AllTags()) {
        if (tag != "TAG_49999" && tag != "TAG_7") expected.push_back(tag);
    }
    EXPECT_EQ(expected, selection.FilterTags());
}

}  // namespace
}  // namespace hdq
