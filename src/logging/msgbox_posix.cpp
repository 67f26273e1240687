#include "logging/msgbox.h"

namespace hdq {

namespace {
// No desktop to show a box on: behave as if the operator pressed the default button.
class DefaultButtonShower final : public MessageShower {
public:
    int32_t Show(const std::string&, int32_t buttons, const std::optional<std::string>&,
                 const std::optional<std::string>&, const std::optional<int32_t>&) override {
        return VRXmsgBoxHandler::DefaultAnswer(buttons);
    }
};
}  // namespace

MessageShower& PlatformMessageShower() {
    static DefaultButtonShower shower;
    return shower;
}

}  // namespace hdq
