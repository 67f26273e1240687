#include <gtest/gtest.h>

#include "app/shared.h"
#include "core/error.h"
#include "fake_dde.h"
#include "tagdict/tagnamex.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

using test::TagRecord;

class TagnameXParserTest : public ::testing::Test {
protected:
    test::AppSandbox sb;
    std::string path = sb / "tagname.x";

    std::vector<std::string> ReadNames(const std::vector<TagRecord>& records, size_t tail = 0) {
        test::WriteTagnameX(path, records, tail);
        TagnameXParser reader;
        ApplyValidTrendBytes(reader);
        EXPECT_TRUE(reader.ReadTAGNAMEXfile(path));
        std::vector<std::string> names;
        for (reader.MoveFirst(); !reader.Eof(); reader.MoveNext()) names.push_back(reader.CurrentTAG());
        return names;
    }
};

TEST_F(TagnameXParserTest, ReadsAHeaderOnlyFileAsAnEmptyListAndFailsOnAMissingOrTooShortFile) {
    test::WriteTagnameX(path, {});
    TagnameXParser reader;
    EXPECT_TRUE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(0, reader.Count());
    EXPECT_TRUE(reader.Eof());
    try {
        reader.CurrentTAG();
        FAIL() << "reading past the end must raise";
    } catch (const VrxError& e) {
        EXPECT_EQ(9, e.Number());
        EXPECT_EQ("Subscript out of range", e.Description());
    }
    EXPECT_THROW(reader.CurrentDESCRIPTION(), VrxError);

    EXPECT_FALSE(reader.ReadTAGNAMEXfile(sb / "missing.x"));
    test::WriteFile(path, std::string(511, '\0'));
    EXPECT_FALSE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(0, reader.Count());
}

TEST_F(TagnameXParserTest, TrimsNamesKeepsDescriptionsAndIgnoresAShortPieceAfterTheLastRecord) {
    // A tail of 100 bytes of 'x', parsed as a record, would yield a tag.
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), ReadNames({{"A"}, {"B"}, {"C"}}, 100));
    const std::string longName(33, 'N');
    test::WriteTagnameX(path, {{"  Pump1  ", "  flow, m3/h  "}, {longName, std::string(51, 'd')}});
    TagnameXParser reader;
    ASSERT_TRUE(reader.ReadTAGNAMEXfile(path));
    ASSERT_EQ(2, reader.Count());
    EXPECT_EQ("Pump1", reader.CurrentTAG());
    EXPECT_EQ("  flow, m3/h  ", reader.CurrentDESCRIPTION());
    reader.MoveNext();
    EXPECT_EQ(longName, reader.CurrentTAG());
    EXPECT_EQ(std::string(51, 'd'), reader.CurrentDESCRIPTION());
}

TEST_F(TagnameXParserTest, PassesOverBlankNamesSilentlyAndCountsOnlyTakenTags) {
    sb.Set("VERBOSITY", "1");
    test::WriteTagnameX(path, {{"    ", "blank", 1}, {"Skipped", "not trended", 3, 4}, {"Taken", "level", 9, 7}});
    TagnameXParser reader;
    ASSERT_TRUE(reader.ReadTAGNAMEXfile(path));
    EXPECT_EQ(1, reader.Count());
    EXPECT_EQ(1, reader.CurrentINDEX());
    EXPECT_EQ("Taken", reader.CurrentTAG());
    EXPECT_TRUE(sb.Logged("TAGNAMEXPARSER_ADDED : Taken, 7, Trend Byte: 9, level"));
    EXPECT_TRUE(sb.Logged("TAGNAMEXPARSER_SKIPPED : Skipped, 4, Trend Byte: 3, not trended"));
    EXPECT_FALSE(sb.LoggedStartingWith("TAGNAMEXPARSER_ADDED : ,"));
    EXPECT_FALSE(sb.LoggedStartingWith("TAGNAMEXPARSER_SKIPPED : ,"));
}

TEST_F(TagnameXParserTest, AcceptsExtraTrendBytesOnlyWhenConfigured) {
    const std::vector<TagRecord> records{{"Nine", "", 9}, {"Three", "", 3}, {"Five", "", 5}, {"Byte44", "", 44}};
    EXPECT_EQ((std::vector<std::string>{"Nine"}), ReadNames(records));
    sb.Set("VALIDTRENDBYTES", "3");
    EXPECT_EQ((std::vector<std::string>{"Nine", "Three"}), ReadNames(records));
    sb.Set("VALIDTRENDBYTES", "3:5");
    EXPECT_EQ((std::vector<std::string>{"Nine", "Three", "Five"}), ReadNames(records));
    // 300 is a 16-bit number but no byte: ignored. 300 - 256 = 44 must not sneak in.
    sb.Set("VALIDTRENDBYTES", "300");
    EXPECT_EQ((std::vector<std::string>{"Nine"}), ReadNames(records));
}

TEST_F(TagnameXParserTest, HandsABadTrendBytePieceToTheCallerAndCannotBeCreatedWithANonNumericVerbosity) {
    TagnameXParser reader;
    const std::pair<const char*, long> cases[] = {{"word", 13}, {"1::9", 13}, {"70000", 6}};
    for (const auto& [value, number] : cases) {
        sb.Set("VALIDTRENDBYTES", value);
        try {
            ApplyValidTrendBytes(reader);
            ADD_FAILURE() << value << " must raise";
        } catch (const VrxError& e) {
            EXPECT_EQ(number, e.Number()) << value;
        }
    }
    sb.Set("VERBOSITY", "loud");
    try {
        TagnameXParser another;
        ADD_FAILURE() << "creation must fail";
    } catch (const VrxError& e) {
        EXPECT_EQ(13, e.Number());
    }
}

}  // namespace
}  // namespace hdq
