// The unit and route forms against the fixture server: a unit opened from the main window shows
// its links by name and its flags, and a changed description, a site's address and a route's flag
// are each saved with OK and held by the server.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "app/App.h"
#include "app/MainWindow.h"
#include "session/FixtureServer.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUGeneralPage.h"
#include "structure/DlgOUSitePage.h"
#include "structure/DlgRoute.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kEngineering = 11, kLondon = 20, kRoute = 541;

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t buffer[256] = {};
    GetDlgItemTextW(dialog, id, buffer, 256);
    return buffer;
}

class StructureFormsLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterStructureWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    // Opens the object as the main window does and waits for it and what its pages ask for.
    template <class Form>
    static Form* OpenForm(__int64 id, const wchar_t* type)
    {
        Object object;
        object.id = id;
        object.type = s_app->m_mainWindow->GetTypeId(CTString(type));
        s_app->m_mainWindow->OpenObject(object, true, false);
        auto* form = dynamic_cast<Form*>(s_app->m_windows.FindWindow(Form::kWindowType, static_cast<UINT64>(id)));
        if (!form)
            return nullptr;
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return form->m_object.type != 0; }));
        Settle(*s_app);
        return form;
    }

    static DlgOU* OpenUnit(__int64 id = kEngineering, const wchar_t* type = L"OU") { return OpenForm<DlgOU>(id, type); }

    // Presses OK and waits until the form has left the window list, which it does once the server
    // has answered the save.
    template <class Form>
    static bool SaveWithOk(Form* form, __int64 id)
    {
        SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
        bool gone = PumpUntil(*s_app, [&] { return s_app->m_windows.FindWindow(Form::kWindowType, static_cast<UINT64>(id)) == nullptr; });
        Settle(*s_app);
        return gone;
    }

    static App* s_app;
};

App* StructureFormsLive::s_app = nullptr;

} // namespace

TEST_F(StructureFormsLive, EditedUnitIsSavedWithOk)
{
    ASSERT_NE(s_app, nullptr);
    DlgOU* form = OpenUnit();
    ASSERT_NE(form, nullptr);
    HWND page = form->m_general->m_hWnd;
    EXPECT_EQ(ItemText(page, 1194), L"Product engineering");
    EXPECT_EQ(ItemText(page, 1122), L"Ada Lovelace");
    EXPECT_EQ(ItemText(page, 1124), L"Grace Hopper");
    EXPECT_EQ(ItemText(page, 1126), L"Donald Knuth");
    EXPECT_EQ(IsDlgButtonChecked(page, 1059), BST_CHECKED) << "the secondary contact is inherited";
    EXPECT_EQ(IsDlgButtonChecked(page, 1057), BST_UNCHECKED);
    EXPECT_EQ(form->m_general->m_settings.FindItemByData(1)->value, 1);
    EXPECT_FALSE(form->IsModified());

    SetDlgItemTextW(page, 1194, L"Engineering and research");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1194, EN_CHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, 1194)));
    ASSERT_TRUE(form->IsModified());
    EXPECT_TRUE(SaveWithOk(form, kEngineering));

    form = OpenUnit();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(ItemText(form->m_general->m_hWnd, 1194), L"Engineering and research");
    form->Close();
    Settle(*s_app);
}

TEST_F(StructureFormsLive, SiteAddressIsSavedWithOk)
{
    ASSERT_NE(s_app, nullptr);
    DlgOU* form = OpenUnit(kLondon, L"Site");
    ASSERT_NE(form, nullptr);
    ASSERT_NE(form->m_site, nullptr);
    HWND page = form->m_site->m_hWnd;
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ItemText(page, 1019), L"1 Fleet Street");
    EXPECT_EQ(ItemText(page, 1021), L"United Kingdom");
    EXPECT_EQ(IsDlgButtonChecked(page, 1316), BST_CHECKED);
    SetDlgItemTextW(page, 1019, L"2 Fleet Street");
    ASSERT_TRUE(form->IsModified());
    EXPECT_TRUE(SaveWithOk(form, kLondon));

    form = OpenUnit(kLondon, L"Site");
    ASSERT_NE(form, nullptr);
    page = form->m_site->m_hWnd;
    EXPECT_EQ(ItemText(page, 1019), L"2 Fleet Street");
    EXPECT_EQ(IsDlgButtonChecked(page, 1316), BST_CHECKED) << "the country is still inherited";
    form->Close();
    Settle(*s_app);
}

TEST_F(StructureFormsLive, RouteFlagIsSavedWithOk)
{
    ASSERT_NE(s_app, nullptr);
    auto* form = OpenForm<DlgRoute>(kRoute, L"Route [AT]");
    ASSERT_NE(form, nullptr);
    HWND page = form->m_general->m_hWnd;
    EXPECT_EQ(ItemText(page, 1142), L"\\Acme\\Operations\\Central warehouse");
    EXPECT_EQ(ItemText(page, 1143), L"\\Acme\\Finance\\Edinburgh\\Edinburgh stores");
    ASSERT_EQ(IsDlgButtonChecked(page, 1141), BST_UNCHECKED);
    CheckDlgButton(page, 1141, BST_CHECKED);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1141, BN_CLICKED), 0);
    EXPECT_TRUE(SaveWithOk(form, kRoute));

    form = OpenForm<DlgRoute>(kRoute, L"Route [AT]");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(form->m_general->m_hWnd, 1141), BST_CHECKED);
    form->Close();
    Settle(*s_app);
}
