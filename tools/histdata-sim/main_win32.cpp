// histdata.exe, the stand-in for Wonderware's Historical Data Manager: a top-level window of
// that title and a DDE server that writes CSV files on command, with faults that a settings
// file beside the exe switches on (see README.md).
#include <windows.h>

#include <string>

#include "sim_dde_win32.h"
#include "sim_server.h"
#include "sim_settings.h"

namespace {

constexpr const char* kWindowClass = "HistDataSimWindow";
constexpr const char* kWindowTitle = "Historical Data Manager";

struct App {
    HINSTANCE instance = nullptr;
    int show = SW_SHOWNORMAL;
    HWND window = nullptr;
    histsim::DdeServer* dde = nullptr;
};
App g_app;

std::string ExeFolder() {
    char path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    const auto slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        g_app.window = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void OpenWindow() {
    if (g_app.window) return;
    g_app.window = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                   420, 160, nullptr, nullptr, g_app.instance, nullptr);
    if (g_app.window) ShowWindow(g_app.window, g_app.show);
}

void CALLBACK OpenWindowLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    OpenWindow();
}

void CALLBACK EndOfLife(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
}

void CALLBACK StartServiceLater(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!g_app.dde->Start()) PostQuitMessage(1);
}

// A hung HistData: the thread takes no message any more, so its window and its DDE service
// stay but answer nothing. Only the lifetime (or TerminateProcess) ends it.
void Hang(DWORD startedTick, uint32_t lifetimeMs) {
    while (lifetimeMs == 0 || GetTickCount() - startedTick < lifetimeMs) Sleep(100);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const DWORD startedTick = GetTickCount();
    g_app.instance = instance;
    g_app.show = show;
    const std::string folder = ExeFolder();
    histsim::SimServer server(histsim::LoadSettings(folder + "\\histdata-sim.ini"),
                              folder + "\\histdata-transcript.txt");
    const histsim::SimSettings& s = server.settings();

    WNDCLASSA wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);

    histsim::DdeServer dde(server);
    g_app.dde = &dde;
    if (s.serviceDelayMs) {
        SetTimer(nullptr, 0, s.serviceDelayMs, &StartServiceLater);
    } else if (!dde.Start()) {
        return 1;
    }

    // A stand-in left behind by a failed test ends by itself.
    if (s.lifetimeMs) SetTimer(nullptr, 0, s.lifetimeMs, &EndOfLife);
    if (!s.noWindow) {
        if (s.windowDelayMs) {
            SetTimer(nullptr, 0, s.windowDelayMs, &OpenWindowLater);
        } else {
            OpenWindow();
        }
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        // After the dispatch: the answer that comes before the hang has gone out.
        if (server.Hanging()) {
            Hang(startedTick, s.lifetimeMs);
            break;
        }
    }
    // The window goes with the process; the DDE service is withdrawn by dde's destructor.
    return 0;
}
