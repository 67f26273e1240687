#include "core/input_checks.h"

namespace hdq {

bool IsNetworkDrive(const std::string&) { return false; }

// "//server/share" is a UNC path with the other slash, not a local folder.
bool IsHostAbsolutePath(const std::string& path) { return path.size() >= 2 && path[0] == '/' && path[1] != '/'; }

}  // namespace hdq
