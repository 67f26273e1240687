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
#include "e2e_folder_win32.h"
#include "standin_win32.h"
#include "tagnamex_writer.h"
#include "test_support.h"

// The main window's IDs and the settings dialogs' IDs give IDC_Label1, IDC_Label2 and
// IDC_btnClose different numbers; the main window's few are taken before the settings' are read.
#include "app/resource.h"
namespace {
constexpr int kMainActivity = IDC_lstActivityLog;
constexpr int kMainMiscSettings = IDC_btnAdvSettings;
}  // namespace
#undef IDC_Label1
#undef IDC_Label2
#undef IDC_btnClose
#include "settings/settings_res.h"

namespace hdq::test {
namespace {

const std::string kMainTitle = "HistData to Brel Qorp Utility v1.0.7 - Interactive ";
const std::string kBoxTitle = "HistData to Brel Qorp";
const std::string kTagsTitle = "Settings : Select Tags to Collect Data For";

// Eight trended tags in dictionary order, with two untrended ones among them that no list may show.
const std::vector<TagRecord> kDictionary = {
    {"TT_101", "Reactor inlet temperature", 1},  {"PT_102", "Reactor pressure", 9},
    {"SPARE_1", "not logged", 0},                {"FT_103", "Feed flow", 17},
    {"LT_104", "Tank level", 25},                {"TT_105", "Jacket temperature", 1},
    {"SPARE_2", "not logged", 3},                {"PT_106", "Vent pressure", 1},
    {"FT_107", "Product flow", 9},               {"LT_108", "Buffer level", 1},
};
const std::vector<std::string> kTrended = {"TT_101", "PT_102", "FT_103", "LT_104",
                                           "TT_105", "PT_106", "FT_107", "LT_108"};
// What the operator picks; HistData gets them in dictionary order whatever order they were picked in.
const std::vector<std::string> kPicked = {"LT_108", "TT_101", "FT_103"};
const std::vector<std::string> kPickedInDictionaryOrder = {"TT_101", "FT_103", "LT_108"};

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The TAGS, TAGS1, ... pokes of each request, as "ITEM=value"; TAGS starts a request's list.
std::vector<std::vector<std::string>> TagPokesPerRequest(const std::vector<std::string>& transcript) {
    std::vector<std::vector<std::string>> requests;
    for (const std::string& line : transcript) {
        if (line.rfind("POKE TAGS", 0) != 0) continue;
        const std::string poke = line.substr(5);
        if (poke.rfind("TAGS=", 0) == 0 || requests.empty()) requests.emplace_back();
        requests.back().push_back(poke);
    }
    return requests;
}

class DialogConfiguration : public ::testing::Test {
protected:
    void SetUp() override {
        exe = InstallProgram(program);
        ASSERT_FALSE(exe.empty()) << BuiltExe();
        ASSERT_TRUE(CreateDirectoryA((program / "out").c_str(), nullptr));
        WriteTagnameX(intouch / "tagname.x", kDictionary);
        ASSERT_TRUE(standIn.Copied());
        // A topic of its own keeps this stand-in and the stand-ins of other tests apart.
        topic = "DLG" + std::to_string(GetCurrentProcessId());
        standIn.WriteSettings("TOPIC=" + topic + "\r\n");
        ASSERT_TRUE(standIn.Start());
    }
    void TearDown() override {
        EXPECT_TRUE(ExitThroughTray(app)) << "Exit in the tray menu did not end the program";
        standIn.Stop();
    }

    std::string Ini() const { return program / "HistDataToQorp.ini"; }

    // A dialog of the program with that caption, once it is on screen.
    HWND ShownDialog(const std::string& title) {
        HWND dialog = FindTopWindowOfProcess(app.Id(), title, 15000);
        if (dialog && !WaitUntil([&] { return IsShown(dialog); }, 10000)) return nullptr;
        return dialog;
    }
    static bool Closed(HWND dialog) {
        return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000);
    }
    // Presses "Save Settings" and answers the box it shows; the box's prompt.
    std::string SaveSettings(HWND dialog) {
        PostClick(FindChildById(dialog, IDC_btnSave));
        std::string prompt = "<no message box>";
        AnswerMessageBox(app.Id(), kBoxTitle, IDOK, &prompt, 15000);
        return prompt;
    }
    std::vector<std::string> Activity(HWND main) { return ListBoxItems(FindChildById(main, kMainActivity)); }
    bool ActivityHas(HWND main, const std::string& line, DWORD ms) {
        return WaitUntil([&] { return Contains(Activity(main), line); }, ms, 200);
    }
    std::string Describe(HWND main) {
        return "activity: " + ::testing::PrintToString(Activity(main)) + "\nINI:\n" + ReadFile(Ini()) +
               "\nlog:\n" + NewestLog(program.path());
    }

    TempFolder program;
    TempFolder lgh;
    TempFolder intouch;
    StandIn standIn{HDQ_SIM_DIR};
    std::string exe;
    std::string topic;
    Process app;
};

TEST_F(DialogConfiguration, ServiceExportsExactlyTheTagsPickedInTheDialogs) {
    // First start: no INI file, so the program opens its connection settings over its window.
    ASSERT_TRUE(app.Start(exe, "", program.path()));
    HWND config = ShownDialog("Configuration");
    ASSERT_NE(nullptr, config) << "the connection settings did not open on a first start";

    // Blanks around what is typed are what a pasted path often carries; they must not reach the store.
    // The tag file is typed as is: the form looks the file up as typed to offer its tags.
    SetText(FindChildById(config, IDC_txtDDE_LinkTopic), "  " + topic + " ");
    SetText(FindChildById(config, IDC_txtLGH_Folder), " " + lgh.path() + "  ");
    SetText(FindChildById(config, IDC_txtTagnameFolder), intouch / "tagname.x");
    SetText(FindChildById(config, IDC_txtHistDataFolder), "  " + standIn.folder());
    SetText(FindChildById(config, IDC_txtOutputFolder), (program / "out") + "   ");

    HWND allTagsBox = FindChildById(config, IDC_chkProcessAllTags);
    HWND pickTags = FindChildById(config, IDC_btnTagCollecter);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(allTagsBox) != FALSE; }, 5000))
        << "typing an existing tag file did not enable the all-tags box";
    ASSERT_EQ(BST_CHECKED, SendMessageA(allTagsBox, BM_GETCHECK, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(pickTags));
    // The operator's click: the box clears, then the form hears of it.
    SendMessageA(allTagsBox, BM_SETCHECK, BST_UNCHECKED, 0);
    Click(allTagsBox);
    ASSERT_TRUE(IsWindowEnabled(pickTags)) << "clearing the all-tags box did not enable the tag picker";

    PostClick(pickTags);
    HWND tags = ShownDialog(kTagsTitle);
    ASSERT_NE(nullptr, tags);
    HWND allList = FindChildById(tags, IDC_lstAllTags);
    HWND filterList = FindChildById(tags, IDC_lstFilterTags);
    std::vector<std::string> offered = ListBoxItems(allList);
    std::vector<std::string> offeredSorted = offered;
    std::sort(offeredSorted.begin(), offeredSorted.end());
    std::vector<std::string> trendedSorted = kTrended;
    std::sort(trendedSorted.begin(), trendedSorted.end());
    ASSERT_EQ(trendedSorted, offeredSorted) << "the left list must offer the trended tags, each once";
    EXPECT_TRUE(ListBoxItems(filterList).empty());

    // The picked tags join the filtered list in the order the left list shows them.
    std::vector<std::string> listOrder;
    for (size_t i = 0; i < offered.size(); ++i) {
        if (!Contains(kPicked, offered[i])) continue;
        SendMessageA(allList, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
        listOrder.push_back(offered[i]);
    }
    Click(FindChildById(tags, IDC_btnAddTag));
    ASSERT_EQ(listOrder, ListBoxItems(filterList));
    PostClick(FindChildById(tags, IDC_btnSave));
    ASSERT_TRUE(Closed(tags)) << "OK did not close the tag selection";

    EXPECT_EQ("Saved successfully", SaveSettings(config));
    EXPECT_EQ(topic, IniValue(Ini(), "DDE_LINKTOPIC"));
    EXPECT_EQ(lgh.path(), IniValue(Ini(), "DDE_LGH_FOLDER"));
    EXPECT_EQ(intouch / "tagname.x", IniValue(Ini(), "DDE_TAGNAME_FILE"));
    EXPECT_EQ(standIn.folder(), IniValue(Ini(), "DDE_HISTDATA_FOLDER"));
    EXPECT_EQ(program / "out", IniValue(Ini(), "OUTPUT_FOLDER"));
    EXPECT_EQ("FALSE", IniValue(Ini(), "SELECTALLTAGS"));
    for (size_t i = 0; i < listOrder.size(); ++i) {
        EXPECT_EQ(listOrder[i], IniValue(Ini(), "TAGNAME_" + std::to_string(i + 1))) << i;
    }
    EXPECT_EQ("<missing>", IniValue(Ini(), "TAGNAME_4"));
    PostClick(FindChildById(config, IDC_btnClose));
    ASSERT_TRUE(Closed(config));

    HWND main = FindTopWindowOfProcess(app.Id(), kMainTitle, 10000);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000)) << "the main window did not show after the settings";

    // The service minute is chosen so that the first timer tick after the restart below, a
    // minute after the program starts, falls in it; early in a minute leaves room for the steps between.
    WaitUntil([] { int s = SystemNow().second; return s >= 2 && s <= 30; }, 60000, 200);
    const DateTime chosenAt = SystemNow();
    const int serviceMinute = chosenAt.AddSeconds(60).minute;
    const DateTime tickHour = TruncateToHour(chosenAt.AddSeconds(60));

    PostClick(FindChildById(main, kMainMiscSettings));
    HWND misc = ShownDialog("Settings");
    ASSERT_NE(nullptr, misc);
    SetText(FindChildById(misc, IDC_txtMinutes), std::to_string(serviceMinute));
    // Full detail in the log, so that a failure below can be read from it.
    SendMessageA(FindChildById(misc, IDC_cmbVerbosity), CB_SETCURSEL, 2, 0);
    EXPECT_EQ("Saved successfully", SaveSettings(misc));
    EXPECT_EQ(std::to_string(serviceMinute), IniValue(Ini(), "MINUTES_AFTER_HOUR"));
    EXPECT_EQ("FALSE", IniValue(Ini(), "SELECTALLTAGS")) << "the second form's save lost the tag choice";
    EXPECT_EQ(listOrder[0], IniValue(Ini(), "TAGNAME_1"));
    PostClick(FindChildById(misc, IDC_btnClose));
    ASSERT_TRUE(Closed(misc));
    ASSERT_TRUE(ExitThroughTray(app)) << "Exit in the tray menu did not end the program";

    // The one hand edit: the service's catch-up point, two hours back instead of yesterday's
    // midnight, so that one service run exports two hours rather than a day's worth.
    SetIniValue(Ini(), "LAST_RUN", FormatGeneral(tickHour.AddSeconds(-2 * 3600)));

    const DateTime restartedAt = SystemNow();
    ASSERT_EQ(serviceMinute, restartedAt.AddSeconds(65).minute)
        << "the steps took too long: the first tick would miss minute " << serviceMinute;
    ASSERT_TRUE(app.Start(exe, "", program.path()));
    main = FindTopWindowOfProcess(app.Id(), kMainTitle, 15000);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(ActivityHas(main, "Running Service Mode", 15000)) << Describe(main);
    EXPECT_FALSE(IsWindowVisible(main)) << "a configured program starts in the notification area";

    ASSERT_TRUE(ActivityHas(main, "Processing Files completed upto: " + FormatGeneral(tickHour), 150000))
        << Describe(main);

    std::vector<std::string> expectedFiles;
    for (int back = 2; back >= 1; --back) {
        expectedFiles.push_back(FormatPattern(tickHour.AddSeconds(-back * 3600), "yyyymmddhh") + ".CSV");
    }
    ASSERT_EQ(expectedFiles, CsvFilesIn(program / "out")) << Describe(main);
    std::string header = "$Date,$Time";
    for (const std::string& tag : kPickedInDictionaryOrder) header += "," + tag;
    for (const std::string& file : expectedFiles) {
        std::vector<std::string> lines = ReadLines(program / "out" + "\\" + file);
        ASSERT_GE(lines.size(), 2u) << file;
        EXPECT_EQ(header, lines[0]) << file;
        // Date, time and one value for each picked tag.
        EXPECT_EQ(4, std::count(lines[1].begin(), lines[1].end(), ',')) << file << ": " << lines[1];
    }

    const std::vector<std::string> expectedPokes = {"TAGS=$date,$time,TT_101,+", "TAGS1=FT_103,+", "TAGS2=LT_108"};
    std::vector<std::vector<std::string>> requests = TagPokesPerRequest(standIn.Transcript());
    ASSERT_GE(requests.size(), 2u) << ::testing::PrintToString(standIn.Transcript());
    for (const auto& pokes : requests) EXPECT_EQ(expectedPokes, pokes);

    EXPECT_EQ(FormatGeneral(tickHour), IniValue(Ini(), "LAST_RUN"));
    EXPECT_EQ(listOrder[2], IniValue(Ini(), "TAGNAME_3")) << "the service's save changed the tag list";
}

}  // namespace
}  // namespace hdq::test
