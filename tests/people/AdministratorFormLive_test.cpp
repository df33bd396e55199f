// The administrator form against the fixture server, with the administrators list closed: an
// administrator opened from the main window joins a group and gains a privilege with one OK.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/App.h"
#include "app/MainWindow.h"
#include "people/DlgAdministratorDlg.h"
#include "people/DlgAdministratorDlgGeneralPage.h"
#include "people/DlgAdministratorDlgGroupsPage.h"
#include "people/PeopleWindows.h"
#include "session/FixtureServer.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kAdmin = 2400, kServiceDesk = 2410;

class AdministratorFormLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app) {
            RegisterStructureWindows(s_app->m_catalogue);
            RegisterPeopleWindows(s_app->m_catalogue);
        }
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    static DlgAdministratorDlg* OpenAdmin()
    {
        Object object;
        object.id = kAdmin;
        object.type = s_app->m_mainWindow->GetTypeId(CTString(L"Administrator"));
        s_app->m_mainWindow->OpenObject(object, true, false);
        auto* form = dynamic_cast<DlgAdministratorDlg*>(
            s_app->m_windows.FindWindow(DlgAdministratorDlg::kWindowType, static_cast<UINT64>(kAdmin)));
        if (!form) return nullptr;
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return form->m_object.type != 0; }));
        Settle(*s_app);
        return form;
    }

    static void ShowGroups(DlgAdministratorDlg* form)
    {
        HWND tab = form->m_tab.m_hWnd;
        const int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_PARAM;
            SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            if (item.lParam != reinterpret_cast<LPARAM>(static_cast<CWindowManager::CWMFormPage*>(form->m_groups)))
                continue;
            NMHDR hdr = {tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGING)};
            SendMessageW(form->m_hWnd, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
            SendMessageW(tab, TCM_SETCURSEL, i, 0);
            hdr.code = static_cast<UINT>(TCN_SELCHANGE);
            SendMessageW(form->m_hWnd, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
        }
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return !form->m_groups->m_groups.empty(); }));
        Settle(*s_app);
    }

    static App* s_app;
};

App* AdministratorFormLive::s_app = nullptr;

} // namespace

TEST_F(AdministratorFormLive, GroupAndPrivilegeAreSavedWithOk)
{
    ASSERT_NE(s_app, nullptr);
    if (s_app->m_mainWindow->FindConsole(1016, 0)) s_app->m_mainWindow->CloseConsole(1016, 0);
    Settle(*s_app);
    ASSERT_EQ(s_app->m_mainWindow->FindConsole(1016, 0), nullptr) << "the administrators list is closed";
    DlgAdministratorDlg* form = OpenAdmin();
    ASSERT_NE(form, nullptr);
    HWND general = form->m_general->m_hWnd;
    EXPECT_EQ(IsDlgButtonChecked(general, DlgAdministratorDlg::CGeneralPage::kSetup), BST_UNCHECKED);
    ShowGroups(form);
    ASSERT_FALSE(form->m_groups->IsTicked(kServiceDesk));
    form->m_groups->SetTicked(kServiceDesk, true);
    form->m_groups->m_changed.insert(kServiceDesk);
    CheckDlgButton(general, DlgAdministratorDlg::CGeneralPage::kSetup, BST_CHECKED);
    SendMessageW(general, WM_COMMAND, MAKEWPARAM(DlgAdministratorDlg::CGeneralPage::kSetup, BN_CLICKED), 0);
    ASSERT_TRUE(form->IsModified());
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil(*s_app, [&] {
        return s_app->m_windows.FindWindow(DlgAdministratorDlg::kWindowType, static_cast<UINT64>(kAdmin)) == nullptr;
    }));
    Settle(*s_app);

    // The cache holds what the server answered to each save.
    form = OpenAdmin();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(form->m_general->m_hWnd, DlgAdministratorDlg::CGeneralPage::kSetup), BST_CHECKED);
    const Object* group = s_app->m_dir.Lookup(kServiceDesk);
    ASSERT_NE(group, nullptr);
    std::vector<__int64> users;
    group->GetLinkArray(users, CTString(L"users"));
    EXPECT_NE(std::find(users.begin(), users.end(), kAdmin), users.end());
    EXPECT_NE(std::find(users.begin(), users.end(), 91), users.end()) << "other members stay";
    form->Close();
    Settle(*s_app);
}
