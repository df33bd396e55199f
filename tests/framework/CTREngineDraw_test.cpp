#include <gtest/gtest.h>

#include <vector>

#include "framework/CTColour.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"
#include "framework/EngineSeams.h"
#include "framework/MemoryBitmap.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

using EngineDrawTest = EngineTest;

// Pixels of a bitmap handle as top-down 32-bit rows.
std::vector<DWORD> ReadPixels(HBITMAP bitmap, int* cx, int* cy)
{
    BITMAP bm = {};
    GetObjectW(bitmap, sizeof(bm), &bm);
    *cx = bm.bmWidth;
    *cy = bm.bmHeight;
    std::vector<DWORD> pixels(size_t(bm.bmWidth) * bm.bmHeight);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, bm.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return pixels;
}

COLORREF PixelColour(DWORD v)
{
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

// An EMF of cx x cy pixels filled with one colour, in movable memory.
HGLOBAL MakeEmf(int cx, int cy, COLORREF colour)
{
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT rc = {0, 0, cx, cy};
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    UINT size = GetEnhMetaFileBits(emf, 0, nullptr);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    GetEnhMetaFileBits(emf, size, static_cast<BYTE*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    DeleteEnhMetaFile(emf);
    return memory;
}

// An image list with one opaque cx x cy image of one colour, masked.
HIMAGELIST SolidImageList(int cx, int cy, COLORREF colour)
{
    HIMAGELIST images = ImageList_Create(cx, cy, ILC_COLOR24 | ILC_MASK, 1, 1);
    MemoryBitmap picture(cx, cy, colour);
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mask);
    PatBlt(mdc, 0, 0, cx, cy, BLACKNESS); // black mask: every pixel opaque
    SelectObject(mdc, old);
    DeleteDC(mdc);
    SelectObject(picture.dc, picture.old);
    ImageList_Add(images, picture.bitmap, mask);
    picture.old = SelectObject(picture.dc, picture.bitmap);
    DeleteObject(mask);
    return images;
}

TEST_F(EngineDrawTest, GradientEndsAndSolidFallback)
{
    MemoryBitmap bmp(8, 64);
    RECT rc = {0, 0, 8, 64};
    engine->GradientFill(bmp.dc, rc, RGB(255, 255, 255), RGB(0, 0, 0), 2);
    EXPECT_TRUE(ColourNear(bmp.At(3, 0), RGB(255, 255, 255), 4));
    EXPECT_TRUE(ColourNear(bmp.At(3, 63), RGB(0, 0, 0), 8));
    EXPECT_TRUE(ColourNear(bmp.At(3, 32), RGB(128, 128, 128), 8));
    MemoryBitmap rows(4, 2);
    engine->GradientFill(rows.dc, RECT{0, 0, 4, 2}, RGB(255, 255, 255), RGB(0, 0, 0), 2);
    EXPECT_TRUE(ColourNear(rows.At(0, 0), RGB(255, 255, 255), 4));
    EXPECT_LE(GetRValue(rows.At(0, 1)), 128); // the second of two rows is already half-way or darker

    // Kind 1 runs left to right.
    MemoryBitmap wide(64, 4);
    engine->GradientFill(wide.dc, RECT{0, 0, 64, 4}, RGB(255, 0, 0), RGB(0, 0, 255), 1);
    EXPECT_TRUE(ColourNear(wide.At(0, 2), RGB(255, 0, 0), 8));
    EXPECT_TRUE(ColourNear(wide.At(63, 2), RGB(0, 0, 255), 8));

    // Kind 0: four corners, the two on the right-hand diagonal mixed 20 % and 80 % toward colour 1.
    MemoryBitmap square(64, 64);
    engine->GradientFill(square.dc, RECT{0, 0, 64, 64}, RGB(200, 0, 0), RGB(0, 0, 200), 0);
    EXPECT_TRUE(ColourNear(square.At(0, 0), RGB(200, 0, 0), 10));
    EXPECT_TRUE(ColourNear(square.At(63, 63), RGB(0, 0, 200), 10));
    EXPECT_TRUE(ColourNear(square.At(63, 0), RGB(40, 0, 160), 10));
    EXPECT_TRUE(ColourNear(square.At(0, 63), RGB(160, 0, 40), 10));

    // Unknown kinds draw nothing but still answer true.
    MemoryBitmap untouched(4, 4, RGB(1, 2, 3));
    EXPECT_TRUE(engine->GradientFill(untouched.dc, RECT{0, 0, 4, 4}, 0, 0xFFFFFF, 7));
    EXPECT_EQ(RGB(1, 2, 3), untouched.At(1, 1));

    // Without GradientFill: solid, colour 2 mixed 80 % toward colour 1.
    engine->SetBoundFunctions(savedTransparentBlt, nullptr, savedLayered);
    MemoryBitmap two(4, 2, RGB(9, 9, 9));
    EXPECT_TRUE(engine->GradientFill(two.dc, RECT{0, 0, 4, 2}, RGB(255, 255, 255), RGB(0, 0, 0), 2));
    EXPECT_EQ(RGB(204, 204, 204), two.At(0, 0));
    EXPECT_EQ(RGB(204, 204, 204), two.At(3, 1));
    EXPECT_TRUE(engine->GradientFill(two.dc, RECT{0, 0, 4, 2}, RGB(0, 0, 0), RGB(255, 255, 255), 7));
    EXPECT_EQ(RGB(51, 51, 51), two.At(0, 0));
}

TEST_F(EngineDrawTest, GradientBrushRows)
{
    const COLORREF colour = RGB(0, 100, 200);
    MemoryBitmap bmp(3, 30);
    HBRUSH brush = CreateGradientBrush(bmp.dc, 30, colour, 0);
    ASSERT_NE(nullptr, brush);
    RECT rc = {0, 0, 3, 30};
    FillRect(bmp.dc, &rc, brush);
    DeleteObject(brush);
    // Rows 0 to 9: white to the colour; from row 10: colour x 0.96 to the colour.
    EXPECT_TRUE(ColourNear(bmp.At(1, 0), RGB(255, 255, 255), 4));
    EXPECT_TRUE(ColourNear(bmp.At(1, 9), colour, 30));
    EXPECT_LT(GetRValue(bmp.At(1, 9)), GetRValue(bmp.At(1, 5)));
    EXPECT_TRUE(ColourNear(bmp.At(1, 10), RGB(0, 96, 192), 2));
    EXPECT_TRUE(ColourNear(bmp.At(1, 29), colour, 2));

    HBRUSH halves = CreateGradientBrush(bmp.dc, 30, colour, 1);
    FillRect(bmp.dc, &rc, halves);
    DeleteObject(halves);
    EXPECT_TRUE(ColourNear(bmp.At(0, 0), MixColour(colour, 0.2), 4));
    EXPECT_TRUE(ColourNear(bmp.At(0, 15), RGB(0, 80, 160), 2));

    HBRUSH solid = CreateGradientBrush(bmp.dc, 30, colour, 2);
    FillRect(bmp.dc, &rc, solid);
    DeleteObject(solid);
    EXPECT_EQ(colour, bmp.At(2, 0));
    EXPECT_EQ(colour, bmp.At(2, 29));
    EXPECT_EQ(nullptr, CreateGradientBrush(bmp.dc, 0, colour, 0));

    // Without GradientFill each part is solid: its end colour mixed 80 % toward its start colour.
    engine->SetBoundFunctions(savedTransparentBlt, nullptr, savedLayered);
    HBRUSH flat = CreateGradientBrush(bmp.dc, 30, colour, 0);
    FillRect(bmp.dc, &rc, flat);
    DeleteObject(flat);
    EXPECT_EQ(RGB(204, 224, 244), bmp.At(1, 0));
    EXPECT_EQ(RGB(204, 224, 244), bmp.At(1, 9));
    EXPECT_EQ(RGB(0, 96, 193), bmp.At(1, 10));
    EXPECT_EQ(RGB(0, 96, 193), bmp.At(1, 29));
}

GpRect PathBounds(GdipPathHolder& holder)
{
    GpRect bounds(0, 0, 0, 0);
    GdipGetPathWorldBoundsI(holder.path, &bounds, nullptr, nullptr);
    return bounds;
}

TEST_F(EngineDrawTest, RoundedPathArcsAndEllipse)
{
    {
        // Radius 10: arcs of 20 and 21 keep the outer edges at X + 99 and Y + 39.
        GdipPathHolder holder;
        AddRoundedRectPath(holder, 10, 5, 7, 100, 40);
        EXPECT_EQ(Ok, holder.lastStatus);
        GpRect b = PathBounds(holder);
        EXPECT_EQ(5, b.X);
        EXPECT_EQ(7, b.Y);
        EXPECT_EQ(5 + 99, b.X + b.Width);
        EXPECT_EQ(7 + 39, b.Y + b.Height);
    }
    {
        // Radius 8: every arc 16; the far edges sit one pixel inside.
        GdipPathHolder holder;
        AddRoundedRectPath(holder, 8, 0, 0, 100, 40);
        GpRect b = PathBounds(holder);
        EXPECT_EQ(99, b.X + b.Width);
        EXPECT_EQ(39, b.Y + b.Height);
    }
    {
        // Radius 30 does not fit in 40 rows: the ellipse over the whole rectangle.
        GdipPathHolder holder;
        AddRoundedRectPath(holder, 30, 0, 0, 100, 40);
        GpRect b = PathBounds(holder);
        EXPECT_EQ(0, b.X);
        EXPECT_EQ(100, b.Width);
        EXPECT_EQ(40, b.Height);
    }
    {
        // A zero width (a 2-pixel highlight inset by one on each side) adds nothing.
        GdipPathHolder holder;
        AddRoundedRectPath(holder, 3, 0, 0, 0, 20);
        EXPECT_EQ(Ok, holder.lastStatus);
        INT count = -1;
        GdipGetPointCount(holder.path, &count);
        EXPECT_EQ(0, count);
    }
}

TEST_F(EngineDrawTest, RoundedHighlightHasRoundCornersAndALightBody)
{
    const COLORREF blue = RGB(0, 0, 255);
    MemoryBitmap bmp(40, 24);
    EXPECT_TRUE(DrawRoundedHighlight(bmp.dc, RECT{0, 0, 40, 24}, blue, 6));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(0, 0)); // outside the inset shape
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(39, 23));
    COLORREF edge = bmp.At(1, 12), corner = bmp.At(1, 1), body = bmp.At(20, 3);
    EXPECT_LT(GetRValue(edge), 200); // outline: blue (anti-aliased with the wash)
    EXPECT_GT(GetBValue(edge), 200);
    EXPECT_GT(GetRValue(corner), GetRValue(edge) + 60); // the corner is cut round
    EXPECT_GT(GetRValue(body), 200);                    // the body is a light wash
    EXPECT_GT(GetBValue(body), 240);
    // Lighter at the top than at the bottom.
    EXPECT_GE(GetRValue(bmp.At(20, 3)), GetRValue(bmp.At(20, 20)));

    // A 2-pixel-wide highlight: nothing to outline, and no crash.
    MemoryBitmap thin(2, 24);
    EXPECT_TRUE(DrawRoundedHighlight(thin.dc, RECT{0, 0, 2, 24}, blue, 3));
    EXPECT_EQ(RGB(255, 255, 255), thin.At(0, 12));
}

TEST_F(EngineDrawTest, TallEmfIsCentredSideways)
{
    HGLOBAL memory = MakeEmf(100, 200, RGB(0, 128, 192));
    IStream* stream = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream));
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32, 1, 1);
    ASSERT_EQ(0, RenderEmfToImageList(stream, images, 32, 32));
    stream->Release();
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(images, 0, &info));
    int cx = 0, cy = 0;
    std::vector<DWORD> px = ReadPixels(info.hbmImage, &cx, &cy);
    auto alpha = [&](int x, int y) { return px[size_t(y) * cx + info.rcImage.left + x] >> 24; };
    // 16 x 32 drawn: 8 columns free left and right.
    for (int x : {0, 6, 25, 31})
        EXPECT_EQ(0u, alpha(x, 16)) << "column " << x;
    for (int x : {9, 16, 22})
        EXPECT_EQ(0xFFu, alpha(x, 16)) << "column " << x;
    EXPECT_EQ(0xFFu, alpha(16, 1));
    EXPECT_EQ(0xFFu, alpha(16, 30));
    ImageList_Destroy(images);
}

TEST_F(EngineDrawTest, EmfIsCentredInTheImage)
{
    HGLOBAL memory = MakeEmf(200, 100, RGB(0, 128, 192));
    IStream* stream = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream));
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32, 1, 1);
    int index = RenderEmfToImageList(stream, images, 32, 32);
    stream->Release();
    ASSERT_EQ(0, index);
    IMAGEINFO info = {};
    ASSERT_TRUE(ImageList_GetImageInfo(images, 0, &info));
    int cx = 0, cy = 0;
    std::vector<DWORD> px = ReadPixels(info.hbmImage, &cx, &cy);
    ASSERT_EQ(32, cy);
    auto at = [&](int x, int y) { return px[size_t(y) * cx + info.rcImage.left + x]; };
    // 32 x 16 drawn: 8 rows free above and below.
    for (int y : {0, 6, 25, 31})
        EXPECT_EQ(0u, at(16, y) >> 24) << "row " << y;
    for (int y : {9, 16, 22}) {
        EXPECT_EQ(0xFFu, at(16, y) >> 24) << "row " << y;
        EXPECT_TRUE(ColourNear(PixelColour(at(16, y)), RGB(0, 128, 192), 6)) << "row " << y;
        EXPECT_EQ(0xFFu, at(1, y) >> 24) << "row " << y;
        EXPECT_EQ(0xFFu, at(30, y) >> 24) << "row " << y;
    }
    ImageList_Destroy(images);

    // A garbage stream adds nothing.
    HGLOBAL junk = GlobalAlloc(GMEM_MOVEABLE, 16);
    memset(GlobalLock(junk), 0x5A, 16);
    GlobalUnlock(junk);
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(junk, TRUE, &stream));
    images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
    EXPECT_EQ(-1, RenderEmfToImageList(stream, images, 16, 16));
    EXPECT_EQ(0, ImageList_GetImageCount(images));
    ImageList_Destroy(images);
    stream->Release();
}

TEST_F(EngineDrawTest, EmfIconsFromMemoryAndResources)
{
    HICON icon = LoadEmfIconFromMemory(MakeEmf(50, 50, RGB(200, 0, 0)), 24, 24);
    ASSERT_NE(nullptr, icon);
    ICONINFO ii = {};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    BITMAP bm = {};
    GetObjectW(ii.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(24, bm.bmWidth);
    EXPECT_EQ(24, bm.bmHeight);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyIcon(icon);

    HICON fromResource = LoadEmfIcon(201, 32, 32);
    ASSERT_NE(nullptr, fromResource);
    MemoryBitmap bmp(32, 32, RGB(255, 255, 255));
    DrawIconEx(bmp.dc, 0, 0, fromResource, 32, 32, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(16, 2));
    EXPECT_TRUE(ColourNear(bmp.At(16, 16), RGB(0, 128, 192), 6));
    DestroyIcon(fromResource);

    EXPECT_EQ(nullptr, LoadEmfIcon(999, 32, 32));
}

TEST_F(EngineDrawTest, DisabledImageIsBlendedHalfWay)
{
    HIMAGELIST images = SolidImageList(16, 16, RGB(200, 0, 100));
    MemoryBitmap bmp(40, 40, RGB(255, 255, 255));
    engine->DrawImage(CTREngine::ImageDisabled, images, 0, bmp.dc, RECT{0, 0, 40, 40}, false);
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(11, 11));
    EXPECT_TRUE(ColourNear(bmp.At(12, 12), RGB(227, 127, 177), 1)); // centred at (12, 12)
    EXPECT_TRUE(ColourNear(bmp.At(27, 27), RGB(227, 127, 177), 1));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(28, 28));

    bmp.Fill(RGB(255, 255, 255));
    engine->DrawImage(CTREngine::ImageHot, images, 0, bmp.dc, RECT{0, 0, 40, 40}, true);
    EXPECT_EQ(RGB(200, 0, 100), bmp.At(20, 20));

    // Over black the same image blends toward black.
    bmp.Fill(RGB(0, 0, 0));
    DrawImageBlended(images, 0, bmp.dc, 0, 0, 0.25);
    EXPECT_TRUE(ColourNear(bmp.At(5, 5), RGB(50, 0, 25), 1));
    ImageList_Destroy(images);
}

TEST_F(EngineDrawTest, FrameControlBitmapAtEachDpi)
{
    for (int dpi : {96, 120, 144}) {
        engine->m_dpi.Set(dpi, dpi);
        HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
        COLORREF mask = 0x123456;
        ASSERT_TRUE(engine->RenderFrameControl(nullptr, RECT{0, 0, 12, 10}, &bitmap, &mask, DFC_SCROLL,
                                               DFCS_SCROLLDOWN));
        ASSERT_NE(nullptr, bitmap);
        int cx = 0, cy = 0;
        std::vector<DWORD> px = ReadPixels(bitmap, &cx, &cy);
        EXPECT_EQ(12, cx);
        EXPECT_EQ(10, cy);
        EXPECT_EQ(mask, PixelColour(px[0])) << dpi;
        // The arrow glyph differs from the face colour somewhere.
        bool glyph = false;
        for (DWORD p : px)
            glyph |= PixelColour(p) != mask;
        EXPECT_TRUE(glyph) << dpi;
        DeleteObject(bitmap);
    }
}

BOOL WINAPI ThemeActive()
{
    return TRUE;
}

DWORD WINAPI MagentaWindow(int index)
{
    return index == COLOR_WINDOW ? RGB(255, 0, 255) : GetSysColor(index);
}

TEST_F(EngineDrawTest, CheckBoxImageMaskColourAndClassicFallback)
{
    HBITMAP bitmap = nullptr;
    COLORREF mask = CLR_INVALID;
    ASSERT_TRUE(engine->RenderCheckBoxImage(nullptr, DFCS_BUTTONCHECK | DFCS_CHECKED, 5, RECT{0, 0, 16, 16},
                                            &bitmap, &mask));
    EXPECT_EQ(RGB(255, 0, 255), mask);
    int cx = 0, cy = 0;
    std::vector<DWORD> px = ReadPixels(bitmap, &cx, &cy);
    EXPECT_EQ(16, cx);
    EXPECT_EQ(RGB(255, 0, 255), PixelColour(px[0]));
    EXPECT_NE(RGB(255, 0, 255), PixelColour(px[8 * 16 + 8]));

    // A window colour of magenta makes the mask blue; a given mask colour is kept.
    engine->SetSysColorSource(MagentaWindow);
    mask = CLR_INVALID;
    ASSERT_TRUE(
        engine->RenderCheckBoxImage(nullptr, DFCS_BUTTONRADIO, 1, RECT{0, 0, 16, 16}, &bitmap, &mask));
    EXPECT_EQ(RGB(0, 0, 255), mask);
    mask = RGB(0, 255, 0);
    ASSERT_TRUE(
        engine->RenderCheckBoxImage(nullptr, DFCS_BUTTONCHECK, 1, RECT{0, 0, 16, 16}, &bitmap, &mask));
    EXPECT_EQ(RGB(0, 255, 0), mask);

    // Visual styles said to be active but no theme can be opened: the classic glyph, not nothing.
    engine->m_themeApi.SetModule(nullptr, false);
    engine->m_themeApi.SetEntry(CTThemeApi::eIsThemeActive, reinterpret_cast<FARPROC>(ThemeActive));
    mask = CLR_INVALID;
    ASSERT_TRUE(engine->RenderCheckBoxImage(nullptr, DFCS_BUTTONCHECK | DFCS_CHECKED, 1, RECT{0, 0, 16, 16},
                                            &bitmap, &mask));
    px = ReadPixels(bitmap, &cx, &cy);
    int drawn = 0;
    for (DWORD p : px)
        drawn += PixelColour(p) != RGB(0, 0, 255);
    EXPECT_GT(drawn, 50);

    // Without visual styles the classic glyph is drawn.
    engine->m_themeApi.SetModule(nullptr, false);
    mask = CLR_INVALID;
    ASSERT_TRUE(engine->RenderCheckBoxImage(nullptr, DFCS_BUTTONCHECK | DFCS_CHECKED, 1, RECT{0, 0, 16, 16},
                                            &bitmap, &mask));
    px = ReadPixels(bitmap, &cx, &cy);
    EXPECT_EQ(RGB(0, 0, 255), PixelColour(px[0]));
    int glyph = 0;
    for (DWORD p : px)
        glyph += PixelColour(p) != RGB(0, 0, 255);
    EXPECT_GT(glyph, 50);
    DeleteObject(bitmap);
}

} // namespace
