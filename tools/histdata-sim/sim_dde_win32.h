#pragma once
// The stand-in's DDEML server: registers the service and hands each transaction to SimServer.
#include <windows.h>
#include <ddeml.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "win32/dde_handles_win32.h"
#include "sim_server.h"

namespace histsim {

class DdeServer {
public:
    explicit DdeServer(SimServer& server) : server_(server) {}
    ~DdeServer();
    DdeServer(const DdeServer&) = delete;
    DdeServer& operator=(const DdeServer&) = delete;

    bool Start();  // one server per process: the DDEML callback finds it through a global

private:
    static HDDEDATA CALLBACK Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                      ULONG_PTR, ULONG_PTR);
    static void CALLBACK ReleaseHeld(HWND, UINT, UINT_PTR timerId, DWORD);

    HDDEDATA Handle(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data);
    // True when this transaction is to be held back; arms the timer that lets it through.
    bool Hold(HCONV conv, const std::string& item);
    bool HoldPoke(HCONV conv, const std::string& item);

    SimServer& server_;
    hdq::dde::Instance inst_;
    hdq::dde::StringHandle service_;
    bool registered_ = false;
    std::set<HCONV> heldOnce_;               // conversations whose held item was held already
    std::map<UINT_PTR, HCONV> holdTimers_;   // timer -> conversation to let through
};

}  // namespace histsim
