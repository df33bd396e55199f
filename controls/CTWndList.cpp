#include "controls/CTWndList.h"

#include "framework/CTREngine.h"

namespace {

const wchar_t* Text(const CTString& s)
{
    return s.GetBuffer() ? s.GetBuffer() : L"";
}

int ScreenScaleY(int value)
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    return MulDiv(value, dpi.y, 96);
}

int ScreenScaleX(int value)
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    return MulDiv(value, dpi.x, 96);
}

}  // namespace

CTWndList::~CTWndList()
{
    DeleteBrushes();
    Destroy();
}

void CTWndList::DeleteBrushes()
{
    if (m_rowBrush) DeleteObject(m_rowBrush);
    if (m_selectedRowBrush) DeleteObject(m_selectedRowBrush);
    m_rowBrush = m_selectedRowBrush = nullptr;
}

COLORREF CTWndList::MixRowColour(double factor)
{
    CTREngine* engine = CTREngine::Instance();
    COLORREF w = engine->SysColor(COLOR_WINDOW), c = engine->SysColor(COLOR_GRADIENTACTIVECAPTION);
    auto mix = [factor](int a, int b) { return static_cast<BYTE>(a + static_cast<int>((b - a) * factor)); };
    return RGB(mix(GetRValue(w), GetRValue(c)), mix(GetGValue(w), GetGValue(c)), mix(GetBValue(w), GetBValue(c)));
}

void CTWndList::CreateResources(HDC dc, bool create)
{
    CTWndGfx::CreateResources(dc, create);
    DeleteBrushes();
    if (create) {
        m_rowBrush = CreateSolidBrush(MixRowColour(0.2));
        m_selectedRowBrush = CreateSolidBrush(MixRowColour(0.9));
    }
}

void CTWndList::DeleteRootChildren()
{
    m_dropRow = nullptr;
    m_focused = nullptr;
    m_selectedKey = 0;
    m_hot = nullptr;
    m_root.BaseDeleteChildren();
}

bool CTWndList::GetItemMarkup(unsigned __int64 key, const CTString& escapedText, DWORD, CTString& out)
{
    COLORREF h = CTREngine::Instance()->SysColor(COLOR_HIGHLIGHT);
    COLORREF heading = RGB(GetRValue(h) / 2, GetGValue(h) / 2, GetBValue(h) / 2);
    out.AddText(L"<Attribs>");
    out.AddText(L"<Attrib id=\"Heading\" font-size=\"13\" color=\"");
    out.AppendHtmlColour(&heading);
    out.AddText(L"\" multi-line=\"1\" />");
    out.AddText(L"</Attribs>");
    out.AddText(L"<Text attrib=\"Heading\" padding-left=\"4\" id=\"");
    wchar_t number[24];
    _snwprintf(number, 24, L"%I64u", key);
    number[23] = 0;
    out.AddText(number);
    out.AddText(L"\" >");
    out.AddText(Text(escapedText));
    out.AddText(L"</Text>");
    return true;
}

CTWndList::CGfxItem* CTWndList::AddItem(unsigned __int64 key, const CTString& text, bool enabled)
{
    CTString escaped(text);
    escaped.XmlEscape();
    CGfxItem* row = nullptr;
    CGfxObject* before = nullptr;
    if (m_sorting) {
        for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
            CGfxItem* item = AsRow(child);
            if (!item) continue;
            if (lstrcmpW(Text(item->m_text), Text(escaped)) < 0) continue;
            if (item->m_key == key)
                row = item;
            else
                before = item;
            break;
        }
    }
    if (!row) {
        row = new CGfxItem();
        row->m_text = escaped;
        row->m_key = key;
        row->m_enabled = enabled;
        m_root.InsertChild(row, before);
    }
    if (key == m_selectedKey) row->m_state |= CGfxObject::StateSelected;
    CTString markup;
    if (!GetItemMarkup(key, row->m_text, row->m_state, markup)) {
        markup.Empty();
        CTWndList::GetItemMarkup(key, row->m_text, row->m_state, markup);
    }
    row->m_doc.LoadText(Text(markup), &CTREngine::Instance()->m_fontCache);
    return row;
}

void CTWndList::SetSelectedKey(unsigned __int64 key)
{
    m_selectedKey = key;
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
        CGfxItem* row = AsRow(child);
        if (!row) continue;
        if (row->m_key == key)
            row->ModifyState(CGfxObject::StateSelected, 0);
        else if (row->HasState(CGfxObject::StateSelected))
            row->ModifyState(0, CGfxObject::StateSelected);
    }
}

void CTWndList::Relayout()
{
    int width, height;
    ClientSize(&width, &height);
    UpdateScrollBars(width, height);
}

void CTWndList::UpdateScrollBars(int width, int height)
{
    int y = 0;
    for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next()) {
        child->SetBounds(0, y, width, 0);
        y += child->GetHeight();
    }
    m_contentHeight = y;
    m_contentWidth = 0;
    CTWndGfx::UpdateScrollBars(width, height);
}

void CTWndList::CGfxItem::SetBounds(int x, int y, int width, int height)
{
    CGfxObject::SetBounds(x, y, width, height);
    HWND hwnd = CanvasHwnd();
    CGfxCanvasDC canvas(hwnd);
    HDC mem = CreateCompatibleDC(canvas.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc, 8, 8);
    HGDIOBJ old = SelectObject(mem, bitmap);
    m_bounds.bottom = 9999999;
    RECT area = m_bounds;
    m_doc.Layout(mem, &area);
    if (m_doc.gdi) m_doc.root.Paint(mem, m_doc.gdi, nullptr);
    wchar_t id[24];
    _snwprintf(id, 24, L"%I64u", m_key);
    id[23] = 0;
    RECT element = {};
    int bottom = m_bounds.top;
    if (m_doc.FindById(CTString(id), &element)) bottom = element.bottom;
    m_bounds.bottom = bottom + ScreenScaleY(4);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
}

void CTWndList::CGfxItem::Paint(HDC dc, const RECT* clip)
{
    if (m_visible) {
        RECT rc = ClientBounds();
        RECT common;
        if (!clip || IntersectRect(&common, &rc, clip)) {
            auto* list = dynamic_cast<CTWndList*>(GetCanvasWnd());
            CTREngine* engine = CTREngine::Instance();
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            RECT band = rc;
            band.bottom -= ScreenScaleY(4);
            HBRUSH brush = list ? list->m_rowBrush : nullptr;
            if (HasState(StateDropTarget))
                brush = engine->m_hotBrush;
            else if (HasState(StatePressed))
                brush = engine->m_selectedBrush;
            else if (HasState(StateSelected))
                brush = list ? list->m_selectedRowBrush : nullptr;
            else if (HasState(StateHot))
                brush = engine->m_hotBrush;
            if (brush) FillRect(dc, &band, brush);
            if (m_doc.gdi) {
                m_doc.Layout(dc, &band);
                m_doc.root.Paint(dc, m_doc.gdi, nullptr);
            }
            if ((m_state & (StateFocused | StateFocusCue)) == (StateFocused | StateFocusCue)) {
                RECT focus = {band.left + ScreenScaleX(2), band.top + ScreenScaleY(2), band.right - ScreenScaleX(2),
                              band.bottom - ScreenScaleY(2)};
                DrawFocusRect(dc, &focus);
            }
        }
    }
    CGfxObject::Paint(dc, clip);
}

bool CTWndList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_GETDLGCODE) {
        m_cues = true;
        *result = DLGC_WANTARROWS;
        return true;
    }
    bool handled = CTWndGfx::OnMessage(msg, wParam, lParam, result);
    switch (msg) {
    case WM_SETFOCUS:
        if (!m_focused) {
            for (CGfxObject* child = m_root.FirstChild(); child && !m_focused; child = child->Next())
                if (child->HasState(CGfxObject::StateSelected)) m_focused = child;
            if (!m_focused) m_focused = m_root.FirstChild();
        }
        if (m_focused) m_focused->ModifyState(CGfxObject::StateFocused | (m_cues ? CGfxObject::StateFocusCue : 0), 0);
        break;
    case WM_KILLFOCUS:
        if (m_focused) {
            m_cues = false;
            m_focused->ModifyState(0, CGfxObject::StateFocused | CGfxObject::StateFocusCue);
        }
        break;
    case WM_KEYDOWN:
        m_cues = true;
        if (wParam == VK_LEFT || wParam == VK_UP)
            MoveFocus(true);
        else if (wParam == VK_RIGHT || wParam == VK_DOWN)
            MoveFocus(false);
        break;
    default:
        break;
    }
    return handled;
}

void CTWndList::MoveFocus(bool previous)
{
    m_cues = true;
    if (!m_focused) return;
    CGfxObject* next = previous ? m_focused->Prev() : m_focused->Next();
    if (!next) return;
    bool hadFocus = m_focused->HasState(CGfxObject::StateFocused);
    m_focused->ModifyState(0, CGfxObject::StateSelected | CGfxObject::StateFocused | CGfxObject::StateFocusCue);
    m_focused = next;
    next->ModifyState(CGfxObject::StateSelected | CGfxObject::StateFocusCue | (hadFocus ? CGfxObject::StateFocused : 0), 0);
    if (CGfxItem* row = AsRow(next)) OnSelectionChanged(row->m_key);
}

void CTWndList::OnRootLButtonDown(int x, int y)
{
    ::SetFocus(m_hWnd);
    if (m_cues) {
        m_cues = false;
        if (m_focused) m_focused->ModifyState(0, CGfxObject::StateFocusCue);
    }
    CGfxObject* target = m_root.HitTestDeep(x, y);
    if (!target) return;
    const DWORD selFocus = CGfxObject::StateSelected | CGfxObject::StateFocused | CGfxObject::StateFocusCue;
    if (target->IsSelectable()) {
        bool hadFocus = m_focused && m_focused->HasState(CGfxObject::StateFocused);
        if (target != m_focused) {
            if (m_focused) m_focused->ModifyState(0, selFocus);
            m_focused = target;
        }
        for (CGfxObject* child = m_root.FirstChild(); child; child = child->Next())
            if (child != target) child->ModifyState(0, CGfxObject::StateSelected);
        target->ModifyState(CGfxObject::StateSelected | (hadFocus ? CGfxObject::StateFocused : 0), 0);
        m_pendingClick = true;
    }
    if (target->IsPressable()) {
        if (target == m_focused) {
            target->ModifyState(CGfxObject::StatePressed, 0);
        } else {
            bool hadFocus = m_focused && m_focused->HasState(CGfxObject::StateFocused);
            if (m_focused) m_focused->ModifyState(0, CGfxObject::StateFocused | CGfxObject::StateFocusCue);
            m_focused = target;
            target->ModifyState(CGfxObject::StatePressed | (hadFocus ? CGfxObject::StateFocused : 0), 0);
        }
    }
}

void CTWndList::OnRootLButtonUp(int x, int y)
{
    if (!m_pendingClick) return;
    m_pendingClick = false;
    CGfxObject* focused = m_focused;
    if (!focused) return;
    if (focused->HasState(CGfxObject::StatePressed) || m_cues) {
        focused->ModifyState(0, CGfxObject::StatePressed);
        if (m_root.HitTestDeep(x, y) == focused) focused->OnClick();
    }
    if (m_focused == focused && focused->HasState(CGfxObject::StateSelected) && m_root.HitTestDeep(x, y) == focused) {
        focused->OnActivate(0);
        if (CGfxItem* row = AsRow(focused)) {
            m_selectedKey = row->m_key;
            OnSelectionChanged(row->m_key);
        }
    }
}

void CTWndList::OnCaptureChanged(HWND newOwner)
{
    if (m_focused) {
        m_focused->ModifyState(0, CGfxObject::StatePressed);
        if (m_pendingClick && newOwner != m_hWnd && m_focused->HasState(CGfxObject::StateSelected)) {
            m_focused->ModifyState(0, CGfxObject::StateSelected);
            m_pendingClick = false;
        }
    }
    CTWndGfx::OnCaptureChanged(newOwner);
}

unsigned __int64 CTWndList::DragOver(bool over, POINT* screenPoint)
{
    if (over) {
        POINT pt = *screenPoint;
        ScreenToClient(m_hWnd, &pt);
        CGfxItem* row = AsRow(m_root.HitTestDrop(pt.x, pt.y));
        if (row) {
            if (m_dropRow && m_dropRow != row) m_dropRow->ModifyState(0, CGfxObject::StateDropTarget);
            m_dropRow = row;
            m_dropKey = row->m_key;
        } else {
            m_dropKey = 0;
            if (m_dropRow) m_dropRow->ModifyState(0, CGfxObject::StateDropTarget);
            m_dropRow = nullptr;
        }
        return m_dropKey;
    }
    if (!m_dropKey) return 0;
    InvalidateRect(m_hWnd, &m_root.m_bounds, TRUE);
    unsigned __int64 key = m_dropKey;
    m_dropKey = 0;
    if (m_dropRow) m_dropRow->ModifyState(0, CGfxObject::StateDropTarget);
    m_dropRow = nullptr;
    return key;
}
