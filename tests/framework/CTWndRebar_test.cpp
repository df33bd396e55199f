#include <gtest/gtest.h>

#include "framework/CTWndRebar.h"
#include "framework/FakeSeams.h"

namespace {

// Commands reaching the source toolbar's window.
WNDPROC g_toolbarProc = nullptr;
int g_lastCommand = 0;
LRESULT CALLBACK RecordCommands(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) g_lastCommand = LOWORD(wParam);
    return CallWindowProcW(g_toolbarProc, hwnd, msg, wParam, lParam);
}

class RebarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 600, 200,
                                   nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(m_rebar.Create(m_parent, GetModuleHandleW(nullptr)));
        ASSERT_TRUE(m_toolbar.Create(m_rebar.m_hWnd, nullptr, TBSTYLE_FLAT, CTWndToolbar::IconSmall, 0));
        for (int i = 0; i < 10; ++i) {
            if (i == 5) m_toolbar.AppendButton(0, 0, 0, BTNS_SEP, nullptr);
            m_toolbar.AppendButton(i % 3, 100 + i, TBSTATE_ENABLED, BTNS_BUTTON, nullptr);
        }
        g_lastCommand = 0;
        g_toolbarProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_toolbar.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordCommands)));
    }
    void TearDown() override
    {
        SetWindowLongPtrW(m_toolbar.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_toolbarProc));
        m_rebar.m_popup.m_toolbar.Clear();
        m_rebar.m_popup.Destroy();
        m_toolbar.Clear();
        m_rebar.Destroy();
        DestroyWindow(m_parent);
    }
    // The visible part of the toolbar: its first `shown` buttons.
    RECT VisibleButtons(int shown)
    {
        RECT rc = {};
        int index = shown > 5 ? shown : shown - 1; // the separator sits before the sixth button
        if (shown > 0) SendMessageW(m_toolbar.m_hWnd, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        return {0, 0, rc.right, 100};
    }
    int PopupButtons() { return static_cast<int>(SendMessageW(m_rebar.m_popup.m_toolbar.m_hWnd, TB_BUTTONCOUNT, 0, 0)); }
    int PopupRows() { return static_cast<int>(SendMessageW(m_rebar.m_popup.m_toolbar.m_hWnd, TB_GETROWS, 0, 0)); }
    bool PopupVisible() { return m_rebar.m_popup.m_hWnd && IsWindowVisible(m_rebar.m_popup.m_hWnd); }

    HWND m_parent = nullptr;
    CTWndRebar m_rebar;
    CTWndToolbar m_toolbar;
    POINT m_anchor = {400, 300};
};

TEST_F(RebarTest, BandsAreInsertedFoundShownAndRecoloured)
{
    ASSERT_TRUE(m_rebar.InsertBand(m_toolbar.m_hWnd, -1, CTString(L"Tools"), 50, 22, 300));
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, m_rebar.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_rebar.InsertBand(other, 0, CTString(), 10, 10, 40));
    EXPECT_EQ(2, m_rebar.GetBandCount());
    int index = -1;
    EXPECT_TRUE(m_rebar.FindBand(m_toolbar.m_hWnd, &index));
    EXPECT_EQ(1, index);
    EXPECT_FALSE(m_rebar.FindBand(m_parent, &index));
    EXPECT_TRUE(m_rebar.ShowBand(other, false));
    EXPECT_FALSE(m_rebar.ShowBand(m_parent, true));
    EXPECT_FALSE(m_rebar.ShowBandAt(5, true));
    EXPECT_TRUE(m_rebar.SetBandWidth(1, 200));
    REBARBANDINFOW band = {REBARBANDINFOW_V6_SIZE, RBBIM_IDEALSIZE};
    SendMessageW(m_rebar.m_hWnd, RB_GETBANDINFOW, 1, reinterpret_cast<LPARAM>(&band));
    EXPECT_EQ(200u, band.cxIdeal);
    EXPECT_EQ(2, m_rebar.RefreshBandColors());
}

TEST_F(RebarTest, HiddenButtonsAreArrangedInRowsOfAboutFour)
{
    struct Case {
        int shown, copied, rows;
    } cases[] = {{2, 8, 2}, {7, 3, 1}, {6, 4, 1}, {5, 5, 2}};
    for (const Case& c : cases) {
        m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(c.shown), m_anchor);
        ASSERT_TRUE(PopupVisible()) << c.shown;
        EXPECT_EQ(c.copied, PopupButtons()) << c.shown;
        EXPECT_EQ(c.rows, PopupRows()) << c.shown;
        // The popup hangs to the left of and below the anchor.
        RECT rc = {};
        GetWindowRect(m_rebar.m_popup.m_hWnd, &rc);
        EXPECT_EQ(m_anchor.x, rc.right);
        EXPECT_EQ(m_anchor.y, rc.top);
        SendMessageW(m_rebar.m_popup.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

TEST_F(RebarTest, NothingOpensWhenEverythingFitsOrWhileOpen)
{
    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(10), m_anchor);
    EXPECT_FALSE(PopupVisible());
    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(2), m_anchor);
    ASSERT_TRUE(PopupVisible());
    HWND built = m_rebar.m_popup.m_toolbar.m_hWnd;
    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(7), m_anchor);
    EXPECT_EQ(built, m_rebar.m_popup.m_toolbar.m_hWnd);
    EXPECT_EQ(8, PopupButtons());
}

TEST_F(RebarTest, EscapeAndFocusLossCloseThePopup)
{
    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(2), m_anchor);
    ASSERT_TRUE(PopupVisible());
    SendMessageW(m_rebar.m_popup.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(PopupVisible());
    EXPECT_EQ(nullptr, m_rebar.m_popup.m_toolbar.m_hWnd);
    EXPECT_TRUE(m_rebar.m_popup.m_created);

    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(2), m_anchor);
    ASSERT_TRUE(PopupVisible());
    SetFocus(m_rebar.m_popup.m_hWnd);
    SetFocus(m_parent); // focus moves elsewhere
    EXPECT_FALSE(PopupVisible());
    EXPECT_EQ(nullptr, m_rebar.m_popup.m_toolbar.m_hWnd);
    EXPECT_EQ(nullptr, m_rebar.m_popup.m_toolbar.m_images);
}

TEST_F(RebarTest, PopupCommandsGoToTheSourceToolbar)
{
    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(2), m_anchor);
    ASSERT_TRUE(PopupVisible());
    SendMessageW(m_rebar.m_popup.m_hWnd, WM_COMMAND, MAKEWPARAM(107, BN_CLICKED),
                 reinterpret_cast<LPARAM>(m_rebar.m_popup.m_toolbar.m_hWnd));
    EXPECT_EQ(107, g_lastCommand);
}

TEST_F(RebarTest, APopupNearTheScreenEdgeStaysInsideTheWorkArea)
{
    HMONITOR monitor = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {sizeof(info)};
    GetMonitorInfoW(monitor, &info);
    POINT corner = {info.rcWork.right - 2, info.rcWork.bottom - 2};
    m_rebar.m_popup.Show(m_parent, GetModuleHandleW(nullptr), &m_toolbar, VisibleButtons(2), corner);
    ASSERT_TRUE(PopupVisible());
    RECT rc = {};
    GetWindowRect(m_rebar.m_popup.m_hWnd, &rc);
    EXPECT_LE(rc.bottom, info.rcWork.bottom);
    EXPECT_LE(rc.right, info.rcWork.right);
    EXPECT_GT(rc.bottom - rc.top, 0);
    EXPECT_LT(rc.top, corner.y); // moved up, keeping its size
}

TEST_F(RebarTest, TheChevronOpensThePopupForAFrameworkToolbarOnly)
{
    ASSERT_TRUE(m_rebar.InsertBand(m_toolbar.m_hWnd, -1, CTString(), 20, 22, 400));
    NMREBARCHEVRON chevron = {};
    chevron.hdr = {m_rebar.m_hWnd, 0, RBN_CHEVRONPUSHED};
    chevron.uBand = 0;
    chevron.rc = {100, 0, 112, 22};
    MoveWindow(m_toolbar.m_hWnd, 0, 0, 60, 22, TRUE);
    LRESULT result = 5;
    EXPECT_FALSE(m_rebar.OnChevronPushed(0, &chevron.hdr, &result));
    EXPECT_EQ(0, result);
    ASSERT_TRUE(PopupVisible());
    EXPECT_GT(PopupButtons(), 0);
    POINT anchor = {112, 22};
    ClientToScreen(m_rebar.m_hWnd, &anchor);
    RECT rc = {};
    GetWindowRect(m_rebar.m_popup.m_hWnd, &rc);
    EXPECT_EQ(anchor.y, rc.top);
    SendMessageW(m_rebar.m_popup.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);

    // A plain window in the band, or a notification from elsewhere, opens nothing.
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, m_rebar.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_rebar.InsertBand(plain, -1, CTString(), 10, 10, 40));
    chevron.uBand = 1;
    EXPECT_FALSE(m_rebar.OnChevronPushed(0, &chevron.hdr, &result));
    EXPECT_FALSE(PopupVisible());
    chevron.hdr.hwndFrom = m_parent;
    chevron.uBand = 0;
    EXPECT_FALSE(m_rebar.OnChevronPushed(0, &chevron.hdr, &result));
    EXPECT_FALSE(PopupVisible());
}

} // namespace

namespace {

// A parent that paints the bar itself in the erase stage and skips the default erase.
constexpr COLORREF kBarColour = RGB(3, 66, 142);
WNDPROC g_parentProc = nullptr;
int g_eraseStages = 0;
LRESULT CALLBACK PaintBarOnErase(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
        if (draw->dwDrawStage == CDDS_PREERASE) {
            ++g_eraseStages;
            HBRUSH brush = CreateSolidBrush(kBarColour);
            FillRect(draw->hdc, &draw->rc, brush);
            DeleteObject(brush);
            return CDRF_SKIPDEFAULT;
        }
    }
    return CallWindowProcW(g_parentProc, hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(RebarTest, TheParentPaintsTheBarInTheEraseStage)
{
    g_eraseStages = 0;
    g_parentProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintBarOnErase)));
    ASSERT_TRUE(m_rebar.InsertBand(m_toolbar.m_hWnd, 0, CTString(), 100, 24, 300));
    RECT rc = {};
    GetClientRect(m_rebar.m_hWnd, &rc);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);

    // The bar itself, and a transparent toolbar in it, which takes its background from the bar.
    g_eraseStages = 0;
    EXPECT_EQ(TRUE, SendMessageW(m_rebar.m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    EXPECT_EQ(kBarColour, GetPixel(dc, rc.right - 2, rc.bottom / 2));
    EXPECT_EQ(1, g_eraseStages);
    m_toolbar.ModifyStyle(0, TBSTYLE_TRANSPARENT, 0);
    PatBlt(dc, 0, 0, rc.right, rc.bottom, WHITENESS);
    SendMessageW(m_toolbar.m_hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(kBarColour, GetPixel(dc, 2, 2));
    EXPECT_EQ(2, g_eraseStages);

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    SetWindowLongPtrW(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_parentProc));
}
