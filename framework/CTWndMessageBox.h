#pragma once
// The system's message box: a modal dialog built at run time from the MB_* style bits, with
// localized captions, extra buttons ("Yes to all", "Skip all", ...), an optional "Do not show
// again" check box and a header-band layout.
#include <windows.h>
#include "controls/CTWndHeader.h"
#include "framework/CTWnd2.h"

class CTWndMessageBox : public CTWnd2 {
public:
    enum : DWORD {
        kStyleCheckBox = 0x1000000,
        kStyleHeader = 0x4000000,
        kStyleYesToAll = 0x8000000,
        kStyleNoToAll = 0x10000000,
        kChecked = 0x2000000, // added to the result when the check box was ticked
    };
    enum : int { kCheckBoxId = 30 };

    // The header band above the text in header layout: the caption beside the box's icon.
    CTWndHeader m_header;
    HINSTANCE m_module = nullptr;
    DWORD m_style = 0;
    const wchar_t* m_text = nullptr;      // not copied
    const wchar_t* m_caption = nullptr;   // not copied
    const wchar_t* m_checkText = nullptr; // null: the localized default
    CLinkedList m_buttons;                // of CLinkedListDWORD, in display order
    HICON m_icon = nullptr;
    bool m_customIcon = false;            // a caller's icon becomes the box's
    HFONT m_font = nullptr;
    HWND m_owner = nullptr;
    SIZE m_iconSize = {};
    SIZE m_textSize = {};
    bool m_scrollText = false; // taller than the screen allows: shown in a scrolling read-only edit
    SIZE m_checkSize = {};
    int m_buttonWidth = 0;
    int m_buttonHeight = 0;
    int m_margin = 0;
    int m_spacing = 0;
    int m_bandHeight = 0;      // header layout
    int m_minContentWidth = 0; // header layout
    SIZE m_dluSize = {};       // dialog size in dialog units

    CTWndMessageBox() = default;
    CTWndMessageBox(HWND owner, HINSTANCE module, const wchar_t* text, const wchar_t* caption, DWORD style,
                    HICON icon, const wchar_t* checkText);
    ~CTWndMessageBox() override;

    INT_PTR Show(HWND owner, HINSTANCE module, const wchar_t* text, const wchar_t* caption, DWORD style);
    INT_PTR Run();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // For answerers: press a button (or send any command id) as a person would, and tick the box.
    void Press(int id);
    void SetChecked(bool checked);
    const wchar_t* GetCheckText() const;

private:
    void ChooseIcon();
    void BuildButtons();
    void Measure();
    void Layout();
};
