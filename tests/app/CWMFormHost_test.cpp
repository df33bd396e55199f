// The pane page host: pages as restyled child dialogs, tabs in page order as pages are disabled and
// enabled again, a valid selection after removals, and loading only the page on show.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "app/CWMFormHost.h"
#include "app/CWMFormPage.h"

namespace {

// Follows the pages' convention: a hidden page only marks itself pending.
class FakePage : public CWMFormPage {
public:
    explicit FakePage(UINT templateId) : m_templateId(templateId) {}
    UINT GetTemplateId() override { return m_templateId; }
    bool Load() override
    {
        if (!m_hWnd || !IsWindowVisible(m_hWnd)) {
            m_loadPending = true;
            return true;
        }
        m_loadPending = false;
        ++m_loads;
        return true;
    }
    UINT m_templateId;
    int m_loads = 0;
};

class FakeHost : public CWMFormHost {
public:
    void SetModified(bool modified) override { m_modified = modified; }
    bool m_modified = false;
};

// A visible pane window with a tab control, the host and its pages.
class PageHostTest : public testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        m_pane = CreateWindowExW(0, L"STATIC", L"pane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10,
                                 500, 400, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_pane, nullptr);
        m_host.m_tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 20,
                                       400, 300, m_pane, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_host.m_tab, nullptr);
    }
    void TearDown() override
    {
        m_host.m_pages.DeleteAll();
        if (m_pane) DestroyWindow(m_pane);
    }

    FakePage* Add(UINT templateId, bool enabled = true)
    {
        auto* page = new FakePage(templateId);
        page->m_enabled = enabled;
        m_host.AddPage(m_pane, page);
        return page;
    }

    int Count() { return static_cast<int>(SendMessageW(m_host.m_tab, TCM_GETITEMCOUNT, 0, 0)); }
    int Selected() { return static_cast<int>(SendMessageW(m_host.m_tab, TCM_GETCURSEL, 0, 0)); }
    // The pages on the tabs, in tab order.
    std::vector<CWMFormPage*> Tabs()
    {
        std::vector<CWMFormPage*> out;
        for (int i = 0; i < Count(); ++i) {
            TCITEMW item = {};
            item.mask = TCIF_PARAM;
            SendMessageW(m_host.m_tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            out.push_back(reinterpret_cast<CWMFormPage*>(item.lParam));
        }
        return out;
    }
    std::wstring TabText(int index)
    {
        wchar_t text[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(m_host.m_tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // What the pane does on TCN_SELCHANGING and TCN_SELCHANGE.
    void SelectTab(int index)
    {
        m_host.HideSelectedPage();
        SendMessageW(m_host.m_tab, TCM_SETCURSEL, index, 0);
        m_host.ShowSelectedPage(m_pane);
    }

    HWND m_pane = nullptr;
    FakeHost m_host;
};

TEST_F(PageHostTest, PagesAreChildDialogsOfClassicAndExtendedTemplates)
{
    FakePage* classic = Add(301);
    FakePage* extended = Add(302);
    FakePage* untitled = Add(303);
    for (FakePage* page : {classic, extended, untitled}) {
        ASSERT_NE(page->m_hWnd, nullptr) << page->m_templateId;
        EXPECT_EQ(GetParent(page->m_hWnd), m_pane);
        EXPECT_EQ(page->m_host, &m_host);
        LONG style = GetWindowLongW(page->m_hWnd, GWL_STYLE);
        LONG exStyle = GetWindowLongW(page->m_hWnd, GWL_EXSTYLE);
        EXPECT_TRUE(style & WS_CHILD) << page->m_templateId;
        EXPECT_EQ(style & (WS_POPUP | WS_DISABLED | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | DS_MODALFRAME), 0)
            << page->m_templateId;
        EXPECT_TRUE(exStyle & WS_EX_CONTROLPARENT) << page->m_templateId;
        EXPECT_EQ(exStyle & WS_EX_DLGMODALFRAME, 0) << page->m_templateId;
    }
    // Other extended styles of the template stay.
    EXPECT_TRUE(GetWindowLongW(extended->m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_NE(GetDlgItem(extended->m_hWnd, 1002), nullptr);
    // Tab texts come from the captions; a page without caption keeps an empty text.
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(TabText(0), L"General");
    EXPECT_EQ(TabText(1), L"Details");
    EXPECT_EQ(TabText(2), L"");
    EXPECT_EQ(Tabs(), (std::vector<CWMFormPage*>{classic, extended, untitled}));
}

TEST_F(PageHostTest, MissingTemplateAndDisabledPagesGetNoTab)
{
    FakePage* first = Add(301);
    FakePage* missing = Add(999);
    FakePage* disabled = Add(302, false);
    FakePage* last = Add(304);
    EXPECT_EQ(missing->m_hWnd, nullptr);
    EXPECT_EQ(disabled->m_hWnd, nullptr);
    EXPECT_EQ(m_host.m_pages.GetCount(), 4u);
    EXPECT_EQ(Tabs(), (std::vector<CWMFormPage*>{first, last}));
}

TEST_F(PageHostTest, OnlyThePageOnShowLoadsUntilSelected)
{
    FakePage* first = Add(301);
    FakePage* second = Add(302);
    ASSERT_TRUE(m_host.ShowPages(m_pane));
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(m_host.GetSelectedPage(), first);
    EXPECT_TRUE(IsWindowVisible(first->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(second->m_hWnd));

    // The page fills the tab control's display area.
    RECT tab = {}, page = {}, area = {};
    GetWindowRect(m_host.m_tab, &tab);
    GetWindowRect(first->m_hWnd, &page);
    GetClientRect(m_host.m_tab, &area);
    SendMessageW(m_host.m_tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    EXPECT_EQ(page.left - tab.left, area.left);
    EXPECT_EQ(page.top - tab.top, area.top);
    EXPECT_EQ(page.right - page.left, area.right - area.left);
    EXPECT_EQ(page.bottom - page.top, area.bottom - area.top);

    EXPECT_TRUE(m_host.LoadPages());
    EXPECT_EQ(first->m_loads, 1);
    EXPECT_FALSE(first->m_loadPending);
    EXPECT_EQ(second->m_loads, 0);
    EXPECT_TRUE(second->m_loadPending);

    // A reload of the page on show loads it; of a hidden page it only marks it.
    first->Reload();
    EXPECT_EQ(first->m_loads, 2);
    SelectTab(1);
    EXPECT_FALSE(IsWindowVisible(first->m_hWnd));
    EXPECT_TRUE(IsWindowVisible(second->m_hWnd));
    EXPECT_EQ(second->m_loads, 1);
    EXPECT_FALSE(second->m_loadPending);
    first->Reload();
    EXPECT_EQ(first->m_loads, 2);
    EXPECT_TRUE(first->m_loadPending);
    SelectTab(0);
    EXPECT_EQ(first->m_loads, 3);
    // Selecting a page that has nothing pending does not load it again.
    SelectTab(1);
    EXPECT_EQ(second->m_loads, 1);
}

TEST_F(PageHostTest, DisabledPagesLoseTheirTabsAndComeBackInPlace)
{
    FakePage* a = Add(301);
    FakePage* b = Add(302);
    FakePage* c = Add(304);
    m_host.ShowPages(m_pane);

    // The first two disabled: both tabs go, the remaining page is selected and loaded.
    a->SetEnabled(false);
    EXPECT_FALSE(a->SetEnabled(false));
    b->SetEnabled(false);
    m_host.RefreshPages();
    EXPECT_EQ(Tabs(), (std::vector<CWMFormPage*>{c}));
    EXPECT_EQ(a->m_hWnd, nullptr);
    EXPECT_EQ(b->m_hWnd, nullptr);
    EXPECT_EQ(m_host.m_pages.GetCount(), 3u);
    EXPECT_EQ(Selected(), 0);
    EXPECT_TRUE(IsWindowVisible(c->m_hWnd));
    EXPECT_EQ(c->m_loads, 1);

    // b enabled again gets a new window and its tab before c, not at the end.
    EXPECT_TRUE(b->SetEnabled(true));
    m_host.RefreshPages();
    ASSERT_NE(b->m_hWnd, nullptr);
    EXPECT_EQ(Tabs(), (std::vector<CWMFormPage*>{b, c}));
    EXPECT_EQ(TabText(0), L"Details");
    a->SetEnabled(true);
    m_host.RefreshPages();
    EXPECT_EQ(Tabs(), (std::vector<CWMFormPage*>{a, b, c}));
    ASSERT_NE(m_host.GetSelectedPage(), nullptr);
    EXPECT_TRUE(IsWindowVisible(m_host.GetSelectedPage()->m_hWnd));
}

TEST_F(PageHostTest, RemovingTheSelectedLastTabSelectsAndLoadsTheNewLast)
{
    FakePage* a = Add(301);
    FakePage* b = Add(302);
    FakePage* c = Add(304);
    m_host.ShowPages(m_pane);
    m_host.LoadPages();
    SelectTab(2);
    EXPECT_EQ(c->m_loads, 1);
    EXPECT_TRUE(b->m_loadPending);

    c->SetEnabled(false);
    m_host.RefreshPages();
    EXPECT_EQ(Tabs(), (std::vector<CWMFormPage*>{a, b}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(m_host.GetSelectedPage(), b);
    EXPECT_TRUE(IsWindowVisible(b->m_hWnd));
    EXPECT_EQ(b->m_loads, 1);
    EXPECT_FALSE(b->m_loadPending);

    // All pages disabled: no tab, no selection, nothing left to place.
    a->SetEnabled(false);
    b->SetEnabled(false);
    m_host.RefreshPages();
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(m_host.GetSelectedPage(), nullptr);
    EXPECT_EQ(m_host.LayoutSelectedPage(m_pane), -1);
    EXPECT_TRUE(m_host.LoadPages());
}

} // namespace
