#include <gtest/gtest.h>

#include "platform/systray.h"

namespace hdq {
namespace {

TEST(TrayTip, PadsAShortTextWithATerminatorAndBlanksAndCutsALongOneSoItStaysTerminated) {
    std::string field = MakeTipField("HistDataToQorp");
    ASSERT_EQ(64u, field.size());
    EXPECT_EQ(std::string("HistDataToQorp\0", 15) + std::string(49, ' '), field);
    for (size_t length : {63u, 64u, 70u}) {
        field = MakeTipField(std::string(length, 'x'));
        ASSERT_EQ(64u, field.size()) << length;
        EXPECT_EQ(std::string(63, 'x') + '\0', field) << length;
    }
}

}  // namespace
}  // namespace hdq
