// The pick page in an object form of an application with a recording server client: a page
// loaded while hidden fills when first shown, locked rows cannot be unticked, the Select menu
// offers a sub-menu per link column, saving posts 1028 with the post value at once when nothing
// is pending and otherwise once every row is settled, and a failed link goes again.
#include <gtest/gtest.h>
#include "app/AppFixture.h"
#include <commctrl.h>
#include "framework/CWMForm.h"
#include "framework/PopupMenuDriver.h"
#include "lists/CPickPage.h"
#include "lists/ListsFixture.h"

using namespace apptest;

namespace {

constexpr int kRequest = 3100, kPost = 77;

Object LinkType()
{
    Object type;
    type.type = 60;
    type.name = L"Menu Link";
    AddAttribute(type, 1, L"console_edit_attribs", CAttribute(CAttribute::Text, L"visible|position"));
    AddAttribute(type, 7, L"link_menu", CAttribute(CAttribute::Integer, 0ll), L"", Object::Attribute::Link);
    AddAttribute(type, 8, L"visible", CAttribute(CAttribute::Integer, 0ll), L"TYPE=Checkbox");
    AddAttribute(type, 9, L"position", CAttribute(CAttribute::Integer, 1ll), L"VALUES=top,bottom");
    return type;
}

Object Candidate(__int64 id, const wchar_t* name)
{
    Object o;
    o.id = id;
    o.type = 61;
    o.name = name;
    AddAttribute(o, 3, L"display_name", CAttribute(CAttribute::Text, (std::wstring(name) + L" shown").c_str()));
    return o;
}

struct Form : CWindowManager::CWMForm {
    Object object;
    Form()
    {
        m_key = 90;
        m_type = 5;
        object.id = 90;
        m_templateId = 170;
        m_tabId = 1187;
        m_headerId = 105;
    }
    void* GetObject() override { return &object; }
};

class MenuChoice : public PopupMenuDriver {
public:
    UINT command = 0;
    std::vector<std::wstring> popups;   // captions of the sub-menus
    std::vector<UINT> subCommands;
    MenuChoice() { PopupMenuDriver::Install(this); }
    ~MenuChoice() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            if (HMENU sub = GetSubMenu(menu, i)) {
                wchar_t text[64] = {};
                GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
                popups.push_back(text);
                for (int j = 0; j < GetMenuItemCount(sub); ++j)
                    subCommands.push_back(GetMenuItemID(sub, j));
            }
        return command;
    }
};

struct Page : TestApp {
    Form form;
    CPickPage* page = nullptr;
    std::vector<int> events;
    Page()
    {
        EXPECT_TRUE(form.Create(nullptr, nullptr, 0, L"PickPageTest"));
        page = static_cast<CPickPage*>(form.AddPage(new CPickPage(CTString(L"Menus"), kRequest, LinkType(), kPost,
                                                                  [this](CPickPage::TYPE type, CTWndToolbar&) {
                                                                      events.push_back(type);
                                                                  })));
    }
    ~Page() { form.Close(); }
    void Candidates()
    {
        std::vector<Object> candidates = {Candidate(501, L"Home"), Candidate(502, L"Reports"),
                                          Candidate(503, L"Admin")};
        std::vector<__int64> locked = {503};
        Object link = LinkType();
        link.id = 700;
        link.serial = 7;
        link.parent = 90;
        link.SetAttribute(CTString(L"link_menu"), CAttribute(CAttribute::Integer, 502ll));
        page->SetExistingLinks({link});
        page->SetCandidates(candidates, 1, 0, CTString(L"Display Name"), locked);
        EXPECT_TRUE(candidates.empty());
        EXPECT_TRUE(locked.empty());
    }
    ObjectPick::Row& RowOf(__int64 id)
    {
        for (ObjectPick::Row& row : page->m_model.rows)
            if (row.target.id == id)
                return row;
        ADD_FAILURE() << id;
        return page->m_model.rows.front();
    }
    // The page's 1028 messages posted to the form, taken off the queue (the form's own controls
    // use the same number with other values).
    std::vector<LPARAM> Posted()
    {
        std::vector<LPARAM> out;
        MSG msg;
        while (PeekMessageW(&msg, form.m_hWnd, CPickPage::kMsgSaved, CPickPage::kMsgSaved, PM_REMOVE))
            if (msg.lParam == kPost)
                out.push_back(msg.lParam);
        return out;
    }
    void Reply(ObjectPick::Row& row, const char* body, int rc = 0)
    {
        RequestResult result;
        result.route.requestId = kRequest;
        result.route.param2 = reinterpret_cast<__int64>(&row);
        result.kind = RequestResult::KindServerAnswer;
        result.returnCode = rc;
        result.resultCode = rc ? RequestResult::CodeFailed : RequestResult::CodeOk;
        std::wstring text;
        for (const char* p = body; *p; ++p)
            text += static_cast<wchar_t>(*p);
        result.document.Parse(text.c_str(), nullptr, 0);
        page->OnResult(result);
    }
};

} // namespace

TEST(CPickPage, FillsWhenShownWithLockedRowsAndReadableCells)
{
    Page t;
    t.Candidates();
    // Hidden: the load waits.
    t.page->Load();
    EXPECT_TRUE(t.page->m_model.rows.empty());
    ASSERT_TRUE(t.form.ShowPages());
    t.Pump();
    ASSERT_EQ(t.page->m_model.rows.size(), 3u);
    CTListCtrlReportEx& report = t.page->Report();
    ASSERT_EQ(report.GetItemCount(), 3);
    EXPECT_EQ(t.events, (std::vector<int>{CPickPage::ToolbarCreated, CPickPage::Filled}));

    // The tick, "Name", the link's two items and the target's "display_name".
    EXPECT_EQ(t.page->m_model.columnNames.size(), 5u);
    ObjectPick::Row& reports = t.RowOf(502);
    const int item = report.FindRowByData(&reports);
    CAttribute cell;
    ASSERT_TRUE(report.GetCell(item, 4, cell));
    EXPECT_EQ(std::wstring(cell.GetText()), L"Reports shown");
    // An index into VALUES shows its item, read-only.
    ASSERT_TRUE(report.GetCell(item, 3, cell));
    EXPECT_EQ(std::wstring(cell.GetText()), L"bottom");
    EXPECT_TRUE(t.page->m_editor.IsReadOnly(&reports, 3));

    // The linked row is ticked, the locked one ticked and its tick read-only.
    EXPECT_TRUE(t.page->m_model.IsTicked(reports));
    EXPECT_TRUE(t.page->m_model.IsTicked(t.RowOf(503)));
    EXPECT_TRUE(t.page->m_editor.IsReadOnly(&t.RowOf(503), 0));
    EXPECT_FALSE(t.page->m_model.IsTicked(t.RowOf(501)));
}

TEST(CPickPage, SelectMenuInvertsUnlockedRowsAndSavesPostTheirCompletion)
{
    Page t;
    t.Candidates();
    ASSERT_TRUE(t.form.ShowPages());
    t.form.LoadPages();
    t.Pump();
    ASSERT_EQ(t.page->m_model.rows.size(), 3u);

    // Nothing to send: the completion is posted at once.
    t.page->Save();
    EXPECT_EQ(t.Posted(), (std::vector<LPARAM>{kPost}));
    EXPECT_EQ(t.events.back(), CPickPage::SavedNothing);
    EXPECT_TRUE(t.transport->m_sent.empty());

    // The Select menu: one sub-menu per link column, renumbered 5000 + 3k.
    MenuChoice menu;
    menu.command = CPickPage::kCmdInvert;
    SendMessageW(t.page->m_hWnd, WM_COMMAND, CPickPage::kCmdSelect, 0);
    EXPECT_EQ(menu.popups, (std::vector<std::wstring>{L"visible", L"position"}));
    EXPECT_EQ(menu.subCommands, (std::vector<UINT>{5000, 5001, 5002, 5003, 5004, 5005}));
    // Invert swapped the two unlocked rows and left the locked one.
    EXPECT_TRUE(t.page->m_model.IsTicked(t.RowOf(501)));
    EXPECT_FALSE(t.page->m_model.IsTicked(t.RowOf(502)));
    EXPECT_TRUE(t.page->m_model.IsTicked(t.RowOf(503)));
    EXPECT_TRUE(t.form.IsModified());

    // Both rows go at once; the completion waits for both replies.
    t.page->Save();
    ASSERT_EQ(t.transport->m_sent.size(), 2u);
    EXPECT_EQ(t.transport->CountPath("api/api_objNew.php"), 1u);
    EXPECT_EQ(t.transport->CountPath("api/api_objDelete.php"), 1u);
    t.Reply(t.RowOf(502), "<result></result>");
    EXPECT_EQ(t.Posted(), std::vector<LPARAM>{});
    // A failed create leaves its row pending: no completion, and the next save sends it again alone.
    t.Reply(t.RowOf(501), "<result><RC id=\"5\"/></result>", 5);
    EXPECT_EQ(t.Posted(), std::vector<LPARAM>{});
    t.page->Save();
    ASSERT_EQ(t.transport->m_sent.size(), 3u);
    EXPECT_EQ(t.transport->m_sent.back().path, "api/api_objNew.php");
    t.Reply(t.RowOf(501), "<result><insert_id>801</insert_id></result>");
    EXPECT_EQ(t.Posted(), (std::vector<LPARAM>{kPost}));
    EXPECT_EQ(t.RowOf(501).link.id, 801);
    EXPECT_EQ(t.RowOf(502).link.id, 0);
}

namespace {

// A report link type whose edited column links an owner object, with a row icon of its own.
Object ReportLinkType()
{
    Object type;
    type.type = 62;
    type.name = L"Link [RP]";
    AddAttribute(type, 1, L"console_edit_attribs", CAttribute(CAttribute::Text, L"link_owner"));
    AddAttribute(type, 2, L"tree_image", CAttribute(CAttribute::Text, L"report-link.ico"));
    AddAttribute(type, 7, L"link_report", CAttribute(CAttribute::Integer, 0ll), L"", Object::Attribute::Link);
    AddAttribute(type, 8, L"link_owner", CAttribute(CAttribute::Integer, 0ll), L"TYPE='Administrator'",
                 Object::Attribute::Link);
    return type;
}

Object ReportLink(__int64 id, __int64 report, __int64 owner)
{
    Object link = ReportLinkType();
    link.id = id;
    link.parent = 90;
    link.SetAttribute(CTString(L"link_report"), CAttribute(CAttribute::Integer, report));
    link.SetAttribute(CTString(L"link_owner"), CAttribute(CAttribute::Integer, owner));
    return link;
}

struct ReportPage : TestApp {
    Form form;
    CPickPage* page = nullptr;
    ReportPage()
    {
        EXPECT_TRUE(form.Create(nullptr, nullptr, 0, L"PickPageTest"));
        page = static_cast<CPickPage*>(
            form.AddPage(new CPickPage(CTString(L"Reports"), kRequest, ReportLinkType(), kPost, nullptr)));
    }
    ~ReportPage() { form.Close(); }
    int ItemOf(__int64 target)
    {
        for (ObjectPick::Row& row : page->m_model.rows)
            if (row.target.id == target)
                return page->Report().FindRowByData(&row);
        return -1;
    }
    std::wstring Cell(__int64 target, int column)
    {
        CAttribute cell;
        if (!page->Report().GetCell(ItemOf(target), column, cell))
            return L"<none>";
        if (cell.GetType() == CAttribute::Integer)
            return std::to_wstring(cell.GetValue());
        return cell.GetText() ? cell.GetText() : L"";
    }
    std::wstring EmptyText() { return Wide(page->Report().m_emptyText); }
};

} // namespace

TEST(CPickPage, LinkCellsShowTheLinkedNamesAndRowsTheLinkIcon)
{
    ReportPage t;
    Object cached;
    cached.id = 1701;
    cached.name = L"Owner One";
    t.app->m_dir.StoreObject(cached, 0);
    std::vector<Object> candidates = {Candidate(1710, L"Weekly"), Candidate(1711, L"Monthly"), Candidate(1712, L"Daily")};
    std::vector<__int64> locked;
    t.page->SetExistingLinks({ReportLink(1720, 1710, 1701), ReportLink(1721, 1711, 1702)});
    t.page->SetCandidates(candidates, 1, 0, CTString(), locked);
    ASSERT_TRUE(t.form.ShowPages());
    t.form.LoadPages();
    t.Pump();
    ASSERT_EQ(t.page->Report().GetItemCount(), 3);

    // The linked ids show until the directory holds every linked object; only the missing one is asked.
    EXPECT_EQ(t.Cell(1710, 2), L"1701");
    EXPECT_EQ(t.Cell(1711, 2), L"1702");
    ASSERT_EQ(t.transport->CountPath("api/api_objGet.php"), 1u);
    const std::string& asked = t.transport->m_sent.back().body;
    EXPECT_NE(asked.find("IDS=1702"), std::string::npos) << asked;
    EXPECT_EQ(asked.find("1701"), std::string::npos) << asked;
    t.Answer("api/api_objGet.php", XmlHeaders(),
             Doc("<parameters ID=\"0\"/><object id=\"1702\" name=\"Owner Two\"/>"));
    EXPECT_EQ(t.Cell(1711, 2), L"Owner Two");
    EXPECT_EQ(t.Cell(1710, 2), L"Owner One");

    // Every row shows the link type's icon, fetched once through the application's icon cache.
    const int key = t.app->FindIcon(CTString(L"report-link.ico"));
    ASSERT_GE(key, 0);
    CTListCtrlReportEx& report = t.page->Report();
    ASSERT_TRUE(report.HasImageForKey(key));
    for (__int64 target : {1710, 1711, 1712}) {
        CTString text;
        int image = -1;
        void* data = nullptr;
        ASSERT_TRUE(report.GetRowDetails(t.ItemOf(target), text, image, data));
        EXPECT_EQ(image, report.GetImageForKey(key)) << target;
    }
    // The icon's arrival replaces the placeholder picture in place.
    const int images = ImageList_GetImageCount(report.m_imageList);
    RequestResult arrived;
    arrived.route.requestId = CPickPage::kReqIcon;
    arrived.route.param2 = key;
    t.page->OnResult(arrived);
    EXPECT_EQ(ImageList_GetImageCount(report.m_imageList), images);
    EXPECT_EQ(t.page->Report().GetItemCount(), 3);
}

TEST(CPickPage, EmptyTextsFollowTheFillAndPathRepliesBuildTheRows)
{
    {
        // Nothing offered, names known: "No Items".
        ReportPage t;
        std::vector<Object> none;
        std::vector<__int64> locked;
        t.page->SetCandidates(none, 1, 0, CTString(), locked);
        ASSERT_TRUE(t.form.ShowPages());
        t.form.LoadPages();
        t.Pump();
        EXPECT_EQ(t.page->Report().GetItemCount(), 0);
        EXPECT_EQ(t.EmptyText(), L"No Items");
    }
    // Shown by path: "Loading..." until the paths come; a reply without one of the ids still
    // builds the rows, that target keeping its own name.
    ReportPage t;
    constexpr int kPaths = 3101;
    std::vector<Object> candidates = {Candidate(1710, L"Weekly"), Candidate(1711, L"Monthly")};
    std::vector<__int64> locked;
    t.page->SetCandidates(candidates, 0, kPaths, CTString(), locked);
    ASSERT_TRUE(t.form.ShowPages());
    t.form.LoadPages();
    t.Pump();
    EXPECT_EQ(t.page->Report().GetItemCount(), 0);
    EXPECT_EQ(t.EmptyText(), L"Loading...");
    EXPECT_EQ(t.transport->CountPath("api/api_dirIDToPath.php"), 1u);

    RequestResult paths;
    paths.route.requestId = kPaths;
    paths.kind = RequestResult::KindServerAnswer;
    paths.document.Parse(L"<result><value ID=\"1710\" path=\"\\Reports\\Weekly\"/></result>", nullptr, 0);
    t.page->OnResult(paths);
    ASSERT_EQ(t.page->Report().GetItemCount(), 2);
    EXPECT_EQ(t.Cell(1710, 1), L"\\Reports\\Weekly");
    EXPECT_EQ(t.Cell(1711, 1), L"Monthly");
    EXPECT_EQ(t.EmptyText(), L"No Entries");
}

TEST(CPickPage, ContextMenuGetsTheSelectMenuWhileARowIsSelected)
{
    ReportPage t;
    std::vector<Object> candidates = {Candidate(1710, L"Weekly"), Candidate(1711, L"Monthly")};
    std::vector<__int64> locked;
    t.page->SetCandidates(candidates, 1, 0, CTString(), locked);
    ASSERT_TRUE(t.form.ShowPages());
    t.form.LoadPages();
    t.Pump();
    CTListCtrlReportEx& report = t.page->Report();
    auto ask = [&](int command) {
        ReportCommandInfo info = {};
        info.hdr.hwndFrom = report.m_hWnd;
        info.hdr.idFrom = CPickPage::kIdList;
        info.hdr.code = CTListCtrlReportEx::CodeDropDownMenu;
        info.id = command;
        return reinterpret_cast<HMENU>(
            SendMessageW(t.page->m_hWnd, WM_NOTIFY, CPickPage::kIdList, reinterpret_cast<LPARAM>(&info)));
    };
    EXPECT_EQ(ask(CPickPage::kCmdSelect), nullptr);
    ListView_SetItemState(report.m_hWnd, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(ask(CPickPage::kCmdAll), nullptr);
    HMENU menu = ask(CPickPage::kCmdSelect);
    ASSERT_TRUE(menu && IsMenu(menu));
    // All, None, Invert on the ticks, then one sub-menu for the link column.
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(CPickPage::kCmdAll));
    HMENU column = GetSubMenu(menu, 3);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(GetMenuItemID(column, 2), 5002u);
    // The report owns what it was given; the page's own menu no longer holds it.
    DestroyMenu(menu);
    EXPECT_FALSE(IsMenu(menu));
    HMENU again = ask(CPickPage::kCmdSelect);
    EXPECT_TRUE(again && IsMenu(again));
    DestroyMenu(again);
}
