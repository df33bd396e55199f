#pragma once
// Resizing companion of a dialog or window: keeps child controls anchored to the edges, enforces
// a DPI-scaled minimum size, paints and hit-tests a size grip, optionally scrolls the client area
// vertically, and keeps the window placement under HKCU "SOFTWARE\Tavik\TWndSize". The owner
// passes every message to HandleMessage first and carries on with its own handling.
#include <windows.h>
#include "foundation/CLinkedList.h"

class CTWndSize {
public:
    // Anchor flags of a child; see CItem::Reposition.
    enum Anchor : DWORD {
        LeftToRight = 0x0001,   // left edge keeps its distance from the right edge
        TopToBottom = 0x0002,   // top edge keeps its distance from the bottom edge
        BottomToBottom = 0x0004,
        RightToRight = 0x0008,
        RightToMiddle = 0x0010, // right edge at the middle - 2
        LeftToMiddle = 0x0020,  // left edge at the middle + 2
        TopScaled = 0x0040,     // proportional to the height
        BottomScaled = 0x0080,
        LeftScaled = 0x0100,    // proportional to the width
        RightScaled = 0x0200,
        Centred = 0x1000,       // only 0x1, 0x2, 0x4 and 0x8 apply, relative to the middle
    };

    class CItem : public CLinkedListObject {
    public:
        CTWndSize* owner = nullptr;
        HWND hwnd = nullptr;
        DWORD flags = 0;
        // Normal mode: distances of left, right, top and bottom from the right or bottom edge.
        // Centred mode: A offset of the left edge from the middle, B width, D height.
        int a = 0, b = 0, c = 0, d = 0;

        void Init(HWND child, CTWndSize* ownerSize, DWORD anchor);
        bool Matches(HWND child) const { return hwnd == child; }
        void Measure();
        // Moves the child for a client area of cx x cy; returns the batch (null without one).
        HDWP Reposition(int cx, int cy, HDWP batch);
    };

    HWND m_hwnd = nullptr;
    bool m_sizeGrip = false;
    bool m_verticalScroll = false;
    int m_minWidth = 0;
    int m_minHeight = 0;
    RECT m_grip = {};
    CLinkedList m_items; // of CItem
    int m_initWidth = 0;  // window rectangle when Init ran; the height is also the scroll range
    int m_initHeight = 0;
    int m_scrollPos = 0;
    int m_pageHeight = 0;

    // Placements live here, one REG_BINARY value of 44 bytes per window.
    static constexpr const wchar_t* kPlacementKey = L"SOFTWARE\\Tavik\\TWndSize";

    CTWndSize() = default;
    virtual ~CTWndSize();
    CTWndSize(const CTWndSize&) = delete;
    CTWndSize& operator=(const CTWndSize&) = delete;

    bool Init(HWND hwnd, bool sizeGrip, int minWidth, int minHeight, bool applyMinimum);
    void EnableVerticalScroll() { m_verticalScroll = true; }
    bool AddItem(HWND child, DWORD anchor);
    bool RemoveItem(HWND child);
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void Relayout(int cx, int cy, bool force);
    void OnWindowPosChanging(const WINDOWPOS* pos);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual bool OnVScroll(int code, int thumbPosition, HWND scrollBar);
    virtual void OnMouseWheel(WPARAM wParam);

    void SavePlacement(const wchar_t* valueName);
    // Mode 0: the stored size only; mode 1: the whole placement. Anything else does nothing.
    void RestorePlacement(const wchar_t* valueName, int mode);

private:
    CItem* Find(HWND child);
    void ScrollBy(int delta);
    void PaintGrip();
};

// The same placement store for windows without a CTWndSize (restore as mode 1).
void SaveWindowPlacement(HWND hwnd, const wchar_t* valueName);
void RestoreWindowPlacement(HWND hwnd, const wchar_t* valueName);
