#pragma once
// Base class of the program's dialogs (templates in the resource scripts). The object's
// `this` travels through WM_INITDIALOG into DWLP_USER; one virtual per message. No exception
// leaves the dialog procedure: a handler that throws is logged and the message counts as handled.
#include <windows.h>
#include <functional>
#include <string>

#include "win32/win32_handles.h"

namespace hdq::win {

class Dialog {
public:
    virtual ~Dialog() = default;
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Modal: returns the code passed to EndModal, or -1 when the dialog could not be made.
    INT_PTR ShowModal(HWND owner, int templateId);
    // Modeless: creates the dialog hidden or shown; the caller keeps the object alive and
    // routes its messages with IsDialogMessage (the main loop does that for every dialog).
    HWND CreateModeless(HWND owner, int templateId, bool show);
    void Destroy();

    HWND hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;
    bool IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void SetChecked(int id, bool on) const { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    void Enable(int id, bool on) const { EnableWindow(Item(id), on ? TRUE : FALSE); }
    void EndModal(INT_PTR code);

    // The DPI the dialog is laid out for now: its monitor's, after a move to another one.
    int Dpi() const { return dpi_; }

    // What F1 (WM_HELP) opens: the dialog's own help page by name, e.g. "manual". The program
    // points it at its help file when it starts.
    static void SetHelpOpener(std::function<bool(const std::string& page)> open);

    // Where a failure caught in a dialog procedure is reported; the program points it at its
    // log when it starts. Without one the failure is only swallowed.
    static void SetFailureReport(std::function<void(const std::string&)> report);

protected:
    virtual bool OnInit() { return true; }                          // WM_INITDIALOG
    virtual void OnCommand(int id, int notifyCode, HWND ctl) {}     // WM_COMMAND
    virtual bool OnClose() { return false; }                        // WM_CLOSE; true = handled
    // Any other message; return true when handled (result in *result).
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) { return false; }
    virtual void OnDestroy() {}
    // After the controls and the dialog's font were scaled to a new DPI: what the dialog
    // sized itself (its own fonts, panel widths) follows here.
    virtual void OnDpiChanged(int oldDpi, int newDpi) {}
    // The page F1 opens; "" for none.
    virtual std::string HelpPage() const { return ""; }

    bool modal_ = false;

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
    // WM_DPICHANGED: every control and the dialog font scaled by the ratio of the DPIs, the
    // window moved to the rectangle Windows suggests. The same on every Windows version, where
    // the dialog manager's own scaling exists on some only.
    void ScaleTo(int newDpi, const RECT& suggested);
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    UniqueFont scaledFont_;  // the template's font at the current DPI, once it has changed
};

// The DPI of the monitor a window is on (its system DPI before Windows 10).
int WindowDpi(HWND hwnd);

// Modeless dialogs register here so the message loop can route keyboard navigation to them.
bool RouteDialogMessage(MSG* msg);

// Adds a tooltip with `text` to control `id` of dialog `dlg` (common controls tooltip).
void AddTooltip(HWND dlg, int id, const std::string& text);

}  // namespace hdq::win
