#include <gtest/gtest.h>

#include "framework/CTREngine.h"
#include "framework/CTWndTheme.h"
#include "framework/EngineSeams.h"
#include "framework/MemoryBitmap.h"

namespace {

// A visual-styles table of our own: the theme is "open" and backgrounds are painted red.
struct FakeTheme {
    static inline int opens = 0, closes = 0, draws = 0;
    static inline BOOL appThemed = TRUE;
    static inline RECT lastRect = {};
    static HTHEME WINAPI Open(HWND, LPCWSTR)
    {
        ++opens;
        return reinterpret_cast<HTHEME>(0x77);
    }
    static HRESULT WINAPI Close(HTHEME)
    {
        ++closes;
        return S_OK;
    }
    static HRESULT WINAPI Draw(HTHEME, HDC hdc, int, int, const RECT* rc, const RECT*)
    {
        ++draws;
        lastRect = *rc;
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(hdc, rc, red);
        DeleteObject(red);
        return S_OK;
    }
    static BOOL WINAPI AppThemed() { return appThemed; }

    static void Install(CTThemeApi& api)
    {
        opens = closes = draws = 0;
        appThemed = TRUE;
        api.SetModule(nullptr, false);
        api.SetEntry(CTThemeApi::eOpenThemeData, reinterpret_cast<FARPROC>(Open));
        api.SetEntry(CTThemeApi::eCloseThemeData, reinterpret_cast<FARPROC>(Close));
        api.SetEntry(CTThemeApi::eDrawThemeBackground, reinterpret_cast<FARPROC>(Draw));
        api.SetEntry(CTThemeApi::eIsAppThemed, reinterpret_cast<FARPROC>(AppThemed));
    }
};

class CTWndThemeTest : public EngineTest {
protected:
    // A top-level 100 x 80 window of the themed class with the given styles.
    bool Make(CTWndTheme& wnd, DWORD style, DWORD exStyle = 0)
    {
        RECT rc = {50, 50, 100, 80};
        if (!wnd.Create(L"TestThemedWindow", true, nullptr, WS_POPUP | style, 0, GetModuleHandleW(nullptr),
                        &rc))
            return false;
        if (exStyle) {
            SetWindowLongW(wnd.m_hWnd, GWL_EXSTYLE, exStyle);
            SetWindowPos(wnd.m_hWnd, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        }
        return true;
    }
};

TEST_F(CTWndThemeTest, ThemeClassIsKeptWhileAThemeIsOpen)
{
    FakeTheme::Install(engine->m_themeApi);
    CTWndTheme wnd;
    EXPECT_EQ(&engine->m_themeApi, wnd.m_themeApi);
    ASSERT_TRUE(Make(wnd, WS_BORDER));
    EXPECT_FALSE(wnd.OpenTheme()); // no class yet
    EXPECT_TRUE(wnd.SetThemeClass(L"Treeview"));
    EXPECT_FALSE(wnd.SetThemeClass(L"Listview"));
    EXPECT_TRUE(wnd.m_themeClass.Equals(L"Treeview"));
    EXPECT_EQ(1, FakeTheme::opens);

    // A theme change closes and opens the theme again; the message stays unhandled.
    LRESULT result = 1;
    EXPECT_FALSE(wnd.OnMessage(WM_THEMECHANGED, 0, 0, &result));
    EXPECT_EQ(1, FakeTheme::closes);
    EXPECT_EQ(2, FakeTheme::opens);
    EXPECT_NE(nullptr, wnd.m_theme);

    EXPECT_TRUE(wnd.CloseTheme());
    EXPECT_EQ(nullptr, wnd.m_theme);
    EXPECT_TRUE(wnd.SetThemeClass(L"Listview"));
}

TEST_F(CTWndThemeTest, BorderIsPaintedOutsideTheClientArea)
{
    FakeTheme::Install(engine->m_themeApi);
    CTWndTheme wnd;
    ASSERT_TRUE(Make(wnd, WS_BORDER));
    ASSERT_TRUE(wnd.SetThemeClass(L"Treeview"));
    MemoryBitmap bmp(100, 80);
    ASSERT_TRUE(wnd.PaintThemedBorder(bmp.dc));
    EXPECT_EQ(1, FakeTheme::draws);
    EXPECT_EQ(0, FakeTheme::lastRect.left);
    EXPECT_EQ(100, FakeTheme::lastRect.right);
    EXPECT_EQ(80, FakeTheme::lastRect.bottom);
    EXPECT_EQ(RGB(255, 0, 0), bmp.At(0, 0));
    EXPECT_EQ(RGB(255, 0, 0), bmp.At(99, 79));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(50, 40)); // client area left alone

    // Handled non-client messages while themed.
    LRESULT result = 0;
    RECT calc = {0, 0, 100, 80};
    EXPECT_TRUE(wnd.OnMessage(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc), &result));
    EXPECT_GT(calc.left, 0); // the default measure of the border
    bmp.Fill(RGB(255, 255, 255));
    EXPECT_TRUE(wnd.OnMessage(WM_PRINT, reinterpret_cast<WPARAM>(bmp.dc), PRF_NONCLIENT, &result));
    EXPECT_EQ(RGB(255, 0, 0), bmp.At(0, 0));

    // The window procedure paints the border after the default frame.
    int before = FakeTheme::draws;
    ShowWindow(wnd.m_hWnd, SW_SHOWNOACTIVATE);
    SendMessageW(wnd.m_hWnd, WM_NCPAINT, 1, 0);
    EXPECT_GT(FakeTheme::draws, before);

    // Not themed: nothing is painted or handled.
    FakeTheme::appThemed = FALSE;
    int draws = FakeTheme::draws;
    EXPECT_FALSE(wnd.PaintThemedBorder(bmp.dc));
    EXPECT_FALSE(wnd.OnMessage(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&calc), &result));
    EXPECT_FALSE(wnd.OnMessage(WM_PRINT, reinterpret_cast<WPARAM>(bmp.dc), PRF_NONCLIENT, &result));
    EXPECT_EQ(draws, FakeTheme::draws);
}

TEST_F(CTWndThemeTest, ScrollBarsStayWithTheSystem)
{
    FakeTheme::Install(engine->m_themeApi);
    CTWndTheme wnd;
    ASSERT_TRUE(Make(wnd, WS_BORDER | WS_VSCROLL | WS_HSCROLL));
    ASSERT_TRUE(wnd.SetThemeClass(L"Listview"));
    RECT client = {};
    GetClientRect(wnd.m_hWnd, &client);
    MemoryBitmap bmp(100, 80);
    ASSERT_TRUE(wnd.PaintThemedBorder(bmp.dc));
    // The border is one pixel (WS_BORDER); the scroll bars lie right of and below the client area.
    EXPECT_EQ(RGB(255, 0, 0), bmp.At(0, 40));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(1 + client.right + 2, 10));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(10, 1 + client.bottom + 2));
    EXPECT_EQ(RGB(255, 0, 0), bmp.At(99, 79));
}

TEST_F(CTWndThemeTest, UnborderedWindowsAndMissingVisualStylesAreLeftClassic)
{
    FakeTheme::Install(engine->m_themeApi);
    CTWndTheme plain;
    ASSERT_TRUE(Make(plain, 0));
    ASSERT_TRUE(plain.SetThemeClass(L"Treeview"));
    MemoryBitmap bmp(100, 80);
    EXPECT_FALSE(plain.PaintThemedBorder(bmp.dc));
    LRESULT result = 0;
    EXPECT_FALSE(plain.OnMessage(WM_NCCALCSIZE, 0, 0, &result));
    EXPECT_EQ(0, FakeTheme::draws);

    CTWndTheme edged;
    ASSERT_TRUE(Make(edged, 0, WS_EX_CLIENTEDGE));
    ASSERT_TRUE(edged.SetThemeClass(L"Treeview"));
    EXPECT_TRUE(edged.PaintThemedBorder(bmp.dc));

    engine->m_themeApi.SetModule(nullptr, false);
    CTWndTheme classic;
    ASSERT_TRUE(Make(classic, WS_BORDER));
    EXPECT_FALSE(classic.SetThemeClass(L"Treeview"));
    EXPECT_EQ(nullptr, classic.m_theme);
    EXPECT_FALSE(classic.PaintThemedBorder(bmp.dc));
    // Painting the frame still works through the default procedure.
    ShowWindow(classic.m_hWnd, SW_SHOWNOACTIVATE);
    UpdateWindow(classic.m_hWnd);
}

TEST_F(CTWndThemeTest, RealVisualStylesPaintWithoutFailing)
{
    CTWndTheme wnd;
    ASSERT_TRUE(Make(wnd, WS_BORDER));
    wnd.SetThemeClass(L"Treeview"); // opens when this system has visual styles
    ShowWindow(wnd.m_hWnd, SW_SHOWNOACTIVATE);
    RedrawWindow(wnd.m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    MemoryBitmap bmp(100, 80);
    EXPECT_EQ(wnd.m_theme != nullptr && engine->m_themeApi.IsAppThemed(), wnd.PaintThemedBorder(bmp.dc));
}

TEST(ThemeClassForWindow, MapsBorderedStandardControls)
{
    struct Case {
        const wchar_t* cls;
        DWORD style, exStyle;
        const wchar_t* expected; // null: false
    } cases[] = {
        {L"LISTBOX", WS_BORDER, 0, L"Listview"},
        {L"SysTreeView32", WS_BORDER, 0, L"Treeview"},
        {L"SysListView32", 0, WS_EX_CLIENTEDGE, L"Listview"},
        {L"edit", 0, WS_EX_CLIENTEDGE, L"Edit"},
        {L"BUTTON", WS_BORDER, 0, nullptr},
    };
    HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    for (const Case& c : cases) {
        HWND hwnd = CreateWindowExW(c.exStyle, c.cls, L"", WS_CHILD | c.style, 0, 0, 50, 50, parent, nullptr,
                                    nullptr, nullptr);
        ASSERT_NE(nullptr, hwnd) << c.cls;
        CTString out(L"untouched");
        EXPECT_EQ(c.expected != nullptr, ThemeClassForWindow(hwnd, out)) << c.cls;
        if (c.expected)
            EXPECT_TRUE(out.Equals(c.expected)) << c.cls;
        else
            EXPECT_TRUE(out.IsEmpty()) << c.cls;
        DestroyWindow(hwnd);
    }
    HWND plain =
        CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
    SetWindowLongW(plain, GWL_EXSTYLE, 0);
    CTString out(L"untouched");
    EXPECT_FALSE(ThemeClassForWindow(plain, out));
    EXPECT_TRUE(out.Equals(L"untouched"));
    DestroyWindow(parent);
}

} // namespace
