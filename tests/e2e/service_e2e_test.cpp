// The real program and the HistData stand-in in a temporary program folder, driven through
// window messages as an operator would.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/datetime.h"
#include "driver_win32.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "app/resource.h"
#include "standin_win32.h"
#include "test_support.h"

namespace hdq::test {
namespace {

const std::string kTitle = "HistData to Brel Qorp Utility v1.0.7 - Interactive ";

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string IniValue(const std::string& iniPath, const std::string& key) {
    for (const std::string& line : ReadLines(iniPath)) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

std::vector<std::string> CsvFilesIn(const std::string& folder) {
    std::vector<std::string> csv;
    for (const std::string& f : FilesIn(folder)) {
        if (f.size() > 4 && _stricmp(f.c_str() + f.size() - 4, ".csv") == 0) csv.push_back(f);
    }
    return csv;
}

// A program folder holding a copy of the exe, its INI file and an output folder, next to a
// private stand-in with a two-tag dictionary.
class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileA(BuiltExe().c_str(), (program / "HistDataToQorp.exe").c_str(), FALSE)) << BuiltExe();
        ASSERT_TRUE(CreateDirectoryA((program / "out").c_str(), nullptr));
        ASSERT_TRUE(standIn.Copied());
        standIn.WriteDictionary({"TANK_LEVEL", "PUMP_FLOW"});
        // A topic of its own keeps this stand-in and the stand-ins of other tests apart.
        topic = "E2E" + std::to_string(GetCurrentProcessId());
        standIn.WriteSettings("TOPIC=" + topic + "\r\n");
    }
    void TearDown() override {
        if (app.Running()) {
            if (HWND tray = FindTopWindowOfProcess(app.Id(), win::FrmSysTray::kWindowTitle, 0)) {
                PostMessageA(tray, WM_COMMAND, IDM_mExit, 0);
            }
            EXPECT_TRUE(app.WaitExit(10000)) << "Exit in the tray menu did not end the program";
        }
        app.Kill();
        standIn.Stop();
    }

    std::string Ini() const { return program / "HistDataToQorp.ini"; }

    void WriteIni(const std::string& topic, const std::string& minutes, const std::string& lastRun) {
        std::string text;
        auto put = [&](const std::string& k, const std::string& v) { text += k + "=" + v + "\r\n"; };
        put("DDE_LINKTOPIC", topic);
        put("DDE_LGH_FOLDER", standIn.folder());
        put("DDE_TAGNAME_FILE", standIn.Path("tagname.x"));
        put("DDE_HISTDATA_FOLDER", standIn.folder());
        put("OUTPUT_FOLDER", program / "out");
        put("MINUTES_AFTER_HOUR", minutes);
        put("KEEP_LOGS_FOR", "30");
        put("VERBOSITY", "2");
        put("LAST_RUN", lastRun);
        put("HELPTOPIC", "12120");
        put("DDE_TIMEOUT", "600");
        put("DDE_MAX_BUFFER_SIZE", "500");
        put("DDE_DURATION", "60m");
        put("DDE_INTERVAL", "1m");
        put("DDE_SAVECACHE", "FALSE");
        put("SELECTALLTAGS", "TRUE");
        put("VALIDTRENDBYTES", "");
        WriteFile(Ini(), text);
    }

    // Starts the stand-in and the program; returns the program's main window.
    HWND Launch() {
        if (!standIn.Running()) EXPECT_TRUE(standIn.Start());
        EXPECT_TRUE(app.Start(program / "HistDataToQorp.exe", "", program.path()));
        return FindTopWindowOfProcess(app.Id(), kTitle, 15000);
    }

    std::string Describe(HWND main) {
        std::string text = "activity: " + ::testing::PrintToString(Activity(main));
        std::vector<std::string> logs = FilesIn(program / "log");
        if (!logs.empty()) text += "\nlog:\n" + ReadFile(program / "log" + "\\" + logs.back());
        return text;
    }
    HWND Button(HWND main, int id) { return FindChildById(main, id); }
    std::vector<std::string> Panels(HWND main) { return StatusBarParts(FindChildById(main, IDC_sb1)); }
    std::vector<std::string> Activity(HWND main) { return ListBoxItems(FindChildById(main, IDC_lstActivityLog)); }
    bool ActivityHas(HWND main, const std::string& line, DWORD ms) {
        return WaitUntil([&] { return Contains(Activity(main), line); }, ms, 200);
    }

    TempFolder program;
    StandIn standIn{HDQ_SIM_DIR};
    std::string topic;
    Process app;
};

TEST_F(Installed, StartsHiddenAndRunningWhenTheConfigurationIsComplete) {
    WriteIni(topic, "0", "03-24-2011 00:00:00");
    HWND main = Launch();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(ActivityHas(main, "Running Service Mode", 10000)) << Describe(main);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ("PAUSE", WindowText(Button(main, IDC_btnPause)));
    std::vector<std::string> panels = Panels(main);
    ASSERT_FALSE(panels.empty());
    EXPECT_EQ("RUNNING", panels[0]);
    EXPECT_NE(nullptr, FindTopWindowOfProcess(app.Id(), win::FrmSysTray::kWindowTitle, 2000));
}

TEST_F(Installed, PressingPauseTwiceReturnsToRunning) {
    WriteIni(topic, "0", "03-24-2011 00:00:00");
    HWND main = Launch();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(ActivityHas(main, "Running Service Mode", 10000)) << Describe(main);
    Click(Button(main, IDC_btnPause));
    EXPECT_EQ("RUN", WindowText(Button(main, IDC_btnPause)));
    EXPECT_EQ("PAUSED", Panels(main).at(0));
    Click(Button(main, IDC_btnPause));
    EXPECT_EQ("PAUSE", WindowText(Button(main, IDC_btnPause)));
    EXPECT_EQ("RUNNING", Panels(main).at(0));
}

TEST_F(Installed, ManualRunWritesOneFilePerHourAndLeavesLastRunAlone) {
    WriteIni(topic, "0", "03-24-2011 00:00:00");
    HWND main = Launch();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(ActivityHas(main, "Running Service Mode", 10000)) << Describe(main);
    PostClick(Button(main, IDC_btnManual));
    HWND dialog = FindTopWindowOfProcess(app.Id(), "Manual Run", 10000);
    ASSERT_NE(nullptr, dialog);
    SetText(FindChildById(dialog, IDC_txtStartDate), "2011-03-25 08:00:00");
    SetText(FindChildById(dialog, IDC_txtEndDate), "2011-03-25 11:00:00");
    PostClick(FindChildById(dialog, IDC_btnRun));

    ASSERT_TRUE(ActivityHas(main, "Complete Manual process HistData files, status: True", 90000))
        << "activity: " << ::testing::PrintToString(Activity(main));
    EXPECT_EQ((std::vector<std::string>{"2011032508.CSV", "2011032509.CSV", "2011032510.CSV"}),
              CsvFilesIn(program / "out"))
        << Describe(main);
    EXPECT_EQ("03-24-2011 00:00:00", IniValue(Ini(), "LAST_RUN"));
    std::vector<std::string> panels = Panels(main);
    ASSERT_EQ(2u, panels.size());
    EXPECT_EQ("MANUAL MODE", panels[0]);
    EXPECT_EQ("", panels[1]);
    EXPECT_EQ("RUN", WindowText(Button(main, IDC_btnPause)));

    // scripts/screenshot asks for a picture of the window after this run.
    if (const char* picture = std::getenv("HDQ_SCREENSHOT")) {
        HWND tray = FindTopWindowOfProcess(app.Id(), win::FrmSysTray::kWindowTitle, 2000);
        PostMessageA(tray, win::FrmSysTray::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
        ASSERT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000));
        Sleep(1000);
        EXPECT_TRUE(SaveWindowPicture(main, picture));
    }
}

TEST_F(Installed, ServiceRunAtTheConfiguredMinuteExportsSinceLastRunAndSavesIt) {
    // The timer first fires a minute after start; keep clear of a minute boundary so that
    // tick lands in the minute written below.
    WaitUntil([] { int s = SystemNow().second; return s >= 5 && s <= 45; }, 60000, 200);
    DateTime now = SystemNow();
    DateTime hour = TruncateToHour(now);
    DateTime tick = now.AddSeconds(60);
    if (TruncateToHour(tick) != hour) GTEST_SKIP() << "the service minute would fall into the next hour";
    WriteIni(topic, std::to_string(tick.minute), FormatGeneral(hour.AddSeconds(-3 * 3600)));
    HWND main = Launch();
    ASSERT_NE(nullptr, main);

    ASSERT_TRUE(ActivityHas(main, "Processing Files completed upto: " + FormatGeneral(hour), 150000))
        << "activity: " << ::testing::PrintToString(Activity(main));
    std::vector<std::string> expected;
    for (int back = 3; back >= 1; --back) expected.push_back(FormatPattern(hour.AddSeconds(-back * 3600), "yyyymmddhh") + ".CSV");
    EXPECT_EQ(expected, CsvFilesIn(program / "out")) << Describe(main);
    EXPECT_EQ(FormatGeneral(hour), IniValue(Ini(), "LAST_RUN"));
    EXPECT_EQ("RUNNING", Panels(main).at(0));
}

TEST_F(Installed, IncompleteConfigurationOpensTheSettingsThenShowsTheWindow) {
    WriteIni("", "0", "03-24-2011 00:00:00");
    ASSERT_TRUE(app.Start(program / "HistDataToQorp.exe", "", program.path()));
    HWND settings = FindTopWindowOfProcess(app.Id(), "Configuration", 15000);
    ASSERT_NE(nullptr, settings);
    PostMessageA(settings, WM_CLOSE, 0, 0);
    HWND main = FindTopWindowOfProcess(app.Id(), kTitle, 10000);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000));
    EXPECT_TRUE(Contains(Activity(main), "Setup Configuration to establish service"));
    EXPECT_EQ("PAUSED", Panels(main).at(0));

    Click(Button(main, IDC_CmdClose));
    EXPECT_TRUE(Contains(Activity(main), "Error: Please configure Settings and save before running"));
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ("PAUSED", Panels(main).at(0));
    EXPECT_EQ("RUN", WindowText(Button(main, IDC_btnPause)));
}

TEST_F(Installed, ASecondCopyFromTheSameFolderShowsTheFirstAndEnds) {
    WriteIni(topic, "0", "03-24-2011 00:00:00");
    HWND main = Launch();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(ActivityHas(main, "Running Service Mode", 10000)) << Describe(main);
    ASSERT_FALSE(IsWindowVisible(main));

    Process second;
    ASSERT_TRUE(second.Start(program / "HistDataToQorp.exe", "", program.path()));
    DWORD code = 99;
    ASSERT_TRUE(second.WaitExit(15000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000));
    EXPECT_TRUE(app.Running());

    // A copy in another folder is a separate installation and runs beside it.
    TempFolder other;
    ASSERT_TRUE(CopyFileA(BuiltExe().c_str(), (other / "HistDataToQorp.exe").c_str(), FALSE));
    WriteFile(other / "HistDataToQorp.ini", ReadFile(Ini()));
    Process beside;
    ASSERT_TRUE(beside.Start(other / "HistDataToQorp.exe", "", other.path()));
    EXPECT_NE(nullptr, FindTopWindowOfProcess(beside.Id(), kTitle, 15000));
    EXPECT_TRUE(beside.Running());
    if (HWND tray = FindTopWindowOfProcess(beside.Id(), win::FrmSysTray::kWindowTitle, 2000)) {
        PostMessageA(tray, WM_COMMAND, IDM_mExit, 0);
    }
    EXPECT_TRUE(beside.WaitExit(10000));
}

TEST_F(Installed, TrayDoubleClickRestoresTheWindowAndAboutListsItsLinesOnce) {
    WriteIni(topic, "0", "03-24-2011 00:00:00");
    HWND main = Launch();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(ActivityHas(main, "Running Service Mode", 10000)) << Describe(main);
    HWND tray = FindTopWindowOfProcess(app.Id(), win::FrmSysTray::kWindowTitle, 2000);
    ASSERT_NE(nullptr, tray);

    PostMessageA(tray, win::FrmSysTray::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000));

    for (int round = 0; round < 2; ++round) {
        PostMessageA(tray, WM_COMMAND, IDM_mAbout, 0);
        HWND about = FindTopWindowOfProcess(app.Id(), "About pelomark", 10000);
        ASSERT_NE(nullptr, about);
        ASSERT_TRUE(WaitUntil([&] { return IsShown(about); }, 5000));
        std::vector<std::string> lines = ListBoxItems(FindChildById(about, IDC_lstAbout));
        ASSERT_EQ(4u, lines.size()) << round;
        EXPECT_EQ("Product:\t\tHistData to Brel Qorp", lines[0]);
        EXPECT_EQ("Version:\t\t1.0.7", lines[1]);
        EXPECT_EQ("Build:\t\t46 (Application)  10 (Type) 27 (Platform)", lines[2]);
        Click(FindChildById(about, IDC_btnExit));
        EXPECT_FALSE(IsWindowVisible(about));
    }
}

}  // namespace
}  // namespace hdq::test
