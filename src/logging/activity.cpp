#include "logging/activity.h"

namespace hdq {

void ActivityLog::LogActivity(const std::string& text, int level) {
    if (list_ && log_.Verbosity() >= level) {
        // A list box slows down badly with many thousands of lines; the log keeps them all.
        if (list_->Count() >= kActivityListLimit) list_->Clear();
        list_->Append(text);
    }
    log_.WriteLog(text, level);
}

}  // namespace hdq
