// Reading deployment-window replies (order, totals, free places, locks against a pinned clock),
// lookups by window id, realtime updates of the records, list filling and drag feedback on an
// owner-drawn list box, and measuring at 144 DPI.
#include <gtest/gtest.h>

#include <utility>
#include <vector>
#include "calendars/model/DeploymentWin.h"
#include "foundation/UnixClock.h"
#include "framework/CTREngine.h"

namespace {

constexpr __int64 kDay = 86400;
constexpr __int64 kD0 = 1704067200;   // Mon 1 Jan 2024
constexpr __int64 kNow = kD0 + 10 * kDay;

__int64 Now() { return kNow; }

struct PinnedClock {
    PinnedClock() { UnixClock::Replace(&Now); }
    ~PinnedClock() { UnixClock::Replace(nullptr); }
};

TiXmlDocument Parse(const std::wstring& text)
{
    TiXmlDocument doc;
    doc.Parse(text.c_str(), nullptr, 0);
    return doc;
}

std::wstring Day(int id, __int64 date, int order, int used, int capacity, __int64 lockMin = 0, __int64 lockMax = 0,
                 const wchar_t* code = L"W")
{
    wchar_t text[400];
    _snwprintf(text, 400,
               L"<day id=\"%d\" date=\"%I64d\" display_order=\"%d\" used_days=\"%d\" max_deployments=\"%d\" is_day=\"1\""
               L" slot_lock_min=\"%I64d\" slot_lock_max=\"%I64d\" code=\"%ls\" description=\"d\"/>",
               id, date, order, used, capacity, lockMin, lockMax, code);
    text[399] = L'\0';
    return text;
}

// Three days; on the second, two windows in display orders 2 and 1.
std::wstring Reply()
{
    return L"<result><RC depwinid=\"4242\"/>" +
        Day(11, kD0 + kDay, 2, 2, 5, 0, 0, L"B") +       // open, 3 free
        Day(10, kD0 + kDay, 1, 5, 5, 0, 0, L"A") +       // full
        Day(5, kD0, 1, 6, 5) +                           // over capacity
        Day(20, kD0 + 2 * kDay, 1, 1, 4, kNow - 1) +     // locked: minimum reached
        Day(21, kD0 + 2 * kDay, 2, 0, 4, 0, kNow + 1) +  // locked: maximum not passed
        Day(22, kD0 + 2 * kDay, 3, 0, 3, kNow + 1, kNow - 1) +   // open, 3 free
        L"</result>";
}

std::vector<int> Ids(const DeploymentWin& windows)
{
    std::vector<int> ids;
    for (const auto& [key, day] : windows.m_days)
        for (const auto& [order, w] : day)
            ids.push_back(w.id);
    return ids;
}

TEST(DeploymentWinReader, OrderTotalsAndFreePlaces)
{
    PinnedClock clock;
    DeploymentWin windows;
    windows.ReadReply(Parse(Reply()), nullptr);
    EXPECT_TRUE(windows.m_loaded);
    EXPECT_EQ(Ids(windows), (std::vector<int>{5, 10, 11, 20, 21, 22}));
    EXPECT_EQ(windows.m_usedTotal, 14);
    EXPECT_EQ(windows.m_capacityTotal, 26);
    EXPECT_EQ(windows.m_freeTotal, 6);
    EXPECT_EQ(windows.m_groupWindowId, 4242);
    // Read again without clearing: totals add up, records are overwritten.
    windows.ReadReply(Parse(Reply()), nullptr);
    EXPECT_EQ(Ids(windows).size(), 6u);
    EXPECT_EQ(windows.m_usedTotal, 28);
    windows.Clear();
    EXPECT_TRUE(windows.m_days.empty());
    EXPECT_EQ(windows.m_usedTotal + windows.m_capacityTotal + windows.m_freeTotal + windows.m_groupWindowId, 0);
    windows.ReadReply(Parse(L"<result/>"), nullptr);
    EXPECT_EQ(windows.m_groupWindowId, 0);
}

TEST(DeploymentWinReader, LocksAgainstTheClock)
{
    struct Case { __int64 lockMin, lockMax; bool closed; } cases[] = {
        {0, 0, false},
        {kNow, 0, true},
        {kNow - 1, 0, true},
        {kNow + 1, 0, false},
        {0, kNow, true},
        {0, kNow + 1, true},
        {0, kNow - 1, false},
        {kNow + 1, kNow - 1, false},
    };
    for (const Case& c : cases) {
        DeploymentWin::Window w;
        w.lockMin = c.lockMin;
        w.lockMax = c.lockMax;
        EXPECT_EQ(DeploymentWin::IsClosed(w, kNow), c.closed) << c.lockMin - kNow << " " << c.lockMax - kNow;
    }
}

TEST(DeploymentWinReader, LookupsAndSlotUpdates)
{
    PinnedClock clock;
    DeploymentWin windows;
    windows.ReadReply(Parse(Reply()), nullptr);
    EXPECT_STREQ(windows.CodeOfWindow(10).GetBuffer(), L"A");
    EXPECT_TRUE(windows.CodeOfWindow(0).IsEmpty());
    EXPECT_TRUE(windows.CodeOfWindow(99).IsEmpty());
    EXPECT_EQ(windows.DateOfWindow(11).GetType(), CAttribute::Date);
    EXPECT_EQ(windows.DateOfWindow(11).GetValue(), kD0 + kDay);
    for (__int64 id : {0LL, 99LL}) {
        EXPECT_EQ(windows.DateOfWindow(id).GetType(), CAttribute::Integer) << id;
        EXPECT_EQ(windows.DateOfWindow(id).GetValue(), 0) << id;
    }

    DB::Slot update;
    update.SetInt64(1u, 11u);
    update.SetInt64(2u, 4u);
    update.SetInt64(3u, 7u);
    windows.ApplySlotUpdate(update, nullptr);
    const DeploymentWin::Window& w = windows.m_days[kD0 + kDay][2];
    EXPECT_EQ(w.used, 4);
    EXPECT_EQ(w.capacity, 7);
    EXPECT_EQ(windows.m_usedTotal, 14);   // totals wait for the next reply
    DB::Slot unknown;
    unknown.SetInt64(1u, 99u);
    unknown.SetInt64(2u, 1u);
    unknown.SetInt64(3u, 1u);
    windows.ApplySlotUpdate(unknown, nullptr);
    EXPECT_EQ(windows.m_days[kD0 + kDay][1].used, 5);
}

// Red and blue pixels of one entry drawn into a memory bitmap.
std::pair<int, int> DrawnColours(DeploymentWin& windows, int data, UINT state = 0)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT rect = {0, 0, 400, 20};
    windows.DrawItem(dc, data, rect, state);
    int red = 0, blue = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 400; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            red += GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
            blue += GetBValue(c) > 200 && GetRValue(c) < 60 && GetGValue(c) < 60;
        }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return {red, blue};
}

TEST(DeploymentWinDraw, CountColours)
{
    PinnedClock clock;
    DeploymentWin windows;
    windows.ReadReply(Parse(Reply()), nullptr);
    // Full in blue; over capacity or locked in red; otherwise the text colour.
    struct Case { int id; bool red; bool blue; } cases[] = {
        {10, false, true}, {5, true, false}, {20, true, false}, {21, true, false}, {11, false, false}, {22, false, false},
    };
    for (const Case& c : cases) {
        const auto [red, blue] = DrawnColours(windows, c.id);
        EXPECT_EQ(red > 0, c.red) << c.id;
        EXPECT_EQ(blue > 0, c.blue) << c.id;
    }
}

struct ListBox {
    HWND hwnd = nullptr;
    ListBox()
    {
        hwnd = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_OWNERDRAWFIXED | LBS_NOTIFY | WS_VSCROLL,
                               0, 0, 300, 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~ListBox() { DestroyWindow(hwnd); }
    int Selected() const
    {
        LRESULT i = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
        return i == LB_ERR ? 0 : static_cast<int>(SendMessageW(hwnd, LB_GETITEMDATA, i, 0));
    }
    std::vector<int> Data() const
    {
        std::vector<int> data;
        for (LRESULT i = 0, n = SendMessageW(hwnd, LB_GETCOUNT, 0, 0); i < n; ++i)
            data.push_back(static_cast<int>(SendMessageW(hwnd, LB_GETITEMDATA, i, 0)));
        return data;
    }
};

TEST(DeploymentWinList, FillKeepsSelectionAndTopIndex)
{
    PinnedClock clock;
    ListBox list;
    ASSERT_TRUE(list.hwnd);
    DeploymentWin windows;
    windows.m_showAll = windows.m_showNotAssigned = true;
    const TiXmlDocument reply = Parse(Reply());
    windows.FillListBox(reply, list.hwnd, 0);
    EXPECT_EQ(list.Data(), (std::vector<int>{-2, -3, 5, 10, 11, 20, 21, 22}));
    EXPECT_EQ(list.Selected(), -2);   // nothing selected: "<all deployments>"
    EXPECT_GT(windows.m_countWidth, 0);
    EXPECT_GT(windows.m_blankWidth, 0);
    EXPECT_LE(windows.m_codeWidth, 100);

    windows.FillListBox(reply, list.hwnd, 21);
    EXPECT_EQ(list.Selected(), 21);
    SendMessageW(list.hwnd, LB_SETTOPINDEX, 3, 0);
    const LRESULT top = SendMessageW(list.hwnd, LB_GETTOPINDEX, 0, 0);
    ASSERT_GT(top, 0);
    windows.FillListBox(reply, list.hwnd, 0);
    EXPECT_EQ(list.Selected(), 21);
    EXPECT_EQ(SendMessageW(list.hwnd, LB_GETTOPINDEX, 0, 0), top);
}

TEST(DeploymentWinList, ComboBoxSelectsByAttributeValue)
{
    PinnedClock clock;
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_POPUP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, 0, 0, 300, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(combo);
    DeploymentWin windows;
    windows.m_showAll = windows.m_showNotAssigned = true;
    windows.FillComboBox(Parse(Reply()), combo, CAttribute(CAttribute::Integer, static_cast<__int64>(21)));
    std::vector<int> data;
    for (LRESULT i = 0, n = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i)
        data.push_back(static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, i, 0)));
    EXPECT_EQ(data, (std::vector<int>{-3, 5, 10, 11, 20, 21, 22}));   // never "<all deployments>"
    const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, selected, 0), 21);
    DestroyWindow(combo);
}

TEST(DeploymentWinList, DragFeedback)
{
    PinnedClock clock;
    ListBox list;
    DeploymentWin windows;
    windows.m_showAll = true;
    windows.FillListBox(Parse(Reply()), list.hwnd, 0);
    SendMessageW(list.hwnd, LB_SETTOPINDEX, 0, 0);
    auto pointOf = [&](int index) {
        RECT r;
        SendMessageW(list.hwnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        POINT p = {r.left + 5, (r.top + r.bottom) / 2};
        ClientToScreen(list.hwnd, &p);
        return p;
    };
    EXPECT_EQ(windows.DragOverFeedback(true, pointOf(0)), 0);   // the first entry is never a target
    EXPECT_EQ(windows.m_hoverIndex, -1);
    EXPECT_EQ(windows.DragOverFeedback(true, pointOf(1)), 5);
    EXPECT_EQ(windows.DragOverFeedback(true, pointOf(1)), 0);   // unchanged
    EXPECT_EQ(windows.DragOverFeedback(true, POINT{-500, -500}), -1);
    EXPECT_EQ(windows.DragOverFeedback(true, pointOf(2)), 10);
    EXPECT_EQ(windows.DragOverFeedback(false, POINT{}), 10);    // the drop target
    EXPECT_EQ(windows.m_hoverIndex, -1);
    EXPECT_EQ(windows.DragOverFeedback(false, POINT{}), 0);
}

TEST(DeploymentWinList, MeasuresScaledByDpi)
{
    CTREngine* engine = CTREngine::Instance();
    const ScreenDpi saved = engine->m_dpi;
    engine->m_dpi.Set(144, 144);
    ListBox list;
    DeploymentWin windows;
    windows.FillListBox(Parse(L"<result/>"), list.hwnd, 0);
    const int id = GetDlgCtrlID(list.hwnd);
    MEASUREITEMSTRUCT measure = {};
    measure.itemHeight = 16;
    EXPECT_TRUE(windows.OnOwnerDraw(WM_MEASUREITEM, id, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemHeight, 24u);
    EXPECT_FALSE(windows.OnOwnerDraw(WM_MEASUREITEM, id + 1, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemHeight, 24u);
    engine->m_dpi = saved;
}

} // namespace
