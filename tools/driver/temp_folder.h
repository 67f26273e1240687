#pragma once
// A fresh empty folder under the system's temporary folder, removed with its contents when the
// object goes away; and the host's form of a program path. The demo's and benchmarks' stand-in
// lives in one, as every test's program folder does.
#include <filesystem>
#include <string>

namespace hdq::tools {

// Program paths use backslashes; natively they map to slashes.
std::filesystem::path HostPath(const std::string& programPath);

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The program's backslash form ("C:\..." under Wine; natively the same text, mapped).
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

}  // namespace hdq::tools
