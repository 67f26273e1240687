// The native twin of the Windows file seam, for the native tests: backslash paths are mapped
// to slashes, names match without regard to case, and dot files count as hidden.
#include "core/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

#include "core/text.h"

namespace hdq::fsys {
namespace {

std::string Host(const std::string& path) {
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

bool Fail(OsError* err, int number = errno) {
    if (err) {
        err->number = number;
        err->text = std::strerror(number);
    }
    return false;
}

// NTFS lists a folder in name order without regard to case; readdir has no order at all.
void SortLikeWindows(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return ToUpper(a) < ToUpper(b); });
}

bool WriteFd(int fd, const std::string& content) {
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Windows refuses to write over or replace a read-only file, whoever asks; here root could.
bool ReadOnly(const std::string& hostPath) {
    struct stat st {};
    return ::stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);
}

// Replaces hostPath with content (or adds it at the end, how O_APPEND), flushed to disk before
// it returns.
bool WriteFlushed(const std::string& hostPath, const std::string& content, mode_t mode, OsError* err,
                  int how = O_TRUNC) {
    if (ReadOnly(hostPath)) return Fail(err, EACCES);
    const int fd = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | how | O_CLOEXEC, mode);
    if (fd < 0) return Fail(err);
    if (!WriteFd(fd, content) || ::fsync(fd) != 0) {
        const int e = errno;
        ::close(fd);
        return Fail(err, e);
    }
    return ::close(fd) == 0 || Fail(err);
}

// The folder's own entry is flushed too, or a power cut can undo a rename that was reported.
bool RenameHost(const std::string& from, const std::string& to, OsError* err) {
    if (ReadOnly(to)) return Fail(err, EACCES);
    if (::rename(from.c_str(), to.c_str()) != 0) return Fail(err);
    const size_t slash = to.rfind('/');
    const int dir = ::open(slash == std::string::npos ? "." : to.substr(0, slash + 1).c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// Writes content to a temporary file beside hostPath, flushed to disk, then renames it over
// hostPath; the temporary file never outlives a failure. One temporary name per target: a
// save killed half-way leaves at most this one file, which the next save simply overwrites
// (one program per folder writes its files).
bool ReplaceWith(const std::string& hostPath, const std::string& content, mode_t mode, OsError* err) {
    const std::string temp = hostPath + ".~tmp";
    if (WriteFlushed(temp, content, mode, err) && RenameHost(temp, hostPath, err)) return true;
    ::unlink(temp.c_str());
    return false;
}

}  // namespace

std::optional<std::vector<std::string>> ListFiles(const std::string& pathPattern, OsError* err, Hidden hidden) {
    const std::string host = Host(pathPattern);
    const size_t slash = host.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : host.substr(0, slash));
    const std::string pattern = slash == std::string::npos ? host : host.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        Fail(err);
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name == "." || name == ".." || (name[0] == '.' && hidden == Hidden::Skip)) continue;
        struct stat st {};
        if (::stat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (WildcardMatch(pattern, name)) names.push_back(name);
    }
    ::closedir(dir);
    SortLikeWindows(names);
    return names;
}

std::vector<std::string> ListFolders(const std::string& folder) {
    std::vector<std::string> names;
    const std::string host = Host(folder);
    DIR* dir = ::opendir(host.empty() ? "." : host.c_str());
    if (!dir) return names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::stat((host + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
    }
    ::closedir(dir);
    SortLikeWindows(names);
    return names;
}

bool IsDirectory(const std::string& path, OsError* err) {
    struct stat st {};
    if (::stat(Host(path).c_str(), &st) != 0) return Fail(err);
    // A file of that name is a plain "no", not an error to report.
    if (!S_ISDIR(st.st_mode)) {
        if (err) *err = OsError{};
        return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(Host(path).c_str(), &st) == 0;
}

bool IsLinkOrJunction(const std::string& path) {
    // lstat of "link/" follows the link; of "link" it does not.
    std::string p = Host(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<DateTime> LastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(Host(path).c_str(), &st) != 0) return std::nullopt;
    std::tm tm{};
    if (!::localtime_r(&st.st_mtime, &tm)) return std::nullopt;
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool SetLastWriteTime(const std::string& path, const DateTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return false;
    timespec times[2];
    times[0].tv_sec = t;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, Host(path).c_str(), times, 0) == 0;
}

std::optional<uint64_t> FileSize(const std::string& path) {
    struct stat st {};
    if (::stat(Host(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

bool DeleteFile(const std::string& path, OsError* err) {
    return ::unlink(Host(path).c_str()) == 0 || Fail(err);
}

bool CopyFile(const std::string& from, const std::string& to, OsError* err) {
    const std::string src = Host(from);
    struct stat st {};
    if (::stat(src.c_str(), &st) != 0) return Fail(err);
    if (!S_ISREG(st.st_mode)) return Fail(err, EISDIR);
    auto content = ReadAll(from, err);
    if (!content) return false;
    const std::string dst = Host(to);
    if (!WriteFlushed(dst, *content, st.st_mode & 0777, err)) return false;
    // A Windows copy keeps the source's last-write time; retention and checks depend on it.
    timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, dst.c_str(), times, 0);
    return true;
}

bool Rename(const std::string& from, const std::string& to, OsError* err) {
    return RenameHost(Host(from), Host(to), err);
}

bool SameFolder(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (::stat(Host(a).c_str(), &sa) != 0 || ::stat(Host(b).c_str(), &sb) != 0) return SameFolderName(a, b);
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool CreateFolder(const std::string& path, OsError* err) {
    return ::mkdir(Host(path).c_str(), 0777) == 0 || Fail(err);
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    const std::string host = Host(path);
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~mode_t{0222}) : (mode | S_IWUSR);
    return ::chmod(host.c_str(), mode) == 0;
}

std::optional<std::string> ReadAll(const std::string& path, OsError* err) {
    const int fd = ::open(Host(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail(err);
        return std::nullopt;
    }
    std::string content;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            Fail(err, e);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

bool WriteAtomic(const std::string& path, const std::string& content, OsError* err) {
    return ReplaceWith(Host(path), content, 0666, err);
}

bool WriteAll(const std::string& path, const std::string& content, OsError* err) {
    const int fd = ::open(Host(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return Fail(err);
    if (!WriteFd(fd, content)) {
        const int e = errno;
        ::close(fd);
        return Fail(err, e);
    }
    return ::close(fd) == 0 || Fail(err);
}

bool AppendFlushed(const std::string& path, const std::string& content, OsError* err) {
    return WriteFlushed(Host(path), content, 0666, err, O_APPEND);
}

std::FILE* Open(const std::string& path, const char* mode) { return std::fopen(Host(path).c_str(), mode); }

std::string ProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    return FolderOf(std::string(buf, static_cast<size_t>(n)));
}

std::string ExeName() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string name(buf, static_cast<size_t>(n));
    name = name.substr(name.find_last_of('/') + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace hdq::fsys
