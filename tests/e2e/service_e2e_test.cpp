// The real program and the HistData stand-in in a temporary program folder, driven through
// window messages as an operator would.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/resource.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "e2e_folder_win32.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "win32/win32_handles.h"

namespace hdq::test {
namespace {

// The hourly file names from the hour of first up to, not including, the hour of LAST_RUN.
std::vector<std::string> HoursUpTo(const DateTime& first, const std::string& lastRun) {
    std::vector<std::string> names;
    const DateTime end = TruncateToHour(ParseDateTime(lastRun).value_or(first));
    for (DateTime h = TruncateToHour(first); h < end; h = h.AddSeconds(3600)) {
        names.push_back(FormatPattern(h, "yyyymmddhh") + ".CSV");
    }
    return names;
}

// The actions a folder reported for each name, as an importer watching it is told; asked again
// on every Poll, so nothing is lost between two looks. Poll is false once changes were lost.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& folder)
        : dir_(CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr)) {
        ov_.hEvent = event_.get();
        Ask();
    }
    ~FolderWatch() {
        if (CancelIoEx(dir_.get(), &ov_)) GetOverlappedResult(dir_.get(), &ov_, &got_, TRUE);
    }
    bool Poll() {
        if (!GetOverlappedResult(dir_.get(), &ov_, &got_, FALSE)) return GetLastError() == ERROR_IO_INCOMPLETE;
        for (BYTE* at = buf_; got_ > 0; at += reinterpret_cast<FILE_NOTIFY_INFORMATION*>(at)->NextEntryOffset) {
            const auto* n = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(at);
            actions[std::string(n->FileName, n->FileName + n->FileNameLength / sizeof(WCHAR))].insert(n->Action);
            if (n->NextEntryOffset == 0) break;
        }
        return got_ > 0 && Ask();  // none: more changes than the buffer holds
    }
    std::map<std::string, std::set<DWORD>> actions;

private:
    bool Ask() {
        constexpr DWORD kWhat = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
        return ReadDirectoryChangesW(dir_.get(), buf_, sizeof buf_, FALSE, kWhat, nullptr, &ov_, nullptr);
    }

    win::UniqueFile dir_;
    win::UniqueKernelHandle event_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    OVERLAPPED ov_{};
    alignas(DWORD) BYTE buf_[64 * 1024];
    DWORD got_ = 0;
};

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
        EndCopiesOf(standIn.ExePath());  // one the program started
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
    void Launch(const IniValues& values = {}, const std::string& started = "Running Service Mode") {
        WriteProgramIni(Ini(), standIn, topic, program / "out", values);
        if (!standIn.Running()) {
            ASSERT_TRUE(standIn.Start()) << "the stand-in did not open its window";
        }
        main = StartProgram(app, program.path());
        ASSERT_NE(nullptr, main) << "no main window; the program is " << (app.Running() ? "running" : "not running");
        ASSERT_TRUE(WaitForActivity(main, {started}, 10000)) << Describe();
    }
    // Launches with the service minute at hand and its tick posted (StartAndTickService); the
    // program may be left to start the stand-in itself.
    void LaunchAndTick(const IniValues& values, bool startStandIn = true) {
        WriteProgramIni(Ini(), standIn, topic, program / "out", values);
        if (startStandIn && !standIn.Running()) {
            ASSERT_TRUE(standIn.Start()) << "the stand-in did not open its window";
        }
        main = StartAndTickService(app, program.path());
        ASSERT_NE(nullptr, main) << "the service tick never met its minute\n" << Describe();
    }

    // Three hours since LAST_RUN, exported at the configured minute.
    void ServiceRunOverThreeHours();

    TempFolder program;
    StandIn standIn;
    std::string topic = UniqueName("E2E");
    Process app;
    HWND main = nullptr;
};

TEST_F(Installed, StartsHiddenAndRunningAndComesUpFromTheTrayWithItsAboutLinesListedOnce) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ("PAUSE", PauseCaption());
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
        EXPECT_EQ("Version:\t\t1.0.7", lines[1]);
        Click(FindChildById(about, IDC_btnExit));
        EXPECT_FALSE(IsWindowVisible(about));
    }
    // The item the main window adds above Exit.
    PostMessageA(tray, WM_COMMAND, IDM_mOwnerFirst, 0);
    HWND deliveries = FindTopWindowOfProcess(app.Id(), "Deliveries", 10000);
    EXPECT_TRUE(deliveries && WaitUntil([&] { return IsShown(deliveries); }, 5000)) << "no Deliveries window from the tray";
}

// Wine prefers DLLs that lie beside HistDataToQorp.exe to its own for these names while this
// lasts (its per-program setting: the environment of a started process is not read for it).
struct PreferDllsBesideTheProgram {
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\HistDataToQorp.exe\\DllOverrides";
    explicit PreferDllsBesideTheProgram(const std::vector<std::string>& names) {
        for (const std::string& name : names) RegSetKeyValueA(HKEY_CURRENT_USER, kKey, name.c_str(), REG_SZ, "native,builtin", 15);
    }
    ~PreferDllsBesideTheProgram() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
};

// Copies of a DLL that writes planted.txt beside itself when loaded lie in the program folder under
// the names the program loads (Wine's user32 imports version.dll itself: check-imports guards it).
TEST_F(Installed, RunsNoDllPlantedInItsFolderNotEvenForHelp) {
    for (const char* name : {"version.dll", "hhctrl.ocx", "uxtheme.dll"})
        ASSERT_TRUE(CopyFileA(WinPath(HDQ_PLANTED_DLL).c_str(), (program / name).c_str(), FALSE)) << name;
    PreferDllsBesideTheProgram preferred({"hhctrl.ocx", "uxtheme"});
    // Read through the log, not the window: a program running a planted DLL may hang in it.
    WriteProgramIni(Ini(), standIn, topic, program / "out");
    main = StartProgram(app, program.path());
    ASSERT_NE(nullptr, main) << ReadFile(program / "planted.txt");
    PostMessageA(main, WM_COMMAND, IDC_cmdHelp, 0);  // loads hhctrl.ocx; help.chm is not there
    EXPECT_TRUE(WaitUntil([&] { return NewestLog(program.path()).find("Help not available") != std::string::npos; }, 20000))
        << NewestLog(program.path());
    EXPECT_EQ("", ReadFile(program / "planted.txt"));
}

TEST_F(Installed, ManualRunWritesOneFilePerHourAndLeavesLastRunAlone) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(RunManual(app.Id(), main, "2011-03-25 08:00:00", "2011-03-25 11:00:00")) << "no Manual Run dialog";
    ASSERT_TRUE(WaitForActivity(main, {"Complete Manual process HistData files, status: True"}, 90000)) << Describe();
    EXPECT_EQ((std::vector<std::string>{"2011032508.CSV", "2011032509.CSV", "2011032510.CSV"}),
              CsvFilesIn(program / "out"))
        << Describe();
    EXPECT_EQ("03-24-2011 00:00:00", IniValue(Ini(), "LAST_RUN"));
    EXPECT_EQ((std::vector<std::string>{"MANUAL MODE", "Last hour exported 2011-03-25 10:00"}), Panels());
    EXPECT_EQ("RUN", PauseCaption());

    // scripts/screenshot asks for a picture of the window after this run.
    if (const char* picture = std::getenv("HDQ_SCREENSHOT")) {
        PostMessageA(Tray(), win::FrmSysTray::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
        ASSERT_TRUE(WaitUntil([&] { return IsShown(main); }, 10000)) << "the window did not come up";
        Sleep(1000);
        EXPECT_TRUE(SaveWindowPicture(main, picture));
    }
}

// Wine takes a program's locale from the Unix one it starts in, and hands the test's own to the
// programs it starts: tests/CMakeLists.txt runs this suite alone with LC_ALL=de_DE.UTF-8.
class InstalledInGerman : public Installed {
protected:
    void SetUp() override {
        if (PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) != LANG_GERMAN) GTEST_SKIP() << "not a German locale";
        Installed::SetUp();
    }
};

TEST_F(InstalledInGerman, ManualRunReadsDatesInTheOperatorsOwnFormAndConfirmsMoreThanAWeek) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    PostClick(FindChildById(main, IDC_btnManual));
    HWND dialog = FindTopWindowOfProcess(app.Id(), "Manual Run", 10000);
    ASSERT_NE(nullptr, dialog);
    EXPECT_NE(std::string::npos, WindowText(FindChildById(dialog, IDC_txtEndDate)).find('.'));
    // The first of April to a German, the fourth of January to an American.
    SetText(FindChildById(dialog, IDC_txtStartDate), "01.04.2010 08:00");
    SetText(FindChildById(dialog, IDC_txtEndDate), "01.04.2011 11:00");
    EXPECT_EQ("8763 hours to export (365.1 days)", WindowText(FindChildById(dialog, IDC_lblHours)));
    PostClick(FindChildById(dialog, IDC_btnRun));
    std::string prompt;
    ASSERT_TRUE(AnswerMessageBox(app.Id(), "HistData to Brel Qorp", IDNO, &prompt)) << Describe();
    EXPECT_EQ(0u, prompt.find("Export 8763 hours, from 2010-04-01 08:00:00 to 2011-04-01 11:00:00?")) << prompt;
    SetText(FindChildById(dialog, IDC_txtStartDate), "01.04.2011 08:00");
    PostClick(FindChildById(dialog, IDC_btnRun));
    ASSERT_TRUE(WaitForActivity(main, {"Complete Manual process HistData files, status: True"}, 90000)) << Describe();
    EXPECT_EQ((std::vector<std::string>{"2011040108.CSV", "2011040109.CSV", "2011040110.CSV"}),
              CsvFilesIn(program / "out"))
        << Describe();
}

// IT's backfill from a script: "/export FROM TO", with the exit code the script reads.
TEST_F(Installed, ExportFromTheCommandLineRunsInTheRunningCopyOrStartsOneAndRefusesWithItsCode) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const std::string exe = program / "HistDataToQorp.exe";
    const auto run = [&](const std::string& args) {
        Process request;
        DWORD code = 99;
        if (!request.Start(exe, args, program.path()) || !request.WaitExit(60000, &code)) return DWORD{98};
        return code;
    };
    EXPECT_EQ(3u, run("/export tomorrow \"2011-03-25 10:00\""));
    EXPECT_EQ(0u, run("/export \"2011-03-25 08:00\" \"2011-03-26 14:00\""));
    ASSERT_TRUE(WaitForActivity(main, {"Processing Data for 2011-03-25 09:00:00"}, 60000)) << Describe();
    EXPECT_EQ(4u, run("/export \"2011-03-25 08:00\" \"2011-03-25 10:00\""));  // busy: nothing is queued
    EXPECT_EQ(0u, run("/exit"));  // after the hour under way
    EXPECT_EQ("03-24-2011 00:00:00", IniValue(Ini(), "LAST_RUN"));
    // No copy runs: this start is the copy, and it runs the range.
    for (const std::string& name : CsvFilesIn(program / "out")) DeleteFileA((program / "out\\" + name).c_str());
    ASSERT_TRUE(app.Start(exe, "/export \"2011-03-27 05:00\" \"2011-03-27 07:00\"", program.path()));
    EXPECT_TRUE(WaitUntil([&] { return CsvFilesIn(program / "out").size() == 2; }, 60000)) << Describe();
    EXPECT_EQ((std::vector<std::string>{"2011032705.CSV", "2011032706.CSV"}), CsvFilesIn(program / "out"));
    EXPECT_TRUE(app.Running());
}

TEST_F(Installed, ExitDuringALongExportEndsTheProgramAfterTheHourUnderWay) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(RunManual(app.Id(), main, "2011-03-25 08:00:00", "2011-03-26 14:00:00")) << "no Manual Run dialog";
    ASSERT_TRUE(WaitForActivity(main, {"Processing Data for 2011-03-25 09:00:00"}, 60000)) << Describe();
    // The hours after the one under way are left to the next start.
    ASSERT_TRUE(ExitThroughTray(app, 60000)) << Describe();
    const std::string log = NewestLog(program.path());
    EXPECT_NE(std::string::npos, log.find("Export stopped before 2011-03-25 1")) << log;
    EXPECT_EQ(std::string::npos, log.find("Processing Files completed upto: ")) << log;
    EXPECT_LT(CsvFilesIn(program / "out").size(), 5u);
}


// A catch-up of six hours with one failing its first request, killed outright after the third
// file reached the output folder, then started again: no hour is missing, and nothing is left
// in the cache.
TEST_F(Installed, KilledInTheMiddleOfACatchUpDeliversEveryHourAfterTheNextStart) {
    const DateTime hour = TruncateToHour(SystemNow());
    const DateTime first = hour.AddSeconds(-6 * 3600);
    standIn.WriteSettings("TOPIC=" + topic + "\r\nFILE_DELAY_MS=1500\r\nFAIL_HOURS=" +
                          FormatPattern(first.AddSeconds(3600), "yyyymmddhh") + "\r\n");
    ASSERT_NO_FATAL_FAILURE(LaunchAndTick({{"LAST_RUN", FormatGeneral(first)}}));
    ASSERT_TRUE(WaitUntil([&] { return CsvFilesIn(program / "out").size() >= 3; }, 120000, 20)) << Describe();
    app.Kill();
    EXPECT_GT(6u, CsvFilesIn(program / "out").size());

    ASSERT_NO_FATAL_FAILURE(LaunchAndTick({{"LAST_RUN", IniValue(Ini(), "LAST_RUN")}}));
    ASSERT_TRUE(WaitForActivity(main, {"Processing Files completed upto: "}, 150000)) << Describe();
    const std::string lastRun = IniValue(Ini(), "LAST_RUN");
    EXPECT_LE(hour, *ParseDateTime(lastRun));
    EXPECT_EQ(HoursUpTo(first, lastRun), CsvFilesIn(program / "out")) << Describe();
    for (const std::string& csv : CsvFilesIn(program / "out")) {
        EXPECT_EQ(0u, ReadFile(program / ("out\\" + csv)).find("$Date,$Time,TANK_LEVEL,PUMP_FLOW\r\n")) << csv;
    }
    EXPECT_TRUE(CsvFilesIn(program / "cache").empty());
    EXPECT_EQ("", ReadFile(program / "HistDataToQorp.retry"));
}

TEST_F(Installed, HistDataThatHangsInACatchUpStopsTheCycleAfterTwoHoursAndExitStillEndsTheProgram) {
    const DateTime first = TruncateToHour(SystemNow()).AddSeconds(-6 * 3600), hung = first.AddSeconds(2 * 3600);
    standIn.WriteSettings("TOPIC=" + topic + "\r\nHANG_AFTER_FILES=2\r\nLIFETIME_MS=170000\r\n");
    ASSERT_NO_FATAL_FAILURE(LaunchAndTick({{"LAST_RUN", FormatGeneral(first)}, {"DDE_TIMEOUT", "20"}}));
    // Two hours in a row without an answer: the rest of the catch-up waits for the next cycle.
    ASSERT_TRUE(WaitForActivity(
        main, {"Export stopped before " + FormatGeneral(hung.AddSeconds(2 * 3600)) + ": HistData does not answer"},
        150000))
        << Describe();
    EXPECT_NE(std::string::npos,
              ReadFile(program / "HistDataToQorp.status").find("Trouble=HistData does not answer\r\n"));
    ASSERT_TRUE(ExitThroughTray(app, 150000)) << Describe();
    const std::vector<std::string> log = Messages(NewestLog(program.path()));
    // An initiate could have waited for the hung HistData for ever: only the two hours it
    // answered opened a conversation.
    EXPECT_EQ(2, std::count_if(log.begin(), log.end(), [](const auto& l) { return l.rfind("=+= Init: ", 0) == 0; }));
    EXPECT_TRUE(AnyStartsWith(log, "ERROR (286): HistData does not answer")) << Describe();
    EXPECT_EQ(HoursUpTo(first, FormatGeneral(hung)), CsvFilesIn(program / "out"));
    EXPECT_EQ(FormatGeneral(hung), IniValue(Ini(), "LAST_RUN"));
}

TEST_F(Installed, FirstHourAfterTheProgramStartedHistDataWaitsForItsDdeService) {
    const DateTime first = TruncateToHour(SystemNow()).AddSeconds(-3600);
    standIn.WriteSettings("TOPIC=" + topic + "\r\nSERVICE_DELAY_MS=3000\r\nLIFETIME_MS=170000\r\n");
    ASSERT_NO_FATAL_FAILURE(LaunchAndTick({{"LAST_RUN", FormatGeneral(first)}}, false));
    ASSERT_TRUE(WaitForActivity(main, {"Processing Files completed upto: "}, 150000)) << Describe();
    ASSERT_TRUE(ExitThroughTray(app)) << Describe();  // the log is complete once the program has ended
    const std::vector<std::string> log = Messages(NewestLog(program.path()));
    EXPECT_TRUE(AnyStartsWith(log, "Attempts to start histdata.exe = 1")) << Describe();
    EXPECT_TRUE(AnyStartsWith(log, "HistData took a DDE conversation ")) << Describe();
    EXPECT_FALSE(AnyStartsWith(log, "Unable to create file for: ")) << Describe();
    EXPECT_LT(first, ParseDateTime(IniValue(Ini(), "LAST_RUN")).value_or(first));
    EXPECT_EQ(HoursUpTo(first, IniValue(Ini(), "LAST_RUN")), CsvFilesIn(program / "out")) << Describe();
}

TEST_F(Installed, OutputShareThatComesAfterTheStartIsWaitedForAndTheServiceStartsByItself) {
    ASSERT_NO_FATAL_FAILURE(Launch({{"OUTPUT_FOLDER", program / "share"}}, "Waiting for the output folder "));
    EXPECT_EQ("PAUSED", Panels().at(0));
    ASSERT_TRUE(CreateDirectoryA((program / "share").c_str(), nullptr));
    PostMessageA(main, WM_TIMER, IDT_tmrProcessFiles + 1, 0);  // the minute's check, without the minute
    ASSERT_TRUE(WaitForActivity(main, {"Running Service Mode"}, 10000)) << Describe();
    EXPECT_EQ("RUNNING", Panels().at(0));
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(nullptr, FindTopWindowOfProcess(app.Id(), "Configuration", 0));
}
void Installed::ServiceRunOverThreeHours() {
    // An importer takes every CSV file of the output folder once its name is there: each must
    // come whole, by one rename from a name the importer does not read.
    FolderWatch watch(program / "out");
    bool complete = true;
    const DateTime hour = TruncateToHour(SystemNow());
    // The program's own step of 59 minutes, which lands in the first hour twice.
    ASSERT_NO_FATAL_FAILURE(
        LaunchAndTick({{"LAST_RUN", FormatGeneral(hour.AddSeconds(-3 * 3600))}, {"DDE_DURATION", "59m"}}));
    ASSERT_TRUE(WaitForActivity(main, {"Processing Files completed upto: "}, 150000, [&] { complete &= watch.Poll(); }))
        << Describe();
    // Measured from LAST_RUN, so an hour that turns during the run only adds a file.
    const std::string lastRun = IniValue(Ini(), "LAST_RUN");
    const std::vector<std::string> hours = HoursUpTo(hour.AddSeconds(-3 * 3600), lastRun);
    EXPECT_EQ(hours, FilesIn(program / "out")) << Describe();
    EXPECT_LE(hour, *ParseDateTime(lastRun));
    EXPECT_EQ("RUNNING", Panels().at(0));
    std::map<std::string, int> orders;  // each hour's file is asked for once
    for (const std::string& line : standIn.Transcript()) orders[line] += line.rfind("POKE FILENAME=", 0) == 0;
    for (const auto& [line, n] : orders) EXPECT_GE(1, n) << line;
    ASSERT_FALSE(hours.empty());
    // The folder tells of a change a moment after it happened.
    WaitUntil([&] { return !(complete &= watch.Poll()) || watch.actions.count(hours.back()); }, 10000);
    ASSERT_TRUE(complete) << "the output folder's changes could not all be read";
    for (const std::string& csv : hours) {
        EXPECT_EQ(std::set<DWORD>{FILE_ACTION_RENAMED_NEW_NAME}, watch.actions[csv]) << csv;
        EXPECT_EQ(1u, watch.actions.count("." + csv + ".part")) << csv;
        // 59 minutes at one a minute, both ends included, after the header.
        EXPECT_EQ(61u, ReadLines(program / ("out\\" + csv)).size()) << csv;
    }
}

TEST_F(Installed, ServiceRunAtTheConfiguredMinuteExportsSinceLastRunEachHourWholeByOneRenameAndSavesIt) {
    ServiceRunOverThreeHours();
}

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

    PostClick(FindChildById(main, IDC_CmdClose));
    // The refusal names the setting, in the box and in the list.
    const std::string why = "Error: Please configure Settings and save before running: DDE_LINKTOPIC is empty";
    std::string prompt;
    ASSERT_TRUE(AnswerMessageBox(app.Id(), "HistData to Brel Qorp", IDOK, &prompt, 15000)) << Describe();
    EXPECT_EQ(why, prompt);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 10000));
    EXPECT_TRUE(AnyStartsWith(Activity(main), why)) << Describe();
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
