#pragma once
// Tests whose code asks which window is under a point (capture, hot tracking) depend on the
// stacking of every window on the display. Under load a window just shown, or one another program
// is closing, can still cover the point for a moment: these wait for it to settle and name the
// window there when a test fails.
#include <windows.h>
#include <cstdio>
#include <string>

namespace testsupport {

// Runs the message loop until the window under the client point of target is target itself, for
// at most limit milliseconds; answers whether it is.
inline bool WaitUntilWindowUnder(HWND target, POINT client, DWORD limit = 2000)
{
    POINT screen = client;
    ClientToScreen(target, &screen);
    DWORD start = GetTickCount();
    for (;;) {
        if (WindowFromPoint(screen) == target) return true;
        if (GetTickCount() - start > limit) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

// The window under a client point of target (handle, class and process), for failure messages.
inline std::string DescribeWindowUnder(HWND target, POINT client)
{
    POINT pt = client;
    ClientToScreen(target, &pt);
    HWND under = WindowFromPoint(pt);
    char name[128] = "";
    DWORD process = 0;
    if (under) {
        GetClassNameA(under, name, sizeof(name));
        GetWindowThreadProcessId(under, &process);
    }
    char text[256];
    std::snprintf(text, sizeof(text), "window under (%ld,%ld): %p class \"%s\" process %lu (this one %lu)", pt.x, pt.y,
                  static_cast<void*>(under), name, process, GetCurrentProcessId());
    return text;
}

} // namespace testsupport
