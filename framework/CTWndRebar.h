#pragma once
// The common-controls rebar holding the main window's toolbars in a fixed order. When a toolbar's
// band is too narrow, the chevron opens a small popup with copies of the buttons that do not fit;
// their commands and notifications go to the toolbar they were copied from.
#include <windows.h>
#include <commctrl.h>

#include "foundation/CTString.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndToolbar.h"

class CTWndRebar : public CTWnd2 {
public:
    class CTWndPopup : public CTWnd2 {
    public:
        bool m_created = false; // the window is made on first use and kept
        CTWndToolbar m_toolbar; // rebuilt at every show
        HWND m_owner = nullptr; // the source toolbar's window

        ~CTWndPopup() override;
        void Show(HWND parent, HINSTANCE module, CTWndToolbar* source, const RECT& visible, const POINT& anchor);
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
        bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    private:
        void Hide();
    };

    HINSTANCE m_module = nullptr;
    CTWndPopup m_popup;

    CTWndRebar() = default;
    ~CTWndRebar() override;

    bool Create(HWND parent, HINSTANCE module);
    bool InsertBand(HWND child, int position, const CTString& text, int minChildWidth, int minChildHeight,
                    int idealWidth);
    bool FindBand(HWND child, int* index);
    bool ShowBand(HWND child, bool show);
    bool ShowBandAt(int index, bool show);
    bool SetBandWidth(int index, int width);
    int GetBandCount();
    int RefreshBandColors();
    // Called by the owner from its WM_NOTIFY handling; always leaves the notification unhandled.
    virtual bool OnChevronPushed(WPARAM wParam, NMHDR* hdr, LRESULT* result);
    // Offers the parent the erase stage of custom drawing before the rebar erases itself.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    using CTWnd2::Create;
};
