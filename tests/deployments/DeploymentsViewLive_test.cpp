// The deployments view on a main window signed in to the fixture server: it opens from the
// Deployments command and lists the service's six schedule groups without loading any; ticking one
// loads its deployments through the real transport, the lookups and the missing users fill every
// column, and an id the server never returns is asked for once.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/SignedInSession.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeployments.h"
#include "deployments/DlgDeploymentsPanels.h"
#include "session/FixtureServer.h"

namespace {

constexpr __int64 kWinter = 55;

// The recorded API requests to page after seq mark; mark moves to the last one seen.
std::vector<std::string> BodiesSince(int& mark, const std::string& page)
{
    std::vector<std::string> out;
    int last = mark;
    for (const auto& record : fixture::Requests(fixture::Shared(), "/api/")) {
        const int seq = record.value("seq", 0);
        if (seq <= mark)
            continue;
        last = std::max(last, seq);
        const std::string target = record.value("target", "");
        if (target.find(page) != std::string::npos)
            out.push_back(fixture::Base64Decode(record.value("body_b64", "")));
    }
    mark = last;
    return out;
}

class DeploymentsViewLive : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterDeploymentWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    std::wstring Cell(DlgDeployments* view, __int64 id, int column)
    {
        CTListCtrlReportEx& report = view->Report();
        CAttribute value;
        report.GetCell(report.FindRowByData(reinterpret_cast<void*>(id)), column, value);
        return value.GetText();
    }

    static App* s_app;
};

App* DeploymentsViewLive::s_app = nullptr;

TEST_F(DeploymentsViewLive, TickedGroupShowsEveryColumnFilled)
{
    ASSERT_NE(s_app, nullptr);
    MainWindow* main = s_app->m_mainWindow;
    std::wstring key = L"Software\\TAVIK\\QEL\\Settings\\";
    key += s_app->m_server.GetBuffer() ? s_app->m_server.GetBuffer() : L"";
    key += L"\\DlgDeployments";
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    int mark = 0;
    BodiesSince(mark, "");

    // The Deployments command of the main window.
    ::SendMessageW(main->m_hWnd, WM_COMMAND, MAKEWPARAM(MainWindow::kCmdDeployments, 0), 0);
    DlgDeployments* view = nullptr;
    ASSERT_TRUE(signedin::PumpUntil(*s_app, [&] {
        view = static_cast<DlgDeployments*>(main->FindConsole(DlgDeployments::kConsoleType, 0));
        return view && !view->m_groups.empty();
    }));
    signedin::Settle(*s_app);
    auto* groups = static_cast<DlgDeployments::DlgLHSSelectSG*>(view->Host().Find(DlgDeployments::kKindGroups));
    ASSERT_NE(groups, nullptr);
    EXPECT_GE(groups->m_groupCount, 5u);
    EXPECT_EQ(groups->m_groupList.GetItemCount(), static_cast<int>(groups->m_groupCount));
    for (const auto& [id, entry] : view->m_groups)
        EXPECT_FALSE(entry.loaded) << id;
    EXPECT_TRUE(BodiesSince(mark, "api_objGet").empty()) << "six groups: none is loaded";

    int tickMark = mark;
    groups->StoreEnable(kWinter, CAttribute(1, static_cast<__int64>(1)));
    ASSERT_TRUE(signedin::PumpUntil(*s_app, [&] {
        for (__int64 id = 1000; id <= 1003; ++id)
            if (view->Report().FindRowByData(reinterpret_cast<void*>(id)) < 0)
                return false;
        return true;
    }));
    const int rows = view->Report().GetItemCount();
    signedin::Settle(*s_app);
    ASSERT_TRUE(signedin::PumpUntil(*s_app, [&] { return Cell(view, 1000, 7) == L"Laptop 1 of 5"; }));
    signedin::Settle(*s_app);

    const std::vector<std::string> loads = BodiesSince(mark, "api_objSearch");
    ASSERT_EQ(loads.size(), 1u) << "users and computers asked for once; the id the server lacks is not asked again";
    EXPECT_NE(loads[0].find("1099"), std::string::npos);

    EXPECT_EQ(Cell(view, 1000, 0), L"Winter 1");
    EXPECT_NE(Cell(view, 1000, 2).find(L"Winter refresh"), std::wstring::npos);
    EXPECT_EQ(Cell(view, 1000, 3), L"Grace Hopper");
    EXPECT_EQ(Cell(view, 1000, 4), L"grace.hopper@example.test");
    EXPECT_EQ(Cell(view, 1001, 3), L"Alan Turing");
    EXPECT_EQ(Cell(view, 1000, 7), L"Laptop 1 of 5");
    EXPECT_EQ(Cell(view, 1001, 7), L"Laptop 2 of 5");
    EXPECT_EQ(Cell(view, 1000, 9), L"Refresh");
    EXPECT_EQ(Cell(view, 1000, 14), L"Disk failure");
    EXPECT_EQ(Cell(view, 1003, 3), L"");

    // The deployment type's custom attributes: a text naming a list, a check box and a date.
    ASSERT_EQ(view->m_headings.size(), 21u);
    EXPECT_EQ(view->m_headings[18].code, DlgDeployments::CodeNamedList);
    EXPECT_EQ(view->m_headings[19].code, DlgDeployments::CodeCheck);
    EXPECT_EQ(view->m_headings[20].code, DlgDeployments::CodeValue);
    CAttribute rush;
    view->Report().GetCell(view->Report().FindRowByData(reinterpret_cast<void*>(1000)), 19, rush);
    EXPECT_EQ(rush.GetType(), 4);
    EXPECT_EQ(rush.GetValue(), 1);
    CAttribute due;
    view->Report().GetCell(view->Report().FindRowByData(reinterpret_cast<void*>(1000)), 20, due);
    EXPECT_NE(due.GetValue(), 0);
    EXPECT_EQ(BodiesSince(tickMark, "api_qelGetComms").size(), 1u) << "the named list is asked for once";

    // The tags of the group: "VIP", "vip" and " VIP " are one tag of three.
    auto* tags = static_cast<DlgDeployments::DlgLHSTag*>(view->Host().Find(DlgDeployments::kKindTags));
    auto vip = tags->m_tags.find(L"vip");
    ASSERT_NE(vip, tags->m_tags.end());
    EXPECT_EQ(vip->second.count, 3);

    // Unticking and ticking again ask nothing.
    groups->StoreEnable(kWinter, CAttribute(1, static_cast<__int64>(0)));
    EXPECT_EQ(view->Report().GetItemCount(), 0);
    groups->StoreEnable(kWinter, CAttribute(1, static_cast<__int64>(1)));
    EXPECT_EQ(view->Report().GetItemCount(), rows);
    signedin::Settle(*s_app);
    EXPECT_TRUE(BodiesSince(mark, "api_objGet").empty());
}

} // namespace
