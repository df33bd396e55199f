// The site and organisation panes and the unit form's Survey page against the fixture server: each
// pane shown as the main window opens its object, and a survey created from a site's unit form.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "app/App.h"
#include "app/MainWindow.h"
#include "session/FixtureServer.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUSurveyPage.h"
#include "structure/DlgOrganisation.h"
#include "structure/DlgSite.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kNorthwind = 2000, kDepot = 2001, kNora = 2003;

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t buffer[1024] = {};
    GetDlgItemTextW(dialog, id, buffer, 1024);
    return buffer;
}

class SitePanesLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterStructureWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    static void Open(__int64 id, const wchar_t* type, bool asForm)
    {
        Object object;
        object.id = id;
        object.type = s_app->m_mainWindow->GetTypeId(CTString(type));
        s_app->m_mainWindow->OpenObject(object, asForm, false);
        Settle(*s_app);
    }

    static App* s_app;
};

App* SitePanesLive::s_app = nullptr;

} // namespace

TEST_F(SitePanesLive, SitePaneShowsAddressContactsAndSurveys)
{
    ASSERT_NE(s_app, nullptr);
    Open(kDepot, L"Site", false);
    auto* pane = dynamic_cast<DlgSite*>(s_app->m_mainWindow->FindConsole(DlgSite::kConsoleType, kDepot));
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return ItemText(pane->m_hWnd, DlgSite::kPanel).find(L"Secondary") != std::wstring::npos; }));
    EXPECT_EQ(ItemText(pane->m_hWnd, DlgSite::kAddress), L"4 Quay Road\r\nHull\r\nHU1 1AA\r\nUnited Kingdom");
    const std::wstring panel = ItemText(pane->m_hWnd, DlgSite::kPanel);
    EXPECT_NE(panel.find(L"on-click=\"2000\" >Northwind</Text>"), std::wstring::npos) << panel;
    EXPECT_NE(panel.find(L"Sid &lt;South&gt; &amp; Co"), std::wstring::npos) << panel;
    CTListCtrlReportEx& surveys = pane->m_surveys.Report();
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return surveys.GetItemCount() >= 2; }));
    EXPECT_GE(surveys.FindRowByData(reinterpret_cast<void*>(2006)), 0);
    EXPECT_GE(surveys.FindRowByData(reinterpret_cast<void*>(2007)), 0);
}

TEST_F(SitePanesLive, OrganisationPaneListsLocationsAndOrders)
{
    ASSERT_NE(s_app, nullptr);
    Open(kNorthwind, L"Organisation", false);
    auto* pane = dynamic_cast<DlgOrganisation*>(s_app->m_mainWindow->FindConsole(DlgOrganisation::kConsoleType, kNorthwind));
    ASSERT_NE(pane, nullptr);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return pane->m_ordersList.m_report.GetItemCount() == 2; }));
    CTListCtrlReportEx& locations = pane->m_locationsList.m_report;
    ASSERT_EQ(locations.GetItemCount(), 2);
    EXPECT_GE(locations.FindRowByData(reinterpret_cast<void*>(2001)), 0);
    EXPECT_GE(locations.FindRowByData(reinterpret_cast<void*>(2005)), 0);
    ASSERT_EQ(pane->m_orderColumns.size(), 3u);
    CAttribute name;
    locations.GetCell(locations.FindRowByData(reinterpret_cast<void*>(2005)), 0, name);
    EXPECT_TRUE(PumpUntil(*s_app, [&] {
        locations.GetCell(locations.FindRowByData(reinterpret_cast<void*>(2005)), 0, name);
        return std::wstring(name.GetText()) == L"\\Northwind\\Northwind Depot\\Depot store";
    })) << name.GetText();
}

TEST_F(SitePanesLive, SurveyIsCreatedFromTheSitesUnitForm)
{
    ASSERT_NE(s_app, nullptr);
    Open(kDepot, L"Site", true);
    auto* form = dynamic_cast<DlgOU*>(s_app->m_windows.FindWindow(DlgOU::kWindowType, static_cast<UINT64>(kDepot)));
    ASSERT_NE(form, nullptr);
    DlgOU::CSurveyPage* page = form->m_survey;
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return page->m_hWnd && page->m_surveys.Report().GetItemCount() >= 2; }));
    EXPECT_EQ(ItemText(page->m_hWnd, DlgOU::CSurveyPage::kTemplate), L"Depot survey");
    const int before = page->m_surveys.Report().GetItemCount();

    // The person comes from the first survey chosen in the list.
    CTListCtrlReportEx& report = page->m_surveys.Report();
    ListView_SetItemState(report.m_hWnd, report.FindRowByData(reinterpret_cast<void*>(2006)), LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return page->m_person.id == kNora && ItemText(page->m_hWnd, DlgOU::CSurveyPage::kUserLink) == L"Nora North"; }));
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(page->m_hWnd, DlgOU::CSurveyPage::kCreate)));
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgOU::CSurveyPage::kCreate, 0);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return report.GetItemCount() == before + 1; }));
    form->Close();
    Settle(*s_app);
}
