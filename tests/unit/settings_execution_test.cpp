// The execution settings dialog's checks of minutes and days.
#include <gtest/gtest.h>

#include "app/shared.h"
#include "fake_dde.h"
#include "settings/execution_settings.h"

namespace hdq {
namespace {

class ExecutionSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppMsgBox().SetShower(&shower);
        sb.Set("KEEP_LOGS_FOR", "1000");
        sb.Set("VERBOSITY", "0");
        sb.Set("MINUTES_AFTER_HOUR", "0");
    }
    void TearDown() override { AppMsgBox().SetShower(nullptr); }
    static std::string Stored(const std::string& key) { return AppConfig().item(key); }
    static ExecutionFields Fields(const std::string& minutes, const std::string& days) {
        ExecutionFields f;
        f.minutes = minutes;
        f.keepLogDays = days;
        f.verbosityIndex = 2;
        return f;
    }

    test::AppSandbox sb;
    test::RecordingShower shower;
};

TEST_F(ExecutionSettingsTest, MinutesAreRoundedHalfToEvenAndClampedToTheHourWhileDaysHaveOnlyALowerBound) {
    for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
             {"75", "59"}, {"-3", "0"}, {"7.5", "8"}, {"6.5", "6"}, {" 30 ", "30"}}) {
        ExecutionFields f = Fields(typed, "10");
        ASSERT_TRUE(ExecutionSettings::ApplySettings(f)) << typed;
        EXPECT_EQ(stored, Stored("MINUTES_AFTER_HOUR")) << typed;
    }
    for (const auto& [typed, stored] : std::vector<std::pair<std::string, std::string>>{
             {"0", "1"}, {"-5", "1"}, {"32767", "32767"}, {"2.5", "2"}}) {
        ExecutionFields f = Fields("5", typed);
        ASSERT_TRUE(ExecutionSettings::ApplySettings(f)) << typed;
        EXPECT_EQ(stored, Stored("KEEP_LOGS_FOR")) << typed;
    }
    EXPECT_TRUE(shower.calls.empty());
}

TEST_F(ExecutionSettingsTest, DaysBeyondSixteenBitsFailTheApplyAfterTheMinutesWereStored) {
    ExecutionFields f = Fields("12", "500000");
    ExecutionSettings::Apply(f);
    EXPECT_EQ("12", Stored("MINUTES_AFTER_HOUR"));
    EXPECT_EQ("1000", Stored("KEEP_LOGS_FOR"));
    EXPECT_EQ("0", Stored("VERBOSITY"));
    EXPECT_EQ(std::vector<std::string>{"Unable to apply settings|48|-"}, shower.calls);
}

}  // namespace
}  // namespace hdq
