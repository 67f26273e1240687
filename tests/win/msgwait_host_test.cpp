// The message-pumping wait and the HistData host under Wine: real messages, real processes.
#include <gtest/gtest.h>

#include <string>

#include "app/msgwait.h"
#include "histdata/host.h"
#include "platform/win32_handles.h"
#include "standin_win32.h"

namespace hdq {
namespace {

constexpr UINT kPing = WM_APP + 7;

// A message-only window that counts what reaches it.
class CountingWindow {
public:
    CountingWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HdqMsgWaitCounter";
        RegisterClassA(&wc);  // a second registration fails harmlessly
        window_.reset(CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      wc.hInstance, nullptr));
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND get() const { return window_.get(); }
    int pings = 0;
    int timers = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrA(h, GWLP_USERDATA));
        if (self && msg == kPing) ++self->pings;
        if (self && msg == WM_TIMER) {
            ++self->timers;
            KillTimer(h, wp);
        }
        return DefWindowProcA(h, msg, wp, lp);
    }
    win::UniqueWindow window_;
};

TEST(WaitPumpingMessages, WaitsAboutASecondAndDispatchesWhatArrivesMeanwhile) {
    CountingWindow counter;
    ASSERT_NE(nullptr, counter.get());
    PostMessageA(counter.get(), kPing, 0, 0);
    SetTimer(counter.get(), 1, 300, nullptr);
    const DWORD start = GetTickCount();
    EXPECT_EQ(kWaitTimeout, WaitPumpingMessages(1000));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 950u);
    EXPECT_LT(took, 1800u);
    EXPECT_EQ(1, counter.pings);
    EXPECT_EQ(1, counter.timers);  // arrived in the middle of the wait
}

TEST(WaitPumpingMessages, EndsAtOnceWhenAHandleIsSignalled) {
    win::UniqueKernelHandle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    void* handles[] = {event.get()};
    const DWORD start = GetTickCount();
    EXPECT_EQ(WAIT_OBJECT_0, WaitPumpingMessages(5000, handles, 1));
    EXPECT_LT(GetTickCount() - start, 500u);
}

TEST(WaitPumpingMessages, KeepsAQuitRequestForTheMessageLoop) {
    PostQuitMessage(3);
    EXPECT_EQ(kWaitTimeout, WaitPumpingMessages(200));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

TEST(HistDataHost, FindsATopLevelWindowByItsExactTitle) {
    const std::string title = test::UniqueName("HdqTitle");
    win::UniqueWindow window(CreateWindowExA(0, "STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                             GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    EXPECT_TRUE(PlatformHost().IsAppRunningTitled(title));
    EXPECT_FALSE(PlatformHost().IsAppRunningTitled(title + " "));
    window.reset();
    EXPECT_FALSE(PlatformHost().IsAppRunningTitled(title));
}

TEST(HistDataHost, ReportsTheSystemErrorWhenTheProgramCannotStart) {
    test::TempFolder dir;
    OsError err;
    EXPECT_FALSE(PlatformHost().StartMinimized(dir / "histdata.exe", &err));
    EXPECT_EQ(static_cast<long>(ERROR_FILE_NOT_FOUND), err.number);
    EXPECT_FALSE(err.text.empty());
    EXPECT_EQ(std::string::npos, err.text.find('\n'));
}

TEST(HistDataHost, StartsTheProgramWhoseWindowThenAppears) {
    test::StandIn sim(HDQ_SIM_DIR);
    sim.WriteSettings("LIFETIME_MS=20000\r\n");
    OsError err;
    ASSERT_TRUE(PlatformHost().StartMinimized(sim.ExePath(), &err)) << err.text;
    // The host does not keep the process; find it by its window and the exe it runs from.
    HWND found = nullptr;
    const DWORD start = GetTickCount();
    while (!found && GetTickCount() - start < 10000) {
        for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, "Historical Data Manager"); w && !found;
             w = FindWindowExA(nullptr, w, nullptr, "Historical Data Manager")) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            win::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid));
            char image[MAX_PATH * 2] = {};
            DWORD size = sizeof image;
            if (process && QueryFullProcessImageNameA(process.get(), 0, image, &size) &&
                lstrcmpiA(image, sim.ExePath().c_str()) == 0) {
                found = w;
                EXPECT_TRUE(IsIconic(w));  // started minimised
                TerminateProcess(process.get(), 0);
                WaitForSingleObject(process.get(), 5000);
            }
        }
        if (!found) Sleep(20);
    }
    EXPECT_NE(nullptr, found);
}

}  // namespace
}  // namespace hdq
