// The structure editor pane on a recording server client: lazy children searches, merging by
// navigation flags, tree texts, the current-object rule, renames, the status text and hidden
// refreshes.
#include <algorithm>
#include "structure/StructureEditorFixture.h"

using namespace editortest;

namespace {

const std::string kUnits = Obj(11, kOu, kOu, "Engineering", 3) + Obj(12, kOu, kOu, "Sales", 3);

} // namespace

TEST(StructureEditor, FirstExpansionSearchesOnceBehindAPlaceholder)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    HTREEITEM root = t.Item(t.pane->m_rootId);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(t.pane->m_rootId, kOu);
    EXPECT_EQ(t.transport->CountPath("api/api_objSearch.php"), 0u) << "the root is neither expanded nor selected";
    EXPECT_EQ(t.transport->m_sent[0].verb, "POST");
    EXPECT_EQ(t.transport->m_sent[0].body, "");

    TreeView_Expand(t.Tree(), root, TVE_EXPAND);
    t.Pump();
    std::vector<Fields> searches = t.Requests("api/api_objSearch.php");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0], (Fields{{"PARENT", std::to_string(kOu)}, {"RETURNPATH", "0"}}));
    EXPECT_EQ(t.ChildTexts(root), (std::vector<std::wstring>{L"Searching..."}));

    TreeView_Expand(t.Tree(), root, TVE_COLLAPSE);
    TreeView_Expand(t.Tree(), root, TVE_EXPAND);
    t.Pump();
    EXPECT_EQ(t.transport->CountPath("api/api_objSearch.php"), 1u);

    t.Reply("api/api_objSearch.php", Children(kOu, kUnits));
    EXPECT_EQ(t.ChildTexts(root), (std::vector<std::wstring>{L"Engineering (OU)", L"Sales (OU)"}));
}

TEST(StructureEditor, NavigationFlagsDecideTreeItemsAndListRows)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(kUnits);
    struct Case {
        __int64 id;
        int flags;
        bool inTree, inList;
    } cases[] = {{21, 0, false, false}, {22, 1, true, false}, {23, 2, false, true}, {24, 3, true, true}};
    std::string objects;
    for (const Case& c : cases)
        objects += Obj(c.id, kSite, 11, "Object " + std::to_string(c.id), c.flags);
    t.SelectNode(11, objects);
    std::vector<__int64> listed = t.ListIds();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(t.Item(c.id) != nullptr, c.inTree);
        EXPECT_EQ(std::count(listed.begin(), listed.end(), c.id) == 1, c.inList);
        EXPECT_EQ(t.pane->FindObject(c.id) != nullptr, c.flags != 0) << "an object with neither flag is not kept";
    }
}

TEST(StructureEditor, TreeTextCarriesTheTypeLabelAndTheListTheUserLanguageName)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    // A stored name with a second language: the tree shows it whole, the list the user's text.
    std::wstring stored = std::wstring(L"Engineering") + L"\x00a6" L"de-DE" L"\x00a6" L"Technik";
    std::string storedUtf8 = "Engineering\xc2\xa6" "de-DE\xc2\xa6" "Technik";
    t.ExpandRoot(Obj(11, kOu, kOu, storedUtf8, 3) + Obj(13, 0, kOu, "Untyped", 3));
    EXPECT_EQ(t.ItemText(t.Item(11)), stored + L" (OU)");
    EXPECT_EQ(t.ItemText(t.Item(13)), L"Untyped");
    t.SelectNode(kOu, "");
    TreeView_SelectItem(t.Tree(), t.Item(kOu));
    t.Pump();
    // The row order follows the list's saved sort, which other panes' tests may have changed.
    std::vector<std::wstring> names = t.ListNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Engineering", L"Untyped"}));
}

TEST(StructureEditor, RootIsNamedFromSettingsAndRelabelledWhenTheTableArrives)
{
    Editor t;
    ASSERT_NE(t.Show(false), nullptr);
    HTREEITEM root = t.Item(t.pane->m_rootId);
    EXPECT_EQ(t.ItemText(root), L"Acme Settings ()");
    t.Reply("api/api_dirGetAllowedChild.php", AllowedTable());
    EXPECT_EQ(t.ItemText(root), L"Acme Settings (OU)");

    Editor unnamed(L"");
    ASSERT_NE(unnamed.Show(), nullptr);
    EXPECT_EQ(unnamed.ItemText(unnamed.Item(unnamed.pane->m_rootId)), L"root (OU)");
}

TEST(StructureEditor, CurrentObjectFollowsContextFocusAndSelection)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(kUnits);
    t.SelectNode(11, Obj(21, kSite, 11, "London", 3) + Obj(22, kSite, 11, "Berlin", 3));
    DlgStructure& p = *t.pane;

    // Neither focused: the last context object, which starts as none.
    SetFocus(p.m_hWnd);
    EXPECT_EQ(p.GetCurrentObjectId(), -1);
    p.m_lastContextObject = 12;
    EXPECT_EQ(p.GetCurrentObjectId(), 12);

    // The tree focused: its selected item.
    SetFocus(t.Tree());
    EXPECT_EQ(p.GetCurrentObjectId(), 11);

    // The list focused: its first selected row, else the last context object.
    SetFocus(t.List());
    ListView_SetItemState(t.List(), -1, 0, LVIS_SELECTED);
    EXPECT_EQ(p.GetCurrentObjectId(), 12);
    t.SelectRows({22, 21});
    EXPECT_EQ(p.GetCurrentObjectId(), t.ListIds()[0]);

    // An open context menu's object wins over everything.
    p.m_contextObject = 22;
    SetFocus(t.Tree());
    EXPECT_EQ(p.GetCurrentObjectId(), 22);
    p.m_contextObject = 0;
}

TEST(StructureEditor, TreeRenameSendsOnEnterEvenUnchangedAndNothingOnEscape)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(kUnits);
    SetFocus(t.Tree());
    TreeView_SelectItem(t.Tree(), t.Item(12));
    t.Reply("api/api_objSearch.php", Children(12, ""));

    HWND edit = TreeView_EditLabel(t.Tree(), t.Item(12));
    ASSERT_NE(edit, nullptr);
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    EXPECT_STREQ(text, L"Sales") << "the edit starts with the stored name, without the label";
    EXPECT_EQ(SendMessageW(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
    TreeView_EndEditLabelNow(t.Tree(), TRUE);
    t.Pump();
    EXPECT_EQ(t.transport->CountPath("api/api_objSet.php"), 0u);

    TreeView_EditLabel(t.Tree(), t.Item(12));
    TreeView_EndEditLabelNow(t.Tree(), FALSE);
    t.Pump();
    std::vector<Fields> sets = t.Requests("api/api_objSet.php");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0], (Fields{{"ID", "12"}, {"NAME", "Sales"}, {"SERIAL", "4"}}));

    // The reply renames the item.
    t.Reply("api/api_objSet.php", Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"12\"/>" +
                                      Obj(12, kOu, kOu, "Sales and marketing", 3)));
    EXPECT_EQ(t.ItemText(t.Item(12)), L"Sales and marketing (OU)");
}

TEST(StructureEditor, ListRenameKeepsTheOtherLanguages)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(Obj(11, kOu, kOu, "Engineering\xc2\xa6" "de-DE\xc2\xa6" "Technik", 3));
    TreeView_SelectItem(t.Tree(), t.Item(kOu));
    t.Pump();
    ASSERT_EQ(t.ListIds(), (std::vector<__int64>{11}));

    NMLVDISPINFOW info = {};
    info.hdr.hwndFrom = t.List();
    info.hdr.idFrom = DlgStructure::kIdList;
    info.hdr.code = LVN_ENDLABELEDITW;
    info.item.iItem = 0;
    info.item.pszText = const_cast<wchar_t*>(L"Research");
    SendMessageW(t.pane->m_hWnd, WM_NOTIFY, DlgStructure::kIdList, reinterpret_cast<LPARAM>(&info));
    t.Pump();
    std::vector<Fields> sets = t.Requests("api/api_objSet.php");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0]["NAME"], "Research\xc2\xa6" "de-DE\xc2\xa6" "Technik");

    // A cancelled edit sends nothing.
    info.item.pszText = nullptr;
    SendMessageW(t.pane->m_hWnd, WM_NOTIFY, DlgStructure::kIdList, reinterpret_cast<LPARAM>(&info));
    t.Pump();
    EXPECT_EQ(t.transport->CountPath("api/api_objSet.php"), 1u);
}

TEST(StructureEditor, StatusTextFollowsEverySelectionChange)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(kUnits);
    t.SelectNode(12, "");
    EXPECT_EQ(t.StatusText(), L"0/0 Selected");
    t.SelectNode(11, Obj(21, kSite, 11, "London", 3) + Obj(22, kSite, 11, "Berlin", 3) + Obj(23, kUser, 11, "Ada", 2));
    EXPECT_EQ(t.StatusText(), L"0/3 Selected");
    t.SelectRows({21});
    EXPECT_EQ(t.StatusText(), L"1/3 Selected");
    t.SelectRows({21, 23});
    EXPECT_EQ(t.StatusText(), L"2/3 Selected");
    ListView_SetItemState(t.List(), -1, 0, LVIS_SELECTED);
    EXPECT_EQ(t.StatusText(), L"0/3 Selected");
}

TEST(StructureEditor, RefreshWhileHiddenRunsWhenShown)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(kUnits);
    ShowWindow(t.pane->m_hWnd, SW_HIDE);
    size_t sent = t.transport->m_sent.size();
    t.pane->Refresh();
    t.pane->Refresh();
    EXPECT_EQ(t.transport->m_sent.size(), sent);
    EXPECT_NE(t.Item(11), nullptr) << "nothing is cleared while hidden";

    ShowWindow(t.pane->m_hWnd, SW_SHOW);
    t.Pump();
    ASSERT_EQ(t.transport->m_sent.size(), sent + 1);
    EXPECT_EQ(t.transport->m_sent.back().path, "api/api_dirGetAllowedChild.php");
    EXPECT_EQ(t.Item(11), nullptr);
    EXPECT_EQ(t.ChildTexts(TVI_ROOT), (std::vector<std::wstring>{L"Acme Settings ()"}));
}

TEST(StructureEditor, EveryListImageIsRefreshedByItsIconReply)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(Obj(11, kOu, kOu, "Engineering", 3,
                     structuretest::Attr(103, "tree_image", "value_varchar", "icons/ou.png")));
    TreeView_SelectItem(t.Tree(), t.Item(kOu));
    t.Pump();
    int appIndex = t.app->FindIcon(CTString(L"icons/ou.png"));
    ASSERT_GE(appIndex, 0);
    auto copy = t.pane->m_list.m_imageKeys.find(appIndex);
    ASSERT_NE(copy, t.pane->m_list.m_imageKeys.end());
    EXPECT_EQ(copy->second, 0) << "the first copy in the list's images";

    // The icon arrives: a red picture in the application's lists replaces the placeholder.
    BYTE bits[16 * 16 * 4];
    for (int i = 0; i < 16 * 16; ++i) {
        bits[i * 4] = 0;
        bits[i * 4 + 1] = 0;
        bits[i * 4 + 2] = 255;
        bits[i * 4 + 3] = 255;
    }
    HBITMAP colour = CreateBitmap(16, 16, 1, 32, bits);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    ICONINFO info = {TRUE, 0, 0, mask, colour};
    HICON red = CreateIconIndirect(&info);
    ImageList_ReplaceIcon(t.app->m_smallImages, appIndex, red);
    DestroyIcon(red);
    DeleteObject(colour);
    DeleteObject(mask);
    EXPECT_NE(CentreColour(t.pane->m_list.m_imageList, 0), RGB(255, 0, 0));
    RequestRoute route = t.pane->Route(DlgStructure::kReqIcon);
    route.param2 = appIndex;
    RequestResult result;
    result.route = route;
    t.pane->OnReply(result);
    EXPECT_EQ(CentreColour(t.pane->m_list.m_imageList, 0), RGB(255, 0, 0));
    EXPECT_EQ(ImageList_GetImageCount(t.pane->m_list.m_imageList), 1) << "no second copy";
}

TEST(StructureEditor, OpeningARowShowsItsNodeOrOpensItsForm)
{
    Editor t;
    ASSERT_NE(t.Show(), nullptr);
    t.ExpandRoot(kUnits);
    t.SelectNode(11, Obj(21, kSite, 11, "London", 3) + Obj(23, kUser, 11, "Ada", 2));

    // A row with a tree item: that node is selected, searched and listed.
    NMITEMACTIVATE activate = {};
    activate.hdr.hwndFrom = t.List();
    activate.hdr.idFrom = DlgStructure::kIdList;
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = t.pane->m_list.FindRowByData(reinterpret_cast<void*>(21));
    SendMessageW(t.pane->m_hWnd, WM_NOTIFY, DlgStructure::kIdList, reinterpret_cast<LPARAM>(&activate));
    t.Pump();
    EXPECT_EQ(TreeView_GetSelection(t.Tree()), t.Item(21));
    EXPECT_EQ(t.Requests("api/api_objSearch.php").back()["PARENT"], "21");
    EXPECT_EQ(t.pane->m_listedNode, 21);

    // Properties opens the current object's form.
    SetFocus(t.Tree());
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, DlgStructure::kCmdProperties, 0);
    t.Pump();
    EXPECT_NE(t.app->m_windows.FindWindow(6, 21), nullptr);
}
