#include <windows.h>

#include "core/input_checks.h"

namespace hdq {

bool IsNetworkDrive(const std::string& root) { return GetDriveTypeA(root.c_str()) == DRIVE_REMOTE; }

// On Windows "/x" and "\x" are on the current drive, whichever that is.
bool IsHostAbsolutePath(const std::string&) { return false; }

}  // namespace hdq
