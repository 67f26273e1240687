// One hour's request against a HistData stand-in that answers at once: the wall time of
// FrmDDE::SendRequest over the real DDEML channel and the real message-pumping host, set
// against the two 1000 ms pumping waits that every request holds by design. What lies above
// 2.0 s is the cost of the exchange itself (initiate, pokes, the write, the request of ERROR,
// the CSV check). Run under Wine; prints its figures and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/shared.h"
#include "core/datetime.h"
#include "fake_dde.h"
#include "histdata/dde_channel.h"
#include "histdata/frmdde.h"
#include "histdata/host.h"
#include "plant_tag_names.h"
#include "standin_win32.h"

namespace {

constexpr double kBuiltInWaitSeconds = 2.0;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency);
}

double Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    static const LARGE_INTEGER origin = t;
    return Seconds(origin, t);
}

// Passes every operation on to the platform's channel and adds up the time spent in DDE
// transactions, so a slow request can be told apart: the exchange, or the pumping waits.
class TimedChannel : public hdq::DdeChannel {
public:
    explicit TimedChannel(std::unique_ptr<hdq::DdeChannel> inner) : inner_(std::move(inner)) {}
    double seconds = 0;

    void SetLinkMode(hdq::LinkMode mode) override {
        Timed([&] { inner_->SetLinkMode(mode); });
        mode_ = inner_->linkMode();
    }
    void LinkPoke() override { Timed([&] { inner_->LinkPoke(); }); }
    void LinkRequest() override {
        Timed([&] { inner_->LinkRequest(); });
        text = inner_->text;
    }

private:
    template <typename F>
    void Timed(F operation) {
        inner_->text = text;
        inner_->linkTopic = linkTopic;
        inner_->linkItem = linkItem;
        inner_->linkTimeout = linkTimeout;
        const double start = Now();
        try {
            operation();
        } catch (...) {
            seconds += Now() - start;
            throw;
        }
        seconds += Now() - start;
    }
    std::unique_ptr<hdq::DdeChannel> inner_;
};

// The platform's host, with the time spent in the pumping waits added up.
class TimedHost : public hdq::HistDataHost {
public:
    double seconds = 0;
    bool IsAppRunningTitled(const std::string& title) override { return real_.IsAppRunningTitled(title); }
    bool StartMinimized(const std::string& exePath, hdq::OsError* err) override {
        return real_.StartMinimized(exePath, err);
    }
    uint32_t WaitPumpingMessages(int32_t intervalMs) override {
        const double start = Now();
        const uint32_t result = real_.WaitPumpingMessages(intervalMs);
        seconds += Now() - start;
        return result;
    }

private:
    hdq::HistDataHost& real_ = hdq::PlatformHost();
};

struct Figures {
    std::vector<double> seconds;
    std::vector<double> waitSeconds;  // in the two pumping waits
    std::vector<double> ddeSeconds;   // in DDE transactions
    int failures = 0;
};

// Requests hours 00:00, 01:00, ... of one day for the stand-in's dictionary of tagCount tags,
// all selected, and times each SendRequest.
Figures TimeRequests(const std::string& simDir, size_t tagCount, int requests) {
    Figures figures;
    hdq::test::AppSandbox sandbox;  // shared objects, a program folder and its cache
    hdq::test::StandIn standIn(simDir);
    const std::string topic = hdq::test::UniqueName("bench");
    // The program always talks to the service "histdata"; a topic of its own keeps other
    // stand-ins that may run on this machine from answering.
    standIn.WriteSettings("SERVICE=histdata\r\nTOPIC=" + topic + "\r\nLIFETIME_MS=300000\r\n");
    standIn.WriteDictionary(hdq::bench::PlantTagNames(tagCount));
    if (!standIn.Copied() || !standIn.Start()) {
        std::fprintf(stderr, "the stand-in did not start from %s\n", simDir.c_str());
        figures.failures = requests;
        return figures;
    }
    sandbox.Set("DDE_LINKTOPIC", topic);
    sandbox.Set("DDE_LGH_FOLDER", standIn.folder());
    sandbox.Set("DDE_TAGNAME_FILE", standIn.Path("tagname.x"));
    sandbox.Set("DDE_HISTDATA_FOLDER", standIn.folder());
    sandbox.Set("DDE_TIMEOUT", "600");
    sandbox.Set("DDE_DURATION", "59m");
    sandbox.Set("DDE_INTERVAL", "1m");
    sandbox.Set("SELECTALLTAGS", "TRUE");
    // The shipped log detail: a request writes no per-item lines.
    sandbox.Set("VERBOSITY", "0");
    hdq::AppLog().SetVerbosity(0);

    TimedChannel channel(hdq::MakePlatformDdeChannel());
    TimedHost host;
    hdq::FrmDDE form(channel, host);
    if (!form.Init()) {
        std::fprintf(stderr, "Init failed: HistData's window was not found\n");
        figures.failures = requests;
        return figures;
    }
    for (int i = 0; i < requests; ++i) {
        const hdq::DateTime hour{2009, 3, 25, i % 24, 0, 0};
        form.SetStartDate(hour);
        form.SetStartTime(hour);
        channel.seconds = 0;
        host.seconds = 0;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool made = form.SendRequest();
        QueryPerformanceCounter(&end);
        // A request that failed did not do the work being timed; it is counted, not averaged.
        if (made && hdq::fsys::Exists(form.CsvPath())) {
            figures.seconds.push_back(Seconds(start, end));
            figures.waitSeconds.push_back(host.seconds);
            figures.ddeSeconds.push_back(channel.seconds);
        } else {
            ++figures.failures;
        }
    }
    form.ClearMemory();
    standIn.Stop();
    return figures;
}

void Report(const char* label, const Figures& f) {
    if (f.seconds.empty()) {
        std::printf("%-28s no successful request (%d failed)\n", label, f.failures);
        return;
    }
    double sum = 0;
    for (double s : f.seconds) sum += s;
    const double mean = sum / static_cast<double>(f.seconds.size());
    std::vector<double> sorted = f.seconds;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    std::printf("%-28s requests=%zu failed=%d mean=%.4f s median=%.4f s min=%.4f s max=%.4f s\n", label,
                f.seconds.size(), f.failures, mean, median, sorted.front(), sorted.back());
    std::printf("%-28s ratio to the 2.0 s of waits: mean %.4f, median %.4f\n", "", mean / kBuiltInWaitSeconds,
                median / kBuiltInWaitSeconds);
    auto list = [&](const char* what, const std::vector<double>& v) {
        std::printf("%-28s %-6s", "", what);
        for (double s : v) std::printf(" %.3f", s);
        std::printf("\n");
    };
    list("total", f.seconds);
    list("waits", f.waitSeconds);
    list("dde", f.ddeSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string simDir = argc > 1 ? argv[1] : HDQ_SIM_DIR;
    const int requests = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    try {
        const Figures few = TimeRequests(simDir, 3, requests);
        const Figures many = TimeRequests(simDir, 100, requests);
        Report("request, 3 tags", few);
        Report("request, 100 tags", many);
        return few.failures == 0 && many.failures == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_request: %s\n", e.what());
        return 2;
    }
}
