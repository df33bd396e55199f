#include <gtest/gtest.h>

#include <vector>

#include "framework/CTWndStatusbar.h"
#include "framework/FakeSeams.h"

namespace {

// The parent answers the bar's tool-tip questions with whatever text it holds at that moment.
const wchar_t* g_parentTip = L"first";
int g_parentAsked = 0;
WNDPROC g_parentProc = nullptr;
LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && wParam == CTWndStatusbar::kControlId) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (info->hdr.code == TTN_GETDISPINFOW) {
            ++g_parentAsked;
            info->lpszText = const_cast<wchar_t*>(g_parentTip);
            return 0;
        }
    }
    return CallWindowProcW(g_parentProc, hwnd, msg, wParam, lParam);
}

class StatusbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 600, 200, nullptr,
                                   nullptr, nullptr, nullptr);
        g_parentProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ParentProc)));
        g_parentAsked = 0;
        ASSERT_TRUE(m_bar.Create(m_parent, GetModuleHandleW(nullptr)));
    }
    void TearDown() override
    {
        m_bar.Destroy();
        DestroyWindow(m_parent);
    }
    std::vector<int> Edges()
    {
        int n = static_cast<int>(SendMessageW(m_bar.m_hWnd, SB_GETPARTS, 0, 0));
        std::vector<int> edges(n > 0 ? n : 1);
        SendMessageW(m_bar.m_hWnd, SB_GETPARTS, n, reinterpret_cast<LPARAM>(edges.data()));
        edges.resize(n);
        return edges;
    }
    int ClientWidth()
    {
        RECT rc = {};
        GetClientRect(m_bar.m_hWnd, &rc);
        return rc.right;
    }
    std::wstring PartText(int part)
    {
        wchar_t text[256] = {};
        SendMessageW(m_bar.m_hWnd, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    NMTTDISPINFOW AskTip(int part)
    {
        NMTTDISPINFOW info = {};
        info.hdr = {m_bar.m_toolTip.m_hWnd, static_cast<UINT_PTR>(part), TTN_GETDISPINFOW};
        SendMessageW(m_bar.m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    }
    // The main window's five panes.
    void AddMainPanes()
    {
        ASSERT_TRUE(m_bar.AddPane(-1, 0x8000100, CTString(L"Ready")));
        ASSERT_TRUE(m_bar.AddPane(-1, 0x100, CTString(L"Server: alpha")));
        ASSERT_TRUE(m_bar.AddPane(-1, 0x100100, CTString()));
        ASSERT_TRUE(m_bar.AddPane(-1, 0x3000100, CTString()));
        ASSERT_TRUE(m_bar.AddPane(-1, 0x100, CTString(L"x")));
    }

    HWND m_parent = nullptr;
    CTWndStatusbar m_bar;
};

TEST_F(StatusbarTest, TheStretchingPaneTakesWhatTheOthersLeave)
{
    AddMainPanes();
    m_bar.SetThirdPaneWidth(80);
    EXPECT_EQ(80, m_bar.GetPane(2)->m_width);
    int fixed = 0;
    for (int i = 1; i < 5; ++i) fixed += m_bar.GetPane(i)->m_width;
    EXPECT_GT(m_bar.GetPane(1)->m_width, 0);
    ASSERT_GT(m_bar.m_gripWidth, 0);

    std::vector<int> edges = Edges();
    ASSERT_EQ(5u, edges.size());
    EXPECT_EQ(ClientWidth() - m_bar.m_gripWidth - fixed, edges[0]);
    EXPECT_EQ(edges[0] + m_bar.GetPane(1)->m_width, edges[1]);
    EXPECT_EQ(ClientWidth() - m_bar.m_gripWidth, edges[4]);

    // Maximised, the grip is not drawn and the stretching pane gets its width too.
    ShowWindow(m_parent, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(m_parent));
    SendMessageW(m_bar.m_hWnd, WM_SIZE, 0, 0);
    edges = Edges();
    EXPECT_EQ(ClientWidth() - fixed, edges[0]);
    ShowWindow(m_parent, SW_RESTORE);
}

TEST_F(StatusbarTest, WithOnlyEmptyFixedPanesTheStretchingPaneKeepsTheFullWidth)
{
    ASSERT_TRUE(m_bar.AddPane(-1, 0, CTString()));
    ASSERT_TRUE(m_bar.AddPane(0, CTWndStatusbar::Stretch, CTString())); // inserted in front
    ASSERT_TRUE(m_bar.AddPane(-1, 0, CTString()));
    EXPECT_TRUE(m_bar.GetPane(0)->m_flags & CTWndStatusbar::Stretch);
    for (int width : {600, 420, 700, 300}) {
        SetWindowPos(m_parent, nullptr, 0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(m_bar.m_hWnd, WM_SIZE, 0, 0);
        std::vector<int> edges = Edges();
        ASSERT_EQ(3u, edges.size());
        EXPECT_EQ(ClientWidth() - m_bar.m_gripWidth, edges[0]) << width;
    }
}

TEST_F(StatusbarTest, TextsAreSentOnlyWhenTheyChange)
{
    AddMainPanes();
    EXPECT_EQ(L"Server: alpha", PartText(1));
    int before = m_bar.GetPane(1)->m_width;
    // Same text: the control is not touched (it keeps what was put there behind the bar's back).
    SendMessageW(m_bar.m_hWnd, SB_SETTEXTW, 1 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(L"elsewhere"));
    EXPECT_TRUE(m_bar.SetPaneText(1, CTString(L"Server: alpha")));
    EXPECT_EQ(L"elsewhere", PartText(1));
    EXPECT_TRUE(m_bar.SetPaneText(1, CTString(L"Server: a much longer name")));
    EXPECT_EQ(L"Server: a much longer name", PartText(1));
    EXPECT_GT(m_bar.GetPane(1)->m_width, before);
    EXPECT_TRUE(m_bar.SetPaneText(1, CTString()));
    EXPECT_EQ(L"", PartText(1));

    m_bar.Destroy();
    EXPECT_FALSE(m_bar.SetPaneText(1, CTString(L"gone")));
}

TEST_F(StatusbarTest, MarkupPanesAreOwnerDrawnAndKeepTheirWidth)
{
    AddMainPanes();
    CTWndStatusbar::Pane* pane = m_bar.GetPane(2);
    int width = pane->m_width;
    EXPECT_EQ(nullptr, pane->m_doc.gdi);
    ASSERT_TRUE(m_bar.SetPaneText(2, CTString(L"<Text color=\"#FF0000\">Sync WWWWWWWW</Text>")));
    EXPECT_NE(nullptr, pane->m_doc.gdi);
    EXPECT_EQ(1u, pane->m_doc.root.children.GetCount());
    EXPECT_EQ(width, pane->m_width);
    LRESULT length = SendMessageW(m_bar.m_hWnd, SB_GETTEXTLENGTHW, 2, 0);
    EXPECT_TRUE(HIWORD(length) & SBT_OWNERDRAW);

    // Drawing the pane paints its mark-up into the part rectangle.
    m_bar.SetThirdPaneWidth(200);
    RECT part = {};
    SendMessageW(m_bar.m_hWnd, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&part));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, part.right + 10, part.bottom + 10);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, part.right + 10, part.bottom + 10};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    auto countInk = [&] {
        int ink = 0;
        for (int y = part.top; y < part.bottom; ++y)
            for (int x = part.left; x < part.right; ++x)
                if ((GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF) ++ink;
        return ink;
    };
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_STATIC;
    item.hwndItem = m_bar.m_hWnd;
    item.itemID = 2;
    item.hDC = dc;
    m_bar.DrawItem(&item);
    EXPECT_GT(countInk(), 0);

    // Malformed mark-up: an empty tree, nothing drawn, the width kept.
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ASSERT_TRUE(m_bar.SetPaneText(2, CTString(L"<<< not mark-up")));
    EXPECT_EQ(0u, pane->m_doc.root.children.GetCount());
    EXPECT_EQ(200, pane->m_width);
    m_bar.DrawItem(&item);
    EXPECT_EQ(0, countInk());
    // Items from other windows are not the bar's.
    item.hwndItem = m_parent;
    m_bar.SetPaneText(2, CTString(L"<Text>again</Text>"));
    m_bar.DrawItem(&item);
    EXPECT_EQ(0, countInk());

    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(StatusbarTest, ToolTipsComeFromThePaneOrTheParent)
{
    AddMainPanes();
    ASSERT_TRUE(m_bar.AddPane(-1, CTWndStatusbar::ToolTip, CTString(L"own tip")));
    EXPECT_EQ(2, SendMessageW(m_bar.m_toolTip.m_hWnd, TTM_GETTOOLCOUNT, 0, 0));

    // The tool-tip pane's width leaves its text out, however long it gets.
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    m_bar.SetFourthPaneIcon({16, icon});
    int width = m_bar.GetPane(3)->m_width;
    EXPECT_EQ(9 * GetSystemMetrics(SM_CXBORDER) + 16, width);
    ASSERT_TRUE(m_bar.SetPaneText(3, CTString(L"a very long text that would widen an ordinary pane")));
    EXPECT_EQ(width, m_bar.GetPane(3)->m_width);

    NMTTDISPINFOW info = AskTip(3);
    EXPECT_EQ(1, g_parentAsked);
    EXPECT_EQ(g_parentTip, info.lpszText);
    g_parentTip = L"second";
    info = AskTip(3);
    EXPECT_EQ(std::wstring(L"second"), info.lpszText);
    EXPECT_EQ(g_parentTip, m_bar.GetPane(3)->m_parentTip);

    info = AskTip(5);
    EXPECT_EQ(std::wstring(L"own tip"), info.lpszText);
    info = AskTip(1); // no tool tip on this pane
    EXPECT_EQ(nullptr, info.lpszText);
    EXPECT_EQ(2, g_parentAsked);
    g_parentTip = L"first";
}

TEST_F(StatusbarTest, ColoursMakeTextPanesOwnerDrawn)
{
    AddMainPanes();
    m_bar.SetColors(RGB(255, 255, 255), RGB(0, 0, 128));
    EXPECT_EQ(RGB(0, 0, 128), m_bar.m_backColour);
    ASSERT_TRUE(m_bar.SetPaneText(4, CTString(L"y")));
    EXPECT_TRUE(HIWORD(SendMessageW(m_bar.m_hWnd, SB_GETTEXTLENGTHW, 4, 0)) & SBT_OWNERDRAW);
    // The bar's own painting shows the background colour (themed or not).
    RECT rc = {};
    GetClientRect(m_bar.m_hWnd, &rc);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(m_bar.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_ERASEBKGND | PRF_CLIENT);
    EXPECT_EQ(RGB(0, 0, 128), GetPixel(dc, 1, rc.bottom / 2));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);

    m_bar.SetColors(CLR_DEFAULT, CLR_DEFAULT);
    ASSERT_TRUE(m_bar.SetPaneText(4, CTString(L"z")));
    EXPECT_FALSE(HIWORD(SendMessageW(m_bar.m_hWnd, SB_GETTEXTLENGTHW, 4, 0)) & SBT_OWNERDRAW);
}

} // namespace
