#include "settings/tag_selection.h"

#include <algorithm>

namespace hdq {

std::vector<std::string> ValuesInKeyOrder(const HashTable<std::string>& table) {
    std::vector<std::string> out;
    const std::vector<std::string> keys = table.Keys();
    out.reserve(keys.size());
    for (const std::string& key : keys) out.push_back(table.Item(key));
    return out;
}

void TagSelection::Init() {
    all_.clear();
    filter_.clear();
    if (all_table_ && all_table_->Count() > 0) all_ = ValuesInKeyOrder(*all_table_);
    if (filter_table_ && filter_table_->Count() > 0) filter_ = ValuesInKeyOrder(*filter_table_);
    RebuildMembers();
    restore_point_ = filter_;
}

bool TagSelection::IsInFilterList(const std::string& tag) const { return members_.count(tag) != 0; }

void TagSelection::Append(const std::string& tag) {
    filter_.push_back(tag);
    ++members_[tag];
}

void TagSelection::RebuildMembers() {
    members_.clear();
    members_.reserve(filter_.size());
    for (const std::string& tag : filter_) ++members_[tag];
}

size_t TagSelection::AddSelected(const std::vector<int>& selectedAll) {
    std::vector<int> picked = selectedAll;
    std::sort(picked.begin(), picked.end());
    picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    size_t added = 0;
    for (int i : picked) {
        if (i < 0 || static_cast<size_t>(i) >= all_.size()) continue;
        const std::string& tag = all_[static_cast<size_t>(i)];
        if (!IsInFilterList(tag)) {
            Append(tag);
            ++added;
        }
    }
    return added;
}

size_t TagSelection::AddAll() {
    filter_.reserve(filter_.size() + all_.size());
    members_.reserve(filter_.size() + all_.size());
    size_t added = 0;
    for (const std::string& tag : all_) {
        if (!IsInFilterList(tag)) {
            Append(tag);
            ++added;
        }
    }
    return added;
}

void TagSelection::RemoveSelected(const std::vector<int>& selectedFilter) {
    if (selectedFilter.empty()) return;
    std::vector<char> drop(filter_.size(), 0);
    for (int i : selectedFilter) {
        if (i >= 0 && static_cast<size_t>(i) < filter_.size()) drop[static_cast<size_t>(i)] = 1;
    }
    std::vector<std::string> kept;
    kept.reserve(filter_.size());
    for (size_t i = 0; i < filter_.size(); ++i) {
        if (!drop[i]) kept.push_back(std::move(filter_[i]));
    }
    filter_ = std::move(kept);
    RebuildMembers();
}

void TagSelection::RemoveAll() {
    filter_.clear();
    members_.clear();
}

void TagSelection::Commit() {
    if (filter_table_) {
        filter_table_->RemoveAll();
        for (size_t p = 0; p < filter_.size(); ++p) {
            filter_table_->Add("TAGNAME_" + std::to_string(p + 1), filter_[p]);
        }
    }
    restore_point_ = filter_;
}

void TagSelection::Revert() {
    filter_ = restore_point_;
    RebuildMembers();
}

}  // namespace hdq
