// The connect and connecting panes over a recording transport: choosing a saved connection and
// "LastConnection", the auto-connect flag, every kind of failed sign-in ending in the failed state
// with Retry, the Retry flow, the accepted state with its progress, and what a success writes.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "app/AppFixture.h"
#include "app/DlgConnect.h"
#include "app/DlgConnecting.h"
#include "framework/CTRegKey.h"

using namespace apptest;

namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

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

std::wstring SelectedConnection(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, DlgConnect::kIdConnections);
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return L"<none>";
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void ClearSettings()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TAVIK\\QELTestConnectPanes");
}

DWORD LastConnection()
{
    CTRegKey settings(104, nullptr, L"Settings");
    return settings.ReadDword(DlgConnect::kLastConnection, kNone);
}

void SetLastConnection(DWORD id)
{
    CTRegKey settings(104, nullptr, L"Settings");
    settings.WriteDword(DlgConnect::kLastConnection, id);
}

ServerConnection Saved(const wchar_t* name, const wchar_t* server, const wchar_t* email, const wchar_t* password)
{
    ServerConnection c;
    c.name = name;
    c.server = server;
    c.email = email;
    c.SetPassword(CTString(password));
    return c;
}

// An application whose saved connections are written before Init reads them.
struct PaneApp {
    TestApp t{false};
    explicit PaneApp(std::vector<ServerConnection> connections, DWORD last = kNone)
    {
        ClearSettings();
        for (size_t i = 0; i < connections.size(); ++i)
            connections[i].id = static_cast<int>(i);
        t.app->m_connections = connections;
        t.app->WriteConnections();
        if (last != kNone)
            SetLastConnection(last);
        t.app->Init();
        t.Pump();
    }
    DlgConnect* Connect() { return dynamic_cast<DlgConnect*>(t.app->m_mainWindow->FindConsole(1000, 0)); }
    DlgConnecting* Connecting() { return dynamic_cast<DlgConnecting*>(t.app->m_mainWindow->FindConsole(1001, 0)); }
    int Current() { return t.app->m_mainWindow->m_current ? t.app->m_mainWindow->m_current->GetConsoleType() : 0; }
};

} // namespace

TEST(ConnectPane, ChoosesLastConnectionElseTheFirstByNameAndFillsTheFields)
{
    std::vector<ServerConnection> two = {Saved(L"Zulu", L"zulu.test", L"z@example.test", L"zpw"),
                                         Saved(L"Alpha", L"alpha.test", L"a@example.test", L"apw")};
    struct Case {
        const char* name;
        DWORD last;
        const wchar_t* selected;
        const wchar_t* server;
        const wchar_t* password;
    } cases[] = {
        {"stored id 0", 0, L"Zulu", L"zulu.test", L"zpw"},
        {"stored id 1", 1, L"Alpha", L"alpha.test", L"apw"},
        {"stored id gone", 7, L"Alpha", L"alpha.test", L"apw"},
    };
    for (const Case& c : cases) {
        PaneApp p(two, c.last);
        DlgConnect* pane = p.Connect();
        ASSERT_TRUE(pane) << c.name;
        EXPECT_EQ(1000, p.Current()) << c.name;
        EXPECT_EQ(c.selected, SelectedConnection(pane->m_hWnd)) << c.name;
        EXPECT_EQ(c.server, ItemText(pane->m_hWnd, DlgConnect::kIdServer)) << c.name;
        EXPECT_EQ(c.password, ItemText(pane->m_hWnd, DlgConnect::kIdPassword)) << c.name;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(pane->m_hWnd, DlgConnect::kIdConnect))) << c.name;
        EXPECT_EQ(0u, p.t.transport->CountPath("api/api_logon.php")) << c.name << ": signed in without a click";
    }

    // No saved connection: nothing selected, Connect disabled until a server is typed, and Connect
    // with an empty server sends nothing.
    PaneApp empty({});
    DlgConnect* pane = empty.Connect();
    ASSERT_TRUE(pane);
    EXPECT_EQ(L"<none>", SelectedConnection(pane->m_hWnd));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(pane->m_hWnd, DlgConnect::kIdConnect)));
    SendMessageW(pane->m_hWnd, WM_COMMAND, 110, 0);
    EXPECT_EQ(0u, empty.t.transport->CountPath("api/api_logon.php"));
    SetDlgItemTextW(pane->m_hWnd, DlgConnect::kIdServer, L"typed.test");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(pane->m_hWnd, DlgConnect::kIdConnect)));
}

TEST(ConnectPane, TheAutoConnectFlagSignsInWithoutAClick)
{
    PaneApp p({Saved(L"Only", L"only.test", L"o@example.test", L"pw")});
    p.t.app->m_autoConnect = true;
    p.Connect()->FillConnections();
    p.t.Pump();
    EXPECT_FALSE(p.t.app->m_autoConnect);
    ASSERT_EQ(1u, p.t.transport->CountPath("api/api_logon.php"));
    EXPECT_NE(std::string::npos, p.t.transport->m_sent.back().body.find("o@example.test"));
    EXPECT_EQ(1001, p.Current());
}

TEST(ConnectingPane, EveryFailedSignInShowsTheFailedStateWithRetry)
{
    struct Case {
        const char* name;
        std::wstring headers;
        std::string body;
        std::wstring message;
    } cases[] = {
        {"refused", XmlHeaders(), Doc("<RC id=\"1005\" text=\"Invalid e-mail address or password\"/>"),
         L"api/api_logon.php\r\n[1005]: Invalid e-mail address or password"},
        {"http 500", L"HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n", "<html>oops</html>",
         L"HTTP Error: Internal Server Error"},
        {"http 500 without reason", L"HTTP/1.1 500\r\nContent-Type: text/html\r\n\r\n", "x", L"HTTP Error"},
        {"http 404", L"HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n", "", L"HTTP Error: Not Found"},
        {"no return code", XmlHeaders(), Doc(""), L"QEL Not Found on Host"},
    };
    for (const Case& c : cases) {
        PaneApp p({Saved(L"Server", L"srv.test", L"a@example.test", L"pw")}, 0);
        BoxRecorder boxes;
        SendMessageW(p.Connect()->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgConnect::kIdConnect, BN_CLICKED), 0);
        p.t.Pump();
        DlgConnecting* pane = p.Connecting();
        ASSERT_TRUE(pane) << c.name;
        HWND dlg = pane->m_hWnd;
        EXPECT_EQ(1001, p.Current()) << c.name;
        EXPECT_EQ(L"srv.test", ItemText(dlg, DlgConnecting::kIdServer)) << c.name;
        EXPECT_EQ(L"Connecting...", ItemText(dlg, DlgConnecting::kIdMessage)) << c.name;
        EXPECT_FALSE(Visible(dlg, DlgConnecting::kIdRetry)) << c.name;

        int closed = p.t.transport->m_closed;
        p.t.Answer("api/api_logon.php", c.headers, c.body);
        EXPECT_EQ(c.message, ItemText(dlg, DlgConnecting::kIdMessage)) << c.name;
        EXPECT_TRUE(Visible(dlg, DlgConnecting::kIdRetry)) << c.name;
        EXPECT_TRUE(Visible(dlg, DlgConnecting::kIdIcon)) << c.name;
        EXPECT_TRUE(Visible(dlg, DlgConnecting::kIdCancel)) << c.name;
        EXPECT_FALSE(Visible(dlg, DlgConnecting::kIdProgress)) << c.name;
        EXPECT_GT(p.t.transport->m_closed, closed) << c.name << ": not disconnected";
        EXPECT_FALSE(p.t.app->m_connected) << c.name;
        // A failure leaves the password typed and "LastConnection" as it was.
        EXPECT_EQ(L"pw", ItemText(p.Connect()->m_hWnd, DlgConnect::kIdPassword)) << c.name;
        EXPECT_EQ(0u, LastConnection()) << c.name;
    }
}

TEST(ConnectingPane, RetrySignsInAgainWithTheConnectPaneFieldsAndCancelReturnsToIt)
{
    PaneApp p({Saved(L"Server", L"srv.test", L"a@example.test", L"wrong")}, 0);
    BoxRecorder boxes;
    SendMessageW(p.Connect()->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgConnect::kIdConnect, BN_CLICKED), 0);
    p.t.Pump();
    p.t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"1005\" text=\"Invalid\"/>"));
    DlgConnecting* pane = p.Connecting();
    ASSERT_TRUE(pane);
    HWND dlg = pane->m_hWnd;
    ASSERT_TRUE(Visible(dlg, DlgConnecting::kIdRetry));

    // The password is corrected in the (hidden) connect pane, then Retry: "Connecting..." at once,
    // icon and Retry go when the new attempt's notice arrives.
    SetDlgItemTextW(p.Connect()->m_hWnd, DlgConnect::kIdPassword, L"right");
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(DlgConnecting::kIdRetry, BN_CLICKED), 0);
    EXPECT_EQ(L"Connecting...", ItemText(dlg, DlgConnecting::kIdMessage));
    p.t.Pump();
    ASSERT_EQ(2u, p.t.transport->CountPath("api/api_logon.php"));
    EXPECT_NE(std::string::npos, p.t.transport->m_sent.back().body.find("right"));
    EXPECT_FALSE(Visible(dlg, DlgConnecting::kIdRetry));
    EXPECT_FALSE(Visible(dlg, DlgConnecting::kIdIcon));
    EXPECT_TRUE(p.t.app->m_connected);

    // Fails again; Cancel closes the pane and the connect pane is back.
    p.t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"1005\" text=\"Invalid\"/>"));
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(DlgConnecting::kIdCancel, BN_CLICKED), 0);
    p.t.Pump();
    EXPECT_FALSE(p.Connecting());
    EXPECT_EQ(1000, p.Current());
    EXPECT_TRUE(IsWindowVisible(p.Connect()->m_hWnd));
}

TEST(ConnectingPane, AnAcceptedSignInTurnsIntoProgressAndWritesLastConnection)
{
    PaneApp p({Saved(L"A", L"a.test", L"a@example.test", L"pw"), Saved(L"B", L"b.test", L"b@example.test", L"pw")}, 1);
    SendMessageW(p.Connect()->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgConnect::kIdConnect, BN_CLICKED), 0);
    p.t.Pump();
    p.t.Answer("api/api_logon.php", XmlHeaders(),
               Doc("<RC id=\"0\" text=\"\"/><object id=\"90\" type=\"9\" parent=\"7\" serial=\"1\" name=\"Admin\"/>"));
    DlgConnecting* pane = p.Connecting();
    ASSERT_TRUE(pane);
    HWND dlg = pane->m_hWnd;
    for (int hidden : {1126, 1127, 1129, 1130})
        EXPECT_FALSE(Visible(dlg, hidden)) << hidden;
    EXPECT_TRUE(Visible(dlg, DlgConnecting::kIdProgress));
    HWND progress = GetDlgItem(dlg, DlgConnecting::kIdProgress);
    EXPECT_EQ(11, SendMessageW(progress, PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(0, SendMessageW(progress, PBM_GETRANGE, TRUE, 0));

    // The position counts the loads answered so far, in whatever order they come.
    struct Step {
        int bit, mask, pos;
    } steps[] = {{0, 0, 0}, {0x10, 0, 1}, {0x1, 0x10, 2}, {0x80000, 0xBBC51 & ~0x80000, 11}, {0x10, 0x10, 1}};
    for (const Step& s : steps) {
        pane->OnStartupProgress(s.bit, s.mask);
        EXPECT_EQ(s.pos, SendMessageW(progress, PBM_GETPOS, 0, 0)) << s.bit << "/" << s.mask;
    }

    EXPECT_EQ(1u, LastConnection());
    EXPECT_EQ(L"", ItemText(p.Connect()->m_hWnd, DlgConnect::kIdPassword));
}

TEST(ConnectingPane, ASignInTypedWithoutASavedConnectionWritesNoLastConnection)
{
    PaneApp p({});
    HWND connect = p.Connect()->m_hWnd;
    SetDlgItemTextW(connect, DlgConnect::kIdServer, L"typed.test");
    SetDlgItemTextW(connect, DlgConnect::kIdPassword, L"pw");
    SendMessageW(connect, WM_COMMAND, MAKEWPARAM(DlgConnect::kIdConnect, BN_CLICKED), 0);
    p.t.Pump();
    p.t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"0\" text=\"\"/><object id=\"90\" type=\"9\"/>"));
    EXPECT_EQ(kNone, LastConnection());
    EXPECT_EQ(L"", ItemText(connect, DlgConnect::kIdPassword));
}
