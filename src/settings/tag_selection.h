#pragma once
// frmSelectTags without its windows: the two lists the operator moves tags between, and the
// rewrite of the filtered table on "OK". The dialog mirrors these lists in its list boxes.
//
// Membership in the filtered list is exact (case-sensitive) and is answered from a counted
// hash set kept beside the list, so adding tens of thousands of tags stays linear; the list
// itself keeps the operator's order and never gains a second copy of a tag through the
// add operations.
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

    // Refills both lists from the tables, in the order of each table's Keys.
    void Init();

    const std::vector<std::string>& AllTags() const { return all_; }
    const std::vector<std::string>& FilterTags() const { return filter_; }

    bool IsInFilterList(const std::string& tag) const;

    // ">" and a double-click: appends the chosen entries of the left list (positions into
    // AllTags(), any order) that are not yet in the filtered list, in left-list order.
    // Returns how many were appended; they are the last entries of FilterTags().
    size_t AddSelected(const std::vector<int>& selectedAll);
    // ">>": appends every left-list entry not yet in the filtered list.
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
    void RebuildMembers();

    Table* all_table_ = nullptr;
    Table* filter_table_ = nullptr;
    std::vector<std::string> all_;
    std::vector<std::string> filter_;
    std::vector<std::string> restore_point_;
    // Counted, because a hand-edited INI file may list a tag twice and removing one copy
    // must not make the other look absent.
    std::unordered_map<std::string, int> members_;
};

// Values of a table in the order of its Keys.
std::vector<std::string> ValuesInKeyOrder(const HashTable<std::string>& table);

}  // namespace hdq
