// The smallest Win32 program with a window, titled "HdqTrivialWindow" and never shown: the
// yardstick that the start-up figures of HistDataToQorp.exe are set against.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "HdqTrivialWindow";
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(0, wc.lpszClassName, wc.lpszClassName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
    // DefWindowProc destroys the window on WM_CLOSE; the loop ends with it.
    MSG msg;
    while (IsWindow(window) && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return window ? 0 : 1;
}
