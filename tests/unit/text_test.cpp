#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"

namespace hdq {
namespace {

TEST(Text, TrimsOnlyTheCharactersItNames) {
    EXPECT_EQ("a b", Trim("  a b  "));
    EXPECT_EQ("\ta\r\n", Trim(" \ta\r\n "));
    EXPECT_EQ("a b", TrimWhite(" \t\r\na b\r\n"));
    EXPECT_EQ("", TrimWhite(" \t \r\n"));
}

TEST(Text, SplitKeepsEmptyFieldsAndGivesNothingForEmptyText) {
    EXPECT_EQ((std::vector<std::string>{"a", "", "b", ""}), Split("a::b:", ':'));
    EXPECT_EQ((std::vector<std::string>{"abc"}), Split("abc", ':'));
    EXPECT_TRUE(Split("", ':').empty());
}

TEST(Text, WildcardsMatchWithoutRegardToCase) {
    EXPECT_TRUE(WildcardMatch("*.csv", "2011032514.CSV"));
    EXPECT_TRUE(WildcardMatch("*.CSV", "a.csv"));
    EXPECT_FALSE(WildcardMatch("*.csv", "a.csv.bak"));
    EXPECT_FALSE(WildcardMatch("*.csv", "acsv"));
    EXPECT_TRUE(WildcardMatch("log_??.txt", "LOG_12.TXT"));
    EXPECT_FALSE(WildcardMatch("log_??.txt", "log_1.txt"));
    EXPECT_TRUE(WildcardMatch("*a*b*", "xxAyyBzz"));
    EXPECT_FALSE(WildcardMatch("*a*b*", "xxbyyazz"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("*.*", "noextension"));
    EXPECT_TRUE(WildcardMatch("Tagname.X", "tagname.x"));
    EXPECT_FALSE(WildcardMatch("tagname.x", "tagname.x2"));
}

TEST(Text, RecognisesNumbersWithSignGroupsPointAndExponent) {
    for (const char* yes : {"0", "  42 ", "-7", "+3.5", "1,234.5", ".5", "5.", "1e3", "2.5E-2", " -1,000,000 "}) {
        EXPECT_TRUE(IsNumeric(yes)) << yes;
    }
    for (const char* no : {"", "   ", "abc", "12a", "1.2.3", "-", ".", "e5", "1e", "1e+", ",5", "5,", "1 2",
                           "0x10", "1e999"}) {
        EXPECT_FALSE(IsNumeric(no)) << no;
    }
    EXPECT_DOUBLE_EQ(1234.5, *ParseNumber("1,234.5"));
    EXPECT_DOUBLE_EQ(-0.025, *ParseNumber(" -2.5e-2 "));
}

TEST(Text, ConvertsToIntegersRoundingHalfToEvenWithinRange) {
    EXPECT_EQ(8, *ToInt16("7.5"));
    EXPECT_EQ(6, *ToInt16("6.5"));
    EXPECT_EQ(-2, *ToInt16("-2.5"));
    EXPECT_EQ(7, *ToInt16("6.51"));
    EXPECT_EQ(32767, *ToInt16("32767.4"));
    EXPECT_EQ(-32768, *ToInt16("-32768"));
    EXPECT_FALSE(ToInt16("32767.5").has_value());  // rounds to 32768
    EXPECT_FALSE(ToInt16("-32769").has_value());
    EXPECT_FALSE(ToInt16("ten").has_value());

    EXPECT_EQ(2147483647, *ToInt32("2,147,483,647"));
    EXPECT_FALSE(ToInt32("2147483648").has_value());
    EXPECT_EQ(4, RoundHalfEven(4.5));
    EXPECT_EQ(-4, RoundHalfEven(-3.5));
    EXPECT_EQ(2147483647, RoundHalfEven(1e20));
}

TEST(Text, ReadsBooleansAsWordsOrNumbers) {
    EXPECT_EQ(true, ParseBool("TRUE"));
    EXPECT_EQ(true, ParseBool("true"));
    EXPECT_EQ(false, ParseBool("False"));
    EXPECT_EQ(true, ParseBool("-1"));
    EXPECT_EQ(true, ParseBool("0.5"));
    EXPECT_EQ(false, ParseBool("0"));
    EXPECT_FALSE(ParseBool("yes").has_value());
    EXPECT_FALSE(ParseBool("").has_value());
}

TEST(Text, FormatsNumbersWithThousandsGroupsAndFixedDecimals) {
    EXPECT_EQ("1,234.50", FormatGrouped(1234.5, 2));
    EXPECT_EQ("0.00", FormatGrouped(0, 2));
    EXPECT_EQ("999.00", FormatGrouped(999, 2));
    EXPECT_EQ("1,000,000", FormatGrouped(999999.7, 0));
    EXPECT_EQ("-12,345.7", FormatGrouped(-12345.67, 1));
    EXPECT_EQ("0.00", FormatGrouped(-0.001, 2));
}

}  // namespace
}  // namespace hdq
