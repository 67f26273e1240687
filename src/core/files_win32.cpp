// The file seam on Windows: ANSI functions throughout, every handle owned, failures returned
// as the Win32 error number and its system text.
// <windows.h> goes first so that files.h can take back the names DeleteFile and CopyFile.
#include <windows.h>
#include <share.h>

#include "core/files.h"

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "win32/win32_handles.h"

namespace hdq::fsys {
namespace {

using win::UniqueFile;
using win::UniqueFind;

bool Fail(OsError* err, DWORD number = GetLastError()) {
    if (err) {
        err->number = static_cast<long>(number);
        err->text = win::ErrorText(number);
    }
    return false;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens an existing file or folder for its attributes only, without getting in anyone's way.
UniqueFile OpenForAttributes(const std::string& path, DWORD access) {
    return UniqueFile(CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool WriteWhole(HANDLE h, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, data + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool WriteWhole(HANDLE h, const std::string& content) { return WriteWhole(h, content.data(), content.size()); }

// The volume and the file's number on it: one folder has one identity under every spelling.
std::optional<std::pair<DWORD, uint64_t>> IdentityOf(const std::string& path) {
    UniqueFile file = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return std::make_pair(info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow);
}

std::string ModulePath() {
    std::string buf(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            // Started through a short (8.3) path, the module path is short too, and the INI
            // file named after it would be a new one full of defaults.
            std::string longForm(MAX_PATH * 2, '\0');
            const DWORD m = GetLongPathNameA(buf.c_str(), longForm.data(), static_cast<DWORD>(longForm.size()));
            if (m > 0 && m < longForm.size()) {
                longForm.resize(m);
                return longForm;
            }
            return buf;
        }
        buf.resize(buf.size() * 2);  // truncated: try again with more room
    }
}

}  // namespace

std::optional<std::vector<std::string>> ListFiles(const std::string& pathPattern, OsError* err, Hidden hidden) {
    const size_t slash = pathPattern.find_last_of("\\/");
    const std::string pattern = slash == std::string::npos ? pathPattern : pathPattern.substr(slash + 1);
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd{};
    UniqueFind find(FindFirstFileA(pathPattern.c_str(), &fd));
    if (!find) {
        const DWORD e = GetLastError();
        // The folder is there and simply holds nothing that matches.
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_NO_MORE_FILES) return names;
        Fail(err, e);
        return std::nullopt;
    }
    const DWORD skip = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                       (hidden == Hidden::Skip ? FILE_ATTRIBUTE_HIDDEN : 0);
    do {
        // FindFirstFileA also matches 8.3 short names ("*.csv" finds "a.csv_old" as A~1.CSV);
        // checking the long name keeps the listing to what the pattern says.
        if ((fd.dwFileAttributes & skip) == 0 && WildcardMatch(pattern, fd.cFileName)) {
            names.emplace_back(fd.cFileName);
        }
    } while (FindNextFileA(find.get(), &fd));
    const DWORD e = GetLastError();
    if (e != ERROR_NO_MORE_FILES) {
        Fail(err, e);
        return std::nullopt;
    }
    return names;
}

std::vector<std::string> ListFolders(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd{};
    UniqueFind find(FindFirstFileA((WithBackslash(folder) + "*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::string name = fd.cFileName;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(find.get(), &fd));
    return names;
}

bool IsDirectory(const std::string& path, OsError* err) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail(err);
    // A file of that name is a plain "no", not an error to report.
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (err) *err = OsError{};
        return false;
    }
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsLinkOrJunction(const std::string& path) {
    // Without the trailing backslash the attributes are the link's own, not its target's.
    std::string p = path;
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    const DWORD attributes = GetFileAttributesA(p.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::optional<DateTime> LastWriteTime(const std::string& path) {
    UniqueFile file = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
    if (!file) return std::nullopt;
    FILETIME utc{}, local{};
    SYSTEMTIME st{};
    if (!GetFileTime(file.get(), nullptr, nullptr, &utc) || !FileTimeToLocalFileTime(&utc, &local) ||
        !FileTimeToSystemTime(&local, &st)) {
        return std::nullopt;
    }
    return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

bool SetLastWriteTime(const std::string& path, const DateTime& local) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.year);
    st.wMonth = static_cast<WORD>(local.month);
    st.wDay = static_cast<WORD>(local.day);
    st.wHour = static_cast<WORD>(local.hour);
    st.wMinute = static_cast<WORD>(local.minute);
    st.wSecond = static_cast<WORD>(local.second);
    FILETIME localTime{}, utc{};
    // The inverse of the conversion LastWriteTime makes, so a value set reads back unchanged.
    if (!SystemTimeToFileTime(&st, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc)) return false;
    UniqueFile file = OpenForAttributes(path, FILE_WRITE_ATTRIBUTES);
    return file && SetFileTime(file.get(), nullptr, nullptr, &utc);
}

std::optional<uint64_t> FileSize(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
    UniqueFile file = OpenForAttributes(path, FILE_READ_ATTRIBUTES);
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

bool DeleteFile(const std::string& path, OsError* err) { return DeleteFileA(path.c_str()) || Fail(err); }

bool CopyFile(const std::string& from, const std::string& to, OsError* err) {
    // Copied by hand rather than with CopyFileA, so that the handle that wrote is the one
    // flushed: on a share the flush is what makes the server hold the data before the rename.
    UniqueFile in(CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return Fail(err);
    UniqueFile out(CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return Fail(err);
    std::vector<char> buf(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) return Fail(err);
        if (got == 0) break;
        if (!WriteWhole(out.get(), buf.data(), got)) return Fail(err);
    }
    FILETIME written{};
    if (GetFileTime(in.get(), nullptr, nullptr, &written)) SetFileTime(out.get(), nullptr, nullptr, &written);
    return FlushFileBuffers(out.get()) || Fail(err);
}

bool Rename(const std::string& from, const std::string& to, OsError* err) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) || Fail(err);
}

bool SameFolder(const std::string& a, const std::string& b) {
    const auto idA = IdentityOf(a);
    const auto idB = IdentityOf(b);
    if (!idA || !idB) return SameFolderName(a, b);
    return *idA == *idB;
}

bool CreateFolder(const std::string& path, OsError* err) {
    return CreateDirectoryA(path.c_str(), nullptr) || Fail(err);
}

bool SetReadOnly(const std::string& path, bool readOnly) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    DWORD wanted = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), wanted) != 0;
}

std::optional<std::string> ReadAll(const std::string& path, OsError* err) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        Fail(err);
        return std::nullopt;
    }
    std::string content;
    char buf[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buf, sizeof buf, &got, nullptr)) {
            Fail(err);
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buf, got);
    }
    return content;
}

bool WriteAtomic(const std::string& path, const std::string& content, OsError* err) {
    // One temporary name per target: a save killed half-way leaves at most this one file,
    // which the next save overwrites (one program per folder writes its files).
    const std::string temp = path + ".~tmp";
    {
        UniqueFile file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file) return Fail(err);
        if (!WriteWhole(file.get(), content) || !FlushFileBuffers(file.get())) {
            const DWORD e = GetLastError();
            file.reset();
            DeleteFileA(temp.c_str());
            return Fail(err, e);
        }
    }
    if (!Rename(temp, path, err)) {
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

bool WriteAll(const std::string& path, const std::string& content, OsError* err) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Fail(err);
    return WriteWhole(file.get(), content) || Fail(err);
}

bool AppendFlushed(const std::string& path, const std::string& content, OsError* err) {
    // Readers (an auditor's copy, a viewer) may hold the file open; a second writer may not.
    UniqueFile file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Fail(err);
    return (WriteWhole(file.get(), content) && FlushFileBuffers(file.get())) || Fail(err);
}

std::FILE* Open(const std::string& path, const char* mode) { return _fsopen(path.c_str(), mode, _SH_DENYNO); }

std::string ProgramFolder() { return FolderOf(ModulePath()); }

std::string ExeName() {
    std::string name = ModulePath();
    name = name.substr(name.find_last_of("\\/") + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace hdq::fsys
