#include "sim_settings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace histsim {

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string TrimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

namespace {

bool Flag(const std::string& v) {
    const std::string u = Upper(v);
    return u == "1" || u == "TRUE" || u == "YES" || u == "ON";
}

uint32_t Number(const std::string& v, uint32_t fallback) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(v.c_str(), &end, 10);
    return end != v.c_str() && *end == '\0' ? static_cast<uint32_t>(n) : fallback;
}

// Comma-separated words, blanks trimmed, upper case.
std::set<std::string> List(const std::string& v) {
    std::set<std::string> words;
    std::istringstream items(v);
    std::string item;
    while (std::getline(items, item, ',')) {
        item = Upper(TrimBlanks(item));
        if (!item.empty()) words.insert(item);
    }
    return words;
}

FileShape Shape(const std::string& v, FileShape fallback) {
    const std::string u = Upper(v);
    if (u == "FULL") return FileShape::Full;
    if (u == "NOHEADER") return FileShape::NoHeader;
    if (u == "HEADERONLY") return FileShape::HeaderOnly;
    if (u == "ONELINE") return FileShape::OneLine;
    if (u == "NONE") return FileShape::None;
    return fallback;
}

}  // namespace

SimSettings ParseSettings(const std::string& text) {
    SimSettings s;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = TrimBlanks(line);
        if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Upper(TrimBlanks(line.substr(0, eq)));
        const std::string value = TrimBlanks(line.substr(eq + 1));
        if (key == "SERVICE") {
            if (!value.empty()) s.service = value;
        } else if (key == "TOPIC") {
            s.topic = value;
        } else if (key == "REFUSE_CONNECT") {
            s.refuseConnect = Flag(value);
        } else if (key == "REFUSE_POKE") {
            s.refusePoke = List(value);
        } else if (key == "HOLD_ITEM") {
            s.holdItem = Upper(value);
        } else if (key == "HOLD_MS") {
            s.holdMs = Number(value, s.holdMs);
        } else if (key == "ERROR_ANSWER") {
            s.errorAnswerSet = true;
            s.errorAnswer = value;
        } else if (key == "FILE_SHAPE") {
            s.fileShape = Shape(value, s.fileShape);
        } else if (key == "WINDOW_DELAY_MS") {
            s.windowDelayMs = Number(value, 0);
        } else if (key == "NO_WINDOW") {
            s.noWindow = Flag(value);
        } else if (key == "EXIT_AFTER_POKES") {
            s.exitAfterPokes = Number(value, 0);
        } else if (key == "LIFETIME_MS") {
            s.lifetimeMs = Number(value, 0);
        } else if (key == "FAIL_HOURS") {
            s.failHours = List(value);
        } else if (key == "FAIL_TIMES") {
            s.failTimes = Number(value, s.failTimes);
        } else if (key == "EXIT_AFTER_FILES") {
            s.exitAfterFiles = Number(value, 0);
        } else if (key == "FILE_DELAY_MS") {
            s.fileDelayMs = Number(value, 0);
        } else if (key == "HANG_AFTER_FILES") {
            s.hangAfterFiles = Number(value, 0);
        } else if (key == "SERVICE_DELAY_MS") {
            s.serviceDelayMs = Number(value, 0);
        }
    }
    return s;
}

SimSettings LoadSettings(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return SimSettings{};
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return ParseSettings(text);
}

}  // namespace histsim
