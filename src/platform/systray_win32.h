#pragma once
// FrmSysTray: the hidden window that owns the program's notification-area icon on behalf of
// an owner window. It flashes or shows a steady picture, turns mouse actions on the icon into
// Click events and the restore/minimise behaviour of the owner, offers the popup menu, and
// hides the owner when it is minimised or closed with the close box. It knows nothing of the
// export work.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/app_properties.h"
#include "platform/systray.h"
#include "win32/win32_handles.h"

namespace hdq::win {

class FrmAbout;

class FrmSysTray {
public:
    // The shell reports mouse actions on the icon with this message, the mouse message in
    // lParam where a real mouse move carries its x coordinate. The tray window is never
    // shown, so no real mouse movement reaches it and the two cannot be confused.
    static constexpr UINT kCallbackMessage = WM_MOUSEMOVE;
    static constexpr const char* kWindowTitle = "FrmSysTray";

    FrmSysTray();
    ~FrmSysTray();
    FrmSysTray(const FrmSysTray&) = delete;
    FrmSysTray& operator=(const FrmSysTray&) = delete;

    // Raised after every change of the icon, so the owner can copy it to its title bar.
    std::function<void(FrmSysTray&)> TIcon;
    // Raised with the name of each mouse action on the icon.
    std::function<void(const std::string&)> Click;
    // Raised by Exit just before it asks the program to end, so an owner busy in a long job
    // can learn of it even if a modal loop further down swallows the quit message.
    std::function<void()> Exiting;

    // Raised with a failure caught in the tray window's procedure, which no exception leaves.
    std::function<void(const std::string&)> Failed;

    // Creates the hidden window, starts flashing and adds the icon; tip = the exe name. The
    // about box shows app.
    bool Load(const std::string& exeName, const AppProperties& app);
    // An item of the owner's in the popup menu, placed above Exit (after Load); chosen, it
    // calls action. False when the menu is not there.
    bool AddMenuItem(const std::string& text, std::function<void()> action);
    void SetFSys(HWND owner) { owner_ = owner; }
    HWND FSys() const { return owner_; }
    HWND hwnd() const { return window_.get(); }

    void SetTooltip(const std::string& text);
    // Sets the tip and shows it on the icon at once.
    void ShowTooltip(const std::string& text);
    // A warning balloon over the icon.
    void ShowBalloon(const std::string& title, const std::string& text);
    std::string Tooltip() const;  // the whole 64-character field
    void SetInterval(UINT ms);
    UINT Interval() const { return interval_; }

    // A steady picture: flashing stops.
    void TrayIcon(TrayPicture picture);
    // "DEFAULT" (any case) flashes from Flash2; otherwise an icon file, shown until the next
    // flash tick. A file that cannot be loaded falls back to flashing.
    void TrayIcon(const std::string& nameOrFile);
    // Marks every picture with a warning sign (a shape, not only a colour) until called off.
    void SetWarning(bool on);
    bool Warning() const { return warning_; }
    HICON Icon() const { return smallIcon_; }
    HICON BigIcon() const { return bigIcon_; }
    bool Flashing() const { return flashing_; }

    // The owner's close request: the close box (unloadMode 0) minimises and hides the owner
    // and cancels the close; any other close goes ahead.
    void MeQueryUnload(HWND f, int* cancel, int unloadMode);
    // The owner's resize: a minimised owner is hidden, other states are remembered.
    void MeResize(HWND f);
    void Restore();
    void Minimize();
    void ShowAbout();
    // mExit: removes the icon, unloads the tray window and ends the program.
    void Exit();
    // The owner is going away: the icon goes with it.
    void OwnerUnloaded();

    const NOTIFYICONDATAA& Record() const { return record_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void OnFlashTick();
    void OnMouse(long message);
    void OnMenu(int id);
    void ShowPopup();
    void Use(TrayPicture picture);
    void UseIcon(HICON small, HICON big);
    void SetFlashing(bool on);
    void Send(DWORD action);
    static int OwnerState(HWND f);
    void ReportFailure(const char* what) const;

    UniqueWindow window_;
    UniqueIcon pictures_[2][3][2];  // [1 with the warning mark][picture][0 small, 1 big]
    TrayPicture picture_ = TrayPicture::Flash1;
    bool warning_ = false;
    UniqueIcon fileSmall_, fileBig_;
    HICON smallIcon_ = nullptr;  // borrowed from the holders above
    HICON bigIcon_ = nullptr;
    UniqueMenu menu_;
    NOTIFYICONDATAA record_{};
    UINT interval_ = 1000;
    bool flashing_ = false;
    FlashPhase phase_;
    OwnerTracker ownerState_;
    HWND owner_ = nullptr;
    UINT taskbarCreated_ = 0;
    std::string exeName_;
    AppProperties app_;
    std::unique_ptr<FrmAbout> about_;
    std::vector<std::function<void()>> ownerItems_;  // by command ID from IDM_mOwnerFirst
};

}  // namespace hdq::win
