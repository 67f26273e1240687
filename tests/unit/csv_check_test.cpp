#include <gtest/gtest.h>

#include <deque>

#include "fake_dde.h"

namespace hdq {
namespace {

class CsvCheck : public ::testing::Test, protected test::DdeFormHarness {
protected:
    std::string csv = CsvPathOf("2009032514.CSV");
    bool CsvKept() const { return !test::FilesIn(sb / "cache").empty(); }
};

TEST_F(CsvCheck, AcceptsTheHeaderInAnyCaseAnywhereOnTheFirstLine) {
    std::string rows;
    for (int i = 0; i < 60; ++i) rows += "03/25/2009,14:" + std::to_string(10 + i % 50) + ":00,1.5,2\r\n";
    for (const char* header : {"$Date,$Time,TagA,TagB", "$DATE,$TIME,TagA,TagB", "  Report: $date,$Time,TagA"}) {
        channel.csvContents = {std::string(header) + "\r\n" + rows};
        EXPECT_TRUE(RequestHour()) << header;
        EXPECT_TRUE(CsvKept()) << header;
    }
    EXPECT_TRUE(sb.Logged("Created CSV file for: 2009/03/25 14:00"));
    EXPECT_TRUE(sb.Logged("Compare: 9"));
}

TEST_F(CsvCheck, ReadsLinesEndedByABareCarriageReturn) {
    channel.csvContents = {"$date,$time,A\r03/25/2009,14:00:00,1\r03/25/2009,14:01:00,1\r"};
    EXPECT_TRUE(RequestHour());
    EXPECT_TRUE(sb.Logged("Second line: 03/25/2009,14:00:00,1, len: 21"));
}

TEST_F(CsvCheck, DeletesAFileWithoutUsableDataOrHoldingOnlyItsHeader) {
    const char* noData[] = {
        "$date,$time,A\r\n03/25/2009,14:00:00,1\r\n",  // one data line, then the end
        "$date,$time,A\r\n03/25/2009,14:00:00,1",      // the same without a line end
        "$date,$time,A\r\n1234\r\n03/25/2009,14:01:00,1\r\n",  // too short to be data
    };
    for (const char* content : noData) {
        channel.csvContents = {content};
        EXPECT_FALSE(RequestHour()) << content;
        EXPECT_FALSE(CsvKept()) << content;
    }
    EXPECT_EQ(3, sb.CountLogged("Warning: No data in WonderWare for 2009/03/25 14:00"));
    EXPECT_TRUE(sb.Logged("Error: Unable to verify CSV files"));

    // Kept, a header-only file would leave with the next good hour's move as if exported.
    channel.csvContents = {"$date,$time,A,B,C\r\n"};
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("ERROR (62): Input past end of file"));
    EXPECT_FALSE(CsvKept());
}

TEST_F(CsvCheck, OrdersAFileWithoutHeaderOnceMoreAndChecksOnlyTheRewrittenOne) {
    const std::string noHeader = "no header here\r\n03/25/2009,14:00:00,1\r\nmore\r\n";
    struct Case {
        std::deque<std::string> contents, errors;
        bool ok;
        const char* logged;
    };
    const Case cases[] = {
        {{noHeader, kGoodCsv}, {"None"}, true, "Did not find $DATE,$TIME, in NO HEADER HERE"},
        // The first file's second line would pass; the rewritten file has no data.
        {{noHeader, "$date,$time,A\r\nab\r\nmore\r\n"}, {"None"}, false, "Second line: ab, len: 2"},
        // Still without header, its first data row would reach the importer as column names.
        {{noHeader}, {"None"}, false, "Error: Unable to create CSV file for: 2009/03/25 14:00"},
        {{noHeader}, {"None", "Disk full"}, false, "Error: Unable to create CSV file for: 2009/03/25 14:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        channel.csvContents = c.contents;
        channel.errorAnswers = c.errors;
        channel.writeCount = 0;
        const int created = sb.CountLogged("Created CSV file for: 2009/03/25 14:00");
        EXPECT_EQ(c.ok, RequestHour());
        EXPECT_EQ(created + (c.ok ? 1 : 0), sb.CountLogged("Created CSV file for: 2009/03/25 14:00"));
        EXPECT_EQ(2, channel.writeCount);
        EXPECT_TRUE(sb.Logged(c.logged));
        EXPECT_EQ(c.ok ? kGoodCsv : "", test::ReadFile(csv));
    }
}

TEST_F(CsvCheck, FailsWithoutAFile) {
    channel.csvContents.clear();
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("Start Check File Exist=" + csv));
    EXPECT_TRUE(sb.Logged("Error: Unable to verify CSV files"));
    EXPECT_FALSE(sb.LoggedStartingWith("First line: "));
}

}  // namespace
}  // namespace hdq
