#pragma once
// The strip of tabs down the left side of the main window: one tab per page window, drawn by the
// strip over a gradient, showing the current page to its right, with a save/cancel bar that
// slides up under the current page while that page has unsaved changes.
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "framework/CTAnimation.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndManagerVTabPage.h"
#include "framework/CTWndSize.h"

class CTWndVTab : public CTWnd2 {
public:
    enum : int { kStateHot = 1, kStateSelected = 2, kStateFocused = 4 };
    enum : UINT { kNotifyChanging = 11, kNotifyChanged = 10 };
    static constexpr UINT_PTR kSlideTimer = 33;
    static constexpr int kSaveId = 22;

    // One tab: a page window (not owned) with its measured size, caption and rendered look.
    class CWindow : public CLinkedListObject {
    public:
        HWND m_hwnd = nullptr;
        int m_width = 0;  // 0: not measured yet
        int m_height = 0;
        CTString m_caption;
        CTWndVTab* m_owner = nullptr;
        int m_index = 0;
        int m_order = 0;
        RECT m_rect = {};
        HBITMAP m_rendered = nullptr;   // owned
        HBITMAP m_background = nullptr; // owned
        HBRUSH m_brush = nullptr;       // not owned
        HICON m_icon = nullptr;         // not owned
        bool m_visible = true;
        bool m_modified = false;
        int m_state = 0;
        CTWndManager::VTabPage* m_page = nullptr;

        CWindow(HWND page, int order, CTWndVTab* owner);
        ~CWindow() override;
        void ReadIconAndCaption();
        void Measure(HDC hdc);
        void DropRendered();
    };

    // The bar with Save and Cancel; its commands go to the strip.
    class CTWndSaveCancel : public CTWnd2, public CTWndSize {
    public:
        HFONT m_font = nullptr;
        HBRUSH m_brush = nullptr;
        HWND m_target = nullptr;

        ~CTWndSaveCancel() override;
        bool Create(HINSTANCE module, HWND parent, HWND target);
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        using CTWnd2::Create;
    };

    CLinkedList m_pages; // of CWindow
    HINSTANCE m_module = nullptr;
    HBRUSH m_background = nullptr;
    int m_headerHeight = 0;
    int m_smallIconWidth = 0;
    int m_stripWidth = 0;
    int m_tabWidth = 10;
    int m_stripTop = 0;
    int m_stripHeight = 0;
    CWindow* m_current = nullptr;
    CWindow* m_hot = nullptr;
    int m_unitY = 0;
    int m_unitX = 0;
    POINT m_lastMouse = {};
    CTWndSaveCancel m_saveCancel;
    bool m_keyboard = false;
    COLORREF m_gradient1 = 0;
    COLORREF m_gradient2 = 0;
    COLORREF m_textNormal = 0;
    COLORREF m_textSelected = 0;
    CTAnimation m_slide;
    bool m_saveCancelWanted = false;
    int m_saveCancelHeight = 0;

    CTWndVTab();
    ~CTWndVTab() override;

    bool Create(HWND parent, HINSTANCE module);
    using CTWnd2::Create;
    bool AddPage(HWND page, int reserved, int order);
    bool RemovePage(HWND page);
    void SelectPage(CWindow* page);
    void ShowTab(HWND page);
    void RefreshPage(HWND page);
    void SetPageModified(CTWndManager::VTabPage* page, bool modified);
    void SetVerticalExtent(int y, int height);
    void Layout();
    void SetGradientColors(COLORREF first, COLORREF second);
    void SetTextColors(COLORREF normal, COLORREF selected);
    void CreateBackgroundBrush();
    void UpdateMetrics();
    void AnimateSaveCancelBar();

    CWindow* FindPage(HWND page);
    CWindow* FindPage(CTWndManager::VTabPage* page);
    int BarHeight() const;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void Paint();
    virtual void OnSize(int width, int height);

private:
    int LayoutTabs(int y);
    void SetState(CWindow* page, int add, int remove);
    void Notify(UINT code);
    void OnMouseMove(POINT pt);
    void RenderTab(CWindow* page, HDC hdc);
    void SlideStep();
};
