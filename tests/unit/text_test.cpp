#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "core/sha256.h"
#include "core/text.h"

namespace hdq {
namespace {

TEST(Text, WildcardsMatchAsOnTheWindowsFileSystem) {
    const struct {
        const char *pattern, *name;
        bool matches;
    } cases[] = {{"*.csv", "2011032514.CSV", true}, {"*.csv", "a.csv.bak", false}, {"*.csv", "acsv", false},
                 {"log_??.txt", "LOG_12.TXT", true}, {"log_??.txt", "log_1.txt", false}, {"*a*b*", "xxAyyBzz", true},
                 {"*a*b*", "xxbyyazz", false},       {"*", "", true},                     {"*.*", "noextension", true},
                 {"Tagname.X", "tagname.x", true},   {"tagname.x", "tagname.x2", false}};
    for (const auto& c : cases) EXPECT_EQ(c.matches, WildcardMatch(c.pattern, c.name)) << c.pattern << " " << c.name;
}

// Settings such as VALIDTRENDBYTES, DDE_TIMEOUT and SELECTALLTAGS go through these before they are used.
TEST(Text, ReadsNumbersAndBooleansAndRoundsHalfToEvenWithinTheIntegerRange) {
    for (const char* yes : {"0", "  42 ", "-7", "+3.5", "1,234.5", ".5", "5.", "1e3", "2.5E-2", " -1,000,000 "}) {
        EXPECT_TRUE(IsNumeric(yes)) << yes;
    }
    for (const char* no : {"", "   ", "abc", "12a", "1.2.3", "-", ".", "e5", "1e", "1e+", ",5", "5,", "1 2",
                           "0x10", "1e999"}) {
        EXPECT_FALSE(IsNumeric(no)) << no;
    }
    EXPECT_DOUBLE_EQ(-0.025, *ParseNumber(" -2.5e-2 "));

    const std::pair<const char*, std::optional<int>> cases[] = {
        {"7.5", 8}, {"6.5", 6}, {"-2.5", -2}, {"6.51", 7}, {"32767.4", 32767}, {"-32768", -32768},
        {"32767.5", std::nullopt} /* rounds to 32768 */, {"-32769", std::nullopt}, {"ten", std::nullopt}};
    for (const auto& [text, value] : cases) {
        const auto got = ToInt16(text);
        EXPECT_EQ(value, got ? std::optional<int>(*got) : std::nullopt) << text;
    }
    EXPECT_EQ(2147483647, *ToInt32("2,147,483,647"));
    EXPECT_FALSE(ToInt32("2147483648").has_value());

    // Booleans are words in any case, or numbers with non-zero meaning true.
    const std::pair<const char*, std::optional<bool>> flags[] = {
        {"True", true}, {"FALSE", false}, {"-1", true}, {"0.5", true}, {"0", false}, {"yes", std::nullopt}};
    for (const auto& [text, value] : flags) EXPECT_EQ(value, ParseBool(text)) << text;
}

TEST(Sha256, KnownDigestsWhateverPiecesTheBytesComeIn) {
    // Each fed in pieces of this many bytes, across the 64-byte blocks.
    const struct { std::string bytes; size_t piece; const char* digest; } cases[] = {
        {"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 55,
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), 997, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        Sha256 sha;
        for (size_t at = 0; at < c.bytes.size(); at += c.piece) sha.Update(std::string_view(c.bytes).substr(at, c.piece));
        EXPECT_EQ(c.digest, sha.Final()) << c.bytes.size();
    }
}

}  // namespace
}  // namespace hdq
