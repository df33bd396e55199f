// Schedule chart over two years of weeks with 600 tasks (a fifth of them in groups of five due the
// same day): the fill, a paint of every page of the time line, and scroll steps, each against a
// plain reference in the same program: the fill against loading the same entry mark-up into bare
// documents, the paint against plain GDI drawing of the same columns and names, a scroll step
// against a blit and fill of the window.
// Run under Wine: wine build/bench/bench_schedule_chart.exe
#include <windows.h>

#include <stdio.h>
#include <algorithm>
#include <vector>

#include "BenchTimer.h"
#include "app/App.h"
#include "app/ColourScheme.h"
#include "calendars/CTWndSchedule.h"
#include "calendars/CTWndScheduleEntry.h"
#include "controls/CGDIManager.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"

namespace {

constexpr __int64 kDay = 86400;
constexpr __int64 kWeek = 7 * kDay;
constexpr int kStart = 1767571200;   // Monday 2026-01-05 00:00 UTC
constexpr int kWeeks = 104;
constexpr int kTasks = 600;
constexpr int kWidth = 1000, kHeight = 240;

__int64 PinnedNow() { return kStart + 40 * kWeek + 2 * kDay; }

void Put(Object& object, const wchar_t* name, const CAttribute& value)
{
    Object::Attribute& attribute = object.attributes[static_cast<int>(object.attributes.size()) + 1];
    attribute.Assign(value);
    attribute.name = name;
}

Object Task(int i, __int64 end)
{
    Object task;
    task.id = 1000 + i;
    wchar_t name[40];
    _snwprintf(name, 40, L"Task %d of the rollout", i);
    name[39] = 0;
    task.name = name;
    Put(task, L"end_date", CAttribute(CAttribute::Date, end));
    Put(task, L"amber_days", CAttribute(CAttribute::Integer, 3ll));
    Put(task, L"completed", CAttribute(CAttribute::Integer, static_cast<__int64>(i % 4 == 0)));
    Put(task, L"display_order", CAttribute(CAttribute::Integer, static_cast<__int64>(i % 7)));
    return task;
}

struct Plan {
    std::vector<Object> singles;
    std::vector<std::vector<Object>> groups;
    std::vector<int> groupDays;
};

Plan MakePlan()
{
    Plan plan;
    int i = 0;
    while (i < kTasks) {
        const __int64 end = kStart + (i * 5 % (kWeeks * 7)) * kDay + kDay;
        if (i % 25 == 0) {
            std::vector<Object> group;
            for (int k = 0; k < 5; ++k)
                group.push_back(Task(i + k, end));
            plan.groups.push_back(group);
            plan.groupDays.push_back(static_cast<int>(end));
            i += 5;
        } else {
            plan.singles.push_back(Task(i, end));
            ++i;
        }
    }
    return plan;
}

void Fill(CTWndSchedule& chart, const Plan& plan)
{
    SendMessageW(chart.m_hWnd, WM_SETREDRAW, FALSE, 0);
    chart.Clear();
    for (int w = 0; w < kWeeks; ++w) {
        wchar_t title[16];
        _snwprintf(title, 16, L"Week %d", w + 1);
        title[15] = 0;
        chart.AddWeek(CTString(title), CTString(L"Mon"), CTString(L"T-3"), 0, kStart + w * static_cast<int>(kWeek), 0);
    }
    for (const Object& task : plan.singles)
        chart.AddTask(task, 0);
    for (size_t g = 0; g < plan.groups.size(); ++g)
        chart.AddTaskGroup(CTString(L"bench"), plan.groupDays[g], plan.groups[g], 0, 0);
    chart.LayoutWeeks();
    SendMessageW(chart.m_hWnd, WM_SETREDRAW, TRUE, 0);
}

// Every page of the time line, printed into mem.
void PaintPages(CTWndSchedule& chart, HDC mem)
{
    for (int page = 0; page * kWidth < chart.m_contentWidth; ++page) {
        SendMessageW(chart.m_hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, page * kWidth), 0);
        SendMessageW(chart.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    }
}

// The same pages drawn with plain GDI: a filled column and header per week, a name per entry.
void PaintPagesPlain(HDC mem, const Plan& plan, int columnWidth, int columnHeight)
{
    HBRUSH grey = CreateSolidBrush(RGB(0xF2, 0xF2, 0xF2));
    HBRUSH blue = CreateSolidBrush(RGB(0x03, 0x42, 0x8E));
    std::vector<int> rows(kWeeks, 0);
    std::vector<std::pair<int, const Object*>> placed;
    for (const Object& task : plan.singles) {
        CAttribute end;
        task.GetAttribute(end, CTString(L"end_date"));
        int week = static_cast<int>((end.GetValue() - kStart - 1) / kWeek);
        placed.push_back({week, &task});
    }
    SetBkMode(mem, TRANSPARENT);
    HGDIOBJ old = SelectObject(mem, GetStockObject(DEFAULT_GUI_FONT));
    for (int page = 0; page * kWidth < kWeeks * columnWidth; ++page) {
        const int origin = page * kWidth;
        std::fill(rows.begin(), rows.end(), 0);
        for (int w = 0; w < kWeeks; ++w) {
            RECT c = {w * columnWidth - origin, 0, (w + 1) * columnWidth - origin, columnHeight};
            if (c.right < 0 || c.left > kWidth)
                continue;
            FillRect(mem, &c, grey);
            RECT band = {c.left, 0, c.right, 18};
            FillRect(mem, &band, blue);
        }
        for (const auto& entry : placed) {
            const int left = entry.first * columnWidth - origin;
            if (left + columnWidth < 0 || left > kWidth)
                continue;
            RECT line = {left + 16, 18 + 17 * rows[entry.first]++, left + columnWidth, 0};
            line.bottom = line.top + 16;
            DrawTextW(mem, entry.second->name.GetBuffer(), -1, &line, DT_SINGLELINE | DT_RIGHT | DT_NOPREFIX);
        }
    }
    GdiFlush();
    SelectObject(mem, old);
    DeleteObject(grey);
    DeleteObject(blue);
}

}  // namespace

int wmain()
{
    UnixClock::Replace(&PinnedNow);
    HINSTANCE module = GetModuleHandleW(nullptr);
    App app;   // the keyed lists of the groups
    CGDIManager* gdi = CGDIManager::Instance();
    for (int id : {2, 3, 4})
        gdi->AddIconCopy(id, LoadIconW(nullptr, IDI_APPLICATION));
    ColourScheme::AddEntries(*gdi, 96, 96);
    CTWndGfx::RegisterClass(module);
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = module;
    wc.lpszClassName = L"ScheduleBenchHost";
    RegisterClassExW(&wc);
    HWND host = CreateWindowExW(0, L"ScheduleBenchHost", L"bench", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                                module, nullptr);
    CTWndSchedule chart;
    if (!chart.Create(host, module, 1, false, 0)) {
        printf("chart could not be created\n");
        return 1;
    }
    MoveWindow(chart.m_hWnd, 0, 0, kWidth, kHeight, TRUE);
    const Plan plan = MakePlan();

    Fill(chart, plan);   // warm-up
    const int fills = 3;
    double fill = 1e9;
    for (int i = 0; i < fills; ++i)
        fill = std::min(fill, Time([&] { Fill(chart, plan); }));
    // Reference: the entries' mark-up built and loaded into bare documents, nothing else.
    double markup = Time([&] {
        std::vector<CTWndSchedule::CGfxEntry*> docs;
        for (const Object& task : plan.singles) {
            auto* entry = new CTWndSchedule::CGfxEntry();
            CTString text;
            CTWndSchedule::CGfxEntry::BuildMarkup(text, task.name, 2, 1);
            entry->SetMarkup(text);
            docs.push_back(entry);
        }
        for (auto* entry : docs)
            delete entry;
    });

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bitmap);
    PaintPages(chart, mem);   // warm-up
    const double paint = Time([&] { PaintPages(chart, mem); });
    const double plain = Time([&] { PaintPagesPlain(mem, plan, 252, chart.m_columnHeight); });
    const int pages = (chart.m_contentWidth + kWidth - 1) / kWidth;

    SendMessageW(chart.m_hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    const int steps = 200;
    const double scroll = Time([&] {
        for (int i = 0; i < steps; ++i)
            SendMessageW(chart.m_hWnd, WM_HSCROLL, SB_PAGEDOWN, 0);
    });
    HBRUSH grey = CreateSolidBrush(RGB(0xF2, 0xF2, 0xF2));
    const double blit = Time([&] {
        for (int i = 0; i < steps; ++i) {
            ScrollWindowEx(chart.m_hWnd, -50, 0, nullptr, nullptr, nullptr, nullptr, 0);
            RECT strip = {kWidth - 50, 0, kWidth, kHeight};
            HDC dc = GetDC(chart.m_hWnd);
            FillRect(dc, &strip, grey);
            ReleaseDC(chart.m_hWnd, dc);
        }
        GdiFlush();
    });
    DeleteObject(grey);

    printf("weeks %d, tasks %d (%zu single entries, %zu groups), content %d px, column height %d px\n", kWeeks, kTasks,
           plan.singles.size(), plan.groups.size(), chart.m_contentWidth, chart.m_columnHeight);
    printf("fill                %.3f ms (mark-up of the single entries alone %.3f ms, ratio %.1f)\n", fill * 1e3,
           markup * 1e3, markup > 0 ? fill / markup : 0.0);
    printf("paint of %d pages   %.3f ms (plain GDI %.3f ms, ratio %.1f)\n", pages, paint * 1e3, plain * 1e3,
           plain > 0 ? paint / plain : 0.0);
    printf("one scroll step     %.3f ms (blit and fill %.3f ms, ratio %.1f)\n", scroll / steps * 1e3,
           blit / steps * 1e3, blit > 0 ? scroll / blit : 0.0);

    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    chart.Destroy();
    DestroyWindow(host);
    UnixClock::Replace(nullptr);
    return 0;
}
