#pragma once
// The delivery journal: one line per hour that reached the output folder, held no data, or was
// given up, in monthly files beside the program (journal_line.h), so that an auditor can match
// every file the importer took against what this program made. A journal that cannot be
// written never holds up a delivery: its lines wait in memory for the next write that works.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/journal_line.h"
#include "core/datetime.h"

namespace hdq {

// What the journal proves of one delivered file.
struct FileDigest {
    int64_t rows = 0;  // lines after the CSV header
    int64_t bytes = 0;
    std::string sha256;
};
FileDigest DigestOf(std::string_view content);
// The hour of a final name "yyyymmddhh.CSV", nullopt for any other name.
std::optional<DateTime> HourOfDeliveredName(const std::string& name);

class DeliveryJournal {
public:
    // Journal files older than this many whole months before the current one go.
    static constexpr int kMonthsKept = 13;

    void Delivered(const DateTime& hour, const FileDigest& digest) { Record(hour, JournalOutcome::Delivered, digest); }
    void Settled(const DateTime& hour, JournalOutcome outcome) { Record(hour, outcome, {}); }
    // At start: every final-named hour file in outputFolder (with a trailing backslash) without
    // a "delivered" line of the same hour and digest in this or last month's file gets one, as
    // a kill between the rename and the journal line leaves it. Once per program run, once the
    // folder can be listed; the old journal files go first.
    void Reconcile(const std::string& outputFolder);
    // Deletes "YYYY-MM.csv" files more than kMonthsKept months before the current month, by
    // the month in the name.
    void Prune();

private:
    void Record(const DateTime& hour, JournalOutcome outcome, const FileDigest& digest);
    bool Flush();

    std::vector<std::string> waiting_;
    bool failing_ = false;  // the last write failed
    bool reconciled_ = false;
    int prunedMonth_ = 0;  // year * 12 + month of the last pruning
};

}  // namespace hdq
