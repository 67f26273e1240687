#include "driver_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/win32_handles.h"
#include "core/files.h"

namespace hdq::tools {

std::string WindowText(HWND h) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &len)) return {};
    std::string s(static_cast<size_t>(len) + 1, '\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutA(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()), SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(std::min<size_t>(static_cast<size_t>(got), s.size()));
    return s;
}

namespace {

// The top-level window of pid with this exact title (and class, when given).
HWND FindTop(DWORD pid, const std::string& title, const char* className, DWORD timeoutMs) {
    struct Search {
        DWORD pid;
        const std::string& title;
        const char* className;
        HWND found = nullptr;
    } s{pid, title, className};
    auto match = [](HWND h, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        char cls[64] = {}, text[512] = {};
        GetClassNameA(h, cls, sizeof cls);
        GetWindowTextA(h, text, sizeof text);
        if (pid != s->pid || (s->className && s->className != std::string(cls)) || s->title != text) return TRUE;
        s->found = h;
        return FALSE;
    };
    WaitUntil([&] { return !EnumWindows(match, reinterpret_cast<LPARAM>(&s)) && s.found; }, timeoutMs);
    return s.found;
}

}  // namespace

std::string WinPath(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '/', '\\');
    if (!p.empty() && p[0] == '\\') p = "Z:" + p;
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

std::string BuiltExe() {
    // The test programs live in <build>\tests, the product in <build>.
    char buf[MAX_PATH * 2];
    std::string path(buf, GetModuleFileNameA(nullptr, buf, sizeof buf));
    path.erase(path.find_last_of('\\'));
    return path.substr(0, path.find_last_of('\\')) + "\\HistDataToQorp.exe";
}

bool Process::Start(const std::string& exe, const std::string& args, const std::string& workDir, int showCommand) {
    Kill();
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (showCommand >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &si, &pi_) != FALSE;
}

bool Process::WaitExit(DWORD ms, DWORD* exitCode) {
    if (!pi_.hProcess) return true;
    if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

bool Process::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

void Process::Kill() {
    if (Running()) {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 5000);
    }
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
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

HWND FindTopWindowOfProcess(DWORD pid, const std::string& title, DWORD timeoutMs) {
    return FindTop(pid, title, nullptr, timeoutMs);
}

HWND FindChildByText(HWND parent, const std::string& text) {
    std::pair<const std::string&, HWND> s{text, nullptr};
    auto match = [](HWND h, LPARAM lp) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<std::pair<const std::string&, HWND>*>(lp);
        // As a person reads it: the mnemonic's ampersand is not shown.
        std::string text = WindowText(h);
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        s->second = text == s->first ? h : nullptr;
        return !s->second;
    };
    EnumChildWindows(parent, match, reinterpret_cast<LPARAM>(&s));
    return s.second;
}

HWND FindChildById(HWND parent, int id) { return GetDlgItem(parent, id); }

bool IsShown(HWND h) { return IsWindowVisible(h) && !IsIconic(h); }

// BN_CLICKED goes straight to the parent: BM_CLICK goes through mouse capture, which a hidden
// window does not get.
void Click(HWND button) {
    DWORD_PTR r = 0;
    SendMessageTimeoutA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button), SMTO_NORMAL, 300000, &r);
}

void PostClick(HWND button) {
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
        std::wstring w(static_cast<size_t>(std::max<LRESULT>(0, SendMessageW(list, LB_GETTEXTLEN, i, 0))) + 1, L'\0');
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
    constexpr SIZE_T kSize = 4096;
    void* remote = process ? VirtualAllocEx(process.get(), nullptr, kSize, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (!remote) return parts;
    LRESULT count = SendMessageA(statusBar, SB_GETPARTS, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        SIZE_T len = std::min<SIZE_T>(LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, i, 0)), kSize - 1);
        SendMessageA(statusBar, SB_GETTEXTA, i, reinterpret_cast<LPARAM>(remote));
        std::string s(len, '\0');
        SIZE_T read = 0;
        if (len > 0) ReadProcessMemory(process.get(), remote, s.data(), len, &read);
        s.resize(read);
        parts.push_back(std::move(s));
    }
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return parts;
}

bool AnswerMessageBox(DWORD pid, const std::string& title, int buttonId, std::string* prompt, DWORD timeoutMs) {
    HWND box = FindTop(pid, title, "#32770", timeoutMs);
    if (!box) return false;
    // The prompt of a standard message box is the static control with id 0xFFFF. The box can
    // be found while it is still being made, before its prompt is set or its buttons listen.
    for (int waited = 0; waited < 5000 && WindowText(GetDlgItem(box, 0xFFFF)).empty(); waited += 50) Sleep(50);
    if (prompt) *prompt = WindowText(GetDlgItem(box, 0xFFFF));
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
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD size = ((w * 3 + 3) / 4) * 4 * h, offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER file{0x4D42, offset + size, 0, 0, offset};
    std::string data(reinterpret_cast<const char*>(&file), sizeof file);
    data.append(reinterpret_cast<const char*>(&info), sizeof info);
    data.append(static_cast<const char*>(bits), size);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    fsys::WriteAll(path, data);
    return true;
}

}  // namespace hdq::tools
