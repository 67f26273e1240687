#include "logging/rate_limited_events.h"

#include "core/clock.h"

namespace hdq {

void RateLimitedEvents::Report(EventId id, EventType type, const std::string& text) {
    const DateTime now = AppClock().Now();
    const auto last = lastSent_.find(id);
    // A clock set back would otherwise silence the ID until it caught up again.
    if (last != lastSent_.end() && now >= last->second && now < last->second.AddMinutes(60)) return;
    // A change of state is news at once: after the all-clear any trouble, after a trouble the
    // all-clear. Only the same state told again waits its hour.
    if (id == EventId::TroubleCleared) {
        lastSent_.clear();
    } else {
        lastSent_.erase(EventId::TroubleCleared);
    }
    lastSent_[id] = now;
    writer_->Report(id, type, text);
}

}  // namespace hdq
