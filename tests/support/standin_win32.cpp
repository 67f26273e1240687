#include "standin_win32.h"

#include <atomic>

namespace hdq::test {

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
