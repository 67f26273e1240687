// The link to HistData under Wine: the DDEML channel against the stand-in over real DDE, the
// message-pumping wait and the window-title check that the request session relies on, and
// what the stand-in writes and refuses where the end-to-end tests never take it (the fault
// matrix exercises its fault switches through the real program).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "win32/msgwait.h"
#include "core/error.h"
#include "histdata/dde_channel.h"
#include "histdata/host.h"
#include "win32/win32_handles.h"
#include "standin_win32.h"
#include "test_support.h"

namespace hdq {
namespace {

using test::ErrorNumberOf;
using test::UniqueName;

class DdeChannelTest : public test::StandInTest {
protected:
    DdeChannelTest() : StandInTest(HDQ_SIM_DIR) {}
};

TEST_F(DdeChannelTest, RequestsAnswerEightBitTextUnchangedAndARefusedPokeRaises285ButKeepsTheConversation) {
    StartStandIn("REFUSE_POKE=DBDIR\r\n");
    // Only the configured topic reaches the server: the other tests' stand-ins rely on it.
    channel_->linkTopic = service_ + "|" + UniqueName("other");
    EXPECT_EQ(dde_err::NoResponse, ErrorNumberOf([&] { channel_->SetLinkMode(LinkMode::Manual); }));
    Connect();
    const std::string text = "D:\\Daten\\Gr\xF6\xDF" "e \xE9t\xE9 \xA7 1,+";
    Poke("DATADIR", text);
    EXPECT_EQ(text, Request("DATADIR"));
    // Wine tells of a refused poke only in the result flags, not in the DDEML error.
    Poke("DURATION", "5m");
    EXPECT_EQ(dde_err::Refused, ErrorNumberOf([&] { Poke("DBDIR", "x"); }));
    // The conversation goes on, and each request after the refusal gets its own answer.
    EXPECT_EQ("5m", Request("DURATION"));
    EXPECT_EQ("No file written", Request("ERROR"));
}

TEST_F(DdeChannelTest, InitiateThatNoServerAcceptsRaises282AndUseWithoutAConversationRaises293) {
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Request("ERROR"); }));
    StartStandIn("REFUSE_CONNECT=1\r\n");
    EXPECT_EQ(dde_err::NoResponse, ErrorNumberOf([&] { Connect(); }));
    EXPECT_EQ(LinkMode::None, channel_->linkMode());
    EXPECT_EQ(dde_err::NoChannel, ErrorNumberOf([&] { Poke("DATADIR", "x"); }));
    channel_->linkTopic = UniqueName("nobody") + "|" + topic_;  // a service nobody offers
    EXPECT_EQ(dde_err::NoResponse, ErrorNumberOf([&] { channel_->SetLinkMode(LinkMode::Manual); }));
    EXPECT_EQ(std::vector<std::string>{"CONNECT " + topic_ + " -> refused"}, sim_.Transcript());
}

TEST_F(DdeChannelTest, UnansweredRequestTimesOutWith286AndTheLateAnswerIsNotTakenForTheNext) {
    StartStandIn("HOLD_ITEM=ERROR\r\nHOLD_MS=2500\r\n");
    Connect(10);
    PokeHour(sim_.Path("2009032514.CSV"));
    const DWORD start = GetTickCount();
    EXPECT_EQ(dde_err::Timeout, ErrorNumberOf([&] { Request("ERROR"); }));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 2400u);  // before the held answer comes

    // The held request is answered "None" at 2.5 s; a new parameter then makes the answer
    // "No file written", which the next request must get rather than the late reply.
    WaitPumpingMessages(2000);
    Poke("STARTTIME", "15:00:00");
    EXPECT_EQ("No file written", Request("ERROR"));
    const auto transcript = sim_.Transcript();
    ASSERT_GE(transcript.size(), 4u);
    EXPECT_EQ("REQUEST ERROR -> held", transcript[transcript.size() - 4]);
    EXPECT_EQ("REQUEST ERROR -> None", transcript[transcript.size() - 3]);
}

// The bytes in use in every heap of this process (the private bytes that Wine does not count).
SIZE_T HeapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T used = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry)) used += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? entry.cbData : 0;
        HeapUnlock(heap);
    }
    return used;
}

// Wine's DDEML keeps a little of every string handle made and freed: a channel that made one
// per poke grew the program by 10 KB an hour at 200 tags, for as long as it ran.
TEST_F(DdeChannelTest, ThousandsOfPokesOverHourlyConversationsLeaveTheMemoryFlat) {
    StartStandIn("");
    const auto hours = [&](int count) {
        for (int h = 0; h < count; ++h) {
            Connect();
            for (int t = 0; t < 250; ++t) Poke("TAGS" + std::to_string(t), "FT101_PV,+");
        }
    };
    hours(2);  // what the first conversations set up once
    const SIZE_T before = HeapBytesInUse();
    hours(20);
    EXPECT_GT(before, 0u);
    const SIZE_T after = HeapBytesInUse();
    EXPECT_LT(after - before, 32u * 1024) << before << " -> " << after;
}

int timerCalls = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR id, DWORD) {
    ++timerCalls;
    KillTimer(nullptr, id);
}

TEST(WaitPumpingMessages, DispatchesWhatArrivesMeanwhileAndKeepsAQuitRequestForTheMessageLoop) {
    timerCalls = 0;
    SetTimer(nullptr, 0, 300, &CountTimer);  // only a dispatched WM_TIMER calls it
    PostQuitMessage(3);
    const DWORD start = GetTickCount();
    EXPECT_EQ(kWaitTimeout, WaitPumpingMessages(1000));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 950u);
    EXPECT_LT(took, 1800u);
    EXPECT_EQ(1, timerCalls);
    // Swallowing the quit would leave the program running after it was told to end.
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

TEST(HistDataHost, FindsATopLevelWindowByItsExactTitle) {
    const std::string title = UniqueName("HdqTitle");
    win::UniqueWindow window(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                             GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    EXPECT_TRUE(PlatformHost().IsAppRunningTitled(title));
    EXPECT_FALSE(PlatformHost().IsAppRunningTitled(title + " "));
    window.reset();
    EXPECT_FALSE(PlatformHost().IsAppRunningTitled(title));
}

}  // namespace
}  // namespace hdq
