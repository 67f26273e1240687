// Any text either fails to parse or gives a valid date-time whose general text reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/datetime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto parsed = hdq::ParseDateTime(text);
    if (!parsed) return 0;
    if (!parsed->IsValid()) std::abort();
    auto again = hdq::ParseDateTime(hdq::FormatGeneral(*parsed));
    if (!again || *again != *parsed) std::abort();
    if (hdq::TruncateToHour(*parsed) > *parsed) std::abort();
    return 0;
}
