#include "sim_dde_win32.h"

#include <exception>

namespace histsim {
namespace {
DdeServer* g_server = nullptr;
}  // namespace

DdeServer::~DdeServer() {
    for (const auto& [timer, conv] : holdTimers_) KillTimer(nullptr, timer);
    if (registered_) DdeNameService(inst_.get(), service_.get(), nullptr, DNS_UNREGISTER);
    service_.reset();
    inst_.reset();
    if (g_server == this) g_server = nullptr;
}

bool DdeServer::Start() {
    g_server = this;
    const DWORD flags = APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_EXECUTES | CBF_SKIP_REGISTRATIONS |
                        CBF_SKIP_UNREGISTRATIONS;
    if (inst_.Initialize(&DdeServer::Callback, flags) != DMLERR_NO_ERROR) return false;
    service_ = hdq::dde::StringHandle(inst_.get(), server_.settings().service);
    registered_ = DdeNameService(inst_.get(), service_.get(), nullptr, DNS_REGISTER) != nullptr;
    return registered_;
}

HDDEDATA CALLBACK DdeServer::Callback(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                      ULONG_PTR, ULONG_PTR) {
    // Nothing may unwind into DDEML: a failure is a refused transaction.
    try {
        return g_server ? g_server->Handle(type, fmt, conv, hsz1, hsz2, data) : nullptr;
    } catch (const std::exception&) {
        return type == XTYP_POKE ? reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED) : nullptr;
    }
}

void CALLBACK DdeServer::ReleaseHeld(HWND, UINT, UINT_PTR timerId, DWORD) {
    KillTimer(nullptr, timerId);
    if (!g_server) return;
    auto it = g_server->holdTimers_.find(timerId);
    if (it == g_server->holdTimers_.end()) return;
    const HCONV conv = it->second;
    g_server->holdTimers_.erase(it);
    // DDEML now hands the held transaction to the callback again, which answers it late.
    DdeEnableCallback(g_server->inst_.get(), conv, EC_ENABLEALL);
}

bool DdeServer::Hold(HCONV conv, const std::string& item) {
    const auto& s = server_.settings();
    if (s.holdItem.empty() || Upper(item) != s.holdItem) return false;
    if (!heldOnce_.insert(conv).second) return false;
    const UINT_PTR timer = SetTimer(nullptr, 0, s.holdMs, &DdeServer::ReleaseHeld);
    if (timer) holdTimers_[timer] = conv;
    return true;
}

bool DdeServer::HoldPoke(HCONV conv, const std::string& item) {
    const auto& s = server_.settings();
    if (s.holdItem.empty() || Upper(item) != s.holdItem) return false;
    return heldOnce_.insert(conv).second;
}

HDDEDATA DdeServer::Handle(UINT type, UINT fmt, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data) {
    const DWORD inst = inst_.get();
    switch (type) {
        case XTYP_CONNECT:
            return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(server_.Connect(hdq::dde::TextOf(inst, hsz1))));
        case XTYP_DISCONNECT:
            heldOnce_.erase(conv);
            return nullptr;
        case XTYP_POKE: {
            const std::string item = hdq::dde::TextOf(inst, hsz2);
            if (fmt != CF_TEXT) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
            const std::string value = hdq::dde::TextOf(data);
            if (HoldPoke(conv, item)) {
                // Not every DDEML lets a server block a poke, so the stand-in simply stops
                // answering for a while; it stays killable.
                server_.NoteHeld("POKE", item, value);
                Sleep(server_.settings().holdMs);
            }
            bool exitNow = false;
            const bool ok = server_.Poke(item, value, &exitNow);
            if (exitNow) PostQuitMessage(0);
            return reinterpret_cast<HDDEDATA>(ok ? DDE_FACK : DDE_FNOTPROCESSED);
        }
        case XTYP_REQUEST: {
            const std::string item = hdq::dde::TextOf(inst, hsz2);
            if (fmt != CF_TEXT) return nullptr;
            if (Hold(conv, item)) {
                server_.NoteHeld("REQUEST", item, {});
                return CBR_BLOCK;
            }
            bool exitNow = false;
            const auto answer = server_.Request(item, &exitNow);
            if (exitNow) PostQuitMessage(0);
            if (!answer) return nullptr;
            // Handed over to DDEML, which frees it once sent.
            return DdeCreateDataHandle(inst, reinterpret_cast<LPBYTE>(const_cast<char*>(answer->c_str())),
                                       static_cast<DWORD>(answer->size() + 1), 0, hsz2, CF_TEXT, 0);
        }
        default:
            return nullptr;
    }
}

}  // namespace histsim
