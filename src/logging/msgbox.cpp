#include "logging/msgbox.h"

#include <string>

#include "logging/logger.h"

namespace hdq {

namespace {
constexpr const char* kSilentHead = "=============================== SILENT VRXMSGBOX ===============================";
constexpr const char* kSilentFoot = "=============================================================================";

// The answer of each button style for its first, second and third button as default; a
// style with fewer buttons falls back to its first button.
constexpr int32_t kDefaults[6][3] = {
    {1, 1, 1},  // OK
    {1, 2, 1},  // OK, Cancel
    {3, 4, 5},  // Abort, Retry, Ignore
    {6, 7, 2},  // Yes, No, Cancel
    {6, 7, 6},  // Yes, No
    {4, 2, 4},  // Retry, Cancel
};
}  // namespace

std::string VRXmsgBoxHandler::AnswerName(int32_t code) {
    switch (code) {
        case 1: return "OK";
        case 2: return "CANCEL";
        case 3: return "ABORT";
        case 4: return "RETRY";
        case 5: return "IGNORE";
        case 6: return "YES";
        case 7: return "NO";
        default: return "";
    }
}

int32_t VRXmsgBoxHandler::DefaultAnswer(int32_t buttons) {
    int32_t style = buttons & 7;
    if (style > 5) style = 0;
    const int which = (buttons & 256) ? 1 : (buttons & 512) ? 2 : 0;
    return kDefaults[style][which];
}

int32_t VRXmsgBoxHandler::VrxMsgBox(const std::string& prompt, int32_t buttons,
                                    const std::optional<std::string>& title,
                                    const std::optional<std::string>& helpFile,
                                    const std::optional<int32_t>& context) {
    try {
        if (!silent_) {
            MessageShower& shower = shower_ != nullptr ? *shower_ : PlatformMessageShower();
            return shower.Show(prompt, buttons, title, helpFile, context);
        }
        // Unattended: the whole question goes to the log so that the answer given on the
        // operator's behalf can be traced afterwards.
        if (log_ == nullptr) return 0;
        VRXLoggerTXT& log = *log_;
        log.WriteLog(kSilentHead, 0);
        log.WriteLog("PROMPT= " + prompt, 0);
        log.WriteLog("BUTTONS= " + std::to_string(buttons), 0);
        if (title) log.WriteLog("TITLE= " + *title, 0);
        if (helpFile) log.WriteLog("HELPFILE= " + *helpFile, 0);
        if (context) log.WriteLog("CONTEXT= " + std::to_string(*context), 0);
        const int32_t answer = (answer_ >= 0 && answer_ <= 7) ? answer_ : DefaultAnswer(buttons);
        log.WriteLog("ANSWER= " + AnswerName(answer), 0);
        log.WriteLog(kSilentFoot, 0);
        answer_ = -1;  // a preset answers one question only
        return answer;
    } catch (...) {
        return 0;
    }
}

}  // namespace hdq
