#pragma once
// What the settings forms use of the program: its configuration store, its log and activity
// list, its message boxes, its folder (the start-up shortcut's target), the title its untitled
// boxes carry and the help viewer. The program hands them over when it has started; the
// forms never reach up for them.
#include <functional>
#include <string>

#include "core/configuration.h"
#include "logging/activity.h"
#include "logging/msgbox.h"

namespace hdq {

struct SettingsContext {
    VRXConfiguration& config;
    ActivityLog& log;
    VRXmsgBoxHandler& msgBox;
    std::string programFolder;
    std::string title;
    std::function<bool(const std::string& topic)> openHelp;
};

// Set by the program once its shared objects exist; nullptr takes it back.
void SetSettingsContext(const SettingsContext* context);
const SettingsContext& SettingsEnv();

// "Save Settings": writes the INI file when something changed (one activity line when it did).
bool SaveConfigIfChanged();

}  // namespace hdq
