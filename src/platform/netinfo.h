#pragma once
// NetInfo: machine and user facts gathered once at start-up for the log.
#include <string>

namespace hdq {

class NetInfo {
public:
    void GetNetInfo();  // fills every property (netinfo_win32.cpp / netinfo_posix.cpp)
    const std::string& WinVersion() const { return winVersion_; }
    const std::string& WinBuild() const { return winBuild_; }
    const std::string& WinDirectory() const { return winDirectory_; }
    const std::string& WorkStation() const { return workStation_; }
    const std::string& NetUser() const { return netUser_; }
    const std::string& IPAddrs() const { return ipAddrs_; }
    const std::string& AllTextDump() const { return allTextDump_; }

    // "Windows NT" for 2, "Windows 95/98/Me" for 1, "Unknown" otherwise.
    static std::string VersionName(unsigned long platformId);
    // Builds AllTextDump from the other properties.
    void BuildDump();

protected:
    std::string winVersion_, winBuild_, winDirectory_, workStation_, netUser_, ipAddrs_, allTextDump_;
};

}  // namespace hdq
