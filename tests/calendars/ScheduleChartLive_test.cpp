// Under Xvfb: a schedule chart in a host window of the main window signed in to the fixture
// server, filled with the sample's tasks, paints the TODAY marker in today's column, and a click
// on an entry's name opens that task's console, or the console of a group's tasks.
#include <gtest/gtest.h>

#include <windows.h>
#include <list>
#include <vector>

#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/MainWindow.h"
#include "calendars/CTWndSchedule.h"
#include "calendars/CTWndScheduleEntry.h"
#include "foundation/UnixClock.h"
#include "session/BoxRecorder.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

constexpr __int64 kDay = 86400;
constexpr int kWidth = 900, kHeight = 160;

// The colour of one client pixel as the chart paints itself into a memory bitmap.
struct Printed {
    HDC mem = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    explicit Printed(HWND hwnd)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HDC screen = GetDC(nullptr);
        mem = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        ReleaseDC(nullptr, screen);
        old = SelectObject(mem, bitmap);
        ::SendMessageW(hwnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    }
    ~Printed()
    {
        SelectObject(mem, old);
        DeleteObject(bitmap);
        DeleteDC(mem);
    }
    COLORREF At(int x, int y) const { return GetPixel(mem, x, y); }
};

// A point on the clickable name of an entry, found by the entry's own hit test.
bool NamePoint(CTWndSchedule::CGfxEntry* entry, POINT& out)
{
    RECT rc = entry->ClientBounds();
    const int y = (rc.top + rc.bottom) / 2;
    for (int x = rc.left; x < rc.right; ++x) {
        if (entry->m_doc.GetClickId(x, y) > 0) {
            out = {x, y};
            return true;
        }
    }
    return false;
}

class ScheduleChartLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        std::list<__int64> ids = {400, 401, 402, 403, 404};
        bool fetched = false;
        s_app->m_dir.FetchObjects(ids, RequestRoute(), [&] { fetched = true; }, nullptr);
        PumpUntil(*s_app, [&] { return fetched; });
        Settle(*s_app);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        HINSTANCE module = GetModuleHandleW(nullptr);
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = module;
        wc.lpszClassName = L"ScheduleChartLiveHost";
        RegisterClassExW(&wc);
        host = CreateWindowExW(0, L"ScheduleChartLiveHost", L"", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight,
                               s_app->GetMainHwnd(), nullptr, module, nullptr);
        SetWindowPos(host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_TRUE(chart.Create(host, module, 1, false, 0));
        MoveWindow(chart.m_hWnd, 0, 0, kWidth, kHeight, TRUE);

        // Six weeks from the Monday before the one holding today, as the dashboard fills a chart.
        today = ScheduleToday(UnixClock::Now());
        const int weekday = static_cast<int>((today / kDay + 4) % 7);   // 0 Sunday
        const __int64 monday = today - ((weekday + 6) % 7) * kDay - 7 * kDay;
        chart.Clear();
        for (int i = 0; i < 6; ++i)
            chart.AddWeek(CTString(L"Week"), CTString(L"W"), CTString(L"T"), 0, static_cast<int>(monday + i * 7 * kDay),
                          0);
        for (__int64 id : {400, 403, 404})
            chart.AddTask(*s_app->m_dir.Lookup(id), 0);
        chart.AddTaskGroup(CTString(L"live"), static_cast<int>(today + 4 * kDay),
                           {*s_app->m_dir.Lookup(401), *s_app->m_dir.Lookup(402)}, 0, 0);
        chart.LayoutWeeks();
        for (int i = 0; i < 20; ++i)
            PumpUntil(*s_app, [] { return true; });
    }

    void TearDown() override
    {
        chart.Destroy();
        DestroyWindow(host);
    }

    CTWndSchedule::CGfxEntry* EntryHolding(__int64 id, bool group)
    {
        for (CGfxObject* child = chart.m_root.FirstChild(); child; child = child->Next())
            for (CGfxObject* item = child->FirstChild(); item; item = item->Next()) {
                auto* entry = dynamic_cast<CTWndSchedule::CGfxEntry*>(item);
                if (entry && entry->Holds(id) && (dynamic_cast<CTWndSchedule::CGfxMultiTask*>(entry) != nullptr) == group)
                    return entry;
            }
        return nullptr;
    }

    static App* s_app;
    MainWindow* main = nullptr;
    HWND host = nullptr;
    CTWndSchedule chart;
    __int64 today = 0;
};

App* ScheduleChartLive::s_app = nullptr;

TEST_F(ScheduleChartLive, TodayIsMarkedInItsColumn)
{
    ASSERT_EQ(CTWndSchedule::kMsgFollowTodayEnded, 1125u);
    CTWndSchedule::CGfxWeek* todays = nullptr;
    int columns = 0;
    for (CGfxObject* child = chart.m_root.FirstChild(); child; child = child->Next())
        if (auto* week = dynamic_cast<CTWndSchedule::CGfxWeek*>(child)) {
            ++columns;
            if (week->m_todayOffset != -1) {
                EXPECT_EQ(nullptr, todays) << "today marked in two columns";
                todays = week;
            }
        }
    ASSERT_EQ(6, columns);
    ASSERT_NE(nullptr, todays);
    EXPECT_EQ(today, todays->m_start + todays->m_todayOffset / (MulDiv(252, chart.m_dpiX, 96) / 7) * kDay);

    Printed printed(chart.m_hWnd);
    RECT c = todays->ClientBounds();
    const int day = MulDiv(252, chart.m_dpiX, 96) / 7;
    const int marked = c.left + todays->m_todayOffset;
    const int other = todays->m_todayOffset == 0 ? marked + day : c.left + 1 + day / 2;   // a day beside it
    const int bottom = c.bottom - 2;
    EXPECT_EQ(RGB(0xAF, 0xAF, 0xAF), printed.At(marked + 2, bottom));
    EXPECT_EQ(RGB(0xF2, 0xF2, 0xF2), printed.At(other + 2, bottom));
    // The white label runs down the marked day.
    int white = 0;
    for (int y = c.top + MulDiv(18, chart.m_dpiY, 96); y < c.bottom; ++y)
        for (int x = marked; x < marked + day; ++x)
            if (printed.At(x, y) == RGB(0xFF, 0xFF, 0xFF))
                ++white;
    EXPECT_GT(white, 10);
}

TEST_F(ScheduleChartLive, ClickingANameOpensItsTaskOrTheGroupsTasks)
{
    BoxRecorder boxes;
    struct Case {
        __int64 id;
        bool group;
        int console;
    } cases[] = {{400, false, 1004}, {402, true, 1008}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_TRUE(main->ShowConsole(MainWindow::kConsoleDashboard, 0, false));
        CTWndSchedule::CGfxEntry* entry = EntryHolding(c.id, c.group);
        ASSERT_NE(nullptr, entry);
        { Printed laidOut(chart.m_hWnd); }   // painting lays the entries' mark-up out
        POINT name;
        ASSERT_TRUE(NamePoint(entry, name));
        // A press and release beside the name opens nothing.
        RECT rc = entry->ClientBounds();
        ::SendMessageW(chart.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rc.left + 2, name.y));
        ::SendMessageW(chart.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(rc.left + 2, name.y));
        Settle(*s_app);
        EXPECT_EQ(MainWindow::kConsoleDashboard, main->m_current->GetConsoleType());

        ::SendMessageW(chart.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(name.x, name.y));
        ::SendMessageW(chart.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(name.x, name.y));
        Settle(*s_app);
        ASSERT_NE(nullptr, main->m_current);
        EXPECT_EQ(c.console, main->m_current->GetConsoleType());
        const __int64 key = c.group ? static_cast<CTWndSchedule::CGfxMultiTask*>(entry)->m_key : c.id;
        EXPECT_EQ(key, main->m_current->m_key);
    }
    EXPECT_TRUE(boxes.texts.empty());
}

} // namespace
