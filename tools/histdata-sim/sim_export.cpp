#include "sim_export.h"

#include <cctype>
#include <cstdio>
#include <set>

namespace histsim {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(yoe + era * 400 + (*month <= 2));
}

int DaysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Splits "a<sep>b<sep>c" into exactly three numbers of one or two (or, for the last, up to
// four) digits.
bool ThreeNumbers(const std::string& text, char sep, int lastDigits, int out[3]) {
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        const int maxDigits = i == 2 ? lastDigits : 2;
        int value = 0, digits = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && digits < maxDigits) {
            value = value * 10 + (text[pos++] - '0');
            ++digits;
        }
        if (digits == 0) return false;
        out[i] = value;
        if (i < 2) {
            if (pos >= text.size() || text[pos] != sep) return false;
            ++pos;
        }
    }
    return pos == text.size();
}

uint64_t Fnv1a(const std::string& s) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : s) {
        h ^= static_cast<unsigned char>(std::toupper(c));
        h *= 1099511628211ULL;
    }
    return h;
}

}  // namespace

bool ParseSpan(const std::string& text, int64_t* seconds, std::string* error) {
    const std::string t = TrimBlanks(text);
    size_t pos = 0;
    double whole = 0;
    bool digits = false;
    while (pos < t.size() && std::isdigit(static_cast<unsigned char>(t[pos]))) {
        whole = whole * 10 + (t[pos++] - '0');
        digits = true;
    }
    if (pos < t.size() && t[pos] == '.') {
        ++pos;
        double scale = 0.1;
        while (pos < t.size() && std::isdigit(static_cast<unsigned char>(t[pos]))) {
            whole += (t[pos++] - '0') * scale;
            scale /= 10;
            digits = true;
        }
    }
    int64_t unit = 0;
    if (digits && pos + 1 == t.size()) {
        switch (std::tolower(static_cast<unsigned char>(t[pos]))) {
            case 'w': unit = 7 * 24 * 3600; break;
            case 'd': unit = 24 * 3600; break;
            case 'h': unit = 3600; break;
            case 'm': unit = 60; break;
            case 's': unit = 1; break;
            default: break;
        }
    }
    if (unit == 0) {
        *error = "Invalid time span '" + text + "' (use a number and one of w, d, h, m, s)";
        return false;
    }
    const double total = whole * static_cast<double>(unit);
    if (total > static_cast<double>(kSixWeeksSeconds)) {
        *error = "Time span '" + text + "' is longer than six weeks";
        return false;
    }
    *seconds = static_cast<int64_t>(total + 0.5);
    return true;
}

bool ParseStart(const std::string& date, const std::string& time, int64_t* seconds, std::string* error) {
    int d[3], t[3];
    if (!ThreeNumbers(TrimBlanks(date), '/', 4, d) || d[2] < 1000 || d[0] < 1 || d[0] > 12 || d[1] < 1 ||
        d[1] > DaysIn(d[2], d[0])) {
        *error = "Invalid STARTDATE '" + date + "' (expected mm/dd/yyyy)";
        return false;
    }
    if (!ThreeNumbers(TrimBlanks(time), ':', 2, t) || t[0] > 23 || t[1] > 59 || t[2] > 59) {
        *error = "Invalid STARTTIME '" + time + "' (expected hh:mm:ss)";
        return false;
    }
    *seconds = DaysFromCivil(d[2], static_cast<unsigned>(d[0]), static_cast<unsigned>(d[1])) * 86400 +
               t[0] * 3600 + t[1] * 60 + t[2];
    return true;
}

std::string FormatStamp(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int y, m, d;
    CivilFromDays(days, &y, &m, &d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d,%02d:%02d:%02d", m, d, y, static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return buf;
}

std::vector<std::string> RequestedTags(const std::map<int, std::string>& tagItems) {
    std::string joined;
    for (const auto& [index, text] : tagItems) {
        std::string part = TrimBlanks(text);
        if (part.size() >= 2 && part.compare(part.size() - 2, 2, ",+") == 0) part.resize(part.size() - 2);
        if (!joined.empty()) joined += ',';
        joined += part;
    }
    const std::string lead = "$DATE,$TIME,";
    if (Upper(joined.substr(0, lead.size())) == lead) joined.erase(0, lead.size());
    std::vector<std::string> tags;
    size_t start = 0;
    while (start <= joined.size()) {
        const size_t comma = joined.find(',', start);
        const size_t end = comma == std::string::npos ? joined.size() : comma;
        std::string tag = TrimBlanks(joined.substr(start, end - start));
        if (!tag.empty()) tags.push_back(tag);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return tags;
}

bool ReadDictionary(const std::string& path, std::vector<std::string>* names) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string bytes;
    char buf[8192];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    names->clear();
    for (size_t offset = 512; offset + 512 <= bytes.size(); offset += 512) {
        std::string name = bytes.substr(offset, 33);
        const auto nul = name.find('\0');
        if (nul != std::string::npos) name.resize(nul);
        name = TrimBlanks(name);
        if (!name.empty()) names->push_back(name);
    }
    return true;
}

std::string ValueOf(const std::string& tag, int64_t seconds) {
    const uint64_t h = Fnv1a(tag);
    const int64_t minute = seconds / 60;
    const int64_t tenths = static_cast<int64_t>(h % 9000) + 1000 +
                           (static_cast<int64_t>((h >> 20) % 200) + minute * 37 + seconds % 60) % 200;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

bool BuildCsv(const WriteOrder& order, FileShape shape, std::string* csv, std::string* error) {
    int64_t duration = 0, interval = 0, start = 0;
    std::string why;
    if (!ParseSpan(order.duration, &duration, &why)) {
        *error = "DURATION: " + why;
        return false;
    }
    if (!ParseSpan(order.interval, &interval, &why)) {
        *error = "INTERVAL: " + why;
        return false;
    }
    if (interval <= 0) {
        *error = "INTERVAL must be longer than zero";
        return false;
    }
    if (!ParseStart(order.startDate, order.startTime, &start, error)) return false;
    if (TrimBlanks(order.fileName).empty()) {
        *error = "No FILENAME given";
        return false;
    }
    const std::vector<std::string> tags = RequestedTags(order.tags);
    if (tags.empty()) {
        *error = "No tags requested";
        return false;
    }
    std::string dir = order.dbDir;
    while (!dir.empty() && dir.back() == '\\') dir.pop_back();
    const std::string dictionary = dir.empty() ? "tagname.x" : dir + "\\tagname.x";
    std::vector<std::string> known;
    if (!ReadDictionary(dictionary, &known)) {
        *error = "Unable to read tag dictionary " + dictionary;
        return false;
    }
    std::set<std::string> knownUpper;
    for (const auto& k : known) knownUpper.insert(Upper(k));
    for (const auto& tag : tags) {
        if (!knownUpper.count(Upper(tag))) {
            *error = "Tag " + tag + " not found in dictionary";
            return false;
        }
    }

    std::string header = "$Date,$Time";
    for (const auto& tag : tags) {
        header += ',';
        header += tag;
    }
    std::string lines;
    for (int64_t t = start; t <= start + duration; t += interval) {
        std::string line = FormatStamp(t);
        for (const auto& tag : tags) {
            line += ',';
            line += ValueOf(tag, t);
        }
        lines += line + "\r\n";
        if (shape == FileShape::OneLine) break;
    }
    csv->clear();
    if (shape != FileShape::NoHeader) *csv += header + "\r\n";
    if (shape != FileShape::HeaderOnly) *csv += lines;
    return true;
}

}  // namespace histsim
