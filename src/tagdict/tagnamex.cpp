#include "tagdict/tagnamex.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/error.h"
#include "core/files.h"
#include "core/input_checks.h"
#include "core/text.h"

namespace hdq {
namespace {

constexpr size_t kHeaderSize = 512;
constexpr size_t kRecordSize = 512;
constexpr size_t kNameOffset = 0, kNameSize = 33;
constexpr size_t kDescOffset = 33, kDescSize = 51;
constexpr size_t kByte96Offset = 96;
constexpr size_t kTrendOffset = 328;

// A fixed byte field's text: up to its first zero byte, or the whole field when it has none.
std::string_view FieldText(std::string_view field) { return field.substr(0, field.find('\0')); }

std::string_view TrimSpaces(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The whole file in one buffer, or nothing when it cannot be opened or a read fails. The
// length taken beforehand only sizes the buffer: the read goes on to the end of the file, so
// a dictionary that grows meanwhile is still read whole.
std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::FILE* raw = fsys::Open(path, "rb");
    if (!raw) return std::nullopt;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(raw, &std::fclose);
    std::string content;
    const std::optional<uint64_t> expected = fsys::FileSize(path);
    if (expected && *expected < SIZE_MAX / 2) content.resize(static_cast<size_t>(*expected));
    size_t filled = std::fread(content.data(), 1, content.size(), file.get());
    content.resize(filled);
    char tail[65536];
    for (size_t n; (n = std::fread(tail, 1, sizeof tail, file.get())) > 0;) content.append(tail, n);
    if (std::ferror(file.get())) return std::nullopt;
    return content;
}

// A name goes into the INI file as a TAGNAME_ value and into HistData's tag list, whose items are
// joined with "," and continued with ",+": a line break there would write a setting of its own,
// and a comma or plus would split one tag into others.
bool UsableInTagList(std::string_view name) {
    return !HoldsControlByte(name) && name.find_first_of(",+") == std::string_view::npos;
}

}  // namespace

TagnameXParser::TagnameXParser(const std::string& verbosity, LogSink* log) : log_(log) {
    std::optional<double> n = ParseNumber(verbosity);
    if (!n) throw VrxError(err::TypeMismatch, "Type mismatch");
    verbose_ = *n > 0;
}

bool TagnameXParser::ReadTAGNAMEXfile(const std::string& path) {
    // One read of the whole dictionary into a buffer sized from the file's length; the records
    // are parsed from memory, which is far faster than seeking record by record on a
    // dictionary of thousands of tags, and a buffer grown piece by piece would copy a big
    // dictionary several times over.
    std::optional<std::string> all = ReadWholeFile(path);
    if (!all || all->size() < kHeaderSize) return false;
    ParseRecords(std::string_view(*all).substr(kHeaderSize));
    position_ = 1;
    return true;
}

void TagnameXParser::ParseRecords(std::string_view records) {
    const size_t recordCount = records.size() / kRecordSize;
    // Room for every record at once: most records of a dictionary are trended, and growing
    // two arrays of 100,000 strings step by step costs more than the few unused places.
    names_.reserve(names_.size() + recordCount);
    descriptions_.reserve(descriptions_.size() + recordCount);
    // A shorter piece at the end is not a record.
    for (size_t off = 0; off + kRecordSize <= records.size(); off += kRecordSize) {
        std::string_view rec = records.substr(off, kRecordSize);
        const std::string_view name = TrimSpaces(FieldText(rec.substr(kNameOffset, kNameSize)));
        if (name.empty()) continue;
        const std::string_view desc = FieldText(rec.substr(kDescOffset, kDescSize));
        const auto byte96 = static_cast<uint8_t>(rec[kByte96Offset]);
        const auto trend = static_cast<uint8_t>(rec[kTrendOffset]);
        const bool taken = IsValidTrendedByte(trend);
        // Only a tag that would be taken is worth a line: untrended ones are never used.
        if (taken && !UsableInTagList(name)) {
            if (log_) log_->WriteLog("Skip tag entry that cannot be used in a tag list: " + ShowControlBytes(name), 1);
            continue;
        }
        if (taken) {
            names_.emplace_back(name);
            descriptions_.emplace_back(desc);
        }
        if (verbose_ && log_) {
            log_->WriteLog(std::string(taken ? "TAGNAMEXPARSER_ADDED : " : "TAGNAMEXPARSER_SKIPPED : ") +
                                  ShowControlBytes(name) + ", " + std::to_string(byte96) +
                                  ", Trend Byte: " + std::to_string(trend) + ", " + ShowControlBytes(desc),
                              0);
        }
    }
}

const std::string& TagnameXParser::CurrentTAG() const {
    if (position_ < 1 || Eof()) throw VrxError(err::SubscriptOutOfRange, "Subscript out of range");
    return names_[static_cast<size_t>(position_ - 1)];
}

const std::string& TagnameXParser::CurrentDESCRIPTION() const {
    if (position_ < 1 || Eof()) throw VrxError(err::SubscriptOutOfRange, "Subscript out of range");
    return descriptions_[static_cast<size_t>(position_ - 1)];
}

void TagnameXParser::AddValidTrendedByte(int16_t what) {
    if (what >= 0 && what <= 255) trendBytes_.push_back(static_cast<uint8_t>(what));
}

bool TagnameXParser::IsValidTrendedByte(uint8_t b) const {
    return std::find(trendBytes_.begin(), trendBytes_.end(), b) != trendBytes_.end();
}

std::string TagnameXParser::BytesToString(std::string_view field) { return std::string(FieldText(field)); }

void ApplyValidTrendBytes(TagnameXParser& reader, const std::string& value) {
    if (value.empty()) return;
    for (const std::string& piece : Split(value, ':')) {
        reader.AddValidTrendedByte(ToInt16OrRaise(piece));
    }
}

}  // namespace hdq
