// The schedule chart in a plain host window: which column a task lands in, column heights at two
// screen resolutions, following today with its clamps and the notice of a user's scroll, where a
// group goes among single entries, refreshing entries, and the entries' exact mark-up.
#include <gtest/gtest.h>

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

#include "app/App.h"
#include "calendars/CTWndSchedule.h"
#include "calendars/CTWndScheduleEntry.h"
#include "controls/CGDIManager.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"

namespace {

constexpr __int64 kDay = 86400;
constexpr __int64 kWeek = 7 * kDay;
constexpr int kS0 = 1773014400;   // Monday 2026-03-09 00:00 UTC

__int64 g_now = kS0 + 2 * kDay;
__int64 PinnedNow() { return g_now; }

std::vector<LPARAM> g_followEnded;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CTWndSchedule::kMsgFollowTodayEnded && wParam == 0)
        g_followEnded.push_back(lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Put(Object& object, const wchar_t* name, const CAttribute& value)
{
    int id = static_cast<int>(object.attributes.size()) + 1;
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
}

struct TaskSpec {
    __int64 id;
    const wchar_t* name;
    __int64 end = 0;     // 0: undated
    int tDate = 0;
    int order = 0;
    bool completed = false;
};

Object Task(const TaskSpec& spec)
{
    Object task;
    task.id = spec.id;
    task.name = spec.name;
    if (spec.end)
        Put(task, L"end_date", CAttribute(CAttribute::Date, spec.end));
    Put(task, L"T_date", CAttribute(CAttribute::Integer, spec.tDate));
    Put(task, L"display_order", CAttribute(CAttribute::Integer, spec.order));
    Put(task, L"completed", CAttribute(CAttribute::Integer, spec.completed ? 1 : 0));
    return task;
}

std::vector<CTWndSchedule::CGfxWeek*> Weeks(CTWndSchedule& chart)
{
    std::vector<CTWndSchedule::CGfxWeek*> weeks;
    for (CGfxObject* child = chart.m_root.FirstChild(); child; child = child->Next())
        if (auto* week = dynamic_cast<CTWndSchedule::CGfxWeek*>(child))
            weeks.push_back(week);
    return weeks;
}

std::vector<CTWndSchedule::CGfxEntry*> Entries(CTWndSchedule::CGfxWeek* week)
{
    std::vector<CTWndSchedule::CGfxEntry*> entries;
    for (CGfxObject* child = week->FirstChild(); child; child = child->Next())
        if (auto* entry = dynamic_cast<CTWndSchedule::CGfxEntry*>(child))
            entries.push_back(entry);
    return entries;
}

// Index of the column whose entries hold the task id, -1 for none.
int ColumnHolding(CTWndSchedule& chart, __int64 id)
{
    std::vector<CTWndSchedule::CGfxWeek*> weeks = Weeks(chart);
    for (size_t i = 0; i < weeks.size(); ++i)
        for (CTWndSchedule::CGfxEntry* entry : Entries(weeks[i]))
            if (entry->Holds(id))
                return static_cast<int>(i);
    return -1;
}

std::wstring Text(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

class ScheduleChart : public ::testing::Test {
protected:
    static constexpr int kWidth = 600, kHeight = 200;

    void SetUp() override
    {
        UnixClock::Replace(&PinnedNow);
        g_now = kS0 + 2 * kDay;
        CTREngine::Instance()->m_dpi.Set(96, 96);
        HINSTANCE module = GetModuleHandleW(nullptr);
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXW wc = {sizeof(wc)};
            wc.lpfnWndProc = HostProc;
            wc.hInstance = module;
            wc.lpszClassName = L"ScheduleChartHost";
            RegisterClassExW(&wc);
            CTWndGfx::RegisterClass(module);
            registered = true;
        }
        host = CreateWindowExW(0, L"ScheduleChartHost", L"host", WS_POPUP, 40, 40, kWidth, kHeight, nullptr, nullptr,
                               module, nullptr);
        ShowWindow(host, SW_SHOWNOACTIVATE);
        g_followEnded.clear();
        NewChart();
    }

    void TearDown() override
    {
        chart.reset();
        DestroyWindow(host);
        CTREngine::Instance()->m_dpi.Set(96, 96);
        UnixClock::Replace(nullptr);
    }

    void NewChart()
    {
        if (chart)
            chart->Destroy();
        chart = std::make_unique<CTWndSchedule>();
        ASSERT_TRUE(chart->Create(host, GetModuleHandleW(nullptr), 10, false, 0));
        MoveWindow(chart->m_hWnd, 0, 0, kWidth, kHeight, TRUE);
        Pump();
    }

    void AddDatedWeeks(int count)
    {
        for (int i = 0; i < count; ++i)
            chart->AddWeek(CTString(L"title"), CTString(L"caption"), CTString(L"T-1"), 0, kS0 + i * static_cast<int>(kWeek),
                           0);
    }

    App app;   // the keyed lists of task groups
    HWND host = nullptr;
    std::unique_ptr<CTWndSchedule> chart;
};

TEST_F(ScheduleChart, TasksLandInTheFirstMatchingColumnOrNowhere)
{
    // Three dated weeks, then T-day columns 17, 10 and 3, and a last one of value 5.
    AddDatedWeeks(3);
    for (int value : {17, 10, 3, 5})
        chart->AddWeek(CTString(L""), CTString(L""), CTString(L""), value, 0, 0);
    struct Case {
        TaskSpec task;
        int mode;
        int column;
    } cases[] = {
        {{1, L"at a column's start", kS0 + kWeek}, 0, 0},
        {{2, L"one second later", kS0 + kWeek + 1}, 0, 1},
        {{3, L"last second of a week", kS0 + 2 * kWeek}, 1, 1},
        {{4, L"start of the first week", kS0}, 0, -1},
        {{5, L"after the last week", kS0 + 3 * kWeek + 1}, 0, -1},
        {{6, L"mode 0, T 16", 0, 16}, 0, 3},
        {{7, L"mode 0, T 10", 0, 10}, 0, 3},
        {{8, L"mode 0, T 9", 0, 9}, 0, 4},
        {{9, L"mode 0, T 3", 0, 3}, 0, 4},
        {{10, L"mode 0, T 2", 0, 2}, 0, 5},
        {{11, L"mode 0, T 0", 0, 0}, 0, 5},
        {{12, L"mode 0, T 17", 0, 17}, 0, -1},
        {{13, L"mode 1, T 4", 0, 4}, 1, 6},
        {{14, L"mode 1, T 9", 0, 9}, 1, 4},
        {{15, L"mode 1, T 10", 0, 10}, 1, -1},
    };
    for (const Case& c : cases)
        chart->AddTask(Task(c.task), c.mode);
    for (const Case& c : cases)
        EXPECT_EQ(c.column, ColumnHolding(*chart, c.task.id)) << std::wstring(c.task.name).c_str();
}

TEST_F(ScheduleChart, ColumnsTakeTheHeightOfTheBusiestOne)
{
    struct Case {
        int dpi;
        int entries;
        int height;
    } cases[] = {{96, 0, 90}, {96, 4, 90}, {96, 6, 120}, {144, 4, 135}, {144, 6, 180}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " dpi, " + std::to_string(c.entries) + " entries");
        CTREngine::Instance()->m_dpi.Set(c.dpi, c.dpi);
        NewChart();
        AddDatedWeeks(2);
        for (int i = 0; i < c.entries; ++i)
            chart->AddTask(Task({100 + i, L"task", kS0 + kDay}), 0);
        chart->LayoutWeeks();
        EXPECT_EQ(c.height, chart->m_columnHeight);
        for (CTWndSchedule::CGfxWeek* week : Weeks(*chart))
            EXPECT_EQ(c.height, week->GetHeight());
        // Entries start under the header band, one row pitch apart.
        std::vector<CTWndSchedule::CGfxEntry*> entries = Entries(Weeks(*chart)[0]);
        ASSERT_EQ(static_cast<size_t>(c.entries), entries.size());
        for (int i = 0; i < c.entries; ++i) {
            int x, y, width, height;
            entries[i]->GetBounds(&x, &y, &width, &height);
            EXPECT_EQ(MulDiv(16, c.dpi, 96), x);
            EXPECT_EQ(MulDiv(18, c.dpi, 96) + MulDiv(17 * i, c.dpi, 96), y);
        }
        // The tile's height counts a horizontal scroll bar while one shows.
        const bool bar = (GetWindowLongPtrW(chart->m_hWnd, GWL_STYLE) & WS_HSCROLL) != 0;
        EXPECT_EQ(2 * MulDiv(252, c.dpi, 96) > kWidth, bar);
        EXPECT_EQ(c.height + (bar ? GetSystemMetrics(SM_CYHSCROLL) : 0), chart->GetHeight());
    }
}

TEST_F(ScheduleChart, FollowingTodayCentresTodayWithinTheContent)
{
    // Ten weeks: content 10 x 253 = 2530 pixels in a 600-pixel window.
    struct Case {
        const char* name;
        __int64 now;
        int scroll;
    } cases[] = {
        {"today mid-way", kS0 + 5 * kWeek + 3 * kDay + 10 * 3600, 5 * 252 + 3 * 36 - kWidth / 2},
        {"first day of the first week", kS0 + 2 * 3600, 0},
        {"last day of the last week", kS0 + 9 * kWeek + 6 * kDay, 2530 - kWidth},
        {"no column holds today", kS0 - kWeek, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_now = c.now;
        NewChart();
        chart->SetFollowToday(true);
        AddDatedWeeks(10);
        chart->LayoutWeeks();
        EXPECT_EQ(2530, chart->m_contentWidth);
        EXPECT_EQ(c.scroll, chart->m_scrollX);
        EXPECT_EQ(c.scroll, GetScrollPos(chart->m_hWnd, SB_HORZ));
    }
    Pump();
    EXPECT_TRUE(g_followEnded.empty());   // the chart's own scrolling is no user's
}

TEST_F(ScheduleChart, AUserScrollEndsFollowingAndTellsTheParentOnce)
{
    g_now = kS0 + 5 * kWeek + 3 * kDay;
    AddDatedWeeks(10);
    chart->SetFollowToday(true);
    const int centred = 5 * 252 + 3 * 36 - kWidth / 2;
    ASSERT_EQ(centred, chart->m_scrollX);
    SendMessageW(chart->m_hWnd, WM_HSCROLL, SB_LINEDOWN, 0);
    SendMessageW(chart->m_hWnd, WM_HSCROLL, SB_LINEDOWN, 0);
    Pump();
    EXPECT_FALSE(chart->m_followToday);
    EXPECT_EQ(centred + 10, chart->m_scrollX);
    ASSERT_EQ(1u, g_followEnded.size());
    EXPECT_EQ(reinterpret_cast<LPARAM>(chart->m_hWnd), g_followEnded[0]);
    // Not following, a new layout leaves the user's position; switching on centres again.
    chart->Layout(kWidth, kHeight);
    EXPECT_EQ(centred + 10, chart->m_scrollX);
    chart->SetFollowToday(true);
    EXPECT_EQ(centred, chart->m_scrollX);
}

TEST_F(ScheduleChart, AGroupGoesBeforeTheFirstEntryNotSortingBeforeIt)
{
    struct Case {
        int groupOrder;
        size_t place;
    } cases[] = {{5, 3}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.groupOrder);
        NewChart();
        AddDatedWeeks(1);
        for (int i = 1; i <= 3; ++i)
            chart->AddTask(Task({i, L"single", kS0 + kDay, 0, i}), 0);
        std::vector<Object> group = {Task({20, L"grouped", kS0 + kDay, 0, c.groupOrder}),
                                     Task({21, L"grouped too", kS0 + kDay, 0, c.groupOrder})};
        chart->AddTaskGroup(CTString(L"test"), kS0 + static_cast<int>(kDay), group, 0, c.groupOrder);
        std::vector<CTWndSchedule::CGfxEntry*> entries = Entries(Weeks(*chart)[0]);
        ASSERT_EQ(4u, entries.size());
        auto* placed = dynamic_cast<CTWndSchedule::CGfxMultiTask*>(entries[c.place]);
        ASSERT_NE(nullptr, placed);
        EXPECT_EQ(2, placed->GetCount());
        EXPECT_TRUE(placed->Holds(21));
        // Rows follow the child order.
        int y = 0;
        placed->GetBounds(nullptr, &y, nullptr, nullptr);
        EXPECT_EQ(18 + 17 * static_cast<int>(c.place), y);
    }
    // A group of one task adds nothing.
    chart->AddTaskGroup(CTString(L"test"), kS0 + static_cast<int>(kDay), {Task({30, L"alone", kS0 + kDay})}, 0, 99);
    EXPECT_EQ(-1, ColumnHolding(*chart, 30));
}

TEST_F(ScheduleChart, UpdatesRelabelTheEntryHoldingTheTaskInItsColumn)
{
    AddDatedWeeks(2);
    chart->AddWeek(CTString(L""), CTString(L""), CTString(L""), 17, 0, 0);
    chart->AddTask(Task({1, L"Single", kS0 + kDay}), 0);
    chart->AddTask(Task({2, L"Undated", 0, 12}), 0);   // shown in the column of T-days 10 to 16
    chart->AddTaskGroup(CTString(L"g"), kS0 + static_cast<int>(2 * kDay),
                        {Task({11, L"Alpha", kS0 + 2 * kDay}), Task({12, L"Beta", kS0 + 2 * kDay}),
                         Task({13, L"Gamma", kS0 + 2 * kDay})},
                        0, 1);
    std::vector<CTWndSchedule::CGfxEntry*> first = Entries(Weeks(*chart)[0]);
    ASSERT_EQ(2u, first.size());
    CTWndSchedule::CGfxEntry* single = first[0];
    CTWndSchedule::CGfxEntry* group = first[1];
    ASSERT_NE(std::wstring::npos, Text(group->m_markup).find(L">Alpha</Text>"));

    chart->UpdateTask(Task({12, L"Bravo", kS0 + 2 * kDay}));
    EXPECT_NE(std::wstring::npos, Text(group->m_markup).find(L">Bravo</Text>"));
    EXPECT_EQ(12, app.m_keyedLists[static_cast<CTWndSchedule::CGfxMultiTask*>(group)->m_key][1].id);
    EXPECT_STREQ(L"Bravo", app.m_keyedLists[static_cast<CTWndSchedule::CGfxMultiTask*>(group)->m_key][1].name.GetBuffer());

    chart->UpdateTask(Task({1, L"Renamed", kS0 + kDay}));
    EXPECT_NE(std::wstring::npos, Text(single->m_markup).find(L">Renamed</Text>"));
    // A task whose date moved to another column leaves its old entry alone.
    chart->UpdateTask(Task({1, L"Moved", kS0 + kWeek + kDay}));
    EXPECT_NE(std::wstring::npos, Text(single->m_markup).find(L">Renamed</Text>"));

    // An undated task is found where placing put it, not only in a column of its own T-day.
    CTWndSchedule::CGfxEntry* undated = Entries(Weeks(*chart)[2])[0];
    chart->UpdateTask(Task({2, L"Undated again", 0, 12}));
    EXPECT_NE(std::wstring::npos, Text(undated->m_markup).find(L">Undated again</Text>"));
}

class ScheduleEntryMarkup : public ScheduleChart {
protected:
    void SetUp() override
    {
        ScheduleChart::SetUp();
        CGDIManager* gdi = CGDIManager::Instance();
        gdi->AddColour(21, RGB(0x8F, 0x8F, 0x8F));
        gdi->AddColour(24, RGB(0xFF, 0xFF, 0xFF));
        gdi->AddColour(25, RGB(0x4C, 0xAF, 0x50));
        gdi->AddColour(26, RGB(0x10, 0x20, 0x30));
        icon = reinterpret_cast<HICON>(gdi->AddIconCopy(2, LoadIconW(nullptr, IDI_APPLICATION))->Get());
    }
    void TearDown() override
    {
        CGDIManager* gdi = CGDIManager::Instance();
        for (int id : {21, 24, 25, 26, 2})
            gdi->Release(id);
        ScheduleChart::TearDown();
    }
    HICON icon = nullptr;
};

TEST_F(ScheduleEntryMarkup, GoldenTexts)
{
    const std::wstring head = L"<Div width=\"100%\" padding-left=\"2\" padding-right=\"6\"  ><Div text-align=\"right\">";
    const std::wstring text = L"<Text padding-left=\"4\" font-size=\"12\" font-size-to-fit-width=\"true\"  "
                              L"hot-track=\"#4CAF50\" on-click=\"1\" color=\"#102030\">";
    auto badge = [](const wchar_t* count) {
        return std::wstring(L" <Div background-type=\"circle\" background-color=\"#8F8F8F\"  color=\"#B5B5B5\" "
                            L"width=\"14\" height=\"14\"  >  <Text font-size=\"12\" font-weight=\"700\"  "
                            L"color=\"#FFFFFF\" vertical-align=\"middle\"  text-align=\"center\"  width=\"13\" "
                            L"font-size-to-fit-width=\"true\" padding-bottom=\"2\" >") +
               count + L"</Text> </Div>";
    };
    const std::wstring image =
        L"<Image width=\"16\" type=\"HICON\" handle=\"" +
        std::to_wstring(static_cast<int>(reinterpret_cast<INT_PTR>(icon))) + L"\"   />";
    const std::wstring tail = L"</Div></Div>";
    struct Case {
        const wchar_t* name;
        int status;
        int count;
        std::wstring expected;
    } cases[] = {
        {L"Order kit", 2, 1, head + text + L"Order kit</Text>" + image + tail},
        {L"Kick-off", 1, 3, head + badge(L"3") + text + L"Kick-off</Text>" + tail},
        {L"Many", 1, 150, head + badge(L"#") + text + L"Many</Text>" + tail},
        {L"a<&\"b", 1, 1, head + text + L"a&lt;&amp;&quot;b</Text>" + tail},
        {L"Due", 4, 1, head + text + L"Due</Text>" + tail},   // no icon 4 in the cache: no image
    };
    for (const Case& c : cases) {
        CTString out;
        CTWndSchedule::CGfxEntry::BuildMarkup(out, CTString(c.name), c.status, c.count);
        EXPECT_EQ(c.expected, Text(out)) << std::wstring(c.name).c_str();
    }
}

TEST_F(ScheduleEntryMarkup, EntriesShowTheirStatusAndCount)
{
    AddDatedWeeks(1);
    chart->AddTask(Task({1, L"Done", kS0 + kDay, 0, 0, true}), 0);
    std::vector<Object> many;
    for (int i = 0; i < 150; ++i)
        many.push_back(Task({100 + i, L"Many", kS0 + 3 * kDay, 0, 0, true}));
    chart->AddTaskGroup(CTString(L"m"), kS0 + static_cast<int>(3 * kDay), many, 0, 0);
    std::vector<CTWndSchedule::CGfxEntry*> entries = Entries(Weeks(*chart)[0]);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(2, entries[0]->m_status);
    EXPECT_NE(std::wstring::npos, Text(entries[0]->m_markup).find(L"type=\"HICON\""));
    EXPECT_EQ(std::wstring::npos, Text(entries[0]->m_markup).find(L"background-type"));
    EXPECT_EQ(2, entries[1]->m_status);   // every task completed
    EXPECT_NE(std::wstring::npos, Text(entries[1]->m_markup).find(L">#</Text>"));
}

} // namespace

namespace {

// A point on the clickable name of an entry as its mark-up is laid out now, if any.
bool NameClickable(CTWndSchedule::CGfxEntry* entry)
{
    RECT rc = entry->ClientBounds();
    for (int x = rc.left; x < rc.right; ++x)
        if (entry->m_doc.GetClickId(x, (rc.top + rc.bottom) / 2) > 0)
            return true;
    return false;
}

TEST_F(ScheduleChart, AnEntryScrolledIntoViewAnswersClicksWhereItNowStands)
{
    AddDatedWeeks(10);
    chart->AddTask(Task({1, L"Early", kS0 + kDay}), 0);
    chart->AddTask(Task({2, L"Late", kS0 + 8 * kWeek + kDay}), 0);
    chart->LayoutWeeks();
    UpdateWindow(chart->m_hWnd);
    CTWndSchedule::CGfxEntry* early = Entries(Weeks(*chart)[0])[0];
    CTWndSchedule::CGfxEntry* late = Entries(Weeks(*chart)[8])[0];
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        SendMessageW(chart->m_hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 8 * 252 - 336 * round), 0);
        EXPECT_TRUE(NameClickable(late));
        SendMessageW(chart->m_hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
        EXPECT_TRUE(NameClickable(early));
    }
}

} // namespace

namespace {

TEST_F(ScheduleChart, TheT0MarkerStandsOnItsDayInTheColumnHoldingIt)
{
    struct Case {
        const char* name;
        __int64 t0;
        int first;
        int second;
    } cases[] = {
        {"first day of a column", kS0, 0, -1},
        {"the day after a column's last", kS0 + kWeek, -1, 0},
        {"a time within the fourth day", kS0 + 3 * kDay + 5 * 3600, 3 * 36, -1},
        {"before every column", kS0 - kDay, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewChart();
        for (int i = 0; i < 2; ++i)
            chart->AddWeek(CTString(L""), CTString(L""), CTString(L""), 0, kS0 + i * static_cast<int>(kWeek),
                           static_cast<int>(c.t0));
        EXPECT_EQ(c.first, Weeks(*chart)[0]->m_t0Offset);
        EXPECT_EQ(c.second, Weeks(*chart)[1]->m_t0Offset);
    }
}

TEST_F(ScheduleChart, DrawingResourcesLiveAsLongAsTheChart)
{
    CGDIManager* gdi = CGDIManager::Instance();
    const int ids[] = {9, 10, 11, 12};
    for (int id : ids)
        ASSERT_NE(nullptr, gdi->Find(id)) << id;
    EXPECT_EQ(RGB(0xAF, 0xAF, 0xAF), [&] {
        LOGBRUSH lb = {};
        GetObjectW(reinterpret_cast<HBRUSH>(gdi->Find(12)->Get()), sizeof(lb), &lb);
        return lb.lbColor;
    }());
    {
        // A second chart shares the entries and gives its own use back.
        CTWndSchedule second;
        ASSERT_TRUE(second.Create(host, GetModuleHandleW(nullptr), 11, false, 0));
        EXPECT_TRUE(GetWindowLongPtrW(second.m_hWnd, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
        EXPECT_TRUE(GetWindowLongPtrW(second.m_hWnd, GWL_STYLE) & WS_TABSTOP);
        SendMessageW(second.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);   // resources made anew
        second.Destroy();
    }
    for (int id : ids)
        EXPECT_NE(nullptr, gdi->Find(id)) << id;
    chart->Destroy();
    chart.reset();
    for (int id : ids)
        EXPECT_EQ(nullptr, gdi->Find(id)) << id;
}

} // namespace
