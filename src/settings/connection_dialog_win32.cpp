#include "settings/connection_dialog_win32.h"

#include <commctrl.h>

#include "settings/file_browser_dialog_win32.h"
#include "settings/settings_outcome.h"
#include "settings/settings_res.h"
#include "settings/tag_selection_dialog_win32.h"
#include "settings/settings_context.h"

namespace hdq {
namespace {

constexpr char kFieldTip[] = "This is the location of the CSV files created by WonderWare and PELOMARK";

// A group box lets mouse messages through to the dialog, so it cannot carry a tooltip of its
// own; a tool over the frame's rectangle on the dialog shows the frame's tip wherever the
// pointer rests on the frame and not on one of its controls.
void AddFrameTooltip(HWND dlg, int frameId, const char* text) {
    HWND frame = GetDlgItem(dlg, frameId);
    if (!frame) return;
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, dlg, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tip) return;
    RECT rc;
    GetWindowRect(frame, &rc);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
    TOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = dlg;
    ti.uFlags = TTF_SUBCLASS;
    ti.uId = static_cast<UINT_PTR>(frameId);
    ti.rect = rc;
    ti.lpszText = const_cast<char*>(text);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

}  // namespace

INT_PTR CustomConfigDialog::Show(HWND owner) { return ShowModal(owner, IDD_CustomConfig); }

bool CustomConfigDialog::OnInit() {
    AddTooltips();
    SetProcessAllTags(ConnectionSettings::StoredSelectAllTags());
    settings_.LoadFilterTags();
    InitTagSelection();
    ConnectionFields fields = ReadFields();
    const bool refreshed = ConnectionSettings::RefreshFromConfig(fields);
    ShowFields(fields);  // the fields read before a failure are shown all the same
    if (refreshed) {
        CheckTagnameFile();
    } else {
        SettingsEnv().msgBox.VrxMsgBox("Failed to refresh UI from CONFIG", 0);
    }
    return true;
}

void CustomConfigDialog::AddTooltips() {
    for (int id : {IDC_txtDDE_LinkTopic, IDC_txtLGH_Folder, IDC_txtTagnameFolder, IDC_txtHistDataFolder,
                   IDC_txtOutputFolder}) {
        win::AddTooltip(hwnd(), id, kFieldTip);
    }
    AddFrameTooltip(hwnd(), IDC_Frame4, "This is the Topic Name in WonderWare");
    AddFrameTooltip(hwnd(), IDC_Frame3, "This is the location of the data files (*.LGH)");
    AddFrameTooltip(hwnd(), IDC_Frame2, "This is the file name and location of Tagname.x file");
    AddFrameTooltip(hwnd(), IDC_Frame1, "This is the location of histdata.exe");
    AddFrameTooltip(hwnd(), IDC_Frame24, "This is the location of the output files");
}

ConnectionFields CustomConfigDialog::ReadFields() const {
    ConnectionFields f;
    f.linkTopic = ItemText(IDC_txtDDE_LinkTopic);
    f.lghFolder = ItemText(IDC_txtLGH_Folder);
    f.tagnameFile = ItemText(IDC_txtTagnameFolder);
    f.histDataFolder = ItemText(IDC_txtHistDataFolder);
    f.outputFolder = ItemText(IDC_txtOutputFolder);
    f.processAllTags = IsChecked(IDC_chkProcessAllTags);
    return f;
}

void CustomConfigDialog::ShowFields(const ConnectionFields& f) {
    // The tag file is checked once after all fields are shown, not on each programmatic change.
    refreshing_ = true;
    SetItemText(IDC_txtDDE_LinkTopic, f.linkTopic);
    SetItemText(IDC_txtHistDataFolder, f.histDataFolder);
    SetItemText(IDC_txtLGH_Folder, f.lghFolder);
    SetItemText(IDC_txtOutputFolder, f.outputFolder);
    SetItemText(IDC_txtTagnameFolder, f.tagnameFile);
    refreshing_ = false;
}

void CustomConfigDialog::SetProcessAllTags(bool on) {
    SetChecked(IDC_chkProcessAllTags, on);
    Enable(IDC_btnTagCollecter, !on);
}

void CustomConfigDialog::CheckTagnameFile() {
    // The tables keep what they hold while the file is missing, so a half-typed path loses
    // nothing; only another dictionary refills the left list of the tag selection.
    const auto check = settings_.CheckTagnameFile(ItemText(IDC_txtTagnameFolder));
    Enable(IDC_chkProcessAllTags, check != ConnectionSettings::TagFileCheck::Missing);
    if (check == ConnectionSettings::TagFileCheck::Reloaded) InitTagSelection();
}

void CustomConfigDialog::InitTagSelection() {
    selection_.SetAllTagList(&settings_.AllTagsTable());
    selection_.SetFilterTagList(&settings_.FilterTagsTable());
    selection_.Init();
}

int CustomConfigDialog::BrowseForPath(const std::string& folder, const std::string& title, std::string& newFolder,
                                      std::string& newFile) {
    browser_.OldFolder = folder;
    browser_.Init();
    for (const char* pattern : {"*.*", "*.x", "*.lgh", "*.csv", "histdata.exe"}) browser_.SetFileType(pattern);
    FileBrowserDialog dialog(browser_);
    dialog.Show(hwnd(), title);
    newFile = browser_.NewFile;
    newFolder = browser_.NewFolder;
    return browser_.Response;
}

void CustomConfigDialog::BrowseFolder(int fieldId, const std::string& title, const std::string& logPrefix) {
    std::string folder, file;
    if (BrowseForPath(ItemText(fieldId), title, folder, file) == kBrowserSaved) SetItemText(fieldId, folder);
    const std::string line = logPrefix + ItemText(fieldId);
    SettingsEnv().log.LogActivity(line, 2);
    SettingsEnv().log.WriteLog(line, 2);
}

void CustomConfigDialog::BrowseTagnameFile() {
    std::string folder, file;
    int response = BrowseForPath(TagFileBrowseStart(ItemText(IDC_txtTagnameFolder)),
                                 "Locate *.x File (default tagname.x)", folder, file);
    if (response == kBrowserSaved) SetItemText(IDC_txtTagnameFolder, TagFileFromBrowse(folder, file));
    SettingsEnv().log.LogActivity("Tagname file: " + ItemText(IDC_txtTagnameFolder), 2);
}

void CustomConfigDialog::OnCommand(int id, int notifyCode, HWND) {
    switch (id) {
    case IDC_btnApply: settings_.Apply(ReadFields()); break;
    case IDC_btnSave: settings_.Save(ReadFields()); break;
    case IDC_btnHelp: ShowHelpPage("connection"); break;
    case IDC_btnClose:
    case IDCANCEL: EndModal(IDCANCEL); break;
    case IDC_chkProcessAllTags:
        if (notifyCode == BN_CLICKED) Enable(IDC_btnTagCollecter, !IsChecked(IDC_chkProcessAllTags));
        break;
    case IDC_btnTagCollecter: {
        SelectTagsDialog tags(selection_);
        tags.Show(hwnd());
        break;
    }
    case IDC_txtTagnameFolder:
        if ((notifyCode == EN_CHANGE && !refreshing_) || notifyCode == EN_SETFOCUS) CheckTagnameFile();
        break;
    case IDC_btnBrowseCSV: BrowseFolder(IDC_txtOutputFolder, "Select Output Folder for CSV", "Output CSV folder: "); break;
    case IDC_btnBrowseHistData:
        BrowseFolder(IDC_txtHistDataFolder, "Locate HISTDATA.EXE File", "HISTDATA.exe folder: ");
        break;
    case IDC_btnBrowseLGH: BrowseFolder(IDC_txtLGH_Folder, "Locate *.LGH Files", "LGH Data file folder: "); break;
    case IDC_btnBrowseTagname: BrowseTagnameFile(); break;
    default: break;
    }
}

}  // namespace hdq
