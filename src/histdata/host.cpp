#include "histdata/host.h"

namespace hdq {
namespace {
HistDataHost* g_testHost = nullptr;
}  // namespace

HistDataHost& PlatformHost() { return g_testHost ? *g_testHost : RealPlatformHost(); }
void SetPlatformHostForTests(HistDataHost* host) { g_testHost = host; }

}  // namespace hdq
