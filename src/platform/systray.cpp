#include "platform/systray.h"

#include "core/text.h"

namespace hdq {

std::string MouseActionName(long message) {
    switch (message) {
    case 512: return "MOUSEMOVE";
    case 513: return "LBUTTONDOWN";
    case 514: return "LBUTTONUP";
    case 515: return "LBUTTONDBLCLK";
    case 516: return "RBUTTONDOWN";
    case 517: return "RBUTTONUP";
    case 518: return "RBUTTONDBLCLK";
    case 519: return "MBUTTONDOWN";
    case 520: return "MBUTTONUP";
    case 521: return "MBUTTONDBLCLK";
    default: return "OTHER....: " + std::to_string(message);
    }
}

std::string MakeTipField(const std::string& text) {
    std::string field = text.substr(0, kTipFieldLength - 1);
    field.push_back('\0');
    field.resize(kTipFieldLength, ' ');
    return field;
}

TrayMenuState MenuStateFor(bool ownerVisible, int ownerState) {
    if (!ownerVisible) return {true, false};
    if (ownerState == kStateNormal || ownerState == kStateMaximized) return {false, true};
    if (ownerState == kStateMinimized) return {true, false};
    return {true, true};
}

bool IsDefaultIconName(const std::string& name) { return IEquals(name, "DEFAULT"); }

bool OwnerTracker::OnResize(int state) {
    if (state == kStateMinimized) return true;
    if (state == kStateNormal || state == kStateMaximized) saved_ = state;
    return false;
}

}  // namespace hdq
