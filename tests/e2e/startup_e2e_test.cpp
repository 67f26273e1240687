// The real program started in a fresh program folder: what it leaves behind at start-up, and
// the version resource it reads its identity from.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/startup.h"
#include "driver_win32.h"
#include "platform/win32_handles.h"
#include "test_support.h"

namespace hdq {
namespace {

std::vector<std::string> LogMessages(const std::string& file) {
    std::vector<std::string> messages;
    for (const std::string& line : test::ReadLines(file)) messages.push_back(line.size() > 11 ? line.substr(11) : line);
    return messages;
}

class StartupEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        exe = folder / "HistDataToQorp.exe";
        ASSERT_TRUE(CopyFileA(test::BuiltExe().c_str(), exe.c_str(), FALSE)) << test::BuiltExe();
    }
    test::TempFolder folder;
    std::string exe;
};

TEST_F(StartupEndToEnd, FirstStartLeavesTheIniFileTheLogAndItsHandleFile) {
    test::Process program;  // killed at the end: once its main window exists the program runs on
    ASSERT_TRUE(program.Start(exe, "", folder.path()));
    const std::string ini = folder / "HistDataToQorp.ini";
    std::string logFile;
    const bool started = test::WaitUntil(
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

TEST_F(StartupEndToEnd, UnreadableConfigurationShowsTheBoxAndEndsTheProgram) {
    ASSERT_TRUE(CreateDirectoryA((folder / "HistDataToQorp.ini").c_str(), nullptr));
    test::Process program;
    ASSERT_TRUE(program.Start(exe, "", folder.path()));
    std::string prompt;
    ASSERT_TRUE(test::AnswerMessageBox(program.Id(), "Unable to start HistData to Brel Qorp", IDOK, &prompt, 20000));
    EXPECT_EQ("Unable to read configuration at " + folder.path() + "\\HistDataToQorp.ini", prompt);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitExit(10000, &code));
    EXPECT_NE(0u, code);
    EXPECT_TRUE(test::FilesIn(folder / "cache").empty());
}

TEST(VersionResource, CarriesTheIdentityTheLogAndTheAboutBoxShow) {
    const std::string exe = test::BuiltExe();
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

TEST(VersionResource, IsWhereTheProgramReadsItsIdentityFrom) {
    std::optional<AppProperties> app = AppPropertiesFromVersionResource(test::BuiltExe());
    ASSERT_TRUE(app.has_value());
    EXPECT_EQ("HistData to Brel Qorp", app->title);
    EXPECT_EQ("HistData to Brel Qorp Utility", app->productName);
    EXPECT_EQ("Brel Qorp Utility to request CSV files from WonderWare HistData", app->comments);
    EXPECT_EQ("46", app->build);
    EXPECT_EQ(1, app->major);
    EXPECT_EQ(0, app->minor);
    EXPECT_EQ(7, app->revision);
    // The test program itself carries no version resource.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_FALSE(AppPropertiesFromVersionResource(self).has_value());
}

}  // namespace
}  // namespace hdq
