// The main window's panes on a real main window: the setup-rights refusals, Back and Forward over
// the history with the toolbar following, closing panes (current, only, at the cursor's first place,
// by the pane's own request) with deletion deferred until no request is pending, the tab strip,
// per-pane status texts and opening objects by their type's name.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/CTWndConsole.h"
#include "app/DlgSearch.h"
#include "app/MainWindow.h"

using namespace apptest;

namespace {

class PanesTest : public testing::Test {
protected:
    void SetUp() override
    {
        main = t.app->m_mainWindow;
        ASSERT_NE(main, nullptr);
        ASSERT_NE(main->m_current, nullptr);
        ASSERT_EQ(main->m_current->GetConsoleType(), 1000);
    }

    void GrantSetupRights()
    {
        Object::Privilege privilege;
        privilege.name = L"QELConsoleSetup";
        privilege.granted = true;
        main->m_cache.administrator.privileges[7] = privilege;
        ASSERT_TRUE(main->HasSetupRights());
    }

    // "1000,1009@1": the history's console types and the cursor index.
    std::string History()
    {
        std::string out;
        for (const PaneKey& e : main->m_history.m_entries) {
            if (!out.empty()) out += ",";
            out += std::to_string(e.consoleType);
        }
        return out + (main->m_history.IsAtEnd() ? "@end" : "@" + std::to_string(main->m_history.m_cursor));
    }
    int Current() { return main->m_current ? main->m_current->GetConsoleType() : 0; }
    bool ButtonEnabled(int command)
    {
        return (main->m_navToolbar.SendMessage(TB_GETSTATE, command) & TBSTATE_ENABLED) != 0;
    }
    bool ButtonChecked(int command) { return main->m_navToolbar.SendMessage(TB_ISBUTTONCHECKED, command) != 0; }
    void Command(int command) { SendMessageW(main->m_hWnd, WM_COMMAND, command, 0); }
    std::wstring StatusText()
    {
        CTWndStatusbar::Pane* part = main->m_statusbar.GetPane(MainWindow::kPartStatus);
        return part ? Wide(part->m_text) : L"<no part>";
    }
    bool Visible(CTWndConsole* pane) { return pane && pane->GetHwnd() && IsWindowVisible(pane->GetHwnd()); }

    TestApp t;
    BoxRecorder boxes;
    MainWindow* main = nullptr;
};

TEST_F(PanesTest, SetupPanesNeedSetupRights)
{
    for (int type : {1015, 1016, 1017, 1018, 1022, 1036, 1041, 1042, 1060}) {
        EXPECT_FALSE(main->ShowConsole(type, 0, false)) << type;
        EXPECT_EQ(Current(), 1000) << type;
        EXPECT_EQ(main->FindConsole(type, 0), nullptr) << type;
    }
    EXPECT_EQ(History(), "1000@0");
    // Settings and structure are not in the mask; a type without pane does nothing.
    EXPECT_TRUE(main->ShowConsole(1020, 0, false));
    EXPECT_EQ(Current(), 1020);
    EXPECT_TRUE(main->ShowConsole(1019, 0, false));
    EXPECT_EQ(Current(), 1019);
    EXPECT_FALSE(main->ShowConsole(1011, 0, false));
    EXPECT_EQ(Current(), 1019);
    EXPECT_EQ(History(), "1000,1020,1019@2");

    GrantSetupRights();
    EXPECT_TRUE(main->ShowConsole(1041, 0, false));
    EXPECT_EQ(Current(), 1041);
    EXPECT_TRUE(main->ShowConsole(1036, 55, false));
    EXPECT_EQ(Current(), 1036);
    EXPECT_FALSE(main->ShowConsole(1018, 0, false)); // in the mask but without a pane
}

TEST_F(PanesTest, BackAndForwardWalkTheHistoryWithTheToolbar)
{
    EXPECT_FALSE(ButtonEnabled(MainWindow::kCmdBack));
    main->ShowConsole(1009, 0, false);
    EXPECT_TRUE(ButtonChecked(MainWindow::kCmdHome));
    main->ShowConsole(1012, 0, false);
    EXPECT_FALSE(ButtonChecked(MainWindow::kCmdHome));
    EXPECT_TRUE(ButtonChecked(MainWindow::kCmdTasks));
    main->ShowConsole(1031, 0, false);
    EXPECT_TRUE(ButtonChecked(MainWindow::kCmdDeployments));
    EXPECT_EQ(History(), "1000,1009,1012,1031@3");
    EXPECT_TRUE(ButtonEnabled(MainWindow::kCmdBack));
    EXPECT_FALSE(ButtonEnabled(MainWindow::kCmdForward));

    Command(MainWindow::kCmdBack);
    EXPECT_EQ(Current(), 1012);
    EXPECT_TRUE(ButtonChecked(MainWindow::kCmdTasks));
    EXPECT_TRUE(ButtonEnabled(MainWindow::kCmdForward));
    Command(MainWindow::kCmdBack);
    Command(MainWindow::kCmdBack);
    EXPECT_EQ(Current(), 1000);
    EXPECT_EQ(History(), "1000,1009,1012,1031@0");
    EXPECT_FALSE(ButtonEnabled(MainWindow::kCmdBack));
    Command(MainWindow::kCmdBack); // at the first entry: nothing
    EXPECT_EQ(Current(), 1000);
    Command(MainWindow::kCmdForward);
    EXPECT_EQ(Current(), 1009);
    EXPECT_EQ(History(), "1000,1009,1012,1031@1");

    // Showing the pane on show again changes nothing; a visit from the middle reorders.
    main->ShowConsole(1009, 0, false);
    EXPECT_EQ(History(), "1000,1009,1012,1031@1");
    main->ShowConsole(1002, 0, false);
    EXPECT_EQ(History(), "1000,1012,1031,1009,1002@4");
    // Only one pane is on show.
    EXPECT_TRUE(Visible(main->m_current));
    EXPECT_FALSE(Visible(main->FindConsole(1009, 0)));
    EXPECT_FALSE(Visible(main->FindConsole(1031, 0)));
}

TEST_F(PanesTest, ClosingPanes)
{
    main->ShowConsole(1009, 0, false);
    main->ShowConsole(1012, 0, false);
    main->ShowConsole(1031, 0, false);

    // The current pane at the cursor: the previous entry is shown without recording.
    CTWndConsole* deployments = main->FindConsole(1031, 0);
    HWND deploymentsWindow = deployments->GetHwnd();
    EXPECT_TRUE(main->CloseConsole(1031, 0));
    EXPECT_FALSE(IsWindow(deploymentsWindow));
    EXPECT_EQ(main->FindConsole(1031, 0), nullptr);
    EXPECT_EQ(Current(), 1012);
    EXPECT_EQ(History(), "1000,1009,1012@2");
    EXPECT_FALSE(main->CloseConsole(1031, 0));

    // A pane that is not on show, before the cursor: the index stays.
    EXPECT_TRUE(main->CloseConsole(1000, 0));
    EXPECT_EQ(Current(), 1012);
    EXPECT_EQ(History(), "1009,1012@end");

    // Back to the first entry and close it: the cursor stays at the start.
    Command(MainWindow::kCmdBack);
    Command(MainWindow::kCmdBack);
    EXPECT_EQ(Current(), 1009);
    EXPECT_EQ(History(), "1009,1012@0");
    EXPECT_TRUE(main->CloseConsole(1009, 0));
    EXPECT_EQ(Current(), 1012);
    EXPECT_EQ(History(), "1012@0");
    EXPECT_FALSE(ButtonEnabled(MainWindow::kCmdBack));
    EXPECT_FALSE(ButtonEnabled(MainWindow::kCmdForward));

    // The only pane: the dashboard comes, with history.
    EXPECT_TRUE(main->CloseConsole(1012, 0));
    EXPECT_EQ(Current(), 1009);
    EXPECT_EQ(History(), "1009@0");
}

TEST_F(PanesTest, ClosedPanesWaitForNoPendingRequest)
{
    main->ShowConsole(1029, 5, false);
    main->ShowConsole(1029, 6, false);
    t.transport->m_pending = 1;
    // The pane asks to be closed: message 1027 goes back first, then closes the matching pane.
    main->FindConsole(1029, 6)->Close();
    t.Pump();
    EXPECT_EQ(main->FindConsole(1029, 6), nullptr);
    EXPECT_EQ(Current(), 1029);
    EXPECT_EQ(main->m_current->m_key, 5);
    EXPECT_EQ(main->m_closedPanes.GetCount(), 1u);
    t.transport->m_pending = 0;
    PostMessageW(main->m_hWnd, MainWindow::kMsgDeleteClosed, 0, 0);
    t.Pump();
    EXPECT_EQ(main->m_closedPanes.GetCount(), 0u);

    // A close request for a pane that is not open.
    SendMessageW(main->m_hWnd, CTWndConsole::kMsgCloseConsole, 1033, 9);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], L"WM_CLOSEWINDOW");
    EXPECT_EQ(boxes.captions[0], L"pWnd not found");
}

TEST_F(PanesTest, TabPanesShowInTheStrip)
{
    GrantSetupRights();
    ASSERT_NE(main->GetConsole(1017, 0, 0), nullptr);
    ASSERT_NE(main->GetConsole(1020, 0, 1), nullptr);
    EXPECT_FALSE(IsWindowVisible(main->m_tabs.m_hWnd));

    main->ShowConsole(1020, 0, false);
    EXPECT_TRUE(IsWindowVisible(main->m_tabs.m_hWnd));
    EXPECT_TRUE(Visible(main->FindConsole(1020, 0)));
    EXPECT_FALSE(Visible(main->FindConsole(1000, 0)));
    // The page sits right of the strip, below the rebar.
    RECT strip = {}, page = {};
    GetWindowRect(main->m_tabs.m_hWnd, &strip);
    GetWindowRect(main->FindConsole(1020, 0)->GetHwnd(), &page);
    EXPECT_GE(page.left, strip.right);

    main->ShowConsole(1017, 0, false);
    EXPECT_TRUE(Visible(main->FindConsole(1017, 0)));
    EXPECT_FALSE(Visible(main->FindConsole(1020, 0)));

    main->ShowConsole(1009, 0, false);
    EXPECT_FALSE(IsWindowVisible(main->m_tabs.m_hWnd));
    EXPECT_TRUE(Visible(main->FindConsole(1009, 0)));

    // Back to the same tab: the strip and its page come back.
    Command(MainWindow::kCmdBack);
    EXPECT_EQ(Current(), 1017);
    EXPECT_TRUE(IsWindowVisible(main->m_tabs.m_hWnd));
    EXPECT_TRUE(Visible(main->FindConsole(1017, 0)));

    // A plain pane closed while a tab pane comes next: the strip is shown again.
    main->ShowConsole(1009, 0, false);
    main->CloseConsole(1009, 0);
    EXPECT_EQ(Current(), 1017);
    EXPECT_TRUE(IsWindowVisible(main->m_tabs.m_hWnd));
    EXPECT_TRUE(Visible(main->FindConsole(1017, 0)));

    // A tab reads its pane's caption again when told.
    HWND structure = main->FindConsole(1020, 0)->GetHwnd();
    ASSERT_NE(main->m_tabs.FindPage(structure), nullptr);
    SetWindowTextW(structure, L"Structure (2)");
    main->RefreshTabCaption(structure);
    EXPECT_EQ(Wide(main->m_tabs.FindPage(structure)->m_caption), L"Structure (2)");

    // A closed tab pane leaves the strip.
    main->CloseConsole(1020, 0);
    EXPECT_EQ(main->m_tabs.FindPage(structure), nullptr);
}

TEST_F(PanesTest, StatusTextsFollowThePaneOnShow)
{
    main->ShowConsole(1009, 0, false);
    main->ShowConsole(1012, 0, false);
    CTWndConsole* dashboard = main->FindConsole(1009, 0);
    CTWndConsole* tasks = main->FindConsole(1012, 0);
    main->SetPaneStatusText(main->GetPaneKey(dashboard), CTString(L"12 items"));
    EXPECT_EQ(StatusText(), L"");
    main->SetPaneStatusText(main->GetPaneKey(tasks), CTString(L"3 tasks"));
    EXPECT_EQ(StatusText(), L"3 tasks");
    Command(MainWindow::kCmdBack);
    EXPECT_EQ(StatusText(), L"12 items");
    main->ShowConsole(1031, 0, false);
    EXPECT_EQ(StatusText(), L"");
}

TEST_F(PanesTest, OpenObjectByTypeName)
{
    GrantSetupRights();
    const wchar_t* names[] = {L"Note", L"Email", L"Schedule User", L"Administrator", L"Computer", L"Deployment",
                              L"Organisation", L"Task", L"Site", L"Asset Location", L"Schedule Group",
                              L"Deployment Window", L"Survey Result", L"Route [AT]", L"Request", L"OU"};
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i) {
        Object type;
        type.type = 100 + i;
        type.name = names[i];
        main->m_cache.types.push_back(type);
    }
    main->m_cache.folderIds[MainWindowCache::FolderUsers] = 900;
    auto make = [](__int64 type, __int64 id, __int64 parent) {
        Object object;
        object.type = type;
        object.id = id;
        object.parent = parent;
        return object;
    };
    struct Case {
        __int64 type;
        bool asForm;
        int console;      // expected current pane type, 0: unchanged
        __int64 key;
        int formType;     // expected form window, 0: none
    } cases[] = {
        {100, false, 1032, 40, 0},   // a note opens the notes of its parent
        {101, false, 1033, 7, 0},
        {102, true, 1027, 7, 0},
        {104, false, 1013, 7, 0},
        {105, false, 1029, 7, 0},
        {108, false, 1043, 7, 0},
        {108, true, 0, 0, 6},        // a site as form: the structure form, no pane
        {110, false, 1026, 7, 0},
        {110, true, 0, 0, 6},
        {111, false, 1026, 40, 0},   // a deployment window opens its schedule group
        {113, false, 0, 0, 29},
        {114, false, 1067, 7, 0},
        {115, true, 0, 0, 6},
        {115, false, 0, 0, 0},       // an OU opens only as a form
    };
    for (const Case& c : cases) {
        main->ShowConsole(1000, 0, false);
        main->OpenObject(make(c.type, 7, 40), c.asForm, true);
        if (c.console) {
            EXPECT_EQ(Current(), c.console) << c.type;
            EXPECT_EQ(main->m_current->m_key, c.key) << c.type;
        } else {
            EXPECT_EQ(Current(), 1000) << c.type;
        }
        if (c.formType) {
            EXPECT_NE(t.app->m_windows.FindWindow(c.formType, 7), nullptr) << c.type;
            t.app->m_windows.CloseWindows(c.formType, 7);
        }
    }

    // Administrators: a plain one opens the user pane, one under "\System\Users" the card, a
    // super user as form the administrator form.
    main->OpenObject(make(103, 8, 40), false, true);
    EXPECT_EQ(Current(), 1027);
    main->OpenObject(make(103, 9, 900), false, true);
    EXPECT_EQ(Current(), 1036);
    EXPECT_EQ(main->m_current->m_key, 9);
    main->OpenObject(make(103, 10, 40), true, false);
    EXPECT_NE(t.app->m_windows.FindWindow(5, 10), nullptr);

    // A survey result opens the web pane on its registered page.
    Object survey = make(112, 11, 44);
    main->OpenObject(survey, false, true);
    ASSERT_EQ(Current(), 1040);
    const App::WebPage& page = t.app->m_webPages[main->m_current->m_key];
    EXPECT_NE(std::wstring(page.address.GetBuffer()).find(L"console.php?Page=pageSurvey/pageSurvey.php&ID=44"),
              std::wstring::npos);
    EXPECT_EQ(page.key, 11);

    // An asset location without a link says so; an object without id only beeps.
    main->ShowConsole(1000, 0, false);
    main->OpenObject(make(109, 12, 40), false, true);
    EXPECT_EQ(Current(), 1000);
    ASSERT_FALSE(boxes.texts.empty());
    EXPECT_EQ(boxes.texts.back(), L"Error opening location: The location has not been assigned to your profile");
    EXPECT_EQ(boxes.captions.back(), L"Open Location Error");
    main->OpenObject(make(101, 0, 40), false, true);
    EXPECT_EQ(Current(), 1000);
}

// The panes of the shell itself (about, change password, search, administrator card, data point)
// show in the client area: they add no tab to the strip and hide it while they are on show.
TEST_F(PanesTest, ShellPanesStayOutOfTheTabStrip)
{
    GrantSetupRights();
    ASSERT_NE(main->GetConsole(1017, 0, 0), nullptr);
    const size_t tabs = main->m_tabs.m_pages.GetCount();
    for (auto [type, key] : std::vector<std::pair<int, __int64>>{{1002, 0}, {1003, 0}, {1035, 0}, {1036, 9}, {1061, 4}}) {
        SCOPED_TRACE(type);
        main->ShowConsole(1017, 0, false);
        ASSERT_TRUE(IsWindowVisible(main->m_tabs.m_hWnd));
        ASSERT_TRUE(main->ShowConsole(type, key, false));
        CTWndConsole* pane = main->FindConsole(type, key);
        ASSERT_NE(pane, nullptr);
        EXPECT_FALSE(pane->IsTabPane());
        EXPECT_EQ(main->m_tabs.FindPage(pane->GetHwnd()), nullptr);
        EXPECT_EQ(main->m_tabs.m_pages.GetCount(), tabs);
        EXPECT_FALSE(IsWindowVisible(main->m_tabs.m_hWnd));
        EXPECT_TRUE(Visible(pane));
        // It spans the client area from its left edge.
        RECT rc = {};
        GetWindowRect(pane->GetHwnd(), &rc);
        MapWindowPoints(nullptr, main->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        EXPECT_EQ(rc.left, 0);
    }
}

// The close button of a pane's header band closes the pane.
TEST_F(PanesTest, HeaderCloseButtonsClosePanes)
{
    GrantSetupRights();
    for (auto [type, key] : std::vector<std::pair<int, __int64>>{{1035, 0}, {1036, 9}, {1061, 4}}) {
        SCOPED_TRACE(type);
        main->ShowConsole(1009, 0, false);
        ASSERT_TRUE(main->ShowConsole(type, key, false));
        CTWndConsole* pane = main->FindConsole(type, key);
        ASSERT_NE(pane, nullptr);
        HWND header = GetDlgItem(pane->GetHwnd(), 105);
        ASSERT_NE(header, nullptr);
        HWND toolbar = FindWindowExW(header, nullptr, TOOLBARCLASSNAMEW, nullptr);
        ASSERT_NE(toolbar, nullptr) << "the header has no close button";
        EXPECT_TRUE(IsWindowVisible(toolbar));
        RECT button = {};
        ASSERT_TRUE(SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button)));
        const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
        t.Pump();
        EXPECT_EQ(main->FindConsole(type, key), nullptr);
        EXPECT_EQ(Current(), 1009);
    }
}

// A search that fails says so in one box.
TEST_F(PanesTest, AFailedSearchShowsOneBox)
{
    ASSERT_TRUE(main->ShowConsole(1035, 0, true));
    auto* pane = dynamic_cast<DlgSearch*>(main->FindConsole(1035, 0));
    ASSERT_NE(nullptr, pane);

    // The request ends without an answer (the server went away), then with a server error.
    pane->Search(CTString(L"printer"));
    t.Answer("api/api_objSearch.php", L"", "");
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(L"DB Error\r\napi/api_objSearch.php", boxes.texts[0]);

    boxes.texts.clear();
    pane->Search(CTString(L"printer"));
    t.Answer("api/api_objSearch.php", L"HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\n\r\n", "");
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(L"DB Error\r\napi/api_objSearch.php\r\n\r\nInternal Server Error", boxes.texts[0]);
}

// Without setup rights a search shows nothing directly inside the nine system objects.
TEST_F(PanesTest, SearchHidesTheChildrenOfTheSystemObjects)
{
    MainWindowCache& cache = main->m_cache;
    __int64 id = 200;
    for (int folder : {MainWindowCache::FolderDeployable, MainWindowCache::FolderOrganisations,
                       MainWindowCache::FolderUsers, MainWindowCache::FolderTemplates,
                       MainWindowCache::FolderSuperUsers, MainWindowCache::FolderDeploymentSlots})
        cache.folderIds[folder] = ++id;
    cache.systemSettings.id = ++id;
    cache.deploymentTypesFolder = ++id;
    cache.deploymentStatusFolder = ++id;
    cache.slotDataFolder = cache.folderIds[MainWindowCache::FolderDeploymentSlots];
    ASSERT_FALSE(main->HasSetupRights());

    ASSERT_TRUE(main->ShowConsole(1035, 0, true));
    auto* pane = dynamic_cast<DlgSearch*>(main->FindConsole(1035, 0));
    ASSERT_NE(nullptr, pane);
    pane->Search(CTString(L"x"));
    std::string objects;
    for (__int64 parent = 201; parent <= id; ++parent)
        objects += "<object id=\"" + std::to_string(parent + 100) + "\" type=\"1\" parent=\"" + std::to_string(parent) +
                   "\" name=\"hidden\"/>";
    objects += "<object id=\"500\" type=\"1\" parent=\"77\" name=\"shown\"/>";
    t.Answer("api/api_objSearch.php", XmlHeaders(), Doc("<RC id=\"0\"/>" + objects));
    ASSERT_EQ(1, pane->m_list.GetItemCount());
    wchar_t name[64] = {};
    ListView_GetItemText(pane->m_list.m_hWnd, 0, 1, name, 63);
    EXPECT_STREQ(L"shown", name);

    // With setup rights every child shows.
    GrantSetupRights();
    pane->Search(CTString(L"x"));
    t.Answer("api/api_objSearch.php", XmlHeaders(), Doc("<RC id=\"0\"/>" + objects));
    EXPECT_EQ(10, pane->m_list.GetItemCount());
}

} // namespace
