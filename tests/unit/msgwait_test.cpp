#include <gtest/gtest.h>

#include <cstdint>

#include "app/msgwait.h"

namespace hdq {
namespace {

TEST(MsgWaitClock, CountsDownUntilTheIntervalHasPassedEvenAcrossAWrapOfTheTickCounter) {
    constexpr int32_t kAny = -1;  // remaining time not checked once the wait is over
    struct Row {
        uint32_t start;
        int32_t interval;
        uint32_t now;
        bool over;
        int32_t remaining;
    };
    const Row rows[] = {
        {5000, 1000, 5000, false, 1000},
        {5000, 1000, 5400, false, 600},
        {5000, 1000, 6000, false, 0},  // nothing left, but not yet past the deadline
        {5000, 1000, 6001, true, kAny},
        {5000, 1000, 90000, true, kAny},
        {0xFFFFFE00u, 1000, 0xFFFFFF00u, false, 744},  // 512 ms before the counter wraps
        {0xFFFFFE00u, 1000, 0x00000100u, false, 232},  // wrapped, 768 ms gone
        {0xFFFFFE00u, 1000, 0x000001E9u, true, kAny},  // 1001 ms gone
        // Over 2^31 ms on, the signed difference turns positive again yet exceeds the interval.
        {1000, 1000, 1000 + 0x80000000u + 500u, true, kAny},
        {700, 0, 700, false, 0},  // a zero interval gives one immediate look, then ends
        {700, 0, 701, true, kAny},
    };
    for (const Row& r : rows) {
        int32_t remaining = 12345;
        EXPECT_EQ(r.over, WaitIsOver(r.start + static_cast<uint32_t>(r.interval), r.now, r.interval, &remaining))
            << r.start << " " << r.interval << " " << r.now;
        if (r.remaining != kAny) {
            EXPECT_EQ(r.remaining, remaining) << r.start << " " << r.now;
        }
    }
}

TEST(MsgWaitClock, NoLimitNeverEndsAndWaitsWithoutATimeOut) {
    int32_t remaining = 0;
    EXPECT_FALSE(WaitIsOver(0, 0, kWaitInfinite, &remaining));
    EXPECT_EQ(kWaitInfinite, remaining);
    EXPECT_FALSE(WaitIsOver(0, 0xFFFFFFFFu, kWaitInfinite, &remaining));
    EXPECT_EQ(kWaitInfinite, remaining);
}

}  // namespace
}  // namespace hdq
