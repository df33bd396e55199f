#include "framework/ScreenDpi.h"

void ScreenDpi::Load()
{
    if (loaded)
        return;
    if (HDC dc = GetDC(nullptr)) {
        x = GetDeviceCaps(dc, LOGPIXELSX);
        y = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
    loaded = true;
}

int ScreenDpi::Scale(int value)
{
    Load();
    return MulDiv(value, x, 96);
}

int ScreenDpi::ScaleY(int value)
{
    Load();
    return MulDiv(value, y, 96);
}
