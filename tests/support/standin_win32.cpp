#include "standin_win32.h"

#include <atomic>


#include "tagnamex_writer.h"

namespace hdq::test {

StandIn::StandIn(const std::string& simDir) {
    const std::string from = StandInWinPath(simDir) + "\\histdata.exe";
    copied_ = CopyFileA(from.c_str(), ExePath().c_str(), FALSE) != 0;
}

StandIn::~StandIn() { Stop(); }

void StandIn::WriteSettings(const std::string& iniText) { WriteFile(Path("histdata-sim.ini"), iniText); }

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

HWND StandIn::Window() const { return process_.Id() ? FindTopWindowOfProcess(process_.Id(), "Historical Data Manager", 0) : nullptr; }

bool StandIn::Running() const { return process_.Running(); }

bool StandIn::WaitExit(DWORD timeoutMs) { return process_.WaitExit(timeoutMs); }

void StandIn::Stop() {
    // A quit lets it withdraw its DDE service; the process owner kills it should it not end.
    if (Running()) PostThreadMessageA(process_.ThreadId(), WM_QUIT, 0, 0);
    process_.WaitExit(3000);
    process_.Kill();
}

std::vector<std::string> StandIn::Transcript() const { return ReadLines(Path("histdata-transcript.txt")); }

std::string UniqueName(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
}

void StandInTest::StartStandIn(const std::string& faults, const std::string& service, bool waitForWindow) {
    service_ = service.empty() ? UniqueName("hdsim") : service;
    sim_.WriteSettings("SERVICE=" + service_ + "\r\nTOPIC=" + topic_ + "\r\nLIFETIME_MS=60000\r\n" + faults);
    sim_.WriteDictionary({"A", "B", "C"});
    ASSERT_TRUE(sim_.Copied());
    ASSERT_TRUE(sim_.Start(waitForWindow));
}

void StandInTest::Connect(int32_t timeoutTenths) {
    channel_->linkTopic = service_ + "|" + topic_;
    channel_->linkTimeout = timeoutTenths;
    channel_->SetLinkMode(LinkMode::Manual);
}

void StandInTest::Poke(const std::string& item, const std::string& text) {
    channel_->linkItem = item;
    channel_->text = text;
    channel_->LinkPoke();
}

std::string StandInTest::Request(const std::string& item) {
    channel_->linkItem = item;
    channel_->LinkRequest();
    return channel_->text;
}

void StandInTest::PokeHour(const std::string& fileName, const std::string& startTime, const std::string& duration,
                           const std::string& interval) {
    Poke("DATADIR", sim_.folder());
    Poke("DBDIR", sim_.folder());
    Poke("DURATION", duration);
    Poke("INTERVAL", interval);
    Poke("TAGS", "$date,$time,A,+");
    Poke("TAGS1", "B,+");
    Poke("TAGS2", "C");
    Poke("STARTTIME", startTime);
    Poke("STARTDATE", "03/25/2009");
    Poke("FILENAME", fileName);
    Poke("WRITEFILE", "1");
}

}  // namespace hdq::test
