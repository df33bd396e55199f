#pragma once
#include <windows.h>

// A device-independent copy of a bitmap with its own palette.
struct CTDib {
    HBITMAP section = nullptr;
    struct {
        BITMAPINFOHEADER bmiHeader;
        RGBQUAD bmiColors[256];
    } info = {};
    void* bits = nullptr;
    UINT usage = DIB_RGB_COLORS;
    int colourCount = 0; // 0 for 16-, 24- and 32-bit bitmaps
    HDC dc = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HPALETTE oldPalette = nullptr;
    HPALETTE palette = nullptr;

    CTDib() = default;
    ~CTDib();
    CTDib(const CTDib&) = delete;
    CTDib& operator=(const CTDib&) = delete;

    bool CreateFromBitmap(HBITMAP source);
    bool CloseDC();
    int CopyColorTable(HDC dc, HBITMAP source);
    bool SetColorTable(int count, const RGBQUAD* entries);
    bool SetPalette(const LOGPALETTE* logPalette);
    bool CreateDefaultPalette();
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(&info); }
};

bool CreateHalftonePaletteFor(HPALETTE* palette, int colourCount);
int DibColorCount(int bitsPerPixel);
int DibBytesPerLine(int width, int bitsPerPixel);
// The default colour table: 256 entries with the twenty static colours at its ends.
const RGBQUAD* DefaultColourTable256();
