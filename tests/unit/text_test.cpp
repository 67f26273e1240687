#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
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
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"7.5", 8}, {"6.5", 6}, {"-2.5", -2}, {"6.51", 7}, {"32767.4", 32767}, {"-32768", -32768},
        {"32767.5", std::nullopt} /* rounds to 32768 */, {"-32769", std::nullopt}, {"ten", std::nullopt}};
    for (const auto& [text, value] : cases) {
        const auto got = ToInt16(text);
        EXPECT_EQ(value, got ? std::optional<int>(*got) : std::nullopt) << text;
    }

    EXPECT_EQ(2147483647, *ToInt32("2,147,483,647"));
    EXPECT_FALSE(ToInt32("2147483648").has_value());
    EXPECT_EQ(4, RoundHalfEven(4.5));
    EXPECT_EQ(-4, RoundHalfEven(-3.5));
    EXPECT_EQ(2147483647, RoundHalfEven(1e20));
}

TEST(Text, ReadsBooleansAsWordsOrNumbers) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"TRUE", true}, {"true", true}, {"False", false}, {"-1", true},
        {"0.5", true},  {"0", false},   {"yes", std::nullopt}, {"", std::nullopt}};
    for (const auto& [text, value] : cases) EXPECT_EQ(value, ParseBool(text)) << text;
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
