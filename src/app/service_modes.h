#pragma once
// The hourly service behind the main window, kept free of window code: the three service
// modes, the configuration check, the minute test of the timer, the manual run and the guard
// that keeps a second export cycle from starting inside the waits of a running one.
#include <cstddef>
#include <optional>
#include <string>
#include "app/export_cycle.h"
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
// Mode 1 running, 2 paused, 3 manual; nullptr for any other number.
const ServiceModeRow* ServiceModeRowFor(int mode);

inline constexpr const char* kNotConfiguredLine = "Error: Please configure Settings and save before running";
inline constexpr const char* kAlreadyRunningLine = "Export already running; request ignored";

// The timer's minute test: the minute of now as decimal text without leading zeros must equal
// the stored text exactly (so "05" or " 5" never match).
bool IsServiceMinute(const DateTime& now, const std::string& minutesAfterHour);

// Second status panel while a cycle runs, e.g. "Exporting 2011-03-25 14:00 (3 left)".
std::string ProgressText(const DateTime& hour, long remaining);
// What the operator sees between cycles: the newest hour exported (or, before the first one,
// the next hour the service will ask for) and how many hours wait for retry, e.g.
// "Last hour exported 2011-03-25 13:00; 2 to retry".
std::string ExportStatusText(const std::optional<DateTime>& lastExported, const std::string& lastRun,
                             std::size_t waiting);

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
    // The status panel between cycles and the tray icon's tip.
    virtual void SetExportStatus(const std::string& text) = 0;
};

class ServiceController {
public:
    ServiceController(ExportCycle& cycle, ServiceView& view);
    ServiceController(const ServiceController&) = delete;
    ServiceController& operator=(const ServiceController&) = delete;

    // Topic set, LGH folder usable, dictionary present, HistData and output folders usable;
    // stops at the first check that fails (each path check logs its own reason).
    bool IsConfigured() const;
    void SetServiceMode(int mode);
    bool ServiceRunning() const { return serviceRunning_; }
    // btnPause: pauses a running service, otherwise tries to resume it.
    void TogglePause() { SetServiceMode(ServiceRunning() ? 2 : 1); }
    // tmrProcessFiles: at the configured minute, exports every whole hour since LAST_RUN.
    void OnTimerTick();
    // The export of a confirmed manual run dialog. False when the cycle failed or was refused
    // because another cycle is still running.
    bool RunManually(const DateTime& start, const DateTime& end);
    // Shows ExportStatusText for the current state.
    void RefreshStatus();

private:
    // True (and the one refusal line written) while a cycle runs.
    bool RefuseWhileRunning();
    bool Process();

    ExportCycle& cycle_;
    ServiceView& view_;
    // The mode's flag. The cycle gets its own copy when it starts, so a mode switched inside a
    // running cycle's waits cannot turn a manual range into a new LAST_RUN.
    bool serviceRunning_ = false;
};

}  // namespace hdq
