#include <gtest/gtest.h>

#include "fake_dde.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

using Pokes = std::vector<std::pair<std::string, std::string>>;

class FrmDDETest : public ::testing::Test, protected test::DdeFormHarness {
protected:
    std::string Poked(const std::string& item) const {
        auto it = channel.lastPoked.find(item);
        return it == channel.lastPoked.end() ? "<not poked>" : it->second;
    }
    Pokes TagPokes() const {
        Pokes tags;
        for (const auto& p : channel.Pokes()) {
            if (p.first.rfind("TAGS", 0) == 0) tags.push_back(p);
        }
        return tags;
    }
};

TEST_F(FrmDDETest, RequestsOneHourWithTheItemsInTheirFixedOrder) {
    sb.Set("DDE_LGH_FOLDER", "D:\\Hist\\");
    ASSERT_TRUE(RequestHour(DateTime{2009, 3, 25, 14, 37, 12}));

    EXPECT_EQ((std::vector<std::string>{"DATADIR", "DBDIR", "DURATION", "INTERVAL", "TAGS", "TAGS1", "TAGS2",
                                        "STARTTIME", "STARTDATE", "FILENAME", "WRITEFILE", "?ERROR"}),
              channel.Transactions());
    ASSERT_FALSE(channel.events.empty());
    EXPECT_EQ("histdata|tagname", channel.events.front().item);
    EXPECT_EQ(600, channel.linkTimeout);
    EXPECT_EQ("D:\\Hist", Poked("DATADIR"));
    EXPECT_EQ(sb.folder(), Poked("DBDIR"));
    EXPECT_EQ("59m", Poked("DURATION"));
    EXPECT_EQ("1m", Poked("INTERVAL"));
    EXPECT_EQ((Pokes{{"TAGS", "$date,$time,A,+"}, {"TAGS1", "B,+"}, {"TAGS2", "C"}}), TagPokes());
    EXPECT_EQ("14:00:00", Poked("STARTTIME"));
    EXPECT_EQ("03/25/2009", Poked("STARTDATE"));
    EXPECT_EQ(CsvPathOf("2009032514.CSV"), Poked("FILENAME"));
    EXPECT_EQ("1", Poked("WRITEFILE"));
    // One pause after the fixed parameters, one before the write.
    EXPECT_EQ((std::vector<int32_t>{1000, 1000}), host.waits);

    EXPECT_TRUE(sb.Logged("=+= Init: histdata|tagname, 2, 600"));
    EXPECT_TRUE(sb.Logged("=+= poked: DATADIR, D:\\Hist"));
    EXPECT_TRUE(sb.Logged("=+= Poked: TAGS1, B,+"));
    EXPECT_TRUE(sb.Logged("configured to select all tags? TRUE, COUNT= 3"));
    EXPECT_TRUE(sb.Logged("End poking 3 tagnames ..."));
    EXPECT_TRUE(sb.Logged("=+= Poking: WRITEFILE, 1"));
    EXPECT_TRUE(sb.Logged("Completed checking DDE files"));
    EXPECT_EQ(kGoodCsv, test::ReadFile(CsvPathOf("2009032514.CSV")));
}

TEST_F(FrmDDETest, SendsFoldersWithoutATrailingBackslash) {
    const std::pair<std::string, std::string> cases[] = {{"D:\\Hist\\", "D:\\Hist"}, {"D:\\Hist", "D:\\Hist"}};
    for (const auto& [configured, sent] : cases) {
        sb.Set("DDE_LGH_FOLDER", configured);
        RequestHour();
        EXPECT_EQ(sent, Poked("DATADIR")) << configured;
    }
    // A bare file name has no folder part; the dictionary is then unreadable, which is fine here.
    sb.Set("DDE_TAGNAME_FILE", "tagname.x");
    RequestHour();
    EXPECT_EQ("", Poked("DBDIR"));
}

TEST_F(FrmDDETest, PokesASingleTagWithoutContinuationMark) {
    test::WriteTagnameX(sb / "tagname.x", {{"A"}});
    ASSERT_TRUE(RequestHour());
    EXPECT_EQ((Pokes{{"TAGS", "$date,$time,A"}}), TagPokes());
}

TEST_F(FrmDDETest, EndsAFilteredListOnItsLastTakenTagAndRefusesAFileWithoutTags) {
    test::WriteTagnameX(sb / "tagname.x", {{"A"}, {"B"}, {"C"}, {"D", "", 3}});
    sb.Set("SELECTALLTAGS", "FALSE");
    TagTable list;
    list.Add("A", "A");
    list.Add("C", "C");
    list.Add("X", "X");  // not in the dictionary
    list.Add("D", "D");  // in the dictionary but not trended
    form.SetTagList(&list);
    ASSERT_TRUE(RequestHour());
    EXPECT_EQ((Pokes{{"TAGS", "$date,$time,A,+"}, {"TAGS1", "C"}}), TagPokes());
    EXPECT_TRUE(sb.Logged("configured to select all tags? FALSE, COUNT= 2"));

    sb.Set("SELECTALLTAGS", "false");
    TagTable none;
    none.Add("X", "X");
    form.SetTagList(&none);
    const int written = channel.writeCount;
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("configured to select all tags? false, COUNT= 0"));
    EXPECT_TRUE(sb.Logged("Error: Unable to Poke tags"));
    EXPECT_EQ(written, channel.writeCount);
}

TEST_F(FrmDDETest, CountsOnlyAnErrorAnswerBeginningWithNoneAsWritten) {
    const std::pair<const char*, bool> answers[] = {
        {"None", true}, {"None at all", true}, {"none", false}, {"", false}, {"Tag not found", false}};
    for (const auto& [answer, written] : answers) {
        channel.errorAnswers = {answer};
        EXPECT_EQ(written, RequestHour()) << answer;
        // A refused write must not leave the file of the hour behind for the move.
        EXPECT_EQ(written, !test::ReadFile(CsvPathOf("2009032514.CSV")).empty()) << answer;
    }
    EXPECT_TRUE(sb.Logged("Error occured when trying to make a file from HISTDATA"));
    EXPECT_TRUE(sb.Logged("Error: Unable to Make CSV"));
}

TEST_F(FrmDDETest, StartsOneDayBackAfterInitAndKeepsTheHourWhenGivenTextThatIsNoDate) {
    ASSERT_TRUE(form.Init());
    EXPECT_TRUE(sb.Logged("Startdate: 2009-03-24 14:00:00"));
    EXPECT_EQ("", form.CsvPath());
    form.SetStartDate(DateTime{2009, 3, 25, 14, 37, 0});
    form.SetStartTime(DateTime{2009, 3, 25, 14, 37, 0});
    form.SetStartDate(std::string("tomorrow"));
    form.SetStartTime(std::string("noon"));
    EXPECT_EQ("2009/03/25 14:00", form.StartDateText());
    EXPECT_EQ("14:00:00", form.StartTimeText());
    EXPECT_EQ(CsvPathOf("2009032514.CSV"), form.CsvPath());
    EXPECT_EQ(2, sb.CountLogged("frmDDE: StartDate: 2009/03/25 14:00"));

    form.SetStartDate(std::string("2011-12-31 23:59:59"));
    form.SetStartTime(std::string("2011-12-31 23:59:59"));
    EXPECT_EQ("2011/12/31 23:00", form.StartDateText());
    EXPECT_EQ("23:00:00", form.StartTimeText());
    EXPECT_EQ(CsvPathOf("2011123123.CSV"), form.CsvPath());
}

TEST_F(FrmDDETest, TriesTheFileEvenWhenTheSetupFailed) {
    sb.Set("DDE_TIMEOUT", "one minute");
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("ERROR (13): Type mismatch"));
    EXPECT_TRUE(sb.Logged("Error: Unable to get handle to HistDate through DDE"));
    EXPECT_TRUE(sb.Logged("Completed connecting to HISTDATA"));
    EXPECT_TRUE(sb.Logged("Make Error (293): DDE method invoked with no channel open"));
    EXPECT_TRUE(sb.Logged("Error: Unable to Make CSV"));
    EXPECT_TRUE(channel.events.empty());
}

TEST_F(FrmDDETest, FailsTheRequestWhenATagPokeTimesOutAndLeavesABadTrendByteSettingToTheCycle) {
    channel.timedOutItems = {"TAGS1"};
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("ERROR (286): Timeout occurred while waiting for DDE response"));
    EXPECT_TRUE(sb.Logged("Error: Unable to Poke tags"));
    EXPECT_EQ(0, channel.writeCount);
    sb.Set("VALIDTRENDBYTES", "3:x");
    EXPECT_THROW(form.Init(), VrxError);
}

TEST_F(FrmDDETest, FailsCleanlyAfterClearMemory) {
    ASSERT_TRUE(RequestHour());
    form.ClearMemory();
    EXPECT_EQ("", form.CsvPath());
    EXPECT_EQ(0, form.TagCount());
    EXPECT_FALSE(form.SendRequest());
    EXPECT_TRUE(sb.Logged("Error: Unable to Poke tags"));
}

}  // namespace
}  // namespace hdq
