#pragma once
// A private copy of the HistData stand-in in a temporary folder, with its settings file and
// tag dictionary, started and stopped by the test; and the transcript it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver_win32.h"
#include "histdata/dde_channel.h"
#include "win32/win32_handles.h"
#include "test_support.h"

namespace hdq::test {

// "C:\..." stays as it is; a Linux path becomes its Wine drive form "Z:\...".
inline std::string StandInWinPath(const std::string& path) { return WinPath(path); }

class StandIn {
public:
    // simDir: the folder of the built histdata.exe (a Linux or Windows path).
    explicit StandIn(const std::string& simDir);
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    const std::string& folder() const { return dir_.path(); }
    std::string Path(const std::string& name) const { return dir_ / name; }
    std::string ExePath() const { return Path("histdata.exe"); }
    bool Copied() const { return copied_; }

    void WriteSettings(const std::string& iniText);                 // histdata-sim.ini
    void WriteDictionary(const std::vector<std::string>& tagNames);  // tagname.x

    // Starts the copy minimised and, unless waitForWindow is false, waits until its window
    // is there (its DDE service is registered before the window opens).
    bool Start(bool waitForWindow = true, DWORD timeoutMs = 10000);
    HWND Window() const;  // this process's "Historical Data Manager" window, or nullptr
    bool Running() const;
    bool WaitExit(DWORD timeoutMs);
    // Asks it to end, then kills it if it does not.
    void Stop();

    std::vector<std::string> Transcript() const;

private:
    TempFolder dir_;
    bool copied_ = false;
    Process process_;
};

// A name no other test run uses, so a stand-in of another run never answers this one.
std::string UniqueName(const std::string& prefix);

// A stand-in with a dictionary of tags A, B and C, on a service and topic of its own, and
// the platform's DDE channel to talk to it.
class StandInTest : public ::testing::Test {
protected:
    explicit StandInTest(const std::string& simDir) : sim_(simDir) {}

    // faults: further KEY=value lines; service: "" for a name of its own.
    void StartStandIn(const std::string& faults, const std::string& service = "", bool waitForWindow = true);
    void Connect(int32_t timeoutTenths = 50);
    void Poke(const std::string& item, const std::string& text);
    std::string Request(const std::string& item);
    // One hour's exchange in the order of the request session, ending with the write command.
    void PokeHour(const std::string& fileName, const std::string& startTime = "14:00:00",
                  const std::string& duration = "5m", const std::string& interval = "1m");

    std::string topic_ = UniqueName("topic");
    std::string service_;
    StandIn sim_;
    std::unique_ptr<DdeChannel> channel_ = MakePlatformDdeChannel();
};

}  // namespace hdq::test
