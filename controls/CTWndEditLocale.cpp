#include "controls/CTWndEditLocale.h"
#include <cwchar>
#include "framework/CTApp.h"
#include "framework/CTMenu.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"

namespace {

const wchar_t kDefaultLanguage[] = L"en-GB";

// The edit's own text, read past the subclass.
void ReadVisibleText(CTWnd2& wnd, CTString& out)
{
    out.Empty();
    LRESULT length = wnd.DefaultProc(WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return;
    out.Reserve(static_cast<unsigned>(length) + 1);
    LRESULT got = wnd.DefaultProc(WM_GETTEXT, static_cast<WPARAM>(length) + 1, reinterpret_cast<LPARAM>(out.m_buffer));
    if (got < 0)
        got = 0;
    if (got > length)
        got = length;
    out.m_buffer[got] = 0;
    out.m_length = static_cast<unsigned>(got);
}

} // namespace

CTWndEditLocale::CTWndEditLocale()
{
    FormatLocaleName(GetUserDefaultLCID(), m_language);
    if (m_language.IsEmpty())
        m_language.AssignText(kDefaultLanguage);
}

CTWndEditLocale::~CTWndEditLocale()
{
    if (m_tagFont)
        DeleteObject(m_tagFont);
    if (m_tagBrush)
        DeleteObject(m_tagBrush);
    m_tagFont = nullptr;
    m_tagBrush = nullptr;
    HWND hwnd = m_hWnd;
    CTWnd2::Destroy();  // restores the edit's own procedure first
    if (hwnd && ::IsWindow(hwnd))
        DestroyWindow(hwnd);
}

bool CTWndEditLocale::Create(HWND parent, int id, const RECT& rc, DWORD style)
{
    m_hParent = parent;
    HWND hwnd = CreateWindowExW(0, L"Edit", nullptr, style | WS_CHILD | ES_AUTOHSCROLL, rc.left, rc.top,
                                rc.right - rc.left, rc.bottom - rc.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        return false;
    m_hWnd = hwnd;
    m_id = id;
    Subclass(true);
    if (!m_subclassed) {
        DestroyWindow(hwnd);
        m_hWnd = nullptr;
        return false;
    }
    MeasureTag();
    return true;
}

bool CTWndEditLocale::AttachDlgItem(int id, HWND dialog, bool)
{
    if (!CTWnd2::AttachDlgItem(id, dialog, true))
        return false;
    MeasureTag();
    return true;
}

bool CTWndEditLocale::IsReadOnly() const
{
    return m_hWnd && (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ES_READONLY) != 0;
}

bool CTWndEditLocale::TagAllowed() const
{
    return m_hWnd && (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & (ES_READONLY | kStyleNoLanguageTag)) == 0;
}

bool CTWndEditLocale::MenuAllowed() const
{
    return TagAllowed();
}

void CTWndEditLocale::MeasureTag()
{
    if (m_tagFont) {
        DeleteObject(m_tagFont);
        m_tagFont = nullptr;
    }
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMenuFont;
    font.lfHeight += 1;
    font.lfWeight = 600;
    font.lfQuality = PROOF_QUALITY;
    m_tagFont = CreateFontIndirectW(&font);

    m_widestName = 0;
    m_tallestName = 0;
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(hdc, m_tagFont);
    CTApp* app = CTApp::Instance();
    CTString name;
    for (size_t i = 0; app->GetSupportedLocale(i, nullptr, name); ++i) {
        SIZE size = {};
        if (!name.IsEmpty() && GetTextExtentPoint32W(hdc, name.m_buffer, static_cast<int>(name.GetLength()), &size)) {
            if (size.cx > m_widestName)
                m_widestName = size.cx;
            if (size.cy > m_tallestName)
                m_tallestName = size.cy;
        }
        name.Empty();
    }
    SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);

    m_tagWidth = m_widestName + m_widestName / 2;
    m_tagHeight = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ES_MULTILINE) ? m_tallestName + m_tallestName / 2 : 0;
}

void CTWndEditLocale::FileVisibleText()
{
    if (!m_modified || !m_hWnd)
        return;
    CTString visible;
    ReadVisibleText(*this, visible);
    m_modified = 0;
    // Keys that changed nothing (Tab into the edit, arrows, a read-only edit) must not add an
    // empty section for a language the text does not hold.
    CTStringLocale value(m_value);
    const wchar_t* part = value.GetTextForLocale(m_language);
    if (wcscmp(part ? part : L"", visible.GetBuffer() ? visible.GetBuffer() : L"") == 0)
        return;
    m_value.SetLocaleText(m_language, visible);
}

void CTWndEditLocale::ShowLanguage(const CTString& name)
{
    FileVisibleText();
    m_language.Assign(name.IsEmpty() ? CTString(kDefaultLanguage) : name);
    // A fresh copy: the value's remembered answer may predate the last filing.
    CTStringLocale value(m_value);
    const wchar_t* part = value.GetTextForLocale(m_language);
    DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(part ? part : L""));
    m_modified = 0;
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
}

void CTWndEditLocale::SetTagShown(bool shown)
{
    if (static_cast<bool>(m_tagShown) == shown)
        return;
    m_tagShown = shown ? 1 : 0;
    if (!shown && m_tagBrush) {
        DeleteObject(m_tagBrush);
        m_tagBrush = nullptr;
    }
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateTagRect();
}

void CTWndEditLocale::UpdateTagRect()
{
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    bool multiLine = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ES_MULTILINE) != 0;
    if (!multiLine && m_tagHeight == 0)
        m_tagHeight = client.bottom;
    m_tagRect = {client.right, 0, client.right + m_tagWidth, multiLine ? m_tagHeight : client.bottom};
}

bool CTWndEditLocale::PointOnTag(LPARAM screenPoint) const
{
    if (!m_tagShown)
        return false;
    POINT pt = {static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    ScreenToClient(m_hWnd, &pt);
    return PtInRect(&m_tagRect, pt) != FALSE;
}

void CTWndEditLocale::PaintTag()
{
    UpdateTagRect();
    bool multiLine = (GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ES_MULTILINE) != 0;

    // Client origin within the window, for painting into the window DC.
    RECT window = {};
    GetWindowRect(m_hWnd, &window);
    POINT origin = {0, 0};
    ClientToScreen(m_hWnd, &origin);
    int dx = origin.x - window.left;
    int dy = origin.y - window.top;

    HDC hdc = GetWindowDC(m_hWnd);
    if (!hdc)
        return;
    RECT tag = m_tagRect;
    OffsetRect(&tag, dx, dy);
    if (multiLine) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        RECT strip = {tag.left, tag.top, tag.right, tag.top + client.bottom};
        HBRUSH background = reinterpret_cast<HBRUSH>(GetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND));
        FillRect(hdc, &strip, background ? background : GetSysColorBrush(COLOR_WINDOW));
    }

    if (!m_tagBrush)
        m_tagBrush = CreateGradientBrush(hdc, m_tagHeight > 0 ? m_tagHeight : 1, GetSysColor(COLOR_HIGHLIGHT), 0);
    SetBrushOrgEx(hdc, 0, tag.top, nullptr);
    HPEN pen = CTREngine::Instance()->m_highlightPen;
    HGDIOBJ oldPen = SelectObject(hdc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(hdc, m_tagBrush ? static_cast<HGDIOBJ>(m_tagBrush) : GetSysColorBrush(COLOR_HIGHLIGHT));
    RoundRect(hdc, tag.left, tag.top, tag.right, tag.bottom, dx, dy);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);

    HGDIOBJ oldFont = SelectObject(hdc, m_tagFont);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    RECT text = tag;
    text.top = tag.top + (tag.bottom - tag.top - m_tallestName) / 2;
    text.bottom = text.top + m_tallestName;
    DrawTextW(hdc, m_language.m_buffer ? m_language.m_buffer : L"", -1, &text,
              DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(hdc, oldFont);
    ReleaseDC(m_hWnd, hdc);
}

void CTWndEditLocale::OpenLanguageMenu()
{
    if (!MenuAllowed())
        return;
    CTMenu menu;
    if (!menu.CreatePopup())
        return;
    UINT checked = m_language.Equals(CTString(kDefaultLanguage)) ? MF_CHECKED : 0;
    AppendMenuW(menu.m_menu, MF_STRING | checked, kDefaultLanguageCommand, kDefaultLanguage);
    CTApp* app = CTApp::Instance();
    CTString name;
    LCID lcid = 0;
    for (size_t i = 0; app->GetSupportedLocale(i, &lcid, name); ++i) {
        checked = name.Equals(m_language) ? MF_CHECKED : 0;
        AppendMenuW(menu.m_menu, MF_STRING | checked, lcid, name.m_buffer ? name.m_buffer : L"");
        name.Empty();
    }
    menu.MakeOwnerDrawn();

    POINT corner = {m_tagRect.left, m_tagRect.bottom};
    ClientToScreen(m_hWnd, &corner);
    UINT command = menu.Track(false, TPM_RETURNCMD | TPM_NONOTIFY, corner.x, corner.y, m_hWnd);
    if (!command)
        return;
    CTString chosen;
    FormatLocaleName(static_cast<LCID>(command), chosen);
    if (chosen.IsEmpty())
        chosen.AssignText(kDefaultLanguage);
    if (!chosen.Equals(m_language))
        ShowLanguage(chosen);
}

bool CTWndEditLocale::OnAltKey(WPARAM key)
{
    CTString name(m_language);
    switch (key) {
    case VK_LEFT:
        FileVisibleText();
        if (m_value.GetPreviousLocale(name))
            ShowLanguage(name);
        return true;
    case VK_RIGHT:
        FileVisibleText();
        if (m_value.GetNextLocale(name))
            ShowLanguage(name);
        return true;
    case VK_DOWN:
        OpenLanguageMenu();
        return true;
    case VK_DELETE:
        if (IsReadOnly())
            return true;
        FileVisibleText();
        if (m_value.GetPreviousLocale(name)) {
            m_value.RemoveLocaleText(m_language);
            m_modified = 0;
            ShowLanguage(name);
        }
        return true;
    }
    return false;
}

bool CTWndEditLocale::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (msg) {
    case WM_SETTEXT: {
        m_value.AssignText(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"");
        m_modified = 0;
        CTStringLocale value(m_value);
        const wchar_t* part = value.GetTextForLocale(m_language);
        *result = DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(part ? part : L""));
        m_modified = 0;
        return true;
    }
    case WM_GETTEXT: {
        FileVisibleText();
        auto* buffer = reinterpret_cast<wchar_t*>(lParam);
        if (!buffer || wParam == 0) {
            *result = 0;
            return true;
        }
        unsigned count = m_value.GetLength();
        if (count > wParam - 1)
            count = static_cast<unsigned>(wParam - 1);
        if (count)
            wmemcpy(buffer, m_value.m_buffer, count);
        buffer[count] = 0;
        *result = count;
        return true;
    }
    case WM_GETTEXTLENGTH:
        FileVisibleText();
        *result = m_value.GetLength();
        return true;

    // Everything that can change the visible text marks it for filing. Besides keys and paste,
    // the edit's own menu and programmatic edits (cut, clear, undo, replace) change it too.
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
        m_modified = 1;
        return false;

    case WM_SETFOCUS:
        *result = DefaultProc(msg, wParam, lParam);
        if (TagAllowed())
            SetTagShown(true);
        return true;
    case WM_KILLFOCUS:
        *result = DefaultProc(msg, wParam, lParam);
        SetTagShown(false);
        return true;

    case WM_NCCALCSIZE:
        *result = DefaultProc(msg, wParam, lParam);
        if (m_tagShown) {
            RECT* rc = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
            rc->right -= m_tagWidth;
            if (rc->right < rc->left)
                rc->right = rc->left;
        }
        return true;
    case WM_NCPAINT:
        *result = DefaultProc(msg, wParam, lParam);
        if (m_tagShown)
            PaintTag();
        return true;
    case WM_NCHITTEST:
        if (PointOnTag(lParam)) {
            *result = HTBORDER;
            return true;
        }
        return false;
    case WM_NCLBUTTONDOWN:
        if (PointOnTag(lParam)) {
            OpenLanguageMenu();
            *result = 0;
            return true;
        }
        return false;

    case WM_SYSKEYDOWN:
        if ((lParam & (1 << 29)) && OnAltKey(wParam)) {
            *result = 0;
            return true;
        }
        return false;
    }
    return false;
}
