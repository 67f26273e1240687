#include "driver_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/win32_handles.h"
#include "test_support.h"

namespace hdq::test {
namespace {

std::string ModuleFolder() {
    char buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string path(buf, n);
    auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The test programs live in <build>\tests; the product in <build>.
std::string BuildFolder() {
#ifdef HDQ_EXE_DIR
    return WinPath(HDQ_EXE_DIR);
#else
    std::string tests = ModuleFolder();
    auto slash = tests.find_last_of('\\');
    return slash == std::string::npos ? tests : tests.substr(0, slash);
#endif
}

std::string GetText(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return {};
    std::string s(static_cast<size_t>(len) + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(std::min<size_t>(static_cast<size_t>(got), s.size()));
    return s;
}

struct TopSearch {
    DWORD pid;
    const std::string* title;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchTop(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (s->pid && pid != s->pid) return TRUE;
    if (s->className) {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (std::string(cls) != s->className) return TRUE;
    }
    char title[512] = {};
    GetWindowTextA(h, title, sizeof title);
    if (*s->title != title) return TRUE;
    s->found = h;
    return FALSE;
}

HWND FindTop(DWORD pid, const std::string& title, const char* className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            TopSearch s{pid, &title, className, nullptr};
            EnumWindows(&MatchTop, reinterpret_cast<LPARAM>(&s));
            found = s.found;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

struct ChildSearch {
    const std::string* text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    if (GetText(h) == *s->text) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string WinPath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (!p.empty() && p[0] == '\\') p = "Z:" + p;
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

std::string BuiltExe() { return BuildFolder() + "\\HistDataToQorp.exe"; }
std::string BuiltStandIn() {
#ifdef HDQ_SIM_DIR
    return WinPath(HDQ_SIM_DIR) + "\\histdata.exe";
#else
    return BuildFolder() + "\\tools\\histdata-sim\\histdata.exe";
#endif
}

Process::~Process() { Kill(); }

Process::Process(Process&& o) noexcept : pi_(std::exchange(o.pi_, PROCESS_INFORMATION{})) {}

Process& Process::operator=(Process&& o) noexcept {
    if (this != &o) {
        Kill();
        pi_ = std::exchange(o.pi_, PROCESS_INFORMATION{});
    }
    return *this;
}

bool Process::Start(const std::string& exe, const std::string& args, const std::string& workDir) {
    Kill();
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_) != FALSE;
}

bool Process::WaitExit(DWORD ms, DWORD* exitCode) {
    if (!pi_.hProcess) return true;
    if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

bool Process::Running() const {
    return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
    if (pi_.hProcess) {
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 1);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hProcess);
    }
    if (pi_.hThread) CloseHandle(pi_.hThread);
    pi_ = PROCESS_INFORMATION{};
}

bool WaitUntil(const std::function<bool()>& pred, DWORD timeoutMs, DWORD stepMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(stepMs);
    }
}

HWND FindTopWindow(const std::string& title, DWORD timeoutMs) { return FindTop(0, title, nullptr, timeoutMs); }

HWND FindTopWindowOfProcess(DWORD pid, const std::string& title, DWORD timeoutMs) {
    return FindTop(pid, title, nullptr, timeoutMs);
}

HWND FindChildByText(HWND parent, const std::string& text) {
    ChildSearch s{&text, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindChildById(HWND parent, int id) { return GetDlgItem(parent, id); }

std::string WindowText(HWND h) { return GetText(h); }

bool IsShown(HWND h) { return IsWindowVisible(h) && !IsIconic(h); }

void Click(HWND button) {
    // BN_CLICKED straight to the parent: BM_CLICK goes through mouse capture, which a hidden
    // window does not get.
    DWORD_PTR r = 0;
    SendMessageTimeoutA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button), SMTO_NORMAL, 300000, &r);
}

void PostClick(HWND button) {
    // A posted BN_CLICKED to the parent does not depend on the button's mouse capture.
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

void SetText(HWND edit, const std::string& text) {
    DWORD_PTR r = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000, &r);
}

std::vector<std::string> ListBoxItems(HWND list) {
    // Asked in UTF-16 and turned back into the ANSI code page: Wine hands LB_GETTEXT across
    // processes as wide text even when it was asked for 8-bit text.
    std::vector<std::string> items;
    LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (len < 0) continue;
        std::wstring w(static_cast<size_t>(len) + 1, L'\0');
        LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(w.data()));
        w.resize(got < 0 ? 0 : static_cast<size_t>(got));
        int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), bytes, nullptr, nullptr);
        items.push_back(std::move(s));
    }
    return items;
}

std::vector<std::string> StatusBarParts(HWND statusBar) {
    // Status bar messages carry pointers that are not carried across processes: the text is
    // fetched into a buffer inside the program and read back from there.
    std::vector<std::string> parts;
    DWORD pid = 0;
    GetWindowThreadProcessId(statusBar, &pid);
    win::UniqueKernelHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return parts;
    constexpr SIZE_T kSize = 4096;
    void* remote = VirtualAllocEx(process.get(), nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return parts;
    LRESULT count = SendMessageA(statusBar, SB_GETPARTS, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT len = LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, i, 0));
        if (static_cast<SIZE_T>(len) >= kSize) len = kSize - 1;
        SendMessageA(statusBar, SB_GETTEXTA, i, reinterpret_cast<LPARAM>(remote));
        std::string s(static_cast<size_t>(len), '\0');
        SIZE_T read = 0;
        if (len > 0) ReadProcessMemory(process.get(), remote, s.data(), static_cast<SIZE_T>(len), &read);
        s.resize(read);
        parts.push_back(std::move(s));
    }
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return parts;
}

bool AnswerMessageBox(DWORD pid, const std::string& title, int buttonId, std::string* prompt, DWORD timeoutMs) {
    HWND box = FindTop(pid, title, "#32770", timeoutMs);
    if (!box) return false;
    // The prompt of a standard message box is the static control with id 0xFFFF.
    if (prompt) {
        HWND text = GetDlgItem(box, 0xFFFF);
        *prompt = text ? GetText(text) : std::string();
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    return true;
}

bool SaveWindowPicture(HWND window, const std::string& path) {
    // The client area only: without a window manager on the test display the frame is blank.
    RECT r{};
    if (!GetClientRect(window, &r)) return false;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((w * 3 + 3) / 4) * 4, size = stride * h;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + size;
    std::string data(reinterpret_cast<const char*>(&file), sizeof(file));
    data.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    data.append(static_cast<const char*>(bits), size);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    test::WriteFile(path, data);
    return true;
}

}  // namespace hdq::test
