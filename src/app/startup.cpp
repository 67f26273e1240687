#include "app/startup.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "app/running_copy.h"
#include "app/shared.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "core/files.h"
#include "core/text.h"

namespace hdq {
namespace {

// Set by DefineConfiguration; the program must end when the INI file could not be read.
bool g_configurationUsable = false;

// Verbosity levels beyond 2 mean nothing to the program; text that is no number means the
// quietest log rather than a start-up failure.
int16_t VerbosityFrom(const std::string& stored) {
    auto n = ParseNumber(stored);
    if (!n || std::isnan(*n)) return 0;
    return static_cast<int16_t>(RoundHalfEven(std::clamp(*n, 0.0, 2.0)));
}

// Retention needs at least one day. The upper bound only keeps an absurd number from
// overflowing the retention's 16-bit day count, which trims it further anyway.
int32_t KeepDaysFrom(const std::string& stored) {
    auto n = ParseNumber(stored);
    if (!n || std::isnan(*n)) return 1000;
    return RoundHalfEven(std::clamp(*n, 1.0, 32767.0));
}

// MAX_LOG_MB belongs to the operator who puts it in the INI file: it is read when there but
// never defined, set or saved here, so that a file without it keeps its seventeen keys and a
// file with it keeps the operator's text.
int32_t MaxLogMBFrom(const VRXConfiguration& config) {
    if (!config.ItemExists("MAX_LOG_MB")) return kDefaultMaxLogMB;
    const std::string stored = config.item("MAX_LOG_MB");
    const auto n = ParseNumber(stored);
    const bool usable = n && !std::isnan(*n) && *n >= 1;
    const int32_t used = usable ? RoundHalfEven(std::min(*n, double{kHighestMaxLogMB})) : kDefaultMaxLogMB;
    if (!usable || *n > kHighestMaxLogMB) {
        AppLog().WriteLog("MAX_LOG_MB of " + stored + " is not a size from 1 to " + std::to_string(kHighestMaxLogMB) +
                              " MB; " + std::to_string(used) + " is used",
                          0);
    }
    return used;
}

// A DDE time-out of none or of more than ten minutes would let a hung HistData hold the
// service for good; either is taken as ten minutes.
constexpr int32_t kLongestDdeTimeout = 6000;  // tenths of a second
int32_t DdeTimeoutFrom(const std::string& stored) {
    auto n = ParseNumber(stored);
    if (!n || std::isnan(*n) || *n <= 0 || *n > kLongestDdeTimeout) return kLongestDdeTimeout;
    return RoundHalfEven(*n);
}

void WriteIdentificationRecord() {
    const AppProperties& app = App();
    VRXLoggerTXT& log = AppLog();
    log.WriteLog(app.comments, 0);
    log.WriteLog(app.title + " version " + app.VersionText() + " (Build " + app.build + ")", 0);
    log.WriteLog("Build Numbers : " + app.build + " (Application)  10 (Type) 27 (Platform)", 0);
    log.WriteLog("ID: " + app.productName, 0);
    log.WriteLog("Running on " + AppNetInfo().AllTextDump(), 0);
}

void WriteEnvironmentRecord(const StartupEnvironment& env) {
    VRXLoggerTXT& log = AppLog();
    log.WriteLog("PATH=" + ProgramFolder(), 2);
    log.WriteLog("EXENAME=" + fsys::ExeName(), 2);
    log.WriteLog("COMMAND=" + env.commandLine, 2);
    log.WriteLog("THREAD_ID=" + std::to_string(env.threadId), 2);
    log.WriteLog(std::string("TASK_VISIBLE=") + (env.taskVisible ? "True" : "False"), 2);
    // The key is spelt as the environment records that log readers parse have always spelt it.
    log.WriteLog("TASK_UNATTENTED_APP=False", 2);
    log.WriteLog("HINSTANCE=" + std::to_string(env.instanceHandle), 2);
}

}  // namespace

bool ConfigurationUsable() { return g_configurationUsable; }

std::vector<std::pair<std::string, std::string>> DefaultSettings(const ProgramFiles& files, const DateTime& now) {
    // In the order the INI file has always listed them; LAST_RUN starts at yesterday's midnight.
    return {{"DDE_LINKTOPIC", ""},
            {"DDE_LGH_FOLDER", ""},
            {"DDE_TAGNAME_FILE", ""},
            {"DDE_HISTDATA_FOLDER", ""},
            {"OUTPUT_FOLDER", files.Cache()},
            {"MINUTES_AFTER_HOUR", "0"},
            {"KEEP_LOGS_FOR", "1000"},
            {"VERBOSITY", "0"},
            {"LAST_RUN", FormatPattern(now.Date().AddDays(-1), "MM-dd-yyyy HH:mm:ss")},
            {"HELPTOPIC", "12120"},
            {"DDE_TIMEOUT", "600"},
            {"DDE_MAX_BUFFER_SIZE", "500"},
            {"DDE_DURATION", "59m"},
            {"DDE_INTERVAL", "1m"},
            {"DDE_SAVECACHE", "FALSE"},
            {"SELECTALLTAGS", "TRUE"},
            {"VALIDTRENDBYTES", ""}};
}

void DefineConfiguration() {
    g_configurationUsable = false;
    VRXConfiguration& config = AppConfig();
    config.SetLogHandler(&AppLog());
    config.setPath(IniFile());

    for (const auto& [key, value] : DefaultSettings(AppFiles(), AppClock().Now())) config.DefineTree(key, value);

    if (!config.ReadConfig()) {
        AppMsgBox().VrxMsgBox("Unable to read configuration at " + IniFile(), 48, "Unable to start " + App().title);
        return;
    }

    const int16_t verbosity = VerbosityFrom(config.item("VERBOSITY"));
    config.setItem("VERBOSITY", std::to_string(verbosity));
    AppLog().SetVerbosity(verbosity);
    AppLog().AssertVerbosity();

    const int32_t keepDays = KeepDaysFrom(config.item("KEEP_LOGS_FOR"));
    config.setItem("KEEP_LOGS_FOR", std::to_string(keepDays));
    AppLog().LSM_SetMaxMB(MaxLogMBFrom(config));
    AppLog().LSM_Init(keepDays);
    AppLog().LSM_Run();
    const int32_t timeout = DdeTimeoutFrom(config.item("DDE_TIMEOUT"));
    if (std::to_string(timeout) != config.item("DDE_TIMEOUT")) {
        AppLog().WriteLog("DDE_TIMEOUT of " + config.item("DDE_TIMEOUT") + " tenths of a second is out of range; " +
                              std::to_string(timeout) + " is used",
                          0);
        config.setItem("DDE_TIMEOUT", std::to_string(timeout));
    }
    // A prepared INI handed to many PCs leaves LAST_RUN empty so that each PC starts from its
    // own first hour: the day before this start, as on a new installation.
    if (Trim(config.item("LAST_RUN")).empty()) {
        const std::string first = FormatPattern(AppClock().Now().Date().AddDays(-1), "MM-dd-yyyy HH:mm:ss");
        config.setItem("LAST_RUN", first);
        AppLog().WriteLog("LAST_RUN is empty: the service starts from " + first, 0);
    }
    AppLog().SetOnNewDay([] {
        AppLog().LSM_SetMaxMB(MaxLogMBFrom(AppConfig()));
        AppLog().LSM_Init(KeepDaysFrom(AppConfig().item("KEEP_LOGS_FOR")));
        AppLog().LSM_Run();
    });

    g_configurationUsable = true;
}

void OpenLog(const StartupEnvironment& env) {
    CreateSharedObjects(env.files);
    if (env.shower != nullptr) AppMsgBox().SetShower(env.shower);
    // The help file needs no setting: HelpFile() is derived from the program folder.

    VRXLoggerTXT& log = AppLog();
    log.SetLogPath(AppFiles().Log());
    // Keep the handle file beside the INI file, in the same program folder.
    log.SetHandleFilePath(AppFiles().LogHandle());
    log.SetEnabled(true);
    log.SetBufferLength(1);
    log.SetPostfix("_pelomark");
    log.SetLogHandleAssertion(true);
}

void ReportLockHeldElsewhere(const StartupEnvironment& env) {
    OpenLog(env);
    const std::string user = RunningCopyUser(fsys::ReadAll(StatusFile()).value_or(""));
    const std::string text =
        user.empty() ? "Another program holds the lock of " + ProgramFolder() +
                           " but shows no window in this session: a copy may run for another user. "
                           "This copy ends; the other one exports."
                     : App().title + " already runs from " + ProgramFolder() + " for " + user +
                           " and exports the hours there; its window is in that session. This copy ends.";
    AppLog().WriteLog(user.empty() ? "Error: " + text : text, 0);
    AppMsgBox().SetSilentOperation(false);
    AppMsgBox().VrxMsgBox(text, 48, App().title);
}

bool RunStartup(const StartupEnvironment& env) {
    OpenLog(env);
    VRXLoggerTXT& log = AppLog();
    AppNetInfo().GetNetInfo();
    WriteIdentificationRecord();

    AppMsgBox().SetLogHandler(&log);
    AppMsgBox().SetSilentOperation(false);

    DefineConfiguration();
    if (!ConfigurationUsable()) return false;

    WriteEnvironmentRecord(env);
    AppConfig().dumpConfiguration();
    return true;
}

}  // namespace hdq
