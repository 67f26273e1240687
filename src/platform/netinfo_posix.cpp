// The native twin of the system facts: the same properties from POSIX calls, so start-up's
// identification record has the same shape in the native tests.
#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/netinfo.h"

namespace hdq {
namespace {

std::string FirstLocalAddress(const std::string& host) {
    if (host.empty()) return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return {};
    std::string text;
    char buffer[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, buffer, sizeof buffer) != nullptr) text = buffer;
    freeaddrinfo(found);
    return text;
}

std::string UserName() {
    if (const passwd* pw = getpwuid(geteuid()); pw != nullptr && pw->pw_name != nullptr) return pw->pw_name;
    if (const char* env = std::getenv("USER")) return env;
    return {};
}

}  // namespace

void NetInfo::GetNetInfo() {
    utsname system{};
    if (uname(&system) == 0) {
        winVersion_ = system.sysname;
        winBuild_ = system.release;
    } else {
        winVersion_ = VersionName(0);
        winBuild_.clear();
    }
    winDirectory_ = "/";

    char host[256] = {};
    std::string hostName;
    if (gethostname(host, sizeof host - 1) == 0) hostName = std::string(host, strnlen(host, sizeof host));
    workStation_ = hostName.empty() ? "?" : hostName;
    netUser_ = UserName();
    ipAddrs_ = FirstLocalAddress(hostName);
    BuildDump();
}

}  // namespace hdq
