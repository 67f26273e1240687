#pragma once
// What the DDE form needs of the operating system besides DDE: the window tests, starting a
// program, and the message-pumping wait. Win32 in host_win32.cpp; tests use a fake.
#include <cstdint>
#include <string>
#include "core/files.h"

namespace hdq {

class HistDataHost {
public:
    virtual ~HistDataHost() = default;
    virtual bool IsAppRunningTitled(const std::string& title) = 0;
    // False when a window of this title exists but does not take a message within timeoutMs.
    // Opening a DDE conversation sends to every top-level window and waits without a limit, so
    // a hung HistData must be found out before that. No window at all counts as answering:
    // the conversation then fails on its own, at once.
    virtual bool IsAppResponding(const std::string& title, uint32_t timeoutMs) = 0;
    // Starts the executable with no arguments, minimised and without activation, in its own folder.
    virtual bool StartMinimized(const std::string& exePath, OsError* err) = 0;
    // Waits intervalMs (or until a handle) while dispatching window messages; 258 on time-out.
    virtual uint32_t WaitPumpingMessages(int32_t intervalMs) = 0;
};

// The operating system's host (host_win32.cpp / host_posix.cpp); tests pass a fake instead.
HistDataHost& PlatformHost();

}  // namespace hdq
