#pragma once
// The clock seam: local now and a millisecond tick. Tests inject a fake clock to cross
// midnight, the hour, retention ages and the minute of the service timer.
#include <cstdint>
#include "core/datetime.h"

namespace hdq {

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Now() const = 0;          // local time, to the second
    virtual uint32_t TickMs() const = 0;       // wraps modulo 2^32
};

// The process-wide clock; the system clock unless a test installed another.
Clock& AppClock();
void SetAppClock(Clock* clock);  // nullptr restores the system clock

// Reads the real local time (the system clock's Now()).
DateTime SystemNow();

}  // namespace hdq
