#include <gtest/gtest.h>

#include "foundation/TickSource.h"
#include "framework/CTWndSplitter.h"
#include "framework/FakeSeams.h"

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b); }

namespace {

DWORD g_now = 100000;
DWORD WINAPI FakeNow() { return g_now; }

// A parent of client size 400 x 300 with two panes over the same area inside 5-pixel margins.
class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previousTick = TickSource::Replace(FakeNow);
        SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &m_savedAnimation, 0);
        RECT rc = {0, 0, 400, 300};
        AdjustWindowRectEx(&rc, WS_POPUP, FALSE, 0);
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10,
                                   rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr, nullptr, nullptr);
        m_first = MakePane();
        m_second = MakePane();
    }
    void TearDown() override
    {
        DestroyWindow(m_parent);
        SystemParametersInfoW(SPI_SETMENUANIMATION, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(m_savedAnimation)), 0);
        TickSource::Replace(m_previousTick);
    }
    HWND MakePane()
    {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 5, 5, 390, 290, m_parent, nullptr, nullptr,
                               nullptr);
    }
    static void SetAnimation(bool on)
    {
        SystemParametersInfoW(SPI_SETMENUANIMATION, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(on)), 0);
    }
    RECT InParent(HWND hwnd)
    {
        RECT rc = {};
        GetWindowRect(hwnd, &rc);
        MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    void ResizeParent(CTWndSplitter& s, int width, int height)
    {
        RECT rc = {0, 0, width, height};
        AdjustWindowRectEx(&rc, WS_POPUP, FALSE, 0);
        SetWindowPos(m_parent, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER);
        s.Layout(width, height);
    }

    HWND m_parent = nullptr, m_first = nullptr, m_second = nullptr;
    BOOL m_savedAnimation = FALSE;
    TickSource::Function m_previousTick = nullptr;
};

TEST_F(SplitterTest, CreationSplitsTheAreaInHalfAndPlacesBothPanes)
{
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 2, 20, 30, false));
    EXPECT_EQ(200, s.GetPosition());
    EXPECT_EQ(6, s.m_thickness);
    RECT first = InParent(m_first), second = InParent(m_second), bar = InParent(s.m_hWnd);
    EXPECT_EQ((RECT{5, 5, 198, 295}), first);
    EXPECT_EQ((RECT{208, 5, 395, 295}), second);
    EXPECT_EQ((RECT{200, 5, 206, 295}), bar);
}

TEST_F(SplitterTest, SetPositionKeepsBothPanesAboveTheirMinimums)
{
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
    // First pane starts at 5; second pane ends at 395; bar thickness 6.
    struct Case {
        int asked, expected;
    } cases[] = {
        {100, 100}, {-50, 26}, {4, 26}, {25, 26}, {26, 26}, {27, 27},
        {358, 358}, {359, 358}, {500, 358},
    };
    for (const Case& c : cases) {
        s.SetPosition(c.asked);
        EXPECT_EQ(c.expected, s.GetPosition()) << "asked " << c.asked;
        RECT first = InParent(m_first), second = InParent(m_second);
        EXPECT_EQ(c.expected, first.right) << "asked " << c.asked;
        EXPECT_EQ(c.expected + 6, second.left) << "asked " << c.asked;
        EXPECT_GE(first.right - first.left, 20 + 1);
        EXPECT_GE(second.right - second.left, 30 + 1);
    }
}

TEST_F(SplitterTest, DraggingFollowsThePointerWithinTheMinimums)
{
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
    // Bar client coordinates: the bar starts at x = 200 of the parent.
    LRESULT r = 0;
    EXPECT_FALSE(s.OnMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(50, 10), &r)); // beside the bar
    EXPECT_FALSE(s.m_dragging);
    EXPECT_TRUE(s.OnMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(2, 10), &r));
    EXPECT_TRUE(s.m_dragging);
    s.OnMessage(WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-100), 10), &r); // parent x 100
    EXPECT_EQ(100, s.GetPosition());
    s.OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(300 - 100), 10), &r); // bar now at 100: parent x 300
    EXPECT_FALSE(s.m_dragging);
    EXPECT_EQ(300, s.GetPosition());
    EXPECT_NE(GetCapture(), s.m_hWnd);
    ClipCursor(nullptr);
}

TEST_F(SplitterTest, FixedModeKeepsTheSecondPaneAtItsMinimumAndCannotBeDragged)
{
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, true));
    EXPECT_EQ(0, s.m_thickness);
    EXPECT_EQ(400 - 5 - 30 - 1, s.GetPosition());
    s.SetPosition(100);
    EXPECT_EQ(400 - 5 - 30 - 1, s.GetPosition());
    ResizeParent(s, 600, 300);
    EXPECT_EQ(600 - 5 - 30 - 1, s.GetPosition());
    EXPECT_EQ(31, InParent(m_second).right - InParent(m_second).left);
    LRESULT r = 0;
    EXPECT_FALSE(s.OnMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(s.m_hWnd), HTCLIENT, &r));
}

TEST_F(SplitterTest, EnlargingKeepsTheBarAndAMinimisedParentChangesNothing)
{
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
    s.SetPosition(150);
    ResizeParent(s, 600, 300);
    EXPECT_EQ(150, s.GetPosition());
    RECT before = InParent(m_second);
    s.Layout(0, 0);
    EXPECT_EQ(150, s.GetPosition());
    EXPECT_EQ(before, InParent(m_second));
    EXPECT_EQ(600, s.m_lastWidth);
    ResizeParent(s, 180, 300); // the second pane would fall below its minimum
    EXPECT_EQ(180 - 5 - 6 - 30 - 1, s.GetPosition());
}

TEST_F(SplitterTest, CollapsingWithoutAnimationSwitchesAtOnce)
{
    SetAnimation(false);
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
    s.SetPosition(150);
    EXPECT_FALSE(s.SetSplit(true, true)); // already shown
    EXPECT_TRUE(s.SetSplit(false, true));
    EXPECT_EQ(0u, s.m_slideTimer);
    EXPECT_EQ(nullptr, s.m_snapFirst);
    EXPECT_FALSE(IsWindowVisible(m_second));
    EXPECT_FALSE(IsWindowVisible(s.m_hWnd));
    EXPECT_EQ((RECT{5, 5, 395, 295}), InParent(m_first));
    // While off the position is only stored; the next show uses it.
    s.SetPosition(120);
    EXPECT_TRUE(s.SetSplit(true, false));
    EXPECT_TRUE(IsWindowVisible(m_second));
    EXPECT_EQ(120, s.GetPosition());
    EXPECT_EQ(120, InParent(m_first).right);
}

TEST_F(SplitterTest, TheFirstPaneCanBeTheCollapsingOne)
{
    SetAnimation(false);
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
    s.SetFirstPaneCollapsible();
    EXPECT_TRUE(s.SetSplit(false, false));
    EXPECT_FALSE(IsWindowVisible(m_first));
    EXPECT_TRUE(IsWindowVisible(m_second));
    EXPECT_EQ((RECT{5, 5, 395, 295}), InParent(m_second));
}

TEST_F(SplitterTest, AnimatedCollapseSlidesFromSnapshotsAndEndsInTheNewLayout)
{
    SetAnimation(true);
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0);
    if (!on) GTEST_SKIP() << "menu animation cannot be switched on here";
    // A bordered edit in the second pane gets a themed border only for the snapshot.
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"x", WS_CHILD | WS_VISIBLE, 2, 2, 80, 20, m_second,
                                nullptr, nullptr, nullptr);
    LONG_PTR editProc = GetWindowLongPtrW(edit, GWLP_WNDPROC);
    CTWndSplitter s;
    ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
    s.SetPosition(200);

    ASSERT_TRUE(s.SetSplit(false, true));
    EXPECT_NE(0u, s.m_slideTimer);
    EXPECT_NE(nullptr, s.m_snapFirst);
    EXPECT_NE(nullptr, s.m_snapSecond);
    EXPECT_EQ(editProc, GetWindowLongPtrW(edit, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CTWnd2::FromHandle(edit));
    EXPECT_EQ(195u, s.m_slideDistance); // 400 - 200 - 5
    EXPECT_EQ((RECT{5, 5, 395, 295}), InParent(s.m_hWnd));
    EXPECT_EQ(390 - 195, s.m_position); // the whole second pane still shown
    EXPECT_FALSE(s.SetSplit(true, true)); // no second slide while one runs

    LRESULT r = 0;
    // A tick at once: the pane is still fully shown, which is not the end of a collapse.
    s.OnMessage(WM_TIMER, 1, 0, &r);
    EXPECT_NE(0u, s.m_slideTimer);
    EXPECT_EQ(390 - 195, s.m_position);
    g_now += 150;
    s.OnMessage(WM_TIMER, 1, 0, &r);
    EXPECT_NE(0u, s.m_slideTimer);
    EXPECT_GT(s.m_position, 390 - 195);
    EXPECT_LT(s.m_position, 390);

    g_now += 200;
    s.OnMessage(WM_TIMER, 1, 0, &r);
    EXPECT_EQ(0u, s.m_slideTimer);
    EXPECT_EQ(nullptr, s.m_snapFirst);
    EXPECT_EQ(nullptr, s.m_snapSecond);
    EXPECT_FALSE(IsWindowVisible(s.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(m_second));
    EXPECT_TRUE(IsWindowVisible(m_first));
    EXPECT_EQ((RECT{5, 5, 395, 295}), InParent(m_first));

    // And back: the stored position returns.
    ASSERT_TRUE(s.SetSplit(true, true));
    EXPECT_NE(0u, s.m_slideTimer);
    g_now += 400;
    s.OnMessage(WM_TIMER, 1, 0, &r);
    EXPECT_EQ(0u, s.m_slideTimer);
    EXPECT_TRUE(IsWindowVisible(m_second));
    EXPECT_TRUE(IsWindowVisible(s.m_hWnd));
    EXPECT_EQ(200, s.GetPosition());
    EXPECT_EQ(200, InParent(m_first).right);
    EXPECT_EQ(206, InParent(m_second).left);
}

TEST_F(SplitterTest, DestroyingDuringASlideRestoresThePanes)
{
    SetAnimation(true);
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0);
    if (!on) GTEST_SKIP() << "menu animation cannot be switched on here";
    {
        CTWndSplitter s;
        ASSERT_TRUE(s.Create(m_parent, m_first, m_second, true, GetModuleHandleW(nullptr), 0, 20, 30, false));
        ASSERT_TRUE(s.SetSplit(false, true));
        ASSERT_NE(0u, s.m_slideTimer);
        EXPECT_FALSE(IsWindowVisible(m_first));
    }
    EXPECT_TRUE(IsWindow(m_first));
    EXPECT_TRUE(IsWindow(m_second));
    EXPECT_TRUE(IsWindowVisible(m_first));
    EXPECT_EQ((RECT{5, 5, 395, 295}), InParent(m_first));
}

} // namespace
