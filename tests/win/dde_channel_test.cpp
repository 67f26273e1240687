// The DDEML channel against the stand-in, over real DDE under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/msgwait.h"
#include "core/error.h"
#include "histdata/dde_channel.h"
#include "standin_win32.h"
#include "test_support.h"

namespace hdq {
namespace {

using test::ErrorNumberOf;
using test::UniqueName;

class DdeChannelTest : public test::StandInTest {
protected:
    DdeChannelTest() : StandInTest(HDQ_SIM_DIR) {}
};

TEST_F(DdeChannelTest, WritesAnHourFileEndToEndAndTheTranscriptShowsTheExchangeInOrder) {
    StartStandIn("", "histdata");
    const std::string csv = sim_.Path("2009032514.CSV");
    Connect();
    EXPECT_EQ(LinkMode::Manual, channel_->linkMode());
    PokeHour(csv);
    EXPECT_EQ("None", Request("ERROR"));

    const auto lines = test::ReadLines(csv);
    ASSERT_EQ(7u, lines.size());
    EXPECT_EQ("$Date,$Time,A,B,C", lines[0]);
    const char* stamps[] = {"14:00:00", "14:01:00", "14:02:00", "14:03:00", "14:04:00", "14:05:00"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(0u, lines[i + 1].rfind(std::string("03/25/2009,") + stamps[i] + ",", 0)) << lines[i + 1];
        EXPECT_EQ(4, std::count(lines[i + 1].begin(), lines[i + 1].end(), ',')) << lines[i + 1];
    }
    const std::string raw = test::ReadFile(csv);
    EXPECT_EQ("\r\n", raw.substr(raw.size() - 2));
    size_t crlf = 0;
    for (size_t at = raw.find("\r\n"); at != std::string::npos; at = raw.find("\r\n", at + 2)) ++crlf;
    EXPECT_EQ(static_cast<size_t>(std::count(raw.begin(), raw.end(), '\n')), crlf);

    const std::vector<std::string> expected = {
        "CONNECT " + topic_,
        "POKE DATADIR=" + sim_.folder(),
        "POKE DBDIR=" + sim_.folder(),
        "POKE DURATION=5m",
        "POKE INTERVAL=1m",
        "POKE TAGS=$date,$time,A,+",
        "POKE TAGS1=B,+",
        "POKE TAGS2=C",
        "POKE STARTTIME=14:00:00",
        "POKE STARTDATE=03/25/2009",
        "POKE FILENAME=" + csv,
        "POKE WRITEFILE=1",
        "REQUEST ERROR -> None",
    };
    EXPECT_EQ(expected, sim_.Transcript());
}

TEST_F(DdeChannelTest, CarriesEightBitTextUnchangedBothWays) {
    StartStandIn("");
    Connect();
    const std::string text = "D:\\Daten\\Gr\xF6\xDF" "e \xE9t\xE9 \xA7 1,+";
    Poke("DATADIR", text);
    EXPECT_EQ(text, Request("DATADIR"));
    Poke("DATADIR", "");
    EXPECT_EQ("", Request("DATADIR"));
}

TEST_F(DdeChannelTest, EachTransactionAfterARequestGetsItsOwnAnswer) {
    StartStandIn("REFUSE_POKE=DBDIR\r\n");
    Connect();
    for (int round = 0; round < 3; ++round) {
        Poke("DURATION", std::to_string(round) + "m");
        EXPECT_EQ(std::to_string(round) + "m", Request("DURATION"));
        EXPECT_EQ(dde_err::Refused, ErrorNumberOf([&] { Poke("DBDIR", "x"); }));
        EXPECT_EQ(std::to_string(round) + "m", Request("DURATION"));
        EXPECT_EQ("No file written", Request("ERROR"));
    }
}

TEST_F(DdeChannelTest, InitiateThatNoServerAcceptsRaises282AndLeavesTheLinkClosed) {
    StartStandIn("REFUSE_CONNECT=1\r\n");
    EXPECT_EQ(dde_err::NoResponse, ErrorNumberOf([&] { Connect(); }));
    EXPECT_EQ(LinkMode::None, channel_->linkMode());
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Poke("DATADIR", "x"); }));

    // A service nobody offers, and a topic the server does not know.
    channel_->linkTopic = UniqueName("nobody") + "|" + topic_;
    EXPECT_EQ(dde_err::NoResponse, ErrorNumberOf([&] { channel_->SetLinkMode(LinkMode::Manual); }));
    EXPECT_EQ(std::vector<std::string>{"CONNECT " + topic_ + " -> refused"}, sim_.Transcript());
}

TEST_F(DdeChannelTest, ConnectsOnlyOnTheConfiguredTopic) {
    StartStandIn("");
    channel_->linkTopic = service_ + "|" + UniqueName("other");
    EXPECT_EQ(dde_err::NoResponse, ErrorNumberOf([&] { channel_->SetLinkMode(LinkMode::Manual); }));
    EXPECT_NO_THROW(Connect());
    EXPECT_EQ(LinkMode::Manual, channel_->linkMode());
}

TEST_F(DdeChannelTest, PokeAndRequestWithoutAConversationRaise293) {
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Poke("DATADIR", "x"); }));
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Request("ERROR"); }));

    StartStandIn("");
    Connect();
    channel_->SetLinkMode(LinkMode::None);
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Poke("DATADIR", "x"); }));
}

TEST_F(DdeChannelTest, RefusedPokeRaises285AndTheConversationGoesOn) {
    StartStandIn("REFUSE_POKE=DBDIR\r\n");
    Connect();
    EXPECT_EQ(dde_err::Refused, ErrorNumberOf([&] { Poke("DBDIR", "C:\\x"); }));
    EXPECT_EQ(LinkMode::Manual, channel_->linkMode());
    EXPECT_NO_THROW(Poke("DURATION", "5m"));
    // An item the server has no value for is refused too.
    EXPECT_EQ(dde_err::Refused, ErrorNumberOf([&] { Request("NOSUCHITEM"); }));
    EXPECT_EQ("5m", Request("DURATION"));
}

TEST_F(DdeChannelTest, UnansweredRequestTimesOutWith286AndTheLateAnswerIsNotTakenForTheNext) {
    StartStandIn("HOLD_ITEM=ERROR\r\nHOLD_MS=2500\r\n");
    Connect(10);
    PokeHour(sim_.Path("2009032514.CSV"));
    const DWORD start = GetTickCount();
    EXPECT_EQ(dde_err::Timeout, ErrorNumberOf([&] { Request("ERROR"); }));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 2400u);  // before the held answer comes

    // The held request is answered "None" at 2.5 s; a new parameter then makes the answer
    // "No file written", which the next request must get rather than the late reply.
    WaitPumpingMessages(2000);
    Poke("STARTTIME", "15:00:00");
    EXPECT_EQ("No file written", Request("ERROR"));

    const auto transcript = sim_.Transcript();
    ASSERT_GE(transcript.size(), 4u);
    EXPECT_EQ("REQUEST ERROR -> held", transcript[transcript.size() - 4]);
    EXPECT_EQ("REQUEST ERROR -> None", transcript[transcript.size() - 3]);
}

TEST_F(DdeChannelTest, UnansweredPokeTimesOutWith286AndANewConversationWorks) {
    StartStandIn("HOLD_ITEM=WRITEFILE\r\nHOLD_MS=2000\r\n");
    Connect(10);
    EXPECT_EQ(dde_err::Timeout, ErrorNumberOf([&] { Poke("WRITEFILE", "1"); }));
    Connect(10);
    EXPECT_NO_THROW(Poke("DURATION", "5m"));
    EXPECT_EQ("5m", Request("DURATION"));
}

TEST_F(DdeChannelTest, ServerThatEndsMidConversationGives293AndClosesTheLink) {
    StartStandIn("EXIT_AFTER_POKES=2\r\n");
    Connect();
    Poke("DATADIR", "C:\\a");
    Poke("DBDIR", "C:\\b");
    ASSERT_TRUE(sim_.WaitExit(5000));
    WaitPumpingMessages(200);  // lets the end of the conversation arrive
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Poke("DURATION", "5m"); }));
    EXPECT_EQ(LinkMode::None, channel_->linkMode());
}

TEST_F(DdeChannelTest, SettingManualAgainOpensAFreshConversation) {
    StartStandIn("");
    Connect();
    Poke("DURATION", "5m");
    Connect();
    Poke("INTERVAL", "1m");
    const std::vector<std::string> expected = {"CONNECT " + topic_, "POKE DURATION=5m", "CONNECT " + topic_,
                                               "POKE INTERVAL=1m"};
    EXPECT_EQ(expected, sim_.Transcript());
}

}  // namespace
}  // namespace hdq
