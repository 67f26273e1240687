#pragma once
// Helpers shared by the tests: temporary folders, a fake clock, file reading.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <optional>
#include "core/clock.h"
#include "core/datetime.h"
#include "logging/event_log.h"
#include "logging/msgbox.h"
#include "temp_folder.h"

namespace hdq::tools {}
namespace hdq::test {
// The window driver and the tagname.x writer (tools/driver) serve the demo as well.
using namespace hdq::tools;

// A clock the test sets by hand; installed as the app clock for its lifetime.
class FakeClock : public Clock {
public:
    explicit FakeClock(DateTime now = DateTime{2011, 3, 25, 14, 5, 9});
    ~FakeClock() override;
    DateTime Now() const override { return now_; }
    uint32_t TickMs() const override { return tick_; }
    void Set(DateTime now) { now_ = now; }
    void Advance(int64_t seconds) { now_ = now_.AddSeconds(seconds); tick_ += static_cast<uint32_t>(seconds * 1000); }
    void SetTick(uint32_t t) { tick_ = t; }

private:
    DateTime now_;
    uint32_t tick_ = 0;
};

// Records the message boxes the program would show and gives `answer` (OK by default).
class RecordingShower : public MessageShower {
public:
    int32_t Show(const std::string& prompt, int32_t buttons, const std::optional<std::string>& title,
                 const std::optional<std::string>&, const std::optional<int32_t>&) override {
        prompts.push_back(prompt);
        calls.push_back(prompt + "|" + std::to_string(buttons) + "|" + title.value_or("-"));
        return answer;
    }
    int32_t answer = 1;
    std::vector<std::string> prompts;
    std::vector<std::string> calls;  // "prompt|buttons|title", "-" for no title
};

// Records the events the program would write to the Application log, "id|type|text".
class RecordingEvents : public EventSink {
public:
    void Report(EventId id, EventType type, const std::string& text) override {
        static const char* const kTypes[] = {"Error", "Warning", "Information"};
        lines.push_back(std::to_string(static_cast<int>(id)) + "|" + kTypes[static_cast<int>(type)] + "|" + text);
    }
    std::vector<std::string> lines;
};

// The number of the VrxError that the action raises, 0 when it raises none.
long ErrorNumberOf(const std::function<void()>& action);

std::string ReadFile(const std::string& path);                 // "" when missing
void WriteFile(const std::string& path, const std::string& content);
std::vector<std::string> ReadLines(const std::string& path);   // split at CR LF
// A log's messages: its lines without their "hh:mm:ss : " stamp (a line that continues a
// two-line message has none and is kept whole).
std::vector<std::string> Messages(const std::string& logText);
// How many of a log file's messages start with start.
int CountLines(const std::string& logPath, const std::string& start);
bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& start);
std::vector<std::string> FilesIn(const std::string& folder);   // ordinary file names, sorted
// An INI file's value of a key, "<missing>" when it has none; and its replacement.
std::string IniValue(const std::string& iniPath, const std::string& key);
void SetIniValue(const std::string& iniPath, const std::string& key, const std::string& value);

}  // namespace hdq::test
