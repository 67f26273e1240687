#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/error.h"
#include "core/files.h"

namespace hdq::test {
namespace stdfs = std::filesystem;

namespace {
stdfs::path Native(const std::string& p) { return HostPath(p); }
}  // namespace

FakeClock::FakeClock(DateTime now) : now_(now) { SetAppClock(this); }
FakeClock::~FakeClock() { SetAppClock(nullptr); }

std::string ReadFile(const std::string& path) {
    std::ifstream in(Native(path), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
    out << content;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::string all = ReadFile(path);
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(all.substr(pos));
            break;
        }
        lines.push_back(all.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& e : stdfs::directory_iterator(Native(folder), ec)) {
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

long ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const VrxError& e) {
        return e.Number();
    }
    return 0;
}

std::string IniValue(const std::string& iniPath, const std::string& key) {
    for (const std::string& line : ReadLines(iniPath)) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

void SetIniValue(const std::string& iniPath, const std::string& key, const std::string& value) {
    std::string text;
    bool replaced = false;
    for (const std::string& line : ReadLines(iniPath)) {
        const bool ours = !replaced && line.rfind(key + "=", 0) == 0;
        text += (ours ? key + "=" + value : line) + "\r\n";
        replaced = replaced || ours;
    }
    if (!replaced) text += key + "=" + value + "\r\n";
    WriteFile(iniPath, text);
}

std::vector<std::string> Messages(const std::string& logText) {
    std::vector<std::string> messages;
    for (size_t pos = 0, end = 0; pos < logText.size(); pos = end + 2) {
        end = std::min(logText.find("\r\n", pos), logText.size());
        const std::string line = logText.substr(pos, end - pos);
        const bool stamped = line.size() >= 11 && line[2] == ':' && line[5] == ':' && line.compare(8, 3, " : ") == 0;
        messages.push_back(stamped ? line.substr(11) : line);
    }
    return messages;
}

int CountLines(const std::string& logPath, const std::string& start) {
    const std::vector<std::string> messages = Messages(ReadFile(logPath));
    return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                          [&](const std::string& m) { return m.rfind(start, 0) == 0; }));
}

bool AnyStartsWith(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

}  // namespace hdq::test
