#include "platform/systray_win32.h"

#include <windowsx.h>

#include <cstring>
#include <exception>

#include "platform/about_win32.h"
#include "platform/platform_res.h"

namespace hdq::win {
namespace {
constexpr const char* kClassName = "HistDataToQorp.FrmSysTray";
constexpr UINT_PTR kFlashTimer = IDT_TmrFlash;

HICON LoadPicture(int id, int size) {
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

int PictureIndex(TrayPicture p) { return static_cast<int>(p); }
}  // namespace

FrmSysTray::FrmSysTray() = default;

FrmSysTray::~FrmSysTray() {
    about_.reset();
    if (window_) Send(NIM_DELETE);
}

bool FrmSysTray::Load(const std::string& exeName, const AppProperties& app) {
    if (window_) return true;
    app_ = app;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &FrmSysTray::WndProc;
    wc.hInstance = inst;
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc);  // fails harmlessly when already registered

    exeName_ = exeName;
    const int small = GetSystemMetrics(SM_CXSMICON), big = GetSystemMetrics(SM_CXICON);
    const int ids[2][3] = {{IDI_Flash1, IDI_Flash2, IDI_Flash3}, {IDI_Flash1W, IDI_Flash2W, IDI_Flash3W}};
    for (int w = 0; w < 2; ++w) {
        for (int i = 0; i < 3; ++i) {
            pictures_[w][i][0].reset(LoadPicture(ids[w][i], small));
            pictures_[w][i][1].reset(LoadPicture(ids[w][i], big));
        }
    }
    // A top-level window rather than a message-only one: only top-level windows hear the
    // TaskbarCreated broadcast after Explorer restarts.
    HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, kWindowTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             inst, this);
    if (!h) return false;
    window_.reset(h);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");

    menu_.reset(LoadMenuA(inst, MAKEINTRESOURCEA(IDM_mPopupMenu)));
    if (HMENU popup = menu_ ? GetSubMenu(menu_.get(), 0) : nullptr) {
        std::string about = "About " + exeName_;
        ModifyMenuA(popup, IDM_mAbout, MF_BYCOMMAND | MF_STRING, IDM_mAbout, about.c_str());
    }

    Use(TrayPicture::Flash1);
    SetFlashing(true);

    record_.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the original layout: tip of 64 characters
    record_.hWnd = h;
    record_.uID = 1;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kCallbackMessage;
    SetTooltip(exeName_);
    Send(NIM_ADD);
    return true;
}

bool FrmSysTray::AddMenuItem(const std::string& text, std::function<void()> action) {
    HMENU popup = menu_ ? GetSubMenu(menu_.get(), 0) : nullptr;
    const UINT id = IDM_mOwnerFirst + static_cast<UINT>(ownerItems_.size());
    if (!popup || !InsertMenuA(popup, IDM_mExit, MF_BYCOMMAND | MF_STRING, id, text.c_str())) return false;
    ownerItems_.push_back(std::move(action));
    return true;
}

void FrmSysTray::SetTooltip(const std::string& text) {
    std::string field = MakeTipField(text);
    std::memset(record_.szTip, 0, sizeof(record_.szTip));
    std::memcpy(record_.szTip, field.data(), field.size());
}

void FrmSysTray::ShowTooltip(const std::string& text) {
    SetTooltip(text);
    Send(NIM_MODIFY);
}

void FrmSysTray::ShowBalloon(const std::string& title, const std::string& text) {
    if (!window_) return;
    // The icon's own record keeps its original 88-byte layout, which has no balloon fields;
    // the balloon goes in a record of the later layout that changes nothing else.
    NOTIFYICONDATAA balloon{};
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.hWnd = record_.hWnd;
    balloon.uID = record_.uID;
    balloon.uFlags = NIF_INFO;
    lstrcpynA(balloon.szInfo, text.c_str(), sizeof balloon.szInfo);
    lstrcpynA(balloon.szInfoTitle, title.c_str(), sizeof balloon.szInfoTitle);
    balloon.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

std::string FrmSysTray::Tooltip() const { return std::string(record_.szTip, kTipFieldLength); }

void FrmSysTray::SetInterval(UINT ms) {
    interval_ = ms;
    if (flashing_ && window_) SetTimer(window_.get(), kFlashTimer, interval_, nullptr);
    Send(NIM_MODIFY);
}

void FrmSysTray::TrayIcon(TrayPicture picture) {
    SetFlashing(false);
    Use(picture);
    Send(NIM_MODIFY);
}

void FrmSysTray::SetWarning(bool on) {
    if (warning_ == on) return;
    warning_ = on;
    // An icon file of the owner's stays as it is; the program's own pictures take the mark.
    if (smallIcon_ != fileSmall_.get() || !fileSmall_) {
        Use(picture_);
        Send(NIM_MODIFY);
    }
}

void FrmSysTray::TrayIcon(const std::string& nameOrFile) {
    SetFlashing(true);
    if (IsDefaultIconName(nameOrFile)) {
        Use(TrayPicture::Flash2);
    } else {
        const int small = GetSystemMetrics(SM_CXSMICON), big = GetSystemMetrics(SM_CXICON);
        UniqueIcon s(static_cast<HICON>(LoadImageA(nullptr, nameOrFile.c_str(), IMAGE_ICON, small, small, LR_LOADFROMFILE)));
        UniqueIcon b(static_cast<HICON>(LoadImageA(nullptr, nameOrFile.c_str(), IMAGE_ICON, big, big, LR_LOADFROMFILE)));
        if (s) {
            fileSmall_ = std::move(s);
            fileBig_ = b ? std::move(b) : UniqueIcon{};
            UseIcon(fileSmall_.get(), fileBig_ ? fileBig_.get() : fileSmall_.get());
        }
    }
    Send(NIM_MODIFY);
}

void FrmSysTray::Use(TrayPicture picture) {
    picture_ = picture;
    const int i = PictureIndex(picture), w = warning_ ? 1 : 0;
    UseIcon(pictures_[w][i][0].get(), pictures_[w][i][1].get());
}

void FrmSysTray::UseIcon(HICON small, HICON big) {
    smallIcon_ = small;
    bigIcon_ = big;
    if (TIcon) TIcon(*this);
}

void FrmSysTray::SetFlashing(bool on) {
    flashing_ = on;
    if (!window_) return;
    if (on) {
        SetTimer(window_.get(), kFlashTimer, interval_, nullptr);
    } else {
        KillTimer(window_.get(), kFlashTimer);
    }
}

void FrmSysTray::Send(DWORD action) {
    if (!window_) return;
    record_.hIcon = smallIcon_;
    Shell_NotifyIconA(action, &record_);
}

void FrmSysTray::OnFlashTick() {
    Use(phase_.Tick());
    Send(NIM_MODIFY);
}

int FrmSysTray::OwnerState(HWND f) {
    if (IsIconic(f)) return kStateMinimized;
    if (IsZoomed(f)) return kStateMaximized;
    return kStateNormal;
}

void FrmSysTray::MeQueryUnload(HWND f, int* cancel, int unloadMode) {
    if (unloadMode != 0) return;
    if (cancel) *cancel = 1;
    ShowWindow(f, SW_MINIMIZE);
    ShowWindow(f, SW_HIDE);
}

void FrmSysTray::MeResize(HWND f) {
    if (ownerState_.OnResize(OwnerState(f))) ShowWindow(f, SW_HIDE);
}

void FrmSysTray::Restore() {
    if (!owner_) return;
    if (!OwnerTracker::RestoreNeeded(IsWindowVisible(owner_) != FALSE, OwnerState(owner_))) return;
    ShowWindow(owner_, ownerState_.SavedState() == kStateMaximized ? SW_SHOWMAXIMIZED : SW_RESTORE);
    SetForegroundWindow(owner_);
}

void FrmSysTray::Minimize() {
    if (owner_) ShowWindow(owner_, SW_MINIMIZE);
}

void FrmSysTray::ShowAbout() {
    if (!about_) about_ = std::make_unique<FrmAbout>(app_);
    about_->Show(window_.get());
}

void FrmSysTray::Exit() {
    if (Exiting) Exiting();
    Send(NIM_DELETE);
    about_.reset();
    window_.reset();
    PostQuitMessage(0);
}

void FrmSysTray::OwnerUnloaded() {
    Send(NIM_DELETE);
    about_.reset();
    window_.reset();
    owner_ = nullptr;
}

void FrmSysTray::OnMouse(long message) {
    std::string name = MouseActionName(message);
    if (message == WM_RBUTTONUP) {
        if (HMENU popup = menu_ ? GetSubMenu(menu_.get(), 0) : nullptr) {
            bool visible = owner_ && IsWindowVisible(owner_);
            TrayMenuState s = MenuStateFor(visible, owner_ ? OwnerState(owner_) : kStateNormal);
            EnableMenuItem(popup, IDM_mRestore, MF_BYCOMMAND | (s.restoreEnabled ? MF_ENABLED : MF_GRAYED));
            EnableMenuItem(popup, IDM_mMinimize, MF_BYCOMMAND | (s.minimizeEnabled ? MF_ENABLED : MF_GRAYED));
        }
        if (Click) Click(name);
        ShowPopup();
        return;
    }
    if (Click) Click(name);
    if (message == WM_LBUTTONDBLCLK) Restore();
}

void FrmSysTray::ShowPopup() {
    HMENU popup = menu_ ? GetSubMenu(menu_.get(), 0) : nullptr;
    if (!popup) return;
    POINT pt{};
    GetCursorPos(&pt);
    // The menu closes when the user clicks elsewhere only if our window is in the foreground,
    // and the WM_NULL afterwards lets a second right click open it again at once.
    SetForegroundWindow(window_.get());
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, pt.x, pt.y, 0, window_.get(), nullptr);
    PostMessageA(window_.get(), WM_NULL, 0, 0);
}

void FrmSysTray::OnMenu(int id) {
    switch (id) {
    case IDM_mAbout: ShowAbout(); break;
    case IDM_mRestore: Restore(); break;
    case IDM_mMinimize: Minimize(); break;
    case IDM_mExit: Exit(); break;
    default:
        if (id >= IDM_mOwnerFirst && id - IDM_mOwnerFirst < static_cast<int>(ownerItems_.size())) {
            if (const auto& action = ownerItems_[static_cast<size_t>(id - IDM_mOwnerFirst)]) action();
        }
        break;
    }
}

LRESULT FrmSysTray::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = window_.get();
    if (msg == kCallbackMessage) {
        OnMouse(static_cast<long>(LOWORD(lp)));
        return 0;
    }
    if (taskbarCreated_ && msg == taskbarCreated_) {
        // Explorer restarted and forgot every icon.
        Send(NIM_ADD);
        return 0;
    }
    switch (msg) {
    case WM_TIMER:
        if (wp == kFlashTimer && flashing_) OnFlashTick();
        return 0;
    case WM_COMMAND:
        OnMenu(LOWORD(wp));
        return 0;
    default:
        return DefWindowProcA(h, msg, wp, lp);
    }
}

LRESULT CALLBACK FrmSysTray::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    FrmSysTray* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<FrmSysTray*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<FrmSysTray*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    // Until CreateWindowEx returns, window_ is still empty: let the default procedure answer.
    if (!self || self->window_.get() != hwnd) return DefWindowProcA(hwnd, msg, wp, lp);
    try {
        return self->Handle(msg, wp, lp);
    } catch (const std::exception& e) {
        self->ReportFailure(e.what());
    } catch (...) {
        self->ReportFailure("unknown failure");
    }
    return 0;
}

void FrmSysTray::ReportFailure(const char* what) const {
    try {
        if (Failed) Failed(std::string("ERROR: FrmSysTray message: ") + what);
    } catch (...) {
    }
}

}  // namespace hdq::win
