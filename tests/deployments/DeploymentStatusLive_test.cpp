// The deployment status form beside the settings pane of a main window signed in to the fixture
// server: the form opens from its list tab's row, saves a ticked option through the real transport
// and the list tab shows the saved flags.
#include <gtest/gtest.h>

#include "app/SignedInSession.h"
#include "deployments/DeploymentWindows.h"
#include "deployments/DlgDeploymentStatus.h"
#include "lists/DlgListTab.h"
#include "lists/ListWindows.h"
#include "lists/SettingsTabsPane.h"

namespace {

std::vector<std::wstring> Ticked(CTWndSettings& list)
{
    std::vector<std::wstring> out;
    for (CTWndSettings::CItem* item = list.GetNextItem(nullptr); item; item = list.GetNextItem(item))
        if (item->value)
            out.push_back(item->text.GetBuffer());
    return out;
}

__int64 Flags(const Object& object)
{
    CAttribute value;
    object.GetAttribute(value, CTString(L"deployment_attribs"));
    return CAttribute::IsTextType(value.GetType()) ? _wtoi64(value.GetText()) : value.GetValue();
}

} // namespace

TEST(DeploymentStatusLive, SavedFlagsReachTheListTab)
{
    App* app = signedin::SignIn();
    ASSERT_NE(app, nullptr);
    RegisterListWindows(app->m_catalogue);
    RegisterDeploymentWindows(app->m_catalogue);
    MainWindow* main = app->m_mainWindow;
    // The settings page made at sign-in, before this module was registered, gives way to its pane.
    main->CloseConsole(SettingsTabsPane::kConsoleType, 0);
    signedin::Settle(*app);
    main->ShowConsole(SettingsTabsPane::kConsoleType, 0, false);
    signedin::Settle(*app);
    auto* pane = dynamic_cast<SettingsTabsPane*>(main->FindConsole(SettingsTabsPane::kConsoleType, 0));
    ASSERT_NE(pane, nullptr);
    pane->SelectTab(DlgDeploymentStatus::kListTab);
    DlgListTab* tab = pane->FindTab(DlgDeploymentStatus::kListTab);
    ASSERT_NE(tab, nullptr);
    tab->Refresh();
    Object cancelled;
    signedin::PumpUntil(*app, [&] { return tab->GetRowObject(cancelled, 87).id == 87; });
    signedin::Settle(*app);
    ASSERT_EQ(cancelled.id, 87);

    app->m_windows.OpenWindow(DlgDeploymentStatus::kWindowType, 87, 0);
    auto* form = dynamic_cast<DlgDeploymentStatus*>(app->m_windows.FindWindow(DlgDeploymentStatus::kWindowType, 87));
    ASSERT_NE(form, nullptr);
    signedin::Settle(*app);
    CTWndSettings& options = form->m_general->m_flags.m_list;
    EXPECT_TRUE(Ticked(options).empty());
    EXPECT_FALSE(form->IsModified());

    CTWndSettings::CItem* portals = options.FindItemByData(0x10000);
    ASSERT_NE(portals, nullptr);
    options.ToggleItem(portals, false);
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    signedin::PumpUntil(*app, [&] { return app->m_windows.FindWindow(DlgDeploymentStatus::kWindowType, 87) == nullptr; });
    signedin::Settle(*app);
    EXPECT_EQ(app->m_windows.FindWindow(DlgDeploymentStatus::kWindowType, 87), nullptr);
    Object saved;
    tab->GetRowObject(saved, 87);
    EXPECT_EQ(Flags(saved), 0x10000);

    signedin::SignOut(app);
}
