// A save of the INI file (which holds LAST_RUN) killed at a random moment, again and again, must
// leave the whole old or new file, never a cut or mixed one that stops the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include "platform/win32_handles.h"
#else
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/globals.h"
#include "app/shared.h"
#include "app/startup.h"
#include "core/configuration.h"
#include "core/files.h"
#include "ini_generations.h"
#include "logging/msgbox.h"
#include "test_support.h"

namespace hdq {
namespace {

constexpr int kKills = 200;


// Starts a saver on `ini`, waits until it has finished its first save, lets it run on for
// `delay` and kills it. Returns "" when all went as planned, else what went wrong.
#ifndef _WIN32
class Saver {
public:
    explicit Saver(const std::string& ini) : ini_(ini) {
        // Filled once, before any fork, so each child spends its time saving.
        test::MakeGeneration(first_, 'A', ini);
        test::MakeGeneration(second_, 'B', ini);
    }
    std::string SaveAndKill(std::chrono::microseconds delay);

private:
    std::string ini_;
    VRXConfiguration first_, second_;
};

std::string Saver::SaveAndKill(std::chrono::microseconds delay) {
    int ready[2];
    if (::pipe(ready) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0) return "fork failed";
    if (child == 0) {
        ::close(ready[0]);
        // Never back into the test framework: the child only saves until it is killed.
        ::_exit(test::SaveGenerationsForever(first_, second_, [&] { return ::write(ready[1], "r", 1) == 1; }));
    }
    ::close(ready[1]);
    pollfd p{ready[0], POLLIN, 0};
    std::string problem;
    char c = 0;
    if (::poll(&p, 1, 10000) != 1 || ::read(ready[0], &c, 1) != 1) problem = "the saver never finished a save";
    ::close(ready[0]);
    if (problem.empty()) std::this_thread::sleep_for(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (problem.empty() && !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) {
        problem = "the saver stopped by itself with status " + std::to_string(status);
    }
    return problem;
}
#else
std::string SaverExe() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self(path, n);
    return self.substr(0, self.find_last_of('\\') + 1) + "crash\\ini_saver.exe";
}

class Saver {
public:
    explicit Saver(const std::string& ini) : ini_(ini) {}
    std::string SaveAndKill(std::chrono::microseconds delay);

private:
    std::string ini_;
};

std::string Saver::SaveAndKill(std::chrono::microseconds delay) {
    const std::string readyFile = ini_ + ".ready";
    fsys::DeleteFile(readyFile);
    std::string commandLine = "\"" + SaverExe() + "\" \"" + ini_ + "\" \"" + readyFile + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi)) {
        return "cannot start " + SaverExe() + " (error " + std::to_string(GetLastError()) + ")";
    }
    win::UniqueKernelHandle process(pi.hProcess);
    win::UniqueKernelHandle thread(pi.hThread);
    std::string problem;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fsys::Exists(readyFile)) {
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0 || std::chrono::steady_clock::now() > giveUp) {
            problem = "the saver never finished a save";
            break;
        }
        Sleep(1);
    }
    if (problem.empty()) std::this_thread::sleep_for(delay);
    constexpr UINT kKilled = 9;
    TerminateProcess(process.get(), kKilled);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    if (problem.empty() && code != kKilled) problem = "the saver stopped by itself with code " + std::to_string(code);
    return problem;
}
#endif

// The exact bytes a whole save of one version leaves.
std::string SavedBytes(const std::string& path, char which) {
    VRXConfiguration config;
    test::MakeGeneration(config, which, path);
    EXPECT_TRUE(config.SaveConfig());
    return test::ReadFile(path);
}

// How long one save takes here, so kills spread over whole saves on fast and slow builds alike.
std::chrono::microseconds SaveDuration(const std::string& path) {
    VRXConfiguration config;
    test::MakeGeneration(config, 'A', path);
    constexpr int kSaves = 5;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSaves; ++i) EXPECT_TRUE(config.SaveConfig());
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / kSaves;
}

class IniCrashSafety : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolderForTests(program.path()); }
    void TearDown() override {
        AppLog().closeLog();
        SetProgramFolderForTests("");
        CreateSharedObjects();
    }
    test::TempFolder program;
    test::TempFolder scratch;
};

TEST_F(IniCrashSafety, SaveKilledAtAnyMomentLeavesTheWholeOldOrNewFileAndTheProgramStillStarts) {
    const std::string versionA = SavedBytes(scratch / "a.ini", 'A');
    const std::string versionB = SavedBytes(scratch / "b.ini", 'B');
    ASSERT_GT(versionA.size(), 50000u);
    ASSERT_NE(versionA.size(), versionB.size());
    // Byte for byte one of these two is then as good as a file that loads.
    for (const char* name : {"a.ini", "b.ini"}) {
        VRXConfiguration reloaded;
        reloaded.setPath(scratch / name);
        ASSERT_TRUE(reloaded.ReadConfig());
        EXPECT_EQ(test::GenerationLastRun(name[0] == 'a' ? 'A' : 'B'), reloaded.item("LAST_RUN"));
    }
    const std::string ini = IniFile();
    test::WriteFile(ini, versionA);

    // Up to two saves past the first: kills land while writing, before and after the replace.
    const long long save = std::max<long long>(1000, SaveDuration(scratch / "timing.ini").count());
    std::mt19937 random(20110606);
    std::uniform_int_distribution<long long> delayUs(0, 2 * save);
    int seenA = 0;
    int seenB = 0;
    Saver saver(ini);
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        const std::string problem = saver.SaveAndKill(std::chrono::microseconds(delayUs(random)));
        ASSERT_EQ("", problem);

        const std::string left = test::ReadFile(ini);
        const bool isA = left == versionA;
        const bool isB = left == versionB;
        ASSERT_TRUE(isA || isB) << "a save cut short left " << left.size() << " bytes";
        seenA += isA;
        seenB += isB;
    }
    // Temporary files of killed saves stay behind; they must not disturb the start below.
    int leftovers = 0;
    for (const std::string& name : test::FilesIn(program.path())) leftovers += name.find(".tmp") != std::string::npos;
    RecordProperty("leftover_temp_files", leftovers);
    // Both versions survived some kills: the kills landed at different points of the loop.
    EXPECT_GT(seenA, 0);
    EXPECT_GT(seenB, 0);

    const std::string survivor = test::ReadFile(ini);
    test::RecordingShower shower;
    StartupEnvironment env;
    env.shower = &shower;
    ASSERT_TRUE(RunStartup(env));
    EXPECT_TRUE(ConfigurationUsable());
    EXPECT_TRUE(shower.prompts.empty());
    const char version = survivor == versionA ? 'A' : 'B';
    EXPECT_EQ(test::GenerationLastRun(version), AppConfig().item("LAST_RUN"));
    VRXConfiguration expected;
    test::MakeGeneration(expected, version, scratch / "expected.ini");
    const std::string lastTag = "TAGNAME_" + std::to_string(test::kGenerationTagKeys);
    EXPECT_EQ(expected.item(lastTag), AppConfig().item(lastTag));
    EXPECT_EQ("7", AppConfig().item("KEEP_LOGS_FOR"));
}

}  // namespace
}  // namespace hdq
