#pragma once
// The checks on folders and files that the program makes before it relies on them, each
// telling its log why a check failed, and the files it keeps beside its executable.
#include <string>

#include "core/log_sink.h"

namespace hdq {

// The folder exists and a file can be made in it (the LGH-style "ERROR: Path ..." lines).
bool ValidatePath(const std::string& path, LogSink& log);
bool DirectoryExists(const std::string& path, LogSink& log);
bool CanWriteToFolder(std::string& folder, LogSink& log);  // folder gains a trailing backslash
// "folder\n.tmp" for the first free n; "" (and a line) when 32767 are taken.
std::string MakeTempFileName(std::string& folder, LogSink& log);
// An ordinary file matches the path (which may hold wildcards).
bool FileExists(const std::string& path, LogSink& log);
// Makes one folder level; an existing folder, or one that cannot be made, is for the caller's
// next check to find.
void MakeFolder(const std::string& path);
// Makes every missing level of path, for a folder of the program's own below its folder.
void MakeFolders(const std::string& path);

// The files beside the executable, all named after it. Start-up makes the one of the running
// program; tests make one over a folder of their own.
struct ProgramFiles {
    std::string folder;   // without a trailing backslash
    std::string exeName;  // without folder and extension

    static ProgramFiles OfThisProgram();
    std::string Cache() const { return folder + "\\cache"; }
    std::string Log() const { return folder + "\\log"; }
    // The delivery journal's monthly files.
    std::string Deliveries() const { return folder + "\\deliveries"; }
    std::string Help() const { return folder + "\\help.chm"; }
    std::string Named(const char* extension) const { return folder + "\\" + exeName + extension; }
    std::string Ini() const { return Named(".ini"); }
    std::string Retry() const { return Named(".retry"); }
    std::string Status() const { return Named(".status"); }
    std::string LogHandle() const { return Named(".log_handle"); }
};

}  // namespace hdq
