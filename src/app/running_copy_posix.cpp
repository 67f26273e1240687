// Natively there are no sessions, and no second copy to tell.
#include <unistd.h>

#include <cstdlib>

#include "app/running_copy.h"

namespace hdq {

std::string ThisProcessStatusLines() {
    const char* user = std::getenv("USER");
    return "ProcessId=" + std::to_string(getpid()) + "\r\nRunningAs=" + (user ? user : "") + " (session 0)\r\n";
}

std::string RunningCopyUser(const std::string&) { return ""; }

std::string RestartFileLines() { return "Session=0\r\n"; }

}  // namespace hdq
