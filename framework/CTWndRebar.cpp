#include "framework/CTWndRebar.h"

namespace {

const UINT kBandInfoSize = REBARBANDINFOW_V6_SIZE;

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

} // namespace

CTWndRebar::CTWndPopup::~CTWndPopup()
{
    m_toolbar.Clear();
}

void CTWndRebar::CTWndPopup::Hide()
{
    if (m_hWnd) SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void CTWndRebar::CTWndPopup::Show(HWND parent, HINSTANCE module, CTWndToolbar* source, const RECT& visible,
                                  const POINT& anchor)
{
    if (m_hWnd && IsWindowVisible(m_hWnd)) return;
    if (!m_created) {
        if (!Create(L"TWndRebar::TWndPopup", true, parent, WS_POPUP | WS_DLGFRAME, 0, module, nullptr)) return;
        m_created = true;
        ModifyExStyle(0, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE);
    }
    if (!source || !source->m_hWnd) return;
    HWND src = source->m_hWnd;
    m_owner = src;

    DWORD style = static_cast<DWORD>(GetWindowLongW(src, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(GetWindowLongW(src, GWL_EXSTYLE));
    if (!m_toolbar.Create(m_hWnd, nullptr, style, CTWndToolbar::IconSmall, exStyle)) return;
    HWND tb = m_toolbar.m_hWnd;
    SetWindowLongW(tb, GWL_STYLE, GetWindowLongW(tb, GWL_STYLE) & ~TBSTYLE_TRANSPARENT);
    ::SendMessageW(tb, TB_SETEXTENDEDSTYLE, 0, ::SendMessageW(src, TB_GETEXTENDEDSTYLE, 0, 0));
    ::SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(tb, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ::SendMessageW(tb, TB_SETMAXTEXTROWS, ::SendMessageW(src, TB_GETTEXTROWS, 0, 0), 0);
    auto sourceImages = reinterpret_cast<HIMAGELIST>(::SendMessageW(src, TB_GETIMAGELIST, 0, 0));
    if (sourceImages) {
        HIMAGELIST copy = ImageList_Duplicate(sourceImages);
        auto previous = reinterpret_cast<HIMAGELIST>(::SendMessageW(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(copy)));
        if (m_toolbar.m_images && m_toolbar.m_images != previous) ImageList_Destroy(m_toolbar.m_images);
        if (previous) ImageList_Destroy(previous);
        m_toolbar.m_images = copy; // owned from now on: Clear destroys it
        if (copy) ImageList_GetIconSize(copy, &m_toolbar.m_iconWidth, &m_toolbar.m_iconHeight);
    }

    int count = static_cast<int>(::SendMessageW(src, TB_BUTTONCOUNT, 0, 0));
    if (count < 1) return;
    int copied = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!::SendMessageW(src, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & BTNS_SEP) continue;
        RECT rc = {};
        ::SendMessageW(src, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
        if (Inside(rc, visible)) continue;
        if (::SendMessageW(tb, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button))) ++copied;
    }
    if (!copied) return;

    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(tb, TB_AUTOSIZE, 0, 0);
    int rows = copied > 4 ? (copied + 3) / 4 : 1;
    RECT bar = {};
    ::SendMessageW(tb, TB_SETROWS, MAKEWPARAM(rows, TRUE), reinterpret_cast<LPARAM>(&bar));
    SIZE max = {};
    ::SendMessageW(tb, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&max));
    DWORD padding = static_cast<DWORD>(::SendMessageW(tb, TB_GETPADDING, 0, 0));
    int padX = LOWORD(padding), padY = HIWORD(padding);
    int width = bar.right > bar.left ? bar.right - bar.left : max.cx;
    int height = bar.bottom > bar.top ? bar.bottom - bar.top : max.cy;
    RECT rc = {anchor.x - padX - width, anchor.y, anchor.x, anchor.y + padY + height};
    FitRectToMonitor(rc);
    MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    MoveWindow(tb, 0, 0, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    ::ShowWindow(tb, SW_SHOW);
    ::ShowWindow(m_hWnd, SW_SHOW);
}

bool CTWndRebar::CTWndPopup::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    *result = 0;
    if (msg == WM_KILLFOCUS) {
        Hide();
        m_toolbar.Clear();
        return true;
    }
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        Hide();
        m_toolbar.Destroy();
        return true;
    }
    return false;
}

bool CTWndRebar::CTWndPopup::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (m_toolbar.m_hWnd && hdr && hdr->hwndFrom == m_toolbar.m_hWnd && m_toolbar.OnReflectNotify(wParam, hdr, result))
        return true;
    *result = m_owner ? ::SendMessageW(m_owner, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(hdr)) : 0;
    return true;
}

bool CTWndRebar::CTWndPopup::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = m_owner ? ::SendMessageW(m_owner, WM_COMMAND, wParam, lParam) : 0;
    return true;
}

CTWndRebar::~CTWndRebar()
{
    if (m_hWnd && m_attached) {
        HWND hwnd = m_hWnd;
        Detach();
        DestroyWindow(hwnd);
    }
    m_popup.m_toolbar.Clear();
    m_popup.Destroy();
}

bool CTWndRebar::Create(HWND parent, HINSTANCE module)
{
    m_hParent = parent;
    m_module = module;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&icc);
    HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_FIXEDORDER | CCS_NODIVIDER,
                                0, 0, 0, 0, parent, nullptr, module, nullptr);
    if (!hwnd) return false;
    Attach(hwnd, true);
    REBARINFO info = {sizeof(REBARINFO)};
    return ::SendMessageW(hwnd, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

// A themed rebar may erase with the theme alone, without the CDDS_PREERASE stage, and the
// toolbars in it take their background from this erase: an owner that paints the bar would be
// painted over. The stage is offered here first; when the parent skips the default, so does the bar.
bool CTWndRebar::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    if (msg != WM_ERASEBKGND || !m_hWnd || !wParam) return false;
    HWND parent = GetParent(m_hWnd);
    if (!parent) return false;
    NMCUSTOMDRAW draw = {};
    draw.hdr.hwndFrom = m_hWnd;
    draw.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd));
    draw.hdr.code = NM_CUSTOMDRAW;
    draw.dwDrawStage = CDDS_PREERASE;
    draw.hdc = reinterpret_cast<HDC>(wParam);
    GetClientRect(m_hWnd, &draw.rc);
    LRESULT answer = ::SendMessageW(parent, WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
    if (!(answer & CDRF_SKIPDEFAULT)) return false;
    *result = TRUE;
    return true;
}

bool CTWndRebar::InsertBand(HWND child, int position, const CTString& text, int minChildWidth, int minChildHeight,
                            int idealWidth)
{
    if (!m_hWnd) return false;
    REBARBANDINFOW band = {};
    band.cbSize = kBandInfoSize;
    band.fMask = RBBIM_STYLE | RBBIM_COLORS | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE;
    if (!text.IsEmpty()) {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<wchar_t*>(text.GetBuffer());
    }
    band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
    band.clrFore = GetSysColor(COLOR_BTNTEXT);
    band.clrBack = GetSysColor(COLOR_BTNFACE);
    band.hwndChild = child;
    band.cxMinChild = minChildWidth;
    band.cyMinChild = minChildHeight;
    band.cx = band.cxIdeal = idealWidth;
    return ::SendMessageW(m_hWnd, RB_INSERTBANDW, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&band)) != 0;
}

bool CTWndRebar::FindBand(HWND child, int* index)
{
    if (!m_hWnd) return false;
    int count = GetBandCount();
    for (int i = 0; i < count; ++i) {
        REBARBANDINFOW band = {};
        band.cbSize = kBandInfoSize;
        band.fMask = RBBIM_CHILD;
        if (::SendMessageW(m_hWnd, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band)) && band.hwndChild == child) {
            if (index) *index = i;
            return true;
        }
    }
    return false;
}

bool CTWndRebar::ShowBand(HWND child, bool show)
{
    int index = 0;
    return FindBand(child, &index) && ShowBandAt(index, show);
}

bool CTWndRebar::ShowBandAt(int index, bool show)
{
    if (!m_hWnd || index < 0 || index >= GetBandCount()) return false;
    return ::SendMessageW(m_hWnd, RB_SHOWBAND, index, show) != 0;
}

bool CTWndRebar::SetBandWidth(int index, int width)
{
    REBARBANDINFOW band = {};
    band.cbSize = kBandInfoSize;
    band.fMask = RBBIM_SIZE | RBBIM_IDEALSIZE;
    if (m_hWnd) {
        ::SendMessageW(m_hWnd, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
        band.cx = band.cxIdeal = width;
        ::SendMessageW(m_hWnd, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
    }
    return true;
}

int CTWndRebar::GetBandCount()
{
    return m_hWnd ? static_cast<int>(::SendMessageW(m_hWnd, RB_GETBANDCOUNT, 0, 0)) : 0;
}

int CTWndRebar::RefreshBandColors()
{
    int count = GetBandCount();
    for (int i = 0; i < count; ++i) {
        REBARBANDINFOW band = {};
        band.cbSize = kBandInfoSize;
        band.fMask = RBBIM_COLORS;
        band.clrFore = GetSysColor(COLOR_BTNTEXT);
        band.clrBack = GetSysColor(COLOR_BTNFACE);
        ::SendMessageW(m_hWnd, RB_SETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
    }
    return count;
}

bool CTWndRebar::OnChevronPushed(WPARAM, NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    if (!hdr || !m_hWnd || hdr->hwndFrom != m_hWnd || hdr->code != RBN_CHEVRONPUSHED) return false;
    auto* chevron = reinterpret_cast<NMREBARCHEVRON*>(hdr);
    REBARBANDINFOW band = {};
    band.cbSize = kBandInfoSize;
    band.fMask = RBBIM_CHILD;
    ::SendMessageW(m_hWnd, RB_GETBANDINFOW, chevron->uBand, reinterpret_cast<LPARAM>(&band));
    auto* toolbar = dynamic_cast<CTWndToolbar*>(CTWnd2::FromHandle(band.hwndChild));
    if (!toolbar) return false;
    RECT window = {};
    GetWindowRect(toolbar->m_hWnd, &window);
    RECT visible = {0, 0, window.right - window.left + (chevron->rc.right - chevron->rc.left), window.bottom - window.top};
    POINT anchor = {chevron->rc.right, chevron->rc.bottom};
    ClientToScreen(m_hWnd, &anchor);
    m_popup.Show(m_hParent, m_module, toolbar, visible, anchor);
    return false;
}
