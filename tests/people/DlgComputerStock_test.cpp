// The computer-model form against a recording transport: the header and tabs, a save only when
// something changed and a re-read after it, the computer type kept when nothing is chosen, and
// the component page that hides models and writes the available and mandatory lists.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>
#include "people/DlgComputerStock.h"
#include "people/PeopleWindows.h"
#include "structure/StructureFixture.h"

using namespace structuretest;

namespace {

constexpr __int64 kModel = 1630;
constexpr __int64 kFolder = 1601;
constexpr int kStockType = 82, kApplication = 80;
constexpr const char* kTypeSpec = "edit=\"TYPE=Combo|VALUES=Desktop,Laptop,Tablet\"";

std::string Model(const std::string& computerType, const std::string& more = "")
{
    return ObjectXml(kModel, kStockType, "Model 7",
                     Attr(40, "vendor", "value_varchar", "Maker") + Attr(41, "model", "value_varchar", "M7") +
                         Attr(42, "description", "value_varchar", "Small desk unit") +
                         Attr(43, "computer_type", "value_int", computerType, kTypeSpec) +
                         Attr(160, "deployable_available", "value_iddirectory_array", "/1610/") +
                         Attr(162, "deployable_mandatory", "value_iddirectory_array", "") + more);
}

std::string Component(__int64 id, int type, const char* typeName, const std::string& name)
{
    return ObjectXml(id, type, name, Attr(30, "type", "value_varchar", typeName), kFolder);
}

struct ModelForm : ::testing::Test {
    apptest::TestApp t;
    apptest::BoxRecorder boxes;
    DlgComputerStock* form = nullptr;

    ModelForm()
    {
        RegisterPeopleWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, kStockType, L"Computer Stock");
        DefineStructureType(*t.app, kApplication, L"Application");
        t.app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderDeployable] = kFolder;
    }

    void Open(const std::string& computerType = "1")
    {
        t.app->m_windows.OpenWindow(DlgComputerStock::kWindowType, kModel, 0);
        form = dynamic_cast<DlgComputerStock*>(t.app->m_windows.FindWindow(DlgComputerStock::kWindowType, kModel));
        ASSERT_NE(form, nullptr);
        AnswerFor(t, "api/api_objGet.php", kModel, ObjectReply(kModel, Model(computerType)));
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/><parameters/>" +
                              Component(1610, kApplication, "Application", "Office") +
                              Component(1611, kApplication, "Application", "Browser") +
                              Component(1631, kStockType, "Computer Stock", "Other model")));
    }

    HWND General() { return form->m_general->m_hWnd; }

    size_t Count(const char* path) { return Sent(t, path).size(); }

    void Apply()
    {
        SendMessageW(form->m_hWnd, WM_COMMAND, DlgComputerStock::kApplyId, 0);
        t.Pump();
    }
};

std::wstring Text(HWND hwnd)
{
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

} // namespace

TEST_F(ModelForm, ShowsTheModelOnTwoTabs)
{
    Open();
    HWND tab = form->m_tab.m_hWnd;
    ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(form->m_hWnd), L"Model 7");
    EXPECT_EQ(ItemText(General(), DlgComputerStock::CGeneralPage::kMake), L"Maker");
    EXPECT_EQ(ItemText(General(), DlgComputerStock::CGeneralPage::kDescription), L"Small desk unit");
    EXPECT_EQ(ItemText(General(), DlgComputerStock::CGeneralPage::kType), L"Laptop");
    EXPECT_FALSE(form->IsModified());
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0]["PARENT"], std::to_string(kFolder));
}

TEST_F(ModelForm, UnchangedOkSendsNothing)
{
    Open();
    HWND window = form->m_hWnd;
    SendMessageW(window, WM_COMMAND, IDOK, 0);
    t.Pump();
    EXPECT_EQ(Count("api/api_objSet.php"), 0u);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ModelForm, ChangedSaveSendsOneRequestAndRereadsTheModel)
{
    Open();
    SetDlgItemTextW(General(), DlgComputerStock::CGeneralPage::kMake, L"Other maker");
    ASSERT_TRUE(form->IsModified());
    Apply();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(WithPrefix(saves[0], "ATTRIB"), (Fields{{"ATTRIBID_40", "Other maker"}}));

    const size_t reads = Count("api/api_objGet.php");
    AnswerFor(t, "api/api_objSet.php", kModel, ObjectReply(kModel, Model("1")));
    EXPECT_EQ(Count("api/api_objGet.php"), reads + 1) << "the model is read again";
    AnswerFor(t, "api/api_objGet.php", kModel, ObjectReply(kModel, Model("1")));
    EXPECT_FALSE(form->IsModified());
}

TEST_F(ModelForm, SaveReplyForAnotherIdKeepsTheFormModified)
{
    Open();
    SetDlgItemTextW(General(), DlgComputerStock::CGeneralPage::kMake, L"Other maker");
    Apply();
    const size_t reads = Count("api/api_objGet.php");
    t.Answer("api/api_objSet.php", apptest::XmlHeaders(), ObjectReply(kModel + 1, ObjectXml(kModel + 1, kStockType, "x", "")));
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(Count("api/api_objGet.php"), reads);
}

TEST_F(ModelForm, ComputerTypeOutsideTheListIsKept)
{
    Open("9");
    HWND combo = GetDlgItem(General(), DlgComputerStock::CGeneralPage::kType);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    SetDlgItemTextW(General(), DlgComputerStock::CGeneralPage::kMake, L"Other maker");
    Apply();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].count("ATTRIBID_43"), 0u) << "not overwritten with -1";

    // A chosen type is stored as its position in the list.
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Tablet"));
    SendMessageW(General(), WM_COMMAND, MAKEWPARAM(DlgComputerStock::CGeneralPage::kType, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    Apply();
    saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[1]["ATTRIBID_43"], "2");
}

TEST_F(ModelForm, ComponentPageHidesModelsAndWritesBothLists)
{
    Open();
    DeployablePage* page = form->m_deployable;
    CTListCtrlReport& report = page->m_list.m_report;
    EXPECT_EQ(report.GetItemCount(), 2) << "the other model is not a component";
    EXPECT_EQ(page->m_types, (std::vector<__int64>{kApplication}));

    const int item = report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(1611)));
    ASSERT_GE(item, 0);
    CTListCtrlEdit::Cell* mandatory = page->CellOf(item, 3);
    ASSERT_NE(mandatory, nullptr);
    EXPECT_TRUE(mandatory->m_readOnly) << "mandatory needs available";
    CTListCtrlEdit::Cell* available = page->CellOf(item, 2);
    available->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    page->m_editor.NotifyChanged(item, 2, *available);
    EXPECT_FALSE(mandatory->m_readOnly);
    mandatory->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    page->m_editor.NotifyChanged(item, 3, *mandatory);
    EXPECT_TRUE(form->IsModified());

    Apply();
    std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(WithPrefix(saves[0], "ATTRIB"), (Fields{{"ATTRIBID_160", "/1610/1611/"}, {"ATTRIBID_162", "/1611/"}}));
}
