#include "app/shared.h"

#include <memory>

namespace hdq {
namespace {
struct Shared {
    std::unique_ptr<NetInfo> netInfo;
    std::unique_ptr<VRXLoggerTXT> log;
    std::unique_ptr<VRXmsgBoxHandler> msgBox;
    std::unique_ptr<VRXConfiguration> config;
};
Shared& Instance() {
    static Shared s;
    return s;
}
void EnsureCreated() {
    if (!Instance().config) CreateSharedObjects();
}
}  // namespace

void CreateSharedObjects() {
    Shared& s = Instance();
    s.config.reset();
    s.msgBox.reset();
    s.log.reset();
    s.netInfo.reset();
    s.netInfo = std::make_unique<NetInfo>();
    s.log = std::make_unique<VRXLoggerTXT>();
    s.msgBox = std::make_unique<VRXmsgBoxHandler>();
    s.config = std::make_unique<VRXConfiguration>();
}

NetInfo& AppNetInfo() { EnsureCreated(); return *Instance().netInfo; }
VRXLoggerTXT& AppLog() { EnsureCreated(); return *Instance().log; }
VRXmsgBoxHandler& AppMsgBox() { EnsureCreated(); return *Instance().msgBox; }
VRXConfiguration& AppConfig() { EnsureCreated(); return *Instance().config; }

}  // namespace hdq
