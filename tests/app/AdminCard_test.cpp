// The administrator card on a real main window with a recording transport: what it asks for when
// shown, the fields from the object reply, replies for other ids, the last-logon query and its
// answers, the "edit" link for super users only, and a gone object closing the card.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/DlgAdmin.h"
#include "app/MainWindow.h"

using namespace apptest;

namespace {

const std::string kAdmin =
    "<parameters ID=\"42\"/><object id=\"42\" type=\"3\" parent=\"1\" serial=\"1\" name=\"Ann Admin\" "
    "path=\"\\Admins\\Ann\" created=\"0\" updated=\"0\">"
    "<attrib id=\"60\" name=\"email_address\" edit=\"\" default=\"0\" inherit=\"0\" type=\"value_varchar\">"
    "ann@example.com</attrib></object>";

class AdminCardTest : public testing::Test {
protected:
    void SetUp() override
    {
        main = t.app->m_mainWindow;
        ASSERT_NE(main, nullptr);
        Object::Privilege setup;
        setup.name = L"QELConsoleSetup";
        setup.granted = true;
        main->m_cache.administrator.privileges[7] = setup;
    }
    void GrantSuperUser()
    {
        Object::Privilege super;
        super.name = L"SuperUser";
        super.granted = true;
        main->m_cache.administrator.privileges[1] = super;
    }
    DlgAdmin* Show(__int64 key)
    {
        EXPECT_TRUE(main->ShowConsole(DlgAdmin::kConsoleType, key, false));
        t.Pump();
        return static_cast<DlgAdmin*>(main->FindConsole(DlgAdmin::kConsoleType, key));
    }
    std::wstring Item(DlgAdmin* card, int id)
    {
        wchar_t text[256] = {};
        GetDlgItemTextW(card->GetHwnd(), id, text, 256);
        return text;
    }
    bool EditShown(DlgAdmin* card) { return IsWindowVisible(GetDlgItem(card->GetHwnd(), DlgAdmin::kIdEdit)) != FALSE; }

    TestApp t;
    BoxRecorder boxes;
    MainWindow* main = nullptr;
};

TEST_F(AdminCardTest, FillsFromTheObjectAndAsksForTheLastLogon)
{
    DlgAdmin* card = Show(42);
    ASSERT_NE(card, nullptr);
    ASSERT_NE(card->GetHwnd(), nullptr);
    EXPECT_EQ(1u, t.transport->CountPath("api/api_objGet.php"));
    EXPECT_FALSE(EditShown(card));

    // A reply for another id changes nothing and sends no query.
    t.Answer("api/api_objGet.php", XmlHeaders(), Doc("<parameters ID=\"43\"/><object id=\"43\" name=\"Other\"/>"));
    EXPECT_EQ(L"", Item(card, DlgAdmin::kIdName));
    EXPECT_EQ(0u, t.transport->CountPath("api/api_qelEventQuery.php"));

    t.Answer("api/api_objGet.php", XmlHeaders(), Doc(kAdmin));
    EXPECT_EQ(L"Ann Admin", Item(card, DlgAdmin::kIdName));
    EXPECT_EQ(L"ann@example.com", Item(card, DlgAdmin::kIdEmail));
    EXPECT_EQ(L"", Item(card, DlgAdmin::kIdPhone));
    ASSERT_EQ(1u, t.transport->CountPath("api/api_qelEventQuery.php"));
    const std::string& body = t.transport->m_sent.back().body;
    EXPECT_NE(body.find("TYPE=Logon"), std::string::npos) << body;
    EXPECT_NE(body.find("RETURNTYPE=OBJECT"), std::string::npos) << body;
    EXPECT_NE(body.find("link_user%3D42%7Clogon_event%3D0"), std::string::npos) << body;
    EXPECT_NE(body.find("LIMIT=1"), std::string::npos) << body;

    // No event object: the field stays as it is; an event without a created time: "<Never>".
    t.Answer("api/api_qelEventQuery.php", XmlHeaders(), Doc(""));
    EXPECT_EQ(L"", Item(card, DlgAdmin::kIdLastLogon));
    t.Answer("api/api_qelEventQuery.php", XmlHeaders(), Doc("<object id=\"9\" created=\"0\" name=\"e\"/>"));
    EXPECT_EQ(L"<Never>", Item(card, DlgAdmin::kIdLastLogon));
    t.Answer("api/api_qelEventQuery.php", XmlHeaders(), Doc("<object id=\"9\" created=\"1700000000\" name=\"e\"/>"));
    std::wstring when = Item(card, DlgAdmin::kIdLastLogon);
    EXPECT_NE(when, L"<Never>");
    EXPECT_NE(when.find(L"2023"), std::wstring::npos) << when;
}

TEST_F(AdminCardTest, EditLinkOnlyForSuperUsersAndGoneObjectCloses)
{
    GrantSuperUser();
    DlgAdmin* card = Show(42);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(EditShown(card));
    // The link opens the administrator form for the card's id before the object has arrived.
    SendMessageW(card->GetHwnd(), WM_COMMAND, MAKEWPARAM(DlgAdmin::kIdEdit, 0), 0);
    t.Pump();
    EXPECT_NE(t.app->m_windows.FindWindow(DlgAdmin::kAdministratorForm, 42), nullptr);

    t.Answer("api/api_objGet.php", XmlHeaders(), Doc("<RC id=\"5\">gone</RC>"));
    t.Pump();
    EXPECT_EQ(main->FindConsole(DlgAdmin::kConsoleType, 42), nullptr);
    std::vector<std::wstring> texts = boxes.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().rfind(L"Object no longer available:\r\n", 0), 0u) << texts.back();
}

} // namespace

// Each icon the card takes from the application's cache is its own copy: the handle it is handed
// is given back, so redrawing the heading icon again and again uses up no handles.
TEST_F(AdminCardTest, HeadingIconsLeaveNoHandlesBehind)
{
    DlgAdmin* card = Show(42);
    ASSERT_NE(card, nullptr);
    const std::string withImage =
        "<parameters ID=\"42\"/><object id=\"42\" type=\"3\" parent=\"1\" serial=\"1\" name=\"Ann Admin\">"
        "<attrib id=\"61\" name=\"tree_image\" edit=\"\" default=\"0\" inherit=\"0\" type=\"value_varchar\">"
        "admin.png</attrib></object>";
    t.Answer("api/api_objGet.php", XmlHeaders(), Doc(withImage));
    ASSERT_NE(card->m_header.icon.icon, nullptr);

    // A leaked icon keeps its slot in the table of user handles; a returned one is used again.
    auto nextSlot = [] {
        HICON probe = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
        int slot = LOWORD(reinterpret_cast<UINT_PTR>(probe));
        DestroyIcon(probe);
        return slot;
    };
    const int before = nextSlot();
    for (int i = 0; i < 50; ++i) {
        RequestResult arrived;
        arrived.route.requestId = DlgAdmin::kReqIcon;
        card->OnReply(arrived);
    }
    EXPECT_LT(nextSlot() - before, 20) << "icons leaked";
}
