#include "app/operator_dates.h"

#include <cctype>

namespace hdq {

std::optional<DateTime> ParseIsoDateTime(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    // Four digits and a dash: no locale writes its short date so, so it is never ambiguous.
    const bool iso = text.size() >= 10 && text[4] == '-' &&
                     std::isdigit(static_cast<unsigned char>(text[0])) &&
                     std::isdigit(static_cast<unsigned char>(text[3]));
    return iso ? ParseDateTime(text) : std::nullopt;
}

}  // namespace hdq
