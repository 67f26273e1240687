#pragma once
// A private copy of the HistData stand-in in a temporary folder, with its settings file and
// tag dictionary, started and stopped by its owner; and the transcript it writes.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_win32.h"
#include "temp_folder.h"

namespace hdq::tools {

class StandIn {
public:
    // simDir: the folder of the built histdata.exe (a Linux or Windows path).
    explicit StandIn(const std::string& simDir);
    ~StandIn() { Stop(); }
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
    bool Running() const { return process_.Running(); }
    bool WaitExit(DWORD timeoutMs) { return process_.WaitExit(timeoutMs); }
    // Asks it to end, then kills it if it does not.
    void Stop();

    std::vector<std::string> Transcript() const;  // its lines, in arrival order

private:
    TempFolder dir_;
    bool copied_ = false;
    Process process_;
};

}  // namespace hdq::tools
