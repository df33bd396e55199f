// The application's caches and tables against a recording transport: icons, paths, lookup and
// named lists, object lists, deletion notices, data points, day keys, keyed lists, web pages,
// deployment windows and the access-list test.
#include <gtest/gtest.h>
#include "app/AppFixture.h"
#include "controls/CTListCtrlReport.h"

using namespace apptest;

namespace {

// A 24-bit BMP file of one colour.
std::string Bitmap(int size, BYTE r, BYTE g, BYTE b)
{
    int stride = (size * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride * size), '\0');
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            pixels[y * stride + x * 3] = static_cast<char>(b);
            pixels[y * stride + x * 3 + 1] = static_cast<char>(g);
            pixels[y * stride + x * 3 + 2] = static_cast<char>(r);
        }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    info.biSize = sizeof(info);
    info.biWidth = size;
    info.biHeight = size;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&file), sizeof(file));
    out.append(reinterpret_cast<const char*>(&info), sizeof(info));
    return out + pixels;
}


bool IsRed(COLORREF c)
{
    return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

std::wstring PictureHeaders()
{
    return L"HTTP/1.1 200 OK\r\nContent-Type: image/bmp\r\n\r\n";
}

// A signed-in application with its two fixed images.
struct SignedIn : TestApp {
    SignedIn()
    {
        app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
        Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    }
};

std::string ObjectXml(int id, const char* name, const char* path = "", const char* extra = "")
{
    return std::string("<object id=\"") + std::to_string(id) + "\" type=\"5\" parent=\"1\" serial=\"1\" name=\"" + name +
           "\" path=\"" + path + "\">" + extra + "</object>";
}

} // namespace

TEST(AppIcons, OneFetchPerNameAndThePictureReplacesThePlaceholder)
{
    SignedIn t;
    BoxRecorder boxes;
    RecordingWindow* window = t.Open(120);
    EXPECT_EQ(-1, t.app->FindIcon(CTString(L"icons/red.png")));
    RequestRoute route = Route(120, 0);

    HICON first = t.app->GetIcon(1, CTString(L"icons/red.png"), route);
    HICON second = t.app->GetIcon(0, CTString(L"icons/red.png"), route);
    EXPECT_NE(nullptr, first);
    EXPECT_NE(nullptr, second);
    DestroyIcon(first);
    DestroyIcon(second);
    EXPECT_EQ(nullptr, t.app->GetIcon(1, CTString(), route));
    EXPECT_EQ(1u, t.transport->CountPath("icons/red.png"));
    EXPECT_EQ("GET", t.transport->m_sent.back().verb);
    ASSERT_EQ(2, t.app->FindIcon(CTString(L"icons/red.png")));
    EXPECT_FALSE(IsRed(CentreColour(t.app->m_largeImages, 2)));

    t.Answer("icons/red.png", PictureHeaders(), Bitmap(GetSystemMetrics(SM_CXICON), 255, 0, 0));
    EXPECT_TRUE(IsRed(CentreColour(t.app->m_largeImages, 2)));
    EXPECT_TRUE(IsRed(CentreColour(t.app->m_smallImages, 2)));
    // The asking window gets the reply to redraw with.
    ASSERT_EQ(1u, window->received.size());
    EXPECT_EQ(1022, window->received[0].route.requestId);
    EXPECT_EQ(2, window->received[0].route.param2);

    // A larger picture is stretched into both lists.
    t.app->AddIcon(CTString(L"icons/big.png"), route);
    t.Answer("icons/big.png", PictureHeaders(), Bitmap(48, 255, 0, 0));
    EXPECT_TRUE(IsRed(CentreColour(t.app->m_largeImages, 3)));
    EXPECT_TRUE(IsRed(CentreColour(t.app->m_smallImages, 3)));

    // Bytes that are no picture, and a failed fetch, leave the placeholder; the name is not asked again.
    t.app->AddIcon(CTString(L"icons/broken.png"), route);
    t.Answer("icons/broken.png", PictureHeaders(), "not a picture");
    t.app->AddIcon(CTString(L"icons/missing.png"), route);
    t.Answer("icons/missing.png", L"HTTP/1.1 404 Not Found\r\n\r\n", "");
    COLORREF placeholder = CentreColour(t.app->m_largeImages, 0);
    EXPECT_EQ(placeholder, CentreColour(t.app->m_largeImages, 4));
    EXPECT_EQ(placeholder, CentreColour(t.app->m_largeImages, 5));
    HICON again = t.app->GetIcon(1, CTString(L"icons/broken.png"), route);
    DestroyIcon(again);
    EXPECT_EQ(1u, t.transport->CountPath("icons/broken.png"));
    EXPECT_EQ(ImageList_GetImageCount(t.app->m_largeImages), ImageList_GetImageCount(t.app->m_smallImages));

    // The next sign-in starts again from the two fixed images.
    t.app->m_connected = false;
    t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
    t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    EXPECT_EQ(2, ImageList_GetImageCount(t.app->m_largeImages));
    EXPECT_EQ(-1, t.app->FindIcon(CTString(L"icons/red.png")));
}

TEST(AppPaths, CachedPathsAnswerAtOnceAndOnlyMissingIdsAreAsked)
{
    TestApp t;
    RecordingWindow* window = t.Open(121);
    t.app->m_paths[3] = L"\\Acme\\Three";
    std::vector<__int64> ids = {7, 3, 7, 0};
    t.app->IDsToPaths(ids, Route(121, 1030));
    EXPECT_EQ((std::vector<__int64>{3, 7}), ids);
    ASSERT_EQ(1u, window->received.size());
    EXPECT_EQ(L"<result><value ID=\"3\" path=\"\\Acme\\Three\" /></result>", window->received[0].document);
    ASSERT_EQ(1u, t.transport->CountPath("api/api_dirIDToPath.php"));
    EXPECT_EQ("ID_1=7", t.transport->m_sent.back().body);

    // A batch answer (parameters ID 0) fills every entry.
    t.Answer("api/api_dirIDToPath.php", XmlHeaders(),
             Doc("<parameters ID=\"0\"/><value ID=\"7\" path=\"\\Acme\\Seven\"/><value ID=\"8\" path=\"\\Acme\\Eight\"/>"));
    CTString text(L" ");
    ASSERT_TRUE(t.app->GetCachedPath(8, text));
    EXPECT_EQ(L"\\Acme\\Eight", Wide(text));

    // A single answer stores only its first value, under the asked id.
    t.app->IDToPath(12, Route(121, 1028));
    t.Answer("api/api_dirIDToPath.php", XmlHeaders(),
             Doc("<parameters ID=\"12\"/><value path=\"\\Twelve\"/><value ID=\"13\" path=\"\\Thirteen\"/>"));
    EXPECT_TRUE(t.app->GetCachedPath(12, text));
    EXPECT_EQ(L"\\Twelve", Wide(text));
    CTString probe(L" ");
    EXPECT_FALSE(t.app->GetCachedPath(13, probe));

    // A cached id is answered at once in the server's shape.
    window->received.clear();
    size_t sent = t.transport->m_sent.size();
    t.app->IDToPath(12, Route(121, 1028));
    EXPECT_EQ(sent, t.transport->m_sent.size());
    ASSERT_EQ(1u, window->received.size());
    EXPECT_EQ(L"<result><parameters ID=\"12\" /><value path=\"\\Twelve\" /></result>", window->received[0].document);

    // An empty text removes the entry.
    CTString empty;
    EXPECT_TRUE(t.app->GetCachedPath(12, empty));
    EXPECT_FALSE(t.app->GetCachedPath(12, text));
}

TEST(AppPaths, LongListsOfMissingIdsGoOutInBatches)
{
    TestApp t;
    t.Open(127);
    std::vector<__int64> ids;
    for (__int64 id = 2001; id >= 1; --id)
        ids.push_back(id);
    t.app->m_paths[1] = L"\\One";
    t.app->IDsToPaths(ids, Route(127, 1031));
    EXPECT_EQ(2001u, ids.size());
    EXPECT_EQ(1, ids.front());
    // 2000 missing ids: two requests of 1000.
    ASSERT_EQ(2u, t.transport->CountPath("api/api_dirIDToPath.php"));
    EXPECT_EQ(0u, t.transport->m_sent[0].body.rfind("ID_1=2&", 0));
    EXPECT_EQ(0u, t.transport->m_sent[1].body.rfind("ID_1=1002&", 0));
}

TEST(AppPaths, PathsOfOneServerAreNotShownForTheNext)
{
    TestApp t;
    t.app->Logon(CTString(L"first.example"), CTString(L"a"), CTString(L"b"));
    t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    t.app->IDToPath(12, Route(0, 1028));
    t.Answer("api/api_dirIDToPath.php", XmlHeaders(), Doc("<parameters ID=\"12\"/><value path=\"\\First\"/>"));
    CTString text(L" ");
    ASSERT_TRUE(t.app->GetCachedPath(12, text));
    t.app->Logoff();
    t.Answer("api/api_logoff.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    t.app->Logon(CTString(L"second.example"), CTString(L"a"), CTString(L"b"));
    t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"0\"/>"), 1);
    EXPECT_FALSE(t.app->GetCachedPath(12, text));
}

TEST(AppLookups, TwoWindowsWaitingForOneListAreBothToldOnce)
{
    SignedIn t;
    RecordingWindow* a = t.Open(122, 1);
    RecordingWindow* b = t.Open(122, 2);
    App::LookupList out;
    RequestRoute routeA = Route(122, 3001, false, 55);
    routeA.targetKey = 1;
    RequestRoute routeB = Route(122, 3001, false, 56);
    routeB.targetKey = 2;
    CTString lookup(L"TYPE=User|PARENT=ALL|DISPLAY=path|RETURNPATH=1");
    EXPECT_FALSE(t.app->ParseLookup(CTString(L"users"), lookup, out, routeA));
    EXPECT_FALSE(t.app->ParseLookup(CTString(L"users"), lookup, out, routeB));
    EXPECT_FALSE(t.app->ParseLookup(CTString(L"users"), lookup, out, routeA));
    ASSERT_EQ(1u, t.transport->CountPath("api/api_objSearch.php"));
    EXPECT_EQ("TYPE=User&PARENT=ALL&RETURNPATH=1", t.transport->m_sent.back().body);

    t.Answer("api/api_objSearch.php", XmlHeaders(),
             Doc(ObjectXml(9, "Zed", "\\Acme\\Zed") + ObjectXml(4, "Amy", "\\Acme\\Amy")));
    ASSERT_EQ(1u, a->received.size());
    ASSERT_EQ(1u, b->received.size());
    EXPECT_EQ(L"users", a->received[0].bodyText);
    EXPECT_EQ(55, a->received[0].route.param2);
    EXPECT_EQ(56, b->received[0].route.param2);

    ASSERT_TRUE(t.app->ParseLookup(CTString(L"users"), lookup, out, routeA));
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ(L"\\Acme\\Zed", Wide(out[CAttribute(1, 9)]));
    EXPECT_EQ(L"\\Acme\\Amy", Wide(out[CAttribute(1, 4)]));
    EXPECT_EQ(1u, t.transport->CountPath("api/api_objSearch.php"));
}

TEST(AppLookups, LookupStringItemsAndDisplays)
{
    struct Case {
        const wchar_t* lookup;
        std::string body;
    } cases[] = {
        {L"TYPE=Site|PARENT=ALL-INHERIT", "TYPE=Site&PARENT=ALL-INHERIT&RETURNPATH=0"},
        {L"TYPE=Site|PARENT=", "TYPE=Site&PARENT=0&RETURNPATH=0"},
        {L"TYPE=Site|PARENT=12|ATTRIB=location|SEARCH=GB|UNKNOWN=1", "TYPE=Site&PARENT=12&ATTRIB=location&SEARCH=GB&RETURNPATH=0"},
        {L"TYPE = \"Site\" | PARENT=1 | TYPE=User", "TYPE=User&PARENT=1&RETURNPATH=0"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SignedIn t;
        App::LookupList out;
        CTString key;
        key.Format(L"k%d", n++);
        t.app->ParseLookup(key, CTString(c.lookup), out, Route(0, 1));
        ASSERT_EQ(1u, t.transport->CountPath("api/api_objSearch.php"));
        EXPECT_EQ(c.body, t.transport->m_sent.back().body);
    }

    SignedIn t;
    App::LookupList out;
    t.app->ParseLookup(CTString(L"names"), CTString(L"TYPE=User|DISPLAY=location"), out, Route(0, 1));
    t.Answer("api/api_objSearch.php", XmlHeaders(),
             Doc(ObjectXml(4, "Amy", "", "<attrib id=\"117\" name=\"location\" type=\"value_varchar\">GB</attrib>") +
                 ObjectXml(5, "Bob")));
    ASSERT_TRUE(t.app->ParseLookup(CTString(L"names"), CTString(), out, Route(0, 1)));
    EXPECT_EQ(L"GB", Wide(out[CAttribute(1, 4)]));
    EXPECT_EQ(L"", Wide(out[CAttribute(1, 5)]));
}

TEST(AppLookups, AReplyIsFiledUnderItsOwnKeyWhenOtherEntriesAreAddedMeanwhile)
{
    SignedIn t;
    RecordingWindow* window = t.Open(123);
    App::LookupList out;
    t.app->ParseLookup(CTString(L"sites"), CTString(L"TYPE=Site"), out, Route(123, 1, false, 1));
    // A key that sorts first is asked while the first request is out.
    t.app->ParseLookup(CTString(L"admins"), CTString(L"TYPE=Administrator"), out, Route(123, 1, false, 2));
    t.Answer("api/api_objSearch.php", XmlHeaders(), Doc(ObjectXml(20, "London")), 0);
    ASSERT_EQ(1u, window->received.size());
    EXPECT_EQ(L"sites", window->received[0].bodyText);
    out.clear();
    ASSERT_TRUE(t.app->ParseLookup(CTString(L"sites"), CTString(), out, Route(123, 1)));
    EXPECT_EQ(L"London", Wide(out[CAttribute(1, 20)]));
    EXPECT_FALSE(t.app->ParseLookup(CTString(L"admins"), CTString(), out, Route(123, 1)));

    t.Answer("api/api_objSearch.php", XmlHeaders(), Doc(ObjectXml(90, "Admin")), 1);
    out.clear();
    ASSERT_TRUE(t.app->ParseLookup(CTString(L"admins"), CTString(), out, Route(123, 1)));
    EXPECT_EQ(1u, out.size());
    EXPECT_EQ(L"Admin", Wide(out[CAttribute(1, 90)]));
}

TEST(AppLookups, NamedListsFromTheCommsPage)
{
    SignedIn t;
    RecordingWindow* window = t.Open(124);
    App::LookupList out;
    CAttribute name(CTString(L"Reasons"));
    EXPECT_FALSE(t.app->GetCommsList(name, out, Route(124, 7)));
    EXPECT_FALSE(t.app->GetCommsList(name, out, Route(124, 8)));
    ASSERT_EQ(1u, t.transport->CountPath("api/api_qelGetComms.php"));
    EXPECT_EQ("NAME=Reasons&TYPE=list", t.transport->m_sent.back().body);
    t.Answer("api/api_qelGetComms.php", XmlHeaders(),
             Doc("<parameters NAME=\"Reasons\"/>"
                 "<lang name=\"reasons-en\"><Text name=\"late\"><Source>Arrived late</Source></Text>"
                 "<Text name=\"NULL-none\"><Source>None</Source></Text><Text name=\"x\"/></lang>"
                 "<lang name=\"other\"><Text name=\"no\"><Source>Not this</Source></Text></lang>"));
    EXPECT_EQ(2u, window->received.size());
    ASSERT_TRUE(t.app->GetCommsList(name, out, Route(124, 7)));
    ASSERT_EQ(3u, out.size());
    EXPECT_EQ(L"Arrived late", Wide(out[CAttribute(CTString(L"late"))]));
    EXPECT_EQ(L"None", Wide(out[CAttribute(CTString(L""))]));
    EXPECT_EQ(L"", Wide(out[CAttribute(CTString(L"x"))]));
}

TEST(AppObjects, ObjectListsFromTheCacheAndTheServer)
{
    SignedIn t;
    RecordingWindow* window = t.Open(125);
    Object five, nine;
    five.id = 5;
    nine.id = 9;
    t.app->m_objects.AddChild(five);

    t.app->RequestObjects({5, 9}, Route(125, 1001));
    ASSERT_EQ(1u, t.transport->CountPath("api/api_objSearch.php"));
    EXPECT_EQ("IDARRAY=%2F9%2F&RETURNPATH=0", t.transport->m_sent.back().body);
    EXPECT_TRUE(window->received.empty());
    t.Answer("api/api_objSearch.php", XmlHeaders(), Doc(ObjectXml(9, "Nine")));
    ASSERT_EQ(1u, window->received.size());
    EXPECT_EQ((std::vector<__int64>{5, 9}), window->received[0].objectIds);

    window->received.clear();
    t.app->RequestObjects({5, 5, 9}, Route(125, 1001));
    ASSERT_EQ(1u, window->received.size());
    EXPECT_EQ((std::vector<__int64>{5, 9}), window->received[0].objectIds);
    EXPECT_EQ(1u, t.transport->CountPath("api/api_objSearch.php"));

    // An id the server does not return keeps its request waiting; sign-out drops it.
    t.app->RequestObjects({9, 40}, Route(125, 1001));
    t.Answer("api/api_objSearch.php", XmlHeaders(), Doc(""));
    EXPECT_EQ(1u, window->received.size());
    EXPECT_EQ(1u, t.app->m_objectRequests.GetCount());
    t.app->Logoff();
    t.Answer("api/api_logoff.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    EXPECT_EQ(0u, t.app->m_objectRequests.GetCount());
    EXPECT_TRUE(t.app->m_objects.children.empty());
}

TEST(AppObjects, DeletionNoticesGoToTheListingConsolesAndCloseTheObjectsConsole)
{
    TestApp t;
    struct Case {
        int console;
        std::vector<int> notified;
    } cases[] = {{1029, {1027, 1026}}, {1013, {1026}}, {1027, {1026}}, {1040, {}}};
    for (const Case& c : cases) {
        t.app->m_mainWindow->ShowConsole(c.console, 31, false);
        t.notices.list.clear();
        Deliver(t, Route(0, 1057, false, c.console), L"api/api_objDelete.php", XmlHeaders(),
                Doc("<RC id=\"0\"/>" + ObjectXml(31, "Gone")));
        std::vector<int> notified;
        for (auto& notice : t.notices.list) {
            EXPECT_EQ(1005, notice.requestId);
            notified.push_back(notice.consoleType);
        }
        EXPECT_EQ(c.notified, notified) << c.console;
        // A closed console gives way to the one shown before it, the connect console.
        EXPECT_EQ(c.notified.empty() ? c.console : App::kConsoleConnect, ShownConsole(*t.app)) << c.console;
    }
    // A failed deletion tells nobody.
    t.notices.list.clear();
    BoxRecorder boxes;
    Deliver(t, Route(0, 1057, true, 1029), L"api/api_objDelete.php", XmlHeaders(),
            Doc("<RC id=\"7\" text=\"Denied\"/>" + ObjectXml(31, "Gone")));
    EXPECT_TRUE(t.notices.list.empty());
}

TEST(AppDataPoints, RowsFromTheDocumentAndAFetchThatLeavesWithItsPane)
{
    TestApp t;
    CTListCtrlReport list;
    ASSERT_TRUE(list.CreateReport(t.app->GetMainHwnd(), 1218, 0));
    list.SetColumns(CTString(L"Item,100;Value,100;"), 0, nullptr, nullptr);
    list.EnableAutoSort(false);
    list.ModifyStyle(LVS_SORTASCENDING, 0, 0);   // the pane's list keeps the document's order
    Object point;
    point.id = 70;
    point.serial = 1;
    Object::Attribute xml;
    xml.name = L"xml_data";
    xml.SetText(0, CTString(L"<data_point><data><cpu>Fast</cpu><ram>8 GB</ram></data><display><Catagories>"
                            L"<Hardware><cpu><label>Processor</label></cpu><ram><label>Memory</label></ram></Hardware>"
                            L"<Notes><owner/></Notes></Catagories></display></data_point>"));
    point.attributes[1] = xml;
    t.app->m_dir.StoreObject(point, 0);

    RequestRoute pane = Route(0xffff, 0);
    pane.consoleType = 1061;
    pane.consoleKey = 70;
    t.app->LoadDataPointList(70, 3, &list, pane);
    ASSERT_EQ(5, list.GetItemCount());
    CAttribute cell;
    const wchar_t* expected[5][2] = {
        {L"Hardware", L""}, {L"Processor", L"Fast"}, {L"Memory", L"8 GB"}, {L"Notes", L""}, {L"", L""}};
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 2; ++column) {
            list.GetCell(row, column, cell);
            EXPECT_STREQ(expected[row][column], cell.GetText()) << row << "," << column;
        }

    // Not cached: the fetch carries the pane's route, so closing the pane cancels it.
    t.app->LoadDataPointList(71, 3, &list, pane);
    EXPECT_EQ(1u, t.app->m_dir.GetPendingCount());
    t.app->m_dir.CancelRequests(pane);
    EXPECT_EQ(0u, t.app->m_dir.GetPendingCount());
    list.Destroy();
}

TEST(AppTables, DayKeysKeyedListsAndWebPages)
{
    TestApp t;
    __int64 a = t.app->GetDayKeyId(CTString(L"tasks"), 86400 * 3 + 10, 5);
    EXPECT_EQ(a, t.app->GetDayKeyId(CTString(L"tasks"), 86400 * 4 - 1, 5));
    __int64 next = t.app->GetDayKeyId(CTString(L"tasks"), 86400 * 4, 5);
    EXPECT_NE(a, next);
    EXPECT_NE(a, t.app->GetDayKeyId(CTString(L"tasks"), 86400 * 3, 6));

    Object one, two;
    one.id = 1;
    two.id = 2;
    t.notices.list.clear();
    t.app->SetKeyedList(a, {one, two});
    ASSERT_EQ(1u, t.notices.list.size());
    EXPECT_EQ(1017, t.notices.list[0].requestId);
    EXPECT_EQ(1008, t.notices.list[0].consoleType);
    t.app->RemoveFromKeyedList(a, 1);
    EXPECT_EQ(1u, t.notices.list.size());
    t.app->RemoveFromKeyedList(a, 2);
    ASSERT_EQ(2u, t.notices.list.size());
    EXPECT_EQ(1093, t.notices.list[1].requestId);
    EXPECT_EQ(1012, t.notices.list[1].consoleType);

    t.app->m_db.Connect(CTString(L"qel.example/"));
    __int64 home = t.app->RegisterWebPage(0, 0, CTString(L"home"), CTString(L"Home"), CTString());
    EXPECT_EQ(1, home);
    EXPECT_EQ(home, t.app->RegisterWebPage(0, 0, CTString(L"home"), CTString(L"Home again"), CTString()));
    EXPECT_NE(home, t.app->RegisterWebPage(1001, 0, CTString(L"home"), CTString(), CTString()));
    CTString field;
    t.app->GetWebPageField(field, home, 0);
    EXPECT_EQ(L"https://qel.example/console.php?Page=home", Wide(field));
    t.app->GetWebPageField(field, home, 1);
    EXPECT_EQ(L"Home again", Wide(field));
    __int64 text = t.app->RegisterWebPage(1000, 1, CTString(L"<b>first</b>"), CTString(), CTString());
    EXPECT_EQ(text, t.app->RegisterWebPage(1000, 1, CTString(L"<b>second</b>"), CTString(), CTString()));
    t.app->GetWebPageField(field, text, 0);
    EXPECT_EQ(L"<b>second</b>", Wide(field));
    t.app->GetWebPageField(field, 99, 2);
    EXPECT_TRUE(field.IsEmpty());
}

TEST(AppTables, EveryWindowAskingForDeploymentWindowsGetsTheReply)
{
    TestApp t;
    RecordingWindow* first = t.Open(126, 1);
    RecordingWindow* second = t.Open(126, 2);
    RecordingWindow* third = t.Open(126, 3);
    auto routeOf = [](UINT64 key) {
        RequestRoute route = Route(126, 1063);
        route.targetKey = key;
        return route;
    };
    t.app->GetDeploymentWindowsCached(50, routeOf(1));
    t.app->GetDeploymentWindowsCached(50, routeOf(2));
    EXPECT_EQ(1u, t.transport->CountPath("api/api_qelGetDeploymentWindow.php"));
    EXPECT_TRUE(second->received.empty()) << "answered with an empty document";

    t.Answer("api/api_qelGetDeploymentWindow.php", XmlHeaders(), Doc("<parameters PARENT=\"50\"/><day used_days=\"1\"/>"));
    ASSERT_EQ(1u, first->received.size());
    ASSERT_EQ(1u, second->received.size());
    EXPECT_NE(std::wstring::npos, second->received[0].document.find(L"used_days"));

    t.app->GetDeploymentWindowsCached(50, routeOf(3));
    ASSERT_EQ(1u, third->received.size());
    EXPECT_NE(std::wstring::npos, third->received[0].document.find(L"used_days"));
    EXPECT_EQ(1u, t.transport->CountPath("api/api_qelGetDeploymentWindow.php"));

    t.app->DropDeploymentWindowCache(50);
    t.app->GetDeploymentWindowsCached(50, routeOf(3));
    EXPECT_EQ(2u, t.transport->CountPath("api/api_qelGetDeploymentWindow.php"));
}

TEST(AppTables, AccessListPrincipals)
{
    TestApp t;
    auto store = [&](int id, int type, const wchar_t* name, const wchar_t* users = nullptr) {
        Object object;
        object.id = id;
        object.type = type;
        object.serial = 1;
        object.name = name;
        if (users) {
            Object::Attribute link;
            link.name = L"users";
            link.flags = Object::Attribute::LinkArray;
            link.SetText(0, CTString(users));
            object.attributes[2] = link;
        }
        t.app->m_dir.StoreObject(object, 0);
    };
    auto type = [&](int id, const wchar_t* name) {
        DefineType(*t.app, id, name);
    };
    type(20, L"System Group");
    type(21, L"Group");
    type(22, L"Schedule User");
    store(100, 20, L"Everyone");
    store(101, 21, L"Team", L"/7/8/");
    store(102, 22, L"Someone");
    store(103, 20, L"Self");

    struct Case {
        __int64 user;
        std::vector<__int64> principals;
        bool expected;
    } cases[] = {
        {5, {100}, true}, {7, {101}, true}, {9, {101}, false}, {102, {102}, true}, {5, {102}, false},
        {5, {103}, false}, {5, {999, 101}, false},
    };
    SetLogonUserId(*t.app, 77);
    for (const Case& c : cases) {
        int answers = 0;
        bool answer = false;
        t.app->FetchObjectsThen(c.user, c.principals, [&](bool value) {
            ++answers;
            answer = value;
        });
        // Principals the directory lacks are fetched first; answer as the server would not.
        if (answers == 0) {
            t.app->m_dir.CancelRequests(RequestRoute());
            continue;
        }
        EXPECT_EQ(1, answers);
        EXPECT_EQ(c.expected, answer) << c.user;
    }
    bool self = false;
    t.app->FetchObjectsThen(77, {103}, [&](bool value) { self = value; });
    EXPECT_TRUE(self);
}

TEST(AppTemplates, TheFirstAskLoadsTheTemplatesAndEveryWindowIsToldWhenTheyArrive)
{
    TestApp t;
    RecordingWindow* window = t.Open(128);
    MainWindow* main = t.app->m_mainWindow;
    main->m_cache.folderIds[MainWindowCache::FolderTemplates] = 33;

    std::vector<Object> templates(1);
    EXPECT_FALSE(main->GetTemplates(templates));
    EXPECT_EQ(1u, templates.size()) << "left as it was until loaded";
    ASSERT_EQ(1u, t.transport->CountPath("api/api_dirGetLookup.php"));
    const std::string& body = t.transport->m_sent.back().body;
    EXPECT_NE(std::string::npos, body.find("EDIT=TYPE%3D%27Template%27")) << body;
    EXPECT_NE(std::string::npos, body.find("PARENT=33")) << body;

    t.Answer("api/api_dirGetLookup.php", XmlHeaders(),
             Doc("<RC id=\"0\"/><object id=\"41\" type=\"30\" parent=\"33\" name=\"Laptop build\"/>"
                 "<object id=\"42\" type=\"30\" parent=\"33\" name=\"Desktop build\"/>"));
    EXPECT_TRUE(main->GetStartupMask() & MainWindowCache::LoadTemplates);
    bool told = false;
    for (const Received& r : window->received)
        told = told || (r.route.requestId == 1086 && r.route.targetType == 6);
    EXPECT_TRUE(told);

    // Asked again: the cached templates in reply order, and nothing more is sent.
    ASSERT_TRUE(main->GetTemplates(templates));
    ASSERT_EQ(2u, templates.size());
    EXPECT_EQ(41, templates[0].id);
    EXPECT_EQ(L"Desktop build", Wide(templates[1].name));
    EXPECT_EQ(1u, t.transport->CountPath("api/api_dirGetLookup.php"));
}
