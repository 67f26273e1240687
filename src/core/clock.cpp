#include "core/clock.h"

#include <chrono>
#include <ctime>

namespace hdq {
namespace {

class SystemClock final : public Clock {
public:
    DateTime Now() const override { return SystemNow(); }
    uint32_t TickMs() const override {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
        return static_cast<uint32_t>(ms);
    }
};

SystemClock& TheSystemClock() {
    static SystemClock c;
    return c;
}
Clock* g_clock = nullptr;

}  // namespace

DateTime SystemNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

Clock& AppClock() { return g_clock ? *g_clock : TheSystemClock(); }
void SetAppClock(Clock* clock) { g_clock = clock; }

}  // namespace hdq
