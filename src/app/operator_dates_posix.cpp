// Natively there is no user locale: the fixed forms the parser knows.
#include "app/operator_dates.h"

namespace hdq {
namespace {

class FixedDates : public OperatorDates {
public:
    std::optional<DateTime> Read(const std::string& text) const override { return ParseDateTime(text); }
    std::string Show(const DateTime& d) const override { return FormatPattern(d, "yyyy-mm-dd hh:nn"); }
    std::string Form() const override { return "yyyy-mm-dd hh:mm"; }
};

}  // namespace

std::unique_ptr<OperatorDates> UserOperatorDates() { return std::make_unique<FixedDates>(); }
std::unique_ptr<OperatorDates> OperatorDatesFor(uint32_t) { return std::make_unique<FixedDates>(); }

}  // namespace hdq
