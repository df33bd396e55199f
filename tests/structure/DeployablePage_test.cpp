// The unit form's component page against a recording transport: the row rule (Mandatory needs
// Default, Default needs Available) on load and on ticks, All / None / Invert on the rows shown,
// the type filter, the inherit button's three save cases, icon and failed-search replies.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "StructureFixture.h"
#include "framework/PopupMenuDriver.h"
#include "structure/DlgOU.h"
#include "structure/DlgOUDeployablePage.h"

using namespace structuretest;

namespace {

constexpr __int64 kUnit = 1600;
constexpr __int64 kFolder = 1601;
constexpr int kApplication = 80, kDriver = 81;
constexpr const char* kInherited = "default=\"1\" inherit=\"1\"";

std::string Component(__int64 id, int type, const std::string& name)
{
    return ObjectXml(id, type, name,
                     Attr(30, "type", "value_varchar", type == kApplication ? "Application" : "Driver") +
                         Attr(31, "tree_image", "value_varchar", type == kApplication ? "app.ico" : "driver.ico"),
                     kFolder);
}

// Three applications (1610-1612) and two drivers (1620, 1621).
std::string Components()
{
    return Component(1610, kApplication, "Office") + Component(1611, kApplication, "Browser") +
           Component(1612, kApplication, "Mail") + Component(1620, kDriver, "Printer") +
           Component(1621, kDriver, "Scanner");
}

std::string Arrays(const std::string& available, const std::string& defaults, const std::string& mandatory,
                   const char* flags = "")
{
    return Attr(160, "deployable_available", "value_iddirectory_array", available, flags) +
           Attr(161, "deployable", "value_iddirectory_array", defaults, flags) +
           Attr(162, "deployable_mandatory", "value_iddirectory_array", mandatory, flags);
}

// Chooses one command of the next pop-up menu and keeps the texts of its items.
class MenuPick : public PopupMenuDriver {
public:
    explicit MenuPick(UINT command) : m_command(command) { PopupMenuDriver::Install(this); }
    ~MenuPick() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 64;
            GetMenuItemInfoW(menu, i, TRUE, &info);
            items.push_back(text);
        }
        return m_command;
    }
    std::vector<std::wstring> items;

private:
    UINT m_command;
};

struct ComponentPage : ::testing::Test {
    apptest::TestApp t;
    apptest::BoxRecorder boxes;
    DlgOU* form = nullptr;
    DlgOU::CDeployablePage* page = nullptr;

    ComponentPage()
    {
        RegisterStructureWindows(t.app->m_catalogue);
        DefineStructureType(*t.app, 3, L"OU");
        DefineStructureType(*t.app, kApplication, L"Application");
        DefineStructureType(*t.app, kDriver, L"Driver");
        t.app->m_mainWindow->m_cache.folderIds[MainWindowCache::FolderDeployable] = kFolder;
    }

    void Open(const std::string& attribs, const std::string& components = Components())
    {
        t.app->m_windows.OpenWindow(DlgOU::kWindowType, kUnit, 0);
        form = dynamic_cast<DlgOU*>(t.app->m_windows.FindWindow(DlgOU::kWindowType, kUnit));
        ASSERT_NE(form, nullptr);
        page = form->m_deployable;
        ASSERT_NE(page, nullptr);
        AnswerFor(t, "api/api_objGet.php", kUnit, ObjectReply(kUnit, ObjectXml(kUnit, 3, "Engineering", attribs)));
        AnswerSearch(components);
    }

    void AnswerSearch(const std::string& components)
    {
        std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
        ASSERT_FALSE(searches.empty());
        t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
                 apptest::Doc("<RC id=\"0\" text=\"\"/><parameters PARENT=\"" + std::to_string(kFolder) + "\"/>" +
                              components));
    }

    void Command(int id)
    {
        SendMessageW(page->m_hWnd, WM_COMMAND, id, 0);
        t.Pump();
    }

    int Item(__int64 id) { return page->m_list.m_report.FindRowByData(reinterpret_cast<void*>(static_cast<INT_PTR>(id))); }

    // Ticks or unticks a cell as the cell editor does after a click.
    void Tick(__int64 id, int column, bool on)
    {
        int item = Item(id);
        ASSERT_GE(item, 0) << id;
        CTListCtrlEdit::Cell* cell = page->CellOf(item, column);
        ASSERT_NE(cell, nullptr);
        ASSERT_FALSE(cell->m_readOnly) << id << " column " << column;
        cell->m_value.Assign(CAttribute(CAttribute::Integer, static_cast<__int64>(on ? 1 : 0)));
        page->m_editor.NotifyChanged(item, column, *cell);
    }

    // "A D M" marks of a shown row: upper case ticked, lower case not, "-" read-only.
    std::string Marks(__int64 id)
    {
        int item = Item(id);
        std::string out;
        for (int column : {2, 3, 4}) {
            CTListCtrlEdit::Cell* cell = page->CellOf(item, column);
            if (!cell) return "?";
            char letter = "ADM"[column - 2];
            out += cell->IsChecked() ? letter : static_cast<char>(letter + 32);
            if (cell->m_readOnly) out += '-';
        }
        return out;
    }

    // The toolbar's check button as a click leaves it, then its command.
    void SetInherit(bool pressed)
    {
        SendMessageW(page->m_list.m_report.m_toolbar.m_hWnd, TB_CHECKBUTTON, DeployablePage::kCmdInherit, pressed);
        Command(DeployablePage::kCmdInherit);
    }

    int Rows() { return page->m_list.m_report.GetItemCount(); }

    Fields SaveWithApply()
    {
        size_t before = Sent(t, "api/api_objSet.php").size();
        SendMessageW(form->m_hWnd, WM_COMMAND, DlgOU::kApplyId, 0);
        t.Pump();
        std::vector<Fields> saves = Sent(t, "api/api_objSet.php");
        if (saves.size() == before) return Fields();
        return WithPrefix(saves.back(), "ATTRIB");
    }
};

} // namespace

TEST_F(ComponentPage, SearchAsksForEverythingBelowTheDeployableFolder)
{
    Open(Arrays("/1610/", "", ""));
    std::vector<Fields> searches = Sent(t, "api/api_objSearch.php");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0]["PARENT"], std::to_string(kFolder));
    EXPECT_EQ(searches[0].count("TYPE"), 0u);
    EXPECT_EQ(searches[0].count("MAX"), 0u);
}

TEST_F(ComponentPage, RowRuleOnLoad)
{
    // 1610 fully set; 1611 default without available; 1612 mandatory without default.
    Open(Arrays("/1610/1612/", "/1610/1611/", "/1610/1612/"));
    EXPECT_EQ(Rows(), 3) << "the first reply shows the first type only";
    EXPECT_EQ(Marks(1610), "ADM");
    EXPECT_EQ(Marks(1611), "ad-m-");
    EXPECT_EQ(Marks(1612), "Adm-");
    EXPECT_FALSE(form->IsModified()) << "the rule on load is no change";
    EXPECT_EQ(page->m_default.Ids(), (std::vector<__int64>{1610}));
    EXPECT_EQ(page->m_mandatory.Ids(), (std::vector<__int64>{1610}));
}

TEST_F(ComponentPage, UntickingAvailableOfAMandatoryRowClearsAndLocksBoth)
{
    Open(Arrays("/1610/", "/1610/", "/1610/"));
    Tick(1610, 2, false);
    EXPECT_EQ(Marks(1610), "ad-m-");
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(SaveWithApply(), (Fields{{"ATTRIBID_160", ""}, {"ATTRIBID_161", ""}, {"ATTRIBID_162", ""}}));

    Tick(1611, 2, true);
    EXPECT_EQ(Marks(1611), "Adm-");
    Tick(1611, 3, true);
    Tick(1611, 4, true);
    EXPECT_EQ(Marks(1611), "ADM");
}

TEST_F(ComponentPage, SelectionCommandsTouchOnlyTheRowsShown)
{
    Open(Arrays("/1610/1620/", "/1610/", ""));
    ASSERT_EQ(page->m_filter, kApplication);
    struct Case {
        int command;
        std::vector<__int64> available;
    } cases[] = {
        {DeployablePage::kCmdInvert, {1620, 1611, 1612}},
        {DeployablePage::kCmdNone, {1620}},
        {DeployablePage::kCmdAll, {1620, 1610, 1611, 1612}},
    };
    for (const Case& c : cases) {
        Command(c.command);
        std::vector<__int64> ids = page->m_available.Ids();
        std::sort(ids.begin(), ids.end());
        std::vector<__int64> wanted = c.available;
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(ids, wanted) << c.command;
        EXPECT_TRUE(page->m_default.Ids().empty() || page->m_available.Contains(1610)) << c.command;
    }
    EXPECT_EQ(Marks(1610), "Adm-") << "Invert cleared the default, All does not restore it";
}

TEST_F(ComponentPage, FilterSurvivesAReloadAndFallsBackWhenItsTypeIsGone)
{
    Open(Arrays("", "", ""));
    EXPECT_EQ(Rows(), 3);
    Command(DeployablePage::kCmdViewAll);
    EXPECT_EQ(Rows(), 5);
    {
        MenuPick pick(5001);
        Command(DeployablePage::kCmdView);
        EXPECT_EQ(pick.items, (std::vector<std::wstring>{L"All", L"", L"Application", L"Driver"}));
    }
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(page->m_filter, kDriver);

    form->Load(kUnit);
    AnswerFor(t, "api/api_objGet.php", kUnit, ObjectReply(kUnit, ObjectXml(kUnit, 3, "Engineering", Arrays("", "", ""))));
    AnswerSearch(Components());
    EXPECT_EQ(page->m_filter, kDriver) << "the reload keeps the chosen filter";
    EXPECT_EQ(Rows(), 2);

    form->Load(kUnit);
    AnswerFor(t, "api/api_objGet.php", kUnit, ObjectReply(kUnit, ObjectXml(kUnit, 3, "Engineering", Arrays("", "", ""))));
    AnswerSearch(Component(1610, kApplication, "Office"));
    EXPECT_EQ(page->m_filter, 0) << "no drivers left: every type";
    EXPECT_EQ(Rows(), 1);
}

TEST_F(ComponentPage, InheritPressedAndUnchangedSendsNothing)
{
    Open(Arrays("/1610/", "/1610/", "", kInherited));
    EXPECT_TRUE(page->IsInheritPressed());
    // Only the General page's state makes the form savable.
    form->SetModified(true);
    EXPECT_EQ(SaveWithApply(), Fields());
}

TEST_F(ComponentPage, InheritPressedAfterAChangeDeletesTheThreeLists)
{
    Open(Arrays("/1610/", "/1610/", "/1610/"));
    EXPECT_FALSE(page->IsInheritPressed()) << "own values";
    SetInherit(true);
    EXPECT_TRUE(form->IsModified());
    EXPECT_EQ(SaveWithApply(), (Fields{{"ATTRIBIDDEL_160", ""}, {"ATTRIBIDDEL_161", ""}, {"ATTRIBIDDEL_162", ""}}));
}

TEST_F(ComponentPage, InheritReleasedWritesTheThreeLists)
{
    Open(Arrays("/1610/", "/1610/", "", kInherited));
    SetInherit(false);
    Tick(1611, 2, true);
    Tick(1611, 3, true);
    Tick(1611, 4, true);
    EXPECT_EQ(SaveWithApply(),
              (Fields{{"ATTRIBID_160", "/1610/1611/"}, {"ATTRIBID_161", "/1610/1611/"}, {"ATTRIBID_162", "/1611/"}}));
}

TEST_F(ComponentPage, TickReleasesThePressedInheritButton)
{
    Open(Arrays("/1610/", "/1610/", "", kInherited));
    ASSERT_TRUE(page->IsInheritPressed());
    Tick(1612, 2, true);
    EXPECT_FALSE(page->IsInheritPressed());
    EXPECT_EQ(SaveWithApply(), (Fields{{"ATTRIBID_160", "/1610/1612/"}}));
}

TEST_F(ComponentPage, IconReplyReplacesTheRowImageAndAFailedSearchKeepsTheRows)
{
    Open(Arrays("/1610/", "", ""));
    CTListCtrlReport& report = page->m_list.m_report;
    const int index = t.app->FindIcon(CTString(L"app.ico"));
    ASSERT_GE(index, 0);
    ASSERT_TRUE(report.HasImageForKey(index));
    const int listImage = report.GetImageForKey(index);
    const int imageCount = ImageList_GetImageCount(report.m_imageList);

    RequestResult icon;
    icon.route = form->MakeRoute(DeployablePage::kReqIcon, index);
    form->Notify(&icon);
    EXPECT_EQ(report.GetImageForKey(index), listImage);
    EXPECT_EQ(ImageList_GetImageCount(report.m_imageList), imageCount) << "replaced, not added";

    form->Load(kUnit);
    AnswerFor(t, "api/api_objGet.php", kUnit, ObjectReply(kUnit, ObjectXml(kUnit, 3, "Engineering", Arrays("/1610/", "", ""))));
    t.Answer("api/api_objSearch.php", apptest::XmlHeaders(),
             apptest::Doc("<RC id=\"17\" text=\"failed\"/><parameters/>"));
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(boxes.Texts().size(), 1u) << "the server's error is shown";
}

TEST_F(ComponentPage, NoComponentsShowsTheEmptyText)
{
    Open(Arrays("", "", ""), "");
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(std::wstring(page->m_list.m_report.m_emptyText.GetBuffer()), L"No Components");
}
