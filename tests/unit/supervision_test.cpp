#include <gtest/gtest.h>

#include "fake_dde.h"

namespace hdq {
namespace {

class HistDataSupervision : public ::testing::Test, protected test::DdeFormHarness {};

TEST_F(HistDataSupervision, WaitsForASlowWindowInsteadOfStartingAgainEvenAcrossATickWrap) {
    for (uint32_t tick : {0u, 0xFFFFF000u}) {
        SCOPED_TRACE(tick);
        host.starts.clear();
        clock.SetTick(tick);
        host.WindowAfterStarts(1, 6000);
        EXPECT_TRUE(form.Init());
        EXPECT_EQ(1u, host.starts.size());
    }
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 1"));
}

TEST_F(HistDataSupervision, StopsAfterTenStartsWhenTheWindowNeverComes) {
    host.WindowNever();
    EXPECT_FALSE(form.Init());
    EXPECT_EQ(10u, host.starts.size());
    EXPECT_TRUE(sb.Logged("Attempts to start histdata.exe = 10"));
    EXPECT_TRUE(sb.Logged("Error: Unable to start HistData.exe"));
    // Each start is given its ten seconds and no more.
    EXPECT_GE(clock.TickMs(), 10u * 10000u);
    EXPECT_LT(clock.TickMs(), 10u * 11000u);
}

}  // namespace
}  // namespace hdq
