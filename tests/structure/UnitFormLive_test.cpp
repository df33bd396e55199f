// The unit form against the fixture server: a unit opened from the main window shows its links
// by name and its flags, a changed description is saved with OK, and the server holds it.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "app/App.h"
#include "app/MainWindow.h"
#include "session/FixtureServer.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUGeneralPage.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

constexpr __int64 kEngineering = 11;   // tests/fixtures/sample/directory.json

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t buffer[256] = {};
    GetDlgItemTextW(dialog, id, buffer, 256);
    return buffer;
}

class UnitFormLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterStructureWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    // Opens the unit as the main window does and waits for it and its linked objects.
    DlgOU* OpenUnit()
    {
        Object unit;
        unit.id = kEngineering;
        unit.type = s_app->m_mainWindow->GetTypeId(CTString(L"OU"));
        s_app->m_mainWindow->OpenObject(unit, true, false);
        auto* form = dynamic_cast<DlgOU*>(s_app->m_windows.FindWindow(DlgOU::kWindowType, kEngineering));
        if (!form)
            return nullptr;
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return form->m_object.type != 0; }));
        Settle(*s_app);
        return form;
    }

    static App* s_app;
};

App* UnitFormLive::s_app = nullptr;

} // namespace

TEST_F(UnitFormLive, EditedUnitIsSavedWithOk)
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
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    // The form leaves the window list once the server has answered the save.
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return s_app->m_windows.FindWindow(DlgOU::kWindowType, kEngineering) == nullptr; }));
    Settle(*s_app);

    form = OpenUnit();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(ItemText(form->m_general->m_hWnd, 1194), L"Engineering and research");
    form->Close();
    Settle(*s_app);
}
