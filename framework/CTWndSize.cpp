#include "framework/CTWndSize.h"
#include <windowsx.h>
#include <cmath>
#include "framework/CTREngine.h"
#include "framework/CTWnd2.h"

namespace {
constexpr int kGripperPart = 3; // SP_GRIPPER of the "STATUS" theme class

RECT ChildRectInOwner(HWND owner, HWND child)
{
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, owner, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// value / (total / (total - distance)), truncated; the edge stays put when the quotient is
// meaningless (a zero initial size or a distance equal to it).
bool Proportional(int value, int total, int distance, LONG& edge)
{
    if (total == 0 || total == distance) return false;
    double result = value / (static_cast<double>(total) / (total - distance));
    if (!std::isfinite(result)) return false;
    edge = static_cast<LONG>(result);
    return true;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Anchored items

void CTWndSize::CItem::Init(HWND child, CTWndSize* ownerSize, DWORD anchor)
{
    hwnd = child;
    owner = ownerSize;
    flags = anchor;
    Measure();
}

void CTWndSize::CItem::Measure()
{
    if (!owner || !owner->m_hwnd || !hwnd) return;
    RECT client = {};
    GetClientRect(owner->m_hwnd, &client);
    const int W = client.right, H = client.bottom;
    RECT rc = ChildRectInOwner(owner->m_hwnd, hwnd);
    if (flags & Centred) {
        a = W / 2 - rc.left;
        b = rc.right - rc.left;
        d = rc.bottom - rc.top;
    } else {
        a = W - rc.left;
        b = W - rc.right;
        c = H - rc.top;
        d = H - rc.bottom;
    }
}

HDWP CTWndSize::CItem::Reposition(int cx, int cy, HDWP batch)
{
    if (!hwnd || !owner) return batch;
    RECT rc = ChildRectInOwner(owner->m_hwnd, hwnd);
    LONG &l = rc.left, &t = rc.top, &r = rc.right, &bt = rc.bottom;
    if (flags & Centred) {
        if (flags & LeftToRight) {
            l = cx / 2 - a;
            r = l + b;
        }
        if (flags & TopToBottom) {
            t = cy / 2 - d / 2;
            bt = cy / 2 + d / 2;
        }
        if (flags & RightToRight) r = cx / 2 + b / 2;
        if (flags & BottomToBottom) bt = cy - d;
    } else {
        const int W0 = owner->m_initWidth, H0 = owner->m_initHeight;
        if (flags & TopToBottom) t = cy - c;
        if (flags & LeftToRight) l = cx - a;
        if (flags & LeftToMiddle) l = static_cast<LONG>(cx * 0.5) + 2;
        if (flags & BottomToBottom) bt = cy - d;
        if (flags & RightToRight) r = cx - b;
        if (flags & RightToMiddle) r = static_cast<LONG>(cx * 0.5) - 2;
        if (flags & BottomScaled) Proportional(cy, H0, d, bt);
        if (flags & TopScaled) Proportional(cy, H0, c, t);
        if (flags & RightScaled) Proportional(cx, W0, b, r);
        if (flags & LeftScaled) Proportional(cx, W0, a, l);
    }
    if (batch)
        return DeferWindowPos(batch, hwnd, nullptr, l, t, r - l, bt - t,
                              SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    MoveWindow(hwnd, l, t, r - l, bt - t, TRUE);
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Set-up

CTWndSize::~CTWndSize()
{
    m_items.DeleteAll();
}

bool CTWndSize::Init(HWND hwnd, bool sizeGrip, int minWidth, int minHeight, bool applyMinimum)
{
    m_hwnd = hwnd;
    m_sizeGrip = sizeGrip;
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    dpi.Load();
    m_minWidth = MulDiv(minWidth, dpi.x, 96);
    m_minHeight = MulDiv(minHeight, dpi.y, 96);
    RECT rc = {};
    GetWindowRect(hwnd, &rc);
    m_initWidth = rc.right - rc.left;
    m_initHeight = rc.bottom - rc.top;
    if (minWidth == 0 && minHeight == 0) {
        m_minWidth = m_initWidth;
        m_minHeight = m_initHeight;
    } else if (applyMinimum) {
        int width = m_initWidth > m_minWidth ? m_initWidth : m_minWidth;
        int height = m_initHeight > m_minHeight ? m_initHeight : m_minHeight;
        SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
    }
    for (CLinkedListObject* item = m_items.GetHead(); item; item = item->m_next)
        static_cast<CItem*>(item)->Measure();
    return true;
}

CTWndSize::CItem* CTWndSize::Find(HWND child)
{
    for (CLinkedListObject* item = m_items.GetHead(); item; item = item->m_next)
        if (static_cast<CItem*>(item)->Matches(child)) return static_cast<CItem*>(item);
    return nullptr;
}

bool CTWndSize::AddItem(HWND child, DWORD anchor)
{
    if (Find(child)) return true;
    auto* item = new CItem();
    item->Init(child, this, anchor);
    m_items.AddTail(item);
    return true;
}

bool CTWndSize::RemoveItem(HWND child)
{
    if (CItem* item = Find(child)) m_items.Delete(item);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Messages

bool CTWndSize::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SIZE:
        Relayout(LOWORD(lParam), HIWORD(lParam), false);
        return false;
    case WM_PAINT:
        if (m_sizeGrip) PaintGrip();
        return false;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        if (result) *result = 0;
        return true;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<const WINDOWPOS*>(lParam));
        return false;
    case WM_NCHITTEST: {
        if (!m_sizeGrip) return false;
        RECT rc = {};
        GetWindowRect(m_hwnd, &rc);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT square = {rc.right - GetSystemMetrics(SM_CXVSCROLL), rc.bottom - GetSystemMetrics(SM_CYHSCROLL),
                       rc.right, rc.bottom};
        if (!PtInRect(&square, pt)) return false;
        if (result) *result = HTBOTTOMRIGHT;
        return true;
    }
    case WM_VSCROLL: {
        bool handled = OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        if (handled && result) *result = 0;
        return handled;
    }
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam);
        return false;
    }
    return false;
}

void CTWndSize::Relayout(int cx, int cy, bool force)
{
    if (!m_hwnd) return;
    if (m_verticalScroll && (force || cy != m_pageHeight)) {
        m_pageHeight = cy;
        const int H0 = m_initHeight;
        if (m_scrollPos != 0) {
            if (cy >= H0) {
                ScrollWindow(m_hwnd, 0, m_scrollPos, nullptr, nullptr);
                m_scrollPos = 0;
                SetScrollPos(m_hwnd, SB_VERT, 0, TRUE);
            } else if (H0 < cy + m_scrollPos) {
                int overshoot = cy + m_scrollPos - H0;
                m_scrollPos = H0 - cy;
                ScrollWindow(m_hwnd, 0, overshoot, nullptr, nullptr);
            }
        }
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = H0;
        si.nPage = cy > 0 ? static_cast<UINT>(cy) : 0;
        si.nPos = m_scrollPos;
        SetScrollInfo(m_hwnd, SB_VERT, &si, TRUE);
    }

    if (unsigned count = m_items.GetCount()) {
        HDWP batch = BeginDeferWindowPos(static_cast<int>(count));
        for (CLinkedListObject* item = m_items.GetHead(); item; item = item->m_next)
            batch = static_cast<CItem*>(item)->Reposition(cx, cy, batch);
        if (batch) EndDeferWindowPos(batch);
    }

    RECT client = {};
    GetClientRect(m_hwnd, &client);
    RECT corner = {client.right - GetSystemMetrics(SM_CXVSCROLL), client.bottom - GetSystemMetrics(SM_CYHSCROLL),
                   client.right, client.bottom};
    InvalidateRect(m_hwnd, &corner, FALSE);
}

void CTWndSize::OnWindowPosChanging(const WINDOWPOS* pos)
{
    if (!m_verticalScroll || !pos || !(pos->flags & SWP_SHOWWINDOW)) return;
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    Relayout(client.right, client.bottom, true);
}

void CTWndSize::OnGetMinMaxInfo(MINMAXINFO* info)
{
    if (!info) return;
    info->ptMinTrackSize.x = m_minWidth;
    info->ptMinTrackSize.y = m_minHeight;
}

void CTWndSize::ScrollBy(int delta)
{
    if (delta == 0) return;
    m_scrollPos += delta;
    SetScrollPos(m_hwnd, SB_VERT, m_scrollPos, TRUE);
    ScrollWindow(m_hwnd, 0, -delta, nullptr, nullptr);
}

bool CTWndSize::OnVScroll(int code, int thumbPosition, HWND)
{
    if (!m_verticalScroll) return false;
    const int limit = m_initHeight - m_pageHeight;
    const int step = limit / 10;
    const int pos = m_scrollPos;
    switch (code) {
    case SB_LINEUP:
        if (pos > 0) ScrollBy(-(pos < 6 ? pos : 5));
        break;
    case SB_LINEDOWN:
        if (pos < limit) ScrollBy(limit - pos < 5 ? limit - pos : 5);
        break;
    case SB_PAGEUP:
        if (pos > 0) ScrollBy(-(step < pos ? step : pos));
        break;
    case SB_PAGEDOWN:
        if (pos < limit) ScrollBy(step < limit - pos ? step : limit - pos);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        int target = thumbPosition;
        if (target > limit) target = limit;
        if (target < 0) target = 0;
        ScrollBy(target - pos);
        break;
    }
    default:
        break;
    }
    return true;
}

void CTWndSize::OnMouseWheel(WPARAM wParam)
{
    if (!m_verticalScroll) return;
    RECT client = {};
    GetClientRect(m_hwnd, &client);
    if (client.bottom >= m_initHeight) return;
    int limit = m_initHeight - client.bottom;
    int target = m_scrollPos - GET_WHEEL_DELTA_WPARAM(wParam);
    if (target < 0) target = 0;
    if (target > limit) target = limit;
    ScrollBy(target - m_scrollPos);
}

void CTWndSize::PaintGrip()
{
    // BeginPaint empties the update region; what the owner still has to paint is put back
    // afterwards (without erasing again), so its own WM_PAINT handling sees it.
    HRGN pending = CreateRectRgn(0, 0, 0, 0);
    bool hasPending = pending && GetUpdateRgn(m_hwnd, pending, FALSE) > NULLREGION;

    PAINTSTRUCT ps = {};
    HDC hdc = BeginPaint(m_hwnd, &ps);
    if (hdc) {
        CTThemeApi& theme = CTREngine::Instance()->m_themeApi;
        HTHEME status = theme.IsAppThemed() ? theme.OpenThemeData(m_hwnd, L"STATUS") : nullptr;
        SIZE size = {GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
        if (status) {
            SIZE part = {};
            if (SUCCEEDED(theme.GetThemePartSize(status, hdc, 0, &part)) && part.cx > 0 && part.cy > 0) size = part;
        }
        RECT client = {};
        GetClientRect(m_hwnd, &client);
        RECT square = {client.right - size.cx, client.bottom - size.cy, client.right, client.bottom};
        if (!IsRectEmpty(&m_grip)) {
            InvalidateRect(m_hwnd, &m_grip, TRUE);
            SetRectEmpty(&m_grip);
        }
        FillRect(hdc, &square, GetSysColorBrush(COLOR_BTNFACE));
        if (!status || FAILED(theme.DrawThemeBackground(status, hdc, kGripperPart, 0, &square, &ps.rcPaint)))
            DrawFrameControl(hdc, &square, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        m_grip = square;
        ValidateRect(m_hwnd, &square);
        if (status) theme.CloseThemeData(status);
        EndPaint(m_hwnd, &ps);
        if (hasPending) {
            HRGN grip = CreateRectRgnIndirect(&square);
            CombineRgn(pending, pending, grip, RGN_DIFF);
            DeleteObject(grip);
            InvalidateRgn(m_hwnd, pending, FALSE);
        }
    }
    if (pending) DeleteObject(pending);
}

// ---------------------------------------------------------------------------------------------
// Placement

namespace {
constexpr DWORD kPlacementSize = 44;
static_assert(sizeof(WINDOWPLACEMENT) == kPlacementSize, "the stored placement is the 44-byte record");

// The stored record, or false when there is none that can be trusted: it must be a REG_BINARY
// of exactly 44 bytes whose length field says 44, with a normal rectangle of positive size and
// a show command the system knows.
bool ReadPlacement(const wchar_t* valueName, WINDOWPLACEMENT& wp)
{
    HKEY key = nullptr;
    if (RegCreateKeyW(HKEY_CURRENT_USER, CTWndSize::kPlacementKey, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = kPlacementSize;
    wp = {};
    LONG rc = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&wp), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_BINARY || size != kPlacementSize || wp.length != kPlacementSize)
        return false;
    const RECT& rc2 = wp.rcNormalPosition;
    if (rc2.right <= rc2.left || rc2.bottom <= rc2.top) return false;
    if (wp.showCmd == SW_HIDE || wp.showCmd > SW_MAX) return false;
    return true;
}

void WritePlacement(HWND hwnd, const wchar_t* valueName)
{
    if (!hwnd || !valueName) return;
    WINDOWPLACEMENT wp = {};
    wp.length = kPlacementSize;
    if (!GetWindowPlacement(hwnd, &wp)) return;
    HKEY key = nullptr;
    if (RegCreateKeyW(HKEY_CURRENT_USER, CTWndSize::kPlacementKey, &key) != ERROR_SUCCESS) return;
    RegSetValueExW(key, valueName, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&wp), kPlacementSize);
    RegCloseKey(key);
}

// The normal rectangle is in workspace coordinates (relative to the primary monitor's work
// area). A placement saved on a monitor that is no longer there is moved onto the nearest one.
void BringOntoMonitor(WINDOWPLACEMENT& wp)
{
    RECT primaryWork = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &primaryWork, 0);
    RECT rc = wp.rcNormalPosition;
    OffsetRect(&rc, primaryWork.left, primaryWork.top);
    FitRectToMonitor(rc);
    OffsetRect(&rc, -primaryWork.left, -primaryWork.top);
    wp.rcNormalPosition = rc;
}

void ApplyPlacement(HWND hwnd, const wchar_t* valueName, int mode)
{
    if (!hwnd || !valueName || (mode != 0 && mode != 1)) return;
    WINDOWPLACEMENT wp = {};
    if (!ReadPlacement(valueName, wp)) return;
    const RECT& rc = wp.rcNormalPosition;
    if (mode == 0) {
        SetWindowPos(hwnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE);
        return;
    }
    BringOntoMonitor(wp);
    SetWindowPlacement(hwnd, &wp);
}
} // namespace

void CTWndSize::SavePlacement(const wchar_t* valueName)
{
    WritePlacement(m_hwnd, valueName);
}

void CTWndSize::RestorePlacement(const wchar_t* valueName, int mode)
{
    ApplyPlacement(m_hwnd, valueName, mode);
}

void SaveWindowPlacement(HWND hwnd, const wchar_t* valueName)
{
    WritePlacement(hwnd, valueName);
}

void RestoreWindowPlacement(HWND hwnd, const wchar_t* valueName)
{
    ApplyPlacement(hwnd, valueName, 1);
}
