// Adding, deleting and saving deployment slots on a main window signed in to the fixture server
// under Xvfb: the add-slots window the editor's New opens (rate columns, rates, dates, day menu,
// OK), deletion of booked and new slots, and saves sent one request at a time that reach the
// schedule-group view, with a step the server refuses sent again by the next Save.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/CalendarWindows.h"
#include "calendars/DlgDateRange.h"
#include "calendars/DlgScheduleGroupWin.h"
#include "calendars/DlgScheduleGroupWinAddSlot.h"
#include "foundation/CAttributes.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "session/RequestResult.h"

#include "app/SignedInSession.h"
#include "session/FixtureServer.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;
using Pane = DlgScheduleGroupWin;
using AddSlot = DlgScheduleGroupWinAddSlot;

constexpr __int64 kKindsWindow = 264;   // group 54: slot kinds Morning (order 1) and Afternoon (order 2), run rate 4
constexpr __int64 kSaveWindow = 267;    // group 55 without kinds: 296 to 299, 299 booked once
constexpr __int64 kSaveGroup = 55;
constexpr __int64 kDay = 86400;

// The schedule-group view's place: records the windows-changed notices routed to it.
class GroupViewStandIn : public CTWnd2, public CTWndConsole {
public:
    static std::vector<int> s_notices;
    ~GroupViewStandIn() override { CTWnd2::Destroy(); }
    bool Create() override
    {
        RECT rc = {0, 0, 200, 100};
        return CTWnd2::Create(L"STATIC", false, GetOwnerHwnd(), WS_CHILD | WS_CLIPSIBLINGS, 0, GetModuleHandleW(nullptr),
                              &rc);
    }
    void Destroy() override { CTWnd2::Destroy(); }
    HWND GetHwnd() override { return m_hWnd; }
    int GetConsoleType() override { return Pane::kGroupConsoleType; }
    bool IsTabPane() override { return false; }
    // Only the windows-changed notices: the main window also tells every view when it is busy.
    void OnReply(RequestResult& result) override
    {
        if (result.route.requestId == Pane::kNoticeWindowsChanged)
            s_notices.push_back(result.route.requestId);
    }
    using CTWnd2::Create;
};
std::vector<int> GroupViewStandIn::s_notices;

// Presses OK on every box and keeps its text.
class BoxPresser : public MessageBoxAnswerer {
public:
    std::vector<std::wstring> texts;
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        texts.push_back(box.m_text ? box.m_text : L"");
        box.Press(IDOK);
    }
};

std::wstring PickerText(HWND dialog, int id)
{
    SYSTEMTIME date = {};
    SendDlgItemMessageW(dialog, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date));
    wchar_t text[32];
    _snwprintf(text, 32, L"%04d-%02d-%02d", date.wYear, date.wMonth, date.wDay);
    return text;
}

class SlotSaving : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        RegisterCalendarWindows(s_app->m_catalogue);
        s_app->m_catalogue.RegisterPane<GroupViewStandIn>(Pane::kGroupConsoleType);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        MessageBoxAnswerer::Install(&boxes);
    }
    void TearDown() override { MessageBoxAnswerer::Install(nullptr); }

    Pane* Open(__int64 window, int rows)
    {
        if (!main->ShowConsole(Pane::kConsoleType, window, false))
            return nullptr;
        auto* pane = dynamic_cast<Pane*>(main->FindConsole(Pane::kConsoleType, window));
        if (!pane)
            return nullptr;
        Settle(*s_app);
        pane->Refresh();
        PumpUntil(*s_app, [&] { return pane->m_list.m_report.GetItemCount() == rows && pane->m_slotCache.m_loaded; },
                  10000);
        Settle(*s_app);
        return pane;
    }
    AddSlot* OpenAddSlots(Pane& pane)
    {
        SendMessageW(pane.m_hWnd, WM_COMMAND, Pane::kCmdNew, 0);
        auto* window = dynamic_cast<AddSlot*>(s_app->m_windows.FindWindow(AddSlot::kWindowType, pane.m_key));
        if (window)
            PumpUntil(*s_app, [&] { return window->m_built; }, 10000);
        return window;
    }
    static int ItemOf(Pane& pane, __int64 slotId)
    {
        for (int item = 0; item < pane.m_list.m_report.GetItemCount(); ++item)
            if (Pane::SlotEntry* entry = pane.EntryOfItem(item); entry && entry->object.id == slotId)
                return item;
        return -1;
    }
    static void Edit(Pane& pane, int item, int column, __int64 value)
    {
        CTListCtrlEdit::Cell* cell = pane.m_editor.FindCell(item, column);
        ASSERT_NE(nullptr, cell);
        cell->m_value.Assign(CAttribute(CAttribute::Integer, value));
        pane.m_editor.ShowValue(item, column, *cell);
        pane.m_editor.NotifyChanged(item, column, *cell);
    }
    static bool Enabled(Pane& pane, int id) { return IsWindowEnabled(GetDlgItem(pane.m_hWnd, id)) != FALSE; }
    // Presses Save and pumps until the chain has ended; answers the row keys of the steps in the
    // order their requests were out, each alone.
    std::vector<__int64> SaveAndWait(Pane& pane)
    {
        std::vector<__int64> steps;
        auto note = [&] {
            if (pane.m_savingKey != 0 && (steps.empty() || steps.back() != pane.m_savingKey))
                steps.push_back(pane.m_savingKey);
        };
        SendMessageW(pane.m_hWnd, WM_COMMAND, MAKEWPARAM(Pane::kIdSave, BN_CLICKED), 0);
        PumpUntil(*s_app, [&] {
            note();
            return pane.m_savingKey == 0;
        }, 20000);
        Settle(*s_app);
        return steps;
    }
    // The save requests the server received since the last call, as "page ID" or "page PARENT".
    std::vector<std::string> SaveRequests()
    {
        std::vector<std::string> out;
        nlohmann::json records = fixture::Requests(fixture::Shared(), "/api/api_obj");
        for (size_t i = seenRequests; i < records.size(); ++i) {
            std::string target = records[i]["target"];
            if (target.find("objSet") == std::string::npos && target.find("objNew") == std::string::npos &&
                target.find("objDelete") == std::string::npos)
                continue;
            std::string body = fixture::Base64Decode(records[i]["body_b64"]);
            std::string page = target.substr(target.find("api_obj") + 7, target.find(".php") - target.find("api_obj") - 7);
            size_t at = body.find(page == "New" ? "PARENT=" : "ID=");
            std::string field = at == std::string::npos ? "?" : body.substr(at, body.find('&', at) - at);
            out.push_back(page + " " + field);
        }
        seenRequests = records.size();
        return out;
    }
    size_t seenRequests = 0;
    // Makes the server refuse the object's next change.
    void RefuseNextChange(__int64 id)
    {
        CAttributes form;
        form.SetNumber(CTString(L"ID"), static_cast<int>(id));
        form.SetNumber(CTString(L"COUNT"), 1);
        RequestRoute route;
        route.targetType = 126;   // nobody: the answer is of no interest
        route.requestId = 1;
        route.silent = true;
        s_app->m_db.PostForm(CTString(L"api/fixture_refuse_changes.php"), form, route);
        Settle(*s_app);
    }

    static App* s_app;
    MainWindow* main = nullptr;
    BoxPresser boxes;
};

App* SlotSaving::s_app = nullptr;

} // namespace

TEST_F(SlotSaving, AddSlotsWindowTakesTheEditorsGroupAndSplitsTheRunRate)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    // The editor read its group from the server; the directory cache does not hold it.
    s_app->m_dir.Remove(54);
    AddSlot* window = OpenAddSlots(*pane);
    ASSERT_NE(nullptr, window);
    // A second New shows the same window.
    SendMessageW(pane->m_hWnd, WM_COMMAND, Pane::kCmdNew, 0);
    EXPECT_EQ(window, s_app->m_windows.FindWindow(AddSlot::kWindowType, kKindsWindow));

    // One rate column per slot kind by display order, the group's run rate 4 split over them.
    ASSERT_EQ(3u, window->m_request.columns.size());
    EXPECT_STREQ(L"Morning", window->m_request.columns[1].object.name.GetBuffer());
    EXPECT_STREQ(L"Afternoon", window->m_request.columns[2].object.name.GetBuffer());
    EXPECT_EQ(4u, GetDlgItemInt(window->m_hWnd, AddSlot::kIdRunRate, nullptr, FALSE));
    ASSERT_EQ(1u, window->m_request.rows.size());
    EXPECT_EQ(AddSlotsRequest::RowDefault, window->m_request.rows[0].kind);
    EXPECT_EQ((std::vector<int>{2, 2}), window->m_request.rows[0].rates);
    EXPECT_EQ(1, window->m_list.m_report.GetItemCount());

    // With a third kind column: the last column takes the remainder.
    AddSlotsRequest::Column third;
    third.kind = AddSlotsRequest::ColumnSlotKind;
    third.object.id = 87;
    window->m_request.columns.push_back(third);
    struct Case {
        UINT rate;
        int kind;
        std::vector<int> rates;
    } cases[] = {{10, AddSlotsRequest::RowMonday, {3, 3, 4}}, {2, AddSlotsRequest::RowWeekend, {0, 0, 2}}};
    for (const Case& c : cases) {
        SetDlgItemInt(window->m_hWnd, AddSlot::kIdRunRate, c.rate, FALSE);
        SendMessageW(window->m_hWnd, WM_COMMAND, AddSlot::kCmdFirstKind + c.kind, 0);
        EXPECT_EQ(c.kind, window->m_request.rows.back().kind);
        EXPECT_EQ(c.rates, window->m_request.rows.back().rates) << c.rate;
    }

    // The day menu offers the kinds not in the list yet; Default never.
    HMENU menu = window->BuildDayMenu();
    std::vector<UINT> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        items.push_back(GetMenuItemID(menu, i));
    DestroyMenu(menu);
    EXPECT_EQ((std::vector<UINT>{5005, 5006, 5007, 5008, 5009, 5010, 0, 5012}), items);

    // Selecting the Default row disables Delete; deleting it does nothing.
    HWND list = window->m_list.m_report.m_hWnd;
    HWND toolbar = window->m_list.m_report.m_toolbar.m_hWnd;
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, AddSlot::kCmdDelete, 0));
    SendMessageW(window->m_hWnd, WM_COMMAND, AddSlot::kCmdDelete, 0);
    EXPECT_EQ(3u, window->m_request.rows.size());
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, AddSlot::kCmdDelete, 0));
    SendMessageW(window->m_hWnd, WM_COMMAND, AddSlot::kCmdDelete, 0);
    EXPECT_EQ(2u, window->m_request.rows.size());
    SendMessageW(window->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    Settle(*s_app);
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(AddSlot::kWindowType, kKindsWindow));
    EXPECT_EQ(8, pane->m_list.m_report.GetItemCount());
}

TEST_F(SlotSaving, AddSlotsDates)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    AddSlot* window = OpenAddSlots(*pane);
    ASSERT_NE(nullptr, window);
    HWND dialog = window->m_hWnd;
    // Dates continue after the editor's last window: last 31 May gives 1 to 7 June.
    DeploymentWin windows;
    windows.m_days[static_cast<unsigned __int64>(1780185600)];   // 31 May 2026
    window->SetDeploymentWindows(windows);
    EXPECT_EQ(L"2026-06-01", PickerText(dialog, AddSlot::kIdStart));
    EXPECT_EQ(L"2026-06-07", PickerText(dialog, AddSlot::kIdEnd));

    SYSTEMTIME start = DlgDateRange::ToSystemTime(1773100800);   // 10 March 2026
    SendDlgItemMessageW(dialog, AddSlot::kIdStart, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start));
    CheckDlgButton(dialog, AddSlot::kIdEndDate, BST_UNCHECKED);
    CheckDlgButton(dialog, AddSlot::kIdPeriod, BST_CHECKED);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(AddSlot::kIdPeriod, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, AddSlot::kIdEnd)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, AddSlot::kIdPeriodCount)));
    struct Case {
        int count, unit;
        const wchar_t* end;
    } cases[] = {{2, 1, L"2026-03-23"}, {2, 0, L"2026-03-11"}, {1, 1, L"2026-03-16"}};
    for (const Case& c : cases) {
        SendDlgItemMessageW(dialog, AddSlot::kIdPeriodUnit, CB_SETCURSEL, c.unit, 0);
        SetDlgItemInt(dialog, AddSlot::kIdPeriodCount, c.count, FALSE);   // the edit reports its change
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(AddSlot::kIdPeriodUnit, CBN_SELCHANGE), 0);
        EXPECT_EQ(c.end, PickerText(dialog, AddSlot::kIdEnd)) << c.count << " " << c.unit;
    }
    CheckDlgButton(dialog, AddSlot::kIdDateRange, BST_UNCHECKED);
    CheckDlgButton(dialog, AddSlot::kIdSingleDay, BST_CHECKED);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(AddSlot::kIdSingleDay, BN_CLICKED), 0);
    EXPECT_EQ(L"2026-03-10", PickerText(dialog, AddSlot::kIdEnd));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, AddSlot::kIdPeriod)));
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    Settle(*s_app);
}

TEST_F(SlotSaving, OkHandsTheRequestToTheEditorWhichAddsSortedRows)
{
    Pane* pane = Open(kKindsWindow, 8);
    ASSERT_NE(nullptr, pane);
    AddSlot* window = OpenAddSlots(*pane);
    ASSERT_NE(nullptr, window);
    // Two days after the last window, a slot of each kind a day.
    const __int64 last = static_cast<__int64>(pane->m_slotCache.m_days.rbegin()->first);
    SYSTEMTIME day = DlgDateRange::ToSystemTime(last + kDay), end = DlgDateRange::ToSystemTime(last + 2 * kDay);
    SendDlgItemMessageW(window->m_hWnd, AddSlot::kIdStart, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
    SendDlgItemMessageW(window->m_hWnd, AddSlot::kIdEnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&end));
    SendMessageW(window->m_hWnd, WM_COMMAND, IDOK, 0);
    Settle(*s_app);
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(AddSlot::kWindowType, kKindsWindow));
    ASSERT_EQ(12, pane->m_list.m_report.GetItemCount());
    // Sorted after the existing rows: by day, then Morning before Afternoon.
    std::vector<std::pair<__int64, __int64>> added;
    for (int item = 8; item < 12; ++item) {
        Pane::SlotEntry* entry = pane->EntryOfItem(item);
        ASSERT_NE(nullptr, entry);
        EXPECT_EQ(Pane::StateNew, entry->state);
        CAttribute date, kind;
        entry->object.GetAttribute(date, CTString(L"end_date"));
        entry->object.GetAttribute(kind, CTString(L"link_deployment_slot_data"));
        added.emplace_back((date.GetValue() - last) / kDay, kind.GetValue());
    }
    EXPECT_EQ((std::vector<std::pair<__int64, __int64>>{{1, 85}, {1, 86}, {2, 85}, {2, 86}}), added);
    EXPECT_TRUE(Enabled(*pane, Pane::kIdSave));
    // Deleting a new ticked row drops it at once.
    Pane::SlotEntry* first = pane->EntryOfItem(8);
    CTListCtrlEdit::Cell* tick = pane->m_editor.FindCell(8, 0);
    tick->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    pane->m_editor.NotifyChanged(8, 0, *tick);
    ASSERT_EQ(1, pane->m_tickedCount);
    (void)first;
    SendMessageW(pane->m_hWnd, WM_COMMAND, Pane::kCmdDelete, 0);
    EXPECT_EQ(11, pane->m_list.m_report.GetItemCount());
    EXPECT_EQ(0, pane->m_tickedCount);
    // Cancel drops what was added.
    SendMessageW(pane->m_hWnd, WM_COMMAND, MAKEWPARAM(Pane::kIdCancel, BN_CLICKED), 0);
    PumpUntil(*s_app, [&] { return pane->m_list.m_report.GetItemCount() == 8; }, 10000);
    EXPECT_EQ(8, pane->m_list.m_report.GetItemCount());
}

TEST_F(SlotSaving, SaveSendsOneChangeAtATimeThenTellsTheGroupView)
{
    ASSERT_TRUE(main->ShowConsole(Pane::kGroupConsoleType, kSaveGroup, false));
    Pane* pane = Open(kSaveWindow, 4);
    ASSERT_NE(nullptr, pane);
    const int maxColumn = pane->m_maxColumn;
    GroupViewStandIn::s_notices.clear();

    // A booked slot stays; an unbooked one is struck out for deletion.
    for (__int64 slot : {299, 298}) {
        ListView_SetItemState(pane->m_list.m_report.m_hWnd, ItemOf(*pane, slot), LVIS_SELECTED, LVIS_SELECTED);
        SendMessageW(pane->m_hWnd, WM_COMMAND, Pane::kCmdDelete, 0);
    }
    EXPECT_EQ(Pane::StateLoaded, pane->EntryOfItem(ItemOf(*pane, 299))->state);
    EXPECT_EQ(Pane::StateDeleted, pane->EntryOfItem(ItemOf(*pane, 298))->state);
    // Two capacities and one site back to the inherited one, and a new slot.
    Edit(*pane, ItemOf(*pane, 296), maxColumn, 7);
    Edit(*pane, ItemOf(*pane, 299), maxColumn, 1);
    Edit(*pane, ItemOf(*pane, 297), pane->m_siteColumn, Pane::kChoiceInherit);
    AddSlotsRequest request;
    const __int64 last = static_cast<__int64>(pane->m_slotCache.m_days.rbegin()->first);
    request.firstDay = request.lastDay = last + kDay;
    request.columns = {AddSlotsRequest::Column{}, AddSlotsRequest::Column{AddSlotsRequest::ColumnRate, Object()}};
    AddSlotsRequest::RateRow row;
    row.id = 1;
    row.objects = {Object()};
    row.rates = {5};
    request.rows = {row};
    SendMessageW(pane->m_hWnd, Pane::kMsgAddSlots, 0, reinterpret_cast<LPARAM>(&request));
    ASSERT_EQ(5, pane->m_list.m_report.GetItemCount());

    SaveRequests();
    // Row keys are in load order: 296, 297, 298 and 299 are keys 1 to 4, the new slot 5.
    EXPECT_EQ((std::vector<__int64>{1, 2, 3, 4, 5}), SaveAndWait(*pane));
    EXPECT_EQ((std::vector<std::string>{"Set ID=296", "Set ID=297", "Delete ID=298", "Set ID=299", "New PARENT=267"}),
              SaveRequests());
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ((std::vector<int>{Pane::kNoticeWindowsChanged}), GroupViewStandIn::s_notices);
    EXPECT_FALSE(Enabled(*pane, Pane::kIdSave));
    EXPECT_FALSE(Enabled(*pane, Pane::kIdCancel));
    EXPECT_EQ(4, pane->m_list.m_report.GetItemCount());
    for (const auto& [key, entry] : pane->m_slots) {
        (void)key;
        EXPECT_EQ(Pane::StateLoaded, entry.state) << entry.object.id;
        EXPECT_FALSE(entry.pending) << entry.object.id;
    }
    EXPECT_EQ(L"Edinburgh <inherited>", [&] {
        wchar_t text[128] = {};
        ListView_GetItemText(pane->m_list.m_report.m_hWnd, ItemOf(*pane, 297), pane->m_siteColumn, text, 127);
        return std::wstring(text);
    }());

    // What the server now holds: the new slot is a child of the window.
    pane->Refresh();
    PumpUntil(*s_app, [&] { return pane->m_slotCache.m_loaded && pane->m_list.m_report.GetItemCount() == 4; }, 10000);
    Settle(*s_app);
    std::vector<__int64> ids;
    for (const auto& [key, entry] : pane->m_slots) {
        (void)key;
        ids.push_back(entry.object.id);
    }
    ASSERT_EQ(4u, ids.size());
    EXPECT_EQ((std::vector<__int64>{296, 297, 299}), std::vector<__int64>(ids.begin(), ids.begin() + 3));
    EXPECT_GE(ids[3], 1000);
    CAttribute capacity;
    pane->m_slots.rbegin()->second.object.GetAttribute(capacity, CTString(L"max_deployments"));
    EXPECT_EQ(5, capacity.GetValue());
}

TEST_F(SlotSaving, ARefusedStepStaysPendingAndGoesWithTheNextSave)
{
    ASSERT_TRUE(main->ShowConsole(Pane::kGroupConsoleType, kSaveGroup, false));
    Pane* pane = Open(kSaveWindow, 4);
    ASSERT_NE(nullptr, pane);
    const int maxColumn = pane->m_maxColumn;
    GroupViewStandIn::s_notices.clear();
    RefuseNextChange(296);

    Edit(*pane, ItemOf(*pane, 296), maxColumn, 3);
    Edit(*pane, ItemOf(*pane, 297), maxColumn, 4);
    SaveAndWait(*pane);
    // The refusal is shown, the chain stops at it, nothing tells the view, Save comes back.
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"The change was refused"));
    EXPECT_TRUE(GroupViewStandIn::s_notices.empty());
    EXPECT_TRUE(Enabled(*pane, Pane::kIdSave));
    Pane::SlotEntry* refused = pane->EntryOfItem(ItemOf(*pane, 296));
    EXPECT_TRUE(refused->pending);
    EXPECT_EQ(Pane::StateChanged, refused->state);
    EXPECT_TRUE(pane->EntryOfItem(ItemOf(*pane, 297))->pending);

    // The next Save sends both, and only now the view hears of it.
    SaveAndWait(*pane);
    EXPECT_EQ(1u, boxes.texts.size());
    EXPECT_EQ((std::vector<int>{Pane::kNoticeWindowsChanged}), GroupViewStandIn::s_notices);
    EXPECT_FALSE(refused->pending);
    EXPECT_EQ(Pane::StateLoaded, refused->state);
    pane->Refresh();
    PumpUntil(*s_app, [&] { return pane->m_slotCache.m_loaded && pane->m_list.m_report.GetItemCount() == 4; }, 10000);
    Settle(*s_app);
    CAttribute capacity;
    pane->EntryOfItem(ItemOf(*pane, 296))->object.GetAttribute(capacity, CTString(L"max_deployments"));
    EXPECT_EQ(3, capacity.GetValue());
}
