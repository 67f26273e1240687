#include <gtest/gtest.h>

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

TEST_F(CsvCheck, DeletesAFileWithoutUsableData) {
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
}

TEST_F(CsvCheck, DeletesAFileHoldingOnlyItsHeader) {
    // Kept, it would leave with the next successful hour's move as if it were exported.
    channel.csvContents = {"$date,$time,A,B,C\r\n"};
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("ERROR (62): Input past end of file"));
    EXPECT_FALSE(CsvKept());
}

TEST_F(CsvCheck, OrdersTheFileOnceMoreWhenTheHeaderIsMissing) {
    channel.csvContents = {"no header here\r\n03/25/2009,14:00:00,1\r\nmore\r\n", kGoodCsv};
    EXPECT_TRUE(RequestHour());
    EXPECT_EQ(2, channel.writeCount);
    EXPECT_TRUE(sb.Logged("Did not find $DATE,$TIME, in NO HEADER HERE"));
    EXPECT_EQ(kGoodCsv, test::ReadFile(csv));
}

TEST_F(CsvCheck, ChecksTheRewrittenFileNotTheFirstOne) {
    // The first file's second line would pass; the rewritten file has no data.
    channel.csvContents = {"no header here\r\n03/25/2009,14:00:00,1\r\nmore\r\n", "$date,$time,A\r\nab\r\nmore\r\n"};
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("Second line: ab, len: 2"));
    EXPECT_FALSE(CsvKept());
}

TEST_F(CsvCheck, RefusesARewrittenFileThatStillLacksItsHeader) {
    // Taken as it is, it would reach the importer with its first data row read as column names.
    channel.csvContents = {"no header here\r\n03/25/2009,14:00:00,1\r\nmore\r\n"};
    EXPECT_FALSE(RequestHour());
    EXPECT_EQ(2, channel.writeCount);
    EXPECT_TRUE(sb.Logged("Error: Unable to create CSV file for: 2009/03/25 14:00"));
    EXPECT_FALSE(sb.LoggedStartingWith("Created CSV file for: "));
    EXPECT_FALSE(CsvKept());
}

TEST_F(CsvCheck, DeletesTheFileWhenTheSecondWriteFails) {
    channel.csvContents = {"no header here\r\n03/25/2009,14:00:00,1\r\nmore\r\n"};
    channel.errorAnswers = {"None", "Disk full"};
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("Error: Unable to create CSV file for: 2009/03/25 14:00"));
    EXPECT_FALSE(CsvKept());
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
