#pragma once
// Writes InTouch-style tagname.x dictionaries for the demo and the tests: a 512-byte header, then
// one 512-byte record per tag (name at 0..32, description at 33..83, byte 96, trend byte 328).
#include <cstdint>
#include <string>
#include <vector>

namespace hdq::tools {

struct TagRecord {
    std::string name;             // up to 33 bytes; longer names are cut
    std::string description;      // up to 51 bytes
    uint8_t trendByte = 1;        // 1, 9, 17, 25 count as trended by default
    uint8_t byte96 = 0;
};

void WriteTagnameX(const std::string& path, const std::vector<TagRecord>& records, size_t extraTailBytes = 0);

}  // namespace hdq::tools
