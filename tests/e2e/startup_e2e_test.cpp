// The real program started in a fresh program folder: what it leaves behind at start-up.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/commonui_win32.h"
#include "app/instance_lock_win32.h"
#include "core/version_resource.h"
#include "driver_win32.h"
#include "test_support.h"

namespace hdq {
namespace {

TEST(StartupEndToEnd, RefusesAnIniFileItCannotReadAndCreatesAMissingOneWithItsSeventeenKeys) {
    test::TempFolder folder;
    const std::string exe = folder / "HistDataToQorp.exe";
    const std::string ini = folder / "HistDataToQorp.ini";
    ASSERT_TRUE(CopyFileA(test::BuiltExe().c_str(), exe.c_str(), FALSE)) << test::BuiltExe();

    // A folder where the INI file should be can be neither read nor replaced.
    ASSERT_TRUE(CreateDirectoryA(ini.c_str(), nullptr));
    test::Process refused;
    ASSERT_TRUE(refused.Start(exe, "", folder.path()));
    std::string prompt;
    ASSERT_TRUE(test::AnswerMessageBox(refused.Id(), "Unable to start HistData to Brel Qorp", IDOK, &prompt, 20000));
    EXPECT_EQ("Unable to read configuration at " + ini, prompt);
    DWORD code = 0;
    ASSERT_TRUE(refused.WaitExit(10000, &code));
    EXPECT_NE(0u, code);

    ASSERT_TRUE(RemoveDirectoryA(ini.c_str()));
    test::Process program;  // killed at the end: once its main window exists the program runs on
    ASSERT_TRUE(program.Start(exe, "", folder.path()));
    std::vector<std::string> messages;  // the newest log's lines without their time stamps
    const bool started = test::WaitUntil(
        [&] {
            const std::vector<std::string> logs = test::FilesIn(folder / "log");
            if (logs.empty() || test::ReadFile(ini).empty()) return false;
            messages = test::Messages(test::ReadFile(folder / "log" + "\\" + logs.back()));
            return messages.size() >= 5;
        },
        20000);
    ASSERT_TRUE(started) << "the program wrote no INI file and identification record";

    const std::string expectedKeys[] = {
        "DDE_TAGNAME_FILE", "DDE_LINKTOPIC", "LAST_RUN", "VALIDTRENDBYTES", "DDE_SAVECACHE", "SELECTALLTAGS",
        "KEEP_LOGS_FOR", "VERBOSITY", "MINUTES_AFTER_HOUR", "DDE_MAX_BUFFER_SIZE", "DDE_DURATION", "DDE_TIMEOUT",
        "HELPTOPIC", "DDE_INTERVAL", "OUTPUT_FOLDER", "DDE_LGH_FOLDER", "DDE_HISTDATA_FOLDER"};
    const std::vector<std::string> lines = test::ReadLines(ini);
    ASSERT_EQ(17u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(0u, lines[i].rfind(expectedKeys[i] + "=", 0)) << lines[i];
    EXPECT_EQ("OUTPUT_FOLDER=" + folder.path() + "\\cache", lines[14]);

    // One log per run and day, named by the moment it opened; the handle file names it.
    const std::string logName = test::FilesIn(folder / "log").back();
    EXPECT_TRUE(std::regex_match(logName, std::regex(R"(\d\d_\d\d_\d{4}__\d\d_\d\d_\d\d_pelomark\.log)"))) << logName;
    EXPECT_NE(std::string::npos, test::ReadFile(folder / "HistDataToQorp.log_handle").find(logName));

    // The identity comes from the exe's version resource.
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", messages[0]);
    EXPECT_EQ("HistData to Brel Qorp version 1.0.7 (Build 46)", messages[1]);
    EXPECT_EQ("Build Numbers : 46 (Application)  10 (Type) 27 (Platform)", messages[2]);
    // Task Manager and the Startup list show the file description: the product, not the build.
    HMODULE image = LoadLibraryExA(test::BuiltExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    const auto version = ParseVersionResource(static_cast<const unsigned char*>(LockResource(LoadResource(image, found))),
                                              SizeofResource(image, found));
    ASSERT_TRUE(version && version->String(u"FileDescription"));
    EXPECT_EQ(u"HistData to Brel Qorp Utility", *version->String(u"FileDescription"));
    FreeLibrary(image);
    EXPECT_EQ("ID: HistData to Brel Qorp Utility", messages[3]);
    const std::regex environment(R"(Running on Windows NT \d+\.\d+\.\d+, IP Address = [0-9.]*, )"
                                 R"(Workstation = .+, Network User = .*)");
    EXPECT_TRUE(std::regex_match(messages[4], environment)) << messages[4];
}

// "/exit" as an installer runs it: from another desktop (as far as Wine models another
// session), with its exit code for the installer.
DWORD RunExitFromAnotherDesktop(const std::string& exe, const std::string& folder) {
    static HDESK desktop = CreateDesktopA("hdq-installer", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    std::string cmd = "\"" + exe + "\" /exit \"" + folder + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.lpDesktop = const_cast<char*>(desktop ? "hdq-installer" : nullptr);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) return 99;
    win::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    DWORD code = 98;
    if (WaitForSingleObject(pi.hProcess, 150000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

TEST(StartupEndToEnd, ExitFromAnotherDesktopEndsTheCopyAndLeavesWhoRanItForTheInstaller) {
    test::TempFolder folder;
    const std::string exe = folder / "HistDataToQorp.exe";
    ASSERT_TRUE(CopyFileA(test::BuiltExe().c_str(), exe.c_str(), FALSE)) << test::BuiltExe();
    test::Process copy;
    ASSERT_TRUE(copy.Start(exe, "", folder.path()));
    ASSERT_TRUE(test::WaitUntil([&] { return test::ReadFile(folder / "HistDataToQorp.status").find("RunningAs=") !=
                                             std::string::npos; }, 30000));
    EXPECT_EQ(0u, RunExitFromAnotherDesktop(exe, folder.path()));
    EXPECT_TRUE(copy.WaitExit(10000));
    const std::string restart = test::ReadFile(folder / "HistDataToQorp.restart");
    for (const char* key : {"Session=", "\r\nUser=", "\r\nSid=", "\r\nStartup="}) {
        EXPECT_NE(std::string::npos, restart.find(key)) << key << " in " << restart;
    }
    EXPECT_EQ(0u, RunExitFromAnotherDesktop(exe, folder.path()));  // nothing runs any more
    // A lock nobody answers for: the installer learns that the copy did not end.
    win::UniqueKernelHandle squatter(
        CreateMutexA(nullptr, TRUE, InstanceMutexName("Global\\", win::CommonUI::InstanceKeyOf(folder.path())).c_str()));
    EXPECT_EQ(1u, RunExitFromAnotherDesktop(exe, folder.path()));
}

TEST(StartupEndToEnd, ALockHeldWithoutAWindowOfTheCopyIsReportedInsteadOfEndingUnseen) {
    test::TempFolder folder;
    const std::string exe = folder / "HistDataToQorp.exe";
    ASSERT_TRUE(CopyFileA(test::BuiltExe().c_str(), exe.c_str(), FALSE)) << test::BuiltExe();
    // Another program took the folder's lock name and shows no window of the program.
    win::UniqueKernelHandle squatter(
        CreateMutexA(nullptr, TRUE, InstanceMutexName("Global\\", win::CommonUI::InstanceKeyOf(folder.path())).c_str()));
    ASSERT_TRUE(squatter);
    test::Process program;
    ASSERT_TRUE(program.Start(exe, "", folder.path()));
    std::string prompt;
    ASSERT_TRUE(test::AnswerMessageBox(program.Id(), "HistData to Brel Qorp", IDOK, &prompt, 30000));
    EXPECT_EQ(0u, prompt.find("Another program holds the lock of " + folder.path())) << prompt;
    DWORD code = 0;
    ASSERT_TRUE(program.WaitExit(10000, &code));
    EXPECT_EQ(2u, code);
    const std::vector<std::string> logs = test::FilesIn(folder / "log");
    ASSERT_FALSE(logs.empty());
    EXPECT_TRUE(test::AnyStartsWith(test::Messages(test::ReadFile(folder / ("log\\" + logs.back()))),
                                    "Error: Another program holds the lock of "));

    // A copy that runs for someone else (here: from another folder, its status file copied
    // over) is named with its user and session.
    test::TempFolder elsewhere;
    ASSERT_TRUE(CopyFileA(test::BuiltExe().c_str(), (elsewhere / "HistDataToQorp.exe").c_str(), FALSE));
    test::Process other;
    ASSERT_TRUE(other.Start(elsewhere / "HistDataToQorp.exe", "", elsewhere.path()));
    std::string status;
    ASSERT_TRUE(test::WaitUntil([&] {
        status = test::ReadFile(elsewhere / "HistDataToQorp.status");
        return status.find("RunningAs=") != std::string::npos;
    }, 30000));
    test::WriteFile(folder / "HistDataToQorp.status", status);
    test::Process second;
    ASSERT_TRUE(second.Start(exe, "", folder.path()));
    ASSERT_TRUE(test::AnswerMessageBox(second.Id(), "HistData to Brel Qorp", IDOK, &prompt, 30000));
    const size_t as = status.find("RunningAs=") + 10;
    EXPECT_EQ("HistData to Brel Qorp already runs from " + folder.path() + " for " +
                  status.substr(as, status.find('\r', as) - as) +
                  " and exports the hours there; its window is in that session. This copy ends.",
              prompt);
}

}  // namespace
}  // namespace hdq
