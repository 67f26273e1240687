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

TEST_F(ExecutionSettingsTest, NumbersAreRoundedHalfToEvenAndStoredWhenAllAreInRange) {
    const struct {
        std::string minutes, days, storedMinutes, storedDays;
    } cases[] = {{"7.5", "7", "8", "7"}, {"6.5", "1000", "6", "1000"}, {" 30 ", "999.5", "30", "1000"},
                 {"0", "8.5", "0", "8"}, {"59", "30", "59", "30"}};
    for (const auto& c : cases) {
        ExecutionFields f = Fields(c.minutes, c.days);
        ASSERT_EQ("", ExecutionSettings::ApplySettings(f)) << c.minutes << " " << c.days;
        EXPECT_EQ(c.storedMinutes, Stored("MINUTES_AFTER_HOUR")) << c.minutes;
        EXPECT_EQ(c.storedDays, Stored("KEEP_LOGS_FOR")) << c.days;
        EXPECT_EQ("2", Stored("VERBOSITY"));
    }
    EXPECT_TRUE(shower.calls.empty());
}

TEST_F(ExecutionSettingsTest, AnOutOfRangeFieldIsNamedAndNothingOfThatApplyIsStored) {
    const std::string minutes = "Minutes after the hour must be between 0 and 59|48|-";
    const std::string days = "Days to keep logs must be between 7 and 1000|48|-";
    const std::string level = "Level of detail to log must be Normal, Medium or High|48|-";
    const struct {
        std::string minutes, days;
        int level;
        std::string message;
    } cases[] = {{"60", "30", 1, minutes},     {"-1", "30", 1, minutes},   {"59.5", "30", 1, minutes},
                 {"99999", "30", 1, minutes},  {"12", "6.5", 1, days},     {"12", "1001", 1, days},
                 {"12", "500000", 1, days},    {"12", "30", -1, level},    {"12", "30", 3, level}};
    for (const auto& c : cases) {
        shower.calls.clear();
        ExecutionFields f = Fields(c.minutes, c.days);
        f.verbosityIndex = c.level;
        ExecutionSettings::Apply(f);
        EXPECT_EQ(std::vector<std::string>{c.message}, shower.calls) << c.minutes << " " << c.days << " " << c.level;
        EXPECT_EQ("0", Stored("MINUTES_AFTER_HOUR"));
        EXPECT_EQ("1000", Stored("KEEP_LOGS_FOR"));
        EXPECT_EQ("0", Stored("VERBOSITY"));
    }
}

}  // namespace
}  // namespace hdq
