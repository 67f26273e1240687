#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/datetime.h"

namespace hdq {
namespace {

constexpr DateTime kSample{2011, 3, 25, 14, 5, 9};

TEST(DateTime, ArithmeticCrossesYearsAndLeapDaysAndTruncatesToTheHour) {
    EXPECT_EQ(kSample, DateTime::FromSeconds(kSample.ToSeconds()));
    EXPECT_EQ((DateTime{2012, 1, 1, 0, 0, 0}), (DateTime{2011, 12, 31, 23, 59, 59}).AddSeconds(1));
    EXPECT_EQ((DateTime{2012, 2, 29}), (DateTime{2012, 2, 28}).AddDays(1));
    EXPECT_EQ((DateTime{2100, 3, 1}), (DateTime{2100, 2, 28}).AddDays(1));
    EXPECT_EQ((DateTime{2011, 3, 24, 23, 59, 0}), (DateTime{2011, 3, 25}).AddMinutes(-1));
    EXPECT_EQ((DateTime{2011, 3, 25, 14, 0, 0}), TruncateToHour(kSample));
}

// LAST_RUN, log file names and CSV file names are written in these forms.
TEST(DateTime, WritesTheTextFormsOfTheIniFileAndFileNames) {
    EXPECT_EQ("2011-03-25 14:05:09", FormatGeneral(kSample));
    EXPECT_EQ("2011-03-25", FormatGeneral(kSample.Date()));
    EXPECT_EQ("2011-03-25 00:00:01", FormatGeneral(kSample.Date().AddSeconds(1)));
    EXPECT_EQ("03_25_2011__14_05_09", FormatPattern(kSample, "mm_dd_yyyy__hh_nn_ss"));
    EXPECT_EQ("03-25-2011 14:05:09", FormatPattern(kSample, "MM-dd-yyyy HH:mm:ss"));
    EXPECT_EQ("2011032514", FormatPattern(kSample, "YYYYMMDDHH"));
}

TEST(DateTime, ParsesEveryAcceptedForm) {
    const DateTime noSeconds{2011, 3, 25, 14, 5, 0};
    const struct {
        const char* text;
        DateTime expected;
    } cases[] = {
        {"2011-03-25", kSample.Date()},           {"2011-03-25 14:05:09", kSample},
        {"2011-03-25 14:05", noSeconds},          {"2011-03-25T14:05:09", kSample},
        {"03-25-2011 14:05:09", kSample},         {"2011/03/25 14:05", noSeconds},
        {"2011/03/25 14:05:09", kSample},         {"3/25/2011", kSample.Date()},
        {"3/25/2011 14:05", noSeconds},           {"3/25/2011 2:05:09 PM", kSample},
        {"3/25/2011 2:05pm", noSeconds},          {"3/25/2011 12:30 am", DateTime{2011, 3, 25, 0, 30, 0}},
        {"3/25/2011 12:30 PM", DateTime{2011, 3, 25, 12, 30, 0}},
        {"  2011-03-25 14:05:09\t", kSample},     {"2012-02-29", DateTime{2012, 2, 29}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, ParseDateTime(c.text)) << '"' << c.text << '"';
}

TEST(DateTime, RejectsMalformedAndImpossibleText) {
    for (const char* bad : {"", "   ", "tomorrow", "2011-02-30", "2011-02-29", "2011-13-01", "2011-00-10",
                            "2011-03-25 24:00", "2011-03-25 14:60", "2011-03-25 14:05:60", "2011-03-25 14",
                            "2011-03-25 14:5", "2011-03-25x", "2011-03-25 14:05:09 PM", "3/25/2011 13:00 PM",
                            "3/25/2011 0:30 AM", "3/25/2011 PM", "25.03.2011", "2011-03/25", "20110-03-25",
                            "11-03-25", "2011-03-25T", "03-25-2011T14:05:09", "2011-03-25 14:05:09 extra"}) {
        EXPECT_EQ(std::nullopt, ParseDateTime(bad)) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace hdq
