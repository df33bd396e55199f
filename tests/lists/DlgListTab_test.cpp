// The settings list tabs on a plain settings pane of a signed-in main window with a recording server
// client: each kind's caption, buttons and form; the type before the rows of the tab's folder;
// save results and resending a failed row; notices of other folders ignored; hidden refreshes
// deferred; Sync rows copied and pasted; attribute-map choices narrowed by the row's attribute object.
#include <gtest/gtest.h>
#include "app/AppFixture.h"
#include <commctrl.h>
#include "lists/DlgListAttributeMap.h"
#include "lists/DlgListTab.h"
#include "lists/DlgListTabKinds.h"
#include "lists/ListWindows.h"
#include "lists/SettingsTabsPane.h"
#include "session/RequestResult.h"

using namespace apptest;

namespace {

std::string TypeXml(int number, const char* name, const char* columns, const char* extra = "")
{
    return "<type id=\"" + std::to_string(number) + "\" type=\"" + std::to_string(number) +
           "\" parent=\"0\" serial=\"1\" name=\"" + name +
           "\"><attrib id=\"5\" name=\"console_edit_attribs\" edit=\"\" type=\"value_varchar\">" + columns +
           "</attrib>" + extra + "</type>";
}

std::string ObjectXml(int id, int type, int parent, const std::string& name, const std::string& inner = "")
{
    return "<object id=\"" + std::to_string(id) + "\" type=\"" + std::to_string(type) + "\" parent=\"" +
           std::to_string(parent) + "\" serial=\"" + std::to_string(id) + "\" name=\"" + name +
           "\" created=\"1700000000\" updated=\"1700000000\">" + inner + "</object>";
}

std::string Code(int value)
{
    return "<attrib id=\"30\" name=\"code\" edit=\"\" default=\"0\" inherit=\"0\" type=\"value_int\">" +
           std::to_string(value) + "</attrib>";
}

std::vector<int> ToolbarCommands(DlgListTab& tab)
{
    std::vector<int> out;
    HWND toolbar = tab.Report().m_toolbar.m_hWnd;
    if (!toolbar)
        return out;
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (!(button.fsStyle & BTNS_SEP))
            out.push_back(button.idCommand);
    }
    return out;
}

struct Settings : TestApp {
    BoxRecorder boxes;
    SettingsTabsPane* pane = nullptr;
    Settings()
    {
        RegisterListWindows(app->m_catalogue);
        MainWindowCache& cache = app->m_mainWindow->m_cache;
        cache.systemSettings.id = 300;
        cache.systemSettings.parent = 6;
        cache.deploymentTypesFolder = 3;
        cache.deploymentStatusFolder = 5;
        app->m_mainWindow->ShowConsole(SettingsTabsPane::kConsoleType, 0, false);
        Pump();
        pane = dynamic_cast<SettingsTabsPane*>(app->m_mainWindow->FindConsole(SettingsTabsPane::kConsoleType, 0));
    }
    void Reply(const std::string& path, const std::string& inner, int which = -1)
    {
        Answer(path, XmlHeaders(), Doc(inner), which);
    }
    // The last request to path, with its body.
    const Sent* Last(const std::string& path) const
    {
        for (auto it = transport->m_sent.rbegin(); it != transport->m_sent.rend(); ++it)
            if (it->path == path)
                return &*it;
        return nullptr;
    }
    // Shows the tab, answers its type and its rows.
    DlgListTab* Load(int tabId, const std::string& type, const std::string& objects)
    {
        pane->SelectTab(tabId);
        DlgListTab* tab = pane->FindTab(tabId);
        if (!tab)
            return nullptr;
        tab->Refresh();
        Reply("api/api_objType.php", type);
        Reply("api/api_objSearch.php", objects);
        return tab;
    }
    void Select(DlgListTab& tab, int item)
    {
        ListView_SetItemState(tab.Report().m_hWnd, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(tab.Report().m_hWnd, item, LVIS_SELECTED, LVIS_SELECTED);
    }
};

} // namespace

TEST(DlgListTab, KindsHaveTheirCaptionButtonsAndForm)
{
    Settings t;
    ASSERT_NE(t.pane, nullptr);
    struct Case {
        int tabId;
        const wchar_t* caption;
        std::vector<int> buttons;
        int form;   // window type a row opens, 0 none
    };
    const std::vector<int> plain = {257, 258}, properties = {257, 258, 264};
    const Case cases[] = {
        {1047, L"Exception", plain, 0},
        {1048, L"Deployment Type", properties, 39},
        {1049, L"Deployment Status", properties, 43},
        {1050, L"User Portal", properties, 40},
        {1052, L"Admin Portal Page", properties, 47},
        {1053, L"Staging Template", properties, 41},
        {1058, L"Sync", {257, 258, 264, 262, 263}, 46},
        {1060, L"Reports (v3)", {}, 0},
        {1065, L"Request Type", properties, 52},
        {1046, L"Attribute Mapping", plain, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tabId);
        DlgListTab* tab = t.pane->FindTab(c.tabId);
        ASSERT_NE(tab, nullptr);
        EXPECT_EQ(std::wstring(tab->m_caption.GetBuffer()), c.caption);
        EXPECT_EQ(ToolbarCommands(*tab), c.buttons);
        EXPECT_EQ(ListTabFormType(c.tabId), c.form);

        // Double-clicking a saved row opens its form, keyed by the row's id, or nothing.
        const std::string typeName = Narrow(tab->m_typeName);
        tab = t.Load(c.tabId, TypeXml(60, typeName.c_str(), "Name"), ObjectXml(9000 + c.tabId, 60, 6, "one"));
        ASSERT_EQ(tab->Report().GetItemCount(), 1);
        t.Select(*tab, 0);
        NMITEMACTIVATE activate = {};
        activate.hdr = {tab->Report().m_hWnd, DlgListTab::kIdList, static_cast<UINT>(NM_DBLCLK)};
        activate.iItem = 0;
        SendMessageW(tab->m_hWnd, WM_NOTIFY, DlgListTab::kIdList, reinterpret_cast<LPARAM>(&activate));
        for (int type : {39, 40, 41, 43, 46, 47, 52}) {
            EXPECT_EQ(t.app->m_windows.FindWindow(type, 9000 + c.tabId) != nullptr, type == c.form) << type;
            t.app->m_windows.CloseWindows(type, 0);
        }
        t.app->m_windows.DeleteClosedWindows();
    }
}

TEST(DlgListTab, LoadsItsFolderAfterItsTypeAndSavesOneRowAtATime)
{
    Settings t;
    ASSERT_NE(t.pane, nullptr);
    // The shown tab asked its type at creation; the others wait for their type as well.
    EXPECT_GE(t.transport->CountPath("api/api_objType.php"), 1u);
    EXPECT_EQ(t.transport->CountPath("api/api_objSearch.php"), 0u);

    const std::string type = TypeXml(11, "Deployment Status", "Name|code");
    DlgListTab* tab = t.Load(1049, type, ObjectXml(80, 11, 5, "Scheduled", Code(1)) +
                                             ObjectXml(81, 11, 5, "Completed", Code(2)));
    ASSERT_NE(tab, nullptr);
    const Sent* search = t.Last("api/api_objSearch.php");
    ASSERT_NE(search, nullptr);
    EXPECT_NE(search->body.find("TYPE=Deployment+Status"), std::string::npos) << search->body;
    EXPECT_NE(search->body.find("PARENT=5"), std::string::npos) << search->body;
    ASSERT_EQ(tab->Report().GetItemCount(), 2);
    EXPECT_FALSE(tab->m_modified);

    // Nothing to send: true at once.
    EXPECT_TRUE(tab->SaveChanges());

    // One edit and one new row: the first save sends one, a failure stops the chain and the next
    // save sends that row again.
    tab->SetCellValue(tab->rows.front(), 2, CAttribute(CAttribute::Integer, 7));
    SendMessageW(tab->m_hWnd, WM_COMMAND, DlgListTab::kCmdNew, 0);
    EXPECT_TRUE(tab->m_modified);
    ASSERT_EQ(tab->Report().GetItemCount(), 3);
    EXPECT_FALSE(tab->SaveChanges());
    ASSERT_EQ(t.transport->CountPath("api/api_objSet.php"), 1u);
    EXPECT_NE(t.Last("api/api_objSet.php")->body.find("ID=80"), std::string::npos);
    t.Answer("api/api_objSet.php", XmlHeaders(), "<?xml version=\"1.0\"?><result><RC id=\"569\" text=\"No\"/></result>");
    EXPECT_EQ(t.transport->CountPath("api/api_objNew.php"), 0u);
    EXPECT_FALSE(tab->SaveChanges());
    ASSERT_EQ(t.transport->CountPath("api/api_objSet.php"), 2u);
    EXPECT_NE(t.Last("api/api_objSet.php")->body.find("ID=80"), std::string::npos);
    t.Reply("api/api_objSet.php", ObjectXml(80, 11, 5, "Scheduled", Code(7)));
    ASSERT_EQ(t.transport->CountPath("api/api_objNew.php"), 1u);
    EXPECT_NE(t.Last("api/api_objNew.php")->body.find("PARENT=5"), std::string::npos);
    t.Reply("api/api_objNew.php", ObjectXml(89, 11, 5, "New status", Code(0)));
    EXPECT_TRUE(tab->SaveChanges());

}

TEST(DlgListTab, NoticesOfOtherFoldersAreIgnoredAndHiddenRefreshesWait)
{
    Settings t;
    ASSERT_NE(t.pane, nullptr);
    const std::string type = TypeXml(10, "Deployment Type", "Name");
    DlgListTab* tab = t.Load(1048, type, ObjectXml(70, 10, 3, "Refresh"));
    ASSERT_NE(tab, nullptr);

    auto notice = [&](int id, int parent, const wchar_t* name) {
        Object object;
        object.id = id;
        object.type = 10;
        object.parent = parent;
        object.name = name;
        RequestResult result;
        result.route.targetType = CTWndConsole::kMainWindowType;
        result.route.consoleType = SettingsTabsPane::kConsoleType;
        result.route.consoleKey = 1048;
        result.route.requestId = DlgListTab::kReqNotice;
        result.attached = &object;
        t.app->m_mainWindow->OnResult(&result);
        t.Pump();
    };
    notice(71, 99, L"Elsewhere");
    EXPECT_EQ(tab->Report().GetItemCount(), 1);
    notice(71, 3, L"New starter");
    EXPECT_EQ(tab->Report().GetItemCount(), 2);
    notice(70, 3, L"Renamed");
    ASSERT_EQ(tab->Report().GetItemCount(), 2);
    Object row;
    EXPECT_EQ(std::wstring(tab->GetRowObject(row, 70).name.GetBuffer()), L"Renamed");

    // Hidden, refreshes only wait; shown again, the tab reloads once.
    t.pane->SelectTab(1047);
    const size_t sent = t.transport->m_sent.size();
    tab->Refresh();
    SendMessageW(tab->m_hWnd, DlgListTab::kMsgRefresh, 0, 0);
    EXPECT_EQ(t.transport->m_sent.size(), sent);
    t.pane->SelectTab(1048);
    ASSERT_EQ(t.transport->m_sent.size(), sent + 1);
    EXPECT_EQ(t.transport->m_sent.back().path, "api/api_objType.php");
    EXPECT_EQ(tab->Report().GetItemCount(), 0);
}

TEST(DlgListTab, SyncRowsCopyBothFormatsAndPasteOnlyACopiedRow)
{
    Settings t;
    ASSERT_NE(t.pane, nullptr);
    DlgListTab* tab = t.Load(1058, TypeXml(61, "Sync", "Name"), ObjectXml(140, 61, 6, "Nightly"));
    ASSERT_NE(tab, nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();

    // Nothing copied: paste sends nothing.
    SendMessageW(tab->m_hWnd, WM_COMMAND, DlgListTab::kCmdPaste, 0);
    EXPECT_EQ(t.transport->CountPath("api/api_objCopy.php"), 0u);

    // Without a selected row, Copy does nothing.
    SendMessageW(tab->m_hWnd, WM_COMMAND, DlgListTab::kCmdCopy, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    CloseClipboard();

    t.Select(*tab, 0);
    SendMessageW(tab->m_hWnd, WM_COMMAND, DlgListTab::kCmdCopy, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE id = GetClipboardData(RegisterClipboardFormatW(L"TavikDlgListProperties"));
    HANDLE text = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(id, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(*static_cast<const __int64*>(GlobalLock(id)), 140);
    GlobalUnlock(id);
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(text))), L"ID=140");
    GlobalUnlock(text);
    CloseClipboard();

    SendMessageW(tab->m_hWnd, WM_COMMAND, DlgListTab::kCmdPaste, 0);
    ASSERT_EQ(t.transport->CountPath("api/api_objCopy.php"), 1u);
    const std::string body = t.Last("api/api_objCopy.php")->body;
    EXPECT_NE(body.find("ID=140"), std::string::npos) << body;
    EXPECT_NE(body.find("6"), std::string::npos) << body;
    // The copy shows up through the reload its reply starts.
    const size_t types = t.transport->CountPath("api/api_objType.php");
    t.Reply("api/api_objCopy.php", "");
    EXPECT_EQ(t.transport->CountPath("api/api_objType.php"), types + 1);
}

namespace {
class Renders : public ObjectListChoiceSource {
public:
    std::vector<Object> objects;
    void ForEachSettingsObjectOfType(const CTString& typeName,
                                     const std::function<void(const Object&)>& fn) const override
    {
        for (const Object& object : objects)
            if (typeName.Compare(L"Portal Render") == 0)
                fn(object);
    }
};

Object Render(__int64 id, const wchar_t* name, const CAttribute& attribObject)
{
    Object object;
    object.id = id;
    object.name = name;
    if (!attribObject.GetString().IsEmpty()) {
        Object::Attribute& a = object.attributes[40];
        a.CAttribute::Assign(attribObject);
        a.name = L"attrib_object";
    }
    return object;
}
} // namespace

TEST(DlgListAttributeMap, RowsOfferOnlyTheRendersOfTheirAttributeObject)
{
    DlgListAttributeMap map;
    Renders renders;
    renders.objects = {Render(501, L"Laptop card", CAttribute(CAttribute::Text, L"Computer")),
                       Render(502, L"Person card", CAttribute(CAttribute::Text, L"Person")),
                       Render(503, L"Laptop list", CAttribute(CAttribute::Text, L"Computer")),
                       Render(504, L"Unbound", CAttribute())};
    map.choiceSource = &renders;

    auto specOf = [&](const wchar_t* attribObject, const wchar_t* column = L"link_portal_render") {
        Object row;
        if (attribObject) {
            Object::Attribute& a = row.attributes[7];
            a.CAttribute::Assign(CAttribute(CAttribute::Text, attribObject));
            a.name = L"attrib_object";
        }
        CTString spec(L"TYPE='Portal Render'");
        map.OnLinkColumn(row, CTString(column), spec);
        return spec;
    };
    const CTString computer = specOf(L"Computer"), person = specOf(L"Person"), none = specOf(nullptr);
    EXPECT_EQ(std::wstring(computer.GetBuffer()), L"TYPE='Portal Render'|OBJECT=Computer");
    EXPECT_EQ(std::wstring(none.GetBuffer()), L"TYPE='Portal Render'|OBJECT=");
    EXPECT_EQ(std::wstring(specOf(L"Computer", L"link_other").GetBuffer()), L"TYPE='Portal Render'");

    auto choices = [&](const CTString& spec) {
        CTListCtrlEdit::Choices out;
        map.FillChoicesFromSpec(spec, out);
        std::vector<std::pair<unsigned, std::wstring>> list;
        for (const auto& [key, text] : out)
            list.push_back({key, text.GetBuffer() ? text.GetBuffer() : L""});
        return list;
    };
    using List = std::vector<std::pair<unsigned, std::wstring>>;
    EXPECT_EQ(choices(computer), (List{{0, L" "}, {501, L"Laptop card"}, {503, L"Laptop list"}}));
    EXPECT_EQ(choices(person), (List{{0, L" "}, {502, L"Person card"}}));
    // A text OBJECT never equals a missing attribute: the empty choice list holds the blank only.
    EXPECT_EQ(choices(none), (List{{0, L" "}}));
    EXPECT_EQ(choices(CTString(L"TYPE='Nothing'|OBJECT=Computer")), (List{{0, L" "}}));
}
