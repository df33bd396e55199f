#include "framework/CTWndStatusbar.h"

#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"

CTWndStatusbar::~CTWndStatusbar()
{
    delete[] m_edges;
    m_edges = nullptr;
    if (m_brush) DeleteObject(m_brush);
    m_brush = nullptr;
    m_toolTip.Destroy();
    m_panes.DeleteAll();
}

bool CTWndStatusbar::Create(HWND parent, HINSTANCE module)
{
    m_module = module;
    m_id = kControlId;
    if (CTWnd2::Create(STATUSCLASSNAMEW, false, parent, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, module, nullptr)) {
        SetWindowLongPtrW(m_hWnd, GWLP_ID, kControlId);
        Subclass(true);
    }
    if (m_hWnd && m_toolTip.Create(TOOLTIPS_CLASSW, false, m_hWnd, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, module,
                                   nullptr)) {
        SetWindowPos(m_toolTip.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        m_toolTip.SendMessage(TTM_ACTIVATE, TRUE);
    }
    MeasureGrip();
    return m_hWnd != nullptr;
}

void CTWndStatusbar::MeasureGrip()
{
    CTThemeApi* api = CTREngine::ThemeApi();
    HTHEME theme = (m_hWnd && api->IsAppThemed()) ? api->OpenThemeData(m_hWnd, L"STATUS") : nullptr;
    if (theme) {
        SIZE size = {};
        api->GetThemePartSize(theme, nullptr, 0, &size);
        m_gripWidth = size.cx + 1;
        m_gripHeight = size.cy;
        api->CloseThemeData(theme);
        return;
    }
    m_gripWidth = GetSystemMetrics(SM_CXVSCROLL);
    m_gripHeight = GetSystemMetrics(SM_CYHSCROLL);
}

void CTWndStatusbar::ComputePaneWidth(Pane* pane, int width)
{
    if (!pane || (pane->m_flags & Stretch)) return;
    if (width) {
        pane->m_width = width;
        return;
    }
    int w = 0;
    if (pane->m_window) {
        RECT rc = {};
        GetWindowRect(pane->m_window, &rc);
        w += rc.right - rc.left;
    }
    if (pane->m_icon) w += 9 * GetSystemMetrics(SM_CXBORDER) + pane->m_iconWidth;
    if (!(pane->m_flags & ToolTip) && !pane->m_text.IsEmpty() && m_hWnd) {
        HDC dc = GetDC(m_hWnd);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
        SIZE size = {};
        GetTextExtentPointW(dc, pane->m_text.GetBuffer(), static_cast<int>(pane->m_text.GetLength()), &size);
        SelectObject(dc, old);
        ReleaseDC(m_hWnd, dc);
        w += size.cx + 6 * GetSystemMetrics(SM_CXBORDER);
    }
    pane->m_width = w;
}

bool CTWndStatusbar::AddPane(int index, DWORD flags, const CTString& text)
{
    auto* pane = new Pane();
    int count = static_cast<int>(m_panes.GetCount());
    if (index == -1 || index >= count) {
        m_panes.AddTail(pane);
        index = count;
    } else {
        if (index < 0) index = 0;
        m_panes.InsertBefore(pane, m_panes.GetAt(index));
    }
    m_stretchCount = m_fixedTotal = 0;
    pane->m_text = text;
    ComputePaneWidth(pane, 0);
    SetPaneFlags(index, flags);
    UpdateParts();
    SendText(index, pane, false);
    return true;
}

void CTWndStatusbar::SendText(int index, Pane* pane, bool ownerDraw)
{
    WPARAM part = static_cast<WPARAM>(index);
    if (pane->m_flags & NoBorders) part |= SBT_NOBORDERS;
    if (ownerDraw) part |= SBT_OWNERDRAW;
    const wchar_t* text = ((pane->m_flags & NoTextPointer) || pane->m_text.IsEmpty()) ? nullptr : pane->m_text.GetBuffer();
    SendMessage(SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
}

void CTWndStatusbar::SetPaneFlags(int index, DWORD flags)
{
    Pane* pane = GetPane(index);
    if (!pane || pane->m_flags == flags) return;
    if ((pane->m_flags ^ flags) & Stretch) m_stretchCount = m_fixedTotal = 0;
    if (((pane->m_flags ^ flags) & ToolTip) && (flags & ToolTip) && m_toolTip.m_hWnd) {
        TTTOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = static_cast<UINT_PTR>(index);
        tool.rect = {10 * index, 0, 10 * index + 10, 20};
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        m_toolTip.SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    pane->m_flags = flags;
}

void CTWndStatusbar::UpdateParts()
{
    if (!m_hWnd) return;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    int available = client.right;
    if ((GetWindowLongW(m_hWnd, GWL_STYLE) & SBARS_SIZEGRIP) && !IsZoomed(GetParent(m_hWnd))) available -= m_gripWidth;
    if (m_stretchCount == 0 || m_fixedTotal == 0) {
        m_stretchCount = m_fixedTotal = 0;
        for (auto* p = static_cast<Pane*>(m_panes.GetHead()); p; p = static_cast<Pane*>(p->GetNext())) {
            if (p->m_flags & Stretch)
                ++m_stretchCount;
            else
                m_fixedTotal += p->m_width;
        }
    }
    int count = static_cast<int>(m_panes.GetCount());
    delete[] m_edges;
    m_edges = new int[count > 0 ? count : 1];
    int s = 0, i = 0;
    for (auto* p = static_cast<Pane*>(m_panes.GetHead()); p; p = static_cast<Pane*>(p->GetNext()), ++i) {
        if ((p->m_flags & Stretch) && m_stretchCount)
            p->m_width = (available - m_fixedTotal - client.left) / m_stretchCount;
        m_edges[i] = s + p->m_width;
        if ((p->m_flags & ToolTip) && m_edges[i] > s && m_toolTip.m_hWnd) {
            TTTOOLINFOW tool = {};
            tool.cbSize = TTTOOLINFOW_V2_SIZE;
            tool.hwnd = m_hWnd;
            tool.uId = static_cast<UINT_PTR>(i);
            tool.rect = {s, 0, m_edges[i], client.bottom};
            m_toolTip.SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        s = m_edges[i];
    }
    SendMessage(SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(m_edges));
}

bool CTWndStatusbar::SetPaneText(int index, const CTString& text)
{
    if (!m_hWnd || !::IsWindow(m_hWnd)) return false;
    Pane* pane = GetPane(index);
    if (!pane) return true;
    bool oldEmpty = pane->m_text.IsEmpty(), newEmpty = text.IsEmpty();
    if (oldEmpty && newEmpty) return true;
    if (!oldEmpty && !newEmpty && lstrcmpW(pane->m_text.GetBuffer(), text.GetBuffer()) == 0) return true;
    if (newEmpty)
        pane->m_text = L"";
    else
        pane->m_text = text;
    bool markup = (pane->m_flags & Markup) != 0;
    if (markup) {
        // A text that does not parse leaves the document with an empty tree.
        pane->m_doc.LoadText(pane->m_text.GetBuffer(), &CTREngine::Instance()->m_fontCache);
    } else {
        ComputePaneWidth(pane, 0);
        m_stretchCount = m_fixedTotal = 0;
        UpdateParts();
    }
    SendText(index, pane, m_textColour != CLR_DEFAULT || markup);
    return true;
}

void CTWndStatusbar::SetColors(COLORREF text, COLORREF background)
{
    m_textColour = text;
    m_backColour = background;
    m_brushKind = 2;
    if (m_brush) DeleteObject(m_brush);
    m_brush = nullptr;
    SendMessage(SB_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    // A themed bar may paint the theme's background over the colour when it paints its parts; with
    // a colour of its own the bar goes without the theme and paints that colour itself.
    if (m_hWnd) {
        bool own = background != CLR_DEFAULT;
        CTREngine::ThemeApi()->SetWindowTheme(m_hWnd, own ? L" " : nullptr, own ? L" " : nullptr);
        Invalidate(true);
    }
}

void CTWndStatusbar::SetFourthPaneIcon(const IconRecord& record)
{
    Pane* pane = GetPane(3);
    if (!pane || pane->m_icon == record.icon) return;
    pane->m_icon = record.icon;
    pane->m_iconWidth = record.width;
    ComputePaneWidth(pane, 0);
    m_stretchCount = m_fixedTotal = 0;
    UpdateParts();
    SendMessage(SB_SETICON, 3, reinterpret_cast<LPARAM>(record.icon));
    Invalidate(true);
}

void CTWndStatusbar::SetThirdPaneWidth(int width)
{
    Pane* pane = GetPane(2);
    if (!pane || pane->m_width == width) return;
    ComputePaneWidth(pane, width);
    m_stretchCount = m_fixedTotal = 0;
    UpdateParts();
}

void CTWndStatusbar::DrawItem(DRAWITEMSTRUCT* item)
{
    if (!item || !m_hWnd || item->hwndItem != m_hWnd) return;
    Pane* pane = GetPane(static_cast<int>(item->itemID));
    if (!pane) return;
    HDC dc = item->hDC;
    int saved = SaveDC(dc);
    SetTextColor(dc, m_textColour);
    SetBkMode(dc, TRANSPARENT);
    RECT rc = {};
    SendMessage(SB_GETRECT, item->itemID, reinterpret_cast<LPARAM>(&rc));
    if (pane->m_flags & Markup) {
        SetBkColor(dc, m_backColour);
        pane->m_doc.Paint(dc, &rc);
    } else {
        DrawTextW(dc, pane->m_text.GetBuffer() ? pane->m_text.GetBuffer() : L"", -1, &rc, DT_SINGLELINE | DT_VCENTER);
    }
    RestoreDC(dc, saved);
}

bool CTWndStatusbar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_DESTROY:
        m_toolTip.Destroy();
        return false;
    case WM_SIZE:
        *result = DefaultProc(msg, wParam, lParam);
        UpdateParts();
        return true;
    case WM_ERASEBKGND:
        if (m_backColour != CLR_DEFAULT && CTREngine::ThemeApi()->IsAppThemed()) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            RECT rc = {};
            GetClientRect(m_hWnd, &rc);
            if (!m_brush) m_brush = CreateGradientBrush(dc, rc.bottom, m_backColour, m_brushKind);
            if (m_brush) {
                FillRect(dc, &rc, m_brush);
                *result = 1;
                return true;
            }
        }
        return false;
    }
    return false;
}

bool CTWndStatusbar::OnNotify(WPARAM, NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    if (!hdr || !m_toolTip.m_hWnd || hdr->hwndFrom != m_toolTip.m_hWnd) return false;
    if (hdr->code != TTN_GETDISPINFOW && hdr->code != TTN_GETDISPINFOA) return false;
    Pane* pane = GetPane(static_cast<int>(hdr->idFrom));
    if (!pane || !(pane->m_flags & ToolTip)) return true;
    if (hdr->code == TTN_GETDISPINFOA) return true; // the tool was added as a wide tool
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
    if (pane->m_flags & ToolTipFromParent) {
        NMTTDISPINFOW ask = {};
        ask.hdr = *hdr;
        ask.hdr.code = TTN_GETDISPINFOW;
        ask.hinst = info->hinst;
        *result = ::SendMessageW(GetParent(m_hWnd), WM_NOTIFY, kControlId, reinterpret_cast<LPARAM>(&ask));
        pane->m_parentTip = ask.lpszText;
        info->lpszText = const_cast<wchar_t*>(pane->m_parentTip);
        return true;
    }
    info->lpszText = pane->m_text.GetBuffer();
    return true;
}
