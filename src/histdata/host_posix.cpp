#include "histdata/host.h"

namespace hdq {
namespace {

// The native build has no windows and cannot run HistData; it answers the way a machine
// without HistData would, so portable code that reaches it fails cleanly.
class PosixHost : public HistDataHost {
public:
    bool IsAppRunningTitled(const std::string&) override { return false; }
    bool IsAppResponding(const std::string&, uint32_t) override { return true; }

    bool StartMinimized(const std::string& exePath, OsError* err) override {
        if (err) {
            err->number = 2;
            err->text = "Cannot start Windows programs on this platform: " + exePath;
        }
        return false;
    }

    uint32_t WaitPumpingMessages(int32_t) override { return 258; }
};

}  // namespace

HistDataHost& PlatformHost() {
    static PosixHost host;
    return host;
}

}  // namespace hdq
