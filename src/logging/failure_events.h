#pragma once
// Which log lines IT's monitoring hears of, and under which event ID. The lines are the
// program's own; a new failure line that fits none of the kinds below is still reported,
// as Failure.
#include <cstdint>
#include <string_view>

#include "logging/event_log.h"

namespace hdq {

inline constexpr const char* kEventSource = "HistDataToQorp";

// A level-0 line that tells of trouble: what LastErrorLine keeps, and the lines of hours
// given up, of HistData not answering and of folders waited for.
bool IsFailureLine(std::string_view line);
EventId FailureEventOf(std::string_view line);
EventType EventTypeOf(EventId id);
// The message ID the message table holds for id: its severity in the top bits, id in the
// low 16 that Event Viewer shows.
uint32_t EventMessageId(EventId id);

}  // namespace hdq
