// Opening directory objects of the fixture server's sample organisation: every type name the main
// window dispatches on reaches its console pane (with its key) or its form window, whichever stands
// there, placeholders included. The objects are fetched from the server, so the test also pins the
// sample's type names to the ones the console looks up.
#include <gtest/gtest.h>

#include <windows.h>
#include <list>
#include <string>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/MainWindow.h"
#include "session/BoxRecorder.h"
#include "session/FixtureServer.h"

#include "SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// How an object is opened and where it must land: a pane (console type and key) or a form window
// (window type, keyed by the object id).
struct Case {
    const wchar_t* typeName;
    __int64 id;
    bool asForm;
    bool checkSuperUser;
    int console;
    __int64 key;
    int window;
};

// Sample objects by id (tests/fixtures/sample/directory.json).
constexpr __int64 kAdmin = 90, kHelpdesk = 91, kServiceDesk = 92;

const Case kCases[] = {
    {L"Note", 410, false, true, 1032, 300, 0},                 // the notes of its deployment
    {L"Email", 420, false, true, 1033, 420, 0},
    {L"Schedule User", 200, false, true, 1027, 200, 0},
    {L"Administrator", kAdmin, false, true, 1036, kAdmin, 0},   // a super user: the card
    {L"Administrator", kAdmin, true, true, 0, 0, 5},            // ... or its form
    {L"Administrator", kHelpdesk, false, true, 1027, kHelpdesk, 0},   // no super user: as a person
    {L"Administrator", kHelpdesk, false, false, 1036, kHelpdesk, 0},  // unless the right is not checked
    {L"Administrator", kServiceDesk, false, true, 1036, kServiceDesk, 0},   // under \System\Users
    {L"Computer", 230, false, true, 1013, 230, 0},
    {L"Deployment", 300, false, true, 1029, 300, 0},
    {L"Organisation", 10, false, true, 1023, 10, 0},
    {L"Task", 400, false, true, 1004, 400, 0},
    {L"Email Task", 401, false, true, 1005, 401, 0},
    {L"SMS Task", 402, false, true, 1006, 402, 0},
    {L"Check Task", 403, false, true, 1007, 403, 0},
    {L"Order", 501, false, true, 1056, 501, 0},
    {L"Order Folder", 500, false, true, 1057, 500, 0},
    {L"Order Folder", 500, true, true, 0, 0, 6},
    {L"Deployment Window", 262, false, true, 1026, 52, 0},     // the view of its schedule group
    {L"Asset Transfer", 545, false, true, 1039, 545, 0},
    {L"Site", 22, false, true, 1043, 22, 0},
    {L"Site", 22, true, true, 0, 0, 6},
    {L"Asset Location", 530, false, true, 1038, 530, 0},       // the administrator has a link to it
    {L"Asset Location", 530, true, true, 0, 0, 6},
    {L"Schedule Group", 52, false, true, 1026, 52, 0},
    {L"Schedule Group", 52, true, true, 0, 0, 6},
    {L"Data Point", 120, false, true, 1061, 120, 0},
    {L"OU", 13, true, true, 0, 0, 6},
    {L"Route [AT]", 540, false, true, 0, 0, 29},
    {L"Computer Stock", 550, false, true, 0, 0, 30},
    {L"Template Set", 565, false, true, 0, 0, 35},
    {L"Request", 430, false, true, 1067, 430, 0},
};

class OpenObject : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        // The sample objects, as the directory cache holds them after a fetch from the server.
        std::list<__int64> ids;
        for (const Case& c : kCases)
            ids.push_back(c.id);
        for (__int64 id : {531LL, 560LL})
            ids.push_back(id);
        bool fetched = false;
        s_app->m_dir.FetchObjects(ids, RequestRoute(), [&] { fetched = true; }, nullptr);
        PumpUntil(*s_app, [&] { return fetched; });
        Settle(*s_app);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
    }

    // The cached object of the sample, checked to be of the named type.
    Object Fetched(__int64 id, const wchar_t* typeName)
    {
        const Object* object = s_app->m_dir.Lookup(id);
        if (!object) {
            ADD_FAILURE() << "object " << id << " not fetched";
            return Object();
        }
        Object type;
        main->GetTypeById(type, object->type);
        EXPECT_STREQ(typeName, type.name.GetBuffer()) << "object " << id;
        return *object;
    }

    // Shows the dashboard, so that every case starts from the same pane.
    void ShowDashboard()
    {
        ASSERT_TRUE(main->ShowConsole(MainWindow::kConsoleDashboard, 0, false));
        ASSERT_EQ(MainWindow::kConsoleDashboard, main->m_current->GetConsoleType());
    }

    static App* s_app;
    MainWindow* main = nullptr;
};

App* OpenObject::s_app = nullptr;

} // namespace

TEST_F(OpenObject, EachTypeNameReachesItsPaneOrForm)
{
    BoxRecorder boxes;
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.typeName, c.typeName + wcslen(c.typeName)) + " " + std::to_string(c.id) +
                     (c.asForm ? " as form" : "") + (c.checkSuperUser ? "" : " unchecked"));
        Object object = Fetched(c.id, c.typeName);
        ShowDashboard();
        main->OpenObject(object, c.asForm, c.checkSuperUser);
        Settle(*s_app);
        ASSERT_NE(nullptr, main->m_current);
        if (c.window) {
            EXPECT_NE(nullptr, s_app->m_windows.FindWindow(c.window, static_cast<UINT64>(c.id)));
            EXPECT_EQ(MainWindow::kConsoleDashboard, main->m_current->GetConsoleType());   // no pane as well
        } else {
            EXPECT_EQ(c.console, main->m_current->GetConsoleType());
            EXPECT_EQ(c.key, main->m_current->m_key);
        }
    }
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(OpenObject, ASurveyResultOpensItsSitesSurveyPage)
{
    Object survey = Fetched(560, L"Survey Result");
    ShowDashboard();
    main->OpenObject(survey, false, true);
    ASSERT_EQ(MainWindow::kConsoleWeb, main->m_current->GetConsoleType());
    CTString page;
    s_app->GetWebPageField(page, main->m_current->m_key, 0);
    // The console page of the survey's site, under the server's address.
    const std::wstring wanted = L"/console.php?Page=pageSurvey/pageSurvey.php&ID=22";
    std::wstring address = page.GetBuffer() ? page.GetBuffer() : L"";
    ASSERT_GE(address.size(), wanted.size());
    EXPECT_EQ(wanted, address.substr(address.size() - wanted.size()));
}

TEST_F(OpenObject, ALocationWithoutTheAdministratorsLinkIsRefused)
{
    BoxRecorder boxes;
    Object stores = Fetched(531, L"Asset Location");
    ShowDashboard();
    main->OpenObject(stores, false, true);
    EXPECT_EQ(MainWindow::kConsoleDashboard, main->m_current->GetConsoleType());
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_EQ(L"Open Location Error", boxes.captions[0]);
}
