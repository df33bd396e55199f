// The unit form's General page against a recording transport: inherit toggles, custom attribute
// rows, picker and drop-down answers, stale link replies, pickers closed with the form and the
// "ou_attribs" flags.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUGeneralPage.h"
#include "structure/PopupRequest.h"

using namespace structuretest;

namespace {

constexpr int kOU = 3;
constexpr __int64 kUnit = 11;

Object ParseObject(const std::string& xml)
{
    std::wstring wide(xml.begin(), xml.end());
    TiXmlDocument doc;
    doc.Parse(wide.c_str(), nullptr, 0);
    Object object;
    object.ReadFromXml(doc.FirstChildElementNamed(L"object"), true);
    return object;
}

// An "Attribute Mapping" setting object for the OU type.
Object Mapping(int id, const char* caption, const char* attribute, int order)
{
    return ParseObject(ObjectXml(id, 90, caption,
                                 Attr(1, "attrib_object", "value_varchar", "OU") +
                                     Attr(2, "attrib_name", "value_varchar", attribute) +
                                     Attr(3, "enable", "value_int", "1") + Attr(4, "console_display_type", "value_int", "2") +
                                     Attr(5, "display_order", "value_int", std::to_string(order))));
}

struct GeneralPage : ::testing::Test {
    apptest::TestApp t;

    GeneralPage()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, 2, L"Organisation");
        DefineStructureType(*t.app, 5, L"Schedule User");
        DefineType(std::vector<std::pair<int, const wchar_t*>>{});
    }

    void DefineType(const std::vector<std::pair<int, const wchar_t*>>& inheritable)
    {
        DefineStructureType(*t.app, kOU, L"OU", inheritable);
    }

    DlgOU* Open(__int64 id, const std::string& attribs)
    {
        t.app->m_windows.OpenWindow(DlgOU::kWindowType, static_cast<UINT64>(id), 0);
        auto* form = dynamic_cast<DlgOU*>(t.app->m_windows.FindWindow(DlgOU::kWindowType, static_cast<UINT64>(id)));
        if (form)
            AnswerFor(t, "api/api_objGet.php", id, ObjectReply(id, ObjectXml(id, kOU, "Engineering", attribs)));
        return form;
    }

    // Presses OK and answers the one save; the fields it sent.
    Fields SaveWithOk(DlgOU* form)
    {
        size_t before = Sent(t, "api/api_objSet.php").size();
        SendMessageW(form->m_hWnd, WM_COMMAND, IDOK, 0);
        t.Pump();
        std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
        EXPECT_EQ(saves.size(), before + 1);
        return saves.empty() ? Fields() : saves.back();
    }

    static void Click(HWND page, int id)
    {
        CheckDlgButton(page, id, IsDlgButtonChecked(page, id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
};

} // namespace

TEST_F(GeneralPage, InheritToggleGivesDeletionOrOwnValue)
{
    struct Case {
        const char* what;
        bool inheritable;
        const char* flags;      // of the attribute in the object
        bool clickToggle;
        std::map<std::string, std::string> expected;
        std::vector<std::string> absent;
    } cases[] = {
        {"inherited made own", true, "default=\"1\" inherit=\"1\"", true, {{"ATTRIBID_124", "Edited"}}, {"ATTRIBIDDEL_124"}},
        {"own returned to inherited", true, "inherit=\"1\"", true, {{"ATTRIBIDDEL_124", ""}}, {"ATTRIBID_124"}},
        {"own kept own", true, "inherit=\"1\"", false, {{"ATTRIBID_124", "Edited"}}, {"ATTRIBIDDEL_124"}},
        {"type does not inherit", false, "", true, {{"ATTRIBID_124", "Edited"}}, {"ATTRIBIDDEL_124"}},
    };
    __int64 id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DefineType(c.inheritable ? std::vector<std::pair<int, const wchar_t*>>{{124, L"description"}}
                                 : std::vector<std::pair<int, const wchar_t*>>{});
        DlgOU* form = Open(++id, Attr(124, "description", "value_varchar", "Parent text", c.flags));
        ASSERT_NE(form, nullptr);
        HWND page = form->m_general->m_hWnd;
        if (c.clickToggle)
            Click(page, 1062);
        // A multi-line edit reports no change for text set by the program: as typed.
        SetDlgItemTextW(page, 1194, L"Edited");
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(1194, EN_CHANGE), reinterpret_cast<LPARAM>(GetDlgItem(page, 1194)));
        Fields sent = SaveWithOk(form);
        for (const auto& [key, value] : c.expected) {
            ASSERT_TRUE(sent.count(key)) << key;
            EXPECT_EQ(sent[key], value) << key;
        }
        for (const std::string& key : c.absent)
            EXPECT_FALSE(sent.count(key)) << key;
        t.Pump();
    }
}

TEST_F(GeneralPage, LinkToggleDisablesItsChooserAndKeepsTheLinkClickable)
{
    DefineType({{180, L"link_project_manager"}});
    DlgOU* form = Open(kUnit, Attr(180, "link_project_manager", "value_iddirectory", "30", "default=\"1\" inherit=\"1\""));
    HWND page = form->m_general->m_hWnd;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, 1123)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1122)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, 1131))) << "no link_site attribute: no Site row";
    Click(page, 1057);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1123)));
    Fields sent = SaveWithOk(form);
    EXPECT_EQ(sent["ATTRIBID_180"], "30") << "the inherited link becomes the unit's own";
}

TEST_F(GeneralPage, AttributeRowsStoreNumbersAndListPositions)
{
    t.app->m_mainWindow->m_cache.settings[MainWindowCache::AttributeMapping] = {Mapping(1, "Cost centre", "cost_centre", 1),
                                                                                Mapping(2, "Tier", "tier", 2)};
    struct Case {
        int attribute;
        const wchar_t* text;
        const char* expected;
    } cases[] = {
        {190, L"12", "12"},
        {190, L"", "0"},
        {191, L"Gold", "2"},
        {191, L"7", "7"},   // not in the list: read as a number
    };
    __int64 id = 200;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.attribute) + " " + std::string(c.text, c.text + wcslen(c.text)));
        DlgOU* form = Open(++id, Attr(190, "cost_centre", "value_int", "5") +
                                     Attr(191, "tier", "value_int", "0", "edit=\"TYPE=Combo|VALUES=Bronze,Silver,Gold\""));
        ASSERT_NE(form, nullptr);
        CTWndPropertyList& grid = form->m_general->m_grid;
        int row = grid.FindPropertyByData(c.attribute);
        ASSERT_GE(row, 0);
        grid.SetValue(row, CAttribute(CAttribute::Text, CTString(c.text)));
        form->SetModified(true);
        Fields sent = SaveWithOk(form);
        std::string key = "ATTRIBID_" + std::to_string(c.attribute);
        ASSERT_TRUE(sent.count(key));
        EXPECT_EQ(sent[key], c.expected);
        t.Pump();
    }
}

TEST_F(GeneralPage, PickerAndDropDownAnswers)
{
    DlgOU* form = Open(kUnit, Attr(140, "link_organisation", "value_iddirectory", "2") +
                                  Attr(180, "link_project_manager", "value_iddirectory", "30"));
    DlgOU::CGeneralPage* general = form->m_general;
    HWND page = general->m_hWnd;
    Object& object = form->m_object;

    // A picker's "none" stores 0 and shows the not-assigned text.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1123, BN_CLICKED), 0);
    ASSERT_EQ(general->m_pickers.size(), 1u);
    const __int64 key = general->m_pickers.begin()->first;
    EXPECT_NE(t.app->m_windows.FindWindow(11, static_cast<UINT64>(key)), nullptr);
    PostMessageW(page, 1037, static_cast<WPARAM>(key), 0);
    t.Pump();
    CAttribute value;
    object.GetAttribute(value, CTString(L"link_project_manager"));
    EXPECT_EQ(value.GetType(), CAttribute::Integer);
    EXPECT_EQ(value.GetValue(), 0);
    EXPECT_EQ(ItemText(page, 1122), L"<not assigned>");

    // An answer from a picker this page did not open changes nothing.
    size_t gets = t.transport->CountPath("api/api_objGet.php");
    PostMessageW(page, 1037, static_cast<WPARAM>(key + 100), 31);
    t.Pump();
    object.GetAttribute(value, CTString(L"link_project_manager"));
    EXPECT_EQ(value.GetValue(), 0);
    EXPECT_EQ(t.transport->CountPath("api/api_objGet.php"), gets);

    // The organisation drop-down: set-up record, then "none" stores the empty text.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1129, BN_CLICKED), 0);
    const __int64 dropKey = general->m_dropDownKey;
    ASSERT_NE(dropKey, 0);
    PopupRequest request;
    EXPECT_EQ(SendMessageW(page, 1026, 0, reinterpret_cast<LPARAM>(&request)), 1);
    EXPECT_STREQ(request.lookup.GetBuffer(), L"TYPE='Organisation'|RETURNPATH=0");
    EXPECT_TRUE(request.addExtra);
    EXPECT_STREQ(request.extraText.GetBuffer(), L"<not assigned>");
    EXPECT_EQ(request.preselect, 2);
    EXPECT_FALSE(request.eraseBackground);
    PostMessageW(page, 1027, 1, 0);
    t.Pump();
    object.GetAttribute(value, CTString(L"link_organisation"));
    EXPECT_EQ(value.GetType(), CAttribute::Text);
    EXPECT_STREQ(value.GetText(), L"");
    EXPECT_EQ(ItemText(page, 1128), L"<not assigned>");
    EXPECT_EQ(general->m_dropDownKey, 0);
    EXPECT_EQ(t.app->m_windows.FindWindow(3, static_cast<UINT64>(dropKey)), nullptr);
    EXPECT_TRUE(form->IsModified());
}

TEST_F(GeneralPage, ReplyForAnEarlierChoiceIsDropped)
{
    DlgOU* form = Open(kUnit, Attr(180, "link_project_manager", "value_iddirectory", "0"));
    HWND page = form->m_general->m_hWnd;
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1123, BN_CLICKED), 0);
    const __int64 key = form->m_general->m_pickers.begin()->first;
    PostMessageW(page, 1037, static_cast<WPARAM>(key), 30);
    PostMessageW(page, 1037, static_cast<WPARAM>(key), 31);
    t.Pump();
    AnswerFor(t, "api/api_objGet.php", 31, ObjectReply(31, ObjectXml(31, 5, "Bob Later", "", 40)));
    EXPECT_EQ(ItemText(page, 1122), L"Bob Later");
    AnswerFor(t, "api/api_objGet.php", 30, ObjectReply(30, ObjectXml(30, 5, "Alice Earlier", "", 40)));
    EXPECT_EQ(ItemText(page, 1122), L"Bob Later");
    Fields sent = SaveWithOk(form);
    EXPECT_EQ(sent["ATTRIBID_180"], "31");
}

TEST_F(GeneralPage, PickersCloseWithTheForm)
{
    DlgOU* form = Open(kUnit, Attr(128, "link_site", "value_iddirectory", "0"));
    HWND page = form->m_general->m_hWnd;
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1125, BN_CLICKED), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1133, BN_CLICKED), 0);
    std::vector<std::pair<int, __int64>> opened;
    for (const auto& [key, chooser] : form->m_general->m_pickers)
        opened.push_back({chooser == 1133 ? 37 : 11, key});
    ASSERT_EQ(opened.size(), 2u);
    for (const auto& [type, key] : opened)
        EXPECT_NE(t.app->m_windows.FindWindow(type, static_cast<UINT64>(key)), nullptr) << type;
    SendMessageW(form->m_hWnd, WM_CLOSE, 0, 0);
    t.Pump();
    for (const auto& [type, key] : opened)
        EXPECT_EQ(t.app->m_windows.FindWindow(type, static_cast<UINT64>(key)), nullptr) << type;
}

TEST_F(GeneralPage, UnitFlagsRoundTripKeepingBitsTheTreeDoesNotShow)
{
    DefineType({{120, L"ou_attribs"}});
    DlgOU* form = Open(kUnit, Attr(120, "ou_attribs", "value_int", "5", "inherit=\"1\""));
    CTWndSettings& flags = form->m_general->m_settings;
    CTWndSettings::CItem* adminTree = flags.FindItemByData(1);
    CTWndSettings::CItem* testUnit = flags.FindItemByData(2);
    ASSERT_TRUE(adminTree && testUnit);
    EXPECT_EQ(adminTree->value, 1);
    EXPECT_EQ(testUnit->value, 0);

    // A reload sets every item from the value, ticked or not before.
    flags.ToggleItem(testUnit, false);
    EXPECT_TRUE(form->IsModified());
    AnswerFor(t, "api/api_objGet.php", kUnit,
              ObjectReply(kUnit, ObjectXml(kUnit, kOU, "Engineering", Attr(120, "ou_attribs", "value_int", "4", "inherit=\"1\""))));
    EXPECT_EQ(adminTree->value, 0);
    EXPECT_EQ(testUnit->value, 0);

    flags.ToggleItem(testUnit, false);
    Fields sent = SaveWithOk(form);
    EXPECT_EQ(sent["ATTRIBID_120"], "6");
}

TEST_F(GeneralPage, InheritValuesButtonReturnsTheFlagsToTheInheritedValue)
{
    DefineType({{120, L"ou_attribs"}});
    DlgOU* form = Open(kUnit, Attr(120, "ou_attribs", "value_int", "1", "inherit=\"1\""));
    HWND toolbar = form->m_general->m_settings.m_toolbar.m_hWnd;
    ASSERT_NE(toolbar, nullptr);
    SendMessageW(toolbar, TB_SETSTATE, CTWndSettings::kInheritCommand, MAKELPARAM(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
    SendMessageW(form->m_general->m_hWnd, WM_COMMAND, MAKEWPARAM(1311, CTWndSettings::kInheritCommand), 0);
    EXPECT_FALSE(form->m_general->m_settings.IsItemEnabled(form->m_general->m_settings.FindItemByData(1)));
    Fields sent = SaveWithOk(form);
    EXPECT_TRUE(sent.count("ATTRIBIDDEL_120"));
    EXPECT_FALSE(sent.count("ATTRIBID_120"));
}
