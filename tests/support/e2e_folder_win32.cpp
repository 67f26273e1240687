#include "e2e_folder_win32.h"

// After windows.h, which it needs.
#include <tlhelp32.h>
#include <string.h>

#include <algorithm>

#include "app/resource.h"
#include "app/startup.h"
#include "core/files.h"
#include "core/clock.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "win32/win32_handles.h"

namespace hdq::test {

std::string InstallProgram(const TempFolder& programFolder) {
    const std::string exe = programFolder / "HistDataToQorp.exe";
    return CopyFileA(BuiltExe().c_str(), exe.c_str(), FALSE) ? exe : std::string();
}

void WriteProgramIni(const std::string& iniPath, const StandIn& standIn, const std::string& topic,
                     const std::string& outFolder, const IniValues& values) {
    // The program's own defaults, with this stand-in and output folder, every line logged, and
    // a step of sixty minutes: one request per hour.
    IniValues ini = DefaultSettings(ProgramFiles{fsys::FolderOf(iniPath), "HistDataToQorp"}, DateTime{2011, 3, 25, 0, 0, 0});
    const IniValues ours = {{"DDE_LINKTOPIC", topic},           {"DDE_LGH_FOLDER", standIn.folder()},
                            {"DDE_TAGNAME_FILE", standIn.Path("tagname.x")}, {"DDE_HISTDATA_FOLDER", standIn.folder()},
                            {"OUTPUT_FOLDER", outFolder},        {"KEEP_LOGS_FOR", "30"},
                            {"VERBOSITY", "2"},                  {"DDE_DURATION", "60m"}};
    for (auto& [key, value] : ini) {
        for (const auto& [k, v] : ours) value = k == key ? v : value;
    }
    std::string text;
    for (auto& [key, value] : ini) {
        for (const auto& [k, v] : values) value = k == key ? v : value;
        text += key + "=" + value + "\r\n";
    }
    WriteFile(iniPath, text);
}

HWND StartProgram(Process& app, const std::string& programFolder) {
    if (!app.Start(programFolder + "\\HistDataToQorp.exe", "", programFolder)) return nullptr;
    return FindTopWindowOfProcess(app.Id(), kMainWindowTitle, 15000);
}

HWND StartAndTickService(Process& app, const std::string& programFolder) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int minute = SystemNow().minute;
        SetIniValue(programFolder + "\\HistDataToQorp.ini", "MINUTES_AFTER_HOUR", std::to_string(minute));
        HWND main = StartProgram(app, programFolder);
        if (main && WaitForActivity(main, {"Running Service Mode"}, 10000) && SystemNow().minute == minute) {
            PostMessageA(main, WM_TIMER, IDT_tmrProcessFiles, 0);
            // The export's first line, which every log detail shows.
            if (WaitForActivity(main, {"Processing Files Starting at: "}, 10000)) return main;
        }
        app.Kill();
    }
    return nullptr;
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

std::vector<std::string> Activity(HWND main) { return ListBoxItems(FindChildById(main, IDC_lstActivityLog)); }

bool WaitForActivity(HWND main, const std::vector<std::string>& starts, DWORD ms, const std::function<void()>& poll) {
    return WaitUntil(
        [&] {
            if (poll) poll();
            const std::vector<std::string> lines = Activity(main);
            return std::any_of(starts.begin(), starts.end(), [&](const auto& s) { return AnyStartsWith(lines, s); });
        },
        ms, 200);
}

bool RunManual(DWORD pid, HWND main, const std::string& from, const std::string& to) {
    PostClick(FindChildById(main, IDC_btnManual));
    HWND dialog = FindTopWindowOfProcess(pid, "Manual Run", 10000);
    if (!dialog) return false;
    SetText(FindChildById(dialog, IDC_txtStartDate), from);
    SetText(FindChildById(dialog, IDC_txtEndDate), to);
    PostClick(FindChildById(dialog, IDC_btnRun));
    return true;
}

std::string Describe(const std::vector<std::string>& activity, const std::string& programFolder,
                     const StandIn& standIn) {
    std::string text = "activity:\n";
    for (const std::string& l : activity) text += "  " + l + "\n";
    text += "log:\n" + NewestLog(programFolder) + "stand-in transcript:\n";
    for (const std::string& l : standIn.Transcript()) text += "  " + l + "\n";
    return text;
}

void EndCopiesOf(const std::string& exePath) {
    const std::string leaf = exePath.substr(exePath.find_last_of('\\', exePath.size() - 14) + 1);
    win::UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const bool any = snapshot && snapshot.get() != INVALID_HANDLE_VALUE && Process32First(snapshot.get(), &entry);
    for (BOOL more = any; more; more = Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, "histdata.exe") != 0) continue;
        win::UniqueKernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        char image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process && QueryFullProcessImageNameA(process.get(), 0, image, &size) && size >= leaf.size() &&
            _stricmp(image + size - leaf.size(), leaf.c_str()) == 0 && TerminateProcess(process.get(), 1)) {
            WaitForSingleObject(process.get(), 5000);
        }
    }
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
