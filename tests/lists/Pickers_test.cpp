// The person, user, location, site and route pickers, opened through the window manager for a
// recording owner window on an application signed in to the fixture server under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/App.h"
#include "app/MainWindow.h"
#include "foundation/TiXmlDocument.h"
#include "framework/CTRegKey.h"
#include "lists/DlgSelectLocation.h"
#include "lists/DlgSelectPerson.h"
#include "lists/DlgSelectRoute.h"
#include "lists/DlgSelectSite.h"
#include "lists/ListWindows.h"
#include "session/FixtureServer.h"

#include "app/SignedInSession.h"
#include "lists/PickerOwner.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

std::wstring Cell(CTListCtrlReport& list, int item, int column)
{
    wchar_t text[512] = {};
    ListView_GetItemText(list.m_hWnd, item, column, text, 511);
    return text;
}

std::vector<std::wstring> Column(CTListCtrlReport& list, int column)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
        out.push_back(Cell(list, i, column));
    return out;
}

int RowOf(CTListCtrlReport& list, const wchar_t* name, int column = 1)
{
    std::vector<std::wstring> names = Column(list, column);
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::string Narrow(const wchar_t* w)
{
    std::string out;
    for (; w && *w; ++w)
        out += static_cast<char>(*w < 128 ? *w : '?');
    return out;
}

bool Has(const std::vector<std::wstring>& texts, const wchar_t* text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string UrlDecode(const std::string& in)
{
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '+')
            out += ' ';
        else if (in[i] == '%' && i + 2 < in.size()) {
            out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            out += in[i];
    }
    return out;
}

// The decoded bodies of every object search the server has seen, oldest first.
std::vector<std::string> SearchBodies()
{
    std::vector<std::string> out;
    for (const auto& record : fixture::Requests(fixture::Shared(), "/api/api_objSearch.php"))
        out.push_back("&" + UrlDecode(fixture::Base64Decode(record.value("body_b64", ""))) + "&");
    return out;
}

// The last object search whose body holds the text.
std::string LastSearchWith(const std::string& text)
{
    std::vector<std::string> bodies = SearchBodies();
    for (auto it = bodies.rbegin(); it != bodies.rend(); ++it)
        if (it->find(text) != std::string::npos)
            return *it;
    return {};
}

// The registry path below HKCU of a sub-path of string 104.
std::wstring SettingsKey(const CTString& subPath)
{
    CTString format;
    format.LoadString(104, GetModuleHandleW(nullptr));
    std::wstring path(format.GetBuffer());
    path = path.substr(path.find(L'\\') + 1);
    path.replace(path.find(L"%s"), 2, subPath.GetBuffer());
    return path;
}

class Pickers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterListWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override
    {
        ASSERT_NE(nullptr, s_app);
        main = s_app->m_mainWindow;
    }
    void TearDown() override
    {
        for (int type : {DlgPicker::kTypePerson, DlgPicker::kTypeUser, DlgPicker::kTypeRoute, DlgPicker::kTypeLocation,
                         DlgPicker::kTypeSite})
            s_app->m_windows.CloseWindows(type, 0);
        Settle(*s_app);
    }

    template <class Picker>
    Picker* Open(int type, UINT64 key)
    {
        s_app->m_windows.OpenWindow(type, key, reinterpret_cast<INT_PTR>(owner.hwnd));
        auto* picker = dynamic_cast<Picker*>(s_app->m_windows.FindWindow(type, key));
        Settle(*s_app);
        return picker;
    }
    void Command(DlgPicker* picker, int id)
    {
        SendMessageW(picker->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(picker->m_hWnd, id)));
        Settle(*s_app);
    }
    void Go(DlgPicker* picker, const wchar_t* text)
    {
        SetDlgItemTextW(picker->m_hWnd, DlgPicker::kIdSearchEdit, text);
        Command(picker, DlgPicker::kIdGo);
    }
    static void Tick(DlgPicker* picker, int id, bool on)
    {
        CheckDlgButton(picker->m_hWnd, id, on ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(picker->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(picker->m_hWnd, id)));
    }
    static void SelectRow(DlgPicker* picker, int item)
    {
        ListView_SetItemState(picker->m_list.m_hWnd, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(picker->m_list.m_hWnd, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    static bool IsSelected(DlgPicker* picker, int item)
    {
        return ListView_GetItemState(picker->m_list.m_hWnd, item, LVIS_SELECTED) != 0;
    }
    static int DefaultButton(DlgPicker* picker)
    {
        return LOWORD(SendMessageW(picker->m_hWnd, DM_GETDEFID, 0, 0));
    }
    static bool OkEnabled(DlgPicker* picker) { return IsWindowEnabled(GetDlgItem(picker->m_hWnd, IDOK)) != FALSE; }

    static App* s_app;
    MainWindow* main = nullptr;
    RecordingOwner owner;
};

App* Pickers::s_app = nullptr;

constexpr LPARAM kBerlin = 21;

} // namespace

TEST_F(Pickers, SiteTellsItsOwnerOfStartChoiceCancelAndEnd)
{
    auto* first = Open<DlgSelectSite>(DlgPicker::kTypeSite, 501);
    auto* second = Open<DlgSelectSite>(DlgPicker::kTypeSite, 502);
    auto* third = Open<DlgSelectSite>(DlgPicker::kTypeSite, 503);
    ASSERT_TRUE(first && second && third);
    EXPECT_NE(first->m_hWnd, second->m_hWnd);
    // Opening a key again only activates its picker.
    EXPECT_EQ(first, Open<DlgSelectSite>(DlgPicker::kTypeSite, 501));
    EXPECT_EQ((std::vector<Answer>{{1040, 501, 2, false}}), owner.For(501));

    // The active picker is the one the loop hands keyboard messages to.
    SendMessageW(first->m_hWnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(first->m_hWnd, s_app->m_windows.m_activeDialog);
    SendMessageW(second->m_hWnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(first->m_hWnd, s_app->m_windows.m_activeDialog);

    // A single hit is selected with OK as the default, so Enter answers it.
    Go(first, L"Berlin");
    ASSERT_EQ(1, first->m_list.GetItemCount());
    EXPECT_EQ(L"Berlin", Cell(first->m_list, 0, 1));
    EXPECT_EQ(L"Site", Cell(first->m_list, 0, 2));
    EXPECT_EQ(L"\\Acme\\Sales", Cell(first->m_list, 0, 0));
    EXPECT_TRUE(IsSelected(first, 0));
    EXPECT_TRUE(OkEnabled(first));
    EXPECT_EQ(IDOK, DefaultButton(first));
    HWND firstHwnd = first->m_hWnd;
    Command(first, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1040, 501, 2, false}, {1039, 501, kBerlin, false}, {1040, 501, 4, false}}),
              owner.For(501));
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(DlgPicker::kTypeSite, 501));
    EXPECT_NE(firstHwnd, s_app->m_windows.m_activeDialog);

    // An empty name lists every site; nothing is chosen by itself.
    Go(second, L"");
    std::vector<std::wstring> names = Column(second->m_list, 1);
    for (const wchar_t* site : {L"London", L"Berlin", L"Manchester", L"Edinburgh", L"Munich"})
        EXPECT_TRUE(Has(names, site)) << Narrow(site);
    EXPECT_FALSE(OkEnabled(second));
    EXPECT_EQ(std::string::npos, LastSearchWith("&TYPE=Site&").find("&SEARCH="));
    Command(second, IDCANCEL);
    EXPECT_EQ((std::vector<Answer>{{1040, 502, 2, false}, {1040, 502, 3, false}, {1040, 502, 4, false}}),
              owner.For(502));

    // "Set to not assigned" answers 0 even with a row selected, and switches the list and Go off.
    Go(third, L"Berlin");
    ASSERT_TRUE(IsSelected(third, 0));
    Tick(third, DlgPicker::kIdNone, true);
    EXPECT_FALSE(IsWindowEnabled(third->m_list.m_hWnd));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(third->m_hWnd, DlgPicker::kIdGo)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(third->m_hWnd, DlgPicker::kIdSearchEdit)));
    Command(third, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1040, 503, 2, false}, {1039, 503, 0, false}, {1040, 503, 4, false}}),
              owner.For(503));
}

TEST_F(Pickers, ClosedByTheManagerASiteAnswersNothingButItsEnd)
{
    ASSERT_TRUE(Open<DlgSelectSite>(DlgPicker::kTypeSite, 510));
    s_app->m_windows.CloseWindows(DlgPicker::kTypeSite, 510);
    Settle(*s_app);
    EXPECT_EQ((std::vector<Answer>{{1040, 510, 2, false}, {1040, 510, 4, false}}), owner.For(510));
}

TEST_F(Pickers, RepeatedIdsInOneAnswerGiveOneRowExceptForRoutes)
{
    auto* site = Open<DlgSelectSite>(DlgPicker::kTypeSite, 520);
    auto* routes = Open<DlgSelectRoute>(DlgPicker::kTypeRoute, 521);
    ASSERT_TRUE(site && routes);
    const wchar_t* reply =
        L"<result><RC id=\"0\" text=\"\"/>"
        L"<object id=\"21\" type=\"4\" parent=\"12\" serial=\"1\" name=\"Berlin\"/>"
        L"<object id=\"21\" type=\"4\" parent=\"12\" serial=\"1\" name=\"Berlin\"/>"
        L"<object id=\"22\" type=\"4\" parent=\"13\" serial=\"1\" name=\"Manchester\"/></result>";
    for (DlgPicker* picker : {static_cast<DlgPicker*>(site), static_cast<DlgPicker*>(routes)}) {
        picker->ClearResults();
        RequestResult result;
        result.route = RequestRoute{picker->m_type, picker->m_key, 0, 0, DlgPicker::kReqSearch, picker->m_searchSerial, false};
        result.document.Parse(reply, nullptr, 0);
        s_app->m_windows.NotifyWindows(picker->m_type, picker->m_key, &result);
    }
    Settle(*s_app);
    EXPECT_EQ(2, site->m_list.GetItemCount());
    EXPECT_EQ(3, routes->m_list.GetItemCount());

    // An answer of an earlier search never joins the current one.
    RequestResult late;
    late.route = RequestRoute{site->m_type, site->m_key, 0, 0, DlgPicker::kReqSearch, site->m_searchSerial - 1, false};
    late.document.Parse(L"<result><object id=\"23\" type=\"4\" parent=\"14\" serial=\"1\" name=\"Edinburgh\"/></result>",
                        nullptr, 0);
    s_app->m_windows.NotifyWindows(site->m_type, site->m_key, &late);
    EXPECT_EQ(2, site->m_list.GetItemCount());
}

TEST_F(Pickers, PersonSearchesEverywhereWithAtMost200)
{
    auto* person = Open<DlgSelectPerson>(DlgPicker::kTypePerson, 530);
    ASSERT_NE(nullptr, person);
    EXPECT_TRUE(owner.For(530).empty());
    Go(person, L"Lovelace");
    std::string body = LastSearchWith("&SEARCH=Lovelace&");
    EXPECT_NE(std::string::npos, body.find("&TYPE=Schedule User,Administrator&")) << body;
    EXPECT_NE(std::string::npos, body.find("&PARENT=ALL&")) << body;
    EXPECT_NE(std::string::npos, body.find("&MAX=200&")) << body;
    ASSERT_EQ(1, person->m_list.GetItemCount());
    EXPECT_EQ((std::vector<std::wstring>{L"\\Acme\\Engineering\\London", L"Ada Lovelace", L"Schedule User"}),
              (std::vector<std::wstring>{Cell(person->m_list, 0, 0), Cell(person->m_list, 0, 1), Cell(person->m_list, 0, 2)}));
    // A double-click answers the selected row.
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = person->m_list.m_hWnd;
    click.hdr.idFrom = DlgPicker::kIdList;
    click.hdr.code = NM_DBLCLK;
    SendMessageW(person->m_hWnd, WM_NOTIFY, DlgPicker::kIdList, reinterpret_cast<LPARAM>(&click));
    Settle(*s_app);
    EXPECT_EQ((std::vector<Answer>{{1037, 530, 30, false}}), owner.For(530));

    // Cancel answers nothing.
    auto* other = Open<DlgSelectPerson>(DlgPicker::kTypePerson, 531);
    ASSERT_NE(nullptr, other);
    Command(other, IDCANCEL);
    EXPECT_TRUE(owner.For(531).empty());
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(DlgPicker::kTypePerson, 531));
}

TEST_F(Pickers, UserPickerPreselectsTheOwnersGroupAndSearchesUnderIt)
{
    owner.groupToSelect = 52;
    auto* user = Open<DlgSelectUser>(DlgPicker::kTypeUser, 540);
    ASSERT_NE(nullptr, user);
    EXPECT_EQ((std::vector<Answer>{{1035, 0, 0, true}}), owner.For(0));
    wchar_t text[128] = {};
    GetDlgItemTextW(user->m_hWnd, DlgSelectUser::kIdGroups, text, 127);
    EXPECT_STREQ(L"Spring refresh", text);
    Go(user, L"Hopper");
    std::string body = LastSearchWith("&SEARCH=Hopper&");
    EXPECT_NE(std::string::npos, body.find("&PARENT=52&")) << body;
    EXPECT_EQ(std::string::npos, body.find("&MAX=")) << body;

    owner.groupToSelect = 0;
    auto* everywhere = Open<DlgSelectUser>(DlgPicker::kTypeUser, 541);
    ASSERT_NE(nullptr, everywhere);
    GetDlgItemTextW(everywhere->m_hWnd, DlgSelectUser::kIdGroups, text, 127);
    EXPECT_STREQ(L"All Locations", text);
    Go(everywhere, L"Hopper");
    EXPECT_NE(std::string::npos, LastSearchWith("&SEARCH=Hopper&").find("&PARENT=ALL&"));
    ASSERT_EQ(1, everywhere->m_list.GetItemCount());
    EXPECT_EQ(L"grace.hopper@example.test", Cell(everywhere->m_list, 0, 2));
    // Ticking "none" also switches the group choice off.
    Tick(everywhere, DlgPicker::kIdNone, true);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(everywhere->m_hWnd, DlgSelectUser::kIdGroups)));
    Tick(everywhere, DlgPicker::kIdNone, false);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(everywhere->m_hWnd, DlgSelectUser::kIdGroups)));
    Command(everywhere, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1037, 541, 200, false}}), owner.For(541));
}

TEST_F(Pickers, SuperUsersAreHiddenFromOtherAdministrators)
{
    Object& administrator = main->m_cache.administrator;
    ASSERT_TRUE(administrator.GetPrivilege(CTString(L"SuperUser")));
    auto* person = Open<DlgSelectPerson>(DlgPicker::kTypePerson, 550);
    auto* user = Open<DlgSelectUser>(DlgPicker::kTypeUser, 551);
    ASSERT_TRUE(person && user);
    for (DlgPicker* picker : {static_cast<DlgPicker*>(person), static_cast<DlgPicker*>(user)}) {
        Go(picker, L"admin");
        EXPECT_EQ(0, RowOf(picker->m_list, L"admin"));
    }
    administrator.SetPrivilege(CTString(L"SuperUser"), false);
    for (DlgPicker* picker : {static_cast<DlgPicker*>(person), static_cast<DlgPicker*>(user)}) {
        Go(picker, L"admin");
        EXPECT_EQ(-1, RowOf(picker->m_list, L"admin"));
        Go(picker, L"helpdesk");
        EXPECT_EQ(0, RowOf(picker->m_list, L"helpdesk"));
    }
    administrator.SetPrivilege(CTString(L"SuperUser"), true);
}

TEST_F(Pickers, LocationFiltersByTypeAndAssignmentAndRemembersBoth)
{
    CTString subPath = DlgSelectLocation::SettingsPath();
    RegDeleteKeyW(HKEY_CURRENT_USER, SettingsKey(subPath).c_str());

    auto* picker = Open<DlgSelectLocation>(DlgPicker::kTypeLocation, 560);
    ASSERT_NE(nullptr, picker);
    HWND types = GetDlgItem(picker->m_hWnd, DlgSelectLocation::kIdType);
    auto selectType = [&](const wchar_t* name) {
        SendMessageW(types, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    };
    auto selectedType = [&] {
        wchar_t text[64] = {};
        GetWindowTextW(types, text, 63);
        return std::wstring(text);
    };
    // First use: the assigned-only box ticked, the type of value 0, "<All>" after the four types.
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(picker->m_hWnd, DlgSelectLocation::kIdOnlyAssigned));
    EXPECT_EQ(L"Unknown", selectedType());
    EXPECT_EQ(5, SendMessageW(types, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(5, picker->m_allData);
    EXPECT_EQ(0, picker->m_list.GetItemCount()); // no search before Go

    // The administrator's own locations: the sample's warehouse and the computer pane's outpost.
    const std::vector<std::wstring> kOwnLocations{L"Central warehouse", L"Computer pane outpost"};
    // "<All>": no attribute and no search text; only the administrator's own locations are listed
    // although the server returns all, and no row is chosen by itself.
    selectType(L"<All>");
    Command(picker, DlgPicker::kIdGo);
    std::string body = LastSearchWith("&TYPE=Asset Location&");
    EXPECT_EQ(std::string::npos, body.find("&ATTRIB=")) << body;
    EXPECT_EQ(std::string::npos, body.find("&SEARCH=")) << body;
    EXPECT_EQ(kOwnLocations, Column(picker->m_list, 1));
    EXPECT_EQ(L"Warehouse", Cell(picker->m_list, 0, 2));
    EXPECT_FALSE(IsSelected(picker, 0));
    EXPECT_FALSE(OkEnabled(picker));

    // The box counts as it stands when the answer arrives, not when the search was sent.
    Tick(picker, DlgSelectLocation::kIdOnlyAssigned, false);
    SendMessageW(picker->m_hWnd, WM_COMMAND, MAKEWPARAM(DlgPicker::kIdGo, BN_CLICKED), 0);
    Tick(picker, DlgSelectLocation::kIdOnlyAssigned, true);
    Settle(*s_app);
    EXPECT_EQ(kOwnLocations, Column(picker->m_list, 1));

    Tick(picker, DlgSelectLocation::kIdOnlyAssigned, false);
    Command(picker, DlgPicker::kIdGo);
    std::vector<std::wstring> names = Column(picker->m_list, 1);
    for (const wchar_t* name : {L"Central warehouse", L"Manchester stores", L"Edinburgh stores", L"Recycling centre"})
        EXPECT_TRUE(Has(names, name)) << Narrow(name);

    selectType(L"Store");
    Command(picker, DlgPicker::kIdGo);
    body = LastSearchWith("&TYPE=Asset Location&");
    EXPECT_NE(std::string::npos, body.find("&ATTRIB=asset_location_type&SEARCH=2&")) << body;
    names = Column(picker->m_list, 1);
    std::sort(names.begin(), names.end());
    // Every store of the sample, the computer pane's outpost included.
    EXPECT_EQ((std::vector<std::wstring>{L"Computer pane outpost", L"Edinburgh stores", L"Manchester stores"}), names);
    SelectRow(picker, RowOf(picker->m_list, L"Manchester stores"));
    EXPECT_TRUE(OkEnabled(picker));
    Command(picker, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1044, 560, 531, false}}), owner.For(560));

    CTRegKey settings(104, nullptr, subPath.GetBuffer());
    EXPECT_EQ(2u, settings.ReadDword(DlgSelectLocation::kValueType, 99));
    EXPECT_EQ(0u, settings.ReadDword(DlgSelectLocation::kValueOnlyAssigned, 99));
    picker = Open<DlgSelectLocation>(DlgPicker::kTypeLocation, 561);
    ASSERT_NE(nullptr, picker);
    types = GetDlgItem(picker->m_hWnd, DlgSelectLocation::kIdType);
    EXPECT_EQ(L"Store", selectedType());
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(picker->m_hWnd, DlgSelectLocation::kIdOnlyAssigned));
    // "<All>" is remembered as its own entry.
    selectType(L"<All>");
    Command(picker, IDCANCEL);
    EXPECT_TRUE(owner.For(561).empty());
    EXPECT_EQ(5u, settings.ReadDword(DlgSelectLocation::kValueType, 99));
    picker = Open<DlgSelectLocation>(DlgPicker::kTypeLocation, 562);
    ASSERT_NE(nullptr, picker);
    types = GetDlgItem(picker->m_hWnd, DlgSelectLocation::kIdType);
    EXPECT_EQ(L"<All>", selectedType());
}

TEST_F(Pickers, RouteListsEveryRouteWithPathsAndPreselectsTheLastChoice)
{
    CTRegKey settings(104, nullptr, DlgSelectRoute::SettingsPath().GetBuffer());
    settings.WriteQword(DlgSelectRoute::kValueLastItem, 541);
    auto* picker = Open<DlgSelectRoute>(DlgPicker::kTypeRoute, 570);
    ASSERT_NE(nullptr, picker);
    CTListCtrlReport& list = picker->m_list;
    ASSERT_GE(list.GetItemCount(), 4);
    int last = RowOf(list, L"Warehouse to Edinburgh", 0);
    ASSERT_GE(last, 0);
    EXPECT_TRUE(IsSelected(picker, last));
    int top = ListView_GetTopIndex(list.m_hWnd);
    EXPECT_TRUE(last >= top && last < top + std::max(1, ListView_GetCountPerPage(list.m_hWnd)));

    // Source and destination paths, also where one location is gone (its path is never answered).
    int row = RowOf(list, L"Warehouse to Manchester", 0);
    ASSERT_GE(row, 0);
    EXPECT_EQ(L"\\Acme\\Operations\\Central warehouse", Cell(list, row, 1));
    EXPECT_EQ(L"\\Acme\\Operations\\Manchester\\Manchester stores", Cell(list, row, 2));
    row = RowOf(list, L"Recycling to a closed yard", 0);
    ASSERT_GE(row, 0);
    EXPECT_EQ(L"\\Acme\\Operations\\Recycling centre", Cell(list, row, 1));
    EXPECT_EQ(L"", Cell(list, row, 2));
    EXPECT_EQ(0, picker->m_pathAnswersDue);

    Command(picker, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1038, 570, 541, false}}), owner.For(570));

    // Another choice is remembered; "none" (sent) and Cancel (posted) answer 0 and leave it.
    picker = Open<DlgSelectRoute>(DlgPicker::kTypeRoute, 571);
    ASSERT_NE(nullptr, picker);
    SelectRow(picker, RowOf(picker->m_list, L"Warehouse to Manchester", 0));
    Command(picker, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1038, 571, 540, false}}), owner.For(571));
    EXPECT_EQ(540u, settings.ReadQword(DlgSelectRoute::kValueLastItem, 0));

    picker = Open<DlgSelectRoute>(DlgPicker::kTypeRoute, 572);
    ASSERT_NE(nullptr, picker);
    Tick(picker, DlgPicker::kIdNone, true);
    EXPECT_FALSE(IsWindowEnabled(picker->m_list.m_hWnd));
    Command(picker, IDOK);
    picker = Open<DlgSelectRoute>(DlgPicker::kTypeRoute, 573);
    ASSERT_NE(nullptr, picker);
    Command(picker, IDCANCEL);
    EXPECT_EQ((std::vector<Answer>{{1038, 572, 0, true}}), owner.For(572));
    EXPECT_EQ((std::vector<Answer>{{1038, 573, 0, false}}), owner.For(573));
    EXPECT_EQ(540u, settings.ReadQword(DlgSelectRoute::kValueLastItem, 0));

    // OK without a selection does nothing.
    picker = Open<DlgSelectRoute>(DlgPicker::kTypeRoute, 574);
    ASSERT_NE(nullptr, picker);
    ListView_SetItemState(picker->m_list.m_hWnd, -1, 0, LVIS_SELECTED);
    Command(picker, IDOK);
    EXPECT_TRUE(owner.For(574).empty());
    EXPECT_NE(nullptr, s_app->m_windows.FindWindow(DlgPicker::kTypeRoute, 574));
}

TEST_F(Pickers, TheNextPickerOfAKindOpensWithTheSizeLeftCentredOnItsOwner)
{
    auto* picker = Open<DlgSelectSite>(DlgPicker::kTypeSite, 580);
    ASSERT_NE(nullptr, picker);
    SetWindowPos(picker->m_hWnd, nullptr, 10, 10, 720, 530, SWP_NOZORDER);
    Command(picker, IDCANCEL);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Tavik\\TWndSize", 0, KEY_READ, &key));
    DWORD type = 0, size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"DlgSelectSite", nullptr, &type, nullptr, &size));
    RegCloseKey(key);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(44u, size);

    SetWindowPos(owner.hwnd, nullptr, 300, 250, 640, 480, SWP_NOZORDER);
    picker = Open<DlgSelectSite>(DlgPicker::kTypeSite, 581);
    ASSERT_NE(nullptr, picker);
    RECT rc = {}, ownerRc = {};
    GetWindowRect(picker->m_hWnd, &rc);
    GetWindowRect(owner.hwnd, &ownerRc);
    EXPECT_EQ(720, rc.right - rc.left);
    EXPECT_EQ(530, rc.bottom - rc.top);
    EXPECT_NEAR((ownerRc.left + ownerRc.right) / 2, (rc.left + rc.right) / 2, 2);
    EXPECT_NEAR((ownerRc.top + ownerRc.bottom) / 2, (rc.top + rc.bottom) / 2, 2);
}
