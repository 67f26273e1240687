// The application's identity, read from the version resource of the running executable so
// that the log, the titles and the about box show what Explorer shows for the file.
#include <windows.h>

#include <optional>
#include <string>

#include "app/startup.h"
#include "app/version.h"
#include "core/version_resource.h"

namespace hdq {
namespace {

// The running program's version resource, parsed in place: version.dll, which could read it
// too, is not a DLL that Windows loads from System32 only.
std::optional<VersionResource> OwnVersionResource() {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));  // RT_VERSION
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(self, found);  // part of the mapped image: nothing to free
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return ParseVersionResource(static_cast<const unsigned char*>(data), SizeofResource(self, found));
}

std::optional<std::string> Ansi(const std::u16string* text) {
    if (!text) return std::nullopt;
    if (text->empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text->data());
    const int length = static_cast<int>(text->size());
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::nullopt;
    std::string result(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, result.data(), n, nullptr, nullptr);
    return result;
}

AppProperties BuiltInProperties() {
    return AppProperties{HDQ_TITLE,         HDQ_PRODUCT_NAME,  HDQ_COMMENTS,        HDQ_VERSION_MAJOR,
                         HDQ_VERSION_MINOR, HDQ_VERSION_REVISION, HDQ_BUILD_NUMBER};
}

std::optional<AppProperties> AppPropertiesFromOwnVersionResource() {
    const std::optional<VersionResource> resource = OwnVersionResource();
    if (!resource) return std::nullopt;
    // Fields missing from the resource keep the values of version.h.
    AppProperties p = BuiltInProperties();
    if (auto v = Ansi(resource->String(u"Title"))) p.title = *v;
    else if (auto internal = Ansi(resource->String(u"InternalName"))) p.title = *internal;
    if (auto v = Ansi(resource->String(u"ProductName"))) p.productName = *v;
    if (auto v = Ansi(resource->String(u"Comments"))) p.comments = *v;
    if (auto v = Ansi(resource->String(u"BuildNumber"))) p.build = *v;
    if (const auto& fixed = resource->fileVersion) {
        p.major = HIWORD(fixed->ms);
        p.minor = LOWORD(fixed->ms);
        p.revision = HIWORD(fixed->ls);
    }
    return p;
}

}  // namespace

const AppProperties& App() {
    // A program built without the resource (the test programs) has the values of version.h.
    static const AppProperties properties =
        AppPropertiesFromOwnVersionResource().value_or(BuiltInProperties());
    return properties;
}

}  // namespace hdq
