#include "app/shared.h"

#include <memory>

namespace hdq {
namespace {
// Until the event writer is wired in, events go nowhere.
class NoEvents : public EventSink {
public:
    void Report(EventId, EventType, const std::string&) override {}
};

struct Shared {
    std::unique_ptr<NetInfo> netInfo;
    std::unique_ptr<VRXLoggerTXT> log;
    std::unique_ptr<VRXmsgBoxHandler> msgBox;
    std::unique_ptr<VRXConfiguration> config;
    std::unique_ptr<ActivityLog> activity;
    std::unique_ptr<EventSink> events;
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
    s.events.reset();
    s.activity.reset();
    s.config.reset();
    s.msgBox.reset();
    s.log.reset();
    s.netInfo.reset();
    s.netInfo = std::make_unique<NetInfo>();
    s.log = std::make_unique<VRXLoggerTXT>();
    s.msgBox = std::make_unique<VRXmsgBoxHandler>();
    s.config = std::make_unique<VRXConfiguration>();
    s.activity = std::make_unique<ActivityLog>(*s.log);
    s.events = std::make_unique<NoEvents>();
}

NetInfo& AppNetInfo() { EnsureCreated(); return *Instance().netInfo; }
VRXLoggerTXT& AppLog() { EnsureCreated(); return *Instance().log; }
VRXmsgBoxHandler& AppMsgBox() { EnsureCreated(); return *Instance().msgBox; }
VRXConfiguration& AppConfig() { EnsureCreated(); return *Instance().config; }
ActivityLog& AppActivity() { EnsureCreated(); return *Instance().activity; }
EventSink& AppEvents() { EnsureCreated(); return *Instance().events; }
const ProgramFiles& AppFiles() { EnsureCreated(); return Instance().files; }

}  // namespace hdq
