// The real program and the HistData stand-in in a temporary program folder, driven through
// window messages as an operator would.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/resource.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "e2e_folder_win32.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"

namespace hdq::test {
namespace {

// A program folder holding a copy of the exe, its INI file and an output folder, next to a
// private stand-in with a two-tag dictionary.
class Installed : public ::testing::Test {
protected:
    // simDir: the folder of the histdata.exe that plays HistData.
    explicit Installed(const char* simDir = HDQ_SIM_DIR) : standIn{simDir} {}

    void SetUp() override {
        ASSERT_FALSE(InstallProgram(program).empty()) << "could not copy " << BuiltExe();
        ASSERT_TRUE(CreateDirectoryA((program / "out").c_str(), nullptr)) << "output folder: " << GetLastError();
        ASSERT_TRUE(standIn.Copied()) << "could not copy the stand-in into " << standIn.folder();
        standIn.WriteDictionary({"TANK_LEVEL", "PUMP_FLOW"});
        standIn.WriteSettings("TOPIC=" + topic + "\r\n");
    }
    void TearDown() override {
        EXPECT_TRUE(ExitThroughTray(app)) << "Exit in the tray menu did not end the program";
        standIn.Stop();
    }

    std::string Ini() const { return program / "HistDataToQorp.ini"; }
    std::string Describe() const {
        return test::Describe(main ? Activity(main) : std::vector<std::string>{}, program.path(), standIn);
    }
    std::vector<std::string> Panels() const { return StatusBarParts(FindChildById(main, IDC_sb1)); }
    std::string PauseCaption() const { return WindowText(FindChildById(main, IDC_btnPause)); }
    HWND Tray() const { return FindTopWindowOfProcess(app.Id(), win::FrmSysTray::kWindowTitle, 2000); }

    // Starts the stand-in and the program with these INI values and waits until its service
    // runs; the program's main window is then in main.
    void Launch(const IniValues& values = {}) {
        WriteProgramIni(Ini(), standIn, topic, program / "out", values);
        ASSERT_TRUE(standIn.Start()) << "the stand-in did not open its window";
        main = StartProgram(app, program.path());
        ASSERT_NE(nullptr, main) << "no main window; the program is " << (app.Running() ? "running" : "not running");
        ASSERT_TRUE(WaitForActivity(main, {"Running Service Mode"}, 10000)) << Describe();
    }

    // Three hours since LAST_RUN, exported at the configured minute.
    void ServiceRunOverThreeHours();

    TempFolder program;
    StandIn standIn;
    std::string topic = UniqueName("E2E");
    Process app;
    HWND main = nullptr;
};

TEST_F(Installed, StartsHiddenAndRunningPausesTwiceAndComesUpFromTheTrayWithItsAboutLinesListedOnce) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    EXPECT_FALSE(IsWindowVisible(main));
    const std::vector<std::string> states[] = {{"PAUSE", "RUNNING"}, {"RUN", "PAUSED"}, {"PAUSE", "RUNNING"}};
    for (const auto& state : states) {
        if (&state != states) Click(FindChildById(main, IDC_btnPause));
        EXPECT_EQ(state[0], PauseCaption());
        ASSERT_FALSE(Panels().empty()) << "the status bar could not be read";
        EXPECT_EQ(state[1], Panels()[0]);
    }

    HWND tray = Tray();
    ASSERT_NE(nullptr, tray) << "no tray window";
    PostMessageA(tray, win::FrmSysTray::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000)) << "the double-click did not restore the window";
    // A second showing must not add the lines again.
    for (int round = 0; round < 2; ++round) {
        PostMessageA(tray, WM_COMMAND, IDM_mAbout, 0);
        HWND about = FindTopWindowOfProcess(app.Id(), "About pelomark", 10000);
        ASSERT_NE(nullptr, about) << "no About window in round " << round;
        ASSERT_TRUE(WaitUntil([&] { return IsShown(about); }, 5000)) << "About stayed hidden in round " << round;
        std::vector<std::string> lines = ListBoxItems(FindChildById(about, IDC_lstAbout));
        ASSERT_EQ(4u, lines.size()) << "round " << round << ": " << ::testing::PrintToString(lines);
        EXPECT_EQ("Product:\t\tHistData to Brel Qorp", lines[0]);
        EXPECT_EQ("Version:\t\t1.0.7", lines[1]);
        EXPECT_EQ("Build:\t\t46 (Application)  10 (Type) 27 (Platform)", lines[2]);
        Click(FindChildById(about, IDC_btnExit));
        EXPECT_FALSE(IsWindowVisible(about));
    }
}

TEST_F(Installed, ManualRunWritesOneFilePerHourAndLeavesLastRunAlone) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(RunManual(app.Id(), main, "2011-03-25 08:00:00", "2011-03-25 11:00:00")) << "no Manual Run dialog";
    ASSERT_TRUE(WaitForActivity(main, {"Complete Manual process HistData files, status: True"}, 90000)) << Describe();
    EXPECT_EQ((std::vector<std::string>{"2011032508.CSV", "2011032509.CSV", "2011032510.CSV"}),
              CsvFilesIn(program / "out"))
        << Describe();
    EXPECT_EQ("03-24-2011 00:00:00", IniValue(Ini(), "LAST_RUN"));
    EXPECT_EQ((std::vector<std::string>{"MANUAL MODE", ""}), Panels());
    EXPECT_EQ("RUN", PauseCaption());

    // scripts/screenshot asks for a picture of the window after this run.
    if (const char* picture = std::getenv("HDQ_SCREENSHOT")) {
        PostMessageA(Tray(), win::FrmSysTray::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
        ASSERT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000)) << "the window did not come up";
        Sleep(1000);
        EXPECT_TRUE(SaveWindowPicture(main, picture));
    }
}

TEST_F(Installed, ExitDuringALongExportEndsTheProgramAfterTheHourUnderWay) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(RunManual(app.Id(), main, "2011-03-25 08:00:00", "2011-03-26 14:00:00")) << "no Manual Run dialog";
    ASSERT_TRUE(WaitForActivity(main, {"Processing Data for 2011-03-25 09:00:00"}, 60000)) << Describe();
    // Thirty hours would take a minute more; the program must end within about one request.
    ASSERT_TRUE(ExitThroughTray(app, 15000)) << Describe();
    const std::string log = NewestLog(program.path());
    EXPECT_NE(std::string::npos, log.find("Export stopped before 2011-03-25 1")) << log;
    EXPECT_EQ(std::string::npos, log.find("Processing Files completed upto: ")) << log;
    EXPECT_LT(CsvFilesIn(program / "out").size(), 5u);
}

void Installed::ServiceRunOverThreeHours() {
    // The timer first fires a minute after start; keep clear of a minute boundary so that
    // tick lands in the minute written below.
    WaitUntil([] { return SystemNow().second >= 5 && SystemNow().second <= 45; }, 60000, 200);
    const DateTime now = SystemNow();
    const DateTime hour = TruncateToHour(now);
    const DateTime tick = now.AddSeconds(60);
    if (TruncateToHour(tick) != hour) GTEST_SKIP() << "the service minute would fall into the next hour";
    ASSERT_NO_FATAL_FAILURE(Launch({{"MINUTES_AFTER_HOUR", std::to_string(tick.minute)},
                                    {"LAST_RUN", FormatGeneral(hour.AddSeconds(-3 * 3600))}}));

    ASSERT_TRUE(WaitForActivity(main, {"Processing Files completed upto: " + FormatGeneral(hour)}, 150000))
        << Describe();
    std::vector<std::string> expected;
    for (int back = 3; back >= 1; --back) {
        expected.push_back(FormatPattern(hour.AddSeconds(-back * 3600), "yyyymmddhh") + ".CSV");
    }
    EXPECT_EQ(expected, CsvFilesIn(program / "out")) << Describe();
    EXPECT_EQ(FormatGeneral(hour), IniValue(Ini(), "LAST_RUN"));
    EXPECT_EQ("RUNNING", Panels().at(0));
}

TEST_F(Installed, ServiceRunAtTheConfiguredMinuteExportsSinceLastRunAndSavesIt) { ServiceRunOverThreeHours(); }

#ifdef HDQ_OTHER_SIM_DIR
// The real HistData is a 32-bit program: the 64-bit build talks DDE to a 32-bit stand-in and
// the 32-bit build to a 64-bit one.
class InstalledBesideTheOtherBuildsStandIn : public Installed {
protected:
    InstalledBesideTheOtherBuildsStandIn() : Installed(HDQ_OTHER_SIM_DIR) {}
};

TEST_F(InstalledBesideTheOtherBuildsStandIn, ServiceRunExportsSinceLastRunAcrossTheBitBoundary) {
    ServiceRunOverThreeHours();
}
#endif

TEST_F(Installed, IncompleteConfigurationOpensTheSettingsThenShowsTheWindow) {
    WriteProgramIni(Ini(), standIn, "", program / "out");
    ASSERT_TRUE(app.Start(program / "HistDataToQorp.exe", "", program.path())) << "CreateProcess: " << GetLastError();
    HWND settings = FindTopWindowOfProcess(app.Id(), "Configuration", 15000);
    ASSERT_NE(nullptr, settings) << "no Configuration dialog; the program is "
                                 << (app.Running() ? "running" : "not running") << "\n" << Describe();
    PostMessageA(settings, WM_CLOSE, 0, 0);
    main = FindTopWindowOfProcess(app.Id(), kMainWindowTitle, 10000);
    ASSERT_NE(nullptr, main) << "no main window after the settings closed\n" << Describe();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000)) << "the main window stayed hidden\n" << Describe();
    EXPECT_TRUE(AnyStartsWith(Activity(main), "Setup Configuration to establish service")) << Describe();
    EXPECT_EQ("PAUSED", Panels().at(0));

    Click(FindChildById(main, IDC_CmdClose));
    EXPECT_TRUE(AnyStartsWith(Activity(main), "Error: Please configure Settings and save before running"))
        << Describe();
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ("PAUSED", Panels().at(0));
    EXPECT_EQ("RUN", PauseCaption());
}

TEST_F(Installed, ASecondCopyFromTheSameFolderShowsTheFirstAndEndsWhileOneElsewhereRunsBeside) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_FALSE(IsWindowVisible(main)) << "the configured program did not start hidden";

    Process second;
    ASSERT_TRUE(second.Start(program / "HistDataToQorp.exe", "", program.path())) << GetLastError();
    DWORD code = 99;
    ASSERT_TRUE(second.WaitExit(15000, &code)) << "the second copy did not end";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000)) << "the first copy's window stayed hidden";
    EXPECT_TRUE(app.Running());

    // A copy in another folder is a separate installation and runs beside it.
    TempFolder other;
    ASSERT_FALSE(InstallProgram(other).empty()) << "could not copy " << BuiltExe();
    WriteFile(other / "HistDataToQorp.ini", ReadFile(Ini()));
    Process beside;
    EXPECT_NE(nullptr, StartProgram(beside, other.path())) << "the copy elsewhere opened no main window";
    EXPECT_TRUE(beside.Running());
    EXPECT_TRUE(ExitThroughTray(beside));
}

}  // namespace
}  // namespace hdq::test
