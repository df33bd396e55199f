// The deployment pane's pages on a recording transport: each loads when its tab is first shown;
// e-mails come from a search, exceptions from the deployment's list (persistent ones can be
// cleared), the settings write back without wiping what could not be shown, and tasks list the
// deployment's own tasks by due state.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "PaneFixture.h"
#include "framework/FakeSeams.h"
#include "deployments/DlgDeploymentPages.h"
#include "session/DueStatus.h"

using namespace deptest;

namespace {

constexpr __int64 kId = 300;

int ListViewImage(HWND list, int item)
{
    LVITEMW row = {};
    row.mask = LVIF_IMAGE;
    row.iItem = item;
    ListView_GetItem(list, &row);
    return row.iImage;
}

class DeploymentPages : public PaneFixture {
protected:
    void SetUp() override
    {
        PaneFixture::SetUp();
        // Every page but the components.
        SetTypeFlags(0x100 | 0x400 | 0x800 | 0x1000 | 0x2000, "");
    }
    // Selects the page's tab as a click does.
    void Select(DlgDeployment* pane, CWMFormPage* page)
    {
        const int count = static_cast<int>(SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_PARAM;
            SendMessageW(pane->m_tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            if (reinterpret_cast<CWMFormPage*>(item.lParam) != page)
                continue;
            NMHDR changing = {pane->m_tab, DlgDeployment::kIdTabs, static_cast<UINT>(TCN_SELCHANGING)};
            SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgDeployment::kIdTabs, reinterpret_cast<LPARAM>(&changing));
            SendMessageW(pane->m_tab, TCM_SETCURSEL, i, 0);
            NMHDR change = {pane->m_tab, DlgDeployment::kIdTabs, static_cast<UINT>(TCN_SELCHANGE)};
            SendMessageW(pane->GetHwnd(), WM_NOTIFY, DlgDeployment::kIdTabs, reinterpret_cast<LPARAM>(&change));
            t.Pump();
            return;
        }
        ADD_FAILURE() << "page has no tab";
    }
    std::string LastBody(const std::string& path)
    {
        for (auto it = t.transport->m_sent.rbegin(); it != t.transport->m_sent.rend(); ++it)
            if (it->path == path)
                return it->body;
        return "";
    }
};

TEST_F(DeploymentPages, EachPageLoadsWhenItsTabIsFirstShown)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(5, SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0));
    // The first tab is on show; the others wait.
    EXPECT_EQ(1, pane->m_deploymentPage->m_loads);
    for (DeploymentPageBase* page : std::vector<DeploymentPageBase*>{pane->m_emailsPage, pane->m_exceptionsPage,
                                                                      pane->m_tasksPage, pane->m_settingsPage}) {
        EXPECT_EQ(0, page->m_loads);
        EXPECT_TRUE(page->m_loadPending);
    }
    EXPECT_EQ(0u, Count("api/api_objSearch.php"));
    Select(pane, pane->m_emailsPage);
    EXPECT_EQ(1, pane->m_emailsPage->m_loads);
    ASSERT_EQ(1u, Count("api/api_objSearch.php"));
    const std::string body = LastBody("api/api_objSearch.php");
    for (const char* field : {"TYPE=Email", "ATTRIB=link_task", "SEARCH=300"})
        EXPECT_NE(std::string::npos, body.find(field)) << body;
    EXPECT_EQ(std::string::npos, body.find("MAX=")) << body;
    // Showing it again does not search again.
    Select(pane, pane->m_tasksPage);
    Select(pane, pane->m_emailsPage);
    EXPECT_EQ(1u, Count("api/api_objSearch.php"));

    // The reply fills the list, newest first.
    t.Answer("api/api_objSearch.php", XmlHeaders(),
             Doc(ObjectXml(420, 32, 200, "Welcome", {{"subject", "Welcome"}}) +
                 ObjectXml(421, 32, 200, "Reminder", {{"subject", "Reminder"}})));
    EXPECT_EQ(2, pane->m_emailsPage->RowCount());
}

TEST_F(DeploymentPages, DeletingExceptionsRemovesThePersistentOnesOnly)
{
    auto exception = [](__int64 id, const char* text, bool persistent) {
        return ObjectOf(ObjectXml(id, 17, 6, text, {{"enable", "1"}, {"description", text},
                                                   {"persistent", persistent ? "1" : "0"}}));
    };
    main->m_cache.settings[MainWindowCache::Exception] = {exception(111, "Late delivery", true),
                                                          exception(112, "No desk", true),
                                                          exception(113, "Manual check", false),
                                                          exception(114, "Wrong model", true)};
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"exceptions", "/111/112/113/114/999/"}}));
    ASSERT_NE(pane, nullptr);
    Select(pane, pane->m_exceptionsPage);
    CTListCtrlReport& list = pane->m_exceptionsPage->m_list.m_report;
    ASSERT_EQ(4, list.GetItemCount());
    int image = -2;
    TCITEMW item = {};
    item.mask = TCIF_IMAGE | TCIF_PARAM;
    for (int i = 0; i < SendMessageW(pane->m_tab, TCM_GETITEMCOUNT, 0, 0); ++i) {
        SendMessageW(pane->m_tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        if (reinterpret_cast<CWMFormPage*>(item.lParam) == pane->m_exceptionsPage)
            image = item.iImage;
    }
    EXPECT_EQ(pane->m_tabImageIndex[DlgDeployment::TabImageWarning], image);

    // All four selected: the neighbours 111 and 112 both go, 113 stays.
    ListView_SetItemState(list.m_hWnd, -1, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(pane->m_exceptionsPage->m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdDelete, 0);
    ASSERT_EQ(1, list.GetItemCount());
    EXPECT_EQ(113, reinterpret_cast<INT_PTR>(list.GetRowData(0)));
    std::vector<__int64> left;
    pane->GetSlot(DlgDeployment::SlotDeployment).GetLinkArray(left, CTString(L"exceptions"));
    EXPECT_EQ((std::vector<__int64>{113, 999}), left);
    EXPECT_TRUE(pane->m_modified);
}

TEST_F(DeploymentPages, SettingsKeepTheTimeZoneWhenTheZonesHaveNotLoaded)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"time_zone", "Europe/Berlin"}, {"survey_page", "Intro"}}));
    ASSERT_NE(pane, nullptr);
    Select(pane, pane->m_settingsPage);
    HWND settings = pane->m_settingsPage->m_hWnd;
    EXPECT_EQ(0, SendDlgItemMessageW(settings, DlgDeployment::CPageSettings::kIdTimeZone, CB_GETCOUNT, 0, 0));
    pane->m_settingsPage->Save();
    EXPECT_EQ(L"Europe/Berlin", Wide(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"time_zone")));
    EXPECT_EQ(L"Intro", Wide(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"survey_page")));

    // Loaded: the stored zone is selected among them and a new choice is written back.
    TimeZoneList& zones = main->m_cache.timeZones;
    zones.ids = {CTString(L"UTC"), CTString(L"Europe/Berlin"), CTString(L"America/New_York")};
    zones.names = {{CTString(L"UTC"), CTString(L"(UTC) Coordinated")}, {CTString(L"Europe/Berlin"), CTString(L"(UTC+01:00) Berlin")},
                   {CTString(L"America/New_York"), CTString(L"(UTC-05:00) New York")}};
    main->m_cache.loaded |= MainWindowCache::LoadTimeZones;
    pane->m_settingsPage->Load();
    HWND box = GetDlgItem(settings, DlgDeployment::CPageSettings::kIdTimeZone);
    ASSERT_EQ(3, SendMessageW(box, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageW(box, CB_GETITEMDATA, SendMessageW(box, CB_GETCURSEL, 0, 0), 0));
    for (int i = 0; i < 3; ++i)
        if (SendMessageW(box, CB_GETITEMDATA, i, 0) == 2)
            SendMessageW(box, CB_SETCURSEL, i, 0);
    pane->m_settingsPage->Save();
    EXPECT_EQ(L"America/New_York", Wide(AttributeText(pane->GetSlot(DlgDeployment::SlotDeployment), L"time_zone")));
}

TEST_F(DeploymentPages, SurveyNamesAreAskedForOncePerPane)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    Select(pane, pane->m_settingsPage);
    HWND settings = pane->m_settingsPage->m_hWnd;
    for (int i = 0; i < 2; ++i)
        SendMessageW(settings, WM_COMMAND, MAKEWPARAM(DlgDeployment::CPageSettings::kIdSurvey, CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(GetDlgItem(settings, DlgDeployment::CPageSettings::kIdSurvey)));
    ASSERT_EQ(1u, Count("api/api_qelLangSearch.php"));
    EXPECT_NE(std::string::npos, LastBody("api/api_qelLangSearch.php").find("ID="));
    t.Answer("api/api_qelLangSearch.php", XmlHeaders(),
             Doc("<lang type=\"survey\" name=\"Site survey\"/><lang type=\"SURVEY\" name=\"Exit survey\"/>"
                 "<lang type=\"portal\" name=\"Portal\"/>"));
    EXPECT_EQ(2, SendDlgItemMessageW(settings, DlgDeployment::CPageSettings::kIdSurvey, CB_GETCOUNT, 0, 0));
}

class DeploymentTasks : public DeploymentPages {
protected:
    void SetUp() override
    {
        DeploymentPages::SetUp();
        DefineType(*t.app, 26, L"Task");
        DefineType(*t.app, 28, L"Email Task");
        DefineType(*t.app, 1, L"Folder");
        for (Object& type : main->m_cache.types)
            if (type.type == 28)
                type.parent = 26;
        main->m_cache.typeNames.clear();
        main->m_cache.typeAncestry.clear();
    }
    static std::string Task(__int64 id, int type, __int64 parent, const std::string& name, int dueIn, bool shown,
                            bool completed = false)
    {
        std::vector<Attr> attrs = {{"end_date", TodayPlusDays(dueIn)}, {"amber_days", "5"},
                                   {"dashboard_display", shown ? "1" : "0"}, {"link_administrator", "90"}};
        if (completed)
            attrs.push_back({"completed", TodayPlusDays(-1)});
        return ObjectXml(id, type, parent, name, attrs);
    }
};

TEST_F(DeploymentTasks, ListsTheDeploymentsOwnTasksAndTheWorstDueState)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {}));
    ASSERT_NE(pane, nullptr);
    const std::string tasks = Task(500, 26, kId, "Order hardware", 30, true) +
                              Task(501, 28, kId, "Send welcome", 2, true) +       // due soon
                              Task(502, 26, kId, "Collect laptop", -2, true) +    // overdue
                              Task(503, 26, kId, "Hidden", -2, false) +
                              Task(504, 26, kId, "Done", -3, true, true) +
                              ObjectXml(505, 1, kId, "Sub folder", {}) + Task(506, 26, 505, "Grandchild", -5, true);
    t.app->m_dir.MergeObjects([&] {
        std::map<__int64, Object> objects;
        std::wstring wide(tasks.begin(), tasks.end());
        TiXmlDocument doc;
        std::wstring wrapped = L"<result>" + wide + L"</result>";
        doc.Parse(wrapped.c_str(), nullptr, 0);
        for (TiXmlElement* e = doc.FirstChildElementNamed(L"result")->FirstChildElementNamed(L"object"); e;
             e = e->NextSiblingElementNamed(L"object")) {
            Object o;
            o.ReadFromXml(e, true);
            objects[o.id] = o;
        }
        return objects;
    }());
    t.Pump();
    Select(pane, pane->m_tasksPage);
    CTListCtrlReport& list = pane->m_tasksPage->m_list.m_report;
    std::vector<INT_PTR> rows;
    for (int i = 0; i < list.GetItemCount(); ++i)
        rows.push_back(reinterpret_cast<INT_PTR>(list.GetRowData(i)));
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ((std::vector<INT_PTR>{500, 501, 502, 504}), rows);
    EXPECT_EQ(DueOverdue, pane->m_tasksPage->m_dueState);
    // One path request for the administrator of all rows.
    EXPECT_EQ(1u, Count("api/api_dirIDToPath.php") - 1);

    // A completed task is not deleted; an open one is, and the reply takes its row away.
    auto selectRow = [&](INT_PTR id) {
        ListView_SetItemState(list.m_hWnd, -1, 0, LVIS_SELECTED);
        int item = list.FindRowByData(reinterpret_cast<void*>(id));
        ListView_SetItemState(list.m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
    };
    selectRow(504);
    SendMessageW(pane->m_tasksPage->m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdDelete, 0);
    EXPECT_EQ(0u, Count("api/api_objDelete.php"));
    selectRow(502);
    SendMessageW(pane->m_tasksPage->m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdDelete, 0);
    ASSERT_EQ(1u, Count("api/api_objDelete.php"));
    EXPECT_NE(std::string::npos, LastBody("api/api_objDelete.php").find("ID=502"));
    t.Answer("api/api_objDelete.php", XmlHeaders(), Doc("<parameters ID=\"502\"/>" + Task(502, 26, kId, "x", 0, true)));
    EXPECT_EQ(-1, list.FindRowByData(reinterpret_cast<void*>(502)));
    EXPECT_EQ(0, t.app->m_dir.Lookup(502)->id);
    EXPECT_EQ(DueSoon, pane->m_tasksPage->m_dueState);

    // A changed task shows its name in the user's language, as a load does.
    Object renamed = ObjectOf(Task(500, 26, kId, "Order hardware", 30, true));
    renamed.name = L"Order hardware\u00a6de-DE\u00a6Hardware bestellen";
    pane->m_tasksPage->UpdateTaskRow(renamed);
    CAttribute cell;
    list.GetCell(list.FindRowByData(reinterpret_cast<void*>(500)), 0, cell);
    EXPECT_EQ(L"Order hardware", std::wstring(cell.GetText()));
}

class DeploymentComponents : public DeploymentPages {
protected:
    void SetUp() override
    {
        DeploymentPages::SetUp();
        SetTypeFlags(0x200, "");
        DefineType(*t.app, 38, L"Computer Stock");
        DefineType(*t.app, 42, L"Hardware");
        DefineType(*t.app, 16, L"Plugin");
        main->m_cache.typeNames.clear();
        auto deployable = [](__int64 id, int type, const char* typeText, const char* name) {
            return ObjectOf(ObjectXml(id, type, 8, name, {{"type", typeText}}));
        };
        t.app->m_objects.children = {deployable(601, 42, "Hardware", "Dock"), deployable(602, 42, "Hardware", "Monitor"),
                                     deployable(603, 16, "Software", "Office"), deployable(604, 42, "Hardware", "Mouse"),
                                     deployable(605, 38, "Stock", "Spare laptops")};
    }
    std::vector<INT_PTR> Rows(DlgDeployment::CDeployablePage* page)
    {
        std::vector<INT_PTR> ids;
        CTListCtrlReport& list = page->m_list.m_report;
        for (int i = 0; i < list.GetItemCount(); ++i)
            ids.push_back(reinterpret_cast<INT_PTR>(list.GetRowData(i)));
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    std::vector<INT_PTR> Ticked(DlgDeployment::CDeployablePage* page)
    {
        std::vector<INT_PTR> ids;
        CTListCtrlReport& list = page->m_list.m_report;
        for (int i = 0; i < list.GetItemCount(); ++i)
            if (page->IsAvailable(i))
                ids.push_back(reinterpret_cast<INT_PTR>(list.GetRowData(i)));
        std::sort(ids.begin(), ids.end());
        return ids;
    }
};

TEST_F(DeploymentComponents, ViewsSelectCommandsMandatoryRowsAndSave)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"deployable_available", "/601/602/603/604/605/"},
                                                             {"deployable_mandatory", "/602/"}, {"deployable", "/601/"}}));
    ASSERT_NE(pane, nullptr);
    DlgDeployment::CDeployablePage* page = pane->m_deployablePage;
    // The only page: it is on show and loads at once; stock is left out, the first type is the view.
    EXPECT_TRUE(page->m_loaded);
    EXPECT_EQ(42, page->m_viewFilter);
    EXPECT_EQ((std::vector<INT_PTR>{601, 602, 604}), Rows(page));
    EXPECT_EQ((std::vector<INT_PTR>{601, 602}), Ticked(page));
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgDeployment::CDeployablePage::kCmdViewAll, 0);
    EXPECT_EQ((std::vector<INT_PTR>{601, 602, 603, 604}), Rows(page));
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgDeployment::CDeployablePage::kCmdFirstType + 1, 0);
    EXPECT_EQ((std::vector<INT_PTR>{603}), Rows(page));
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgDeployment::CDeployablePage::kCmdViewAll, 0);

    // None and Invert leave the mandatory row ticked; All ticks everything.
    struct Step {
        int command;
        std::vector<INT_PTR> ticked;
    } steps[] = {{DlgDeployment::CDeployablePage::kCmdNone, {602}},
                 {DlgDeployment::CDeployablePage::kCmdInvert, {601, 602, 603, 604}},
                 {DlgDeployment::CDeployablePage::kCmdInvert, {602}},
                 {DlgDeployment::CDeployablePage::kCmdAll, {601, 602, 603, 604}},
                 {DlgDeployment::CDeployablePage::kCmdNone, {602}}};
    for (const Step& step : steps) {
        SendMessageW(page->m_hWnd, WM_COMMAND, step.command, 0);
        EXPECT_EQ(step.ticked, Ticked(page)) << step.command;
    }
    EXPECT_TRUE(pane->m_modified);
    EXPECT_FALSE(page->IsInheritChecked());
    page->SetAvailable(page->m_list.m_report.FindRowByData(reinterpret_cast<void*>(603)), true);
    page->Save();
    std::vector<__int64> saved;
    pane->GetSlot(DlgDeployment::SlotDeployment).GetLinkArray(saved, CTString(L"deployable"));
    std::sort(saved.begin(), saved.end());
    EXPECT_EQ((std::vector<__int64>{602, 603}), saved);

    // Inherit Values after a change resets the stored choice on save.
    SendMessageW(page->m_list.m_report.m_toolbar.m_hWnd, TB_CHECKBUTTON, DlgDeployment::CDeployablePage::kCmdInherit, TRUE);
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgDeployment::CDeployablePage::kCmdInherit, 0);
    page->Save();
    EXPECT_TRUE(pane->GetSlot(DlgDeployment::SlotDeployment).IsAttributeDefault(CTString(L"deployable")));
}

TEST_F(DeploymentComponents, AModelNarrowsTheRowsAndBringsItsOwnMandatoryComponents)
{
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"deployable_available", "/601/602/603/604/"},
                                                             {"deployable_mandatory", "/602/"}}));
    ASSERT_NE(pane, nullptr);
    DlgDeployment::CDeployablePage* page = pane->m_deployablePage;
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgDeployment::CDeployablePage::kCmdViewAll, 0);
    // A model without a list of its own narrows nothing.
    page->SetModelRestriction(ObjectOf(ObjectXml(700, 38, 8, "Empty model", {})));
    EXPECT_EQ((std::vector<INT_PTR>{601, 602, 603, 604}), Rows(page));
    // A model offering three with one mandatory: the deployment's own mandatory one is not forced.
    page->SetModelRestriction(ObjectOf(ObjectXml(701, 38, 8, "Model",
                                                 {{"deployable_available", "/601/603/604/"},
                                                  {"deployable_mandatory", "/604/"}})));
    EXPECT_EQ((std::vector<INT_PTR>{601, 603, 604}), Rows(page));
    EXPECT_EQ((std::vector<INT_PTR>{604}), Ticked(page));
    SendMessageW(page->m_hWnd, WM_COMMAND, DlgDeployment::CDeployablePage::kCmdNone, 0);
    EXPECT_EQ((std::vector<INT_PTR>{604}), Ticked(page));
}


TEST_F(DeploymentComponents, ButtonMenusCellEditorAndRowIcons)
{
    t.app->m_objects.children[0] = ObjectOf(ObjectXml(601, 42, 8, "Dock", {{"type", "Hardware"}, {"tree_image", "dock"}}));
    DlgDeployment* pane = Open(kId, Deployment(kId, kGroup, {{"deployable_available", "/601/602/603/604/"},
                                                             {"deployable_mandatory", "/602/"}}));
    ASSERT_NE(pane, nullptr);
    using Page = DlgDeployment::CDeployablePage;
    Page* page = pane->m_deployablePage;
    {
        // View: "All", a separator and one entry per type in order of appearance.
        FakePopupMenuDriver driver(Page::kCmdFirstType + 1);
        SendMessageW(page->m_hWnd, WM_COMMAND, Page::kCmdView, 0);
        ASSERT_EQ(1, driver.m_calls);
        ASSERT_EQ(4, GetMenuItemCount(driver.m_menu));
        EXPECT_EQ(static_cast<UINT>(Page::kCmdViewAll), GetMenuItemID(driver.m_menu, 0));
        EXPECT_EQ(static_cast<UINT>(Page::kCmdFirstType), GetMenuItemID(driver.m_menu, 2));
        EXPECT_EQ((std::vector<INT_PTR>{603}), Rows(page));
    }
    {
        // Select from the button's drop-down arrow.
        FakePopupMenuDriver driver(Page::kCmdAll);
        SendMessageW(page->m_hWnd, WM_COMMAND, Page::kCmdViewAll, 0);
        NMTOOLBARW drop = {};
        drop.hdr = {page->m_list.m_report.m_toolbar.m_hWnd, 0, static_cast<UINT>(TBN_DROPDOWN)};
        drop.iItem = Page::kCmdSelect;
        SendMessageW(page->m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&drop));
        ASSERT_EQ(1, driver.m_calls);
        EXPECT_EQ(3, GetMenuItemCount(driver.m_menu));
        EXPECT_EQ((std::vector<INT_PTR>{601, 602, 603, 604}), Ticked(page));
    }
    // The list's context menu offers the button menus only while a row is selected.
    HWND list = page->m_list.m_report.m_hWnd;
    ReportCommandInfo ask;
    ask.hdr = {list, static_cast<UINT_PTR>(Page::kIdList), CTListCtrlReportEx::CodeDropDownMenu};
    ask.id = Page::kCmdSelect;
    EXPECT_EQ(0, SendMessageW(page->m_hWnd, WM_NOTIFY, Page::kIdList, reinterpret_cast<LPARAM>(&ask)));
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_NE(0, SendMessageW(page->m_hWnd, WM_NOTIFY, Page::kIdList, reinterpret_cast<LPARAM>(&ask)));

    // The check-box cell of a mandatory row cannot be edited; the others can.
    const int mandatory = page->m_list.m_report.FindRowByData(reinterpret_cast<void*>(602));
    const int optional = page->m_list.m_report.FindRowByData(reinterpret_cast<void*>(601));
    ASSERT_NE(nullptr, page->m_editor.FindCell(mandatory, Page::kColumnAvailable));
    EXPECT_TRUE(page->m_editor.FindCell(mandatory, Page::kColumnAvailable)->m_readOnly);
    EXPECT_FALSE(page->m_editor.FindCell(optional, Page::kColumnAvailable)->m_readOnly);
    page->SetAvailable(optional, false);
    EXPECT_FALSE(page->m_editor.FindCell(optional, Page::kColumnAvailable)->IsChecked());
    EXPECT_FALSE(page->IsAvailable(optional));

    // A row icon not yet cached is fetched once; its arrival is taken, a stray one ignored.
    ASSERT_EQ(1u, page->m_pendingIcons.size());
    const int icon = page->m_pendingIcons[0];
    EXPECT_GE(ListViewImage(list, optional), 0);
    RequestResult stray;
    stray.route = pane->Route(DlgDeployment::kReqIcon, icon + 1000);
    pane->OnReply(stray);
    EXPECT_EQ(1u, page->m_pendingIcons.size());
    RequestResult arrived;
    arrived.route = pane->Route(DlgDeployment::kReqIcon, icon);
    pane->OnReply(arrived);
    EXPECT_TRUE(page->m_pendingIcons.empty());
}

} // namespace
