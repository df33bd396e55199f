#include "controls/CTWndPropertyListEditors.h"
#include <commctrl.h>
#include "foundation/CTTime.h"
#include "framework/CTREngine.h"

namespace {

ScreenDpi& Dpi()
{
    return CTREngine::Instance()->m_dpi;
}

bool IsNavigationChar(WPARAM ch)
{
    return ch == VK_TAB || ch == VK_RETURN || ch == VK_ESCAPE;
}

// Both date editors start alike: shown without activation, focused and repainted.
void ShowPicker(HWND picker)
{
    SetWindowPos(picker, nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    ::SetFocus(picker);
    RedrawWindow(picker, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// Stores a date editor's seconds when they differ from the value; a row that held text gets the
// date type, where a text type would drop the number.
bool StoreSeconds(CAttribute& value, __int64 seconds, int dateType)
{
    bool text = CAttribute::IsTextType(value.GetType());
    if (!text && value.GetValue() == seconds)
        return false;
    value.SetValue(text ? dateType : value.GetType(), seconds);
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Date conversions

namespace PropertyDates {

bool ToUtcDate(__int64 seconds, SYSTEMTIME& out)
{
    return CTTime(seconds).ToSystemTime(out, false);
}

__int64 FromUtcDate(const SYSTEMTIME& date)
{
    SYSTEMTIME day = {};
    day.wYear = date.wYear;
    day.wMonth = date.wMonth;
    day.wDay = date.wDay;
    return CTTime().FromSystemTime(day, false).GetTime();
}

bool ToLocal(__int64 seconds, SYSTEMTIME& out)
{
    return CTTime(seconds).ToSystemTime(out, true);
}

__int64 FromLocal(const SYSTEMTIME& time)
{
    return CTTime().FromSystemTime(time, true).GetTime();
}

bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return SameDay(a, b) && a.wHour == b.wHour && a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

void DateTimeFormatWithoutSeconds(CTString& out)
{
    GetLocaleDateTimePattern(true, out);
    int first = out.FindChar(L's');
    if (first < 0)
        return;
    for (int i = first - 1; i >= 0; --i) {
        wchar_t ch = out.m_buffer[i];
        if (ch == L'H' || ch == L'h' || ch == L'm')
            break;
        out.m_buffer[i] = L' ';
    }
    out.Replace(CTString(L"s"), CTString(L""), false);
}

} // namespace PropertyDates

// ---------------------------------------------------------------------------------------------
// Base

CTWndPropertyList::CControlBase::CControlBase(CTWndPropertyList* list, const RECT& rc, CItem* item)
    : m_rect(rc), m_item(item), m_list(list)
{
}

CTWndPropertyList::CControlBase* CTWndPropertyList::CControlBase::CreateEditor(CTWndPropertyList* list, const RECT& rc,
                                                                               CItem* item, const POINT* click)
{
    switch (item->m_kind) {
    case KindChoice:
        return new CCombo(list, rc, item);
    case KindText:
        return new CEdit(list, rc, item, click, false);
    case KindMultiLine:
        return new CMEdit(list, rc, item);
    case KindDialog:
        return new CDlg(list, rc, item);
    case KindCheckBox:
        return new CCheckBox(list, rc, item);
    case KindPassword:
        return new CEdit(list, rc, item, click, true);
    case KindDateTime:
        return new CDateTime(list, rc, item);
    case KindDate:
        return new CDate(list, rc, item);
    case KindLocale:
        return new CEditLocale(list, rc, item, click);
    }
    return nullptr;
}

bool CTWndPropertyList::CControlBase::MakeWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text,
                                                 DWORD style, const RECT& rc, HWND parent, int id)
{
    HWND hwnd = CreateWindowExW(exStyle, className, text, style, rc.left, rc.top, rc.right - rc.left,
                                rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return false;
    m_hWnd = hwnd;
    m_hParent = parent;
    m_id = id;
    Subclass(true);
    return true;
}

const wchar_t* CTWndPropertyList::CControlBase::ValueText() const
{
    return m_item ? m_item->m_value.GetText() : L"";
}

bool CTWndPropertyList::CControlBase::StoreText(const CTString& text)
{
    if (!m_item)
        return false;
    if (lstrcmpW(text.GetBuffer() ? text.GetBuffer() : L"", m_item->m_value.GetText()) == 0)
        return false;
    m_item->m_value.SetText(CAttribute::Text, text);
    return true;
}

void CTWndPropertyList::CControlBase::PlaceCaret(HWND edit, HWND list, const POINT* click)
{
    LRESULT position = ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    if (click) {
        POINT pt = *click;
        MapWindowPoints(list, edit, &pt, 1);
        LRESULT found = ::SendMessageW(edit, EM_CHARFROMPOS, 0, MAKELPARAM(pt.x, pt.y));
        if (found != -1)
            position = LOWORD(found);
    }
    ::SendMessageW(edit, EM_SETSEL, position, position);
}

bool CTWndPropertyList::CControlBase::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR:
        if (m_list && IsNavigationChar(wParam)) {
            m_list->OnNavigationKey(wParam);
            *result = 0;
            return true;
        }
        return false;
    }
    return false;
}

bool CTWndPropertyList::CControlBase::Apply()
{
    if (!m_hWnd)
        return false;
    CTString text;
    GetWindowTextString(m_hWnd, text);
    return StoreText(text);
}

bool CTWndPropertyList::CControlBase::HasFocus()
{
    HWND focus = GetFocus();
    if (!focus)
        return false;
    if (m_hWnd && focus == m_hWnd)
        return true;
    return m_item && m_item->ButtonType() && m_list && focus == m_list->m_button.m_hWnd;
}

bool CTWndPropertyList::CControlBase::IsOwnButton(HWND window)
{
    return window && m_item && m_item->ButtonType() && m_list && window == m_list->m_button.m_hWnd;
}

void CTWndPropertyList::CControlBase::SetFocus()
{
    if (m_hWnd)
        ::SetFocus(m_hWnd);
}

bool CTWndPropertyList::CControlBase::Show(int command)
{
    if (!m_hWnd)
        return false;
    ::ShowWindow(m_hWnd, command);
    return true;
}

bool CTWndPropertyList::CControlBase::IsOpen()
{
    return m_hWnd && ::IsWindow(m_hWnd);
}

HWND CTWndPropertyList::CControlBase::GetWindow()
{
    return m_hWnd;
}

// ---------------------------------------------------------------------------------------------
// Text editors

CTWndPropertyList::CEdit::CEdit(CTWndPropertyList* list, const RECT& rc, CItem* item, const POINT* click,
                                bool password)
    : CControlBase(list, rc, item), m_password(password ? 1 : 0)
{
    if (click) {
        m_hasClick = true;
        m_click = *click;
    }
}

bool CTWndPropertyList::CEdit::Create()
{
    RECT rc = m_rect;
    rc.left -= 1;
    rc.top += Dpi().ScaleY(5);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (m_password ? ES_PASSWORD : 0);
    if (!MakeWindow(0, L"Edit", nullptr, style, rc, m_list->m_hWnd, 0))
        return true;
    SetFont(m_list->GetListFont(), false);
    SetWindowText(ValueText());
    ::SetFocus(m_hWnd);
    PlaceCaret(m_hWnd, m_list->m_hWnd, m_hasClick ? &m_click : nullptr);
    return true;
}

bool CTWndPropertyList::CMEdit::Create()
{
    RECT client = {};
    GetClientRect(m_list->m_hWnd, &client);
    RECT rc = m_rect;
    rc.bottom = rc.top + 3 * m_list->m_rowBase;
    if (rc.bottom > client.bottom) {
        int overflow = rc.bottom - client.bottom;
        rc.bottom = client.bottom;
        rc.top -= overflow;
        if (rc.top < client.top)
            rc.top = client.top;
    }
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                  ES_AUTOHSCROLL;
    if (!MakeWindow(0, L"Edit", nullptr, style, rc, m_list->m_hWnd, 0))
        return true;
    SetFont(CTWndPropertyList::GetGuiFont(), false);
    SetWindowText(ValueText());
    ::SetFocus(m_hWnd);
    PlaceCaret(m_hWnd, m_list->m_hWnd, nullptr);
    return true;
}

bool CTWndPropertyList::CDlg::Create()
{
    RECT rc = m_rect;
    int width = Dpi().Scale(20);
    if (rc.right - rc.left >= width)
        rc.left = rc.right - width;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | BS_CENTER | BS_VCENTER;
    if (!MakeWindow(0, L"Button", L"...", style, rc, m_list->m_hWnd, 0))
        return true;
    SetFont(CTWndPropertyList::GetGuiFont(), false);
    return true;
}

bool CTWndPropertyList::CDlg::IsOwnButton(HWND window)
{
    return window && window == m_hWnd;
}

// ---------------------------------------------------------------------------------------------
// Choice editor

bool CTWndPropertyList::CCombo::Create()
{
    HWND parent = GetParent(m_list->m_hWnd);
    RECT rc = m_rect;
    MapWindowPoints(m_list->m_hWnd, parent, reinterpret_cast<POINT*>(&rc), 2);
    rc.bottom += 100;
    DWORD style = WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_NOINTEGRALHEIGHT | CBS_DROPDOWNLIST |
                  (m_item->m_sortedChoices ? CBS_SORT : 0);
    if (!MakeWindow(WS_EX_NOPARENTNOTIFY, L"ComboBox", nullptr, style, rc, parent, 0))
        return true;
    m_edit.m_list = m_list;

    m_item->m_comboIndex.clear();
    if (m_item->m_offerNone) {
        LRESULT at = SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"<none>"));
        SendMessage(CB_SETITEMDATA, at, 0);
    }
    __int64 counter = 1;
    __int64 selected = 0;
    for (const auto& entry : m_item->m_choices) {
        const wchar_t* text = entry.second.GetBuffer() ? entry.second.GetBuffer() : L"";
        LRESULT at = SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (at >= 0) {
            SendMessage(CB_SETITEMDATA, at, static_cast<LPARAM>(counter));
            m_item->m_comboIndex[counter] = entry.first;
            if (entry.first.IsEqual(m_item->m_value))
                selected = counter;
        }
        ++counter;
    }
    // Sorting moves items after they were added: find the selection by its number.
    if (selected) {
        for (LRESULT i = 0, n = SendMessage(CB_GETCOUNT, 0, 0); i < n; ++i) {
            if (SendMessage(CB_GETITEMDATA, i, 0) == selected) {
                SendMessage(CB_SETCURSEL, i, 0);
                break;
            }
        }
    }
    SendMessage(CB_SETEXTENDEDUI, FALSE, 0);
    SetFont(m_list->GetListFont(), false);
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    ::SetFocus(m_hWnd);
    SendMessage(CB_SHOWDROPDOWN, TRUE, 0);
    return true;
}

bool CTWndPropertyList::CCombo::Apply()
{
    if (!m_hWnd || !m_item)
        return false;
    LRESULT selection = SendMessage(CB_GETCURSEL, 0, 0);
    // Nothing selected: the value is not among the choices, and leaving it that way keeps it.
    if (selection == CB_ERR)
        return false;
    LRESULT number = SendMessage(CB_GETITEMDATA, selection, 0);
    if (number < 1) {
        m_item->m_value.Clear();
        return true;
    }
    auto found = m_item->m_comboIndex.find(static_cast<__int64>(number));
    if (found == m_item->m_comboIndex.end())
        return false;
    m_item->m_value = found->second;
    return true;
}

bool CTWndPropertyList::CCombo::IsDroppedDown()
{
    return m_hWnd && SendMessage(CB_GETDROPPEDSTATE, 0, 0) != 0;
}

bool CTWndPropertyList::CCombo::Show(int command)
{
    if (command == SW_HIDE && IsDroppedDown())
        SendMessage(CB_SHOWDROPDOWN, FALSE, 0);
    return CControlBase::Show(command);
}

bool CTWndPropertyList::CCombo::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (msg == WM_KEYDOWN && m_list && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        m_list->OnNavigationKey(wParam);
        *result = 0;
        return true;
    }
    return CControlBase::OnMessage(msg, wParam, lParam, result);
}

// ---------------------------------------------------------------------------------------------
// Date editors

namespace {

// Enter and Escape arrive as key-downs at the pickers; leaving them commits unless the focus went
// into the picker's own parts (its drop-down calendar).
bool PickerMessage(CTWndPropertyList::CControlBase& editor, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CTWndPropertyList* list = editor.m_list;
    if (msg == WM_KEYDOWN && list && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        list->OnNavigationKey(wParam);
        *result = 0;
        return true;
    }
    if (msg == WM_KILLFOCUS && list) {
        *result = editor.DefaultProc(msg, wParam, lParam);
        HWND calendar = reinterpret_cast<HWND>(::SendMessageW(editor.m_hWnd, DTM_GETMONTHCAL, 0, 0));
        HWND focus = GetFocus();
        if (!(calendar && focus && (focus == calendar || IsChild(calendar, focus))))
            list->OnEditorKillFocus();
        return true;
    }
    return false;
}

} // namespace

bool CTWndPropertyList::CDate::Create()
{
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP | DTS_SHOWNONE;
    if (!MakeWindow(WS_EX_NOPARENTNOTIFY, DATETIMEPICK_CLASSW, nullptr, style, m_rect, m_list->m_hWnd, kPickerId))
        return true;
    SetFont(m_list->GetListFont(), false);
    wchar_t format[96] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, 96) > 0)
        SendMessage(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));

    __int64 seconds = m_item->m_value.GetValue();
    SYSTEMTIME date = {};
    if (PropertyDates::ToUtcDate(seconds, date) && date.wYear > 1970) {
        m_shownState = GDT_VALID;
        m_shown = date;
        SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
    } else {
        m_shownState = GDT_NONE;
        SendMessage(DTM_SETSYSTEMTIME, GDT_NONE, 0);
    }
    ShowPicker(m_hWnd);
    return true;
}

bool CTWndPropertyList::CDate::Apply()
{
    if (!m_hWnd || !m_item)
        return false;
    SYSTEMTIME picked = {};
    LRESULT state = SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked));
    bool valid = state == GDT_VALID;
    // The day shown and still there: the value stays exactly as it was, time of day included.
    if (valid == (m_shownState == GDT_VALID) && (!valid || PropertyDates::SameDay(picked, m_shown)))
        return false;
    __int64 seconds = valid && picked.wYear >= 1900 ? PropertyDates::FromUtcDate(picked) : 0;
    return StoreSeconds(m_item->m_value, seconds, CAttribute::Date);
}

bool CTWndPropertyList::CDate::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (PickerMessage(*this, msg, wParam, lParam, result))
        return true;
    return CControlBase::OnMessage(msg, wParam, lParam, result);
}

bool CTWndPropertyList::CDateTime::Create()
{
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP | DTS_UPDOWN | DTS_RIGHTALIGN;
    if (!MakeWindow(WS_EX_NOPARENTNOTIFY, DATETIMEPICK_CLASSW, nullptr, style, m_rect, m_list->m_hWnd, kPickerId))
        return true;
    SetFont(m_list->GetListFont(), false);
    CTString format;
    PropertyDates::DateTimeFormatWithoutSeconds(format);
    if (!format.IsEmpty())
        SendMessage(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format.GetBuffer()));

    SYSTEMTIME local = {};
    if (PropertyDates::ToLocal(m_item->m_value.GetValue(), local)) {
        m_shownState = GDT_VALID;
        m_shown = local;
        SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&local));
    }
    ShowPicker(m_hWnd);
    return true;
}

bool CTWndPropertyList::CDateTime::Apply()
{
    if (!m_hWnd || !m_item)
        return false;
    SYSTEMTIME picked = {};
    if (SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) != GDT_VALID)
        return false;
    // Unchanged in the picker: keep the value (an hour that daylight saving repeats would
    // otherwise read back as the other instant).
    if (m_shownState == GDT_VALID && PropertyDates::SameTime(picked, m_shown))
        return false;
    __int64 seconds = picked.wYear > 1899 ? PropertyDates::FromLocal(picked) : 0;
    return StoreSeconds(m_item->m_value, seconds, CAttribute::DateTime);
}

bool CTWndPropertyList::CDateTime::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (PickerMessage(*this, msg, wParam, lParam, result))
        return true;
    return CControlBase::OnMessage(msg, wParam, lParam, result);
}

// ---------------------------------------------------------------------------------------------
// Multi-language editor

bool CTWndPropertyList::CEditLocaleEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR:
        if (m_list && IsNavigationChar(wParam)) {
            m_list->OnNavigationKey(wParam);
            *result = 0;
            return true;
        }
        break;
    }
    return CTWndEditLocale::OnMessage(msg, wParam, lParam, result);
}

CTWndPropertyList::CEditLocale::CEditLocale(CTWndPropertyList* list, const RECT& rc, CItem* item, const POINT* click)
    : CControlBase(list, rc, item)
{
    m_edit.m_list = list;
    if (click) {
        m_hasClick = true;
        m_click = *click;
    }
}

bool CTWndPropertyList::CEditLocale::Create()
{
    RECT rc = m_rect;
    rc.left -= 1;
    rc.top += Dpi().ScaleY(5);
    if (!m_edit.Create(m_list->m_hWnd, kPickerId, rc, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL))
        return true;
    m_edit.SetFont(m_list->GetListFont(), false);
    m_edit.SetWindowText(ValueText());
    ::SetFocus(m_edit.m_hWnd);
    PlaceCaret(m_edit.m_hWnd, m_list->m_hWnd, m_hasClick ? &m_click : nullptr);
    return true;
}

bool CTWndPropertyList::CEditLocale::Apply()
{
    if (!IsOpen())
        return false;
    // The edit files what is visible before it answers: a change in any language counts.
    CTString text;
    GetWindowTextString(m_edit.m_hWnd, text);
    return StoreText(text);
}

bool CTWndPropertyList::CEditLocale::HasFocus()
{
    HWND focus = GetFocus();
    if (!focus)
        return false;
    if (focus == m_edit.m_hWnd || (m_hWnd && focus == m_hWnd))
        return true;
    return m_item && m_item->ButtonType() && m_list && focus == m_list->m_button.m_hWnd;
}

void CTWndPropertyList::CEditLocale::SetFocus()
{
    if (m_edit.m_hWnd)
        ::SetFocus(m_edit.m_hWnd);
}

bool CTWndPropertyList::CEditLocale::Show(int command)
{
    if (m_list && m_list->m_button.m_hWnd)
        m_list->m_button.Destroy();
    if (!m_edit.m_hWnd)
        return false;
    if (command == SW_HIDE) {
        m_edit.Destroy();
        return true;
    }
    ::ShowWindow(m_edit.m_hWnd, command);
    return true;
}

bool CTWndPropertyList::CEditLocale::IsOpen()
{
    return m_edit.m_hWnd && ::IsWindow(m_edit.m_hWnd);
}

HWND CTWndPropertyList::CEditLocale::GetWindow()
{
    return m_edit.m_hWnd;
}
