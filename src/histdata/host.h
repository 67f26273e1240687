#pragma once
// What the DDE form needs of the operating system besides DDE: the window test, starting a
// program, and the message-pumping wait. Win32 in host_win32.cpp; tests use a fake.
#include <cstdint>
#include <string>
#include "core/files.h"

namespace hdq {

class HistDataHost {
public:
    virtual ~HistDataHost() = default;
    virtual bool IsAppRunningTitled(const std::string& title) = 0;
    // Starts the executable with no arguments, minimised and without activation.
    virtual bool StartMinimized(const std::string& exePath, OsError* err) = 0;
    // Waits intervalMs (or until a handle) while dispatching window messages; 258 on time-out.
    virtual uint32_t WaitPumpingMessages(int32_t intervalMs) = 0;
};

// The operating system's host (host_win32.cpp / host_posix.cpp); tests pass a fake instead.
HistDataHost& PlatformHost();

}  // namespace hdq
