// Under Xvfb, on a main window signed in to the fixture server: the users and deployments pages of
// the schedule-group view with the deployment-window and status panels: columns, rows, overlays,
// panel counts and filters, realtime window figures, drops handed to stand-in wizards, incremental
// row updates and the page settings kept across views.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/model/DeploymentWin.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPageDeployments.h"
#include "schedulegroups/ScheduleGroupPageUsers.h"
#include "schedulegroups/ScheduleGroupPanelDepStatus.h"
#include "schedulegroups/ScheduleGroupPanelSlot.h"
#include "schedulegroups/ScheduleGroupPanels.h"
#include "schedulegroups/ScheduleGroupWindows.h"
#include "schedulegroups/FormRequests.h"
#include "session/RequestResult.h"

#include "app/SignedInSession.h"

namespace {

using formrequests::Form;
using formrequests::Get;
using formrequests::Of;
using formrequests::RequestsSince;
using signedin::PumpUntil;
using signedin::Settle;
using View = DlgScheduleGroup;

// Sample group 52 (tests/fixtures/sample/directory.json): deployments 300 to 305 of users 200 to
// 205, window 262 with slots 279 to 284; 300 and 305 are booked into 279, 301 into 280, 304 into
// 281, 302 and 303 into none.
constexpr __int64 kSpring = 52, kWindow = 262;

void Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
}

Object Make(__int64 id, __int64 type, __int64 parent, const wchar_t* name)
{
    Object object;
    object.id = id;
    object.type = type;
    object.parent = parent;
    object.serial = 1;
    object.name = name;
    return object;
}

Object Deployment(__int64 id, __int64 type, int status, __int64 user = 0, __int64 slot = 0)
{
    Object deployment = Make(id, type, kSpring, L"D");
    Put(deployment, 1, L"deployment_status", CAttribute(CAttribute::Integer, static_cast<__int64>(status)));
    if (user)
        Put(deployment, 2, L"link_user", CAttribute(CAttribute::Integer, user), Object::Attribute::Link);
    if (slot)
        Put(deployment, 3, L"link_deployment_slot", CAttribute(CAttribute::Integer, slot), Object::Attribute::Link);
    return deployment;
}

// Records the message boxes and presses one button in each.
class BoxAnswer : public MessageBoxAnswerer {
public:
    explicit BoxAnswer(int button) : press(button) { MessageBoxAnswerer::Install(this); }
    ~BoxAnswer() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        texts.push_back(box.m_text ? box.m_text : L"");
        captions.push_back(box.m_caption ? box.m_caption : L"");
        box.Press(press);
    }
    int press = IDCANCEL;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> captions;
};

// What a stand-in wizard read from the view's current page as it opened.
struct WizardRecord {
    int opened = 0;
    int type = 0;
    std::map<__int64, int> users;         // CollectSelection(0)
    std::map<__int64, int> deployments;   // CollectSelection(1)
    int kind = 0;
    int key = 0;
    std::wstring text;
} g_wizard;

class WizardStandIn : public CWindowManager::CWindow {
public:
    bool Open() override
    {
        auto* view = dynamic_cast<View*>(CTWnd2::FromHandle(reinterpret_cast<HWND>(m_param)));
        ++g_wizard.opened;
        g_wizard.type = m_type;
        if (view && view->m_currentPage) {
            g_wizard.users = {{-1, -1}};
            g_wizard.deployments = {{-1, -1}};
            view->m_currentPage->CollectSelection(0, g_wizard.users);
            view->m_currentPage->CollectSelection(1, g_wizard.deployments);
            CTString text;
            view->m_currentPage->GetDropInfo(g_wizard.kind, g_wizard.key, text);
            g_wizard.text = text.GetBuffer() ? text.GetBuffer() : L"";
        }
        return true;
    }
};

std::vector<__int64> RowIds(View::CPageBase& page)
{
    std::vector<__int64> ids;
    for (int item = 0; item < page.m_list.GetItemCount(); ++item)
        ids.push_back(reinterpret_cast<__int64>(page.m_list.GetRowData(item)));
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<__int64> Only(std::vector<__int64> ids, std::initializer_list<__int64> among)
{
    std::erase_if(ids, [&](__int64 id) { return std::find(among.begin(), among.end(), id) == among.end(); });
    return ids;
}

void Select(View::CPageBase& page, std::initializer_list<__int64> ids)
{
    HWND list = page.m_list.m_hWnd;
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (__int64 id : ids)
        ListView_SetItemState(list, page.m_list.FindRowByData(reinterpret_cast<void*>(id)), LVIS_SELECTED, LVIS_SELECTED);
}

int Overlay(View::CPageBase& page, __int64 id)
{
    const int item = page.m_list.FindRowByData(reinterpret_cast<void*>(id));
    return static_cast<int>(ListView_GetItemState(page.m_list.m_hWnd, item, LVIS_OVERLAYMASK) >> 8);
}

std::vector<UINT32> ListData(HWND list)
{
    std::vector<UINT32> data;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        data.push_back(static_cast<UINT32>(SendMessageW(list, LB_GETITEMDATA, i, 0)));
    return data;
}

int IndexOf(HWND list, UINT32 data)
{
    std::vector<UINT32> all = ListData(list);
    auto it = std::find(all.begin(), all.end(), data);
    return it == all.end() ? -1 : static_cast<int>(it - all.begin());
}

// Chooses an entry of the window list as a click does: selection, then LBN_SELCHANGE through the host.
void Choose(View::CPageBase& page, View::DlgLHSSlot& slots, UINT32 entry)
{
    SendMessageW(slots.m_hWnd, LB_SETCURSEL, IndexOf(slots.m_hWnd, entry), 0);
    SendMessageW(page.m_host.m_hWnd, WM_COMMAND, MAKEWPARAM(View::DlgLHSSlot::kIdList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(slots.m_hWnd));
}

// A text for a query value: reserved characters as %XX.
std::wstring Escaped(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text) {
        if (isalnum(c) || c == '/' || c == ':' || c == '.' || c == '-' || c == '_') {
            out += static_cast<wchar_t>(c);
        } else {
            wchar_t hex[4];
            _snwprintf(hex, 4, L"%%%02X", c);
            out += hex;
        }
    }
    return out;
}

class ScheduleGroupDeploymentPagesLive : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        // A socket token of this process, so that pushed messages reach this process's socket
        // alone while other tests share the fixture server.
        s_token = "cslots" + std::to_string(GetCurrentProcessId());
        fixture::Script(fixture::Shared(), "/api/api_logonWStoken.php",
                        nlohmann::json::array({{{"status", 200},
                                                {"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
                                                {"body", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"0\" "
                                                         "ws=\"" + s_token + "\"/></result>\n"}}}));
        // The socket takes the actions queued for its exact target when it connects: make that queue now.
        fixture::Control(fixture::Shared(), L"POST", L"/control/ws?path=" + Escaped(SocketTarget()),
                         R"([{"delay_ms": 1}])");
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        RegisterScheduleGroupWindows(s_app->m_catalogue);
        for (int type : {View::CPageDeployments::kUserWizardType, View::CPageDeployments::kDeploymentWizardType})
            s_app->m_catalogue.RegisterWindow(type, [](int, UINT64) -> CWindowManager::CWindow* { return new WizardStandIn(); });
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        g_wizard = WizardRecord();
    }

    void TearDown() override
    {
        for (int type : {View::CPageDeployments::kUserWizardType, View::CPageDeployments::kDeploymentWizardType})
            s_app->m_windows.CloseWindows(type, kSpring);
        if (main->FindConsole(View::kConsoleType, kSpring))
            main->CloseConsole(View::kConsoleType, kSpring);
        Settle(*s_app);
    }

    View* Open()
    {
        EXPECT_TRUE(main->ShowConsole(View::kConsoleType, kSpring, false));
        Settle(*s_app);
        auto* view = dynamic_cast<View*>(main->FindConsole(View::kConsoleType, kSpring));
        if (view)
            view->ShowPage(View::PageDeployments);
        return view;
    }

    View::CPageDeployments* Deployments(View* view)
    {
        return view ? dynamic_cast<View::CPageDeployments*>(view->FindPage(View::PageDeployments)) : nullptr;
    }

    // The page's deployment-window panel, made current.
    View::DlgLHSSlot* SchedulePanel(View::CPageDeployments& page)
    {
        page.m_host.SelectPanel(View::DlgLHSBase::KindSlot);
        return dynamic_cast<View::DlgLHSSlot*>(page.CurrentPanel());
    }

    __int64 Type(const wchar_t* name) { return main->GetTypeId(CTString(name)); }

    // The realtime socket's target with this process's token.
    static std::string SocketTarget() { return "/socket.io?channels=dirupdates:events:slots:requests&token=" + s_token; }

    static App* s_app;
    static std::string s_token;
    MainWindow* main = nullptr;
};

App* ScheduleGroupDeploymentPagesLive::s_app = nullptr;
std::string ScheduleGroupDeploymentPagesLive::s_token;


TEST_F(ScheduleGroupDeploymentPagesLive, StatusPanelCountsEachDeploymentOnceUnderAllAndCompleted)
{
    // A status with both the succeeded and the failed bit, known to this process only.
    Object both = Make(1990, Type(L"Deployment Status"), 5, L"Partly done");
    Put(both, 1, L"code", CAttribute(CAttribute::Integer, static_cast<__int64>(1990)));
    Put(both, 2, L"deployment_attribs", CAttribute(CAttribute::Integer, static_cast<__int64>(12)));
    main->m_cache.deploymentStatuses.push_back(both);

    View view;
    view.m_owner = main;
    view.m_key = kSpring;
    const __int64 type = Type(L"Deployment");
    // Status codes of the sample: 1 scheduled, 2 completed (bit 4), 4 failed (bit 8); 999 is none.
    const struct {
        __int64 id;
        int status;
    } deployments[] = {{1900, 1}, {1901, 2}, {1902, 4}, {1903, 1990}, {1904, 999}, {1905, 2}};
    for (const auto& d : deployments)
        view.m_objects[d.id] = Deployment(d.id, type, d.status);
    view.m_objects[1906] = Make(1906, Type(L"Computer"), kSpring, L"Not a deployment");

    std::map<__int64, int> counts = View::DlgLHSDepStatus::Count(view.m_objects, type, *main);
    EXPECT_EQ(6, counts[View::DlgLHSDepStatus::EntryAll]);   // the unresolved one only once
    EXPECT_EQ(4, counts[View::DlgLHSDepStatus::EntryCompleted]);   // both bits counted once
    EXPECT_EQ(3, counts[View::DlgLHSDepStatus::EntrySucceeded]);
    EXPECT_EQ(2, counts[View::DlgLHSDepStatus::EntryFailed]);
    EXPECT_EQ(2, counts[81]);
    EXPECT_EQ(1, counts[1990]);

    const struct {
        unsigned __int64 choice;
        std::vector<__int64> passing;
    } cases[] = {
        {View::DlgLHSDepStatus::EntryAll, {1900, 1901, 1902, 1903, 1904, 1905}},
        {View::DlgLHSDepStatus::EntryCompleted, {1901, 1902, 1903, 1905}},
        {View::DlgLHSDepStatus::EntrySucceeded, {1901, 1903, 1905}},
        {View::DlgLHSDepStatus::EntryFailed, {1902, 1903}},
        {81, {1901, 1905}},
        {1990, {1903}},
        {777, {}},
    };
    for (const auto& c : cases) {
        std::vector<__int64> passing;
        for (const auto& [id, object] : view.m_objects)
            if (object.type == type && View::DlgLHSDepStatus::PassesChoice(object, c.choice, *main))
                passing.push_back(id);
        EXPECT_EQ(c.passing, passing) << c.choice;
    }
    std::erase_if(main->m_cache.deploymentStatuses, [](const Object& status) { return status.id == 1990; });
}

TEST_F(ScheduleGroupDeploymentPagesLive, SchedulePanelChoices)
{
    const __int64 type = Type(L"Deployment");
    Object none = Deployment(1910, type, 1);
    Object zero = Deployment(1911, type, 1);
    Put(zero, 3, L"link_deployment_slot", CAttribute(CAttribute::Integer, static_cast<__int64>(0)), Object::Attribute::Link);
    Object text = Deployment(1912, type, 1);
    Put(text, 3, L"link_deployment_slot", CAttribute(CTString(L"279")));
    Object booked = Deployment(1913, type, 1, 0, 279);
    const struct {
        unsigned __int64 choice;
        std::vector<bool> passes;   // none, zero, text, booked
    } cases[] = {
        {View::DlgLHSSlot::kAll, {true, true, true, true}},
        {View::DlgLHSSlot::kNotAssigned, {true, true, true, false}},
        {279, {false, false, false, true}},
        {280, {false, false, false, false}},
    };
    for (const auto& c : cases) {
        std::vector<bool> passes;
        for (const Object* d : {&none, &zero, &text, &booked})
            passes.push_back(View::DlgLHSSlot::PassesChoice(*d, c.choice));
        EXPECT_EQ(c.passes, passes) << c.choice;
    }
}

TEST_F(ScheduleGroupDeploymentPagesLive, DeploymentsPageColumnsPanelsAndWindowList)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    View::CPageDeployments* page = Deployments(view);
    ASSERT_NE(nullptr, page);
    ASSERT_GE(page->m_columns.size(), 20u);
    std::vector<View::ColHeading> fixed(page->m_columns.begin(), page->m_columns.begin() + 20);
    EXPECT_STREQ(L"#,100,1;Exceptions,20,1;Deployment ID,100,0;User,100,1;Email Address,100,1;UC,20,1;"
                 L"Link Logon,20,1;Old Computer,100,1;HW Model,100,1;Scheduled,100,1;Slot,100,1;Type,100,1;"
                 L"New Computer,100,1;Status,100,1;Completed,100,1;Success,20,1;Error Code,100,0;VIP,20,0;"
                 L"VIM,20,0;Components,30,0",
                 View::CPageBase::ColumnSpec(fixed).GetBuffer());
    for (size_t i = 20; i < page->m_columns.size(); ++i)
        EXPECT_FALSE(page->m_columns[i].visible) << i;   // custom columns start hidden

    // Panels in their order, the window list with both special entries, the view's record.
    std::vector<int> keys;
    std::vector<std::wstring> names;
    for (CLinkedListObject* item = page->m_host.m_panels.GetHead(); item; item = item->GetNext()) {
        keys.push_back(static_cast<View::DlgLHSBase*>(item)->m_key);
        names.push_back(static_cast<View::DlgLHSBase*>(item)->m_name.GetBuffer());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6}), keys);
    EXPECT_EQ((std::vector<std::wstring>{L"Schedule", L"Status", L"Fail Code", L"Administrators", L"Exceptions", L"Tags"}),
              names);
    auto* slots = dynamic_cast<View::DlgLHSSlot*>(page->m_host.FindPanel(1));
    ASSERT_NE(nullptr, slots);
    EXPECT_EQ(View::DlgLHSSlot::kIdList, GetDlgCtrlID(slots->m_hWnd));
    EXPECT_EQ(&slots->m_windows, view->m_groupWindow);
    EXPECT_EQ(kWindow, view->m_groupWindow->m_groupWindowId);
    const std::vector<UINT32> data = ListData(slots->m_hWnd);
    ASSERT_GE(data.size(), 8u);
    EXPECT_EQ(0xFFFFFFFEu, data[0]);
    EXPECT_EQ(0xFFFFFFFDu, data[1]);
    for (UINT32 slot : {279u, 280u, 281u, 282u, 283u, 284u})
        EXPECT_NE(-1, IndexOf(slots->m_hWnd, slot)) << slot;
    EXPECT_TRUE(page->m_list.HasImageForKey(View::CPageDeployments::ImageSucceeded));
    EXPECT_TRUE(page->m_list.HasImageForKey(View::CPageDeployments::ImageFailed));
    EXPECT_EQ(RGB(221, 0, 0), page->m_list.LookupColour(View::CPageDeployments::kOverdueColour));
    // The empty-list text follows the view's load.
    EXPECT_STREQ(L"No Deployments", page->EmptyText().GetBuffer());
    page->OnLoadState(0);
    EXPECT_STREQ(L"Loading...", page->EmptyText().GetBuffer());
    page->OnLoadState(view->m_loadedBits);

    // The user of every sample deployment lies outside the group (parent 22): overlay 1.
    EXPECT_EQ(1, Overlay(*page, 300));

    // Choosing entries of the list filters the rows at once.
    ASSERT_TRUE(page->m_host.SelectPanel(1) || page->CurrentPanel() == slots);
    const struct {
        UINT32 entry;
        std::vector<__int64> rows;   // among the sample's
    } cases[] = {
        {279, {300, 305}},
        {0xFFFFFFFDu, {302, 303}},
        {0xFFFFFFFEu, {300, 301, 302, 303, 304, 305}},
    };
    for (const auto& c : cases) {
        Choose(*page, *slots, c.entry);
        EXPECT_EQ(c.entry, static_cast<UINT32>(slots->m_choice));
        EXPECT_EQ(c.rows, Only(RowIds(*page), {300, 301, 302, 303, 304, 305})) << c.entry;
    }

    // A new window reply refills the list and keeps its selection, not the rows.
    Choose(*page, *slots, 280);
    const int fills = page->m_fills;
    s_app->GetDeploymentWindowsCached(static_cast<unsigned>(kSpring), view->ReplyRoute(View::ReqWindows));
    Settle(*s_app);
    EXPECT_EQ(fills, page->m_fills);
    EXPECT_EQ(280u, static_cast<UINT32>(slots->m_choice));
    const LRESULT selected = SendMessageW(slots->m_hWnd, LB_GETCURSEL, 0, 0);
    EXPECT_EQ(280u, static_cast<UINT32>(SendMessageW(slots->m_hWnd, LB_GETITEMDATA, selected, 0)));
}

TEST_F(ScheduleGroupDeploymentPagesLive, RealtimeSlotsChangeOneWindowNotTheTotals)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    View::CPageDeployments* page = Deployments(view);
    ASSERT_NE(nullptr, page);
    DeploymentWin* windows = page->GetWindowRecord();
    ASSERT_NE(nullptr, windows);
    auto find = [&](int id) -> const DeploymentWin::Window* {
        for (const auto& [day, entries] : windows->m_days)
            for (const auto& [order, window] : entries)
                if (window.id == id)
                    return &window;
        return nullptr;
    };
    ASSERT_NE(nullptr, find(283));
    const int capacity = windows->m_capacityTotal, used = windows->m_usedTotal;
    // This process's socket only: its exact target, with the token scripted for this process.
    const std::wstring token = s_app->m_db.m_wsToken.GetBuffer() ? s_app->m_db.m_wsToken.GetBuffer() : L"";
    ASSERT_EQ(std::wstring(s_token.begin(), s_token.end()), token) << "another process took the scripted token";
    const std::string target = SocketTarget();
    ASSERT_TRUE(PumpUntil(*s_app, [&] {
        return fixture::Control(fixture::Shared(), L"GET", L"/control/ws_log").find("\"open\", \"data\": \"" + target) !=
               std::string::npos;
    }));
    fixture::Control(fixture::Shared(), L"POST", L"/control/ws?path=" + Escaped(target),
                     R"([{"text": "{\"channel\":\"slots\",\"id\":\"283\",\"used\":\"2\",\"max\":\"9\"}"}])");
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return find(283) && find(283)->capacity == 9; }))
        << fixture::Control(fixture::Shared(), L"GET", L"/control/ws_log");
    EXPECT_EQ(2, find(283)->used);
    EXPECT_EQ(capacity, windows->m_capacityTotal);
    EXPECT_EQ(used, windows->m_usedTotal);
}

TEST_F(ScheduleGroupDeploymentPagesLive, DropsHandTheEntryToTheDeploymentWizard)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    View::CPageDeployments* page = Deployments(view);
    ASSERT_NE(nullptr, page);
    auto* slots = SchedulePanel(*page);
    ASSERT_NE(nullptr, slots);
    Choose(*page, *slots, 0xFFFFFFFEu);
    Settle(*s_app);
    Select(*page, {301, 302});

    auto dropOn = [&](UINT32 entry) {
        RECT rect = {};
        SendMessageW(slots->m_hWnd, LB_GETITEMRECT, IndexOf(slots->m_hWnd, entry), reinterpret_cast<LPARAM>(&rect));
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(slots->m_hWnd, &point);
        page->m_dragging = true;
        slots->DragOver(true, point);
        page->Drop();
        Settle(*s_app);
    };
    const struct {
        UINT32 entry;
        int opened;
        int key;
    } cases[] = {
        {0xFFFFFFFEu, 0, 0},   // "<all deployments>" is never a drop target
        {0xFFFFFFFDu, 1, static_cast<int>(0xFFFFFFFDu)},
        {279, 1, 279},
    };
    for (const auto& c : cases) {
        g_wizard = WizardRecord();
        dropOn(c.entry);
        EXPECT_EQ(c.opened, g_wizard.opened) << c.entry;
        if (c.opened) {
            EXPECT_EQ(View::CPageDeployments::kDeploymentWizardType, g_wizard.type);
            EXPECT_EQ(View::DlgLHSBase::KindSlot, g_wizard.kind);
            EXPECT_EQ(c.key, g_wizard.key) << c.entry;
            EXPECT_EQ((std::map<__int64, int>{{301, 1}, {302, 1}}), g_wizard.deployments);
            EXPECT_EQ((std::map<__int64, int>{{201, 1}, {202, 1}}), g_wizard.users);
        }
        s_app->m_windows.CloseWindows(View::CPageDeployments::kDeploymentWizardType, kSpring);
        Settle(*s_app);
    }
    // The drop key goes once; a button press hands over none.
    g_wizard = WizardRecord();
    SendMessageW(page->m_hWnd, WM_COMMAND, View::CPageDeployments::kCmdUserWizard, 0);
    Settle(*s_app);
    EXPECT_EQ(1, g_wizard.opened);
    EXPECT_EQ(View::CPageDeployments::kUserWizardType, g_wizard.type);
    EXPECT_EQ(0, g_wizard.key);
    // The view's objects went to the directory cache first; no empty placeholder among them.
    const Object* cached = s_app->m_dir.Lookup(301);
    ASSERT_NE(nullptr, cached);
    EXPECT_EQ(301, cached->id);
}

TEST_F(ScheduleGroupDeploymentPagesLive, ObjectChangesTouchOnlyTheirRows)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    View::CPageDeployments* page = Deployments(view);
    ASSERT_NE(nullptr, page);
    auto* slots = SchedulePanel(*page);
    ASSERT_NE(nullptr, slots);
    Choose(*page, *slots, 279);
    ASSERT_EQ((std::vector<__int64>{300, 305}), Only(RowIds(*page), {300, 301, 302, 303, 304, 305}));
    const int fills = page->m_fills;

    // A user change refreshes the rows of that user's deployments.
    Object user = view->m_objects[200];
    user.name = L"Grace B. Hopper";
    const Object oldUser = view->m_objects[200];
    view->m_objects[200] = user;
    page->UpdateObjectRow(user, &oldUser);
    CAttribute cell;
    ASSERT_TRUE(page->m_list.GetCell(page->m_list.FindRowByData(reinterpret_cast<void*>(300)), 3, cell));
    EXPECT_STREQ(L"Grace B. Hopper", cell.GetText());

    // A deployment moved out of the chosen window leaves; one booked into it comes.
    Object moved = view->m_objects[300];
    const Object before = moved;
    Put(moved, moved.GetAttributeId(CTString(L"link_deployment_slot")), L"link_deployment_slot",
        CAttribute(CAttribute::Integer, 280), Object::Attribute::Link);
    view->m_objects[300] = moved;
    page->UpdateObjectRow(moved, &before);
    Object added = Deployment(1920, Type(L"Deployment"), 1, 200, 279);
    view->m_objects[1920] = added;
    page->UpdateObjectRow(added, nullptr);
    Object elsewhere = Deployment(1921, Type(L"Deployment"), 1, 200, 281);
    view->m_objects[1921] = elsewhere;
    page->UpdateObjectRow(elsewhere, nullptr);
    EXPECT_EQ((std::vector<__int64>{305, 1920}), Only(RowIds(*page), {300, 301, 302, 303, 304, 305, 1920, 1921}));
    EXPECT_EQ(fills, page->m_fills);   // no rebuild on the way
    EXPECT_EQ(1, Overlay(*page, 1920));
}

TEST_F(ScheduleGroupDeploymentPagesLive, UsersPageRowsSelectionAndNewUser)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    // A type derived from "Schedule User", known to this process only.
    Object derived;
    derived.type = 95;
    derived.parent = Type(L"Schedule User");
    derived.name = L"Schedule Contractor";
    main->m_cache.types.push_back(derived);
    view->m_objects[1930] = Make(1930, 95, kSpring, L"Contractor in the group");
    view->m_objects[1931] = Make(1931, Type(L"Schedule User"), 0, L"Nowhere");

    view->ShowPage(View::PageUsers);
    auto* page = dynamic_cast<View::CPageUsers*>(view->m_currentPage);
    ASSERT_NE(nullptr, page);
    page->RefreshIfVisible();
    ASSERT_GE(page->m_columns.size(), 11u);
    std::vector<View::ColHeading> fixed(page->m_columns.begin(), page->m_columns.begin() + 11);
    EXPECT_STREQ(L"Name,100,1;Exceptions,20,1;VIP,20,0;Email Address,100,1;Language,100,1;Link Logon,20,1;UC,20,1;"
                 L"Last Logon,100,1;Primary Phone,100,1;Deployments,100,1;Primary Contact,100,0",
                 View::CPageBase::ColumnSpec(fixed).GetBuffer());
    const std::vector<__int64> rows = RowIds(*page);
    for (__int64 id : {200, 201, 1930, 1931})
        EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), id)) << id;
    // Overlay: a parent that is set and is not the group.
    EXPECT_EQ(1, Overlay(*page, 200));
    EXPECT_EQ(0, Overlay(*page, 1930));
    EXPECT_EQ(0, Overlay(*page, 1931));

    Select(*page, {201, 1930});
    std::map<__int64, int> untouched = {{7, 7}};
    page->CollectSelection(1, untouched);
    EXPECT_EQ((std::map<__int64, int>{{7, 7}}), untouched);
    SendMessageW(page->m_hWnd, WM_COMMAND, View::CPageUsers::kCmdUserWizard, 0);
    Settle(*s_app);
    EXPECT_EQ(1, g_wizard.opened);
    EXPECT_EQ(View::CPageUsers::kUserWizardType, g_wizard.type);
    EXPECT_EQ((std::map<__int64, int>{{201, 1}, {1930, 1}}), g_wizard.users);
    EXPECT_EQ((std::map<__int64, int>{{-1, -1}}), g_wizard.deployments);

    SendMessageW(page->m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdNew, 0);
    Settle(*s_app);
    ASSERT_NE(nullptr, main->m_current);
    EXPECT_EQ(View::CPageUsers::kNewUserConsole, main->m_current->GetConsoleType());
    EXPECT_EQ(kSpring, main->m_current->m_key);
    std::erase_if(main->m_cache.types, [](const Object& type) { return type.type == 95; });
}

TEST_F(ScheduleGroupDeploymentPagesLive, PanelAndChoiceAreBackInTheNextView)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    View::CPageDeployments* page = Deployments(view);
    ASSERT_NE(nullptr, page);
    page->m_host.SelectPanel(View::DlgLHSBase::KindStatus);
    auto* status = dynamic_cast<View::DlgLHSDepStatus*>(page->CurrentPanel());
    ASSERT_NE(nullptr, status);
    status->Rebuild();
    status->OnSelectionChanged(View::DlgLHSDepStatus::EntryCompleted);
    // Completed lists succeeded and failed ones: 301 failed, 305 completed.
    EXPECT_EQ((std::vector<__int64>{301, 305}), Only(RowIds(*page), {300, 301, 302, 303, 304, 305}));
    EXPECT_LE(2, status->m_counts[View::DlgLHSDepStatus::EntryCompleted]);
    main->CloseConsole(View::kConsoleType, kSpring);
    Settle(*s_app);

    view = Open();
    ASSERT_NE(nullptr, view);
    page = Deployments(view);
    ASSERT_NE(nullptr, page);
    ASSERT_NE(nullptr, page->CurrentPanel());
    EXPECT_EQ(View::DlgLHSBase::KindStatus, page->CurrentPanel()->m_key);
    EXPECT_EQ(static_cast<unsigned __int64>(View::DlgLHSDepStatus::EntryCompleted), page->CurrentPanel()->m_choice);
    EXPECT_EQ((std::vector<__int64>{301, 305}), Only(RowIds(*page), {300, 301, 302, 303, 304, 305}));
    // Back to the default panel for other tests of this group.
    page->m_host.SelectPanel(View::DlgLHSBase::KindSlot);
    status = dynamic_cast<View::DlgLHSDepStatus*>(page->m_host.FindPanel(View::DlgLHSBase::KindStatus));
    status->m_choice = 0;
}

} // namespace

namespace {

TEST_F(ScheduleGroupDeploymentPagesLive, DeleteAsksAboutDeploymentsAndDecliningSendsNothing)
{
    View* view = Open();
    ASSERT_NE(nullptr, view);
    View::CPageDeployments* page = Deployments(view);
    ASSERT_NE(nullptr, page);
    auto* slots = SchedulePanel(*page);
    ASSERT_NE(nullptr, slots);
    Choose(*page, *slots, 0xFFFFFFFEu);
    int mark = 0;
    RequestsSince(mark);
    {
        BoxAnswer cancel(IDCANCEL);
        Select(*page, {300, 301, 302, 303});
        SendMessageW(page->m_list.m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
        Select(*page, {300});
        SendMessageW(page->m_list.m_hWnd, WM_KEYDOWN, VK_DELETE, 0);
        ASSERT_GE(cancel.captions.size(), 2u);
        EXPECT_EQ(L"Confirm Multiple Deployment Delete", cancel.captions[0]);
        EXPECT_EQ(L"Are you sure you want to delete these 4 items?", cancel.texts[0]);
        EXPECT_EQ(L"Delete Deployment", cancel.captions[1]);
        EXPECT_EQ(L"Are you sure you want to delete Deployment 'Grace Hopper'?", cancel.texts[1]);
    }
    Settle(*s_app);
    for (const Form& sent : Of(RequestsSince(mark), "api_objDelete.php"))
        for (const char* id : {"300", "301", "302", "303"})
            EXPECT_NE(id, Get(sent, "ID"));
}

} // namespace
