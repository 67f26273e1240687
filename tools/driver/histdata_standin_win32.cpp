#include "histdata_standin_win32.h"

#include <algorithm>

#include "core/files.h"
#include "tagnamex_writer.h"

namespace hdq::tools {

StandIn::StandIn(const std::string& simDir) {
    const std::string from = WinPath(simDir) + "\\histdata.exe";
    copied_ = CopyFileA(from.c_str(), ExePath().c_str(), FALSE) != 0;
}

void StandIn::WriteSettings(const std::string& iniText) { fsys::WriteAll(Path("histdata-sim.ini"), iniText); }

void StandIn::WriteDictionary(const std::vector<std::string>& tagNames) {
    std::vector<TagRecord> records;
    for (const auto& name : tagNames) records.emplace_back().name = name;
    WriteTagnameX(Path("tagname.x"), records);
}

bool StandIn::Start(bool waitForWindow, DWORD timeoutMs) {
    Stop();
    // Minimised and without focus, as the program starts HistData.
    if (!process_.Start(ExePath(), "", folder(), SW_SHOWMINNOACTIVE)) return false;
    if (!waitForWindow) return true;
    return WaitUntil([&] { return Window() != nullptr || !Running(); }, timeoutMs, 20) && Window() != nullptr;
}

HWND StandIn::Window() const {
    return process_.Id() ? FindTopWindowOfProcess(process_.Id(), "Historical Data Manager", 0) : nullptr;
}

void StandIn::Stop() {
    // A quit lets it withdraw its DDE service; the process owner kills it should it not end.
    if (Running()) PostThreadMessageA(process_.ThreadId(), WM_QUIT, 0, 0);
    process_.WaitExit(3000);
    process_.Kill();
}

std::vector<std::string> StandIn::Transcript() const {
    std::vector<std::string> lines;
    const std::string text = fsys::ReadAll(Path("histdata-transcript.txt")).value_or("");
    for (size_t pos = 0, end; pos < text.size(); pos = end + 2) {
        end = std::min(text.find("\r\n", pos), text.size());
        lines.push_back(text.substr(pos, end - pos));
    }
    return lines;
}

}  // namespace hdq::tools
