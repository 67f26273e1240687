#pragma once
// frmSelectTags without its windows: the two lists the operator moves tags between, and the
// rewrite of the filtered table on "OK". The dialog mirrors these lists in its list boxes.
//
// Both lists are sorted by name (TagNameLess), so a plant's tens of thousands of tags can be
// found by eye. The left list shows only the tags whose name holds the filter text; every
// position the dialog hands in is a row of that shown list. Membership in the filtered list is
// exact (case-sensitive) and is answered from a counted hash set kept beside the list, so
// adding tens of thousands of tags stays linear; the add operations never give the filtered
// list a second copy of a tag.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>
#include "core/hashtable.h"

namespace hdq {

class TagSelection {
public:
    using Table = HashTable<std::string>;

    // The connection settings dialog's tables, by reference: "OK" rewrites FilterTagList.
    void SetAllTagList(Table* table) { all_table_ = table; }
    Table* AllTagList() const { return all_table_; }
    void SetFilterTagList(Table* table) { filter_table_ = table; }
    Table* FilterTagList() const { return filter_table_; }

    // Refills both lists from the tables, sorted by name, and clears the filter text.
    void Init();

    const std::vector<std::string>& AllTags() const { return all_; }
    const std::vector<std::string>& FilterTags() const { return filter_; }

    // The left list narrows to the tags whose name contains `text`, without regard to letter
    // case, keeping their order; empty text shows every tag.
    void SetFilterText(const std::string& text);
    const std::string& FilterText() const { return filterText_; }
    size_t ShownCount() const { return shown_.size(); }
    const std::string& ShownTag(size_t row) const { return all_[shown_[row]]; }
    std::vector<std::string> ShownTags() const;

    bool IsInFilterList(const std::string& tag) const;

    // ">" and a double-click: adds the chosen rows of the shown left list (any order) that are
    // not yet in the filtered list. Returns how many were added.
    size_t AddSelected(const std::vector<int>& selectedRows);
    // ">>": adds every shown left-list tag not yet in the filtered list.
    size_t AddAll();
    // "<": removes the chosen entries (positions into FilterTags()); the others keep their order.
    void RemoveSelected(const std::vector<int>& selectedFilter);
    // "<<".
    void RemoveAll();

    // "OK": FilterTagList := TAGNAME_1.. in list order. The lists become the new restore point.
    void Commit();
    // Close box: the lists go back to how they stood at the last Init or "OK".
    void Revert();

private:
    void Append(const std::string& tag);
    // Puts the tags appended since `sortedUpTo` into their places by name.
    void MergeAppended(size_t sortedUpTo);
    void RebuildMembers();
    void ShowAll();

    Table* all_table_ = nullptr;
    Table* filter_table_ = nullptr;
    std::vector<std::string> all_;
    std::vector<std::string> filter_;
    std::vector<std::string> restore_point_;
    std::vector<std::string> folded_;  // all_ in lower case, for the filter
    std::string filterText_;
    std::vector<size_t> shown_;        // positions in all_ that the filter lets through
    // Counted, because a hand-edited INI file may list a tag twice and removing one copy
    // must not make the other look absent.
    std::unordered_map<std::string, int> members_;
};

// Values of a table in the order of its Keys.
std::vector<std::string> ValuesInKeyOrder(const HashTable<std::string>& table);

// The order of tag names in the lists: letters compared without regard to case (ASCII, as tag
// names are), names equal so compared ordered by their bytes, so "FT101" comes before "ft101".
bool TagNameLess(const std::string& a, const std::string& b);

// "1 tag chosen", "50,000 tags chosen".
std::string ChosenCountText(size_t count);

}  // namespace hdq
