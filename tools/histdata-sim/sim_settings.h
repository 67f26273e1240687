#pragma once
// The stand-in's settings: histdata-sim.ini beside its exe, plain KEY=value lines that switch
// on the faults a test wants to see. A missing file means a well-behaved HistData.
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace histsim {

// What the stand-in leaves at FILENAME after a successful write command.
enum class FileShape { Full, NoHeader, HeaderOnly, OneLine, None };

struct SimSettings {
    std::string service = "histdata";   // SERVICE
    std::string topic;                  // TOPIC: the one accepted topic; empty accepts any
    bool refuseConnect = false;         // REFUSE_CONNECT
    std::set<std::string> refusePoke;   // REFUSE_POKE: item names (upper case), comma separated
    std::string holdItem;               // HOLD_ITEM: item whose first transaction per conversation is held
    uint32_t holdMs = 60000;            // HOLD_MS
    bool errorAnswerSet = false;        // ERROR_ANSWER given
    std::string errorAnswer;            // ERROR_ANSWER: what the ERROR item always answers
    FileShape fileShape = FileShape::Full;  // FILE_SHAPE
    uint32_t windowDelayMs = 0;         // WINDOW_DELAY_MS
    bool noWindow = false;              // NO_WINDOW
    uint32_t exitAfterPokes = 0;        // EXIT_AFTER_POKES (0: never)
    uint32_t lifetimeMs = 0;            // LIFETIME_MS (0: runs until closed)
    std::set<std::string> failHours;    // FAIL_HOURS: hours as yyyymmddhh, comma separated
    uint32_t failTimes = 1;             // FAIL_TIMES: how many write orders of each such hour fail
    uint32_t exitAfterFiles = 0;        // EXIT_AFTER_FILES (0: never)
    uint32_t fileDelayMs = 0;           // FILE_DELAY_MS: how long each write takes
    uint32_t hangAfterFiles = 0;        // HANG_AFTER_FILES (0: never)
    uint32_t serviceDelayMs = 0;        // SERVICE_DELAY_MS
};

// Parses the text of a settings file; unknown keys and malformed lines are ignored so that a
// typo never stops the stand-in from starting (the README lists the keys).
SimSettings ParseSettings(const std::string& text);
SimSettings LoadSettings(const std::string& path);

std::string Upper(std::string s);
std::string TrimBlanks(const std::string& s);

}  // namespace histsim
