#include "logging/event_writer.h"

#include <windows.h>

#include "logging/failure_events.h"
#include "win32/win32_handles.h"

namespace hdq {
namespace {

WORD Win32Type(EventType type) {
    switch (type) {
        case EventType::Warning: return EVENTLOG_WARNING_TYPE;
        case EventType::Information: return EVENTLOG_INFORMATION_TYPE;
        default: return EVENTLOG_ERROR_TYPE;
    }
}

class WindowsApplicationLog : public ApplicationLog {
public:
    // Without the installer's registry key the source still opens: the events are written,
    // and Event Viewer only lacks their message text.
    explicit WindowsApplicationLog(const std::string& source) : source_(RegisterEventSourceA(nullptr, source.c_str())) {}

    void Report(EventId id, EventType type, const std::string& text) override {
        const char* strings[] = {text.c_str()};
        written_ = source_ &&
                   ReportEventA(source_.get(), Win32Type(type), 0, EventMessageId(id), nullptr, 1, 0, strings, nullptr);
    }
    bool LastWritten() const override { return written_; }

private:
    win::UniqueEventSource source_;
    bool written_ = false;
};

}  // namespace

std::unique_ptr<ApplicationLog> OpenApplicationLog(const std::string& source) {
    return std::make_unique<WindowsApplicationLog>(source);
}

}  // namespace hdq
