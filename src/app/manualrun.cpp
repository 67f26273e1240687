#include "app/manualrun.h"

#include "app/globals.h"
#include "core/clock.h"

namespace hdq {

void CommonManualRun::Load() {
    DateTime now = AppClock().Now();
    endText_ = FormatGeneral(TruncateToHour(now));
    startText_ = FormatGeneral(now.Date().AddDays(-1));
}

void CommonManualRun::Run(const std::string& startText, const std::string& endText) {
    startText_ = startText;
    endText_ = endText;
    // The end is read first: a bad start falls back to the day before the end that was used.
    if (auto end = ParseDateTime(endText)) {
        end_ = *end;
    } else {
        end_ = AppClock().Now().Date();
        LogActivity("Invalid End Date, using: " + FormatGeneral(*end_), 0);
    }
    if (auto start = ParseDateTime(startText)) {
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
