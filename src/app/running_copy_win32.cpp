#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <vector>

#include "app/running_copy.h"
#include "core/files.h"
#include "core/text.h"
#include "win32/win32_handles.h"

namespace hdq {
namespace {

std::string Variable(const char* name) {
    char value[256];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// The process of that id runs a program of this one's file name. The snapshot lists every
// session's processes to any user, where opening another user's process would be refused.
bool IsACopyOfThisProgram(DWORD pid) {
    win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == pid) return IEquals(entry.szExeFile, fsys::ExeName() + ".exe");
    }
    return false;
}

std::string UserName() {
    char user[256];
    DWORD size = sizeof user;
    const std::string name = GetUserNameA(user, &size) ? std::string(user) : std::string("?");
    const std::string domain = Variable("USERDOMAIN");
    return (domain.empty() ? "" : domain + "\\") + name;
}

DWORD ThisSession() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

std::string ThisUsersSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return "";
    win::UniqueKernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    char* text = nullptr;
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return "";
    }
    const std::string sid = text;
    LocalFree(text);
    return sid;
}

}  // namespace

std::string RestartFileLines() {
    char startup[MAX_PATH] = {};
    const bool linked = SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, startup)) &&
                        fsys::Exists(fsys::WithBackslash(startup) + fsys::ExeName() + ".lnk");
    return "Session=" + std::to_string(ThisSession()) + "\r\nUser=" + UserName() + "\r\nSid=" + ThisUsersSid() +
           "\r\nStartup=" + (linked ? "1" : "0") + "\r\n";
}

std::string ThisProcessStatusLines() {
    return "ProcessId=" + std::to_string(GetCurrentProcessId()) + "\r\nRunningAs=" + UserName() + " (session " +
           std::to_string(ThisSession()) + ")\r\n";
}

std::string RunningCopyUser(const std::string& statusContent) {
    const auto pid = ToInt32(StatusFileValue(statusContent, "ProcessId"));
    if (!pid || *pid <= 0 || static_cast<DWORD>(*pid) == GetCurrentProcessId()) return "";
    if (!IsACopyOfThisProgram(static_cast<DWORD>(*pid))) return "";
    return StatusFileValue(statusContent, "RunningAs");
}

}  // namespace hdq
