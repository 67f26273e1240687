// The real program started in a fresh program folder: what it leaves behind at start-up, and
// the version resource it reads its identity from.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "platform/win32_handles.h"
#include "test_support.h"

namespace hdq {
namespace {

// HDQ_EXE_DIR is the Linux path of the build folder; Wine maps / to drive Z:.
std::string BuiltProgram() {
    std::string path = std::string("Z:") + HDQ_EXE_DIR + "/HistDataToQorp.exe";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The started program; killed when the test leaves, whichever way it leaves.
class StartedProgram {
public:
    bool Start(const std::string& exe, const std::string& folder) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                            &pi_))
            return false;
        process_.reset(pi_.hProcess);
        thread_.reset(pi_.hThread);
        return true;
    }
    bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    bool WaitExit(DWORD ms, DWORD* code) const {
        if (WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return false;
        return GetExitCodeProcess(process_.get(), code) != 0;
    }
    DWORD Id() const { return pi_.dwProcessId; }
    ~StartedProgram() {
        if (Running()) {
            TerminateProcess(process_.get(), 9);
            WaitForSingleObject(process_.get(), 5000);
        }
    }

private:
    PROCESS_INFORMATION pi_{};
    win::UniqueKernelHandle process_;
    win::UniqueKernelHandle thread_;
};

bool WaitFor(const std::function<bool()>& ready, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(100);
    }
    return true;
}

std::vector<std::string> LogMessages(const std::string& file) {
    std::vector<std::string> messages;
    for (const std::string& line : test::ReadLines(file)) messages.push_back(line.size() > 11 ? line.substr(11) : line);
    return messages;
}

class StartupEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        exe = folder / "HistDataToQorp.exe";
        ASSERT_TRUE(CopyFileA(BuiltProgram().c_str(), exe.c_str(), FALSE)) << BuiltProgram();
    }
    test::TempFolder folder;
    std::string exe;
};

TEST_F(StartupEndToEnd, FirstStartLeavesTheIniFileTheLogAndItsHandleFile) {
    StartedProgram program;
    ASSERT_TRUE(program.Start(exe, folder.path()));
    const std::string ini = folder / "HistDataToQorp.ini";
    std::string logFile;
    const bool started = WaitFor(
        [&] {
            std::vector<std::string> logs = test::FilesIn(folder / "log");
            if (logs.empty() || test::ReadFile(ini).empty()) return false;
            logFile = folder / "log" + "\\" + logs.front();
            return LogMessages(logFile).size() >= 5;
        },
        20000);
    ASSERT_TRUE(started) << "the program wrote no INI file and identification record";
    EXPECT_TRUE(program.Running());

    const std::string expectedKeys[] = {
        "DDE_TAGNAME_FILE", "DDE_LINKTOPIC",       "LAST_RUN",     "VALIDTRENDBYTES", "DDE_SAVECACHE",  "SELECTALLTAGS",
        "KEEP_LOGS_FOR",    "VERBOSITY",           "MINUTES_AFTER_HOUR", "DDE_MAX_BUFFER_SIZE", "DDE_DURATION",
        "DDE_TIMEOUT",      "HELPTOPIC",           "DDE_INTERVAL", "OUTPUT_FOLDER",   "DDE_LGH_FOLDER", "DDE_HISTDATA_FOLDER"};
    std::vector<std::string> lines = test::ReadLines(ini);
    ASSERT_EQ(17u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(expectedKeys[i] + "=", lines[i].substr(0, lines[i].find('=') + 1));
    EXPECT_EQ("OUTPUT_FOLDER=" + folder.path() + "\\cache", lines[14]);
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(LAST_RUN=\d\d-\d\d-\d{4} 00:00:00)"))) << lines[2];

    std::vector<std::string> logs = test::FilesIn(folder / "log");
    ASSERT_EQ(1u, logs.size());
    EXPECT_TRUE(std::regex_match(logs[0], std::regex(R"(\d\d_\d\d_\d{4}__\d\d_\d\d_\d\d_pelomark\.log)"))) << logs[0];
    std::string handle = test::ReadFile(folder / "HistDataToQorp.log_handle");
    EXPECT_NE(std::string::npos, handle.find(logs[0])) << handle;

    std::vector<std::string> messages = LogMessages(logFile);
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", messages[0]);
    EXPECT_EQ("HistData to Brel Qorp version 1.0.7 (Build 46)", messages[1]);
    EXPECT_EQ("Build Numbers : 46 (Application)  10 (Type) 27 (Platform)", messages[2]);
    EXPECT_EQ("ID: HistData to Brel Qorp Utility", messages[3]);
    EXPECT_TRUE(std::regex_match(messages[4],
                                 std::regex(R"(Running on Windows NT \d+\.\d+\.\d+, IP Address = [0-9.]*, )"
                                            R"(Workstation = .+, Network User = .*)")))
        << messages[4];
}

struct BoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindStartFailureBox(HWND h, LPARAM lp) {
    auto* search = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char title[128] = {};
    GetWindowTextA(h, title, sizeof title);
    if (pid == search->pid && std::string(title) == "Unable to start HistData to Brel Qorp") {
        search->found = h;
        return FALSE;
    }
    return TRUE;
}

TEST_F(StartupEndToEnd, UnreadableConfigurationShowsTheBoxAndEndsTheProgram) {
    ASSERT_TRUE(CreateDirectoryA((folder / "HistDataToQorp.ini").c_str(), nullptr));
    StartedProgram program;
    ASSERT_TRUE(program.Start(exe, folder.path()));
    BoxSearch search{program.Id(), nullptr};
    ASSERT_TRUE(WaitFor(
        [&] {
            EnumWindows(&FindStartFailureBox, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        20000));
    PostMessageA(search.found, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitExit(10000, &code));
    EXPECT_NE(0u, code);
    EXPECT_TRUE(test::FilesIn(folder / "cache").empty());
}

TEST(VersionResource, CarriesTheIdentityTheLogAndTheAboutBoxShow) {
    const std::string exe = BuiltProgram();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_NE(0u, size);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));
    auto text = [&](const char* name) {
        void* value = nullptr;
        UINT length = 0;
        std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
        if (!VerQueryValueA(data.data(), query.c_str(), &value, &length) || length == 0) return std::string("<none>");
        return std::string(static_cast<const char*>(value));
    };
    EXPECT_EQ("46", text("FileDescription"));
    EXPECT_EQ("1.0.7", text("FileVersion"));
    EXPECT_EQ("HistData to Brel Qorp Utility", text("ProductName"));
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", text("Comments"));
    EXPECT_EQ("HistData to Brel Qorp", text("Title"));
    EXPECT_EQ("HistDataToQorp.exe", text("OriginalFilename"));

    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &fixed, &length));
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(MAKELONG(0, 1), info->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, 7), info->dwFileVersionLS);

    // The manifest is what gives the program version 6 of the common controls.
    win::UniqueModule module(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    HRSRC manifest = FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    std::string manifestText;
    if (manifest) {
        HGLOBAL loaded = LoadResource(module.get(), manifest);
        manifestText.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module.get(), manifest));
    }
    EXPECT_NE(std::string::npos, manifestText.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, manifestText.find("asInvoker"));
    EXPECT_NE(std::string::npos, manifestText.find("PerMonitorV2"));
}

}  // namespace
}  // namespace hdq
