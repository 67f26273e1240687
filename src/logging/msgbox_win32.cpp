#include <windows.h>

#include "logging/msgbox.h"

namespace hdq {

namespace {
constexpr const char* kAppTitle = "HistData to Brel Qorp";

// The help file and context are not offered: the program's help is HTML Help, which the
// standard box's Help button (WinHelp) cannot open.
class MessageBoxShower final : public MessageShower {
public:
    int32_t Show(const std::string& prompt, int32_t buttons, const std::optional<std::string>& title,
                 const std::optional<std::string>&, const std::optional<int32_t>&) override {
        const std::string caption = title ? *title : std::string(kAppTitle);
        // Owned by the active window of this thread, so the box stays in front of the dialog
        // that asked; none when the program is in the notification area.
        return MessageBoxA(GetActiveWindow(), prompt.c_str(), caption.c_str(), static_cast<UINT>(buttons));
    }
};
}  // namespace

MessageShower& PlatformMessageShower() {
    static MessageBoxShower shower;
    return shower;
}

}  // namespace hdq
