// The application signs in to the fixture server and out again over the real transport, fetches
// icons, keeps its cookies, and treats refused and failed sign-ins as failures. The console
// program itself starts, shows its main window and ends with exit code 0 when it is closed.
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include "app/App.h"
#include "app/AppWindows.h"
#include "app/MainWindow.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "app/AppFixture.h"
#include "session/FixtureServer.h"

namespace {

using apptest::BoxRecorder;

// Runs the application's loop steps until done holds or 20 seconds have passed.
bool RunUntil(App& app, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 20000)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT)
                app.RouteMessage(msg);
    }
    return true;
}

bool Told(const apptest::MainNotices& notices, int requestId, int consoleType)
{
    for (auto& notice : notices.list)
        if (notice.requestId == requestId && notice.consoleType == consoleType)
            return true;
    return false;
}

std::wstring CookieOf(App& app, const wchar_t* name)
{
    CAttributes::CItem* item = app.m_cookies.Find(CTString(name));
    return item && item->GetString().GetBuffer() ? item->GetString().GetBuffer() : L"";
}


class SignIn : public ::testing::Test {
protected:
    void SetUp() override
    {
        info = fixture::Shared();   // with its CA trusted, as the realtime socket needs
        ASSERT_TRUE(info.ok) << "fixture server not running";
        server = L"127.0.0.1:" + std::to_wstring(info.httpsPort);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QELTestSignIn");
        RegisterAppWindows(app.m_catalogue);
        ASSERT_EQ(0, app.Init());
    }
    void TearDown() override
    {
        app.m_windows.CloseAllWindows();
        app.m_windows.DeleteClosedWindows();
    }

    void LogOn(const wchar_t* email, const wchar_t* password)
    {
        notices.list.clear();
        app.Logon(CTString(server.c_str()), CTString(email), CTString(password));
    }

    fixture::Info info;
    std::wstring server;
    App app;
    apptest::MainNotices notices{app};
};

} // namespace

TEST_F(SignIn, SignsInAndOutAgain)
{
    BoxRecorder boxes;
    LogOn(L"e2e@example.com", L"secret");
    EXPECT_EQ(App::kConsoleConnecting, apptest::ShownConsole(app));
    ASSERT_TRUE(RunUntil(app, [&] { return Told(notices, 1041, 1001) && Told(notices, 1041, 1000); }));
    EXPECT_TRUE(app.m_connected);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(L"fixture-session", CookieOf(app, L"SID"));
    EXPECT_EQ(L"en-GB", CookieOf(app, L"LANG"));
    EXPECT_EQ(2, ImageList_GetImageCount(app.m_largeImages));

    // The keep-alive page answers while signed in.
    RequestRoute keepAlive;
    keepAlive.targetType = App::kMainWindowType;
    keepAlive.requestId = 1043;
    keepAlive.silent = true;
    app.m_db.SendRequest(L"POST", CTString(L"api/api_logoncheck.php"), CTString(DB::kFormContentType), nullptr, keepAlive);
    ASSERT_TRUE(RunUntil(app, [&] { return Told(notices, 1043, 0); }));

    // Icons come from the server and replace their placeholders; a broken one keeps it.
    RequestRoute iconRoute;
    iconRoute.targetType = App::kMainWindowType;
    HICON icon = app.GetIcon(1, CTString(L"icons/red.png"), iconRoute);
    DestroyIcon(icon);
    icon = app.GetIcon(1, CTString(L"icons/broken.png"), iconRoute);
    DestroyIcon(icon);
    ASSERT_TRUE(RunUntil(app, [&] {
        int replies = 0;
        for (auto& notice : notices.list)
            replies += notice.requestId == 1022;
        return replies == 2;
    }));
    COLORREF fetched = apptest::CentreColour(app.m_largeImages, 2);
    EXPECT_TRUE(GetRValue(fetched) > 200 && GetGValue(fetched) < 60) << std::hex << fetched;
    EXPECT_EQ(apptest::CentreColour(app.m_largeImages, 0), apptest::CentreColour(app.m_largeImages, 3));

    app.m_windows.OpenWindow(6, 1, 0);
    app.m_windows.OpenWindow(44, 1, 0);
    app.Logoff();
    ASSERT_TRUE(RunUntil(app, [&] { return !app.m_connected; }));
    EXPECT_EQ(App::kConsoleConnect, apptest::ShownConsole(app));
    EXPECT_EQ(0u, app.m_cookies.GetCount());
    EXPECT_EQ(nullptr, app.m_windows.FindWindow(6, 1));
    EXPECT_NE(nullptr, app.m_windows.FindWindow(44, 1));

    // What the server saw: the sign-in form with the console's agent text, then the sign-out.
    nlohmann::json requests = fixture::Requests(info, "/api/api_log");
    bool logon = false, logoff = false;
    for (auto& request : requests) {
        std::string body = fixture::Base64Decode(request["body_b64"].get<std::string>());
        std::string target = request["target"].get<std::string>();
        if (target == "/api/api_logon.php" && body == "Email=e2e@example.com&Passwd=secret&PRIVILEGE=QELConsole") {
            logon = true;
            std::string agent;
            for (auto& header : request["headers"])
                if (header[0].get<std::string>() == "User-Agent")
                    agent = header[1].get<std::string>();
            EXPECT_EQ(0u, agent.rfind("QELConsole/1.0.0.0", 0)) << agent;
        }
        if (target == "/api/api_logoff.php" && logon)
            logoff = true;
    }
    EXPECT_TRUE(logon);
    EXPECT_TRUE(logoff);
}

TEST_F(SignIn, RefusedAndFailedSignInsLeaveTheSessionClosed)
{
    struct Case {
        const wchar_t* password;
        int returnCode;
        bool box;
    } cases[] = {{L"wrong", 1005, false}, {L"http500", 0, true}, {L"http404", 0, true}, {L"norc", 0, false}};
    for (const Case& c : cases) {
        BoxRecorder boxes;
        LogOn(L"e2e@example.com", c.password);
        ASSERT_TRUE(RunUntil(app, [&] { return !app.m_connected; })) << c.password;
        ASSERT_TRUE(RunUntil(app, [&] { return Told(notices, 1041, 1001); })) << c.password;
        EXPECT_FALSE(Told(notices, 1041, 1000)) << c.password << ": took the signed-in path";
        EXPECT_EQ(App::kConsoleConnecting, apptest::ShownConsole(app));
        EXPECT_EQ(0, ImageList_GetImageCount(app.m_largeImages)) << c.password;
        EXPECT_EQ(c.box, !boxes.Texts().empty()) << c.password;
        for (auto& notice : notices.list) {
            if (notice.requestId == 1041 && notice.kind == 4) {
                EXPECT_EQ(c.returnCode, notice.returnCode) << c.password;
            }
        }
    }
    // Signing in again after a refusal works.
    LogOn(L"e2e@example.com", L"secret");
    ASSERT_TRUE(RunUntil(app, [&] { return Told(notices, 1041, 1000); }));
    EXPECT_TRUE(app.m_connected);
    app.Logoff();
    ASSERT_TRUE(RunUntil(app, [&] { return !app.m_connected; }));
}

TEST(ConsoleProgram, StartsShowsItsMainWindowAndEndsWhenItIsClosed)
{
    char binary[1024] = {};
    ASSERT_TRUE(GetEnvironmentVariableA("QEL_BINARY_DIR", binary, sizeof(binary)));
    std::string exe = std::string("Z:") + binary + "/app/QELConsole.exe";
    for (char& c : exe)
        if (c == '/') c = '\\';
    STARTUPINFOA startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << exe;
    HWND main = nullptr;
    for (int i = 0; i < 300 && !main; ++i) {
        Sleep(50);
        for (HWND candidate = FindWindowW(MainWindow::kClassName, nullptr); candidate;
             candidate = FindWindowExW(nullptr, candidate, MainWindow::kClassName, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(candidate, &owner);
            if (owner == process.dwProcessId)
                main = candidate;
        }
    }
    ASSERT_NE(nullptr, main);
    SetWindowPos(main, nullptr, -4000, -4000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_NE(nullptr, FindWindowW(L"QELCONSOLE", nullptr));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 20000));
    DWORD code = 99;
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DWORD count = 99, size = sizeof(count);
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QEL\\Settings", L"Connections",
                                          RRF_RT_REG_DWORD, nullptr, &count, &size));
}
