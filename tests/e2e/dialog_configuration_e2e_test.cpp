// A fresh installation configured only through the program's own dialogs, as an operator
// does it at a plant computer: the hourly service then exports exactly the tags picked.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/datetime.h"
#include "driver_win32.h"
#include "settings/settings_res.h"
#include "e2e_folder_win32.h"
#include "standin_win32.h"
#include "tagnamex_writer.h"
#include "test_support.h"

namespace hdq::test {
namespace {

TEST(DialogConfiguration, ServiceExportsExactlyTheTagsPickedInTheDialogs) {
    TempFolder program, lgh, intouch;
    const std::string exe = InstallProgram(program), ini = program / "HistDataToQorp.ini";
    ASSERT_FALSE(exe.empty()) << BuiltExe();
    // Trended tags in dictionary order, and an untrended one that no list may offer.
    WriteTagnameX(intouch / "tagname.x", {{"TT_101", "", 1}, {"PT_102", "", 9}, {"SPARE_1", "", 0},
                                          {"FT_103", "", 17}, {"LT_108", "", 1}});
    // A topic of its own keeps this stand-in and the stand-ins of other tests apart.
    const std::string topic = "DLG" + std::to_string(GetCurrentProcessId());
    StandIn standIn(HDQ_SIM_DIR);
    standIn.WriteSettings("TOPIC=" + topic + "\r\n");
    ASSERT_TRUE(standIn.Start());
    Process app;
    // A dialog of the program with that caption, once it is on screen.
    auto shownDialog = [&](const std::string& title) -> HWND {
        HWND dialog = FindTopWindowOfProcess(app.Id(), title, 15000);
        return dialog && WaitUntil([&] { return IsShown(dialog); }, 10000) ? dialog : nullptr;
    };
    // Presses "Save Settings", answers the box it shows and closes the dialog; the box's prompt.
    auto saveAndClose = [&](HWND dialog) {
        PostClick(FindChildById(dialog, IDC_btnSave));
        std::string prompt = "<no message box>";
        AnswerMessageBox(app.Id(), "HistData to Brel Qorp", IDOK, &prompt, 15000);
        PostClick(FindChildById(dialog, IDC_btnClose));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000));
        return prompt;
    };

    // First start: no INI file, so the program opens its connection settings over its window.
    ASSERT_TRUE(app.Start(exe, "", program.path()));
    HWND config = shownDialog("Configuration");
    ASSERT_NE(nullptr, config) << "the connection settings did not open on a first start";
    // Blanks around what is typed are what a pasted path often carries; they must not reach the store.
    SetText(FindChildById(config, IDC_txtDDE_LinkTopic), "  " + topic + " ");
    SetText(FindChildById(config, IDC_txtLGH_Folder), " " + lgh.path() + "  ");
    SetText(FindChildById(config, IDC_txtTagnameFolder), intouch / "tagname.x");
    SetText(FindChildById(config, IDC_txtHistDataFolder), "  " + standIn.folder());
    SetText(FindChildById(config, IDC_txtOutputFolder), (program / "out") + "   ");

    HWND allTagsBox = FindChildById(config, IDC_chkProcessAllTags);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(allTagsBox) != FALSE; }, 5000))
        << "typing an existing tag file did not enable the all-tags box";
    // The operator's click: the box clears, then the form hears of it.
    SendMessageA(allTagsBox, BM_SETCHECK, BST_UNCHECKED, 0);
    Click(allTagsBox);
    PostClick(FindChildById(config, IDC_btnTagCollecter));
    HWND tags = shownDialog("Settings : Select Tags to Collect Data For");
    ASSERT_NE(nullptr, tags);
    HWND allList = FindChildById(tags, IDC_lstAllTags);
    ASSERT_EQ(4, SendMessageA(allList, LB_GETCOUNT, 0, 0)) << "the untrended tag is not offered";
    // Picked in any order, each found through the filter box; HistData gets them in dictionary order.
    for (const char* tag : {"LT_108", "TT_101", "FT_103"}) {
        SetText(FindChildById(tags, IDC_txtFilter), tag);
        ASSERT_EQ(1, SendMessageA(allList, LB_GETCOUNT, 0, 0)) << tag;
        SendMessageA(allList, LB_SETSEL, TRUE, 0);
        Click(FindChildById(tags, IDC_btnAddTag));
    }
    EXPECT_EQ(3, SendMessageA(FindChildById(tags, IDC_lstFilterTags), LB_GETCOUNT, 0, 0));
    PostClick(FindChildById(tags, IDC_btnSave));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(tags); }, 10000)) << "OK did not close the tag selection";

    EXPECT_EQ("Saved successfully", saveAndClose(config));
    // The topic, the HistData and the output folders prove themselves in the export below.
    EXPECT_EQ(lgh.path(), IniValue(ini, "DDE_LGH_FOLDER"));

    HWND main = FindTopWindowOfProcess(app.Id(), kMainWindowTitle, 10000);
    ASSERT_TRUE(main && WaitUntil([&] { return IsShown(main); }, 10000)) << "no main window after the settings";
    PostClick(FindChildByText(main, "Configure Misc. Settings"));
    HWND misc = shownDialog("Settings");
    ASSERT_NE(nullptr, misc);
    SetText(FindChildById(misc, IDC_txtMinutes), "17");
    EXPECT_EQ("Saved successfully", saveAndClose(misc));
    EXPECT_EQ("17", IniValue(ini, "MINUTES_AFTER_HOUR"));
    EXPECT_EQ("FALSE", IniValue(ini, "SELECTALLTAGS")) << "the second form's save lost the tag choice";
    ASSERT_TRUE(ExitThroughTray(app)) << "Exit in the tray menu did not end the program";

    // The one hand edit: the service's catch-up point, two hours back instead of yesterday's
    // midnight, so that one service run exports two hours rather than a day's worth.
    const DateTime tickHour = TruncateToHour(SystemNow());
    SetIniValue(ini, "LAST_RUN", FormatGeneral(tickHour.AddSeconds(-2 * 3600)));
    main = StartAndTickService(app, program.path());
    ASSERT_NE(nullptr, main) << "the service tick never met its minute";
    ASSERT_TRUE(WaitForActivity(main, {"Processing Files completed upto: "}, 150000))
        << Describe(Activity(main), program.path(), standIn);
    if (TruncateToHour(SystemNow()) != tickHour) GTEST_SKIP() << "the hour turned during the run";

    const std::vector<std::string> expectedFiles = {FormatPattern(tickHour.AddSeconds(-7200), "yyyymmddhh") + ".CSV",
                                                    FormatPattern(tickHour.AddSeconds(-3600), "yyyymmddhh") + ".CSV"};
    ASSERT_EQ(expectedFiles, CsvFilesIn(program / "out")) << Describe(Activity(main), program.path(), standIn);
    for (const std::string& file : expectedFiles) {
        const std::vector<std::string> lines = ReadLines(program / "out" + "\\" + file);
        ASSERT_GE(lines.size(), 2u) << file;
        EXPECT_EQ("$Date,$Time,TT_101,FT_103,LT_108", lines[0]) << file;
        EXPECT_EQ(4, std::count(lines[1].begin(), lines[1].end(), ',')) << file << ": " << lines[1];
    }
    EXPECT_EQ(FormatGeneral(tickHour), IniValue(ini, "LAST_RUN"));
}

}  // namespace
}  // namespace hdq::test
