// The settings tree against a parent that logs its notification records and commands and answers
// from a script: toggles and their rules, glyphs, vetoed moves and deletes, the hot item after a
// delete or move, defaults, the next-item walk, enabling, and the context menu.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "controls/CTWndSettings.h"
#include "framework/PopupMenuDriver.h"

namespace {

using CItem = CTWndSettings::CItem;

constexpr int kId = 400;
constexpr int kHostX = 560, kHostY = 40;

struct Record {
    UINT code = 0;
    CItem* item = nullptr;
    CItem* second = nullptr;
    __int64 before = 0;
    bool hasIcon = false;
    int iconWidth = 0;
    int kind = 0;
    std::wstring text;
    int value = 0;
    int defaultValue = 0;
    __int64 data = 0;
};

struct Script {
    std::vector<Record> records;
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    std::map<UINT, LRESULT> answers;
};

Script& S()
{
    static Script script;
    return script;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && wParam == kId) {
        auto* n = reinterpret_cast<CTWndSettingsNotify*>(lParam);
        Record r;
        r.code = n->hdr.code;
        r.item = n->item;
        if (r.code == CTWndSettings::NotifyMoving) {
            r.before = n->before;
            r.second = n->second;
        } else if (r.code == CTWndSettings::NotifySelChanged) {
            r.second = n->second;
        } else {
            r.hasIcon = n->icon != nullptr;
            r.iconWidth = n->iconSize.width;
            r.kind = n->kind;
            r.text = n->text ? n->text : L"";
            r.value = n->value;
            r.defaultValue = n->defaultValue;
            r.data = n->data;
        }
        S().records.push_back(r);
        auto found = S().answers.find(r.code);
        return found == S().answers.end() ? 0 : found->second;
    }
    if (msg == WM_COMMAND) {
        S().commands.push_back({wParam, lParam});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HICON MakeIcon()
{
    BYTE andMask[32 * 4];
    BYTE xorMask[32 * 4];
    memset(andMask, 0, sizeof(andMask));
    memset(xorMask, 0x5A, sizeof(xorMask));
    return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
}

class PickingDriver : public PopupMenuDriver {
public:
    UINT pick = 0;
    std::vector<UINT> ids;
    std::vector<bool> grayed;
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        ids.clear();
        grayed.clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            ids.push_back(GetMenuItemID(menu, i));
            grayed.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0);
        }
        return pick;
    }
};

class SettingsTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    CTWndSettings* tree = nullptr;
    CTWndSettings::Icon noIcon;

    static void SetUpTestSuite()
    {
        HINSTANCE module = GetModuleHandleW(nullptr);
        CTWndSettings::RegisterClass(module);
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = module;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"SettingsTestHost";
        RegisterClassExW(&wc);
    }

    void Make(const CTWndSettings::ToolbarDesc& desc = {})
    {
        host = CreateWindowExW(WS_EX_TOPMOST, L"SettingsTestHost", L"host", WS_POPUP | WS_VISIBLE, kHostX, kHostY, 280,
                               320, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        CreateWindowExW(0, CTWndSettings::kClassName, L"Options", WS_CHILD | WS_VISIBLE, 0, 0, 260, 300, host,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)), GetModuleHandleW(nullptr), nullptr);
        tree = new CTWndSettings();
        ASSERT_TRUE(tree->Create(host, kId, desc));
        Pump();
        Reset();
    }

    void SetUp() override { Make(); }

    void Reset()
    {
        S().records.clear();
        S().commands.clear();
        S().answers.clear();
    }

    void TearDown() override
    {
        PopupMenuDriver::Install(nullptr);
        if (host) DestroyWindow(host);
        delete tree;
        host = nullptr;
        tree = nullptr;
        Pump();
        Reset();
    }

    HWND Tree() { return tree->m_tree.m_hWnd; }

    CItem* Add(CItem* parent, int kind, const wchar_t* text, int value = 0, int def = 0, __int64 data = 0)
    {
        return tree->AddItem(parent, noIcon, kind, CTString(text), value, def, data);
    }

    int Image(CItem* item)
    {
        TVITEMW tvi = {};
        tvi.mask = TVIF_IMAGE;
        tvi.hItem = item->treeItem;
        ::SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
        return tvi.iImage;
    }

    int Glyph(int glyph) { return tree->m_glyphs[glyph]; }

    POINT Centre(CItem* item)
    {
        RECT rc = {};
        memcpy(&rc, &item->treeItem, sizeof(item->treeItem));
        ::SendMessageW(Tree(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rc));
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }

    void Click(CItem* item)
    {
        POINT pt = Centre(item);
        ::SendMessageW(Tree(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(Tree(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }

    void Hover(CItem* item)
    {
        POINT pt = Centre(item);
        ::SendMessageW(Tree(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    }

    // The tree view's own order of the children of a tree item, as texts.
    std::vector<std::wstring> TreeTexts(HTREEITEM parent = TVI_ROOT)
    {
        std::vector<std::wstring> out;
        auto child = reinterpret_cast<HTREEITEM>(::SendMessageW(
            Tree(), TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD,
            parent == TVI_ROOT ? 0 : reinterpret_cast<LPARAM>(parent)));
        for (; child; child = reinterpret_cast<HTREEITEM>(
                          ::SendMessageW(Tree(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
            CItem* item = tree->GetItemFromTreeItem(child);
            out.push_back(item ? item->text.GetBuffer() : L"?");
        }
        return out;
    }

    std::vector<std::wstring> ListTexts(CLinkedList& list)
    {
        std::vector<std::wstring> out;
        for (CLinkedListObject* o = list.GetHead(); o; o = o->GetNext())
            out.push_back(static_cast<CItem*>(o)->text.GetBuffer());
        return out;
    }

    std::vector<UINT> Codes()
    {
        std::vector<UINT> out;
        for (const Record& r : S().records) out.push_back(r.code);
        return out;
    }
};

TEST_F(SettingsTest, OnlyAnEnabledCheckBoxTogglesAndItsRecordDescribesIt)
{
    CItem* group = Add(nullptr, CTWndSettings::KindHeading, L"Group", 0, 0, 1);
    CItem* check = Add(group, CTWndSettings::KindCheck, L"Check", 0, 1, 77);
    CItem* off = Add(group, CTWndSettings::KindCheck, L"Disabled", 0, 0, 78);
    CItem* radio = Add(group, CTWndSettings::KindRadio, L"Radio", 0, 0, 79);
    CItem* plain = Add(nullptr, CTWndSettings::KindItem, L"Plain");
    tree->SetItemEnabled(off, false);
    EXPECT_FALSE(tree->IsItemEnabled(off));
    Reset();

    for (CItem* item : {group, off, radio, plain}) {
        Click(item);
        EXPECT_TRUE(S().records.empty() || S().records.back().code != CTWndSettings::NotifyToggled) << item->text.GetBuffer();
    }
    EXPECT_EQ(off->value, 0);
    EXPECT_EQ(radio->value, 0);
    EXPECT_EQ(Image(off), Glyph(CTWndSettings::CheckUncheckedDisabled));
    EXPECT_EQ(Image(radio), Glyph(CTWndSettings::RadioUnchecked));

    Reset();
    Click(check);
    EXPECT_EQ(check->value, 1);
    ASSERT_FALSE(S().records.empty());
    const Record* toggled = nullptr;
    for (const Record& r : S().records)
        if (r.code == CTWndSettings::NotifyToggled) toggled = &r;
    ASSERT_NE(toggled, nullptr);
    EXPECT_EQ(toggled->item, group);  // the toggled item's parent
    EXPECT_EQ(toggled->kind, CTWndSettings::KindCheck);
    EXPECT_EQ(toggled->text, L"Check");
    EXPECT_EQ(toggled->value, 1);
    EXPECT_EQ(toggled->defaultValue, 1);
    EXPECT_EQ(toggled->data, 77);
    EXPECT_EQ(Image(check), Glyph(CTWndSettings::CheckCheckedHot));  // toggled by the mouse: hot

    Reset();
    ::SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(check->treeItem));
    Reset();
    ::SendMessageW(Tree(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(check->value, 0);
    EXPECT_EQ(Codes(), (std::vector<UINT>{CTWndSettings::NotifyToggled}));
    EXPECT_EQ(Image(check), Glyph(CTWndSettings::CheckUnchecked));

    Reset();
    ::SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(radio->treeItem));
    ASSERT_EQ(Codes(), (std::vector<UINT>{CTWndSettings::NotifySelChanged}));
    EXPECT_EQ(S().records[0].item, check);
    EXPECT_EQ(S().records[0].second, radio);
    Reset();
    ::SendMessageW(Tree(), WM_KEYDOWN, VK_SPACE, 0);  // not a check box: nothing
    EXPECT_TRUE(S().records.empty());
    tree->SetItemChecked(radio);  // the owner sets radio buttons, silently
    EXPECT_EQ(Image(radio), Glyph(CTWndSettings::RadioChecked));
    EXPECT_TRUE(S().records.empty());
}

TEST_F(SettingsTest, ChildWithoutIconShowsItsCheckBoxAncestorsGlyphAndIconsKeepTheirImage)
{
    HICON icon = MakeIcon();
    CTWndSettings::Icon withIcon{16, 16, icon};
    CItem* check = Add(nullptr, CTWndSettings::KindCheck, L"Check", 1);
    CItem* bare = Add(check, CTWndSettings::KindItem, L"Bare");
    CItem* iconic = tree->AddItem(check, withIcon, CTWndSettings::KindItem, CTString(L"Iconic"), 0, 0, 5);
    ASSERT_NE(iconic->icon, nullptr);
    EXPECT_NE(iconic->icon, icon);  // a copy of its own
    int iconImage = Image(iconic);
    EXPECT_GE(iconImage, CTWndSettings::GlyphCount);
    EXPECT_EQ(Image(bare), Glyph(CTWndSettings::CheckChecked));

    Reset();
    EXPECT_TRUE(tree->ToggleItem(check, false));
    EXPECT_EQ(Image(bare), Glyph(CTWndSettings::CheckUnchecked));  // follows its ancestor

    EXPECT_TRUE(tree->DeleteItem(iconic, true));
    ASSERT_GE(S().records.size(), 3u);
    const Record& deleting = S().records[1];
    EXPECT_EQ(deleting.code, CTWndSettings::NotifyDeleting);
    EXPECT_TRUE(deleting.hasIcon);
    EXPECT_EQ(deleting.iconWidth, 16);
    EXPECT_EQ(deleting.item, check);
    iconic = tree->AddItem(check, withIcon, CTWndSettings::KindItem, CTString(L"Iconic"), 0, 0, 5);
    DestroyIcon(icon);

    CItem* radio = Add(nullptr, CTWndSettings::KindRadio, L"Radio", 1);
    EnableWindow(tree->m_hWnd, FALSE);
    EXPECT_EQ(Image(check), Glyph(CTWndSettings::CheckUncheckedDisabled));
    EXPECT_EQ(Image(radio), Glyph(CTWndSettings::RadioChecked));  // radio buttons ignore the window
    EXPECT_GE(Image(iconic), CTWndSettings::GlyphCount);
    EnableWindow(tree->m_hWnd, TRUE);
    EXPECT_EQ(Image(check), Glyph(CTWndSettings::CheckUnchecked));
    EXPECT_GE(Image(iconic), CTWndSettings::GlyphCount);
    EXPECT_EQ(tree->m_iconMap.count(iconic->icon), 1u);
}

TEST_F(SettingsTest, UnknownParentAddsNothing)
{
    CItem stranger;
    EXPECT_EQ(Add(&stranger, CTWndSettings::KindCheck, L"x"), nullptr);
    EXPECT_TRUE(tree->m_items.IsEmpty());
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_FALSE(tree->ToggleItem(&stranger, false));
    EXPECT_FALSE(tree->MoveItem(&stranger, false, nullptr));
    EXPECT_TRUE(tree->DeleteItem(&stranger, true));
    EXPECT_TRUE(S().records.empty());
}

TEST_F(SettingsTest, MovesFollowTheReferenceAndTheParentsVeto)
{
    CItem* a = Add(nullptr, CTWndSettings::KindCheck, L"a");
    CItem* b = Add(nullptr, CTWndSettings::KindCheck, L"b");
    CItem* c = Add(nullptr, CTWndSettings::KindHeading, L"c");
    CItem* c1 = Add(c, CTWndSettings::KindCheck, L"c1");
    CItem* c2 = Add(c, CTWndSettings::KindCheck, L"c2");
    Reset();

    S().answers[CTWndSettings::NotifyMoving] = 1;
    EXPECT_FALSE(tree->MoveItem(a, false, c));
    ASSERT_EQ(Codes(), (std::vector<UINT>{CTWndSettings::NotifyMoving}));
    EXPECT_EQ(S().records[0].item, a);
    EXPECT_EQ(S().records[0].before, 0);
    EXPECT_EQ(S().records[0].second, c);
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"a", L"b", L"c"}));

    Reset();
    EXPECT_TRUE(tree->MoveItem(a, false, c));
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"b", L"c", L"a"}));
    EXPECT_EQ(ListTexts(tree->m_items), TreeTexts());
    EXPECT_EQ(Codes().back(), static_cast<UINT>(CTWndSettings::NotifyMoved));
    EXPECT_EQ(S().records.back().item, nullptr);

    EXPECT_TRUE(tree->MoveItem(c, true, b));  // before the first: at the front
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_EQ(TreeTexts(c->treeItem), (std::vector<std::wstring>{L"c1", L"c2"}));  // children came along
    EXPECT_EQ(tree->GetItemFromTreeItem(c1->treeItem), c1);

    EXPECT_TRUE(tree->MoveItem(a, true, b));
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"c", L"a", L"b"}));
    EXPECT_TRUE(tree->MoveItem(c, true, nullptr));  // the first item before no reference stays first
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"c", L"a", L"b"}));
    EXPECT_TRUE(tree->MoveItem(c, false, nullptr));
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_TRUE(tree->MoveItem(c2, true, nullptr));
    EXPECT_EQ(TreeTexts(c->treeItem), (std::vector<std::wstring>{L"c2", L"c1"}));
    EXPECT_EQ(ListTexts(c->children), TreeTexts(c->treeItem));

    Reset();
    EXPECT_FALSE(tree->MoveItem(a, false, a));
    EXPECT_FALSE(tree->MoveItem(nullptr, false, b));
    EXPECT_FALSE(tree->MoveItem(a, false, c1));  // a reference under another parent would change a's parent
    EXPECT_TRUE(S().records.empty());
    EXPECT_EQ(ListTexts(tree->m_items), (std::vector<std::wstring>{L"a", L"b", L"c"}));
}

TEST_F(SettingsTest, DeleteAsksTheParentAndReportsTheDeletedEntry)
{
    CItem* group = Add(nullptr, CTWndSettings::KindHeading, L"group");
    CItem* item = Add(group, CTWndSettings::KindCheck, L"item", 1, 0, 9);
    Add(nullptr, CTWndSettings::KindCheck, L"other");
    Reset();

    S().answers[CTWndSettings::NotifyDeleting] = 1;
    EXPECT_TRUE(tree->DeleteItem(item, true));
    EXPECT_EQ(Codes(), (std::vector<UINT>{CTWndSettings::NotifyDeleting}));
    EXPECT_EQ(S().records[0].item, group);
    EXPECT_EQ(S().records[0].data, 9);
    EXPECT_TRUE(tree->ContainsItem(item));
    EXPECT_EQ(TreeTexts(group->treeItem), (std::vector<std::wstring>{L"item"}));

    Reset();
    EXPECT_TRUE(tree->DeleteItem(item, true));
    std::vector<UINT> codes = Codes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes.front(), static_cast<UINT>(CTWndSettings::NotifyDeleting));
    EXPECT_EQ(codes.back(), static_cast<UINT>(CTWndSettings::NotifyDeleted));
    EXPECT_EQ(S().records.back().text, L"item");
    EXPECT_TRUE(group->children.IsEmpty());
    EXPECT_TRUE(TreeTexts(group->treeItem).empty());

    Reset();
    EXPECT_TRUE(tree->DeleteItem(group, false));  // silently
    EXPECT_EQ(TreeTexts(), (std::vector<std::wstring>{L"other"}));
    for (UINT code : Codes()) EXPECT_NE(code, static_cast<UINT>(CTWndSettings::NotifyDeleting));

    EXPECT_TRUE(tree->DeleteItem(nullptr, true));
    EXPECT_TRUE(tree->m_items.IsEmpty());
    EXPECT_TRUE(TreeTexts().empty());
    EXPECT_NE(tree->m_images, nullptr);
}

TEST_F(SettingsTest, DeletingOrMovingTheHotItemForgetsIt)
{
    CItem* group = Add(nullptr, CTWndSettings::KindHeading, L"group");
    CItem* child = Add(group, CTWndSettings::KindCheck, L"child");
    CItem* other = Add(nullptr, CTWndSettings::KindCheck, L"other");

    Hover(child);
    ASSERT_EQ(tree->m_hot, child->treeItem);
    EXPECT_EQ(Image(child), Glyph(CTWndSettings::CheckUncheckedHot));
    tree->DeleteItem(group, false);  // the hot item goes with its parent
    EXPECT_EQ(tree->m_hot, nullptr);
    ::SendMessageW(Tree(), WM_MOUSELEAVE, 0, 0);

    Hover(other);
    ASSERT_EQ(tree->m_hot, other->treeItem);
    CItem* last = Add(nullptr, CTWndSettings::KindCheck, L"last");
    EXPECT_TRUE(tree->MoveItem(other, false, last));  // re-inserted under a new handle
    EXPECT_EQ(tree->m_hot, nullptr);
    EXPECT_EQ(Image(other), Glyph(CTWndSettings::CheckUnchecked));
    Hover(other);
    EXPECT_EQ(tree->m_hot, other->treeItem);
    ::SendMessageW(Tree(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(tree->m_hot, nullptr);
    EXPECT_EQ(Image(other), Glyph(CTWndSettings::CheckUnchecked));

    Hover(last);
    tree->DeleteItem(nullptr, false);
    EXPECT_EQ(tree->m_hot, nullptr);
}

TEST_F(SettingsTest, ResetToDefaultsRestoresRootItemsOnly)
{
    CItem* root = Add(nullptr, CTWndSettings::KindCheck, L"root", 1, 0);
    CItem* child = Add(root, CTWndSettings::KindCheck, L"child", 1, 0);
    CItem* second = Add(nullptr, CTWndSettings::KindCheck, L"second", 0, 1);
    tree->ResetToDefaults();
    EXPECT_EQ(root->value, 0);
    EXPECT_EQ(second->value, 1);
    EXPECT_EQ(child->value, 1);
    EXPECT_EQ(Image(second), Glyph(CTWndSettings::CheckChecked));
    EXPECT_EQ(Image(root), Glyph(CTWndSettings::CheckUnchecked));
    EXPECT_TRUE(S().records.empty());
}

TEST_F(SettingsTest, NextItemWalkPassesOverHeadingsAndDataLookupSeesRootsOnly)
{
    CItem* h1 = Add(nullptr, CTWndSettings::KindHeading, L"h1", 0, 0, 1);
    CItem* c1 = Add(h1, CTWndSettings::KindCheck, L"c1", 0, 0, 2);
    CItem* c2 = Add(h1, CTWndSettings::KindCheck, L"c2", 0, 0, 3);
    CItem* a = Add(nullptr, CTWndSettings::KindItem, L"a", 0, 0, 4);
    Add(nullptr, CTWndSettings::KindHeading, L"h2", 0, 0, 5);
    CItem* b = Add(nullptr, CTWndSettings::KindRadio, L"b", 0, 0, 6);

    struct Step {
        CItem* from;
        CItem* to;
    } steps[] = {{nullptr, c1}, {c1, c2}, {c2, a}, {a, b}, {b, nullptr}};
    for (const Step& s : steps) EXPECT_EQ(tree->GetNextItem(s.from), s.to) << (s.from ? s.from->text.GetBuffer() : L"null");

    EXPECT_EQ(tree->FindItemByData(4), a);
    EXPECT_EQ(tree->FindItemByData(2), nullptr);  // a child
}

TEST_F(SettingsTest, ToolbarButtonsAreMirroredInTheMenuAndCommandsReachTheParent)
{
    TearDown();
    CTWndSettings::ToolbarButton buttons[] = {
        {CTWndSettings::kInheritCommand, 0, 158, BTNS_CHECK}, {2, 0xFFFF, 0, 0}, {5, 0xFFFF, 0, 0}};
    CTWndSettings::ToolbarDesc desc;
    desc.buttonCount = 3;
    desc.buttons = buttons;
    Make(desc);
    HWND toolbar = tree->m_toolbar.m_hWnd;
    EXPECT_EQ(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 2);  // command 2 is never offered
    EXPECT_GE(tree->AddToolbarIcon(GetModuleHandleW(nullptr)), -1);
    EXPECT_TRUE(tree->SetCheckButtonImage(0));
    RECT tb = {}, tv = {};
    GetWindowRect(toolbar, &tb);
    GetWindowRect(Tree(), &tv);
    EXPECT_GE(tv.top, tb.bottom);

    CItem* a = Add(nullptr, CTWndSettings::KindCheck, L"a");
    CItem* b = Add(nullptr, CTWndSettings::KindCheck, L"b");
    ::SendMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a->treeItem));
    Reset();

    PickingDriver driver;
    driver.pick = CTWndSettings::kInheritCommand;
    PopupMenuDriver::Install(&driver);
    POINT pt = Centre(b);
    ClientToScreen(Tree(), &pt);
    ::SendMessageW(Tree(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Tree()), MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(driver.ids, (std::vector<UINT>{CTWndSettings::kInheritCommand, 5}));
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(::SendMessageW(Tree(), TVM_GETNEXTITEM, TVGN_CARET, 0)), b->treeItem);
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].first, (static_cast<WPARAM>(CTWndSettings::kInheritCommand) << 16) | kId);
    EXPECT_EQ(S().commands[0].second, reinterpret_cast<LPARAM>(tree->m_hWnd));

    Reset();
    driver.pick = 0;  // dismissed: command 0 still goes to the parent
    ::SendMessageW(tree->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree->m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].first, static_cast<WPARAM>(kId));

    Reset();
    driver.pick = 5;  // expand all: handled by the control
    ::SendMessageW(tree->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree->m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_TRUE(S().commands.empty());

    // A checked toolbar button stays checked through disabling and enabling.
    ::SendMessageW(toolbar, TB_CHECKBUTTON, CTWndSettings::kInheritCommand, TRUE);
    EnableWindow(tree->m_hWnd, FALSE);
    EXPECT_EQ(tree->GetCheckButtonState() & TBSTATE_ENABLED, 0);
    driver.ids.clear();
    ::SendMessageW(tree->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree->m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_TRUE(driver.ids.empty());  // no menu while disabled
    EnableWindow(tree->m_hWnd, TRUE);
    EXPECT_EQ(tree->GetCheckButtonState(), TBSTATE_ENABLED | TBSTATE_CHECKED);
}

}  // namespace
