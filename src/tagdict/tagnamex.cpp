#include "tagdict/tagnamex.h"

#include <algorithm>

#include "app/shared.h"
#include "core/error.h"
#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {

constexpr size_t kHeaderSize = 512;
constexpr size_t kRecordSize = 512;
constexpr size_t kNameOffset = 0, kNameSize = 33;
constexpr size_t kDescOffset = 33, kDescSize = 51;
constexpr size_t kByte96Offset = 96;
constexpr size_t kTrendOffset = 328;

}  // namespace

TagnameXParser::TagnameXParser() {
    const std::string v = AppConfig().item("VERBOSITY");
    std::optional<double> n = ParseNumber(v);
    if (!n) throw VrxError(err::TypeMismatch, "Type mismatch");
    verbose_ = *n > 0;
}

bool TagnameXParser::ReadTAGNAMEXfile(const std::string& path) {
    // One read of the whole dictionary; the records are parsed from memory, which is far
    // faster than seeking record by record on a dictionary of thousands of tags.
    std::optional<std::string> all = fsys::ReadAll(path);
    if (!all || all->size() < kHeaderSize) return false;
    ParseRecords(std::string_view(*all).substr(kHeaderSize));
    position_ = 1;
    return true;
}

void TagnameXParser::ParseRecords(std::string_view records) {
    // A shorter piece at the end is not a record.
    for (size_t off = 0; off + kRecordSize <= records.size(); off += kRecordSize) {
        std::string_view rec = records.substr(off, kRecordSize);
        std::string name = Trim(BytesToString(rec.substr(kNameOffset, kNameSize)));
        if (name.empty()) continue;
        std::string desc = BytesToString(rec.substr(kDescOffset, kDescSize));
        const auto byte96 = static_cast<uint8_t>(rec[kByte96Offset]);
        const auto trend = static_cast<uint8_t>(rec[kTrendOffset]);
        const bool taken = IsValidTrendedByte(trend);
        if (taken) {
            names_.push_back(name);
            descriptions_.push_back(desc);
        }
        if (verbose_) {
            AppLog().WriteLog(std::string(taken ? "TAGNAMEXPARSER_ADDED : " : "TAGNAMEXPARSER_SKIPPED : ") +
                                  name + ", " + std::to_string(byte96) + ", Trend Byte: " + std::to_string(trend) +
                                  ", " + desc,
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

std::string TagnameXParser::BytesToString(std::string_view field) {
    return std::string(field.substr(0, field.find('\0')));
}

void ApplyValidTrendBytes(TagnameXParser& reader) {
    const std::string value = AppConfig().item("VALIDTRENDBYTES");
    if (value.empty()) return;
    for (const std::string& piece : Split(value, ':')) {
        if (!IsNumeric(piece)) throw VrxError(err::TypeMismatch, "Type mismatch");
        std::optional<int16_t> n = ToInt16(piece);
        if (!n) throw VrxError(err::Overflow, "Overflow");
        reader.AddValidTrendedByte(*n);
    }
}

}  // namespace hdq
