// The operator's dates read as Windows' own general date conversion reads them in his locale
// (VarDateFromStr), the conversion the program's date fields have always promised.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "app/operator_dates.h"

namespace hdq {
namespace {

std::string LocaleText(LCID lcid, LCTYPE type) {
    char value[128];
    const int n = GetLocaleInfoA(lcid, type, value, sizeof value);
    return n > 1 ? std::string(value, static_cast<size_t>(n - 1)) : std::string();
}

class LocaleDates : public OperatorDates {
public:
    explicit LocaleDates(LCID lcid) : lcid_(lcid) {}

    std::optional<DateTime> Read(const std::string& text) const override {
        if (auto iso = ParseIsoDateTime(text)) return iso;
        const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        if (n <= 1) return std::nullopt;
        std::wstring wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
        DATE date = 0;
        if (FAILED(VarDateFromStr(wide.data(), lcid_, 0, &date))) return std::nullopt;
        SYSTEMTIME st{};
        if (!VariantTimeToSystemTime(date, &st)) return std::nullopt;
        // A time alone reads as a day of 1899; no history is that old, so it is no date here.
        if (st.wYear < 1980) return std::nullopt;
        return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    }

    std::string Show(const DateTime& d) const override {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(d.year);
        st.wMonth = static_cast<WORD>(d.month);
        st.wDay = static_cast<WORD>(d.day);
        st.wHour = static_cast<WORD>(d.hour);
        st.wMinute = static_cast<WORD>(d.minute);
        char date[80], time[80];
        if (!GetDateFormatA(lcid_, DATE_SHORTDATE, &st, nullptr, date, sizeof date) ||
            !GetTimeFormatA(lcid_, TIME_NOSECONDS, &st, nullptr, time, sizeof time)) {
            return FormatPattern(d, "yyyy-mm-dd hh:nn");
        }
        return std::string(date) + " " + time;
    }

    std::string Form() const override {
        std::string time = LocaleText(lcid_, LOCALE_SSHORTTIME);
        if (time.empty()) {
            // The long form without its seconds and their separator ("HH:mm:ss" to "HH:mm").
            time = LocaleText(lcid_, LOCALE_STIMEFORMAT);
            if (const size_t ss = time.find("ss"); ss != std::string::npos && ss > 0) time.erase(ss - 1, 3);
        }
        return LocaleText(lcid_, LOCALE_SSHORTDATE) + " " + time;
    }

private:
    LCID lcid_;
};

}  // namespace

std::unique_ptr<OperatorDates> UserOperatorDates() { return std::make_unique<LocaleDates>(LOCALE_USER_DEFAULT); }
std::unique_ptr<OperatorDates> OperatorDatesFor(uint32_t localeId) {
    return std::make_unique<LocaleDates>(static_cast<LCID>(localeId));
}

}  // namespace hdq
