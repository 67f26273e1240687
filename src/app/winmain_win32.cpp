// The program's entry point: one copy per program folder, start-up, the main window and the
// message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "app/commonui_win32.h"
#include "app/export_request_win32.h"
#include "app/globals.h"
#include "app/instance_lock_win32.h"
#include "app/operator_dates.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/files.h"
#include "core/text.h"
#include "histdata/frmdde.h"
#include "settings/settings_context.h"
#include "win32/dialog_win32.h"
#include "win32/dll_search_win32.h"
#include "win32/msgwait.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "win32/win32_handles.h"

namespace hdq {
namespace {

// The DDE window is made by the first export cycle, not at start (the DDE library is set up
// only when a cycle runs), and then kept so later cycles reuse it.
class FirstUseDdeForm final : public DdeForm {
public:
    void Load() override { Form().Load(); }
    void SetTagList(TagTable* tags) override { Form().SetTagList(tags); }
    bool Init() override { return Form().Init(); }
    void SetStartDate(const DateTime& v) override { Form().SetStartDate(v); }
    void SetStartTime(const DateTime& v) override { Form().SetStartTime(v); }
    bool SendRequest() override { return Form().SendRequest(); }
    bool NoData() const override { return form_ && form_->NoData(); }
    bool TimedOut() const override { return form_ && form_->TimedOut(); }
    bool Supervise() override { return Form().Supervise(); }
    void ClearMemory() override { Form().ClearMemory(); }

private:
    FrmDDE& Form() {
        if (!form_) {
            channel_ = MakePlatformDdeChannel();
            form_ = std::make_unique<FrmDDE>(*channel_, PlatformHost(), AppActivity(), CurrentDdeSettings);
            // Exit, /exit and the end of the Windows session end a request between two
            // transactions instead of after the hour's time-outs.
            form_->SetStopCheck([] { return QuitRequested() || SessionEnding(); });
        }
        return *form_;
    }
    std::unique_ptr<DdeChannel> channel_;
    std::unique_ptr<FrmDDE> form_;
};

struct FindByKey {
    uint32_t key;
    HWND found;
};

BOOL CALLBACK MatchInstance(HWND h, LPARAM lp) {
    auto* search = reinterpret_cast<FindByKey*>(lp);
    auto value = reinterpret_cast<uintptr_t>(GetPropA(h, win::CommonUI::kInstanceProperty));
    if (value != 0 && static_cast<uint32_t>(value) == search->key) {
        search->found = h;
        return FALSE;
    }
    return TRUE;
}

// The main window of the copy running from this folder. It may still be starting, so it is
// looked for a few seconds.
HWND FindFirstCopy(uint32_t key) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        FindByKey search{key, nullptr};
        EnumWindows(&MatchInstance, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(100);
    }
    return nullptr;
}

// The copy already running from this folder shows its main window; false when this session
// has no window of it.
bool ActivateFirstCopy(uint32_t key) {
    HWND main = FindFirstCopy(key);
    if (!main) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    // This copy was just started by the user, so it may hand the foreground on.
    AllowSetForegroundWindow(pid);
    PostMessageA(main, win::CommonUI::RestoreMessage(), 0, 0);
    return true;
}

// "/exit [FOLDER]": the program folder whose running copy is to end, this program's own when
// none is named; nothing for any other command line.
std::optional<std::string> ExitRequestFolder(const char* commandLine) {
    const std::string line = TrimWhite(commandLine ? commandLine : "");
    if (!IEquals(line.substr(0, 5), "/exit") || (line.size() > 5 && line[5] != ' ' && line[5] != '\t')) {
        return std::nullopt;
    }
    std::string folder = TrimWhite(line.substr(5));
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') folder = folder.substr(1, folder.size() - 2);
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder.empty() ? fsys::ProgramFolder() : folder;
}

// The copy running from that folder ends as through the tray's Exit, and this one waits for
// it: the installer and the uninstaller need its files free, and the installer runs the new
// exe for a copy of an older one. Copies in other folders run on. The result is 0 when no
// copy from that folder runs any more.
int EndFirstCopy(uint32_t key) {
    if (!OpenInstanceMutex(key)) return 0;
    // The copy's exit request reaches it in any session; its lock goes when it has ended.
    if (win::UniqueKernelHandle request = OpenExitEvent(key)) {
        SetEvent(request.get());
        for (int waited = 0; waited < 120000; waited += 200) {
            if (!OpenInstanceMutex(key)) return 0;
            Sleep(200);
        }
        return 1;
    }
    // A copy of a release without the request: its window, in this session only.
    HWND main = FindFirstCopy(key);
    if (!main) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    win::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    HWND tray = nullptr;
    while ((tray = FindWindowExA(nullptr, tray, nullptr, win::FrmSysTray::kWindowTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(tray, &owner);
        if (owner == pid) break;
    }
    if (!tray || !process) return 1;
    PostMessageA(tray, WM_COMMAND, IDM_mExit, 0);
    // An export under way first finishes the hour it asked HistData for.
    return WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0 ? 0 : 1;
}

void LogFatal(const char* what) {
    try {
        AppLog().WriteLog(std::string("ERROR: Main: ") + what, 0);
    } catch (...) {
    }
}

}  // namespace

// Loads the main window (its load decides whether it shows) and gives it its title.
bool ShowMainWindow(win::CommonUI& ui) {
    const AppProperties& app = App();
    std::string title = app.MainWindowTitle();
    return ui.Load(title);
}

int Main(HINSTANCE instance, const char* commandLine) {
    if (auto folder = ExitRequestFolder(commandLine)) return EndFirstCopy(win::CommonUI::InstanceKeyOf(*folder));

    // "/export FROM TO": dates as the Manual Run dialog reads them, checked before anything.
    std::optional<std::pair<DateTime, DateTime>> exportRange;
    if (const auto args = ExportRequestOf(commandLine ? commandLine : "")) {
        const auto dates = UserOperatorDates();
        const auto from = dates->Read(args->from), to = dates->Read(args->to);
        if (!from || !to) {
            StartupEnvironment env;
            OpenLog(env);
            AppLog().WriteLog("Error: Export asked for on the command line refused: \"" + args->from + "\" to \"" +
                                  args->to + "\" are not two dates in the form " + dates->Form() + " or ISO",
                              0);
            return kExportBadDates;
        }
        exportRange.emplace(*from, *to);
    }

    // One copy per program folder: each folder has its own INI file, cache and LAST_RUN, and
    // two copies driving the same HistData would break its one-request-at-a-time rule.
    const uint32_t key = win::CommonUI::InstanceKey();
    bool alreadyRunning = false;
    win::UniqueKernelHandle mutex = CreateInstanceMutex(key, &alreadyRunning);
    win::UniqueKernelHandle exitRequest = alreadyRunning ? win::UniqueKernelHandle() : CreateExitEvent(key);
    win::UniqueKernelHandle exportRequest = alreadyRunning ? win::UniqueKernelHandle() : CreateExportEvent(key);
    if (alreadyRunning && exportRange) {
        // The running copy, in whatever session, runs the range; this one only tells the result.
        StartupEnvironment env;
        OpenLog(env);
        const ExportAnswer answer = AskRunningCopyToExport(key, exportRange->first, exportRange->second);
        const std::string range = FormatGeneral(exportRange->first) + " to " + FormatGeneral(exportRange->second);
        AppLog().WriteLog(answer.code == kExportAccepted
                              ? "Export of " + range + " handed to the running copy"
                              : "Error: Export of " + range + " refused by the running copy: " + answer.reason,
                          0);
        return answer.code;
    }
    if (alreadyRunning) {
        if (ActivateFirstCopy(key)) return 0;
        // Held, yet no window of it here: a copy in another user's session, or a program that
        // took the name. Ending without a word would leave the plant without exports unseen.
        StartupEnvironment env;
        env.commandLine = commandLine ? commandLine : "";
        ReportLockHeldElsewhere(env);
        return 2;
    }

    StartupEnvironment env;
    env.commandLine = commandLine ? commandLine : "";
    env.threadId = GetCurrentThreadId();
    env.taskVisible = true;
    env.instanceHandle = reinterpret_cast<uintptr_t>(instance);
    if (!RunStartup(env)) return 1;
    win::Dialog::SetFailureReport([](const std::string& line) { AppLog().WriteLog(line, 0); });
    win::Dialog::SetHelpOpener([](const std::string& page) { return OpenHelpTopic(page); });
    const SettingsContext settings{AppConfig(), AppActivity(), AppMsgBox(), ProgramFolder(), App().title,
                                   OpenHelpTopic};
    SetSettingsContext(&settings);

    // The tray icon first: the common controls' library is the slowest part of a start (a
    // tenth of a second and more), and only the main window, made after it, needs it.
    std::unique_ptr<win::FrmSysTray> tray = win::LoadTray();
    win::InitCommonControlsLate(ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES);
    FirstUseDdeForm form;
    win::CommonUI ui(form, std::move(tray));
    ui.WatchRequests(exitRequest.get(), exportRequest.get());
    if (!ShowMainWindow(ui)) {
        AppLog().WriteLog("ERROR (" + std::to_string(GetLastError()) + "): Unable to load the main window", 0);
        return 1;
    }
    if (exportRange) ui.RunExportAtStart(exportRange->first, exportRange->second);

    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        try {
            if (win::RouteDialogMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } catch (const std::exception& e) {
            LogFatal(e.what());
        } catch (...) {
            LogFatal("unknown failure");
        }
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace hdq

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // Before anything can load a DLL by name: none may come from the program folder.
    hdq::win::RestrictDllSearchToSystem32();
    try {
        return hdq::Main(instance, commandLine);
    } catch (const std::exception& e) {
        hdq::LogFatal(e.what());
    } catch (...) {
        hdq::LogFatal("unknown failure");
    }
    return 1;
}
