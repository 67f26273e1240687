// Machine and user facts from Windows. Each fact has its own fallback, so one failing call
// never keeps the others from being gathered.
#include <winsock2.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/netinfo.h"

namespace hdq {
namespace {

std::string UpToNul(const char* buffer, size_t capacity) {
    return std::string(buffer, strnlen(buffer, capacity));
}

std::string TrimBlanks(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// Ends Windows Sockets on every path out of the address look-up.
class WinsockSession {
public:
    WinsockSession() { started_ = WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
    ~WinsockSession() {
        if (started_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const { return started_; }

private:
    WSADATA data_{};
    bool started_ = false;
};

std::string FirstLocalAddress() {
    WinsockSession session;
    if (!session.Started()) return {};
    char host[256] = {};
    if (gethostname(host, static_cast<int>(sizeof host)) != 0) return {};
    std::string name = TrimBlanks(UpToNul(host, sizeof host));
    const hostent* entry = gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addr_list == nullptr || entry->h_addr_list[0] == nullptr) return {};
    std::string text;
    const auto* bytes = reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]);
    for (int i = 0; i < entry->h_length; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(bytes[i]);
    }
    return text;
}

}  // namespace

void NetInfo::GetNetInfo() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;  // 148 bytes: the record without the Ex fields
    if (GetVersionExA(&version)) {
        winVersion_ = VersionName(version.dwPlatformId);
        winBuild_ = std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) + "." +
                    std::to_string(version.dwBuildNumber);
    } else {
        winVersion_ = VersionName(0);
        winBuild_.clear();
    }

    char windowsFolder[256] = {};
    UINT length = GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
    // A result larger than the buffer is the size it would need: nothing usable was written.
    winDirectory_ = length < sizeof windowsFolder ? std::string(windowsFolder, length) : std::string();

    char computer[255] = {};
    DWORD computerSize = sizeof computer;
    workStation_ = GetComputerNameA(computer, &computerSize) ? UpToNul(computer, sizeof computer) : "?";

    // Names longer than 24 characters do not fit and leave the name empty.
    char user[25] = {};
    DWORD userSize = sizeof user;
    netUser_ = GetUserNameA(user, &userSize) ? UpToNul(user, sizeof user) : std::string();

    ipAddrs_ = FirstLocalAddress();
    BuildDump();
}

}  // namespace hdq
