#pragma once
// The stand-in (tools/driver) as the tests use it: a name of their own, and a fixture that
// talks to it over the platform's DDE channel.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "histdata/dde_channel.h"
#include "histdata_standin_win32.h"
#include "win32/win32_handles.h"
#include "test_support.h"

namespace hdq::test {

// A name no other test run uses, so a stand-in of another run never answers this one.
std::string UniqueName(const std::string& prefix);

// A stand-in with a dictionary of tags A, B and C, on a service and topic of its own, and
// the platform's DDE channel to talk to it.
class StandInTest : public ::testing::Test {
protected:
    explicit StandInTest(const std::string& simDir) : sim_(simDir) {}

    // faults: further KEY=value lines; service: "" for a name of its own.
    void StartStandIn(const std::string& faults, const std::string& service = "", bool waitForWindow = true);
    void Connect(int32_t timeoutTenths = 50);
    void Poke(const std::string& item, const std::string& text);
    std::string Request(const std::string& item);
    // One hour's exchange in the order of the request session, ending with the write command.
    void PokeHour(const std::string& fileName, const std::string& startTime = "14:00:00",
                  const std::string& duration = "5m", const std::string& interval = "1m");

    std::string topic_ = UniqueName("topic");
    std::string service_;
    StandIn sim_;
    std::unique_ptr<DdeChannel> channel_ = MakePlatformDdeChannel();
};

}  // namespace hdq::test
