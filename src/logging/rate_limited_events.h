#pragma once
// A failure that repeats every minute must not flood the Application log and the monitoring
// agent's inbox: each event ID is passed on at most once an hour, by the program clock, unless
// the state changed between (a trouble after the all-clear, the all-clear after a trouble).
#include <map>
#include <memory>
#include <string>

#include "core/datetime.h"
#include "logging/event_log.h"

namespace hdq {

class RateLimitedEvents : public EventSink {
public:
    explicit RateLimitedEvents(std::unique_ptr<EventSink> writer) : writer_(std::move(writer)) {}
    void Report(EventId id, EventType type, const std::string& text) override;

private:
    std::unique_ptr<EventSink> writer_;
    std::map<EventId, DateTime> lastSent_;
};

}  // namespace hdq
