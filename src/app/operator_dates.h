#pragma once
// Dates as the operator reads and types them in the Manual Run dialog: in his own date and
// time format (a German "06.12.2026", a British "01/12/2026"), and always also ISO
// "2026-12-06 14:00". Files, logs and the INI keep their fixed forms.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/datetime.h"

namespace hdq {

class OperatorDates {
public:
    virtual ~OperatorDates() = default;
    // The typed text as a date-time; nullopt for a text that is no date here.
    virtual std::optional<DateTime> Read(const std::string& text) const = 0;
    // A date-time to fill a field with, in the form Read takes.
    virtual std::string Show(const DateTime& d) const = 0;
    // The form to show beside a field, e.g. "dd.MM.yyyy HH:mm".
    virtual std::string Form() const = 0;
};

// The signed-in user's own format (Windows); natively the fixed forms.
std::unique_ptr<OperatorDates> UserOperatorDates();
// A given Windows locale (LCID), for the tests of other countries' forms; natively the fixed
// forms whatever the id.
std::unique_ptr<OperatorDates> OperatorDatesFor(uint32_t localeId);

// "yyyy-mm-dd", "yyyy-mm-dd hh:nn" or "yyyy-mm-dd hh:nn:ss" (also with T), read the same in
// every locale.
std::optional<DateTime> ParseIsoDateTime(std::string_view text);

}  // namespace hdq
