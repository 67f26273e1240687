#pragma once
// The hours whose export failed and that the service asks HistData for again. They live in a
// small text file beside the INI file, so that neither a restart nor a power cut forgets them:
// one hour a line, "yyyy-mm-dd hh:00:00,yyyy-mm-dd hh:nn:ss", the hour and when it was first
// listed. The file is replaced in one step, so a kill leaves the old list or the new one.
#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"

namespace hdq {

class RetryList {
public:
    struct Entry {
        DateTime hour;
        DateTime listed;  // when the hour first failed; it is given up 7 days later
    };
    static constexpr int kDaysKept = 7;

    explicit RetryList(std::string path) : path_(std::move(path)) {}

    // Reads the file; a missing file is an empty list. Lines that are not an hour are
    // dropped, so a damaged file costs at most those lines, never the service.
    void Load();
    // False (and the list on disk as it was) when the file cannot be replaced.
    bool Save() const;

    // Oldest first.
    const std::vector<Entry>& Entries() const { return entries_; }
    bool Contains(const DateTime& hour) const;
    // Adds the hour unless it is listed already (the first listing time stays).
    bool Add(const DateTime& hour, const DateTime& listed);
    bool Remove(const DateTime& hour);
    // Hours from the given one on are asked for anyway by the next cycle; listing them too
    // would ask for them twice.
    bool DropFrom(const DateTime& hour);
    // An hour listed at least kDaysKept days before now.
    static bool Expired(const Entry& entry, const DateTime& now);

private:
    std::string path_;
    std::vector<Entry> entries_;
};

// The list's line for one hour, and back.
std::string RetryLine(const RetryList::Entry& entry);
std::optional<RetryList::Entry> ParseRetryLine(const std::string& line);

}  // namespace hdq
