#include <gtest/gtest.h>

#include "platform/systray.h"

namespace hdq {
namespace {

TEST(TrayMouseActions, NamesTheTenMouseMessagesAndReportsAnyOtherByNumber) {
    const char* names[] = {"MOUSEMOVE",   "LBUTTONDOWN",   "LBUTTONUP",   "LBUTTONDBLCLK", "RBUTTONDOWN",
                           "RBUTTONUP",   "RBUTTONDBLCLK", "MBUTTONDOWN", "MBUTTONUP",     "MBUTTONDBLCLK"};
    for (long m = 512; m <= 521; ++m) EXPECT_EQ(names[m - 512], MouseActionName(m)) << m;
    EXPECT_EQ("OTHER....: 511", MouseActionName(511));
    EXPECT_EQ("OTHER....: 522", MouseActionName(522));
    EXPECT_EQ("OTHER....: 1024", MouseActionName(1024));
}

TEST(TrayTip, PadsAShortTextWithATerminatorAndBlanksAndCutsALongOneSoItStaysTerminated) {
    std::string field = MakeTipField("HistDataToQorp");
    ASSERT_EQ(64u, field.size());
    EXPECT_EQ(std::string("HistDataToQorp\0", 15), field.substr(0, 15));
    EXPECT_EQ(std::string(49, ' '), field.substr(15));

    field = MakeTipField(std::string(70, 'x'));
    ASSERT_EQ(64u, field.size());
    EXPECT_EQ(std::string(63, 'x'), field.substr(0, 63));
    EXPECT_EQ('\0', field[63]);
    EXPECT_EQ('\0', MakeTipField(std::string(64, 'y'))[63]);
}

TEST(TrayMenu, OffersRestoreOrMinimizeFromTheOwnersVisibilityAndState) {
    TrayMenuState hidden = MenuStateFor(false, kStateNormal);
    EXPECT_TRUE(hidden.restoreEnabled);
    EXPECT_FALSE(hidden.minimizeEnabled);
    for (int shown : {kStateNormal, kStateMaximized}) {
        TrayMenuState s = MenuStateFor(true, shown);
        EXPECT_FALSE(s.restoreEnabled);
        EXPECT_TRUE(s.minimizeEnabled);
    }
    TrayMenuState minimised = MenuStateFor(true, kStateMinimized);
    EXPECT_TRUE(minimised.restoreEnabled);
    EXPECT_FALSE(minimised.minimizeEnabled);
    TrayMenuState other = MenuStateFor(true, 7);
    EXPECT_TRUE(other.restoreEnabled);
    EXPECT_TRUE(other.minimizeEnabled);
}

TEST(TrayIconChoice, TakesDefaultInAnyLetterCaseAndFlashesStartingWithFlash2) {
    EXPECT_TRUE(IsDefaultIconName("default"));
    EXPECT_TRUE(IsDefaultIconName("DeFaUlT"));
    EXPECT_FALSE(IsDefaultIconName("default.ico"));
    FlashPhase phase;
    EXPECT_EQ(TrayPicture::Flash2, phase.Tick());
    EXPECT_EQ(TrayPicture::Flash1, phase.Tick());
    EXPECT_EQ(TrayPicture::Flash2, phase.Tick());
}

TEST(TrayOwner, HidesAMinimisedOwnerAndRestoresItToItsLastShownState) {
    OwnerTracker owner;
    EXPECT_FALSE(owner.OnResize(kStateMaximized));
    EXPECT_TRUE(owner.OnResize(kStateMinimized));
    EXPECT_EQ(kStateMaximized, owner.SavedState());
    EXPECT_FALSE(owner.OnResize(5));
    EXPECT_EQ(kStateMaximized, owner.SavedState());
    EXPECT_FALSE(owner.OnResize(kStateNormal));
    EXPECT_EQ(kStateNormal, owner.SavedState());

    EXPECT_TRUE(OwnerTracker::RestoreNeeded(false, kStateNormal));
    EXPECT_TRUE(OwnerTracker::RestoreNeeded(true, kStateMinimized));
    EXPECT_FALSE(OwnerTracker::RestoreNeeded(true, kStateMaximized));
}

}  // namespace
}  // namespace hdq
