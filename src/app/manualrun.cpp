#include "app/manualrun.h"

#include "app/globals.h"
#include "core/clock.h"
#include "core/text.h"

namespace hdq {

namespace {
// The cycle asks for every hour from the start's hour up to, not including, the end's.
long HoursBetween(const DateTime& start, const DateTime& end) {
    const int64_t span = TruncateToHour(end).ToSeconds() - TruncateToHour(start).ToSeconds();
    return span > 0 ? static_cast<long>(span / 3600) : 0;
}
}  // namespace

void CommonManualRun::Load() {
    DateTime now = AppClock().Now();
    endText_ = dates_.Show(TruncateToHour(now));
    startText_ = dates_.Show(now.Date().AddDays(-1));
}

std::string CommonManualRun::RangeText(const std::string& startText, const std::string& endText) const {
    const auto start = dates_.Read(startText);
    const auto end = dates_.Read(endText);
    if (!start || !end) return std::string(start ? "The end" : "The start") + " is not a date in the form shown";
    const long hours = HoursBetween(*start, *end);
    if (hours == 0) return "No hour to export: the start is not before the end";
    return std::to_string(hours) + (hours == 1 ? " hour" : " hours") + " to export" +
           (hours > 24 ? " (" + FormatGrouped(hours / 24.0, 1) + " days)" : "");
}

long CommonManualRun::Hours() const { return start_ && end_ ? HoursBetween(*start_, *end_) : 0; }

void CommonManualRun::Run(const std::string& startText, const std::string& endText) {
    startText_ = startText;
    endText_ = endText;
    // The end is read first: a bad start falls back to the day before the end that was used.
    if (auto end = dates_.Read(endText)) {
        end_ = *end;
    } else {
        end_ = AppClock().Now().Date();
        LogActivity("Invalid End Date, using: " + FormatGeneral(*end_), 0);
    }
    if (auto start = dates_.Read(startText)) {
        start_ = *start;
    } else {
        start_ = end_->Date().AddDays(-1);
        LogActivity("Invalid Start Date, using " + FormatGeneral(*start_), 0);
    }
    result_ = kRun;
    LogActivity("Start: " + FormatGeneral(*start_) + ", End: " + FormatGeneral(*end_), 2);
}

void CommonManualRun::Close() {
    start_.reset();
    end_.reset();
    result_ = kClose;
}

}  // namespace hdq
