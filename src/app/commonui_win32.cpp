#include "app/commonui_win32.h"

#include <commctrl.h>

#include "app/manualrun_win32.h"
#include "win32/msgwait.h"
#include "app/export_request_win32.h"
#include "app/resource.h"
#include "app/running_copy.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/files.h"
#include "core/scoped_flag.h"
#include "core/text.h"
#include "settings/settings_dialogs.h"

namespace hdq::win {
namespace {
constexpr UINT_PTR kServiceTimer = IDT_tmrProcessFiles;
// Runs in every mode: a start waiting for its folders, and the reminder of a paused service.
constexpr UINT_PTR kWatchTimer = IDT_tmrProcessFiles + 1;
constexpr UINT kServiceIntervalMs = 60000;
constexpr int kModePanelWidth = 140;
constexpr const char* kExitRequested = "HistDataToQorp.ExitRequested";
constexpr const char* kExportRequested = "HistDataToQorp.ExportRequested";
}  // namespace

CommonUI::CommonUI(DdeForm& form, std::unique_ptr<FrmSysTray> tray)
    : cycle_(form), service_(cycle_, *this, AppEvents()), formSys_(std::move(tray)) {}

CommonUI::~CommonUI() {
    if (GetActivityList() == this) SetActivityList(nullptr);
    Destroy();
}

UINT CommonUI::RestoreMessage() { return RegisterWindowMessageA("HistDataToQorp.RestoreMainWindow"); }
UINT CommonUI::ExitRequestMessage() { return RegisterWindowMessageA(kExitRequested); }

namespace {
// Thread-pool callbacks: they only post to the window, whose own thread acts, inside an
// export's or a form's waits too.
VOID CALLBACK PostExitRequest(PVOID window, BOOLEAN) {
    PostMessageA(static_cast<HWND>(window), RegisterWindowMessageA(kExitRequested), 0, 0);
}
VOID CALLBACK PostExportRequest(PVOID window, BOOLEAN) {
    PostMessageA(static_cast<HWND>(window), RegisterWindowMessageA(kExportRequested), 0, 0);
}
}  // namespace

std::unique_ptr<FrmSysTray> LoadTray() {
    auto tray = std::make_unique<FrmSysTray>();
    tray->Exiting = [] { SetQuitRequested(true); };
    tray->Failed = [](const std::string& line) { AppLog().WriteLog(line, 0); };
    tray->Load(fsys::ExeName(), App());
    return tray;
}

void CommonUI::RegisterRequestWaits() {
    HANDLE wait = nullptr;
    if (exitEvent_ && RegisterWaitForSingleObject(&wait, exitEvent_, &PostExitRequest, hwnd(), INFINITE, WT_EXECUTEONLYONCE)) {
        exitWait_.reset(wait);
    }
    if (exportEvent_ &&
        RegisterWaitForSingleObject(&wait, exportEvent_, &PostExportRequest, hwnd(), INFINITE, WT_EXECUTEDEFAULT)) {
        exportWait_.reset(wait);
    }
}

UINT CommonUI::ExportRequestMessage() { return RegisterWindowMessageA(kExportRequested); }
UINT CommonUI::RunExportMessage() { return RegisterWindowMessageA("HistDataToQorp.RunExport"); }

ExportCode CommonUI::TakeExport(const DateTime& from, const DateTime& to, std::string* reason) {
    // One range at a time: a copy that is busy queues nothing.
    const ExportCode code = pendingExport_ ? kExportBusy : service_.ExportRefusal(reason);
    if (pendingExport_) *reason = "an export is already running";
    const std::string range = FormatGeneral(from) + " to " + FormatGeneral(to);
    if (code != kExportAccepted) {
        LogActivity("Error: Export of " + range + " asked for on the command line refused: " + *reason, 0);
        return code;
    }
    // The answer goes out before the range runs, which may take hours.
    pendingExport_.emplace(from, to);
    PostMessageA(hwnd(), RunExportMessage(), 0, 0);
    return code;
}

void CommonUI::AnswerExportRequest() {
    const std::optional<std::string> text = fsys::ReadAll(ExportRequestFile());
    fsys::DeleteFile(ExportRequestFile());
    const std::optional<ExportRequest> request = text ? ParseExportRequest(*text) : std::nullopt;
    if (!request) {
        LogActivity("Error: Unable to read the export request " + ExportRequestFile(), 0);
        return;
    }
    ExportAnswer answer{request->id, kExportAccepted, ""};
    answer.code = TakeExport(request->from, request->to, &answer.reason);
    if (!fsys::WriteAtomic(ExportAnswerFile(), FormatExportAnswer(answer))) {
        AppLog().WriteLog("Error: Unable to write " + ExportAnswerFile(), 0);
    }
}

void CommonUI::RunExportAtStart(const DateTime& from, const DateTime& to) {
    std::string reason;
    TakeExport(from, to, &reason);
}

void CommonUI::EndForExitRequest() {
    LogActivity("Ending at the request of \"/exit\" (an installer or a script)", 0);
    // Who ran this copy, so that an installer can start it again for the same user.
    if (!fsys::WriteAtomic(AppFiles().Named(".restart"), RestartFileLines())) {
        AppLog().WriteLog("Error: Unable to write " + AppFiles().Named(".restart"), 0);
    }
    if (formSys_) {
        formSys_->Exit();
    } else {
        SetQuitRequested(true);
        PostQuitMessage(0);
    }
}

uint32_t CommonUI::FolderKey(const std::string& folder) {
    // FNV-1a over the upper-cased path: Windows paths differ only in letter case.
    uint32_t h = 2166136261u;
    for (unsigned char c : ToUpper(folder)) {
        h ^= c;
        h *= 16777619u;
    }
    return h | 1u;
}

uint32_t CommonUI::InstanceKey() { return InstanceKeyOf(fsys::ProgramFolder()); }

uint32_t CommonUI::InstanceKeyOf(const std::string& programFolder) {
    std::string folder = programFolder;
    char longForm[MAX_PATH * 2];
    DWORD n = GetLongPathNameA(folder.c_str(), longForm, sizeof longForm);
    if (n > 0 && n < sizeof longForm) folder.assign(longForm, n);
    return FolderKey(folder);
}

bool CommonUI::Load(const std::string& title) {
    if (!CreateModeless(nullptr, IDD_CommonUI, false)) return false;
    SetWindowTextA(hwnd(), title.c_str());
    SetTimer(hwnd(), kWatchTimer, kServiceIntervalMs, nullptr);
    RegisterRequestWaits();
    // Whoever an earlier "/exit" ended runs again now: an installer must not start it twice.
    fsys::DeleteFile(AppFiles().Named(".restart"));
    // Asked for settings, the window shows itself; otherwise the program lives in the tray.
    if (service_.Start() != StartOutcome::AskOperator) HideWindow();
    return true;
}

bool CommonUI::OnInit() {
    SizeForDpi(Dpi());
    CreateStatusBar();

    SetActivityList(this);
    SetHelpOwnerWindow(hwnd());
    SetPropA(hwnd(), kInstanceProperty,
             reinterpret_cast<HANDLE>(static_cast<uintptr_t>(InstanceKey())));

    if (!formSys_) formSys_ = LoadTray();
    formSys_->TIcon = [this](FrmSysTray& tray) {
        SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(tray.Icon()));
        SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(tray.BigIcon()));
    };
    formSys_->TIcon(*formSys_);  // the picture the tray took before this window was there
    formSys_->SetFSys(hwnd());
    formSys_->AddMenuItem("&Deliveries", [this] { deliveries_.Open(); });
    service_.RefreshStatus();
    return true;
}

void CommonUI::SizeForDpi(int dpi) {
    HWND list = Item(IDC_lstActivityLog);
    const int height = -MulDiv(9, dpi, 72);
    UniqueFont font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Lucida Console"));
    if (font) {
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        listFont_ = std::move(font);  // the old one only after the list has let go of it
    }
    // Log lines are often wider than the list; let it scroll sideways.
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(MulDiv(2400, dpi, 96)), 0);
    if (statusBar_) {
        int parts[] = {MulDiv(kModePanelWidth, dpi, 96), -1};
        SendMessageA(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
        SendMessageA(statusBar_, WM_SIZE, 0, 0);
    }
}

void CommonUI::OnDpiChanged(int, int newDpi) { SizeForDpi(newDpi); }

void CommonUI::CreateStatusBar() {
    statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_sb1)), GetModuleHandleA(nullptr),
                                 nullptr);
    if (!statusBar_) return;
    int parts[] = {MulDiv(kModePanelWidth, Dpi(), 96), -1};
    SendMessageA(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

void CommonUI::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDC_btnPause:
        if (!service_.TogglePause()) TellNotConfigured();
        break;
    case IDC_btnManual:
        // Pressed again while its export runs (inside that export's waits), it is Stop.
        if (service_.ManualRunning()) {
            service_.StopManualRun();
            break;
        }
        if (service_.BeginManualRun()) RunManually();
        EndIfExitWasChosen();
        break;
    case IDC_btnSettings:
        OpenConnectionSettings();
        break;
    case IDC_btnAdvSettings:
        ShowExecutionSettings(hwnd());
        break;
    case IDC_btnClear:
        Clear();
        break;
    case IDC_btnDeliveries:
        deliveries_.Open();
        break;
    case IDC_CmdClose:
        if (!service_.SetServiceMode(ServiceMode::Running)) TellNotConfigured();
        HideWindow();
        break;
    case IDC_cmdHelp:
        if (!OpenHelpTopic(AppConfig().item("HELPTOPIC"))) {
            LogActivity(std::string("Help not available, online article at: ") + kSupportAddress, 0);
        }
        break;
    case IDCANCEL:  // Esc: like the close box
        CloseBox();
        break;
    default:
        break;
    }
}

void CommonUI::TellNotConfigured() {
    // The operator pressed for the service: the reason must reach him, not only the list.
    if (const std::string line = service_.NotConfiguredLine(); !line.empty()) {
        AppMsgBox().VrxMsgBox(line, 48, App().title);
    }
}

void CommonUI::RunManually() {
    const std::unique_ptr<OperatorDates> dates = UserOperatorDates();
    CommonManualRun answer(*dates);
    ManualRunDialog dialog(answer);
    dialog.Show(hwnd());
    if (answer.ManualRunResult() != CommonManualRun::kRun) return;
    service_.RunManually(answer.StartDate(), answer.EndDate());
}

void CommonUI::EndIfExitWasChosen() {
    // Exit chosen during an export has its quit message taken by the export's waits, and a
    // DDE transaction's own message loop may drop it; the program still has to end.
    if (QuitRequested()) PostQuitMessage(0);
}

void CommonUI::OpenConnectionSettings() {
    // The minute's check may ask for the settings while the operator already has them open.
    if (settingsOpen_) return;
    const ScopedFlag showing(settingsOpen_);
    ShowConnectionSettings(hwnd());
}

void CommonUI::CloseBox() {
    int cancel = 0;
    if (formSys_) formSys_->MeQueryUnload(hwnd(), &cancel, 0);
}

bool CommonUI::OnClose() {
    // The close box only sends the window to the notification area; Exit in the tray menu ends
    // the program.
    CloseBox();
    return true;
}

bool CommonUI::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kWatchTimer) {
            service_.OnWatchTick();
            return true;
        }
        if (wp != kServiceTimer) return false;
        service_.OnTimerTick();
        EndIfExitWasChosen();
        return true;
    case WM_SIZE:
        if (statusBar_) SendMessageA(statusBar_, WM_SIZE, 0, 0);
        if (formSys_) formSys_->MeResize(hwnd());
        return true;
    case WM_SETCURSOR:
        if (!busy_) return false;
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        *result = TRUE;
        return true;
    case WM_QUERYENDSESSION:
        // Shut-down or log-off: an export running inside this message's wait stops after the
        // hour under way, every hour before it already saved. The session may end.
        SetSessionEnding(true);
        *result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (!wp) {
            // Another program called the end of the session off: carry on exporting.
            SetSessionEnding(false);
            return true;
        }
        LogActivity("Windows is ending the session", 0);
        AppLog().closeLog();
        // Windows is ending the program: the close goes ahead, and the icon must not linger.
        if (formSys_) formSys_->OwnerUnloaded();
        return true;
    default:
        if (msg == RestoreMessage() && formSys_) {
            formSys_->Restore();
            return true;
        }
        if (msg == ExitRequestMessage()) {
            EndForExitRequest();
            return true;
        }
        if (msg == ExportRequestMessage()) {
            AnswerExportRequest();
            return true;
        }
        if (msg == RunExportMessage() && pendingExport_) {
            const auto [from, to] = *pendingExport_;
            service_.RunRequestedExport(from, to);
            pendingExport_.reset();
            EndIfExitWasChosen();
            return true;
        }
        return false;
    }
}

void CommonUI::OnDestroy() {
    exitWait_.reset();
    exportWait_.reset();
    KillTimer(hwnd(), kServiceTimer);
    KillTimer(hwnd(), kWatchTimer);
    RemovePropA(hwnd(), kInstanceProperty);
    if (GetActivityList() == this) SetActivityList(nullptr);
    if (HelpOwnerWindow() == hwnd()) SetHelpOwnerWindow(nullptr);
    if (formSys_) formSys_->OwnerUnloaded();
    statusBar_ = nullptr;
}

void CommonUI::SetTimerEnabled(bool on) {
    if (on) {
        SetTimer(hwnd(), kServiceTimer, kServiceIntervalMs, nullptr);
    } else {
        KillTimer(hwnd(), kServiceTimer);
    }
}

void CommonUI::SetPauseCaption(const std::string& text) { SetItemText(IDC_btnPause, text); }

void CommonUI::SetManualCaption(const std::string& text) { SetItemText(IDC_btnManual, text); }

void CommonUI::SetModePanel(const std::string& text) {
    if (statusBar_) SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CommonUI::SetProgressPanel(const std::string& text) {
    if (statusBar_) SendMessageA(statusBar_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

void CommonUI::SetTrayPicture(TrayPicture picture) {
    if (formSys_) formSys_->TrayIcon(picture);
}

void CommonUI::SetExportStatus(const std::string& text, const std::string& tip) {
    SetProgressPanel(text);
    if (formSys_) formSys_->ShowTooltip(tip);
    deliveries_.Refresh();  // the status follows every hour the service settles
}

void CommonUI::SetTrayWarning(bool on) {
    if (formSys_) formSys_->SetWarning(on);
}

void CommonUI::AskForSettings() {
    OpenConnectionSettings();
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
}

void CommonUI::ShowBalloon(const std::string& text) {
    if (formSys_) formSys_->ShowBalloon(fsys::ExeName(), text);
}

void CommonUI::SetBusy(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

int CommonUI::Count() const {
    return static_cast<int>(SendMessageA(Item(IDC_lstActivityLog), LB_GETCOUNT, 0, 0));
}

void CommonUI::Clear() { SendMessageA(Item(IDC_lstActivityLog), LB_RESETCONTENT, 0, 0); }

void CommonUI::Append(const std::string& line) {
    HWND list = Item(IDC_lstActivityLog);
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace hdq::win
