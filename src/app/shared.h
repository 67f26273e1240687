#pragma once
// The four shared objects, one each for the life of the program, created by Main in this
// order: AppNetInfo, AppLog, AppMsgBox, AppConfig.
#include "core/configuration.h"
#include "logging/logger.h"
#include "logging/msgbox.h"
#include "platform/netinfo.h"

namespace hdq {

NetInfo& AppNetInfo();
VRXLoggerTXT& AppLog();
VRXmsgBoxHandler& AppMsgBox();
VRXConfiguration& AppConfig();

// Creates the four objects anew (start-up, and each test that needs a clean program state).
void CreateSharedObjects();

}  // namespace hdq
