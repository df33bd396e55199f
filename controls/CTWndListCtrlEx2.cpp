#include "controls/CTWndListCtrlEx2.h"

#include "framework/CTREngine.h"

CTWndListCtrlEx2::~CTWndListCtrlEx2() { Destroy(); }

bool CTWndListCtrlEx2::RegisterClass(HINSTANCE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = CTWnd2::WindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterWindowClass(wc);
}

bool CTWndListCtrlEx2::Create(HWND parent, int id, bool attach, DWORD reportStyle)
{
    if (!m_theme) SetThemeClass(L"Treeview");
    m_id = id;
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (attach) {
        if (!AttachDlgItem(id, parent, false)) return false;
    } else {
        RegisterClass(module);
        if (!CTWnd2::Create(kClassName, false, parent, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER,
                            0, module, nullptr))
            return false;
        SetWindowLongPtrW(m_hWnd, GWLP_ID, id);
    }
    if (parent) m_hParent = parent;
    LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if ((style & (WS_CHILD | WS_VISIBLE | WS_BORDER)) != (WS_CHILD | WS_VISIBLE | WS_BORDER))
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | WS_CHILD | WS_VISIBLE | WS_BORDER);
    ModifyExStyle(0, WS_EX_CONTROLPARENT);
    HFONT font = CTREngine::Instance()->m_menuFont;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : GetStockObject(DEFAULT_GUI_FONT)), 0);
    m_captionColour = GetSysColor(COLOR_MENUTEXT);

    if (!m_report.CreateReport(m_hWnd, 0, reportStyle)) return false;
    LONG_PTR reportStyleBits = GetWindowLongPtrW(m_report.m_hWnd, GWL_STYLE);
    SetWindowLongPtrW(m_report.m_hWnd, GWL_STYLE, (reportStyleBits & ~WS_BORDER) | WS_TABSTOP);
    m_report.ModifyExStyle(WS_EX_CLIENTEDGE, 0);

    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    if (GetFocus() == m_hWnd) ::SetFocus(m_report.m_hWnd);
    return true;
}

bool CTWndListCtrlEx2::CreateToolbar(void* ownerData, DWORD flags, int count,
                                     const CTListCtrlReportEx::ToolbarButton* buttons)
{
    bool ok = m_report.CreateToolbar(m_hWnd, ownerData, flags, count, buttons);
    if (m_hWnd) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        OnSize(SIZE_RESTORED, client.right, client.bottom);
    }
    return ok;
}

void CTWndListCtrlEx2::SetCaption(const CTString& caption)
{
    if (!m_hWnd) return;
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.GetBuffer() ? caption.GetBuffer() : L""));
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    RECT band = {0, 0, client.right, m_bandHeight};
    InvalidateRect(m_hWnd, &band, FALSE);
}

void CTWndListCtrlEx2::EnableChildren(bool enable, bool frameToo)
{
    if (frameToo) EnableWindow(m_hWnd, enable);
    else if (m_report.m_hWnd) EnableWindow(m_report.m_hWnd, enable);
    HWND toolbar = m_report.m_toolbar.m_hWnd;
    if (toolbar) EnableWindow(toolbar, enable);
    Invalidate(true);
    m_report.Invalidate(true);
    if (!toolbar) return;
    int count = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        if (!::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b))) continue;
        BYTE state = enable ? static_cast<BYTE>(b.fsState | TBSTATE_ENABLED) : 0;
        ::SendMessageW(toolbar, TB_SETSTATE, b.idCommand, MAKELPARAM(state, 0));
    }
}

void CTWndListCtrlEx2::Enable(bool enable) { EnableChildren(enable, true); }

void CTWndListCtrlEx2::DestroyChildren()
{
    if (m_report.m_hWnd) {
        m_report.DeleteAllRows();
        m_report.Destroy();
    }
    if (m_report.m_toolbar.m_hWnd) m_report.m_toolbar.Destroy();
    CloseTheme();
}

void CTWndListCtrlEx2::Destroy()
{
    DestroyChildren();
    CTWnd2::Destroy();
}

void CTWndListCtrlEx2::OnSize(UINT, int cx, int cy)
{
    HWND toolbar = m_report.m_toolbar.m_hWnd;
    if (toolbar) {
        SIZE size = {};
        ::SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
        m_bandHeight = size.cy + 1;
        m_toolbarWidth = size.cx;
        int x = cx - size.cx, y = 0;
        if (!m_themeApi->IsThemeActive()) {
            m_bandHeight += 2;
            m_toolbarWidth += 1;
            x -= 1;
            y = 1;
        }
        MoveWindow(toolbar, x, y, size.cx, size.cy, TRUE);
        RECT band = {0, 0, cx, m_bandHeight};
        InvalidateRect(m_hWnd, &band, TRUE);
    } else {
        m_bandHeight = 0;
    }
    if (m_report.m_hWnd) MoveWindow(m_report.m_hWnd, 0, m_bandHeight, cx, cy - m_bandHeight, TRUE);
}

void CTWndListCtrlEx2::PaintCaptionBand(HDC hdc, bool offsetByBorder)
{
    if (!m_report.m_toolbar.m_hWnd) return;
    CTString text;
    GetWindowTextString(m_hWnd, text);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    rc.bottom = rc.top + m_bandHeight;
    if (offsetByBorder) {
        // Printed with the non-client area: the client area starts inside the border.
        RECT window = {};
        GetWindowRect(m_hWnd, &window);
        POINT origin = {0, 0};
        ClientToScreen(m_hWnd, &origin);
        OffsetRect(&rc, origin.x - window.left, origin.y - window.top);
    }
    if (m_themeApi->IsThemeActive()) {
        rc.right -= m_toolbarWidth + 2;
    } else {
        HWND header = m_report.m_header.m_hWnd;
        if (header && (GetWindowLongPtrW(header, GWL_STYLE) & HDS_BUTTONS)) {
            DrawEdge(hdc, &rc, BDR_RAISEDINNER, BF_RECT);
            rc.right -= m_toolbarWidth + 2;
            InflateRect(&rc, -1, -1);
        } else {
            rc.right -= m_toolbarWidth + 2;
        }
    }
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(hdc, TRANSPARENT);
    bool disabled = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_DISABLED) != 0;
    SetTextColor(hdc, disabled ? GetSysColor(COLOR_GRAYTEXT) : m_captionColour);
    HFONT font = CTREngine::Instance()->m_menuFont;
    SelectObject(hdc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    rc.left += CTREngine::Instance()->m_dpi.Scale(6);
    if (text.GetLength())
        DrawTextW(hdc, text.GetBuffer(), static_cast<int>(text.GetLength()), &rc,
                  DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}

bool CTWndListCtrlEx2::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_DESTROY:
        DestroyChildren();
        *result = 0;
        return true;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        *result = 0;
        return true;
    case WM_SETFOCUS:
        if (m_report.m_hWnd) ::SetFocus(m_report.m_hWnd);
        *result = 0;
        return true;
    case WM_ENABLE:
        EnableChildren(wParam != 0, false);
        *result = 0;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps = {};
        HDC hdc = BeginPaint(m_hWnd, &ps);
        int saved = SaveDC(hdc);
        PaintCaptionBand(hdc, false);
        RestoreDC(hdc, saved);
        EndPaint(m_hWnd, &ps);
        *result = 0;
        return true;
    }
    case WM_ERASEBKGND: {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        RECT band = {0, 0, client.right, m_bandHeight};
        FillRect(reinterpret_cast<HDC>(wParam), &band, GetSysColorBrush(COLOR_BTNFACE));
        *result = 1;
        return true;
    }
    case WM_PRINT: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        *result = DefWindowProcW(m_hWnd, msg, wParam, lParam);
        PaintThemedBorder(hdc);
        int saved = SaveDC(hdc);
        PaintCaptionBand(hdc, (lParam & PRF_NONCLIENT) != 0);
        RestoreDC(hdc, saved);
        return true;
    }
    case WM_SYSCOLORCHANGE:
        if (m_report.m_hWnd) m_report.SendMessage(WM_SYSCOLORCHANGE, wParam, lParam);
        return CTWndTheme::OnMessage(msg, wParam, lParam, result);
    default:
        return CTWndTheme::OnMessage(msg, wParam, lParam, result);
    }
}

bool CTWndListCtrlEx2::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    if (!hdr) return false;
    if (m_report.OnParentNotify(hdr, result)) return true;
    HWND report = m_report.m_hWnd, toolbar = m_report.m_toolbar.m_hWnd;
    bool fromReport = report && hdr->hwndFrom == report;
    bool fromToolbar = toolbar && hdr->hwndFrom == toolbar;
    if (!fromReport && !fromToolbar) return false;
    HWND parent = m_hParent ? m_hParent : GetParent(m_hWnd);

    NMITEMACTIVATE toolbarClick = {};
    NMHDR* forwarded = hdr;
    if (hdr->code == static_cast<UINT>(NM_CLICK)) {
        if (fromReport) {
            auto* click = reinterpret_cast<NMITEMACTIVATE*>(hdr);
            click->uKeyFlags = (click->uKeyFlags & ~0xE0u) | ClickForwarded | ClickFromReport;
        } else {
            // The toolbar's record (NMMOUSE) is shorter than the list's: forward a copy in the
            // list's layout, so the receiver reads the marks without reading past the record.
            auto* mouse = reinterpret_cast<NMMOUSE*>(hdr);
            toolbarClick.hdr = *hdr;
            toolbarClick.iItem = static_cast<int>(mouse->dwItemSpec);
            toolbarClick.ptAction = mouse->pt;
            toolbarClick.lParam = static_cast<LPARAM>(mouse->dwItemData);
            toolbarClick.uKeyFlags = ClickForwarded | ClickFromToolbar;
            forwarded = &toolbarClick.hdr;
        }
    }
    forwarded->hwndFrom = m_hWnd;
    forwarded->idFrom = static_cast<UINT_PTR>(m_id);
    *result = parent ? ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_id), reinterpret_cast<LPARAM>(forwarded)) : 0;
    return true;
}

bool CTWndListCtrlEx2::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    HWND parent = m_hParent ? m_hParent : GetParent(m_hWnd);
    *result = 0;
    if (LOWORD(wParam) == CTListCtrlReportEx::CmdDelete && !m_report.ConfirmDelete(nullptr)) return true;
    if (parent) *result = ::SendMessageW(parent, WM_COMMAND, wParam, lParam);
    return true;
}
