// Under Xvfb: the schedule-group view (console 1026) on a main window signed in to the fixture
// server: its load (batches, routes, one rebuild), its notices, its summary mark-up, the group's
// menu and window creation, and the cells of its pages with the data they fetch on demand.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/App.h"
#include "app/MainWindow.h"
#include "calendars/model/DeploymentWin.h"
#include "controls/CGDIManager.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "schedulegroups/ScheduleGroupPage.h"
#include "schedulegroups/ScheduleGroupPanels.h"
#include "schedulegroups/ScheduleGroupWindows.h"
#include "framework/PopupMenuDriver.h"
#include "session/BoxRecorder.h"
#include "session/RequestResult.h"

#include "schedulegroups/FormRequests.h"
#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;
using namespace formrequests;

// Sample groups (tests/fixtures/sample/directory.json): 52 with deployments, contacts, a site and
// two deployment locations (530, 531); 1100 without a deployment window.
constexpr __int64 kSpring = 52, kPilot = 1100;

size_t CountItems(const std::string& list)
{
    return list.empty() ? 0 : static_cast<size_t>(std::count(list.begin(), list.end(), ',')) + 1;
}

void Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
}

Object Make(__int64 id, __int64 type, __int64 parent, const wchar_t* name, __int64 serial = 1)
{
    Object object;
    object.id = id;
    object.type = type;
    object.parent = parent;
    object.serial = serial;
    object.name = name;
    return object;
}

std::wstring Colour(COLORREF colour)
{
    CTString text;
    text.AppendHtmlColour(&colour);
    return text.GetBuffer();
}

std::wstring ShortDate(__int64 day)
{
    CAttribute date(CAttribute::Date, day);
    date.UpdateText();
    return date.GetText();
}

nlohmann::json XmlReply(const std::string& body, int status = 200)
{
    return {{"status", status},
            {"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
            {"body", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result>" + body + "</result>\n"}};
}

class ScheduleGroupViewLive : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterScheduleGroupWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
        RequestsSince(mark);
    }

    DlgScheduleGroup* Open(__int64 id)
    {
        EXPECT_TRUE(main->ShowConsole(DlgScheduleGroup::kConsoleType, id, false));
        Settle(*s_app);
        return dynamic_cast<DlgScheduleGroup*>(main->FindConsole(DlgScheduleGroup::kConsoleType, id));
    }

    // A view without a window, for its rules; requests it sends still reach the fixture.
    std::unique_ptr<DlgScheduleGroup> Detached(__int64 id)
    {
        auto view = std::make_unique<DlgScheduleGroup>();
        view->m_owner = main;
        view->m_key = id;
        view->m_group = Make(id, Type(L"Schedule Group"), 2, L"Group");
        return view;
    }

    __int64 Type(const wchar_t* name) { return main->GetTypeId(CTString(name)); }

    static App* s_app;
    MainWindow* main = nullptr;
    int mark = 0;
};

App* ScheduleGroupViewLive::s_app = nullptr;

TEST_F(ScheduleGroupViewLive, OpensFromTheMainWindowAndLoadsTheGroup)
{
    DlgScheduleGroup* view = Open(kSpring);
    ASSERT_NE(nullptr, view);
    std::vector<Request> sent = RequestsSince(mark);
    std::vector<Form> groups = Of(sent, "api_qelGetScheduleGroup.php");
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ("52", Get(groups[0], "ID"));
    std::vector<Form> routes = Of(sent, "api_qelGetDeploymentRoutes.php");
    ASSERT_EQ(2u, routes.size());
    std::set<std::string> locationsAsked = {Get(routes[0], "ID"), Get(routes[1], "ID")};
    EXPECT_EQ((std::set<std::string>{"530", "531"}), locationsAsked);

    EXPECT_EQ(DlgScheduleGroup::LoadedAll, view->m_loadedBits);
    EXPECT_EQ(kSpring, view->m_group.id);
    for (__int64 id : {300, 301, 302, 303, 304, 305, 200, 208, 22})
        EXPECT_EQ(1u, view->m_objects.count(id)) << id;
    EXPECT_EQ(1u, view->m_legacyRoutes.count(531) + view->m_otherRoutes.count(531));
    std::vector<__int64> locations;
    view->CollectLocations(0, locations);
    EXPECT_NE(locations.end(), std::find(locations.begin(), locations.end(), 530));
    EXPECT_EQ(530, view->DefaultLocation(0));
    EXPECT_EQ(1, view->m_linkUsage[200]);   // Grace Hopper's one deployment

    // The deployments page lists the group's deployments: the sample's six and any that tests
    // sharing the fixture server made in it.
    ASSERT_NE(nullptr, view->m_currentPage);
    EXPECT_EQ(DlgScheduleGroup::PageDeployments, view->m_currentPage->GetPageKind());
    const int listed = view->m_currentPage->m_list.GetItemCount();
    EXPECT_GE(listed, 6);
    EXPECT_EQ(1, view->m_currentPage->m_fills);   // one rebuild for the whole load

    // The summary, with the contacts and counts of the fixture group.
    wchar_t text[16384] = {};
    GetWindowTextW(view->m_summary.m_hWnd, text, 16384);
    std::wstring summary = text;
    EXPECT_NE(std::wstring::npos, summary.find(L">Deployments:</Text><Text>" + std::to_wstring(listed) + L"</Text>")) << summary;
    EXPECT_NE(std::wstring::npos, summary.find(L"Primary Contact:</Text>"));
    EXPECT_NE(std::wstring::npos, summary.find(L"\" >Donald Knuth</Text>"));
    EXPECT_NE(std::wstring::npos, summary.find(L"Deploy Location:</Text>"));
    EXPECT_NE(std::wstring::npos, summary.find(L"Deployment Window:</Text>"));

    // A refresh rebuilds the page once.
    const int fills = view->m_currentPage->m_fills;
    RequestResult refresh;
    refresh.route.requestId = DlgScheduleGroup::ReqRefresh;
    view->OnReply(refresh);
    Settle(*s_app);
    EXPECT_EQ(fills + 1, view->m_currentPage->m_fills);

    // Pages and their summary links.
    view->ShowPage(DlgScheduleGroup::PageComputers);
    EXPECT_EQ(DlgScheduleGroup::PageComputers, view->m_currentPage->GetPageKind());
    view->ShowPage(7);
    EXPECT_EQ(DlgScheduleGroup::PageComputers, view->m_currentPage->GetPageKind());
    for (const auto& [number, link] : view->m_links)
        if (link.kind == DlgScheduleGroup::LinkPage && link.value == DlgScheduleGroup::PageUsers)
            view->OnSummaryClick(number);
    EXPECT_EQ(DlgScheduleGroup::PageUsers, view->m_currentPage->GetPageKind());
    EXPECT_GT(view->m_currentPage->m_list.GetItemCount(), 5);   // a page made after the load lists too
    EXPECT_EQ(3u, view->Pages().size());
    main->CloseConsole(DlgScheduleGroup::kConsoleType, kSpring);
    Settle(*s_app);
}

TEST_F(ScheduleGroupViewLive, ReturnIdsGoInBatchesAndEveryRouteCounts)
{
    BoxRecorder boxes;
    const fixture::Info& server = fixture::Shared();
    std::string ids;
    for (int i = 0; i < 4500; ++i)
        ids += (i ? "," : "") + std::to_string(7000000 + i);
    const std::string group = "<object id=\"1100\" type=\"" + std::to_string(Type(L"Schedule Group")) +
                              "\" parent=\"2\" serial=\"1\" name=\"Pilot wave\" created=\"1700000000\" "
                              "updated=\"1700000000\"></object>"
                              "<object id=\"7000000\" type=\"" + std::to_string(Type(L"Computer")) +
                              "\" parent=\"1100\" serial=\"3\" name=\"PC\" created=\"1700000000\" "
                              "updated=\"1700000000\"></object>";
    fixture::Script(server, "/api/api_qelGetScheduleGroup.php",
                    nlohmann::json::array({XmlReply("<RC id=\"0\"><deploymentlocation_ids>12,,14</deploymentlocation_ids>"
                                                    "<return_ids>" + ids + "</return_ids></RC>" + group)}));
    fixture::Script(server, "/api/api_qelGetDeploymentRoutes.php",
                    nlohmann::json::array({XmlReply("<RC id=\"0\" legacy_route=\"0\"/>"),
                                           XmlReply("<RC id=\"0\"/>", 500), XmlReply("<RC id=\"0\"/>")}));
    nlohmann::json held = XmlReply("<RC id=\"0\"/>");
    held["gate"] = "sgview-batches";
    fixture::Script(server, "/api/api_objGet.php", nlohmann::json::array({held, held, held}));

    ASSERT_TRUE(main->ShowConsole(DlgScheduleGroup::kConsoleType, kPilot, false));
    auto* view = dynamic_cast<DlgScheduleGroup*>(main->FindConsole(DlgScheduleGroup::kConsoleType, kPilot));
    ASSERT_NE(nullptr, view);
    std::vector<size_t> sizes;
    for (int batch = 0; batch < 3; ++batch) {
        ASSERT_TRUE(PumpUntil(*s_app, [&] { return fixture::Held(server, "sgview-batches") == 1; })) << batch;
        std::vector<Form> gets = Of(RequestsSince(mark), "api_objGet.php");
        ASSERT_EQ(1u, gets.size()) << batch;   // the next batch waits for this reply
        sizes.push_back(CountItems(Get(gets[0], "IDS")));
        EXPECT_EQ(batch == 0 ? "7000000=3" : "", Get(gets[0], "SERIALS"));
        EXPECT_EQ(0, view->m_loadedBits & DlgScheduleGroup::LoadedReturn);
        fixture::Release(server, "sgview-batches", 1);
    }
    Settle(*s_app);
    EXPECT_EQ((std::vector<size_t>{2000, 2000, 500}), sizes);
    EXPECT_EQ(DlgScheduleGroup::LoadedAll, view->m_loadedBits);
    EXPECT_EQ(0, view->m_pendingObjectRequests);

    // "12,,14" asked three routes, one of which failed; the strand still completed.
    fixture::Control(server, L"POST", L"/control/release?gate=sgview-batches");
    RequestsSince(mark);
    nlohmann::json all = fixture::Requests(server, "/api/api_qelGetDeploymentRoutes.php");
    std::vector<std::string> asked;
    for (const auto& record : all)
        asked.push_back(Get(ParseForm(fixture::Base64Decode(record.value("body_b64", ""))), "ID"));
    ASSERT_GE(asked.size(), 3u);
    // Sent in that order; they may arrive in any.
    std::vector<std::string> last(asked.end() - 3, asked.end());
    std::sort(last.begin(), last.end());
    EXPECT_EQ((std::vector<std::string>{"0", "12", "14"}), last);
    // The failed route is the transport's to report (its HTTP status); the view closes nothing.
    for (const std::wstring& text : boxes.texts)
        EXPECT_EQ(std::wstring::npos, text.find(L"Object no longer available")) << std::string(text.begin(), text.end());
    EXPECT_NE(nullptr, main->FindConsole(DlgScheduleGroup::kConsoleType, kPilot));
    main->CloseConsole(DlgScheduleGroup::kConsoleType, kPilot);
    Settle(*s_app);
}

TEST_F(ScheduleGroupViewLive, IdListsReadEmptyItemsAsZero)
{
    struct Case {
        const wchar_t* text;
        std::vector<__int64> ids;
    } cases[] = {
        {L"", {}},
        {L"12,,14", {12, 0, 14}},
        {L"12,14,", {12, 14}},
        {L"7", {7}},
        {L",", {0}},
        {L"-3,4", {-3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.ids, DlgScheduleGroup::ParseIdList(CTString(c.text))) << c.text;
}

TEST_F(ScheduleGroupViewLive, DefaultLocationsPreferTheGroupsOwn)
{
    auto view = Detached(900001);
    EXPECT_EQ(0, view->DefaultLocation(0));
    EXPECT_EQ(0, view->DefaultLocation(1));
    view->m_legacyRoutes[40] = Make(41, 0, 40, L"Legacy");
    view->m_legacyRoutes[30] = Make(31, 0, 30, L"Legacy");
    view->m_otherRoutes[50] = Make(51, 0, 50, L"Other");
    EXPECT_EQ(30, view->DefaultLocation(0));
    EXPECT_EQ(50, view->DefaultLocation(1));
    EXPECT_EQ(0, view->DefaultLocation(2));
    Put(view->m_group, 1, L"link_deployment_location", CAttribute(CAttribute::Integer, 40), Object::Attribute::Link);
    EXPECT_EQ(40, view->DefaultLocation(0));
    std::vector<__int64> out = {99, 30};
    view->CollectLocations(0, out);
    EXPECT_EQ((std::vector<__int64>{30, 40, 99}), out);   // sorted, each once
    out.clear();
    view->CollectLocations(1, out);
    EXPECT_EQ((std::vector<__int64>{50}), out);
    out = {7, 7};
    view->CollectLocations(5, out);
    EXPECT_EQ((std::vector<__int64>{7}), out);
}

TEST_F(ScheduleGroupViewLive, NoticesChangeOnlyWhatTheyConcern)
{
    auto view = Detached(kSpring);
    view->m_group.serial = 5;
    const __int64 deployment = Type(L"Deployment"), computer = Type(L"Computer");
    view->m_objects[230] = Make(230, computer, 22, L"MAN-LT-0101", 2);

    auto notify = [&](int request, void* attached) {
        RequestResult notice;
        notice.route.requestId = request;
        notice.attached = attached;
        view->OnReply(notice);
    };
    // 1017: only a newer copy of the group itself.
    Object same = Make(kSpring, view->m_group.type, 2, L"Renamed", 5);
    notify(DlgScheduleGroup::ReqGroupSaved, &same);
    EXPECT_STREQ(L"Group", view->m_group.name.GetBuffer());
    Object newer = Make(kSpring, view->m_group.type, 2, L"Renamed", 6);
    notify(DlgScheduleGroup::ReqGroupSaved, &newer);
    EXPECT_STREQ(L"Renamed", view->m_group.name.GetBuffer());

    // 1003: a deployment of another group is ignored, one of this group taken; a computer only when held.
    Object elsewhere = Make(9001, deployment, 53, L"Elsewhere");
    notify(DlgScheduleGroup::ReqObjectSaved, &elsewhere);
    EXPECT_EQ(0u, view->m_objects.count(9001));
    Object ours = Make(9002, deployment, kSpring, L"Ours");
    notify(DlgScheduleGroup::ReqObjectSaved, &ours);
    EXPECT_EQ(1u, view->m_objects.count(9002));
    Object stranger = Make(9003, computer, 22, L"Stranger");
    notify(DlgScheduleGroup::ReqObjectSaved, &stranger);
    EXPECT_EQ(0u, view->m_objects.count(9003));
    Object held = Make(230, computer, 22, L"MAN-LT-0101 renamed", 3);
    notify(DlgScheduleGroup::ReqObjectSaved, &held);
    EXPECT_STREQ(L"MAN-LT-0101 renamed", view->m_objects[230].name.GetBuffer());

    // 1100: only ids the view holds, and only newer serials.
    s_app->m_dir.StoreObject(Make(230, computer, 22, L"From the cache", 3), 0);
    s_app->m_dir.StoreObject(Make(9004, computer, 22, L"Unknown", 9), 0);
    std::list<__int64> changed = {230, 9004};
    notify(DlgScheduleGroup::ReqChanged, &changed);
    EXPECT_STREQ(L"MAN-LT-0101 renamed", view->m_objects[230].name.GetBuffer());
    EXPECT_EQ(0u, view->m_objects.count(9004));
    s_app->m_dir.StoreObject(Make(230, computer, 22, L"From the cache", 4), 0);
    notify(DlgScheduleGroup::ReqChanged, &changed);
    EXPECT_STREQ(L"From the cache", view->m_objects[230].name.GetBuffer());

    // 1005: the object leaves the cache and the link counts.
    Put(ours, 1, L"link_legacy_computer", CAttribute(CAttribute::Integer, 230), Object::Attribute::Link);
    view->m_objects[9002] = ours;
    view->CountLinkUsage();
    EXPECT_EQ(1, view->m_linkUsage[230]);
    notify(DlgScheduleGroup::ReqObjectDeleted, &ours);
    EXPECT_EQ(0u, view->m_objects.count(9002));
    EXPECT_EQ(0u, view->m_linkUsage.count(230));

    // 1106 while hidden marks the windows stale; a Refresh while hidden sends nothing.
    notify(DlgScheduleGroup::ReqWindowsChanged, nullptr);
    EXPECT_TRUE(view->m_windowsStale);
    RequestsSince(mark);
    notify(DlgScheduleGroup::ReqRefresh, nullptr);
    Settle(*s_app);
    EXPECT_TRUE(view->m_refreshPendingView);
    EXPECT_TRUE(Of(RequestsSince(mark), "api_qelGetScheduleGroup.php").empty());
}

TEST_F(ScheduleGroupViewLive, SummaryMarkup)
{
    auto view = Detached(900000);
    DlgScheduleGroup::s_startOfToday = [] { return static_cast<__int64>(1750000000 - 1750000000 % 86400); };
    const __int64 today = 1750000000 - 1750000000 % 86400;

    CGDIManager::CObject* hot = CGDIManager::Instance()->Find(25);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const std::wstring header = Colour(RGB(GetRValue(highlight) / 2, GetGValue(highlight) / 2, GetBValue(highlight) / 2));
    const std::wstring hotTrack = Colour(hot ? static_cast<COLORREF>(hot->Get()) : 0);
    const std::wstring attribs =
        L"<Attribs><Attrib id=\"Heading-1\" font-size=\"18\" font-weight=\"600\" color=\"" + header +
        L"\" /><Attrib id=\"Heading-2\" font-size=\"12\" font-weight=\"500\" color=\"" + header +
        L"\" /><Attrib id=\"Heading-Hottrack\" font-size=\"12\" color=\"" + header + L"\" hot-track=\"" + hotTrack +
        L"\" /><Attrib id=\"Label\" font-size=\"11\" padding-right=\"8\" text-align=\"right\" color=\"#4C4C4C\" />"
        L"</Attribs>";
    auto counts = [](int first, int deployments, int users, int computers) {
        std::wstring out = L"<Div padding-top=\"4\" padding-left=\"8\">";
        const wchar_t* labels[] = {L"Deployments:", L"Users:", L"Computers:"};
        const int values[] = {deployments, users, computers};
        for (int i = 0; i < 3; ++i)
            out += L"<Text attrib=\"Heading-Hottrack\" column=\"1\" padding-right=\"8\" on-click=\"" +
                   std::to_wstring(first + i) + L"\">" + labels[i] + L"</Text><Text>" + std::to_wstring(values[i]) +
                   L"</Text><BR/>";
        return out + L"</Div>";
    };

    // A group with nothing set.
    CTString markup;
    ASSERT_TRUE(view->BuildSummaryMarkup(markup));
    EXPECT_EQ(attribs + L"<Div><Text attrib=\"Label\" column=\"1\">T0:</Text><Text id=\"T0\" attrib=\"Heading-1\" "
                        L"hot-track=\"" + hotTrack + L"\" on-click=\"1\">Not Set</Text><BR /></Div>" +
                  counts(2, 0, 0, 0) +
                  L"<Div padding-top=\"4\" padding-left=\"8\"></Div><Div padding-top=\"4\" padding-left=\"4\"></Div>",
              std::wstring(markup.GetBuffer()));
    ASSERT_EQ(4u, view->m_links.size());
    EXPECT_EQ(900000, view->m_links[1].value);
    EXPECT_EQ(DlgScheduleGroup::LinkObject, view->m_links[1].kind);
    EXPECT_EQ(DlgScheduleGroup::PageComputers, view->m_links[4].value);
    EXPECT_EQ(DlgScheduleGroup::LinkPage, view->m_links[4].kind);

    // T0, an escaped contact, window totals, one location listed once, an expired link.
    const __int64 t0 = today + 14 * 86400;
    Put(view->m_group, 1, L"T0_date", CAttribute(CAttribute::Date, t0));
    Put(view->m_group, 2, L"link_primary_contact", CAttribute(CAttribute::Integer, 800001), Object::Attribute::Link);
    Put(view->m_group, 3, L"link_deployment_location", CAttribute(CAttribute::Integer, 800010), Object::Attribute::Link);
    Put(view->m_group, 4, L"linkaccess_expire", CAttribute(CAttribute::Date, today - 86400));
    view->m_objects[800001] = Make(800001, Type(L"Schedule User"), 22, L"Smith & <Co>");
    view->m_legacyRoutes[800010] = Make(800020, Type(L"Route [AT]"), 800010, L"Route");
    s_app->m_paths[800010] = L"\\Stores\\A&<B";
    DeploymentWin window;
    window.m_usedTotal = 7;
    window.m_capacityTotal = 20;
    window.m_freeTotal = 5;
    view->m_groupWindow = &window;
    ASSERT_TRUE(view->BuildSummaryMarkup(markup));
    std::wstring text = markup.GetBuffer();
    EXPECT_NE(std::wstring::npos, text.find(L"on-click=\"1\">" + ShortDate(t0) + L"</Text>")) << text;
    EXPECT_NE(std::wstring::npos,
              text.find(L"<Text attrib=\"Label\" column=\"1\">Primary Contact:</Text><Text attrib=\"Heading-Hottrack\" "
                        L"on-click=\"2\" >Smith &amp; &lt;Co&gt;</Text><BR />"))
        << text;
    EXPECT_NE(std::wstring::npos, text.find(counts(3, 0, 1, 0)));
    EXPECT_NE(std::wstring::npos,
              text.find(L"<Div padding-top=\"4\" padding-left=\"8\"><Text attrib=\"Label\" column=\"1\">Deployment "
                        L"Window:</Text><Text>5 : 7/20 (35.0%)</Text><BR/><Text attrib=\"Label\" column=\"1\">"
                        L"Succeeded:</Text><Text>0</Text><BR/><Text attrib=\"Label\" column=\"1\">Failed:</Text>"
                        L"<Text>0</Text><BR/></Div>"))
        << text;
    EXPECT_NE(std::wstring::npos,
              text.find(L"<Div padding-top=\"4\" padding-left=\"4\"><Text attrib=\"Label\" column=\"1\">Deploy "
                        L"Location:</Text><Text attrib=\"Heading-Hottrack\" on-click=\"6\">\\Stores\\A&amp;&lt;B"
                        L"</Text><BR/></Div>"))
        << text;
    EXPECT_EQ(text.find(L"Deploy Location:"), text.rfind(L"Deploy Location:"));
    EXPECT_NE(std::wstring::npos, text.find(L"<Text attrib=\"Label\" column=\"1\">Link Expires:</Text><Text color=\"#FF0000\" >" +
                                            ShortDate(today - 86400) + L"</Text><BR />"))
        << text;
    EXPECT_EQ(800010, view->m_links[6].value);

    // A link valid until tomorrow keeps the default colour.
    Put(view->m_group, 4, L"linkaccess_expire", CAttribute(CAttribute::Date, today + 86400));
    ASSERT_TRUE(view->BuildSummaryMarkup(markup));
    text = markup.GetBuffer();
    EXPECT_NE(std::wstring::npos, text.find(L"<Text attrib=\"Label\" column=\"1\">Link Expires:</Text><Text  >" +
                                            ShortDate(today + 86400) + L"</Text><BR />"))
        << text;

    // An uncached path defers the build and is asked for once; a path the server leaves out is
    // not asked for again.
    view->m_otherRoutes[800030] = Make(800031, Type(L"Route [AT]"), 800030, L"Inbound route");
    RequestsSince(mark);
    EXPECT_FALSE(view->BuildSummaryMarkup(markup));
    Settle(*s_app);
    EXPECT_EQ(1u, Of(RequestsSince(mark), "api_dirIDToPath.php").size());
    ASSERT_TRUE(view->BuildSummaryMarkup(markup));
    Settle(*s_app);
    EXPECT_TRUE(Of(RequestsSince(mark), "api_dirIDToPath.php").empty());
    EXPECT_NE(std::wstring::npos, std::wstring(markup.GetBuffer()).find(L"Inbound:</Text>"));
    view->m_groupWindow = nullptr;
    s_app->m_paths.erase(800010);
}

TEST_F(ScheduleGroupViewLive, GroupMenuAndCreatingAWindow)
{
    auto view = Detached(kPilot);
    bool enabled = true;
    std::map<UINT, CTString> entries = view->MenuEntries(&enabled);
    ASSERT_EQ(2u, entries.size());
    EXPECT_STREQ(L"Schedule Group Defaults", entries[DlgScheduleGroup::kCmdDefaults].GetBuffer());
    EXPECT_STREQ(L"Create Deployment Window", entries[DlgScheduleGroup::kCmdWindow].GetBuffer());
    EXPECT_FALSE(enabled);   // no T0

    const __int64 t0 = 1800000000 - 1800000000 % 86400;
    Put(view->m_group, 1, L"T0_date", CAttribute(CAttribute::Date, t0));
    DeploymentWin window;
    view->m_groupWindow = &window;
    entries = view->MenuEntries(&enabled);
    EXPECT_STREQ(L"Create Deployment Window", entries[DlgScheduleGroup::kCmdWindow].GetBuffer());
    EXPECT_TRUE(enabled);
    window.m_groupWindowId = 262;
    entries = view->MenuEntries(&enabled);
    EXPECT_STREQ(L"Edit Deployment Window", entries[DlgScheduleGroup::kCmdWindow].GetBuffer());
    window.m_groupWindowId = 0;

    // Create: the post, the editor on the new window and the group's windows asked again.
    RequestsSince(mark);
    view->OnMenuCommand(DlgScheduleGroup::kCmdWindow);
    Settle(*s_app);
    std::vector<Request> sent = RequestsSince(mark);
    std::vector<Form> created = Of(sent, "api_qelCreateDeploymentWindow.php");
    ASSERT_EQ(1u, created.size());
    EXPECT_EQ("1100", Get(created[0], "PARENT"));
    EXPECT_EQ(std::to_string(t0), Get(created[0], "END_DATE"));
    ASSERT_NE(0, window.m_groupWindowId);
    EXPECT_NE(nullptr, main->FindConsole(DlgScheduleGroup::kWindowEditorConsole, window.m_groupWindowId));
    std::vector<Form> windows = Of(sent, "api_qelGetDeploymentWindow.php");
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ("1100", Get(windows[0], "PARENT"));
    main->CloseConsole(DlgScheduleGroup::kWindowEditorConsole, window.m_groupWindowId);
    Settle(*s_app);
}

TEST_F(ScheduleGroupViewLive, CellsByKind)
{
    auto view = Detached(kSpring);
    const __int64 deploymentType = Type(L"Deployment"), userType = Type(L"Schedule User");
    Object user = Make(200, userType, 22, L"Grace Hopper");
    Put(user, 1, L"email_address", CAttribute(CTString(L"grace@example.test")));
    view->m_objects[200] = user;
    Object deployment = Make(300, deploymentType, kSpring, L"Deployment A");
    Put(deployment, 1, L"link_user", CAttribute(CAttribute::Integer, 200), Object::Attribute::Link);
    Put(deployment, 2, L"flag", CAttribute(CAttribute::Integer, 1));
    Put(deployment, 3, L"note", CAttribute(CTString(L"check")));
    Put(deployment, 4, L"empty_note", CAttribute(CTString(L"")));
    Put(deployment, 5, L"deployable", CAttribute(CTString(L"/4/5/")), Object::Attribute::LinkArray);
    Put(deployment, 6, L"deployable_mandatory", CAttribute(CTString(L"/5/6/")), Object::Attribute::LinkArray);
    Put(deployment, 7, L"completed", CAttribute(CAttribute::Integer, 1700000000));
    view->m_objects[300] = deployment;
    view->CountLinkUsage();

    struct Case {
        const wchar_t* key;
        const wchar_t* secondKey;
        int kind;
        __int64 objectId;
        int type;
        const wchar_t* text;   // null: not compared
        __int64 value;
        int colour;
    } cases[] = {
        {L"", L"", 0, 300, 0, L"Deployment A", 0, 0},
        {L"link_user", L"", 0, 300, 0, L"Grace Hopper", 0, 0},
        {L"link_user", L"email_address", 0, 300, 0, L"grace@example.test", 0, 0},
        {L"flag", L"", 1, 300, 4, nullptr, 1, 0},
        {L"", L"", 5, 200, 1, nullptr, 1, 0},
        {L"", L"", 5, 300, 0, L"", 0, 0},
        {L"flag", L"", 7, 300, 4, nullptr, 7, 0},
        {L"note", L"", 8, 300, 4, nullptr, 7, 0},
        {L"empty_note", L"", 8, 300, 0, L"", 0, 0},
        {L"", L"", 12, 300, 1, nullptr, 3, 0},
        {L"", L"", 12, 200, 0, L"", 0, 0},
        {L"completed", L"", 17, 300, 2, nullptr, 1700000000, 0},
        // No slot and no final status: overdue colour.
        {L"link_deployment_slot", L"", 2, 300, 2, nullptr, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.key) + L" kind " + std::to_wstring(c.kind));
        DlgScheduleGroup::ColHeading column;
        column.key = c.key;
        column.secondKey = c.secondKey;
        column.kind = c.kind;
        CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
        view->ComputeCell(nullptr, view->m_objects[c.objectId], column, cell);
        EXPECT_EQ(c.type, cell.m_value.GetType());
        if (c.text)
            EXPECT_STREQ(c.text, cell.m_value.GetText());
        else
            EXPECT_EQ(c.value, cell.m_value.GetValue());
        EXPECT_EQ(c.colour, cell.m_textColour);
    }

    // A row carries the object's id and one cell per column.
    std::vector<DlgScheduleGroup::ColHeading> columns(2);
    columns[1].key = L"link_user";
    CTListCtrlReport::Row row;
    view->BuildRow(row, nullptr, columns, deployment);
    EXPECT_EQ(reinterpret_cast<void*>(300), row.m_data);
    EXPECT_EQ(2u, row.m_cells.GetCount());
}

TEST_F(ScheduleGroupViewLive, LinkedObjectsAreFetchedOnceAndPlaceholdersStayHome)
{
    auto view = Detached(kSpring);
    const __int64 deploymentType = Type(L"Deployment");
    DlgScheduleGroup::ColHeading column;
    column.key = L"link_user";
    RequestsSince(mark);
    for (__int64 id = 9100; id < 9103; ++id) {
        Object deployment = Make(id, deploymentType, kSpring, L"D");
        Put(deployment, 1, L"link_user", CAttribute(CAttribute::Integer, 201), Object::Attribute::Link);
        view->m_objects[id] = deployment;
        CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
        view->ComputeCell(nullptr, view->m_objects[id], column, cell);
        EXPECT_EQ(CAttribute::Integer, cell.m_value.GetType());   // unchanged until the object comes
    }
    Settle(*s_app);
    std::vector<Form> gets = Of(RequestsSince(mark), "api_objGet.php");
    ASSERT_EQ(1u, gets.size());
    EXPECT_EQ("201", Get(gets[0], "ID"));
    EXPECT_EQ(1, view->m_pendingObjectRequests);

    // The reply (as the pane would get it) fills the cache; the placeholder never reaches the directory.
    view->m_objects[9999] = Object();
    view->m_pendingObjectRequests = 0;
    view->m_loadedBits = 0;
    view->SetLoaded(DlgScheduleGroup::LoadedAll);
    EXPECT_EQ(0, s_app->m_dir.Lookup(9999) ? s_app->m_dir.Lookup(9999)->id : 0);
    ASSERT_NE(nullptr, s_app->m_dir.Lookup(9100));
    EXPECT_EQ(9100, s_app->m_dir.Lookup(9100)->id);
}

TEST_F(ScheduleGroupViewLive, LookupRepliesFillTheColumnThatAsked)
{
    auto view = Detached(kSpring);
    Object deployment = Make(300, Type(L"Deployment"), kSpring, L"D");
    Put(deployment, 1, L"link_deploy_model", CAttribute(CAttribute::Integer, 70));
    Put(deployment, 2, L"link_fail_code", CAttribute(CAttribute::Integer, 113));
    view->m_objects[300] = deployment;
    DlgScheduleGroup::ColHeading model, fail, third;
    model.key = L"link_deploy_model";
    model.secondKey = L"TYPE='Deployment Type'";
    model.kind = 9;
    fail.key = L"link_fail_code";
    fail.secondKey = L"TYPE='Fail Code'";
    fail.kind = 9;
    third.key = L"third";
    third.secondKey = L"TYPE='Site'";
    third.kind = 9;
    RequestsSince(mark);
    for (const auto* column : {&model, &fail, &third}) {
        CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
        view->ComputeCell(nullptr, deployment, *column, cell);
    }
    Settle(*s_app);
    EXPECT_EQ(3u, Of(RequestsSince(mark), "api_dirGetLookup.php").size());
    ASSERT_EQ(3u, view->m_lookupRequests.size());
    std::vector<__int64> cookies;
    for (const auto& entry : view->m_lookupRequests)
        cookies.push_back(entry.first);

    auto reply = [&](__int64 cookie, const wchar_t* body, int code) {
        RequestResult result;
        result.route.requestId = DlgScheduleGroup::ReqLookup;
        result.route.param2 = cookie;
        result.resultCode = code;
        std::wstring text = L"<result><RC id=\"0\"/>" + std::wstring(body) + L"</result>";
        result.document.Parse(text.c_str(), nullptr, 0);
        view->OnReply(result);
    };
    // In reverse order, the third failing.
    reply(cookies[2], L"", 5007);
    reply(cookies[1], L"<object id=\"113\" name=\"Disk failure\"/>", 0);
    reply(cookies[0], L"<object id=\"70\" name=\"Laptop refresh\"/>", 0);
    EXPECT_STREQ(L"Laptop refresh", view->m_lookupTexts[L"link_deploy_model"][70].GetBuffer());
    EXPECT_STREQ(L"Disk failure", view->m_lookupTexts[L"link_fail_code"][113].GetBuffer());
    EXPECT_EQ(0u, view->m_lookupTexts[L"link_fail_code"].count(70));
    EXPECT_STREQ(L"1", view->m_lookupTexts[L"third"][0].GetBuffer());   // still under way
    EXPECT_TRUE(view->m_lookupRequests.empty());

    CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
    view->ComputeCell(nullptr, deployment, fail, cell);
    EXPECT_STREQ(L"Disk failure", cell.m_value.GetText());
}

TEST_F(ScheduleGroupViewLive, LastLogonsAreQueriedInBatches)
{
    auto view = Detached(kSpring);
    DlgScheduleGroup::ColHeading column;
    column.key = L"col_LastLogon";
    column.kind = 16;
    RequestsSince(mark);
    view->FlushLogonQueries();   // nothing queued: nothing sent
    Settle(*s_app);
    EXPECT_TRUE(Of(RequestsSince(mark), "api_qelEventQuery.php").empty());

    for (__int64 id = 0; id < 450; ++id) {
        Object user = Make(500000 + id, Type(L"Schedule User"), kSpring, L"U");
        CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
        view->ComputeCell(nullptr, user, column, cell);
    }
    view->FlushLogonQueries();   // the users page does this after its fill
    Settle(*s_app);
    std::vector<Form> queries = Of(RequestsSince(mark), "api_qelEventQuery.php");
    ASSERT_EQ(3u, queries.size());
    std::vector<size_t> sizes;
    for (const Form& query : queries) {
        EXPECT_EQ("Logon", Get(query, "TYPE"));
        EXPECT_EQ("OBJECT", Get(query, "RETURNTYPE"));
        EXPECT_EQ("link_user", Get(query, "MAXGROUPBY"));
        const std::string attribs = Get(query, "ATTRIBS");
        ASSERT_EQ(0u, attribs.find("link_user=")) << attribs;
        const size_t bar = attribs.find("|logon_event=");
        ASSERT_NE(std::string::npos, bar);
        sizes.push_back(CountItems(attribs.substr(10, bar - 10)));
    }
    std::sort(sizes.begin(), sizes.end());   // the three may arrive in any order
    EXPECT_EQ((std::vector<size_t>{48, 201, 201}), sizes);

    // A reply's date lands in the logon map; the user's cell then shows it.
    TiXmlDocument events;
    events.Parse(L"<result><RC id=\"0\"/><object id=\"6000\" type=\"1\" parent=\"0\" serial=\"1\" name=\"Logon\" "
                 L"created=\"1700000000\" updated=\"1700000000\"><attrib id=\"1\" name=\"link_user\" "
                 L"type=\"value_iddirectory\">500007</attrib></object></result>",
                 nullptr, 0);
    view->ApplyLogonEvents(events);
    Object user = Make(500007, Type(L"Schedule User"), kSpring, L"U");
    CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
    view->ComputeCell(nullptr, user, column, cell);
    EXPECT_EQ(1700000000, cell.m_value.GetValue());
}

TEST_F(ScheduleGroupViewLive, HiddenViewsWaitForTheNextShow)
{
    DlgScheduleGroup* view = Open(kSpring);
    ASSERT_NE(nullptr, view);
    ::ShowWindow(view->m_hWnd, SW_HIDE);
    EXPECT_FALSE(view->m_shown);
    RequestResult notice;
    notice.route.requestId = DlgScheduleGroup::ReqRefresh;
    RequestsSince(mark);
    view->OnReply(notice);
    notice.route.requestId = DlgScheduleGroup::ReqWindowsChanged;
    view->OnReply(notice);
    Settle(*s_app);
    EXPECT_TRUE(Of(RequestsSince(mark), "api_qelGetScheduleGroup.php").empty());

    // Shown again: the refresh runs (and with it the windows are asked again).
    s_app->DropDeploymentWindowCache(kSpring);
    ::ShowWindow(view->m_hWnd, SW_SHOW);
    Settle(*s_app);
    std::vector<Request> sent = RequestsSince(mark);
    EXPECT_EQ(1u, Of(sent, "api_qelGetScheduleGroup.php").size());
    EXPECT_EQ(1u, Of(sent, "api_qelGetDeploymentWindow.php").size());
    EXPECT_FALSE(view->m_windowsStale);
    EXPECT_EQ(DlgScheduleGroup::LoadedAll, view->m_loadedBits);

    // Only a window change: the next show asks the windows alone.
    ::ShowWindow(view->m_hWnd, SW_HIDE);
    view->OnReply(notice);
    s_app->DropDeploymentWindowCache(kSpring);
    RequestsSince(mark);
    ::ShowWindow(view->m_hWnd, SW_SHOW);
    Settle(*s_app);
    sent = RequestsSince(mark);
    EXPECT_TRUE(Of(sent, "api_qelGetScheduleGroup.php").empty());
    EXPECT_EQ(1u, Of(sent, "api_qelGetDeploymentWindow.php").size());
    main->CloseConsole(DlgScheduleGroup::kConsoleType, kSpring);
    Settle(*s_app);
}

// Records the group menu's items and dismisses it.
class MenuRecorder : public PopupMenuDriver {
public:
    MenuRecorder() { Install(this); }
    ~MenuRecorder() override { Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        ++shown;
        for (UINT id : {DlgScheduleGroup::kCmdDefaults, DlgScheduleGroup::kCmdWindow})
            grey[id] = (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0;
        return 0;
    }
    int shown = 0;
    std::map<UINT, bool> grey;
};

TEST_F(ScheduleGroupViewLive, TheT0LinkOpensTheGroupMenu)
{
    DlgScheduleGroup* view = Open(kSpring);
    ASSERT_NE(nullptr, view);
    MenuRecorder menus;
    RequestsSince(mark);
    for (int i = 0; i < 2; ++i)
        view->OnSummaryClick(1);   // the T0 element
    EXPECT_EQ(2, menus.shown);
    EXPECT_FALSE(menus.grey[DlgScheduleGroup::kCmdDefaults]);
    EXPECT_FALSE(menus.grey[DlgScheduleGroup::kCmdWindow]);
    view->OnSummaryClick(9999);   // no such link
    EXPECT_EQ(2, menus.shown);
    Settle(*s_app);
    EXPECT_TRUE(RequestsSince(mark).empty());   // dismissed: nothing happens
    main->CloseConsole(DlgScheduleGroup::kConsoleType, kSpring);
    Settle(*s_app);
}

TEST_F(ScheduleGroupViewLive, OnlyAClickedObjectThatIsGoneClosesTheView)
{
    BoxRecorder boxes;
    const fixture::Info& server = fixture::Shared();
    DlgScheduleGroup* view = Open(kSpring);
    ASSERT_NE(nullptr, view);

    // A cell's linked object that cannot be fetched leaves the cell as it is.
    fixture::Script(server, "/api/api_objGet.php",
                    nlohmann::json::array({XmlReply("<RC id=\"1001\" text=\"No such object\"/>")}));
    Object deployment = Make(9200, Type(L"Deployment"), kSpring, L"D");
    Put(deployment, 1, L"link_user", CAttribute(CAttribute::Integer, 9201), Object::Attribute::Link);
    DlgScheduleGroup::ColHeading column;
    column.key = L"link_user";
    CTListCtrlReport::Cell cell(CAttribute::Integer, static_cast<__int64>(0));
    view->ComputeCell(nullptr, deployment, column, cell);
    Settle(*s_app);
    EXPECT_EQ(0, view->m_pendingObjectRequests);
    EXPECT_EQ(view, main->FindConsole(DlgScheduleGroup::kConsoleType, kSpring));
    for (const std::wstring& text : boxes.texts)
        EXPECT_EQ(std::wstring::npos, text.find(L"Object no longer available"));

    // A clicked one closes the pane.
    fixture::Script(server, "/api/api_objGet.php",
                    nlohmann::json::array({XmlReply("<RC id=\"1001\" text=\"No such object\"/>")}));
    view->m_links[900] = DlgScheduleGroup::Link{9201, DlgScheduleGroup::LinkObject};
    view->OnSummaryClick(900);
    Settle(*s_app);
    bool gone = false;
    for (const std::wstring& text : boxes.texts)
        gone = gone || text.find(L"Object no longer available:\r\n") == 0;
    EXPECT_TRUE(gone);
    EXPECT_EQ(nullptr, main->FindConsole(DlgScheduleGroup::kConsoleType, kSpring));
}

std::wstring PageKey(App* app, const wchar_t* page)
{
    return std::wstring(L"Software\\TAVIK\\QEL\\Settings\\") + app->m_server.GetBuffer() + L"\\" + page;
}

bool ReadDword(const std::wstring& key, const wchar_t* name, DWORD& value)
{
    DWORD size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

TEST_F(ScheduleGroupViewLive, PagesKeepTheirPanelAndFilterThroughIt)
{
    const std::wstring users = PageKey(s_app, L"DlgScheduleGroup::CPageUsers");
    const std::wstring computers = PageKey(s_app, L"DlgScheduleGroup::CPageComputers");
    RegDeleteTreeW(HKEY_CURRENT_USER, users.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, computers.c_str());
    // A stored filter naming a panel the users page does not have.
    DWORD three = 3;
    RegSetKeyValueW(HKEY_CURRENT_USER, users.c_str(), L"Filter", REG_DWORD, &three, sizeof(three));
    DWORD small = 5;
    RegSetKeyValueW(HKEY_CURRENT_USER, users.c_str(), L"LHSWidth", REG_DWORD, &small, sizeof(small));

    DlgScheduleGroup* view = Open(kSpring);
    ASSERT_NE(nullptr, view);
    // The fail codes, chosen on the deployments page, list all.
    DlgScheduleGroup::CPageBase* deployments = view->m_currentPage;
    ASSERT_NE(nullptr, deployments->CurrentPanel());
    deployments->m_host.SelectPanel(DlgScheduleGroup::DlgLHSBase::KindFailCode);
    EXPECT_EQ(DlgScheduleGroup::DlgLHSBase::KindFailCode, deployments->CurrentPanel()->GetKind());
    const int all = deployments->m_list.GetItemCount();   // the sample's six and any other tests made
    EXPECT_GE(all, 6);
    auto* failCodes = dynamic_cast<DlgScheduleGroup::DlgLHSFailCode*>(deployments->CurrentPanel());
    ASSERT_NE(nullptr, failCodes);
    failCodes->OnSelectionChanged(113);   // Alan Turing's deployment failed with it
    EXPECT_EQ(1, deployments->m_list.GetItemCount());
    EXPECT_EQ(reinterpret_cast<void*>(301), deployments->m_list.GetRowData(0));
    ListView_SetItemState(deployments->m_list.m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_STREQ(L"1/1 Selected", deployments->StatusText().GetBuffer());
    failCodes->OnSelectionChanged(0);
    EXPECT_EQ(all, deployments->m_list.GetItemCount());
    // The selected row is selected again after the rebuild.
    const int again = deployments->m_list.FindRowByData(reinterpret_cast<void*>(301));
    ASSERT_GE(again, 0);
    EXPECT_NE(0u, ListView_GetItemState(deployments->m_list.m_hWnd, again, LVIS_SELECTED));
    EXPECT_EQ(L"1/" + std::to_wstring(all) + L" Selected", std::wstring(deployments->StatusText().GetBuffer()));
    // A double click opens the row's deployment in its pane.
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = deployments->m_list.m_hWnd;
    click.hdr.idFrom = 1016;
    click.hdr.code = NM_DBLCLK;
    click.iItem = again;
    SendMessageW(deployments->GetHwnd(), WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&click));
    Settle(*s_app);
    EXPECT_NE(nullptr, main->FindConsole(1029, 301));
    main->CloseConsole(1029, 301);
    main->ShowConsole(DlgScheduleGroup::kConsoleType, kSpring, false);
    Settle(*s_app);
    EXPECT_TRUE(deployments->m_host.SelectPanel(DlgScheduleGroup::DlgLHSBase::KindTag));
    EXPECT_FALSE(deployments->m_host.SelectPanel(DlgScheduleGroup::DlgLHSBase::KindTag));
    auto* tags = dynamic_cast<DlgScheduleGroup::DlgLHSTag*>(deployments->CurrentPanel());
    ASSERT_NE(nullptr, tags);
    ASSERT_EQ(1u, tags->m_tags.count(L"vip"));
    tags->OnSelectionChanged(static_cast<unsigned __int64>(tags->m_tags[L"vip"].rowKey));
    EXPECT_EQ(1, deployments->m_list.GetItemCount());

    view->ShowPage(DlgScheduleGroup::PageUsers);
    DlgScheduleGroup::CPageBase* usersPage = view->m_currentPage;
    ASSERT_NE(nullptr, usersPage->CurrentPanel());
    EXPECT_EQ(DlgScheduleGroup::DlgLHSBase::KindExcept, usersPage->CurrentPanel()->GetKind());
    RECT host = {};
    GetWindowRect(usersPage->m_host.m_hWnd, &host);
    EXPECT_GT(usersPage->m_panelWidth, 5);   // raised to the host's template width

    view->ShowPage(DlgScheduleGroup::PageComputers);
    EXPECT_EQ(DlgScheduleGroup::DlgLHSBase::KindExcept, view->m_currentPage->CurrentPanel()->GetKind());
    // Hiding the users page wrote its settings at once.
    DWORD filter = 0, width = 0;
    ASSERT_TRUE(ReadDword(users, L"Filter", filter));
    EXPECT_EQ(5u, filter);
    ASSERT_TRUE(ReadDword(users, L"LHSWidth", width));
    EXPECT_EQ(static_cast<DWORD>(usersPage->m_panelWidth), width);
    EXPECT_FALSE(ReadDword(computers, L"Filter", filter));
    main->CloseConsole(DlgScheduleGroup::kConsoleType, kSpring);
    Settle(*s_app);
    PostMessageW(main->m_hWnd, 1057, 0, 0);   // closed panes go once no request is out
    Settle(*s_app);
    ASSERT_TRUE(ReadDword(computers, L"Filter", filter));   // and on destruction
    EXPECT_EQ(5u, filter);
    RegDeleteTreeW(HKEY_CURRENT_USER, users.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, computers.c_str());
}

} // namespace
