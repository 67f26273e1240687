#pragma once
// Files with Windows meaning. Paths use backslashes everywhere in the program; the native
// twin (files_posix.cpp) maps them to slashes so the same logic runs in the native tests.
// Names and patterns match without regard to letter case in both builds.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>
#include "core/datetime.h"

// <windows.h> maps DeleteFile and CopyFile to their A or W forms; here they name this seam's
// functions. Include <windows.h> before this header in a file that needs both, and call the
// Win32 functions by their A names.
#ifdef DeleteFile
#undef DeleteFile
#endif
#ifdef CopyFile
#undef CopyFile
#endif

namespace hdq {

struct OsError {
    long number = 0;          // GetLastError() or errno
    std::string text;         // FormatMessageA or strerror, without trailing line break
};

namespace fsys {

enum class Hidden { Skip, Include };
// Ordinary files (not system, not folders; not hidden either unless asked for; dot files count
// as hidden natively) in folder matching a wildcard pattern, names only, in listing order.
// pathPattern is "folder\pattern"; a pattern without wildcards lists that file if it exists.
// Returns nullopt and fills err when the folder cannot be listed.
std::optional<std::vector<std::string>> ListFiles(const std::string& pathPattern, OsError* err = nullptr,
                                                  Hidden hidden = Hidden::Skip);
// Folders in a folder, "." and ".." excluded.
std::vector<std::string> ListFolders(const std::string& folder);

bool IsDirectory(const std::string& path, OsError* err = nullptr);  // false + err when unreadable
bool Exists(const std::string& path);                              // file or folder
// The path itself (a trailing backslash aside) is a junction, symbolic link or other reparse
// point: what lies in it belongs to another place.
bool IsLinkOrJunction(const std::string& path);
std::optional<DateTime> LastWriteTime(const std::string& path);    // local time, whole seconds
bool SetLastWriteTime(const std::string& path, const DateTime& local);
std::optional<uint64_t> FileSize(const std::string& path);
bool DeleteFile(const std::string& path, OsError* err = nullptr);
// Replaces to with a copy of from (last-write time kept) and flushes it to disk before it
// returns, so that a rename after it never makes a name point at data still in a cache. A
// failed copy may leave part of the file at to: the caller removes it.
bool CopyFile(const std::string& from, const std::string& to, OsError* err = nullptr);
// Renames in one step, replacing a file of the new name, and returns only when the rename is
// on disk. Both names must be on one volume.
bool Rename(const std::string& from, const std::string& to, OsError* err = nullptr);
// The two paths name the same folder, however each is spelt (another drive letter, a share's
// UNC path, an 8.3 name, ".\", a symbolic link). When either cannot be opened the answer is
// SameFolderName's.
bool SameFolder(const std::string& a, const std::string& b);
// The paths' texts, trimmed and with a trailing backslash, are equal without regard to case.
bool SameFolderName(const std::string& a, const std::string& b);
bool CreateFolder(const std::string& path, OsError* err = nullptr);  // one level
bool SetReadOnly(const std::string& path, bool readOnly);

std::optional<std::string> ReadAll(const std::string& path, OsError* err = nullptr);
// Writes the whole content to a temporary file in the same folder, flushes it to disk and
// replaces path in one step; on failure the old file stays as it was.
bool WriteAtomic(const std::string& path, const std::string& content, OsError* err = nullptr);
bool WriteAll(const std::string& path, const std::string& content, OsError* err = nullptr);
// Adds content at the end of path (made when missing) and returns only when it is on disk.
bool AppendFlushed(const std::string& path, const std::string& content, OsError* err = nullptr);
// fopen with the path mapped for the host; shared for reading by other processes.
std::FILE* Open(const std::string& path, const char* mode);

// The folder of the running executable, without a trailing backslash.
std::string ProgramFolder();
// The executable's file name without folder and extension.
std::string ExeName();
// Folder part of a path (everything before the last backslash), "" when there is none.
std::string FolderOf(const std::string& path);
// Appends a backslash unless the text already ends with one.
std::string WithBackslash(const std::string& folder);

}  // namespace fsys
}  // namespace hdq
