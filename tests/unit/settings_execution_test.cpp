// The execution settings dialog's checks of minutes, days and log detail.
#include <gtest/gtest.h>

#include "settings/execution_settings.h"
#include "settings_test_fixture.h"

namespace hdq {
namespace {

using settings_test::SettingsFixture;

class ExecutionSettingsTest : public SettingsFixture {
protected:
    ExecutionFields Fields(const std::string& minutes, const std::string& days, int level = 1) {
        ExecutionFields f;
        f.minutes = minutes;
        f.keepLogDays = days;
        f.verbosityIndex = level;
        return f;
    }
};

TEST_F(ExecutionSettingsTest, MinutesAreRoundedHalfToEvenAndClampedToTheHourWhileDaysHaveOnlyALowerBound) {
    for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
             {"75", "59"}, {"-3", "0"}, {"7.5", "8"}, {"6.5", "6"}, {"59.4", "59"}, {" 30 ", "30"}, {"0", "0"}}) {
        ExecutionFields f = Fields(typed, "10");
        ASSERT_TRUE(ExecutionSettings::ApplySettings(f)) << typed;
        EXPECT_EQ(stored, Stored("MINUTES_AFTER_HOUR")) << typed;
    }
    for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
             {"0", "1"}, {"-5", "1"}, {"30", "30"}, {"32767", "32767"}, {"2.5", "2"}}) {
        ExecutionFields f = Fields("5", typed);
        ASSERT_TRUE(ExecutionSettings::ApplySettings(f)) << typed;
        EXPECT_EQ(stored, Stored("KEEP_LOGS_FOR")) << typed;
    }
    EXPECT_TRUE(shower.calls.empty());
}

TEST_F(ExecutionSettingsTest, LettersGiveTheValidationMessageRestoreTheFieldAndApplyTheRest) {
    Store("MINUTES_AFTER_HOUR", "15");
    ExecutionFields f = Fields("1O", "20", 2);
    ASSERT_TRUE(ExecutionSettings::ApplySettings(f));
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Invalid value provided for 'MINUTES_AFTER_HOUR'. Will use previous value.|48|Validation failed",
              shower.calls[0]);
    EXPECT_EQ("15", f.minutes);
    EXPECT_EQ("15", Stored("MINUTES_AFTER_HOUR"));
    EXPECT_EQ("20", Stored("KEEP_LOGS_FOR"));
    EXPECT_EQ("2", Stored("VERBOSITY"));

    ExecutionFields days = Fields("5", "", 0);
    ASSERT_TRUE(ExecutionSettings::ApplySettings(days));
    EXPECT_EQ("Invalid value provided for 'KEEP_LOGS_FOR'. Will use previous value.|48|Validation failed",
              shower.calls.at(1));
    EXPECT_EQ("20", days.keepLogDays);
}

TEST_F(ExecutionSettingsTest, DaysBeyondSixteenBitsFailTheApplyAfterTheMinutesWereStored) {
    ExecutionFields f = Fields("12", "500000", 2);
    ExecutionSettings::Apply(f);
    EXPECT_EQ("12", Stored("MINUTES_AFTER_HOUR"));
    EXPECT_EQ("1000", Stored("KEEP_LOGS_FOR"));
    EXPECT_EQ("0", Stored("VERBOSITY"));
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Unable to apply settings|48|-", shower.calls[0]);
}

TEST_F(ExecutionSettingsTest, RefreshStopsAtALevelOutsideTheListLeavingTheDaysField) {
    Store("MINUTES_AFTER_HOUR", "20");
    Store("KEEP_LOGS_FOR", "30");
    for (const char* bad : {"5", "-2", "high"}) {
        Store("VERBOSITY", bad);
        ExecutionFields f;
        EXPECT_FALSE(ExecutionSettings::RefreshFromConfig(f)) << bad;
        EXPECT_EQ("20", f.minutes);
        EXPECT_FALSE(f.verbosityShown);
        EXPECT_EQ("1000", f.keepLogDays);
    }
    Store("VERBOSITY", "-1");
    ExecutionFields f;
    ASSERT_TRUE(ExecutionSettings::RefreshFromConfig(f));
    EXPECT_EQ(-1, f.verbosityIndex);
    EXPECT_TRUE(f.verbosityShown);
    EXPECT_EQ("30", f.keepLogDays);
}

TEST_F(ExecutionSettingsTest, LoadRereadsTheFileSoUnsavedValuesGiveWay) {
    Store("DDE_LINKTOPIC", "SAVED");
    ASSERT_TRUE(AppConfig().SaveConfig());
    Store("DDE_LINKTOPIC", "APPLIED");
    Store("VERBOSITY", "5");
    ExecutionFields f;
    ExecutionSettings::Load(f);
    EXPECT_EQ("SAVED", Stored("DDE_LINKTOPIC"));
    EXPECT_EQ("0", Stored("VERBOSITY"));
    EXPECT_TRUE(shower.calls.empty());

    Store("VERBOSITY", "5");
    ASSERT_TRUE(AppConfig().SaveConfig());
    ExecutionSettings::Load(f);
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Failed to refresh UI from CONFIG|0|-", shower.calls[0]);
}

TEST_F(ExecutionSettingsTest, SaveWritesTheFileWithoutListingTheSettings) {
    ExecutionFields f = Fields("45", "90", 1);
    ExecutionSettings::Save(f);
    ASSERT_EQ(1u, shower.calls.size());
    EXPECT_EQ("Saved successfully|64|-", shower.calls[0]);
    const std::string ini = test::ReadFile(program / "test.ini");
    EXPECT_NE(std::string::npos, ini.find("MINUTES_AFTER_HOUR=45\r\n"));
    EXPECT_NE(std::string::npos, ini.find("KEEP_LOGS_FOR=90\r\n"));
    EXPECT_EQ(0, LogCount("Saved configuration:"));
}

}  // namespace
}  // namespace hdq
