// Under Xvfb against the fixture server: the unit form's schedule-group defaults page loads each
// setting as own or inherited, saves only what was touched, and stores a changed default and an
// excluded calendar day with OK.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "app/App.h"
#include "app/MainWindow.h"
#include "session/FixtureServer.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUDefaultsPage.h"
#include "structure/ProjectCalendarEditing.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"
#include "schedulegroups/FormRequests.h"

namespace {

using namespace formrequests;
using signedin::PumpUntil;
using signedin::Settle;
using Page = DlgOU::CDefaultsPage;

// tests/fixtures/sample/directory.json: unit 1420 with own message service "SMS", run rate 4,
// template 1405, link access off and a calendar without Sundays; it inherits its language, its
// minimum lock period and its deployment slots.
constexpr __int64 kPilots = 1420;

std::wstring ComboText(HWND combo, int index)
{
    wchar_t text[256] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

Object::Attribute& Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
    return attribute;
}

void Click(HWND page, int id)
{
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

class UnitDefaultsLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterStructureWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        std::vector<Object> templates;
        PumpUntil(*s_app, [&] { return s_app->m_mainWindow->GetTemplates(templates); });
        RequestsSince(mark);
    }

    static DlgOU* OpenUnit()
    {
        Object object;
        object.id = kPilots;
        object.type = s_app->m_mainWindow->GetTypeId(CTString(L"OU"));
        s_app->m_mainWindow->OpenObject(object, true, false);
        auto* form = dynamic_cast<DlgOU*>(s_app->m_windows.FindWindow(DlgOU::kWindowType, kPilots));
        if (!form)
            return nullptr;
        EXPECT_TRUE(PumpUntil(*s_app, [&] { return form->m_object.type != 0; }));
        Settle(*s_app);
        return form;
    }

    static void Close(DlgOU* form)
    {
        form->m_modified = false;
        form->Close();
        Settle(*s_app);
    }

    static App* s_app;
    int mark = 0;
};

App* UnitDefaultsLive::s_app = nullptr;

TEST_F(UnitDefaultsLive, SettingsLoadAsOwnOrInherited)
{
    DlgOU* form = OpenUnit();
    ASSERT_NE(nullptr, form);
    Page& page = *form->m_defaults;
    HWND hwnd = page.m_hWnd;
    ASSERT_NE(nullptr, hwnd);
    // Inherited: toggle pressed, control disabled.
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hwnd, Page::IdLanguageToggle));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, Page::IdLanguage)));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hwnd, Page::IdLockMinToggle));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, Page::IdLockMin)));
    // Own values.
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hwnd, Page::IdRunRateToggle));
    EXPECT_EQ(4u, GetDlgItemInt(hwnd, Page::IdRunRate, nullptr, FALSE));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hwnd, Page::IdLinkEnabled));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, Page::IdExpiry)));
    // The current message service first, then the server's, each once.
    HWND services = GetDlgItem(hwnd, Page::IdMsgService);
    ASSERT_EQ(3, ::SendMessageW(services, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"SMS", ComboText(services, 0));
    EXPECT_EQ(L"Email", ComboText(services, 1));
    EXPECT_EQ(L"Teams", ComboText(services, 2));
    // The template by id, and the language once the locales arrived.
    HWND templates = GetDlgItem(hwnd, Page::IdTemplate);
    EXPECT_EQ(L"Pilot template", ComboText(templates, static_cast<int>(::SendMessageW(templates, CB_GETCURSEL, 0, 0))));
    HWND languages = GetDlgItem(hwnd, Page::IdLanguage);
    EXPECT_EQ(L"German (Germany)", ComboText(languages, static_cast<int>(::SendMessageW(languages, CB_GETCURSEL, 0, 0))));
    // The inherited slot list shows its items read-only.
    CTWndSettings& slots = page.m_lists[3];
    CTWndSettings::CItem* morning = slots.FindItemByData(85);
    ASSERT_NE(nullptr, morning);
    EXPECT_EQ(1, morning->value);
    EXPECT_FALSE(slots.IsItemEnabled(morning));
    // Nothing touched: the save sends none of the page's settings.
    form->SetModified(true);
    SendMessageW(form->m_hWnd, WM_COMMAND, CWindowManager::CWMForm::kApplyId, 0);
    Settle(*s_app);
    std::vector<Form> sets = Of(RequestsSince(mark), "api_objSet.php");
    ASSERT_EQ(1u, sets.size());
    for (const auto& [field, value] : sets[0])
        EXPECT_TRUE(field.rfind("ATTRIBID", 0) != 0) << field << "=" << value;
    Close(form);
}

TEST_F(UnitDefaultsLive, EachSettingStoresWhatTheAdministratorChose)
{
    constexpr __int64 kDecember1 = 1796083200;   // 2026-12-01 00:00 UTC
    struct Case {
        const char* name;
        void (*prepare)(Object& unit);
        void (*act)(Page& page, HWND hwnd);
        const char* field;
        std::string value;
    } cases[] = {
        {"link access switched off stores 1",
         [](Object& unit) { Put(unit, 192, L"linkaccess_expire", CAttribute(CAttribute::Date, kDecember1)); },
         [](Page&, HWND hwnd) {
             EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hwnd, Page::IdLinkEnabled));
             CheckDlgButton(hwnd, Page::IdLinkEnabled, BST_UNCHECKED);
             Click(hwnd, Page::IdLinkEnabled);
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, Page::IdExpiry)));
         },
         "ATTRIBID_192", "1"},
        {"a chosen expiry day stores its 00:00 UTC",
         [](Object& unit) { Put(unit, 192, L"linkaccess_expire", CAttribute(CAttribute::Date, 0ll)); },
         [](Page&, HWND hwnd) {
             EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hwnd, Page::IdLinkEnabled));
             CheckDlgButton(hwnd, Page::IdLinkEnabled, BST_CHECKED);
             Click(hwnd, Page::IdLinkEnabled);
             SYSTEMTIME date = CalendarEditing::DateOf(kDecember1);
             ::SendMessageW(GetDlgItem(hwnd, Page::IdExpiry), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&date));
         },
         "ATTRIBID_192", std::to_string(kDecember1)},
        {"an empty number stores 0",
         [](Object&) {},
         [](Page&, HWND hwnd) {
             SetDlgItemTextW(hwnd, Page::IdRunRate, L"");
             SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(Page::IdRunRate, EN_CHANGE), 0);
         },
         "ATTRIBID_130", "0"},
        {"an unknown template shows and stores none",
         [](Object& unit) { Put(unit, 290, L"link_template", CAttribute(CAttribute::Integer, 9999ll)); },
         [](Page&, HWND hwnd) {
             EXPECT_EQ(0, ::SendMessageW(GetDlgItem(hwnd, Page::IdTemplate), CB_GETCURSEL, 0, 0));
             SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(Page::IdTemplate, CBN_SELCHANGE), 0);
         },
         "ATTRIBID_290", "0"},
        {"a released toggle takes the inherited value as the unit's own",
         [](Object&) {},
         [](Page&, HWND hwnd) {
             CheckDlgButton(hwnd, Page::IdLockMinToggle, BST_UNCHECKED);
             Click(hwnd, Page::IdLockMinToggle);
             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, Page::IdLockMin)));
         },
         "ATTRIBID_292", "2"},
        {"a pressed toggle deletes the own value",
         [](Object& unit) {
             unit.FindAttribute(CTString(L"language_code"))->flags &= ~static_cast<DWORD>(Object::Attribute::Default);
         },
         [](Page&, HWND hwnd) {
             EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hwnd, Page::IdLanguageToggle));
             CheckDlgButton(hwnd, Page::IdLanguageToggle, BST_CHECKED);
             Click(hwnd, Page::IdLanguageToggle);
         },
         "ATTRIBIDDEL_161", ""},
        {"a check list keeps the ids it did not offer",
         [](Object& unit) {
             Put(unit, 188, L"deployment_slot", CAttribute(CTString(L"/85/9999/")), Object::Attribute::LinkArray);
         },
         [](Page& page, HWND) {
             CTWndSettings::CItem* afternoon = page.m_lists[3].FindItemByData(86);
             ASSERT_NE(nullptr, afternoon);
             afternoon->value = 1;
             page.m_lists[3].RefreshItem(afternoon);
         },
         "ATTRIBID_188", "/9999/85/86/"},
        {"the location picker's none resets the link",
         [](Object& unit) { Put(unit, 163, L"link_deployment_location", CAttribute(CAttribute::Integer, 530ll)); },
         [](Page&, HWND hwnd) {
             ::SendMessageW(hwnd, Page::MsgLocationPicked, 0, 0);
             wchar_t shown[64] = {};
             GetDlgItemTextW(hwnd, Page::IdLocation, shown, 64);
             EXPECT_STREQ(L"<not assigned>", shown);
         },
         "ATTRIBIDDEL_163", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DlgOU* form = OpenUnit();
        ASSERT_NE(nullptr, form);
        c.prepare(form->m_object);
        form->LoadPages();
        Settle(*s_app);
        c.act(*form->m_defaults, form->m_defaults->m_hWnd);
        form->SetModified(true);
        RequestsSince(mark);
        SendMessageW(form->m_hWnd, WM_COMMAND, CWindowManager::CWMForm::kApplyId, 0);
        Settle(*s_app);
        std::vector<Form> sets = Of(RequestsSince(mark), "api_objSet.php");
        ASSERT_EQ(1u, sets.size());
        EXPECT_EQ(c.value, Get(sets[0], c.field));
        Close(form);
    }
}

TEST_F(UnitDefaultsLive, AMessageServiceReplyThatIsNoXmlLeavesTheCurrentOneAlone)
{
    fixture::Script(fixture::Shared(), "/api/api_qelQuery.php",
                    nlohmann::json::array({{{"headers", nlohmann::json::array({{"Content-Type", "text/plain"}})},
                                            {"body", "Email,Teams"}}}));
    DlgOU* form = OpenUnit();
    ASSERT_NE(nullptr, form);
    HWND services = GetDlgItem(form->m_defaults->m_hWnd, Page::IdMsgService);
    EXPECT_EQ(1, ::SendMessageW(services, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"SMS", ComboText(services, 0));
    Close(form);
}

TEST_F(UnitDefaultsLive, AChangedDefaultAndAnExcludedDayAreStoredWithOk)
{
    DlgOU* form = OpenUnit();
    ASSERT_NE(nullptr, form);
    HWND hwnd = form->m_defaults->m_hWnd;
    SetDlgItemInt(hwnd, Page::IdRunRate, 7, FALSE);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(Page::IdRunRate, EN_CHANGE), 0);
    // Exclude Tuesday 15 December 2026.
    HWND calendar = GetDlgItem(hwnd, Page::IdCalendar);
    SYSTEMTIME day = {};
    day.wYear = 2026;
    day.wMonth = 12;
    day.wDay = 15;
    ::SendMessageW(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    NMSELCHANGE change = {};
    change.nmhdr.hwndFrom = calendar;
    change.nmhdr.idFrom = Page::IdCalendar;
    change.nmhdr.code = MCN_SELCHANGE;
    ::SendMessageW(hwnd, WM_NOTIFY, Page::IdCalendar, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hwnd, Page::IdDefault));
    CheckRadioButton(hwnd, Page::IdDefault, Page::IdExclude, Page::IdExclude);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(Page::IdExclude, BN_CLICKED), 0);
    ASSERT_TRUE(form->IsModified());
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil(*s_app, [&] { return s_app->m_windows.FindWindow(DlgOU::kWindowType, kPilots) == nullptr; }));
    Settle(*s_app);
    std::vector<Form> sets = Of(RequestsSince(mark), "api_objSet.php");
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ("<absent>", Get(sets[0], "ATTRIBID_161"));
    EXPECT_EQ("<absent>", Get(sets[0], "ATTRIBIDDEL_161"));

    // The server holds both.
    form = OpenUnit();
    ASSERT_NE(nullptr, form);
    CAttribute rate, text;
    form->m_object.GetAttribute(rate, CTString(L"max_deployments"));
    EXPECT_EQ(7, rate.GetValue());
    form->m_object.GetAttribute(text, CTString(L"calendar"));
    ProjectCalendar stored;
    stored.ReadXml(CTString(text.GetString()));
    const __int64 excluded = CalendarEditing::DayOf(day);
    EXPECT_FALSE(stored.IsWorkingDay(static_cast<time_t>(excluded)));
    EXPECT_TRUE(stored.IsWorkingDay(static_cast<time_t>(excluded + 86400)));
    Close(form);
}

TEST_F(UnitDefaultsLive, ASaveBeforeTheLocalesArriveLeavesTheLanguageAlone)
{
    const fixture::Info& server = fixture::Shared();
    fixture::Script(server, "/api/api_qelLocaleGet.php",
                    nlohmann::json::array({{{"gate", "unit-locales"},
                                            {"headers", nlohmann::json::array({{"Content-Type", "application/xml"}})},
                                            {"body", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"0\" "
                                                     "text=\"\"/></result>\n"}}}));
    Object object;
    object.id = kPilots;
    object.type = s_app->m_mainWindow->GetTypeId(CTString(L"OU"));
    s_app->m_mainWindow->OpenObject(object, true, false);
    auto* form = dynamic_cast<DlgOU*>(s_app->m_windows.FindWindow(DlgOU::kWindowType, kPilots));
    ASSERT_NE(nullptr, form);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return fixture::Held(server, "unit-locales") == 1 && form->m_object.type != 0; }));
    HWND hwnd = form->m_defaults->m_hWnd;
    // The administrator releases the language toggle, but no language list is there to take from.
    CheckDlgButton(hwnd, Page::IdLanguageToggle, BST_UNCHECKED);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(Page::IdLanguageToggle, BN_CLICKED), 0);
    RequestsSince(mark);
    form->Save();
    fixture::Release(server, "unit-locales");
    Settle(*s_app);
    std::vector<Form> sets = Of(RequestsSince(mark), "api_objSet.php");
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ("<absent>", Get(sets[0], "ATTRIBID_161"));
    Close(form);
}

} // namespace
