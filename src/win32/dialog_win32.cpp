#include "win32/dialog_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "win32/win32_handles.h"

namespace hdq::win {
namespace {
std::vector<HWND>& ModelessDialogs() {
    static std::vector<HWND> list;
    return list;
}
std::function<void(const std::string&)>& FailureReport() {
    static std::function<void(const std::string&)> report;
    return report;
}
std::function<bool(const std::string&)>& HelpOpener() {
    static std::function<bool(const std::string&)> open;
    return open;
}
void LogHandlerFailure(const char* what) {
    try {
        if (FailureReport()) FailureReport()(std::string("ERROR: unhandled failure in dialog: ") + what);
    } catch (...) {
    }
}
}  // namespace

int WindowDpi(HWND hwnd) {
    // GetDpiForWindow exists from Windows 10; Windows 7 has one DPI for the whole session.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(hwnd);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

void Dialog::ScaleTo(int newDpi, const RECT& suggested) {
    const int oldDpi = dpi_;
    if (newDpi > 0 && newDpi != oldDpi) {
        const auto scale = [&](LONG v) { return MulDiv(v, newDpi, oldDpi); };
        // The font the template gave the controls, at the new size.
        HFONT oldFont = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
        LOGFONTA lf{};
        UniqueFont newFont;
        if (oldFont && GetObjectA(oldFont, sizeof lf, &lf)) {
            lf.lfHeight = scale(lf.lfHeight);
            newFont.reset(CreateFontIndirectA(&lf));
        }
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            SetWindowPos(child, nullptr, scale(r.left), scale(r.top), scale(r.right - r.left), scale(r.bottom - r.top),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (newFont && reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == oldFont) {
                SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(newFont.get()), TRUE);
            }
        }
        if (newFont) {
            // The dialog answers WM_GETFONT with the font it was last given.
            SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(newFont.get()), FALSE);
            scaledFont_ = std::move(newFont);
        }
        dpi_ = newDpi;
        OnDpiChanged(oldDpi, newDpi);
    }
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::SetHelpOpener(std::function<bool(const std::string&)> open) { HelpOpener() = std::move(open); }

void Dialog::SetFailureReport(std::function<void(const std::string&)> report) { FailureReport() = std::move(report); }

std::string ErrorText(DWORD code) {
    char* buf = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPSTR>(&buf), 0, nullptr);
    std::string text = n && buf ? std::string(buf, n) : "Unknown error " + std::to_string(code);
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

INT_PTR Dialog::ShowModal(HWND owner, int templateId) {
    modal_ = true;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, &Dialog::Proc,
                           reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HWND owner, int templateId, bool show) {
    modal_ = false;
    HWND h = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, &Dialog::Proc,
                                reinterpret_cast<LPARAM>(this));
    if (h) {
        ModelessDialogs().push_back(h);
        ShowWindow(h, show ? SW_SHOW : SW_HIDE);
    }
    return h;
}

void Dialog::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Dialog::EndModal(INT_PTR code) {
    if (modal_) {
        EndDialog(hwnd_, code);
    } else {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

std::string Dialog::ItemText(int id) const {
    HWND h = Item(id);
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

void Dialog::SetItemText(int id, const std::string& text) const { SetDlgItemTextA(hwnd_, id, text.c_str()); }

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
        return self->Handle(msg, wp, lp);
    } catch (const std::exception& e) {
        LogHandlerFailure(e.what());
    } catch (...) {
        LogHandlerFailure("unknown");
    }
    return TRUE;
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        dpi_ = WindowDpi(hwnd_);
        return OnInit() ? TRUE : FALSE;
    case WM_HELP:
        // F1 anywhere in the dialog: its own page.
        if (const std::string page = HelpPage(); !page.empty() && HelpOpener()) HelpOpener()(page);
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DPICHANGED:
        ScaleTo(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return TRUE;
    case WM_CLOSE:
        if (OnClose()) return TRUE;
        if (modal_) EndDialog(hwnd_, IDCANCEL); else ShowWindow(hwnd_, SW_HIDE);
        return TRUE;
    case WM_DESTROY: {
        OnDestroy();
        auto& list = ModelessDialogs();
        list.erase(std::remove(list.begin(), list.end(), hwnd_), list.end());
        SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
        hwnd_ = nullptr;
        return TRUE;
    }
    default:
        if (OnMessage(msg, wp, lp, &result)) {
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
}

bool RouteDialogMessage(MSG* msg) {
    for (HWND h : ModelessDialogs()) {
        if (IsWindow(h) && IsWindowVisible(h) && IsDialogMessageA(h, msg)) return true;
    }
    return false;
}

void AddTooltip(HWND dlg, int id, const std::string& text) {
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, dlg, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tip) return;
    TOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = dlg;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dlg, id));
    ti.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

}  // namespace hdq::win
