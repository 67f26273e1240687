#include "platform/netinfo.h"

namespace hdq {

std::string NetInfo::VersionName(unsigned long platformId) {
    switch (platformId) {
        case 1: return "Windows 95/98/Me";
        case 2: return "Windows NT";
        default: return "Unknown";
    }
}

void NetInfo::BuildDump() {
    // The Windows folder stays out: the line records where and as whom the program ran.
    allTextDump_ = winVersion_ + " " + winBuild_ + ", IP Address = " + ipAddrs_ + ", Workstation = " +
                   workStation_ + ", Network User = " + netUser_;
}

}  // namespace hdq
