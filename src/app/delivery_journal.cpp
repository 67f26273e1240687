#include "app/delivery_journal.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "app/globals.h"
#include "core/clock.h"
#include "core/files.h"
#include "core/sha256.h"
#include "core/text.h"

namespace hdq {
namespace {

int MonthIndex(const DateTime& d) { return d.year * 12 + d.month - 1; }

bool Digits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// "2026-12.csv" back to its month; nullopt for every other name.
std::optional<int> MonthOfJournalName(const std::string& name) {
    if (name.size() != 11 || name[4] != '-' || !Digits(name.substr(0, 4)) || !Digits(name.substr(5, 2)) ||
        !IEquals(name.substr(7), ".csv")) {
        return std::nullopt;
    }
    const int month = std::stoi(name.substr(5, 2));
    if (month < 1 || month > 12) return std::nullopt;
    return std::stoi(name.substr(0, 4)) * 12 + month - 1;
}

std::string JournalPath(const DateTime& recorded) { return JournalFolder() + "\\" + JournalFileName(recorded); }

}  // namespace

FileDigest DigestOf(std::string_view content) {
    Sha256 sha;
    sha.Update(content);
    int64_t lines = std::count(content.begin(), content.end(), '\n');
    if (!content.empty() && content.back() != '\n') ++lines;  // a last line without its break
    return FileDigest{std::max<int64_t>(lines - 1, 0), static_cast<int64_t>(content.size()), sha.Final()};
}

std::optional<DateTime> HourOfDeliveredName(const std::string& name) {
    if (name.size() != 14 || !Digits(name.substr(0, 10)) || !IEquals(name.substr(10), ".CSV")) return std::nullopt;
    const DateTime hour{std::stoi(name.substr(0, 4)), std::stoi(name.substr(4, 2)), std::stoi(name.substr(6, 2)),
                        std::stoi(name.substr(8, 2)), 0, 0};
    if (!hour.IsValid()) return std::nullopt;
    return hour;
}

void DeliveryJournal::Record(const DateTime& hour, JournalOutcome outcome, const FileDigest& digest) {
    try {
        const DateTime now = AppClock().Now();
        if (MonthIndex(now) != prunedMonth_) Prune();
        const JournalLine line{hour, now, outcome, digest.rows, digest.bytes, digest.sha256};
        waiting_.push_back(FormatJournalLine(line));
        Flush();
    } catch (...) {
        // The hour is in the output folder whatever becomes of its line; the start-up
        // reconciliation writes a line that is missing.
    }
}

bool DeliveryJournal::Flush() {
    const std::string folder = JournalFolder();
    const std::string path = JournalPath(AppClock().Now());
    OsError e;
    bool written = fsys::IsDirectory(folder) || fsys::CreateFolder(folder, &e);
    if (written) {
        // A power cut can cut the last line short: the next one starts on a line of its own.
        // A file there but unreadable for now is not a new file: no second header in it.
        const std::optional<std::string> before = fsys::ReadAll(path);
        const bool fresh = before ? before->empty() : !fsys::Exists(path);
        std::string text = fresh ? std::string(kJournalHeader) + "\r\n"
                           : before && before->back() != '\n' ? "\r\n"
                                                               : "";
        for (const std::string& line : waiting_) text += line + "\r\n";
        written = fsys::AppendFlushed(path, text, &e);
    }
    if (written) {
        if (failing_) LogActivity("The delivery journal " + path + " is written again", 0);
        failing_ = false;
        waiting_.clear();
        return true;
    }
    // Once, not at every hour the journal stays unwritable.
    if (!failing_) {
        LogActivity("Error: Unable to write the delivery journal " + path + ": (" + std::to_string(e.number) + ") " +
                        e.text,
                    0);
    }
    failing_ = true;
    return false;
}

void DeliveryJournal::Prune() {
    const int current = MonthIndex(AppClock().Now());
    const std::string folder = JournalFolder();
    const auto names = fsys::ListFiles(folder + "\\*.csv");
    if (!names) return;  // no journal yet
    prunedMonth_ = current;
    // A junction in the folder's place would lead this to another folder's files.
    if (fsys::IsLinkOrJunction(folder)) return;
    for (const std::string& name : *names) {
        const std::optional<int> month = MonthOfJournalName(name);
        if (!month || current - *month <= kMonthsKept) continue;
        OsError e;
        if (fsys::DeleteFile(folder + "\\" + name, &e)) {
            LogActivity("Deleted the delivery journal " + folder + "\\" + name + ", older than " +
                            std::to_string(kMonthsKept) + " months",
                        1);
        } else {
            LogActivity("Error: Unable to delete the delivery journal " + folder + "\\" + name + ": (" +
                            std::to_string(e.number) + ") " + e.text,
                        1);
        }
    }
}

void DeliveryJournal::Reconcile(const std::string& outputFolder) {
    if (reconciled_) return;
    Prune();
    const auto names = fsys::ListFiles(outputFolder + "*.CSV");
    if (!names) return;  // a share not there yet: tried again when it is
    reconciled_ = true;
    const DateTime now = AppClock().Now();
    std::set<std::pair<DateTime, std::string>> journaled;
    for (const DateTime& month : {now, DateTime{now.year, now.month, 1, 0, 0, 0}.AddDays(-1)}) {
        const std::optional<std::string> content = fsys::ReadAll(JournalPath(month));
        if (!content) continue;
        for (const JournalLine& line : ParseJournal(*content)) {
            if (line.outcome == JournalOutcome::Delivered) journaled.emplace(line.hour, line.sha256);
        }
    }
    for (const std::string& name : *names) {
        const std::optional<DateTime> hour = HourOfDeliveredName(name);
        if (!hour) continue;
        const std::optional<std::string> content = fsys::ReadAll(outputFolder + name);
        if (!content) continue;  // the importer took it meanwhile
        const FileDigest digest = DigestOf(*content);
        if (journaled.count({*hour, digest.sha256})) continue;
        LogActivity("Reconciled the delivery journal: " + outputFolder + name +
                        " was delivered without its journal line; the line is added now",
                    0);
        Delivered(*hour, digest);
    }
}

}  // namespace hdq
