#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <commctrl.h>

// Drawing routines of the engine that need no engine state: gradient brushes, GDI+ rounded
// highlights, "EMF" vector pictures rendered at any size, and blended image-list drawing.

// A GDI+ path and the last non-zero status of any call made on it.
struct GdipPathHolder {
    Gdiplus::GpPath* path = nullptr;
    Gdiplus::GpStatus lastStatus = Gdiplus::Ok;

    GdipPathHolder();
    ~GdipPathHolder();
    GdipPathHolder(const GdipPathHolder&) = delete;
    GdipPathHolder& operator=(const GdipPathHolder&) = delete;
    void Record(Gdiplus::GpStatus status)
    {
        if (status != Gdiplus::Ok)
            lastStatus = status;
    }
};

// A 1 x height pattern brush of a vertical gradient (kind 0, 1) or a solid colour (kind 2).
HBRUSH CreateGradientBrush(HDC hdc, int height, COLORREF colour, int kind);
void AddRoundedRectPath(GdipPathHolder& holder, int radius, int x, int y, int width, int height);
bool DrawRoundedHighlight(HDC hdc, const RECT& rc, COLORREF colour, int radius);
// Renders the metafile in the stream into a cx x cy image added to the list; its index or -1.
int RenderEmfToImageList(IStream* stream, HIMAGELIST images, int cx, int cy);
// Takes ownership of the movable memory block.
HICON LoadEmfIconFromMemory(HGLOBAL memory, int cx, int cy);
// The resource of type "EMF" with the id, looked up like every resource of the application.
HICON LoadEmfIcon(UINT id, int cx, int cy);
void DrawImageBlended(HIMAGELIST images, int index, HDC hdc, int x, int y, double factor);
