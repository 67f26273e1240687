#include "tagnamex_writer.h"

#include <algorithm>

#include "core/files.h"

namespace hdq::tools {

void WriteTagnameX(const std::string& path, const std::vector<TagRecord>& records, size_t extraTailBytes) {
    std::string out(512, '\0');
    out.replace(0, 8, "TAGNAMEX");
    for (const TagRecord& r : records) {
        std::string rec(512, '\0');
        rec.replace(0, std::min<size_t>(33, r.name.size()), r.name.substr(0, 33));
        rec.replace(33, std::min<size_t>(51, r.description.size()), r.description.substr(0, 51));
        rec[96] = static_cast<char>(r.byte96);
        rec[328] = static_cast<char>(r.trendByte);
        out += rec;
    }
    fsys::WriteAll(path, out + std::string(extraTailBytes, 'x'));
}

}  // namespace hdq::tools
