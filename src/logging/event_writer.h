#pragma once
// The writer into the Windows Application log under a source name. On a build without
// Windows the events go nowhere. Writing an event never fails the caller: an event that
// cannot be written is dropped, never logged, so it cannot come back as another event.
#include <memory>
#include <string>

#include "logging/event_log.h"

namespace hdq {

class ApplicationLog : public EventSink {
public:
    // Whether the last event reached the log; nothing else learns of a lost event.
    virtual bool LastWritten() const = 0;
};

std::unique_ptr<ApplicationLog> OpenApplicationLog(const std::string& source);

}  // namespace hdq
