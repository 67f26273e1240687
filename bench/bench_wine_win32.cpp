// The Windows costs, measured under Wine against yardsticks in one run, and printed as tables:
// - one hour's request (FrmDDE::SendRequest over the real DDEML channel and message-pumping
//   host) to a stand-in that answers at once, against the two 1000 ms pumping waits that every
//   request holds by design: what lies above 2.0 s is the exchange itself;
// - the real HistDataToQorp.exe's start in a configured program folder, from CreateProcess to
//   its tray window, and its working set once settled, against a trivial Win32 window program;
// - a keystroke in the tag selection's filter box with 50,000 tags, from the text set to the
//   list drawn, against refilling a plain list box with the names shown (the other way to redraw);
// - the Deliveries window's week of 168 cells drawn into a memory DC, against filling the same
//   168 rectangles with one brush and nothing else.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <string>
#include <vector>

#include "app/shared.h"
#include "bench_timer_win32.h"
#include "app/week_drawing_win32.h"
#include "driver_win32.h"
#include "histdata_standin_win32.h"
#include "core/files.h"
#include "logging/activity.h"
#include "histdata/frmdde.h"
#include "plant_tag_names.h"
#include "platform/platform_res.h"
#include "platform/systray_win32.h"
#include "win32/win32_handles.h"
#include "settings/settings_res.h"
#include "settings/tag_selection_dialog_win32.h"
#include "tagnamex_writer.h"
#include "app/version.h"

namespace {

double Mean(const std::vector<double>& v) { return v.empty() ? 0 : std::reduce(v.begin(), v.end()) / v.size(); }

// Label, runs that succeeded and failed, mean and least seconds of those that succeeded, then more.
void PrintRow(const char* label, const std::vector<double>& seconds, size_t runs, std::vector<double> more) {
    more.insert(more.begin(), {Mean(seconds), seconds.empty() ? 0 : *std::min_element(seconds.begin(), seconds.end())});
    std::printf("%-24s %4zu %6zu", label, seconds.size(), runs - seconds.size());
    for (double figure : more) std::printf(" %9.3f", figure);
    std::printf("\n");
}

// Requests hours 00:00, 01:00, ... of one day for the stand-in's dictionary of tagCount tags,
// all selected, and prints the row of the table. The mean, 0 when a request failed.
double TimeRequests(const char* label, size_t tagCount, int requests) {
    hdq::tools::StandIn standIn(HDQ_SIM_DIR);
    // The program always talks to the service "histdata"; a topic of its own keeps other
    // stand-ins that may run on this machine from answering.
    const std::string topic = "bench" + std::to_string(GetCurrentProcessId());
    standIn.WriteSettings("SERVICE=histdata\r\nTOPIC=" + topic + "\r\nLIFETIME_MS=300000\r\n");
    standIn.WriteDictionary(hdq::bench::PlantTagNames(tagCount));
    const bool started = standIn.Copied() && standIn.Start();
    // The shipped log detail writes no per-item lines; this log is not even opened.
    hdq::VRXLoggerTXT log;
    hdq::ActivityLog activity(log);
    const hdq::DdeSettings settings{"600", topic, standIn.folder(), standIn.Path("tagname.x"), standIn.folder(),
                                    "59m", "1m",  "TRUE",           "",     "0", standIn.Path("cache\\")};
    const std::unique_ptr<hdq::DdeChannel> channel = hdq::MakePlatformDdeChannel();
    hdq::FrmDDE form(*channel, hdq::PlatformHost(), activity, [&] { return settings; });
    std::vector<double> seconds;
    const bool ready = started && form.Init();
    for (int i = 0; ready && i < requests; ++i) {
        form.SetStartDate(hdq::DateTime{2009, 3, 25, i % 24, 0, 0});
        form.SetStartTime(hdq::DateTime{2009, 3, 25, i % 24, 0, 0});
        const double start = Now();
        // A request that failed did not do the work being timed; it is counted, not averaged.
        if (form.SendRequest()) seconds.push_back(Now() - start);
    }
    PrintRow(label, seconds, requests, {Mean(seconds) - 2.0, Mean(seconds) / 2.0});
    return seconds.size() == static_cast<size_t>(requests) ? Mean(seconds) : 0;
}

// How one program is started, recognised and ended, and what its starts measured.
struct Program {
    std::string exe;
    std::string awaited;  // the window whose coming is timed
    std::string hidden;   // a window that must exist and stay hidden
    UINT endMessage;      // posted to the awaited window at the end
    WPARAM endWParam;
    std::vector<double> seconds{}, workingSetMiB{};  // of the starts that succeeded
};

void MeasureStart(Program& program, const std::string& folder) {
    hdq::tools::Process p;  // killed when it goes away, should it not have ended
    const auto awaited = [&] { return hdq::tools::FindTopWindowOfProcess(p.Id(), program.awaited, 0); };
    const double t0 = Now();
    const bool started = p.Start(program.exe, "", folder) && hdq::tools::WaitUntil(awaited, 30000, 1);
    const double seconds = Now() - t0;
    Sleep(1500);  // whatever start-up still does once the window is there, then the figures
    const HWND hidden = hdq::tools::FindTopWindowOfProcess(p.Id(), program.hidden, 0);
    const hdq::win::UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, p.Id()));
    PROCESS_MEMORY_COUNTERS memory{};
    if (started && hidden && !IsWindowVisible(hidden) && GetProcessMemoryInfo(process.get(), &memory, sizeof memory)) {
        program.seconds.push_back(seconds);
        program.workingSetMiB.push_back(static_cast<double>(memory.WorkingSetSize) / (1024.0 * 1024.0));
    }
    PostMessageA(awaited(), program.endMessage, program.endWParam, 0);
    p.WaitExit(10000);
}

// A program folder that the program finds complete, so that it goes to the tray; the hourly
// service's minute is half an hour away, so that no export starts while it is measured.
std::string LayOutProgramFolder(const hdq::tools::TempFolder& folder) {
    CopyFileA(hdq::tools::WinPath(HDQ_PROGRAM_EXE).c_str(), (folder / "HistDataToQorp.exe").c_str(), FALSE);
    CreateDirectoryA((folder / "cache").c_str(), nullptr);  // OUTPUT_FOLDER keeps its default
    hdq::tools::WriteTagnameX(folder / "tagname.x", std::vector<hdq::tools::TagRecord>(200));
    const std::time_t now = std::time(nullptr);
    std::string ini = "DDE_LINKTOPIC=tagname\r\nMINUTES_AFTER_HOUR=";
    ini += std::to_string((std::localtime(&now)->tm_min + 30) % 60) + "\r\nDDE_TAGNAME_FILE=" + (folder / "tagname.x");
    ini += "\r\nDDE_LGH_FOLDER=" + folder.path() + "\r\nDDE_HISTDATA_FOLDER=" + folder.path() + "\r\n";
    hdq::fsys::WriteAll(folder / "HistDataToQorp.ini", ini);
    return folder / "HistDataToQorp.exe";
}

// Typed letter by letter, then a paste over it, a deleted letter, and the box cleared.
const char* const kKeystrokes[] = {"T", "TI", "TIC", "TIC2", "TIC20", "PIC2", "PIC", ""};

// The real dialog: setting the box's text runs the filter and sets the list's row count
// (EN_CHANGE), UpdateWindow draws the visible rows at once. Prints the open and the keystrokes.
void TimeFilterBox(int runs) {
    hdq::HashTable<std::string> all, chosen;
    all.SetSize(4096);
    chosen.SetSize(4096);
    const std::vector<std::string> names = hdq::bench::PlantTagNames(50000);
    for (size_t i = 0; i < names.size(); ++i) all.Add("TAGNAME_" + std::to_string(i + 1), names[i]);
    hdq::TagSelection selection;
    selection.SetAllTagList(&all);
    selection.SetFilterTagList(&chosen);
    selection.Init();
    std::vector<double> opens, keys, refills;
    for (int run = 0; run < runs; ++run) {
        hdq::SelectTagsDialog dialog(selection);
        double t = Now();
        HWND dlg = dialog.CreateModeless(nullptr, IDD_frmSelectTags, true);
        UpdateWindow(dlg);
        opens.push_back(Now() - t);
        HWND box = GetDlgItem(dlg, IDC_txtFilter), list = GetDlgItem(dlg, IDC_lstAllTags);
        for (const char* text : kKeystrokes) {
            t = Now();
            SetWindowTextA(box, text);
            UpdateWindow(list);
            keys.push_back(Now() - t);
        }
        dialog.Destroy();
        // The yardstick: a plain list box of the same size refilled with each keystroke's names.
        HWND plain = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL | LBS_HASSTRINGS, 0, 0,
                                     200, 300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        for (const char* text : kKeystrokes) {
            selection.SetFilterText(text);
            const std::vector<std::string> shown = selection.ShownTags();
            t = Now();
            SendMessageA(plain, WM_SETREDRAW, FALSE, 0);
            SendMessageA(plain, LB_RESETCONTENT, 0, 0);
            for (const std::string& name : shown) SendMessageA(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            SendMessageA(plain, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(plain, nullptr, TRUE);
            UpdateWindow(plain);
            refills.push_back((Now() - t) * 1000);
        }
        DestroyWindow(plain);
    }
    std::printf("%-24s %4s %6s %9s %9s %9s\n", "filter, 50,000 tags (s)", "ok", "failed", "mean", "min", "max");
    PrintRow("open the tag selection", opens, opens.size(), {*std::max_element(opens.begin(), opens.end())});
    PrintRow("keystroke, in the dialog", keys, keys.size(), {*std::max_element(keys.begin(), keys.end())});
    PrintRow("refill of a plain list", refills, refills.size(), {*std::max_element(refills.begin(), refills.end())});
}

// A week with every state: a failing plant's hours, delivered with gaps, retries and no data.
hdq::WeekPicture MixedWeek(const hdq::DateTime& now) {
    std::vector<hdq::JournalLine> journal;
    std::vector<hdq::RetryList::Entry> retries;
    for (int i = 0; i < 7 * 24; ++i) {
        const hdq::DateTime hour = now.Date().AddDays(-6).AddSeconds(3600LL * i);
        const hdq::JournalOutcome outcome[] = {hdq::JournalOutcome::Delivered, hdq::JournalOutcome::NoData,
                                               hdq::JournalOutcome::GivenUp};
        if (i % 11 == 5) {
            retries.push_back({hour, hour.AddSeconds(3700)});
        } else if (i % 13 != 7) {
            journal.push_back({hour, hour.AddSeconds(3641), outcome[i % 17 == 2 ? 2 : i % 3 == 1 ? 1 : 0],
                               60, 5120, std::string(64, 'a')});
        }
    }
    return hdq::WeekPicture::Build(journal, retries, now.AddSeconds(-7200), now);
}

// The picture at the size the window gives it (426 x 150 dialog units at 96 DPI).
void TimeWeekDrawing(int runs) {
    const hdq::WeekPicture week = MixedWeek(hdq::DateTime{2026, 12, 7, 10, 20, 0});
    const RECT area{0, 0, 639, 244};
    HDC screen = GetDC(nullptr);
    std::vector<double> draws, fills;
    {
        const hdq::win::MemoryCanvas canvas(screen, area.right, area.bottom);
        const hdq::win::WeekLayout layout = hdq::win::WeekLayout::Of(area);
        for (int i = 0; i < runs * 20; ++i) {
            double t = Now();
            hdq::win::DrawWeek(canvas.dc(), area, week, nullptr);
            GdiFlush();
            draws.push_back((Now() - t) * 1000);
            t = Now();
            for (int c = 0; c < 7 * 24; ++c) {
                const RECT cell = layout.Cell(c / 24, c % 24);
                FillRect(canvas.dc(), &cell, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
            }
            GdiFlush();
            fills.push_back((Now() - t) * 1000);
        }
    }
    ReleaseDC(nullptr, screen);
    std::printf("%-24s %4s %6s %9s %9s %9s\n", "week, 168 cells (ms)", "ok", "failed", "mean", "min", "max");
    PrintRow("draw the week", draws, draws.size(), {*std::max_element(draws.begin(), draws.end())});
    PrintRow("fill 168 rectangles", fills, fills.size(), {*std::max_element(fills.begin(), fills.end())});
}

bool TimeStarts(int runs) {
    hdq::tools::TempFolder folder;
    // The yardstick never shows its window; the program, configured, keeps its main window hidden.
    Program trivial{hdq::tools::WinPath(HDQ_TRIVIAL_EXE), "HdqTrivialWindow", "HdqTrivialWindow", WM_CLOSE, 0};
    Program ours{LayOutProgramFolder(folder), hdq::win::FrmSysTray::kWindowTitle,
                 HDQ_MAIN_WINDOW_TITLE, WM_COMMAND, IDM_mExit};
    // Alternated, so that a passing load on the machine touches both series alike.
    for (int i = 0; i < runs; ++i) {
        MeasureStart(trivial, folder.path());
        MeasureStart(ours, folder.path());
    }
    std::printf("%-24s %4s %6s %9s %9s %9s\n", "start-up (s)", "ok", "failed", "mean", "min", "WS MiB");
    PrintRow("trivial Win32 window", trivial.seconds, runs, {Mean(trivial.workingSetMiB)});
    PrintRow("HistDataToQorp to tray", ours.seconds, runs, {Mean(ours.workingSetMiB)});
    std::printf("program over yardstick: start-up %.2f, working set %.2f\n",
                Mean(ours.seconds) / Mean(trivial.seconds), Mean(ours.workingSetMiB) / Mean(trivial.workingSetMiB));
    return trivial.seconds.size() + ours.seconds.size() == 2u * runs;
}

}  // namespace

// Arguments: the number of requests of each size, and of starts of each program (default 5);
// "week", "filter", "requests" or "start" as the second runs only that table.
int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string only = argc > 2 ? argv[2] : "";
    if (only.empty() || only == "week") TimeWeekDrawing(runs);
    if (only.empty() || only == "filter") TimeFilterBox(runs);
    bool ok = true;
    if (only.empty() || only == "requests") {
        std::printf("%-24s %4s %6s %9s %9s %9s %9s\n", "request (s)", "ok", "failed", "mean", "min", "over 2.0", "mean/2");
        const double few = TimeRequests("3 tags", 3, runs);
        ok = few > 0;
        // What the tag list itself costs: a request's time beyond the 3-tag one, per tag.
        for (const size_t tags : {size_t{100}, size_t{2000}, size_t{10000}}) {
            const double mean = TimeRequests((std::to_string(tags) + " tags").c_str(), tags, runs);
            ok = ok && mean > 0;
            std::printf("%-24s %.3f ms a tag, %.2f s in all\n", "  the tag list", (mean - few) * 1000 / (tags - 3),
                        mean - few);
        }
    }
    if (only.empty() || only == "start") ok = TimeStarts(runs) && ok;
    return ok ? 0 : 1;
}
