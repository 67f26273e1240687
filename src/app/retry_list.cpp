#include "app/retry_list.h"

#include <algorithm>

#include "core/files.h"

namespace hdq {
namespace {
constexpr const char* kForm = "yyyy-mm-dd hh:nn:ss";
}  // namespace

std::string RetryLine(const RetryList::Entry& entry) {
    return FormatPattern(entry.hour, kForm) + "," + FormatPattern(entry.listed, kForm);
}

std::optional<RetryList::Entry> ParseRetryLine(const std::string& line) {
    const size_t comma = line.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const auto hour = ParseDateTime(line.substr(0, comma));
    const auto listed = ParseDateTime(line.substr(comma + 1));
    if (!hour || !listed) return std::nullopt;
    return RetryList::Entry{TruncateToHour(*hour), *listed};
}

std::vector<RetryList::Entry> ParseRetryList(const std::string& content, std::vector<std::string>* setAside) {
    std::vector<RetryList::Entry> entries;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (auto entry = ParseRetryLine(line)) {
            entries.push_back(*entry);
        } else if (!line.empty() && setAside) {
            setAside->push_back(line);
        }
        pos = end + 1;
    }
    return entries;
}

bool RetryList::Load(OsError* err) {
    entries_.clear();
    setAside_.clear();
    if (!fsys::Exists(path_)) return true;
    const std::optional<std::string> content = fsys::ReadAll(path_, err);
    if (!content) return false;
    for (const Entry& entry : ParseRetryList(*content, &setAside_)) Add(entry.hour, entry.listed);
    if (setAside_.empty()) return true;
    // Appended, so lines set aside by earlier starts stay too.
    std::string bad;
    if (fsys::Exists(BadFile())) {
        std::optional<std::string> earlier = fsys::ReadAll(BadFile(), err);
        if (!earlier) return false;
        bad = std::move(*earlier);
    }
    for (const std::string& line : setAside_) bad += line + "\r\n";
    if (!fsys::WriteAtomic(BadFile(), bad, err)) return false;
    Save();  // without the lines set aside, so the next start does not set them aside again
    return true;
}

bool RetryList::Save() const {
    // An empty list leaves an empty file rather than none: deleting and writing are two steps,
    // and one atomic replace keeps the file always whole.
    std::string text;
    for (const Entry& e : entries_) text += RetryLine(e) + "\r\n";
    return fsys::WriteAtomic(path_, text);
}

bool RetryList::Contains(const DateTime& hour) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.hour == hour; });
}

bool RetryList::Add(const DateTime& hour, const DateTime& listed) {
    if (Contains(hour)) return false;
    const auto at = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return hour < e.hour; });
    entries_.insert(at, Entry{hour, listed});
    return true;
}

bool RetryList::Remove(const DateTime& hour) {
    const auto before = entries_.size();
    std::erase_if(entries_, [&](const Entry& e) { return e.hour == hour; });
    return entries_.size() != before;
}

bool RetryList::DropFrom(const DateTime& hour) {
    const auto before = entries_.size();
    std::erase_if(entries_, [&](const Entry& e) { return !(e.hour < hour); });
    return entries_.size() != before;
}

bool RetryList::Expired(const Entry& entry, const DateTime& now) {
    return !(now < entry.listed.AddDays(kDaysKept));
}

}  // namespace hdq
