#pragma once
// The hourly service behind the main window, kept free of window code: the three service
// modes, the configuration check, the minute test of the timer, the manual run and the guard
// that keeps a second export cycle from starting inside the waits of a running one.
#include <optional>
#include <string>
#include "app/export_cycle.h"
#include "app/export_request.h"
#include "app/service_health.h"
#include "core/datetime.h"
#include "platform/systray.h"

namespace hdq {

struct ServiceModeRow {
    bool timerEnabled;
    const char* pauseCaption;
    const char* panelText;
    bool serviceRunning;
    TrayPicture picture;
    const char* activityLine;
    bool needsConfiguration;  // refused with kNotConfiguredLine while IsConfigured is false
};
// The three modes of the hourly service; the numbers are those the mode switch has always
// taken, kept for the rows below.
enum class ServiceMode { Running = 1, Paused = 2, Manual = 3 };
// The row of a mode; nullptr for a value that is no mode.
const ServiceModeRow* ServiceModeRowFor(ServiceMode mode);

inline constexpr const char* kNotConfiguredLine = "Error: Please configure Settings and save before running";
inline constexpr const char* kAlreadyRunningLine = "Export already running; request ignored";

// The timer's minute test: the minute of now as decimal text without leading zeros must equal
// the stored text exactly (so "05" or " 5" never match).
bool IsServiceMinute(const DateTime& now, const std::string& minutesAfterHour);

// Second status panel while a cycle runs, e.g. "Exporting 2011-03-25 14:00 (3 left)".
std::string ProgressText(const DateTime& hour, long remaining);
// What the operator sees between cycles: the newest hour exported (or, before the first one,
// the next hour the service will ask for), e.g. "Last hour exported 2011-03-25 13:00".
// After the hourly service has been off for more than an hour: "Paused since 2011-03-25 14:05".
// A trouble (TroubleText) goes first: "HistData does not answer; Last hour ...".
std::string ExportStatusText(const std::optional<DateTime>& lastExported, const std::string& lastRun,
                             const std::optional<DateTime>& pausedSince = std::nullopt,
                             const std::string& trouble = "");

// How the program starts: the service runs; it waits for a folder or file that cannot be
// reached yet (a share not mapped after a boot); or it asks the operator for settings.
enum class StartOutcome { Running, Waiting, AskOperator };
inline constexpr int kStartWaitMinutes = 15;

// What the service needs of the main window.
class ServiceView {
public:
    virtual ~ServiceView() = default;
    virtual void SetTimerEnabled(bool on) = 0;
    virtual void SetPauseCaption(const std::string& text) = 0;
    virtual void SetModePanel(const std::string& text) = 0;
    virtual void SetProgressPanel(const std::string& text) = 0;
    virtual void SetTrayPicture(TrayPicture picture) = 0;
    virtual void SetBusy(bool busy) = 0;  // hourglass pointer
    // The Manual Run button: "Stop" while a manual run exports, "Manual Run" again after it.
    virtual void SetManualCaption(const std::string& text) = 0;
    // The status panel between cycles, and the tray icon's tip.
    virtual void SetExportStatus(const std::string& text, const std::string& tip) = 0;
    // The warning mark on the tray icon while hours are not reaching the importer.
    virtual void SetTrayWarning(bool on) = 0;
    // Opens the connection settings and shows the main window.
    virtual void AskForSettings() = 0;
    // A balloon on the tray icon, for what someone walking past must see.
    virtual void ShowBalloon(const std::string& text) = 0;
};

class ServiceController {
public:
    ServiceController(ExportCycle& cycle, ServiceView& view, EventSink& events);
    ServiceController(const ServiceController&) = delete;
    ServiceController& operator=(const ServiceController&) = delete;

    // Topic set, LGH folder usable, dictionary present, HistData and output folders usable;
    // stops at the first check that fails (each path check logs its own reason).
    bool IsConfigured() const { return EmptyKey().empty() && Unreachable().empty(); }
    // The first of the keys the service needs that is empty, "" when all are set.
    std::string EmptyKey() const;
    // What cannot be reached now, e.g. "the output folder \\srv\out", "" when all can. The
    // LGH and HistData folders are only read, so reading is all they must allow.
    std::string Unreachable() const;
    // The refusal of a mode that needs the configuration, naming what is wrong:
    // kNotConfiguredLine + ": DDE_LINKTOPIC is empty" or ": cannot reach the output folder X";
    // "" when the service can run.
    std::string NotConfiguredLine() const;
    // Start-up: see StartOutcome. The caller hides or shows the main window.
    StartOutcome Start();
    // Once a minute in every mode: the retry of a start that waits for its folders, and the
    // reminder of a service that has been off for more than an hour.
    void OnWatchTick();
    // Manual Run pressed: false (with the refusal line, the mode unchanged) while an export
    // runs; otherwise the service pauses for the dialog.
    bool BeginManualRun();
    // False (with the refusal line and its reason) when the mode needs a configuration that
    // is not complete; the mode then stays as it was.
    bool SetServiceMode(ServiceMode mode);
    bool ServiceRunning() const { return serviceRunning_; }
    // btnPause: pauses a running service, otherwise tries to resume it (false when refused).
    bool TogglePause() { return SetServiceMode(ServiceRunning() ? ServiceMode::Paused : ServiceMode::Running); }
    // tmrProcessFiles: at the configured minute, exports every whole hour since LAST_RUN.
    void OnTimerTick();
    // The export of a confirmed manual run dialog. False when the cycle failed, an hour of
    // it failed (those go onto the retry list), or it was refused because another cycle is
    // still running.
    bool RunManually(const DateTime& start, const DateTime& end);
    // A range from "/export": kExportAccepted, or the refusal's code with its reason (an export
    // runs already: nothing is queued; the settings are incomplete).
    ExportCode ExportRefusal(std::string* reason) const;
    // Runs an accepted "/export" range as a manual run; a service that was running runs again
    // afterwards.
    bool RunRequestedExport(const DateTime& from, const DateTime& to);
    // True while a manual run exports; StopManualRun ends it after the hour under way.
    bool ManualRunning() const { return manualRunning_; }
    void StopManualRun();
    // Shows ExportStatusText for the current state and writes the status file.
    void RefreshStatus();

private:
    // True (and the one refusal line written) while a cycle runs.
    bool RefuseWhileRunning();
    bool Process();

    ServiceHealth Health() const;
    void WriteStatusFile(const std::string& text, const std::string& trouble) const;
    void RemindIfPaused(const DateTime& now);

    ExportCycle& cycle_;
    ServiceView& view_;
    ServiceMode mode_ = ServiceMode::Paused;
    std::optional<DateTime> waitingSince_;  // a start waiting for its folders
    bool askedWhileWaiting_ = false;        // the settings were opened once while it waits
    std::string unreachable_;               // what the start has waited for too long
    TroubleWatch watch_;
    std::optional<DateTime> pausedSince_;   // the hourly service is off (paused or manual)
    DateTime nextReminder_{};
    bool balloonShown_ = false;
    // The mode's flag. The cycle gets its own copy when it starts, so a mode switched inside a
    // running cycle's waits cannot turn a manual range into a new LAST_RUN.
    bool serviceRunning_ = false;
    bool manualRunning_ = false;
};

}  // namespace hdq
