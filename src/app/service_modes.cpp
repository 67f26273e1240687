#include "app/service_modes.h"

#include "app/globals.h"
#include "app/running_copy.h"
#include "app/shared.h"
#include "core/clock.h"
#include "core/files.h"
#include "core/input_checks.h"
#include "core/text.h"

namespace hdq {
namespace {
constexpr ServiceModeRow kRows[] = {
    {true, "PAUSE", "RUNNING", true, TrayPicture::Flash1, "Running Service Mode", true},
    {false, "RUN", "PAUSED", false, TrayPicture::Flash3, "Service Paused", false},
    {false, "RUN", "MANUAL MODE", false, TrayPicture::Flash2, "Service Paused - Running Manual Mode", true},
};
}  // namespace

const ServiceModeRow* ServiceModeRowFor(ServiceMode mode) {
    const int n = static_cast<int>(mode);
    if (n < 1 || n > 3) return nullptr;
    return &kRows[n - 1];
}

bool IsServiceMinute(const DateTime& now, const std::string& minutesAfterHour) {
    return std::to_string(now.minute) == minutesAfterHour;
}

std::string ProgressText(const DateTime& hour, long remaining) {
    return "Exporting " + FormatPattern(hour, "yyyy-mm-dd hh:nn") + " (" + std::to_string(remaining) + " left)";
}

std::string ExportStatusText(const std::optional<DateTime>& lastExported, const std::string& lastRun,
                             const std::optional<DateTime>& pausedSince, const std::string& trouble) {
    // What needs someone's attention comes first: the tray tip shows only the start.
    std::string text = trouble.empty() ? "" : trouble + "; ";
    if (pausedSince) {
        text += "Paused since " + FormatPattern(*pausedSince, "yyyy-mm-dd hh:nn");
    } else if (lastExported) {
        text += "Last hour exported " + FormatPattern(*lastExported, "yyyy-mm-dd hh:nn");
    } else if (auto next = ParseDateTime(lastRun)) {
        text += "Next hour to export " + FormatPattern(TruncateToHour(*next), "yyyy-mm-dd hh:nn");
    } else {
        text += "No hour exported yet";
    }
    return text;
}

ServiceController::ServiceController(ExportCycle& cycle, ServiceView& view, EventSink& events)
    : cycle_(cycle), view_(view), watch_(events) {
    cycle_.OnProgress = [this](const DateTime& hour, long remaining) {
        view_.SetProgressPanel(ProgressText(hour, remaining));
    };
    cycle_.OnHourStep = [this](HourStep step, const DateTime&) {
        if (step == HourStep::Saved) RefreshStatus();
    };
    cycle_.OnFinished = [this] { view_.SetBusy(false); };
    // The last hour that held data survives a restart in the status file: after a clock that
    // ran ahead, the service goes back to the hour after it.
    if (auto status = fsys::ReadAll(StatusFile())) {
        if (auto hour = ParseDateTime(StatusFileValue(*status, "LastHourExported"))) {
            cycle_.SetLastExported(TruncateToHour(*hour));
        }
    }
}

std::string ServiceController::EmptyKey() const {
    for (const char* key : {"DDE_LINKTOPIC", "DDE_LGH_FOLDER", "DDE_TAGNAME_FILE", "DDE_HISTDATA_FOLDER", "OUTPUT_FOLDER"}) {
        if (Trim(AppConfig().item(key)).empty()) return key;
    }
    return "";
}

std::string ServiceController::Unreachable() const {
    VRXConfiguration& config = AppConfig();
    if (!DirectoryExists(config.item("DDE_LGH_FOLDER"))) return "the LGH folder " + config.item("DDE_LGH_FOLDER");
    if (!FileExists(config.item("DDE_TAGNAME_FILE"))) return "the tag file " + config.item("DDE_TAGNAME_FILE");
    // HistData is started from this folder: one of another computer is refused, reachable or not.
    if (const std::string problem = LocalFolderProblem(config.item("DDE_HISTDATA_FOLDER")); !problem.empty()) {
        return "the HistData folder (DDE_HISTDATA_FOLDER " + problem + ")";
    }
    if (!DirectoryExists(config.item("DDE_HISTDATA_FOLDER"))) {
        return "the HistData folder " + config.item("DDE_HISTDATA_FOLDER");
    }
    // The one folder the service writes.
    if (!ValidatePath(config.item("OUTPUT_FOLDER"))) return "the output folder " + config.item("OUTPUT_FOLDER");
    return "";
}

std::string ServiceController::NotConfiguredLine() const {
    const std::string line = std::string(kNotConfiguredLine) + ": ";
    if (const std::string key = EmptyKey(); !key.empty()) return line + key + " is empty";
    if (const std::string missing = Unreachable(); !missing.empty()) return line + "cannot reach " + missing;
    return "";
}

StartOutcome ServiceController::Start() {
    // A HistData folder that may never be used is no folder to wait for: the operator must
    // change it.
    const std::string emptyKey = EmptyKey();
    const std::string histData = emptyKey.empty() ? LocalFolderProblem(AppConfig().item("DDE_HISTDATA_FOLDER")) : "";
    if (!histData.empty()) LogActivity("Error: DDE_HISTDATA_FOLDER " + histData, 0);
    if (!emptyKey.empty() || !histData.empty()) {
        SetServiceMode(ServiceMode::Paused);
        LogActivity("Setup Configuration to establish service", 0);
        view_.AskForSettings();
        return StartOutcome::AskOperator;
    }
    // What a kill left half done: unchecked files in the cache, a cut copy in the output folder.
    DeleteUncheckedCsvFiles();
    // A kill between a file's final rename and its journal line: the file is the proof.
    cycle_.Journal().Reconcile(OutputFolder());
    const std::string missing = Unreachable();
    if (missing.empty()) {
        SetServiceMode(ServiceMode::Running);
        return StartOutcome::Running;
    }
    // Every key is set: after a boot a share or drive often comes a little after the program.
    SetServiceMode(ServiceMode::Paused);
    waitingSince_ = AppClock().Now();
    LogActivity("Waiting for " + missing + " to become reachable; the service starts as soon as it is", 0);
    return StartOutcome::Waiting;
}

void ServiceController::OnWatchTick() {
    const DateTime now = AppClock().Now();
    if (waitingSince_) {
        if (IsConfigured()) {
            LogActivity("Everything configured is reachable now", 0);
            cycle_.Journal().Reconcile(OutputFolder());
            // Even over the settings form opened below: the operator's form stays as it is.
            SetServiceMode(ServiceMode::Running);
            // The service timer's first tick is a minute away: this may be the minute itself.
            OnTimerTick();
        } else if (!askedWhileWaiting_ && now >= waitingSince_->AddMinutes(kStartWaitMinutes)) {
            // A file server may come back after any time: the check goes on every minute.
            askedWhileWaiting_ = true;
            const std::string missing = Unreachable();
            LogActivity("Still not reachable after " + std::to_string(kStartWaitMinutes) + " minutes: " + missing, 0);
            LogActivity("Setup Configuration to establish service", 0);
            // From now on a trouble: the tray shows it until the folder comes.
            unreachable_ = missing;
            RefreshStatus();
            view_.AskForSettings();
        }
        return;
    }
    RemindIfPaused(now);
}

void ServiceController::RemindIfPaused(const DateTime& now) {
    if (!pausedSince_ || now < pausedSince_->AddMinutes(60) || now < nextReminder_) return;
    const std::string text = "Hourly export is paused since " + FormatGeneral(*pausedSince_);
    LogActivity(text, 0);
    // Told once a pause, in the first hour with no other balloon.
    if (!balloonShown_ && watch_.TakeBalloon(now)) {
        view_.ShowBalloon(text);
        balloonShown_ = true;
    }
    nextReminder_ = now.AddMinutes(60);
    RefreshStatus();
}

bool ServiceController::BeginManualRun() {
    if (RefuseWhileRunning()) return false;
    SetServiceMode(ServiceMode::Paused);
    return true;
}

bool ServiceController::SetServiceMode(ServiceMode mode) {
    const ServiceModeRow* row = ServiceModeRowFor(mode);
    if (!row) return false;
    if (row->needsConfiguration) {
        if (const std::string line = NotConfiguredLine(); !line.empty()) {
            // Straight to the list: the operator must see it whatever the verbosity.
            if (ActivityList* list = GetActivityList()) list->Append(line);
            AppLog().WriteLog(line, 0);
            return false;
        }
    }
    view_.SetTimerEnabled(row->timerEnabled);
    view_.SetPauseCaption(row->pauseCaption);
    view_.SetModePanel(row->panelText);
    serviceRunning_ = row->serviceRunning;
    mode_ = mode;
    if (serviceRunning_) {
        waitingSince_.reset();
        askedWhileWaiting_ = false;
        unreachable_.clear();
        pausedSince_.reset();
        balloonShown_ = false;
    } else if (!pausedSince_) {
        pausedSince_ = AppClock().Now();
        nextReminder_ = kZeroDate;
    }
    view_.SetTrayPicture(row->picture);
    LogActivity(row->activityLine, 0);
    // Monitoring reads the mode from the status file: a pause or a resume must reach it now,
    // not with the next hour's export.
    RefreshStatus();
    return true;
}

bool ServiceController::RefuseWhileRunning() {
    if (!cycle_.Running()) return false;
    LogActivity(kAlreadyRunningLine, 0);
    return true;
}

ServiceHealth ServiceController::Health() const {
    ServiceHealth health;
    const auto& waiting = cycle_.Retries().Entries();
    health.waiting = waiting.size();
    if (!waiting.empty()) health.oldestWaiting = waiting.front().hour;
    health.cycleTrouble = cycle_.Trouble();
    health.unreachable = unreachable_;
    // The cycle's own test for a clock that ran ahead, seen before the next cycle meets it.
    const auto lastRun = ParseDateTime(AppConfig().item("LAST_RUN"));
    if (lastRun && AppClock().Now().AddMinutes(60) < *lastRun) health.lastRunAhead = lastRun;
    return health;
}

void ServiceController::RefreshStatus() {
    const DateTime now = AppClock().Now();
    const bool offLong = pausedSince_ && now >= pausedSince_->AddMinutes(60);
    const ServiceHealth health = Health();
    const std::string trouble = TroubleText(health);
    // The waiting hours are part of the trouble's text.
    const std::string text = ExportStatusText(cycle_.LastExported(), AppConfig().item("LAST_RUN"),
                                              offLong ? pausedSince_ : std::nullopt, trouble);
    view_.SetExportStatus(text, TrayTip(fsys::ExeName(), health, text));
    if (auto balloon = watch_.Update(health, cycle_.LastExported(), now)) view_.ShowBalloon(*balloon);
    view_.SetTrayWarning(watch_.Troubled());
    WriteStatusFile(text, trouble);
}

void ServiceController::WriteStatusFile(const std::string& text, const std::string& trouble) const {
    // Read by plant monitoring (IT's file watchers): plain KEY=value lines, replaced whole.
    const auto& waiting = cycle_.Retries().Entries();
    const ServiceModeRow* row = ServiceModeRowFor(mode_);
    std::string content = "Status=" + text + "\r\nUpdated=" + FormatPattern(AppClock().Now(), "yyyy-mm-dd hh:nn:ss") +
                          "\r\nLastHourExported=" +
                          (cycle_.LastExported() ? FormatPattern(*cycle_.LastExported(), "yyyy-mm-dd hh:nn:ss") : "") +
                          "\r\nNextHour=" + AppConfig().item("LAST_RUN") +
                          "\r\nHoursWaitingForRetry=" + std::to_string(waiting.size()) + "\r\nOldestWaitingHour=" +
                          (waiting.empty() ? "" : FormatPattern(waiting.front().hour, "yyyy-mm-dd hh:nn:ss")) +
                          "\r\nServiceMode=" + (row ? row->panelText : "") + "\r\nTrouble=" + trouble +
                          "\r\nLastError=" + AppLog().LastErrorLine() + "\r\n" + ThisProcessStatusLines();
    if (!fsys::WriteAtomic(StatusFile(), content)) AppLog().WriteLog("Error: Unable to write " + StatusFile(), 1);
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

ExportCode ServiceController::ExportRefusal(std::string* reason) const {
    if (cycle_.Running()) {
        *reason = "an export is already running";
        return kExportBusy;
    }
    *reason = NotConfiguredLine();
    return reason->empty() ? kExportAccepted : kExportNotConfigured;
}

bool ServiceController::RunRequestedExport(const DateTime& from, const DateTime& to) {
    LogActivity("Export of " + FormatGeneral(from) + " to " + FormatGeneral(to) + " asked for on the command line", 0);
    // Nobody stands at the HMI to press Run afterwards: a copy whose service was running takes
    // it up again, or a backfill would stop the hourly exports until someone came by.
    const bool serviceWasRunning = serviceRunning_;
    if (!BeginManualRun()) return false;
    const bool ok = RunManually(from, to);
    if (serviceWasRunning) SetServiceMode(ServiceMode::Running);
    return ok;
}

void ServiceController::StopManualRun() {
    if (!manualRunning_ || !cycle_.Running()) return;
    LogActivity("Stop pressed: the manual export ends after the hour under way", 0);
    cycle_.RequestStop();
}

bool ServiceController::RunManually(const DateTime& start, const DateTime& end) {
    if (RefuseWhileRunning()) return false;
    view_.SetBusy(true);
    manualRunning_ = true;
    view_.SetManualCaption("&Stop");
    struct ArrowAgain {
        ServiceController& service;
        ~ArrowAgain() {
            service.manualRunning_ = false;
            service.view_.SetManualCaption("&Manual Run");
            service.view_.SetBusy(false);
        }
    } arrow{*this};
    // When the configuration is incomplete this only adds the error line; the run goes on.
    SetServiceMode(ServiceMode::Manual);
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
    if (const std::vector<DateTime>& failed = cycle_.FailedHours(); !failed.empty()) {
        // A run that lost hours is no success; they wait on the retry list like the service's.
        ok = false;
        std::string which;
        constexpr size_t kNamed = 10;
        for (size_t i = 0; i < failed.size() && i < kNamed; ++i) which += (i ? ", " : "") + FormatGeneral(failed[i]);
        if (failed.size() > kNamed) which += ", ...";
        LogActivity(std::to_string(failed.size()) + " of " + std::to_string(cycle_.HoursAsked()) +
                        " hour(s) failed and wait for retry: " + which,
                    0);
    }
    LogActivity(std::string("Complete Manual process HistData files, status: ") + (ok ? "True" : "False"), 1);
    return ok;
}

}  // namespace hdq
