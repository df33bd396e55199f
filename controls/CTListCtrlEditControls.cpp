// The cell editor controls of in-place editing.
#include "controls/CTListCtrlEditControls.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "foundation/CTTime.h"

namespace {
CTString& AppendLocaleInfo(CTString& out, LCID locale, LCTYPE type)
{
    wchar_t buffer[128] = {};
    if (GetLocaleInfoW(locale, type, buffer, 128) > 0) out.AppendText(buffer);
    return out;
}

bool SameClock(const SYSTEMTIME& a, const SYSTEMTIME& b)
{
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// Counts a message or a commit in progress, so the owner retires rather than deletes the editor.
struct BusyScope {
    explicit BusyScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~BusyScope() { --m_depth; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    int& m_depth;
};
} // namespace

// ---- Window part ----

void CTListCtrlEdit::CControlBase::Window::Destroy()
{
    if (m_editor) m_editor->Close();
    else CTWnd2::Destroy();
}

bool CTListCtrlEdit::CControlBase::Window::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return m_editor && m_editor->Dispatch(msg, wParam, lParam, result);
}

bool CTListCtrlEdit::CControlBase::Window::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return m_editor && m_editor->Dispatch(WM_COMMAND, wParam, lParam, result);
}

bool CTListCtrlEdit::CControlBase::Window::OnNotify(WPARAM wParam, NMHDR* hdr, LRESULT* result)
{
    return m_editor && m_editor->Dispatch(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(hdr), result);
}

// ---- Base ----

CTListCtrlEdit::CControlBase::CControlBase(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc)
    : m_rect(rc), m_owner(owner), m_cell(cell), m_item(item), m_column(column), m_window(new Window(this))
{
    if (owner && owner->m_report) m_key = owner->m_report->GetRowData(item);
}

CTListCtrlEdit::CControlBase::~CControlBase()
{
    m_closing = true;
    if (auto* window = dynamic_cast<Window*>(m_window)) window->m_editor = nullptr;
    delete m_window;
    m_window = nullptr;
}

HWND CTListCtrlEdit::CControlBase::Report() const
{
    return m_owner && m_owner->m_report ? m_owner->m_report->m_hWnd : nullptr;
}

bool CTListCtrlEdit::CControlBase::HasFocus() { return GetWindow() && GetFocus() == GetWindow(); }

bool CTListCtrlEdit::CControlBase::IsOpen() { return m_window && m_window->m_hWnd && ::IsWindow(m_window->m_hWnd); }

HWND CTListCtrlEdit::CControlBase::GetWindow() { return m_window ? m_window->m_hWnd : nullptr; }

void CTListCtrlEdit::CControlBase::Close()
{
    m_closing = true;
    if (m_window) m_window->CTWnd2::Destroy();
}

void CTListCtrlEdit::CControlBase::Adopt(HWND hwnd)
{
    m_window->m_hWnd = hwnd;
    m_window->m_hParent = Report();
    m_window->Subclass(true);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Report(), WM_GETFONT, 0, 0));
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void CTListCtrlEdit::CControlBase::Focus()
{
    ::SetFocus(GetWindow());
    InvalidateRect(GetWindow(), nullptr, TRUE);
}

void CTListCtrlEdit::CControlBase::ShowPicker()
{
    SetWindowPos(GetWindow(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Focus();
}

void CTListCtrlEdit::CControlBase::PlaceCaret(const POINT* click)
{
    HWND hwnd = GetWindow();
    if (click && (click->x || click->y)) {
        POINT p = *click;
        MapWindowPoints(Report(), hwnd, &p, 1);
        LRESULT at = ::SendMessageW(hwnd, EM_CHARFROMPOS, 0, MAKELPARAM(p.x, p.y));
        WPARAM index = LOWORD(at);
        ::SendMessageW(hwnd, EM_SETSEL, index, index);
    } else {
        ::SendMessageW(hwnd, EM_SETSEL, 0, GetWindowTextLengthW(hwnd));
    }
}

bool CTListCtrlEdit::CControlBase::Locate()
{
    if (!m_owner || !m_owner->m_report) return false;
    int item = m_owner->m_report->FindRowByData(m_key);
    if (item < 0) return false;
    m_item = item;
    return true;
}

bool CTListCtrlEdit::CControlBase::Apply(const CAttribute& next)
{
    if (!m_cell->m_value.IsNotEqual(next)) return false;
    m_cell->m_value.Assign(next);
    m_owner->ShowValue(m_item, m_column, *m_cell);
    // The callback comes last: the owner may refill the list from it, freeing the cell.
    m_owner->NotifyChanged(m_item, m_column, *m_cell);
    return true;
}

CAttribute CTListCtrlEdit::CControlBase::TypedText(const CAttribute& value, const CTString& text)
{
    int type = value.GetType();
    if (CAttribute::IsTextType(type)) return CAttribute(type, text);
    if (type == CAttribute::Integer || type == CAttribute::Integer2) {
        // Kept as a number only when the number's own text is exactly what was typed.
        const wchar_t* p = text.GetBuffer() ? text.GetBuffer() : L"";
        bool negative = *p == L'-';
        if (negative) ++p;
        unsigned __int64 n = 0;
        bool ok = *p != 0;
        for (; *p && ok; ++p) {
            ok = *p >= L'0' && *p <= L'9' && n <= (0x7FFFFFFFFFFFFFFFull - (*p - L'0')) / 10;
            n = n * 10 + (*p - L'0');
        }
        if (ok) {
            CAttribute number(type, negative ? -static_cast<__int64>(n) : static_cast<__int64>(n));
            if (number.GetString().Equals(text)) return number;
        }
    }
    return CAttribute(text);
}

bool CTListCtrlEdit::CControlBase::Commit()
{
    if (!IsOpen()) return false;
    BusyScope busy(m_busy);
    if (!Locate()) return false;
    CTString text;
    GetWindowTextString(GetWindow(), text);
    if (lstrcmpW(text.GetBuffer() ? text.GetBuffer() : L"", m_cell->m_value.GetText()) == 0) return false;
    return Apply(TypedText(m_cell->m_value, text));
}

bool CTListCtrlEdit::CControlBase::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    BusyScope busy(m_busy);
    return OnMessage(msg, wParam, lParam, result);
}

bool CTListCtrlEdit::CControlBase::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_KILLFOCUS:
        if (m_closing) return false;
        Commit();
        Close();
        return false;
    case WM_NCHITTEST: {
        if (!m_resizable) return false;
        RECT rc = {};
        GetWindowRect(GetWindow(), &rc);
        POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        bool top = p.y - rc.top <= kEdgeGrip, bottom = rc.bottom - p.y <= kEdgeGrip;
        bool left = p.x - rc.left <= kEdgeGrip, right = rc.right - p.x <= kEdgeGrip;
        LRESULT hit = 0;
        if (top && left) hit = HTTOPLEFT;
        else if (top && right) hit = HTTOPRIGHT;
        else if (bottom && left) hit = HTBOTTOMLEFT;
        else if (bottom && right) hit = HTBOTTOMRIGHT;
        else if (top) hit = HTTOP;
        else if (left) hit = HTLEFT;
        else if (bottom) hit = HTBOTTOM;
        else if (right) hit = HTRIGHT;
        if (!hit) return false;
        *result = hit;
        return true;
    }
    case WM_GETDLGCODE:
        *result = m_window->DefaultProc(msg, wParam, lParam) | DLGC_WANTALLKEYS;
        return true;
    case WM_CHAR: {
        HWND report = Report();
        if (wParam == VK_TAB) {
            Commit();
            Close();
            *result = 0;
            PostMessageW(report, WM_KEYDOWN, GetKeyState(VK_SHIFT) < 0 ? VK_LEFT : VK_RIGHT, 0);
            return true;
        }
        if (wParam == VK_RETURN) {
            Commit();
            Close();
            ::SetFocus(report);
            *result = 0;
            return true;
        }
        if (wParam == VK_ESCAPE) {
            Close();
            ::SetFocus(report);
            *result = 0;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

CTString& CTListCtrlEdit::CControlBase::RemoveSeconds(CTString& pattern)
{
    int s = pattern.FindChar(L's');
    if (s < 0) return pattern;
    wchar_t* text = pattern.GetBuffer();
    for (int i = s - 1; i > 0; --i) {
        wchar_t c = text[i];
        if (c == L'H' || c == L'h' || c == L'm') break;
        text[i] = L' ';
    }
    pattern.Replace(CTString(L"s"), CTString(L""), true);
    return pattern;
}

HWND CTListCtrlEdit::CControlBase::CreatePicker(const CTString& format, const SYSTEMTIME& shown)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    m_rect.left += 4;
    m_rect.top -= 2;
    m_rect.bottom += 2;
    HWND hwnd = CreateWindowExW(WS_EX_NOPARENTNOTIFY, DATETIMEPICK_CLASSW, nullptr,
                                WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP | DTS_RIGHTALIGN | DTS_UPDOWN, m_rect.left,
                                m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, Report(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPickerId)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) return nullptr;
    Adopt(hwnd);
    ::SendMessageW(hwnd, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format.GetBuffer() ? format.GetBuffer() : L""));
    ::SendMessageW(hwnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&shown));
    ShowPicker();
    return hwnd;
}

// ---- Text, number, password and multi-line edits ----

int CTListCtrlEdit::CEdit::GetKind() const
{
    if (m_digitsOnly) return KindNumber;
    if (m_style == ES_PASSWORD) return KindPassword;
    if (m_style == (ES_MULTILINE | ES_AUTOVSCROLL)) return KindMultiLine;
    if (m_style == ES_NUMBER) return KindNumber;
    return KindText;
}

bool CTListCtrlEdit::CEdit::Open(const POINT* click)
{
    m_rect.left += 1;
    if (m_style & ES_MULTILINE) {
        m_rect.bottom = m_rect.top + 3 * (m_rect.bottom - m_rect.top);
        m_resizable = true;
    }
    if (m_style & ES_NUMBER) {
        // The edit's own digit filter would refuse the sign; the editor filters instead.
        m_style &= ~static_cast<DWORD>(ES_NUMBER);
        m_digitsOnly = true;
    }
    HWND hwnd = CreateWindowExW(0, L"Edit", nullptr, m_style | WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                                m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, Report(),
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    Adopt(hwnd);
    m_window->ModifyExStyle(0, WS_EX_CLIENTEDGE);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetWindowTextW(hwnd, m_cell->m_value.GetText());
    Focus();
    PlaceCaret(click);
    return true;
}

bool CTListCtrlEdit::CEdit::IsNumberChar(wchar_t ch)
{
    switch (ch) {
    case 1: case 3: case 8: case 9: case 22: case 24: case 26: // select all, copy, backspace, tab, paste, cut, undo
    case L'.': case L'+': case L'-':
        return true;
    default:
        return ch >= L'0' && ch <= L'9';
    }
}

__int64 CTListCtrlEdit::CEdit::ReadNumber(const wchar_t* text)
{
    if (!text) return 0;
    while (*text == L' ' || *text == L'\t') ++text;
    bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+') ++text;
    unsigned __int64 n = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        unsigned __int64 next = n * 10 + static_cast<unsigned>(*text - L'0');
        if (next > 0x7FFFFFFFFFFFFFFFull) break; // stays at the largest number read so far
        n = next;
    }
    return negative ? -static_cast<__int64>(n) : static_cast<__int64>(n);
}

bool CTListCtrlEdit::CEdit::Commit()
{
    if (!m_digitsOnly) return CControlBase::Commit();
    if (!IsOpen()) return false;
    BusyScope busy(m_busy);
    if (!Locate()) return false;
    CTString text;
    GetWindowTextString(GetWindow(), text);
    if (lstrcmpW(text.GetBuffer() ? text.GetBuffer() : L"", m_cell->m_value.GetText()) == 0) return false;
    __int64 number = ReadNumber(text.GetBuffer());
    int type = m_cell->m_value.GetType();
    CAttribute next;
    if (CAttribute::IsTextType(type)) {
        // A text-typed value takes the whole number as its text.
        CTString digits;
        digits.Format(L"%I64d", number);
        next.SetText(type, digits);
    } else {
        next.SetValue(type, number);
    }
    return Apply(next);
}

bool CTListCtrlEdit::CEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CControlBase::OnMessage(msg, wParam, lParam, result)) return true;
    if (m_digitsOnly && msg == WM_CHAR && !IsNumberChar(static_cast<wchar_t>(wParam))) {
        *result = 0;
        return true;
    }
    return false;
}

// ---- Multi-language edit ----

void CTListCtrlEdit::CEditLocale::LocaleWindow::Destroy()
{
    if (m_editor) m_editor->Close();
    else CTWnd2::Destroy();
}

bool CTListCtrlEdit::CEditLocale::LocaleWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (!m_editor) return CTWndEditLocale::OnMessage(msg, wParam, lParam, result);
    return m_editor->Dispatch(msg, wParam, lParam, result);
}

bool CTListCtrlEdit::CEditLocale::LocaleWindow::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return m_editor && m_editor->Dispatch(WM_COMMAND, wParam, lParam, result);
}

CTListCtrlEdit::CEditLocale::CEditLocale(CTListCtrlEdit* owner, Cell* cell, int item, int column, const RECT& rc)
    : CControlBase(owner, cell, item, column, rc)
{
    delete m_window;
    m_window = new LocaleWindow(this);
}

CTListCtrlEdit::CEditLocale::~CEditLocale()
{
    m_closing = true;
    Edit()->m_editor = nullptr;
}

bool CTListCtrlEdit::CEditLocale::Open(const POINT* click)
{
    m_rect.left += 1;
    // No border style: the client edge below frames it. Create measures the language tag.
    if (!Edit()->Create(Report(), 0, m_rect, WS_VISIBLE | WS_TABSTOP)) return false;
    Edit()->m_hParent = Report();
    m_window->ModifyExStyle(0, WS_EX_CLIENTEDGE);
    SetWindowPos(GetWindow(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Report(), WM_GETFONT, 0, 0));
    ::SendMessageW(GetWindow(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowTextW(GetWindow(), m_cell->m_value.GetText());
    Focus();
    PlaceCaret(click);
    return true;
}

bool CTListCtrlEdit::CEditLocale::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT own = 0;
    bool handled = Edit()->CTWndEditLocale::OnMessage(msg, wParam, lParam, &own);
    if (handled) *result = own;
    // The language tag has had its say (focus loss hides it) before the commit and close.
    if (CControlBase::OnMessage(msg, wParam, lParam, result)) handled = true;
    return handled;
}

// ---- Drop-down list ----

bool CTListCtrlEdit::CDDLB::Open(const POINT*)
{
    m_rect.left += 4;
    m_rect.top -= 2;
    m_rect.bottom += 70;
    ChoiceList* list = m_owner->FindChoiceList(m_cell->m_choiceList);
    DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP | CBS_NOINTEGRALHEIGHT | CBS_DROPDOWNLIST;
    if (list && list->entries.size() >= 5) {
        m_rect.bottom += 250;
        style |= WS_VSCROLL;
    }
    HWND hwnd = CreateWindowExW(WS_EX_NOPARENTNOTIFY, L"ComboBox", nullptr, style, m_rect.left, m_rect.top,
                                m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, Report(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPickerId)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hwnd) return false;
    m_window->m_hWnd = hwnd;
    m_window->m_hParent = Report();
    m_window->Subclass(true);

    if (list) {
        std::vector<std::pair<unsigned, const CTString*>> entries;
        for (auto& e : list->entries) entries.emplace_back(e.first, &e.second);
        if (list->flags & ChoiceSortByText)
            std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
                return lstrcmpW(a.second->GetBuffer() ? a.second->GetBuffer() : L"",
                                b.second->GetBuffer() ? b.second->GetBuffer() : L"") < 0;
            });
        unsigned current = static_cast<unsigned>(m_cell->m_value.GetValue());
        for (auto& e : entries) {
            LRESULT index = ::SendMessageW(hwnd, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(e.second->GetBuffer() ? e.second->GetBuffer() : L""));
            if (index < 0) continue;
            ::SendMessageW(hwnd, CB_SETITEMDATA, index, e.first);
            if (e.first == current) ::SendMessageW(hwnd, CB_SETCURSEL, index, 0);
        }
    }
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Report(), WM_GETFONT, 0, 0));
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ShowPicker();
    ::SendMessageW(hwnd, CB_SHOWDROPDOWN, TRUE, 0);
    return true;
}

bool CTListCtrlEdit::CDDLB::Commit()
{
    if (!IsOpen()) return false;
    BusyScope busy(m_busy);
    if (!Locate()) return false;
    LRESULT selected = ::SendMessageW(GetWindow(), CB_GETCURSEL, 0, 0);
    // A value its list does not hold selects nothing: leaving the list then changes nothing.
    if (selected == CB_ERR) return false;
    auto id = static_cast<unsigned>(::SendMessageW(GetWindow(), CB_GETITEMDATA, selected, 0));
    int type = m_cell->m_value.GetType();
    // A text type cannot hold the id (its number reads as 0), so the choice is stored as an integer.
    if (CAttribute::IsTextType(type)) type = CAttribute::Integer;
    return Apply(CAttribute(type, static_cast<__int64>(id)));
}

bool CTListCtrlEdit::CDDLB::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A selection change tells the owner at once; the new choice is written by the commit.
    if (msg == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE) {
        m_owner->NotifyChanged(m_item, m_column, *m_cell);
        return false;
    }
    return CControlBase::OnMessage(msg, wParam, lParam, result);
}

// ---- Date and date-and-time pickers ----

int CTListCtrlEdit::CDate::StoredType() const
{
    int type = m_cell->m_value.GetType();
    if (!CAttribute::IsTextType(type)) return type;
    return WithTime() ? CAttribute::DateTime : CAttribute::Date;
}

bool CTListCtrlEdit::CDate::Open(const POINT*)
{
    bool local = !OnUtcCalendar();
    auto value = static_cast<int32_t>(m_cell->m_value.GetValue());
    m_hadValue = value != 0 && CTTime(value).ToSystemTime(m_shown, local);
    if (!m_hadValue) {
        if (local) GetLocalTime(&m_shown);
        else GetSystemTime(&m_shown);
    }
    m_shown.wMilliseconds = 0;

    CTString format;
    AppendLocaleInfo(format, LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE);
    if (WithTime()) {
        CTString time;
        AppendLocaleInfo(time, LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT);
        format.AppendChar(L' ').Append(RemoveSeconds(time));
    }
    return CreatePicker(format, m_shown) != nullptr;
}

bool CTListCtrlEdit::CDate::Commit()
{
    if (!IsOpen()) return false;
    BusyScope busy(m_busy);
    if (!Locate()) return false;
    SYSTEMTIME picked = {};
    if (::SendMessageW(GetWindow(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) != GDT_VALID) return false;
    // Left as opened: the value stays exactly as it was.
    if (m_hadValue && SameClock(picked, m_shown)) return false;
    __int64 time = 0;
    if (picked.wYear > 1899) {
        time = CTTime().FromSystemTime(picked, !OnUtcCalendar()).GetTime();
        // Dates are 32-bit numbers: a day beyond that range would be stored as another day.
        if (time != static_cast<int32_t>(time)) return false;
    }
    return Apply(CAttribute(StoredType(), time));
}

// ---- Time picker ----

bool CTListCtrlEdit::CTime::Open(const POINT*)
{
    int seconds = m_cell->m_value.GetValue32();
    m_shown = {};
    m_shown.wYear = 1970;
    m_shown.wMonth = 1;
    m_shown.wDay = 1;
    m_shown.wDayOfWeek = 1;
    m_shown.wHour = static_cast<WORD>(seconds / 3600);
    m_shown.wMinute = static_cast<WORD>(seconds / 60 % 60);

    CTString format;
    AppendLocaleInfo(format, GetUserDefaultLCID(), LOCALE_STIMEFORMAT);
    return CreatePicker(RemoveSeconds(format), m_shown) != nullptr;
}

bool CTListCtrlEdit::CTime::Commit()
{
    if (!IsOpen()) return false;
    BusyScope busy(m_busy);
    if (!Locate()) return false;
    SYSTEMTIME picked = {};
    if (::SendMessageW(GetWindow(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) != GDT_VALID) return false;
    // Minutes are what the picker edits: an untouched picker keeps any seconds the value had.
    if (picked.wHour == m_shown.wHour && picked.wMinute == m_shown.wMinute) return false;
    int type = m_cell->m_value.GetType();
    if (CAttribute::IsTextType(type)) type = CAttribute::TimeOfDay;
    return Apply(CAttribute(type, static_cast<__int64>(picked.wHour) * 3600 + picked.wMinute * 60));
}
