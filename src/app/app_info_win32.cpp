// The application's identity, read from the version resource of the running executable so
// that the log, the titles and the about box show what Explorer shows for the file.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "app/version.h"

namespace hdq {
namespace {

class VersionBlock {
public:
    explicit VersionBlock(const std::string& file) {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoA(file.c_str(), 0, size, data_.data())) {
            data_.clear();
            return;
        }
        struct Translation {
            WORD language;
            WORD codePage;
        };
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length) &&
            length >= sizeof(Translation)) {
            const auto* t = static_cast<const Translation*>(value);
            char block[64];
            wsprintfA(block, "\\StringFileInfo\\%04x%04x\\", t->language, t->codePage);
            stringBlock_ = block;
        } else {
            stringBlock_ = "\\StringFileInfo\\040904b0\\";
        }
    }

    bool Present() const { return !data_.empty(); }

    std::optional<std::string> String(const char* name) const {
        if (data_.empty()) return std::nullopt;
        std::string query = stringBlock_ + name;
        void* value = nullptr;
        UINT length = 0;
        // VerQueryValueA takes a non-const block although it only reads it.
        auto* data = const_cast<char*>(data_.data());
        if (!VerQueryValueA(data, query.c_str(), &value, &length) || value == nullptr || length == 0)
            return std::nullopt;
        const char* text = static_cast<const char*>(value);
        std::string result(text, length);
        while (!result.empty() && result.back() == '\0') result.pop_back();
        return result;
    }

    std::optional<VS_FIXEDFILEINFO> Fixed() const {
        if (data_.empty()) return std::nullopt;
        void* value = nullptr;
        UINT length = 0;
        auto* data = const_cast<char*>(data_.data());
        if (!VerQueryValueA(data, "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
        return *static_cast<const VS_FIXEDFILEINFO*>(value);
    }

private:
    std::vector<char> data_;
    std::string stringBlock_;
};

std::string RunningExecutable() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

AppProperties BuiltInProperties() {
    return AppProperties{HDQ_TITLE,         HDQ_PRODUCT_NAME,  HDQ_COMMENTS,        HDQ_VERSION_MAJOR,
                         HDQ_VERSION_MINOR, HDQ_VERSION_REVISION, HDQ_BUILD_NUMBER};
}

}  // namespace

std::optional<AppProperties> AppPropertiesFromVersionResource(const std::string& exe) {
    VersionBlock block(exe);
    if (!block.Present()) return std::nullopt;
    // Fields missing from the resource keep the values of version.h.
    AppProperties p = BuiltInProperties();
    if (auto v = block.String("Title")) p.title = *v;
    else if (auto internal = block.String("InternalName")) p.title = *internal;
    if (auto v = block.String("ProductName")) p.productName = *v;
    if (auto v = block.String("Comments")) p.comments = *v;
    if (auto v = block.String("FileDescription")) p.build = *v;
    if (auto fixed = block.Fixed()) {
        p.major = HIWORD(fixed->dwFileVersionMS);
        p.minor = LOWORD(fixed->dwFileVersionMS);
        p.revision = HIWORD(fixed->dwFileVersionLS);
    }
    return p;
}

const AppProperties& App() {
    // A program built without the resource (the test programs) has the values of version.h.
    static const AppProperties properties =
        AppPropertiesFromVersionResource(RunningExecutable()).value_or(BuiltInProperties());
    return properties;
}

}  // namespace hdq
