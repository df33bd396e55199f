// Window modules plug into the shell through the catalogue: the types a module registers open its
// own pane and window through ShowConsole, OpenObject and OpenWindow, types nobody registered still
// open placeholders, and the shell's own panes come from its registration function.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "AppFixture.h"
#include "app/AppWindows.h"
#include "app/PlaceholderPane.h"
#include "app/PlaceholderWindow.h"
#include "app/WindowCatalogue.h"
#include "app/standin/StandInPane.h"
#include "app/standin/StandInWindow.h"
#include "app/standin/StandInWindows.h"

using namespace apptest;

namespace {

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    return text;
}

// The stand-in module's types go to the catalogue only when the module registers.
class ModuleTest : public testing::Test {
protected:
    void Open(bool registerModule)
    {
        if (registerModule)
            RegisterStandInWindows(t.app->m_catalogue);
        ASSERT_EQ(0, t.app->Init());
        main = t.app->m_mainWindow;
        ASSERT_NE(nullptr, main);
    }

    TestApp t{false};
    BoxRecorder boxes;
    MainWindow* main = nullptr;
};

} // namespace

TEST(WindowCatalogue, MakersGetTheirTypeAndKeyAndALaterRegistrationReplacesOrRemovesOne)
{
    WindowCatalogue catalogue;
    EXPECT_EQ(nullptr, catalogue.MakeWindow(50, 1));
    EXPECT_EQ(nullptr, catalogue.MakePane(1029));

    int builtType = 0;
    UINT64 builtKey = 0;
    catalogue.RegisterWindow(50, [](int, UINT64) -> CWindowManager::CWindow* { return nullptr; });
    catalogue.RegisterWindow(50, [&](int type, UINT64 key) -> CWindowManager::CWindow* {
        builtType = type;
        builtKey = key;
        return new RecordingWindow();
    });
    CWindowManager::CWindow* window = catalogue.MakeWindow(50, 0x100000007ULL);
    EXPECT_NE(nullptr, window);
    EXPECT_EQ(50, builtType);
    EXPECT_EQ(0x100000007ULL, builtKey);
    delete window;

    catalogue.RegisterWindow(50, nullptr);
    EXPECT_FALSE(catalogue.HasWindow(50));
    EXPECT_EQ(nullptr, catalogue.MakeWindow(50, 1));
    EXPECT_FALSE(catalogue.HasPane(50));   // the two tables are apart
}

TEST(WindowCatalogue, TheShellRegistersEachOfItsOwnPanesUnderItsType)
{
    WindowCatalogue catalogue;
    RegisterAppWindows(catalogue);
    for (int type : {1000, 1001, 1002, 1003, 1035, 1036, 1061}) {
        CTWndConsole* pane = catalogue.MakePane(type);
        ASSERT_NE(nullptr, pane) << type;
        EXPECT_EQ(type, pane->GetConsoleType());
        EXPECT_EQ(nullptr, dynamic_cast<PlaceholderPane*>(pane)) << type;
        delete pane;
    }
    EXPECT_FALSE(catalogue.HasPane(1029));
    EXPECT_FALSE(catalogue.HasWindow(5));
}

TEST_F(ModuleTest, RegisteredTypesOpenTheModulesPaneAndWindow)
{
    Open(true);
    ASSERT_TRUE(main->ShowConsole(standin::kConsoleType, 77, false));
    auto* pane = dynamic_cast<StandInPane*>(main->m_current);
    ASSERT_NE(nullptr, pane);
    EXPECT_EQ(77, pane->m_key);
    EXPECT_EQ(main->m_hWnd, GetParent(pane->GetHwnd()));
    EXPECT_TRUE(IsWindowVisible(pane->GetHwnd()));
    EXPECT_EQ(StandInPane::kText, TextOf(pane->GetHwnd()));

    // A "Deployment" object opens the pane its module registered, keyed by the object.
    DefineType(*t.app, 40, L"Deployment");
    Object deployment;
    deployment.id = 78;
    deployment.type = 40;
    main->OpenObject(deployment, false, false);
    ASSERT_NE(nullptr, dynamic_cast<StandInPane*>(main->m_current));
    EXPECT_EQ(78, main->m_current->m_key);

    t.app->m_windows.OpenWindow(standin::kWindowType, 9, reinterpret_cast<INT_PTR>(main->m_hWnd));
    auto* window = dynamic_cast<StandInWindow*>(t.app->m_windows.FindWindow(standin::kWindowType, 9));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(9u, window->m_builtForKey);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(main->m_hWnd), window->m_param);
    EXPECT_TRUE(IsWindowVisible(window->m_hWnd));
    EXPECT_EQ(StandInWindow::kTitle, TextOf(window->m_hWnd));

    // Closing it goes through the window manager like any window's.
    t.app->m_windows.CloseWindows(standin::kWindowType, 9);
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(standin::kWindowType, 9));
}

TEST_F(ModuleTest, TypesNobodyRegisteredOpenPlaceholders)
{
    Open(true);
    // Beside a registered module: the deployments list pane and a form window of another module.
    ASSERT_TRUE(main->ShowConsole(1031, 0, false));
    EXPECT_NE(nullptr, dynamic_cast<PlaceholderPane*>(main->m_current));
    t.app->m_windows.OpenWindow(51, 4, 0);
    auto* form = dynamic_cast<PlaceholderWindow*>(t.app->m_windows.FindWindow(51, 4));
    ASSERT_NE(nullptr, form);
    EXPECT_EQ(PlaceholderWindow::KindForm, form->m_kind);
    // Numbers without a pane or a window build nothing.
    EXPECT_FALSE(main->ShowConsole(1011, 0, false));
    t.app->m_windows.OpenWindow(2, 0, 0);
    EXPECT_EQ(nullptr, t.app->m_windows.FindWindow(2, 0));
}

TEST_F(ModuleTest, WithoutTheModuleItsTypesOpenPlaceholders)
{
    Open(false);
    ASSERT_TRUE(main->ShowConsole(standin::kConsoleType, 77, false));
    EXPECT_NE(nullptr, dynamic_cast<PlaceholderPane*>(main->m_current));
    t.app->m_windows.OpenWindow(standin::kWindowType, 9, 0);
    EXPECT_NE(nullptr, dynamic_cast<PlaceholderWindow*>(t.app->m_windows.FindWindow(standin::kWindowType, 9)));
    // The shell's own panes stay its own.
    ASSERT_TRUE(main->ShowConsole(1002, 0, false));
    EXPECT_EQ(nullptr, dynamic_cast<PlaceholderPane*>(main->m_current));
}
