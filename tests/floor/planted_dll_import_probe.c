/* Imports from version.dll, which Windows looks for in the program folder first, for the test
   that the import check refuses such an exe. */
#include <windows.h>

int main(void) {
    DWORD ignored = 0;
    return (int)(GetFileVersionInfoSizeA("kernel32.dll", &ignored) & 1);
}
