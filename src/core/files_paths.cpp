// Path text helpers shared by both builds: they only look at the text, never the disk.
#include "core/files.h"

#include "core/text.h"

namespace hdq::fsys {

std::string FolderOf(const std::string& path) {
    // Windows accepts either slash; the program writes backslashes, the native build
    // hands out its own folders with forward slashes.
    const size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string WithBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') return folder;
    return folder + "\\";
}

bool SameFolderName(const std::string& a, const std::string& b) {
    return IEquals(WithBackslash(Trim(a)), WithBackslash(Trim(b)));
}

}  // namespace hdq::fsys
