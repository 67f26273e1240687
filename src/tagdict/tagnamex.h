#pragma once
// TagnameXParser: the trended tags of InTouch's tagname.x dictionary, read once into memory
// and walked with a 1-based cursor. Every user makes a fresh reader (a second read appends).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_sink.h"

namespace hdq {

class TagnameXParser {
public:
    // verbosity is the VERBOSITY setting's text: above 0, every record read is logged to log;
    // a text that is not a number raises VrxError 13.
    explicit TagnameXParser(const std::string& verbosity = "0", LogSink* log = nullptr);

    // Appends the trended tags of the dictionary at path; false when the file cannot be read
    // or is shorter than its header (tags taken before the failure stay).
    bool ReadTAGNAMEXfile(const std::string& path);

    int32_t Count() const { return static_cast<int32_t>(names_.size()); }
    // The cursor is past the last tag. (Not named EOF: that is a macro of <cstdio>.)
    bool Eof() const { return position_ > Count(); }
    // Raise VrxError 9 "Subscript out of range" when Eof().
    const std::string& CurrentTAG() const;
    const std::string& CurrentDESCRIPTION() const;
    int32_t CurrentINDEX() const { return position_; }
    void MoveFirst() { position_ = 1; }
    void MoveNext() { ++position_; }
    // Accepts one more trend byte; values outside 0..255 are ignored.
    void AddValidTrendedByte(int16_t what);

    bool Verbose() const { return verbose_; }

private:
    bool IsValidTrendedByte(uint8_t b) const;
    static std::string BytesToString(std::string_view field);
    void ParseRecords(std::string_view records);

    bool verbose_ = false;
    LogSink* log_ = nullptr;
    int32_t position_ = 1;
    std::vector<std::string> names_;
    std::vector<std::string> descriptions_;
    std::vector<uint8_t> trendBytes_{1, 9, 17, 25};
};

// Adds the colon-separated bytes of a VALIDTRENDBYTES text to the reader. A piece that is not
// a number raises VrxError 13, one outside the 16-bit range VrxError 6; both reach the caller.
void ApplyValidTrendBytes(TagnameXParser& reader, const std::string& validTrendBytes);

}  // namespace hdq
