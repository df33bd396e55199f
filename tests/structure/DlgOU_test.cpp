// The unit form against a recording transport: pages chosen by type, one save with only what
// changed, the change notice after the save reply, read-only state, replies for other ids, and
// the header when the path cache answers at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUGeneralPage.h"
#include "structure/StandInPage.h"

using namespace structuretest;

namespace {

constexpr __int64 kUnit = 11;

std::vector<std::wstring> TabTitles(DlgOU* form)
{
    std::vector<std::wstring> out;
    HWND tab = form->m_tab.m_hWnd;
    int count = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        out.push_back(text);
    }
    return out;
}

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

struct UnitForm : ::testing::Test {
    apptest::TestApp t;

    UnitForm()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        for (auto [number, name] : std::vector<std::pair<int, const wchar_t*>>{
                 {2, L"Organisation"}, {3, L"OU"}, {4, L"Site"}, {5, L"Schedule User"}, {7, L"Schedule Group"},
                 {9, L"Administrator"}, {33, L"Order Folder"}, {35, L"Asset Location"}})
            DefineStructureType(*t.app, number, name);
    }

    DlgOU* Open(__int64 id = kUnit)
    {
        t.app->m_windows.OpenWindow(DlgOU::kWindowType, static_cast<UINT64>(id), 0);
        return dynamic_cast<DlgOU*>(t.app->m_windows.FindWindow(DlgOU::kWindowType, static_cast<UINT64>(id)));
    }

    void Arrive(__int64 id, int type, const std::string& attribs = "")
    {
        AnswerFor(t, "api/api_objGet.php", id, ObjectReply(id, ObjectXml(id, type, "Engineering", attribs)));
    }

    std::vector<apptest::MainNotice> Notices(int requestId)
    {
        std::vector<apptest::MainNotice> out;
        for (const apptest::MainNotice& notice : t.notices.list)
            if (notice.requestId == requestId)
                out.push_back(notice);
        return out;
    }
};

// A page that refuses its values.
class RefusingPage : public StandInPage {
public:
    RefusingPage() : StandInPage(L"Refusing", true) {}
    bool Save() override { return false; }
};

} // namespace

TEST_F(UnitForm, TypeChoosesTheTabs)
{
    const std::vector<std::wstring> plain = {L"General", L"Schedule Group Defaults", L"Component Defaults", L"Security"};
    struct Case {
        int type;
        std::vector<std::wstring> tabs;
    } cases[] = {
        {3, plain},
        {7, plain},
        {4, {L"General", L"Site", L"Survey", L"Security"}},
        {35, {L"General", L"Asset Location", L"Security"}},
        {33, {L"General", L"Security"}},
        {99, plain},   // a type the main window does not know
    };
    for (const Case& c : cases) {
        DlgOU* form = Open(kUnit + c.type);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(TabTitles(form), plain) << "before the object arrives, type " << c.type;
        Arrive(kUnit + c.type, c.type);
        EXPECT_EQ(TabTitles(form), c.tabs) << "type " << c.type;
        form->Close();
        t.Pump();
    }
}

TEST_F(UnitForm, OkSendsOneSaveWithTheChangesAndAnnouncesItAfterTheReply)
{
    DlgOU* form = Open();
    Arrive(kUnit, 3,
           Attr(101, "display_name", "value_varchar", "Eng") + Attr(124, "description", "value_varchar", "Builds") +
               Attr(120, "ou_attribs", "value_int", "0"));
    HWND page = form->m_general->m_hWnd;
    EXPECT_FALSE(form->IsModified());
    SetDlgItemTextW(page, 1249, L"Engineering team");
    EXPECT_TRUE(form->IsModified());
    HWND formWindow = form->m_hWnd;
    SendMessageW(formWindow, WM_COMMAND, IDOK, 0);
    t.Pump();

    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["ID"], "11");
    EXPECT_EQ(saves[0]["SERIAL"], "4");
    EXPECT_EQ(saves[0]["NAME"], "Engineering");
    EXPECT_EQ(WithPrefix(saves[0], "ATTRIB"), (Fields{{"ATTRIBID_101", "Engineering team"}}));
    EXPECT_FALSE(IsWindow(formWindow));
    EXPECT_TRUE(Notices(1017).empty()) << "no notice before the server accepted the save";

    AnswerFor(t, "api/api_objSet.php", kUnit,
              ObjectReply(kUnit, ObjectXml(kUnit, 3, "Engineering", Attr(101, "display_name", "value_varchar", "Engineering team"))));
    std::vector<apptest::MainNotice> notices = Notices(1017);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].consoleType, 1020);
    EXPECT_EQ(notices[1].consoleType, 1021);
    EXPECT_EQ(t.app->m_windows.FindWindow(DlgOU::kWindowType, kUnit), nullptr);
}

TEST_F(UnitForm, SaveReplyClearsModifiedAndRereadsTheObject)
{
    DlgOU* form = Open();
    Arrive(kUnit, 3, Attr(101, "display_name", "value_varchar", "Eng"));
    SetDlgItemTextW(form->m_general->m_hWnd, 1249, L"New");
    SendMessageW(form->m_hWnd, WM_COMMAND, DlgOU::kApplyId, 0);
    t.Pump();
    ASSERT_EQ(Sent(t, "api/api_objSet.php").size(), 1u);
    EXPECT_TRUE(IsWindow(form->m_hWnd));
    EXPECT_TRUE(form->IsModified());
    AnswerFor(t, "api/api_objSet.php", kUnit,
              ObjectReply(kUnit, ObjectXml(kUnit, 3, "Renamed", Attr(101, "display_name", "value_varchar", "New"))));
    EXPECT_FALSE(form->IsModified());
    EXPECT_EQ(WindowText(form->m_hWnd), L"Renamed");
    EXPECT_EQ(Notices(1017).size(), 2u);
}

TEST_F(UnitForm, UnmodifiedOkClosesWithoutARequest)
{
    DlgOU* form = Open();
    Arrive(kUnit, 3, Attr(101, "display_name", "value_varchar", "Eng"));
    HWND formWindow = form->m_hWnd;
    SendMessageW(formWindow, WM_COMMAND, IDOK, 0);
    t.Pump();
    EXPECT_TRUE(Sent(t, "api/api_objSet.php").empty());
    EXPECT_FALSE(IsWindow(formWindow));
    EXPECT_EQ(t.app->m_windows.FindWindow(DlgOU::kWindowType, kUnit), nullptr);
}

TEST_F(UnitForm, RefusingPageKeepsTheFormOpenWhileTheRequestGoes)
{
    DlgOU* form = Open();
    Arrive(kUnit, 3, Attr(101, "display_name", "value_varchar", "Eng"));
    form->AddPage(new RefusingPage());
    SetDlgItemTextW(form->m_general->m_hWnd, 1249, L"Changed");
    SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
    t.Pump();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0]["ATTRIBID_101"], "Changed");
    EXPECT_TRUE(IsWindow(form->m_hWnd));
}

TEST_F(UnitForm, BusyBeforeTheWindowExistsKeepsItReadOnly)
{
    DlgOU form;
    form.m_type = DlgOU::kWindowType;
    form.m_key = kUnit;
    RequestResult busy;
    busy.route.requestId = 1019;
    busy.returnCode = 1;
    form.Notify(&busy);
    ASSERT_TRUE(form.Open());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form.m_hWnd, IDOK)));
    busy.returnCode = 0;
    form.Notify(&busy);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(form.m_hWnd, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form.m_hWnd, DlgOU::kApplyId))) << "nothing to apply";
    busy.returnCode = 1;
    form.Notify(&busy);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(form.m_hWnd, IDOK)));
    form.Destroy();
}

TEST_F(UnitForm, RepliesForAnotherIdAreIgnored)
{
    DlgOU* form = Open();
    Arrive(kUnit, 3, Attr(101, "display_name", "value_varchar", "Eng"));
    std::wstring subtitle(form->m_header.subtitle.GetBuffer());
    RequestRoute route = apptest::Route(DlgOU::kWindowType, 1052);
    route.targetKey = kUnit;
    apptest::Deliver(t, route, L"api/api_objGet.php", apptest::XmlHeaders(),
                     ObjectReply(12, ObjectXml(12, 4, "Other", "")));
    EXPECT_EQ(WindowText(form->m_hWnd), L"Engineering");
    EXPECT_EQ(TabTitles(form).size(), 4u);
    route.requestId = 1028;
    apptest::Deliver(t, route, L"api/api_dirIDToPath.php", apptest::XmlHeaders(),
                     apptest::Doc("<RC id=\"0\"/><parameters ID=\"12\"/><value path=\"\\Other\"/>"));
    EXPECT_NE(WindowText(form->m_header.m_hWnd), L"\\Other");
    EXPECT_EQ(std::wstring(form->m_header.subtitle.GetBuffer()), subtitle);
}

TEST_F(UnitForm, PathFromTheCacheInsideLoadSetsTheHeader)
{
    t.app->m_paths[kUnit] = L"\\Org\\Engineering";
    DlgOU* form = Open();
    EXPECT_EQ(WindowText(form->m_header.m_hWnd), L"\\Org\\Engineering");
    EXPECT_TRUE(Sent(t, "api/api_dirIDToPath.php").empty());
    Arrive(kUnit, 3);
    EXPECT_EQ(WindowText(form->m_header.m_hWnd), L"\\Org\\Engineering");
    std::wstring subtitle(form->m_header.subtitle.GetBuffer());
    EXPECT_EQ(subtitle.rfind(L"ID: 11  Created: ", 0), 0u) << subtitle;
    EXPECT_NE(subtitle.find(L" Updated: "), std::wstring::npos) << subtitle;
}

TEST_F(UnitForm, LanguagesAreRequestedOncePerForm)
{
    DlgOU* form = Open();
    Arrive(kUnit, 3, Attr(181, "site_survey_page", "value_varchar", ""));
    HWND page = form->m_general->m_hWnd;
    for (int i = 0; i < 2; ++i)
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(1089, CBN_DROPDOWN), 0);
    ASSERT_EQ(t.transport->CountPath("api/api_qelLangSearch.php"), 1u);
    t.Answer("api/api_qelLangSearch.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"0\"/><lang type=\"email\" name=\"Welcome\"/><lang type=\"Survey\" name=\"Exit survey\"/>"));
    HWND combo = GetDlgItem(page, 1089);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 1);
    wchar_t text[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Exit survey");
}
