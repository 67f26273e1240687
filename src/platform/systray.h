#pragma once
// The portable rules of the notification-area icon: the names of the mouse actions the shell
// reports, the enabled state of the popup menu, the tip field, the flash phases and the owner
// state remembered for Restore. The window itself lives in systray_win32.
#include <cstddef>
#include <string>

namespace hdq {

// The three pictures of the tray window. Flash1 and Flash2 alternate while the icon flashes.
enum class TrayPicture { Flash1, Flash2, Flash3 };

// Owner window states as the tray window reports them.
inline constexpr int kStateNormal = 0;
inline constexpr int kStateMinimized = 1;
inline constexpr int kStateMaximized = 2;

// Length of the tip field of the notification record, terminator included.
inline constexpr std::size_t kTipFieldLength = 64;

// The name raised with the Click event for a mouse message number the shell reported.
std::string MouseActionName(long message);

// The 64-character tip field: the text, a NUL, then blanks. The shell reads the field as a
// C string, so the text keeps at most 63 characters and the field is always terminated.
std::string MakeTipField(const std::string& text);

struct TrayMenuState {
    bool restoreEnabled;
    bool minimizeEnabled;
};
// Enabled state of Restore and Minimize before the popup menu opens.
TrayMenuState MenuStateFor(bool ownerVisible, int ownerState);

// True when a TrayIcon name asks for the default flashing icon ("DEFAULT", any letter case).
bool IsDefaultIconName(const std::string& name);

// The flashing icon: each tick inverts the phase; phase on shows Flash2, off Flash1.
class FlashPhase {
public:
    TrayPicture Tick() {
        on_ = !on_;
        return on_ ? TrayPicture::Flash2 : TrayPicture::Flash1;
    }

private:
    bool on_ = false;
};

// What the tray window remembers of its owner so that Restore brings back a maximised window
// maximised.
class OwnerTracker {
public:
    // The owner was resized: returns true when it is minimised and must be hidden; a normal or
    // maximised state is remembered for the next Restore.
    bool OnResize(int state);
    int SavedState() const { return saved_; }
    // Restore is needed unless the owner is already visible and not minimised.
    static bool RestoreNeeded(bool ownerVisible, int ownerState) {
        return !(ownerVisible && ownerState != kStateMinimized);
    }

private:
    int saved_ = kStateNormal;
};

}  // namespace hdq
