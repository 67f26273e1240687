#pragma once
// CustomAdvConfig's behaviour without its window: the minutes, the log detail and the days to
// keep logs, checked and stored in the configuration store.
#include <string>

namespace hdq {

struct ExecutionFields {
    // What the controls show before the configuration does.
    std::string minutes = "05";        // txtMinutes        -> MINUTES_AFTER_HOUR
    int verbosityIndex = -1;           // cmbVerbosity      -> VERBOSITY ("Normal", "Medium", "High")
    bool verbosityShown = false;       // the combo's text stays "Combo1" until a level is shown
    std::string keepLogDays = "1000";  // txtKeepLog_Days   -> KEEP_LOGS_FOR
};

inline constexpr int kVerbosityItemCount = 3;

class ExecutionSettings {
public:
    // Reads the INI file again (unsaved applied values give way to the file), then shows it.
    static void Load(ExecutionFields& fields);
    // Fields in order minutes, level, days; false at the first that cannot be shown, the
    // later fields left as they were.
    static bool RefreshFromConfig(ExecutionFields& fields);
    // A field that is not numeric gets the validation message and its stored value back, and
    // does not fail the apply. A number outside the range the program can use fails it with a
    // message naming the field, and then nothing is stored. Returns that message, empty when
    // applied.
    static std::string ApplySettings(ExecutionFields& fields);

    static void Apply(ExecutionFields& fields);
    static void Save(ExecutionFields& fields);
};

}  // namespace hdq
