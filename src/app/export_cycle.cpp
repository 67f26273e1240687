#include "app/export_cycle.h"

#include <new>
#include <string>

#include "app/globals.h"
#include "app/msgwait.h"
#include "app/shared.h"
#include "core/error.h"
#include "core/text.h"

namespace hdq {
namespace {

// Keeps Running() true for exactly the life of one cycle, whichever way it ends.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

DateTime CursorFrom(const std::variant<DateTime, std::string>& rangeStart) {
    if (const auto* date = std::get_if<DateTime>(&rangeStart)) return *date;
    auto parsed = ParseDateTime(std::get<std::string>(rangeStart));
    if (!parsed) throw VrxError(err::TypeMismatch, "Type mismatch");
    return *parsed;
}

// The step in minutes is the number of DDE_DURATION without its unit letter ("59m" gives 59).
// A step below one minute would never reach the end of the range, so it ends the cycle.
int32_t StepFrom(const std::string& duration) {
    if (duration.empty()) throw VrxError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    const std::string number = duration.substr(0, duration.size() - 1);
    if (!IsNumeric(number)) throw VrxError(err::TypeMismatch, "Type mismatch");
    auto step = ToInt32(number);
    if (!step) throw VrxError(err::Overflow, "Overflow");
    if (*step < 1) throw VrxError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    return *step;
}

bool SelectAllTags() {
    auto selectAll = ParseBool(AppConfig().item("SELECTALLTAGS"));
    if (!selectAll) throw VrxError(err::TypeMismatch, "Type mismatch");
    return *selectAll;
}

// Requests still to make, this one included: the loop runs while the cursor lies before the
// end hour, and the end hour starts on a whole hour.
long RequestsLeft(const DateTime& cursor, const DateTime& endHour, int32_t stepMinutes) {
    const int64_t span = endHour.ToSeconds() - cursor.ToSeconds();
    const int64_t step = int64_t{stepMinutes} * 60;
    return span <= 0 ? 0 : static_cast<long>((span + step - 1) / step);
}

void ReportError(long number, const std::string& description) {
    LogActivity("ERROR: ProcessHistFiles(" + std::to_string(number) + "): " + description, 0);
}

}  // namespace

bool ExportCycle::ProcessHistFiles() {
    // The DDE form serves one request at a time; a timer tick or a manual run arriving inside
    // this cycle's waits must not start a second cycle over the first.
    if (running_) {
        LogActivity("Export already running; request ignored", 0);
        return false;
    }
    RunningFlag running(running_);
    try {
        DateTime cursor = CursorFrom(RangeStart);
        const int32_t step = StepFrom(AppConfig().item("DDE_DURATION"));
        LogActivity("Processing Files Starting at: " + FormatGeneral(cursor), 0);

        form_.Load();
        AppLog().WriteLog("loaded DDE form", 2);

        if (!SelectAllTags()) {
            // Build the new table before dropping the old one the form may still point at.
            std::unique_ptr<TagTable> tags = FilterTagHash();
            form_.SetTagList(tags.get());
            filter_ = std::move(tags);
            AppLog().WriteLog("filtertag list loaded", 2);
        }

        if (!form_.Init()) {
            LogActivity("Unable to initialize connection with HistData thru DDE at this time", 0);
            return false;
        }

        bool movedLastRun = false;
        while (TruncateToHour(cursor) < TruncateToHour(RangeEnd)) {
            const DateTime hour = TruncateToHour(cursor);
            if (QuitRequested()) {
                // LAST_RUN already points at the end of the range; the hours from here on
                // were never asked for, so the next start must begin with them.
                LogActivity("Export stopped before " + FormatGeneral(hour) + ": the program is ending", 0);
                if (movedLastRun) {
                    AppConfig().setItem("LAST_RUN", FormatGeneral(hour));
                    AppConfig().SaveConfig();
                }
                form_.ClearMemory();
                return false;
            }
            if (OnProgress) OnProgress(hour, RequestsLeft(cursor, TruncateToHour(RangeEnd), step));
            LogActivity("Processing Data for " + FormatGeneral(hour), 1);
            form_.SetStartDate(cursor);
            form_.SetStartTime(cursor);
            if (form_.SendRequest()) {
                if (MoveCSVFiles("*.csv") && ServiceRunning) {
                    AppConfig().setItem("LAST_RUN", FormatGeneral(TruncateToHour(RangeEnd)));
                    AppConfig().SaveConfig();
                    movedLastRun = true;
                }
                LogActivity("Request submitted, files created", 1);
            } else {
                LogActivity("Unable to create file for: " + FormatGeneral(hour), 0);
            }
            cursor = cursor.AddMinutes(step);
        }

        form_.ClearMemory();
        LogActivity("Processing Files completed upto: " + FormatGeneral(TruncateToHour(RangeEnd)), 0);
        if (OnFinished) OnFinished();
        return true;
    } catch (const VrxError& e) {
        ReportError(e.Number(), e.Description());
    } catch (const std::bad_alloc&) {
        ReportError(7, "Out of memory");
    } catch (const std::exception& e) {
        ReportError(err::InvalidProcedureCall, e.what());
    } catch (...) {
        ReportError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    }
    return false;
}

std::unique_ptr<TagTable> ExportCycle::FilterTagHash() {
    VRXConfiguration& config = AppConfig();
    AppLog().WriteLog("Start FilterTagHash", 2);
    auto tags = std::make_unique<TagTable>();
    tags->SetSize(10240);
    const int32_t records = config.Count();
    AppLog().WriteLog("looking thru CONFIG for tags, records = " + std::to_string(records), 2);
    // The numbered keys run from 1 without gaps: the first missing number ends the list.
    for (int32_t i = 1; i <= records; ++i) {
        const std::string key = "TAGNAME_" + std::to_string(i);
        if (!config.ItemExists(key)) break;
        const std::string tag = config.item(key);
        tags->Add(tag, tag);
        AppLog().WriteLog("Added tag: " + tag, 2);
    }
    AppLog().WriteLog("End FilterTagHash", 2);
    return tags;
}

}  // namespace hdq
