#pragma once
// Test doubles for the request session: a recording DDE channel that plays HistData, a
// HistData host whose window appears when the test says, a request window for the export
// cycle, and a sandbox with the shared objects, a program folder, the settings the session
// reads and a log to inspect.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/shared.h"
#include "core/files.h"
#include "histdata/dde_channel.h"
#include "histdata/dde_form.h"
#include "histdata/frmdde.h"
#include "histdata/host.h"
#include "settings/settings_context.h"
#include "test_support.h"

namespace hdq::test {

class FakeDdeChannel : public DdeChannel {
public:
    // Behaviour, set by the test.
    // Answers of the ERROR item, one per request; the last one repeats.
    std::deque<std::string> errorAnswers{"None"};
    // CSV contents written at FILENAME on each WRITEFILE poke, one per write; the last one
    // repeats. Empty: no file is written.
    std::deque<std::string> csvContents;
    // Called on WRITEFILE after the content above (if any) was written.
    std::function<void(const std::string& fileName)> onWriteFile;
    // Called on every poke, before it is recorded (a slow HistData moves the clock here).
    std::function<void(const std::string& item)> onPoke;
    // Pokes and requests of these items run into the time-out (286) and are not recorded.
    std::set<std::string> timeOutOn;
    // This many initiates are refused (282) before one is taken, as by a server not yet up.
    int refuseConnects = 0;

    // What happened, in order: "connect TOPIC", "ITEM=value" for a poke, "?ITEM" for a request.
    std::vector<std::string> transcript;
    std::map<std::string, std::string> lastPoked;
    int writeCount = 0;

    void SetLinkMode(LinkMode mode) override;
    void LinkPoke() override;
    void LinkRequest() override;

private:
    void CheckOpen() const;  // poke or request without a conversation raises 293
    static std::string Next(std::deque<std::string>& q);
};

class FakeHistDataHost : public HistDataHost {
public:
    // Wait() moves the clock's tick on by the interval.
    explicit FakeHistDataHost(FakeClock& clock) : clock_(clock) {}

    // The window is there from the start.
    void WindowPresent() { startsNeeded_ = 0; delayMs_ = 0; never_ = false; }
    // The window appears delayMs of waiting after the n-th start.
    void WindowAfterStarts(int n, uint32_t delayMs = 0) { startsNeeded_ = n; delayMs_ = delayMs; never_ = false; }
    void WindowNever() { never_ = true; }
    // HistData exits: its window is gone until the program starts it again.
    void Exit() { startsNeeded_ = static_cast<int>(starts.size()) + 1; delayMs_ = 0; never_ = false; }
    // Every start fails with this error.
    void FailStarts(OsError e) { failStart_ = true; startError_ = std::move(e); }
    // The window stays but takes no message: each look at it costs its time-out.
    bool hung = false;

    bool IsAppRunningTitled(const std::string& title) override;
    bool IsAppResponding(const std::string& title, uint32_t timeoutMs) override;
    bool StartMinimized(const std::string& exePath, OsError* err) override;
    uint32_t WaitPumpingMessages(int32_t intervalMs) override;

    std::vector<std::string> starts;   // paths started
    std::vector<int32_t> waits;        // intervals waited, not counting the zero-length ones
    std::function<void()> onDispatch;  // each wait dispatches what was posted meanwhile

private:
    FakeClock& clock_;
    int startsNeeded_ = 0;
    uint32_t delayMs_ = 0;
    bool never_ = false;
    bool failStart_ = false;
    OsError startError_;
    uint32_t lastStartTick_ = 0;
};

// The export cycle's request window: answers as told and leaves a small file for each hour it
// makes where HistData would write it. onRequest lets a test act inside the cycle, as a message
// dispatched during one of the real window's waits would.
class ScriptedForm : public DdeForm {
public:
    void SetTagList(TagTable* tags) override { tagKeys = tags->Keys(); }
    bool Init() override { ++inits; return initOk; }
    void SetStartDate(const DateTime& value) override { starts.push_back(value); }
    void SetStartTime(const DateTime&) override {}
    bool SendRequest() override;
    bool NoData() const override { return noData; }
    bool TimedOut() const override { return timedOut; }
    bool Supervise() override { ++supervisions; return superviseOk; }
    void ClearMemory() override {}

    bool initOk = true;
    bool superviseOk = true;
    int failRequest = 0;  // the number of the one request that fails, 0 for none
    std::map<DateTime, int> failHour;  // an hour's requests fail this many times
    std::set<DateTime> emptyHours;     // hours without history: no data, no file
    std::set<DateTime> hungHours;      // hours whose request runs into the time-out
    bool noData = false;
    bool timedOut = false;
    int supervisions = 0;
    std::function<void(int)> onRequest;
    std::vector<DateTime> starts;      // as the cycle gave them, not cut to the hour
    std::vector<std::string> tagKeys;  // of the last tag list set
    int inits = 0, requests = 0;
};

// An activity list that keeps its lines.
class RecordingActivityList : public ActivityList {
public:
    int Count() const override { return static_cast<int>(lines.size()); }
    void Clear() override { lines.clear(); }
    void Append(const std::string& line) override { lines.push_back(line); }
    long CountOf(const std::string& line) const;
    bool HasPrefix(const std::string& prefix) const;
    std::vector<std::string> lines;
};

// Fresh shared objects for one test: the program folder is a temporary folder, the log is
// written there at full detail, and the settings the request session and the file helpers
// read are defined with their defaults. Undone when the object goes away.
class AppSandbox {
public:
    AppSandbox();
    ~AppSandbox();
    AppSandbox(const AppSandbox&) = delete;
    AppSandbox& operator=(const AppSandbox&) = delete;

    const std::string& folder() const { return temp_.path(); }
    std::string operator/(const std::string& name) const { return temp_ / name; }
    void Set(const std::string& key, const std::string& value);
    // Log lines without their time stamps.
    std::vector<std::string> LogLines() const;
    bool Logged(const std::string& line) const { return CountLogged(line) > 0; }  // exact line
    bool LoggedStartingWith(const std::string& prefix) const;
    int CountLogged(const std::string& line) const;

private:
    TempFolder temp_;
    std::unique_ptr<SettingsContext> settings_;  // the settings forms' view of these objects
};

// A request session over the fakes: HistData's window is there, the dictionary holds the
// trended tags A, B and C, and each write leaves a good file of three lines.
struct DdeFormHarness {
    static constexpr DateTime kHour{2009, 3, 25, 14, 0, 0};
    static const char* const kGoodCsv;

    AppSandbox sb;
    FakeClock clock{DateTime{2009, 3, 25, 14, 37, 0}};
    FakeDdeChannel channel;
    FakeHistDataHost host{clock};
    RecordingActivityList activity;
    FrmDDE form{channel, host, AppActivity(), CurrentDdeSettings};

    DdeFormHarness();
    ~DdeFormHarness();
    // Init, then one request for the hour.
    bool RequestHour(const DateTime& hour = kHour);
    std::string CsvPathOf(const std::string& name) const { return sb.folder() + "\\cache\\" + name; }
};

}  // namespace hdq::test
