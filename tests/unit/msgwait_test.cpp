#include <gtest/gtest.h>

#include <cstdint>

#include "app/msgwait.h"

namespace hdq {
namespace {

struct Step {
    bool over;
    int32_t remaining;
};

Step At(uint32_t start, int32_t interval, uint32_t now) {
    int32_t remaining = 12345;
    const bool over = WaitIsOver(start + static_cast<uint32_t>(interval), now, interval, &remaining);
    return {over, remaining};
}

TEST(MsgWaitClock, RunsUntilTheIntervalHasPassedAndCountsDownTheRest) {
    EXPECT_FALSE(At(5000, 1000, 5000).over);
    EXPECT_EQ(1000, At(5000, 1000, 5000).remaining);
    EXPECT_FALSE(At(5000, 1000, 5400).over);
    EXPECT_EQ(600, At(5000, 1000, 5400).remaining);
    EXPECT_FALSE(At(5000, 1000, 6000).over);  // nothing left, but not yet past the deadline
    EXPECT_EQ(0, At(5000, 1000, 6000).remaining);
    EXPECT_TRUE(At(5000, 1000, 6001).over);
    EXPECT_TRUE(At(5000, 1000, 90000).over);
}

TEST(MsgWaitClock, KeepsCountingAcrossTheWrapOfTheTickCounter) {
    const uint32_t start = 0xFFFFFE00u;  // 512 ms before the counter wraps to zero
    EXPECT_FALSE(At(start, 1000, 0xFFFFFF00u).over);
    EXPECT_EQ(744, At(start, 1000, 0xFFFFFF00u).remaining);
    EXPECT_FALSE(At(start, 1000, 0x00000100u).over);  // wrapped, 768 ms gone
    EXPECT_EQ(232, At(start, 1000, 0x00000100u).remaining);
    EXPECT_TRUE(At(start, 1000, 0x000001E9u).over);   // 1001 ms gone
}

TEST(MsgWaitClock, EndsWhenTheTickHasRunSoFarThatTheDifferenceWrapped) {
    // More than 2^31 ms after the start the signed difference turns positive again and would
    // look like a long wait still ahead; it exceeds the interval, which ends the wait.
    const uint32_t start = 1000;
    const uint32_t farLater = start + 0x80000000u + 500u;
    EXPECT_TRUE(At(start, 1000, farLater).over);
}

TEST(MsgWaitClock, ZeroIntervalGivesOneImmediateLookThenEnds) {
    EXPECT_FALSE(At(700, 0, 700).over);
    EXPECT_EQ(0, At(700, 0, 700).remaining);
    EXPECT_TRUE(At(700, 0, 701).over);
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
