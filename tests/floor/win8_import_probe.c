/* Calls a function that Windows 7 does not export, for the test that the import check
   refuses such an exe. Declared here because the headers hide it below Windows 8. */
#include <windows.h>

WINBASEAPI VOID WINAPI GetSystemTimePreciseAsFileTime(LPFILETIME);

int main(void) {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (int)(now.dwLowDateTime & 1);
}
