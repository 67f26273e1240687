#include "app/running_copy.h"

#include "core/text.h"

namespace hdq {

std::string StatusFileValue(const std::string& content, const std::string& key) {
    const std::string wanted = key + "=";
    size_t from = 0;
    while (from < content.size()) {
        size_t end = content.find('\n', from);
        if (end == std::string::npos) end = content.size();
        const std::string line = content.substr(from, end - from);
        if (line.compare(0, wanted.size(), wanted) == 0) return TrimWhite(line.substr(wanted.size()));
        from = end + 1;
    }
    return "";
}

}  // namespace hdq
