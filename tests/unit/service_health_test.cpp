#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/service_health.h"
#include "test_support.h"

namespace hdq {
namespace {

constexpr DateTime At(int hour, int minute = 0) { return DateTime{2026, 12, 7, hour, minute, 0}; }

TEST(TroubleWatch, TellsOnceWhenTroubleStartsNotWhileItLastsAndOnceWhenItClearsNeverTwiceAnHour) {
    test::RecordingEvents events;
    TroubleWatch watch{events};
    ServiceHealth fine, waiting, hung;
    waiting.waiting = 3;
    waiting.oldestWaiting = At(5);
    hung = waiting;
    hung.cycleTrouble = "HistData does not answer";
    struct Step {
        DateTime now;
        const ServiceHealth& health;
        const char* balloon;  // "" for none
    };
    const Step steps[] = {
        {At(6, 5), fine, ""},
        {At(7, 5), waiting, "Hours are not exported: 3 hour(s) wait for retry, the oldest 2026-12-07 05:00"},
        {At(7, 30), hung, ""},   // a second kind: an event, no balloon
        {At(7, 50), fine, ""},   // cleared within the hour of the first balloon: held back
        {At(8, 4), fine, ""},    // still within the hour
        {At(8, 5), fine, "All hours exported again up to 2026-12-07 06:00"},
        {At(8, 30), waiting, ""},  // started and cleared within the hour: neither is told late
        {At(8, 50), fine, ""},
        {At(9, 30), fine, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(FormatGeneral(step.now));
        EXPECT_EQ(step.balloon, watch.Update(step.health, At(6), step.now).value_or(""));
    }
    EXPECT_EQ((std::vector<std::string>{
                  "1002|Warning|Hours are not exported: 3 hour(s) wait for retry, the oldest 2026-12-07 05:00",
                  "1003|Error|Hours are not exported: HistData does not answer",
                  "1100|Information|All hours exported again up to 2026-12-07 06:00",
                  "1002|Warning|Hours are not exported: 3 hour(s) wait for retry, the oldest 2026-12-07 05:00",
                  "1100|Information|All hours exported again up to 2026-12-07 06:00"}),
              events.lines);
}

TEST(TrayTip, PutsTheHoursWaitingFirstAndKeepsWholeFactsWithinTheTipField) {
    ServiceHealth h;
    EXPECT_EQ("HistDataToQorp\nLast hour exported 2026-12-07 05:00",
              TrayTip("HistDataToQorp", h, "Last hour exported 2026-12-07 05:00"));
    h.waiting = 12;
    h.cycleTrouble = "HistData does not answer";
    EXPECT_EQ("HistDataToQorp: 12 h waiting, HistData not answering", TrayTip("HistDataToQorp", h, "-"));
    h.cycleTrouble = "retry list not saved";
    h.unreachable = "the output folder \\\\srv\\out";
    h.lastRunAhead = At(23);
    EXPECT_EQ("HistDataToQorp: 12 h waiting, retry list not saved",
              TrayTip("HistDataToQorp", h, "-"));
    EXPECT_GE(63u, TrayTip(std::string(70, 'N'), h, "-").size());
}

}  // namespace
}  // namespace hdq
