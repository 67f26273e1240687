#include <gtest/gtest.h>

#include <deque>

#include "fake_dde.h"

namespace hdq {
namespace {

class CsvCheck : public ::testing::Test, protected test::DdeFormHarness {};

// Each case is one request: what HistData writes on each write order, whether the hour is
// accepted (its file stays in the cache) or refused (no file of the hour is left), how many
// write orders it took, a line the check logs on the way, HistData's answers to ERROR, and
// whether the refusal means the hour has no history at all (nothing to ask for again).
TEST_F(CsvCheck, AcceptsOnlyAFileWithHeaderAndDataAskingOnceMoreForAFileWithoutHeader) {
    const std::string rows = "03/25/2009,14:10:00,1.5,2\r\n03/25/2009,14:11:00,1.5,2\r\n";
    const std::string noHeader = "no header here\r\n03/25/2009,14:00:00,1\r\nmore\r\n";
    struct Case {
        std::deque<std::string> contents;
        bool ok;
        int writes;
        const char* logged;
        std::deque<std::string> errorAnswers = {"None"};
        bool noData = false;
    };
    const Case cases[] = {
        {{"$DATE,$TIME,TagA,TagB\r\n" + rows}, true, 1, "Created CSV file for: 2009/03/25 14:00"},
        // The header may stand anywhere on the first line, in any case.
        {{"  Report: $date,$Time,TagA\r\n" + rows}, true, 1, "Created CSV file for: 2009/03/25 14:00"},
        {{"$date,$time,A\r03/25/2009,14:00:00,1\r03/25/2009,14:01:00,1\r"}, true, 1,
         "Second line: 03/25/2009,14:00:00,1, len: 21"},
        {{"$date,$time,A,B,C\r\n"}, false, 1, "Warning: No data in WonderWare for 2009/03/25 14:00", {"None"}, true},
        {{"$date,$time,A,B,C\r\n\r\n"}, false, 1, "Second line: , len: 0", {"None"}, true},
        // One row is data all the same: refused, but to be asked for again, never dropped.
        {{"$date,$time,A\r\n03/25/2009,14:00:00,1"}, false, 1, "Warning: No data in WonderWare for 2009/03/25 14:00"},
        {{"$date,$time,A\r\n1234\r\n03/25/2009,14:01:00,1\r\n"}, false, 1, "Second line: 1234, len: 4"},
        {{noHeader, kGoodCsv}, true, 2, "Did not find $DATE,$TIME, in NO HEADER HERE"},
        // The first file's second line would pass; only the rewritten file counts.
        {{noHeader, "$date,$time,A\r\nab\r\nmore\r\n"}, false, 2, "Second line: ab, len: 2"},
        // Still without header, its first data row would reach the importer as column names.
        {{noHeader}, false, 2, "Error: Unable to create CSV file for: 2009/03/25 14:00"},
        {{noHeader}, false, 2, "Error: Unable to create CSV file for: 2009/03/25 14:00", {"None", "Disk full"}},
    };
    const std::string csv = CsvPathOf("2009032514.CSV");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents.back());
        channel.csvContents = c.contents;
        channel.errorAnswers = c.errorAnswers;
        channel.writeCount = 0;
        const int logged = sb.CountLogged(c.logged);
        const int refused = sb.CountLogged("Error: Unable to verify CSV files");
        EXPECT_EQ(c.ok, RequestHour());
        EXPECT_EQ(c.writes, channel.writeCount);
        EXPECT_EQ(c.noData, form.NoData());
        EXPECT_EQ(logged + 1, sb.CountLogged(c.logged));
        EXPECT_EQ(refused + (c.ok ? 0 : 1), sb.CountLogged("Error: Unable to verify CSV files"));
        EXPECT_EQ(c.ok ? c.contents.back() : "", test::ReadFile(csv));
        EXPECT_EQ(c.ok ? 1u : 0u, test::FilesIn(sb / "cache").size());
    }
}

}  // namespace
}  // namespace hdq
