#pragma once
// CommonUI: the program's main window. It owns the tray window, the hourly service timer and
// the export cycle, shows the activity list and the service mode, and offers the buttons to
// pause or resume the service, run by hand, change settings, clear the list and get help.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <string>

#include "app/deliveries_win32.h"
#include "app/export_cycle.h"
#include "app/globals.h"
#include "app/shared.h"
#include "app/service_modes.h"
#include "win32/dialog_win32.h"
#include "platform/systray_win32.h"
#include "win32/win32_handles.h"

namespace hdq::win {

// The program's notification-area icon, loaded, with its Exit and failure lines wired to the
// program's; the main window takes it over.
std::unique_ptr<FrmSysTray> LoadTray();

class CommonUI : public Dialog, private ServiceView, private ActivityList {
public:
    // Window property that marks the main window of the copy running from a program folder.
    static constexpr const char* kInstanceProperty = "HistDataToQorp.ProgramFolder";
    static constexpr const char* kSupportAddress = "https://www.pelomark.example/support/histdata-to-qorp";

    // tray: the notification-area icon, loaded before this window (see Main); made here when
    // none is given.
    explicit CommonUI(DdeForm& form, std::unique_ptr<FrmSysTray> tray = nullptr);
    ~CommonUI() override;

    // Loads the window and its tray window, then either starts the service hidden or, with an
    // incomplete configuration, stays paused, opens the connection settings and shows itself.
    bool Load(const std::string& title);

    // Posted by a second copy started from the same folder: bring this window forward.
    static UINT RestoreMessage();
    // Before Load, which may wait in the settings form: once the window exists it ends the
    // program as the tray's Exit does when exitEvent is set ("/exit" from any session), leaving
    // the restart file for the installer that asked, and answers each "/export" request that
    // exportEvent announces, running an accepted range.
    void WatchRequests(HANDLE exitEvent, HANDLE exportEvent) {
        exitEvent_ = exitEvent;
        exportEvent_ = exportEvent;
    }
    // The range of this start's own "/export", when no copy ran to take it.
    void RunExportAtStart(const DateTime& from, const DateTime& to);
    // Non-zero key of a program folder, the same for any letter case of the path.
    static uint32_t FolderKey(const std::string& folder);
    // The key of a program folder, in its long form (a copy started through a short 8.3 path
    // is the same installation); InstanceKey is this program's.
    static uint32_t InstanceKey();
    static uint32_t InstanceKeyOf(const std::string& folder);

protected:
    bool OnInit() override;
    // F1 opens what the Help button opens.
    std::string HelpPage() const override { return AppConfig().item("HELPTOPIC"); }
    void OnCommand(int id, int notifyCode, HWND ctl) override;
    bool OnClose() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) override;
    void OnDestroy() override;
    void OnDpiChanged(int oldDpi, int newDpi) override;

private:
    // ServiceView
    void SetTimerEnabled(bool on) override;
    void SetPauseCaption(const std::string& text) override;
    void SetModePanel(const std::string& text) override;
    void SetProgressPanel(const std::string& text) override;
    void SetTrayPicture(TrayPicture picture) override;
    void SetBusy(bool busy) override;
    void SetManualCaption(const std::string& text) override;
    void SetExportStatus(const std::string& text, const std::string& tip) override;
    void SetTrayWarning(bool on) override;
    void AskForSettings() override;
    void ShowBalloon(const std::string& text) override;
    // ActivityList over lstActivityLog
    int Count() const override;
    void Clear() override;
    void Append(const std::string& line) override;

    void CreateStatusBar();
    void EndForExitRequest();
    static UINT ExitRequestMessage();
    static UINT ExportRequestMessage();
    static UINT RunExportMessage();
    void AnswerExportRequest();
    // kExportAccepted (the range then runs once this message is handled), or the refusal.
    ExportCode TakeExport(const DateTime& from, const DateTime& to, std::string* reason);
    // The list's font and scroll width and the status panels for the window's DPI.
    void SizeForDpi(int dpi);
    void RunManually();
    void TellNotConfigured();
    void OpenConnectionSettings();
    void EndIfExitWasChosen();
    void HideWindow() { ShowWindow(hwnd(), SW_HIDE); }
    void CloseBox();

    ExportCycle cycle_;
    ServiceController service_;
    std::unique_ptr<FrmSysTray> formSys_;
    DeliveriesWindow deliveries_{ReadProgramWeekPicture};
    UniqueFont listFont_;
    HWND statusBar_ = nullptr;  // a child: destroyed with the window
    void RegisterRequestWaits();
    HANDLE exitEvent_ = nullptr, exportEvent_ = nullptr;  // owned by the caller
    UniqueWait exitWait_;
    UniqueWait exportWait_;
    std::optional<std::pair<DateTime, DateTime>> pendingExport_;
    bool busy_ = false;
    bool settingsOpen_ = false;  // the connection settings are showing (a modal loop runs)
};

}  // namespace hdq::win
