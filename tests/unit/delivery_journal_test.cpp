// The delivery journal: what an auditor reads, whatever became of the journal's own writes.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/export_cycle.h"
#include "core/sha256.h"
#include "core/text.h"
#include "fake_dde.h"

namespace hdq {
namespace {

using Lines = std::vector<std::string>;
constexpr DateTime At(int hour) { return DateTime{2011, 3, 25, hour, 0, 0}; }
const std::string kNow = "2011-03-25 14:05:09";

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        sb.Set("OUTPUT_FOLDER", sb / "out");
        SetActivityList(&activity);
    }
    bool Run(int from, int to) {
        cycle.RangeStart = At(from);
        cycle.RangeEnd = At(to);
        return cycle.ProcessHistFiles();
    }
    Lines Journal() const { return test::ReadLines(sb / "deliveries\\2011-03.csv"); }
    std::string Delivered(int hour) const {
        const std::string content = test::ReadFile(sb / "out\\" + FormatPattern(At(hour), "yyyymmddhh") + ".CSV");
        Sha256 sha;
        sha.Update(content);
        return FormatGeneral(At(hour)) + "," + kNow + ",delivered,1," + std::to_string(content.size()) + "," + sha.Final();
    }
    long Logged(const std::string& start) const {
        return std::count_if(activity.lines.begin(), activity.lines.end(), [&](auto& l) { return StartsWith(l, start); });
    }

    test::AppSandbox sb;
    test::FakeClock clock;  // 2011-03-25 14:05:09
    test::RecordingActivityList activity;
    test::ScriptedForm form;
    ExportCycle cycle{form};
};

TEST_F(JournalTest, EachHourDeliveredWithoutDataOrGivenUpHasItsLineWithTheProofOfTheDeliveredFile) {
    sb.Set("LAST_RUN", FormatGeneral(At(10)));
    test::WriteFile(RetryFile(), "2011-03-18 13:00:00,2011-03-18 14:00:00\r\n");
    form.failHour[DateTime{2011, 3, 18, 13, 0, 0}] = 1;
    form.emptyHours = {At(11)};
    cycle.ServiceRunning = true;
    EXPECT_TRUE(Run(10, 12));
    EXPECT_EQ((Lines{kJournalHeader, Delivered(10), "2011-03-25 11:00:00," + kNow + ",no data,0,0,",
                     "2011-03-18 13:00:00," + kNow + ",given up,0,0,"}),
              Journal());
}

TEST_F(JournalTest, UnwritableJournalNeitherHoldsUpNorLosesAnHourAndSaysSoOnceEachWay) {
    test::WriteFile(sb / "deliveries", "a file where the folder goes");
    EXPECT_TRUE(Run(10, 12));
    EXPECT_EQ((Lines{"2011032510.CSV", "2011032511.CSV"}), test::FilesIn(sb / "out"));
    EXPECT_EQ(1, Logged("Error: Unable to write the delivery journal " + sb / "deliveries\\2011-03.csv: ("));
    fsys::DeleteFile(sb / "deliveries");
    EXPECT_TRUE(Run(12, 14));
    EXPECT_EQ((Lines{kJournalHeader, Delivered(10), Delivered(11), Delivered(12), Delivered(13)}), Journal());
    EXPECT_EQ(1, Logged("The delivery journal " + sb / "deliveries\\2011-03.csv is written again"));
}

TEST_F(JournalTest, HourDeliveredWithoutItsLineGetsItAtTheNextStartOnceAndForeignFilesNone) {
    EXPECT_TRUE(Run(10, 12));
    // The kill came after 11:00's rename; 10:00's line is in last month's file.
    test::WriteFile(sb / "deliveries\\2011-02.csv", std::string(kJournalHeader) + "\r\n" + Delivered(10) + "\r\n");
    test::WriteFile(sb / "deliveries\\2011-03.csv", std::string(kJournalHeader) + "\r\n" + Delivered(10).substr(0, 40));
    for (const char* f : {"20110325110.CSV", "x011032511.CSV", "2011023012.CSV"}) test::WriteFile(sb / "out\\" + f, "x");
    for (int start = 0; start < 2; ++start) ExportCycle{form}.Journal().Reconcile(OutputFolder());  // and again
    EXPECT_EQ((Lines{kJournalHeader, Delivered(10).substr(0, 40), Delivered(11)}), Journal());
    EXPECT_EQ(1, Logged("Reconciled the delivery journal: " + sb / "out\\2011032511.CSV"));
}

TEST_F(JournalTest, JournalFilesStayThirteenMonthsByTheirNameWhateverTheLogRetention) {
    const Lines names = {"2010-01.csv", "2010-02.csv", "2010-03.csv", "2010-1.csv", "notes.csv"};
    MakeFolder(JournalFolder());
    for (const std::string& name : names) {
        test::WriteFile(sb / "deliveries\\" + name, "x");
        fsys::SetLastWriteTime(sb / "deliveries\\" + name, DateTime{2001, 1, 1, 0, 0, 0});
    }
    AppLog().LSM_Init(7);
    AppLog().LSM_Run();
    cycle.Journal().Reconcile(OutputFolder());  // at start, March 2011
    EXPECT_EQ(Lines(names.begin() + 1, names.end()), test::FilesIn(sb / "deliveries"));
    clock.Set(DateTime{2011, 4, 1, 0, 5, 0});  // the first line of a new month
    form.emptyHours = {At(10)};
    EXPECT_TRUE(Run(10, 11));
    EXPECT_EQ((Lines{"2010-03.csv", "2010-1.csv", "2011-04.csv", "notes.csv"}), test::FilesIn(sb / "deliveries"));
}

}  // namespace
}  // namespace hdq
