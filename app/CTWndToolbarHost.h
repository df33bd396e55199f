#pragma once
// A small framed child window that stacks a caption strip over one content window (a tree view,
// for example): the strip shows the host's window text at the left and a one-button toolbar at the
// right; the content fills the rest. Notifications of the content and every command go on to the
// host's parent, so the parent handles them as if the content were its own child.
#include <windows.h>
#include "framework/CTWndTheme.h"
#include "framework/CTWndToolbar.h"

class CTWndToolbarHost : public CTWndTheme {
public:
    static constexpr const wchar_t* kClassName = L"TWndToolbarHost";

    // The toolbar's one button. An image of kStandardImage takes the system image of the command.
    struct Button {
        int command = 0;
        int image = 0;
        UINT stringId = 0;
        BYTE style = 0;
    };
    static constexpr int kStandardImage = 0xFFFF;

    CTWndToolbar m_toolbar;
    HWND m_content = nullptr;
    int m_stripHeight = 0;     // 0 until the first layout
    int m_toolbarWidth = 0;    // 0 until the first layout

    CTWndToolbarHost();
    ~CTWndToolbarHost() override;

    bool Create(HWND parent, int id);
    bool CreateToolbar(HMODULE module, const Button& button);
    void SetContent(HWND content);
    void Destroy() override;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    virtual void Layout(WPARAM sizeType, int width, int height);

    // The system image index of a list command's standard image (New, Delete, Open, Copy, Paste,
    // Properties); 0 for any other command.
    static int StandardImageOf(int command);
    // The strip's text rectangle in client coordinates of a client rectangle; empty without toolbar.
    RECT CaptionRect(const RECT& client, HDC classicEdgeDc) const;

private:
    bool VisualStylesActive() const;
    void Paint(HDC hdc, const RECT& client);
};
