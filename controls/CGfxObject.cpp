#include "controls/CGfxObject.h"

#include "controls/CTWndGfx.h"
#include "framework/CTREngine.h"

#include <algorithm>
#include <vector>

CGfxCanvasDC::CGfxCanvasDC(HWND window) : hwnd(window)
{
    dc = GetDC(hwnd);
    if (dc) saved = SaveDC(dc);
}

CGfxCanvasDC::~CGfxCanvasDC()
{
    if (!dc) return;
    RestoreDC(dc, saved);
    ReleaseDC(hwnd, dc);
}

CGfxObject::~CGfxObject()
{
    CreateResources(nullptr, false);
    m_children.DeleteAll();
}

void CGfxObject::DeleteBitmap()
{
    if (m_bitmap) DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    DeleteMask();
}

void CGfxObject::DeleteMask()
{
    if (m_mask) DeleteObject(m_mask);
    m_mask = nullptr;
    m_maskSource = nullptr;
}

namespace {

// Memory DCs shared by every object's painting: making them per object costs more than the copy.
HDC SharedDC(int which)
{
    static HDC dcs[2] = {CreateCompatibleDC(nullptr), CreateCompatibleDC(nullptr)};
    return dcs[which];
}

}  // namespace

void CGfxObject::BlitTransparent(HDC dc, int x, int y, int cx, int cy)
{
    HDC mem = SharedDC(0);
    HGDIOBJ old = SelectObject(mem, m_bitmap);
    CTREngine::Instance()->TransparentBlt(dc, x, y, cx, cy, mem, cx, cy, kKeyColour);
    SelectObject(mem, old);
}

// The same result as a transparent copy with the key colour, from a monochrome mask kept with
// the picture: three plain copies instead of a transparent one, which builds its masks on every
// call and dominates the painting of large canvases.
bool CGfxObject::BlitWithMask(HDC dc, int x, int y, int cx, int cy)
{
    HDC src = SharedDC(0), mask = SharedDC(1);
    if (!src || !mask) return false;
    BITMAP bm = {};
    if (!GetObjectW(m_bitmap, sizeof(bm), &bm) || bm.bmWidth < cx || bm.bmHeight < cy) return false;
    HGDIOBJ oldSrc = SelectObject(src, m_bitmap);
    if (m_maskSource != m_bitmap || !m_mask) {
        DeleteMask();
        m_mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
        if (!m_mask) {
            SelectObject(src, oldSrc);
            return false;
        }
        m_maskSource = m_bitmap;
        HGDIOBJ oldMask = SelectObject(mask, m_mask);
        COLORREF oldBk = SetBkColor(src, kKeyColour);
        BitBlt(mask, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);  // key pixels become 1
        SetBkColor(src, oldBk);
        SelectObject(mask, oldMask);
        // A picture without key pixels is copied as it is.
        std::vector<BYTE> bits(static_cast<size_t>((bm.bmWidth + 31) / 32 * 4) * bm.bmHeight);
        struct { BITMAPINFOHEADER h; RGBQUAD colours[2]; } info = {};
        info.h.biSize = sizeof(info.h);
        info.h.biWidth = bm.bmWidth;
        info.h.biHeight = bm.bmHeight;
        info.h.biPlanes = 1;
        info.h.biBitCount = 1;
        m_maskEmpty = false;
        if (GetDIBits(src, m_mask, 0, bm.bmHeight, bits.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
            // Rows are padded to 32 bits: only the bits of real pixels count.
            int stride = (bm.bmWidth + 31) / 32 * 4;
            bool any = false;
            for (int row = 0; row < bm.bmHeight && !any; ++row)
                for (int col = 0; col < bm.bmWidth && !any; ++col) {
                    BYTE byte = bits[static_cast<size_t>(row) * stride + col / 8];
                    bool set = (byte >> (7 - col % 8)) & 1;
                    // Index 1 is the colour of a set bit; compare with white to read it.
                    RGBQUAD c = info.colours[set ? 1 : 0];
                    any = c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255;
                }
            m_maskEmpty = !any;
        }
    }
    if (m_maskEmpty) {
        BitBlt(dc, x, y, cx, cy, src, 0, 0, SRCCOPY);
        SelectObject(src, oldSrc);
        return true;
    }
    HGDIOBJ oldMask = SelectObject(mask, m_mask);
    COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, cx, cy, src, 0, 0, SRCINVERT);
    BitBlt(dc, x, y, cx, cy, mask, 0, 0, SRCAND);  // keeps the target under key pixels, clears the rest
    BitBlt(dc, x, y, cx, cy, src, 0, 0, SRCINVERT);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBk);
    SelectObject(mask, oldMask);
    SelectObject(src, oldSrc);
    return true;
}

HWND CGfxObject::CanvasHwnd()
{
    CTWndGfx* canvas = GetCanvasWnd();
    return canvas ? canvas->m_hWnd : nullptr;
}

void CGfxObject::Paint(HDC dc, const RECT* clip)
{
    if (!m_visible) return;
    RECT rc = ClientBounds();
    RECT common;
    if (!clip || IntersectRect(&common, &rc, clip)) {
        if (!m_bitmap) Render();
        if (m_bitmap) {
            int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
            if (!BlitWithMask(dc, rc.left, rc.top, cx, cy))
                BlitTransparent(dc, rc.left, rc.top, cx, cy);
        }
    }
    PaintChildren(dc, clip);
}

void CGfxObject::PaintChildren(HDC dc, const RECT* clip)
{
    if (!clip) {
        for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->Paint(dc, clip);
        return;
    }
    // A small update region among thousands of children: most are settled by their bounds alone.
    POINT offset = ChildOffset();
    RECT area = *clip;
    OffsetRect(&area, -offset.x, -offset.y);
    for (CGfxObject* child = FirstChild(); child; child = child->Next())
        if (!PaintsNothingIn(child, area)) child->Paint(dc, clip);
}

void CGfxObject::OnScroll()
{
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->OnScroll();
}

void CGfxObject::GetBounds(int* x, int* y, int* width, int* height)
{
    int left = m_bounds.left - 1, top = m_bounds.top - 1;
    if (x) *x = left;
    if (y) *y = top;
    if (width) *width = m_bounds.right - left;
    if (height) *height = m_bounds.bottom - top;
}

void CGfxObject::SetBounds(int x, int y, int width, int height)
{
    RECT next = {x + 1, y + 1, x + width + 1, y + height + 1};
    if (EqualRect(&next, &m_bounds)) return;
    if (!m_visible) {
        m_bounds = next;
        return;
    }
    RECT uncovered;
    HWND hwnd = CanvasHwnd();
    if (hwnd && SubtractRect(&uncovered, &m_bounds, &next)) {
        CanvasToClient(&uncovered);
        InvalidateRect(hwnd, &uncovered, TRUE);
    }
    m_bounds = next;
    Redraw(IsOpaque());
}

void CGfxObject::Move(int x, int y)
{
    int width = GetWidth(), height = GetHeight();
    RECT next = {x + 1, y + 1, x + 1 + width, y + 1 + height};
    SetBounds(next.left - 1, next.top - 1, width, height);
}

void CGfxObject::SetVisible(bool visible)
{
    if (m_visible == visible) return;
    m_visible = visible;
    HWND hwnd = CanvasHwnd();
    if (!visible && hwnd) {
        RECT rc = ClientBounds();
        InvalidateRect(hwnd, &rc, TRUE);
    }
}

bool CGfxObject::HitTest(int x, int y)
{
    if (!m_visible) return false;
    RECT rc = ClientBounds();
    POINT pt = {x, y};
    return PtInRect(&rc, pt) != FALSE;
}

void CGfxObject::DeleteChildren()
{
    m_children.DeleteAll();
}

void CGfxObject::Redraw(bool invalidateOnly)
{
    HWND hwnd = CanvasHwnd();
    if (!hwnd) return;
    RECT rc = ClientBounds();
    if (invalidateOnly)
        InvalidateRect(hwnd, &rc, IsOpaque() ? FALSE : TRUE);
    else
        RedrawWindow(hwnd, &rc, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

CTWndGfx* CGfxObject::GetCanvas()
{
    return GetCanvasWnd();
}

CTWndGfx* CGfxObject::GetCanvasWnd()
{
    if (!m_canvas && m_parent) m_canvas = m_parent->GetCanvasWnd();
    return m_canvas;
}

void CGfxObject::Notify(__int64 a, __int64 b, __int64 c)
{
    if (m_parent) m_parent->Notify(a, b, c);
}

void CGfxObject::CreateResources(HDC dc, bool create)
{
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->CreateResources(dc, create);
    if (!create) DeleteBitmap();
}

// The hit tests walk every child from the tail; with thousands of children, the calls made for
// each (its own children, its kind, its bounds through the scroll offset) cost far more than
// comparing the point with its bounds, which settles most of them.
POINT CGfxObject::ChildOffset()
{
    RECT probe = {0, 0, 0, 0};
    CanvasToClient(&probe);
    return POINT{probe.left, probe.top};
}

bool CGfxObject::Misses(CGfxObject* child, POINT p, bool leafOnly)
{
    if (leafOnly && child->m_children.GetHead()) return false;
    const RECT& b = child->m_bounds;
    if (p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom) return false;
    return child->StaysInBoundsCached();
}

bool CGfxObject::StaysInBoundsCached()
{
    if (m_staysInBounds < 0) m_staysInBounds = StaysInBounds() ? 1 : 0;
    return m_staysInBounds == 1;
}

bool CGfxObject::PaintsNothingIn(CGfxObject* child, const RECT& area)
{
    if (child->m_children.GetHead()) return false;
    const RECT& b = child->m_bounds;
    if (std::max(b.left, area.left) < std::min(b.right, area.right) &&
        std::max(b.top, area.top) < std::min(b.bottom, area.bottom))
        return false;
    return child->StaysInBoundsCached();
}

CGfxObject* CGfxObject::HitTestHot(int x, int y)
{
    POINT offset = ChildOffset(), p = {x - offset.x, y - offset.y};
    for (CGfxObject* child = LastChild(); child; child = child->Prev()) {
        if (Misses(child, p, true)) continue;
        if (CGfxObject* found = child->HitTestHot(x, y)) return found;
        if (child->IsHotTrackable() && child->HitTest(x, y) && !child->HasState(StateSelected)) {
            child->ModifyState(StateHot, 0);
            return child;
        }
    }
    return nullptr;
}

CGfxObject* CGfxObject::HitTestDrop(int x, int y)
{
    POINT offset = ChildOffset(), p = {x - offset.x, y - offset.y};
    for (CGfxObject* child = LastChild(); child; child = child->Prev()) {
        if (Misses(child, p, true)) continue;
        if (CGfxObject* found = child->HitTestDrop(x, y)) return found;
        if (child->IsDropTarget() && child->HitTest(x, y)) {
            child->ModifyState(StateDropTarget, 0);
            return child;
        }
    }
    return nullptr;
}

CGfxObject* CGfxObject::HitTestDeep(int x, int y)
{
    CGfxObject* current = this;
    for (;;) {
        CGfxObject* hit = nullptr;
        POINT offset = current->ChildOffset(), p = {x - offset.x, y - offset.y};
        for (CGfxObject* child = current->LastChild(); child; child = child->Prev()) {
            if (!current->Misses(child, p, false) && child->HitTest(x, y)) {
                hit = child;
                break;
            }
        }
        if (!hit) return current->HitTest(x, y) ? current : nullptr;
        current = hit;
    }
}

void CGfxObject::OnMouseMove(const POINT* pt)
{
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->OnMouseMove(pt);
}

void CGfxObject::OnLButtonDown(int x, int y)
{
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->OnLButtonDown(x, y);
}

void CGfxObject::OnLButtonUp(int x, int y)
{
    for (CGfxObject* child = FirstChild(); child; child = child->Next()) child->OnLButtonUp(x, y);
}

void CGfxObject::CanvasToClient(RECT* rc)
{
    if (m_parent) m_parent->CanvasToClient(rc);
}

void CGfxObject::ClientToCanvas(RECT* rc)
{
    if (m_parent) m_parent->ClientToCanvas(rc);
}

static void CreateChildResources(CGfxObject* parent, CGfxObject* child)
{
    HWND hwnd = parent->CanvasHwnd();
    if (!hwnd) return;
    CGfxCanvasDC dc(hwnd);
    child->CreateResources(dc.dc, true);
}

CGfxObject* CGfxObject::AddChild(CGfxObject* child)
{
    child->m_parent = this;
    m_children.AddTail(child);
    CreateChildResources(this, child);
    return child;
}

CGfxObject* CGfxObject::InsertChild(CGfxObject* child, CGfxObject* before)
{
    if (!before) return AddChild(child);
    child->m_parent = this;
    m_children.InsertBefore(child, before);
    CreateChildResources(this, child);
    return child;
}

bool CGfxObject::Contains(CGfxObject* other)
{
    if (!other) return false;
    for (CGfxObject* child = FirstChild(); child; child = child->Next())
        if (child == other || child->Contains(other)) return true;
    return false;
}

bool CGfxObject::ModifyState(DWORD set, DWORD clear)
{
    DWORD next = (m_state & ~clear) | set;
    if (next == m_state) return false;
    m_state = next;
    Render();
    HWND hwnd = CanvasHwnd();
    if (hwnd) {
        RECT rc = ClientBounds();
        RedrawWindow(hwnd, &rc, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | (IsOpaque() ? 0 : RDW_ERASE));
    }
    return true;
}
