#include "framework/CTWndVTab.h"

#include "framework/CTApp.h"
#include "framework/CTREngine.h"

namespace {

ScreenDpi& Dpi()
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    return dpi;
}

HFONT EngineFont()
{
    HFONT font = CTREngine::Instance()->m_menuFont;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF MixWithWhite(COLORREF c, double factor)
{
    auto mix = [factor](int v) { return static_cast<BYTE>(255 + (v - 255) * factor); };
    return RGB(mix(GetRValue(c)), mix(GetGValue(c)), mix(GetBValue(c)));
}

} // namespace

// ---- CWindow -----------------------------------------------------------------------------------

CTWndVTab::CWindow::CWindow(HWND page, int order, CTWndVTab* owner) : m_hwnd(page), m_owner(owner), m_order(order)
{
    ReadIconAndCaption();
    m_brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(page, GCLP_HBRBACKGROUND));
    wchar_t cls[16] = {};
    GetClassNameW(page, cls, 16);
    if (CTWnd2* wnd = CTWnd2::FromHandle(page); wnd && wnd->m_isDialog) {
        m_brush = reinterpret_cast<HBRUSH>(::SendMessageW(page, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(page)));
    } else if (wcscmp(cls, L"#32770") == 0) {
        m_brush = reinterpret_cast<HBRUSH>(::SendMessageW(page, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(page)));
    } else if (wcscmp(cls, L"Edit") == 0) {
        m_brush = reinterpret_cast<HBRUSH>(::SendMessageW(GetParent(page), WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(page)));
    }
}

CTWndVTab::CWindow::~CWindow()
{
    if (m_rendered) DeleteObject(m_rendered);
    if (m_background) DeleteObject(m_background);
}

void CTWndVTab::CWindow::ReadIconAndCaption()
{
    m_icon = reinterpret_cast<HICON>(::SendMessageW(m_hwnd, WM_GETICON, ICON_SMALL, 0));
    GetWindowTextString(m_hwnd, m_caption);
}

void CTWndVTab::CWindow::Measure(HDC hdc)
{
    if (m_width) return;
    HGDIOBJ old = SelectObject(hdc, EngineFont());
    RECT rc = {};
    const wchar_t* text = m_caption.GetBuffer() ? m_caption.GetBuffer() : L"";
    DrawTextW(hdc, text, -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(hdc, old);
    int textHeight = rc.bottom - rc.top;
    if (textHeight < GetSystemMetrics(SM_CYSMICON)) textHeight = GetSystemMetrics(SM_CYSMICON);
    m_height = textHeight + 3 * m_owner->m_unitY;
    m_width = (rc.right - rc.left) + GetSystemMetrics(SM_CXSMICON) + 8 * m_owner->m_unitX;
}

void CTWndVTab::CWindow::DropRendered()
{
    if (m_rendered) DeleteObject(m_rendered);
    m_rendered = nullptr;
}

// ---- CTWndSaveCancel ---------------------------------------------------------------------------

CTWndVTab::CTWndSaveCancel::~CTWndSaveCancel()
{
    Destroy();
    if (m_font) DeleteObject(m_font);
    if (m_brush) DeleteObject(m_brush);
}

bool CTWndVTab::CTWndSaveCancel::Create(HINSTANCE module, HWND parent, HWND target)
{
    m_target = target;
    ScreenDpi& dpi = Dpi();
    int w = MulDiv(83, dpi.x, 96);
    int height = MulDiv(40, dpi.y, 96);
    RECT client = {};
    GetClientRect(parent, &client);
    RECT rc = {0, client.bottom, 2 * w + 4 * (w / 8), height}; // right/bottom are the size
    if (!CTWnd2::Create(L"ctrlSaveCancel", true, parent, WS_CHILD | WS_CLIPCHILDREN, 0, module, &rc)) return false;
    ModifyExStyle(0, WS_EX_CONTROLPARENT | WS_EX_TOOLWINDOW);
    m_brush = CreateSolidBrush(RGB(216, 216, 216));
    HDC dc = GetDC(m_hWnd);
    m_font = CreateFontW(MulDiv(10, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg 2");
    ReleaseDC(m_hWnd, dc);
    int h = MulDiv(28, dpi.y, 96);
    int y = height / 2 - h / 2;
    HWND save = CreateWindowExW(0, L"Button", CTApp::GetButtonCaption(kSaveId), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                w / 8, y, w, h, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSaveId)), module,
                                nullptr);
    HWND cancel = CreateWindowExW(0, L"Button", CTApp::GetButtonCaption(IDCANCEL), WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                  w / 8 + w / 8 + w, y, w, h, m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), module, nullptr);
    ::SendMessageW(save, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    ::SendMessageW(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    Init(m_hWnd, false, 0, 0, false);
    AddItem(save, LeftToRight | RightToRight);
    AddItem(cancel, LeftToRight | RightToRight);
    return true;
}

bool CTWndVTab::CTWndSaveCancel::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (HandleMessage(msg, wParam, lParam, result)) return true;
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        FillRect(reinterpret_cast<HDC>(wParam), &rc, m_brush);
        *result = 1;
        return true;
    }
    if (msg == WM_CTLCOLORBTN) {
        *result = reinterpret_cast<LRESULT>(m_brush);
        return true;
    }
    return false;
}

bool CTWndVTab::CTWndSaveCancel::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = ::SendMessageW(m_target, WM_COMMAND, wParam, lParam);
    return true;
}

// ---- CTWndVTab ---------------------------------------------------------------------------------

CTWndVTab::CTWndVTab()
{
    COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    m_gradient1 = MixWithWhite(highlight, 0.05);
    m_gradient2 = MixWithWhite(highlight, 0.3);
}

CTWndVTab::~CTWndVTab()
{
    if (m_background) DeleteObject(m_background);
    m_slide.Stop();
    m_saveCancel.Destroy();
    m_hot = m_current = nullptr;
    m_pages.DeleteAll();
    Destroy();
}

int CTWndVTab::BarHeight() const { return MulDiv(40, Dpi().y, 96); }

bool CTWndVTab::Create(HWND parent, HINSTANCE module)
{
    m_module = module;
    if (!CTWnd2::Create(L"TWndVTab", true, parent, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, module, nullptr))
        return false;
    SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, 0);
    SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
    if (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_BORDER)
        ModifyStyle(WS_BORDER, 0, SWP_FRAMECHANGED | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(EngineFont()), TRUE);
    UpdateMetrics();
    ShowWindow(SW_SHOW);
    Invalidate(true);
    return true;
}

void CTWndVTab::UpdateMetrics()
{
    CreateBackgroundBrush();
    ScreenDpi& dpi = Dpi();
    m_unitX = MulDiv(4, dpi.x, 96);
    m_unitY = MulDiv(4, dpi.y, 96);
    m_headerHeight = MulDiv(32, dpi.y, 96) + 4 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYICON);
    m_smallIconWidth = GetSystemMetrics(SM_CXSMICON);
    if (IsWindow()) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(EngineFont()), TRUE);
        Invalidate(true);
    }
    m_textNormal = m_textSelected = GetSysColor(COLOR_MENUTEXT);
}

void CTWndVTab::CreateBackgroundBrush()
{
    if (m_background) DeleteObject(m_background);
    m_background = nullptr;
    int width = m_stripWidth > 0 ? m_stripWidth : 1;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, 1);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT rc = {0, 0, width, 1};
    CTREngine::Instance()->GradientFill(dc, rc, m_gradient1, m_gradient2, 0);
    SelectObject(dc, old);
    m_background = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

void CTWndVTab::SetGradientColors(COLORREF first, COLORREF second)
{
    m_gradient1 = first;
    m_gradient2 = second;
    CreateBackgroundBrush();
}

void CTWndVTab::SetTextColors(COLORREF normal, COLORREF selected)
{
    m_textNormal = normal;
    m_textSelected = selected;
}

CTWndVTab::CWindow* CTWndVTab::FindPage(HWND page)
{
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext())
        if (static_cast<CWindow*>(item)->m_hwnd == page) return static_cast<CWindow*>(item);
    return nullptr;
}

CTWndVTab::CWindow* CTWndVTab::FindPage(CTWndManager::VTabPage* page)
{
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext())
        if (static_cast<CWindow*>(item)->m_page == page) return static_cast<CWindow*>(item);
    return nullptr;
}

int CTWndVTab::LayoutTabs(int y)
{
    int widest = 0;
    HDC dc = GetDC(m_hWnd);
    int index = 0;
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWindow*>(item);
        page->Measure(dc);
        int height = page->m_visible ? page->m_height : 0;
        page->m_index = index++;
        page->m_rect = {0, y, m_tabWidth, y + height};
        y = page->m_rect.bottom + m_unitY;
        if (page->m_width > widest) widest = page->m_width;
    }
    ReleaseDC(m_hWnd, dc);
    return widest;
}

bool CTWndVTab::AddPage(HWND hwnd, int, int order)
{
    if (FindPage(hwnd)) return false;
    auto* page = new CWindow(hwnd, order, this);
    CLinkedListObject* before = nullptr;
    if (order != 0) {
        for (auto* item = m_pages.GetHead(); item && !before; item = item->GetNext())
            if (static_cast<CWindow*>(item)->m_order > order) before = item;
    }
    if (before) m_pages.InsertBefore(page, before);
    else m_pages.AddTail(page);
    if (auto* iface = dynamic_cast<CTWndManager::VTabPage*>(CTWnd2::FromHandle(hwnd))) {
        page->m_page = iface;
        iface->m_strip = this;
    }
    if (m_current) {
        ::ShowWindow(hwnd, SW_HIDE);
    } else {
        m_current = page;
        page->m_state = kStateSelected;
        if (m_keyboard && GetFocus() == m_hWnd) page->m_state |= kStateFocused;
    }
    int widest = LayoutTabs(m_headerHeight);
    if (widest > m_tabWidth) {
        m_tabWidth = m_stripWidth = widest;
        LayoutTabs(m_headerHeight);
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        MoveWindow(m_hWnd, 0, m_stripTop, m_stripWidth, client.bottom, TRUE);
        if (m_current) {
            Layout();
            OnSize(m_stripWidth, client.bottom);
        }
    }
    Invalidate(true);
    return true;
}

bool CTWndVTab::RemovePage(HWND hwnd)
{
    CWindow* page = FindPage(hwnd);
    if (!page) return false;
    if (page == m_current) {
        CWindow* other = nullptr;
        for (auto* item = m_pages.GetHead(); item && !other; item = item->GetNext())
            if (item != page) other = static_cast<CWindow*>(item);
        if (other) SelectPage(other);
        else m_current = nullptr;
    }
    // The strip must not keep pointing at a tab it deletes: a later mouse message would touch it.
    if (page == m_hot) m_hot = nullptr;
    if (page->m_page && page->m_page->m_strip == this) page->m_page->m_strip = nullptr;
    m_pages.Delete(page);
    auto* first = static_cast<CWindow*>(m_pages.GetHead());
    if (first) {
        int y = first->m_rect.top;
        LayoutTabs(y);
    }
    Invalidate(true);
    return true;
}

void CTWndVTab::SetState(CWindow* page, int add, int remove)
{
    if (!page) return;
    int state = (page->m_state & ~remove) | add;
    if (state == page->m_state) return;
    page->m_state = state;
    page->DropRendered();
    if (m_hWnd) InvalidateRect(m_hWnd, &page->m_rect, FALSE);
}

void CTWndVTab::Notify(UINT code)
{
    if (!m_hWnd) return;
    NMHDR hdr = {m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID(m_hWnd)), code};
    ::SendMessageW(GetParent(m_hWnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

void CTWndVTab::SelectPage(CWindow* page)
{
    if (!page || page == m_current) return;
    Notify(kNotifyChanging);
    bool wasFocused = false;
    if (CWindow* old = m_current) {
        wasFocused = (old->m_state & kStateFocused) != 0;
        SetState(old, 0, kStateSelected | kStateFocused);
        ::ShowWindow(old->m_hwnd, SW_HIDE);
    }
    if (m_saveCancel.IsWindow() && IsWindowVisible(m_saveCancel.m_hWnd)) {
        m_slide.Stop();
        m_saveCancelWanted = false;
        m_saveCancelHeight = 0;
        m_saveCancel.ShowWindow(SW_HIDE);
    }
    m_current = page;
    SetState(page, kStateSelected | ((wasFocused || m_keyboard) ? kStateFocused : 0), 0);
    if (page->m_modified) {
        m_saveCancelWanted = true;
        m_saveCancelHeight = BarHeight();
        if (!m_saveCancel.IsWindow()) m_saveCancel.Create(m_module, GetParent(m_hWnd), m_hWnd);
        m_saveCancel.ShowWindow(SW_SHOW);
    }
    Layout();
    ::ShowWindow(page->m_hwnd, SW_SHOW);
    Notify(kNotifyChanged);
}

void CTWndVTab::ShowTab(HWND hwnd)
{
    CWindow* page = FindPage(hwnd);
    if (!page || page->m_visible) return;
    page->m_visible = true;
    LayoutTabs(m_headerHeight);
    Invalidate(true);
}

void CTWndVTab::RefreshPage(HWND hwnd)
{
    if (CWindow* page = FindPage(hwnd)) {
        page->ReadIconAndCaption();
        page->DropRendered();
    }
}

void CTWndVTab::SetPageModified(CTWndManager::VTabPage* iface, bool modified)
{
    CWindow* page = FindPage(iface);
    if (!page || page->m_modified == modified) return;
    page->m_modified = modified;
    if (page != m_current) return;
    if (modified && !m_saveCancel.IsWindow()) m_saveCancel.Create(m_module, GetParent(m_hWnd), m_hWnd);
    m_saveCancelWanted = modified;
    AnimateSaveCancelBar();
}

void CTWndVTab::AnimateSaveCancelBar()
{
    if (!m_saveCancel.IsWindow()) return;
    m_saveCancel.ShowWindow(SW_SHOW);
    int full = BarHeight();
    UINT value = m_saveCancelWanted ? m_slide.Start(kSlideTimer, 400, m_hWnd, 0, full)
                                    : m_slide.Start(kSlideTimer, 200, m_hWnd, full, 0);
    m_saveCancelHeight = static_cast<int>(value);
    if (m_slide.Finished()) SlideStep();
    else Layout();
}

void CTWndVTab::SlideStep()
{
    m_saveCancelHeight = static_cast<int>(m_slide.Step());
    Layout();
    if (m_slide.Finished() && !m_saveCancelWanted) {
        m_saveCancel.ShowWindow(SW_HIDE);
        Layout();
        if (m_current) ::SetFocus(m_current->m_hwnd);
    }
}

void CTWndVTab::SetVerticalExtent(int y, int height)
{
    m_stripTop = y;
    m_stripHeight = height;
    MoveWindow(m_hWnd, 0, y, m_stripWidth, height, TRUE);
    Layout();
}

void CTWndVTab::Layout()
{
    if (!m_hWnd || !m_current) return;
    HWND parent = GetParent(m_hWnd);
    RECT strip = {};
    GetWindowRect(m_hWnd, &strip);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&strip), 2);
    RECT client = {};
    GetClientRect(parent, &client);
    int x = strip.right;
    int w = client.right - x;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER;
    bool bar = m_saveCancel.IsWindow() && IsWindowVisible(m_saveCancel.m_hWnd);
    if (!bar) {
        SetWindowPos(m_current->m_hwnd, nullptr, x, strip.top, w, strip.bottom - strip.top, flags);
        return;
    }
    HDWP batch = BeginDeferWindowPos(2);
    if (batch)
        batch = DeferWindowPos(batch, m_saveCancel.m_hWnd, nullptr, x, strip.bottom - m_saveCancelHeight, w,
                               m_saveCancelHeight, flags);
    if (batch)
        batch = DeferWindowPos(batch, m_current->m_hwnd, nullptr, x, strip.top, w,
                               strip.bottom - m_saveCancelHeight - strip.top, flags);
    if (batch) EndDeferWindowPos(batch);
}

void CTWndVTab::OnSize(int, int)
{
    CreateBackgroundBrush();
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWindow*>(item);
        if (page->m_background) DeleteObject(page->m_background);
        page->m_background = nullptr;
        page->DropRendered();
    }
    Invalidate(true);
}

bool CTWndVTab::OnCommand(WPARAM wParam, LPARAM, LRESULT* result)
{
    UINT id = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED || (id != IDCANCEL && id != kSaveId) || !m_saveCancelWanted) return false;
    m_saveCancelWanted = false;
    if (m_current && m_current->m_page && m_current->m_modified) {
        m_current->m_modified = false;
        if (id == IDCANCEL) m_current->m_page->Refresh();
        else m_current->m_page->Save();
    }
    AnimateSaveCancelBar();
    *result = 0;
    return true;
}

void CTWndVTab::OnMouseMove(POINT pt)
{
    if (pt.x == m_lastMouse.x && pt.y == m_lastMouse.y) return;
    m_lastMouse = pt;
    POINT screen = pt;
    ClientToScreen(m_hWnd, &screen);
    if (GetCapture() == m_hWnd && WindowFromPoint(screen) != m_hWnd) {
        m_lastMouse = {};
        CWindow* hot = m_hot;
        m_hot = nullptr;
        ReleaseCapture();
        SetState(hot, 0, kStateHot);
        return;
    }
    if (GetCapture() != m_hWnd) SetCapture(m_hWnd);
    CWindow* hot = nullptr;
    for (auto* item = m_pages.GetHead(); item && !hot; item = item->GetNext()) {
        auto* page = static_cast<CWindow*>(item);
        if (page->m_visible && !(page->m_state & kStateSelected) && PtInRect(&page->m_rect, pt)) hot = page;
    }
    if (hot == m_hot) return;
    CWindow* old = m_hot;
    m_hot = hot;
    SetState(old, 0, kStateHot);
    SetState(hot, kStateHot, 0);
}

bool CTWndVTab::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_LBUTTONDOWN: {
        m_keyboard = false;
        ::SetFocus(m_hWnd);
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        for (auto* item = m_pages.GetHead(); item;) {
            auto* page = static_cast<CWindow*>(item);
            item = item->GetNext();
            if (page->m_visible && PtInRect(&page->m_rect, pt)) SelectPage(page);
        }
        *result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        *result = 0;
        return true;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hWnd) {
            CWindow* hot = m_hot;
            m_hot = nullptr;
            SetState(hot, 0, kStateHot);
            m_lastMouse = {};
        }
        return false;
    case WM_GETDLGCODE:
        m_keyboard = true;
        *result = DLGC_WANTARROWS;
        return true;
    case WM_KEYDOWN: {
        m_keyboard = true;
        bool back = wParam == VK_LEFT || wParam == VK_UP;
        bool forward = wParam == VK_RIGHT || wParam == VK_DOWN;
        if (!back && !forward) return false;
        CWindow* hot = m_hot;
        m_hot = nullptr;
        SetState(hot, 0, kStateHot);
        if (!m_current) return true;
        CLinkedListObject* item = back ? m_current->GetPrev() : m_current->GetNext();
        while (item && !static_cast<CWindow*>(item)->m_visible) item = back ? item->GetPrev() : item->GetNext();
        if (item) SelectPage(static_cast<CWindow*>(item));
        *result = 0;
        return true;
    }
    case WM_SYSKEYDOWN:
        ReleaseCapture();
        return false;
    case WM_SETFOCUS:
        if (m_keyboard) SetState(m_current, kStateFocused, 0);
        return false;
    case WM_KILLFOCUS: {
        SetState(m_current, 0, kStateFocused);
        CWindow* hot = m_hot;
        m_hot = nullptr;
        SetState(hot, 0, kStateHot);
        return false;
    }
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return false;
    case WM_PAINT:
        Paint();
        *result = 0;
        return true;
    case WM_ERASEBKGND:
        *result = 0; // Paint fills the background itself
        return true;
    case WM_SYSCOLORCHANGE:
    case WM_WININICHANGE:
        UpdateMetrics();
        if (msg == WM_SYSCOLORCHANGE) {
            for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
                auto* page = static_cast<CWindow*>(item);
                ::SendMessageW(page->m_hwnd, WM_SYSCOLORCHANGE, wParam, lParam);
                CTWnd2* wnd = CTWnd2::FromHandle(page->m_hwnd);
                if (wnd && wnd->m_isDialog) page->m_brush = GetSysColorBrush(COLOR_BTNFACE);
                page->DropRendered();
            }
        }
        return false;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        bool visible = IsWindowVisible(m_hWnd) != FALSE;
        if ((pos->flags & SWP_HIDEWINDOW) && visible) {
            if (m_current) ::ShowWindow(m_current->m_hwnd, SW_HIDE);
            if (m_saveCancel.IsWindow() && IsWindowVisible(m_saveCancel.m_hWnd)) m_saveCancel.ShowWindow(SW_HIDE);
            Layout();
        } else if ((pos->flags & SWP_SHOWWINDOW) && !visible) {
            if (m_current) {
                ::ShowWindow(m_current->m_hwnd, SW_SHOW);
                if (m_current->m_modified && m_saveCancel.IsWindow()) m_saveCancel.ShowWindow(SW_SHOW);
            }
            Layout();
        }
        return false;
    }
    case WM_TIMER:
        if (wParam != kSlideTimer) return false;
        SlideStep();
        *result = 0;
        return true;
    }
    return false;
}

void CTWndVTab::RenderTab(CWindow* page, HDC hdc)
{
    int width = page->m_rect.right - page->m_rect.left;
    int height = page->m_rect.bottom - page->m_rect.top;
    HDC dc = CreateCompatibleDC(hdc);
    page->m_rendered = CreateCompatibleBitmap(hdc, width, height);
    HGDIOBJ old = SelectObject(dc, page->m_rendered);
    RECT rc = {0, 0, width, height};
    if (page->m_background) {
        HDC src = CreateCompatibleDC(hdc);
        HGDIOBJ oldSrc = SelectObject(src, page->m_background);
        BitBlt(dc, 0, 0, width, height, src, 0, 0, SRCCOPY);
        SelectObject(src, oldSrc);
        DeleteDC(src);
    } else {
        FillRect(dc, &rc, m_background);
    }
    CTREngine* engine = CTREngine::Instance();
    if (page->m_state & kStateHot) engine->FillHot(dc, rc);
    if (page->m_state & kStateSelected) engine->FillSelected(dc, rc);
    int iconSize = GetSystemMetrics(SM_CYSMICON);
    if (page->m_icon)
        DrawIconEx(dc, 2 * m_unitX, (height - iconSize) / 2, page->m_icon, 0, 0, 0, nullptr, DI_NORMAL);
    HGDIOBJ oldFont = SelectObject(dc, EngineFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (page->m_state & kStateSelected) ? m_textSelected : m_textNormal);
    RECT text = {GetSystemMetrics(SM_CXSMICON) + 4 * m_unitX, 0, width, height};
    DrawTextW(dc, page->m_caption.GetBuffer() ? page->m_caption.GetBuffer() : L"", -1, &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SelectObject(dc, old);
    DeleteDC(dc);
}

void CTWndVTab::Paint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    if (ps.fErase) {
        FillRect(hdc, &ps.rcPaint, m_background);
        for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
            auto* page = static_cast<CWindow*>(item);
            if (!page->m_visible) continue;
            int width = page->m_rect.right - page->m_rect.left;
            int height = page->m_rect.bottom - page->m_rect.top;
            if (page->m_background) DeleteObject(page->m_background);
            page->m_background = nullptr;
            page->DropRendered();
            if (width <= 0 || height <= 0) continue;
            HDC dc = CreateCompatibleDC(hdc);
            page->m_background = CreateCompatibleBitmap(hdc, width, height);
            HGDIOBJ old = SelectObject(dc, page->m_background);
            RECT rc = {0, 0, width, height};
            SetBrushOrgEx(dc, -page->m_rect.left, -page->m_rect.top, nullptr);
            FillRect(dc, &rc, m_background);
            SelectObject(dc, old);
            DeleteDC(dc);
        }
    }
    for (auto* item = m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CWindow*>(item);
        RECT overlap;
        if (!page->m_visible || !IntersectRect(&overlap, &page->m_rect, &ps.rcPaint)) continue;
        if (!page->m_rendered) RenderTab(page, hdc);
        HDC dc = CreateCompatibleDC(hdc);
        HGDIOBJ old = SelectObject(dc, page->m_rendered);
        BitBlt(hdc, overlap.left, overlap.top, overlap.right - overlap.left, overlap.bottom - overlap.top, dc,
               overlap.left - page->m_rect.left, overlap.top - page->m_rect.top, SRCCOPY);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    EndPaint(m_hWnd, &ps);
}
