#pragma once
// A top-down 32-bit DIB section in a memory DC, for checking what drawing code leaves behind.
#include <windows.h>

#include <cstdlib>

struct MemoryBitmap {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
    int width = 0;
    int height = 0;

    MemoryBitmap(int cx, int cy, COLORREF fill = RGB(255, 255, 255)) : width(cx), height(cy)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = cx;
        info.bmiHeader.biHeight = -cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<DWORD*>(p);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~MemoryBitmap()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    void Fill(COLORREF c)
    {
        HBRUSH b = CreateSolidBrush(c);
        RECT r = {0, 0, width, height};
        FillRect(dc, &r, b);
        DeleteObject(b);
        GdiFlush();
    }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD v = bits[y * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    BYTE Alpha(int x, int y) const
    {
        GdiFlush();
        return static_cast<BYTE>(bits[y * width + x] >> 24);
    }
};

// True when every channel of a and b differs by at most tolerance.
inline bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

inline ::testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance)
{
    if (Near(actual, expected, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "colour (" << int(GetRValue(actual)) << "," << int(GetGValue(actual)) << ","
           << int(GetBValue(actual)) << ") not within " << tolerance << " of (" << int(GetRValue(expected))
           << "," << int(GetGValue(expected)) << "," << int(GetBValue(expected)) << ")";
}
