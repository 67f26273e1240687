#pragma once
// The VS_VERSIONINFO block of an executable's version resource, read without version.dll
// (which is not among the DLLs Windows loads from System32 only): the fixed file version and
// the strings of the table that the first translation names.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hdq {

struct VersionResource {
    struct FileVersion {
        uint32_t ms = 0;  // major << 16 | minor
        uint32_t ls = 0;  // revision << 16 | build
    };
    std::optional<FileVersion> fileVersion;
    std::vector<std::pair<std::u16string, std::u16string>> strings;  // key, value, as stored

    const std::u16string* String(std::u16string_view key) const;
};

// nullopt when data does not begin with a whole VS_VERSION_INFO node. A part that is cut short
// or runs past its parent is left out, never read beyond size.
std::optional<VersionResource> ParseVersionResource(const unsigned char* data, size_t size);

}  // namespace hdq
