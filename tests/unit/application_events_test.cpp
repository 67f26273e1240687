// Which of the program's log lines become which event ID, and the hourly limit per ID.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "logging/failure_events.h"
#include "logging/logger.h"
#include "logging/rate_limited_events.h"
#include "test_support.h"

namespace hdq {
namespace {

TEST(ApplicationEvents, EachLevel0FailureLineOfTheProgramBecomesTheEventOfItsKind) {
    struct Case { std::string line; int level; std::optional<EventId> id; };  // no id: no event
    const Case cases[] = {
        {"Unable to create file for: 3/25/2011 2:00:00 PM", 0, EventId::HourFailed},
        {"Error: Unable to Move CSV Files: (53) File not found: C:\\c\\2011032514.CSV", 0, EventId::HourFailed},
        {"Unable to initialize connection with HistData thru DDE at this time", 0, EventId::HistDataNotAnswering},
        {"Export stopped before 3/25/2011 2:00:00 PM: HistData does not answer", 0, EventId::HistDataNotAnswering},
        {"Export stopped before 3/25/2011 2:00:00 PM: the program is ending", 0, std::nullopt},
        {"Waiting for the output folder O: to become reachable; the service starts", 0, EventId::FolderUnreachable},
        {"Still not reachable after 10 minutes: the output folder O:", 0, EventId::FolderUnreachable},
        {"ERROR: Path O: does not exist", 0, EventId::FolderUnreachable},
        {"Error: Unable to save LAST_RUN to C:\\h.ini; a restart would export again", 0, EventId::SaveFailed},
        {"Unable to save C:\\h.ini: the value of TAGNAME_3 holds a line break", 0, EventId::SaveFailed},
        {"Error: Unable to write C:\\HistDataToQorp.status", 0, EventId::SaveFailed},
        {"Error: Unable to write C:\\HistDataToQorp.status", 1, std::nullopt},
        {"Error: LAST_RUN 3/26/2011 lies after the clock's time 3/25/2011; the clock was set back", 0,
         EventId::ClockProblem},
        {"Gave up 3/18/2011 2:00:00 PM: it has failed for 7 days since 3/18/2011", 0, EventId::GaveUpHour},
        {"Error: Unable to read the list of hours to retry C:\\h.retry: (5) Access is denied", 0, EventId::Failure},
        {"Processing Data for 3/25/2011 2:00:00 PM", 0, std::nullopt},
    };
    VRXLoggerTXT log;
    std::vector<EventId> heard;
    log.SetOnFailureLine([&](const std::string& line) {
        heard.push_back(FailureEventOf(line));
        log.WriteLog("Error: an event about the event", 0);  // must not call back again
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        heard.clear();
        log.WriteLog(c.line, c.level);
        EXPECT_EQ(c.id ? std::vector<EventId>{*c.id} : std::vector<EventId>{}, heard);
    }
}

TEST(ApplicationEvents, EachIdIsPassedOnAtMostOnceAnHourByTheProgramClock) {
    test::FakeClock clock;
    auto recorder = std::make_unique<test::RecordingEvents>();
    const std::vector<std::string>& sent = recorder->lines;
    RateLimitedEvents events(std::move(recorder));
    struct Step { int64_t advance; EventId id; size_t sentAfter; };
    // Repeats wait an hour; a trouble after the all-clear, or the all-clear after a trouble, is
    // news and goes at once, so the last event always tells the state.
    const Step steps[] = {
        {0, EventId::HourFailed, 1},       {0, EventId::HourFailed, 1},     {0, EventId::TroubleCleared, 2},
        {3599, EventId::HourFailed, 3},    {0, EventId::HourFailed, 3},     {0, EventId::TroubleCleared, 4},
        {1, EventId::TroubleCleared, 4},   {3599, EventId::GaveUpHour, 5},  {1, EventId::GaveUpHour, 5},
        {-7200, EventId::GaveUpHour, 6},  // a clock set back does not silence the ID
    };
    for (const Step& s : steps) {
        clock.Advance(s.advance);
        events.Report(s.id, EventTypeOf(s.id), "line");
        EXPECT_EQ(s.sentAfter, sent.size()) << static_cast<int>(s.id);
    }
}

}  // namespace
}  // namespace hdq
