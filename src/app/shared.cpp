#include "app/shared.h"

#include <memory>

#include "logging/event_writer.h"
#include "logging/failure_events.h"
#include "logging/rate_limited_events.h"

namespace hdq {
namespace {

struct Shared {
    // Before the log, which tells it of failures until the log's last line.
    std::unique_ptr<EventSink> events;
    std::unique_ptr<NetInfo> netInfo;
    std::unique_ptr<VRXLoggerTXT> log;
    std::unique_ptr<VRXmsgBoxHandler> msgBox;
    std::unique_ptr<VRXConfiguration> config;
    std::unique_ptr<ActivityLog> activity;
    ProgramFiles files;
};
Shared& Instance() {
    static Shared s;
    return s;
}
void EnsureCreated() {
    if (!Instance().config) CreateSharedObjects();
}
}  // namespace

void CreateSharedObjects(const ProgramFiles& files) {
    Shared& s = Instance();
    s.files = files;
    s.activity.reset();
    s.config.reset();
    s.msgBox.reset();
    s.log.reset();
    s.netInfo.reset();
    s.events.reset();
    s.netInfo = std::make_unique<NetInfo>();
    s.log = std::make_unique<VRXLoggerTXT>();
    s.msgBox = std::make_unique<VRXmsgBoxHandler>();
    s.config = std::make_unique<VRXConfiguration>();
    s.activity = std::make_unique<ActivityLog>(*s.log);
    s.events = std::make_unique<RateLimitedEvents>(OpenApplicationLog(kEventSource));
    // Every failure line also reaches IT's monitoring, through the Application log.
    s.log->SetOnFailureLine([&events = *s.events](const std::string& line) {
        const EventId id = FailureEventOf(line);
        events.Report(id, EventTypeOf(id), line);
    });
}

NetInfo& AppNetInfo() { EnsureCreated(); return *Instance().netInfo; }
VRXLoggerTXT& AppLog() { EnsureCreated(); return *Instance().log; }
VRXmsgBoxHandler& AppMsgBox() { EnsureCreated(); return *Instance().msgBox; }
VRXConfiguration& AppConfig() { EnsureCreated(); return *Instance().config; }
ActivityLog& AppActivity() { EnsureCreated(); return *Instance().activity; }
EventSink& AppEvents() { EnsureCreated(); return *Instance().events; }
const ProgramFiles& AppFiles() { EnsureCreated(); return Instance().files; }

}  // namespace hdq
