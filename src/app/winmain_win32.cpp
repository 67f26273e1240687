// The program's entry point: one copy per program folder, start-up, the main window and the
// message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/commonui_win32.h"
#include "app/globals.h"
#include "app/shared.h"
#include "app/startup.h"
#include "histdata/frmdde.h"
#include "win32/dialog_win32.h"
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
    bool Supervise() override { return Form().Supervise(); }
    void ClearMemory() override { Form().ClearMemory(); }

private:
    FrmDDE& Form() {
        if (!form_) {
            channel_ = MakePlatformDdeChannel();
            form_ = std::make_unique<FrmDDE>(*channel_, PlatformHost(), AppActivity(), CurrentDdeSettings);
        }
        return *form_;
    }
    std::unique_ptr<DdeChannel> channel_;
    std::unique_ptr<FrmDDE> form_;
};

std::string InstanceMutexName(const char* ns, uint32_t key) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(key));
    return std::string(ns) + "HistDataToQorp-" + hex;
}

// The mutex is machine-wide, so that a copy started in another log-on session (remote desktop,
// another user) does not export the same hours; where the global namespace is refused, the
// session's own still keeps two copies of one session apart.
win::UniqueKernelHandle CreateInstanceMutex(uint32_t key, bool* alreadyRunning) {
    win::UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, InstanceMutexName("Global\\", key).c_str()));
    DWORD error = GetLastError();
    if (!mutex && error == ERROR_ACCESS_DENIED) {
        // Refused because a copy of another user made it (it exists, which is what counts),
        // or because this session may not use the global namespace at all.
        win::UniqueKernelHandle other(OpenMutexA(SYNCHRONIZE, FALSE, InstanceMutexName("Global\\", key).c_str()));
        if (other || GetLastError() != ERROR_FILE_NOT_FOUND) {
            *alreadyRunning = true;
            return other;
        }
    }
    if (!mutex) {
        mutex.reset(CreateMutexA(nullptr, FALSE, InstanceMutexName("Local\\", key).c_str()));
        error = GetLastError();
    }
    *alreadyRunning = mutex && error == ERROR_ALREADY_EXISTS;
    return mutex;
}

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

// The copy already running from this folder shows its main window. It may still be starting,
// so its window is looked for a few seconds.
void ActivateFirstCopy(uint32_t key) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        FindByKey search{key, nullptr};
        EnumWindows(&MatchInstance, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            DWORD pid = 0;
            GetWindowThreadProcessId(search.found, &pid);
            // This copy was just started by the user, so it may hand the foreground on.
            AllowSetForegroundWindow(pid);
            PostMessageA(search.found, win::CommonUI::RestoreMessage(), 0, 0);
            return;
        }
        Sleep(100);
    }
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
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    // One copy per program folder: each folder has its own INI file, cache and LAST_RUN, and
    // two copies driving the same HistData would break its one-request-at-a-time rule.
    const uint32_t key = win::CommonUI::InstanceKey();
    bool alreadyRunning = false;
    win::UniqueKernelHandle mutex = CreateInstanceMutex(key, &alreadyRunning);
    if (alreadyRunning) {
        ActivateFirstCopy(key);
        return 0;
    }

    StartupEnvironment env;
    env.commandLine = commandLine ? commandLine : "";
    env.threadId = GetCurrentThreadId();
    env.taskVisible = true;
    env.instanceHandle = reinterpret_cast<uintptr_t>(instance);
    if (!RunStartup(env)) return 1;
    win::Dialog::SetFailureReport([](const std::string& line) { AppLog().WriteLog(line, 0); });

    FirstUseDdeForm form;
    win::CommonUI ui(form);
    if (!ShowMainWindow(ui)) {
        AppLog().WriteLog("ERROR (" + std::to_string(GetLastError()) + "): Unable to load the main window", 0);
        return 1;
    }

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
    try {
        return hdq::Main(instance, commandLine);
    } catch (const std::exception& e) {
        hdq::LogFatal(e.what());
    } catch (...) {
        hdq::LogFatal("unknown failure");
    }
    return 1;
}
