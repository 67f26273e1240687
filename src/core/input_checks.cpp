#include "core/input_checks.h"

namespace hdq {
namespace {

bool IsControl(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool HoldsControlByte(std::string_view text) {
    for (const char c : text) {
        if (IsControl(c)) return true;
    }
    return false;
}

bool HoldsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string ShowControlBytes(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    for (const char c : text) {
        if (!IsControl(c)) {
            shown += c;
            continue;
        }
        const auto b = static_cast<unsigned char>(c);
        shown += "\\x";
        shown += kHex[b >> 4];
        shown += kHex[b & 0xF];
    }
    return shown;
}

std::string LocalFolderProblem(const std::string& folder) {
    const std::string rule = "must be a local folder such as C:\\Wonderware: ";
    if (folder.empty()) return rule + "an empty one is not";
    const bool driveRoot = folder.size() >= 3 && IsAsciiLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\';
    if (HoldsControlByte(folder) || (!driveRoot && !IsHostAbsolutePath(folder))) {
        return rule + ShowControlBytes(folder) + " is not";
    }
    if (driveRoot && IsNetworkDrive(folder.substr(0, 3))) return rule + folder + " is on a network drive";
    return "";
}

}  // namespace hdq
