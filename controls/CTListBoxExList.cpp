#include "controls/CTListBoxEx.h"

#include <windowsx.h>

#include "foundation/TiXmlDocument.h"
#include "framework/CTMenu.h"
#include "framework/CTREngine.h"
#include "framework/PopupMenuDriver.h"

// The inner list of CTListBoxEx: items, in-place editing, browsing, keys, sorting, type-ahead
// search, painting, drag and drop, the context menu and mark-up items.

namespace {

constexpr UINT_PTR kSearchTimer = 1;
constexpr UINT kSearchMillis = 2000;

ScreenDpi& Dpi()
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    if (!dpi.loaded) dpi.Load();
    return dpi;
}

int SX(int value) { return MulDiv(value, Dpi().x, 96); }
int SY(int value) { return MulDiv(value, Dpi().y, 96); }

const wchar_t* Text(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

bool AllDecimalDigits(const CTString& s)
{
    if (s.IsEmpty()) return false;
    for (unsigned i = 0; i < s.GetLength(); ++i)
        if (s.GetBuffer()[i] < L'0' || s.GetBuffer()[i] > L'9') return false;
    return true;
}

// Two digit strings compared as the numbers they spell, of any length.
int CompareDigits(const wchar_t* a, const wchar_t* b)
{
    while (*a == L'0' && a[1]) ++a;
    while (*b == L'0' && b[1]) ++b;
    size_t la = wcslen(a), lb = wcslen(b);
    if (la != lb) return la < lb ? -1 : 1;
    int c = wcscmp(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool CtrlDown() { return GetKeyState(VK_CONTROL) < 0; }

}  // namespace

CTListBoxEx::CListBox::CListBox()
{
    m_edit.m_list = this;
    m_button.m_list = this;
}

CTListBoxEx::CListBox::~CListBox()
{
    m_ending = true;
    m_edit.Destroy();
    m_button.Destroy();
    if (m_markBrush) DeleteObject(m_markBrush);
    m_markBrush = nullptr;
}

// ---- items ----

int CTListBoxEx::CListBox::GetCount()
{
    if (!m_hWnd) return 0;
    LRESULT n = ::SendMessageW(m_hWnd, LB_GETCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<int>(n);
}

int CTListBoxEx::CListBox::GetSelection()
{
    if (!m_hWnd) return -1;
    LRESULT n = ::SendMessageW(m_hWnd, LB_GETCURSEL, 0, 0);
    return n == LB_ERR ? -1 : static_cast<int>(n);
}

CTListBoxEx::CData* CTListBoxEx::CListBox::GetData(int index)
{
    if (!m_hWnd || index < 0 || index >= GetCount()) return nullptr;
    LRESULT data = ::SendMessageW(m_hWnd, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<CData*>(data);
}

LRESULT CTListBoxEx::CListBox::NotifyData(CTListBoxExNotify& record)
{
    if (!m_owner || !m_owner->m_hWnd) return 0;
    HWND parent = GetParent(m_owner->m_hWnd);
    if (!parent) return 0;
    record.hdr.hwndFrom = m_owner->m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
    return ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&record));
}

LRESULT CTListBoxEx::CListBox::Notify(UINT code, int index, const CData* data, CTListBoxExNotify* record)
{
    CTListBoxExNotify local;
    CTListBoxExNotify& r = record ? *record : local;
    r.hdr.code = code;
    r.index = index;
    if (data) {
        r.text.Assign(data->text);
        r.icon = data->icon;
        r.value = data->value;
    }
    return NotifyData(r);
}

void CTListBoxEx::CListBox::SelectAndNotify(int index)
{
    ::SendMessageW(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    int sel = GetSelection();
    Notify(NotifySelChange, sel, GetData(sel));
}

int CTListBoxEx::CListBox::AddItem(const wchar_t* text, HICON icon, __int64 value, int after)
{
    if (!m_hWnd) return -1;
    CTListBoxExNotify record;
    record.hdr.code = NotifyAdding;
    record.index = -1;
    record.text.AssignText(text ? text : L"");
    record.icon = icon;
    record.value = value;
    if (NotifyData(record) != 0) return -1;

    auto* data = new CData();
    data->text.AssignText(text ? text : L"");
    data->icon = icon;
    data->value = value;
    m_items.AddTail(data);
    LRESULT index;
    if (after >= 0 && after < GetCount())
        index = ::SendMessageW(m_hWnd, LB_INSERTSTRING, after + 1, reinterpret_cast<LPARAM>(data));
    else
        index = ::SendMessageW(m_hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        m_items.Delete(data);
        return -1;
    }
    if (GetSelection() < 0) ::SendMessageW(m_hWnd, LB_SETCURSEL, index, 0);
    Notify(NotifyAdded, static_cast<int>(index), data);
    return static_cast<int>(index);
}

bool CTListBoxEx::CListBox::DeleteItem(int index)
{
    if (!m_hWnd) return false;
    CData* data = GetData(index);
    if (index == -1) {
        Notify(NotifyDeleting, -1, nullptr);
        return false;
    }
    if (!data) return false;
    if (Notify(NotifyDeleting, index, data) != 0) return false;
    EndEdit();
    // Ending the edit may have removed a rejected new item or moved indices.
    index = -1;
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (GetData(i) == data) index = i;
    if (index < 0) return true;
    ::SendMessageW(m_hWnd, LB_DELETESTRING, index, 0);
    m_hotIndex = -1;
    int count = GetCount();
    int select = index <= 1 ? 0 : index - 1;
    SelectAndNotify(count > 0 ? select : -1);
    return true;
}

void CTListBoxEx::CListBox::OnDeleteItem(const DELETEITEMSTRUCT* dis)
{
    auto* data = reinterpret_cast<CData*>(dis->itemData);
    if (!data || !m_items.Contains(data)) return;
    if (!m_moving && m_notifications) Notify(NotifyDeleted, static_cast<int>(dis->itemID), data);
    m_items.Delete(data);
}

void CTListBoxEx::CListBox::RedrawItem(int index, UINT flags)
{
    if (index < 0 || !m_hWnd) return;
    CData* data = GetData(index);
    if (data) data->drawState = -1;
    RECT rc = {};
    if (::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) == LB_ERR) return;
    RedrawWindow(m_hWnd, &rc, nullptr, flags);
}

// ---- the user's actions ----

void CTListBoxEx::CListBox::Add()
{
    if (!(m_flags & FlagAdd)) return;
    if (m_flags & FlagPostAddDelete) {
        m_owner->PostCommand(CommandAdd);
        return;
    }
    if ((m_flags & FlagBrowse) && !(m_flags & FlagEdit)) {
        Browse();
        return;
    }
    if (EditOpen()) return;
    int index = AddItem(L"", nullptr, 0, -1);
    if (index < 0) return;
    SelectAndNotify(index);
    if (m_flags & FlagEdit) {
        m_newItem = true;
        StartEdit(0);
    }
}

void CTListBoxEx::CListBox::DeleteSelected()
{
    if (!(m_flags & FlagDelete)) return;
    if (m_flags & FlagPostAddDelete) {
        m_owner->PostCommand(CommandDelete);
        return;
    }
    DeleteItem(GetSelection());
}

bool CTListBoxEx::CListBox::Move(int from, int to)
{
    int count = GetCount();
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return false;
    CTListBoxExMoveNotify move;
    move.hdr.hwndFrom = m_owner->m_hWnd;
    move.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
    move.hdr.code = NotifyMoving;
    move.from = from;
    move.to = to;
    HWND parent = GetParent(m_owner->m_hWnd);
    if (parent && ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&move)))
        return false;
    CData* data = GetData(from);
    EndEdit();
    // The edit may have removed a rejected new item: find the item again.
    from = -1;
    count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetData(i) == data) from = i;
    if (from < 0 || to >= count) return false;

    auto* copy = new CData();
    copy->text.Assign(data->text);
    copy->icon = data->icon;
    copy->value = data->value;
    m_moving = true;
    ::SendMessageW(m_hWnd, LB_DELETESTRING, from, 0);
    m_moving = false;
    m_items.AddTail(copy);
    LRESULT at = ::SendMessageW(m_hWnd, LB_INSERTSTRING, to, reinterpret_cast<LPARAM>(copy));
    if (at == LB_ERR || at == LB_ERRSPACE) {
        m_items.Delete(copy);
        return false;
    }
    m_hotIndex = -1;
    Notify(NotifyMoved, static_cast<int>(at), copy);
    SelectAndNotify(static_cast<int>(at));
    return true;
}

void CTListBoxEx::CListBox::PlaceEditor()
{
    if (!EditOpen()) return;
    RECT rc = {};
    if (::SendMessageW(m_hWnd, LB_GETITEMRECT, m_editIndex, reinterpret_cast<LPARAM>(&rc)) == LB_ERR) return;
    if (m_button.m_hWnd) {
        MoveWindow(m_edit.m_hWnd, rc.left, rc.top, rc.right - 17 - rc.left, rc.bottom - rc.top, TRUE);
        MoveWindow(m_button.m_hWnd, rc.right - 16, rc.top, 16, rc.bottom - rc.top, TRUE);
    } else {
        MoveWindow(m_edit.m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    }
}

void CTListBoxEx::CListBox::OnResize(int)
{
    PlaceEditor();
}

void CTListBoxEx::CListBox::StartEdit(wchar_t typed)
{
    if (EditOpen()) return;
    if (!(m_flags & FlagEdit)) {
        if (m_flags & FlagBrowse) Browse();
        return;
    }
    int index = GetSelection();
    if (index < 0) {
        index = AddItem(L"", nullptr, 0, -1);
        if (index < 0) return;
        ::SendMessageW(m_hWnd, LB_SETCURSEL, index, 0);
        m_newItem = true;
    }
    CData* data = GetData(index);
    if (!data) return;
    ::SendMessageW(m_hWnd, LB_SETTOPINDEX, index, 0);
    m_editIndex = index;
    m_editCommit = true;
    RECT zero = {0, 0, 0, 0};
    if (!m_edit.CreateChild(L"EDIT", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, zero, m_hWnd, 1))
        return;
    m_edit.SetFont(CTREngine::Instance()->m_menuFont, false);
    m_edit.Subclass(true);
    if (m_flags & FlagBrowse) {
        if (m_button.CreateChild(L"BUTTON", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | BS_NOTIFY, zero, m_hWnd, 2)) {
            m_button.SetWindowText(L"...");
            m_button.SetFont(CTREngine::Instance()->m_menuFont, false);
            m_button.Subclass(true);
        }
    }
    PlaceEditor();
    CTString text(data->text);
    if (typed) text.AppendChar(typed);
    m_edit.SetWindowText(Text(text));
    m_edit.SetFocus();
    if (typed)
        ::SendMessageW(m_edit.m_hWnd, EM_SETSEL, text.GetLength(), text.GetLength());
    else
        ::SendMessageW(m_edit.m_hWnd, EM_SETSEL, 0, -1);
}

void CTListBoxEx::CListBox::EndEdit()
{
    if (!EditOpen() || m_ending) return;
    m_ending = true;
    HWND focus = GetFocus();
    bool hadFocus = focus && (focus == m_edit.m_hWnd || focus == m_button.m_hWnd);
    CData* data = GetData(m_editIndex);
    int index = m_editIndex;
    if (data) {
        CTString typed;
        GetWindowTextString(m_edit.m_hWnd, typed);
        CTString oldText(data->text);
        HICON oldIcon = data->icon;
        __int64 oldValue = data->value;
        data->text.Assign(typed);
        m_editCommit = false;
        CTListBoxExNotify record;
        LRESULT answer = Notify(NotifyEditEnd, index, data, &record);
        // The parent's answer may have changed the list: look the item up again.
        index = -1;
        for (int i = 0, n = GetCount(); i < n; ++i)
            if (GetData(i) == data) index = i;
        if (index >= 0) {
            if (answer == 1) {
                data->text.Assign(record.text);
                data->icon = record.icon;
                data->value = record.value;
            } else if (m_newItem) {
                ::SendMessageW(m_hWnd, LB_DELETESTRING, index, 0);
                index = -1;
            } else {
                data->text.Assign(oldText);
                data->icon = oldIcon;
                data->value = oldValue;
            }
        }
    }
    m_edit.Destroy();
    m_button.Destroy();
    m_newItem = false;
    m_editIndex = -1;
    m_editCommit = true;
    if (index >= 0) RedrawItem(index, RDW_INVALIDATE);
    if (hadFocus && m_hWnd) ::SetFocus(m_hWnd);
    m_ending = false;
}

void CTListBoxEx::CListBox::CancelEdit()
{
    if (!EditOpen() || m_ending) return;
    m_ending = true;
    int index = m_editIndex;
    bool wasNew = m_newItem;
    m_edit.Destroy();
    m_button.Destroy();
    m_newItem = false;
    m_editIndex = -1;
    if (wasNew && index >= 0 && index < GetCount()) {
        ::SendMessageW(m_hWnd, LB_DELETESTRING, index, 0);
        int count = GetCount();
        int select = index > 0 ? index - 1 : 0;
        ::SendMessageW(m_hWnd, LB_SETCURSEL, count > 0 ? select : -1, 0);
    } else if (index >= 0) {
        RedrawItem(index, RDW_INVALIDATE);
    }
    if (m_hWnd) ::SetFocus(m_hWnd);
    m_ending = false;
}

void CTListBoxEx::CListBox::Browse()
{
    int index = GetSelection();
    CData* data = GetData(index);
    if (!data) {
        if (!((m_flags & FlagAdd) && (m_flags & FlagBrowse))) return;
        CTListBoxExNotify record;
        m_browsing = true;
        LRESULT answer = Notify(NotifyBrowse, -1, nullptr, &record);
        m_browsing = false;
        if (answer == 1) {
            int added = AddItem(Text(record.text), record.icon, record.value, record.index);
            if (added >= 0) {
                ::SendMessageW(m_hWnd, LB_SETCURSEL, added, 0);
                ::SetFocus(m_hWnd);
                Notify(NotifySelChange, added, GetData(added));
            }
        }
        return;
    }
    CTListBoxExNotify record;
    record.hdr.code = NotifyBrowse;
    record.index = index;
    record.icon = data->icon;
    record.value = data->value;
    if (EditOpen())
        GetWindowTextString(m_edit.m_hWnd, record.text);
    else
        record.text.Assign(data->text);
    m_browsing = true;
    LRESULT answer = NotifyData(record);
    m_browsing = false;
    if (answer == 1 && GetData(index) == data) {
        data->icon = record.icon;
        data->value = record.value;
        if (EditOpen()) {
            m_edit.SetWindowText(Text(record.text));
            ::SendMessageW(m_edit.m_hWnd, EM_SETSEL, 0, -1);
            EndEdit();
        } else {
            data->text.Assign(record.text);
            RedrawItem(index, RDW_INVALIDATE);
            SelectAndNotify(index);
        }
    }
    if (EditOpen())
        m_edit.SetFocus();
    else
        ::SetFocus(m_hWnd);
}

void CTListBoxEx::CListBox::StartSearch()
{
    m_searchMode = true;
    m_search.Empty();
    SetTimer(m_hWnd, kSearchTimer, kSearchMillis, nullptr);
}

void CTListBoxEx::CListBox::EndSearch()
{
    m_searchMode = false;
    m_search.Empty();
    KillTimer(m_hWnd, kSearchTimer);
}

// ---- sorting and measuring ----

int CTListBoxEx::CListBox::CompareItems(const COMPAREITEMSTRUCT* cis)
{
    auto* a = reinterpret_cast<CData*>(cis->itemData1);
    auto* b = reinterpret_cast<CData*>(cis->itemData2);
    if (!a || !b) return 0;
    if (m_compare) {
        int c = m_compare(m_context, a->value, b->value);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    bool emptyA = a->text.IsEmpty(), emptyB = b->text.IsEmpty();
    if (emptyA || emptyB) return emptyA == emptyB ? 0 : (emptyA ? 1 : -1);
    if (AllDecimalDigits(a->text) && AllDecimalDigits(b->text)) return CompareDigits(Text(a->text), Text(b->text));
    int c = lstrcmpiW(Text(a->text), Text(b->text));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void CTListBoxEx::CListBox::MeasureItem(MEASUREITEMSTRUCT* mis)
{
    // Text heights come from the font and are already in pixels; mark-up heights are designed at 96 DPI.
    int height = (m_flags & FlagMarkup) ? SY(m_itemHeight + 2) : m_itemHeight + SY(2);
    if (m_flags & FlagSeparator) height += SY(2);
    mis->itemHeight = static_cast<UINT>(height);
}

// ---- painting ----

int CTListBoxEx::CListBox::ItemState(int, bool selected, bool focused)
{
    int state = selected ? StateSelected : 0;
    if (focused && !((m_flags & FlagSelectionAfterKey) && !m_keyUsed)) state |= StateFocused;
    return state;
}

CTListBoxEx::CData* CTListBoxEx::CListBox::PrepareMarkup(int index, HDC dc, const RECT& rc, int state)
{
    CData* data = GetData(index);
    if (!data || !(m_flags & FlagMarkup)) return nullptr;
    CDraw::GDI* gdi = &CTREngine::Instance()->m_fontCache;
    if (state != data->drawState && m_markup) {
        CTString markup(data->text);
        m_markup(m_context, data->value, state, markup);
        data->doc.LoadText(Text(markup), gdi);
        data->drawState = state;
        data->doc.Layout(dc, &rc);
        data->doc.OnMouseMove(nullptr, m_mouseX, m_mouseY);
    } else if (data->doc.gdi) {
        data->doc.Layout(dc, &rc);
    }
    return data;
}

CTListBoxEx::CData* CTListBoxEx::CListBox::PrepareMarkupAt(int index)
{
    RECT rc = {};
    if (index < 0 || ::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) == LB_ERR)
        return nullptr;
    if (m_flags & FlagSeparator) rc.bottom -= SY(2);
    if (GetData(index) && GetData(index)->icon) rc.left += SX(19);
    bool selected = GetSelection() == index;
    bool focused = selected && GetFocus() == m_hWnd;
    HDC dc = GetDC(m_hWnd);
    CData* data = PrepareMarkup(index, dc, rc, ItemState(index, selected, focused));
    ReleaseDC(m_hWnd, dc);
    return data;
}

void CTListBoxEx::CListBox::DrawItem(const DRAWITEMSTRUCT* dis)
{
    if (!(dis->itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ODA_FOCUS))) return;
    CTREngine* engine = CTREngine::Instance();
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    if (static_cast<int>(dis->itemID) == -1) {
        RECT focus = rc;
        focus.bottom = focus.top + SY(m_itemHeight + 2);
        if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &focus);
        return;
    }
    int saved = SaveDC(dc);
    if (m_flags & FlagSeparator) {
        RECT line = rc;
        line.top = line.bottom - SY(2);
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
        rc.bottom = line.top;
    }
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    bool listFocus = GetFocus() == m_hWnd;
    bool plain = (m_flags & FlagNoSelection) || ((m_flags & FlagSelectionAfterKey) && !m_keyUsed) || !selected;
    COLORREF textColour = engine->SysColor(IsWindowEnabled(m_hWnd) ? COLOR_MENUTEXT : COLOR_GRAYTEXT);
    if (plain) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
    } else if (listFocus) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_HIGHLIGHT));
        textColour = engine->SysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    }
    CData* data = reinterpret_cast<CData*>(dis->itemData);
    if (data && data->icon) {
        int size = SX(16);
        DrawIconEx(dc, rc.left + 1, rc.top + (rc.bottom - rc.top - SY(16)) / 2, data->icon, size, SY(16), 0, nullptr,
                   DI_NORMAL);
        rc.left += SX(19);
    }
    if (data && (m_flags & FlagMarkup)) {
        bool focused = (dis->itemState & ODS_FOCUS) || (selected && listFocus);
        PrepareMarkup(static_cast<int>(dis->itemID), dc, rc, ItemState(static_cast<int>(dis->itemID), selected, focused));
        if (data->doc.gdi) {
            IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
            data->doc.Paint(dc, &rc);
        }
    } else if (data) {
        SetTextColor(dc, textColour);
        SetBkMode(dc, TRANSPARENT);
        if (engine->m_menuFont) SelectObject(dc, engine->m_menuFont);
        RECT text = rc;
        DrawTextW(dc, Text(data->text), -1, &text, DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    }
    RestoreDC(dc, saved);
    if (!plain && listFocus && (dis->itemState & ODS_FOCUS)) {
        RECT focus = dis->rcItem;
        if (m_flags & FlagSeparator) focus.bottom -= SY(2);
        DrawFocusRect(dc, &focus);
    }
    if (EditOpen() && static_cast<int>(dis->itemID) == m_editIndex)
        RedrawWindow(m_edit.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CTListBoxEx::CListBox::PaintEmpty(HDC dc)
{
    CTREngine* engine = CTREngine::Instance();
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
    int saved = SaveDC(dc);
    if (engine->m_menuFont) SelectObject(dc, engine->m_menuFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, engine->SysColor(IsWindowEnabled(m_hWnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    RECT text = rc;
    text.top += SY(10);
    RECT measured = text;
    DrawTextW(dc, Text(m_emptyText), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    int width = measured.right - measured.left;
    measured.left = rc.left + (rc.right - rc.left - width) / 2;
    measured.right = measured.left + width;
    DrawTextW(dc, Text(m_emptyText), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    if (GetFocus() == m_hWnd) {
        InflateRect(&measured, SX(2), SY(2));
        DrawFocusRect(dc, &measured);
    }
    RestoreDC(dc, saved);
}

// ---- drag and drop ----

void CTListBoxEx::CListBox::DrawInsertMark(int index)
{
    int count = GetCount();
    if (index < 0 || index > count || count == 0) return;
    RECT item = {};
    int y;
    if (index < count) {
        ::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        y = item.top;
    } else {
        ::SendMessageW(m_hWnd, LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&item));
        y = item.bottom;
    }
    if (!m_markBrush) {
        WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
        HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
        m_markBrush = CreatePatternBrush(pattern);
        DeleteObject(pattern);
    }
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    HDC dc = GetDC(m_hWnd);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, m_markBrush);
    int left = client.left + 5, right = client.right - 5;
    PatBlt(dc, left, y - 2, right - left, 4, PATINVERT);
    PatBlt(dc, left - 3, y - 6, 3, 12, PATINVERT);
    PatBlt(dc, right, y - 6, 3, 12, PATINVERT);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
}

void CTListBoxEx::CListBox::SetDropTarget(int index)
{
    if (index == m_dropTarget) return;
    if (m_dropTarget >= 0) DrawInsertMark(m_dropTarget);
    m_dropTarget = index;
    if (m_dropTarget >= 0) DrawInsertMark(m_dropTarget);
}

LRESULT CTListBoxEx::CListBox::OnDragList(DRAGLISTINFO* info)
{
    if (!info || !m_hWnd) return 0;
    switch (info->uNotification) {
    case DL_BEGINDRAG:
        m_dropTarget = -1;
        SetDropTarget(LBItemFromPt(m_hWnd, info->ptCursor, FALSE));
        return TRUE;
    case DL_DRAGGING: {
        int hovered = LBItemFromPt(m_hWnd, info->ptCursor, FALSE);
        int mark = hovered;
        if (hovered >= 0 && hovered > GetSelection()) mark = hovered + 1;
        SetDropTarget(mark);
        LBItemFromPt(m_hWnd, info->ptCursor, TRUE);
        return hovered < 0 ? DL_STOPCURSOR : DL_MOVECURSOR;
    }
    case DL_DROPPED: {
        SetDropTarget(-1);
        int target = LBItemFromPt(m_hWnd, info->ptCursor, TRUE);
        int sel = GetSelection();
        if (sel >= 0 && target >= 0 && target != sel) Move(sel, target);
        return 0;
    }
    case DL_CANCELDRAG:
        SetDropTarget(-1);
        return 0;
    }
    return 0;
}

// ---- context menu ----

void CTListBoxEx::CListBox::ShowContextMenu(int x, int y)
{
    if (!m_toolbar || !m_toolbar->m_hWnd || !m_owner || !IsWindowEnabled(m_owner->m_hWnd)) return;
    HWND toolbar = m_toolbar->m_hWnd;
    POINT pt = {x, y};
    if (x == -1 && y == -1) {
        int sel = GetSelection();
        RECT rc = {};
        if (sel >= 0) ::SendMessageW(m_hWnd, LB_GETITEMRECT, sel, reinterpret_cast<LPARAM>(&rc));
        int half = (rc.bottom - rc.top) / 2;
        pt.x = rc.left + half;
        pt.y = rc.top + half;
        ClientToScreen(m_hWnd, &pt);
    } else {
        POINT client = pt;
        ScreenToClient(m_hWnd, &client);
        int index = ItemFromPoint(client.x, client.y);
        if (index >= 0) {
            EndEdit();
            SelectAndNotify(index);
        }
    }

    CTMenu menu;
    if (!menu.CreatePopup()) return;
    HWND parent = GetParent(m_owner->m_hWnd);
    int count = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
        if (button.fsStyle & BTNS_SEP) {
            AppendMenuW(menu.m_menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        wchar_t text[260] = {};
        TBBUTTONINFOW info = {sizeof(info)};
        info.dwMask = TBIF_TEXT;
        info.pszText = text;
        info.cchText = 259;
        ::SendMessageW(toolbar, TB_GETBUTTONINFOW, button.idCommand, reinterpret_cast<LPARAM>(&info));
        bool enabled = (button.fsState & TBSTATE_ENABLED) != 0;
        UINT flags = MF_STRING;
        if ((button.fsStyle & BTNS_CHECK) && (button.fsState & TBSTATE_CHECKED)) flags |= MF_CHECKED;
        if (button.fsStyle & BTNS_DROPDOWN) {
            HMENU sub = nullptr;
            if (enabled && parent) {
                CTListBoxExMenuNotify request;
                request.hdr.hwndFrom = m_owner->m_hWnd;
                request.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
                request.hdr.code = NotifyMenuSubMenu;
                request.command = button.idCommand;
                sub = reinterpret_cast<HMENU>(
                    ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&request)));
                if (sub && !IsMenu(sub)) sub = nullptr;
            }
            if (!sub) sub = CreatePopupMenu();
            AppendMenuW(menu.m_menu, MF_POPUP | flags, reinterpret_cast<UINT_PTR>(sub), text);
        } else {
            AppendMenuW(menu.m_menu, flags, static_cast<UINT_PTR>(button.idCommand), text);
        }
        if (!enabled) EnableMenuItem(menu.m_menu, static_cast<UINT>(GetMenuItemCount(menu.m_menu) - 1), MF_BYPOSITION | MF_GRAYED);
    }

    HIMAGELIST copy = nullptr;
    if (auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0))) {
        copy = ImageList_Duplicate(images);
        if (copy) ImageList_SetBkColor(copy, CLR_NONE);
    }
    menu.SetImagesFromToolbar(toolbar);
    if (copy) menu.SetImageList(copy);
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (!::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
        if (!(button.fsStyle & BTNS_CHECK)) continue;
        int image = button.iBitmap == CTWndToolbar::kRadioGlyph ? m_toolbar->GetCheckGlyph(button.fsState) : -1;
        menu.SetItemImageByCommand(static_cast<UINT>(button.idCommand), image);
    }
    int items = GetMenuItemCount(menu.m_menu);
    for (int i = 0; i < items && parent; ++i) {
        HMENU sub = GetSubMenu(menu.m_menu, i);
        if (!sub) continue;
        int subCount = GetMenuItemCount(sub);
        for (int j = 0; j < subCount; ++j) {
            UINT command = GetMenuItemID(sub, j);
            if (command == static_cast<UINT>(-1)) continue;
            CTListBoxExMenuNotify request;
            request.hdr.hwndFrom = m_owner->m_hWnd;
            request.hdr.idFrom = static_cast<UINT_PTR>(m_controlId);
            request.hdr.code = NotifyMenuIcon;
            request.command = static_cast<int>(command);
            auto icon = reinterpret_cast<HICON>(
                ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_controlId), reinterpret_cast<LPARAM>(&request)));
            if (icon && copy) {
                int index = ImageList_ReplaceIcon(copy, -1, icon);
                if (index >= 0) menu.SetItemImage(sub, static_cast<UINT>(j), true, index);
            }
        }
    }
    menu.MakeOwnerDrawn();

    UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, m_hWnd);
    menu.Destroy();  // the sub-menus go with it
    if (copy) ImageList_Destroy(copy);

    if (command) {
        TBBUTTON button = {};
        LRESULT index = ::SendMessageW(toolbar, TB_COMMANDTOINDEX, command, 0);
        if (index >= 0 && ::SendMessageW(toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)) &&
            (button.fsStyle & BTNS_CHECK)) {
            if (button.fsStyle & BTNS_GROUP)
                ::SendMessageW(toolbar, TB_CHECKBUTTON, command, TRUE);
            else
                ::SendMessageW(toolbar, TB_SETSTATE, command, MAKELPARAM(button.fsState ^ TBSTATE_CHECKED, 0));
        }
    }
    ::SendMessageW(m_owner->m_hWnd, WM_COMMAND, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(toolbar));
}

// ---- mark-up items ----

int CTListBoxEx::CListBox::ItemFromPoint(int x, int y)
{
    LRESULT hit = ::SendMessageW(m_hWnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    return (HIWORD(hit) || static_cast<int>(LOWORD(hit)) >= GetCount()) ? -1 : static_cast<int>(LOWORD(hit));
}

void CTListBoxEx::CListBox::InvalidateItem(int index)
{
    RECT rc = {};
    if (::SendMessageW(m_hWnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc)) != LB_ERR)
        InvalidateRect(m_hWnd, &rc, FALSE);
}

void CTListBoxEx::CListBox::NotifyClick(UINT code, int index, __int64 click)
{
    if (click <= 0) return;
    CTListBoxExNotify record;
    record.hdr.code = code;
    record.index = index;
    record.value = click;
    NotifyData(record);
}

void CTListBoxEx::CListBox::ClearHotExcept(int index)
{
    int count = GetCount();
    for (int i = 0; i < count; ++i) {
        if (i == index) continue;
        CData* data = GetData(i);
        if (data && data->doc.ClearHot(nullptr)) InvalidateItem(i);
    }
}

void CTListBoxEx::CListBox::OnMarkupButtonDown(int x, int y)
{
    EndEdit();
    int index = ItemFromPoint(x, y);
    if (index < 0) return;
    ::SetFocus(m_hWnd);
    SelectAndNotify(index);
    CData* data = PrepareMarkupAt(index);
    if (!data || !data->doc.gdi) return;
    if (data->doc.OnClick(nullptr, x, y)) InvalidateItem(index);
    NotifyClick(NotifyMarkupDown, index, data->doc.GetClickId(x, y));
}

void CTListBoxEx::CListBox::OnMarkupButtonUp(int x, int y)
{
    int index = ItemFromPoint(x, y);
    CData* data = PrepareMarkupAt(index);
    if (!data || !data->doc.gdi) return;
    NotifyClick(NotifyMarkupUp, index, data->doc.GetClickId(x, y));
    if (GetData(index) != data) return;  // the parent changed the list
    if (data->doc.OnMouseMove(nullptr, x, y)) InvalidateItem(index);
}

void CTListBoxEx::CListBox::OnMarkupMouseMove(int x, int y)
{
    if (x == m_mouseX && y == m_mouseY) return;
    m_mouseX = x;
    m_mouseY = y;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    POINT screen = {x, y};
    ClientToScreen(m_hWnd, &screen);
    POINT pt = {x, y};
    bool inside = PtInRect(&client, pt) && WindowFromPoint(screen) == m_hWnd;
    if (GetCapture() == m_hWnd) {
        if (!inside) {
            ReleaseCapture();
            ClearHotExcept(-1);
            m_hotIndex = -1;
            return;
        }
    } else if (inside) {
        SetCapture(m_hWnd);
    }
    int index = ItemFromPoint(x, y);
    if (index != m_hotIndex) ClearHotExcept(index);
    m_hotIndex = index;
    if (index < 0) return;
    CData* data = PrepareMarkupAt(index);
    if (data && data->doc.OnMouseMove(nullptr, x, y)) InvalidateItem(index);
}

// ---- messages ----

bool CTListBoxEx::CListBox::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    HWND from = reinterpret_cast<HWND>(lParam);
    if (from && from == m_button.m_hWnd && HIWORD(wParam) == BN_CLICKED) {
        Browse();
        return true;
    }
    return false;
}

bool CTListBoxEx::CListBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_KEYDOWN: {
        bool first = !m_keyUsed;
        m_keyUsed = true;
        if (first && (m_flags & FlagSelectionAfterKey)) RedrawItem(GetSelection(), RDW_INVALIDATE);
        bool ctrl = CtrlDown();
        switch (wParam) {
        case VK_INSERT:
            Add();
            return true;
        case VK_DELETE:
        case VK_BACK:
            if (!EditOpen()) DeleteSelected();
            return true;
        case VK_UP:
        case VK_LEFT:
        case VK_DOWN:
        case VK_RIGHT:
            if (ctrl && (m_flags & FlagReorder)) {
                int sel = GetSelection();
                if (sel >= 0) Move(sel, (wParam == VK_UP || wParam == VK_LEFT) ? sel - 1 : sel + 1);
                return true;
            }
            return false;
        case VK_F3:
            if ((m_flags & FlagSorted) && !EditOpen()) StartSearch();
            return true;
        case 'F':
            if (ctrl && (m_flags & FlagSorted) && !EditOpen()) {
                StartSearch();
                return true;
            }
            return false;
        case VK_ESCAPE:
            if (m_flags & FlagPostEscape) m_owner->PostCommand(CommandEscape);
            return true;
        }
        return false;
    }
    case WM_CHAR: {
        wchar_t ch = static_cast<wchar_t>(wParam);
        if (EditOpen()) {
            // Tab, Enter and Escape handed on by the edit box or the button.
            if (ch == VK_TAB) {
                if (m_button.m_hWnd) {
                    if (GetFocus() == m_edit.m_hWnd) m_button.SetFocus();
                    else m_edit.SetFocus();
                }
                return true;
            }
            if (ch == VK_RETURN) {
                EndEdit();
                ::SetFocus(m_hWnd);
                return true;
            }
            if (ch == VK_ESCAPE) {
                CancelEdit();
                return true;
            }
            return true;
        }
        if (m_searchMode) {
            if (ch >= 32 && ch < 128) {
                m_search.AppendChar(ch);
                int found = -1;
                for (int i = 0, n = GetCount(); i < n && found < 0; ++i) {
                    CData* data = GetData(i);
                    if (data && lstrcmpiW(Text(data->text), Text(m_search)) >= 0) found = i;
                }
                SelectAndNotify(found);
                SetTimer(m_hWnd, kSearchTimer, kSearchMillis, nullptr);
            }
            return true;
        }
        if (ch >= 32 && (m_flags & (FlagEdit | FlagBrowse))) {
            StartEdit(ch);
            return true;
        }
        return ch < 32;  // control characters (Ctrl+F, Enter ...) are not typed text
    }
    case WM_TIMER:
        if (wParam == kSearchTimer) {
            EndSearch();
            return true;
        }
        return false;
    case WM_LBUTTONDBLCLK:
        m_owner->PostCommand(CommandDoubleClick);
        if (m_flags & (FlagEdit | FlagBrowse)) {
            if (!EditOpen()) StartEdit(0);
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        if (m_flags & FlagMarkup) {
            OnMarkupButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return true;
        }
        return false;
    case WM_LBUTTONUP:
        if (m_flags & FlagMarkup) OnMarkupButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_MOUSEMOVE:
        if (m_flags & FlagMarkup) OnMarkupMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return false;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
        EndEdit();
        return false;
    case WM_SIZE:
        *result = DefaultProc(msg, wParam, lParam);
        OnResize(LOWORD(lParam));
        return true;
    case WM_PAINT:
        if (GetCount() == 0 && !m_emptyText.IsEmpty()) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_hWnd, &ps);
            PaintEmpty(dc);
            EndPaint(m_hWnd, &ps);
            return true;
        }
        return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (GetCount() == 0 && !m_emptyText.IsEmpty()) InvalidateRect(m_hWnd, nullptr, TRUE);
        return false;
    case WM_CONTEXTMENU:
        ShowContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return true;
    case WM_APPCOMMAND:
        if (GET_APPCOMMAND_LPARAM(lParam) == APPCOMMAND_BROWSER_BACKWARD) {
            m_owner->PostCommand(CommandBack);
            *result = TRUE;
            return true;
        }
        return false;
    case WM_DESTROY:
        // Going away is no end of an edit: nothing is committed or reported.
        m_ending = true;
        m_edit.Destroy();
        m_button.Destroy();
        m_ending = false;
        m_editIndex = -1;
        m_newItem = false;
        KillTimer(m_hWnd, kSearchTimer);
        return false;
    }
    return false;
}

// ---- edit box and browse button ----

namespace {

// Both hand Tab, Enter and Escape to the list, and leaving both ends the edit.
bool EditorMessage(CTWnd2& self, CTListBoxEx::CListBox* list, UINT msg, WPARAM wParam, LRESULT* result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR:
        if (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_ESCAPE) {
            ::SendMessageW(list->m_hWnd, WM_CHAR, wParam, 0);
            *result = 0;
            return true;
        }
        return false;
    case WM_KILLFOCUS: {
        HWND to = reinterpret_cast<HWND>(wParam);
        if (list->m_browsing || list->m_ending) return false;
        if (to && (to == list->m_edit.m_hWnd || to == list->m_button.m_hWnd)) return false;
        // Let the control lose its focus first, then end the edit.
        *result = self.DefaultProc(msg, wParam, 0);
        list->EndEdit();
        return true;
    }
    }
    return false;
}

}  // namespace

bool CTListBoxEx::CEditBox::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    return EditorMessage(*this, m_list, msg, wParam, result);
}

bool CTListBoxEx::CButton::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    return EditorMessage(*this, m_list, msg, wParam, result);
}
