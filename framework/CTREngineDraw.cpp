#include "framework/CTREngineDraw.h"

#include <cstring>
#include <vector>

#include <vsstyle.h>

#include "framework/CTColour.h"
#include "framework/CTREngine.h"
#include "framework/CTApp.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c)
{
    TRIVERTEX v = {};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(c) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(c) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(c) << 8);
    v.Alpha = 0;
    return v;
}

COLORREF ScaleChannels(COLORREF c, double factor)
{
    return RGB(static_cast<int>(GetRValue(c) * factor), static_cast<int>(GetGValue(c) * factor),
               static_cast<int>(GetBValue(c) * factor));
}

ARGB ToArgb(COLORREF c, BYTE alpha)
{
    return (static_cast<ARGB>(alpha) << 24) | (static_cast<ARGB>(GetRValue(c)) << 16) |
           (static_cast<ARGB>(GetGValue(c)) << 8) | GetBValue(c);
}

// A top-down 32-bit DIB section selected into its own memory DC.
struct DibCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;

    DibCanvas(HDC reference, int cx, int cy)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = cx;
        info.bmiHeader.biHeight = -cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        if (!bitmap)
            return;
        bits = static_cast<DWORD*>(p);
        dc = CreateCompatibleDC(reference);
        if (dc)
            old = SelectObject(dc, bitmap);
    }
    ~DibCanvas()
    {
        if (dc) {
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap)
            DeleteObject(bitmap);
    }
    bool Ok() const { return dc && bits; }
};

} // namespace

bool CTREngine::GradientFill(HDC hdc, const RECT& rc, COLORREF colour1, COLORREF colour2, int kind)
{
    if (!m_pGradientFill) {
        HBRUSH brush = CreateSolidBrush(MixColours(colour1, colour2, 0.8));
        FillRect(hdc, &rc, brush);
        DeleteObject(brush);
        return true;
    }
    if (kind == 1 || kind == 2) {
        TRIVERTEX v[2] = {Vertex(rc.left, rc.top, colour1), Vertex(rc.right, rc.bottom, colour2)};
        GRADIENT_RECT r = {0, 1};
        CallGradientFill(hdc, v, 2, &r, 1, kind == 1 ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
    } else if (kind == 0) {
        TRIVERTEX v[4] = {Vertex(rc.left, rc.top, colour1),
                          Vertex(rc.right, rc.top, MixColours(colour1, colour2, 0.2)),
                          Vertex(rc.right, rc.bottom, colour2),
                          Vertex(rc.left, rc.bottom, MixColours(colour1, colour2, 0.8))};
        GRADIENT_TRIANGLE t[2] = {{0, 1, 2}, {0, 2, 3}};
        CallGradientFill(hdc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE);
    }
    return true;
}

HBRUSH CreateGradientBrush(HDC hdc, int height, COLORREF colour, int kind)
{
    if (height <= 0)
        return nullptr;
    HDC mem = CreateCompatibleDC(hdc);
    if (!mem)
        return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, 1, height);
    if (!bitmap) {
        DeleteDC(mem);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(mem, bitmap);
    CTREngine* engine = CTREngine::Instance();
    if (kind == 0) {
        int split = height / 3;
        engine->GradientFill(mem, RECT{0, 0, 1, split}, RGB(255, 255, 255), colour, 2);
        engine->GradientFill(mem, RECT{0, split, 1, height}, ScaleChannels(colour, 0.96), colour, 2);
    } else if (kind == 1) {
        int split = height / 2;
        engine->GradientFill(mem, RECT{0, 0, 1, split}, MixColour(colour, 0.2), colour, 2);
        engine->GradientFill(mem, RECT{0, split, 1, height}, ScaleChannels(colour, 0.8), colour, 2);
    } else if (kind == 2) {
        HBRUSH solid = CreateSolidBrush(colour);
        RECT all = {0, 0, 1, height};
        FillRect(mem, &all, solid);
        DeleteObject(solid);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

GdipPathHolder::GdipPathHolder()
{
    Record(GdipCreatePath(FillModeAlternate, &path));
}

GdipPathHolder::~GdipPathHolder()
{
    if (path)
        GdipDeletePath(path);
}

void AddRoundedRectPath(GdipPathHolder& holder, int radius, int x, int y, int width, int height)
{
    // An empty or inverted rectangle has no outline; the ellipse case would divide by its width.
    if (width <= 0 || height <= 0)
        return;
    int d = 2 * radius;
    if (d > width || d > height) {
        int q = d / width;
        holder.Record(GdipAddPathEllipseI(holder.path, x, y + q, width, height - 2 * q));
        return;
    }
    holder.Record(GdipResetPath(holder.path));
    int e = d, w = width, h = height;
    if (d == 20) {
        e = 21;
        w = width - 1;
        h = height - 1;
    }
    holder.Record(GdipAddPathArcI(holder.path, x, y, d, d, 180, 90));
    holder.Record(GdipAddPathArcI(holder.path, x + w - d - 1, y, e, e, 270, 90));
    holder.Record(GdipAddPathArcI(holder.path, x + w - d - 1, y + h - d - 1, e, e, 0, 90));
    holder.Record(GdipAddPathArcI(holder.path, x, y + h - d - 1, e, e, 90, 90));
    holder.Record(GdipClosePathFigure(holder.path));
}

bool DrawRoundedHighlight(HDC hdc, const RECT& rc, COLORREF colour, int radius)
{
    GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(hdc, &graphics) != Ok)
        return true;
    GdipSetPageUnit(graphics, UnitPixel);
    GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);

    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    GdipPathHolder holder;
    AddRoundedRectPath(holder, radius - 1, rc.left + 1, rc.top + 1, width - 2, height - 2);

    GpPen* pen = nullptr;
    if (GdipCreatePen1(ToArgb(colour, 0xFF), 1.0f, UnitPixel, &pen) == Ok) {
        GdipSetPenMode(pen, PenAlignmentCenter);
        GdipDrawPath(graphics, pen, holder.path);
    }

    GpLineGradient* brush = nullptr;
    GpRect area(rc.left, rc.top, width, height);
    if (GdipCreateLineBrushFromRectI(&area, ToArgb(MixColour(colour, 0.1), 0xF0),
                                     ToArgb(MixColour(colour, 0.25), 0x96), LinearGradientModeVertical,
                                     WrapModeTile, &brush) == Ok)
        GdipFillPath(graphics, brush, holder.path);

    if (brush)
        GdipDeleteBrush(brush);
    if (pen)
        GdipDeletePen(pen);
    GdipDeleteGraphics(graphics);
    return true;
}

int RenderEmfToImageList(IStream* stream, HIMAGELIST images, int cx, int cy)
{
    if (!stream || !images || cx <= 0 || cy <= 0)
        return -1;
    GpMetafile* metafile = nullptr;
    if (GdipCreateMetafileFromStream(stream, &metafile) != Ok || !metafile)
        return -1;

    int index = -1;
    GpBitmap* bitmap = nullptr;
    GpGraphics* graphics = nullptr;
    if (GdipCreateBitmapFromScan0(cx, cy, 0, PixelFormat32bppARGB, nullptr, &bitmap) == Ok &&
        GdipGetImageGraphicsContext(bitmap, &graphics) == Ok) {
        GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);

        // Pictures converted to EMF+ draw anti-aliased; where conversion is not offered the loaded
        // picture is drawn as it is.
        GpMetafile* converted = nullptr;
        BOOL success = FALSE;
        if (GdipConvertToEmfPlus(graphics, metafile, &success, EmfTypeEmfPlusOnly, nullptr, &converted) ==
                Ok &&
            converted) {
            GdipDisposeImage(metafile);
            metafile = converted;
        }

        UINT pw = 0, ph = 0;
        GdipGetImageWidth(metafile, &pw);
        GdipGetImageHeight(metafile, &ph);
        if (pw && ph) {
            int x = 0, y = 0, w = cx, h = cy;
            if (!(cx == cy && pw == ph)) {
                double scale = static_cast<double>(cy) / ph;
                if (pw * scale > cx) {
                    scale = static_cast<double>(cx) / pw;
                    w = cx;
                    h = static_cast<int>(ph * scale);
                    y = (cy - h) / 2;
                } else {
                    h = cy;
                    w = static_cast<int>(pw * scale);
                    x = (cx - w) / 2;
                }
            }
            GdipDrawImageRectI(graphics, metafile, x, y, w, h);
        }
        GdipDeleteGraphics(graphics);
        graphics = nullptr;

        HBITMAP hbm = nullptr;
        if (GdipCreateHBITMAPFromBitmap(bitmap, &hbm, 0x00FFFFFF) == Ok && hbm) {
            index = ImageList_Add(images, hbm, nullptr);
            DeleteObject(hbm);
        }
    }
    if (graphics)
        GdipDeleteGraphics(graphics);
    if (bitmap)
        GdipDisposeImage(bitmap);
    GdipDisposeImage(metafile);
    return index;
}

HICON LoadEmfIconFromMemory(HGLOBAL memory, int cx, int cy)
{
    if (!memory)
        return nullptr;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    HICON icon = nullptr;
    if (HIMAGELIST images = ImageList_Create(cx, cy, ILC_COLOR32, 1, 1)) {
        int index = RenderEmfToImageList(stream, images, cx, cy);
        if (index >= 0)
            icon = ImageList_GetIcon(images, index, ILD_NORMAL);
        ImageList_Destroy(images);
    }
    stream->Release();
    return icon;
}

HICON LoadEmfIcon(UINT id, int cx, int cy)
{
    HMODULE module = CTApp::Instance()->FindResourceModule(L"EMF", MAKEINTRESOURCEW(id));
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"EMF");
    if (!resource)
        return nullptr;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !size)
        return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return nullptr;
    if (void* p = GlobalLock(memory)) {
        memcpy(p, data, size);
        GlobalUnlock(memory);
    }
    return LoadEmfIconFromMemory(memory, cx, cy);
}

void CTREngine::DrawImage(int kind, HIMAGELIST images, int index, HDC hdc, const RECT& rc, bool /*flag*/)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    int x = rc.left + (rc.right - rc.left) / 2 - cx / 2;
    int y = rc.top + (rc.bottom - rc.top) / 2 - cy / 2;
    if (kind >= ImageNormal && kind <= ImageSelected)
        ImageList_Draw(images, index, hdc, x, y, ILD_TRANSPARENT);
    else if (kind == ImageDisabled)
        DrawImageBlended(images, index, hdc, x, y, 0.5);
}

void DrawImageBlended(HIMAGELIST images, int index, HDC hdc, int x, int y, double factor)
{
    int cx = 0, cy = 0;
    if (!ImageList_GetIconSize(images, &cx, &cy) || cx <= 0 || cy <= 0)
        return;
    DibCanvas background(hdc, cx, cy), image(hdc, cx, cy);
    if (!background.Ok() || !image.Ok())
        return;
    BitBlt(background.dc, 0, 0, cx, cy, hdc, x, y, SRCCOPY);
    BitBlt(image.dc, 0, 0, cx, cy, hdc, x, y, SRCCOPY);
    ImageList_Draw(images, index, image.dc, 0, 0, ILD_TRANSPARENT);
    GdiFlush();
    for (int i = 0; i < cx * cy; ++i) {
        DWORD b = background.bits[i] & 0xFFFFFF, p = image.bits[i] & 0xFFFFFF;
        if (b == p)
            continue;
        DWORD out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            int bc = (b >> shift) & 0xFF, pc = (p >> shift) & 0xFF;
            out |= static_cast<DWORD>(static_cast<int>(bc + (pc - bc) * factor) & 0xFF) << shift;
        }
        background.bits[i] = out;
    }
    BitBlt(hdc, x, y, cx, cy, background.dc, 0, 0, SRCCOPY);
}

bool CTREngine::RenderFrameControl(HWND hwnd, const RECT& rc, HBITMAP* bitmap, COLORREF* mask, UINT type,
                                   UINT state)
{
    if (*bitmap)
        DeleteObject(*bitmap);
    *bitmap = nullptr;
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int workW = w + m_dpi.Scale(3), workH = h + m_dpi.ScaleY(2);
    HDC screen = GetDC(hwnd);
    HDC work = CreateCompatibleDC(screen);
    HDC out = CreateCompatibleDC(screen);
    HBITMAP workBitmap = CreateCompatibleBitmap(screen, workW, workH);
    HBITMAP result = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldWork = SelectObject(work, workBitmap);
    HGDIOBJ oldOut = SelectObject(out, result);
    RECT all = {0, 0, workW, workH};
    DrawFrameControl(work, &all, type, state | DFCS_FLAT);
    BitBlt(out, 0, 0, w, h, work, 1, 1, SRCCOPY);
    *mask = GetPixel(out, 0, 0);
    SelectObject(work, oldWork);
    SelectObject(out, oldOut);
    DeleteObject(workBitmap);
    DeleteDC(work);
    DeleteDC(out);
    ReleaseDC(hwnd, screen);
    *bitmap = result;
    return true;
}

bool CTREngine::RenderCheckBoxImage(HWND hwnd, UINT frameFlags, int themeState, const RECT& rc,
                                    HBITMAP* bitmap, COLORREF* mask)
{
    if (*bitmap)
        DeleteObject(*bitmap);
    *bitmap = nullptr;
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    HDC screen = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(screen);
    if (!mem) {
        ReleaseDC(hwnd, screen);
        return false;
    }
    *bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, *bitmap);

    if (*mask == CLR_INVALID)
        *mask = SysColor(COLOR_WINDOW) == RGB(255, 0, 255) ? RGB(0, 0, 255) : RGB(255, 0, 255);
    RECT all = {0, 0, w, h};
    HBRUSH fill = CreateSolidBrush(*mask);
    FillRect(mem, &all, fill);
    DeleteObject(fill);

    RECT glyph = all;
    InflateRect(&glyph, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    glyph.right += 1;
    glyph.bottom += 1;

    bool drawn = false;
    if (m_themeApi.IsThemeActive()) {
        if (HTHEME theme = m_themeApi.OpenThemeData(hwnd, L"BUTTON")) {
            int part = (frameFlags & DFCS_BUTTONRADIO) ? BP_RADIOBUTTON : BP_CHECKBOX;
            drawn = SUCCEEDED(m_themeApi.DrawThemeBackground(theme, mem, part, themeState, &glyph, nullptr));
            m_themeApi.CloseThemeData(theme);
        }
    }
    // A theme that cannot be opened or drawn leaves the classic glyph rather than an empty box.
    if (!drawn)
        DrawFrameControl(mem, &glyph, DFC_BUTTON, frameFlags);

    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(hwnd, screen);
    return true;
}
