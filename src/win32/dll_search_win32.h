#pragma once
// Where this process looks for DLLs: System32 only. A plant computer's program folder is
// writable by the operator, so a DLL dropped there (or in the current folder) must never run
// in the program.
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace hdq::win {

// Limits every later search for a DLL by name to System32. Windows 7 without KB2533623 lacks
// SetDefaultDllDirectories: there only the current folder leaves the search (SetDllDirectoryA
// with ""), and the late loads below keep to System32 by their full paths. True when the
// search is System32 only.
bool RestrictDllSearchToSystem32();

// name in the system folder, e.g. C:\Windows\System32\hhctrl.ocx; "" when that is unknown.
std::string System32Path(const char* name);

// Loads name from System32 by its full path, its own dependencies from System32 first.
// nullptr when it is not there.
HMODULE LoadSystem32Library(const char* name);

// Registers these common control classes (ICC_...) from comctl32.dll, loaded by name so that the
// manifest makes it version 6 from the side-by-side store, and loaded late, after
// RestrictDllSearchToSystem32, so that what it loads as it starts (uxtheme) is found in
// System32 too: a static import would start it before the program's first line. False when
// it could not be loaded.
bool InitCommonControlsLate(DWORD classes);

}  // namespace hdq::win
