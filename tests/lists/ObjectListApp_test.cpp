// The object list with a running application and a recording server client: row icons through the
// application's icon cache (the default icon for a type without one), link paths through its path
// cache, subtypes and link choices from the main window's caches.
#include <gtest/gtest.h>
#include "app/AppFixture.h"
#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlReportEx.h"
#include "lists/ListsFixture.h"
#include "lists/ObjectList.h"
#include "lists/ObjectListChoices.h"

using namespace apptest;

namespace {
constexpr int kOwnerType = 121;

bool IsRed(COLORREF c)
{
    return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

Object Definition(__int64 number, const wchar_t* name, const wchar_t* columns, const wchar_t* image)
{
    Object type;
    type.id = number;
    type.type = number;
    type.name = name;
    AddAttribute(type, 1, L"console_edit_attribs", CAttribute(CAttribute::Text, columns));
    if (image)
        AddAttribute(type, 2, L"tree_image", CAttribute(CAttribute::Text, image));
    return type;
}

Object Member(__int64 id, __int64 type, __int64 parent, const wchar_t* name)
{
    Object o;
    o.id = id;
    o.type = type;
    o.parent = parent;
    o.serial = 1;
    o.name = name;
    return o;
}

struct Owner : TestApp {
    BoxRecorder boxes;   // a failed fetch must never wait on a box
    HWND host = nullptr;
    CTListCtrlReportEx report;
    CTListCtrlEdit editor;
    ObjectList list;
    RecordingWindow* window = nullptr;

    // Signed in: the icon cache holds its two fixed images, so named icons start at 2.
    Owner()
    {
        app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
        Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
        transport->m_sent.clear();
        window = Open(kOwnerType);
        host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 400, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        report.CreateReport(host, 100, 0);
        editor.Attach(100, &report, nullptr, nullptr, nullptr);
        list.ownerRoute.targetType = kOwnerType;
    }
    ~Owner()
    {
        report.Destroy();
        DestroyWindow(host);
    }
    MainWindowCache& Cache() { return app->m_mainWindow->m_cache; }
    HIMAGELIST Images() { return ListView_GetImageList(report.m_hWnd, LVSIL_SMALL); }
};
} // namespace

TEST(ObjectListApp, RowIconsComeFromTheIconCacheOrTheDefaultIcon)
{
    // A type without an icon: its rows show the default icon.
    {
        Owner t;
        t.list.SetType(t.report, Definition(41, L"Fail Code", L"Name", nullptr), false);
        ASSERT_TRUE(t.report.HasImageForKey(0));
        std::vector<__int64> ids;
        t.list.AddRow(Member(5, 41, 1, L"Disk"));
        int item = t.list.UpdateRowItem(t.report, t.editor, t.list.rows.front(), ids);
        CTString text;
        int image = -1;
        void* data = nullptr;
        ASSERT_TRUE(t.report.GetRowDetails(item, text, image, data));
        EXPECT_EQ(image, t.report.GetImageForKey(0));
        EXPECT_TRUE(IsRed(CentreColour(t.Images(), image)));
        EXPECT_TRUE(t.transport->m_sent.empty());
    }
    // A type with an icon: one fetch, routed to the owner, for the type and every row sharing it.
    {
        Owner t;
        t.list.SetType(t.report, Definition(7, L"Site", L"Name", L"icons/red.png"), false);
        EXPECT_FALSE(t.report.HasImageForKey(0));
        ASSERT_EQ(t.transport->CountPath("icons/red.png"), 1u);
        const int cacheIndex = t.app->FindIcon(CTString(L"icons/red.png"));
        ASSERT_GE(cacheIndex, 2);
        EXPECT_TRUE(t.report.HasImageForKey(cacheIndex));

        std::vector<__int64> ids;
        Object a = Member(5, 7, 1, L"A"), b = Member(6, 7, 1, L"B");
        AddAttribute(a, 3, L"tree_image", CAttribute(CAttribute::Text, L"icons/red.png"));
        AddAttribute(b, 3, L"tree_image", CAttribute(CAttribute::Text, L"icons/blue.png"));
        ObjectList::Row& rowA = t.list.AddRow(a);
        t.list.UpdateRowItem(t.report, t.editor, rowA, ids);
        t.list.UpdateRowItem(t.report, t.editor, t.list.AddRow(b), ids);
        const int first = t.report.FindRowByData(&rowA);
        EXPECT_EQ(t.transport->CountPath("icons/red.png"), 1u);
        EXPECT_EQ(t.transport->CountPath("icons/blue.png"), 1u);
        CTString text;
        int image = -1;
        void* data = nullptr;
        t.report.GetRowDetails(first, text, image, data);
        EXPECT_EQ(image, t.report.GetImageForKey(cacheIndex));

        t.Answer("icons/red.png", L"HTTP/1.1 404 Not Found\r\n\r\n", "");
        ASSERT_FALSE(t.window->received.empty());
        EXPECT_EQ(t.window->received.front().route.requestId, App::kReqIcon);
        EXPECT_EQ(t.window->received.front().route.param2, cacheIndex);
    }
}

TEST(ObjectListApp, LinkPathsAreAskedOnceAndTheReplyFillsTheCells)
{
    Owner t;
    t.list.SetType(t.report, Definition(7, L"Site", L"Name|link_site", nullptr), false);
    std::vector<Object> objects;
    for (int i = 0; i < 3; ++i) {
        Object o = Member(10 + i, 7, 1, L"S");
        AddAttribute(o, 6, L"link_site", CAttribute(CAttribute::Integer, i == 2 ? 0ll : 40ll + i), L"TYPE=Site",
                     Object::Attribute::Link);
        objects.push_back(o);
    }
    objects.push_back(Member(13, 8, 1, L"Another type"));
    std::vector<__int64> ids;
    t.list.SetObjects(t.report, t.editor, objects, ids);
    EXPECT_EQ(t.list.rows.size(), 3u);   // the object of another type is left out
    EXPECT_EQ(t.report.GetItemCount(), 3);

    t.app->m_paths[41] = L"\\Acme\\North";   // known: answered at once
    t.list.RequestLinkPaths(ids);
    ASSERT_EQ(t.transport->CountPath("api/api_dirIDToPath.php"), 1u);
    EXPECT_EQ(t.transport->m_sent.back().body, "ID_1=40");
    ASSERT_EQ(t.window->received.size(), 1u);
    EXPECT_EQ(t.window->received[0].route.requestId, App::kReqPathFirst);
    t.Answer("api/api_dirIDToPath.php", XmlHeaders(),
             Doc("<parameters ID=\"0\"/><value ID=\"40\" path=\"\\Acme\\South\"/>"));
    ASSERT_EQ(t.window->received.size(), 2u);
    EXPECT_EQ(t.window->received[1].route.requestId, App::kReqPathFirst);

    std::map<__int64, std::string> cells;
    for (const Received& r : t.window->received) {
        TiXmlDocument reply;
        reply.Parse(r.document.c_str(), nullptr, 0);
        t.list.OnPathReply(reply, [&](ObjectList::Row& row, int column, const CTString& text) {
            EXPECT_EQ(column, 2);
            cells[row.object.id] = Narrow(text);
        });
    }
    EXPECT_EQ(cells, (std::map<__int64, std::string>{{10, "South"}, {11, "North"}}));
}

TEST(ObjectListApp, SubtypesNewRowsAndChoicesFromTheMainWindowCaches)
{
    Owner t;
    MainWindowCache& cache = t.Cache();
    cache.types.clear();
    cache.types.push_back(Definition(5, L"Schedule User", L"Name", nullptr));
    cache.types.push_back(Definition(45, L"Contractor", L"Name", nullptr));
    cache.types.back().parent = 5;
    cache.types.push_back(Definition(41, L"Fail Code", L"Name", nullptr));
    cache.types.push_back(Definition(9, L"Administrator", L"Name", nullptr));

    t.list.SetType(t.report, cache.types[0], true);
    ASSERT_EQ(t.list.types.size(), 2u);
    EXPECT_EQ(t.list.types[1].type, 45);
    std::vector<__int64> ids;
    t.list.SetObjects(t.report, t.editor,
                      {Member(1, 45, 2, L"Contract"), Member(2, 9, 2, L"Admin"), Member(3, 5, 2, L"User")}, ids);
    EXPECT_EQ(t.list.rows.size(), 2u);
    const int item = t.list.AddNewRowOfType(t.report, t.editor, ids);
    ASSERT_GE(item, 0);
    const ObjectList::Row& added = t.list.rows.back();
    EXPECT_EQ(added.operation, ObjectList::OpNew);
    EXPECT_EQ(added.object.type, 5);
    EXPECT_EQ(ListView_GetItemState(t.report.m_hWnd, item, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));

    // Link choices: objects of the exactly named type anywhere below the settings object's folder.
    cache.systemSettings = Member(300, 41, 100, L"System Settings");
    t.app->m_dir.StoreObject(Member(100, 1, 1, L"Settings"), 0);
    t.app->m_dir.StoreObject(Member(101, 41, 100, L"Disk"), 0);
    t.app->m_dir.StoreObject(Member(102, 1, 100, L"More"), 0);
    t.app->m_dir.StoreObject(Member(103, 41, 102, L"Network"), 0);
    t.app->m_dir.StoreObject(Member(104, 9, 100, L"Not a fail code"), 0);
    t.app->m_dir.StoreObject(Member(105, 41, 1, L"Elsewhere"), 0);
    struct Case {
        const wchar_t* spec;
        std::map<unsigned, std::string> entries;
    };
    const Case cases[] = {
        {L"TYPE='Fail Code'", {{0, " "}, {101, "Disk"}, {103, "Network"}}},
        {L"TYPE=fail code", {{0, " "}}},   // type names match exactly
        {L"TYPE=Fail Code|VALUES=a", {{0, " "}, {101, "Disk"}, {103, "Network"}}},
    };
    for (const Case& c : cases) {
        CTListCtrlEdit::Choices out;
        t.list.FillChoicesFromSpec(CTString(c.spec), out);
        std::map<unsigned, std::string> entries;
        for (const auto& [key, text] : out)
            entries[key] = Narrow(text);
        EXPECT_EQ(entries, c.entries) << Narrow(CTString(c.spec));
    }

    // Without a settings object there is nothing to offer but the blank entry.
    cache.systemSettings = Object();
    CTListCtrlEdit::Choices none;
    t.list.FillChoicesFromSpec(CTString(L"TYPE=Fail Code"), none);
    EXPECT_EQ(none.size(), 1u);
}
