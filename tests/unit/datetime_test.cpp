#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"

namespace hdq {
namespace {

constexpr DateTime kSample{2011, 3, 25, 14, 5, 9};

TEST(DateTime, CountsSecondsFromTheFirstDayOfYearOne) {
    EXPECT_EQ(0, kZeroDate.ToSeconds());
    EXPECT_EQ(86400, (DateTime{1, 1, 2}).ToSeconds());
    // 0001-01-01 to 1970-01-01 is 719162 days.
    EXPECT_EQ(int64_t{719162} * 86400, (DateTime{1970, 1, 1}).ToSeconds());
    EXPECT_EQ(kSample, DateTime::FromSeconds(kSample.ToSeconds()));
    EXPECT_EQ((DateTime{9999, 12, 31, 23, 59, 59}),
              DateTime::FromSeconds((DateTime{9999, 12, 31, 23, 59, 59}).ToSeconds()));
}

TEST(DateTime, ArithmeticCrossesDaysMonthsYearsAndLeapDaysAndTruncatesToTheHour) {
    EXPECT_EQ((DateTime{2011, 3, 26, 0, 0, 0}), (DateTime{2011, 3, 25, 23, 0, 0}).AddSeconds(3600));
    EXPECT_EQ((DateTime{2012, 1, 1, 0, 0, 0}), (DateTime{2011, 12, 31, 23, 59, 59}).AddSeconds(1));
    EXPECT_EQ((DateTime{2012, 2, 29}), (DateTime{2012, 2, 28}).AddDays(1));
    EXPECT_EQ((DateTime{2011, 3, 1}), (DateTime{2011, 2, 28}).AddDays(1));
    EXPECT_EQ((DateTime{2000, 2, 29}), (DateTime{2000, 3, 1}).AddDays(-1));
    EXPECT_EQ((DateTime{2100, 3, 1}), (DateTime{2100, 2, 28}).AddDays(1));
    EXPECT_EQ((DateTime{2011, 3, 24, 23, 59, 0}), (DateTime{2011, 3, 25}).AddMinutes(-1));
    EXPECT_EQ(366 * 86400, (DateTime{2013, 1, 1}).ToSeconds() - (DateTime{2012, 1, 1}).ToSeconds());
    EXPECT_EQ((DateTime{2011, 3, 25, 14, 0, 0}), TruncateToHour(kSample));
}

TEST(DateTime, KnowsLeapYearsMonthLengthsAndValidity) {
    EXPECT_TRUE(IsLeapYear(2012) && IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900) || IsLeapYear(2011));
    EXPECT_EQ((std::vector<int>{29, 28, 30, 31}),
              (std::vector<int>{DaysInMonth(2012, 2), DaysInMonth(2011, 2), DaysInMonth(2011, 4), DaysInMonth(2011, 12)}));
    EXPECT_TRUE(kSample.IsValid());
    EXPECT_FALSE((DateTime{2011, 2, 29}).IsValid());
    EXPECT_FALSE((DateTime{2011, 13, 1}).IsValid());
    EXPECT_FALSE((DateTime{2011, 1, 1, 24, 0, 0}).IsValid());
}

TEST(DateTime, WritesTheGeneralFormDroppingAMidnightTime) {
    EXPECT_EQ("2011-03-25 14:05:09", FormatGeneral(kSample));
    EXPECT_EQ("2011-03-25", FormatGeneral(kSample.Date()));
    EXPECT_EQ("2011-03-25 00:00:01", FormatGeneral(kSample.Date().AddSeconds(1)));
    EXPECT_EQ("0001-01-01", FormatShortDate(kZeroDate));
}

TEST(DateTime, FormatsThePatternsTheProgramUses) {
    EXPECT_EQ("03_25_2011__14_05_09", FormatPattern(kSample, "mm_dd_yyyy__hh_nn_ss"));
    EXPECT_EQ("03-25-2011 14:05:09", FormatPattern(kSample, "MM-dd-yyyy HH:mm:ss"));
    EXPECT_EQ("2011/03/25 14:00", FormatPattern(kSample, "yyyy/mm/dd hh:00"));
    EXPECT_EQ("2011032514", FormatPattern(kSample, "YYYYMMDDHH"));
    EXPECT_EQ("14:00:00", FormatPattern(kSample, "hh:00:00"));
    EXPECT_EQ("03/25/2011", FormatPattern(kSample, "mm/dd/yyyy"));
    EXPECT_EQ("14:05:09", FormatPattern(kSample, "hh:mm:ss"));
    EXPECT_EQ("00:00:00", FormatPattern(kSample.Date(), "hh:nn:ss"));
}

TEST(DateTime, ParsesEveryAcceptedForm) {
    const DateTime noSeconds{2011, 3, 25, 14, 5, 0};
    EXPECT_EQ(kSample.Date(), ParseDateTime("2011-03-25"));
    EXPECT_EQ(kSample, ParseDateTime("2011-03-25 14:05:09"));
    EXPECT_EQ(noSeconds, ParseDateTime("2011-03-25 14:05"));
    EXPECT_EQ(kSample, ParseDateTime("2011-03-25T14:05:09"));
    EXPECT_EQ(kSample, ParseDateTime("03-25-2011 14:05:09"));
    EXPECT_EQ(noSeconds, ParseDateTime("2011/03/25 14:05"));
    EXPECT_EQ(kSample, ParseDateTime("2011/03/25 14:05:09"));
    EXPECT_EQ(kSample.Date(), ParseDateTime("3/25/2011"));
    EXPECT_EQ(noSeconds, ParseDateTime("3/25/2011 14:05"));
    EXPECT_EQ(kSample, ParseDateTime("3/25/2011 2:05:09 PM"));
    EXPECT_EQ(noSeconds, ParseDateTime("3/25/2011 2:05pm"));
    EXPECT_EQ((DateTime{2011, 3, 25, 0, 30, 0}), ParseDateTime("3/25/2011 12:30 am"));
    EXPECT_EQ((DateTime{2011, 3, 25, 12, 30, 0}), ParseDateTime("3/25/2011 12:30 PM"));
    EXPECT_EQ(kSample, ParseDateTime("  2011-03-25 14:05:09\t"));
    EXPECT_EQ((DateTime{2012, 2, 29}), ParseDateTime("2012-02-29"));
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

TEST(DateTime, GeneralTextReadsBackAsTheSameValue) {
    for (const DateTime& d : {kSample, kSample.Date(), DateTime{1999, 12, 31, 23, 59, 59}, DateTime{2012, 2, 29, 0, 0, 1}}) {
        EXPECT_EQ(d, ParseDateTime(FormatGeneral(d))) << FormatGeneral(d);
        EXPECT_EQ(d, ParseDateTime(FormatPattern(d, "MM-dd-yyyy HH:mm:ss")));
    }
}

}  // namespace
}  // namespace hdq
