#include "framework/CTWndSplitter.h"

#include "foundation/TickSource.h"

namespace {

bool SlideWanted()
{
    BOOL menuAnimation = FALSE;
    if (!SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &menuAnimation, 0)) return false;
    return menuAnimation && GetSystemMetrics(SM_REMOTESESSION) == 0;
}

void LendThemedBorder(HWND hwnd, CLinkedList& bugs)
{
    CTString themeClass;
    if (!ThemeClassForWindow(hwnd, themeClass)) return;
    auto* bug = new CTWndSplitter::CThemeBug();
    bugs.AddTail(bug);
    bug->m_theme.Attach(hwnd, true);
    if (!bug->m_theme.m_theme) {
        bug->m_theme.SetThemeClass(themeClass.GetBuffer());
        bug->m_theme.OpenTheme();
    }
}

BOOL CALLBACK LendToChild(HWND hwnd, LPARAM lParam)
{
    LendThemedBorder(hwnd, *reinterpret_cast<CLinkedList*>(lParam));
    return TRUE;
}

} // namespace

void CTWndSplitter::CPane::Measure()
{
    if (!m_owner || !::IsWindow(m_hWnd)) return;
    HWND parent = m_owner->m_hParent;
    RECT rc = {};
    GetWindowRect(m_hWnd, &rc);
    ScreenToClient(parent, reinterpret_cast<POINT*>(&rc.left));
    ScreenToClient(parent, reinterpret_cast<POINT*>(&rc.right));
    RECT client = {};
    GetClientRect(parent, &client);
    m_left = rc.left - client.left;
    m_top = rc.top - client.top;
    m_right = client.right - rc.right;
    m_bottom = client.bottom - rc.bottom;
}

HDWP CTWndSplitter::CPane::Place(int width, int height, HDWP batch)
{
    if (!m_owner || !::IsWindow(m_hWnd) || (m_index != 1 && m_index != 2)) return batch;
    const CTWndSplitter& s = *m_owner;
    RECT rc = s.PaneRectInParent(m_hWnd);
    if (m_index == 1) {
        rc.left = m_left;
        rc.top = m_top;
        if (!s.m_splitShown) {
            rc.right = width - m_right;
            rc.bottom = height - m_bottom;
        } else if (s.m_vertical) {
            rc.right = s.m_position - s.m_gap;
            rc.bottom = height - m_bottom;
        } else {
            rc.right = width - m_right;
            rc.bottom = s.m_position - s.m_gap;
        }
    } else if (s.m_splitShown) {
        rc.right = width - m_right;
        rc.bottom = height - m_bottom;
        if (s.m_vertical) {
            rc.top = m_top;
            rc.left = s.m_position + s.m_thickness + s.m_gap;
        } else {
            rc.left = m_left;
            rc.top = s.m_position + s.m_thickness + s.m_gap;
        }
    } else if (!s.m_secondCollapses) {
        rc = {m_left, m_top, width - m_right, height - m_bottom};
    }
    if (batch)
        return DeferWindowPos(batch, m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                              SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    return nullptr;
}

CTWndSplitter::CTWndSplitter()
{
    m_first.m_owner = m_second.m_owner = this;
}

CTWndSplitter::~CTWndSplitter()
{
    StopAnimation();
    if (m_cursor) DestroyCursor(m_cursor);
    m_cursor = nullptr;
}

void CTWndSplitter::LoadDragCursor()
{
    if (m_cursor) DestroyCursor(m_cursor);
    m_cursor = LoadCursorW(nullptr, m_vertical ? IDC_SIZEWE : IDC_SIZENS);
}

RECT CTWndSplitter::ParentClient() const
{
    RECT rc = {};
    GetClientRect(m_hParent, &rc);
    return rc;
}

RECT CTWndSplitter::PaneRectInParent(HWND pane) const
{
    RECT rc = {};
    if (!::IsWindow(pane)) return rc;
    GetWindowRect(pane, &rc);
    MapWindowPoints(nullptr, m_hParent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

RECT CTWndSplitter::InnerArea() const
{
    return {m_first.m_left, m_first.m_top, m_lastWidth - m_first.m_right, m_lastHeight - m_first.m_bottom};
}

RECT CTWndSplitter::BarRect() const
{
    if (m_vertical)
        return {m_position, m_first.m_top, m_position + m_thickness, m_lastHeight - m_first.m_bottom};
    return {m_first.m_left, m_position, m_lastWidth - m_first.m_right, m_position + m_thickness};
}

bool CTWndSplitter::Create(HWND parent, HWND first, HWND second, bool vertical, HINSTANCE module, int gap,
                           int firstMin, int secondMin, bool fixed)
{
    if (!CTWnd2::Create(L"TWndSplitter", true, parent, WS_CHILD | WS_CLIPCHILDREN, 0, module, nullptr))
        return false;
    m_fixed = fixed;
    if (fixed) m_thickness = 0;
    m_first.m_hWnd = first;
    m_first.m_index = 1;
    m_first.Measure();
    m_second.m_hWnd = second;
    m_second.m_index = 2;
    m_second.Measure();
    m_second.m_left = m_first.m_left;
    m_second.m_right = m_first.m_right;
    m_second.m_top = m_first.m_top;
    m_second.m_bottom = m_first.m_bottom;
    m_first.m_min = firstMin;
    m_second.m_min = secondMin;
    m_gap = gap;
    m_vertical = vertical;
    if (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_BORDER) {
        SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_BORDER);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    LoadDragCursor();
    RECT client = ParentClient();
    m_second.Place(client.right, client.bottom, nullptr);
    SetPosition(vertical ? client.right / 2 : client.bottom / 2);
    if (::IsWindow(Collapsing().m_hWnd)) ::ShowWindow(Collapsing().m_hWnd, m_splitShown ? SW_SHOW : SW_HIDE);
    ::ShowWindow(m_hWnd, SW_SHOW);
    return true;
}

void CTWndSplitter::SetPosition(int p)
{
    m_position = p;
    if (!m_splitShown) return;
    RECT first = PaneRectInParent(m_first.m_hWnd);
    RECT second = PaneRectInParent(m_second.m_hWnd);
    int start = m_vertical ? first.left : first.top;
    if (p < start || p - start - 1 < m_first.m_min) p = start + m_first.m_min + 1;
    if (::IsWindow(m_second.m_hWnd)) {
        int e = m_vertical ? second.right : second.bottom;
        if (e < p || e - m_thickness - p - 1 < m_second.m_min) p = e - m_second.m_min - m_thickness - 1;
    }
    m_position = p;
    RECT client = ParentClient();
    Layout(client.right, client.bottom);
}

int CTWndSplitter::GetPosition()
{
    if (m_splitShown) return m_position;
    RECT rc = {};
    GetWindowRect(m_hParent, &rc);
    return m_vertical ? rc.right - rc.left : rc.bottom - rc.top;
}

void CTWndSplitter::Layout(int width, int height)
{
    if (width == 0 && height == 0) return;
    m_lastWidth = width;
    m_lastHeight = height;
    int d = m_vertical ? width - m_second.m_right : height - m_second.m_bottom;
    if (m_splitShown) {
        if (m_fixed || d < m_position || d - m_thickness - m_position - 1 < m_second.m_min)
            m_position = d - m_thickness - m_second.m_min - 1;
        HDWP batch = BeginDeferWindowPos(3);
        if (batch && ::IsWindow(m_first.m_hWnd)) batch = m_first.Place(width, height, batch);
        RECT bar = BarRect();
        if (batch)
            batch = DeferWindowPos(batch, m_hWnd, nullptr, bar.left, bar.top, bar.right - bar.left,
                                   bar.bottom - bar.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        Invalidate(true);
        if (batch && ::IsWindow(m_second.m_hWnd)) batch = m_second.Place(width, height, batch);
        if (batch) EndDeferWindowPos(batch);
        return;
    }
    Remaining().Place(width, height, nullptr);
    if (m_fixed) m_position = d - m_thickness - Collapsing().m_min - 1;
}

bool CTWndSplitter::SetSplit(bool show, bool animate)
{
    if (show == m_splitShown || m_slideTimer) return false;
    m_splitShown = show;
    if (!m_first.m_hWnd) return true;
    if (animate && SlideWanted()) {
        StartSlide();
        return true;
    }
    if (show) SetPosition(m_position);
    Layout(m_lastWidth, m_lastHeight);
    ::ShowWindow(m_hWnd, show ? SW_SHOW : SW_HIDE);
    if (::IsWindow(Collapsing().m_hWnd)) ::ShowWindow(Collapsing().m_hWnd, show ? SW_SHOW : SW_HIDE);
    return true;
}

void CTWndSplitter::SetVertical(bool vertical)
{
    if (vertical == m_vertical) return;
    m_vertical = vertical;
    LoadDragCursor();
    m_first.Measure();
    m_second.Measure();
    SetPosition(m_position);
}

int CTWndSplitter::SlideBarPosition(int revealed) const
{
    if (m_secondCollapses)
        return m_vertical ? m_lastWidth - m_second.m_right - m_first.m_left - revealed
                          : m_lastHeight - m_second.m_bottom - m_first.m_top - revealed;
    return m_vertical ? revealed + m_second.m_right + m_first.m_left
                      : revealed + m_first.m_top + m_second.m_bottom;
}

void CTWndSplitter::StartSlide()
{
    if (m_slideTimer) KillTimer(m_hWnd, m_slideTimer);
    m_slideTimer = 0;
    m_slideFocus = m_splitShown ? GetFocus() : Remaining().m_hWnd;
    int d = m_position;
    if (m_secondCollapses)
        d = m_vertical ? m_lastWidth - m_position - m_second.m_right : m_lastHeight - m_position - m_second.m_bottom;
    if (d < 0) d = 0;
    m_slideDistance = static_cast<unsigned>(d);
    m_slideTarget = m_position;
    m_position = 0;
    m_slideTimer = SetTimer(m_hWnd, kSlideTimer, 20, nullptr);
    m_slideStart = TickSource::Now();
    m_slideAcceleration = 2.0 * d / (double(kSlideMs) * kSlideMs);

    RECT inner = InnerArea();
    int innerW = inner.right - inner.left, innerH = inner.bottom - inner.top;
    int along = d - m_thickness - m_gap;
    if (along < 0) along = 0;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    HDWP batch = BeginDeferWindowPos(3);
    if (batch && ::IsWindow(Remaining().m_hWnd))
        batch = DeferWindowPos(batch, Remaining().m_hWnd, nullptr, inner.left, inner.top, innerW, innerH,
                               flags | SWP_HIDEWINDOW);
    if (batch && ::IsWindow(Collapsing().m_hWnd))
        batch = DeferWindowPos(batch, Collapsing().m_hWnd, nullptr, 0, 0, m_vertical ? along : innerW,
                               m_vertical ? innerH : along, flags | SWP_NOMOVE | SWP_HIDEWINDOW);
    if (batch)
        batch = DeferWindowPos(batch, m_hWnd, nullptr, inner.left, inner.top, innerW, innerH, flags | SWP_SHOWWINDOW);
    if (batch) EndDeferWindowPos(batch);
    m_position = SlideBarPosition(m_splitShown ? 0 : d);

    if (::IsWindow(m_slideFocus)) ::SetFocus(m_slideFocus);
    m_snapFirst = Snapshot(m_first.m_hWnd);
    m_snapSecond = Snapshot(m_second.m_hWnd);
    UpdateWindow(m_hWnd);
}

HBITMAP CTWndSplitter::Snapshot(HWND pane)
{
    if (!::IsWindow(pane)) return nullptr;
    RECT rc = {};
    GetWindowRect(pane, &rc);
    rc = {0, 0, rc.right - rc.left, rc.bottom - rc.top};
    HDC screen = GetDC(m_hWnd);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right > 0 ? rc.right : 1, rc.bottom > 0 ? rc.bottom : 1);
    HGDIOBJ old = SelectObject(mem, bitmap);
    PrintWithThemedBorders(mem, &rc, pane);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(m_hWnd, screen);
    return bitmap;
}

void CTWndSplitter::SlideStep()
{
    if (!m_slideTimer) return;
    DWORD elapsed = TickSource::Now() - m_slideStart;
    double r = double(kSlideMs) - double(elapsed);
    if (r < 0) r = 0;
    int d = static_cast<int>(m_slideDistance);
    int offset = static_cast<int>(m_slideAcceleration / 2 * r * r);
    if (offset > d) offset = d;
    int revealed = m_splitShown ? d - offset : offset;
    m_position = SlideBarPosition(revealed);
    // The slide ends where the pane is fully revealed (showing) or fully gone (hiding).
    bool reachedEnd = m_splitShown ? revealed >= d : revealed <= 0;
    if (reachedEnd || elapsed >= static_cast<DWORD>(kSlideMs)) {
        StopAnimation();
        return;
    }
    InvalidateRect(m_hWnd, nullptr, TRUE);
    UpdateWindow(m_hWnd);
}

void CTWndSplitter::StopAnimation()
{
    if (!m_slideTimer) return;
    m_position = m_slideTarget;
    KillTimer(m_hWnd, m_slideTimer);
    m_slideTimer = 0;
    if (m_snapFirst) DeleteObject(m_snapFirst);
    if (m_snapSecond) DeleteObject(m_snapSecond);
    m_snapFirst = m_snapSecond = nullptr;

    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    HDWP batch = BeginDeferWindowPos(3);
    if (m_splitShown) {
        if (batch && ::IsWindow(Collapsing().m_hWnd)) {
            batch = Collapsing().Place(m_lastWidth, m_lastHeight, batch);
            if (batch)
                batch = DeferWindowPos(batch, Collapsing().m_hWnd, nullptr, 0, 0, 0, 0,
                                       flags | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        }
        RECT bar = BarRect();
        if (batch)
            batch = DeferWindowPos(batch, m_hWnd, nullptr, bar.left, bar.top, bar.right - bar.left,
                                   bar.bottom - bar.top, flags | SWP_SHOWWINDOW);
    } else if (batch) {
        batch = DeferWindowPos(batch, m_hWnd, nullptr, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
    }
    if (batch && ::IsWindow(Remaining().m_hWnd)) {
        batch = Remaining().Place(m_lastWidth, m_lastHeight, batch);
        if (batch)
            batch = DeferWindowPos(batch, Remaining().m_hWnd, nullptr, 0, 0, 0, 0,
                                   flags | SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    if (batch) EndDeferWindowPos(batch);
    if (m_hParent) RedrawWindow(m_hParent, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (::IsWindow(m_slideFocus)) ::SetFocus(m_slideFocus);
    m_slideFocus = nullptr;
    if (m_splitShown && m_hWnd) {
        Invalidate(true);
        UpdateWindow(m_hWnd);
    }
}

void CTWndSplitter::Paint(HDC hdc, RECT* rect)
{
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    if (m_slideTimer) {
        RECT bar = *rect;
        if (m_vertical) {
            bar.left = m_position;
            bar.right = m_position + m_thickness;
        } else {
            bar.top = m_position;
            bar.bottom = m_position + m_thickness;
        }
        FillRect(hdc, &bar, face);
        DrawEdge(hdc, &bar, BDR_RAISEDINNER, BF_RECT | BF_MONO);
        HDC mem = CreateCompatibleDC(hdc);
        int w = rect->right - rect->left, h = rect->bottom - rect->top;
        if (m_snapFirst) {
            HGDIOBJ old = SelectObject(mem, m_snapFirst);
            BitBlt(hdc, 0, 0, m_vertical ? m_position : w, m_vertical ? h : m_position, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
        }
        if (m_snapSecond) {
            HGDIOBJ old = SelectObject(mem, m_snapSecond);
            int start = m_position + m_thickness;
            if (m_vertical)
                BitBlt(hdc, start, 0, w - start, h, mem, 0, 0, SRCCOPY);
            else
                BitBlt(hdc, 0, start, w, h - start, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
        }
        DeleteDC(mem);
        return;
    }
    if (!m_splitShown) return;
    RECT rc = *rect;
    FillRect(hdc, &rc, face);
    DrawEdge(hdc, &rc, BDR_RAISEDINNER, BF_RECT | BF_MONO);
}

void CTWndSplitter::PrintWithThemedBorders(HDC hdc, RECT* rect, HWND hwnd)
{
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
    if (GetWindowLongPtrW(hwnd, DWLP_DLGPROC))
        brush = reinterpret_cast<HBRUSH>(::SendMessageW(hwnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc),
                                                      reinterpret_cast<LPARAM>(hwnd)));
    if (brush) FillRect(hdc, rect, brush);
    CLinkedList bugs;
    LendThemedBorder(hwnd, bugs);
    EnumChildWindows(hwnd, LendToChild, reinterpret_cast<LPARAM>(&bugs));
    ::SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(hdc), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_OWNED);
    bugs.DeleteAll();
}

POINT CTWndSplitter::PointInParent(LPARAM lParam) const
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    MapWindowPoints(m_hWnd, m_hParent, &pt, 1);
    return pt;
}

bool CTWndSplitter::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_LBUTTONDOWN: {
        if (!m_splitShown) return false;
        POINT pt = PointInParent(lParam);
        int v = m_vertical ? pt.x : pt.y;
        if (v < m_position || v > m_position + m_thickness) {
            m_dragging = false;
            return false;
        }
        RECT clip = {};
        GetWindowRect(m_hParent, &clip);
        clip.left += m_first.m_left;
        clip.right -= m_first.m_right;
        clip.top += m_first.m_top;
        clip.bottom -= m_first.m_bottom;
        if (m_vertical) {
            clip.left += m_first.m_min;
            clip.right -= m_first.m_min;
        } else {
            clip.top += m_first.m_min;
            clip.bottom -= m_first.m_min;
        }
        ClipCursor(&clip);
        m_dragging = true;
        SetCapture(m_hWnd);
        return true;
    }
    case WM_MOUSEMOVE:
        if (!m_dragging) return false;
        {
            POINT pt = PointInParent(lParam);
            SetPosition(m_vertical ? pt.x : pt.y);
        }
        return true;
    case WM_LBUTTONUP:
        if (!m_dragging) return false;
        {
            m_dragging = false;
            if (GetCapture() == m_hWnd) ReleaseCapture();
            ClipCursor(nullptr);
            POINT pt = PointInParent(lParam);
            SetPosition(m_vertical ? pt.x : pt.y);
            Invalidate(true);
        }
        return true;
    case WM_SETCURSOR:
        if (!m_slideTimer && reinterpret_cast<HWND>(wParam) == m_hWnd && !m_fixed) {
            SetCursor(m_cursor);
            *result = TRUE;
            return true;
        }
        return false;
    case WM_SETFOCUS:
        if ((m_fixed || !m_splitShown) && ::IsWindow(m_first.m_hWnd)) ::SetFocus(m_first.m_hWnd);
        return false;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        int saved = SaveDC(hdc);
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        Paint(hdc, &rc);
        RestoreDC(hdc, saved);
        EndPaint(m_hWnd, &ps);
        return true;
    }
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_PRINT: {
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        Paint(reinterpret_cast<HDC>(wParam), &rc);
        *result = 1;
        return true;
    }
    case WM_TIMER:
        if (wParam != kSlideTimer) return false;
        SlideStep();
        return true;
    }
    return false;
}
