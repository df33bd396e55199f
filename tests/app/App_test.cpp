// The application object against a recording transport: saved connections in the registry, the
// reply pump's rules, the window factory and window events, deferred deletion, sign-in and
// sign-out replies.
#include <gtest/gtest.h>
#include "app/AppWindows.h"
#include "app/PlaceholderWindow.h"
#include "app/AppFixture.h"

using namespace apptest;

namespace {

const wchar_t* kSettings = L"Software\\TAVIK\\QELTestApp\\Settings";

void ClearSettings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QELTestApp");
}

std::wstring ReadText(const std::wstring& key, const wchar_t* name)
{
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buffer;
}

DWORD ReadDword(const std::wstring& key, const wchar_t* name, DWORD missing = 0xDEAD)
{
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return missing;
    return value;
}

bool KeyExists(const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

ServerConnection Connection(const wchar_t* name, const wchar_t* server, const wchar_t* email, const wchar_t* password)
{
    ServerConnection c;
    c.name = name;
    c.server = server;
    c.email = email;
    c.SetPassword(CTString(password));
    c.savePassword = true;
    return c;
}

} // namespace

TEST(AppConnections, SurviveARestartInOrderWithPasswordsNeverInClear)
{
    ClearSettings();
    {
        App app;
        app.ReadConnections();
        EXPECT_TRUE(app.m_connections.empty());
        app.m_connections.push_back(Connection(L"First", L"one.example", L"a@example.com", L"s3cret-one"));
        app.m_connections.push_back(Connection(L"Second", L"two.example", L"b@example.com", L"s3cret-two"));
        ServerConnection third = Connection(L"Third", L"https://three.example/qel", L"c@example.com", L"");
        third.savePassword = false;
        third.shortcut = true;
        app.m_connections.push_back(third);
        app.WriteConnections();
    }
    std::wstring first = std::wstring(kSettings) + L"\\Connection_0";
    EXPECT_EQ(3u, ReadDword(kSettings, L"Connections"));
    EXPECT_EQ(L"First", ReadText(first, L"Param_0"));
    std::wstring stored = ReadText(first, L"Param_3");
    EXPECT_EQ(0u, stored.rfind(CTCryptString::kPrefix, 0)) << "stored form expected";
    EXPECT_EQ(std::wstring::npos, stored.find(L"s3cret")) << "password in clear";
    EXPECT_EQ(0u, ReadDword(first, L"Param_4"));
    EXPECT_EQ(1u, ReadDword(first, L"Param_5"));

    // Value 4 is read and ignored, and written back as 0 whatever it held.
    DWORD seven = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, first.c_str(), L"Param_4", REG_DWORD, &seven, sizeof(seven));

    App app;
    app.ReadConnections();
    ASSERT_EQ(3u, app.m_connections.size());
    const wchar_t* names[] = {L"First", L"Second", L"Third"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, app.m_connections[i].id);
        EXPECT_EQ(names[i], Wide(app.m_connections[i].name));
    }
    CTString plain;
    EXPECT_EQ(L"s3cret-two", Wide(app.m_connections[1].GetPassword(plain)));
    EXPECT_EQ(L"two.example", Wide(app.m_connections[1].server));
    EXPECT_EQ(L"b@example.com", Wide(app.m_connections[1].email));
    EXPECT_FALSE(app.m_connections[2].savePassword);
    EXPECT_TRUE(app.m_connections[2].shortcut);
    EXPECT_EQ(L"https://three.example/qel", Wide(app.m_connections[2].server));
    app.WriteConnections();
    EXPECT_EQ(0u, ReadDword(first, L"Param_4"));
}

TEST(AppConnections, APlainPasswordThatReachesTheFieldIsStillWrittenEnciphered)
{
    ClearSettings();
    App app;
    ServerConnection c = Connection(L"Plain", L"srv", L"x@example.com", L"");
    c.password.AssignText(L"typed-in-clear");
    app.m_connections.push_back(c);
    app.WriteConnections();
    std::wstring stored = ReadText(std::wstring(kSettings) + L"\\Connection_0", L"Param_3");
    EXPECT_EQ(std::wstring::npos, stored.find(L"typed-in-clear"));
    app.ReadConnections();
    CTString plain;
    EXPECT_EQ(L"typed-in-clear", Wide(app.m_connections[0].GetPassword(plain)));
}

TEST(AppConnections, LeftoverKeysAreNotReadAndRemovedConnectionsTakeTheirKeyAndPassword)
{
    ClearSettings();
    App app;
    for (const wchar_t* name : {L"A", L"B", L"C"})
        app.m_connections.push_back(Connection(name, L"srv", L"e@example.com", L"pw"));
    app.WriteConnections();
    // An earlier, longer list left Connection_2 behind; the count says two.
    DWORD two = 2;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, L"Connections", REG_DWORD, &two, sizeof(two));
    app.ReadConnections();
    EXPECT_EQ(2u, app.m_connections.size());
    std::wstring third = std::wstring(kSettings) + L"\\Connection_2";
    EXPECT_TRUE(KeyExists(third));

    // Writing the list back removes keys beyond it, saved passwords with them.
    app.WriteConnections();
    EXPECT_FALSE(KeyExists(third));

    ASSERT_TRUE(app.RemoveConnection(0));
    EXPECT_EQ(1u, ReadDword(kSettings, L"Connections"));
    EXPECT_EQ(L"B", ReadText(std::wstring(kSettings) + L"\\Connection_0", L"Param_0"));
    EXPECT_FALSE(KeyExists(std::wstring(kSettings) + L"\\Connection_1"));
    EXPECT_EQ(0, app.m_connections[0].id);
    EXPECT_FALSE(app.RemoveConnection(5));
}

TEST(AppLifecycle, FirstStartShowsTheConnectConsoleAndExitWritesAnEmptyList)
{
    ClearSettings();
    App app;
    RegisterAppWindows(app.m_catalogue);
    ASSERT_EQ(0, app.Init());
    ASSERT_NE(nullptr, app.m_mainWindow);
    EXPECT_EQ(App::kConsoleConnect, ShownConsole(app));
    EXPECT_TRUE(IsWindow(app.m_appWnd.m_hWnd));
    wchar_t className[64] = {};
    GetClassNameW(app.m_appWnd.m_hWnd, className, 64);
    EXPECT_STREQ(L"QELCONSOLE", className);
    EXPECT_EQ(0, app.Exit());
    EXPECT_EQ(0u, ReadDword(kSettings, L"Connections"));
    EXPECT_FALSE(IsWindow(app.m_appWnd.m_hWnd));
}

TEST(AppLifecycle, ClosingTheMainWindowRunsCloseAllOnceAndEndsTheLoop)
{
    TestApp t;
    RecordingWindow* picker = t.Open(111);
    ASSERT_NE(nullptr, picker);
    HWND main = t.app->GetMainHwnd();
    ASSERT_TRUE(IsWindow(main));
    PostMessageW(main, WM_CLOSE, 0, 0);
    MSG msg;
    int code = -1;
    for (int i = 0; i < 200; ++i) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            code = static_cast<int>(msg.wParam);
            break;
        }
        t.app->RouteMessage(msg);
    }
    EXPECT_EQ(0, code);
    EXPECT_EQ(nullptr, t.app->m_mainWindow);
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(111, 0));
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(App::kMainWindowType, 0));
}

TEST(AppLoop, KeysOtherThanBackspaceAndArrowsAreForwardedToTheWebConsole)
{
    TestApp t;
    struct Case {
        UINT message;
        WPARAM key;
        bool forwarded;
    } cases[] = {
        {WM_KEYDOWN, 'A', true}, {WM_CHAR, 'a', true}, {WM_KEYUP, VK_RETURN, true}, {WM_KEYDOWN, VK_BACK, false},
        {WM_KEYDOWN, VK_LEFT, false}, {WM_KEYDOWN, VK_DOWN, false}, {WM_MOUSEMOVE, 0, false},
    };
    for (const Case& c : cases) {
        t.notices.list.clear();
        MSG msg = {t.app->GetMainHwnd(), c.message, c.key, 0};
        t.app->RouteMessage(msg);
        bool forwarded = false;
        for (auto& notice : t.notices.list)
            forwarded = forwarded || (notice.requestId == 1085 && notice.consoleType == 1040);
        EXPECT_EQ(c.forwarded, forwarded) << c.message << " " << c.key;
    }
}

TEST(AppPump, ReturnCodesErrorTextsAndSilentRequests)
{
    TestApp t;
    BoxRecorder boxes;
    RecordingWindow* window = t.Open(101);
    ASSERT_NE(nullptr, window);
    const std::wstring path = L"api/api_objGet.php";

    struct Case {
        const char* name;
        std::string inner;
        bool silent;
        bool delivered;
        int returnCode;
        std::wstring status;   // the status text the window receives
        std::wstring box;      // the box shown, empty for none
    } cases[] = {
        {"rc 0", "<RC id=\"0\" text=\"\"/>", false, true, 0, L"", L""},
        {"rc 1005", "<RC id=\"1005\" text=\"Gone\"/>", false, false, 0, L"",
         L"Gone api/api_objGet.php\r\n[1005]: Gone"},
        {"rc 1005 silent", "<RC id=\"1005\" text=\"Gone\"/>", true, true, 1005, L"api/api_objGet.php\r\n[1005]: Gone", L""},
        {"conflict", "<RC id=\"569\" text=\"Stale\" conflictid=\"17\"/>", true, true, 569,
         L"api/api_objGet.php\r\n[569]: Stale\r\nConflict ID: 17", L""},
        {"conflict 0", "<RC id=\"569\" text=\"Stale\" conflictid=\"0\"/>", true, true, 569,
         L"api/api_objGet.php\r\n[569]: Stale", L""},
        {"error id", "<error id=\"42\"/>", false, false, 0, L"", L"42 OK"},
        {"error text replaced by RC", "<error id=\"42\">Bad</error><RC id=\"3\" text=\"Other\"/>", false, false, 0, L"",
         L"Other api/api_objGet.php\r\n[3]: Other"},
    };
    for (const Case& c : cases) {
        window->received.clear();
        boxes.texts.clear();
        Deliver(t, Route(101, 1052, c.silent), path, XmlHeaders(), Doc(c.inner));
        ASSERT_EQ(c.delivered ? 1u : 0u, window->received.size()) << c.name;
        if (c.delivered) {
            EXPECT_EQ(c.returnCode, window->received[0].returnCode) << c.name;
            EXPECT_EQ(c.status, window->received[0].statusText) << c.name;
            EXPECT_EQ(4, window->received[0].kind) << c.name;
        }
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.texts.empty()) << c.name;
        } else {
            ASSERT_EQ(1u, boxes.texts.size()) << c.name;
            EXPECT_EQ(c.box, boxes.texts[0]) << c.name;
            EXPECT_EQ(L"System Error", boxes.captions[0]);
        }
    }
}

TEST(AppPump, HttpErrorsAndBodiesThatAreNoDocument)
{
    TestApp t;
    BoxRecorder boxes;
    RecordingWindow* window = t.Open(102);

    // 404: the worker's "not found" box only; nothing delivered.
    Deliver(t, Route(102, 1052), L"api/api_x.php", L"HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n", "");
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"api/api_x.php not found", boxes.texts[0]);
    EXPECT_TRUE(window->received.empty());

    // 500 with a page: one "DB Error" box with the reason, not the page's mark-up after it.
    boxes.texts.clear();
    Deliver(t, Route(102, 1052), L"api/api_x.php", L"HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n",
            "<html>broken</html>");
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"DB Error\r\napi/api_x.php\r\n\r\nInternal Server Error", boxes.texts[0]);
    EXPECT_TRUE(window->received.empty());

    // 200 with a page that is no reply document: the page's text is the error.
    boxes.texts.clear();
    Deliver(t, Route(102, 1052), L"api/api_x.php", L"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n",
            "<html>maintenance</html>");
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"<html>maintenance</html>", boxes.texts[0]);
    EXPECT_TRUE(window->received.empty());

    // A content type with a parameter is not the XML reply.
    boxes.texts.clear();
    Deliver(t, Route(102, 1052), L"api/api_x.php",
            L"HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=UTF-8\r\n\r\n", Doc("<RC id=\"0\"/>"));
    EXPECT_EQ(1u, boxes.texts.size());
    EXPECT_TRUE(window->received.empty());

    // Pictures are never parsed nor searched for errors: delivered as they are.
    boxes.texts.clear();
    Deliver(t, Route(102, 1021), L"logo.png", L"HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n\r\n", "\x89PNG");
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_EQ(1u, window->received.size());
    EXPECT_FALSE(window->received[0].hasDocument);
}

TEST(AppPump, TransportFailuresOfSilentAndOtherRequests)
{
    TestApp t;
    BoxRecorder boxes;
    RecordingWindow* window = t.Open(103);
    t.app->m_connected = true;
    t.app->m_mainWindow->ShowConsole(1035, 0, false);

    // Silent: the box, then thread message 1058 signs the session off and shows the connect console.
    Deliver(t, Route(103, 1052, true), L"api/api_objGet.php", L"", "", 12002);
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"The request has timed out.", boxes.texts[0]);
    EXPECT_FALSE(t.app->m_connected);
    EXPECT_EQ(App::kConsoleConnect, ShownConsole(*t.app));
    EXPECT_TRUE(window->received.empty());
    EXPECT_GE(t.transport->m_closed, 1);

    boxes.texts.clear();
    Deliver(t, Route(103, 1052, true), L"api/api_objGet.php", L"", "", 12152);
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(L"The server response could not be parsed.\r\napi/api_objGet.php", boxes.texts[0]);
    boxes.texts.clear();
    Deliver(t, Route(103, 1052, true), L"api/api_objGet.php", L"", "", 12175);
    EXPECT_EQ(L"Secure connection failed.\r\napi/api_objGet.php", boxes.texts[0]);

    // Not silent (no transport error reaches the pump): one "DB Error" box from the worker.
    boxes.texts.clear();
    Deliver(t, Route(103, 1052), L"api/api_objGet.php", L"", "");
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"DB Error\r\napi/api_objGet.php", boxes.texts[0]);
    EXPECT_TRUE(window->received.empty());
}

TEST(AppPump, CookiesFromRepeatedSetCookieHeaders)
{
    TestApp t;
    Deliver(t, Route(0, 1043, true), L"api/api_logoncheck.php",
            XmlHeaders(L"Set-Cookie: sid=abc; path=/\r\nSet-Cookie: Lang=en\r\nSet-Cookie: ; path=/\r\n"), Doc("<RC id=\"0\"/>"));
    ASSERT_EQ(2u, t.app->m_cookies.GetCount());
    ASSERT_NE(nullptr, t.app->m_cookies.Find(CTString(L"SID")));
    EXPECT_EQ(L"abc", Wide(t.app->m_cookies.Find(CTString(L"SID"))->GetString()));
    EXPECT_EQ(L"en", Wide(t.app->m_cookies.Find(CTString(L"LANG"))->GetString()));
    Deliver(t, Route(0, 1043, true), L"api/api_logoncheck.php", XmlHeaders(L"Set-Cookie: sid=\"def\"\r\n"),
            Doc("<RC id=\"0\"/>"));
    EXPECT_EQ(2u, t.app->m_cookies.GetCount());
    EXPECT_EQ(L"def", Wide(t.app->m_cookies.Find(CTString(L"sid"))->GetString()));
}

TEST(AppPump, RepliesToTheApplicationReachItsHandlerAfterAnErrorBox)
{
    TestApp t;
    BoxRecorder boxes;
    // An object list with an error text: shown, and still filed by the application's handler.
    Deliver(t, Route(0, 1001), L"api/api_objSearch.php", XmlHeaders(),
            Doc("<error>partial</error><object id=\"5\" type=\"1\" parent=\"0\" serial=\"1\" name=\"Five\"/>"));
    EXPECT_EQ(1u, boxes.texts.size());
    ASSERT_EQ(1u, t.app->m_objects.children.size());
    EXPECT_EQ(5, t.app->m_objects.children[0].id);
}

TEST(AppPump, RepliesToTheDirectoryCacheAreFiled)
{
    TestApp t;
    Deliver(t, Route(96, 1052, true), L"api/api_objGet.php", XmlHeaders(),
            Doc("<parameters ID=\"77\"/><object id=\"77\" type=\"1\" parent=\"0\" serial=\"3\" name=\"Cached\"/>"));
    const Object* cached = t.app->m_dir.Lookup(77);
    ASSERT_NE(nullptr, cached);
    EXPECT_EQ(77, cached->id);
}

TEST(AppFactory, EveryWindowTypeBuildsItsWindowOrNothing)
{
    App app;
    for (int type = 0; type <= 60; ++type) {
        CWindowManager::CWindow* window = App::CreateWindowOfType(&app, type, 0);
        bool unused = type == 0 || type == 2 || (type >= 17 && type <= 24) || type == 48 || type > 54;
        EXPECT_EQ(unused, window == nullptr) << type;
        auto* placeholder = dynamic_cast<PlaceholderWindow*>(window);
        if (!unused) {
            EXPECT_NE(nullptr, placeholder) << type;
        }
        delete window;
    }
    CWindowManager::CWindow* main = App::CreateWindowOfType(&app, 0xffff, 0);
    EXPECT_NE(nullptr, dynamic_cast<MainWindow*>(main));
    delete main;

    struct Flags {
        int type;
        bool a, b;
    } flags[] = {{9, false, false}, {25, true, false}, {38, false, true}, {10, false, false},
                 {26, true, false}, {27, false, true}, {44, false, false}, {45, true, false}};
    for (const Flags& f : flags) {
        auto* window = static_cast<PlaceholderWindow*>(App::CreateWindowOfType(&app, f.type, 0));
        EXPECT_EQ(f.a, window->m_flagA) << f.type;
        EXPECT_EQ(f.b, window->m_flagB) << f.type;
        delete window;
    }
    int forms[] = {1, 4, 5, 6, 29, 30, 35, 39, 40, 41, 43, 46, 47, 49, 51, 52};
    for (int type : forms) {
        auto* window = static_cast<PlaceholderWindow*>(App::CreateWindowOfType(&app, type, 0));
        EXPECT_EQ(PlaceholderWindow::KindForm, window->m_kind) << type;
        EXPECT_EQ(170u, window->m_templateId);
        EXPECT_EQ(1187u, window->m_tabId);
        EXPECT_EQ(105u, window->m_headerId);
        EXPECT_EQ(112u, window->m_confirmCloseId);
        EXPECT_EQ(type == 6 ? 600 : 425, window->m_defaultWidth) << type;
        EXPECT_EQ(425, window->m_defaultHeight);
        delete window;
    }
}

TEST(AppFactory, OpenedPlaceholdersAreTitledWithTheirType)
{
    TestApp t;
    t.app->m_windows.OpenWindow(6, 12, 0);
    auto* window = dynamic_cast<PlaceholderWindow*>(t.app->m_windows.FindWindow(6, 12));
    ASSERT_NE(nullptr, window);
    CTString title;
    GetWindowTextString(window->m_hWnd, title);
    EXPECT_EQ(L"Window type 6", Wide(title));
    t.app->m_windows.OpenWindow(2, 0, 0);
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(2, 0));
}

TEST(AppWindowEvents, ClosedWindowsWaitForIdleBeforeTheyAreDeleted)
{
    TestApp t;
    t.transport->m_pending = 1;
    t.app->m_windows.OpenWindow(6, 5, 0);
    ASSERT_NE(nullptr, t.app->m_windows.FindWindow(6, 5));
    // A fetch queued for the window is dropped with it.
    RequestRoute route = Route(6, 1052);
    route.targetKey = 5;
    bool ran = false;
    t.app->m_dir.RequestObject(4242, 0, route, [&]() { ran = true; }, nullptr);
    EXPECT_EQ(1u, t.app->m_dir.GetPendingCount());

    t.app->m_windows.CloseWindows(6, 5);
    t.Pump();
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(6, 5));
    EXPECT_EQ(1u, t.app->m_windows.m_deletion.GetCount()) << "deleted while a request is pending";
    EXPECT_EQ(0u, t.app->m_dir.GetPendingCount());

    PostMessageW(t.app->GetMainHwnd(), App::kMsgDeleteClosed, 0, 0);
    t.Pump();
    EXPECT_EQ(1u, t.app->m_windows.m_deletion.GetCount());

    t.transport->m_pending = 0;
    PostMessageW(t.app->GetMainHwnd(), App::kMsgDeleteClosed, 0, 0);
    t.Pump();
    EXPECT_EQ(0u, t.app->m_windows.m_deletion.GetCount());
    EXPECT_FALSE(ran);

    // Idle at the close: deleted through the loop at once.
    t.app->m_windows.OpenWindow(6, 6, 0);
    t.app->m_windows.CloseWindows(6, 6);
    t.Pump();
    EXPECT_EQ(0u, t.app->m_windows.m_deletion.GetCount());
}

TEST(AppWindowEvents, ASaveConflictIsAnnouncedOncePerReceivingWindow)
{
    TestApp t;
    BoxRecorder boxes;
    RecordingWindow* a = t.Open(104, 1);
    RecordingWindow* b = t.Open(104, 2);
    Deliver(t, Route(104, 1051, true), L"api/api_objSet.php", XmlHeaders(), Doc("<RC id=\"569\" text=\"Conflict\"/>"));
    ASSERT_EQ(2u, boxes.texts.size());
    EXPECT_EQ(L"Error Object Requires Synchronisation - please Refresh", boxes.texts[0]);
    EXPECT_EQ(L"Object Save Error", boxes.captions[1]);
    EXPECT_EQ(1u, a->received.size());
    EXPECT_EQ(1u, b->received.size());
}

TEST(AppSession, SignInSuccessResetsIconsAndNotifiesTheMainWindowThreeTimes)
{
    TestApp t;
    t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
    EXPECT_TRUE(t.app->m_connected);
    EXPECT_EQ(L"srv", Wide(t.app->m_server));
    ASSERT_EQ(1u, t.transport->CountPath("api/api_logon.php"));
    EXPECT_EQ(App::kConsoleConnecting, ShownConsole(*t.app));

    // A second Connect while signed in sends nothing.
    t.app->Logon(CTString(L"other"), CTString(L"b"), CTString(L"c"));
    EXPECT_EQ(1u, t.transport->CountPath("api/api_logon.php"));

    t.app->m_paths[3] = L"\\Old\\Server";
    t.notices.list.clear();
    t.Answer("api/api_logon.php", XmlHeaders(L"Set-Cookie: SID=s1; path=/\r\n"),
             Doc("<RC id=\"0\" text=\"\"/><object id=\"90\" type=\"9\" parent=\"7\" serial=\"1\" name=\"Admin\"/>"));
    EXPECT_TRUE(t.app->m_connected);
    EXPECT_EQ(2, ImageList_GetImageCount(t.app->m_largeImages));
    EXPECT_EQ(2, ImageList_GetImageCount(t.app->m_smallImages));
    auto& notices = t.notices.list;
    ASSERT_EQ(3u, notices.size());
    EXPECT_EQ(0, notices[0].consoleType);
    EXPECT_EQ(1000, notices[1].consoleType);
    EXPECT_EQ(1001, notices[2].consoleType);
    EXPECT_EQ(1041, notices[0].requestId);
    CTString text(L" ");
    EXPECT_FALSE(t.app->GetCachedPath(3, text)) << "a path of another session survived";
}

TEST(AppSession, RefusedAndFailedSignInsDisconnect)
{
    struct Case {
        const char* name;
        std::wstring headers;
        std::string body;
    } cases[] = {
        {"rc 1", XmlHeaders(), Doc("<RC id=\"1\" text=\"Refused\"/>")},
        {"http 500", L"HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n", "<html>oops</html>"},
        {"http 404", L"HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n", ""},
        {"no return code", XmlHeaders(), Doc("")},
    };
    for (const Case& c : cases) {
        TestApp t;
        BoxRecorder boxes;
        t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
        int closedBefore = t.transport->m_closed;
        t.notices.list.clear();
        t.Answer("api/api_logon.php", c.headers, c.body);
        EXPECT_FALSE(t.app->m_connected) << c.name;
        EXPECT_EQ(App::kConsoleConnecting, ShownConsole(*t.app)) << c.name;
        EXPECT_GT(t.transport->m_closed, closedBefore) << c.name << ": not disconnected";
        EXPECT_EQ(0, ImageList_GetImageCount(t.app->m_largeImages)) << c.name << ": took the signed-in path";
        bool toldConnecting = false;
        for (auto& notice : t.notices.list)
            toldConnecting = toldConnecting || (notice.requestId == 1041 && notice.consoleType == 1001);
        EXPECT_TRUE(toldConnecting) << c.name;
    }
}

TEST(AppSession, SignOutClosesSessionWindowsAndEmptiesTheSessionCaches)
{
    TestApp t;
    t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
    t.Answer("api/api_logon.php", XmlHeaders(L"Set-Cookie: SID=s1\r\n"), Doc("<RC id=\"0\"/>"));
    t.app->m_windows.OpenWindow(6, 1, 0);
    t.app->m_windows.OpenWindow(44, 1, 0);
    t.app->m_paths[12] = L"\\A";
    t.app->m_keyedLists[1] = {};
    t.app->m_realtime.m_retries = 2;

    t.app->Logoff();
    EXPECT_EQ(1u, t.transport->CountPath("api/api_logoff.php"));
    EXPECT_GE(t.transport->m_dropped, 1) << "waiting requests survive the sign-out";
    EXPECT_EQ(0, t.app->m_realtime.m_retries);
    EXPECT_TRUE(t.app->m_connected) << "connected until the reply";

    t.Answer("api/api_logoff.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    EXPECT_FALSE(t.app->m_connected);
    EXPECT_TRUE(t.app->m_server.IsEmpty());
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(6, 1));
    EXPECT_NE(nullptr, t.app->m_windows.FindWindow(44, 1));
    EXPECT_EQ(0u, t.app->m_cookies.GetCount());
    EXPECT_TRUE(t.app->m_paths.empty());
    EXPECT_TRUE(t.app->m_keyedLists.empty());
    EXPECT_EQ(App::kConsoleConnect, ShownConsole(*t.app));

    // Not signed in: nothing is sent, the retry counter is still reset.
    t.app->m_realtime.m_retries = 3;
    t.app->Logoff();
    EXPECT_EQ(1u, t.transport->CountPath("api/api_logoff.php"));
    EXPECT_EQ(0, t.app->m_realtime.m_retries);
}

namespace {
LRESULT CALLBACK RefuseCreation(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
        return FALSE;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
} // namespace

TEST(AppLifecycle, WithoutItsMessageWindowStartUpCompletesAndTheProgramEndsWithCode1)
{
    ClearSettings();
    // A class of that name that refuses every window: the message window cannot be made.
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = RefuseCreation;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QELCONSOLE";
    UnregisterClassW(L"QELCONSOLE", wc.hInstance);   // the one earlier applications of this program registered
    ASSERT_NE(0, RegisterClassExW(&wc));
    {
        App app;
        EXPECT_EQ(1, AppMain(app, GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL));
        EXPECT_EQ(0u, ReadDword(kSettings, L"Connections")) << "Exit did not run";
        EXPECT_NE(nullptr, app.m_largeImages) << "start-up stopped early";
        app.m_windows.DeleteClosedWindows();
    }
    UnregisterClassW(L"QELCONSOLE", GetModuleHandleW(nullptr));
}
