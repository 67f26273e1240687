#include "win32/msgwait.h"

#include <windows.h>

#include <exception>
#include <string>

namespace hdq {

bool IsAppRunningTitled(const std::string& title) {
    try {
        return FindWindowA(nullptr, title.c_str()) != nullptr;
    } catch (const std::exception& e) {
        // The window test runs inside the hourly cycle; a failure must not end the cycle,
        // so the operator is told and the answer is "not running".
        std::string text = "Error: " + std::to_string(GetLastError()) + ". " + e.what();
        MessageBoxA(nullptr, text.c_str(), "IsAppRunningTitled", MB_OK);
        return false;
    }
}

uint32_t WaitPumpingMessages(int32_t interval, void* const* handles, uint32_t count) {
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(interval);
    // A WM_QUIT taken out of the queue here would otherwise be lost and the program could
    // never end; it is held and posted again when the wait is over.
    bool quitSeen = false;
    WPARAM quitCode = 0;
    auto finish = [&](uint32_t result) {
        if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
        return result;
    };
    for (;;) {
        int32_t remaining = kWaitInfinite;
        if (WaitIsOver(deadline, GetTickCount(), interval, &remaining)) return finish(kWaitTimeout);
        const DWORD result = MsgWaitForMultipleObjects(count, reinterpret_cast<const HANDLE*>(handles), FALSE,
                                                       static_cast<DWORD>(remaining), kWakeAllInput);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                SetQuitRequested(true);
                quitSeen = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (result != WAIT_OBJECT_0 + count) return finish(result);
    }
}

}  // namespace hdq
