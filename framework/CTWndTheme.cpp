#include "framework/CTWndTheme.h"

#include "framework/CTREngine.h"

namespace {
bool Bordered(HWND hwnd)
{
    return (GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER) ||
           (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}
} // namespace

CTWndTheme::CTWndTheme() : m_themeApi(CTREngine::ThemeApi()) {}

CTWndTheme::~CTWndTheme()
{
    CloseTheme();
    m_themeClass.Empty();
    // The CTWnd2 part destroys the window.
}

bool CTWndTheme::HasBorder() const
{
    return m_hWnd && Bordered(m_hWnd);
}

bool CTWndTheme::SetThemeClass(const wchar_t* className)
{
    if (m_theme)
        return false;
    m_themeClass.AssignText(className);
    return OpenTheme();
}

bool CTWndTheme::OpenTheme()
{
    if (m_themeClass.IsEmpty() || m_theme)
        return false;
    m_theme = m_themeApi->OpenThemeData(m_hWnd, m_themeClass.GetBuffer());
    return m_theme != nullptr;
}

bool CTWndTheme::CloseTheme()
{
    if (m_theme)
        m_themeApi->CloseThemeData(m_theme);
    m_theme = nullptr;
    return true;
}

void CTWndTheme::ReopenTheme()
{
    CloseTheme();
    if (!m_themeClass.IsEmpty())
        m_theme = m_themeApi->OpenThemeData(m_hWnd, m_themeClass.GetBuffer());
}

LRESULT CTWndTheme::DefaultNcCalcSize(WPARAM wParam, LPARAM lParam)
{
    if (m_subclassed && m_prevProc)
        return CallWindowProcW(m_prevProc, m_hWnd, WM_NCCALCSIZE, wParam, lParam);
    return DefWindowProcW(m_hWnd, WM_NCCALCSIZE, wParam, lParam);
}

bool CTWndTheme::PaintThemedBorder(HDC windowDc)
{
    if (!HasBorder() || !m_themeApi->IsAppThemed() || !m_theme)
        return false;

    RECT window = {}, client = {};
    GetWindowRect(m_hWnd, &window);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&window), 2);
    GetClientRect(m_hWnd, &client);
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    // The scroll bars stay drawn by the system: only the frame outside them is themed.
    if (style & WS_VSCROLL)
        client.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL)
        client.bottom += GetSystemMetrics(SM_CYHSCROLL);
    OffsetRect(&client, -window.left, -window.top);
    OffsetRect(&window, -window.left, -window.top);

    ExcludeClipRect(windowDc, client.left, client.top, client.right, client.bottom);
    m_themeApi->DrawThemeBackground(m_theme, windowDc, 1, 1, &window, nullptr);
    SelectClipRgn(windowDc, nullptr);
    return true;
}

bool CTWndTheme::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_NCCALCSIZE:
        if (HasBorder() && m_themeApi->IsAppThemed() && m_theme) {
            *result = DefaultNcCalcSize(wParam, lParam);
            return true;
        }
        return false;
    case WM_NCPAINT: {
        DefaultProc(msg, wParam, lParam);
        HDC dc = GetWindowDC(m_hWnd);
        bool painted = dc && PaintThemedBorder(dc);
        if (dc)
            ReleaseDC(m_hWnd, dc);
        return painted;
    }
    case WM_PRINT:
        if ((lParam & PRF_NONCLIENT) && m_themeApi->IsAppThemed()) {
            RECT rc = {};
            GetWindowRect(m_hWnd, &rc);
            MapWindowPoints(nullptr, GetParent(m_hWnd), reinterpret_cast<POINT*>(&rc), 2);
            ::SendMessageW(m_hWnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc));
            *result = DefWindowProcW(m_hWnd, msg, wParam, lParam);
            PaintThemedBorder(reinterpret_cast<HDC>(wParam));
            return true;
        }
        return false;
    case WM_THEMECHANGED:
        ReopenTheme();
        return false;
    default:
        return false;
    }
}

bool ThemeClassForWindow(HWND hwnd, CTString& out)
{
    if (!hwnd || !Bordered(hwnd))
        return false;
    wchar_t name[129] = {};
    GetClassNameW(hwnd, name, 128);
    out.Empty();
    static const struct {
        const wchar_t* windowClass;
        const wchar_t* themeClass;
    } map[] = {{L"SysTreeView32", L"Treeview"},
               {L"SysListView32", L"Listview"},
               {L"Edit", L"Edit"},
               {L"ListBox", L"Listview"}};
    for (const auto& m : map)
        if (lstrcmpiW(name, m.windowClass) == 0)
            out.AssignText(m.themeClass);
    return !out.IsEmpty();
}
