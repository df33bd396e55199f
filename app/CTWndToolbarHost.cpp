#include "app/CTWndToolbarHost.h"

#include <commctrl.h>

CTWndToolbarHost::CTWndToolbarHost()
{
    SetThemeClass(L"Treeview");
}

CTWndToolbarHost::~CTWndToolbarHost()
{
    m_toolbar.Clear();
    CloseTheme();
}

bool CTWndToolbarHost::Create(HWND parent, int id)
{
    m_id = id;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER;
    RECT rc = {0, 0, 0, 0};
    if (!CTWnd2::Create(kClassName, true, parent, style, 0, GetModuleHandleW(nullptr), &rc))
        return false;
    SetWindowLongPtrW(m_hWnd, GWLP_ID, id);
    ModifyStyle(0, WS_CHILD | WS_VISIBLE | WS_BORDER, 0);
    ModifyExStyle(0, WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE);
    SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), false);
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

int CTWndToolbarHost::StandardImageOf(int command)
{
    switch (command) {
    case 257: return STD_FILENEW;       // New
    case 258: return STD_DELETE;        // Delete
    case 261: return STD_FILEOPEN;      // Open
    case 262: return STD_COPY;          // Copy
    case 263: return STD_PASTE;         // Paste
    case 264: return STD_PROPERTIES;    // Properties
    default: return 0;
    }
}

bool CTWndToolbarHost::CreateToolbar(HMODULE module, const Button& button)
{
    m_toolbar.Clear();
    if (!m_toolbar.Create(m_hWnd, module, TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_LIST, CTWndToolbar::IconSmall,
                          TBSTYLE_EX_MIXEDBUTTONS))
        return false;
    SetWindowPos(m_toolbar.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_toolbar.SendMessage(TB_SETMAXTEXTROWS, 1);
    m_toolbar.ModifyStyle(0, TBSTYLE_TOOLTIPS, 0);
    int image = button.image == kStandardImage ? m_toolbar.m_firstStdImage + StandardImageOf(button.command)
                                               : button.image;
    return m_toolbar.AddButton(image, button.command, TBSTATE_ENABLED, button.style, button.stringId);
}

void CTWndToolbarHost::SetContent(HWND content)
{
    m_content = content;
    if (content && ::IsWindow(content) && CTWnd2::FromHandle(content)) {
        // One frame is enough: the host's.
        LONG style = GetWindowLongW(content, GWL_STYLE);
        SetWindowLongW(content, GWL_STYLE, (style & ~WS_BORDER) | WS_TABSTOP);
        LONG exStyle = GetWindowLongW(content, GWL_EXSTYLE);
        SetWindowLongW(content, GWL_EXSTYLE, exStyle & ~WS_EX_CLIENTEDGE);
        SetWindowPos(content, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(content, nullptr, TRUE);
    }
    if (!m_hWnd)
        return;
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (content && ::IsWindow(content)) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        MoveWindow(content, 0, m_stripHeight, client.right, client.bottom - m_stripHeight, TRUE);
        if (GetFocus() == m_hWnd)
            ::SetFocus(content);
    }
}

void CTWndToolbarHost::Destroy()
{
    if (m_toolbar.m_hWnd && ::IsWindow(m_toolbar.m_hWnd))
        m_toolbar.Destroy();
    CloseTheme();
    CTWnd2::Destroy();
}

bool CTWndToolbarHost::VisualStylesActive() const
{
    return m_themeApi && m_themeApi->IsThemeActive();
}

void CTWndToolbarHost::Layout(WPARAM, int width, int height)
{
    if (m_toolbar.m_hWnd) {
        SIZE size = {};
        m_toolbar.SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
        m_stripHeight = size.cy + 1;
        m_toolbarWidth = size.cx;
        int x = width - size.cx;
        int y = 0;
        int toolbarHeight = size.cy;
        if (!VisualStylesActive()) {
            // The classic look draws a raised edge around the strip.
            m_stripHeight += 2;
            m_toolbarWidth += 1;
            x -= 1;
            y = 1;
            toolbarHeight += 1;
        }
        // The buttons are laid out from the toolbar's left edge, so they end at the strip's right.
        m_toolbar.Move(x, y, x + size.cx, toolbarHeight);
        RECT strip = {0, 0, width, m_stripHeight};
        InvalidateRect(m_hWnd, &strip, TRUE);
    }
    if (m_content && ::IsWindow(m_content))
        MoveWindow(m_content, 0, m_stripHeight, width, height - m_stripHeight, TRUE);
}

RECT CTWndToolbarHost::CaptionRect(const RECT& client, HDC classicEdgeDc) const
{
    RECT rc = {};
    if (!m_toolbar.m_hWnd)
        return rc;
    rc = client;
    rc.bottom = rc.top + m_stripHeight;
    if (VisualStylesActive()) {
        rc.right -= m_toolbarWidth + 2;
    } else {
        if (classicEdgeDc)
            DrawEdge(classicEdgeDc, &rc, BDR_RAISEDINNER, BF_RECT);
        rc.right -= m_toolbarWidth + 2;
        InflateRect(&rc, -1, -1);
    }
    return rc;
}

void CTWndToolbarHost::Paint(HDC hdc, const RECT& client)
{
    CTString text;
    GetWindowTextString(m_hWnd, text);
    RECT rc = CaptionRect(client, hdc);
    if (m_toolbar.m_hWnd)
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    bool disabled = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_DISABLED) != 0;
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    HGDIOBJ oldFont = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(hdc, text.GetBuffer() ? text.GetBuffer() : L"", -1, &rc,
              DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    SelectObject(hdc, oldFont);
    SetTextColor(hdc, oldColour);
    SetBkMode(hdc, oldMode);
}

bool CTWndToolbarHost::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SIZE:
        Layout(wParam, LOWORD(lParam), HIWORD(lParam));
        *result = 0;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        Paint(hdc, client);
        EndPaint(m_hWnd, &ps);
        *result = 0;
        return true;
    }
    case WM_PRINT: {
        auto hdc = reinterpret_cast<HDC>(wParam);
        // The default print, then the themed border over it.
        if (!CTWndTheme::OnMessage(msg, wParam, lParam, result))
            *result = DefaultProc(msg, wParam, lParam);
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        if (lParam & PRF_NONCLIENT) {
            // The client area sits inside the border in the printed picture.
            POINT origin = {0, 0};
            ClientToScreen(m_hWnd, &origin);
            RECT window = {};
            GetWindowRect(m_hWnd, &window);
            OffsetRect(&client, origin.x - window.left, origin.y - window.top);
        }
        Paint(hdc, client);
        return true;
    }
    case WM_ERASEBKGND: {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        *result = 1;
        return true;
    }
    case WM_SETFOCUS:
        if (m_content && ::IsWindow(m_content))
            ::SetFocus(m_content);
        *result = 0;
        return true;
    case WM_ENABLE: {
        bool enable = wParam != 0;
        if (m_content && ::IsWindow(m_content))
            EnableWindow(m_content, enable);
        if (m_toolbar.m_hWnd) {
            EnableWindow(m_toolbar.m_hWnd, enable);
            int count = static_cast<int>(m_toolbar.SendMessage(TB_BUTTONCOUNT));
            for (int i = 0; i < count; ++i) {
                TBBUTTON button = {};
                if (!m_toolbar.SendMessage(TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)))
                    continue;
                BYTE state = enable ? static_cast<BYTE>(button.fsState | TBSTATE_ENABLED) : 0;
                m_toolbar.SendMessage(TB_SETSTATE, button.idCommand, MAKELPARAM(state, 0));
            }
        }
        InvalidateRect(m_hWnd, nullptr, TRUE);
        *result = 0;
        return true;
    }
    case WM_DESTROY:
        if (m_toolbar.m_hWnd && ::IsWindow(m_toolbar.m_hWnd))
            m_toolbar.Destroy();
        CloseTheme();
        return false;
    default:
        return CTWndTheme::OnMessage(msg, wParam, lParam, result);
    }
}

bool CTWndToolbarHost::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr)
        return false;
    if (m_toolbar.m_hWnd && hdr->hwndFrom == m_toolbar.m_hWnd)
        return m_toolbar.OnReflectNotify(wParam, hdr, result);
    if (m_content && hdr->hwndFrom == m_content) {
        *result = ::SendMessageW(GetParent(m_hWnd), WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(hdr));
        return true;
    }
    return false;
}

bool CTWndToolbarHost::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = ::SendMessageW(GetParent(m_hWnd), WM_COMMAND, wParam, lParam);
    return true;
}
