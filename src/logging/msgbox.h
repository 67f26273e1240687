#pragma once
// VRXmsgBoxHandler: the one place that asks the operator something in a message box.
// Silent operation logs the request as a framed block and returns a preset or default answer.
#include <cstdint>
#include <optional>
#include <string>

namespace hdq {

class VRXLoggerTXT;

// Shows a real message box (MessageBoxA in the Windows build); tests install a fake.
class MessageShower {
public:
    virtual ~MessageShower() = default;
    virtual int32_t Show(const std::string& prompt, int32_t buttons, const std::optional<std::string>& title,
                         const std::optional<std::string>& helpFile, const std::optional<int32_t>& context) = 0;
};
// The platform's shower: MessageBoxA on Windows; natively it shows nothing and answers the default button.
MessageShower& PlatformMessageShower();

class VRXmsgBoxHandler {
public:
    int32_t VrxMsgBox(const std::string& prompt, int32_t buttons = 0,
                      const std::optional<std::string>& title = std::nullopt,
                      const std::optional<std::string>& helpFile = std::nullopt,
                      const std::optional<int32_t>& context = std::nullopt);
    void SetLogHandler(VRXLoggerTXT* logger) { log_ = logger; }
    void SetAnswer(int32_t a) { answer_ = a; }
    void SetSilentOperation(bool v) { silent_ = v; }
    bool SilentOperation() const { return silent_; }
    void SetShower(MessageShower* s) { shower_ = s; }   // nullptr: the platform's

    static std::string AnswerName(int32_t code);
    static int32_t DefaultAnswer(int32_t buttons);

private:
    bool silent_ = false;
    VRXLoggerTXT* log_ = nullptr;
    int32_t answer_ = -1;
    MessageShower* shower_ = nullptr;
};

}  // namespace hdq
