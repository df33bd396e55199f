#pragma once
// A bar window dividing an area of its parent between two existing pane windows. The user drags
// the bar; the owner can collapse one pane and bring it back, optionally sliding it in or out from
// snapshots of the panes. The pane windows are never created or destroyed here.
#include <windows.h>

#include "foundation/CLinkedList.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndTheme.h"

class CTWndSplitter : public CTWnd2 {
public:
    // Placement record of one pane: its distances to the edges of the parent's client area.
    struct CPane {
        CTWndSplitter* m_owner = nullptr;
        HWND m_hWnd = nullptr;
        int m_index = 0; // 1 first pane, 2 second pane; anything else places nothing
        int m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;
        int m_min = 20;

        void Measure();
        HDWP Place(int width, int height, HDWP batch);
    };

    // Lends a child window a themed border while a pane is printed into a snapshot; never owns it.
    struct CThemeBug : CLinkedListObject {
        CTWndTheme m_theme;
        ~CThemeBug() override { m_theme.Detach(); }
    };

    static constexpr UINT_PTR kSlideTimer = 1;
    static constexpr int kSlideMs = 300;

    HCURSOR m_cursor = nullptr;
    bool m_vertical = true;
    int m_position = 0;
    bool m_dragging = false;
    bool m_splitShown = true;
    bool m_fixed = false;
    int m_lastWidth = 0, m_lastHeight = 0;
    int m_gap = 0;
    UINT_PTR m_slideTimer = 0;
    int m_slideTarget = 0;
    DWORD m_slideStart = 0;
    unsigned m_slideDistance = 0;
    HBITMAP m_snapFirst = nullptr, m_snapSecond = nullptr;
    HWND m_slideFocus = nullptr;
    double m_slideAcceleration = 0;
    int m_thickness = 6;
    CPane m_first, m_second;
    bool m_secondCollapses = true;

    CTWndSplitter();
    ~CTWndSplitter() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual bool Create(HWND parent, HWND first, HWND second, bool vertical, HINSTANCE module, int gap,
                        int firstMin, int secondMin, bool fixed);
    virtual void Paint(HDC hdc, RECT* rect);

    void SetPosition(int position);
    int GetPosition();
    void Layout(int width, int height);
    bool SetSplit(bool show, bool animate);
    void SetVertical(bool vertical);
    void SetFirstPaneCollapsible() { m_secondCollapses = false; }
    void StopAnimation();

    // Prints hwnd and its children into hdc, bordered controls wearing their themed borders.
    static void PrintWithThemedBorders(HDC hdc, RECT* rect, HWND hwnd);

private:
    using CTWnd2::Create;
    void LoadDragCursor();
    RECT ParentClient() const;
    RECT PaneRectInParent(HWND pane) const;
    RECT InnerArea() const;
    RECT BarRect() const;
    CPane& Collapsing() { return m_secondCollapses ? m_second : m_first; }
    CPane& Remaining() { return m_secondCollapses ? m_first : m_second; }
    void StartSlide();
    void SlideStep();
    int SlideBarPosition(int revealed) const;
    HBITMAP Snapshot(HWND pane);
    POINT PointInParent(LPARAM lParam) const;
};
