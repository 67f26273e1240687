#include <gtest/gtest.h>

#include <algorithm>

#include "fake_dde.h"
#include "tagnamex_writer.h"

namespace hdq {
namespace {

using Lines = std::vector<std::string>;

class FrmDDETest : public ::testing::Test, protected test::DdeFormHarness {
protected:
    Lines TagPokes() const {
        Lines tags;
        for (const std::string& t : channel.transcript) {
            if (t.rfind("TAGS", 0) == 0) tags.push_back(t);
        }
        return tags;
    }
};

TEST_F(FrmDDETest, RequestsOneHourWithTheItemsInTheirFixedOrder) {
    sb.Set("DDE_LGH_FOLDER", "D:\\Hist\\");
    ASSERT_TRUE(RequestHour(DateTime{2009, 3, 25, 14, 37, 12}));
    EXPECT_EQ((Lines{"connect histdata|tagname", "DATADIR=D:\\Hist", "DBDIR=" + sb.folder(), "DURATION=59m",
                     "INTERVAL=1m", "TAGS=$date,$time,A,+", "TAGS1=B,+", "TAGS2=C", "STARTTIME=14:00:00",
                     "STARTDATE=03/25/2009", "FILENAME=" + CsvPathOf("2009032514.CSV"), "WRITEFILE=1", "?ERROR"}),
              channel.transcript);
    EXPECT_EQ(600, channel.linkTimeout);
    // One pause after the fixed parameters, one before the write.
    EXPECT_EQ((std::vector<int32_t>{1000, 1000}), host.waits);
    EXPECT_TRUE(sb.Logged("configured to select all tags? TRUE, COUNT= 3"));
    EXPECT_EQ(kGoodCsv, test::ReadFile(CsvPathOf("2009032514.CSV")));
}

TEST_F(FrmDDETest, PokesOnlyTheTrendedTagsOfAFilteredListAndCountsWhatItReallyPoked) {
    test::WriteTagnameX(sb / "tagname.x", {{"A", ""}, {"B", ""}, {"C", ""}, {"D", "", 3}});
    sb.Set("SELECTALLTAGS", "FALSE");
    struct Case {
        Lines filter;
        Lines pokes;
        int count;
    };
    // X is not in the dictionary, D is there but not trended: neither may hold the last "+".
    const Case cases[] = {{{"A", "C", "X", "D"}, {"TAGS=$date,$time,A,+", "TAGS1=C"}, 2},
                          {{"A", "X"}, {"TAGS=$date,$time,A"}, 1},
                          {{"X"}, {}, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.filter));
        TagTable list;
        for (const std::string& tag : c.filter) list.Add(tag, tag);
        form.SetTagList(&list);
        channel.transcript.clear();
        const int written = channel.writeCount;
        EXPECT_EQ(c.count > 0, RequestHour());
        EXPECT_EQ(c.pokes, TagPokes());
        EXPECT_TRUE(sb.Logged("configured to select all tags? FALSE, COUNT= " + std::to_string(c.count)));
        EXPECT_EQ(c.count > 0 ? written + 1 : written, channel.writeCount);
    }
    EXPECT_TRUE(sb.Logged("Error: Unable to Poke tags"));
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
    EXPECT_TRUE(sb.Logged("Error: Unable to Make CSV"));
}

TEST_F(FrmDDETest, GivesUpTheSetUpForATimeOutThatIsNoNumberAndKeepsTheStartForATextThatIsNoDate) {
    ASSERT_TRUE(form.Init());
    form.SetStartDate(kHour);
    form.SetStartTime(kHour);
    sb.Set("DDE_TIMEOUT", "one minute");
    // Without a conversation the write order cannot go out either.
    EXPECT_FALSE(form.SendRequest());
    EXPECT_TRUE(sb.LoggedStartingWith("ERROR ("));
    EXPECT_TRUE(sb.Logged("Error: Unable to get handle to HistDate through DDE"));
    EXPECT_TRUE(sb.Logged("Error: Unable to Make CSV"));

    sb.Set("DDE_TIMEOUT", "600");
    sb.Set("DDE_TAGNAME_FILE", "tagname.x");  // no folder to give as DBDIR
    form.SetStartDate(std::string("tomorrow"));
    EXPECT_EQ("2009/03/25 14:00", form.StartDateText());
    EXPECT_EQ(2, sb.CountLogged("frmDDE: StartDate: 2009/03/25 14:00"));
    EXPECT_TRUE(form.SendRequest());
    EXPECT_EQ(1, std::count(channel.transcript.begin(), channel.transcript.end(), "DBDIR="));
    EXPECT_EQ(1, std::count(channel.transcript.begin(), channel.transcript.end(),
                            "FILENAME=" + CsvPathOf("2009032514.CSV")));
}

TEST_F(FrmDDETest, HourWhoseTransactionsEachNearlyTimeOutFailsOnceTheWholeRequestPassesItsBound) {
    // Each poke answered just in time, two minutes apiece: the hour is given up once ten
    // minutes have passed, not after the whole tag list.
    channel.onPoke = [&](const std::string&) { clock.SetTick(clock.TickMs() + 120000); };
    EXPECT_FALSE(RequestHour());
    EXPECT_TRUE(sb.Logged("ERROR (286): The request for this hour took longer than 600 seconds"));
    EXPECT_TRUE(form.TimedOut());
    EXPECT_EQ(0, channel.writeCount);
    channel.onPoke = nullptr;
    EXPECT_TRUE(RequestHour());  // the next hour has its own bound
}

TEST_F(FrmDDETest, HistDataThatDoesNotAnswerOrAProgramThatIsEndingEndsTheRequestAtOnce) {
    const Lines all = {"connect histdata|tagname", "DATADIR", "DBDIR", "DURATION", "INTERVAL", "TAGS", "TAGS1",
                       "TAGS2", "STARTTIME", "STARTDATE", "FILENAME", "WRITEFILE", "?ERROR"};
    struct Case {
        bool hung;               // HistData's window takes no message
        std::string timeOutOn;   // this item's transaction runs into the time-out
        std::string endAfter;    // the program is asked to end once this item went out
        size_t reached;          // how many of all reached HistData
        size_t pauses;
        std::string line;
    };
    const std::string timeout = "ERROR (286): Timeout occurred while waiting for DDE response";
    const std::string stopped = "Request stopped: the program is ending";
    const Case cases[] = {{true, "", "", 0, 0, "ERROR (286): HistData does not answer: its window takes no messages"},
                          {false, "DBDIR", "", 2, 0, timeout},
                          {false, "TAGS1", "", 6, 1, "Error: Unable to Poke tags"},
                          {false, "ERROR", "", 12, 2, "Make Error (286): Timeout occurred while waiting for DDE response"},
                          {false, "", "DURATION", 4, 0, stopped},
                          {false, "", "WRITEFILE", 12, 2, stopped}};
    // Exit is posted during the transaction of endAfter, and seen once messages are dispatched.
    bool posted = false, ending = false;
    std::string endAfter;
    channel.onPoke = [&](const std::string& item) { posted = posted || item == endAfter; };
    host.onDispatch = [&] { ending = posted; };
    form.SetStopCheck([&] { return ending; });
    ASSERT_TRUE(form.Init());
    form.SetStartDate(kHour);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line + " " + c.timeOutOn + c.endAfter);
        const int logged = sb.CountLogged(c.line);
        host.hung = c.hung;
        channel.timeOutOn = {c.timeOutOn};
        endAfter = c.endAfter;
        channel.transcript.clear();
        host.waits.clear();
        EXPECT_FALSE(form.SendRequest());
        Lines reached;
        for (const std::string& t : channel.transcript) reached.push_back(t.substr(0, t.find('=')));
        EXPECT_EQ(Lines(all.begin(), all.begin() + c.reached), reached);
        EXPECT_EQ(c.pauses, host.waits.size());
        EXPECT_EQ(c.endAfter.empty(), form.TimedOut());
        EXPECT_EQ(logged + 1, sb.CountLogged(c.line));
        EXPECT_TRUE(test::ReadFile(CsvPathOf("2009032514.CSV")).empty());
        // The next hour starts afresh.
        host.hung = posted = ending = false;
        channel.timeOutOn.clear();
        endAfter.clear();
        EXPECT_TRUE(form.SendRequest());
        EXPECT_FALSE(form.TimedOut());
        fsys::DeleteFile(CsvPathOf("2009032514.CSV"));
    }
}

TEST_F(FrmDDETest, AnExitPostedDuringALongTagListIsSeenWithinSixteenPokes) {
    std::vector<test::TagRecord> tags;
    for (int i = 0; i < 40; ++i) tags.push_back({"T" + std::to_string(i), ""});
    test::WriteTagnameX(sb / "tagname.x", tags);
    bool posted = false, ending = false;
    channel.onPoke = [&](const std::string& item) { posted = posted || item == "TAGS3"; };
    host.onDispatch = [&] { ending = posted; };
    form.SetStopCheck([&] { return ending; });
    EXPECT_FALSE(RequestHour());
    EXPECT_LE(TagPokes().size(), 16u);
    EXPECT_TRUE(sb.Logged("Request stopped: the program is ending"));
}

TEST_F(FrmDDETest, FailsCleanlyAfterClearMemory) {
    ASSERT_TRUE(RequestHour());
    form.ClearMemory();
    EXPECT_EQ(0, form.TagCount());
    EXPECT_FALSE(form.SendRequest());
}

}  // namespace
}  // namespace hdq
