// The DDE client channel over DDEML: one cold conversation at a time, synchronous
// transactions bounded by the link time-out, DDEML failures turned into numbered errors.
#include <windows.h>
#include <ddeml.h>
#include <dde.h>

#include <map>
#include <string>

#include "core/error.h"
#include "histdata/dde_channel.h"
#include "win32/dde_handles_win32.h"
#include "win32/win32_handles.h"

namespace hdq {
namespace {

constexpr const char* kNoResponseText = "No foreign application responded to a DDE initiate";
constexpr const char* kRefusedText = "Foreign application won't perform DDE method or operation";
constexpr const char* kTimeoutText = "Timeout occurred while waiting for DDE response";
constexpr const char* kNoChannelText = "DDE method invoked with no channel open";

// The longest time-out a 16-bit count of tenths can express; used for zero or negative
// settings, which would otherwise fail every transaction at once or wrap to nonsense.
constexpr int32_t kLongestTimeoutTenths = 65535;

// A pure client: DDEML sends it nothing it must answer.
HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// The request session lives in a window that is never shown, captioned "DDE Communication",
// which exists from the first export cycle on, like the form that hosts the link.
HWND CreateSessionWindow() {
    static const char* const kClass = "HistDataToQorp.frmDDE";
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    return CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "DDE Communication", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

class DdemlChannel : public DdeChannel {
public:
    DdemlChannel() : window_(CreateSessionWindow()) {}

    void SetLinkMode(LinkMode mode) override {
        // Whatever the new mode, the old conversation ends: a manual link to a possibly
        // changed topic always starts afresh.
        conv_.reset();
        mode_ = LinkMode::None;
        if (mode == LinkMode::None) return;

        if (!inst_ && inst_.Initialize(&ClientCallback, APPCMD_CLIENTONLY) != DMLERR_NO_ERROR) {
            throw VrxError(dde_err::NoResponse, kNoResponseText);
        }
        const auto bar = linkTopic.find('|');
        const std::string application = linkTopic.substr(0, bar);
        const std::string topic = bar == std::string::npos ? std::string() : linkTopic.substr(bar + 1);
        HCONV conv = DdeConnect(inst_.get(), Name(application), Name(topic), nullptr);
        if (!conv) {
            DdeGetLastError(inst_.get());  // clears it; every initiate failure reads the same
            throw VrxError(dde_err::NoResponse, kNoResponseText);
        }
        conv_ = dde::Conversation(conv);
        mode_ = LinkMode::Manual;
    }

    void LinkPoke() override {
        RequireConversation();
        // CF_TEXT travels with its terminating NUL.
        const DWORD size = static_cast<DWORD>(text.size() + 1);
        // Marked so that a DDEML which leaves the flags unwritten is not taken for a refusal.
        constexpr DWORD kUnwritten = 0xFFFFFFFF;
        DWORD result = kUnwritten;
        HDDEDATA ok = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(text.c_str())), size,
                                           conv_.get(), Name(linkItem), CF_TEXT, XTYP_POKE, TimeoutMs(), &result);
        // A synchronous poke returns TRUE, not a data handle: nothing to free.
        if (!ok) Fail(DdeGetLastError(inst_.get()));
        // Wine's DDEML returns TRUE for a refused poke too and reports the refusal only in
        // the acknowledgement flags.
        if (result != kUnwritten && !(LOWORD(result) & DDE_FACK)) Fail(DMLERR_NOTPROCESSED);
    }

    void LinkRequest() override {
        RequireConversation();
        dde::DataHandle data(DdeClientTransaction(nullptr, 0, conv_.get(), Name(linkItem), CF_TEXT, XTYP_REQUEST,
                                                  TimeoutMs(), nullptr));
        if (!data) Fail(DdeGetLastError(inst_.get()));
        text = dde::TextOf(data.get());
        DrainLateAcknowledgement();
    }

private:
    win::UniqueWindow window_;
    void RequireConversation() const {
        if (mode_ != LinkMode::Manual || !conv_) throw VrxError(dde_err::NoChannel, kNoChannelText);
    }

    // Wine's DDEML server follows the data of a request with a positive acknowledgement.
    // Left in the queue, it would be read as the answer to this conversation's next
    // transaction (a poke taking the wrong acknowledgement, a request failing), so it is
    // handed to DDEML now, while nothing waits for it. Only DDE messages are dispatched: the
    // program's own windows must not run here. On Windows nothing comes and this costs the
    // short grace period.
    static void DrainLateAcknowledgement() {
        constexpr DWORD kGraceMs = 50;
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
                DispatchMessageA(&msg);
                if (msg.message == WM_DDE_ACK) return;
            }
            const DWORD spent = GetTickCount() - start;
            if (spent >= kGraceMs) return;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kGraceMs - spent, QS_POSTMESSAGE);
        }
    }

    // String handles are made once per name and kept as long as the DDEML instance: Wine's
    // DDEML keeps about 48 bytes of every handle made and freed, which with a handle per poke
    // grew the program by 10 KB an hour at 200 tags. The names are the fixed items, one per
    // tag position, and the service and topic, so the set stays as small as the tag list.
    HSZ Name(const std::string& text) {
        if (auto it = names_.find(text); it != names_.end()) return it->second.get();
        dde::StringHandle made(inst_.get(), text);
        const HSZ name = made.get();
        // One that failed is tried again next time, not kept.
        if (made) names_.emplace(text, std::move(made));
        return name;
    }

    DWORD TimeoutMs() const {
        const int32_t tenths = linkTimeout > 0 ? linkTimeout : kLongestTimeoutTenths;
        return static_cast<DWORD>(tenths) * 100;
    }

    bool ConversationAlive() const {
        CONVINFO info{};
        info.cb = sizeof(info);
        if (!DdeQueryConvInfo(conv_.get(), QID_SYNC, &info)) return false;
        return (info.wStatus & ST_CONNECTED) != 0;
    }

    [[noreturn]] void Fail(UINT code) {
        switch (code) {
            case DMLERR_ADVACKTIMEOUT:
            case DMLERR_DATAACKTIMEOUT:
            case DMLERR_EXECACKTIMEOUT:
            case DMLERR_POKEACKTIMEOUT:
            case DMLERR_UNADVACKTIMEOUT:
                // The server may still answer later; the reply must not be taken for the
                // answer to the next transaction.
                DdeAbandonTransaction(inst_.get(), conv_.get(), 0);
                throw VrxError(dde_err::Timeout, kTimeoutText);
            case DMLERR_NOTPROCESSED:
                if (ConversationAlive()) throw VrxError(dde_err::Refused, kRefusedText);
                break;
            default:
                if (ConversationAlive() && code != DMLERR_NO_CONV_ESTABLISHED && code != DMLERR_SERVER_DIED) {
                    throw VrxError(dde_err::Refused, kRefusedText);
                }
                break;
        }
        // The server has gone: the link is closed, as a later set-up will find it.
        conv_.reset();
        mode_ = LinkMode::None;
        throw VrxError(dde_err::NoChannel, kNoChannelText);
    }

    // Declared first so that it is destroyed last: the conversation belongs to it.
    dde::Instance inst_;
    // Freed before the instance ends, after the conversation that uses them.
    std::map<std::string, dde::StringHandle> names_;
    dde::Conversation conv_;
};

}  // namespace

std::unique_ptr<DdeChannel> MakePlatformDdeChannel() { return std::make_unique<DdemlChannel>(); }

}  // namespace hdq
