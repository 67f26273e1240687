#include "core/clock.h"
#include "core/error.h"
#include "core/input_checks.h"
#include "histdata/frmdde.h"

namespace hdq {
namespace {

constexpr int16_t kMaxStarts = 10;
// HistData needs a few seconds to open its main window; without this wait every start of a
// slow machine would be followed by another start at once.
constexpr uint32_t kWindowWaitMs = 10000;
constexpr int32_t kWindowPollMs = 250;
// A HistData just started shows its window before its DDE server takes conversations.
constexpr uint32_t kServiceWaitMs = 30000;
constexpr int32_t kServicePollMs = 300;

}  // namespace

bool FrmDDE::WaitForHistDataWindow() {
    const uint32_t started = AppClock().TickMs();
    while (!host_.IsAppRunningTitled(kHistDataTitle)) {
        // Unsigned difference: correct across a wrap of the tick counter.
        if (AppClock().TickMs() - started >= kWindowWaitMs) return false;
        host_.WaitPumpingMessages(kWindowPollMs);
    }
    return true;
}

// Without this wait the first request after a start would fail with "No foreign application
// responded". The conversation opened here is opened afresh by the request itself.
void FrmDDE::WaitForHistDataService() {
    const uint32_t started = AppClock().TickMs();
    while (!Stopping()) {
        try {
            OpenConversation();
            Log("HistData took a DDE conversation " + std::to_string(AppClock().TickMs() - started) +
                    " ms after its window appeared",
                1);
            return;
        } catch (const VrxError&) {
            // Not yet; the request reports its own failure should it never come.
        }
        if (AppClock().TickMs() - started >= kServiceWaitMs) {
            Log("HistData took no DDE conversation within " + std::to_string(kServiceWaitMs / 1000) +
                    " seconds of its window appearing",
                1);
            return;
        }
        host_.WaitPumpingMessages(kServicePollMs);
    }
}

bool FrmDDE::CheckHistDataRunning() {
    try {
        Log("Begin checking histdata.exe is running", 2);
        const std::string& folder = settings_.histDataFolder;
        const std::string exe = folder + (!folder.empty() && folder.back() == '\\' ? "" : "\\") + "histdata.exe";
        Log("Found histdata program at: " + exe, 2);

        int16_t n = 0;
        while (!host_.IsAppRunningTitled(kHistDataTitle) && n < kMaxStarts) {
            Log("Historical Data Manager is not running, attempting to start number: " + std::to_string(n), 2);
            // Whoever can write the INI file must not choose the program started here: only a
            // folder on a drive of this computer is started from.
            if (const std::string problem = LocalFolderProblem(folder); !problem.empty()) {
                Log("Error: DDE_HISTDATA_FOLDER " + problem, 0);
                break;
            }
            Log("Starting HistData: " + exe, 0);
            OsError e;
            if (!host_.StartMinimized(exe, &e)) throw VrxError(e.number, e.text);
            ++n;
            WaitForHistDataWindow();
        }
        Log("Attempts to start histdata.exe = " + std::to_string(n), 2);
        const bool running = host_.IsAppRunningTitled(kHistDataTitle);
        if (running && n > 0) WaitForHistDataService();
        Log("End checking histdata.exe is running", 2);
        return running;
    } catch (const std::exception&) {
        LogCurrentFailure();
    }
    log_.LogActivity(
        "Unable to start/restart/communicate with HISTDATA.EXE, make sure configuration points to executable. \r\n"
        "If HISTDATA.EXE is running, stop the program and restart it.",
        1);
    return false;
}

}  // namespace hdq
