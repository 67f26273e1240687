#pragma once
// Local date-time value (year to second) and its fixed, locale-independent text forms.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hdq {

struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend auto operator<=>(const DateTime&, const DateTime&) = default;

    // Seconds since 0001-01-01 00:00:00 (proleptic Gregorian); exact arithmetic.
    int64_t ToSeconds() const;
    static DateTime FromSeconds(int64_t seconds);

    DateTime AddSeconds(int64_t s) const { return FromSeconds(ToSeconds() + s); }
    DateTime AddMinutes(int64_t m) const { return AddSeconds(m * 60); }
    DateTime AddDays(int64_t d) const { return AddSeconds(d * 86400); }
    DateTime Date() const { return DateTime{year, month, day, 0, 0, 0}; }
    bool IsMidnight() const { return hour == 0 && minute == 0 && second == 0; }
    bool IsValid() const;
};

// The zero date: earlier than any real time.
inline constexpr DateTime kZeroDate{};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Start of the hour: minutes and seconds zero, same date and hour.
DateTime TruncateToHour(const DateTime& d);

// General date-time text: "yyyy-mm-dd hh:nn:ss", or "yyyy-mm-dd" alone at exactly midnight.
std::string FormatGeneral(const DateTime& d);
// Short date: "yyyy-mm-dd".
std::string FormatShortDate(const DateTime& d);
// Pattern formatting. Fields, letter case ignored: yyyy, mm (month, or minutes right after an
// hour field), nn (minutes), dd, hh, ss. Any other character is copied.
std::string FormatPattern(const DateTime& d, std::string_view pattern);

// Accepts: yyyy-mm-dd[( |T)hh:nn[:ss]], "MM-dd-yyyy HH:mm:ss", yyyy/mm/dd hh:nn[:ss],
// m/d/yyyy [h:nn[:ss]] [AM|PM]. Rejects everything else, impossible dates included.
std::optional<DateTime> ParseDateTime(std::string_view text);

}  // namespace hdq
