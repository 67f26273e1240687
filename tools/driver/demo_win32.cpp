// The demo's driver: makes a tagname.x for the demo folder, or starts the program in a laid-out
// demo folder and runs a manual export of the last hours through the program's own window,
// the way an operator would, then saves a picture of the main window.
//
//   hdq-demo maketags <tagname.x path>
//   hdq-demo run <program folder> <hours> <screenshot.bmp>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "core/clock.h"
#include "core/datetime.h"
#include "driver_win32.h"
#include "tagnamex_writer.h"
#include "app/version.h"

using namespace hdq;
using namespace hdq::tools;

namespace {

const char* const kAreas[] = {"FT", "TT", "PT", "LT", "AT"};
const char* const kWhat[] = {"flow", "temperature", "pressure", "level", "analyser"};

int MakeTags(const std::string& path) {
    std::vector<TagRecord> tags;
    for (int area = 0; area < 5; ++area) {
        for (int n = 1; n <= 10; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "%s%d%02d", kAreas[area], area + 1, n);
            tags.push_back({name, std::string("Unit ") + std::to_string(area + 1) + " " + kWhat[area] + " " +
                                      std::to_string(n),
                            static_cast<uint8_t>(n % 2 ? 1 : 9), 0});
        }
    }
    // Tags that are not logged to history: the export must leave them out.
    tags.push_back({"HS101", "Pump 1 start switch", 0, 0});
    tags.push_back({"XV205", "Valve 5 position", 3, 0});
    tags.push_back({"ALARM_ACK", "Alarm acknowledge", 2, 0});
    WriteTagnameX(path, tags);
    std::printf("tagname.x: %zu records, 50 trended\n", tags.size());
    return 0;
}

bool SaveBitmap(HWND window, const std::string& path) {
    RECT r{};
    if (!GetWindowRect(window, &r)) return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER bi{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    int stride = ((w * 3 + 3) / 4) * 4;
    std::vector<char> pixels(static_cast<size_t>(stride) * h);
    GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.write(reinterpret_cast<const char*>(&bi), sizeof bi);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

bool ListHas(HWND list, const std::string& text) {
    for (const auto& line : ListBoxItems(list)) {
        if (line.find(text) != std::string::npos) return true;
    }
    return false;
}

int Run(const std::string& folder, int hours, const std::string& picture) {
    Process program;
    if (!program.Start(folder + "\\HistDataToQorp.exe", "", folder)) {
        std::fprintf(stderr, "could not start the program in %s\n", folder.c_str());
        return 2;
    }
    const std::string title = HDQ_MAIN_WINDOW_TITLE;
    HWND main = FindTopWindowOfProcess(program.Id(), title, 30000);
    if (!main) {
        std::fprintf(stderr, "the main window did not appear\n");
        return 2;
    }
    // The configured program starts hidden in the notification area; bring the window up as an
    // operator would with a double-click on the icon.
    ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);

    PostClick(FindChildById(main, IDC_btnManual));
    HWND dialog = FindTopWindowOfProcess(program.Id(), "Manual Run", 15000);
    if (!dialog) {
        std::fprintf(stderr, "the Manual Run dialog did not appear\n");
        return 2;
    }
    DateTime end = TruncateToHour(SystemNow());
    DateTime start = end.AddSeconds(-3600LL * hours);
    SetText(FindChildById(dialog, IDC_txtStartDate), FormatGeneral(start));
    SetText(FindChildById(dialog, IDC_txtEndDate), FormatGeneral(end));
    std::printf("Manual Run from %s to %s\n", FormatGeneral(start).c_str(), FormatGeneral(end).c_str());
    PostClick(FindChildById(dialog, IDC_btnRun));

    HWND list = FindChildById(main, IDC_lstActivityLog);
    bool done = WaitUntil([&] { return ListHas(list, "Complete Manual process HistData files"); }, 240000, 250);
    std::printf("%s\n", done ? "The manual run completed." : "The manual run did not complete in time.");
    Sleep(500);
    SetForegroundWindow(main);
    Sleep(700);
    if (!picture.empty() && !SaveBitmap(main, picture)) std::fprintf(stderr, "could not save the picture\n");
    program.Kill();
    return done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    if (args.size() == 3 && args[1] == "maketags") return MakeTags(args[2]);
    if (args.size() == 5 && args[1] == "run") return Run(args[2], std::stoi(args[3]), args[4]);
    std::fprintf(stderr, "usage: hdq-demo maketags <file> | run <folder> <hours> <picture.bmp>\n");
    return 64;
}
