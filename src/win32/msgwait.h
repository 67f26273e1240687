#pragma once
// MsgWait: whether a program with a given window title runs, and a wait that keeps the
// thread's windows alive by dispatching their messages while it waits.
#include <cstdint>
#include <string>

namespace hdq {

inline constexpr int32_t kWaitInfinite = -1;      // no time limit
inline constexpr uint32_t kWaitTimeout = 258;     // WAIT_TIMEOUT
inline constexpr uint32_t kWakeAllInput = 255;    // QS_ALLINPUT

// One step of the wait's clock: given the deadline (start tick + interval), the current tick
// and the interval, says whether the wait is over and, when it is not, how many milliseconds
// are left. Ticks wrap modulo 2^32, so "remaining" is read as a signed difference; a
// remaining time larger than the interval means the tick has run so far past the deadline
// that the difference wrapped round, and also ends the wait.
// With interval == kWaitInfinite the wait is never over and remaining is -1.
bool WaitIsOver(uint32_t deadline, uint32_t now, int32_t interval, int32_t* remaining);

// Set when the program is asked to end (Exit in the tray menu, or a quit message that a wait
// takes off the queue): a running export then stops after its current hour instead of
// working through the rest of its range with no icon left to show for it.
void SetQuitRequested(bool requested);
bool QuitRequested();
// Set while Windows ends the session (shut-down or log-off): the export stops after its
// current hour as it does for Exit; cleared again when the end of the session is called off.
void SetSessionEnding(bool ending);
bool SessionEnding();

#ifdef _WIN32
// True when a top-level window of exactly this title exists (any window class).
bool IsAppRunningTitled(const std::string& title);
// Waits up to interval ms (kWaitInfinite for no limit) for one of the handles, dispatching
// the thread's window messages meanwhile. Returns kWaitTimeout when the time is up, or the
// result of the wait when a handle was signalled or the wait failed.
uint32_t WaitPumpingMessages(int32_t interval, void* const* handles = nullptr, uint32_t count = 0);
#endif

}  // namespace hdq
