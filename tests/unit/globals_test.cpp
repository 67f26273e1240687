// The shared file, path and waiting routines.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/globals.h"
#include "win32/msgwait.h"
#include "core/files.h"
#include "fake_dde.h"

namespace hdq {
namespace {

class Globals : public ::testing::Test {
protected:
    test::AppSandbox sb;
};

TEST_F(Globals, ProbesAFolderWithoutTouchingAnEarlierTemporaryFile) {
    test::WriteFile(sb / "1.tmp", "not ours");
    EXPECT_TRUE(ValidatePath(sb.folder()));
    EXPECT_EQ("not ours", test::ReadFile(sb / "1.tmp"));
    EXPECT_FALSE(FileExists(sb / "2.tmp"));  // the probe file is gone again

    // A file where a folder is expected is simply not one: no error line of its own.
    EXPECT_FALSE(ValidatePath(sb / "1.tmp"));
    EXPECT_TRUE(sb.Logged("ERROR: Path " + (sb / "1.tmp") + " does not exist"));
    EXPECT_FALSE(sb.LoggedStartingWith("ERROR ("));
}

TEST(MsgWaitClock, CountsDownUntilTheIntervalHasPassedEvenAcrossAWrapOfTheTickCounter) {
    struct Row {
        uint32_t start;
        int32_t interval;
        uint32_t now;
        bool over;
        int32_t remaining;  // checked only while the wait goes on
    };
    const Row rows[] = {
        {5000, 1000, 6000, false, 0},  // nothing left, but not yet past the deadline
        {5000, 1000, 6001, true, 0},
        {0xFFFFFE00u, 1000, 0xFFFFFF00u, false, 744},  // 512 ms before the counter wraps
        {0xFFFFFE00u, 1000, 0x00000100u, false, 232},  // wrapped, 768 ms gone
        {0xFFFFFE00u, 1000, 0x000001E9u, true, 0},     // 1001 ms gone
        // Over 2^31 ms on, the signed difference turns positive again yet exceeds the interval.
        {1000, 1000, 1000 + 0x80000000u + 500u, true, 0},
        // No limit: never over, and the wait itself gets no time-out.
        {0, kWaitInfinite, 0, false, kWaitInfinite},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.start << " + " << r.interval << " at " << r.now);
        int32_t remaining = 12345;
        EXPECT_EQ(r.over, WaitIsOver(r.start + static_cast<uint32_t>(r.interval), r.now, r.interval, &remaining));
        if (!r.over) {
            EXPECT_EQ(r.remaining, remaining);
        }
    }
}

}  // namespace
}  // namespace hdq
