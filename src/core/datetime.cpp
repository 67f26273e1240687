#include "core/datetime.h"

#include <cstdio>

namespace hdq {
namespace {

// Days from 0001-01-01 to the given date, proleptic Gregorian (after H. Hinnant's
// days-from-civil, shifted so that the year starts in March and leap days come last).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 306;  // day 0 is 0001-01-01
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 306;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    month = static_cast<int>(m);
    day = static_cast<int>(d);
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0 && ((a < 0) != (b < 0))) ? 1 : 0); }

std::string Pad(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A small cursor over the text being parsed.
class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {}
    bool AtEnd() const { return i_ == s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[i_]; }
    bool Take(char c) {
        if (Peek() != c) return false;
        ++i_;
        return true;
    }
    // Digits, between minDigits and maxDigits of them; the count read goes to *count.
    bool Number(int minDigits, int maxDigits, int& value, int* count = nullptr) {
        int n = 0;
        value = 0;
        while (!AtEnd() && IsDigit(s_[i_]) && n < maxDigits) {
            value = value * 10 + (s_[i_] - '0');
            ++i_;
            ++n;
        }
        if (count) *count = n;
        // More digits than allowed make the field malformed, not merely long.
        return n >= minDigits && !(n == maxDigits && !AtEnd() && IsDigit(s_[i_]));
    }
    int SkipSpaces() {
        int n = 0;
        while (Take(' ')) ++n;
        return n;
    }
    bool TakeWord(std::string_view w) {
        if (s_.size() - i_ < w.size()) return false;
        for (size_t k = 0; k < w.size(); ++k) {
            if (Lower(s_[i_ + k]) != Lower(w[k])) return false;
        }
        i_ += w.size();
        return true;
    }

private:
    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DateTime::ToSeconds() const {
    return DaysFromCivil(year, month, day) * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
}

DateTime DateTime::FromSeconds(int64_t seconds) {
    const int64_t days = FloorDiv(seconds, 86400);
    const int64_t rest = seconds - days * 86400;
    DateTime d;
    CivilFromDays(days, d.year, d.month, d.day);
    d.hour = static_cast<int>(rest / 3600);
    d.minute = static_cast<int>(rest / 60 % 60);
    d.second = static_cast<int>(rest % 60);
    return d;
}

bool DateTime::IsValid() const {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
           second >= 0 && second <= 59;
}

DateTime TruncateToHour(const DateTime& d) { return DateTime{d.year, d.month, d.day, d.hour, 0, 0}; }

std::string FormatShortDate(const DateTime& d) { return FormatPattern(d, "yyyy-mm-dd"); }

std::string FormatGeneral(const DateTime& d) {
    return d.IsMidnight() ? FormatShortDate(d) : FormatPattern(d, "yyyy-mm-dd hh:nn:ss");
}

std::string FormatPattern(const DateTime& d, std::string_view pattern) {
    std::string out;
    bool afterHour = false;  // "mm" right after an hour field means minutes
    size_t i = 0;
    auto at = [&](std::string_view field) {
        if (pattern.size() - i < field.size()) return false;
        for (size_t k = 0; k < field.size(); ++k) {
            if (Lower(pattern[i + k]) != field[k]) return false;
        }
        return true;
    };
    while (i < pattern.size()) {
        if (at("yyyy")) {
            out += Pad(d.year, 4);
            i += 4;
            afterHour = false;
        } else if (at("mm")) {
            out += Pad(afterHour ? d.minute : d.month, 2);
            i += 2;
            afterHour = false;
        } else if (at("nn")) {
            out += Pad(d.minute, 2);
            i += 2;
            afterHour = false;
        } else if (at("dd")) {
            out += Pad(d.day, 2);
            i += 2;
            afterHour = false;
        } else if (at("hh")) {
            out += Pad(d.hour, 2);
            i += 2;
            afterHour = true;
        } else if (at("ss")) {
            out += Pad(d.second, 2);
            i += 2;
            afterHour = false;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

std::optional<DateTime> ParseDateTime(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    Scanner s(text);

    // Date: either the year comes first (yyyy-mm-dd, yyyy/mm/dd) or last (MM-dd-yyyy, m/d/yyyy).
    int a = 0, b = 0, c = 0, aDigits = 0, cDigits = 0;
    if (!s.Number(1, 4, a, &aDigits)) return std::nullopt;
    const char sep = s.Peek();
    if (sep != '-' && sep != '/') return std::nullopt;
    s.Take(sep);
    if (!s.Number(1, 2, b) || !s.Take(sep) || !s.Number(1, 4, c, &cDigits)) return std::nullopt;
    DateTime d;
    bool yearFirst = false;
    if (aDigits == 4 && cDigits <= 2) {
        yearFirst = true;
        d.year = a;
        d.month = b;
        d.day = c;
    } else if (aDigits <= 2 && cDigits == 4) {
        d.month = a;
        d.day = b;
        d.year = c;
    } else {
        return std::nullopt;
    }
    const bool twelveHourAllowed = !yearFirst && sep == '/';

    if (!s.AtEnd()) {
        // Time, after blanks or (ISO form only) a "T".
        const bool tee = yearFirst && sep == '-' && (s.Take('T') || s.Take('t'));
        if (!tee && s.SkipSpaces() == 0) return std::nullopt;
        if (!s.Number(1, 2, d.hour) || !s.Take(':') || !s.Number(2, 2, d.minute)) return std::nullopt;
        if (s.Take(':') && !s.Number(2, 2, d.second)) return std::nullopt;
        if (twelveHourAllowed && !s.AtEnd()) {
            s.SkipSpaces();
            const bool am = s.TakeWord("AM");
            const bool pm = !am && s.TakeWord("PM");
            if (!am && !pm) return std::nullopt;
            if (d.hour < 1 || d.hour > 12) return std::nullopt;
            if (am && d.hour == 12) d.hour = 0;
            if (pm && d.hour != 12) d.hour += 12;
        }
        if (!s.AtEnd()) return std::nullopt;
    }
    if (!d.IsValid()) return std::nullopt;
    return d;
}

}  // namespace hdq
