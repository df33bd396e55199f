// The deployment-window editor on a main window signed in to the fixture server under Xvfb: the
// columns, rows, colours, site names and summary of a loaded window (whatever order the server lists
// the window and its parents in), reloads that never mix, edits copied to ticked rows, Shift ranges,
// the site choices with a stand-in site picker, and the selection commands.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/CalendarWindows.h"
#include "calendars/DlgDateRange.h"
#include "calendars/DlgScheduleGroupWin.h"
#include "framework/CWindowManager.h"
#include "framework/ModalDialogDriver.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;
using Pane = DlgScheduleGroupWin;

constexpr __int64 kPlainWindow = 263;   // group 53 without slot kinds; the server lists the window first
constexpr __int64 kKindsWindow = 264;   // group 54 with two slot kinds; the server lists its parents first
constexpr __int64 kDay = 86400;

__int64 Today()
{
    __int64 now = static_cast<__int64>(time(nullptr));
    return now - now % kDay;
}

// The site picker: each one opened is recorded with its key and owner, and reports itself open.
struct Pick {
    UINT64 key = 0;
    HWND owner = nullptr;
};
std::vector<Pick> g_picks;

class StandInSitePicker : public CWindowManager::CWindow {
public:
    bool Open() override
    {
        auto owner = reinterpret_cast<HWND>(m_param);
        g_picks.push_back(Pick{m_key, owner});
        PostMessageW(owner, Pane::kMsgSitePickState, static_cast<WPARAM>(m_key), Pane::PickOpen);
        return true;
    }
};

bool g_shift = false;
bool FakeShift()
{
    return g_shift;
}

std::wstring Cell(HWND list, int item, int column)
{
    wchar_t text[512] = {};
    ListView_GetItemText(list, item, column, text, 511);
    return text;
}

class DeploymentWindowEditor : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        RegisterCalendarWindows(s_app->m_catalogue);
        s_app->m_catalogue.RegisterWindow(Pane::kSitePickerType,
                                          [](int, UINT64) -> CWindowManager::CWindow* { return new StandInSitePicker(); });
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        g_picks.clear();
        g_shift = false;
        Pane::s_isShiftDown = &FakeShift;
    }

    // Shows the editor of a window and waits for a fresh load with its site names.
    Pane* Open(__int64 window, int rows)
    {
        if (!main->ShowConsole(Pane::kConsoleType, window, false))
            return nullptr;
        auto* pane = dynamic_cast<Pane*>(main->FindConsole(Pane::kConsoleType, window));
        if (!pane)
            return nullptr;
        Settle(*s_app);
        pane->Refresh();
        Wait(*pane, rows);
        return pane;
    }
    void Wait(Pane& pane, int rows)
    {
        PumpUntil(*s_app, [&] { return pane.m_list.m_report.GetItemCount() == rows && pane.m_slotCache.m_loaded; },
                  10000);
        Settle(*s_app);
    }

    static int ItemOf(Pane& pane, __int64 slotId)
    {
        for (int item = 0; item < pane.m_list.m_report.GetItemCount(); ++item)
            if (Pane::SlotEntry* entry = pane.EntryOfItem(item); entry && entry->object.id == slotId)
                return item;
        return -1;
    }
    static std::vector<__int64> SlotOrder(Pane& pane)
    {
        std::vector<__int64> ids;
        for (int item = 0; item < pane.m_list.m_report.GetItemCount(); ++item)
            ids.push_back(pane.EntryOfItem(item) ? pane.EntryOfItem(item)->object.id : -1);
        return ids;
    }
    static __int64 Attribute(Pane& pane, __int64 slotId, const wchar_t* name)
    {
        int item = ItemOf(pane, slotId);
        Pane::SlotEntry* entry = pane.EntryOfItem(item);
        CAttribute value;
        if (entry)
            entry->object.GetAttribute(value, CTString(name));
        return value.GetValue();
    }
    // A change in a cell as the in-cell editor makes it: the value, the cell shown, the report.
    static void Edit(Pane& pane, int item, int column, const CAttribute& value)
    {
        CTListCtrlEdit::Cell* cell = pane.m_editor.FindCell(item, column);
        ASSERT_NE(nullptr, cell);
        cell->m_value.Assign(value);
        pane.m_editor.ShowValue(item, column, *cell);
        pane.m_editor.NotifyChanged(item, column, *cell);
    }
    static void Tick(Pane& pane, int item, bool on)
    {
        Edit(pane, item, 0, CAttribute(CAttribute::Integer, static_cast<__int64>(on ? 1 : 0)));
    }
    static bool Enabled(Pane& pane, int id) { return IsWindowEnabled(GetDlgItem(pane.m_hWnd, id)) != FALSE; }
    static std::vector<__int64> Ticked(Pane& pane)
    {
        std::vector<__int64> ids;
        for (int item = 0; item < pane.m_list.m_report.GetItemCount(); ++item)
            if (pane.IsTicked(item))
                ids.push_back(pane.EntryOfItem(item)->object.id);
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    static App* s_app;
    MainWindow* main = nullptr;
};

App* DeploymentWindowEditor::s_app = nullptr;

} // namespace

TEST(DeploymentWindowSummary, FreeSlotsLine)
{
    struct Case {
        int total, used;
        const wchar_t* text;
    } cases[] = {
        {40, 10, L"30 - Allocated 10/40 (25.0%)"},
        {3, 2, L"1 - Allocated 2/3 (66.7%)"},
        {24, 2, L"22 - Allocated 2/24 (8.3%)"},
        {2, 3, L"-1 - Allocated 3/2 (150.0%)"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, Pane::FormatFreeSlots(c.total, c.used).GetBuffer()) << c.total << "/" << c.used;
}

TEST_F(DeploymentWindowEditor, LoadsColumnsSortedRowsColoursSitesAndSummary)
{
    struct Case {
        __int64 window;
        int columns;
        const wchar_t* column3;
        std::vector<__int64> order;
        const wchar_t* freeSlots;
    } cases[] = {
        {kPlainWindow, 6, L"Used", {285, 286, 287}, L"1 - Allocated 2/3 (66.7%)"},
        // Same day: slot kinds by display order, a slot without a kind first; the parents came first.
        {kKindsWindow, 7, L"Slot", {288, 289, 294, 291, 290, 292, 293, 295}, L"22 - Allocated 2/24 (8.3%)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        Pane* pane = Open(c.window, static_cast<int>(c.order.size()));
        ASSERT_NE(nullptr, pane);
        HWND list = pane->m_list.m_report.m_hWnd;
        HWND header = ListView_GetHeader(list);
        EXPECT_EQ(c.columns, Header_GetItemCount(header));
        wchar_t caption[64] = {};
        HDITEMW hd = {};
        hd.mask = HDI_TEXT;
        hd.pszText = caption;
        hd.cchTextMax = 63;
        Header_GetItem(header, 3, &hd);
        EXPECT_STREQ(c.column3, caption);
        EXPECT_EQ(c.order, SlotOrder(*pane));
        EXPECT_NE(-1, pane->BuildSummaryMarkup().Find(CTString(c.freeSlots)));
        wchar_t summary[4096] = {};
        GetWindowTextW(pane->m_summary.m_hWnd, summary, 4095);
        EXPECT_NE(nullptr, wcsstr(summary, c.freeSlots));
        EXPECT_EQ(nullptr, wcsstr(summary, L"Not Set"));
        EXPECT_FALSE(Enabled(*pane, Pane::kIdSave));
        EXPECT_FALSE(Enabled(*pane, Pane::kIdCancel));
        CTString status;
        status.Format(L"0/%d Selected", static_cast<int>(c.order.size()));
        EXPECT_STREQ(status.GetBuffer(), pane->StatusText().GetBuffer());
        // The day of a slot is the weekday of its date taken in UTC.
        wchar_t dayName[80] = {};
        SYSTEMTIME date = DlgDateRange::ToSystemTime(Attribute(*pane, c.order[0], L"end_date"));
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME1 + (date.wDayOfWeek + 6) % 7, dayName, 79);
        EXPECT_EQ(dayName, Cell(list, 0, 1));
    }

    // Colours and sites of the window with kinds: 293 is full, 295 locked since yesterday, 292 is no
    // calendar day; 288 and 290 have sites of their own, 289 takes its group's.
    Pane* pane = dynamic_cast<Pane*>(main->FindConsole(Pane::kConsoleType, kKindsWindow));
    ASSERT_NE(nullptr, pane);
    HWND list = pane->m_list.m_report.m_hWnd;
    auto textColour = [&](__int64 slot, int column) {
        CTListCtrlReport::Row* row = pane->m_list.m_report.GetRow(ItemOf(*pane, slot));
        CTListCtrlReport::Cell* cell = row ? row->GetCell(column) : nullptr;
        return cell ? cell->m_textColour : 0xFF;
    };
    EXPECT_EQ(Pane::kColourFull, textColour(293, 4));
    EXPECT_EQ(Pane::kColourFull, textColour(293, 5));
    EXPECT_EQ(Pane::kColourClosed, textColour(295, 4));
    EXPECT_EQ(0, textColour(291, 4));
    EXPECT_EQ(Pane::kColourNotCalendar, pane->m_list.m_report.GetRow(ItemOf(*pane, 292))->m_rowColour);
    EXPECT_EQ(0, pane->m_list.m_report.GetRow(ItemOf(*pane, 291))->m_rowColour);
    EXPECT_EQ(L"London", Cell(list, ItemOf(*pane, 288), 6));
    EXPECT_EQ(L"Berlin <inherited>", Cell(list, ItemOf(*pane, 289), 6));
    EXPECT_EQ(L"Manchester", Cell(list, ItemOf(*pane, 290), 6));
    EXPECT_EQ(L"Morning", Cell(list, ItemOf(*pane, 288), 3));
    EXPECT_EQ(L"Afternoon", Cell(list, ItemOf(*pane, 289), 3));
}

TEST_F(DeploymentWindowEditor, QuickReloadsLeaveOneSetOfRowsAndTheRightTotal)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    // Cancel twice and a reload message, before any reply of the first reload can arrive.
    SendMessageW(pane->m_hWnd, WM_COMMAND, MAKEWPARAM(Pane::kIdCancel, BN_CLICKED), 0);
    SendMessageW(pane->m_hWnd, WM_COMMAND, MAKEWPARAM(Pane::kIdCancel, BN_CLICKED), 0);
    SendMessageW(pane->m_hWnd, Pane::kMsgReload, 0, 0);
    Wait(*pane, 8);
    Settle(*s_app);
    EXPECT_EQ(8, pane->m_list.m_report.GetItemCount());
    EXPECT_EQ(8u, pane->m_slots.size());
    EXPECT_EQ(2, pane->m_slotCache.m_usedTotal);
    EXPECT_NE(-1, pane->BuildSummaryMarkup().Find(CTString(L"22 - Allocated 2/24 (8.3%)")));
}

TEST_F(DeploymentWindowEditor, AnEditGoesToEveryTickedRowOnlyFromATickedRow)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    const int maxColumn = pane->m_maxColumn;
    ASSERT_EQ(5, maxColumn);
    for (__int64 slot : {288, 290, 292})
        Tick(*pane, ItemOf(*pane, slot), true);
    EXPECT_STREQ(L"3/8 Selected", pane->StatusText().GetBuffer());
    // Ticks are no change of the slots.
    EXPECT_FALSE(Enabled(*pane, Pane::kIdSave));
    EXPECT_FALSE(Enabled(*pane, Pane::kIdCancel));

    Edit(*pane, ItemOf(*pane, 290), maxColumn, CAttribute(CAttribute::Integer, static_cast<__int64>(9)));
    for (__int64 slot : {288, 290, 292}) {
        EXPECT_EQ(9, Attribute(*pane, slot, L"max_deployments")) << slot;
        EXPECT_EQ(L"9", Cell(pane->m_list.m_report.m_hWnd, ItemOf(*pane, slot), maxColumn)) << slot;
        EXPECT_EQ(Pane::StateChanged, pane->EntryOfItem(ItemOf(*pane, slot))->state);
    }
    EXPECT_EQ(4, Attribute(*pane, 291, L"max_deployments"));
    EXPECT_TRUE(Enabled(*pane, Pane::kIdSave));
    EXPECT_TRUE(Enabled(*pane, Pane::kIdCancel));

    // From an unticked row, only that row changes.
    Edit(*pane, ItemOf(*pane, 291), maxColumn, CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    EXPECT_EQ(1, Attribute(*pane, 291, L"max_deployments"));
    for (__int64 slot : {288, 290, 292})
        EXPECT_EQ(9, Attribute(*pane, slot, L"max_deployments")) << slot;
    EXPECT_EQ(Pane::StateLoaded, pane->EntryOfItem(ItemOf(*pane, 293))->state);
}

TEST_F(DeploymentWindowEditor, ShiftClickTicksTheRangeFromTheLastClick)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    Tick(*pane, 1, true);
    g_shift = true;
    Tick(*pane, 5, true);
    EXPECT_EQ((std::vector<__int64>{289, 290, 291, 292, 294}), Ticked(*pane));
    EXPECT_STREQ(L"5/8 Selected", pane->StatusText().GetBuffer());
    // Upwards from the anchor, clearing.
    Tick(*pane, 3, false);
    EXPECT_EQ((std::vector<__int64>{289, 294}), Ticked(*pane));
    EXPECT_EQ(2, pane->m_tickedCount);
}

TEST_F(DeploymentWindowEditor, SiteChoicesInheritPickAndCancel)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    const int site = pane->m_siteColumn;
    HWND list = pane->m_list.m_report.m_hWnd;

    CTListCtrlEdit::Choices choices;
    pane->FillChoices(CTString(L"TYPE='Site'"), choices);
    EXPECT_EQ(L"<Set Inherited>", std::wstring(choices[1].GetBuffer()));
    EXPECT_EQ(L"<Select Site>", std::wstring(choices[2].GetBuffer()));
    EXPECT_EQ(L"London", std::wstring(choices[20].GetBuffer()));

    // Back to the inherited site: the own value is to be deleted on the server.
    Edit(*pane, ItemOf(*pane, 288), site, CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    Pane::SlotEntry* entry = pane->EntryOfItem(ItemOf(*pane, 288));
    CAttributes form;
    EXPECT_TRUE(entry->object.CollectChanges(form, false));
    EXPECT_NE(nullptr, form.Find(CTString(L"ATTRIBIDDEL_128")));
    EXPECT_TRUE(entry->pending);

    // One picker per row while it is open; its cancel restores the cell.
    const int row = ItemOf(*pane, 290);
    Edit(*pane, row, site, CAttribute(CAttribute::Integer, static_cast<__int64>(2)));
    Edit(*pane, row, site, CAttribute(CAttribute::Integer, static_cast<__int64>(2)));
    Settle(*s_app);
    ASSERT_EQ(1u, g_picks.size());
    EXPECT_EQ(pane->m_hWnd, g_picks[0].owner);
    EXPECT_EQ(Pane::PickOpen, pane->m_sitePicks[static_cast<__int64>(g_picks[0].key)].state);
    SendMessageW(pane->m_hWnd, Pane::kMsgSitePickState, static_cast<WPARAM>(g_picks[0].key), Pane::PickCancelled);
    EXPECT_EQ(22, pane->m_editor.FindCell(row, site)->m_value.GetValue());
    EXPECT_EQ(L"Manchester", Cell(list, row, site));
    EXPECT_EQ(22, Attribute(*pane, 290, L"link_site"));
    Edit(*pane, row, site, CAttribute(CAttribute::Integer, static_cast<__int64>(2)));
    EXPECT_EQ(1u, g_picks.size());

    // Once that picker is gone a new one opens, and its answer sets the site.
    SendMessageW(pane->m_hWnd, Pane::kMsgSitePickState, static_cast<WPARAM>(g_picks[0].key), Pane::PickClosed);
    Edit(*pane, row, site, CAttribute(CAttribute::Integer, static_cast<__int64>(2)));
    Settle(*s_app);
    ASSERT_EQ(2u, g_picks.size());
    SendMessageW(pane->m_hWnd, Pane::kMsgSitePicked, static_cast<WPARAM>(g_picks[0].key + 1000), 24);   // not ours
    SendMessageW(pane->m_hWnd, Pane::kMsgSitePicked, static_cast<WPARAM>(g_picks[1].key), 23);
    Settle(*s_app);
    EXPECT_EQ(23, Attribute(*pane, 290, L"link_site"));
    EXPECT_EQ(23, pane->m_editor.FindCell(row, site)->m_value.GetValue());
    EXPECT_EQ(L"Edinburgh", Cell(list, row, site));
}

namespace {

// Answers the date-range dialog: checks it opens on today and a week later, then picks one day for
// both ends, or cancels.
class DateRangeAnswer : public ModalDialogDriver {
public:
    __int64 day = 0;
    bool ok = true;
    __int64 shownStart = 0, shownEnd = 0;
    void OnModalDialog(CTWnd2&, HWND dialog) override
    {
        SYSTEMTIME date = {};
        SendDlgItemMessageW(dialog, DlgDateRange::kIdStart, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
        shownStart = DlgDateRange::FromSystemTime(date);
        SendDlgItemMessageW(dialog, DlgDateRange::kIdEnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
        shownEnd = DlgDateRange::FromSystemTime(date);
        SYSTEMTIME chosen = DlgDateRange::ToSystemTime(day);
        chosen.wHour = 15;   // a time of day in the picker must not move the day
        SendDlgItemMessageW(dialog, DlgDateRange::kIdStart, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
        SendDlgItemMessageW(dialog, DlgDateRange::kIdEnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, 0), 0);
    }
};

} // namespace

TEST_F(DeploymentWindowEditor, SelectionCommands)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    DateRangeAnswer answer;
    answer.day = Today() + kDay;
    ModalDialogDriver::Install(&answer);
    struct Case {
        int command;
        std::vector<__int64> ticked;   // after the command, applied to what the previous case left
    } cases[] = {
        {Pane::kCmdAll, {288, 289, 290, 291, 292, 293, 294, 295}},
        {Pane::kCmdNone, {}},
        // No bookings and a day before the load: 294 is booked, the others are later.
        {Pane::kCmdUnusedExpired, {288, 289}},
        {Pane::kCmdInvert, {290, 291, 292, 293, 294, 295}},
        {Pane::kCmdCalendaredDays, {288, 289, 290, 291, 293, 294, 295}},
        // Start and end on one day: the slots of exactly that day.
        {Pane::kCmdDateRange, {290, 291}},
    };
    for (const Case& c : cases) {
        SendMessageW(pane->m_hWnd, WM_COMMAND, c.command, 0);
        EXPECT_EQ(c.ticked, Ticked(*pane)) << c.command;
        EXPECT_EQ(static_cast<int>(c.ticked.size()), pane->m_tickedCount) << c.command;
    }
    EXPECT_EQ(Today(), answer.shownStart);
    EXPECT_EQ(Today() + 7 * kDay, answer.shownEnd);
    // A cancelled range leaves every tick as it was.
    answer.ok = false;
    answer.day = Today() - 5 * kDay;
    SendMessageW(pane->m_hWnd, WM_COMMAND, Pane::kCmdDateRange, 0);
    EXPECT_EQ((std::vector<__int64>{290, 291}), Ticked(*pane));
    ModalDialogDriver::Install(nullptr);
    EXPECT_FALSE(Enabled(*pane, Pane::kIdSave));
    EXPECT_STREQ(L"2/8 Selected", pane->StatusText().GetBuffer());
}
