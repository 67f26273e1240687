#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "logging/logger.h"
#include "logging/msgbox.h"
#include "test_support.h"

namespace hdq {
namespace {

using test::ReadLines;
using test::TempFolder;

const std::string kHead = "=============================== SILENT VRXMSGBOX ===============================";
const std::string kFoot = "=============================================================================";

class RecordingShower : public MessageShower {
public:
    int32_t Show(const std::string& prompt, int32_t buttons, const std::optional<std::string>& title,
                 const std::optional<std::string>& helpFile, const std::optional<int32_t>& context) override {
        if (fail) throw std::runtime_error("no desktop");
        calls.push_back(prompt + "|" + std::to_string(buttons) + "|" + title.value_or("-") + "|" +
                        helpFile.value_or("-") + "|" + (context ? std::to_string(*context) : "-"));
        return pressed;
    }
    std::vector<std::string> calls;
    int32_t pressed = 4;
    bool fail = false;
};

class MessageBoxHandler : public ::testing::Test {
protected:
    MessageBoxHandler() {
        log.SetLogPath(dir / "log");
        log.SetHandleFilePath(dir / "test.log_handle");
        log.SetBufferLength(1);
        log.SetEnabled(true);
        box.SetLogHandler(&log);
        box.SetSilentOperation(true);
        box.SetShower(&shower);
    }

    std::vector<std::string> LogTexts(const std::string& prefix = "") {
        std::vector<std::string> texts;
        if (log.CurrentFile().empty()) return texts;
        for (const std::string& line : ReadLines(log.CurrentFile()))
            if (line.compare(11, prefix.size(), prefix) == 0) texts.push_back(line.substr(11));
        return texts;
    }

    test::FakeClock clock;
    TempFolder dir;
    VRXLoggerTXT log;
    RecordingShower shower;
    VRXmsgBoxHandler box;
};

TEST_F(MessageBoxHandler, AnswersSilentlyWithTheDefaultButtonAndLogsTheOptionalPartsOnlyWhenGiven) {
    EXPECT_EQ(7, box.VrxMsgBox("Save the settings?", 4 + 256));
    EXPECT_EQ(2, box.VrxMsgBox("Quit?", 3 + 512 + 32, std::string("Connection"), std::string("help.chm"), 12120));
    EXPECT_EQ((std::vector<std::string>{kHead, "PROMPT= Save the settings?", "BUTTONS= 260", "ANSWER= NO", kFoot,
                                        kHead, "PROMPT= Quit?", "BUTTONS= 547", "TITLE= Connection",
                                        "HELPFILE= help.chm", "CONTEXT= 12120", "ANSWER= CANCEL", kFoot}),
              LogTexts());
    EXPECT_TRUE(shower.calls.empty());
}

TEST_F(MessageBoxHandler, UsesAPresetAnswerForOneCallOnly) {
    box.SetAnswer(6);
    EXPECT_EQ(6, box.VrxMsgBox("a", 4 + 256));
    EXPECT_EQ(7, box.VrxMsgBox("b", 4 + 256));

    box.SetAnswer(0);  // in range although no button has it
    EXPECT_EQ(0, box.VrxMsgBox("c", 1));
    box.SetAnswer(8);  // out of range: no preset
    EXPECT_EQ(1, box.VrxMsgBox("d", 1));

    EXPECT_EQ((std::vector<std::string>{"ANSWER= YES", "ANSWER= NO", "ANSWER= ", "ANSWER= OK"}), LogTexts("ANSWER="));
}

TEST_F(MessageBoxHandler, FallsBackToTheFirstButtonWhenTheDefaultButtonDoesNotExist) {
    EXPECT_EQ(6, VRXmsgBoxHandler::DefaultAnswer(4 + 512));
    EXPECT_EQ(5, VRXmsgBoxHandler::DefaultAnswer(2 + 512));
    EXPECT_EQ(2, VRXmsgBoxHandler::DefaultAnswer(5 + 256 + 16));  // icon flags pass through
    EXPECT_EQ(7, VRXmsgBoxHandler::DefaultAnswer(3 + 256 + 512));  // the second button wins
    EXPECT_EQ(1, VRXmsgBoxHandler::DefaultAnswer(6 + 256));         // unknown styles act as OK
}

TEST_F(MessageBoxHandler, ShowsTheBoxWhenNotSilentAndLeavesThePresetAlone) {
    box.SetSilentOperation(false);
    box.SetAnswer(6);
    EXPECT_EQ(4, box.VrxMsgBox("Retry?", 5, std::string("Title")));
    EXPECT_EQ(std::vector<std::string>{"Retry?|5|Title|-|-"}, shower.calls);
    EXPECT_TRUE(LogTexts().empty());

    box.SetSilentOperation(true);
    EXPECT_EQ(6, box.VrxMsgBox("silent now", 5));
}

TEST_F(MessageBoxHandler, ReturnsZeroInsteadOfRaisingWhenItCannotAsk) {
    VRXmsgBoxHandler noLog;
    noLog.SetSilentOperation(true);
    EXPECT_EQ(0, noLog.VrxMsgBox("nobody listens", 4));

    box.SetSilentOperation(false);
    shower.fail = true;
    EXPECT_EQ(0, box.VrxMsgBox("broken", 4));
}

}  // namespace
}  // namespace hdq
