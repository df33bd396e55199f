// The toolbar host: strip and toolbar placement with and without visual styles, the content filling
// the rest, the caption rectangle, enabling, and notifications and commands passed to the parent.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <vector>
#include "app/CTWndToolbarHost.h"
#include "framework/CTREngine.h"
#include "framework/CTThemeApi.h"

namespace {

BOOL WINAPI ThemeOn() { return TRUE; }
BOOL WINAPI ThemeOff() { return FALSE; }

struct ParentLog {
    std::vector<UINT> notifyCodes;
    std::vector<WPARAM> commands;
};
ParentLog g_log;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        g_log.notifyCodes.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        return 42;
    }
    if (msg == WM_COMMAND) {
        g_log.commands.push_back(wParam);
        return 43;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

RECT ChildRect(HWND child)
{
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class ToolbarHostTest : public testing::TestWithParam<bool> {
protected:
    HWND parent = nullptr;
    CTWndToolbarHost* host = nullptr;
    CTWnd2 content;

    void SetUp() override
    {
        g_log = ParentLog();
        CTREngine::ThemeApi()->SetEntry(CTThemeApi::eIsThemeActive,
                                        reinterpret_cast<FARPROC>(GetParam() ? &ThemeOn : &ThemeOff));
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ToolbarHostTestParent";
        RegisterClassExW(&wc);
        parent = CreateWindowExW(0, wc.lpszClassName, L"parent", WS_POPUP | WS_VISIBLE, 30, 30, 500, 400, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(parent);
        host = new CTWndToolbarHost();
        ASSERT_TRUE(host->Create(parent, 77));
        host->SetWindowText(L"Inbound");
        CTWndToolbarHost::Button button;
        button.command = 257;
        button.image = CTWndToolbarHost::kStandardImage;
        button.stringId = 107;
        button.style = BTNS_BUTTON;
        ASSERT_TRUE(host->CreateToolbar(GetModuleHandleW(nullptr), button));
        RECT rc = {0, 0, 200, 100};
        ASSERT_TRUE(content.CreateChild(L"ListBox", WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOINTEGRALHEIGHT, rc, host->m_hWnd, 5));
        host->SetContent(content.m_hWnd);
        MoveWindow(host->m_hWnd, 10, 10, 300, 200, TRUE);
    }
    void TearDown() override
    {
        delete host;
        DestroyWindow(parent);
        CTREngine::ThemeApi()->SetEntry(CTThemeApi::eIsThemeActive, nullptr);
    }
};

} // namespace

TEST_P(ToolbarHostTest, StripToolbarAndContentPlacement)
{
    bool themed = GetParam();
    EXPECT_EQ(77, GetDlgCtrlID(host->m_hWnd));
    EXPECT_TRUE(GetWindowLongW(host->m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    SIZE max = {};
    host->m_toolbar.SendMessage(TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&max));
    ASSERT_GT(max.cx, 0);
    ASSERT_GT(max.cy, 0);
    RECT client = {};
    GetClientRect(host->m_hWnd, &client);

    int strip = themed ? max.cy + 1 : max.cy + 3;
    EXPECT_EQ(strip, host->m_stripHeight);
    EXPECT_EQ(themed ? max.cx : max.cx + 1, host->m_toolbarWidth);
    RECT bar = ChildRect(host->m_toolbar.m_hWnd);
    EXPECT_EQ(themed ? 0 : 1, bar.top);
    EXPECT_EQ(themed ? max.cy : max.cy + 1, bar.bottom - bar.top);
    EXPECT_EQ(themed ? client.right - max.cx : client.right - max.cx - 1, bar.left);

    // The content fills the rest and has lost its own frame.
    RECT area = ChildRect(content.m_hWnd);
    EXPECT_EQ(0, area.left);
    EXPECT_EQ(strip, area.top);
    EXPECT_EQ(client.right, area.right);
    EXPECT_EQ(client.bottom, area.bottom);
    EXPECT_FALSE(GetWindowLongW(content.m_hWnd, GWL_STYLE) & WS_BORDER);
    EXPECT_TRUE(GetWindowLongW(content.m_hWnd, GWL_STYLE) & WS_TABSTOP);

    // The caption ends before the toolbar.
    RECT caption = host->CaptionRect(client, nullptr);
    EXPECT_EQ(client.right - host->m_toolbarWidth - 2 - (themed ? 0 : 1), caption.right);
    EXPECT_EQ(themed ? 0 : 1, caption.top);
    EXPECT_EQ(themed ? strip : strip - 1, caption.bottom);

    // The button carries the standard "new" image and is enabled.
    TBBUTTON button = {};
    ASSERT_TRUE(host->m_toolbar.SendMessage(TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(257, button.idCommand);
    EXPECT_EQ(host->m_toolbar.m_firstStdImage + STD_FILENEW, button.iBitmap);
    EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
}

TEST_P(ToolbarHostTest, DisablingClearsButtonsAndContent)
{
    EnableWindow(host->m_hWnd, FALSE);
    EXPECT_FALSE(IsWindowEnabled(content.m_hWnd));
    EXPECT_EQ(0, host->m_toolbar.SendMessage(TB_GETSTATE, 257));
    EnableWindow(host->m_hWnd, TRUE);
    EXPECT_TRUE(IsWindowEnabled(content.m_hWnd));
    EXPECT_TRUE(host->m_toolbar.SendMessage(TB_GETSTATE, 257) & TBSTATE_ENABLED);
    // Painting a long caption with "&" goes through (no prefix handling, ellipsis at the toolbar).
    host->SetWindowText(L"A very long caption & more text that cannot fit into the strip at all, not at all");
    UpdateWindow(host->m_hWnd);
}

TEST_P(ToolbarHostTest, ContentNotificationsAndCommandsReachTheParent)
{
    NMHDR hdr = {content.m_hWnd, 5, 1234};
    EXPECT_EQ(42, SendMessageW(host->m_hWnd, WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&hdr)));
    NMHDR other = {parent, 9, 999};
    SendMessageW(host->m_hWnd, WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(std::vector<UINT>{1234}, g_log.notifyCodes);
    EXPECT_EQ(43, SendMessageW(host->m_hWnd, WM_COMMAND, MAKEWPARAM(257, 0), reinterpret_cast<LPARAM>(host->m_toolbar.m_hWnd)));
    EXPECT_EQ(std::vector<WPARAM>{MAKEWPARAM(257, 0)}, g_log.commands);
    // Focus given to the host goes on to the content.
    SetForegroundWindow(parent);
    ::SetFocus(host->m_hWnd);
    EXPECT_EQ(content.m_hWnd, GetFocus());
}

INSTANTIATE_TEST_SUITE_P(Look, ToolbarHostTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Themed" : "Classic"; });
