// A canvas with 20,000 drawables in a grid: one full paint and 1,000 hot-tracking hit tests,
// each against a plain reference over the same area (a FillRect of the window, and a linear
// PtInRect walk over the same rectangles), printed as ratios.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "controls/CTWndGfx.h"

namespace {

double Now()
{
    static LARGE_INTEGER f = {};
    if (!f.QuadPart) QueryPerformanceFrequency(&f);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// A tile with its own cached picture, as the views' tiles have.
struct Tile : CGfxObject {
    COLORREF colour = 0;
    bool IsHotTrackable() override { return true; }
    void Render() override
    {
        DeleteBitmap();
        HDC screen = GetDC(nullptr);
        m_bitmap = CreateCompatibleBitmap(screen, GetWidth(), GetHeight());
        HDC mem = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(mem, m_bitmap);
        HBRUSH brush = CreateSolidBrush(colour);
        RECT rc = {0, 0, GetWidth(), GetHeight()};
        FillRect(mem, &rc, brush);
        DeleteObject(brush);
        SelectObject(mem, old);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
};

struct Canvas : CTWndGfx {};

// One paint of a 400 x 300 window showing 20 x 15 tiles of a canvas holding count of them in a
// grid 100 tiles wide: the figure should hardly depend on the tiles out of sight.
double PaintOnce(HWND host, HINSTANCE module, int count)
{
    const int columns = 100, size = 20;
    Canvas canvas;
    if (!canvas.Create(host, module, 2, false, 0)) return 0;
    MoveWindow(canvas.m_hWnd, 0, 0, 400, 300, TRUE);
    for (int i = 0; i < count; ++i) {
        auto* tile = new Tile();
        tile->colour = RGB(i % 256, (i / 256) % 256, 64);
        canvas.m_root.AddChild(tile);
        tile->SetBounds((i % columns) * size, (i / columns) * size, size - 2, size - 2);
    }
    canvas.m_contentWidth = columns * size;
    canvas.m_contentHeight = (count + columns - 1) / columns * size;
    RECT client;
    GetClientRect(canvas.m_hWnd, &client);
    canvas.UpdateScrollBars(client.right, client.bottom);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
    HGDIOBJ old = SelectObject(mem, bitmap);
    SendMessageW(canvas.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    const int paints = 20;
    double best = 1e30;
    for (int i = 0; i < paints; ++i) {
        double t0 = Now();
        SendMessageW(canvas.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
        double t = Now() - t0;
        if (t < best) best = t;
    }
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    canvas.Destroy();
    return best;
}

}  // namespace

int wmain()
{
    const int columns = 100, rows = 200, size = 20, count = columns * rows;
    const int width = 800, height = 600;
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = module;
    wc.lpszClassName = L"GfxBenchHost";
    RegisterClassExW(&wc);
    HWND host = CreateWindowExW(0, L"GfxBenchHost", L"bench", WS_POPUP, 0, 0, width, height, nullptr, nullptr, module,
                                nullptr);
    Canvas canvas;
    if (!canvas.Create(host, module, 1, false, 0)) {
        printf("canvas could not be created\n");
        return 1;
    }
    MoveWindow(canvas.m_hWnd, 0, 0, width, height, TRUE);
    std::vector<RECT> rects;
    rects.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto* tile = new Tile();
        tile->colour = RGB(i % 256, (i / 256) % 256, 128);
        canvas.m_root.AddChild(tile);
        int x = (i % columns) * size, y = (i / columns) * size;
        tile->SetBounds(x, y, size - 2, size - 2);
        rects.push_back(tile->m_bounds);
    }
    canvas.m_contentWidth = columns * size;
    canvas.m_contentHeight = rows * size;
    RECT client;
    GetClientRect(canvas.m_hWnd, &client);
    canvas.UpdateScrollBars(client.right, client.bottom);

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(mem, bitmap);

    // Warm-up paint renders every visible tile's picture once.
    SendMessageW(canvas.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    const int paints = 20;
    double t0 = Now();
    for (int i = 0; i < paints; ++i) SendMessageW(canvas.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    double paint = (Now() - t0) / paints;
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    t0 = Now();
    for (int i = 0; i < paints; ++i) FillRect(mem, &client, white);
    GdiFlush();
    double fill = (Now() - t0) / paints;

    const int tests = 1000;
    unsigned seed = 12345;
    std::vector<POINT> points(tests);
    for (POINT& p : points) {
        seed = seed * 1103515245 + 12345;
        p.x = static_cast<int>((seed >> 8) % client.right);
        seed = seed * 1103515245 + 12345;
        p.y = static_cast<int>((seed >> 8) % client.bottom);
    }
    int found = 0;
    std::vector<CGfxObject*> hitObjects;
    hitObjects.reserve(tests);
    t0 = Now();
    for (const POINT& p : points) {
        if (CGfxObject* hit = canvas.m_root.HitTestHot(p.x, p.y)) {
            ++found;
            hit->m_state = 0;
            hitObjects.push_back(hit);
        }
    }
    double hits = Now() - t0;
    // The search alone: the same points with every object found already hot, so that none of
    // them re-renders and repaints (what each hit above costs besides the search).
    for (CGfxObject* hit : hitObjects) hit->m_state = CGfxObject::StateHot;
    t0 = Now();
    for (const POINT& p : points) canvas.m_root.HitTestHot(p.x, p.y);
    double search = Now() - t0;
    for (CGfxObject* hit : hitObjects) hit->m_state = 0;
    int reference = 0;
    t0 = Now();
    for (const POINT& p : points)
        for (int i = count - 1; i >= 0; --i)
            if (PtInRect(&rects[i], p)) {
                ++reference;
                break;
            }
    double linear = Now() - t0;

    // Scrolling a page down and back by the keyboard, with the repaint of the uncovered strip.
    t0 = Now();
    for (int i = 0; i < 10; ++i) {
        SendMessageW(canvas.m_hWnd, WM_KEYDOWN, VK_NEXT, 0);
        SendMessageW(canvas.m_hWnd, WM_KEYDOWN, VK_PRIOR, 0);
    }
    double scroll = (Now() - t0) / 20;

    printf("objects             %d\n", count);
    printf("full paint          %.3f ms (FillRect of the window %.3f ms, ratio %.1f)\n", paint * 1e3, fill * 1e3,
           fill > 0 ? paint / fill : 0.0);
    printf("1000 hit tests      %.3f ms (%d hits; plain PtInRect walk %.3f ms, %d hits, ratio %.1f)\n", hits * 1e3,
           found, linear * 1e3, reference, linear > 0 ? hits / linear : 0.0);
    printf("  search alone      %.3f ms (the objects found already hot, so none repaints: ratio %.2f)\n", search * 1e3,
           linear > 0 ? search / linear : 0.0);
    printf("one scroll step     %.3f ms\n", scroll * 1e3);
    double paintMany = PaintOnce(host, module, 20000), paintFew = PaintOnce(host, module, 2000);
    printf("paint of 300 tiles  %.3f ms among 20000 drawables, %.3f ms among 2000, ratio %.2f\n", paintMany * 1e3,
           paintFew * 1e3, paintFew > 0 ? paintMany / paintFew : 0.0);

    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    canvas.Destroy();
    DestroyWindow(host);
    return 0;
}
