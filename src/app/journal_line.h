#pragma once
// One line of the delivery journal: what became of an hour, when, and the proof of what the
// importer was given. Monthly files "deliveries\YYYY-MM.csv" beside the program, named for the
// month the line was written in, so an hour delivered late sits in a later month's file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/datetime.h"

namespace hdq {

enum class JournalOutcome { Delivered, NoData, GivenUp };

struct JournalLine {
    DateTime hour;
    DateTime recorded;  // when the file reached its final name (or the hour was settled)
    JournalOutcome outcome = JournalOutcome::Delivered;
    int64_t rows = 0;    // data rows, header not counted; 0 unless delivered
    int64_t bytes = 0;   // size of the delivered file; 0 unless delivered
    std::string sha256;  // 64 lower-case hex digits of the delivered file; empty unless delivered
};

inline constexpr const char* kJournalHeader = "Hour,Recorded,Outcome,Rows,Bytes,SHA256";
// The outcome's word in the file: "delivered", "no data", "given up".
const char* OutcomeWord(JournalOutcome outcome);
// "2026-12.csv" for a line recorded in December 2026.
std::string JournalFileName(const DateTime& recorded);
// "2026-12-07 05:00:00,2026-12-07 06:00:41,delivered,60,5120,<sha256>"
std::string FormatJournalLine(const JournalLine& line);
// The line back; nullopt for the header and for anything that is not a journal line.
std::optional<JournalLine> ParseJournalLine(std::string_view text);
// Every journal line of a file's content, in file order; the header and damaged lines (a
// line cut by a power failure) are passed over.
std::vector<JournalLine> ParseJournal(std::string_view content);

}  // namespace hdq
