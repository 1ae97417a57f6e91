// A hidden window that lives until it is closed. Started once before the tests, it keeps Wine's
// desktop process running, so each test executable that opens a window starts in milliseconds.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"LanternworkKeepAlive";
    RegisterClassW(&wc);
    CreateWindowW(wc.lpszClassName, L"keepalive", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}
