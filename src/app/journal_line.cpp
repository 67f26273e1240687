#include "app/journal_line.h"

#include <charconv>
#include <vector>


namespace hdq {
namespace {
// Plain decimal digits only: the journal is written by this program, never by hand.
std::optional<int64_t> Count(std::string_view s) {
    int64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < 0) return std::nullopt;
    return v;
}
}  // namespace

const char* OutcomeWord(JournalOutcome outcome) {
    switch (outcome) {
    case JournalOutcome::Delivered: return "delivered";
    case JournalOutcome::NoData: return "no data";
    case JournalOutcome::GivenUp: return "given up";
    }
    return "";
}

std::string JournalFileName(const DateTime& recorded) { return FormatPattern(recorded, "yyyy-mm") + ".csv"; }

std::string FormatJournalLine(const JournalLine& line) {
    return FormatPattern(line.hour, "yyyy-mm-dd hh:nn:ss") + "," + FormatPattern(line.recorded, "yyyy-mm-dd hh:nn:ss") +
           "," + OutcomeWord(line.outcome) + "," + std::to_string(line.rows) + "," + std::to_string(line.bytes) + "," +
           line.sha256;
}

std::optional<JournalLine> ParseJournalLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    std::vector<std::string> fields;
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        fields.emplace_back(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    if (fields.size() != 6) return std::nullopt;
    JournalLine line;
    auto hour = ParseDateTime(fields[0]);
    auto recorded = ParseDateTime(fields[1]);
    if (!hour || !recorded) return std::nullopt;
    line.hour = *hour;
    line.recorded = *recorded;
    if (fields[2] == "delivered") {
        line.outcome = JournalOutcome::Delivered;
    } else if (fields[2] == "no data") {
        line.outcome = JournalOutcome::NoData;
    } else if (fields[2] == "given up") {
        line.outcome = JournalOutcome::GivenUp;
    } else {
        return std::nullopt;
    }
    auto rows = Count(fields[3]);
    auto bytes = Count(fields[4]);
    if (!rows || !bytes) return std::nullopt;
    line.rows = *rows;
    line.bytes = *bytes;
    line.sha256 = fields[5];
    return line;
}

std::vector<JournalLine> ParseJournal(std::string_view content) {
    std::vector<JournalLine> lines;
    size_t from = 0;
    while (from < content.size()) {
        size_t end = content.find('\n', from);
        if (end == std::string_view::npos) end = content.size();
        if (auto line = ParseJournalLine(content.substr(from, end - from))) lines.push_back(std::move(*line));
        from = end + 1;
    }
    return lines;
}

}  // namespace hdq
