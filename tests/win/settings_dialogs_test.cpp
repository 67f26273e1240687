// The settings dialogs built from their templates and driven with window messages, in this
// process: fields to store and back, the tag mode, the tag lists, the validation messages,
// and the browser's results. Message boxes are recorded, not shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../unit/settings_test_fixture.h"
#include "core/files.h"
#include "settings/connection_dialog_win32.h"
#include "settings/execution_dialog_win32.h"
#include "settings/file_browser_dialog_win32.h"
#include "settings/settings_res.h"
#include "settings/tag_selection_dialog_win32.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

using settings_test::SettingsFixture;

std::string Text(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string s(static_cast<size_t>(len) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(len));
        items.push_back(s);
    }
    return items;
}

void Press(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id))); }
void Type(HWND dlg, int id, const std::string& text) { SetDlgItemTextA(dlg, id, text.c_str()); }
std::string Field(HWND dlg, int id) { return Text(GetDlgItem(dlg, id)); }
bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
void SelectItems(HWND dlg, int id, const std::vector<std::string>& wanted) {
    HWND list = GetDlgItem(dlg, id);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    std::vector<std::string> items = ListItems(list);
    for (size_t i = 0; i < items.size(); ++i) {
        if (std::find(wanted.begin(), wanted.end(), items[i]) != wanted.end()) SendMessageA(list, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    }
}

// Answers the next modal dialog titled `title` from inside its own message loop.
class ModalAnswer {
public:
    ModalAnswer(std::string title, std::function<void(HWND)> answer) : title_(std::move(title)), answer_(std::move(answer)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &ModalAnswer::Tick);
    }
    ~ModalAnswer() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool answered = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalAnswer* self = current_;
        if (!self || self->answered) return;
        HWND dlg = FindWindowA(nullptr, self->title_.c_str());
        if (dlg && IsWindowVisible(dlg)) {
            self->answered = true;
            self->answer_(dlg);
        } else if (++self->ticks_ > 200) {
            // Never leave a test hanging in a modal loop: close whatever dialog is up.
            self->answered = true;
            HWND active = GetActiveWindow();
            if (active) PostMessageA(active, WM_CLOSE, 0, 0);
        }
    }
    static inline ModalAnswer* current_ = nullptr;
    std::string title_;
    std::function<void(HWND)> answer_;
    UINT_PTR timer_ = 0;
    int ticks_ = 0;
};

class SettingsDialogTest : public SettingsFixture {
protected:
    void TearDown() override {
        for (win::Dialog* d : dialogs) d->Destroy();
        SettingsFixture::TearDown();
    }
    HWND Open(win::Dialog& dialog, int templateId) {
        HWND h = dialog.CreateModeless(nullptr, templateId, false);
        EXPECT_NE(nullptr, h);
        dialogs.push_back(&dialog);
        return h;
    }
    std::vector<win::Dialog*> dialogs;
};

TEST_F(SettingsDialogTest, ConnectionDialogShowsTheStoreAndAppliesTrimmedFieldsAndTheTagMode) {
    Store("DDE_LINKTOPIC", "VIEW");
    Store("OUTPUT_FOLDER", "C:\\Out");
    Store("SELECTALLTAGS", "TRUE");
    CustomConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomConfig);
    EXPECT_EQ("Configuration", Text(dlg));
    EXPECT_EQ("VIEW", Field(dlg, IDC_txtDDE_LinkTopic));
    EXPECT_EQ("C:\\Out", Field(dlg, IDC_txtOutputFolder));
    EXPECT_TRUE(Checked(dlg, IDC_chkProcessAllTags));
    EXPECT_FALSE(Enabled(dlg, IDC_chkProcessAllTags));  // no dictionary file
    EXPECT_FALSE(Enabled(dlg, IDC_btnTagCollecter));

    Type(dlg, IDC_txtDDE_LinkTopic, "  NEWTOPIC ");
    Type(dlg, IDC_txtLGH_Folder, " C:\\LGH");
    Type(dlg, IDC_txtOutputFolder, (program / "csv") + "  ");
    Press(dlg, IDC_btnApply);
    EXPECT_EQ("NEWTOPIC", Stored("DDE_LINKTOPIC"));
    EXPECT_EQ("C:\\LGH", Stored("DDE_LGH_FOLDER"));
    EXPECT_EQ(program / "csv", Stored("OUTPUT_FOLDER"));
    EXPECT_TRUE(fsys::IsDirectory(program / "csv"));
    EXPECT_EQ("TRUE", Stored("SELECTALLTAGS"));
    EXPECT_TRUE(shower.calls.empty());
}

TEST_F(SettingsDialogTest, ClearBoxWithoutChosenTagsFallsBackToAllTagsAndRemovesTheKeys) {
    Store("SELECTALLTAGS", "FALSE");
    Store("TAGNAME_1", "FT101");
    Store("DDE_TAGNAME_FILE", program / "missing.x");
    CustomConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomConfig);
    EXPECT_FALSE(Checked(dlg, IDC_chkProcessAllTags));
    EXPECT_TRUE(Enabled(dlg, IDC_btnTagCollecter));

    Press(dlg, IDC_btnApply);
    EXPECT_TRUE(Checked(dlg, IDC_chkProcessAllTags));
    EXPECT_FALSE(Enabled(dlg, IDC_btnTagCollecter));
    EXPECT_EQ("TRUE", Stored("SELECTALLTAGS"));
    EXPECT_FALSE(AppConfig().ItemExists("TAGNAME_1"));
}

TEST_F(SettingsDialogTest, DictionaryFieldLoadsTheTagsAndTheStoredListUpToItsGap) {
    test::WriteTagnameX(program / "tagname.x", {{"FT101", "", 1}, {"LT200", "", 1}, {"PT300", "", 1}});
    Store("DDE_TAGNAME_FILE", program / "tagname.x");
    Store("SELECTALLTAGS", "FALSE");
    Store("TAGNAME_1", "FT101");
    Store("TAGNAME_2", "LT200");
    Store("TAGNAME_4", "PT300");
    CustomConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomConfig);
    EXPECT_TRUE(Enabled(dlg, IDC_chkProcessAllTags));
    EXPECT_EQ(3u, dialog.Selection().AllTags().size());
    EXPECT_EQ(2u, dialog.Selection().FilterTags().size());

    // Each change of the field checks the file again; a missing one keeps the tables.
    Type(dlg, IDC_txtTagnameFolder, program / "tagname");
    EXPECT_FALSE(Enabled(dlg, IDC_chkProcessAllTags));
    EXPECT_EQ(3u, dialog.Selection().AllTags().size());
    Type(dlg, IDC_txtTagnameFolder, program / "tagname.x");
    EXPECT_TRUE(Enabled(dlg, IDC_chkProcessAllTags));

    Press(dlg, IDC_btnApply);
    EXPECT_EQ("FALSE", Stored("SELECTALLTAGS"));
    EXPECT_EQ("FT101", Stored("TAGNAME_1"));
    EXPECT_EQ("LT200", Stored("TAGNAME_2"));
    EXPECT_FALSE(AppConfig().ItemExists("TAGNAME_3"));
}

TEST_F(SettingsDialogTest, TagSelectionMovesTagsAndOkWritesThemInListOrder) {
    HashTable<std::string> all, filtered;
    all.SetSize(4096);
    filtered.SetSize(4096);
    for (const char* tag : {"A", "B", "C", "D", "E"}) all.Add(std::string("TAGNAME_") + static_cast<char>('1' + (tag[0] - 'A')), tag);
    TagSelection selection;
    selection.SetAllTagList(&all);
    selection.SetFilterTagList(&filtered);
    selection.Init();
    SelectTagsDialog dialog(selection);
    HWND dlg = Open(dialog, IDD_frmSelectTags);
    EXPECT_EQ("Settings : Select Tags to Collect Data For", Text(dlg));
    HWND left = GetDlgItem(dlg, IDC_lstAllTags);
    HWND right = GetDlgItem(dlg, IDC_lstFilterTags);
    EXPECT_EQ(5u, ListItems(left).size());

    Press(dlg, IDC_btnAddTag);  // nothing selected
    EXPECT_TRUE(ListItems(right).empty());
    for (const char* tag : {"E", "A", "C", "B", "D", "A"}) {
        SelectItems(dlg, IDC_lstAllTags, {tag});
        Press(dlg, IDC_btnAddTag);
    }
    EXPECT_EQ((std::vector<std::string>{"E", "A", "C", "B", "D"}), ListItems(right));

    SelectItems(dlg, IDC_lstFilterTags, {"E", "C"});
    Press(dlg, IDC_Command1);
    EXPECT_EQ((std::vector<std::string>{"A", "B", "D"}), ListItems(right));

    Press(dlg, IDC_btnSave);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(3, filtered.Count());
    EXPECT_EQ("A", filtered.Item("TAGNAME_1"));
    EXPECT_EQ("B", filtered.Item("TAGNAME_2"));
    EXPECT_EQ("D", filtered.Item("TAGNAME_3"));

    Press(dlg, IDC_btnAddAll);
    EXPECT_EQ(5u, ListItems(right).size());
    Press(dlg, IDC_btnRemoveAll);
    EXPECT_TRUE(ListItems(right).empty());
    // The close box drops what changed since "OK".
    SendMessageA(dlg, WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"A", "B", "D"}), selection.FilterTags());
    EXPECT_EQ(3, filtered.Count());
}

TEST_F(SettingsDialogTest, ExecutionDialogRoundsClampsAndRejectsWhatItCannotStore) {
    Store("MINUTES_AFTER_HOUR", "15");
    Store("KEEP_LOGS_FOR", "30");
    Store("VERBOSITY", "1");
    ASSERT_TRUE(AppConfig().SaveConfig());
    CustomAdvConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomAdvConfig);
    EXPECT_EQ("Settings", Text(dlg));
    EXPECT_EQ("15", Field(dlg, IDC_txtMinutes));
    EXPECT_EQ("Medium", Field(dlg, IDC_cmbVerbosity));
    EXPECT_EQ("30", Field(dlg, IDC_txtKeepLog_Days));

    for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
             {"75", "59"}, {"7.5", "8"}, {"6.5", "6"}, {"-3", "0"}}) {
        Type(dlg, IDC_txtMinutes, typed);
        Press(dlg, IDC_btnApply);
        EXPECT_EQ(stored, Stored("MINUTES_AFTER_HOUR")) << typed;
    }
    EXPECT_TRUE(shower.calls.empty());

    Type(dlg, IDC_txtMinutes, "ten");
    Press(dlg, IDC_btnApply);
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Invalid value provided for 'MINUTES_AFTER_HOUR'. Will use previous value.|48|Validation failed",
              shower.calls[0]);
    EXPECT_EQ("0", Field(dlg, IDC_txtMinutes));

    Type(dlg, IDC_txtMinutes, "12");
    Type(dlg, IDC_txtKeepLog_Days, "500000");
    Press(dlg, IDC_btnApply);
    EXPECT_EQ("12", Stored("MINUTES_AFTER_HOUR"));
    EXPECT_EQ("30", Stored("KEEP_LOGS_FOR"));
    EXPECT_EQ("Unable to apply settings|48|-", shower.calls.at(1));
}

TEST_F(SettingsDialogTest, ExecutionDialogWithAnUnshowableLevelKeepsItsDesignTexts) {
    Store("MINUTES_AFTER_HOUR", "20");
    Store("KEEP_LOGS_FOR", "30");
    Store("VERBOSITY", "5");
    ASSERT_TRUE(AppConfig().SaveConfig());
    CustomAdvConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomAdvConfig);
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Failed to refresh UI from CONFIG|0|-", shower.calls[0]);
    EXPECT_EQ("20", Field(dlg, IDC_txtMinutes));
    EXPECT_EQ("Combo1", Field(dlg, IDC_cmbVerbosity));
    EXPECT_EQ("1000", Field(dlg, IDC_txtKeepLog_Days));
    Press(dlg, IDC_btnApply);
    EXPECT_EQ("-1", Stored("VERBOSITY"));
}

class BrowserDialogTest : public SettingsDialogTest {
protected:
    void SetUp() override {
        SettingsDialogTest::SetUp();
        test::WriteFile(program / "histdata.exe", "MZ");
        test::WriteFile(program / "tagname.x", "x");
        test::WriteFile(program / "a.csv", "x");
        state.OldFolder = program.path() + "\\";
        state.Init();
        for (const char* p : {"*.*", "*.x", "*.lgh", "*.csv", "histdata.exe"}) state.SetFileType(p);
    }
    FileBrowserState state;
};

TEST_F(BrowserDialogTest, OpensInTheGivenFolderAndFiltersFilesByTheChosenPattern) {
    FileBrowserDialog dialog(state);
    dialog.SetTitle("Locate *.LGH Files");
    HWND dlg = Open(dialog, IDD_CommonFileBrowser);
    EXPECT_EQ("Locate *.LGH Files", Text(dlg));
    EXPECT_TRUE(lstrcmpiA(program.path().c_str(), Field(dlg, IDC_txtFile).c_str()) == 0) << Field(dlg, IDC_txtFile);
    EXPECT_EQ("*.*", Field(dlg, IDC_cmbType));
    EXPECT_EQ(3u, dialog.Files().size());
    dialog.ChooseFileType(4);
    EXPECT_EQ((std::vector<std::string>{"histdata.exe"}), dialog.Files());
    EXPECT_EQ(kBrowserClosed, state.Response);
}

TEST_F(BrowserDialogTest, SaveReturnsTheTypedFolderAndChosenFileAndCancelTheFolderItWasGiven) {
    FileBrowserDialog saved(state);
    HWND dlg = Open(saved, IDD_CommonFileBrowser);
    saved.ChooseFileType(1);
    SendMessageA(GetDlgItem(dlg, IDC_lstFile), LB_SETCURSEL, 0, 0);
    Type(dlg, IDC_txtFile, "C:\\Typed\\Nowhere");
    Press(dlg, IDC_btnSave);
    EXPECT_EQ(kBrowserSaved, state.Response);
    EXPECT_EQ("C:\\Typed\\Nowhere", state.NewFolder);
    EXPECT_EQ("tagname.x", state.NewFile);

    FileBrowserDialog cancelled(state);
    dlg = Open(cancelled, IDD_CommonFileBrowser);
    Type(dlg, IDC_txtFile, "C:\\Elsewhere");
    Press(dlg, IDC_btnCancel);
    EXPECT_EQ(kBrowserCancelled, state.Response);
    EXPECT_EQ(program.path() + "\\", state.NewFolder);
    EXPECT_EQ("", state.NewFile);
}

TEST_F(BrowserDialogTest, MissingStartFolderOpensInTheCurrentDirectory) {
    state.OldFolder = program / "gone";
    FileBrowserDialog dialog(state);
    HWND dlg = Open(dialog, IDD_CommonFileBrowser);
    char here[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, here);
    EXPECT_TRUE(lstrcmpiA(here, Field(dlg, IDC_txtFile).c_str()) == 0) << Field(dlg, IDC_txtFile);
}

TEST_F(SettingsDialogTest, TagFileButtonStartsInTheFileFolderAndAddsTagnameXToASavedFolder) {
    Store("DDE_TAGNAME_FILE", program / "tagname.x");
    CustomConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomConfig);
    std::string startText;
    {
        ModalAnswer answer("Locate *.x File (default tagname.x)", [&](HWND browser) {
            startText = Field(browser, IDC_txtFile);
            Type(browser, IDC_txtFile, program / "dict");
            Press(browser, IDC_btnSave);
        });
        Press(dlg, IDC_btnBrowseTagname);
        EXPECT_TRUE(answer.answered);
    }
    EXPECT_TRUE(lstrcmpiA(program.path().c_str(), startText.c_str()) == 0) << startText;
    EXPECT_EQ((program / "dict") + "\\tagname.x", Field(dlg, IDC_txtTagnameFolder));
    const std::string line = "Tagname file: " + (program / "dict") + "\\tagname.x";
    EXPECT_EQ(1, std::count(activity.lines.begin(), activity.lines.end(), line));
    EXPECT_EQ(1, LogCount(line));
}

TEST_F(SettingsDialogTest, CancelledFolderButtonKeepsTheFieldAndLogsTheLineTwice) {
    Store("OUTPUT_FOLDER", "C:\\Out");
    CustomConfigDialog dialog;
    HWND dlg = Open(dialog, IDD_CustomConfig);
    {
        ModalAnswer answer("Select Output Folder for CSV", [&](HWND browser) {
            Type(browser, IDC_txtFile, "C:\\Other");
            Press(browser, IDC_btnCancel);
        });
        Press(dlg, IDC_btnBrowseCSV);
        EXPECT_TRUE(answer.answered);
    }
    EXPECT_EQ("C:\\Out", Field(dlg, IDC_txtOutputFolder));
    EXPECT_EQ(1, std::count(activity.lines.begin(), activity.lines.end(), "Output CSV folder: C:\\Out"));
    EXPECT_EQ(2, LogCount("Output CSV folder: C:\\Out"));
}

}  // namespace
}  // namespace hdq
