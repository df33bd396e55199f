#include "controls/CTListBoxEx.h"

#include "framework/CTREngine.h"

// The control window: creation, toolbar and caption strip, layout, and the messages its inner
// list and toolbar send it. The inner list's own work is in CTListBoxExList.cpp.

CTListBoxEx::CTListBoxEx()
{
    m_themeClass.AssignText(L"Treeview");
    m_dragMessage = RegisterWindowMessageW(L"commctrl_DragListMsg");
    m_list.m_owner = this;
}

CTListBoxEx::~CTListBoxEx()
{
    // The inner list goes first: its items' WM_DELETEITEM reach this object.
    m_list.m_notifications = false;
    m_list.Destroy();
    m_toolbar.Clear();
    CTWndTheme::Destroy();
}

bool CTListBoxEx::RegisterClass(HINSTANCE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CTWnd2::WindowProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return CTWnd2::RegisterWindowClass(wc);
}

bool CTListBoxEx::Create(HWND dialog, int id, DWORD flags, const CreateInfo& info)
{
    if (flags & FlagReorder) flags &= ~static_cast<DWORD>(FlagSorted);
    if (flags & FlagToolbar) flags |= FlagHasToolbar;
    m_flags = flags;
    bool hadFocus = GetFocus() == GetDlgItem(dialog, id);
    if (!CTWnd2::AttachDlgItem(id, dialog, false)) return false;
    OpenTheme();

    DWORD add = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (!(flags & FlagNoBorder)) add |= WS_BORDER;
    if (flags & FlagNoSelection) add |= 0x4000;
    DWORD style = static_cast<DWORD>(GetWindowLongW(m_hWnd, GWL_STYLE));
    SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(style | add));
    CTREngine* engine = CTREngine::Instance();
    HFONT font = engine->m_menuFont;
    SetFont(font, false);

    CListBox& list = m_list;
    list.m_flags = m_flags;
    list.m_controlId = id;
    list.m_toolbar = &m_toolbar;

    if (m_flags & FlagToolbar) {
        HWND toolbarParent = info.toolbarParent ? info.toolbarParent : m_hWnd;
        if (m_toolbar.Create(toolbarParent, this, TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | TBSTYLE_LIST,
                             CTWndToolbar::IconSmall, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS)) {
            SetWindowPos(m_toolbar.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            ::SendMessageW(m_toolbar.m_hWnd, TB_SETMAXTEXTROWS, (m_flags & FlagToolbarText) ? 1 : 0, 0);
            LONG tbStyle = GetWindowLongW(m_toolbar.m_hWnd, GWL_STYLE);
            SetWindowLongW(m_toolbar.m_hWnd, GWL_STYLE, tbStyle | TBSTYLE_TOOLTIPS);
            int first = 0;
            if (info.hasBitmap > 0 && info.module && info.bitmapId) {
                int added = -1;
                m_toolbar.AddBitmap(info.module, info.bitmapId, &added);
                if (added >= 0) first = added;
            }
            for (int i = 0; i < info.buttonCount && info.buttons; ++i)
                AddToolbarButton(info.buttons[i].image, info.buttons[i].command, info.buttons[i].stringId, first);
        }
    }

    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    RECT listRc = {0, 0, rc.right, rc.bottom};
    DWORD listStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT |
                      LBS_OWNERDRAWVARIABLE | LBS_NOTIFY;
    if (m_flags & FlagSorted) listStyle |= LBS_SORT;

    if (m_flags & FlagMarkup) {
        list.m_itemHeight = info.itemHeight;
    } else {
        // Known before the list exists: WM_MEASUREITEM arrives with every insertion.
        HDC dc = GetDC(m_hWnd);
        HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW tm = {};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(m_hWnd, dc);
        list.m_itemHeight = tm.tmHeight + tm.tmExternalLeading;
    }
    list.m_markup = info.markup;
    list.m_compare = info.compare;
    list.m_hook = info.hook;
    list.m_context = info.context;

    if (!list.CreateChild(L"ListBox", listStyle, listRc, m_hWnd, id)) return false;
    list.SetFont(font, false);
    list.Subclass(true);
    MakeDragList(list.m_hWnd);

    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(m_hWnd, &rc);
    Layout(rc.right, rc.bottom);
    if (hadFocus) ::SetFocus(list.m_hWnd);
    ::SendMessageW(list.m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    list.Notify(NotifySelChange, -1, nullptr);
    return true;
}

bool CTListBoxEx::AddToolbarButton(int image, int command, UINT stringId, int firstBitmapIndex)
{
    if (!m_toolbar.m_hWnd) return false;
    if ((command == CommandAdd && !(m_flags & FlagAdd)) || (command == CommandDelete && !(m_flags & FlagDelete)) ||
        ((command == CommandMoveUp || command == CommandMoveDown) && !(m_flags & FlagReorder)))
        return false;
    if (image == 0xFFFF) {
        switch (command) {
        case 10: image = m_toolbar.m_firstStdImage + STD_FILENEW; break;
        case 11: image = m_toolbar.m_firstStdImage + STD_DELETE; break;
        case 14: image = m_toolbar.m_firstStdImage + STD_FILEOPEN; break;
        case 15: image = m_toolbar.m_firstStdImage + STD_PROPERTIES; break;
        case 16: image = m_toolbar.m_firstViewImage + VIEW_PARENTFOLDER; break;
        case 17: image = m_toolbar.m_firstViewImage + VIEW_NEWFOLDER; break;
        case 18: image = m_toolbar.m_firstViewImage + VIEW_VIEWMENU; break;
        default: image = 0; break;
        }
    } else if (image != CTWndToolbar::kRadioGlyph) {
        image += firstBitmapIndex;  // the glyph marker is no index and stays as it is
    }
    bool ok = m_toolbar.AddButton(image, command, TBSTATE_ENABLED, 0, stringId);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    Layout(rc.right, rc.bottom);
    return ok;
}

void CTListBoxEx::Layout(int width, int height)
{
    if ((m_flags & FlagHasToolbar) && m_toolbar.m_hWnd) {
        SIZE size = {};
        ::SendMessageW(m_toolbar.m_hWnd, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
        SetWindowPos(m_toolbar.m_hWnd, nullptr, width - size.cx, 0, size.cx, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        m_captionHeight = size.cy + 1;
        RECT strip = {0, 0, width, m_captionHeight};
        InvalidateRect(m_hWnd, &strip, TRUE);
    } else {
        m_captionHeight = 0;
    }
    if (m_list.m_hWnd) {
        int listHeight = height - m_captionHeight;
        MoveWindow(m_list.m_hWnd, 0, m_captionHeight, width, listHeight > 0 ? listHeight : 0, TRUE);
    }
}

void CTListBoxEx::PaintCaption(HDC dc, bool nonClient)
{
    if (!(m_flags & FlagToolbar) || !m_toolbar.m_hWnd) return;
    RECT toolbar = {};
    GetWindowRect(m_toolbar.m_hWnd, &toolbar);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&toolbar), 2);
    RECT band = {2, 0, toolbar.left - 2, toolbar.bottom - toolbar.top};
    if (band.right < band.left) band.right = band.left;
    if (nonClient) {
        RECT window = {};
        GetWindowRect(m_hWnd, &window);
        POINT origin = {0, 0};
        ClientToScreen(m_hWnd, &origin);
        OffsetRect(&band, origin.x - window.left, origin.y - window.top);
    }
    CTString text;
    GetWindowTextString(m_hWnd, text);
    CTREngine* engine = CTREngine::Instance();
    int saved = SaveDC(dc);
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    SetBkColor(dc, engine->SysColor(COLOR_BTNFACE));
    SetTextColor(dc, engine->SysColor(IsWindowEnabled(m_hWnd) ? COLOR_MENUTEXT : COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    if (engine->m_menuFont) SelectObject(dc, engine->m_menuFont);
    if (!text.IsEmpty())
        DrawTextW(dc, text.GetBuffer(), -1, &band, DT_WORD_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    RestoreDC(dc, saved);
}

void CTListBoxEx::ReopenTheme()
{
    CTWndTheme::ReopenTheme();
}

bool CTListBoxEx::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (m_dragMessage && msg == m_dragMessage) {
        *result = (m_flags & FlagReorder) ? m_list.OnDragList(reinterpret_cast<DRAGLISTINFO*>(lParam)) : 0;
        return true;
    }
    switch (msg) {
    case WM_MEASUREITEM:
        m_list.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    case WM_DRAWITEM:
        m_list.DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    case WM_DELETEITEM:
        m_list.OnDeleteItem(reinterpret_cast<const DELETEITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    case WM_COMPAREITEM:
        *result = m_list.CompareItems(reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam));
        return true;
    case WM_SIZE:
        Layout(LOWORD(lParam), HIWORD(lParam));
        *result = 0;
        return true;
    case WM_SETFOCUS:
        if (m_list.m_hWnd) ::SetFocus(m_list.m_hWnd);
        *result = 0;
        return true;
    case WM_ERASEBKGND: {
        if (!(m_flags & FlagHasToolbar)) return false;
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        rc.bottom = m_captionHeight;
        FillRect(reinterpret_cast<HDC>(wParam), &rc, GetSysColorBrush(COLOR_BTNFACE));
        *result = 1;
        return true;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        PaintCaption(dc, false);
        EndPaint(m_hWnd, &ps);
        *result = 0;
        return true;
    }
    case WM_PRINT: {
        if (!CTWndTheme::OnMessage(msg, wParam, lParam, result)) {
            *result = DefWindowProcW(m_hWnd, msg, wParam, lParam);
            if (lParam & PRF_NONCLIENT) PaintThemedBorder(reinterpret_cast<HDC>(wParam));
        }
        PaintCaption(reinterpret_cast<HDC>(wParam), (lParam & PRF_NONCLIENT) != 0);
        return true;
    }
    case WM_ENABLE: {
        bool enable = wParam != 0;
        if (m_list.m_hWnd) {
            EnableWindow(m_list.m_hWnd, enable);
            InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
        }
        if (m_toolbar.m_hWnd) {
            EnableWindow(m_toolbar.m_hWnd, enable);
            int count = static_cast<int>(::SendMessageW(m_toolbar.m_hWnd, TB_BUTTONCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                TBBUTTON button = {};
                if (!::SendMessageW(m_toolbar.m_hWnd, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
                BYTE state = enable ? static_cast<BYTE>(button.fsState | TBSTATE_ENABLED) : 0;
                ::SendMessageW(m_toolbar.m_hWnd, TB_SETSTATE, button.idCommand, MAKELPARAM(state, 0));
            }
            InvalidateRect(m_toolbar.m_hWnd, nullptr, TRUE);
        }
        Invalidate(true);
        *result = 0;
        return true;
    }
    case WM_DESTROY:
        m_list.m_notifications = false;
        m_list.Destroy();
        m_toolbar.Clear();
        CloseTheme();
        return false;
    }
    return CTWndTheme::OnMessage(msg, wParam, lParam, result);
}

bool CTListBoxEx::ForwardToolbarNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    if (!hdr || !m_toolbar.m_hWnd || hdr->hwndFrom != m_toolbar.m_hWnd) {
        *result = 0;
        return false;
    }
    return m_toolbar.OnReflectNotify(wParam, hdr, result);
}

bool CTListBoxEx::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    bool hooked = false;
    if ((m_flags & FlagHookNotify) && m_list.m_context && m_list.m_hook) {
        *result = m_list.m_hook(m_list.m_context, wParam, hdr, result);
        hooked = true;
    }
    if (!hdr || !m_toolbar.m_hWnd || hdr->hwndFrom != m_toolbar.m_hWnd) return hooked;
    LRESULT own = 0;
    if (ForwardToolbarNotify(wParam, hdr, &own)) {
        *result = own;
        return true;
    }
    HWND parent = GetParent(m_hWnd);
    hdr->hwndFrom = m_hWnd;
    hdr->idFrom = static_cast<UINT_PTR>(m_id);
    *result = parent ? ::SendMessageW(parent, WM_NOTIFY, static_cast<WPARAM>(m_id), reinterpret_cast<LPARAM>(hdr)) : 0;
    return true;
}

void CTListBoxEx::PostCommand(WORD code)
{
    HWND parent = GetParent(m_hWnd);
    if (parent) PostMessageW(parent, WM_COMMAND, MAKEWPARAM(m_id, code), reinterpret_cast<LPARAM>(m_hWnd));
}

void CTListBoxEx::OnToolbarCommand(int command)
{
    switch (command) {
    case CommandAdd:
        m_list.Add();
        return;
    case CommandDelete:
        m_list.DeleteSelected();
        return;
    case CommandMoveUp:
    case CommandMoveDown: {
        if (!(m_flags & FlagReorder)) return;
        int sel = m_list.GetSelection();
        if (sel < 0) return;
        m_list.Move(sel, command == CommandMoveUp ? sel - 1 : sel + 1);
        return;
    }
    }
}

bool CTListBoxEx::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    HWND from = reinterpret_cast<HWND>(lParam);
    if (from && from == m_toolbar.m_hWnd) {
        ::SetFocus(m_hWnd);
        int command = LOWORD(wParam);
        if (command >= CommandAdd && command <= CommandMoveDown) {
            OnToolbarCommand(command);
            return true;
        }
        HWND parent = GetParent(m_hWnd);
        if (parent) *result = ::SendMessageW(parent, WM_COMMAND, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(m_hWnd));
        return true;
    }
    if (from && from == m_list.m_hWnd) {
        switch (HIWORD(wParam)) {
        case LBN_SELCHANGE:
            m_list.EndEdit();
            m_list.Notify(NotifySelChange, m_list.GetSelection(), m_list.GetData(m_list.GetSelection()));
            return true;
        case LBN_KILLFOCUS: {
            HWND parent = GetParent(m_hWnd);
            if (parent) ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(m_id, CommandKillFocus), reinterpret_cast<LPARAM>(m_hWnd));
            return true;
        }
        }
        return true;
    }
    return false;
}

void CTListBoxEx::DeleteAll()
{
    if (!m_list.m_hWnd) return;
    m_list.CancelEdit();
    bool was = m_list.m_notifications;
    m_list.m_notifications = false;
    ::SendMessageW(m_list.m_hWnd, LB_RESETCONTENT, 0, 0);
    m_list.m_notifications = was;
    m_list.m_hotIndex = -1;
    ::SendMessageW(m_list.m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    m_list.Notify(NotifySelChange, -1, nullptr);
}

bool CTListBoxEx::SetItem(int index, const wchar_t* text, HICON icon, __int64 value)
{
    CData* data = m_list.GetData(index);
    if (!data) return false;
    data->text.AssignText(text ? text : L"");
    data->icon = icon;
    data->value = value;
    m_list.RedrawItem(index, RDW_INVALIDATE | RDW_UPDATENOW);
    return true;
}

int CTListBoxEx::FindByValue(__int64 value)
{
    int count = m_list.GetCount();
    for (int i = 0; i < count; ++i) {
        CData* data = m_list.GetData(i);
        if (data && data->value == value) return i;
    }
    return -1;
}

__int64 CTListBoxEx::GetSelectedValue()
{
    CData* data = m_list.GetData(m_list.GetSelection());
    return data ? data->value : 0;
}

void CTListBoxEx::SetEmptyText(const wchar_t* text)
{
    m_list.m_emptyText.AssignText(text ? text : L"");
    if (m_list.m_hWnd) InvalidateRect(m_list.m_hWnd, nullptr, TRUE);
}

bool CTListBoxEx::GetItem(int index, CTString* text, HICON* icon, __int64* value)
{
    CData* data = m_list.GetData(index);
    if (!data) return false;
    if (text) text->Assign(data->text);
    if (icon) *icon = data->icon;
    if (value) *value = data->value;
    return true;
}
