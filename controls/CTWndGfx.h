#pragma once
#include <windows.h>

#include "controls/CGfxObject.h"
#include "foundation/CTString.h"
#include "framework/CTWndTheme.h"

// A scrollable child window ("TWndGfx") showing a tree of drawables under its root object. It
// paints the tree, scrolls content larger than the window, routes mouse and keys into the tree,
// and tracks the object under the pointer with its cursor and a tracking tooltip.
class CTWndGfx : public CTWndTheme {
public:
    static constexpr const wchar_t* kClassName = L"TWndGfx";
    static constexpr UINT_PTR kTooltipTimer = 1;

    // The root of the tree: its bounds are the client rectangle; the operations that differ
    // from a plain object go to the canvas, where derived canvases override them.
    class CRoot : public CGfxObject {
    public:
        CTWndGfx* m_owner = nullptr;
        void Paint(HDC dc, const RECT* clip) override { m_owner->PaintRoot(dc, clip); }
        void OnScroll() override;
        void DeleteChildren() override { m_owner->DeleteRootChildren(); }
        CTWndGfx* GetCanvas() override { return m_owner; }
        CTWndGfx* GetCanvasWnd() override { return m_owner; }
        void CreateResources(HDC dc, bool create) override { m_owner->CreateResources(dc, create); }
        void OnMouseMove(const POINT* pt) override { m_owner->TrackMouse(pt); }
        void OnLButtonDown(int x, int y) override { m_owner->OnRootLButtonDown(x, y); }
        void OnLButtonUp(int x, int y) override { m_owner->OnRootLButtonUp(x, y); }
        void CanvasToClient(RECT* rc) override;
        void ClientToCanvas(RECT* rc) override;
        // The root's bounds are the client rectangle itself: no scroll offset applies.
        bool HitTest(int x, int y) override
        {
            POINT pt = {x, y};
            return m_visible && PtInRect(&m_bounds, pt);
        }
        bool StaysInBounds() override { return false; }
        // The plain object behaviour, for the canvas's own use.
        void BaseCreateResources(HDC dc, bool create) { CGfxObject::CreateResources(dc, create); }
        void BaseDeleteChildren() { CGfxObject::DeleteChildren(); }
        void BaseOnMouseMove(const POINT* pt) { CGfxObject::OnMouseMove(pt); }
        void BaseOnLButtonDown(int x, int y) { CGfxObject::OnLButtonDown(x, y); }
        void BaseOnLButtonUp(int x, int y) { CGfxObject::OnLButtonUp(x, y); }
    };

    CRoot m_root;
    int m_contentWidth = 0;
    int m_contentHeight = 0;
    CGfxObject* m_hot = nullptr;
    HCURSOR m_savedCursor = nullptr;
    HBRUSH m_background = nullptr;
    int m_dpiX = 0;
    int m_dpiY = 0;
    bool m_scrollByBlit = true;
    bool m_erase = true;
    int m_scrollX = 0;
    int m_scrollY = 0;
    POINT m_lastMouse = {0, 0};
    CTWnd2 m_tooltip;
    CTString m_tooltipText;
    bool m_tooltipTimer = false;
    bool m_fitFirstChild = false;

    CTWndGfx();
    ~CTWndGfx() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Registers the window class with the shared window procedure (dialog templates need it).
    static bool RegisterClass(HINSTANCE module);

    virtual bool Create(HWND parent, HINSTANCE module, int id, bool fitFirstChild, DWORD style);
    virtual bool AttachToDlgItem(HWND dialog, int id, bool fitFirstChild);
    virtual void ResetHot() { m_hot = nullptr; }
    virtual void OnHotChanged(CGfxObject* object, bool entered);
    virtual void UpdateScrollBars(int width, int height);
    virtual bool EraseBackground(HDC dc);
    virtual void OnCaptureChanged(HWND newOwner);
    virtual void EnsureVisible(CGfxObject* object);

    // Root operations a derived canvas may replace.
    virtual void PaintRoot(HDC dc, const RECT* clip) { m_root.PaintChildren(dc, clip); }
    virtual void DeleteRootChildren();
    virtual void CreateResources(HDC dc, bool create);
    virtual void TrackMouse(const POINT* pt);
    virtual void OnRootLButtonDown(int x, int y) { m_root.BaseOnLButtonDown(x, y); }
    virtual void OnRootLButtonUp(int x, int y) { m_root.BaseOnLButtonUp(x, y); }

    void OnScrollCommand(UINT msg, WPARAM wParam);
    void OnMouseWheel(WPARAM wParam);
    void ShowTooltip();
    void RecreateResources();
    void ClientSize(int* width, int* height);
    // Forgets the hot object as a lost pointer does: bit 1 off, cursor back, tooltip hidden.
    void DropHot();
    int ScaleX(int value) const { return MulDiv(value, m_dpiX ? m_dpiX : 96, 96); }
    int ScaleY(int value) const { return MulDiv(value, m_dpiY ? m_dpiY : 96, 96); }

private:
    void UpdateBar(int bar, DWORD styleBit, int clientSize, int content, int* position);
    void CursorMove();
    void MoveContent(int dx, int dy);
};
