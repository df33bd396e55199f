// The deployments view on a main window with a recording transport: which groups are ticked and
// loaded, colours kept in the registry, refills without requests, failed loads, deferred
// refreshes, every column's cell, lookups answered out of order or failing, named lists arriving
// later, the fetch of missing users and computers, row icons and marks, and dragging rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ViewFixture.h"
#include "app/WindowCatalogue.h"
#include "framework/CWindowManager.h"

using namespace viewtest;

namespace {

constexpr __int64 kG1 = 52, kG2 = 53;
constexpr __int64 kUserIn = 1010, kUserOther = 1011, kLegacyOther = 1020, kSlot = 1030, kModel = 1040, kFail = 1041;

std::string Lookup(const std::string& edit, const std::string& objects)
{
    return Doc("<RC id=\"0\" text=\"\"/><parameters PARENT=\"0\" EDIT=\"" + edit + "\"/>" + objects);
}

// What the bulk-change wizard stand-in read from the view when it opened.
struct WizardRecord {
    int opened = 0;
    std::vector<__int64> ids;
    int kind = 0;
    UINT32 value = 0;
    std::wstring tag;
} g_wizard;

class WizardStandIn : public CWindowManager::CWindow {
public:
    bool Open() override
    {
        auto* view = dynamic_cast<DlgDeployments*>(CTWnd2::FromHandle(reinterpret_cast<HWND>(m_param)));
        ++g_wizard.opened;
        if (view) {
            g_wizard.ids = view->GetSelectedIds();
            g_wizard.kind = view->GetPanelKind();
            g_wizard.value = view->GetDropValue();
            g_wizard.tag = view->GetDropTag().GetBuffer() ? view->GetDropTag().GetBuffer() : L"";
        }
        return true;
    }
};

class DeploymentsView : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        g_wizard = WizardRecord();
        t.app->m_catalogue.RegisterWindow(DlgDeployments::kWizardType,
                                          [](int, UINT64) -> CWindowManager::CWindow* { return new WizardStandIn(); });
        MainWindowCache& cache = main->m_cache;
        cache.deploymentTypes = {ObjectOf(Xml(kTypeA, 10, 3, "Refresh", {{"name", "value_varchar", "Refresh"},
                                                                           {"deployment_attribs", "value_int", "0"}}))};
        cache.slotData = {ObjectOf(Xml(85, 22, 12, "AM", {{"code", "value_varchar", "AM"}}))};
        cache.loaded |= MainWindowCache::LoadSlotData;
    }

    // A type definition of "Deployment" with the two lookup attributes and the custom ones.
    void DefineDeployment(const std::string& extra = "")
    {
        std::string xml = "<object id=\"8\" type=\"8\" parent=\"0\" name=\"Deployment\">"
                          "<attrib id=\"180\" name=\"link_deploy_model\" edit=\"TYPE='Hardware'\" type=\"value_iddirectory\">0</attrib>"
                          "<attrib id=\"162\" name=\"link_fail_code\" edit=\"TYPE='Fail Code'\" type=\"value_iddirectory\">0</attrib>" +
                          extra + "</object>";
        std::vector<Object>& types = main->m_cache.types;
        std::erase_if(types, [](const Object& known) { return known.type == kDeploymentType; });
        Object definition = ObjectOf(xml);
        definition.type = kDeploymentType;
        types.push_back(definition);
        main->m_cache.typeNames[CTString(L"deployment")] = definition;
    }

    // Opens the view on two groups, both ticked, and answers both loads with objects.
    void OpenWith(const std::string& first, const std::string& second)
    {
        ASSERT_NE(Open(), nullptr);
        AnswerGroups({{kG1, "Spring"}, {kG2, "Autumn"}});
        ASSERT_EQ(Bodies("api/api_objGet.php").size(), 2u);
        ReplyNth("api/api_objGet.php", 0, Ok(first));
        ReplyNth("api/api_objGet.php", 1, Ok(second));
    }

    int RowImage(__int64 id)
    {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.stateMask = LVIS_OVERLAYMASK;
        item.iItem = view->Report().FindRowByData(reinterpret_cast<void*>(id));
        ListView_GetItem(view->Report().m_hWnd, &item);
        return item.iImage;
    }
    UINT Overlay(__int64 id)
    {
        return ListView_GetItemState(view->Report().m_hWnd, view->Report().FindRowByData(reinterpret_cast<void*>(id)),
                                     LVIS_OVERLAYMASK);
    }
};

TEST_F(DeploymentsView, FewerThanFiveGroupsAreTickedAndLoadedFiveOrMoreAreNot)
{
    struct Case {
        int groups;
        size_t loads;
    };
    for (const Case& c : {Case{4, 4}, Case{6, 0}}) {
        SCOPED_TRACE(c.groups);
        ClearRegistry();
        t.transport->m_sent.clear();
        answered.clear();
        if (view)
            main->CloseConsole(DlgDeployments::kConsoleType, 0);
        t.Pump();
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(CountBodies("api/api_dirGetLookup.php", "Schedule"), 1u);
        std::vector<std::pair<__int64, std::string>> groups;
        for (int i = 0; i < c.groups; ++i)
            groups.push_back({60 + i, "G" + std::to_string(i)});
        AnswerGroups(groups);
        EXPECT_EQ(Bodies("api/api_objGet.php").size(), c.loads);
        EXPECT_EQ(CountBodies("api/api_objGet.php", "CHILDREN=Deployment%2CDeployment"), c.loads);
        CTRegKey key;
        ViewKey(key);
        std::set<DWORD> colours;
        for (int i = 0; i < c.groups; ++i) {
            const std::wstring name = L"SG" + std::to_wstring(60 + i) + L"_Colour";
            colours.insert(key.ReadDword(name.c_str(), 0xFFFFFFFF));
            EXPECT_EQ(view->Group(60 + i).enabled, c.groups < 5);
        }
        EXPECT_EQ(colours.size(), static_cast<size_t>(c.groups)) << "one stored colour per group";
        EXPECT_EQ(colours.count(0xFFFFFFFF), 0u);
    }
}

TEST_F(DeploymentsView, StoredColourAndTickAreReused)
{
    CTRegKey key;
    ViewKey(key);
    key.WriteDword(L"SG53_Colour", 0x00123456);
    key.WriteDword(L"SG52_Enable", 0);
    ASSERT_NE(Open(), nullptr);
    AnswerGroups({{kG1, "Spring"}, {kG2, "Autumn"}});
    EXPECT_EQ(view->Group(kG2).colour, 0x00123456u);
    EXPECT_FALSE(view->Group(kG1).enabled);
    EXPECT_TRUE(view->Group(kG2).enabled);
    ASSERT_EQ(Bodies("api/api_objGet.php").size(), 1u);
    EXPECT_NE(Bodies("api/api_objGet.php")[0].find("ID=53"), std::string::npos);
}

TEST_F(DeploymentsView, UntickAndTickAgainRefillWithoutRequests)
{
    OpenWith(DeploymentXml({2001, kG1, {}}) + DeploymentXml({2002, kG1, {}}), DeploymentXml({2003, kG2, {}}));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2001, 2002, 2003}));
    const size_t sent = t.transport->m_sent.size();
    auto* groups = static_cast<DlgDeployments::DlgLHSSelectSG*>(view->Host().Find(DlgDeployments::kKindGroups));
    groups->StoreEnable(kG1, CAttribute(1, static_cast<__int64>(0)));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2003}));
    groups->StoreEnable(kG1, CAttribute(1, static_cast<__int64>(1)));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2001, 2002, 2003}));
    EXPECT_EQ(t.transport->m_sent.size(), sent);
    CTRegKey key;
    EXPECT_EQ(ViewKey(key).ReadDword(L"SG52_Enable", 7), 1u);
}

TEST_F(DeploymentsView, SelectMenuTicksAllNoneOrTheOthers)
{
    CTRegKey key;
    ViewKey(key).WriteDword(L"SG53_Enable", 0);
    ASSERT_NE(Open(), nullptr);
    AnswerGroups({{kG1, "Spring"}, {kG2, "Autumn"}});
    ReplyNth("api/api_objGet.php", 0, Ok(DeploymentXml({2001, kG1, {}})));
    auto* groups = static_cast<DlgDeployments::DlgLHSSelectSG*>(view->Host().Find(DlgDeployments::kKindGroups));

    struct Case {
        int command;
        bool first, second;
        size_t loads;
    };
    for (const Case& c : {Case{DlgDeployments::DlgLHSSelectSG::kCmdInvert, false, true, 2},
                          Case{DlgDeployments::DlgLHSSelectSG::kCmdNone, false, false, 2},
                          Case{DlgDeployments::DlgLHSSelectSG::kCmdAll, true, true, 2}}) {
        SCOPED_TRACE(c.command);
        groups->ApplySelection(c.command);
        EXPECT_EQ(view->Group(kG1).enabled, c.first);
        EXPECT_EQ(view->Group(kG2).enabled, c.second);
        EXPECT_EQ(ViewKey(key).ReadDword(L"SG52_Enable", 7), c.first ? 1u : 0u);
        EXPECT_EQ(Bodies("api/api_objGet.php").size(), c.loads) << "a group is loaded once, at its first tick";
        EXPECT_EQ(RowIds(), c.first ? std::vector<__int64>{2001} : std::vector<__int64>{});
    }
}

TEST_F(DeploymentsView, FailedGroupLoadStillShowsTheOtherGroups)
{
    ASSERT_NE(Open(), nullptr);
    AnswerGroups({{kG1, "Spring"}, {kG2, "Autumn"}});
    ReplyNth("api/api_objGet.php", 0, Failed());
    ReplyNth("api/api_objGet.php", 1, Ok(DeploymentXml({2003, kG2, {}})));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2003}));
    EXPECT_EQ(view->m_pendingGroupLoads, 0);
}

TEST_F(DeploymentsView, RefreshWhileHiddenRunsOnceWhenShown)
{
    ASSERT_NE(Open(), nullptr);
    AnswerGroups({});
    EXPECT_EQ(Bodies("api/api_dirGetLookup.php").size(), 1u);
    ::ShowWindow(view->m_hWnd, SW_HIDE);
    view->Refresh();
    view->Refresh();
    EXPECT_EQ(Bodies("api/api_dirGetLookup.php").size(), 1u);
    ::ShowWindow(view->m_hWnd, SW_SHOW);
    t.Pump();
    EXPECT_EQ(Bodies("api/api_dirGetLookup.php").size(), 2u);
}

TEST_F(DeploymentsView, EveryColumnCodeFillsItsCell)
{
    DefineDeployment();
    const std::string slot = Xml(kSlot, kSlotType, 1050, "Slot", {{"end_date", "value_date", "1767225600"},
                                                                  {"link_deployment_slot_data", "value_iddirectory", "85"}});
    const std::string full = DeploymentXml(
        {2001, kG1, {{"link_user", "value_iddirectory", std::to_string(kUserIn)},
                     {"link_legacy_computer", "value_iddirectory", std::to_string(kLegacyOther)},
                     {"link_deployment_slot", "value_iddirectory", std::to_string(kSlot)},
                     {"link_deployment_type", "value_iddirectory", std::to_string(kTypeA)},
                     {"deployment_status", "value_int", "4"},
                     {"deployment_id", "value_varchar", "SR-1"},
                     {"exceptions", "value_varchar", "/77/"}}});
    const std::string plain = DeploymentXml({2002, kG1, {{"deployment_status", "value_int", "3"},
                                                         {"link_user", "value_iddirectory", std::to_string(kUserOther)}}});
    // A computer placed elsewhere but listed among the group's members belongs to it.
    const std::string member = DeploymentXml({2003, kG1, {{"link_legacy_computer", "value_iddirectory", "1021"}}});
    groupMembers = "/1021/";
    OpenWith(slot + full + plain + member, "");

    // Users and computers not loaded: asked once each, then every row is rebuilt with them.
    ASSERT_EQ(Bodies("api/api_objSearch.php").size(), 1u);
    EXPECT_NE(Bodies("api/api_objSearch.php")[0].find("IDARRAY=%2F1010%2F1020%2F1011%2F1021%2F"), std::string::npos)
        << Bodies("api/api_objSearch.php")[0];
    ReplyNth("api/api_objSearch.php", 0,
             Ok(Xml(kUserIn, kUserType, kG1, "Ada", {{"email_address", "value_varchar", "ada@example.test"},
                                                     {"user_details_confirmed", "value_int", "1"},
                                                     {"vip", "value_int", "1"}}) +
                Xml(kUserOther, kUserType, kG1, "Bob", {{"vip", "value_int", "0"}}) +
                Xml(kLegacyOther, kComputerType, kG2, "PC-1", {{"computer_name", "value_varchar", "PC-OLD"},
                                                               {"vim", "value_int", "1"}}) +
                Xml(1021, kComputerType, 22, "PC-2", {})));

    CTListCtrlReportEx& report = view->Report();
    const __int64 vip = (static_cast<__int64>(report.GetImageForKey(DlgDeployments::kImageVip)) << 16) | 7;
    const __int64 warning = (static_cast<__int64>(report.GetImageForKey(DlgDeployments::kImageException)) << 16) | 7;
    const __int64 failed = (static_cast<__int64>(report.GetImageForKey(DlgDeployments::kImageFailed)) << 16) | 7;
    const __int64 succeeded = (static_cast<__int64>(report.GetImageForKey(DlgDeployments::kImageSucceeded)) << 16) | 7;

    struct Text {
        __int64 id;
        int column;
        const wchar_t* text;
    };
    for (const Text& c : {Text{2001, 0, L"D2001"}, Text{2001, 1, L"SR-1"}, Text{2001, 2, L"\\Org\\Spring"},
                          Text{2001, 3, L"Ada"}, Text{2001, 4, L"ada@example.test"}, Text{2001, 6, L"PC-OLD"},
                          Text{2001, 8, L"AM"}, Text{2001, 9, L"Refresh"}, Text{2002, 3, L"Bob"},
                          Text{2002, 8, L""}, Text{2002, 15, L""}, Text{2002, 17, L""}}) {
        SCOPED_TRACE(std::to_string(c.id) + " column " + std::to_string(c.column));
        EXPECT_EQ(CellText(c.id, c.column), c.text);
    }
    struct Number {
        __int64 id;
        int column;
        __int64 value;
    };
    for (const Number& c : {Number{2001, 5, 1}, Number{2001, 15, vip}, Number{2001, 16, vip}, Number{2001, 17, warning},
                            Number{2001, 13, failed}, Number{2002, 13, succeeded}, Number{2002, 5, 0}}) {
        SCOPED_TRACE(std::to_string(c.id) + " column " + std::to_string(c.column));
        CAttribute value = Cell(c.id, c.column);
        EXPECT_EQ(value.GetType(), 4);
        EXPECT_EQ(value.GetValue(), c.value);
    }

    // The mark singles out the row whose old computer belongs to another group.
    EXPECT_EQ(Overlay(2001), static_cast<UINT>(INDEXTOOVERLAYMASK(1)));
    EXPECT_EQ(Overlay(2002), 0u);
    EXPECT_EQ(Overlay(2003), 0u);
}

TEST_F(DeploymentsView, IdsTheServerNeverReturnsAreNotAskedAgain)
{
    const std::string deployments =
        DeploymentXml({2001, kG1, {{"link_user", "value_iddirectory", "1099"}}}) +
        DeploymentXml({2002, kG1, {{"link_user", "value_iddirectory", "1099"}, {"link_legacy_computer", "value_iddirectory", "1098"}}});
    OpenWith(deployments, DeploymentXml({2003, kG2, {}}));
    ASSERT_EQ(Bodies("api/api_objSearch.php").size(), 1u);
    EXPECT_NE(Bodies("api/api_objSearch.php")[0].find("IDARRAY=%2F1099%2F1098%2F&"), std::string::npos)
        << Bodies("api/api_objSearch.php")[0];
    ReplyNth("api/api_objSearch.php", 0, Ok(Xml(1098, kComputerType, kG1, "PC", {})));
    // The refill after the answer, and later ones, ask nothing more.
    view->Fill(1, 0);
    auto* groups = static_cast<DlgDeployments::DlgLHSSelectSG*>(view->Host().Find(DlgDeployments::kKindGroups));
    groups->StoreEnable(kG2, CAttribute(1, static_cast<__int64>(0)));
    EXPECT_EQ(Bodies("api/api_objSearch.php").size(), 1u);
}

TEST_F(DeploymentsView, LookupAnswersFillTheirOwnColumns)
{
    DefineDeployment();
    const std::string d = DeploymentXml({2001, kG1, {{"link_deploy_model", "value_iddirectory", std::to_string(kModel)},
                                                     {"link_fail_code", "value_iddirectory", std::to_string(kFail)}}});
    const std::string models = Xml(kModel, 42, 5, "Model X", {});
    const std::string codes = Xml(kFail, 41, 6, "Disk failure", {});

    struct Case {
        const char* name;
        bool modelFails;
    };
    for (const Case& c : {Case{"reordered", false}, Case{"one failed", true}}) {
        SCOPED_TRACE(c.name);
        if (view)
            main->CloseConsole(DlgDeployments::kConsoleType, 0);
        t.Pump();
        t.transport->m_sent.clear();
        answered.clear();
        OpenWith(d, "");
        const std::vector<std::string> lookups = Bodies("api/api_dirGetLookup.php");
        ASSERT_EQ(lookups.size(), 3u);   // the groups, then one per lookup column
        EXPECT_NE(lookups[1].find("Hardware"), std::string::npos);
        EXPECT_NE(lookups[2].find("Fail"), std::string::npos);
        // The fail codes answer first; the models answer after, or fail.
        ReplyNth("api/api_dirGetLookup.php", 2, Lookup("TYPE='Fail Code'", codes));
        ReplyNth("api/api_dirGetLookup.php", 1, c.modelFails ? Failed() : Lookup("TYPE='Hardware'", models));
        EXPECT_EQ(CellText(2001, 14), L"Disk failure");
        EXPECT_EQ(CellText(2001, 7), c.modelFails ? L"" : L"Model X");
        // One lookup per column and refresh.
        view->Fill(1, 0);
        EXPECT_EQ(Bodies("api/api_dirGetLookup.php").size(), 3u);
    }
}

TEST_F(DeploymentsView, CustomColumnsAndANamedListThatArrivesLater)
{
    DefineDeployment("<attrib id=\"701\" name=\"site_code\" edit=\"\" type=\"value_varchar\"></attrib>"
                     "<attrib id=\"702\" name=\"rush\" edit=\"TYPE=checkbox\" type=\"value_int\">0</attrib>"
                     "<attrib id=\"703\" name=\"due\" edit=\"\" type=\"value_date\">0</attrib>");
    auto mapping = [](__int64 id, const std::string& caption, const std::string& attribute, const std::string& list) {
        return ObjectOf(Xml(id, 60, 6, caption, {{"attrib_name", "value_varchar", attribute},
                                                 {"attrib_list_name", "value_varchar", list},
                                                 {"attrib_object", "value_varchar", "Deployment"},
                                                 {"enable", "value_int", "1"},
                                                 {"console_display_type", "value_int", "1"}}));
    };
    main->m_cache.settings[MainWindowCache::AttributeMapping] = {
        mapping(1101, "Site", "site_code", "SiteCodes"), mapping(1102, "Rush", "rush", ""),
        mapping(1103, "Due", "due", ""), mapping(1104, "Gone", "missing_attribute", "")};
    main->m_cache.attributeCache.clear();

    OpenWith(DeploymentXml({2001, kG1, {{"site_code", "value_varchar", "B2"}, {"rush", "value_int", "1"}}}), "");
    ASSERT_EQ(view->m_headings.size(), 21u);
    EXPECT_EQ(view->m_headings[18].code, DlgDeployments::CodeNamedList);
    EXPECT_EQ(view->m_headings[19].code, DlgDeployments::CodeCheck);
    EXPECT_EQ(view->m_headings[19].width, 20);
    EXPECT_EQ(view->m_headings[20].code, DlgDeployments::CodeValue);
    EXPECT_EQ(Cell(2001, 19).GetType(), 4);
    EXPECT_EQ(Cell(2001, 19).GetValue(), 1);

    // The list is asked for once; its later arrival fills the column.
    ASSERT_EQ(Bodies("api/api_qelGetComms.php").size(), 1u);
    EXPECT_EQ(CellText(2001, 18), L"");
    ReplyNth("api/api_qelGetComms.php", 0,
             Doc("<RC id=\"0\" text=\"\"/><parameters NAME=\"SiteCodes\"/><lang name=\"SiteCodes\">"
                 "<Text name=\"A1\"><Source>Alpha</Source></Text><Text name=\"B2\"><Source>Bravo</Source></Text></lang>"));
    EXPECT_EQ(CellText(2001, 18), L"Bravo");
}

TEST_F(DeploymentsView, RowsOfOneGroupShareOneTintedIconReplacedWhenItArrives)
{
    OpenWith(DeploymentXml({2001, kG1, {{"tree_image", "value_varchar", "deployment"}}}) +
                 DeploymentXml({2002, kG1, {{"tree_image", "value_varchar", "deployment"}}}),
             DeploymentXml({2003, kG2, {{"tree_image", "value_varchar", "deployment"}}}));
    const int first = RowImage(2001);
    EXPECT_GE(first, 0);
    EXPECT_EQ(RowImage(2002), first);
    EXPECT_NE(RowImage(2003), first);
    for (int key : {502, 503, 504, 505})
        EXPECT_NE(view->Report().GetImageForKey(key), first);
    HIMAGELIST images = ListView_GetImageList(view->Report().m_hWnd, LVSIL_SMALL);
    const int count = ImageList_GetImageCount(images);
    // The icon arrives: the group images are replaced in place, none added.
    RequestResult arrived;
    arrived.route = view->Route(DlgDeployments::kReqIcon, 0);
    view->OnReply(arrived);
    EXPECT_EQ(ImageList_GetImageCount(images), count);
    EXPECT_EQ(RowImage(2002), first);
}

TEST_F(DeploymentsView, DeleteKeyAsksNothingAndDeletesNothing)
{
    OpenWith(DeploymentXml({2001, kG1, {}}), "");
    HWND list = view->Report().m_hWnd;
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    t.Pump();
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2001}));
}

TEST_F(DeploymentsView, DraggingFortyRowsShowsThirtyAndTheWizardGetsAllForty)
{
    std::string first;
    for (int i = 0; i < 40; ++i)
        first += DeploymentXml({3000 + i, kG1, {}});
    OpenWith(first, "");
    ASSERT_TRUE(view->Host().SelectPanel(DlgDeployments::kKindSchedule));
    view->Host().RebuildOthers(0);
    HWND list = view->Report().m_hWnd;
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);

    POINT origin = {};
    HIMAGELIST one = ListView_CreateDragImage(list, 0, &origin);
    int cx = 0, rowHeight = 0;
    ImageList_GetIconSize(one, &cx, &rowHeight);
    ImageList_Destroy(one);

    NMLISTVIEW begin = {};
    begin.hdr.hwndFrom = list;
    begin.hdr.idFrom = DlgDeployments::kIdList;
    begin.hdr.code = LVN_BEGINDRAG;
    begin.iItem = 0;
    ::SendMessageW(view->m_hWnd, WM_NOTIFY, DlgDeployments::kIdList, reinterpret_cast<LPARAM>(&begin));
    ASSERT_TRUE(view->m_dragging);
    int height = 0;
    ImageList_GetIconSize(view->m_dragImage, &cx, &height);
    EXPECT_EQ(height, 30 * rowHeight);

    // Over "<not assigned>", then released.
    auto* slot = static_cast<DlgDeployments::DlgLHSSlot*>(view->Host().Find(DlgDeployments::kKindSchedule));
    RECT item = {};
    ::SendMessageW(slot->List(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    POINT pt = {item.left + 2, (item.top + item.bottom) / 2};
    ClientToScreen(slot->List(), &pt);
    ScreenToClient(view->m_hWnd, &pt);
    ::SendMessageW(view->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    t.Pump();
    EXPECT_FALSE(view->m_dragging);
    EXPECT_EQ(g_wizard.opened, 1);
    EXPECT_EQ(g_wizard.ids.size(), 40u);
    EXPECT_EQ(g_wizard.kind, DlgDeployments::kKindSchedule);
    EXPECT_EQ(g_wizard.value, 0xFFFFFFFDu);
    EXPECT_EQ(g_wizard.tag, L"");
}

TEST_F(DeploymentsView, DropOnATagPassesTheTagText)
{
    OpenWith(DeploymentXml({2001, kG1, {{"tag", "value_varchar", "VIP"}}}) +
                 DeploymentXml({2002, kG1, {{"tag", "value_varchar", "Floor 2"}}}),
             "");
    ASSERT_TRUE(view->Host().SelectPanel(DlgDeployments::kKindTags));
    auto* tags = static_cast<DlgDeployments::DlgLHSTag*>(view->Host().Find(DlgDeployments::kKindTags));
    tags->Rebuild();
    HWND list = view->Report().m_hWnd;
    ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
    NMLISTVIEW begin = {};
    begin.hdr.hwndFrom = list;
    begin.hdr.idFrom = DlgDeployments::kIdList;
    begin.hdr.code = LVN_BEGINDRAG;
    ::SendMessageW(view->m_hWnd, WM_NOTIFY, DlgDeployments::kIdList, reinterpret_cast<LPARAM>(&begin));

    // The row of "VIP" (rows sort by text: the all row, "Floor 2", "VIP").
    CGfxObject* row = nullptr;
    for (CGfxObject* child = tags->m_root.FirstChild(); child; child = child->Next())
        if (child->GetData() == 2)
            row = child;
    ASSERT_NE(row, nullptr);
    POINT pt = {(row->m_bounds.left + row->m_bounds.right) / 2, (row->m_bounds.top + row->m_bounds.bottom) / 2};
    ClientToScreen(tags->m_hWnd, &pt);
    ScreenToClient(view->m_hWnd, &pt);
    ::SendMessageW(view->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(view->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    t.Pump();
    EXPECT_EQ(g_wizard.opened, 1);
    EXPECT_EQ(g_wizard.ids.size(), 2u);
    EXPECT_EQ(g_wizard.kind, DlgDeployments::kKindTags);
    EXPECT_EQ(g_wizard.value, 2u);
    EXPECT_EQ(g_wizard.tag, L"VIP");
}

TEST_F(DeploymentsView, ChangeNoticesUpdateMoveAndAddRows)
{
    OpenWith(DeploymentXml({2001, kG1, {{"deployment_status", "value_int", "1"}}}) +
                 DeploymentXml({2002, kG1, {{"deployment_status", "value_int", "1"}}}),
             "");
    auto* groups = static_cast<DlgDeployments::DlgLHSSelectSG*>(view->Host().Find(DlgDeployments::kKindGroups));
    groups->StoreEnable(kG2, CAttribute(1, static_cast<__int64>(0)));
    auto* status = static_cast<DlgDeployments::DlgLHSDepStatus*>(view->Host().Find(DlgDeployments::kKindStatus));
    auto notice = [&](const std::string& xml) {
        Object changed = ObjectOf(xml);
        RequestResult result;
        result.route = view->Route(DlgDeployments::kReqNotice);
        result.attached = &changed;
        view->OnReply(result);
    };
    notice(DeploymentXml({2001, kG1, {{"deployment_status", "value_int", "4"}}}));
    EXPECT_EQ(status->m_counts[83], 1) << "the panels follow the changed status";
    EXPECT_EQ(view->Report().GetItemCount(), 2);
    notice(DeploymentXml({2002, kG2, {}}));   // moved to a group not ticked
    notice(DeploymentXml({2005, kG1, {}}));   // new
    notice(Xml(2006, kUserType, kG1, "Not a deployment", {}));
    EXPECT_EQ(RowIds(), (std::vector<__int64>{2001, 2005}));
}

TEST_F(DeploymentsView, DoubleClickOpensTheDeployment)
{
    OpenWith(DeploymentXml({2001, kG1, {}}), "");
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = view->Report().m_hWnd;
    click.hdr.idFrom = DlgDeployments::kIdList;
    click.hdr.code = NM_DBLCLK;
    click.iItem = 0;
    ::SendMessageW(view->m_hWnd, WM_NOTIFY, DlgDeployments::kIdList, reinterpret_cast<LPARAM>(&click));
    t.Pump();
    EXPECT_NE(main->FindConsole(DlgDeployment::kConsoleType, 2001), nullptr);
}

TEST_F(DeploymentsView, ColumnLayoutIsKeptUnderOneNameForEveryConnection)
{
    OpenWith("", "");
    main->CloseConsole(DlgDeployments::kConsoleType, 0);
    t.Pump();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QEL\\DlgScheduleGroup::CPageDeployments", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    if (key)
        RegCloseKey(key);
    CTRegKey settings;
    EXPECT_EQ(ViewKey(settings).ReadDword(L"LHSDlg", 0), 7u);
}

} // namespace
