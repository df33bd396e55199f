// Signing in through the panes against the fixture server, with the real transport: a saved
// connection is chosen, a wrong password fails in the connecting pane, Retry with the right one
// signs in and the start-up loads run to the main window, sign-out brings the connect pane back;
// HTTP failures and a reply without return code end in the failed state, and Cancel leaves it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <mutex>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/AppWindows.h"
#include "app/DlgConnect.h"
#include "app/DlgConnecting.h"
#include "app/MainWindow.h"
#include "framework/CTRegKey.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "session/FixtureServer.h"

namespace {

const fixture::Info& Server() { return fixture::Shared(); }

// Boxes come from the transport's worker thread too: answered with OK and kept.
class Boxes : public MessageBoxAnswerer {
public:
    Boxes() { MessageBoxAnswerer::Install(this); }
    ~Boxes() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.push_back(box.m_text ? box.m_text : L"");
        box.Press(IDOK);
    }
    std::mutex m_mutex;
    std::vector<std::wstring> m_texts;
};

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

bool Visible(HWND dialog, int id)
{
    return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

ServerConnection Saved(const wchar_t* name, const wchar_t* password)
{
    ServerConnection c;
    c.name = name;
    c.server.Format(L"https://127.0.0.1:%d", Server().httpsPort);
    c.email = L"admin@example.test";
    c.SetPassword(CTString(password));
    return c;
}

// The fixture's console version range offers an update: declined, so the session goes on.
INT_PTR DeclineUpdate(HWND, const CTString&, const CTString&, UINT)
{
    return IDCANCEL;
}

struct LiveApp {
    std::unique_ptr<App> app;
    MainWindow::VersionBoxFn versionBox = MainWindow::s_versionBox;

    LiveApp(std::vector<ServerConnection> connections, DWORD last)
    {
        MainWindow::s_versionBox = &DeclineUpdate;
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QELTestSignInLive");
        app = std::make_unique<App>();
        RegisterAppWindows(app->m_catalogue);
        for (size_t i = 0; i < connections.size(); ++i)
            connections[i].id = static_cast<int>(i);
        app->m_connections = connections;
        app->WriteConnections();
        CTRegKey(104, nullptr, L"Settings").WriteDword(DlgConnect::kLastConnection, last);
        app->Init();
        PumpUntil([] { return false; }, 100);
    }
    ~LiveApp()
    {
        if (app->m_connected) {
            app->Logoff();
            PumpUntil([this] { return !app->m_connected; }, 10000);
        }
        app->m_windows.CloseAllWindows();
        app->m_windows.DeleteClosedWindows();
        PumpUntil([] { return false; }, 100);
        MainWindow::s_versionBox = versionBox;
    }

    // Runs the application's loop steps until done holds (checked after every message).
    bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 30000)
    {
        DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > milliseconds)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message != WM_QUIT)
                    app->RouteMessage(msg);
                if (done())
                    return true;
            }
        }
        return true;
    }

    MainWindow* Main() { return app->m_mainWindow; }
    DlgConnect* Connect() { return dynamic_cast<DlgConnect*>(Main()->FindConsole(1000, 0)); }
    DlgConnecting* Connecting() { return dynamic_cast<DlgConnecting*>(Main()->FindConsole(1001, 0)); }
    int Current() { return Main()->m_current ? Main()->m_current->GetConsoleType() : 0; }
    bool Failed()
    {
        DlgConnecting* pane = Connecting();
        return pane && Visible(pane->m_hWnd, DlgConnecting::kIdRetry);
    }
    void Click(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
};

} // namespace

TEST(SignInLive, WrongPasswordThenRetrySignsInToTheMainWindowAndSignsOut)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    Boxes boxes;
    LiveApp live({Saved(L"Fixture (wrong password)", L"wrong"), Saved(L"Fixture", L"secret")}, 0);
    DlgConnect* connect = live.Connect();
    ASSERT_TRUE(connect);
    ASSERT_EQ(1000, live.Current());
    EXPECT_EQ(L"wrong", ItemText(connect->m_hWnd, DlgConnect::kIdPassword));

    live.Click(connect->m_hWnd, DlgConnect::kIdConnect);
    ASSERT_TRUE(live.PumpUntil([&] { return live.Failed(); })) << "never left \"Connecting...\"";
    HWND connecting = live.Connecting()->m_hWnd;
    EXPECT_NE(std::wstring::npos, ItemText(connecting, DlgConnecting::kIdMessage).find(L"Invalid e-mail address or password"));
    EXPECT_FALSE(live.app->m_connected);

    // Choose the other saved connection, then Retry.
    HWND combo = GetDlgItem(connect->m_hWnd, DlgConnect::kIdConnections);
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Fixture"));
    SendMessageW(connect->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgConnect::kIdConnections, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(L"secret", ItemText(connect->m_hWnd, DlgConnect::kIdPassword));
    live.Click(connecting, DlgConnecting::kIdRetry);
    EXPECT_EQ(L"Connecting...", ItemText(connecting, DlgConnecting::kIdMessage));

    // Accepted: the progress bar over the start-up loads replaces the text, the password is gone.
    bool sawProgress = false, passwordEmptied = false;
    int range = 0;
    bool loaded = live.PumpUntil([&] {
        if (DlgConnecting* pane = live.Connecting()) {
            if (Visible(pane->m_hWnd, DlgConnecting::kIdProgress) && !sawProgress) {
                sawProgress = true;
                range = static_cast<int>(SendMessageW(GetDlgItem(pane->m_hWnd, DlgConnecting::kIdProgress),
                                                      PBM_GETRANGE, FALSE, 0));
                passwordEmptied = live.Connect() && ItemText(live.Connect()->m_hWnd, DlgConnect::kIdPassword).empty();
            }
        }
        return live.Main()->GetStartupMask() == 0xBBC51 && !live.Connecting() && !live.Connect();
    });
    if (!loaded) {
        std::lock_guard<std::mutex> lock(boxes.m_mutex);
        for (const std::wstring& text : boxes.m_texts)
            ADD_FAILURE() << "box: " << std::string(text.begin(), text.end());
    }
    ASSERT_TRUE(loaded) << "start-up loads incomplete: mask " << std::hex << live.Main()->GetStartupMask();
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(11, range);
    EXPECT_TRUE(passwordEmptied);
    EXPECT_TRUE(live.app->m_connected);
    EXPECT_NE(1000, live.Current());
    EXPECT_NE(1001, live.Current());
    EXPECT_EQ(1u, CTRegKey(104, nullptr, L"Settings").ReadDword(DlgConnect::kLastConnection, 99));

    // Sign-out: the session ends and the connect pane is back with the last connection chosen.
    PostMessageW(live.Main()->m_hWnd, WM_COMMAND, MainWindow::kCmdSignOut, 0);
    ASSERT_TRUE(live.PumpUntil([&] { return !live.app->m_connected && live.Current() == 1000; }));
    ASSERT_TRUE(live.Connect());
    EXPECT_EQ(L"secret", ItemText(live.Connect()->m_hWnd, DlgConnect::kIdPassword));

    // The realtime socket was closed with status 1000, not dropped.
    std::string closedWith;
    ASSERT_TRUE(live.PumpUntil([&] {
        nlohmann::json log = nlohmann::json::parse(fixture::Control(Server(), L"GET", L"/control/ws_log"), nullptr, false);
        std::string socketPath;
        closedWith.clear();
        if (log.is_array())
            for (const auto& entry : log) {
                if (entry["type"] == "open" && entry["path"].get<std::string>().rfind("/socket.io?", 0) == 0) {
                    socketPath = entry["path"];
                    closedWith.clear();
                } else if (entry["type"] == "closed" && entry["path"] == socketPath) {
                    closedWith = entry["data"];
                }
            }
        return !closedWith.empty();
    }, 5000)) << "the server saw no close of the realtime socket";
    EXPECT_EQ("1000", closedWith);
}

TEST(SignInLive, HttpFailuresAndForeignRepliesFailWithRetryAndCancelReturnsToConnect)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    struct Case {
        const wchar_t* password;   // the fixture's logon page answers these with a failure
        const wchar_t* message;
    } cases[] = {
        {L"http404", L"HTTP Error: Not Found"},
        {L"http500", L"HTTP Error: Internal Server Error"},
        {L"norc", L"QEL Not Found on Host"},
    };
    for (const Case& c : cases) {
        Boxes boxes;
        LiveApp live({Saved(L"Fixture", c.password)}, 0);
        ASSERT_TRUE(live.Connect());
        live.Click(live.Connect()->m_hWnd, DlgConnect::kIdConnect);
        ASSERT_TRUE(live.PumpUntil([&] { return live.Failed(); })) << "never left \"Connecting...\"";
        HWND connecting = live.Connecting()->m_hWnd;
        EXPECT_EQ(c.message, ItemText(connecting, DlgConnecting::kIdMessage));
        EXPECT_TRUE(Visible(connecting, DlgConnecting::kIdIcon));
        EXPECT_FALSE(live.app->m_connected);

        live.Click(connecting, DlgConnecting::kIdCancel);
        ASSERT_TRUE(live.PumpUntil([&] { return !live.Connecting() && live.Current() == 1000; }));
        EXPECT_TRUE(IsWindowVisible(live.Connect()->m_hWnd));
    }
}

TEST(SignInLive, CutShortAndOversizedRepliesEndInOneErrorOnTheConnectPaneWithWhatWasTyped)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    for (const wchar_t* password : {L"cutshort", L"huge"}) {
        Boxes boxes;
        LiveApp live({Saved(L"Fixture", L"secret")}, 0);
        DlgConnect* connect = live.Connect();
        ASSERT_TRUE(connect);
        // Typed over the saved connection.
        std::wstring server = L"127.0.0.1:" + std::to_wstring(Server().httpsPort);
        SetDlgItemTextW(connect->m_hWnd, DlgConnect::kIdServer, server.c_str());
        SetDlgItemTextW(connect->m_hWnd, DlgConnect::kIdEmail, L"typed@example.test");
        SetDlgItemTextW(connect->m_hWnd, DlgConnect::kIdPassword, password);
        live.Click(connect->m_hWnd, DlgConnect::kIdConnect);
        ASSERT_TRUE(live.PumpUntil([&] {
            std::lock_guard<std::mutex> lock(boxes.m_mutex);
            return !boxes.m_texts.empty() && live.Current() == 1000;
        }, 20000)) << "sign-in with " << std::string(password, password + wcslen(password)) << " never ended";
        live.PumpUntil([] { return false; }, 300);   // a second box would show by now

        std::lock_guard<std::mutex> lock(boxes.m_mutex);
        ASSERT_EQ(1u, boxes.m_texts.size());
        EXPECT_NE(std::wstring::npos, boxes.m_texts[0].find(L"api/api_logon.php")) << boxes.m_texts[0];
        EXPECT_EQ(std::wstring::npos, boxes.m_texts[0].find(L"Unknown error")) << boxes.m_texts[0];
        EXPECT_FALSE(live.app->m_connected);
        EXPECT_EQ(1000, live.Current());
        connect = live.Connect();
        ASSERT_TRUE(connect);
        EXPECT_TRUE(IsWindowVisible(connect->m_hWnd));
        EXPECT_EQ(server, ItemText(connect->m_hWnd, DlgConnect::kIdServer));
        EXPECT_EQ(L"typed@example.test", ItemText(connect->m_hWnd, DlgConnect::kIdEmail));
    }
}
