#include "framework/CTWndMessageBox.h"
#include "framework/CTApp.h"
#include "framework/MessageBoxAnswerer.h"
#include "framework/ModalDialogDriver.h"
#include <algorithm>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD kTemplateStyle = 0x90C801C4; // popup, visible, caption, system menu, modal frame, set font
constexpr size_t kTemplateSize = 36;

int ScreenDpiX()
{
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

RECT WorkAreaOf(HWND owner)
{
    using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    RECT work = {};
    HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
    auto fromWindow = user32 ? reinterpret_cast<MonitorFromWindowFn>(GetProcAddress(user32, "MonitorFromWindow")) : nullptr;
    auto getInfo = user32 ? reinterpret_cast<GetMonitorInfoFn>(GetProcAddress(user32, "GetMonitorInfoW")) : nullptr;
    if (fromWindow && getInfo) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        if (getInfo(fromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcWork;
    }
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

SIZE TextExtent(HDC dc, const wchar_t* text, int length)
{
    SIZE size = {};
    if (length > 0) GetTextExtentPoint32W(dc, text, length, &size);
    return size;
}

int WrappedHeight(HDC dc, const wchar_t* text, int width)
{
    RECT rc = {0, 0, width, 0};
    DRAWTEXTPARAMS params = {};
    params.cbSize = sizeof(params);
    DrawTextExW(dc, const_cast<wchar_t*>(text), -1, &rc,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL, &params);
    return rc.bottom - rc.top;
}

// The width of the widest line as the text control draws it: tabs expanded, no wrapping.
int DrawnWidth(HDC dc, const wchar_t* text)
{
    RECT rc = {0, 0, 0, 0};
    DRAWTEXTPARAMS params = {};
    params.cbSize = sizeof(params);
    DrawTextExW(dc, const_cast<wchar_t*>(text), -1, &rc, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX, &params);
    return rc.right - rc.left;
}

void AddButton(CLinkedList& list, DWORD id)
{
    auto* item = new CLinkedListDWORD();
    item->Set(id);
    list.AddTail(item);
}

HWND TopOfOwnerChain(HWND hwnd)
{
    if (!hwnd) return nullptr;
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) hwnd = GetAncestor(hwnd, GA_ROOT);
    while (HWND owner = GetWindow(hwnd, GW_OWNER)) hwnd = owner;
    return hwnd;
}

} // namespace

CTWndMessageBox::CTWndMessageBox(HWND owner, HINSTANCE module, const wchar_t* text, const wchar_t* caption,
                                 DWORD style, HICON icon, const wchar_t* checkText)
    : m_module(module), m_style(style), m_text(text), m_caption(caption), m_checkText(checkText), m_icon(icon),
      m_customIcon(icon != nullptr), m_owner(owner)
{
}

CTWndMessageBox::~CTWndMessageBox()
{
    if (m_font) DeleteObject(m_font);
    if (m_icon && m_customIcon) DestroyIcon(m_icon); // system icons are shared
    m_buttons.DeleteAll();
    m_header.Destroy();
    CTWnd2::Destroy();
}

INT_PTR CTWndMessageBox::Show(HWND owner, HINSTANCE module, const wchar_t* text, const wchar_t* caption, DWORD style)
{
    m_owner = owner;
    m_module = module;
    m_text = text;
    m_caption = caption;
    m_style = style;
    m_checkText = nullptr;
    return Run();
}

const wchar_t* CTWndMessageBox::GetCheckText() const
{
    if (m_checkText) return m_checkText;
    switch (GetUserDefaultLCID()) {
    case 1031: return L"Nie wieder anzeigen";
    case 1046: return L"N\u00e3o mostrar novemente";
    default: return L"Do not show again";
    }
}

void CTWndMessageBox::ChooseIcon()
{
    if (m_icon) return;
    const wchar_t* id = IDI_HAND;
    switch (m_style & 0xF0) {
    case 0x20: id = IDI_QUESTION; break;
    case 0x30: id = IDI_EXCLAMATION; break;
    case 0x40: id = IDI_ASTERISK; break;
    }
    m_icon = static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

void CTWndMessageBox::BuildButtons()
{
    m_buttons.DeleteAll();
    bool yesToAll = (m_style & kStyleYesToAll) != 0;
    bool noToAll = (m_style & kStyleNoToAll) != 0;
    switch (m_style & 0xF) {
    case 0: AddButton(m_buttons, IDOK); break;
    case 1: AddButton(m_buttons, IDOK); AddButton(m_buttons, IDCANCEL); break;
    case 2: AddButton(m_buttons, IDABORT); AddButton(m_buttons, IDRETRY); AddButton(m_buttons, IDIGNORE); break;
    case 3:
    case 4:
        AddButton(m_buttons, IDYES);
        if (yesToAll) AddButton(m_buttons, 19);
        AddButton(m_buttons, IDNO);
        if (noToAll) AddButton(m_buttons, 20);
        if ((m_style & 0xF) == 3) AddButton(m_buttons, IDCANCEL);
        break;
    case 5: AddButton(m_buttons, IDRETRY); AddButton(m_buttons, IDCANCEL); break;
    case 6: AddButton(m_buttons, IDCANCEL); AddButton(m_buttons, IDRETRY); AddButton(m_buttons, 11); break;
    case 7: AddButton(m_buttons, 11); AddButton(m_buttons, IDABORT); break;
    case 8: AddButton(m_buttons, 14); AddButton(m_buttons, 15); AddButton(m_buttons, IDCANCEL); break;
    case 9: AddButton(m_buttons, IDIGNORE); AddButton(m_buttons, 16); AddButton(m_buttons, IDCANCEL); break;
    case 10: AddButton(m_buttons, 21); AddButton(m_buttons, IDCANCEL); break;
    default: break; // 11 to 15: no buttons
    }
}

void CTWndMessageBox::Measure()
{
    const wchar_t* text = m_text ? m_text : L"";
    const int dpi = ScreenDpiX();
    RECT work = WorkAreaOf(m_owner);
    int maxWidth = std::max<int>((work.right - work.left) / 4, MulDiv(260, dpi, 96));

    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    if (m_font) DeleteObject(m_font);
    m_font = CreateFontIndirectW(&ncm.lfMessageFont);

    HDC dc = GetDC(m_owner);
    HGDIOBJ oldFont = SelectObject(dc, m_font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    m_margin = (tm.tmAveCharWidth * 4 + 2) / 4;
    m_spacing = (tm.tmHeight * 4 + 4) / 8;

    m_iconSize = {};
    ICONINFO info = {};
    if (m_icon && GetIconInfo(m_icon, &info)) {
        BITMAP bm = {};
        if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bm), &bm)) m_iconSize = {bm.bmWidth, bm.bmHeight};
        else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof(bm), &bm)) m_iconSize = {bm.bmWidth, bm.bmHeight / 2};
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }

    int contentWidth = 0, contentHeight = 0;
    const int length = static_cast<int>(wcslen(text));
    if (!(m_style & kStyleHeader)) {
        // Sized as the text control draws it (tabs expanded, words wrapped), or lines it wraps
        // would fall below the control and not show.
        const int widest = DrawnWidth(dc, text);
        m_textSize = {widest, length ? WrappedHeight(dc, text, widest) : 0};
        if (m_textSize.cy == 0) m_textSize.cy = tm.tmHeight;
        if (m_iconSize.cx + m_textSize.cx + 6 * m_margin > maxWidth) {
            m_textSize.cx = maxWidth - 6 * m_margin - m_iconSize.cx;
            m_textSize.cy = WrappedHeight(dc, text, m_textSize.cx);
        }
        // A text taller than the work area leaves room for the frame, the buttons and a check box,
        // whole lines of it, and scrolls.
        const int buttonHeight = (tm.tmHeight * 15 + 4) / 8;
        const int room = (work.bottom - work.top) - GetSystemMetrics(SM_CYCAPTION) -
                         2 * GetSystemMetrics(SM_CYFIXEDFRAME) - 4 * m_spacing - 2 * buttonHeight;
        m_scrollText = m_textSize.cy > room && tm.tmHeight > 0;
        if (m_scrollText) {
            m_textSize.cy = std::max<int>(tm.tmHeight, room / tm.tmHeight * tm.tmHeight);
            m_textSize.cx += GetSystemMetrics(SM_CXVSCROLL);   // lines wrap as measured beside the bar
        }
        contentWidth = m_iconSize.cx + 6 * m_margin + m_textSize.cx;
        contentHeight = 2 * m_spacing + std::max(m_textSize.cy, m_iconSize.cy);
    } else {
        LOGFONTW measuring = {};
        measuring.lfHeight = -5;
        measuring.lfQuality = PROOF_QUALITY;
        HFONT small = CreateFontIndirectW(&measuring);
        HGDIOBJ previous = SelectObject(dc, small);
        TEXTMETRICW smallTm = {};
        GetTextMetricsW(dc, &smallTm);
        SelectObject(dc, previous);
        DeleteObject(small);
        m_bandHeight = std::max<int>(m_iconSize.cy, smallTm.tmHeight) + 1;
        int captionLength = m_caption ? static_cast<int>(wcslen(m_caption)) : 0;
        m_minContentWidth = MulDiv(32, dpi, 96) + captionLength * smallTm.tmAveCharWidth + m_iconSize.cx;
        m_textSize = TextExtent(dc, text, length);
        if (m_textSize.cy == 0) m_textSize.cy = tm.tmHeight;
        contentWidth = std::max<int>(m_minContentWidth, m_textSize.cx + 4 * m_margin);
        contentHeight = m_bandHeight + m_textSize.cy + 4 * m_spacing;
    }

    m_checkSize = {};
    if (m_style & kStyleCheckBox) {
        const wchar_t* check = GetCheckText();
        m_checkSize = TextExtent(dc, check, static_cast<int>(wcslen(check)));
        m_checkSize.cx += GetSystemMetrics(SM_CXSMICON) + m_margin;
    }

    m_buttonHeight = (tm.tmHeight * 15 + 4) / 8;
    m_buttonWidth = (tm.tmAveCharWidth * 60 + 2) / 4;
    int count = 0;
    for (CLinkedListObject* item = m_buttons.GetHead(); item; item = item->m_next, ++count) {
        const wchar_t* caption = CTApp::GetButtonCaption(static_cast<CLinkedListDWORD*>(item)->Get());
        int captionLength = caption ? static_cast<int>(wcslen(caption)) : 0;
        m_buttonWidth = std::max<int>(m_buttonWidth, captionLength * tm.tmAveCharWidth + 4 * m_margin);
    }

    SelectObject(dc, oldFont);
    ReleaseDC(m_owner, dc);

    int rowWidth = m_checkSize.cx + 6 * m_margin + m_iconSize.cx + (count + 3) * m_margin + count * m_buttonWidth;
    int width = std::max(contentWidth, rowWidth);
    int height = contentHeight + m_spacing + m_buttonHeight;
    LONG units = GetDialogBaseUnits();
    m_dluSize = {width * 4 / LOWORD(units), height * 8 / HIWORD(units)};
}

INT_PTR CTWndMessageBox::Run()
{
    m_isModal = true;
    HWND given = m_owner;
    m_owner = TopOfOwnerChain(given);
    if (!m_owner) m_owner = GetDesktopWindow();
    m_hParent = m_owner;

    CTWndHeader::RegisterClass(m_module);

    ChooseIcon();
    BuildButtons();
    Measure();

    auto* tmpl = static_cast<DLGTEMPLATE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kTemplateSize));
    if (!tmpl) return IDCANCEL;
    tmpl->style = kTemplateStyle;
    if (!given || !IsWindowEnabled(m_owner) || !IsWindowVisible(m_owner)) tmpl->style |= DS_CENTER;
    tmpl->cx = static_cast<short>(m_dluSize.cx);
    tmpl->cy = static_cast<short>(m_dluSize.cy);

    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    INT_PTR result = DialogBoxIndirectParamW(m_module, tmpl, m_owner, CTWnd2::DialogProc, reinterpret_cast<LPARAM>(this));
    SetCursor(previous);
    HeapFree(GetProcessHeap(), 0, tmpl);
    m_hWnd = nullptr;
    m_header.m_hWnd = nullptr; // destroyed with the dialog
    return result == -1 ? 0 : result;
}

void CTWndMessageBox::Layout()
{
    HWND hwnd = m_hWnd;
    RECT client = {};
    GetClientRect(hwnd, &client);
    const HINSTANCE module = m_module;
    int row = 0;
    int checkLeft = 0;

    if (!(m_style & kStyleHeader)) {
        ::SetWindowTextW(hwnd, m_caption ? m_caption : L"");
        HWND icon = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 2 * m_margin, m_spacing,
                                    m_iconSize.cx, m_iconSize.cy, hwnd, reinterpret_cast<HMENU>(-1), module, nullptr);
        ::SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
        HWND text = nullptr;
        if (m_scrollText) {
            // The edit breaks lines only at CR LF.
            std::wstring lines;
            for (const wchar_t* c = m_text ? m_text : L""; *c; ++c) {
                if (*c == L'\n' && (lines.empty() || lines.back() != L'\r')) lines += L'\r';
                lines += *c;
            }
            text = CreateWindowExW(0, L"EDIT", lines.c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                   m_iconSize.cx + 4 * m_margin, m_spacing, m_textSize.cx, m_textSize.cy, hwnd,
                                   reinterpret_cast<HMENU>(-1), module, nullptr);
        } else {
            text = CreateWindowExW(0, L"STATIC", m_text ? m_text : L"",
                                   WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
                                   m_iconSize.cx + 4 * m_margin, m_spacing, m_textSize.cx, m_textSize.cy, hwnd,
                                   reinterpret_cast<HMENU>(-1), module, nullptr);
        }
        ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        if (m_scrollText) ::SendMessageW(text, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
        row = 2 * m_spacing + std::max(m_textSize.cy, m_iconSize.cy);
        checkLeft = 5 * m_margin + m_iconSize.cx;
    } else {
        CTString title;
        GetWindowTextString(m_owner, title);
        if (title.IsEmpty()) title.Assign(CTApp::Instance()->GetName());
        ::SetWindowTextW(hwnd, title.GetBuffer() ? title.GetBuffer() : L"");
        RECT band = {0, 0, client.right, m_bandHeight}; // Create reads right/bottom as the size
        m_header.Create(CTWndHeader::kClassName, false, hwnd, WS_CHILD | WS_VISIBLE | CTWndHeader::FlagIconLeft, 0,
                        module, &band);
        m_header.flags = CTWndHeader::FlagIconLeft;
        // The band was sized before it knew its look: apply it, then show the icon and the caption.
        m_header.ApplyStyle();
        if (m_icon) m_header.SetIcon(m_icon);
        m_header.SetText(CTString(m_caption ? m_caption : L""));
        HWND text = CreateWindowExW(0, L"STATIC", m_text ? m_text : L"",
                                    WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 2 * m_margin,
                                    m_bandHeight + 2 * m_spacing, m_textSize.cx, m_textSize.cy, hwnd,
                                    reinterpret_cast<HMENU>(-1), module, nullptr);
        ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        row = m_bandHeight + 2 * m_spacing + m_textSize.cy + 2 * m_spacing;
        checkLeft = 5 * m_margin + m_minContentWidth;
    }

    if (m_style & kStyleCheckBox) {
        HWND check = CreateWindowExW(0, L"BUTTON", GetCheckText(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                     checkLeft, row + m_spacing, m_checkSize.cx, m_checkSize.cy, hwnd,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCheckBoxId)), module, nullptr);
        ::SendMessageW(check, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }

    int count = static_cast<int>(m_buttons.GetCount());
    int x = client.right - (count + 1) * m_margin - count * m_buttonWidth;
    HWND first = nullptr;
    for (CLinkedListObject* item = m_buttons.GetHead(); item; item = item->m_next) {
        DWORD id = static_cast<CLinkedListDWORD*>(item)->Get();
        const wchar_t* caption = CTApp::GetButtonCaption(id);
        HWND button = CreateWindowExW(0, L"BUTTON", caption ? caption : L"",
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, row, m_buttonWidth,
                                      m_buttonHeight, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module,
                                      nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        if (!first) {
            first = button;
            ::SendMessageW(hwnd, DM_SETDEFID, id, 0);
        }
        x += m_margin + m_buttonWidth;
    }
    if (first) ::SetFocus(first);

    CenterOnWindow(nullptr);
    if (m_style & MB_TOPMOST) SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (m_style & MB_SETFOREGROUND) SetForegroundWindow(hwnd);
}

bool CTWndMessageBox::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT* result)
{
    if (msg == WM_INITDIALOG) {
        Layout();
        *result = FALSE; // the focus is on the default button already
        return true;
    }
    if (msg == WM_CLOSE) {
        EndDialog(IDCANCEL);
        return true;
    }
    if (ModalDialogDriver::IsShownMessage(msg)) {
        if (MessageBoxAnswerer* answerer = MessageBoxAnswerer::Installed()) {
            answerer->OnMessageBox(*this, m_hWnd);
            return true;
        }
    }
    return false;
}

bool CTWndMessageBox::OnCommand(WPARAM wParam, LPARAM, LRESULT*)
{
    int id = LOWORD(wParam);
    // The check box toggles; the scrolling text (id -1) reports its focus and scrolling.
    if (id == kCheckBoxId || id == 0xFFFF) return false;
    INT_PTR result = id;
    if ((m_style & kStyleCheckBox) && IsDlgButtonChecked(m_hWnd, kCheckBoxId) == BST_CHECKED) result |= kChecked;
    EndDialog(result);
    return true;
}

void CTWndMessageBox::Press(int id)
{
    if (!m_hWnd) return;
    HWND button = GetDlgItem(m_hWnd, id);
    PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void CTWndMessageBox::SetChecked(bool checked)
{
    if (m_hWnd) CheckDlgButton(m_hWnd, kCheckBoxId, checked ? BST_CHECKED : BST_UNCHECKED);
}
