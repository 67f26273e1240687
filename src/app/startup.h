#pragma once
// Program start-up: the four shared objects, the identification record, the configuration
// keys and the INI file, verbosity and log retention, the environment record.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/app_properties.h"
#include "core/datetime.h"
#include "core/file_checks.h"

namespace hdq {

class MessageShower;

// Read from the program's version resource (Windows); the same values natively.
const AppProperties& App();

struct StartupEnvironment {
    std::string commandLine;
    unsigned long threadId = 0;
    bool taskVisible = true;
    unsigned long long instanceHandle = 0;
    // Shows start-up's prompt when the INI file cannot be read; nullptr: the platform's box.
    MessageShower* shower = nullptr;
    // The program's files: the running executable's, or a test's folder.
    ProgramFiles files = ProgramFiles::OfThisProgram();
};

// Main's steps up to, not including, ShowMainWindow. Returns false when the configuration can
// be neither read nor created (the message box has been shown): the program must end.
bool RunStartup(const StartupEnvironment& env);
// The folder's one-copy lock is held but no copy shows a window here: one level-0 line and a
// message box, so that the start does not end unseen.
void ReportLockHeldElsewhere(const StartupEnvironment& env = {});
// The log alone, for a start that only passes a request on to the running copy.
void OpenLog(const StartupEnvironment& env);
// The seventeen settings and their defaults, for a program with these files, started now.
std::vector<std::pair<std::string, std::string>> DefaultSettings(const ProgramFiles& files, const DateTime& now);
void DefineConfiguration();   // part of RunStartup; returns having shown the box on failure
bool ConfigurationUsable();   // false after DefineConfiguration failed to read the INI file

}  // namespace hdq
