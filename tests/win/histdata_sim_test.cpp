// The HistData stand-in's own behaviour: what it writes, what it refuses, and each fault
// that its settings file switches on. Driven through the real DDE channel under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin_win32.h"
#include "test_support.h"

namespace hdq {
namespace {

class HistDataStandInTest : public test::StandInTest {
protected:
    HistDataStandInTest() : StandInTest(HDQ_SIM_DIR) {}

    // Runs one hour and returns the ERROR answer.
    std::string WriteHour(const std::string& file, const std::string& duration = "5m",
                          const std::string& interval = "1m") {
        Connect();
        PokeHour(file, "14:00:00", duration, interval);
        return Request("ERROR");
    }
    std::string Csv() const { return sim_.Path("2009032514.CSV"); }
    bool CsvExists() const { return GetFileAttributesA(Csv().c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(HistDataStandInTest, RefusesATagMissingFromTheDictionaryAndWritesNothing) {
    StartStandIn("");
    Connect();
    Poke("DBDIR", sim_.folder());
    Poke("DURATION", "5m");
    Poke("INTERVAL", "1m");
    Poke("TAGS", "$date,$time,A,+");
    Poke("TAGS1", "FOO");
    Poke("STARTTIME", "14:00:00");
    Poke("STARTDATE", "03/25/2009");
    Poke("FILENAME", Csv());
    Poke("WRITEFILE", "1");
    EXPECT_EQ("Tag FOO not found in dictionary", Request("ERROR"));
    EXPECT_FALSE(CsvExists());

    // Without a dictionary no tag is known.
    Poke("DBDIR", sim_.Path("missing"));
    Poke("TAGS", "$date,$time,A");
    Poke("WRITEFILE", "1");
    EXPECT_NE("None", Request("ERROR"));
    EXPECT_FALSE(CsvExists());
}

TEST_F(HistDataStandInTest, RefusesSpansWithoutAUnitOrLongerThanSixWeeks) {
    StartStandIn("");
    for (const auto& [duration, interval] : std::vector<std::pair<std::string, std::string>>{
             {"7w", "1m"}, {"43d", "1m"}, {"abc", "1m"}, {"59", "1m"}, {"5m", "0s"}, {"5m", "1x"}}) {
        EXPECT_NE("None", WriteHour(Csv(), duration, interval)) << duration << " / " << interval;
        EXPECT_FALSE(CsvExists()) << duration << " / " << interval;
    }
    EXPECT_EQ("None", WriteHour(Csv(), "6w", "1w"));
    EXPECT_EQ(8u, test::ReadLines(Csv()).size());  // six weeks is still allowed: header and 7 weekly lines
}

TEST_F(HistDataStandInTest, TakesFractionsOfAUnit) {
    StartStandIn("");
    EXPECT_EQ("None", WriteHour(Csv(), "2m", "0.5m"));
    const auto lines = test::ReadLines(Csv());
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ(0u, lines[1].rfind("03/25/2009,14:00:00,", 0));
    EXPECT_EQ(0u, lines[2].rfind("03/25/2009,14:00:30,", 0));
    EXPECT_EQ(0u, lines[5].rfind("03/25/2009,14:02:00,", 0));
}

TEST_F(HistDataStandInTest, CrossesMidnightIntoTheNextDate) {
    StartStandIn("");
    Connect();
    PokeHour(Csv(), "23:00:00", "1h", "30m");
    ASSERT_EQ("None", Request("ERROR"));
    const auto lines = test::ReadLines(Csv());
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[3].rfind("03/26/2009,00:00:00,", 0));
}

TEST_F(HistDataStandInTest, MakesTheSameValuesEveryRunAndDifferentValuesPerTag) {
    StartStandIn("");
    ASSERT_EQ("None", WriteHour(sim_.Path("first.csv")));
    sim_.Stop();
    ASSERT_TRUE(sim_.Start());
    ASSERT_EQ("None", WriteHour(sim_.Path("second.csv")));
    const std::string first = test::ReadFile(sim_.Path("first.csv"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, test::ReadFile(sim_.Path("second.csv")));

    const auto row = test::ReadLines(sim_.Path("first.csv"))[1];  // date,time,A,B,C
    const auto a = row.find(',', row.find(',') + 1);
    const auto b = row.find(',', a + 1);
    const auto c = row.find(',', b + 1);
    EXPECT_NE(row.substr(a + 1, b - a - 1), row.substr(b + 1, c - b - 1)) << row;
}

TEST_F(HistDataStandInTest, ServesRepeatedRequestsOnOneConversationAndOnANewOne) {
    StartStandIn("");
    Connect();
    PokeHour(sim_.Path("2009032514.CSV"), "14:00:00");
    ASSERT_EQ("None", Request("ERROR"));
    // A shorter tag list replaces the longer one.
    Poke("TAGS", "$date,$time,C");
    Poke("STARTTIME", "15:00:00");
    Poke("FILENAME", sim_.Path("2009032515.CSV"));
    Poke("WRITEFILE", "1");
    ASSERT_EQ("None", Request("ERROR"));
    Connect();
    PokeHour(sim_.Path("2009032516.CSV"), "16:00:00");
    ASSERT_EQ("None", Request("ERROR"));

    EXPECT_EQ("$Date,$Time,C", test::ReadLines(sim_.Path("2009032515.CSV"))[0]);
    EXPECT_EQ(0u, test::ReadLines(sim_.Path("2009032515.CSV"))[1].rfind("03/25/2009,15:00:00,", 0));
    EXPECT_EQ("$Date,$Time,A,B,C", test::ReadLines(sim_.Path("2009032516.CSV"))[0]);
    EXPECT_EQ(0u, test::ReadLines(sim_.Path("2009032516.CSV"))[1].rfind("03/25/2009,16:00:00,", 0));
}

TEST_F(HistDataStandInTest, AnswersERRORWithTheConfiguredFailureText) {
    StartStandIn("ERROR_ANSWER=Database busy\r\n");
    EXPECT_EQ("Database busy", WriteHour(Csv()));
}

TEST_F(HistDataStandInTest, LeavesTheFileInTheConfiguredShapeWhileAnsweringNone) {
    struct Case {
        const char* shape;
        std::vector<std::string> firstLines;  // expected line starts; empty for no file
        size_t lineCount;
    };
    const Case cases[] = {
        {"NOHEADER", {"03/25/2009,14:00:00,"}, 6},
        {"HEADERONLY", {"$Date,$Time,A,B,C"}, 1},
        {"ONELINE", {"$Date,$Time,A,B,C", "03/25/2009,14:00:00,"}, 2},
        {"NONE", {}, 0},
    };
    for (const Case& c : cases) {
        sim_.Stop();
        DeleteFileA(Csv().c_str());
        StartStandIn(std::string("FILE_SHAPE=") + c.shape + "\r\n");
        EXPECT_EQ("None", WriteHour(Csv())) << c.shape;
        const auto lines = test::ReadLines(Csv());
        EXPECT_EQ(c.lineCount, lines.size()) << c.shape;
        for (size_t i = 0; i < c.firstLines.size() && i < lines.size(); ++i) {
            EXPECT_EQ(0u, lines[i].rfind(c.firstLines[i], 0)) << c.shape << ": " << lines[i];
        }
    }
    EXPECT_FALSE(CsvExists());
}

TEST_F(HistDataStandInTest, OpensItsWindowOnlyAfterTheConfiguredDelay) {
    sim_.WriteSettings("WINDOW_DELAY_MS=1500\r\nLIFETIME_MS=60000\r\n");
    ASSERT_TRUE(sim_.Start(false));
    Sleep(500);
    EXPECT_TRUE(sim_.Running());
    EXPECT_EQ(nullptr, sim_.Window());
    const DWORD start = GetTickCount();
    while (!sim_.Window() && GetTickCount() - start < 5000) Sleep(20);
    EXPECT_NE(nullptr, sim_.Window());
}

TEST_F(HistDataStandInTest, StaysRunningWithoutAWindowAndStillServesDde) {
    StartStandIn("NO_WINDOW=1\r\n", "", false);
    Sleep(1000);
    EXPECT_TRUE(sim_.Running());
    EXPECT_EQ(nullptr, sim_.Window());
    Connect();
    Poke("DURATION", "5m");
    EXPECT_EQ("5m", Request("DURATION"));
}

}  // namespace
}  // namespace hdq
