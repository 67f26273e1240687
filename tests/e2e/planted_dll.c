/* Stands for a DLL dropped into the program folder: loaded into any process, it appends the
   name it was loaded as to planted.txt beside itself. */
#include <windows.h>
#include <string.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    char path[MAX_PATH], marker[MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH), written = 0;
    if (reason != DLL_PROCESS_ATTACH || n == 0 || n >= MAX_PATH || !strrchr(path, '\\')) return TRUE;
    lstrcpyA(strrchr(lstrcpyA(marker, path), '\\') + 1, "planted.txt");
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) WriteFile(file, path, n, &written, NULL), CloseHandle(file);
    return TRUE;
}
