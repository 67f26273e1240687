#include "settings/tag_selection.h"

#include <algorithm>
#include <cstddef>

#include "core/text.h"

namespace hdq {
namespace {
int FoldCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
}
}  // namespace

std::vector<std::string> ValuesInKeyOrder(const HashTable<std::string>& table) {
    std::vector<std::string> out;
    const std::vector<std::string> keys = table.Keys();
    out.reserve(keys.size());
    for (const std::string& key : keys) out.push_back(table.Item(key));
    return out;
}

bool TagNameLess(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = FoldCase(a[i]), y = FoldCase(b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::string ChosenCountText(size_t count) {
    return FormatGrouped(static_cast<double>(count), 0) + (count == 1 ? " tag chosen" : " tags chosen");
}

void TagSelection::Init() {
    all_.clear();
    filter_.clear();
    if (all_table_ && all_table_->Count() > 0) all_ = ValuesInKeyOrder(*all_table_);
    if (filter_table_ && filter_table_->Count() > 0) filter_ = ValuesInKeyOrder(*filter_table_);
    std::sort(all_.begin(), all_.end(), TagNameLess);
    std::sort(filter_.begin(), filter_.end(), TagNameLess);
    folded_.clear();
    folded_.reserve(all_.size());
    for (const std::string& tag : all_) folded_.push_back(ToLower(tag));
    filterText_.clear();
    ShowAll();
    RebuildMembers();
    restore_point_ = filter_;
}

void TagSelection::SetFilterText(const std::string& text) {
    const std::string needle = ToLower(text);
    const std::string previous = ToLower(filterText_);
    filterText_ = text;
    if (needle.empty()) {
        ShowAll();
        return;
    }
    if (needle == previous) return;
    // Typing on narrows: a name holding the longer text holds the shorter one too, so only
    // the names shown now need a look.
    const bool narrowing = !previous.empty() && needle.find(previous) != std::string::npos;
    std::vector<size_t> next;
    if (narrowing) {
        for (size_t i : shown_) {
            if (folded_[i].find(needle) != std::string::npos) next.push_back(i);
        }
    } else {
        for (size_t i = 0; i < folded_.size(); ++i) {
            if (folded_[i].find(needle) != std::string::npos) next.push_back(i);
        }
    }
    shown_ = std::move(next);
}

void TagSelection::ShowAll() {
    shown_.resize(all_.size());
    for (size_t i = 0; i < all_.size(); ++i) shown_[i] = i;
}

std::vector<std::string> TagSelection::ShownTags() const {
    std::vector<std::string> tags;
    tags.reserve(shown_.size());
    for (size_t i : shown_) tags.push_back(all_[i]);
    return tags;
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

void TagSelection::MergeAppended(size_t sortedUpTo) {
    // The shown list is in name order, so what was appended is too: one merge puts it in place.
    std::inplace_merge(filter_.begin(), filter_.begin() + static_cast<std::ptrdiff_t>(sortedUpTo), filter_.end(),
                       TagNameLess);
}

size_t TagSelection::AddSelected(const std::vector<int>& selectedRows) {
    std::vector<int> picked = selectedRows;
    std::sort(picked.begin(), picked.end());
    picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    const size_t before = filter_.size();
    for (int row : picked) {
        if (row < 0 || static_cast<size_t>(row) >= shown_.size()) continue;
        const std::string& tag = ShownTag(static_cast<size_t>(row));
        if (!IsInFilterList(tag)) Append(tag);
    }
    MergeAppended(before);
    return filter_.size() - before;
}

size_t TagSelection::AddAll() {
    const size_t before = filter_.size();
    filter_.reserve(before + shown_.size());
    members_.reserve(before + shown_.size());
    for (size_t i : shown_) {
        if (!IsInFilterList(all_[i])) Append(all_[i]);
    }
    MergeAppended(before);
    return filter_.size() - before;
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
