#include <windows.h>
#include <tlhelp32.h>

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

}  // namespace

std::string ThisProcessStatusLines() {
    const DWORD pid = GetCurrentProcessId();
    DWORD session = 0;
    ProcessIdToSessionId(pid, &session);
    char user[256];
    DWORD size = sizeof user;
    const std::string name = GetUserNameA(user, &size) ? std::string(user) : std::string("?");
    const std::string domain = Variable("USERDOMAIN");
    return "ProcessId=" + std::to_string(pid) + "\r\nRunningAs=" + (domain.empty() ? "" : domain + "\\") + name +
           " (session " + std::to_string(session) + ")\r\n";
}

std::string RunningCopyUser(const std::string& statusContent) {
    const auto pid = ToInt32(StatusFileValue(statusContent, "ProcessId"));
    if (!pid || *pid <= 0 || static_cast<DWORD>(*pid) == GetCurrentProcessId()) return "";
    if (!IsACopyOfThisProgram(static_cast<DWORD>(*pid))) return "";
    return StatusFileValue(statusContent, "RunningAs");
}

}  // namespace hdq
