// The long run, measured from outside as a plant's monitoring would: the real program in a
// program folder of its own, a stand-in that answers at once, and manual ranges handed to the
// running copy with "/export" block after block. Between blocks, with the copy idle, the
// process's private bytes, working set, handles, GDI and USER objects (Wine reports the
// private bytes, handles and objects of another process as 0, so its Unix side's anonymous
// memory and descriptors are read too), its windows and the activity list's lines are sampled;
// the growth per 100 hours after the first block is the least-squares slope over the samples.
// Then one range of a month's hours, timed, and the memory before and after it; last, bare
// DDEML pokes and the program's channel in this process, to tell whose growth it is.
//
// scripts/bench builds it in the soak tree, where the program is built with HDQ_BENCH_PAUSE_MS
// and the waits are short enough for hundreds of hours in minutes; built beside the shipped
// program it runs at the full 1000 ms pauses. The cost of an hour beyond its two pauses is the
// same in both; the ratio is reported over the shipped 2.0 s.
#include <windows.h>
#include <ddeml.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/version.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "core/files.h"
#include "bench_timer_win32.h"
#include "driver_win32.h"
#include "e2e_folder_win32.h"
#include "histdata/dde_channel.h"
#include "histdata_standin_win32.h"
#include "plant_tag_names.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "temp_folder.h"
#include "win32/win32_handles.h"

#ifndef HDQ_BENCH_PAUSE_MS
#define HDQ_BENCH_PAUSE_MS 1000
#endif

namespace {

using hdq::tools::Process;

struct Sample {
    int hours = 0;
    double privateKiB = 0, workingSetKiB = 0, anonKiB = 0;
    DWORD handles = 0, gdi = 0, user = 0, windows = 0, fds = 0;
    LRESULT activityLines = 0;
};

// A file of /proc, read to its end (its size reads as 0).
std::string ProcText(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        if (data.cFileName[0] != '.') names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Wine gives another process's private bytes and handle count as 0; its Unix side tells the
// anonymous memory and the open descriptors. The Unix process started as exe (or ending so).
std::string UnixProcessOf(const std::string& exe) {
    for (const std::string& pid : Entries("Z:\\proc")) {
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        // Its first argument: the shells and the lock that started this one name it later.
        std::string first = ProcText("Z:\\proc\\" + pid + "\\cmdline").c_str();
        CharUpperBuffA(first.data(), static_cast<DWORD>(first.size()));
        if (first.size() >= exe.size() && first.compare(first.size() - exe.size(), exe.size(), exe) == 0) {
            return "Z:\\proc\\" + pid;
        }
    }
    return "";
}

// Wine's server opens files, so /proc/self would be the server; this process is found by name.
std::string OwnUnixProcess() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    CharUpperA(path);
    // Started by its Linux path, so only the file name is the same in both forms.
    const char* leaf = std::strrchr(path, '\\');
    return UnixProcessOf(leaf ? leaf + 1 : path);
}

double StatusKiB(const std::string& status, const std::string& key) {
    const size_t at = status.find("\n" + key + ":");
    return at == std::string::npos ? -1 : std::atof(status.c_str() + at + key.size() + 2);
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

struct WindowCount {
    DWORD pid, count;
};

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    auto* c = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == c->pid) {
        ++c->count;
        EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&c->count));
    }
    return TRUE;
}

Sample Take(DWORD pid, const std::string& unixProcess, int hours) {
    Sample s;
    s.hours = hours;
    if (!unixProcess.empty()) {
        s.anonKiB = StatusKiB(ProcText(unixProcess + "\\status"), "RssAnon");
        s.fds = static_cast<DWORD>(Entries(unixProcess + "\\fd").size());
    }
    const hdq::win::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    PROCESS_MEMORY_COUNTERS_EX memory{};
    if (GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        s.privateKiB = static_cast<double>(memory.PrivateUsage) / 1024.0;
        s.workingSetKiB = static_cast<double>(memory.WorkingSetSize) / 1024.0;
    }
    if (!GetProcessHandleCount(process.get(), &s.handles)) s.handles = static_cast<DWORD>(-1);
    s.gdi = GetGuiResources(process.get(), GR_GDIOBJECTS);
    s.user = GetGuiResources(process.get(), GR_USEROBJECTS);
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    s.windows = windows.count;
    if (HWND main = hdq::tools::FindTopWindowOfProcess(pid, HDQ_MAIN_WINDOW_TITLE, 0)) {
        s.activityLines = SendMessageA(GetDlgItem(main, IDC_lstActivityLog), LB_GETCOUNT, 0, 0);
    }
    return s;
}

// Least-squares slope of value over hours, per 100 hours.
template <class Get>
double GrowthPer100Hours(const std::vector<Sample>& samples, Get get) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples) {
        const double x = s.hours, y = get(s);
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : 100.0 * (n * sxy - sx * sy) / d;
}

class Soak {
public:
    explicit Soak(size_t tags) : standIn_(HDQ_SIM_DIR), topic_("soak" + std::to_string(GetCurrentProcessId())) {
        standIn_.WriteSettings("SERVICE=histdata\r\nTOPIC=" + topic_ + "\r\nLIFETIME_MS=86400000\r\n");
        standIn_.WriteDictionary(hdq::bench::PlantTagNames(tags));
        exe_ = folder_ / "HistDataToQorp.exe";
        out_ = folder_ / "out";
        CopyFileA(hdq::tools::WinPath(HDQ_PROGRAM_EXE).c_str(), exe_.c_str(), FALSE);
        CreateDirectoryA(out_.c_str(), nullptr);
        // The end-to-end tests' INI at the shipped detail and step; LAST_RUN at this hour and the
        // service's minute half an hour away, so that the service has nothing to do meanwhile.
        const hdq::DateTime now = hdq::SystemNow();
        hdq::test::WriteProgramIni(folder_ / "HistDataToQorp.ini", standIn_, topic_, out_ + "\\",
                                   {{"VERBOSITY", "0"},
                                    {"DDE_DURATION", "59m"},
                                    {"KEEP_LOGS_FOR", "1000"},
                                    {"MINUTES_AFTER_HOUR", std::to_string((now.minute + 30) % 60)},
                                    {"LAST_RUN", hdq::FormatPattern(hdq::TruncateToHour(now), "MM-dd-yyyy HH:mm:ss")}});
    }

    bool Start() {
        return standIn_.Copied() && standIn_.Start() && program_.Start(exe_, "", folder_.path()) &&
               hdq::tools::FindTopWindowOfProcess(program_.Id(), hdq::win::FrmSysTray::kWindowTitle, 30000);
    }
    DWORD Id() const { return program_.Id(); }
    const std::string& Topic() const { return topic_; }
    Sample Take(int hours) {
        if (unixProcess_.empty()) {
            std::string exe = exe_;
            CharUpperBuffA(exe.data(), static_cast<DWORD>(exe.size()));
            unixProcess_ = UnixProcessOf(exe);
        }
        return ::Take(program_.Id(), unixProcess_, hours);
    }
    void SetTags(size_t tags) { standIn_.WriteDictionary(hdq::bench::PlantTagNames(tags)); }

    // Hands hours [first, first + count) to the running copy and waits until they are delivered
    // and the copy is back in its service mode. The seconds from the request to the last file.
    double Export(const hdq::DateTime& first, int count) {
        const size_t before = hdq::test::CsvFilesIn(out_).size();
        Process request;
        DWORD code = 99;
        const std::string args = "/export \"" + hdq::FormatPattern(first, "yyyy-mm-dd hh:nn") + "\" \"" +
                                 hdq::FormatPattern(first.AddSeconds(3600LL * count), "yyyy-mm-dd hh:nn") + "\"";
        const double t0 = Now();
        if (!request.Start(exe_, args, folder_.path()) || !request.WaitExit(60000, &code) || code != 0) {
            std::fprintf(stderr, "/export refused with %lu\n", code);
            return -1;
        }
        const DWORD limitMs = 60000 + static_cast<DWORD>(count) * 20000;
        // Looked at ten times a second: listing a folder of hundreds of files more often would take
        // the machine's time from the program being measured.
        const bool delivered =
            hdq::tools::WaitUntil([&] { return hdq::test::CsvFilesIn(out_).size() >= before + count; }, limitMs, 100);
        const double seconds = Now() - t0;
        const bool idle = hdq::tools::WaitUntil([&] { return Status().find("ServiceMode=RUNNING") != std::string::npos; },
                                                60000, 20);
        if (!delivered || !idle) {
            std::fprintf(stderr, "the range did not finish: %zu of %d files\n%s\n", hdq::test::CsvFilesIn(out_).size() - before, count,
                         Status().c_str());
            return -1;
        }
        // Delivered files are the importer's: removed, so that the folder stays small.
        for (int i = 0; i < count; ++i) {
            DeleteFileA((out_ + "\\" + hdq::FormatPattern(first.AddSeconds(3600LL * i), "YYYYMMDDHH") + ".CSV").c_str());
        }
        return seconds;
    }

    void End() {
        if (HWND tray = hdq::tools::FindTopWindowOfProcess(program_.Id(), hdq::win::FrmSysTray::kWindowTitle, 0)) {
            PostMessageA(tray, WM_COMMAND, IDM_mExit, 0);
            program_.WaitExit(30000);
        }
    }

private:
    std::string Status() const { return hdq::fsys::ReadAll(folder_ / "HistDataToQorp.status").value_or(""); }

    hdq::tools::StandIn standIn_;
    hdq::tools::TempFolder folder_;
    std::string topic_, exe_, out_, unixProcess_;
    Process program_;
};

// Asynchronous pokes completed, those completed as done, and those whose flags carry the
// positive acknowledgement.
int g_completed = 0, g_done = 0, g_acknowledged = 0;

HDDEDATA CALLBACK QuietClient(UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR flags) {
    if (type == XTYP_XACT_COMPLETE) {
        ++g_completed;
        g_done += data ? 1 : 0;
        g_acknowledged += LOWORD(flags) & DDE_FACK ? 1 : 0;
    }
    return nullptr;
}

// What the transactions alone cost: `pokes` synchronous pokes, and the same pokes sent
// asynchronously with at most `window` unanswered (DDEML answers a conversation's
// transactions in order), every acknowledgement counted before the end.
void PokeTimes(DWORD inst, HCONV conv, HSZ item, int pokes, int window) {
    const char value[] = "FT101_PV,+";
    const auto send = [&](DWORD timeout) {
        DWORD result = 0;
        return DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(value)), sizeof value, conv, item,
                                    CF_TEXT, XTYP_POKE, timeout, &result) != nullptr;
    };
    double t = Now();
    int synchronous = 0;
    for (int i = 0; i < pokes; ++i) synchronous += send(10000) ? 1 : 0;
    const double syncMs = (Now() - t) * 1000 / pokes;
    g_completed = g_done = g_acknowledged = 0;
    t = Now();
    int sent = 0;
    MSG msg;
    while (g_completed < pokes) {
        while (sent < pokes && sent - g_completed < window && send(TIMEOUT_ASYNC)) ++sent;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        DispatchMessageA(&msg);
        if (Now() - t > 60) break;
    }
    std::printf("%d pokes of one item, transactions alone: synchronous %.3f ms a poke (%d acknowledged); "
                "asynchronous with up to %d unanswered %.3f ms a poke (%d of %d done, %d with the acknowledgement's "
                "flag)\n",
                pokes, syncMs, synchronous, window, (Now() - t) * 1000 / pokes, g_done, pokes, g_acknowledged);
}

// The yardstick for whose growth it is: synchronous pokes made here, with bare DDEML calls,
// to the same stand-in; the growth of this process's anonymous memory per 1,000 pokes, with an
// item name made and freed for every poke (as the program's channel does) and with one kept.
void RawPokes(const std::string& topic, int pokes) {
    DWORD inst = 0;
    if (DdeInitializeA(&inst, QuietClient, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return;
    const HSZ service = DdeCreateStringHandleA(inst, "histdata", CP_WINANSI);
    const HSZ topicName = DdeCreateStringHandleA(inst, topic.c_str(), CP_WINANSI);
    const HCONV conv = DdeConnect(inst, service, topicName, nullptr);
    const std::string self = OwnUnixProcess() + "\\status";
    const char value[] = "FT101_PV,+";
    for (const bool fresh : {true, false}) {
        const HSZ kept = DdeCreateStringHandleA(inst, "TAGS1", CP_WINANSI);
        const auto poke = [&] {
            const HSZ item = fresh ? DdeCreateStringHandleA(inst, "TAGS1", CP_WINANSI) : kept;
            DWORD result = 0;
            const bool ok = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(value)), sizeof value,
                                                 conv, item, CF_TEXT, XTYP_POKE, 10000, &result) != nullptr;
            if (fresh) DdeFreeStringHandle(inst, item);
            return ok;
        };
        for (int i = 0; i < 1000; ++i) poke();  // whatever the first pokes set up once
        const double before = StatusKiB(ProcText(self), "RssAnon");
        int failed = 0;
        for (int i = 0; i < pokes; ++i) failed += poke() ? 0 : 1;
        const double after = StatusKiB(ProcText(self), "RssAnon");
        std::printf("bare DDEML pokes in the benchmark's own process, item name %s: %d pokes (%d failed), "
                    "anonymous memory %.0f -> %.0f KiB, %.1f KiB per 1,000 pokes\n",
                    fresh ? "made and freed each time" : "kept", pokes, failed, before, after,
                    (after - before) * 1000.0 / pokes);
        DdeFreeStringHandle(inst, kept);
    }
    const HSZ item = DdeCreateStringHandleA(inst, "TAGS1", CP_WINANSI);
    if (conv) PokeTimes(inst, conv, item, 2000, 32);
    DdeFreeStringHandle(inst, item);
    if (conv) DdeDisconnect(conv);
    DdeFreeStringHandle(inst, topicName);
    DdeFreeStringHandle(inst, service);
    DdeUninitialize(inst);
}

// The same yardstick shaped like the program's hours: the program's own channel, a
// conversation opened per hour, the tag pokes, the ERROR request, the conversation closed,
// messages pumped between transactions.
void ChannelHours(const std::string& topic, int hours, int tags) {
    const std::unique_ptr<hdq::DdeChannel> channel = hdq::MakePlatformDdeChannel();
    channel->linkTimeout = 600;
    channel->linkTopic = "histdata|" + topic;
    const std::string self = OwnUnixProcess() + "\\status";
    const auto hour = [&] {
        channel->SetLinkMode(hdq::LinkMode::Manual);
        for (int t = 0; t < tags; ++t) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            channel->linkItem = t == 0 ? std::string("TAGS") : "TAGS" + std::to_string(t);
            channel->text = "FT101_PV,+";
            channel->LinkPoke();
        }
        channel->linkItem = "ERROR";
        channel->LinkRequest();
        channel->SetLinkMode(hdq::LinkMode::None);
    };
    try {
        for (int i = 0; i < 20; ++i) hour();
        const double before = StatusKiB(ProcText(self), "RssAnon");
        for (int i = 0; i < hours; ++i) hour();
        const double after = StatusKiB(ProcText(self), "RssAnon");
        std::printf("the program's channel in the benchmark's own process, %d hours of %d pokes and a request, a "
                    "conversation each: anonymous memory %.0f -> %.0f KiB, %.1f KiB per 100 hours\n",
                    hours, tags, before, after, (after - before) * 100.0 / hours);
    } catch (const std::exception& e) {
        std::printf("the channel failed: %s\n", e.what());
    }
}

void PrintSamples(const char* title, const std::vector<Sample>& samples) {
    std::printf("%s\n%6s %11s %11s %9s %8s %5s %5s %5s %8s %9s\n", title, "hours", "private KiB", "WS KiB",
                "anon KiB", "handles", "fds", "GDI", "USER", "windows", "activity");
    for (const Sample& s : samples) {
        std::printf("%6d %11.0f %11.0f %9.0f %8lu %5lu %5lu %5lu %8lu %9ld\n", s.hours, s.privateKiB, s.workingSetKiB,
                    s.anonKiB, s.handles, s.fds, s.gdi, s.user, s.windows, static_cast<long>(s.activityLines));
    }
    std::vector<Sample> after(samples.size() > 1 ? samples.begin() + 1 : samples.begin(), samples.end());
    std::printf("growth per 100 hours after the first block: private %.1f KiB, working set %.1f KiB, anonymous "
                "%.1f KiB, handles %.2f, fds %.2f, GDI %.2f, USER %.2f, windows %.2f, activity lines %.1f\n",
                GrowthPer100Hours(after, [](const Sample& s) { return s.privateKiB; }),
                GrowthPer100Hours(after, [](const Sample& s) { return s.workingSetKiB; }),
                GrowthPer100Hours(after, [](const Sample& s) { return s.anonKiB; }),
                GrowthPer100Hours(after, [](const Sample& s) { return double(s.handles); }),
                GrowthPer100Hours(after, [](const Sample& s) { return double(s.fds); }),
                GrowthPer100Hours(after, [](const Sample& s) { return double(s.gdi); }),
                GrowthPer100Hours(after, [](const Sample& s) { return double(s.user); }),
                GrowthPer100Hours(after, [](const Sample& s) { return double(s.windows); }),
                GrowthPer100Hours(after, [](const Sample& s) { return double(s.activityLines); }));
}

// Blocks of `block` hours up to `hours`, sampled after each; the hours follow on from `next`.
bool SoakRun(Soak& soak, const char* title, hdq::DateTime& next, int hours, int block) {
    std::vector<Sample> samples;
    for (int done = 0; done < hours; done += block) {
        if (soak.Export(next, block) < 0) return false;
        next = next.AddSeconds(3600LL * block);
        Sleep(500);  // whatever an idle copy still does after a run, then the figures
        samples.push_back(soak.Take(done + block));
    }
    PrintSamples(title, samples);
    return true;
}

}  // namespace

// Arguments: hours of the soak (default 500), tags (default 200), hours of the catch-up range
// (default 720); "0" leaves a part out.
int main(int argc, char** argv) {
    const int hours = argc > 1 ? std::atoi(argv[1]) : 500;
    const size_t tags = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
    const int catchUp = argc > 3 ? std::atoi(argv[3]) : 720;
    constexpr int kBlock = 50;
    std::printf("pauses of a request in this build: 2 x %d ms\n", HDQ_BENCH_PAUSE_MS);
    Soak soak(tags);
    if (!soak.Start()) {
        std::fprintf(stderr, "the program or the stand-in did not start\n");
        return 1;
    }
    hdq::DateTime next{2009, 1, 1, 0, 0, 0};
    bool ok = true;
    if (hours > 0) {
        const std::string title = std::to_string(tags) + " tags, " + std::to_string(hours) + " hours in blocks of " +
                                  std::to_string(kBlock);
        ok = SoakRun(soak, title.c_str(), next, hours, kBlock);
        // The same copy with three tags: growth that follows the tag count is the DDE pokes'.
        soak.SetTags(3);
        ok = ok && SoakRun(soak, "3 tags, the same copy, 250 hours more", next, 250, kBlock);
        soak.SetTags(tags);
    }
    if (ok && catchUp > 0) {
        const Sample before = soak.Take(0);
        const double seconds = soak.Export(next, catchUp);
        const Sample after = soak.Take(catchUp);
        const double overheadMs = seconds * 1000.0 / catchUp - 2.0 * HDQ_BENCH_PAUSE_MS;
        std::printf("catch-up of %d hours, %zu tags, one range: %.1f s, %.1f ms an hour beyond its pauses, "
                    "%.3f of the shipped 2.0 s; working set %.0f -> %.0f KiB, anonymous %.0f -> %.0f KiB, fds %lu -> %lu\n",
                    catchUp, tags, seconds, overheadMs, (2000.0 + overheadMs) / 2000.0, before.workingSetKiB,
                    after.workingSetKiB, before.anonKiB, after.anonKiB, before.fds, after.fds);
        ok = seconds > 0;
    }
    soak.End();
    if (hours > 0) {
        RawPokes(soak.Topic(), 50000);
        ChannelHours(soak.Topic(), 200, static_cast<int>(tags));
    }
    return ok ? 0 : 1;
}
