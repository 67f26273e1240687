#pragma once
// A folder of the benchmark's own under the system's temporary folder, removed at the end,
// and the program's form of a path the build gave in the host's form.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

namespace hdq::bench {

class Folder {
public:
    Folder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() / ("hdq_bench_" + std::to_string(stamp) + "_" +
                                                          std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string path() const { return path_.string(); }
    std::string operator/(const std::string& name) const { return path() + "\\" + name; }

private:
    std::filesystem::path path_;
};

// "/work/build/x" as Wine sees it: "Z:\work\build\x"; a Windows path stays as it is.
inline std::string WinPath(std::string path) {
    if (path.empty() || path[0] != '/') return path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

}  // namespace hdq::bench
