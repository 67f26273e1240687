#pragma once
// CommonManualRun: the answer of the "Manual Run" dialog. The dialog (manualrun_win32.cpp)
// shows the default texts, hands the typed texts to Run or Close, and the main window reads
// the result and the two dates afterwards. The fields hold dates in the operator's own form
// (operator_dates.h); the log lines keep the fixed one.
#include <cstdint>
#include <optional>
#include <string>
#include "app/operator_dates.h"
#include "core/datetime.h"

namespace hdq {

class CommonManualRun {
public:
    static constexpr int16_t kRun = 1;
    static constexpr int16_t kClose = 2;
    // A range of more hours than a week is confirmed first: a mistyped year would otherwise
    // keep HistData busy for days.
    static constexpr long kConfirmAbove = 7 * 24;

    explicit CommonManualRun(const OperatorDates& dates) : dates_(dates) {}

    // Default texts: the start of yesterday, and the current hour.
    void Load();
    // What the typed range covers, for the line under the fields, e.g. "24 hours to export".
    std::string RangeText(const std::string& startText, const std::string& endText) const;
    // The hours the accepted range asks HistData for.
    long Hours() const;
    // The form the fields take, e.g. "dd.MM.yyyy HH:mm".
    std::string Form() const { return dates_.Form(); }
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
    const OperatorDates& dates_;
    std::string startText_, endText_;
    std::optional<DateTime> start_, end_;
    int16_t result_ = 0;
};

}  // namespace hdq
