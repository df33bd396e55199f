#include "controls/CTWndGfx.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/CTApp.h"

void CTWndGfx::CRoot::OnScroll()
{
    for (CGfxObject* child = LastChild(); child; child = child->Prev()) child->OnScroll();
}

void CTWndGfx::CRoot::CanvasToClient(RECT* rc)
{
    OffsetRect(rc, -m_owner->m_scrollX, -m_owner->m_scrollY);
}

void CTWndGfx::CRoot::ClientToCanvas(RECT* rc)
{
    OffsetRect(rc, m_owner->m_scrollX, m_owner->m_scrollY);
}

CTWndGfx::CTWndGfx()
{
    m_root.m_owner = this;
}

CTWndGfx::~CTWndGfx()
{
    if (m_background) DeleteObject(m_background);
    m_background = nullptr;
    m_root.BaseCreateResources(nullptr, false);
    m_tooltip.Destroy();
    m_hot = nullptr;
    m_root.BaseDeleteChildren();
}

bool CTWndGfx::RegisterClass(HINSTANCE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CTWnd2::WindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return CTWnd2::RegisterWindowClass(wc);
}

bool CTWndGfx::Create(HWND parent, HINSTANCE module, int id, bool fitFirstChild, DWORD style)
{
    m_root.DeleteChildren();
    if ((style & WS_BORDER) && !m_theme) {
        SetThemeClass(L"Treeview");
        OpenTheme();
    }
    bool created = CTWnd2::Create(kClassName, true, parent, style | WS_CHILD | WS_VISIBLE | WS_TABSTOP, CS_DBLCLKS,
                                  module, nullptr);
    m_fitFirstChild = fitFirstChild;
    m_id = id;
    if (!created) return false;
    SetWindowLongPtrW(m_hWnd, GWLP_ID, id);
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, 0);
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    HDC dc = GetDC(m_hWnd);
    m_root.CreateResources(dc, true);
    ReleaseDC(m_hWnd, dc);
    return true;
}

bool CTWndGfx::AttachToDlgItem(HWND dialog, int id, bool fitFirstChild)
{
    m_root.DeleteChildren();
    HWND item = GetDlgItem(dialog, id);
    if (item && (GetWindowLongPtrW(item, GWL_STYLE) & WS_BORDER) && !m_theme) {
        SetThemeClass(L"Treeview");
        OpenTheme();
    }
    bool attached = item && Attach(item, false);
    if (attached) {
        m_id = id;
        m_hParent = dialog;
    }
    m_fitFirstChild = fitFirstChild;
    if (attached) {
        HDC dc = GetDC(m_hWnd);
        m_root.CreateResources(dc, true);
        ReleaseDC(m_hWnd, dc);
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        UpdateScrollBars(rc.right, rc.bottom);
    }
    return attached;
}

void CTWndGfx::ClientSize(int* width, int* height)
{
    RECT rc = {};
    if (m_hWnd) GetClientRect(m_hWnd, &rc);
    *width = rc.right;
    *height = rc.bottom;
}

void CTWndGfx::DeleteRootChildren()
{
    m_hot = nullptr;
    m_root.BaseDeleteChildren();
}

void CTWndGfx::CreateResources(HDC dc, bool create)
{
    if (create) {
        if (m_background) DeleteObject(m_background);
        m_background = CreateSolidBrush(RGB(255, 255, 255));
        if (dc) {
            m_dpiY = GetDeviceCaps(dc, LOGPIXELSY);
            m_dpiX = GetDeviceCaps(dc, LOGPIXELSX);
        }
    } else if (m_background) {
        DeleteObject(m_background);
        m_background = nullptr;
    }
    m_root.BaseCreateResources(dc, create);
}

void CTWndGfx::RecreateResources()
{
    if (!m_hWnd) return;
    HDC dc = GetDC(m_hWnd);
    m_root.CreateResources(dc, false);
    m_root.CreateResources(dc, true);
    ReleaseDC(m_hWnd, dc);
}

bool CTWndGfx::EraseBackground(HDC dc)
{
    RECT rc;
    GetClientRect(m_hWnd, &rc);
    FillRect(dc, &rc, m_background);
    return true;
}

void CTWndGfx::CursorMove()
{
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(m_hWnd, &pt);
    m_root.OnMouseMove(&pt);
}

bool CTWndGfx::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SIZE:
        UpdateScrollBars(LOWORD(lParam), HIWORD(lParam));
        *result = 0;
        return true;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        int saved = SaveDC(dc);
        if (ps.fErase && m_erase) FillRect(dc, &ps.rcPaint, m_background);
        m_root.Paint(dc, &ps.rcPaint);
        RestoreDC(dc, saved);
        EndPaint(m_hWnd, &ps);
        *result = 0;
        return true;
    }
    case WM_ERASEBKGND:
        if (m_erase && EraseBackground(reinterpret_cast<HDC>(wParam))) {
            *result = 1;
            return true;
        }
        break;
    case WM_SYSCOLORCHANGE:
        RecreateResources();
        for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next())
            child->OnSysColorChange(wParam, lParam);
        break;
    case WM_SETTINGCHANGE:
    case WM_THEMECHANGED:
        RecreateResources();
        break;
    case WM_KEYDOWN: {
        WPARAM code = 0;
        switch (wParam) {
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
        default: break;
        }
        if (wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END) {
            OnScrollCommand(WM_VSCROLL, code);
            CursorMove();
        }
        break;
    }
    case WM_SYSKEYDOWN:
        ReleaseCapture();
        break;
    case WM_TIMER:
        if (wParam == kTooltipTimer) ShowTooltip();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScrollCommand(msg, wParam);
        break;
    case WM_MOUSEMOVE: {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        m_root.OnMouseMove(&pt);
        break;
    }
    case WM_LBUTTONDOWN:
        m_root.OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_LBUTTONUP:
        m_root.OnLButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam);
        CursorMove();
        break;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        break;
    case WM_PRINT: {
        LRESULT ignored = 0;
        CTWndTheme::OnMessage(msg, wParam, lParam, &ignored);
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        m_root.Paint(reinterpret_cast<HDC>(wParam), &rc);
        *result = 1;
        return true;
    }
    default:
        break;
    }
    return CTWndTheme::OnMessage(msg, wParam, lParam, result);
}

void CTWndGfx::UpdateBar(int bar, DWORD styleBit, int clientSize, int content, int* position)
{
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    const UINT swp = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    if (clientSize < content) {
        if (!(style & styleBit)) {
            SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | styleBit);
            SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swp);
        }
        if (content < clientSize + *position) *position = content - clientSize;
        SCROLLINFO si = {sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, content, static_cast<UINT>(clientSize),
                         *position, 0};
        SetScrollInfo(m_hWnd, bar, &si, TRUE);
    } else if (style & styleBit) {
        *position = 0;
        SetWindowLongPtrW(m_hWnd, GWL_STYLE, style & ~styleBit);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, swp);
    }
}

void CTWndGfx::UpdateScrollBars(int width, int height)
{
    m_root.m_bounds.right = m_root.m_bounds.left + width;
    m_root.m_bounds.bottom = m_root.m_bounds.top + height;
    if (!m_hWnd) return;
    int oldX = m_scrollX, oldY = m_scrollY;
    UpdateBar(SB_HORZ, WS_HSCROLL, width, m_contentWidth, &m_scrollX);
    UpdateBar(SB_VERT, WS_VSCROLL, height, m_contentHeight, &m_scrollY);
    if (m_fitFirstChild && m_root.FirstChild()) m_root.FirstChild()->SetBounds(0, 0, width, height);
    if (oldX != m_scrollX || oldY != m_scrollY) {
        InvalidateRect(m_hWnd, nullptr, TRUE);
        UpdateWindow(m_hWnd);
    }
}

void CTWndGfx::MoveContent(int dx, int dy)
{
    ScrollWindowEx(m_hWnd, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    UpdateWindow(m_hWnd);
}

void CTWndGfx::OnScrollCommand(UINT msg, WPARAM wParam)
{
    int width, height;
    ClientSize(&width, &height);
    if (width >= m_contentWidth && height >= m_contentHeight) return;
    bool horizontal = msg == WM_HSCROLL;
    int client = horizontal ? width : height;
    int content = horizontal ? m_contentWidth : m_contentHeight;
    if (content <= client) return;
    int* position = horizontal ? &m_scrollX : &m_scrollY;
    int maximum = content - client;
    int next = *position;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: next -= 5; break;
    case SB_LINEDOWN: next += 5; break;
    case SB_PAGEUP: next -= 50; break;
    case SB_PAGEDOWN: next += 50; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = static_cast<short>(HIWORD(wParam)); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = maximum; break;
    default: break;
    }
    if (next > maximum) next = maximum;
    if (next < 0) next = 0;
    if (next == *position) return;
    int delta = *position - next;
    *position = next;
    if (m_scrollByBlit) MoveContent(horizontal ? delta : 0, horizontal ? 0 : delta);
    SCROLLINFO si = {sizeof(si), SIF_POS};
    si.nPos = next;
    SetScrollInfo(m_hWnd, horizontal ? SB_HORZ : SB_VERT, &si, TRUE);
    m_root.OnScroll();
}

void CTWndGfx::OnMouseWheel(WPARAM wParam)
{
    int width, height;
    ClientSize(&width, &height);
    if (m_contentHeight <= height) return;
    int next = m_scrollY - static_cast<short>(HIWORD(wParam));
    int maximum = m_contentHeight - height;
    if (next > maximum) next = maximum;
    if (next < 0) next = 0;
    if (next == m_scrollY) return;
    m_scrollY = next;
    SCROLLINFO si = {sizeof(si), SIF_POS};
    si.nPos = next;
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    m_root.OnScroll();
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTWndGfx::EnsureVisible(CGfxObject* object)
{
    if (!object || !m_hWnd) return;
    int width, height;
    ClientSize(&width, &height);
    if (m_contentHeight < height) return;
    int y = 0;
    object->GetBounds(nullptr, &y, nullptr, nullptr);
    int maximum = m_contentHeight - height;
    if (y > maximum) y = maximum;
    if (y < 0) y = 0;
    if (y == m_scrollY) return;
    int delta = m_scrollY - y;
    m_scrollY = y;
    MoveContent(0, delta);
    SCROLLINFO si = {sizeof(si), SIF_POS};
    si.nPos = y;
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    m_root.OnScroll();
}

void CTWndGfx::DropHot()
{
    CGfxObject* old = m_hot;
    if (!old) return;
    old->ModifyState(0, CGfxObject::StateHot);
    if (m_savedCursor) {
        SetCursor(m_savedCursor);
        m_savedCursor = nullptr;
    }
    m_hot = nullptr;
    m_lastMouse = {0, 0};
    OnHotChanged(old, false);
}

void CTWndGfx::TrackMouse(const POINT* pt)
{
    if (pt->x == m_lastMouse.x && pt->y == m_lastMouse.y) return;
    m_lastMouse = *pt;
    RECT client;
    GetClientRect(m_hWnd, &client);
    POINT screen = *pt;
    ClientToScreen(m_hWnd, &screen);
    bool over = WindowFromPoint(screen) == m_hWnd && PtInRect(&client, *pt);
    bool left = false;
    if (GetCapture() == m_hWnd) {
        if (!over) {
            m_lastMouse = {0, 0};
            left = true;
            ReleaseCapture();
        }
    } else if (over) {
        SetCapture(m_hWnd);
    }
    CGfxObject* hot = left ? nullptr : m_root.HitTestHot(pt->x, pt->y);
    if (hot != m_hot) {
        if (CGfxObject* old = m_hot) {
            if (m_savedCursor) {
                SetCursor(m_savedCursor);
                m_savedCursor = nullptr;
            }
            m_hot = nullptr;
            old->ModifyState(0, CGfxObject::StateHot);
            OnHotChanged(old, false);
        }
        m_hot = hot;
        if (hot) {
            HCURSOR cursor = hot->GetCursor();
            if (cursor && !m_savedCursor) m_savedCursor = SetCursor(cursor);
            OnHotChanged(hot, true);
        }
    }
    m_root.BaseOnMouseMove(pt);
}

void CTWndGfx::OnCaptureChanged(HWND newOwner)
{
    if (newOwner == m_hWnd) return;
    DropHot();
    m_lastMouse = {0, 0};
}

static HINSTANCE AppModule()
{
    CTApp* app = CTApp::Instance();
    HINSTANCE module = app ? app->GetModule() : nullptr;
    return module ? module : GetModuleHandleW(nullptr);
}

static void FillToolInfo(TOOLINFOW& ti, CTWndGfx* canvas)
{
    ti = {};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    ti.hwnd = canvas->m_hWnd;
    ti.uId = static_cast<UINT_PTR>(canvas->m_id);
    ti.hinst = AppModule();
    ti.lpszText = canvas->m_tooltipText.GetBuffer() ? canvas->m_tooltipText.GetBuffer() : const_cast<wchar_t*>(L"");
}

void CTWndGfx::OnHotChanged(CGfxObject* object, bool entered)
{
    TOOLINFOW ti;
    if (!entered) {
        FillToolInfo(ti, this);
        if (m_tooltip.m_hWnd) m_tooltip.SendMessage(TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
        if (m_tooltipTimer) {
            KillTimer(m_hWnd, kTooltipTimer);
            m_tooltipTimer = false;
        }
        return;
    }
    if (!object || !object->HasTooltip() || m_tooltipTimer) return;
    CTString text;
    int placement = 0;
    INT_PTR maxWidth = 2 * GetSystemMetrics(SM_CXICON);
    object->GetTooltip(text, &placement, &maxWidth);
    bool same = text.GetLength() == m_tooltipText.GetLength() &&
                lstrcmpW(text.GetBuffer() ? text.GetBuffer() : L"",
                         m_tooltipText.GetBuffer() ? m_tooltipText.GetBuffer() : L"") == 0;
    if (!same) {
        m_tooltipText = text;
        FillToolInfo(ti, this);
        if (!m_tooltip.m_hWnd) {
            HINSTANCE module = AppModule();
            HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                       module, nullptr);
            if (tip) {
                m_tooltip.m_hWnd = tip;
                SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                m_tooltip.SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
                m_tooltip.SendMessage(TTM_SETMAXTIPWIDTH, 0, maxWidth);
            }
        }
        m_tooltip.SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    UINT delay = static_cast<UINT>(m_tooltip.SendMessage(TTM_GETDELAYTIME, TTDT_INITIAL));
    SetTimer(m_hWnd, kTooltipTimer, delay, nullptr);
    m_tooltipTimer = true;
}

void CTWndGfx::ShowTooltip()
{
    KillTimer(m_hWnd, kTooltipTimer);
    m_tooltipTimer = false;
    if (!m_hot || !m_hot->HasTooltip()) return;
    CTString ignored;
    int placement = 0;
    INT_PTR maxWidth = -1;
    m_hot->GetTooltip(ignored, &placement, &maxWidth);
    TOOLINFOW ti;
    FillToolInfo(ti, this);
    m_tooltip.SendMessage(TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    LRESULT size = m_tooltip.SendMessage(TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&ti));
    int bubbleHeight = HIWORD(size);
    POINT cursor;
    GetCursorPos(&cursor);
    if (placement == 0) {
        int x = cursor.x - GetSystemMetrics(SM_CXICON) / 2;
        int y = cursor.y - GetSystemMetrics(SM_CYICON) / 2 - bubbleHeight;
        m_tooltip.SendMessage(TTM_TRACKPOSITION, 0, MAKELPARAM(x, y));
    } else if (placement == 1) {
        m_tooltip.SendMessage(TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x, cursor.y + bubbleHeight));
    }
}
