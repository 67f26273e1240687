#include "histdata/host.h"

#include <windows.h>

#include "win32/msgwait.h"
#include "win32/win32_handles.h"

namespace hdq {
namespace {

class Win32Host : public HistDataHost {
public:
    bool IsAppRunningTitled(const std::string& title) override { return hdq::IsAppRunningTitled(title); }

    bool IsAppResponding(const std::string& title, uint32_t timeoutMs) override {
        HWND window = FindWindowA(nullptr, title.c_str());
        if (!window) return true;
        // A window that has not looked at its queue for a while is given up at once; one that
        // just stopped gets the time-out. SMTO_BLOCK: no other sent message runs in here.
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &ignored)) return true;
        return !IsWindow(window);  // closed meanwhile: gone, not hung
    }

    bool StartMinimized(const std::string& exePath, OsError* err) override {
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESHOWWINDOW;
        // HistData runs in the background of an unattended export: no focus taken from the
        // operator's HMI.
        si.wShowWindow = SW_SHOWMINNOACTIVE;
        PROCESS_INFORMATION pi{};
        // CreateProcessA may write into the command line, so it gets its own buffer.
        std::string commandLine = "\"" + exePath + "\"";
        // HistData runs in its own folder, not in ours: what it finds beside itself must not
        // depend on where this program was started. The trailing backslash keeps a drive's
        // root ("C:\") a root rather than that drive's current folder.
        const std::string folder = exePath.substr(0, exePath.find_last_of('\\') + 1);
        if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
            const DWORD code = GetLastError();
            if (err) {
                err->number = static_cast<long>(code);
                err->text = win::ErrorText(code);
            }
            return false;
        }
        // The program is not waited for; only its window is looked at later.
        win::UniqueKernelHandle process(pi.hProcess);
        win::UniqueKernelHandle thread(pi.hThread);
        return true;
    }

    uint32_t WaitPumpingMessages(int32_t intervalMs) override { return hdq::WaitPumpingMessages(intervalMs); }
};

}  // namespace

HistDataHost& PlatformHost() {
    static Win32Host host;
    return host;
}

}  // namespace hdq
