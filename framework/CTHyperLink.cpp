#include "framework/CTHyperLink.h"
#include <windowsx.h>
#include "foundation/IShellLauncher.h"

namespace {
HCURSOR g_hand = nullptr; // one copy for every link in the process
}

HCURSOR CTHyperLink::HandCursor() { return g_hand; }

CTHyperLink::~CTHyperLink()
{
    if (m_font) DeleteObject(m_font);
    m_font = nullptr;
    Destroy();
}

HFONT CTHyperLink::CopyFont(HFONT source, int underline) const
{
    LOGFONTW lf = {};
    if (!source || !GetObjectW(source, sizeof(lf), &lf)) return nullptr;
    if (underline >= 0) lf.lfUnderline = underline ? TRUE : FALSE;
    return CreateFontIndirectW(&lf);
}

void CTHyperLink::ChangeHidden(void (*change)(CTHyperLink&, const void*), const void* arg)
{
    bool visible = IsWindowVisible(m_hWnd) != FALSE;
    if (visible) ::ShowWindow(m_hWnd, SW_HIDE);
    change(*this, arg);
    if (visible) ::ShowWindow(m_hWnd, SW_SHOW);
}

bool CTHyperLink::AttachDlgItem(HWND dialog, int id)
{
    if (!CTWnd2::AttachDlgItem(id, dialog, true)) return false;
    CTString text;
    GetWindowTextString(m_hWnd, text);
    if (m_target.IsEmpty()) m_target.Assign(text);
    if (text.IsEmpty() && !m_target.IsEmpty()) SetText(m_target.GetBuffer());

    auto dialogFont = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    if (dialogFont) {
        if (m_font) DeleteObject(m_font);
        m_font = CopyFont(dialogFont, (m_linkStyle & Underline) ? 1 : 0);
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        SizeToText();
    } else {
        m_linkStyle &= ~SizeToFit;
    }
    if (!(m_linkStyle & NoHandCursor) && !g_hand) g_hand = LoadCursorW(nullptr, IDC_HAND);
    return true;
}

bool CTHyperLink::ClearStyle(DWORD bits)
{
    if (bits & CommandOnly) return false;
    m_linkStyle = (m_linkStyle & ~bits) | CommandOnly;
    if (!m_hWnd) return true;
    if (bits & Underline) {
        auto current = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
        if (HFONT font = CopyFont(current, (m_linkStyle & Underline) ? 1 : 0)) {
            ChangeHidden(
                [](CTHyperLink& link, const void* arg) {
                    HFONT replacement = static_cast<HFONT>(const_cast<void*>(arg));
                    ::SendMessageW(link.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), FALSE);
                    if (link.m_font) DeleteObject(link.m_font);
                    link.m_font = replacement;
                    link.SizeToText();
                },
                font);
        }
    }
    if (bits & HoverColour) RedrawParent();
    return true;
}

void CTHyperLink::SetText(const wchar_t* text)
{
    if (!m_hWnd) return;
    ChangeHidden(
        [](CTHyperLink& link, const void* arg) {
            ::SetWindowTextW(link.m_hWnd, static_cast<const wchar_t*>(arg));
            link.SizeToText();
        },
        text ? text : L"");
    RedrawParent();
}

void CTHyperLink::SetFont(HFONT font)
{
    if (!m_hWnd) return;
    ChangeHidden(
        [](CTHyperLink& link, const void* arg) {
            HFONT copy = link.CopyFont(static_cast<HFONT>(const_cast<void*>(arg)), -1);
            if (link.m_font) DeleteObject(link.m_font);
            link.m_font = copy;
            ::SendMessageW(link.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(copy), TRUE);
            link.SizeToText();
        },
        font);
}

void CTHyperLink::SizeToText()
{
    if (!(m_linkStyle & SizeToFit) || !m_hWnd) return;
    HWND parent = GetParent(m_hWnd);
    RECT window = {}, client = {};
    GetWindowRect(m_hWnd, &window);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&window), 2);
    GetClientRect(m_hWnd, &client);

    CTString text;
    GetWindowTextString(m_hWnd, text);
    SIZE extent = {};
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = m_font ? SelectObject(hdc, m_font) : nullptr;
    GetTextExtentPoint32W(hdc, text.GetBuffer() ? text.GetBuffer() : L"", static_cast<int>(text.GetLength()), &extent);
    if (old) SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);

    const DWORD style = static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE));
    const DWORD align = style & SS_TYPEMASK;
    LONG top = window.top, left = window.left;
    if (style & SS_CENTERIMAGE) top = window.top + ((window.bottom - window.top) - extent.cy) / 2;
    if (align == SS_CENTER) left = window.left + ((window.right - window.left) - extent.cx) / 2;
    else if (align == SS_RIGHT) left = window.right - extent.cx;
    const int borderX = (window.right - window.left) - client.right;
    const int borderY = (window.bottom - window.top) - client.bottom;
    SetWindowPos(m_hWnd, nullptr, left, top, extent.cx + borderX, extent.cy + borderY, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTHyperLink::RedrawParent()
{
    if (!m_hWnd) return;
    HWND parent = GetParent(m_hWnd);
    if (!parent) return;
    RECT rc = {};
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    RedrawWindow(parent, &rc, nullptr,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
}

HBRUSH CTHyperLink::OnCtlColor(HDC hdc)
{
    COLORREF colour;
    if (m_hot && (m_linkStyle & HoverColour)) colour = RGB(255, 0, 0);
    else if ((m_linkStyle & NoFocusColour) || !m_hasFocus) colour = m_visited ? RGB(128, 0, 128) : RGB(0, 0, 255);
    else colour = RGB(0, 128, 128);
    SetTextColor(hdc, colour);
    SetBkMode(hdc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CTHyperLink::Click()
{
    HWND parent = m_hWnd ? GetParent(m_hWnd) : m_hParent;
    if (m_linkStyle & CommandOnly) {
        if (parent) PostMessageW(parent, WM_COMMAND, static_cast<WPARAM>(m_id), 0);
        return;
    }
    Open(m_target.GetBuffer());
    m_visited = TRUE;
    RedrawParent();
    if (parent) PostMessageW(parent, WM_COMMAND, MAKEWPARAM(m_id, kOpenedCode), 0);
}

int CTHyperLink::Open(const wchar_t* target)
{
    // Failures are not reported: the click still counts as a visit.
    if (target && *target) OpenAsDesktopUser(target);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Messages

void CTHyperLink::OnSetFocus()
{
    m_hasFocus = true;
    RedrawParent();
}

void CTHyperLink::OnKillFocus()
{
    m_hasFocus = false;
    m_hot = FALSE;
    RedrawParent();
}

bool CTHyperLink::OnSetCursor(LRESULT* result)
{
    if (!g_hand) return false;
    ::SetCursor(g_hand);
    *result = TRUE;
    return true;
}

LRESULT CTHyperLink::OnNcHitTest() { return HTCLIENT; }

bool CTHyperLink::OnKeyDown(WPARAM key)
{
    if (key != VK_SPACE) return false;
    Click();
    return true;
}

void CTHyperLink::OnMouseMove(POINT pt)
{
    if (!m_hot) {
        m_hot = TRUE;
        RedrawParent();
        SetCapture(m_hWnd);
        return;
    }
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (!PtInRect(&client, pt)) {
        m_hot = FALSE;
        ReleaseCapture();
        RedrawParent();
    }
}

void CTHyperLink::OnLButtonDown()
{
    if (m_linkStyle & FocusOnClick) ::SetFocus(m_hWnd);
    if (m_linkStyle & ClickOnDown) Click();
    m_hasFocus = true;
}

void CTHyperLink::OnLButtonUp()
{
    if (m_hasFocus && !(m_linkStyle & ClickOnDown)) Click();
}

bool CTHyperLink::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SETFOCUS:
        OnSetFocus();
        return false;
    case WM_KILLFOCUS:
        OnKillFocus();
        return false;
    case WM_SETCURSOR:
        return OnSetCursor(result);
    case WM_NCHITTEST:
        *result = OnNcHitTest();
        return true;
    case WM_KEYDOWN:
        if (!OnKeyDown(wParam)) return false;
        *result = 0;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return false;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return false;
    case WM_LBUTTONUP:
        OnLButtonUp();
        return false;
    }
    return false;
}
