// The computer picker and its new-computer dialog for a recording owner on an application signed
// in to the fixture server under Xvfb.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/App.h"
#include "framework/CTRegKey.h"
#include "framework/ModalDialogDriver.h"
#include "lists/DlgSelectComputer.h"
#include "lists/ListWindows.h"
#include "session/FixtureServer.h"

#include "app/SignedInSession.h"
#include "lists/ListsFixture.h"
#include "lists/PickerOwner.h"

namespace {

using signedin::Settle;

constexpr __int64 kAssigned = 237;   // the record's computer, at another location
constexpr __int64 kWarehouse = 530;

std::wstring Cell(CTListCtrlReport& list, int item, int column)
{
    wchar_t text[256] = {};
    ListView_GetItemText(list.m_hWnd, item, column, text, 255);
    return text;
}

std::vector<std::wstring> Names(CTListCtrlReport& list)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < list.GetItemCount(); ++i)
        out.push_back(Cell(list, i, 0));
    std::sort(out.begin(), out.end());
    return out;
}

int RowOf(CTListCtrlReport& list, const wchar_t* name)
{
    for (int i = 0; i < list.GetItemCount(); ++i)
        if (Cell(list, i, 0) == name)
            return i;
    return -1;
}

int Columns(CTListCtrlReport& list)
{
    return Header_GetItemCount(ListView_GetHeader(list.m_hWnd));
}

std::wstring ComboText(HWND combo, int item)
{
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    return text;
}

void SelectComboText(HWND combo, const wchar_t* text)
{
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}

class ComputerPicker : public ::testing::Test {
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
        CTRegKey(104, nullptr, DlgSelectComputer::SettingsPath().GetBuffer()).WriteDword(L"", kWarehouse);
        owner.handler = [this](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
            if (msg == DlgSelectComputer::kMsgChoice) {
                auto* choice = reinterpret_cast<ComputerChoice*>(lParam);
                choice->noneAllowed = 1;
                choice->modelId = 550;
                choice->locationIds = {23};   // a site, not among the asset locations
                choice->computer.id = kAssigned;
                choice->deployment.id = 300;
                choice->computerType.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(-1)));   // <Any>
                choice->assetType.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(-1)));
                AddAttribute(choice->deployment, 187, L"deployable_available", CAttribute(CTString(L"/550/")));
            }
            if (msg == DlgSelectComputer::kMsgAnswer) {
                // Read during the call: the pointer is valid only now.
                auto* computer = reinterpret_cast<const Object*>(lParam);
                chosen.push_back(computer ? std::wstring(CTString(computer->name).GetBuffer()) : L"(none)");
            }
            return 0;
        };
    }
    void TearDown() override
    {
        s_app->m_windows.CloseWindows(DlgSelectComputer::kType, 0);
        Settle(*s_app);
    }
    DlgSelectComputer* Open(UINT64 key)
    {
        s_app->m_windows.OpenWindow(DlgSelectComputer::kType, key, reinterpret_cast<INT_PTR>(owner.hwnd));
        auto* picker = dynamic_cast<DlgSelectComputer*>(s_app->m_windows.FindWindow(DlgSelectComputer::kType, key));
        Settle(*s_app);
        return picker;
    }
    void Command(DlgPicker* picker, int id)
    {
        SendMessageW(picker->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Settle(*s_app);
    }
    HWND Item(DlgPicker* picker, int id) { return GetDlgItem(picker->m_hWnd, id); }

    static App* s_app;
    RecordingOwner owner;
    std::vector<std::wstring> chosen;
};

App* ComputerPicker::s_app = nullptr;

} // namespace

TEST_F(ComputerPicker, LookupTextNamesTheAssignedComputerAndTheFilters)
{
    DlgSelectComputer* picker = Open(1201);
    ASSERT_NE(nullptr, picker);
    struct Case {
        int assetType;
        bool showLocked;
        const wchar_t* text;
    };
    for (const Case& c : {Case{-1, false, L"CUSTOMLOOKUP=SelectComputer|INCID=237"},
                          Case{1, false, L"CUSTOMLOOKUP=SelectComputer|INCID=237|ASSET_TYPE=1"},
                          Case{-1, true, L"CUSTOMLOOKUP=SelectComputer|INCID=237|SHOW_LOCKED=1"},
                          Case{0, true, L"CUSTOMLOOKUP=SelectComputer|INCID=237|ASSET_TYPE=0|SHOW_LOCKED=1"}})
        EXPECT_STREQ(c.text, picker->LookupText(c.assetType, c.showLocked).GetBuffer());
}

TEST_F(ComputerPicker, LocationsInTwoStepsThenSearchFilterAndAnswer)
{
    DlgSelectComputer* picker = Open(1202);
    ASSERT_NE(nullptr, picker);
    ASSERT_FALSE(owner.answers.empty());
    EXPECT_EQ(1034u, owner.answers[0].msg);
    EXPECT_EQ(1202u, owner.answers[0].key);
    EXPECT_TRUE(owner.answers[0].sent);
    // The record's location heads the list; the remembered one is selected.
    HWND location = Item(picker, DlgSelectComputer::kIdLocation);
    EXPECT_EQ(L"\\Acme\\Finance\\Edinburgh", ComboText(location, 0));
    wchar_t text[256] = {};
    GetWindowTextW(location, text, 255);
    EXPECT_STREQ(L"\\Acme\\Operations\\Central warehouse", text);
    EXPECT_TRUE(IsWindowVisible(Item(picker, DlgPicker::kIdNone)));
    EXPECT_EQ(0, picker->m_list.GetItemCount()); // nothing before Go

    // The location's unlocked computers and the assigned one, eight columns, user names.
    Command(picker, DlgPicker::kIdGo);
    CTListCtrlReport& list = picker->m_list;
    EXPECT_EQ((std::vector<std::wstring>{L"NEW-DT-0501", L"NEW-LT-0401", L"NEW-LT-0402", L"NEW-LT-0405"}), Names(list));
    EXPECT_EQ(8, Columns(list));
    int desktop = RowOf(list, L"NEW-DT-0501");
    ASSERT_GE(desktop, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"Dell", L"OptiPlex 7010", L"DL0501", L"A-0501", L"Desktop", L"Available",
                                         L"Ada Lovelace"}),
              (std::vector<std::wstring>{Cell(list, desktop, 1), Cell(list, desktop, 2), Cell(list, desktop, 3),
                                         Cell(list, desktop, 4), Cell(list, desktop, 5), Cell(list, desktop, 6),
                                         Cell(list, desktop, 7)}));

    // Locked ones on request, in a ninth column.
    CheckDlgButton(picker->m_hWnd, DlgSelectComputer::kIdShowLocked, BST_CHECKED);
    Command(picker, DlgPicker::kIdGo);
    EXPECT_EQ(9, Columns(list));
    int locked = RowOf(list, L"NEW-LT-0403");
    ASSERT_GE(locked, 0);
    EXPECT_EQ(L"Grace Hopper", Cell(list, locked, 8));

    // The search text matches any attribute in any case; the type filter applies at the next Go.
    SetDlgItemTextW(picker->m_hWnd, DlgPicker::kIdSearchEdit, L"pf3n040");
    SelectComboText(Item(picker, DlgSelectComputer::kIdComputerType), L"Desktop");
    EXPECT_EQ(5, list.GetItemCount());
    Command(picker, DlgPicker::kIdGo);
    EXPECT_EQ(0, list.GetItemCount());
    SelectComboText(Item(picker, DlgSelectComputer::kIdComputerType), L"Laptop");
    Command(picker, DlgPicker::kIdGo);
    EXPECT_EQ((std::vector<std::wstring>{L"NEW-LT-0401", L"NEW-LT-0402", L"NEW-LT-0403", L"NEW-LT-0405"}), Names(list));
    SetDlgItemTextW(picker->m_hWnd, DlgPicker::kIdSearchEdit, L"A-0402");
    Command(picker, DlgPicker::kIdGo);
    ASSERT_EQ(1, list.GetItemCount());
    EXPECT_NE(0u, ListView_GetItemState(list.m_hWnd, 0, LVIS_SELECTED));
    Command(picker, IDOK);
    EXPECT_EQ((std::vector<std::wstring>{L"NEW-LT-0402"}), chosen);

    // "Set to not assigned" answers 0 and switches the search off.
    picker = Open(1203);
    ASSERT_NE(nullptr, picker);
    CheckDlgButton(picker->m_hWnd, DlgPicker::kIdNone, BST_CHECKED);
    Command(picker, DlgPicker::kIdNone);
    for (int id : {static_cast<int>(DlgPicker::kIdList), static_cast<int>(DlgPicker::kIdGo), static_cast<int>(DlgPicker::kIdSearchEdit), static_cast<int>(DlgSelectComputer::kIdNew),
                   static_cast<int>(DlgSelectComputer::kIdLocation), static_cast<int>(DlgSelectComputer::kIdShowLocked)})
        EXPECT_FALSE(IsWindowEnabled(Item(picker, id))) << id;
    EXPECT_TRUE(IsWindowEnabled(Item(picker, DlgSelectComputer::kIdStatus)));
    Command(picker, IDOK);
    EXPECT_EQ((std::vector<std::wstring>{L"NEW-LT-0402", L"(none)"}), chosen);
}

namespace {

// Fills the new-computer dialog and notes what it showed.
class NewComputerDriver : public ModalDialogDriver {
public:
    NewComputerDriver() { Install(this); }
    ~NewComputerDriver() override { Install(nullptr); }
    void OnModalDialog(CTWnd2&, HWND dialog) override
    {
        wchar_t text[128] = {};
        GetDlgItemTextW(dialog, DlgSelectComputer::DlgNew::kIdModel, text, 127);
        model = text;
        okAtFirst = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        SetDlgItemTextW(dialog, DlgSelectComputer::DlgNew::kIdName, L"NEW-LT-0999");
        okWithNameOnly = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        SetDlgItemTextW(dialog, DlgSelectComputer::DlgNew::kIdSerial, L"PF3N0999");
        SetDlgItemTextW(dialog, DlgSelectComputer::DlgNew::kIdAssetTag, L"A-0999");
        okWithBoth = IsWindowEnabled(GetDlgItem(dialog, IDOK));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    std::wstring model;
    bool okAtFirst = true, okWithNameOnly = true, okWithBoth = false;
};

} // namespace

TEST_F(ComputerPicker, NewComputerOfAnAllowedModelJoinsTheListAtTheEnd)
{
    DlgSelectComputer* picker = Open(1204);
    ASSERT_NE(nullptr, picker);
    Command(picker, DlgPicker::kIdGo);
    int before = picker->m_list.GetItemCount();
    ASSERT_GT(before, 0);
    NewComputerDriver driver;
    Command(picker, DlgSelectComputer::kIdNew);
    EXPECT_EQ(L"Spare laptops", driver.model);
    EXPECT_FALSE(driver.okAtFirst);
    EXPECT_FALSE(driver.okWithNameOnly);
    EXPECT_TRUE(driver.okWithBoth);
    EXPECT_TRUE(picker->m_modelsLoaded);
    EXPECT_EQ(kWarehouse, picker->m_choice.locationId);

    // Created under the selected location with the typed texts and the model's make and model.
    std::string body;
    for (const auto& record : fixture::Requests(fixture::Shared(), "/api/api_objNew.php")) {
        std::string b = fixture::Base64Decode(record.value("body_b64", ""));
        if (b.find("PF3N0999") != std::string::npos)
            body = "&" + b + "&";
    }
    for (const char* field : {"&TYPE=6&", "&PARENT=530&", "&ATTRIBID_185=NEW-LT-0999&", "&ATTRIBID_155=PF3N0999&",
                              "&ATTRIBID_156=A-0999&", "&ATTRIBID_157=Lenovo&"})
        EXPECT_NE(std::string::npos, body.find(field)) << field << " in " << body;
    EXPECT_TRUE(body.find("&ATTRIBID_158=T14+Gen+4&") != std::string::npos ||
                body.find("&ATTRIBID_158=T14%20Gen%204&") != std::string::npos)
        << body;

    CTListCtrlReport& list = picker->m_list;
    ASSERT_EQ(before + 1, list.GetItemCount());
    int created = RowOf(list, L"NEW-LT-0999");
    ASSERT_GE(created, 0);
    EXPECT_EQ(L"", Cell(list, created, 7));
    EXPECT_EQ(0u, ListView_GetItemState(list.m_hWnd, created, LVIS_SELECTED));
}
