// Under Xvfb: the "New starters" group's windows fetched from the fixture server through the
// application's reply cache fill an owner-drawn list box, whose entries paint the booked counts
// blue when full, red when over capacity and in the text colour otherwise.
#include <gtest/gtest.h>

#include <windows.h>
#include "calendars/model/DeploymentWin.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;

constexpr unsigned kGroup = 53;   // slots 285 (1 of 1), 286 (1 of 0), 287 (0 of 2)

DeploymentWin* g_windows = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == WM_DRAWITEM || message == WM_MEASUREITEM) && g_windows &&
        g_windows->OnOwnerDraw(message, wParam, lParam))
        return TRUE;
    if (message == WM_DRAWITEM)
        return TRUE;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Colours { int red = 0; int blue = 0; };

Colours ColoursIn(HWND list, int index)
{
    Colours found;
    RECT r;
    SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    HDC dc = GetDC(list);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60)
                ++found.red;
            if (GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60)
                ++found.blue;
        }
    ReleaseDC(list, dc);
    return found;
}

TEST(DeploymentWinLive, CountsPaintInTheirColours)
{
    App* app = signedin::SignIn();
    ASSERT_NE(app, nullptr);
    RequestRoute route;
    route.targetType = 126;   // no such window: the reply stays in the cache only
    route.requestId = 1063;
    app->GetDeploymentWindowsCached(kGroup, route);
    ASSERT_TRUE(PumpUntil(*app, [&] {
        auto it = app->m_deploymentWindows.find(kGroup);
        return it != app->m_deploymentWindows.end() && !it->second.outstanding;
    }));
    const TiXmlDocument& reply = app->m_deploymentWindows[kGroup].document;

    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"DeploymentWinLiveHost";
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200,
                                nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(host);
    DeploymentWin windows;
    g_windows = &windows;
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_NOTIFY, 0, 0,
                                400, 200, host, reinterpret_cast<HMENU>(1200), wc.hInstance, nullptr);
    ASSERT_TRUE(list);
    windows.FillListBox(reply, list, -1);
    EXPECT_EQ(windows.m_groupWindowId, 263);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    UpdateWindow(list);
    PumpUntil(*app, [start = GetTickCount()] { return GetTickCount() - start > 200; });

    struct Case { int id; bool red; bool blue; } cases[] = {{285, false, true}, {286, true, false}, {287, false, false}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, i, 0), cases[i].id);
        const Colours c = ColoursIn(list, i);
        EXPECT_EQ(c.red > 0, cases[i].red) << cases[i].id << " red " << c.red;
        EXPECT_EQ(c.blue > 0, cases[i].blue) << cases[i].id << " blue " << c.blue;
    }
    g_windows = nullptr;
    DestroyWindow(host);
    signedin::SignOut(app);
}

} // namespace
