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
    Tags StoredFilter() {
        Tags out;
        for (int n = 1; filterTable.Exists("TAGNAME_" + std::to_string(n)); ++n) {
            out.push_back(filterTable.Item("TAGNAME_" + std::to_string(n)));
        }
        return out;
    }
    int At(const std::string& tag) {
        const Tags& all = selection.AllTags();
        return static_cast<int>(std::find(all.begin(), all.end(), tag) - all.begin());
    }
    // Single adds, so the filtered list takes this order.
    void AddOneByOne(const Tags& tags) {
        for (const std::string& tag : tags) selection.AddSelected({At(tag)});
    }

    HashTable<std::string> allTable, filterTable;
    TagSelection selection;
};

TEST_F(TagSelectionTest, AddingSelectedTagsSkipsOnesAlreadyChosenButKeepsOtherLetterCase) {
    Load({"FT101", "ft101", "LT200", "PT300"}, {"FT101"});
    const Tags all = selection.AllTags();

    EXPECT_EQ(0u, selection.AddSelected({}));
    EXPECT_EQ(1u, selection.FilterTags().size());

    EXPECT_EQ(2u, selection.AddSelected({At("PT300"), At("ft101"), At("FT101")}));
    ASSERT_EQ(3u, selection.FilterTags().size());
    EXPECT_TRUE(selection.IsInFilterList("ft101"));
    EXPECT_TRUE(selection.IsInFilterList("PT300"));
    EXPECT_FALSE(selection.IsInFilterList("pt300"));
    // Added in left-list order, whatever order the selection came in.
    Tags added(selection.FilterTags().begin() + 1, selection.FilterTags().end());
    Tags expected;
    for (const std::string& tag : all) {
        if (tag == "PT300" || tag == "ft101") expected.push_back(tag);
    }
    EXPECT_EQ(expected, added);

    EXPECT_EQ(0u, selection.AddSelected({At("PT300")}));
    EXPECT_EQ(3u, selection.FilterTags().size());
}

TEST_F(TagSelectionTest, RemovingTheFirstAndThirdOfFiveKeepsTheOthersInOrder) {
    Load({"A", "B", "C", "D", "E"}, {});
    AddOneByOne({"A", "B", "C", "D", "E"});
    ASSERT_EQ((Tags{"A", "B", "C", "D", "E"}), selection.FilterTags());
    selection.RemoveSelected({});
    EXPECT_EQ(5u, selection.FilterTags().size());
    selection.RemoveSelected({2, 0});
    EXPECT_EQ((Tags{"B", "D", "E"}), selection.FilterTags());
    EXPECT_FALSE(selection.IsInFilterList("A"));
    EXPECT_TRUE(selection.IsInFilterList("D"));
    selection.RemoveAll();
    EXPECT_TRUE(selection.FilterTags().empty());
    EXPECT_FALSE(selection.IsInFilterList("D"));
}

TEST_F(TagSelectionTest, RemovingOneOfTwoCopiesFromAHandEditedListKeepsTheTagChosen) {
    Load({"A", "B"}, {"A", "A"});
    selection.RemoveSelected({0});
    EXPECT_TRUE(selection.IsInFilterList("A"));
    selection.AddAll();
    EXPECT_EQ(1, std::count(selection.FilterTags().begin(), selection.FilterTags().end(), "A"));
}

TEST_F(TagSelectionTest, OkRewritesTheFilteredTableInListOrderAndClosingWithoutOkRestoresIt) {
    Load({"A", "B", "C"}, {"OLD1", "OLD2", "OLD3", "OLD4"});
    selection.RemoveAll();
    AddOneByOne({"C", "A", "B"});
    selection.Commit();
    EXPECT_EQ((Tags{"C", "A", "B"}), StoredFilter());
    EXPECT_EQ(3, filterTable.Count());

    selection.RemoveAll();
    selection.Revert();
    EXPECT_EQ((Tags{"C", "A", "B"}), selection.FilterTags());
    EXPECT_TRUE(selection.IsInFilterList("A"));
    EXPECT_EQ((Tags{"C", "A", "B"}), StoredFilter());

    selection.RemoveAll();
    selection.Commit();
    EXPECT_EQ(0, filterTable.Count());
}

TEST_F(TagSelectionTest, AddingAllOfFiftyThousandTagsKeepsEachOnceInOrder) {
    Tags all;
    for (int i = 0; i < 50000; ++i) all.push_back("TAG_" + std::to_string(i));
    Load(all, {"TAG_49999", "TAG_7"});
    EXPECT_EQ(49998u, selection.AddAll());
    ASSERT_EQ(50000u, selection.FilterTags().size());
    EXPECT_EQ("TAG_49999", selection.FilterTags()[0]);
    EXPECT_EQ("TAG_7", selection.FilterTags()[1]);
    Tags rest(selection.FilterTags().begin() + 2, selection.FilterTags().end());
    Tags expected;
    for (const std::string& tag : selection.AllTags()) {
        if (tag != "TAG_49999" && tag != "TAG_7") expected.push_back(tag);
    }
    EXPECT_EQ(expected, rest);
}

}  // namespace
}  // namespace hdq
