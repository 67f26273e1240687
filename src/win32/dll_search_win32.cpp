#include "win32/dll_search_win32.h"

#include "win32/win32_handles.h"

namespace hdq::win {

bool RestrictDllSearchToSystem32() {
    // Reached by name: importing it would keep the program off an unpatched Windows 7.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                   reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    SetDllDirectoryA("");
    return false;
}

std::string System32Path(const char* name) {
    char folder[MAX_PATH];
    const UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string path(folder, n);
    if (path.back() != '\\') path += '\\';
    return path + name;
}

HMODULE LoadSystem32Library(const char* name) {
    const std::string path = System32Path(name);
    if (path.empty()) return nullptr;
    HMODULE lib = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // An unpatched Windows 7 refuses the flag it does not know; the altered search then looks
    // in the DLL's own folder, System32, first.
    if (!lib && GetLastError() == ERROR_INVALID_PARAMETER)
        lib = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return lib;
}

bool InitCommonControlsLate(DWORD classes) {
    // The controls' windows run its code for the life of the program.
    static UniqueModule library(LoadLibraryA("comctl32.dll"));
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = library ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(library.get(), "InitCommonControlsEx")))
                        : nullptr;
    const INITCOMMONCONTROLSEX icc{sizeof(icc), classes};
    return init && init(&icc);
}

}  // namespace hdq::win
