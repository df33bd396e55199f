#pragma once
#include <windows.h>

// The screen DPI, read once from the screen DC. Sizes designed at 96 DPI are scaled with
// MulDiv(value, dpi, 96): horizontal sizes by x, vertical sizes by y.
struct ScreenDpi {
    bool loaded = false;
    int x = 96;
    int y = 96;

    void Load();
    int Scale(int value); // horizontal
    int ScaleY(int value);
    // Seam for tests: pretend the screen has this DPI (counts as loaded).
    void Set(int dpiX, int dpiY)
    {
        x = dpiX;
        y = dpiY;
        loaded = true;
    }
};
