#pragma once
// The hours whose export failed and that the service asks HistData for again. They live in a
// small text file beside the INI file, so that neither a restart nor a power cut forgets them:
// one hour a line, "yyyy-mm-dd hh:00:00,yyyy-mm-dd hh:nn:ss", the hour and when it was first
// listed. The file is replaced in one step, so a kill leaves the old list or the new one.
#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/files.h"

namespace hdq {

class RetryList {
public:
    struct Entry {
        DateTime hour;
        DateTime listed;  // when the hour first failed; it is given up 7 days later
    };
    static constexpr int kDaysKept = 7;

    explicit RetryList(std::string path) : path_(std::move(path)) {}

    // Reads the file; a missing file is an empty list. False (err filled) when the file is
    // there but cannot be read: it may hold hours, so nothing may overwrite it. Lines that are
    // not an hour are appended to the ".bad" file beside it before the list is used, so a
    // later save cannot drop them unseen; false too when they cannot be kept there.
    bool Load(OsError* err = nullptr);
    // False (and the list on disk as it was) when the file cannot be replaced.
    bool Save() const;
    std::string BadFile() const { return path_ + ".bad"; }
    // The lines the last Load set aside.
    const std::vector<std::string>& SetAside() const { return setAside_; }

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
    std::vector<std::string> setAside_;
};

// The list's line for one hour, and back.
std::string RetryLine(const RetryList::Entry& entry);
std::optional<RetryList::Entry> ParseRetryLine(const std::string& line);
// The hours of a list file's content in file order; lines that are not an hour go to setAside.
std::vector<RetryList::Entry> ParseRetryList(const std::string& content, std::vector<std::string>* setAside = nullptr);

}  // namespace hdq
