// The main window at the end of a session, against a recording transport: after a sign-out (answered
// or failed because the server is gone) and after a refused sign-in the window is in its signed-out
// state, with nothing of the session left to go back to.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>

#include "AppFixture.h"
#include "app/CTWndConsole.h"
#include "app/MainWindow.h"

using namespace apptest;

namespace {

class SignOutTest : public testing::Test {
protected:
    void SetUp() override
    {
        main = t.app->m_mainWindow;
        ASSERT_NE(main, nullptr);
    }

    // Signs in as an administrator with setup rights and walks through a few panes.
    void SignInAndBrowse()
    {
        t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
        t.Answer("api/api_logon.php", XmlHeaders(),
                 Doc("<RC id=\"0\"/><object id=\"9\" type=\"103\" parent=\"1\" name=\"admin\">"
                     "<priv id=\"7\" name=\"QELConsoleSetup\" value=\"1\"/></object>"));
        ASSERT_TRUE(main->ShowConsole(1009, 0, false));
        ASSERT_TRUE(main->ShowConsole(1012, 0, false));
        ASSERT_TRUE(main->ShowConsole(1017, 0, false));
        ASSERT_TRUE(ButtonEnabled(main->m_navToolbar, MainWindow::kCmdHome));
        ASSERT_TRUE(ButtonEnabled(main->m_navToolbar, MainWindow::kCmdBack));
        ASSERT_TRUE(IsWindowEnabled(main->m_search.m_hWnd));
        t.app->m_windows.OpenWindow(6, 1, 0);
    }

    // Ends the last sign-out request as the transport does when the server cannot be reached.
    void FailSignOut(__int64 error)
    {
        int index = -1;
        for (int i = 0; i < static_cast<int>(t.transport->m_sent.size()); ++i)
            if (t.transport->m_sent[i].path == "api/api_logoff.php")
                index = i;
        ASSERT_GE(index, 0);
        TxRx result;
        result.SetInt64(3u, static_cast<unsigned __int64>(error));
        t.transport->m_sent[index].completion(result);
        t.Pump();
    }

    static bool ButtonEnabled(CTWndToolbar& toolbar, int command)
    {
        return (toolbar.SendMessage(TB_GETSTATE, command) & TBSTATE_ENABLED) != 0;
    }
    int Current() { return main->m_current ? main->m_current->GetConsoleType() : 0; }
    void Command(int command) { SendMessageW(main->m_hWnd, WM_COMMAND, command, 0); }

    // Every trace of the session is gone from the window, and nothing brings its panes back.
    void ExpectSignedOutWindow()
    {
        EXPECT_FALSE(t.app->m_connected);
        EXPECT_EQ(Current(), MainWindow::kConsoleConnect);
        EXPECT_EQ(main->m_panes.GetCount(), 1u);
        EXPECT_EQ(main->m_tabs.m_pages.GetCount(), 0u);
        EXPECT_TRUE(main->m_history.IsEmpty());
        for (int command : {MainWindow::kCmdHome, MainWindow::kCmdTasks, MainWindow::kCmdDeployments,
                            MainWindow::kCmdNotices, MainWindow::kCmdRefresh, MainWindow::kCmdBack,
                            MainWindow::kCmdForward})
            EXPECT_FALSE(ButtonEnabled(main->m_navToolbar, command)) << command;
        EXPECT_FALSE(ButtonEnabled(main->m_rightToolbar, MainWindow::kCmdTools));
        EXPECT_FALSE(ButtonEnabled(main->m_rightToolbar, MainWindow::kCmdSearchFilter));
        EXPECT_FALSE(IsWindowEnabled(main->m_search.m_hWnd));
        CTWndStatusbar::Pane* server = main->m_statusbar.GetPane(MainWindow::kPartServer);
        ASSERT_NE(server, nullptr);
        EXPECT_TRUE(server->m_text.IsEmpty());
        EXPECT_EQ(t.app->m_windows.FindWindow(6, 1), nullptr);

        // Back, Home, Tasks and the keyboard's browser keys open nothing.
        for (int command : {MainWindow::kCmdBack, MainWindow::kCmdHome, MainWindow::kCmdTasks,
                            MainWindow::kCmdDeployments, MainWindow::kCmdForward}) {
            Command(command);
            EXPECT_EQ(Current(), MainWindow::kConsoleConnect) << command;
        }
        SendMessageW(main->m_hWnd, WM_APPCOMMAND, reinterpret_cast<WPARAM>(main->m_hWnd),
                     MAKELPARAM(0, APPCOMMAND_BROWSER_HOME));
        t.Pump();
        EXPECT_EQ(Current(), MainWindow::kConsoleConnect);
        EXPECT_EQ(main->m_panes.GetCount(), 1u);
    }

    TestApp t;
    BoxRecorder boxes;
    MainWindow* main = nullptr;
};

TEST_F(SignOutTest, BackAfterSignOutAndAfterARefusedSignInStaysSignedOut)
{
    SignInAndBrowse();
    t.app->Logoff();
    t.Answer("api/api_logoff.php", XmlHeaders(), Doc("<RC id=\"0\"/>"));
    ExpectSignedOutWindow();

    // A refused sign-in shows the connecting pane; going back reaches the connect pane and no further.
    t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"wrong"));
    t.Answer("api/api_logon.php", XmlHeaders(), Doc("<RC id=\"1\" text=\"Invalid logon\"/>"));
    EXPECT_EQ(Current(), MainWindow::kConsoleConnecting);
    Command(MainWindow::kCmdBack);
    Command(MainWindow::kCmdBack);
    EXPECT_EQ(Current(), MainWindow::kConsoleConnect);
    for (CLinkedListObject* item = main->m_panes.GetHead(); item; item = item->GetNext()) {
        int type = static_cast<CTWndConsole*>(item)->GetConsoleType();
        EXPECT_TRUE(type == MainWindow::kConsoleConnect || type == MainWindow::kConsoleConnecting) << type;
    }
}

TEST_F(SignOutTest, SignOutWithTheServerGoneReturnsToTheSignedOutState)
{
    SignInAndBrowse();
    t.app->Logoff();
    ASSERT_TRUE(t.app->m_connected) << "connected until the sign-out ends";
    FailSignOut(12029);   // cannot connect
    ExpectSignedOutWindow();
    EXPECT_TRUE(t.app->m_server.IsEmpty());

    // A new session starts from there.
    t.app->Logon(CTString(L"srv"), CTString(L"a@example.com"), CTString(L"pw"));
    EXPECT_EQ(Current(), MainWindow::kConsoleConnecting);
}

} // namespace
