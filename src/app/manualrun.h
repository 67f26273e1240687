#pragma once
// CommonManualRun: the answer of the "Manual Run" dialog. The dialog (manualrun_win32.cpp)
// shows the default texts, hands the typed texts to Run or Close, and the main window reads
// the result and the two dates afterwards.
#include <cstdint>
#include <optional>
#include <string>
#include "core/datetime.h"

namespace hdq {

class CommonManualRun {
public:
    static constexpr int16_t kRun = 1;
    static constexpr int16_t kClose = 2;

    // Default texts: the start of yesterday, and the current hour.
    void Load();
    const std::string& StartText() const { return startText_; }
    const std::string& EndText() const { return endText_; }

    // Accepts the typed texts; an unreadable end becomes today 00:00, an unreadable start the
    // day before the end's date. No order between the two is required.
    void Run(const std::string& startText, const std::string& endText);
    // Close button and the window's close box alike.
    void Close();

    int16_t ManualRunResult() const { return result_; }
    // Meaningful only when ManualRunResult is kRun; the zero date otherwise.
    DateTime StartDate() const { return start_.value_or(kZeroDate); }
    DateTime EndDate() const { return end_.value_or(kZeroDate); }

private:
    std::string startText_, endText_;
    std::optional<DateTime> start_, end_;
    int16_t result_ = 0;
};

}  // namespace hdq
