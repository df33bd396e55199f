// The record pages of the person and computer panes in a stand-in pane: deployment rows and their
// names, searches sent only when shown, e-mails newest first, the delete's texts and request,
// exceptions cleared by id, data points below links, the details rows saved into the object, and
// the logon history with its latest logon and recent-event colours.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "app/AppFixture.h"
#include "app/CWMFormHost.h"
#include "app/ListCellCopy.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/CTTime.h"
#include "foundation/UnixClock.h"
#include "framework/ModalDialogDriver.h"
#include "people/DlgAdministratorPageEmails.h"
#include "people/DlgComputerPageDataPoints.h"
#include "people/DlgComputerPageDeployments.h"
#include "people/DlgComputerPageDetails.h"
#include "people/DlgComputerPageExceptions.h"
#include "people/DlgUserPageComputers.h"
#include "people/DlgUserPageDataPoints.h"
#include "people/DlgUserPageDeployments.h"
#include "people/DlgUserPageDetails.h"
#include "people/DlgUserPageEmails.h"
#include "people/DlgUserPageExceptions.h"
#include "people/DlgUserPageLogon.h"
#include "session/RequestResult.h"

using namespace apptest;

namespace {

constexpr __int64 kPerson = 2101, kGroup = 2100, kComputer = 2102;
constexpr __int64 kNow = 1800000000;

__int64 FixedNow() { return kNow; }

struct A {
    std::string name;
    std::string value;
    std::string kind = "value_varchar";
    std::string edit;
    int id = 0;
    bool inherit = false;
    bool isDefault = false;
};

std::string Xml(__int64 id, __int64 type, __int64 parent, const std::string& name, const std::vector<A>& attrs,
                __int64 created = 1700000000, __int64 updated = 1700000000, int serial = 3)
{
    std::string xml = "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
                      std::to_string(parent) + "\" serial=\"" + std::to_string(serial) + "\" name=\"" + name +
                      "\" created=\"" + std::to_string(created) + "\" updated=\"" + std::to_string(updated) + "\">";
    int next = 420;
    for (const A& a : attrs)
        xml += "<attrib id=\"" + std::to_string(a.id ? a.id : next++) + "\" name=\"" + a.name + "\" edit=\"" + a.edit +
               "\" default=\"" + (a.isDefault ? "1" : "0") + "\" inherit=\"" + (a.inherit ? "1" : "0") +
               "\" type=\"" + a.kind + "\">" + a.value + "</attrib>";
    return xml + "</object>";
}

Object Obj(const std::string& xml)
{
    std::wstring wide(xml.begin(), xml.end());
    TiXmlDocument doc;
    doc.Parse(wide.c_str(), nullptr, 0);
    Object object;
    if (TiXmlElement* element = doc.FirstChildElementNamed(L"object"))
        object.ReadFromXml(element, true);
    return object;
}

// A reply as the pane hands it to a page.
void Parse(RequestResult& reply, const std::string& objects, int resultCode = 0)
{
    std::string text = Doc("<RC id=\"0\" text=\"\"/>" + objects);
    std::wstring wide(text.begin(), text.end());
    reply.document.Parse(wide.c_str(), nullptr, 0);
    reply.resultCode = resultCode;
    reply.kind = RequestResult::KindServerAnswer;
}

// A pane with a tab control that shows one person or computer.
class StandInPane : public CWMFormHost, public RecordPageHost {
public:
    Object m_object;
    int m_modified = 0;
    int m_newDeployments = 0;
    void SetModified(bool modified) override { m_modified += modified ? 1 : 0; }
    Object& GetShownObject() override { return m_object; }
    RequestRoute GetPageRoute(int requestId, __int64 param2) override
    {
        RequestRoute route;
        route.targetType = 0xffff;
        route.consoleType = 1027;
        route.consoleKey = m_object.id;
        route.requestId = requestId;
        route.param2 = param2;
        return route;
    }
    void NewDeployment() override { ++m_newDeployments; }
    int GetWarningImage() override { return 0; }
};

struct Pages : testing::Test {
    TestApp t;
    BoxRecorder boxes;
    HWND pane = nullptr;
    StandInPane host;
    HIMAGELIST tabImages = nullptr;

    void SetUp() override
    {
        pane = CreateWindowExW(0, L"STATIC", L"pane", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10, 700,
                               500, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        host.m_tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 5, 5, 680, 450,
                                     pane, nullptr, GetModuleHandleW(nullptr), nullptr);
        tabImages = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
        ImageList_AddIcon(tabImages, LoadIconW(nullptr, IDI_WARNING));
        TabCtrl_SetImageList(host.m_tab, tabImages);
        host.m_object = Obj(Xml(kPerson, 5, kGroup, "Ada Byron", {{"exceptions", "", "value_iddirectory_array"}}));
        t.app->m_mainWindow->m_cache.loaded |= MainWindowCache::LoadStatuses | MainWindowCache::LoadTypes |
                                               MainWindowCache::LoadDeploymentTypes | MainWindowCache::LoadSettingObjects;
    }
    void TearDown() override
    {
        host.m_pages.DeleteAll();
        if (pane)
            DestroyWindow(pane);
        if (tabImages)
            ImageList_Destroy(tabImages);
    }

    template <class Page>
    Page* Add(bool select = true)
    {
        auto* page = new Page();
        host.AddPage(pane, page);
        EXPECT_NE(page->m_hWnd, nullptr);
        if (select) {
            host.HideSelectedPage();
            TabCtrl_SetCurSel(host.m_tab, TabCtrl_GetItemCount(host.m_tab) - 1);
            host.ShowSelectedPage(pane);
        }
        return page;
    }

    static std::wstring Cell(CTListCtrlReport& list, int item, int column)
    {
        CAttribute value;
        list.GetCell(item, column, value);
        return value.GetText();
    }
    static std::vector<__int64> RowIds(CTListCtrlReport& list)
    {
        std::vector<__int64> ids;
        for (int i = 0; i < list.GetItemCount(); ++i)
            ids.push_back(static_cast<__int64>(reinterpret_cast<INT_PTR>(list.GetRowData(i))));
        return ids;
    }
    int Sent(const std::string& path) { return static_cast<int>(t.transport->CountPath(path)); }
    std::string LastBody(const std::string& path)
    {
        for (auto it = t.transport->m_sent.rbegin(); it != t.transport->m_sent.rend(); ++it)
            if (it->path == path)
                return it->body;
        return "";
    }
};

std::string Deployment(__int64 id, const std::string& name, const std::string& deploymentId, __int64 parent = 2120)
{
    return Xml(id, 8, parent, name, {{"deployment_id", deploymentId}, {"deployment_status", "1", "value_int"}});
}

// ---- Record lists

TEST_F(Pages, DeploymentNamesCarryTheirIdAndTheParentPathOnceItArrives)
{
    auto* page = Add<DlgUser::CPageDeployments>();
    RequestResult reply;
    Parse(reply, Deployment(2130, "Winter", "Winter") + Deployment(2131, "Spring", "SR-7") +
                     Deployment(2132, "Summer", ""));
    page->OnSearchReply(reply);
    CTListCtrlReport& list = page->m_list.Report();
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(Cell(list, 0, 0), L"Winter");
    EXPECT_EQ(Cell(list, 1, 0), L"Spring (SR-7)");
    EXPECT_EQ(Cell(list, 2, 0), L"Summer ()");
    // One path request per deployment, for its parent.
    EXPECT_EQ(Sent("api/api_dirIDToPath.php") + Sent("api/api_dirIDsToPaths.php"), 3);
    page->OnPathReply(2131, CTString(L"\\Org\\Spring group"));
    EXPECT_EQ(Cell(list, 1, 0), L"\\Org\\Spring group\\Spring (SR-7)");
    // The application's notice of a deletion takes the row away by id.
    page->OnDeploymentDeleted(2130);
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2131, 2132}));
}

TEST_F(Pages, ComputerDeploymentsFoundByBothLinksAreListedOnceWithTheLock)
{
    host.m_object = Obj(Xml(kComputer, 6, kGroup, "PC-9", {{"link_deployment_lock", "2131", "value_iddirectory"}}));
    auto* page = Add<DlgComputer::CPageDeployments>();
    EXPECT_FALSE(page->Load());
    EXPECT_EQ(Sent("api/api_objSearch.php"), 0);
    page->Search();
    ASSERT_EQ(Sent("api/api_objSearch.php"), 2);
    EXPECT_NE(t.transport->m_sent[0].body.find("ATTRIB=link_legacy_computer"), std::string::npos);
    EXPECT_NE(t.transport->m_sent[1].body.find("ATTRIB=link_deployed_computer"), std::string::npos);
    EXPECT_NE(t.transport->m_sent[1].body.find("SEARCH=2102"), std::string::npos);
    EXPECT_FALSE(page->m_needsLoading);
    RequestResult legacy, deployed;
    Parse(legacy, Deployment(2130, "Old", "Old") + Deployment(2131, "New", "New"));
    Parse(deployed, Deployment(2131, "New", "New"));
    page->OnSearchReply(legacy);
    page->OnSearchReply(deployed);
    CTListCtrlReport& list = page->m_list.Report();
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2130, 2131}));
    CAttribute locked;
    list.GetCell(0, 3, locked);
    EXPECT_EQ(locked.GetValue(), 0);
    list.GetCell(1, 3, locked);
    EXPECT_EQ(locked.GetValue(), 1);
    // A reply whose transfer failed leaves the rows; an error reply of the server empties the
    // user page's rows.
    RequestResult failed;
    Parse(failed, "", RequestResult::CodeFailed);
    page->OnSearchReply(failed);
    EXPECT_EQ(list.GetItemCount(), 2);
}

TEST_F(Pages, UserPagesSearchOnlyOnceShown)
{
    auto* deployments = Add<DlgUser::CPageDeployments>(false);
    auto* computers = Add<DlgUser::CPageComputers>(false);
    auto* emails = Add<DlgUser::CPageEmails>(false);
    host.LoadPages();
    EXPECT_EQ(Sent("api/api_objSearch.php"), 0);
    EXPECT_TRUE(deployments->m_loadPending && computers->m_loadPending && emails->m_loadPending);
    struct Case {
        int tab;
        const char* expected;
    } cases[] = {{0, "TYPE=Deployment&PARENT=ALL&ATTRIB=link_user&SEARCH=2101"},
                 {1, "TYPE=Computer&PARENT=ALL&ATTRIB=link_user&SEARCH=2101"},
                 {2, "TYPE=Email&PARENT=2101&"}};
    for (const Case& c : cases) {
        host.HideSelectedPage();
        TabCtrl_SetCurSel(host.m_tab, c.tab);
        host.ShowSelectedPage(pane);
        EXPECT_EQ(Sent("api/api_objSearch.php"), c.tab + 1);
        EXPECT_EQ(LastBody("api/api_objSearch.php").rfind(c.expected, 0), 0u) << LastBody("api/api_objSearch.php");
    }
    // Shown again: the load is not pending any more, nothing goes out.
    host.HideSelectedPage();
    TabCtrl_SetCurSel(host.m_tab, 0);
    host.ShowSelectedPage(pane);
    EXPECT_EQ(Sent("api/api_objSearch.php"), 3);
}

TEST_F(Pages, EmailsAreListedNewestFirstAndANewOneBelowThePersonJoins)
{
    auto* page = Add<DlgUser::CPageEmails>();
    RequestResult reply;
    Parse(reply, Xml(2140, 32, kPerson, "a", {{"subject", "Old"}}, 1700000000) +
                     Xml(2141, 32, kPerson, "b", {{"subject", "Newest"}}, 1700900000) +
                     Xml(2142, 32, kPerson, "c", {{"subject", "Middle"}}, 1700500000));
    page->OnSearchReply(reply);
    CTListCtrlReport& list = page->m_list.Report();
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2141, 2142, 2140}));
    EXPECT_EQ(Cell(list, 0, 2), L"Newest");
    page->OnEmailSent(Obj(Xml(2143, 32, 9999, "other", {})));
    page->OnEmailSent(Obj(Xml(2144, 32, kPerson, "sent", {{"subject", "Just sent"}}, 1701000000)));
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2144, 2141, 2142, 2140}));
}

TEST_F(Pages, DeletingADeploymentAsksWithItsNameAndSendsItsSerialToTheApplication)
{
    auto* page = Add<DlgUser::CPageDeployments>();
    RequestResult reply;
    Parse(reply, Deployment(2130, "Winter", "Winter") + Xml(2131, 8, 2120, "Spring", {}, 1, 1, 7));
    page->OnSearchReply(reply);
    CTListCtrlReportEx& list = page->m_list.Report();
    // Without a selection nothing is sent.
    page->OnDelete();
    EXPECT_EQ(Sent("api/api_objDelete.php"), 0);
    ListView_SetItemState(list.m_hWnd, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.NotifyDelete();
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.captions.back(), L"Delete Deployment");
    EXPECT_EQ(boxes.texts.back(), L"Are you sure you want to delete Deployment 'Spring ()'?");
    page->OnDelete();
    ASSERT_EQ(Sent("api/api_objDelete.php"), 1);
    EXPECT_EQ(LastBody("api/api_objDelete.php"), "ID=2131&SERIAL=7");
    // New is the pane's.
    SendMessageW(page->m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdNew, 0);
    EXPECT_EQ(host.m_newDeployments, 1);
}

TEST_F(Pages, TheAdministratorsEmailsSearchOnceTheFormPageIsShown)
{
    struct StandInForm : CWindowManager::CWMForm {} form;
    form.m_type = 5;
    form.m_key = 90;
    DlgAdministratorDlg::CPageEmails page;
    page.m_form = &form;
    ASSERT_TRUE(page.CreatePage(pane));
    EXPECT_TRUE(page.Load());
    EXPECT_EQ(Sent("api/api_objSearch.php"), 0);
    EXPECT_TRUE(page.m_loadPending);
    ShowWindow(page.m_hWnd, SW_SHOW);
    ASSERT_EQ(Sent("api/api_objSearch.php"), 1);
    EXPECT_EQ(LastBody("api/api_objSearch.php").rfind("TYPE=Email&PARENT=90&", 0), 0u);
    EXPECT_FALSE(page.m_loadPending);
    RequestResult reply;
    Parse(reply, Xml(2145, 32, 90, "a", {{"subject", "Older"}}, 1700000000) +
                     Xml(2146, 32, 90, "b", {{"subject", "Newer"}}, 1700000500));
    page.OnSearchReply(reply);
    EXPECT_EQ(RowIds(page.m_list.Report()), (std::vector<__int64>{2146, 2145}));
    ShowWindow(page.m_hWnd, SW_HIDE);
    page.Load();
    EXPECT_EQ(Sent("api/api_objSearch.php"), 1);
    DestroyWindow(page.m_hWnd);
}

// ---- Exceptions

struct ExceptionPages : Pages {
    void SetUp() override
    {
        Pages::SetUp();
        t.app->m_mainWindow->m_cache.settings[MainWindowCache::Exception] = {
            Obj(Xml(2150, 17, 6, "x", {{"enable", "1", "value_int"}, {"description", "Late"}, {"persistent", "1", "value_int"}})),
            Obj(Xml(2151, 17, 6, "x", {{"enable", "1", "value_int"}, {"description", "Stuck"}, {"persistent", "1", "value_int"}})),
            Obj(Xml(2152, 17, 6, "x", {{"enable", "1", "value_int"}, {"description", "Info"}, {"persistent", "0", "value_int"}})),
            Obj(Xml(2153, 17, 6, "x", {{"enable", "0", "value_int"}, {"description", "Off"}, {"persistent", "1", "value_int"}})),
            Obj(Xml(2154, 17, 6, "x", {{"enable", "1", "value_int"}, {"description", "Cable"}, {"persistent", "1", "value_int"}}))};
    }
    void SetExceptions(const std::string& ids)
    {
        std::vector<__int64> list;
        for (size_t at = 1; at < ids.size();) {
            size_t end = ids.find('/', at);
            list.push_back(std::stoll(ids.substr(at, end - at)));
            at = end + 1;
        }
        host.m_object.SetLinkArray(CTString(L"exceptions"), list);
    }
    std::vector<__int64> Stored()
    {
        std::vector<__int64> ids;
        return host.m_object.GetLinkArray(ids, CTString(L"exceptions"));
    }
    int TabImage(CWMFormPage* page)
    {
        for (int i = 0; i < TabCtrl_GetItemCount(host.m_tab); ++i) {
            TCITEMW item = {};
            item.mask = TCIF_PARAM | TCIF_IMAGE;
            TabCtrl_GetItem(host.m_tab, i, &item);
            if (item.lParam == reinterpret_cast<LPARAM>(page))
                return item.iImage;
        }
        return -2;
    }
};

TEST_F(ExceptionPages, OnlyPersistentOnesClearAndADuplicateIdGoesEverywhere)
{
    SetExceptions("/2150/2151/2152/2153/2154/2150/");
    auto* page = Add<DlgUser::CPageExceptions>();
    ASSERT_TRUE(page->Load());
    CTListCtrlReport& list = page->m_list.m_report;
    // The disabled one is not listed; the duplicate is, twice.
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2150, 2151, 2152, 2154, 2150}));
    EXPECT_EQ(TabImage(page), 0);
    // Three adjacent rows, one of them not persistent.
    for (int i = 0; i < 3; ++i)
        ListView_SetItemState(list.m_hWnd, i, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(page->m_hWnd, WM_COMMAND, CTListCtrlReportEx::CmdDelete, 0);
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2152, 2154, 2150}));
    EXPECT_EQ(Stored(), (std::vector<__int64>{2152, 2153, 2154}));
    EXPECT_GT(host.m_modified, 0);
    // The next load lists what is left; without exceptions the tab loses its image.
    page->Load();
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2152, 2154}));
    SetExceptions("/2153/");
    page->Load();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(TabImage(page), -1);
}

TEST_F(ExceptionPages, TheComputerPageClearsItsComputersExceptions)
{
    host.m_object = Obj(Xml(kComputer, 6, kGroup, "PC-9", {{"exceptions", "", "value_iddirectory_array"}}));
    SetExceptions("/2154/2152/");
    auto* page = Add<DlgComputer::CPageExceptions>();
    page->Load();
    EXPECT_EQ(TabImage(page), 0);
    CTListCtrlReport& list = page->m_list.m_report;
    ListView_SetItemState(list.m_hWnd, 1, LVIS_SELECTED, LVIS_SELECTED);
    page->ClearSelected();   // not persistent: stays
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(host.m_modified, 0);
    ListView_SetItemState(list.m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
    page->ClearSelected();
    EXPECT_EQ(Stored(), (std::vector<__int64>{2152}));
}

// ---- Data points

TEST_F(Pages, DataPointsTwoLevelsBelowTheLinksAreListedAndACellCopies)
{
    DefineType(*t.app, 24, L"Link [DP]");
    Dir& dir = t.app->m_dir;
    dir.StoreObject(Obj(Xml(2160, 24, kPerson, "link", {{"link_data_point", "2170", "value_iddirectory"}}, 1700000100)), 0);
    dir.StoreObject(Obj(Xml(2161, 23, 2160, "point", {{"link_data_point", "2170", "value_iddirectory"}}, 1700000200)), 0);
    dir.StoreObject(Obj(Xml(2162, 23, 2161, "deeper", {{"link_data_point", "2170", "value_iddirectory"}}, 1700000300)), 0);
    dir.StoreObject(Obj(Xml(2163, 23, kPerson, "not below a link", {}, 1700000400)), 0);
    dir.StoreObject(Obj(Xml(2164, 24, 9999, "someone else's link", {}, 1700000500)), 0);
    dir.StoreObject(Obj(Xml(2165, 23, 2164, "someone else's point", {}, 1700000600)), 0);
    dir.StoreObject(Obj(Xml(2170, 22, 6, "data point",
                            {{"xml_data", "&lt;data_point&gt;&lt;data&gt;&lt;cpu&gt;Fast CPU&lt;/cpu&gt;&lt;/data&gt;"
                                          "&lt;display&gt;&lt;Catagories&gt;&lt;Hardware&gt;&lt;cpu/&gt;&lt;/Hardware&gt;"
                                          "&lt;/Catagories&gt;&lt;/display&gt;&lt;/data_point&gt;"}})), 0);
    auto* page = Add<DlgUser::CPageDataPoints>();
    page->Load();
    CTListCtrlReport& list = page->m_list.m_report;
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2162, 2161}));   // newest first
    ListView_SetItemState(list.m_hWnd, 1, LVIS_SELECTED, LVIS_SELECTED);
    t.Pump();
    ASSERT_GT(page->m_items.GetItemCount(), 0);
    const int last = page->m_items.GetItemCount() - 1;
    EXPECT_EQ(Cell(page->m_items, last, 1), L"Fast CPU");
    ASSERT_TRUE(ListCellCopy::CopyCell(page->m_items.m_hWnd, last, 1));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring copied = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data)
        GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(copied, L"Fast CPU");

    // Nothing below a computer without links.
    host.m_object = Obj(Xml(kComputer, 6, kGroup, "PC-9", {}));
    auto* computer = Add<DlgComputer::CPageDataPoints>();
    computer->Load();
    EXPECT_EQ(computer->m_list.m_report.GetItemCount(), 0);
}

// ---- Details

TEST_F(Pages, DetailsRowsGoBackIntoThePerson)
{
    host.m_object = Obj(Xml(kPerson, 5, kGroup, "Ada", {
        {"cost_centre", "CC-1", "value_varchar", "", 430, true},
        {"shirt_size", "M", "value_varchar", "TYPE=Combo|VALUES=S,M,L", 431},
        {"desk", "4", "value_int", "", 432},
        {"badge", "B-1", "value_varchar", "", 433},
    }));
    std::vector<Object>& types = t.app->m_mainWindow->m_cache.types;
    std::erase_if(types, [](const Object& d) { return d.type == 5; });
    types.push_back(Obj(Xml(5, 5, 0, "Schedule User", {{"cost_centre", "", "value_varchar", "", 430, true}})));
    auto* page = Add<DlgUser::CPageDetails>();
    CTWndPropertyList& grid = page->m_grid;
    ASSERT_NE(grid.m_hWnd, nullptr);
    grid.InsertProperty(CTWndPropertyList::KindText, CTString(L"Cost centre"), CAttribute(CTString(L"CC-9")), 430,
                        nullptr, nullptr, nullptr, nullptr, CTWndPropertyList::kButtonToggle);
    grid.InsertProperty(CTWndPropertyList::KindText, CTString(L"Shirt"), CAttribute(CTString(L"XXL")), 431, nullptr,
                        nullptr, nullptr, nullptr, 0);
    grid.InsertProperty(CTWndPropertyList::KindText, CTString(L"Desk"), CAttribute(CTString(L"17")), 432, nullptr,
                        nullptr, nullptr, nullptr, 0);
    grid.InsertProperty(CTWndPropertyList::KindText, CTString(L"Badge"), CAttribute(CTString(L"B-2")), 433, nullptr,
                        nullptr, nullptr, nullptr, 0);
    grid.SetChecked(0, true);      // back to the inherited value
    grid.SetReadOnly(3, true);
    ASSERT_TRUE(page->Save());
    CAttributes form;
    host.m_object.CollectChanges(form, false);
    auto field = [&](const wchar_t* name) {
        CAttribute value;
        return form.Get(name, value) ? std::wstring(value.GetText()) : std::wstring(L"<none>");
    };
    EXPECT_NE(field(L"ATTRIBIDDEL_430"), L"<none>");
    EXPECT_EQ(field(L"ATTRIBID_430"), L"<none>");
    EXPECT_EQ(field(L"ATTRIBID_431"), L"XXL");   // not in VALUES: stays text
    EXPECT_EQ(field(L"ATTRIBID_432"), L"17");    // a number row, read as a number
    EXPECT_EQ(field(L"ATTRIBID_433"), L"<none>");
}

TEST(ComputerDetails, AChoiceListNamedThroughAnotherAttributeFollowsThePlusRule)
{
    const std::string attribList = "TYPE=AttribList";
    struct Case {
        std::string value;
        std::string edit;
        std::wstring expected;
    } cases[] = {
        {"Sites", attribList, L"Sites"},
        {"Rooms+building", attribList, L"Rooms+North"},
        {"Rooms+building", "TYPE=Text", L"Rooms+building"},
        {"", attribList, L""},
    };
    Object mapping = Obj(Xml(2180, 40, 6, "Room", {{"attrib_name", "room"}, {"attrib_list_name", "440", "value_int"}}));
    for (const Case& c : cases) {
        Object computer = Obj(Xml(kComputer, 6, kGroup, "PC", {{"attrib_list_name", c.value, "value_varchar", c.edit, 440},
                                                               {"building", "North", "value_varchar", "", 441}}));
        EXPECT_EQ(std::wstring(DlgComputer::CPageDetails::ListNameFor(mapping, computer).GetBuffer()
                                   ? DlgComputer::CPageDetails::ListNameFor(mapping, computer).GetBuffer()
                                   : L""),
                  c.expected)
            << c.value << " " << c.edit;
    }
}

// ---- Logon

struct LogonPage : Pages {
    UnixClock::Function previous = nullptr;
    void SetUp() override
    {
        Pages::SetUp();
        previous = UnixClock::Replace(&FixedNow);
        MainWindowCache& cache = t.app->m_mainWindow->m_cache;
        DefineType(*t.app, 14, L"Event");
        std::erase_if(cache.types, [](const Object& d) { return d.type == 25 || d.type == 105 || d.type == 106; });
        cache.types.push_back(Obj(Xml(25, 25, 14, "Logon",
                                      {{"logon_event", "", "value_int", "TYPE=Combo|VALUES=logoff,logon,logonlink"}})));
        cache.typeNames[CTString(L"logon")] = cache.types.back();
        cache.types.push_back(Obj(Xml(105, 105, 14, "Call", {{"console_display_attribs", "caller|number"}})));
        cache.types.push_back(Obj(Xml(106, 106, 105, "Long call", {{"console_display_attribs", "a|b|c"}})));
    }
    void TearDown() override
    {
        UnixClock::Replace(previous);
        Pages::TearDown();
    }
    static std::string Event(__int64 id, int kind, __int64 created, __int64 updated)
    {
        return Xml(id, 25, 0, "Logon", {{"logon_event", std::to_string(kind), "value_int"}}, created, updated);
    }
    static void Fill(DlgUser::CPageLogon* page, const std::string& objects)
    {
        TiXmlDocument doc;
        std::string text = Doc(objects);
        std::wstring wide(text.begin(), text.end());
        doc.Parse(wide.c_str(), nullptr, 0);
        page->FillEvents(doc);
    }
    static std::wstring LastLogon(DlgUser::CPageLogon* page)
    {
        wchar_t shown[64] = {};
        GetDlgItemTextW(page->m_hWnd, DlgUser::CPageLogon::kIdLastLogon, shown, 64);
        return shown;
    }
    static int Colour(CTListCtrlReport& list, __int64 id, int column)
    {
        int item = list.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id)));
        CTListCtrlReport::Row* row = item >= 0 ? list.GetRow(item) : nullptr;
        CTListCtrlReport::Cell* cell = row ? row->GetCell(column) : nullptr;
        return cell ? cell->m_textColour : -1;
    }
};

TEST_F(LogonPage, NeverLoggedOnAndThreeExtraColumns)
{
    auto* page = Add<DlgUser::CPageLogon>();
    EXPECT_EQ(page->m_extraColumns, 3);
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(page->m_list.m_report.m_hWnd)), 6);
    Fill(page, Event(2190, 0, kNow - 100, kNow - 100));   // a logoff only
    EXPECT_EQ(LastLogon(page), L"<Never>");
    EXPECT_EQ(page->m_list.m_report.GetItemCount(), 1);
    Fill(page, "");
    EXPECT_EQ(page->m_list.m_report.GetItemCount(), 0);
}

TEST_F(LogonPage, TheLatestOfBothLogonKindsShowsAndRecentEventsAreGreen)
{
    auto* page = Add<DlgUser::CPageLogon>();
    const __int64 tenMinutes = kNow - 600, fortyMinutes = kNow - 2400;
    Fill(page, Event(2191, 1, kNow - 7200, kNow - 7200) + Event(2192, 2, fortyMinutes, kNow - 300) +
                   Event(2193, 0, tenMinutes, tenMinutes) + Event(2191, 1, kNow - 7200, kNow - 7200));
    CTListCtrlReport& list = page->m_list.m_report;
    EXPECT_EQ(RowIds(list), (std::vector<__int64>{2193, 2192, 2191}));   // an id seen twice is one row
    CTString expected;
    const int32_t latest = static_cast<int32_t>(fortyMinutes);
    FormatUnixDateTime(&latest, expected, false);
    EXPECT_EQ(LastLogon(page), std::wstring(expected.GetBuffer()));
    EXPECT_EQ(Colour(list, 2193, 0), 1);   // created 10 minutes ago
    EXPECT_EQ(Colour(list, 2192, 0), 0);   // created 40 minutes ago ...
    EXPECT_EQ(Colour(list, 2192, 2), 1);   // ... updated 5 minutes ago
    EXPECT_EQ(Colour(list, 2191, 0), 0);
}

TEST_F(LogonPage, TheCheckBoxAndTheQueryFollowThePerson)
{
    host.m_object = Obj(Xml(kPerson, 5, kGroup, "Ada", {{"change_password", "1", "value_int", "", 434}}));
    auto* page = Add<DlgUser::CPageLogon>();
    page->Load();
    EXPECT_EQ(IsDlgButtonChecked(page->m_hWnd, DlgUser::CPageLogon::kIdChangePassword), BST_CHECKED);
    EXPECT_EQ(LastBody("api/api_qelEventQuery.php"), "TYPE=ALL&RETURNTYPE=OBJECT&ATTRIBS=link_user%3D2101");
    // A failed query leaves the page as it was.
    Fill(page, Event(2191, 1, kNow - 7200, kNow - 7200));
    t.Answer("api/api_qelEventQuery.php", L"HTTP/1.1 500 Oops\r\n\r\n", "");
    EXPECT_EQ(page->m_list.m_report.GetItemCount(), 1);
    CheckDlgButton(page->m_hWnd, DlgUser::CPageLogon::kIdChangePassword, BST_UNCHECKED);
    SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgUser::CPageLogon::kIdChangePassword, BN_CLICKED), 0);
    EXPECT_GT(host.m_modified, 0);
    page->Save();
    CAttributes form;
    host.m_object.CollectChanges(form, false);
    CAttribute value;
    ASSERT_TRUE(form.Get(L"ATTRIBID_434", value));
    EXPECT_STREQ(value.GetText(), L"0");
}
// Enters a new password twice and presses OK, or cancels.
class ResetDriver : public ModalDialogDriver {
public:
    bool ok = true;
    void OnModalDialog(CTWnd2&, HWND dialog) override
    {
        SetDlgItemTextW(dialog, 1011, L"N3w-secret");
        SetDlgItemTextW(dialog, 1012, L"N3w-secret");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
    }
};

TEST_F(LogonPage, TheResetIsSilentAndThePagesOwnBoxTellsTheOutcome)
{
    auto* page = Add<DlgUser::CPageLogon>();
    ResetDriver driver;
    ModalDialogDriver::Install(&driver);
    driver.ok = false;
    SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgUser::CPageLogon::kIdReset, BN_CLICKED), 0);
    EXPECT_EQ(Sent("api/api_dirResetPassword.php"), 0);
    driver.ok = true;
    SendMessageW(page->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgUser::CPageLogon::kIdReset, BN_CLICKED), 0);
    ModalDialogDriver::Install(nullptr);
    ASSERT_EQ(Sent("api/api_dirResetPassword.php"), 1);
    EXPECT_EQ(LastBody("api/api_dirResetPassword.php"), "NewPasswd=N3w-secret&ID=2101");
    // The server refuses: the application shows no box of its own for the silent request.
    const size_t before = boxes.Texts().size();
    t.Answer("api/api_dirResetPassword.php", XmlHeaders(), Doc("<RC id=\"1325\" text=\"Too short\"/>"));
    EXPECT_EQ(boxes.Texts().size(), before);
    RequestResult refused;
    Parse(refused, "");
    refused.returnCode = 1325;
    refused.statusText = L"Too short";
    page->OnResetReply(refused);
    RequestResult done;
    Parse(done, "");
    page->OnResetReply(done);
    ASSERT_EQ(boxes.Texts().size(), before + 2);
    EXPECT_EQ(boxes.texts[before], L"Too short");
    EXPECT_EQ(boxes.captions[before], L"Reset Password");
    EXPECT_EQ(boxes.texts[before + 1], L"Password Set");
}

}   // namespace
