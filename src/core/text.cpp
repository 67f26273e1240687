#include "core/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/error.h"

namespace hdq {
namespace {

char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBy(std::string_view s, bool (*strip)(char)) {
    size_t b = 0, e = s.size();
    while (b < e && strip(s[b])) ++b;
    while (e > b && strip(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Checks the shape of a number and, when it is one, gives its digits in the form strtod
// reads in the "C" locale: thousands separators and blanks removed.
std::optional<std::string> NumberText(std::string_view s) {
    s = TrimBy(s, IsBlank);
    std::string out;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
    bool digits = false;
    // Integer part; a separator only counts between digits ("1,234", not ",5" or "1,").
    while (i < s.size()) {
        if (IsDigit(s[i])) {
            out += s[i++];
            digits = true;
        } else if (s[i] == ',' && digits && i + 1 < s.size() && IsDigit(s[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == '.') {
        out += s[i++];
        while (i < s.size() && IsDigit(s[i])) {
            out += s[i++];
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
        bool expDigits = false;
        while (i < s.size() && IsDigit(s[i])) {
            out += s[i++];
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return out;
}

// Half-way cases go to the even neighbour, as the configuration's integer conversions do.
double RoundEven(double v) {
    const double floor = std::floor(v);
    const double diff = v - floor;
    if (diff > 0.5) return floor + 1;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

}  // namespace

std::string Trim(std::string_view s) {
    return std::string(TrimBy(s, [](char c) { return c == ' '; }));
}

std::string TrimWhite(std::string_view s) {
    return std::string(TrimBy(s, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }));
}

std::string ToUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = UpperChar(c);
    return r;
}

std::string ToLower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = LowerChar(c);
    return r;
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    }
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::vector<std::string> Split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    if (s.empty()) return parts;
    size_t start = 0;
    for (;;) {
        size_t pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    // Windows reads "*.*" as "any name", extension or not.
    if (pattern == "*.*") pattern = "*";
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || UpperChar(pattern[p]) == UpperChar(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            // Let the last star swallow one more character and try again from there.
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool IsNumeric(std::string_view s) { return ParseNumber(s).has_value(); }

std::optional<double> ParseNumber(std::string_view s) {
    auto text = NumberText(s);
    if (!text) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text->c_str(), &end);
    // "1e999" has the shape of a number but no value a double can hold.
    if (end != text->c_str() + text->size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int16_t> ToInt16(std::string_view s) {
    auto v = ParseNumber(s);
    if (!v) return std::nullopt;
    const double r = RoundEven(*v);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<int16_t>(r);
}

std::optional<int32_t> ToInt32(std::string_view s) {
    auto v = ParseNumber(s);
    if (!v) return std::nullopt;
    const double r = RoundEven(*v);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(r);
}

template <typename T>
static T OrRaise(std::string_view s, std::optional<T> (*convert)(std::string_view)) {
    if (!IsNumeric(s)) throw VrxError(err::TypeMismatch, "Type mismatch");
    std::optional<T> n = convert(s);
    if (!n) throw VrxError(err::Overflow, "Overflow");
    return *n;
}
int16_t ToInt16OrRaise(std::string_view s) { return OrRaise<int16_t>(s, &ToInt16); }
int32_t ToInt32OrRaise(std::string_view s) { return OrRaise<int32_t>(s, &ToInt32); }

int32_t RoundHalfEven(double v) {
    if (std::isnan(v)) return 0;
    const double r = RoundEven(v);
    // Saturate rather than overflow: the conversion of an out-of-range double is undefined.
    if (r <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    if (r >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

std::optional<bool> ParseBool(std::string_view s) {
    const std::string_view t = TrimBy(s, IsBlank);
    if (IEquals(t, "TRUE")) return true;
    if (IEquals(t, "FALSE")) return false;
    if (auto v = ParseNumber(t)) return *v != 0.0;
    return std::nullopt;
}

std::string FormatGrouped(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 15) decimals = 15;
    if (!std::isfinite(value)) value = 0.0;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string digits = buf;
    bool negative = false;
    if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    // A tiny negative number rounds to zero: show "0.00", not "-0.00".
    if (digits.find_first_not_of("0.") == std::string::npos) negative = false;
    const size_t point = digits.find('.');
    const std::string whole = digits.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : digits.substr(point);
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i != 0 && (whole.size() - i) % 3 == 0) grouped += ',';
        grouped += whole[i];
    }
    return (negative ? "-" : "") + grouped + fraction;
}

}  // namespace hdq
