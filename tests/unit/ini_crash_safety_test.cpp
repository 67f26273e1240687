// A save of the INI file (which holds LAST_RUN) killed at a random moment, again and again, must
// leave the whole old or new file, never a cut or mixed one that stops the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#ifdef _WIN32
#include "driver_win32.h"
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "ini_generations.h"
#include "test_support.h"

namespace hdq {
namespace {

constexpr int kKills = 200;

// One saver child at a time. Kill() is true when the kill, and not the saver, ended it.
class Saver {
public:
#ifdef _WIN32
    // On Windows the saver is crash\ini_saver.exe beside the test program.
    bool Start(const std::string& ini, const std::string& ready) {
        return process_.Start(fsys::ProgramFolder() + "\\crash\\ini_saver.exe", "\"" + ini + "\" \"" + ready + "\"");
    }
    bool Kill() {
        const bool saving = process_.Running();
        process_.Kill();
        return saving;
    }

private:
    test::Process process_;
#else
    // Natively the test forks itself.
    bool Start(const std::string& ini, const std::string& ready) {
        child_ = ::fork();
        // Never back into the test framework: the child only saves until it is killed.
        if (child_ == 0) ::_exit(test::SaveGenerationsUntilKilled(ini, ready));
        return child_ > 0;
    }
    bool Kill() {
        ::kill(child_, SIGKILL);
        int status = 0;
        return ::waitpid(child_, &status, 0) == child_ && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    pid_t child_ = -1;
#endif
};

// Returns "" when a saver finished a save, ran on for `delay` and was killed; else what went wrong.
std::string SaveAndKill(const std::string& ini, std::chrono::microseconds delay) {
    const std::string ready = ini + ".ready";
    fsys::DeleteFile(ready);
    Saver saver;
    if (!saver.Start(ini, ready)) return "cannot start the saver";
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fsys::Exists(ready)) {
        if (std::chrono::steady_clock::now() > giveUp) {
            saver.Kill();
            return "the saver never finished a save";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(delay);
    return saver.Kill() ? "" : "the saver stopped by itself";
}

TEST(IniCrashSafety, SaveKilledAtAnyMomentLeavesTheWholeOldOrNewFileThatStillLoads) {
    test::TempFolder dir;
    const std::string ini = dir / "HistDataToQorp.ini";
    std::string versions[2];
    long long saveUs = 0;
    using std::chrono::steady_clock;
    for (char which : {'A', 'B'}) {
        VRXConfiguration config;
        test::MakeGeneration(config, which, ini);
        const auto start = steady_clock::now();
        ASSERT_TRUE(config.SaveConfig());
        saveUs += std::chrono::duration_cast<std::chrono::microseconds>(steady_clock::now() - start).count();
        versions[which - 'A'] = test::ReadFile(ini);
        // Byte for byte each of them is then as good as a file that loads.
        VRXConfiguration reloaded;
        reloaded.setPath(ini);
        ASSERT_TRUE(reloaded.ReadConfig());
        EXPECT_EQ(test::GenerationLastRun(which), reloaded.item("LAST_RUN"));
    }
    ASSERT_GT(versions[0].size(), 50000u);
    ASSERT_NE(versions[0].size(), versions[1].size());

    // Kills spread over up to two saves past the first, on fast and slow builds alike: while
    // writing, before and after the replace.
    std::mt19937 random(20110606);
    std::uniform_int_distribution<long long> delayUs(0, std::max<long long>(2000, saveUs));
    int seen[2] = {0, 0};
    for (int kill = 0; kill < kKills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        ASSERT_EQ("", SaveAndKill(ini, std::chrono::microseconds(delayUs(random))));
        const std::string left = test::ReadFile(ini);
        ASSERT_TRUE(left == versions[0] || left == versions[1]) << "a save cut short left " << left.size() << " bytes";
        ++seen[left == versions[0] ? 0 : 1];
    }
    // Both versions survived some kills: the kills landed at different points of the loop.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}

}  // namespace
}  // namespace hdq
