#pragma once
// A static text item of a dialog turned into a link: underlined text in link colours, a hand
// cursor, hot tracking, the Space key, and a click that opens the target through the shell
// launcher or, in command-only mode, just posts WM_COMMAND to the dialog.
#include <windows.h>
#include "foundation/CTString.h"
#include "framework/CTWnd2.h"

class CTHyperLink : public CTWnd2 {
public:
    enum Style : DWORD {
        Underline = 0x01,
        HoverColour = 0x02,   // red while hot
        SizeToFit = 0x04,     // the item is resized to its text
        ClickOnDown = 0x08,
        FocusOnClick = 0x10,
        NoHandCursor = 0x20,  // this link does not load the hand cursor
        NoFocusColour = 0x40,
        CommandOnly = 0x80,   // a click only posts WM_COMMAND with the control id
    };
    static constexpr WORD kOpenedCode = 8; // WM_COMMAND notification after the target was opened

    bool m_hasFocus = false;
    BOOL m_hot = FALSE;      // the mouse is over the link, which holds the capture
    BOOL m_visited = FALSE;
    DWORD m_linkStyle = Underline | SizeToFit | FocusOnClick;
    CTString m_target;       // what a click opens; the item's text unless set
    HFONT m_font = nullptr;  // owned copy of the dialog font

    CTHyperLink() = default;
    ~CTHyperLink() override;

    bool AttachDlgItem(HWND dialog, int id);
    bool ClearStyle(DWORD bits);
    void SetText(const wchar_t* text);
    void SetFont(HFONT font);
    void SizeToText();
    void RedrawParent();
    HBRUSH OnCtlColor(HDC hdc);
    void Click();
    int Open(const wchar_t* target);

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnSetFocus();
    void OnKillFocus();
    bool OnSetCursor(LRESULT* result);
    LRESULT OnNcHitTest();
    bool OnKeyDown(WPARAM key);
    void OnMouseMove(POINT pt);
    void OnLButtonDown();
    void OnLButtonUp();

    // The shared hand cursor, null until a link without NoHandCursor attached.
    static HCURSOR HandCursor();

private:
    using CTWnd2::AttachDlgItem;
    // underline: 1 on, 0 off, -1 as in the source
    HFONT CopyFont(HFONT source, int underline) const;
    // Hides the item while it changes and shows it again only when it was visible before.
    void ChangeHidden(void (*change)(CTHyperLink&, const void*), const void* arg);
};
