// The person's record pages signed in to the fixture server, in a stand-in pane that receives the
// replies: deployments, computers and e-mails from real searches, exceptions from the start-up
// cache, data points below the person's link, and the logon history from the event query.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <list>
#include <vector>
#include "app/App.h"
#include "app/CWMFormHost.h"
#include "app/MainWindow.h"
#include "foundation/CTTime.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"
#include "people/DlgUserPageComputers.h"
#include "people/DlgUserPageDataPoints.h"
#include "people/DlgUserPageDeployments.h"
#include "people/DlgUserPageEmails.h"
#include "people/DlgUserPageExceptions.h"
#include "people/DlgUserPageLogon.h"
#include "session/FixtureServer.h"
#include "session/RequestResult.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kPerson = 2200, kComputer = 2201, kFirst = 2210, kSecond = 2211;
constexpr int kHostType = 199;

// A managed window standing in for the user pane: it holds the person and hands the replies
// addressed to it to its pages.
class LiveHost : public CWindowManager::CWindow, public CWMFormHost, public RecordPageHost {
public:
    Object m_object;
    HWND m_pane = nullptr;
    DlgUser::CPageDeployments* m_deployments = nullptr;
    DlgUser::CPageComputers* m_computers = nullptr;
    DlgUser::CPageEmails* m_emails = nullptr;

    void SetModified(bool) override {}
    Object& GetShownObject() override { return m_object; }
    RequestRoute GetPageRoute(int requestId, __int64 param2) override
    {
        RequestRoute route;
        route.targetType = kHostType;
        route.targetKey = static_cast<UINT64>(kPerson);
        route.requestId = requestId;
        route.param2 = param2;
        return route;
    }
    void Close() override { Unregister(); }
    void Notify(void* param) override
    {
        auto* reply = static_cast<RequestResult*>(param);
        if (!reply || reply->route.targetType != kHostType)
            return;
        if (reply->route.requestId == 1052) {
            if (TiXmlElement* result = reply->document.FirstChildElementNamed(L"result"))
                if (TiXmlElement* element = result->FirstChildElementNamed(L"object"))
                    m_object.ReadFromXml(element, true);
        } else if (reply->route.requestId == 1047) {
            if (reply->route.param2 == DlgUser::CPageDeployments::kSearchParam)
                m_deployments->OnSearchReply(*reply);
            else if (reply->route.param2 == DlgUser::CPageComputers::kSearchParam)
                m_computers->OnSearchReply(*reply);
            else if (reply->route.param2 == DlgUser::CPageEmails::kSearchParam)
                m_emails->OnSearchReply(*reply);
        }
    }
};

class PeoplePagesLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            s_app->m_catalogue.RegisterWindow(kHostType, [](int, UINT64) { return new LiveHost(); });
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(s_app, nullptr);
        s_app->m_windows.OpenWindow(kHostType, static_cast<UINT64>(kPerson), 0);
        host = dynamic_cast<LiveHost*>(s_app->m_windows.FindWindow(kHostType, static_cast<UINT64>(kPerson)));
        ASSERT_NE(host, nullptr);
        host->m_pane = CreateWindowExW(0, L"STATIC", L"pane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10,
                                       10, 700, 500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        host->m_tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 5, 5, 680, 450, host->m_pane,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        s_app->m_db.ObjSearchIds(CTString(L"/2200/"), false, host->GetPageRoute(1052, 0));
        ASSERT_TRUE(PumpUntil(*s_app, [&] { return host->m_object.id == kPerson; }));
    }
    void TearDown() override
    {
        if (!host)
            return;
        Settle(*s_app);
        host->m_pages.DeleteAll();
        DestroyWindow(host->m_pane);
        s_app->m_windows.CloseWindows(kHostType, 0);
        s_app->m_windows.DeleteClosedWindows();
    }
    template <class Page>
    Page* Add()
    {
        auto* page = new Page();
        host->AddPage(host->m_pane, page);
        return page;
    }
    void Select(int tab)
    {
        host->HideSelectedPage();
        TabCtrl_SetCurSel(host->m_tab, tab);
        host->ShowSelectedPage(host->m_pane);
    }
    static std::vector<__int64> Ids(CTListCtrlReport& list)
    {
        std::vector<__int64> ids;
        for (int i = 0; i < list.GetItemCount(); ++i)
            ids.push_back(static_cast<__int64>(reinterpret_cast<INT_PTR>(list.GetRowData(i))));
        return ids;
    }

    static App* s_app;
    LiveHost* host = nullptr;
};

App* PeoplePagesLive::s_app = nullptr;

TEST_F(PeoplePagesLive, ListsFillFromTheServersSearches)
{
    host->m_deployments = Add<DlgUser::CPageDeployments>();
    host->m_computers = Add<DlgUser::CPageComputers>();
    host->m_emails = Add<DlgUser::CPageEmails>();
    host->ShowPages(host->m_pane);
    host->LoadPages();
    for (int tab : {1, 2, 0})
        Select(tab);
    CTListCtrlReport& deployments = host->m_deployments->m_list.Report();
    CTListCtrlReport& computers = host->m_computers->m_list.Report();
    CTListCtrlReport& emails = host->m_emails->m_list.Report();
    ASSERT_TRUE(PumpUntil(*s_app, [&] {
        return deployments.GetItemCount() == 2 && computers.GetItemCount() == 1 && emails.GetItemCount() == 2;
    }));
    EXPECT_EQ(Ids(deployments), (std::vector<__int64>{kFirst, kSecond}));
    CAttribute name;
    deployments.GetCell(0, 0, name);
    EXPECT_STREQ(name.GetText(), L"Edsger Dijkstra (SR-2210)");
    deployments.GetCell(1, 0, name);
    EXPECT_STREQ(name.GetText(), L"Second desk");
    EXPECT_EQ(Ids(computers), (std::vector<__int64>{kComputer}));
    EXPECT_EQ(Ids(emails), (std::vector<__int64>{2241, 2240}));   // newest first
}

TEST_F(PeoplePagesLive, ExceptionsDataPointsAndLogonsOfThePerson)
{
    auto* exceptions = Add<DlgUser::CPageExceptions>();
    auto* points = Add<DlgUser::CPageDataPoints>();
    auto* logon = Add<DlgUser::CPageLogon>();
    host->ShowPages(host->m_pane);
    std::list<__int64> ids = {2250, 2251, 2252};
    bool fetched = false;
    s_app->m_dir.FetchObjects(ids, host->GetPageRoute(0, 0), [&] { fetched = true; }, [] {});
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return fetched; }));
    host->LoadPages();
    EXPECT_EQ(Ids(exceptions->m_list.m_report), (std::vector<__int64>{2230, 2231}));
    EXPECT_EQ(Ids(points->m_list.m_report), (std::vector<__int64>{2252, 2251}));
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return logon->m_list.m_report.GetItemCount() == 3; }));
    EXPECT_EQ(Ids(logon->m_list.m_report), (std::vector<__int64>{2262, 2261, 2260}));
    CTString expected;
    const int32_t latest = static_cast<int32_t>(1700000000 + 800);
    FormatUnixDateTime(&latest, expected, false);
    wchar_t shown[64] = {};
    GetDlgItemTextW(logon->m_hWnd, DlgUser::CPageLogon::kIdLastLogon, shown, 64);
    EXPECT_STREQ(shown, expected.GetBuffer());
}

} // namespace
