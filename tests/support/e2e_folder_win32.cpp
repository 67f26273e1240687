#include "e2e_folder_win32.h"

#include <string.h>

#include "platform/platform_res.h"
#include "platform/systray_win32.h"

namespace hdq::test {

std::string InstallProgram(const TempFolder& programFolder) {
    const std::string exe = programFolder / "HistDataToQorp.exe";
    return CopyFileA(BuiltExe().c_str(), exe.c_str(), FALSE) ? exe : std::string();
}

std::string IniValue(const std::string& iniPath, const std::string& key) {
    for (const std::string& line : ReadLines(iniPath)) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

void SetIniValue(const std::string& iniPath, const std::string& key, const std::string& value) {
    std::string text;
    bool replaced = false;
    for (const std::string& line : ReadLines(iniPath)) {
        if (!replaced && line.rfind(key + "=", 0) == 0) {
            text += key + "=" + value + "\r\n";
            replaced = true;
        } else {
            text += line + "\r\n";
        }
    }
    if (!replaced) text += key + "=" + value + "\r\n";
    WriteFile(iniPath, text);
}

std::vector<std::string> CsvFilesIn(const std::string& folder) {
    std::vector<std::string> csv;
    for (const std::string& f : FilesIn(folder)) {
        if (f.size() > 4 && _stricmp(f.c_str() + f.size() - 4, ".csv") == 0) csv.push_back(f);
    }
    return csv;
}

std::string NewestLog(const std::string& programFolder) {
    // Log names start with the date and time of the run, month first; the last in name order
    // is the newest within a day, which is all a test run spans.
    const std::string folder = programFolder + "\\log";
    std::vector<std::string> logs = FilesIn(folder);
    return logs.empty() ? std::string() : ReadFile(folder + "\\" + logs.back());
}

bool ExitThroughTray(Process& app, DWORD timeoutMs) {
    if (!app.Running()) return true;
    bool ended = false;
    if (HWND tray = FindTopWindowOfProcess(app.Id(), win::FrmSysTray::kWindowTitle, 0)) {
        PostMessageA(tray, WM_COMMAND, IDM_mExit, 0);
        ended = app.WaitExit(timeoutMs);
    }
    if (!ended) app.Kill();
    return ended;
}

}  // namespace hdq::test
