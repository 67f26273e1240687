#pragma once
// What IT's monitoring reads: events in the Windows Application log under the source
// "HistDataToQorp", one stable ID per kind of trouble, so an agent can alert on the ID.
#include <cstdint>
#include <string>

namespace hdq {

// The IDs are published in the help; never renumber one.
enum class EventId : uint16_t {
    Failure = 1000,               // any other failure line of the log
    HourFailed = 1001,            // HistData could not export an hour, or it could not be delivered
    HoursWaiting = 1002,          // hours wait on the retry list
    HistDataNotAnswering = 1003,  // HistData hangs or cannot be reached over DDE
    FolderUnreachable = 1004,     // a configured folder or file cannot be reached
    SaveFailed = 1005,            // LAST_RUN, the retry list or the journal could not be saved
    ClockProblem = 1006,          // LAST_RUN lies ahead of the clock
    GaveUpHour = 1007,            // an hour failed for seven days and is no longer asked for
    TroubleCleared = 1100,        // every hour is exported again
};

enum class EventType { Error, Warning, Information };

// Where the program's events go. The application log on Windows; a recording fake in tests.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void Report(EventId id, EventType type, const std::string& text) = 0;
};

}  // namespace hdq
