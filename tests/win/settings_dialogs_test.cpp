// The settings dialogs built from their templates and driven with window messages, in this
// process. The rules behind the controls are tested without windows and the whole path from
// the dialogs to an export end to end; this is the wiring between. Message boxes are recorded.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/globals.h"
#include "app/shared.h"
#include "core/files.h"
#include "driver_win32.h"
#include "settings/connection_dialog_win32.h"
#include "settings/execution_dialog_win32.h"
#include "settings/file_browser_dialog_win32.h"
#include "settings/settings_res.h"
#include "settings/shelllink_win32.h"
#include "settings/tag_selection_dialog_win32.h"
#include "fake_dde.h"
#include "test_support.h"

namespace hdq {
namespace {

void Press(HWND dlg, int id) { test::Click(GetDlgItem(dlg, id)); }
void Type(HWND dlg, int id, const std::string& text) { test::SetText(GetDlgItem(dlg, id), text); }
std::string Field(HWND dlg, int id) { return test::WindowText(GetDlgItem(dlg, id)); }

// The browser a browse button opens is answered from inside its modal loop by a thread timer.
struct BrowserVisit {
    std::string title, startText, typed;
    bool save = true;
} visit;
void CALLBACK AnswerBrowser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND browser = GetActiveWindow();
    if (!browser || !GetDlgItem(browser, IDC_lstDrive)) return;
    KillTimer(nullptr, timer);
    visit.title = test::WindowText(browser);
    visit.startText = Field(browser, IDC_txtFile);
    Type(browser, IDC_txtFile, visit.typed);
    Press(browser, visit.save ? IDC_btnSave : IDC_btnCancel);
}

// Startup folders inside the test's own folder.
struct TestStartupFolders : StartupFolders {
    std::string allUsers, own;
    std::string AllUsers(HWND) const override { return allUsers; }
    std::string CurrentUser(HWND) const override { return own; }
};

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() {
        AppMsgBox().SetShower(&shower);
        SetActivityList(&activity);
    }
    ~SettingsDialogTest() override {
        for (auto& d : dialogs) d->Destroy();
        AppMsgBox().SetShower(nullptr);
    }
    // Opens a dialog that lives as long as the test.
    HWND Open(std::unique_ptr<win::Dialog> dialog, int templateId) {
        HWND h = dialog->CreateModeless(nullptr, templateId, false);
        EXPECT_NE(nullptr, h);
        dialogs.push_back(std::move(dialog));
        return h;
    }

    test::AppSandbox sb;
    test::RecordingShower shower;
    test::RecordingActivityList activity;
    // The tag selection over these tables, as the connection settings hand them over.
    void LoadTags(std::initializer_list<std::string> names, std::initializer_list<std::string> chosenNames) {
        for (auto [table, list] : {std::pair{&all, &names}, std::pair{&chosen, &chosenNames}}) {
            table->SetSize(64);
            for (const std::string& name : *list) table->Add("TAGNAME_" + std::to_string(table->Count() + 1), name);
        }
        selection.SetAllTagList(&all);
        selection.SetFilterTagList(&chosen);
        selection.Init();
    }

    HashTable<std::string> all, chosen;
    TagSelection selection;
    FileBrowserState browser;
    TestStartupFolders startup;
    std::vector<std::unique_ptr<win::Dialog>> dialogs;
};

TEST_F(SettingsDialogTest, BrowseButtonsOpenTheBrowserUnderTheirTitlesAndApplyKeepsTheChoiceOfAMissingDictionary) {
    const std::string picked = sb / "picked";
    const struct {
        int button, field;
        const char *title, *key, *logPrefix;
        const char* typed;  // into "Selected Folder" before Save; nullptr: Cancel
        std::string after;
    } cases[] = {
        {IDC_btnBrowseCSV, IDC_txtOutputFolder, "Select Output Folder for CSV", "OUTPUT_FOLDER",
         "Output CSV folder: ", nullptr, sb.folder()},
        {IDC_btnBrowseHistData, IDC_txtHistDataFolder, "Locate HISTDATA.EXE File", "DDE_HISTDATA_FOLDER",
         "HISTDATA.exe folder: ", picked.c_str(), picked},
        {IDC_btnBrowseLGH, IDC_txtLGH_Folder, "Locate *.LGH Files", "DDE_LGH_FOLDER", "LGH Data file folder: ",
         picked.c_str(), picked},
        {IDC_btnBrowseTagname, IDC_txtTagnameFolder, "Locate *.x File (default tagname.x)", "DDE_TAGNAME_FILE",
         "Tagname file: ", picked.c_str(), picked + "\\tagname.x"},
        // Saved with the box emptied: the field keeps its value.
        {IDC_btnBrowseCSV, IDC_txtOutputFolder, "Select Output Folder for CSV", "OUTPUT_FOLDER",
         "Output CSV folder: ", "", sb.folder()},
    };
    for (const char* key : {"OUTPUT_FOLDER", "DDE_HISTDATA_FOLDER", "DDE_LGH_FOLDER"}) sb.Set(key, sb.folder());
    sb.Set("DDE_TAGNAME_FILE", sb / "tagname.x");  // opens in the file's folder
    // The tag file does not exist (a drive not yet mapped): the stored choice stands all the same.
    sb.Set("SELECTALLTAGS", "FALSE");
    sb.Set("TAGNAME_1", "FT101");
    HWND dlg = Open(std::make_unique<CustomConfigDialog>(), IDD_CustomConfig);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " typed " + (c.typed ? c.typed : "<cancel>"));
        visit = {"<no browser>", "", c.typed ? c.typed : "", c.typed != nullptr};
        activity.lines.clear();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &AnswerBrowser);
        Press(dlg, c.button);
        KillTimer(nullptr, timer);
        EXPECT_EQ(c.title, visit.title);
        EXPECT_STRCASEEQ(sb.folder().c_str(), visit.startText.c_str());
        EXPECT_EQ(c.after, Field(dlg, c.field));
        // Written after a Cancel too.
        EXPECT_EQ(1, std::count(activity.lines.begin(), activity.lines.end(), c.logPrefix + c.after));
    }
    Press(dlg, IDC_btnApply);
    for (const auto& c : cases) EXPECT_EQ(c.after, AppConfig().item(c.key));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dlg, IDC_chkProcessAllTags));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_chkProcessAllTags)));
    EXPECT_EQ("FALSE", AppConfig().item("SELECTALLTAGS"));
    EXPECT_EQ("FT101", AppConfig().item("TAGNAME_1"));
    EXPECT_TRUE(shower.calls.empty());
}

// Reads a link file as the shell reads it.
struct LinkContents {
    char path[MAX_PATH] = {}, workingFolder[MAX_PATH] = {}, description[MAX_PATH] = {}, iconPath[MAX_PATH] = {};
    int iconIndex = -1;
    explicit LinkContents(const std::string& linkFile) {
        IShellLinkA* link = nullptr;
        IPersistFile* file = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                       reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(std::wstring(linkFile.begin(), linkFile.end()).c_str(), STGM_READ))) {
            link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
            link->GetWorkingDirectory(workingFolder, MAX_PATH);
            link->GetDescription(description, MAX_PATH);
            link->GetIconLocation(iconPath, MAX_PATH, &iconIndex);
        }
        if (file) file->Release();
        if (link) link->Release();
    }
};

TEST_F(SettingsDialogTest, ExecutionDialogWritesAMinimisedStartupLinkAndNamesAFieldOutOfRange) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const std::string target = sb / (fsys::ExeName() + ".exe");
    test::WriteFile(target, "MZ");  // the link's target must exist
    startup.allUsers = sb / "Startup";
    ASSERT_TRUE(CreateDirectoryA(startup.allUsers.c_str(), nullptr));
    const std::string link = startup.allUsers + "\\" + fsys::ExeName() + ".lnk";
    sb.Set("MINUTES_AFTER_HOUR", "15");
    sb.Set("KEEP_LOGS_FOR", "30");
    ASSERT_TRUE(AppConfig().SaveConfig());  // the dialog reads the file
    HWND dlg = Open(std::make_unique<CustomAdvConfigDialog>(startup), IDD_CustomAdvConfig);
    Press(dlg, IDC_btnStartup);
    Press(dlg, IDC_btnStartup);  // pressed again, the same link is rewritten
    const LinkContents c(link);
    EXPECT_STRCASEEQ(target.c_str(), c.path);
    EXPECT_STRCASEEQ((sb.folder() + "\\").c_str(), c.workingFolder);
    EXPECT_STREQ("ShellLink Sample", c.description);
    EXPECT_STRCASEEQ(target.c_str(), c.iconPath);
    EXPECT_EQ(1, c.iconIndex);
    EXPECT_EQ(2, std::count(activity.lines.begin(), activity.lines.end(),
                            "Added program shortcut to startup folder " + startup.allUsers));
    EXPECT_TRUE(shower.calls.empty());
    // Wine's link object does not hand the show command back after a load, so read it from
    // the file's header (a 32-bit value at offset 60 of the shell link format).
    const std::string bytes = test::ReadFile(link);
    CoUninitialize();
    ASSERT_GE(bytes.size(), 64u);
    EXPECT_EQ(SW_SHOWMINNOACTIVE, static_cast<unsigned char>(bytes[60]));
    EXPECT_EQ(0, bytes[61] | bytes[62] | bytes[63]);

    // A value out of range is named, and the stored one shown again.
    Type(dlg, IDC_txtMinutes, "ten");
    Press(dlg, IDC_btnApply);
    EXPECT_EQ("Invalid value provided for 'MINUTES_AFTER_HOUR'. Will use previous value.|48|Validation failed",
              shower.calls.at(0));
    EXPECT_EQ("15", Field(dlg, IDC_txtMinutes));
}

TEST_F(SettingsDialogTest, TheFilterBoxNarrowsTheListAndTheCountFollowsTheChoice) {
    LoadTags({"PT300_PV", "ft101_PV", "FT102_SP", std::string(120, 'W')}, {"PT300_PV"});
    HWND dlg = Open(std::make_unique<SelectTagsDialog>(selection), IDD_frmSelectTags);
    HWND list = GetDlgItem(dlg, IDC_lstAllTags);
    EXPECT_EQ("1 tag chosen", Field(dlg, IDC_lblChosen));
    Type(dlg, IDC_txtFilter, "FT10");  // the rows are names other programs can read, in name order
    EXPECT_EQ((std::vector<std::string>{"ft101_PV", "FT102_SP"}), test::ListBoxItems(list));
    // A long name is not cut: the list scrolls sideways at least as far as the name is wide.
    RECT rc{};
    GetClientRect(list, &rc);
    EXPECT_GT(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), rc.right);
    Type(dlg, IDC_txtFilter, "FT");
    SendMessageA(list, LB_SETSEL, TRUE, -1);
    Press(dlg, IDC_btnAddTag);
    EXPECT_EQ("3 tags chosen", Field(dlg, IDC_lblChosen));
    EXPECT_EQ(3, SendMessageA(GetDlgItem(dlg, IDC_lstFilterTags), LB_GETCOUNT, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"ft101_PV", "FT102_SP", "PT300_PV"}), selection.FilterTags());
}

}  // namespace
}  // namespace hdq
