// The object-tree picker for a recording owner on an application signed in to the fixture server
// under Xvfb: the tree from the objects cached at sign-in and level by level from the server.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/App.h"
#include "lists/DlgSelectObject.h"
#include "lists/ListWindows.h"
#include "session/FixtureServer.h"

#include "app/SignedInSession.h"
#include "lists/PickerOwner.h"

namespace {

using signedin::Settle;

std::wstring Text(HWND tree, HTREEITEM item)
{
    wchar_t text[256] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_HANDLE | TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = 255;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

int ChildFlag(HWND tree, HTREEITEM item)
{
    TVITEMW tv = {};
    tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
    tv.hItem = item;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return tv.cChildren;
}

// The labels of an item's children (the top level for null), in tree order.
std::vector<std::wstring> Children(HWND tree, HTREEITEM parent)
{
    std::vector<std::wstring> out;
    HTREEITEM child = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree);
    for (; child; child = TreeView_GetNextSibling(tree, child))
        out.push_back(Text(tree, child));
    return out;
}

size_t CountSearchesUnder(const std::string& parent)
{
    size_t count = 0;
    for (const auto& record : fixture::Requests(fixture::Shared(), "/api/api_objSearch.php")) {
        std::string body = "&" + fixture::Base64Decode(record.value("body_b64", "")) + "&";
        if (body.find("&PARENT=" + parent + "&") != std::string::npos && body.find("&TYPE=OU") != std::string::npos)
            ++count;
    }
    return count;
}

bool RegistryValueExists(const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Tavik\\TWndSize", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

void DeleteRegistryValue(const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Tavik\\TWndSize", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
}

class TreePicker : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (s_app)
            RegisterListWindows(s_app->m_catalogue);
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }
    void SetUp() override { ASSERT_NE(nullptr, s_app); }
    void TearDown() override
    {
        s_app->m_windows.CloseWindows(DlgSelectObject::kType, 0);
        Settle(*s_app);
    }

    // Opens a picker whose owner answers 1041 with the set-up; answers record the chosen object's name.
    DlgSelectObject* Open(UINT64 key, const DlgSelectObject::Setup& setup)
    {
        owner.handler = [this, setup](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
            if (msg == DlgSelectObject::kMsgSetup)
                *reinterpret_cast<DlgSelectObject::Setup*>(lParam) = setup;
            if (msg == DlgSelectObject::kMsgAnswer) {
                auto* object = reinterpret_cast<const Object*>(lParam);
                chosen.push_back(object ? std::wstring(CTString(object->name).GetBuffer()) : L"(none)");
            }
            return 0;
        };
        s_app->m_windows.OpenWindow(DlgSelectObject::kType, key, reinterpret_cast<INT_PTR>(owner.hwnd));
        auto* picker = dynamic_cast<DlgSelectObject*>(s_app->m_windows.FindWindow(DlgSelectObject::kType, key));
        Settle(*s_app);
        return picker;
    }
    static HTREEITEM ItemOf(DlgSelectObject* picker, __int64 id)
    {
        auto node = picker->m_nodes.find(id);
        return node == picker->m_nodes.end() ? nullptr : node->second.item;
    }
    static void Select(DlgSelectObject* picker, __int64 id)
    {
        TreeView_SelectItem(picker->m_tree, ItemOf(picker, id));
    }
    static bool OkEnabled(DlgSelectObject* picker) { return IsWindowEnabled(GetDlgItem(picker->m_hWnd, IDOK)); }
    void Command(DlgSelectObject* picker, int id)
    {
        SendMessageW(picker->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Settle(*s_app);
    }
    void Expand(DlgSelectObject* picker, __int64 id)
    {
        NMTREEVIEWW view = {};
        view.hdr.hwndFrom = picker->m_tree;
        view.hdr.idFrom = DlgSelectObject::kIdTree;
        view.hdr.code = TVN_ITEMEXPANDINGW;
        view.action = TVE_EXPAND;
        view.itemNew.hItem = ItemOf(picker, id);
        view.itemNew.lParam = static_cast<LPARAM>(id);
        SendMessageW(picker->m_hWnd, WM_NOTIFY, DlgSelectObject::kIdTree, reinterpret_cast<LPARAM>(&view));
    }

    static App* s_app;
    RecordingOwner owner;
    std::vector<std::wstring> chosen;
};

App* TreePicker::s_app = nullptr;

} // namespace

TEST_F(TreePicker, CachedTreeShowsTheListedTypesOnlyAndAnswersASelectableNode)
{
    DlgSelectObject::Setup setup;
    setup.types = L"Organisation,OU,Order Folder";
    setup.selectable = L"Order Folder";
    DlgSelectObject* picker = Open(801, setup);
    ASSERT_NE(nullptr, picker);
    ASSERT_FALSE(owner.answers.empty());
    EXPECT_EQ(1041u, owner.answers[0].msg);
    EXPECT_TRUE(owner.answers[0].sent);
    HWND tree = picker->m_tree;
    // The whole permitted tree at once, siblings by type and then by label.
    EXPECT_EQ((std::vector<std::wstring>{L"Acme", L"Northwind"}), Children(tree, nullptr));   // the sample's organisations
    EXPECT_EQ((std::vector<std::wstring>{L"Engineering", L"Finance", L"Operations", L"Sales"}),
              Children(tree, ItemOf(picker, 10)));
    EXPECT_EQ((std::vector<std::wstring>{L"Hardware orders"}), Children(tree, ItemOf(picker, 13)));
    // "Order" is part of the name "Order Folder" but not a listed type: its objects stay out.
    EXPECT_TRUE(Children(tree, ItemOf(picker, 500)).empty());
    EXPECT_EQ(0u, picker->m_nodes.count(501));
    EXPECT_EQ(0, ChildFlag(tree, ItemOf(picker, 500)));
    EXPECT_EQ(0, ChildFlag(tree, ItemOf(picker, 11)));
    EXPECT_EQ(1, ChildFlag(tree, ItemOf(picker, 13)));
    // "Set to not assigned" is offered only when the owner allows it.
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(picker->m_hWnd, DlgSelectObject::kIdNone)));

    EXPECT_FALSE(OkEnabled(picker));
    Select(picker, 11);
    EXPECT_FALSE(OkEnabled(picker));
    Command(picker, IDOK);
    EXPECT_TRUE(chosen.empty());
    Select(picker, 500);
    EXPECT_TRUE(OkEnabled(picker));
    owner.answers.clear();
    Command(picker, IDOK);
    ASSERT_EQ(1u, owner.answers.size());
    EXPECT_EQ((Answer{1042, 500, owner.answers[0].value, true}), owner.answers[0]);
    EXPECT_EQ((std::vector<std::wstring>{L"Hardware orders"}), chosen);
    EXPECT_EQ(nullptr, s_app->m_windows.FindWindow(DlgSelectObject::kType, 801));
}

TEST_F(TreePicker, LabelsNoneAndWhenTheSizeIsKept)
{
    DeleteRegistryValue(L"DlgSelectObject");
    DlgSelectObject::Setup setup;
    setup.types = L"Folder,Schedule Group";
    setup.allowNone = 1;
    DlgSelectObject* picker = Open(810, setup);
    ASSERT_NE(nullptr, picker);
    std::vector<std::wstring> groups = Children(picker->m_tree, ItemOf(picker, 2));
    EXPECT_NE(groups.end(), std::find(groups.begin(), groups.end(), L"Spring refresh - Spring laptop refresh"));
    EXPECT_NE(groups.end(), std::find(groups.begin(), groups.end(), L"Wave 1"));
    ASSERT_TRUE(IsWindowVisible(GetDlgItem(picker->m_hWnd, DlgSelectObject::kIdNone)));
    CheckDlgButton(picker->m_hWnd, DlgSelectObject::kIdNone, BST_CHECKED);
    Command(picker, DlgSelectObject::kIdNone);
    EXPECT_FALSE(IsWindowEnabled(picker->m_tree));
    EXPECT_TRUE(OkEnabled(picker));
    owner.answers.clear();
    Command(picker, IDOK);
    EXPECT_EQ((std::vector<Answer>{{1042, 0, 0, true}}), owner.answers);
    // Ending by OK or Cancel keeps no size; a close by the manager does.
    picker = Open(811, setup);
    ASSERT_NE(nullptr, picker);
    Command(picker, IDCANCEL);
    EXPECT_FALSE(RegistryValueExists(L"DlgSelectObject"));
    ASSERT_NE(nullptr, Open(812, setup));
    s_app->m_windows.CloseWindows(DlgSelectObject::kType, 812);
    Settle(*s_app);
    EXPECT_TRUE(RegistryValueExists(L"DlgSelectObject"));
}

TEST_F(TreePicker, ServerTreeAsksAgainOnEveryExpansionWithoutDuplicates)
{
    DlgSelectObject::Setup setup;
    setup.types = L"OU,Site";
    setup.fromCache = 0;
    size_t before = CountSearchesUnder("12");
    DlgSelectObject* picker = Open(820, setup);
    ASSERT_NE(nullptr, picker);
    EXPECT_GE(CountSearchesUnder("0"), 1u);
    ASSERT_NE(nullptr, ItemOf(picker, 12));
    for (int expansion = 1; expansion <= 2; ++expansion) {
        Expand(picker, 12);
        Settle(*s_app);
        std::vector<std::wstring> sites = Children(picker->m_tree, ItemOf(picker, 12));
        std::sort(sites.begin(), sites.end());
        EXPECT_EQ((std::vector<std::wstring>{L"Berlin", L"Munich"}), sites) << expansion;
        EXPECT_EQ(before + expansion, CountSearchesUnder("12"));
    }
    // With no selectable types of its own every listed type may be chosen.
    Select(picker, 21);
    EXPECT_TRUE(OkEnabled(picker));
    owner.answers.clear();
    Command(picker, IDOK);
    ASSERT_EQ(1u, owner.answers.size());
    EXPECT_EQ(21u, owner.answers[0].key);
    EXPECT_EQ((std::vector<std::wstring>{L"Berlin"}), chosen);
}
