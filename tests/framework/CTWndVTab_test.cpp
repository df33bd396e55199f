#include <gtest/gtest.h>

#include <vector>

#include "foundation/TickSource.h"
#include "framework/CTAnimation.h"
#include "framework/CTREngine.h"
#include "framework/CTWndTab.h"
#include "framework/CTWndVTab.h"
#include "tests/framework/FakeSeams.h"

namespace {

bool g_animate = false;
bool FakeEnabled() { return g_animate; }
DWORD g_tick = 0;
DWORD WINAPI FakeTick() { return g_tick; }

// The main window: records the strip's notifications.
struct Host : CTWnd2 {
    std::vector<UINT> codes;
    bool OnNotify(WPARAM, NMHDR* hdr, LRESULT* result) override
    {
        codes.push_back(hdr->code);
        *result = 0;
        return true;
    }
};

// A page window that takes part in the save/cancel protocol.
struct Page : CTWnd2, CTWndManager::VTabPage {
    int saves = 0;
    int refreshes = 0;
    bool Save() override { ++saves; return true; }
    bool Refresh() override { ++refreshes; return true; }
    bool Make(HWND parent, const wchar_t* text)
    {
        if (!Create(L"VTabTestPage", true, parent, WS_CHILD, 0, GetModuleHandleW(nullptr), nullptr)) return false;
        SetWindowText(text);
        return true;
    }
};

struct VTabTest : ::testing::Test {
    Host host;
    CTWndVTab strip;
    CTAnimation::EnabledFn oldEnabled = nullptr;
    std::vector<HWND> plain;

    void SetUp() override
    {
        g_animate = false;
        oldEnabled = CTAnimation::SetEnabledSource(FakeEnabled);
        RECT rc = {50, 50, 700, 500};
        ASSERT_TRUE(host.Create(L"VTabTestHost", true, nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                GetModuleHandleW(nullptr), &rc));
        ASSERT_TRUE(strip.Create(host.m_hWnd, GetModuleHandleW(nullptr)));
        strip.SetVerticalExtent(0, 400);
    }
    void TearDown() override
    {
        CTAnimation::SetEnabledSource(oldEnabled);
    }
    HWND Plain(const wchar_t* text)
    {
        HWND hwnd = CreateWindowExW(0, L"STATIC", text, WS_CHILD, 0, 0, 10, 10, host.m_hWnd, nullptr, nullptr, nullptr);
        plain.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> Order()
    {
        std::vector<HWND> out;
        for (auto* item = strip.m_pages.GetHead(); item; item = item->GetNext())
            out.push_back(static_cast<CTWndVTab::CWindow*>(item)->m_hwnd);
        return out;
    }
    void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    LPARAM Centre(HWND page)
    {
        RECT rc = strip.FindPage(page)->m_rect;
        return MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
};

TEST_F(VTabTest, PagesAreSortedByOrderAndTheStripWidensToTheWidestTab)
{
    HWND a = Plain(L"Alpha"), b = Plain(L"A much longer caption than the others"), c = Plain(L"C"), d = Plain(L"D");
    EXPECT_TRUE(strip.AddPage(a, 0, 3));
    EXPECT_TRUE(strip.AddPage(b, 0, 1));
    EXPECT_TRUE(strip.AddPage(c, 0, 2));
    EXPECT_TRUE(strip.AddPage(d, 0, 0)); // order 0 goes to the end
    EXPECT_FALSE(strip.AddPage(a, 0, 5));
    EXPECT_EQ(Order(), (std::vector<HWND>{b, c, a, d}));
    // The first page added is current; the others are hidden.
    ASSERT_TRUE(strip.m_current);
    EXPECT_EQ(strip.m_current->m_hwnd, a);
    EXPECT_EQ(strip.m_current->m_state, CTWndVTab::kStateSelected);
    // Tabs follow each other from the header down, one unit apart; all as wide as the widest.
    int y = strip.m_headerHeight, widest = 0;
    for (auto* item = strip.m_pages.GetHead(); item; item = item->GetNext()) {
        auto* page = static_cast<CTWndVTab::CWindow*>(item);
        EXPECT_EQ(page->m_rect.top, y);
        EXPECT_GT(page->m_height, 0);
        y = page->m_rect.bottom + strip.m_unitY;
        widest = std::max(widest, page->m_width);
    }
    EXPECT_EQ(strip.m_tabWidth, widest);
    EXPECT_EQ(strip.m_stripWidth, widest);
    EXPECT_EQ(strip.FindPage(b)->m_width, widest);
    RECT rc;
    GetWindowRect(strip.m_hWnd, &rc);
    EXPECT_EQ(rc.right - rc.left, widest);
    // The current page fills the space to the right of the strip.
    RECT pageRc;
    GetWindowRect(a, &pageRc);
    EXPECT_EQ(pageRc.left, rc.right);
}

TEST_F(VTabTest, SelectionByMouseAndKeysNotifiesTheParent)
{
    HWND a = Plain(L"A"), b = Plain(L"B"), c = Plain(L"C");
    strip.AddPage(a, 0, 1);
    strip.AddPage(b, 0, 2);
    strip.AddPage(c, 0, 3);
    host.codes.clear();
    SendMessageW(strip.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Centre(c));
    EXPECT_EQ(strip.m_current->m_hwnd, c);
    EXPECT_EQ(host.codes, (std::vector<UINT>{11, 10}));
    EXPECT_FALSE(IsWindowVisible(a));
    EXPECT_TRUE(IsWindowVisible(c));
    EXPECT_EQ(strip.FindPage(a)->m_state, 0);
    // Selecting the current page again does nothing.
    host.codes.clear();
    strip.SelectPage(strip.FindPage(c));
    EXPECT_TRUE(host.codes.empty());

    struct Row { WPARAM key; HWND expected; } rows[] = {
        {VK_RIGHT, c}, // at the end: nothing
        {VK_UP, b},   {VK_LEFT, a}, {VK_UP, a}, // at the start: nothing
        {VK_DOWN, b},
    };
    for (const Row& r : rows) {
        SendMessageW(strip.m_hWnd, WM_KEYDOWN, r.key, 0);
        EXPECT_EQ(strip.m_current->m_hwnd, r.expected) << r.key;
    }
    // From the keyboard the current tab is also focused.
    EXPECT_TRUE(strip.m_keyboard);
    EXPECT_EQ(strip.m_current->m_state, CTWndVTab::kStateSelected | CTWndVTab::kStateFocused);
    // Invisible tabs are skipped.
    strip.FindPage(c)->m_visible = false;
    SendMessageW(strip.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(strip.m_current->m_hwnd, b);
    strip.ShowTab(c);
    EXPECT_TRUE(strip.FindPage(c)->m_visible);
    SendMessageW(strip.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(strip.m_current->m_hwnd, c);
}

TEST_F(VTabTest, HotTrackingAndRemovingTheHotPage)
{
    HWND a = Plain(L"A"), b = Plain(L"B"), c = Plain(L"C");
    strip.AddPage(a, 0, 1);
    strip.AddPage(b, 0, 2);
    strip.AddPage(c, 0, 3);
    SetForegroundWindow(host.m_hWnd);
    Pump();
    // The selected tab never becomes hot.
    SendMessageW(strip.m_hWnd, WM_MOUSEMOVE, 0, Centre(a));
    EXPECT_EQ(strip.m_hot, nullptr);
    SendMessageW(strip.m_hWnd, WM_MOUSEMOVE, 0, Centre(b));
    ASSERT_EQ(strip.m_hot, strip.FindPage(b));
    EXPECT_EQ(strip.m_hot->m_state, CTWndVTab::kStateHot);
    SendMessageW(strip.m_hWnd, WM_MOUSEMOVE, 0, Centre(c));
    EXPECT_EQ(strip.m_hot, strip.FindPage(c));
    EXPECT_EQ(strip.FindPage(b)->m_state, 0);
    // Removing the hot page forgets it, so the next mouse messages touch no deleted tab.
    EXPECT_TRUE(strip.RemovePage(c));
    EXPECT_EQ(strip.m_hot, nullptr);
    EXPECT_FALSE(strip.RemovePage(c));
    SendMessageW(strip.m_hWnd, WM_CAPTURECHANGED, 0, 0);
    SendMessageW(strip.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(Order(), (std::vector<HWND>{a, b}));
    // Removing the current page selects another; the remaining tabs are laid out from the first's place.
    int top = strip.FindPage(b)->m_rect.top;
    EXPECT_TRUE(strip.RemovePage(a));
    EXPECT_EQ(strip.m_current->m_hwnd, b);
    EXPECT_EQ(strip.FindPage(b)->m_rect.top, top);
    EXPECT_TRUE(strip.RemovePage(b));
    EXPECT_EQ(strip.m_current, nullptr);
    ReleaseCapture();
}

TEST_F(VTabTest, SaveCancelBarFollowsTheCurrentPage)
{
    Page p1, p2;
    ASSERT_TRUE(p1.Make(host.m_hWnd, L"One"));
    ASSERT_TRUE(p2.Make(host.m_hWnd, L"Two"));
    strip.AddPage(p1.m_hWnd, 0, 1);
    strip.AddPage(p2.m_hWnd, 0, 2);
    EXPECT_EQ(p1.m_strip, &strip);
    const int full = MulDiv(40, CTREngine::Instance()->m_dpi.y, 96);

    // A page that is not current keeps its mark without a bar; selecting it shows the bar at once.
    p2.SetModified(true);
    EXPECT_TRUE(strip.FindPage(p2.m_hWnd)->m_modified);
    EXPECT_FALSE(strip.m_saveCancel.IsWindow());
    strip.SelectPage(strip.FindPage(p2.m_hWnd));
    ASSERT_TRUE(strip.m_saveCancel.IsWindow());
    EXPECT_TRUE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    EXPECT_EQ(strip.m_saveCancelHeight, full);
    RECT bar, page;
    GetWindowRect(strip.m_saveCancel.m_hWnd, &bar);
    GetWindowRect(p2.m_hWnd, &page);
    EXPECT_EQ(page.bottom, bar.top);
    EXPECT_EQ(bar.bottom - bar.top, full);
    // Leaving hides it at once.
    strip.SelectPage(strip.FindPage(p1.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    EXPECT_EQ(strip.m_saveCancelHeight, 0);

    // Without animation the current page's mark shows the bar at once; Save goes to the page.
    p1.SetModified(true);
    p1.SetModified(true); // unchanged: nothing
    EXPECT_TRUE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    EXPECT_EQ(strip.m_saveCancelHeight, full);
    SendMessageW(GetDlgItem(strip.m_saveCancel.m_hWnd, CTWndVTab::kSaveId), BM_CLICK, 0, 0);
    EXPECT_EQ(p1.saves, 1);
    EXPECT_EQ(p1.refreshes, 0);
    EXPECT_FALSE(strip.FindPage(p1.m_hWnd)->m_modified);
    EXPECT_FALSE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    // A second click while the bar is not wanted does nothing.
    SendMessageW(strip.m_hWnd, WM_COMMAND, MAKEWPARAM(CTWndVTab::kSaveId, BN_CLICKED), 0);
    EXPECT_EQ(p1.saves, 1);

    // With animation the bar slides in over 400 ms, stepped by the strip's timer; Cancel refreshes.
    g_animate = true;
    g_tick = 5000;
    TickSource::Function oldTick = TickSource::Replace(FakeTick);
    p1.SetModified(true);
    EXPECT_EQ(strip.m_saveCancelHeight, 0);
    EXPECT_TRUE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    g_tick = 5200; // half the time left: a quarter of the distance still to go
    SendMessageW(strip.m_hWnd, WM_TIMER, CTWndVTab::kSlideTimer, 0);
    EXPECT_EQ(strip.m_saveCancelHeight, full - full / 4);
    g_tick = 5400;
    SendMessageW(strip.m_hWnd, WM_TIMER, CTWndVTab::kSlideTimer, 0);
    EXPECT_EQ(strip.m_saveCancelHeight, full);
    SendMessageW(GetDlgItem(strip.m_saveCancel.m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(p1.refreshes, 1);
    EXPECT_TRUE(IsWindowVisible(strip.m_saveCancel.m_hWnd)); // sliding out
    g_tick = 5600;
    SendMessageW(strip.m_hWnd, WM_TIMER, CTWndVTab::kSlideTimer, 0);
    EXPECT_EQ(strip.m_saveCancelHeight, 0);
    EXPECT_FALSE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    EXPECT_EQ(strip.m_slide.timer, 0u);
    TickSource::Replace(oldTick);
    strip.RemovePage(p1.m_hWnd);
    strip.RemovePage(p2.m_hWnd);
}

TEST_F(VTabTest, PaintsWithoutFailing)
{
    HWND a = Plain(L"A");
    strip.AddPage(a, 0, 1);
    InvalidateRect(strip.m_hWnd, nullptr, TRUE);
    UpdateWindow(strip.m_hWnd);
    EXPECT_TRUE(strip.FindPage(a)->m_rendered);
    EXPECT_TRUE(strip.FindPage(a)->m_background);
}

// A settings tab: refreshes asked for while hidden run once on the next show.
struct Tab : CTWndTab {
    int refreshes = 0;
    int GetTabId() override { return 1025; }
    void Refresh() override
    {
        if (m_visible) ++refreshes;
        else m_refreshPending = true;
    }
};

TEST_F(VTabTest, HiddenSettingsTabRefreshesOnceWhenShown)
{
    Tab tab;
    ASSERT_TRUE(tab.Create(L"VTabTestTab", true, host.m_hWnd, WS_CHILD, 0, GetModuleHandleW(nullptr), nullptr));
    tab.Refresh();
    tab.Refresh();
    EXPECT_EQ(tab.refreshes, 0);
    tab.ShowWindow(SW_SHOW);
    EXPECT_TRUE(tab.m_visible);
    EXPECT_EQ(tab.refreshes, 1);
    tab.ShowWindow(SW_HIDE);
    tab.ShowWindow(SW_SHOW);
    EXPECT_EQ(tab.refreshes, 1);
    tab.ShowWindow(SW_HIDE);
    EXPECT_FALSE(tab.m_visible);
}

// A settings tab whose owner is a strip page passes its mark on to the strip.
TEST_F(VTabTest, SettingsTabMarksItsOwnersTab)
{
    Page settings;
    ASSERT_TRUE(settings.Make(host.m_hWnd, L"Settings"));
    strip.AddPage(settings.m_hWnd, 0, 1);
    Tab tab;
    tab.SetOwner(&settings);
    tab.SetModified(true);
    EXPECT_TRUE(strip.FindPage(settings.m_hWnd)->m_modified);
    EXPECT_TRUE(IsWindowVisible(strip.m_saveCancel.m_hWnd));
    strip.RemovePage(settings.m_hWnd);
    EXPECT_EQ(settings.m_strip, nullptr);
}

} // namespace
