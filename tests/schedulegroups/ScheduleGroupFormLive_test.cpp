// Under Xvfb: the schedule-group form (window type 4) on a main window signed in to the fixture
// server: its load requests and replies in any order, the header subtitle, the save cycle with
// the notices it sends, the T0 page moving task end dates, and the defaults page's fields.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <map>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/MainWindow.h"
#include "app/PlaceholderPane.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"
#include "schedulegroups/DlgScheduleGroupDlgDefaultsPage.h"
#include "schedulegroups/DlgScheduleGroupDlgT0Page.h"
#include "schedulegroups/ScheduleGroupWindows.h"
#include "session/BoxRecorder.h"

#include "app/SignedInSession.h"
#include "schedulegroups/FormRequests.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;
using namespace formrequests;

// Sample groups (tests/fixtures/sample/directory.json): 52 has one deployment window (262), 56 none,
// 57 two (600 and 601). 56 is changed by these tests only.
constexpr __int64 kSpring = 52, kInterns = 56, kAutumn = 57;

// What the schedule-group view hears: the group carried by each "group saved" notice.
struct Notice {
    __int64 id;
    std::wstring name;
};
std::vector<Notice> g_notices;

class NoticePane : public PlaceholderPane {
public:
    NoticePane() : PlaceholderPane(1026) {}
    void OnReply(RequestResult& result) override
    {
        if (result.route.requestId == DlgScheduleGroupDlg::NoticeGroupSaved && result.attached) {
            auto* group = static_cast<Object*>(result.attached);
            g_notices.push_back({group->id, group->name.GetBuffer() ? group->name.GetBuffer() : L""});
        }
    }
};

Object::Attribute& Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
    return attribute;
}

class ScheduleGroupFormLive : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        RegisterScheduleGroupWindows(s_app->m_catalogue);
        s_app->m_catalogue.RegisterPane(1026, [](int) -> CTWndConsole* { return new NoticePane(); });
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        RequestsSince(mark);
    }

    DlgScheduleGroupDlg* Find(__int64 id)
    {
        return dynamic_cast<DlgScheduleGroupDlg*>(s_app->m_windows.FindWindow(DlgScheduleGroupDlg::kWindowType, id));
    }

    // Opens the form as the group view's menu does, and lets its loads complete.
    DlgScheduleGroupDlg* Open(__int64 id)
    {
        s_app->m_windows.OpenWindow(DlgScheduleGroupDlg::kWindowType, static_cast<UINT64>(id),
                                    reinterpret_cast<INT_PTR>(s_app->GetMainHwnd()));
        Settle(*s_app);
        DlgScheduleGroupDlg* form = Find(id);
        EXPECT_NE(nullptr, form);
        EXPECT_TRUE(form && form->IsWindow());
        return form;
    }

    void Close(__int64 id)
    {
        if (DlgScheduleGroupDlg* form = Find(id)) {
            form->m_modified = false;
            if (form->IsWindow())
                form->Destroy();
        }
        Settle(*s_app);
    }

    void Command(HWND window, int id, int code = BN_CLICKED)
    {
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    }

    // The object sets of the last save, by object id.
    std::map<std::string, Form> Sets()
    {
        std::map<std::string, Form> sets;
        for (const Form& form : Of(RequestsSince(mark), "api_objSet.php"))
            sets[Get(form, "ID")] = form;
        return sets;
    }

    static std::string Number(__int64 value) { return std::to_string(value); }
    std::string TypeNumber(const wchar_t* name) { return std::to_string(main->GetTypeId(CTString(name))); }

    static App* s_app;
    MainWindow* main = nullptr;
    int mark = 0;
};

App* ScheduleGroupFormLive::s_app = nullptr;

TEST_F(ScheduleGroupFormLive, LoadsTheGroupItsTasksAndTheLastWindowsSlots)
{
    struct Case {
        __int64 group;
        __int64 window;                  // whose slots are searched; 0: no second search
        std::vector<__int64> children;   // among the loaded children
    } cases[] = {
        {kSpring, 262, {400, 401, 402, 262}},
        {kInterns, 0, {406}},
        {kAutumn, 601, {600, 601, 603}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        DlgScheduleGroupDlg* form = Open(c.group);
        ASSERT_NE(nullptr, form);
        std::vector<Request> sent = RequestsSince(mark);
        std::vector<Form> gets = Of(sent, "api_objGet.php");
        ASSERT_EQ(1u, gets.size());
        EXPECT_EQ(Number(c.group), Get(gets[0], "ID"));
        // The searches by type; the components page searches the deployable folder once.
        std::vector<Form> searches, components;
        for (const Form& search : Of(sent, "api_objSearch.php"))
            (Get(search, "TYPE").empty() || Get(search, "TYPE") == "<absent>" ? components : searches).push_back(search);
        EXPECT_EQ(1u, components.size());
        ASSERT_EQ(c.window ? 2u : 1u, searches.size());
        EXPECT_EQ(TypeNumber(L"Task"), Get(searches[0], "TYPE"));
        EXPECT_EQ(Number(c.group), Get(searches[0], "PARENT"));
        if (c.window) {
            EXPECT_EQ(TypeNumber(L"Deployment Slot"), Get(searches[1], "TYPE"));
            EXPECT_EQ(Number(c.window), Get(searches[1], "PARENT"));
        }
        for (__int64 id : c.children) {
            bool found = false;
            for (const Object& child : form->m_group.children)
                found = found || child.id == id;
            EXPECT_TRUE(found) << id;
        }
        if (c.group == kAutumn) {
            for (const Object& child : form->m_group.children)
                EXPECT_NE(602, child.id);   // the first window's slot is not fetched
        }
        EXPECT_FALSE(form->IsModified());
        // The header: the path title and the subtitle.
        EXPECT_STREQ(DlgScheduleGroupDlg::BuildSubtitle(form->m_group).GetBuffer(), form->m_header.subtitle.GetBuffer());
        EXPECT_EQ(0, wcsncmp(form->m_header.subtitle.GetBuffer(), (L"ID: " + std::to_wstring(c.group) + L"  Created: ").c_str(),
                             6 + std::to_wstring(c.group).size() + 9));
        Close(c.group);
    }
}

TEST_F(ScheduleGroupFormLive, SearchRepliesBeforeTheObjectKeepTheTasks)
{
    const fixture::Info& server = fixture::Shared();
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"0\" text=\"\"/><parameters ID=\"52\"/>"
                       "<object id=\"52\" type=\"" + TypeNumber(L"Schedule Group") +
                       "\" parent=\"2\" serial=\"1\" name=\"Spring refresh\" created=\"1700000000\" "
                       "updated=\"1700000000\"></object></result>\n";
    fixture::Script(server, "/api/api_objGet.php",
                    nlohmann::json::array({{{"gate", "sgform-order"},
                                            {"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
                                            {"body", body}}}));
    s_app->m_windows.OpenWindow(DlgScheduleGroupDlg::kWindowType, kSpring, reinterpret_cast<INT_PTR>(s_app->GetMainHwnd()));
    DlgScheduleGroupDlg* form = Find(kSpring);
    ASSERT_NE(nullptr, form);
    // Tasks, then slots, while the object reply is held.
    ASSERT_TRUE(PumpUntil(*s_app, [&] {
        for (const Object& child : form->m_group.children)
            if (child.parent == 262)
                return true;
        return false;
    }));
    EXPECT_EQ(1, fixture::Held(server, "sgform-order"));
    EXPECT_TRUE(form->m_group.name.IsEmpty());
    const size_t children = form->m_group.children.size();
    fixture::Release(server, "sgform-order");
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return !form->m_group.name.IsEmpty(); }));
    Settle(*s_app);
    EXPECT_STREQ(L"Spring refresh", form->m_group.name.GetBuffer());
    EXPECT_EQ(children, form->m_group.children.size());
    EXPECT_GE(children, 5u);   // three tasks, the window, its slots
    Close(kSpring);
}

TEST_F(ScheduleGroupFormLive, TheSaveCycleClosesOnlyAfterEveryGoodReply)
{
    BoxRecorder boxes;
    // Not modified: OK closes at once and sends nothing.
    DlgScheduleGroupDlg* form = Open(kInterns);
    ASSERT_NE(nullptr, form);
    HWND hwnd = form->m_hWnd;
    RequestsSince(mark);
    Command(hwnd, IDOK);
    Settle(*s_app);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(Of(RequestsSince(mark), "api_objSet.php").empty());

    // Modified with no change: the group's object set still goes, and the form closes after it.
    form = Open(kInterns);
    ASSERT_NE(nullptr, form);
    hwnd = form->m_hWnd;
    RequestsSince(mark);
    form->SetModified(true);
    Command(hwnd, IDOK);
    EXPECT_TRUE(::IsWindow(hwnd));   // the reply is still out
    Settle(*s_app);
    std::map<std::string, Form> sets = Sets();
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ("Summer interns", Get(sets[Number(kInterns)], "NAME"));
    EXPECT_NE("<absent>", Get(sets[Number(kInterns)], "SERIAL"));
    EXPECT_FALSE(::IsWindow(hwnd));

    // A refused object set keeps the form open and modified.
    const fixture::Info& server = fixture::Shared();
    fixture::Script(server, "/api/api_objSet.php",
                    nlohmann::json::array({{{"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
                                            {"body", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"1001\" "
                                                     "text=\"Serial mismatch\"/></result>\n"}}}));
    form = Open(kInterns);
    ASSERT_NE(nullptr, form);
    hwnd = form->m_hWnd;
    form->SetModified(true);
    Command(hwnd, IDOK);
    Settle(*s_app);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(form->IsModified());
    // Apply after the failed OK saves and keeps the form.
    Command(hwnd, CWindowManager::CWMForm::kApplyId);
    Settle(*s_app);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_FALSE(form->IsModified());
    Close(kInterns);
    // The placement is kept under the form's name.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Tavik\\TWndSize", 0, KEY_READ, &key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"DlgScheduleGroupDlg", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(44u, size);
    RegCloseKey(key);
}

TEST_F(ScheduleGroupFormLive, ANewT0MovesTheTasksAndTheViewHearsOfTheGroup)
{
    ASSERT_TRUE(main->ShowConsole(1026, kInterns, false));
    g_notices.clear();
    DlgScheduleGroupDlg* form = Open(kInterns);
    ASSERT_NE(nullptr, form);
    HWND hwnd = form->m_hWnd;
    Put(form->m_group, 127, L"T0_date", CAttribute(CAttribute::Date, 1786406400ll));   // 2026-08-11
    for (Object& child : form->m_group.children)
        if (child.id == 406)
            child.SetAttribute(CTString(L"T_date"), CAttribute(CAttribute::Date, 2ll));
    // Pick 1 September 2026 in the month calendar.
    HWND page = form->m_t0Page->m_hWnd;
    SYSTEMTIME day = {};
    day.wYear = 2026;
    day.wMonth = 9;
    day.wDay = 1;
    ::SendMessageW(GetDlgItem(page, 1026), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    NMSELCHANGE change = {};
    change.nmhdr.hwndFrom = GetDlgItem(page, 1026);
    change.nmhdr.idFrom = 1026;
    change.nmhdr.code = MCN_SELCHANGE;
    ::SendMessageW(page, WM_NOTIFY, 1026, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(form->IsModified());
    RequestsSince(mark);
    Command(hwnd, IDOK);
    Settle(*s_app);
    const __int64 t0 = 1788220800;   // 2026-09-01 00:00 UTC
    std::map<std::string, Form> sets = Sets();
    EXPECT_EQ(Number(t0), Get(sets[Number(kInterns)], "ATTRIBID_127"));
    EXPECT_EQ(Number(t0 - 2 * 86400), Get(sets["406"], "ATTRIBID_110"));
    EXPECT_FALSE(::IsWindow(hwnd));
    // The task's reply came last; the notice still carries the group.
    ASSERT_FALSE(g_notices.empty());
    EXPECT_EQ(kInterns, g_notices.back().id);
    EXPECT_EQ(L"Summer interns", g_notices.back().name);
}

TEST_F(ScheduleGroupFormLive, DefaultsPageStoresItsFields)
{
    using Page = DlgScheduleGroupDlg::CDefaultsPage;
    struct Case {
        const char* name;
        void (*prepare)(Object& group);
        void (*act)(ScheduleGroupFormLive& test, DlgScheduleGroupDlg& form, HWND page);
        const char* field;
        const char* value;
    } cases[] = {
        {"toggle pressed resets the own value",
         [](Object& group) { Put(group, 170, L"time_zone", CAttribute(CAttribute::Integer, 3ll)); },
         [](ScheduleGroupFormLive& t, DlgScheduleGroupDlg&, HWND page) {
             EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, Page::IdTimeZoneToggle));
             CheckDlgButton(page, Page::IdTimeZoneToggle, BST_CHECKED);
             t.Command(page, Page::IdTimeZoneToggle);
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, Page::IdTimeZone)));
         },
         "ATTRIBIDDEL_170", ""},
        {"toggle released takes the inherited value over",
         [](Object& group) {
             group.FindAttribute(CTString(L"display_name"))->flags |= Object::Attribute::Inherit | Object::Attribute::Default;
         },
         [](ScheduleGroupFormLive& t, DlgScheduleGroupDlg&, HWND page) {
             EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, Page::IdDisplayNameToggle));
             CheckDlgButton(page, Page::IdDisplayNameToggle, BST_UNCHECKED);
             t.Command(page, Page::IdDisplayNameToggle);
         },
         "ATTRIBID_101", "Summer interns"},
        {"link access not enabled stores 1",
         [](Object& group) { Put(group, 172, L"linkaccess_expire", CAttribute(CAttribute::Date, 1788220800ll)); },
         [](ScheduleGroupFormLive& t, DlgScheduleGroupDlg&, HWND page) {
             EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, Page::IdLinkEnabled));
             CheckDlgButton(page, Page::IdLinkEnabled, BST_UNCHECKED);
             t.Command(page, Page::IdLinkEnabled);
         },
         "ATTRIBID_172", "1"},
        {"picker answer 0 resets the location",
         [](Object& group) { Put(group, 163, L"link_deployment_location", CAttribute(CAttribute::Integer, 530ll)); },
         [](ScheduleGroupFormLive&, DlgScheduleGroupDlg&, HWND page) {
             ::SendMessageW(page, Page::kMsgLocationPicked, 0, 0);
             wchar_t shown[64] = {};
             GetDlgItemTextW(page, Page::IdLocation, shown, 64);
             EXPECT_STREQ(L"<not assigned>", shown);
             EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, Page::IdLocationToggle));
         },
         "ATTRIBIDDEL_163", ""},
        {"a value list stores the index",
         [](Object& group) {
             Put(group, 173, L"shirt_size", CAttribute(CAttribute::Integer, 0ll)).editSpec = L"VALUES='Small','Medium','Large'";
         },
         [](ScheduleGroupFormLive&, DlgScheduleGroupDlg& form, HWND) {
             form.m_defaultsPage->m_attributes.InsertProperty(CTWndPropertyList::KindText, CTString(L"Shirt size"),
                                                              CAttribute(CTString(L"Large")), 173, nullptr, nullptr,
                                                              nullptr, nullptr, 0);
             form.SetModified(true);
         },
         "ATTRIBID_173", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DlgScheduleGroupDlg* form = Open(kInterns);
        ASSERT_NE(nullptr, form);
        c.prepare(form->m_group);
        form->LoadPages();
        Settle(*s_app);
        c.act(*this, *form, form->m_defaultsPage->m_hWnd);
        EXPECT_TRUE(form->IsModified());
        RequestsSince(mark);
        Command(form->m_hWnd, CWindowManager::CWMForm::kApplyId);
        Settle(*s_app);
        std::map<std::string, Form> sets = Sets();
        EXPECT_EQ(c.value, Get(sets[Number(kInterns)], c.field));
        Close(kInterns);
    }
}

TEST_F(ScheduleGroupFormLive, AWithheldLocaleListLeavesTheLanguageAlone)
{
    const fixture::Info& server = fixture::Shared();
    fixture::Script(server, "/api/api_qelLocaleGet.php",
                    nlohmann::json::array({{{"gate", "sgform-locale"},
                                            {"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
                                            {"body", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"0\" "
                                                     "text=\"\"/></result>\n"}}}));
    s_app->m_windows.OpenWindow(DlgScheduleGroupDlg::kWindowType, kInterns, reinterpret_cast<INT_PTR>(s_app->GetMainHwnd()));
    DlgScheduleGroupDlg* form = Find(kInterns);
    ASSERT_NE(nullptr, form);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return fixture::Held(server, "sgform-locale") == 1 && !form->m_group.name.IsEmpty(); }));
    Put(form->m_group, 161, L"language_code", CAttribute(CTString(L"de-DE")));
    Put(form->m_group, 170, L"time_zone", CAttribute(CTString(L"Nowhere/Unknown")));
    form->SetModified(true);
    RequestsSince(mark);
    form->Save();
    fixture::Release(server, "sgform-locale");
    Settle(*s_app);
    std::map<std::string, Form> sets = Sets();
    ASSERT_EQ(1u, sets.count(Number(kInterns)));
    EXPECT_EQ("<absent>", Get(sets[Number(kInterns)], "ATTRIBID_161"));
    EXPECT_EQ("<absent>", Get(sets[Number(kInterns)], "ATTRIBID_170"));
    Close(kInterns);
}

} // namespace
