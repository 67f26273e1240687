#pragma once
// The stand-in's item store: what each poke and request does, independent of DDE. Every
// connect, poke and request goes to the transcript, one flushed line each, in arrival order.
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "sim_export.h"
#include "sim_settings.h"

namespace histsim {

class Transcript {
public:
    explicit Transcript(const std::string& path);
    void Line(const std::string& text);

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
};

class SimServer {
public:
    SimServer(SimSettings settings, const std::string& transcriptPath);

    const SimSettings& settings() const { return settings_; }

    bool Connect(const std::string& topic);
    // False when the poke is refused. exitNow is set once the poke that ends the stand-in has
    // been handled.
    bool Poke(const std::string& item, const std::string& value, bool* exitNow);
    // nullopt when the item has no value to give. exitNow is set once the answer that ends
    // the stand-in has been given.
    std::optional<std::string> Request(const std::string& item, bool* exitNow);
    // A transaction that is held back instead of being answered.
    void NoteHeld(const std::string& kind, const std::string& item, const std::string& value);
    // True once the answer after which the stand-in hangs has been given.
    bool Hanging() const { return hanging_; }

private:
    void Write();
    // True when a FAIL_HOURS fault refuses this write order (counted per hour).
    bool FailThisHour();

    SimSettings settings_;
    Transcript transcript_;
    WriteOrder order_;
    std::string status_ = "No file written";
    uint32_t pokes_ = 0;
    uint32_t files_ = 0;
    bool exitAfterAnswer_ = false;
    bool hangAfterAnswer_ = false;
    bool hanging_ = false;
    std::map<std::string, uint32_t> failedWrites_;  // per hour, yyyymmddhh
};

}  // namespace histsim
