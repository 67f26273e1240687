#include "core/version_resource.h"

#include <algorithm>

namespace hdq {
namespace {

// Every node: WORD length (the node with its children), WORD value length, WORD type (1: text),
// the key as NUL-terminated UTF-16, padding to 32 bits, the value, padding, the children.
struct Node {
    size_t end = 0;
    uint16_t valueLength = 0;
    uint16_t type = 0;
    std::u16string key;
    size_t value = 0;
    size_t children = 0;
};

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;

uint16_t Word(const unsigned char* d, size_t at) { return static_cast<uint16_t>(d[at] | d[at + 1] << 8); }
uint32_t DWord(const unsigned char* d, size_t at) { return Word(d, at) | uint32_t{Word(d, at + 2)} << 16; }
// Offsets are from the start of the block, which the resource loader places on 32 bits.
size_t Align4(size_t at) { return (at + 3) & ~size_t{3}; }

// The node at `at`, which must end by limit.
std::optional<Node> ReadNode(const unsigned char* d, size_t at, size_t limit) {
    if (at > limit || limit - at < 6) return std::nullopt;
    const size_t length = Word(d, at);
    if (length < 6 || length > limit - at) return std::nullopt;
    Node n;
    n.end = at + length;
    n.valueLength = Word(d, at + 2);
    n.type = Word(d, at + 4);
    size_t p = at + 6;
    for (;;) {
        if (n.end - p < 2) return std::nullopt;
        const char16_t c = Word(d, p);
        p += 2;
        if (c == 0) break;
        n.key += c;
    }
    n.value = std::min(Align4(p), n.end);
    const size_t valueBytes = n.type == 1 ? size_t{n.valueLength} * 2 : n.valueLength;
    n.children = std::min(Align4(n.value + valueBytes), n.end);
    return n;
}

template <typename Visit>
void ForEachChild(const unsigned char* d, const Node& parent, Visit visit) {
    for (size_t at = parent.children; at < parent.end;) {
        const std::optional<Node> child = ReadNode(d, at, parent.end);
        if (!child) return;
        visit(*child);
        at = Align4(child->end);
    }
}

// A String's text runs to its NUL or the node's end; writers disagree on whether its value
// length counts bytes or characters, so that length is not trusted.
std::u16string Text(const unsigned char* d, const Node& n) {
    std::u16string text;
    for (size_t p = n.value; n.end - p >= 2; p += 2) {
        const char16_t c = Word(d, p);
        if (c == 0) break;
        text += c;
    }
    return text;
}

std::u16string Lower(std::u16string s) {
    for (char16_t& c : s) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    return s;
}

std::u16string Hex4(uint16_t v) {
    static const char16_t digits[] = u"0123456789abcdef";
    std::u16string s;
    for (int shift = 12; shift >= 0; shift -= 4) s += digits[(v >> shift) & 0xF];
    return s;
}

}  // namespace

const std::u16string* VersionResource::String(std::u16string_view key) const {
    for (const auto& [k, v] : strings) {
        if (k == key) return &v;
    }
    return nullptr;
}

std::optional<VersionResource> ParseVersionResource(const unsigned char* data, size_t size) {
    const std::optional<Node> root = ReadNode(data, 0, size);
    if (!root || root->key != u"VS_VERSION_INFO") return std::nullopt;
    VersionResource result;
    if (root->valueLength >= kFixedInfoSize && root->end - root->value >= kFixedInfoSize &&
        DWord(data, root->value) == kFixedInfoSignature)
        result.fileVersion = VersionResource::FileVersion{DWord(data, root->value + 8), DWord(data, root->value + 12)};

    // Without a translation the strings are read from U.S. English, Unicode, as Windows does.
    std::u16string table = u"040904b0";
    std::optional<Node> stringFileInfo;
    ForEachChild(data, *root, [&](const Node& child) {
        if (child.key == u"StringFileInfo" && !stringFileInfo) stringFileInfo = child;
        if (child.key != u"VarFileInfo") return;
        ForEachChild(data, child, [&](const Node& var) {
            if (var.key == u"Translation" && var.end - var.value >= 4)
                table = Hex4(Word(data, var.value)) + Hex4(Word(data, var.value + 2));
        });
    });
    if (!stringFileInfo) return result;
    ForEachChild(data, *stringFileInfo, [&](const Node& strings) {
        if (Lower(strings.key) != table || !result.strings.empty()) return;
        ForEachChild(data, strings, [&](const Node& s) { result.strings.emplace_back(s.key, Text(data, s)); });
    });
    return result;
}

}  // namespace hdq
