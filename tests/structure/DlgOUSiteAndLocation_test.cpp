// The unit form's Site and Asset Location pages against a recording transport: the address and
// its inheritable country as sent, the assigned administrators found through their links and
// named when each arrives, and the location type kept when it is outside its list.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUAssetLocationPage.h"
#include "structure/DlgOUSitePage.h"

using namespace structuretest;

namespace {

constexpr int kSiteType = 4, kLocationType = 35, kAdministratorType = 9, kLinkType = 19;
constexpr __int64 kLocation = 530;

struct Pages : ::testing::Test {
    apptest::TestApp t;

    Pages()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kSiteType, L"Site", {{180, L"country"}});
        DefineStructureType(*t.app, kLocationType, L"Asset Location");
        DefineStructureType(*t.app, kAdministratorType, L"Administrator");
        DefineStructureType(*t.app, kLinkType, L"Link [AT]");
    }

    DlgOU* Open(__int64 id, int type, const std::string& attribs)
    {
        t.app->m_windows.OpenWindow(DlgOU::kWindowType, static_cast<UINT64>(id), 0);
        auto* form = dynamic_cast<DlgOU*>(t.app->m_windows.FindWindow(DlgOU::kWindowType, static_cast<UINT64>(id)));
        if (form)
            AnswerFor(t, "api/api_objGet.php", id, ObjectReply(id, ObjectXml(id, type, "Place", attribs)));
        return form;
    }

    Fields SaveWithApply(DlgOU* form)
    {
        size_t before = Sent(t, "api/api_objSet.php").size();
        SendMessageW(form->m_hWnd, WM_COMMAND, DlgOU::kApplyId, 0);
        t.Pump();
        std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
        EXPECT_EQ(saves.size(), before + 1);
        return saves.empty() ? Fields() : saves.back();
    }

    // Replies to the links search the page sent.
    void AnswerLinks(const std::string& objects)
    {
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/><parameters PARENT=\"ALL\"/>" + objects));
    }

    static std::string Link(__int64 id, __int64 administrator, int send, int receive)
    {
        return ObjectXml(id, kLinkType, "link",
                         Attr(137, "link_asset_location", "value_iddirectory", std::to_string(kLocation)) +
                             Attr(181, "send", "value_int", std::to_string(send)) +
                             Attr(182, "receive", "value_int", std::to_string(receive)),
                         administrator);
    }

    static std::wstring Cell(CTListCtrlReport& list, int item, int column)
    {
        CAttribute value;
        list.GetCell(item, column, value);
        return value.GetText();
    }
};

std::string Address(const char* countryFlags, bool withLine2 = true)
{
    return Attr(174, "address_name", "value_varchar", "Head office") +
           Attr(175, "address_line_1", "value_varchar", "1 Fleet Street") +
           (withLine2 ? Attr(176, "address_line_2", "value_varchar", "") : std::string()) +
           Attr(177, "city", "value_varchar", "London") + Attr(178, "region", "value_varchar", "Greater London") +
           Attr(179, "post_code", "value_varchar", "EC4Y 1AA") +
           Attr(180, "country", "value_varchar", "United Kingdom", countryFlags);
}

} // namespace

TEST_F(Pages, SiteSendsWhatChangedAndTheCountryByItsToggle)
{
    constexpr const char* kInherited = "default=\"1\" inherit=\"1\"";
    constexpr const char* kOwn = "inherit=\"1\"";
    struct Case {
        const char* what;
        const char* countryFlags;
        bool withLine2;
        std::vector<std::pair<int, const wchar_t*>> edits;
        bool clickToggle;
        Fields expected;   // every ATTRIB field sent
    } cases[] = {
        {"own country returned to inherited after an edit", kOwn, true, {{1021, L"France"}}, true, {{"ATTRIBIDDEL_180", ""}}},
        {"inherited country made own", kInherited, true, {{1021, L"France"}}, true, {{"ATTRIBID_180", "France"}}},
        {"city only; country stays inherited", kInherited, true, {{1020, L"Leeds"}}, false, {{"ATTRIBID_177", "Leeds"}}},
        {"missing line 2 is not created", kOwn, false, {{1018, L"Floor 3"}, {1022, L"LS1 1AA"}}, false,
         {{"ATTRIBID_179", "LS1 1AA"}}},
    };
    __int64 id = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DlgOU* form = Open(++id, kSiteType, Address(c.countryFlags, c.withLine2));
        ASSERT_NE(form, nullptr);
        ASSERT_NE(form->m_site, nullptr);
        HWND page = form->m_site->m_hWnd;
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(ItemText(page, 1019), L"1 Fleet Street");
        const bool inherited = c.countryFlags == kInherited;
        EXPECT_EQ(IsDlgButtonChecked(page, 1316) == BST_CHECKED, inherited);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, 1021)) != FALSE, !inherited);
        for (const auto& [edit, text] : c.edits)
            SetDlgItemTextW(page, edit, text);
        if (c.clickToggle) {
            CheckDlgButton(page, 1316, inherited ? BST_UNCHECKED : BST_CHECKED);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(1316, BN_CLICKED), 0);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, 1021)) != FALSE, inherited);
        }
        Fields sent = SaveWithApply(form);
        EXPECT_EQ(WithPrefix(sent, "ATTRIB"), c.expected);
        form->Close();
        t.Pump();
    }
}

TEST_F(Pages, AssignedAdministratorsAreListedAndNamedAsTheyArrive)
{
    DlgOU* form = Open(kLocation, kLocationType,
                       Attr(139, "asset_location_type", "value_int", "1", "edit=\"TYPE=Combo|VALUES=Store,Warehouse,Recycling\""));
    ASSERT_NE(form->m_assetLocation, nullptr);
    CTListCtrlReport& list = form->m_assetLocation->m_list;
    // The page is loaded when its tab appears and again with the others: each load searches.
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    ASSERT_FALSE(searches.empty());
    for (Fields& search : searches)
        EXPECT_EQ(WithPrefix(search, ""), (Fields{{"TYPE", "Link [AT]"}, {"PARENT", "ALL"}, {"ATTRIB", "link_asset_location"},
                                                  {"SEARCH", "530"}, {"RETURNPATH", "0"}}));

    AnswerLinks(Link(96, 90, 1, 0) + Link(98, 90, 0, 1) + Link(99, 91, 1, 1));
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.FindRowByData(reinterpret_cast<void*>(90)), 0);
    EXPECT_EQ(list.GetRowData(1), reinterpret_cast<void*>(90)) << "two links of one administrator: one key";
    EXPECT_EQ(Cell(list, 0, 0), L"90") << "the id until the administrator arrives";
    EXPECT_EQ(Cell(list, 1, 1), L"0");
    EXPECT_EQ(Cell(list, 1, 2), L"1");
    EXPECT_EQ(t.transport->CountPath("api/api_objGet.php"), 4u) << "the location, then one per link";

    AnswerFor(t, "api/api_objGet.php", 90, ObjectReply(90, ObjectXml(90, kAdministratorType, "admin", "", 7)));
    // The list keeps itself sorted by name: read the names by key.
    std::vector<std::wstring> namesOf90, namesOf91;
    for (int item = 0; item < list.GetItemCount(); ++item)
        (list.GetRowData(item) == reinterpret_cast<void*>(90) ? namesOf90 : namesOf91).push_back(Cell(list, item, 0));
    std::sort(namesOf90.begin(), namesOf90.end());
    EXPECT_EQ(namesOf90, (std::vector<std::wstring>{L"90", L"admin"})) << "the name goes to the first row found";
    EXPECT_EQ(namesOf91, (std::vector<std::wstring>{L"91"}));

    // A failed search keeps what the list shows.
    RequestResult failed;
    failed.route = form->MakeRoute(DlgOU::kReqSearch, DlgOU::CAssetLocationPage::kSearchTag);
    failed.returnCode = 5;
    form->Notify(&failed);
    EXPECT_EQ(list.GetItemCount(), 3);
}

TEST_F(Pages, LocationTypeIsChosenFromItsListAndKeptWhenOutsideIt)
{
    const char* spec = "edit=\"TYPE=Combo|VALUES=Store,Warehouse,Recycling,Office\"";
    DlgOU* form = Open(kLocation, kLocationType, Attr(139, "asset_location_type", "value_int", "1", spec));
    HWND combo = GetDlgItem(form->m_assetLocation->m_hWnd, 1137);
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    ASSERT_NE(selected, CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, selected, 0), 1) << "item data carries the position, not the sorted place";
    LRESULT office = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Office"));
    SendMessageW(combo, CB_SETCURSEL, office, 0);
    SendMessageW(form->m_assetLocation->m_hWnd, WM_COMMAND, MAKEWPARAM(1137, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(SaveWithApply(form)["ATTRIBID_139"], "3");
    form->Close();
    t.Pump();

    form = Open(kLocation + 1, kLocationType, Attr(139, "asset_location_type", "value_int", "9", spec));
    combo = GetDlgItem(form->m_assetLocation->m_hWnd, 1137);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    form->SetModified(true);
    EXPECT_FALSE(SaveWithApply(form).count("ATTRIBID_139")) << "a value outside the list survives the save";
}
