#include "settings/execution_settings.h"

#include <exception>

#include "settings/settings_outcome.h"
#include "core/text.h"
#include "settings/settings_context.h"

namespace hdq {
namespace {
constexpr int kStyleOk = 0;

struct Range {
    const char* key;
    int low, high;
    const char* outOfRange;
};
constexpr Range kMinutes{"MINUTES_AFTER_HOUR", 0, 59, "Minutes after the hour must be between 0 and 59"};
// The log retention keeps logs for at least 7 and at most 1000 days whatever is stored, so the
// form accepts only what will really happen.
constexpr Range kKeepDays{"KEEP_LOGS_FOR", 7, 1000, "Days to keep logs must be between 7 and 1000"};
constexpr char kLevelOutOfRange[] = "Level of detail to log must be Normal, Medium or High";

void RejectField(std::string& field, const std::string& key) {
    SettingsEnv().msgBox.VrxMsgBox("Invalid value provided for '" + key + "'. Will use previous value.", kStyleExclamation,
                          std::string("Validation failed"));
    field = SettingsEnv().config.item(key);
}

// The field's number rounded half to even. nullopt with `failure` empty: not a number (the
// operator is told, the field reverts and nothing of it is stored); with `failure` set: out of
// range.
std::optional<int> FieldNumber(std::string& field, const Range& range, std::string& failure) {
    if (!IsNumeric(field)) {
        RejectField(field, range.key);
        return std::nullopt;
    }
    auto value = ToInt16(field);
    if (!value || *value < range.low || *value > range.high) {
        failure = range.outOfRange;
        return std::nullopt;
    }
    return *value;
}
}  // namespace

bool ExecutionSettings::RefreshFromConfig(ExecutionFields& fields) {
    try {
        VRXConfiguration& config = SettingsEnv().config;
        fields.minutes = config.item("MINUTES_AFTER_HOUR");
        const std::string level = config.item("VERBOSITY");
        auto index = ToInt16(level);
        if (!index || *index < -1 || *index >= kVerbosityItemCount) return false;
        fields.verbosityIndex = *index;
        fields.verbosityShown = true;
        fields.keepLogDays = config.item("KEEP_LOGS_FOR");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ExecutionSettings::Load(ExecutionFields& fields) {
    SettingsEnv().config.ReadConfig();
    if (!RefreshFromConfig(fields)) SettingsEnv().msgBox.VrxMsgBox("Failed to refresh UI from CONFIG", kStyleOk);
}

std::string ExecutionSettings::ApplySettings(ExecutionFields& fields) {
    try {
        std::string failure;
        const auto minutes = FieldNumber(fields.minutes, kMinutes, failure);
        if (!failure.empty()) return failure;
        const auto days = FieldNumber(fields.keepLogDays, kKeepDays, failure);
        if (!failure.empty()) return failure;
        if (fields.verbosityIndex < 0 || fields.verbosityIndex >= kVerbosityItemCount) return kLevelOutOfRange;
        VRXConfiguration& config = SettingsEnv().config;
        if (minutes) config.setItem(kMinutes.key, std::to_string(*minutes));
        if (days) config.setItem(kKeepDays.key, std::to_string(*days));
        config.setItem("VERBOSITY", std::to_string(fields.verbosityIndex));
        return std::string();
    } catch (const std::exception&) {
        return kUnableToApply;
    }
}

void ExecutionSettings::Apply(ExecutionFields& fields) { ReportApply(ApplySettings(fields)); }

void ExecutionSettings::Save(ExecutionFields& fields) {
    if (!ReportApply(ApplySettings(fields))) return;
    SaveAndReport();
}

}  // namespace hdq
