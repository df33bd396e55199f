#include <gtest/gtest.h>

#include <cstring>

#include "framework/CTDib.h"

namespace {

TEST(CTDib, LineAndColourCounts)
{
    struct {
        int bits, count, width, line;
    } cases[] = {{1, 2, 9, 4}, {4, 16, 9, 8}, {8, 256, 5, 8}, {16, 0, 3, 8}, {24, 0, 3, 12}, {32, 0, 3, 12}};
    for (auto& c : cases) {
        EXPECT_EQ(c.count, DibColorCount(c.bits)) << c.bits;
        EXPECT_EQ(c.line, DibBytesPerLine(c.width, c.bits)) << c.bits;
    }
}

TEST(CTDib, DefaultTableHasTheStaticColoursAtItsEnds)
{
    const RGBQUAD* t = DefaultColourTable256();
    auto rgb = [](const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); };
    EXPECT_EQ(RGB(0, 0, 0), rgb(t[0]));
    EXPECT_EQ(RGB(128, 0, 0), rgb(t[1]));
    EXPECT_EQ(RGB(192, 220, 192), rgb(t[8]));
    EXPECT_EQ(RGB(166, 202, 240), rgb(t[9]));
    EXPECT_EQ(RGB(255, 251, 240), rgb(t[246]));
    EXPECT_EQ(RGB(160, 160, 164), rgb(t[247]));
    EXPECT_EQ(RGB(255, 0, 0), rgb(t[249]));
    EXPECT_EQ(RGB(255, 255, 255), rgb(t[255]));
    EXPECT_EQ(RGB(44, 0, 0), rgb(t[11]));

    HPALETTE palette = nullptr;
    for (auto [count, entries] : {std::pair{2, 2}, {16, 16}, {17, 256}, {0, 2}}) {
        ASSERT_TRUE(CreateHalftonePaletteFor(&palette, count));
        EXPECT_EQ(entries, GetPaletteEntries(palette, 0, 0, nullptr)) << count;
    }
    PALETTEENTRY e[16];
    CreateHalftonePaletteFor(&palette, 16);
    GetPaletteEntries(palette, 0, 16, e);
    EXPECT_EQ(192, e[7].peRed); // silver, then the bright half from entry 248 on
    EXPECT_EQ(128, e[8].peRed);
    EXPECT_EQ(255, e[15].peBlue);
    DeleteObject(palette);
}

TEST(CTDib, CopiesATrueColourBitmap)
{
    HDC screen = GetDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 5, 3, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP source = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    memset(bits, 0, 3 * DibBytesPerLine(5, 24));
    static_cast<BYTE*>(bits)[0] = 0x30; // bottom-left pixel: blue 0x30, green 0x20, red 0x10
    static_cast<BYTE*>(bits)[1] = 0x20;
    static_cast<BYTE*>(bits)[2] = 0x10;
    ReleaseDC(nullptr, screen);

    CTDib dib;
    EXPECT_FALSE(dib.CreateFromBitmap(nullptr));
    ASSERT_TRUE(dib.CreateFromBitmap(source));
    EXPECT_EQ(0, dib.colourCount);
    EXPECT_EQ(5, dib.info.bmiHeader.biWidth);
    EXPECT_EQ(3, dib.info.bmiHeader.biHeight);
    EXPECT_EQ(24, dib.info.bmiHeader.biBitCount);
    EXPECT_EQ(DWORD(16 * 3), dib.info.bmiHeader.biSizeImage);
    ASSERT_NE(nullptr, dib.palette);
    EXPECT_EQ(256, GetPaletteEntries(dib.palette, 0, 0, nullptr));
    ASSERT_NE(nullptr, dib.bits);
    EXPECT_EQ(0, memcmp(bits, dib.bits, 3));
    EXPECT_FALSE(dib.SetColorTable(1, DefaultColourTable256())); // no table for 24-bit
    DeleteObject(source);
}

TEST(CTDib, MonochromeBitmapStaysBlackAndWhite)
{
    const WORD rows[2] = {0x00C0, 0x0000}; // row 0: two white pixels at the left
    HBITMAP source = CreateBitmap(8, 2, 1, 1, rows);
    CTDib dib;
    ASSERT_TRUE(dib.CreateFromBitmap(source));
    EXPECT_EQ(2, dib.colourCount);
    EXPECT_EQ(255, dib.info.bmiColors[1].rgbRed);
    EXPECT_EQ(255, dib.info.bmiColors[1].rgbGreen);
    EXPECT_EQ(0, dib.info.bmiColors[0].rgbRed);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib.section);
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 2, 0));
    SelectObject(dc, old);
    DeleteDC(dc);

    RGBQUAD grey[3] = {{10, 10, 10, 0}, {200, 200, 200, 0}, {99, 99, 99, 0}};
    EXPECT_FALSE(dib.SetColorTable(0, grey));
    EXPECT_FALSE(dib.SetColorTable(3, nullptr));
    EXPECT_TRUE(dib.SetColorTable(3, grey)); // only as many as the bitmap has
    EXPECT_EQ(200, dib.info.bmiColors[1].rgbBlue);

    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buffer.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = {1, 2, 3, 0};
    lp->palPalEntry[1] = {4, 5, 6, 0};
    EXPECT_TRUE(dib.SetPalette(lp));
    EXPECT_EQ(4, dib.info.bmiColors[1].rgbRed);
    EXPECT_EQ(6, dib.info.bmiColors[1].rgbBlue);
    lp->palNumEntries = 0;
    EXPECT_FALSE(dib.SetPalette(lp));
    EXPECT_NE(nullptr, dib.palette); // the default palette replaced it
    DeleteObject(source);

    CTDib none;
    EXPECT_FALSE(none.CreateDefaultPalette());
    EXPECT_FALSE(none.CloseDC());
}

TEST(CTDib, PaletteBitmapKeepsItsOwnTable)
{
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD c[256];
    } info = {};
    info.h = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 8, BI_RGB};
    for (int i = 0; i < 256; ++i)
        info.c[i] = {BYTE(i), BYTE(255 - i), 7, 0};
    void* bits = nullptr;
    HBITMAP source =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    memset(bits, 42, 16);
    CTDib dib;
    ASSERT_TRUE(dib.CreateFromBitmap(source));
    EXPECT_EQ(256, dib.colourCount);
    EXPECT_EQ(42, dib.info.bmiColors[42].rgbBlue);
    EXPECT_EQ(213, dib.info.bmiColors[42].rgbGreen);
    PALETTEENTRY e = {};
    GetPaletteEntries(dib.palette, 42, 1, &e);
    EXPECT_EQ(42, e.peBlue);
    EXPECT_EQ(42, static_cast<BYTE*>(dib.bits)[5]);
    DeleteObject(source);
}

} // namespace
