#pragma once
// The export cycle: one HistData request per hour of a range, the move of the finished CSV
// files to the output folder, and LAST_RUN moved forward in service runs.
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include "core/datetime.h"
#include "histdata/dde_form.h"

namespace hdq {

class ExportCycle {
public:
    explicit ExportCycle(DdeForm& form) : form_(form) {}

    // RangeStart holds a date-time, or the text of LAST_RUN, converted when the cycle starts.
    std::variant<DateTime, std::string> RangeStart;
    DateTime RangeEnd;
    bool ServiceRunning = false;

    bool ProcessHistFiles();
    std::unique_ptr<TagTable> FilterTagHash();

    // True while ProcessHistFiles runs (its waits pump messages, so handlers can re-enter).
    bool Running() const { return running_; }
    // Called before each hour with the hour and how many hours remain (progress display).
    std::function<void(const DateTime& hour, long remaining)> OnProgress;
    std::function<void()> OnFinished;  // the mouse pointer goes back to the arrow

private:
    DdeForm& form_;
    std::unique_ptr<TagTable> filter_;
    bool running_ = false;
};

}  // namespace hdq
