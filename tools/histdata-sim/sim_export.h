#pragma once
// What the stand-in makes of one write command: the time span, the tag list, the dictionary
// check and the CSV text. No Windows here, so it stays easy to reason about.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim_settings.h"

namespace histsim {

inline constexpr int64_t kSixWeeksSeconds = 6LL * 7 * 24 * 3600;

// "59m", "1h", "0.5m", "2d", "1w", "30s": a non-negative number with an optional fraction and
// one unit letter. Returns false with a reason for anything else or for more than six weeks.
bool ParseSpan(const std::string& text, int64_t* seconds, std::string* error);

// "mm/dd/yyyy" and "hh:mm:ss" (one or two digits per field) to seconds since 1970-01-01.
bool ParseStart(const std::string& date, const std::string& time, int64_t* seconds, std::string* error);
// "mm/dd/yyyy,hh:mm:ss" of seconds since 1970-01-01.
std::string FormatStamp(int64_t seconds);

// The TAGS items concatenated in order, the leading "$date,$time," and the ",+" marks taken
// away, split at commas. tagItems maps 0 (TAGS), 1 (TAGS1), ... to the poked texts.
std::vector<std::string> RequestedTags(const std::map<int, std::string>& tagItems);

// Names of tagname.x: 512-byte header, then 512-byte records whose name is bytes 0..32 up to
// the first NUL, blanks trimmed. False when the file cannot be read.
bool ReadDictionary(const std::string& path, std::vector<std::string>* names);

// A made-up but repeatable value of a tag at a moment.
std::string ValueOf(const std::string& tag, int64_t seconds);

struct WriteOrder {
    std::string dataDir, dbDir, duration, interval, startTime, startDate, fileName;
    std::map<int, std::string> tags;
};

// Checks the order and builds the file's text in the given shape (CR LF line ends). Returns
// false with the text that the ERROR item should answer.
bool BuildCsv(const WriteOrder& order, FileShape shape, std::string* csv, std::string* error);

}  // namespace histsim
