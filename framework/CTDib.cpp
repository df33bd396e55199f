#include "framework/CTDib.h"

#include <cstring>
#include <vector>

namespace {

RGBQUAD Quad(BYTE r, BYTE g, BYTE b)
{
    return RGBQUAD{b, g, r, 0};
}

struct DefaultTables {
    RGBQUAD t256[256] = {};
    RGBQUAD t16[16] = {};
    RGBQUAD t2[2] = {};

    DefaultTables()
    {
        const RGBQUAD low[10] = {Quad(0, 0, 0),      Quad(128, 0, 0),     Quad(0, 128, 0),
                                 Quad(128, 128, 0),  Quad(0, 0, 128),     Quad(128, 0, 128),
                                 Quad(0, 128, 128),  Quad(192, 192, 192), Quad(192, 220, 192),
                                 Quad(166, 202, 240)};
        const RGBQUAD high[10] = {Quad(255, 251, 240), Quad(160, 160, 164), Quad(128, 128, 128),
                                  Quad(255, 0, 0),     Quad(0, 255, 0),     Quad(255, 255, 0),
                                  Quad(0, 0, 255),     Quad(255, 0, 255),   Quad(0, 255, 255),
                                  Quad(255, 255, 255)};
        static const BYTE levels[6] = {0, 44, 86, 135, 192, 255};
        memcpy(t256, low, sizeof(low));
        memcpy(t256 + 246, high, sizeof(high));
        int i = 10;
        for (BYTE b : levels)
            for (BYTE g : levels)
                for (BYTE r : levels)
                    t256[i++] = Quad(r, g, b);
        memcpy(t16, t256, 8 * sizeof(RGBQUAD));
        memcpy(t16 + 8, t256 + 248, 8 * sizeof(RGBQUAD));
        t2[0] = Quad(0, 0, 0);
        t2[1] = Quad(255, 255, 255);
    }
};

const DefaultTables& Tables()
{
    static DefaultTables tables;
    return tables;
}

// The default table for a colour count: 2 entries up to 2, 16 up to 16, else 256.
const RGBQUAD* DefaultTableFor(int colourCount, int* entries)
{
    if (colourCount <= 2) {
        *entries = 2;
        return Tables().t2;
    }
    if (colourCount <= 16) {
        *entries = 16;
        return Tables().t16;
    }
    *entries = 256;
    return Tables().t256;
}

HPALETTE PaletteFromTable(const RGBQUAD* table, int count)
{
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
        lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return CreatePalette(lp);
}

} // namespace

const RGBQUAD* DefaultColourTable256()
{
    return Tables().t256;
}

int DibColorCount(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

int DibBytesPerLine(int width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

bool CreateHalftonePaletteFor(HPALETTE* palette, int colourCount)
{
    if (*palette)
        DeleteObject(*palette);
    int entries = 0;
    const RGBQUAD* table = DefaultTableFor(colourCount, &entries);
    *palette = PaletteFromTable(table, entries);
    return *palette != nullptr;
}

CTDib::~CTDib()
{
    CloseDC();
    if (section)
        DeleteObject(section);
    if (palette)
        DeleteObject(palette);
}

bool CTDib::CloseDC()
{
    if (!dc)
        return false;
    if (oldBitmap)
        SelectObject(dc, oldBitmap);
    if (oldPalette)
        SelectPalette(dc, oldPalette, FALSE);
    DeleteDC(dc);
    dc = nullptr;
    oldBitmap = nullptr;
    oldPalette = nullptr;
    return true;
}

int CTDib::CopyColorTable(HDC reference, HBITMAP source)
{
    if (colourCount <= 0 || colourCount > 256)
        return 0;
    int copied = 0;
    if (HDC mem = CreateCompatibleDC(reference)) {
        HGDIOBJ old = SelectObject(mem, source);
        copied = static_cast<int>(GetDIBColorTable(mem, 0, colourCount, info.bmiColors));
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    if (copied > 0)
        return copied;
    // A device-dependent bitmap has no table of its own: take the default one of its depth,
    // so that a monochrome bitmap stays black and white.
    int entries = 0;
    const RGBQUAD* table = DefaultTableFor(colourCount, &entries);
    copied = entries < colourCount ? entries : colourCount;
    memcpy(info.bmiColors, table, copied * sizeof(RGBQUAD));
    return copied;
}

bool CTDib::SetColorTable(int count, const RGBQUAD* entries)
{
    if (!entries || count <= 0 || colourCount <= 0 || colourCount > 256)
        return false;
    int n = count < colourCount ? count : colourCount;
    memcpy(info.bmiColors, entries, n * sizeof(RGBQUAD));
    if (section) {
        if (HDC mem = CreateCompatibleDC(nullptr)) {
            HGDIOBJ old = SelectObject(mem, section);
            SetDIBColorTable(mem, 0, n, info.bmiColors);
            SelectObject(mem, old);
            DeleteDC(mem);
        }
    }
    return true;
}

bool CTDib::SetPalette(const LOGPALETTE* logPalette)
{
    if (!logPalette || logPalette->palNumEntries < 1 || logPalette->palNumEntries > 256) {
        CreateDefaultPalette();
        return false;
    }
    HPALETTE created = CreatePalette(logPalette);
    if (!created) {
        CreateDefaultPalette();
        return false;
    }
    if (palette)
        DeleteObject(palette);
    palette = created;
    int n = logPalette->palNumEntries < colourCount ? logPalette->palNumEntries : colourCount;
    for (int i = 0; i < n; ++i) {
        const PALETTEENTRY& e = logPalette->palPalEntry[i];
        info.bmiColors[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
    }
    return true;
}

bool CTDib::CreateDefaultPalette()
{
    if (!section)
        return false;
    if (colourCount == 0)
        return CreateHalftonePaletteFor(&palette, 256);
    RGBQUAD table[256] = {};
    int read = 0;
    if (HDC mem = CreateCompatibleDC(nullptr)) {
        HGDIOBJ old = SelectObject(mem, section);
        read = static_cast<int>(GetDIBColorTable(mem, 0, colourCount, table));
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    if (read <= 0)
        return CreateHalftonePaletteFor(&palette, colourCount);
    if (palette)
        DeleteObject(palette);
    palette = PaletteFromTable(table, read);
    return palette != nullptr;
}

bool CTDib::CreateFromBitmap(HBITMAP source)
{
    CloseDC();
    if (section)
        DeleteObject(section);
    section = nullptr;
    bits = nullptr;
    if (!source)
        return false;

    BITMAP bm = {};
    if (!GetObjectW(source, sizeof(bm), &bm))
        return false;
    int width = bm.bmWidth, height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
    int depth = bm.bmBitsPixel * bm.bmPlanes;
    colourCount = DibColorCount(depth);

    memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(depth);
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DibBytesPerLine(width, depth) * height;
    usage = DIB_RGB_COLORS;

    HDC screen = GetDC(nullptr);
    if (colourCount > 0)
        CopyColorTable(screen, source);
    section = CreateDIBSection(screen, Info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) {
        ReleaseDC(nullptr, screen);
        return false;
    }
    CreateDefaultPalette();

    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HPALETTE oldFrom = SelectPalette(from, palette, FALSE);
    HPALETTE oldTo = SelectPalette(to, palette, FALSE);
    RealizePalette(from);
    RealizePalette(to);
    HGDIOBJ oldSource = SelectObject(from, source);
    HGDIOBJ oldSection = SelectObject(to, section);
    BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
    SelectObject(from, oldSource);
    SelectObject(to, oldSection);
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    SelectPalette(from, oldFrom ? oldFrom : stock, FALSE);
    SelectPalette(to, oldTo ? oldTo : stock, FALSE);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return true;
}
