#include <gtest/gtest.h>

#include <functional>

#include "app/shared.h"
#include "core/error.h"
#include "fake_dde.h"
#include "tagdict/tagnamex.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

using test::TagRecord;
using Names = std::vector<std::string>;

class TagnameXParserTest : public ::testing::Test {
protected:
    Names ReadNames(const std::vector<TagRecord>& records, size_t tail = 0) {
        test::WriteTagnameX(path, records, tail);
        TagnameXParser reader;
        ApplyValidTrendBytes(reader, trendBytes);
        EXPECT_TRUE(reader.ReadTAGNAMEXfile(path));
        Names names;
        for (reader.MoveFirst(); !reader.Eof(); reader.MoveNext()) names.push_back(reader.CurrentTAG());
        return names;
    }
    test::AppSandbox sb;
    std::string path = sb / "tagname.x";
    std::string trendBytes;
};

TEST_F(TagnameXParserTest, ReadsAHeaderOnlyFileAsAnEmptyListAndFailsOnAMissingOrTooShortFile) {
    test::WriteTagnameX(path, {});
    TagnameXParser reader;
    EXPECT_TRUE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(0, reader.Count());
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(9, test::ErrorNumberOf([&] { reader.CurrentTAG(); }));

    EXPECT_FALSE(reader.ReadTAGNAMEXfile(sb / "missing.x"));
    test::WriteFile(path, std::string(511, '\0'));
    EXPECT_FALSE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(0, reader.Count());
}

TEST_F(TagnameXParserTest, TrimsNamesWithinTheirFieldAndIgnoresAShortPieceAfterTheLastRecord) {
    // A tail of 100 bytes of 'x', parsed as a record, would yield a tag.
    EXPECT_EQ((Names{"A", "B", "C"}), ReadNames({{"A", "a"}, {"B", "b"}, {"C", "c"}}, 100));
    // The description starts right after a full 33-byte name.
    const std::string longName(33, 'N');
    EXPECT_EQ((Names{"Pump1", longName}), ReadNames({{"  Pump1  ", "flow"}, {longName, "description"}}));
}

TEST_F(TagnameXParserTest, PassesOverBlankNamesSilentlyAndCountsOnlyTakenTags) {
    test::WriteTagnameX(path, {{"    ", "blank", 1}, {"Skipped", "not trended", 3, 4}, {"Taken", "level", 9, 7}});
    TagnameXParser reader("1", &AppLog());
    ASSERT_TRUE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(1, reader.Count());
    EXPECT_EQ(1, reader.CurrentINDEX());
    EXPECT_EQ("Taken", reader.CurrentTAG());
    EXPECT_TRUE(sb.Logged("TAGNAMEXPARSER_ADDED : Taken, 7, Trend Byte: 9, level"));
    EXPECT_TRUE(sb.Logged("TAGNAMEXPARSER_SKIPPED : Skipped, 4, Trend Byte: 3, not trended"));
    EXPECT_FALSE(sb.LoggedStartingWith("TAGNAMEXPARSER_ADDED : ,"));
    EXPECT_FALSE(sb.LoggedStartingWith("TAGNAMEXPARSER_SKIPPED : ,"));
}

TEST_F(TagnameXParserTest, SkipsAndLogsNamesThatWouldBreakAnIniLineOrTheTagList) {
    test::WriteTagnameX(path, {{"A\r\nDDE_HISTDATA_FOLDER=x", ""}, {"A,B", ""}, {"A+B", ""}, {"A\tB", ""}, {"Plain", ""}});
    TagnameXParser reader("0", &AppLog());
    ASSERT_TRUE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(1, reader.Count());
    EXPECT_EQ("Plain", reader.CurrentTAG());
    for (const char* shown : {"A\\x0D\\x0ADDE_HISTDATA_FOLDER=x", "A,B", "A+B", "A\\x09B"}) {
        EXPECT_TRUE(sb.Logged(std::string("Skip tag entry that cannot be used in a tag list: ") + shown)) << shown;
    }
}

TEST_F(TagnameXParserTest, AcceptsExtraTrendBytesOnlyWhenConfiguredAndRaisesOnABadPiece) {
    const std::vector<TagRecord> records{{"Nine", "", 9}, {"Three", "", 3}, {"Five", "", 5}, {"Byte44", "", 44}};
    // 300 is a 16-bit number but no byte: ignored. 300 - 256 = 44 must not sneak in.
    const std::pair<const char*, Names> accepted[] = {
        {"", {"Nine"}}, {"3", {"Nine", "Three"}}, {"3:5", {"Nine", "Three", "Five"}}, {"300", {"Nine"}}};
    for (const auto& [setting, names] : accepted) {
        trendBytes = setting;
        EXPECT_EQ(names, ReadNames(records)) << setting;
    }

    TagnameXParser reader;
    const std::pair<const char*, long> refused[] = {{"word", 13}, {"1::9", 13}, {"70000", 6}};
    for (const auto& [setting, number] : refused) {
        EXPECT_EQ(number, test::ErrorNumberOf([&] { ApplyValidTrendBytes(reader, setting); })) << setting;
    }
    EXPECT_EQ(13, test::ErrorNumberOf([] { TagnameXParser another("loud"); }));
}

}  // namespace
}  // namespace hdq
