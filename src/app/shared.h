#pragma once
// The four shared objects, one each for the life of the program, created by Main in this
// order: AppNetInfo, AppLog, AppMsgBox, AppConfig.
#include "core/configuration.h"
#include "core/file_checks.h"
#include "logging/activity.h"
#include "logging/event_log.h"
#include "logging/logger.h"
#include "logging/msgbox.h"
#include "platform/netinfo.h"

namespace hdq {

NetInfo& AppNetInfo();
VRXLoggerTXT& AppLog();
VRXmsgBoxHandler& AppMsgBox();
VRXConfiguration& AppConfig();
// The activity writer over AppLog, and the files beside the program.
ActivityLog& AppActivity();
const ProgramFiles& AppFiles();
// The events for the Windows Application log.
EventSink& AppEvents();

// Creates the objects anew for a program whose files are those given (start-up with the
// running program's, and each test that needs a clean program state with its own folder).
void CreateSharedObjects(const ProgramFiles& files = ProgramFiles::OfThisProgram());

}  // namespace hdq
