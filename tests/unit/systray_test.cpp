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

TEST(TrayMenu, OffersRestoreOrMinimizeFromTheOwnersVisibilityAndState) {
    struct Case {
        bool visible;
        int state;
        bool restore, minimize;
    };
    const Case cases[] = {{false, kStateNormal, true, false},   {true, kStateNormal, false, true},
                          {true, kStateMaximized, false, true}, {true, kStateMinimized, true, false},
                          {true, 7, true, true}};
    for (const Case& c : cases) {
        const TrayMenuState s = MenuStateFor(c.visible, c.state);
        EXPECT_EQ(c.restore, s.restoreEnabled) << c.visible << " " << c.state;
        EXPECT_EQ(c.minimize, s.minimizeEnabled) << c.visible << " " << c.state;
    }
}

}  // namespace
}  // namespace hdq
