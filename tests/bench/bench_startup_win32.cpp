// Start-up of the real HistDataToQorp.exe in a configured program folder, where it goes
// straight to the notification area: the time from CreateProcess until its main window exists
// and until its tray window exists, and its working set once started. A trivial Win32 program
// started the same way in the same run is the yardstick. Run under Wine; prints its figures.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "platform/win32_handles.h"
#include "standin_win32.h"
#include "tagnamex_writer.h"
#include "test_support.h"

namespace {

const char* const kMainTitle = "HistData to Brel Qorp Utility v1.0.7 - Interactive ";

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency);
}

double Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    static const LARGE_INTEGER origin = t;
    return Seconds(origin, t);
}

struct StartFigures {
    bool ok = false;
    double toWindow = 0;   // seconds until the main window exists
    double toTray = 0;     // seconds until the tray window exists (0 when not looked for)
    double workingSetMiB = 0;
    double peakWorkingSetMiB = 0;
};

// A started process that is always ended: asked politely by endGracefully, killed otherwise.
class Started {
public:
    bool Start(const std::string& exe, const std::string& args, const std::string& folder) {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                            &pi)) {
            return false;
        }
        process_.reset(pi.hProcess);
        hdq::win::UniqueKernelHandle thread(pi.hThread);
        pid_ = pi.dwProcessId;
        return true;
    }
    ~Started() { End(nullptr); }
    // Posts WM_CLOSE or a command to the window, waits, and kills on no reaction.
    void End(HWND window, UINT msg = WM_CLOSE, WPARAM wp = 0) {
        if (!process_) return;
        if (window) PostMessageA(window, msg, wp, 0);
        if (WaitForSingleObject(process_.get(), window ? 10000 : 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
    }
    bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    DWORD Id() const { return pid_; }
    HANDLE Handle() const { return process_.get(); }

private:
    hdq::win::UniqueKernelHandle process_;
    DWORD pid_ = 0;
};

// Polls for a window of the process every millisecond; nullptr after timeoutS.
HWND WaitForWindow(const Started& p, const std::string& title, double timeoutS) {
    const double until = Now() + timeoutS;
    while (Now() < until) {
        if (HWND h = hdq::test::FindWindowOfProcess(p.Id(), title)) return h;
        if (!p.Running()) return nullptr;
        Sleep(1);
    }
    return nullptr;
}

void MeasureMemory(const Started& p, StartFigures& f) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(p.Handle(), &counters, sizeof(counters))) {
        f.workingSetMiB = static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
        f.peakWorkingSetMiB = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
    }
}

// A program folder the program finds complete: folders that exist, a dictionary, and a minute
// after the hour half an hour away, so no export starts while it is measured.
void LayOutProgramFolder(const hdq::test::TempFolder& folder, const std::string& builtExe) {
    CopyFileA(builtExe.c_str(), (folder / "HistDataToQorp.exe").c_str(), FALSE);
    CreateDirectoryA((folder / "out").c_str(), nullptr);
    CreateDirectoryA((folder / "lgh").c_str(), nullptr);
    std::vector<hdq::test::TagRecord> tags(200);
    for (size_t i = 0; i < tags.size(); ++i) tags[i].name = "FT" + std::to_string(100 + i) + "_PV";
    hdq::test::WriteTagnameX(folder / "tagname.x", tags);
    const std::time_t now = std::time(nullptr);
    const int minute = (std::localtime(&now)->tm_min + 30) % 60;
    std::string ini;
    auto put = [&](const std::string& k, const std::string& v) { ini += k + "=" + v + "\r\n"; };
    put("DDE_TAGNAME_FILE", folder / "tagname.x");
    put("DDE_LINKTOPIC", "tagname");
    put("LAST_RUN", "03-24-2011 00:00:00");
    put("VALIDTRENDBYTES", "");
    put("DDE_SAVECACHE", "FALSE");
    put("SELECTALLTAGS", "TRUE");
    put("KEEP_LOGS_FOR", "30");
    put("VERBOSITY", "0");
    put("MINUTES_AFTER_HOUR", std::to_string(minute));
    put("DDE_MAX_BUFFER_SIZE", "500");
    put("DDE_DURATION", "59m");
    put("DDE_TIMEOUT", "600");
    put("HELPTOPIC", "12120");
    put("DDE_INTERVAL", "1m");
    put("OUTPUT_FOLDER", folder / "out");
    put("DDE_LGH_FOLDER", folder / "lgh");
    put("DDE_HISTDATA_FOLDER", folder.path());
    hdq::test::WriteFile(folder / "HistDataToQorp.ini", ini);
}

StartFigures StartProgram(const hdq::test::TempFolder& folder) {
    StartFigures f;
    Started p;
    const double t0 = Now();
    if (!p.Start(folder / "HistDataToQorp.exe", "", folder.path())) return f;
    HWND main = WaitForWindow(p, kMainTitle, 30);
    if (!main) return f;
    f.toWindow = Now() - t0;
    HWND tray = WaitForWindow(p, hdq::win::FrmSysTray::kWindowTitle, 30);
    if (!tray) return f;
    f.toTray = Now() - t0;
    // Settled: whatever start-up still does after the tray window, then the figures.
    Sleep(1500);
    MeasureMemory(p, f);
    f.ok = !IsWindowVisible(main);  // configured: it must have gone to the tray, not opened
    p.End(tray, WM_COMMAND, IDM_mExit);
    return f;
}

StartFigures StartTrivial(const std::string& exe, const std::string& folder) {
    StartFigures f;
    Started p;
    const std::string title = hdq::test::UniqueName("HdqTrivial");
    const double t0 = Now();
    if (!p.Start(exe, title, folder)) return f;
    HWND window = WaitForWindow(p, title, 30);
    if (!window) return f;
    f.toWindow = Now() - t0;
    Sleep(1500);
    MeasureMemory(p, f);
    f.ok = true;
    p.End(window);
    return f;
}

void Report(const char* label, const std::vector<StartFigures>& runs, bool tray) {
    std::vector<double> window, trayTimes, ws, peak;
    int failed = 0;
    for (const StartFigures& f : runs) {
        if (!f.ok) {
            ++failed;
            continue;
        }
        window.push_back(f.toWindow);
        trayTimes.push_back(f.toTray);
        ws.push_back(f.workingSetMiB);
        peak.push_back(f.peakWorkingSetMiB);
    }
    if (window.empty()) {
        std::printf("%-24s no successful start (%d failed)\n", label, failed);
        return;
    }
    auto mean = [](const std::vector<double>& v) {
        double s = 0;
        for (double x : v) s += x;
        return s / static_cast<double>(v.size());
    };
    std::printf("%-24s starts=%zu failed=%d window_mean=%.3f s window_min=%.3f s", label, window.size(), failed,
                mean(window), *std::min_element(window.begin(), window.end()));
    if (tray) std::printf(" tray_mean=%.3f s", mean(trayTimes));
    std::printf(" working_set=%.1f MiB peak=%.1f MiB\n", mean(ws), mean(peak));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string exeDir = hdq::test::StandInWinPath(argc > 1 ? argv[1] : HDQ_EXE_DIR);
    const std::string trivial = hdq::test::StandInWinPath(argc > 2 ? argv[2] : HDQ_TRIVIAL_EXE);
    const int starts = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    hdq::test::TempFolder folder;
    LayOutProgramFolder(folder, exeDir + "\\HistDataToQorp.exe");
    std::vector<StartFigures> program, baseline;
    // Alternated, so a passing load on the machine touches both series alike.
    for (int i = 0; i < starts; ++i) {
        baseline.push_back(StartTrivial(trivial, folder.path()));
        program.push_back(StartProgram(folder));
    }
    Report("trivial Win32 window", baseline, false);
    Report("HistDataToQorp.exe", program, true);
    double p = 0, b = 0;
    int n = 0;
    for (int i = 0; i < starts; ++i) {
        if (!program[static_cast<size_t>(i)].ok || !baseline[static_cast<size_t>(i)].ok) continue;
        p += program[static_cast<size_t>(i)].toWindow;
        b += baseline[static_cast<size_t>(i)].toWindow;
        ++n;
    }
    if (n > 0 && b > 0) std::printf("start-up ratio (main window / trivial window): %.2f\n", p / b);
    return n == starts ? 0 : 1;
}
