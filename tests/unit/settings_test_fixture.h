#pragma once
// A clean program state for the settings tests: a program folder with an INI file path, the
// keys the settings dialogs use, a logger writing to the folder, message boxes recorded
// instead of shown, and the activity list captured.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/shared.h"
#include "fake_dde.h"
#include "test_support.h"

namespace hdq::settings_test {



class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolderForTests(program.path());
        CreateSharedObjects();
        AppLog().SetLogPath(program / "log");
        AppLog().SetHandleFilePath(program / "test.log_handle");
        AppLog().SetBufferLength(1);
        AppLog().SetVerbosity(2);
        AppLog().SetEnabled(true);
        AppMsgBox().SetLogHandler(&AppLog());
        AppMsgBox().SetShower(&shower);
        SetActivityList(&activity);
        VRXConfiguration& config = AppConfig();
        config.SetLogHandler(&AppLog());
        config.setPath(program / "test.ini");
        for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
                 {"DDE_TAGNAME_FILE", ""}, {"DDE_LINKTOPIC", "VIEW"}, {"SELECTALLTAGS", "TRUE"},
                 {"KEEP_LOGS_FOR", "1000"}, {"VERBOSITY", "0"}, {"MINUTES_AFTER_HOUR", "0"},
                 {"HELPTOPIC", "12120"}, {"VALIDTRENDBYTES", ""}, {"OUTPUT_FOLDER", ""},
                 {"DDE_LGH_FOLDER", ""}, {"DDE_HISTDATA_FOLDER", ""}}) {
            config.DefineTree(key, value);
        }
    }
    void TearDown() override {
        SetActivityList(nullptr);
        AppMsgBox().SetShower(nullptr);
        AppLog().closeLog();
        CreateSharedObjects();
    }

    std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        if (AppLog().CurrentFile().empty()) return texts;
        for (const std::string& line : test::ReadLines(AppLog().CurrentFile())) {
            if (line.size() > 11) texts.push_back(line.substr(11));
        }
        return texts;
    }
    long LogCount(const std::string& text) {
        auto texts = LogTexts();
        return static_cast<long>(std::count(texts.begin(), texts.end(), text));
    }
    std::string Stored(const std::string& key) { return AppConfig().item(key); }
    void Store(const std::string& key, const std::string& value) {
        AppConfig().DefineTree(key, value);
        AppConfig().setItem(key, value);
    }

    test::FakeClock clock;
    test::TempFolder program;
    test::RecordingShower shower;
    test::RecordingActivityList activity;
};

}  // namespace hdq::settings_test
