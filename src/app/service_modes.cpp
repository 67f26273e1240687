#include "app/service_modes.h"

#include "app/globals.h"
#include "app/shared.h"
#include "core/clock.h"
#include "core/text.h"

namespace hdq {
namespace {
constexpr ServiceModeRow kRows[] = {
    {true, "PAUSE", "RUNNING", true, TrayPicture::Flash1, "Running Service Mode", true},
    {false, "RUN", "PAUSED", false, TrayPicture::Flash3, "Service Paused", false},
    {false, "RUN", "MANUAL MODE", false, TrayPicture::Flash2, "Service Paused - Running Manual Mode", true},
};
}  // namespace

const ServiceModeRow* ServiceModeRowFor(int mode) {
    if (mode < 1 || mode > 3) return nullptr;
    return &kRows[mode - 1];
}

bool IsServiceMinute(const DateTime& now, const std::string& minutesAfterHour) {
    return std::to_string(now.minute) == minutesAfterHour;
}

std::string ProgressText(const DateTime& hour, long remaining) {
    return "Exporting " + FormatPattern(hour, "yyyy-mm-dd hh:nn") + " (" + std::to_string(remaining) + " left)";
}

std::string ExportStatusText(const std::optional<DateTime>& lastExported, const std::string& lastRun,
                             std::size_t waiting) {
    std::string text;
    if (lastExported) {
        text = "Last hour exported " + FormatPattern(*lastExported, "yyyy-mm-dd hh:nn");
    } else if (auto next = ParseDateTime(lastRun)) {
        text = "Next hour to export " + FormatPattern(TruncateToHour(*next), "yyyy-mm-dd hh:nn");
    } else {
        text = "No hour exported yet";
    }
    // Short enough to follow the program's name in the tray tip's 63 characters.
    if (waiting > 0) text += "; " + std::to_string(waiting) + " to retry";
    return text;
}

ServiceController::ServiceController(ExportCycle& cycle, ServiceView& view) : cycle_(cycle), view_(view) {
    cycle_.OnProgress = [this](const DateTime& hour, long remaining) {
        view_.SetProgressPanel(ProgressText(hour, remaining));
    };
    cycle_.OnHourStep = [this](HourStep step, const DateTime&) {
        if (step == HourStep::Saved) RefreshStatus();
    };
    cycle_.OnFinished = [this] { view_.SetBusy(false); };
}

bool ServiceController::IsConfigured() const {
    VRXConfiguration& config = AppConfig();
    return !config.item("DDE_LINKTOPIC").empty() && ValidatePath(config.item("DDE_LGH_FOLDER")) &&
           FileExists(config.item("DDE_TAGNAME_FILE")) && ValidatePath(config.item("DDE_HISTDATA_FOLDER")) &&
           ValidatePath(config.item("OUTPUT_FOLDER"));
}

void ServiceController::SetServiceMode(int mode) {
    const ServiceModeRow* row = ServiceModeRowFor(mode);
    if (!row) return;
    if (row->needsConfiguration && !IsConfigured()) {
        // Straight to the list: the operator must see it whatever the verbosity; the path
        // checks have already logged the reason.
        if (ActivityList* list = GetActivityList()) list->Append(kNotConfiguredLine);
        return;
    }
    view_.SetTimerEnabled(row->timerEnabled);
    view_.SetPauseCaption(row->pauseCaption);
    view_.SetModePanel(row->panelText);
    serviceRunning_ = row->serviceRunning;
    view_.SetTrayPicture(row->picture);
    LogActivity(row->activityLine, 0);
}

bool ServiceController::RefuseWhileRunning() {
    if (!cycle_.Running()) return false;
    LogActivity(kAlreadyRunningLine, 0);
    return true;
}

void ServiceController::RefreshStatus() {
    view_.SetExportStatus(
        ExportStatusText(cycle_.LastExported(), AppConfig().item("LAST_RUN"), cycle_.Retries().Entries().size()));
}

bool ServiceController::Process() {
    bool ok = false;
    try {
        ok = cycle_.ProcessHistFiles();
    } catch (...) {
        view_.SetProgressPanel("");
        throw;
    }
    view_.SetProgressPanel("");
    RefreshStatus();
    return ok;
}

void ServiceController::OnTimerTick() {
    DateTime now = AppClock().Now();
    AppLog().WriteLog("Timer Fired: " + FormatGeneral(now), 2);
    if (!IsServiceMinute(now, AppConfig().item("MINUTES_AFTER_HOUR"))) return;
    // A cycle that outlasts the hour is still inside its waits: leave its range alone.
    if (RefuseWhileRunning()) return;
    std::string lastRun = AppConfig().item("LAST_RUN");
    cycle_.RangeEnd = TruncateToHour(now);
    cycle_.RangeStart = lastRun;
    cycle_.ServiceRunning = serviceRunning_;
    LogActivity("Timer Fired. About to Process Data Files Starting: " + lastRun, 1);
    Process();
}

bool ServiceController::RunManually(const DateTime& start, const DateTime& end) {
    if (RefuseWhileRunning()) return false;
    view_.SetBusy(true);
    struct ArrowAgain {
        ServiceView& view;
        ~ArrowAgain() { view.SetBusy(false); }
    } arrow{view_};
    // When the configuration is incomplete this only adds the error line; the run goes on.
    SetServiceMode(3);
    // Even when the switch was refused and the earlier mode stays, a manual range must never
    // move LAST_RUN.
    cycle_.ServiceRunning = false;
    cycle_.RangeStart = TruncateToHour(start);
    cycle_.RangeEnd = end;
    if (auto verbosity = ToInt16(AppConfig().item("VERBOSITY"))) {
        AppLog().SetVerbosity(*verbosity);
        AppLog().AssertVerbosity();
    }
    LogActivity("Begin Manual process HistData files", 1);
    bool ok = Process();
    LogActivity(std::string("Complete Manual process HistData files, status: ") + (ok ? "True" : "False"), 1);
    return ok;
}

}  // namespace hdq
