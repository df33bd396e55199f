#pragma once
// A topmost host window holding one canvas control at a fixed screen place, for the canvas
// tests. Pointer tests ask which window is under a point, so each test program passes its own
// place, away from the other programs of a parallel run.
#include <windows.h>

#include <string>
#include <vector>

#include "controls/CTWndGfx.h"

namespace canvastest {

struct Notice {
    UINT code;
    std::wstring text;
    bool null;
};

inline std::vector<Notice>& Notices()
{
    static std::vector<Notice> notices;
    return notices;
}

// What a tag editor's parent receives: code and text (a TagNotify record).
struct NotifyRecord {
    NMHDR hdr;
    const wchar_t* text;
};

// The wParam of every WM_NEXTDLGCTL the host received.
inline std::vector<WPARAM>& NextControlMoves()
{
    static std::vector<WPARAM> moves;
    return moves;
}

inline LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NEXTDLGCTL) {
        NextControlMoves().push_back(wParam);
        return 0;
    }
    if (msg == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NotifyRecord*>(lParam);
        Notices().push_back({nm->hdr.code, nm->text ? nm->text : L"", nm->text == nullptr});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline HWND CreateHost(int x, int y, int cx, int cy)
{
    HINSTANCE module = GetModuleHandleW(nullptr);
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = module;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"CanvasTestHost";
        RegisterClassExW(&wc);
        registered = true;
    }
    HWND host = CreateWindowExW(WS_EX_TOPMOST, L"CanvasTestHost", L"host", WS_POPUP, x, y, cx, cy, nullptr, nullptr,
                                module, nullptr);
    ShowWindow(host, SW_SHOWNORMAL);
    UpdateWindow(host);
    return host;
}

// Places the canvas at (0, 0) of the host with the given client size (no border).
inline void PlaceCanvas(CTWndGfx& canvas, int cx, int cy)
{
    MoveWindow(canvas.m_hWnd, 0, 0, cx, cy, TRUE);
    Pump();
}

inline void MouseMove(CTWndGfx& canvas, int x, int y)
{
    ::SendMessageW(canvas.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

inline void Click(CTWndGfx& canvas, int x, int y)
{
    MouseMove(canvas, x, y);
    ::SendMessageW(canvas.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(canvas.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// The colour of one client pixel as the canvas paints itself into a memory bitmap.
inline COLORREF PrintedPixel(CTWndGfx& canvas, int x, int y)
{
    RECT rc;
    GetClientRect(canvas.m_hWnd, &rc);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bitmap);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(mem, &rc, white);
    DeleteObject(white);
    ::SendMessageW(canvas.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    COLORREF pixel = GetPixel(mem, x, y);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixel;
}

}  // namespace canvastest
