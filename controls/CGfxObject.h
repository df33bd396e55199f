#pragma once
#include <windows.h>

#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CTWndGfx;

// A retained-mode drawable of the drawing canvas: a rectangle in canvas coordinates with an
// optional cached picture, state bits, a parent and an owned list of children (painted from the
// head, hit-tested from the tail, so the tail is on top). Bounds are stored one pixel in from the
// position given to SetBounds and Move.
class CGfxObject : public CLinkedListObject {
public:
    enum State : DWORD {
        StateHot = 1,
        StateSelected = 2,   // also keeps the object out of hot-tracking
        StateFocused = 4,
        StateFocusCue = 8,
        StatePressed = 0x10,
        StateDropTarget = 0x20,
    };
    // Pixels of this colour in a cached bitmap are left out when it is copied to the canvas.
    static constexpr COLORREF kKeyColour = RGB(255, 27, 89);

    bool m_visible = true;

private:
    // StaysInBounds(), once asked; beside the fields a hit test reads of every child.
    signed char m_staysInBounds = -1;

public:
    HBITMAP m_bitmap = nullptr;
    DWORD m_state = 0;
    CGfxObject* m_parent = nullptr;
    CLinkedList m_children;
    RECT m_bounds = {};
    CTWndGfx* m_canvas = nullptr;

    CGfxObject() = default;
    ~CGfxObject() override;
    CGfxObject(const CGfxObject&) = delete;
    CGfxObject& operator=(const CGfxObject&) = delete;

    virtual void Paint(HDC dc, const RECT* clip);
    virtual void PaintChildren(HDC dc, const RECT* clip);
    virtual void OnSysColorChange(WPARAM, LPARAM) {}
    virtual void OnScroll();
    virtual void OnClick() {}
    virtual void OnActivate(int) {}
    virtual void Render() {}
    virtual unsigned __int64 GetData() { return 0; }
    virtual bool IsHotTrackable() { return false; }
    virtual bool IsSelectable() { return false; }
    virtual bool IsPressable() { return false; }
    virtual bool HasTooltip() { return false; }
    virtual bool IsOpaque() { return true; }
    virtual bool IsDropTarget() { return false; }
    virtual HCURSOR GetCursor() { return nullptr; }
    virtual void GetTooltip(CTString&, int*, INT_PTR*) {}
    // x and y as given to SetBounds; width and height one more than given (see the stored bounds).
    virtual void GetBounds(int* x, int* y, int* width, int* height);
    virtual void SetWidth(int width) { m_bounds.right = m_bounds.left + width; }
    virtual void SetHeight(int height) { m_bounds.bottom = m_bounds.top + height; }
    virtual void SetBounds(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    virtual void SetVisible(bool visible);
    virtual int GetWidth() { return m_bounds.right - m_bounds.left; }
    virtual int GetHeight() { return m_bounds.bottom - m_bounds.top; }
    virtual bool HitTest(int x, int y);
    // True when the object paints only inside m_bounds, HitTest, HitTestHot and HitTestDrop can
    // find it only there, and its CanvasToClient is its parent's (the base behaviour): its parent
    // then passes over it, when it has no children, without calling it for points and update
    // regions outside its bounds. The answer is a property of the class, asked once per object;
    // a class that overrides one of those calls otherwise returns false.
    virtual bool StaysInBounds() { return true; }
    virtual void DeleteChildren();
    virtual void Redraw(bool invalidateOnly);
    virtual CTWndGfx* GetCanvas();
    virtual CTWndGfx* GetCanvasWnd();
    virtual void Notify(__int64 a, __int64 b, __int64 c);
    virtual void CreateResources(HDC dc, bool create);
    virtual CGfxObject* HitTestHot(int x, int y);
    virtual CGfxObject* HitTestDrop(int x, int y);
    virtual void OnMouseMove(const POINT* pt);
    virtual void OnLButtonDown(int x, int y);
    virtual void OnLButtonUp(int x, int y);
    virtual void CanvasToClient(RECT* rc);
    virtual void ClientToCanvas(RECT* rc);

    CGfxObject* AddChild(CGfxObject* child);
    CGfxObject* InsertChild(CGfxObject* child, CGfxObject* before);
    bool Contains(CGfxObject* other);
    CGfxObject* HitTestDeep(int x, int y);
    bool ModifyState(DWORD set, DWORD clear);
    bool SetState(DWORD bits, bool on) { return on ? ModifyState(bits, 0) : ModifyState(0, bits); }
    bool HasState(DWORD bits) const { return (m_state & bits) != 0; }

    CGfxObject* FirstChild() { return static_cast<CGfxObject*>(m_children.GetHead()); }
    CGfxObject* LastChild() { return static_cast<CGfxObject*>(m_children.GetTail()); }
    CGfxObject* Next() { return static_cast<CGfxObject*>(GetNext()); }
    CGfxObject* Prev() { return static_cast<CGfxObject*>(GetPrev()); }
    RECT ClientBounds()
    {
        RECT rc = m_bounds;
        CanvasToClient(&rc);
        return rc;
    }
    void DeleteBitmap();
    HWND CanvasHwnd();

private:
    // Whether the point p (in the canvas coordinates of this object's children) certainly misses
    // child, without calling it; leafOnly also asks that child has no children of its own.
    bool Misses(CGfxObject* child, POINT p, bool leafOnly);
    // Whether child, without children, certainly paints nothing in area (canvas coordinates).
    bool PaintsNothingIn(CGfxObject* child, const RECT& area);
    bool StaysInBoundsCached();
    // The offset from this object's children's canvas coordinates to client coordinates.
    POINT ChildOffset();

    HBITMAP m_mask = nullptr;        // key-colour mask of the cached picture
    HBITMAP m_maskSource = nullptr;  // the picture it was made from
    bool m_maskEmpty = false;        // the picture has no key pixels
    void DeleteMask();
    bool BlitWithMask(HDC dc, int x, int y, int cx, int cy);
    void BlitTransparent(HDC dc, int x, int y, int cx, int cy);
};

// The canvas window's DC for work outside WM_PAINT, saved and given back on scope exit.
struct CGfxCanvasDC {
    HWND hwnd = nullptr;
    HDC dc = nullptr;
    int saved = 0;
    explicit CGfxCanvasDC(HWND window);
    ~CGfxCanvasDC();
    CGfxCanvasDC(const CGfxCanvasDC&) = delete;
    CGfxCanvasDC& operator=(const CGfxCanvasDC&) = delete;
};
