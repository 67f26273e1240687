#include "win32/msgwait.h"

namespace hdq {
namespace {
bool g_quitRequested = false;
bool g_sessionEnding = false;
}  // namespace

void SetQuitRequested(bool requested) { g_quitRequested = requested; }
bool QuitRequested() { return g_quitRequested; }
void SetSessionEnding(bool ending) { g_sessionEnding = ending; }
bool SessionEnding() { return g_sessionEnding; }

bool WaitIsOver(uint32_t deadline, uint32_t now, int32_t interval, int32_t* remaining) {
    if (interval == kWaitInfinite) {
        if (remaining) *remaining = kWaitInfinite;
        return false;
    }
    // Unsigned subtraction wraps modulo 2^32; the cast reads the result as two's complement.
    const int32_t left = static_cast<int32_t>(deadline - now);
    if (remaining) *remaining = left;
    const bool sameSign = (left < 0) == (interval < 0);
    if (left != interval && sameSign) return left > interval;
    return left < 0;
}

}  // namespace hdq
