#include <gtest/gtest.h>
TEST(Smoke, BuildsAndRuns) { EXPECT_EQ(2, 1 + 1); }
