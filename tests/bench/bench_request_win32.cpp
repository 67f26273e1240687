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

struct Figures {
    std::vector<double> seconds;
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

    std::unique_ptr<hdq::DdeChannel> channel = hdq::MakePlatformDdeChannel();
    hdq::FrmDDE form(*channel, hdq::PlatformHost());
    if (!form.Init()) {
        std::fprintf(stderr, "Init failed: HistData's window was not found\n");
        figures.failures = requests;
        return figures;
    }
    for (int i = 0; i < requests; ++i) {
        const hdq::DateTime hour{2009, 3, 25, i % 24, 0, 0};
        form.SetStartDate(hour);
        form.SetStartTime(hour);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool made = form.SendRequest();
        QueryPerformanceCounter(&end);
        // A request that failed did not do the work being timed; it is counted, not averaged.
        if (made && hdq::fsys::Exists(form.CsvPath())) {
            figures.seconds.push_back(Seconds(start, end));
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
    const auto [lo, hi] = std::minmax_element(f.seconds.begin(), f.seconds.end());
    std::printf("%-28s requests=%zu failed=%d mean=%.4f s min=%.4f s max=%.4f s ratio_to_2.0s=%.4f\n", label,
                f.seconds.size(), f.failures, mean, *lo, *hi, mean / kBuiltInWaitSeconds);
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
