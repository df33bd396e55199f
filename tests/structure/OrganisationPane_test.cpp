// The organisation pane against a recording transport: locations listed once and orders as often as
// they come, order columns as the union of the orders' display attributes, one path request per
// parent, the splitter position read from the registry, and a hidden pane that waits.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "framework/CTRegKey.h"
#include "structure/DlgOrganisation.h"

using namespace structuretest;

namespace {

constexpr int kOrganisationType = 2, kSiteType = 4, kOrderType = 34, kLocationType = 35;
constexpr int kHardwareOrder = 100, kServiceOrder = 101;
constexpr __int64 kOrganisation = 2030;

std::wstring Text(const CTString& text) { return text.GetBuffer() ? text.GetBuffer() : L""; }

struct OrganisationPaneTest : ::testing::Test {
    apptest::TestApp t;

    OrganisationPaneTest()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kOrganisationType, L"Organisation");
        DefineStructureType(*t.app, kSiteType, L"Site");
        DefineStructureType(*t.app, kLocationType, L"Asset Location");
        DefineStructureType(*t.app, kOrderType, L"Order");
        DefineStructureType(*t.app, kHardwareOrder, L"Hardware Order").parent = kOrderType;
        DefineStructureType(*t.app, kServiceOrder, L"Service Order").parent = kOrderType;
        t.app->m_server = L"srv-d";
    }

    DlgOrganisation* Show(__int64 id)
    {
        t.app->m_mainWindow->ShowConsole(DlgOrganisation::kConsoleType, id, false);
        t.Pump();
        return dynamic_cast<DlgOrganisation*>(t.app->m_mainWindow->FindConsole(DlgOrganisation::kConsoleType, id));
    }

    void AnswerList(const std::string& objects)
    {
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/><parameters PARENT=\"ALL-INHERIT\"/>" + objects));
    }

    static std::string Order(__int64 id, int type, const std::string& name, const std::string& display)
    {
        return ObjectXml(id, type, name,
                         Attr(401, "console_display_attribs", "value_varchar", display) +
                             Attr(402, "status", "value_varchar", "open") +
                             Attr(207, "due", "value_date", "1700000000", "edit=\"TYPE=Date\""),
                         500);
    }

    static std::wstring Header(CTListCtrlReport& list, int column)
    {
        wchar_t buffer[128] = {};
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT;
        info.pszText = buffer;
        info.cchTextMax = 128;
        ListView_GetColumn(list.m_hWnd, column, &info);
        return buffer;
    }
};

} // namespace

TEST(OrderColumns, AreTheUnionOfEachTypesDisplayAttributes)
{
    auto order = [](int type, const wchar_t* display) {
        Object o;
        o.type = type;
        Object::Attribute& a = o.attributes[401];
        a.name = L"console_display_attribs";
        a.Assign(CAttribute(CTString(display)));
        return o;
    };
    std::vector<CTString> columns = DlgOrganisation::BuildOrderColumns(
        {order(kHardwareOrder, L"Name|status"), order(kHardwareOrder, L"ignored"), order(kServiceOrder, L" \"status\" |due")});
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(Text(columns[0]), L"Name");
    EXPECT_EQ(Text(columns[1]), L"status");
    EXPECT_EQ(Text(columns[2]), L"due");
    EXPECT_EQ(Text(DlgOrganisation::OrderColumnSpec(columns)), L"\"Name\";\"status\";\"due\";");
    EXPECT_EQ(Text(DlgOrganisation::OrderColumnSpec({})), L" ");
}

TEST_F(OrganisationPaneTest, ListsLocationsOnceAndOrdersAsOftenAsTheyCome)
{
    DlgOrganisation* pane = Show(kOrganisation);
    ASSERT_NE(pane, nullptr);
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0], (Fields{{"TYPE", "Asset Location,Site,Order"}, {"PARENT", "ALL-INHERIT"},
                                   {"ATTRIB", "link_organisation"}, {"SEARCH", "2030"}, {"RETURNPATH", "0"}}));
    CTListCtrlReportEx& locations = pane->m_locationsList.m_report;
    CTListCtrlReportEx& orders = pane->m_ordersList.m_report;
    const std::string store = ObjectXml(2031, kLocationType, "Store", "", 2040);
    const std::string depot = ObjectXml(2032, kSiteType, "Depot", "", 2040);
    AnswerList(store + depot + store + Order(2033, kHardwareOrder, "Laptops", "Name|status") +
               Order(2034, kServiceOrder, "Repairs", "status|due") + Order(2034, kServiceOrder, "Repairs", "status|due"));
    EXPECT_EQ(locations.GetItemCount(), 2);
    EXPECT_EQ(orders.GetItemCount(), 3);
    EXPECT_EQ(Header(orders, 0), L"Name");
    EXPECT_EQ(Header(orders, 1), L"status");
    EXPECT_EQ(Header(orders, 2), L"due");
    CAttribute due;
    ASSERT_TRUE(orders.GetCell(orders.FindRowByData(reinterpret_cast<void*>(2033)), 2, due));
    EXPECT_EQ(due.GetType(), CAttribute::Date);
    EXPECT_EQ(due.GetValue(), 1700000000);

    // Both locations share a parent: one path request, and both names gain the path.
    std::vector<Fields> paths = Sent(t, "api/api_dirIDToPath.php");
    ASSERT_EQ(paths.size(), 1u);
    t.Answer("api/api_dirIDToPath.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"2040\"/><value path=\"\\Acme\\North\"/>"));
    CAttribute name;
    locations.GetCell(locations.FindRowByData(reinterpret_cast<void*>(2032)), 0, name);
    EXPECT_STREQ(name.GetText(), L"\\Acme\\North\\Depot");
}

TEST_F(OrganisationPaneTest, EmptyAndFailedListsShowNoResults)
{
    DlgOrganisation* pane = Show(kOrganisation);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(Text(pane->m_locationsList.m_report.m_emptyText), L"No Locations");
    EXPECT_EQ(Text(pane->m_ordersList.m_report.m_emptyText), L"No Orders");
    AnswerList("");
    EXPECT_EQ(Text(pane->m_locationsList.m_report.m_emptyText), L"No Results Found");
    EXPECT_EQ(Text(pane->m_ordersList.m_report.m_emptyText), L"No Results Found");
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(pane->m_ordersList.m_report.m_hWnd)), 1) << "one blank column";
}

TEST_F(OrganisationPaneTest, SplitterPositionIsReadAndNeverWritten)
{
    CTRegKey key(104, nullptr, L"Settings\\srv-d\\DlgOrganisation");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QEL\\Settings\\srv-d\\DlgOrganisation", L"SplitterPos");
    EXPECT_EQ(DlgOrganisation::ReadSplitterPosition(CTString(L"srv-d")), 280);
    DlgOrganisation* pane = Show(kOrganisation);
    ASSERT_NE(pane, nullptr);
    SetWindowPos(pane->m_hWnd, nullptr, 0, 0, 600, 300, SWP_NOZORDER | SWP_NOMOVE);
    SendMessageW(pane->m_hWnd, DlgOrganisation::kMsgRestoreSplitter, 0, 0);
    RECT client = {};
    GetClientRect(pane->m_hWnd, &client);
    RECT orders = {};
    GetWindowRect(pane->m_ordersList.m_hWnd, &orders);
    EXPECT_GE(orders.bottom - orders.top, DlgOrganisation::kSecondMin) << "clamped so the orders keep their minimum";
    EXPECT_EQ(key.ReadDword(L"SplitterPos", 7), 7u) << "nothing written";

    key.WriteDword(L"SplitterPos", 400);
    EXPECT_EQ(DlgOrganisation::ReadSplitterPosition(CTString(L"srv-d")), 400);
    SetWindowPos(pane->m_hWnd, nullptr, 0, 0, 600, 900, SWP_NOZORDER | SWP_NOMOVE);
    SendMessageW(pane->m_hWnd, DlgOrganisation::kMsgRestoreSplitter, 0, 0);
    EXPECT_EQ(pane->m_splitter.GetPosition(), 400);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QEL\\Settings\\srv-d\\DlgOrganisation", L"SplitterPos");
}

TEST_F(OrganisationPaneTest, AHiddenPaneSendsNothingUntilShown)
{
    DlgOrganisation* pane = Show(kOrganisation);
    ASSERT_NE(pane, nullptr);
    Show(kOrganisation + 1);
    ASSERT_FALSE(pane->m_visible);
    const size_t before = t.transport->m_sent.size();
    pane->Refresh();
    EXPECT_EQ(t.transport->m_sent.size(), before);
    Show(kOrganisation);
    EXPECT_GT(t.transport->m_sent.size(), before);
}

TEST_F(OrganisationPaneTest, AnIconReplyRefreshesTheFirstListImageToo)
{
    DlgOrganisation* pane = Show(kOrganisation);
    ASSERT_NE(pane, nullptr);
    AnswerList(ObjectXml(2035, kLocationType, "Store", Attr(103, "tree_image", "value_varchar", "icons/store-d.png"), 0));
    const int appIndex = t.app->FindIcon(CTString(L"icons/store-d.png"));
    ASSERT_GE(appIndex, 0);
    CTListCtrlReportEx& report = pane->m_locationsList.m_report;
    ASSERT_TRUE(report.HasImageForKey(appIndex));
    ASSERT_EQ(report.GetImageForKey(appIndex), 0) << "the list's first image";

    BYTE bits[16 * 16 * 4];
    for (int i = 0; i < 16 * 16; ++i) {
        bits[i * 4] = 0;
        bits[i * 4 + 1] = 0;
        bits[i * 4 + 2] = 255;
        bits[i * 4 + 3] = 255;
    }
    HBITMAP colour = CreateBitmap(16, 16, 1, 32, bits);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON red = CreateIconIndirect(&info);
    ImageList_ReplaceIcon(t.app->m_smallImages, appIndex, red);
    DestroyIcon(red);
    DeleteObject(colour);
    DeleteObject(mask);
    EXPECT_NE(apptest::CentreColour(report.m_imageList, 0), RGB(255, 0, 0));
    RequestResult result;
    result.route = t.app->m_mainWindow->GetPaneKey(pane);
    result.route.requestId = DlgOrganisation::kReqIcon;
    result.route.param2 = appIndex;
    pane->OnReply(result);
    EXPECT_EQ(apptest::CentreColour(report.m_imageList, 0), RGB(255, 0, 0));
}
