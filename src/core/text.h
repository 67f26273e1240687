#pragma once
// Small text helpers for the 8-bit strings that every outside format of this system uses.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hdq {

std::string Trim(std::string_view s);        // blanks (spaces) at both ends
std::string TrimWhite(std::string_view s);   // spaces, tabs, CR and LF at both ends
std::string ToUpper(std::string_view s);     // ASCII letters only
std::string ToLower(std::string_view s);
bool IEquals(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
// Every field between separators, empty ones included; empty text gives no fields.
std::vector<std::string> Split(std::string_view s, char sep);

// Windows file-name wildcard match (* and ?), without regard to letter case; "*.*" matches
// every name, with or without an extension.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// "Numeric" as the configuration uses it: optional blanks and sign, digits with an optional
// decimal point (and "," thousands groups), optional exponent.
bool IsNumeric(std::string_view s);
std::optional<double> ParseNumber(std::string_view s);
// Rounds half to even, then checks the 16-bit range; nullopt when not numeric or out of range.
std::optional<int16_t> ToInt16(std::string_view s);
std::optional<int32_t> ToInt32(std::string_view s);
// The same for a setting that must be a number: a text that is none raises VrxError 13 "Type
// mismatch", a number out of range VrxError 6 "Overflow".
int16_t ToInt16OrRaise(std::string_view s);
int32_t ToInt32OrRaise(std::string_view s);
int32_t RoundHalfEven(double v);
// "TRUE"/"FALSE" in any case, or a number (non-zero is true); nullopt otherwise.
std::optional<bool> ParseBool(std::string_view s);

// Thousands separators with a fixed number of decimals: 1234.5 -> "1,234.50".
std::string FormatGrouped(double value, int decimals);

}  // namespace hdq
