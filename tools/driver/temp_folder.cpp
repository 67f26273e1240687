#include "temp_folder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>

namespace hdq::tools {
namespace stdfs = std::filesystem;

stdfs::path HostPath(const std::string& p) {
#ifdef _WIN32
    return stdfs::path(p);
#else
    std::string s = p;
    std::replace(s.begin(), s.end(), '\\', '/');
    return stdfs::path(s);
#endif
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    stdfs::path p = stdfs::temp_directory_path() / ("hdq_test_" + std::to_string(stamp) + "_" + std::to_string(counter++));
    stdfs::create_directories(p);
    path_ = p.string();
#ifdef _WIN32
    std::replace(path_.begin(), path_.end(), '/', '\\');
#endif
    while (!path_.empty() && (path_.back() == '\\' || path_.back() == '/')) path_.pop_back();
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Read-only files would block removal on Windows.
    for (auto& e : stdfs::recursive_directory_iterator(HostPath(path_), ec)) {
        stdfs::permissions(e.path(), stdfs::perms::owner_all, stdfs::perm_options::add, ec);
    }
    stdfs::remove_all(HostPath(path_), ec);
}

}  // namespace hdq::tools
