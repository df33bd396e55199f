// The structure editor against the fixture server: shown from the main window's Setup command, the
// root expanded and a node listed; a unit created from the context menu, renamed, moved by Cut and
// Paste and deleted, the server holding each change.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "app/App.h"
#include "app/MainWindow.h"
#include "framework/FakeSeams.h"
#include "session/FixtureServer.h"
#include "structure/DlgStructure.h"
#include "structure/StructureWindows.h"

#include "app/SignedInSession.h"

namespace {

using signedin::PumpUntil;
using signedin::Settle;

// tests/fixtures/sample/directory.json
constexpr __int64 kAcme = 10, kEngineering = 11;

class MenuChoice : public PopupMenuDriver {
public:
    explicit MenuChoice(UINT command) : m_command(command) { PopupMenuDriver::Install(this); }
    ~MenuChoice() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU, UINT, int, int, HWND) override { return m_command; }
    UINT m_command;
};

class StructureEditorLive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_app = signedin::SignIn();
        if (!s_app)
            return;
        RegisterStructureWindows(s_app->m_catalogue);
        // The pane made at sign-in before the module was registered gives way to the editor.
        if (CTWndConsole* early = s_app->m_mainWindow->FindConsole(DlgStructure::kConsoleType, 0))
            if (!dynamic_cast<DlgStructure*>(early)) {
                early->Close();
                Settle(*s_app);
            }
    }
    static void TearDownTestSuite() { signedin::SignOut(s_app); }

    static DlgStructure* Pane()
    {
        return dynamic_cast<DlgStructure*>(s_app->m_mainWindow->FindConsole(DlgStructure::kConsoleType, 0));
    }

    static std::wstring ItemText(DlgStructure* pane, __int64 id)
    {
        wchar_t buffer[256] = {};
        TVITEMW data = {};
        data.mask = TVIF_TEXT;
        data.hItem = pane->TreeItemOf(id);
        data.pszText = buffer;
        data.cchTextMax = 256;
        TreeView_GetItem(pane->m_tree.m_hWnd, &data);
        return buffer;
    }

    // The id of the object the pane holds under that name below parent; 0 when none.
    static __int64 Find(DlgStructure* pane, const wchar_t* name, __int64 parent)
    {
        for (auto& [id, object] : pane->m_objects)
            if (object.id && object.parent == parent && object.name.Compare(name) == 0)
                return id;
        return 0;
    }

    // Selects a node and waits until its children are listed.
    static bool List(DlgStructure* pane, __int64 id)
    {
        SetFocus(pane->m_tree.m_hWnd);
        TreeView_SelectItem(pane->m_tree.m_hWnd, pane->TreeItemOf(id));
        bool listed = PumpUntil(*s_app, [&] { return pane->m_listedNode == id; });
        Settle(*s_app);
        return listed;
    }

    // Refreshes and lists Acme, then Engineering, as the server has them now.
    static bool Reload(DlgStructure* pane)
    {
        pane->Refresh();
        Settle(*s_app);
        TreeView_Expand(pane->m_tree.m_hWnd, pane->TreeItemOf(pane->m_rootId), TVE_EXPAND);
        if (!PumpUntil(*s_app, [&] { return pane->TreeItemOf(kAcme) != nullptr; }))
            return false;
        return List(pane, kAcme) && List(pane, kEngineering);
    }

    static App* s_app;
};

App* StructureEditorLive::s_app = nullptr;

} // namespace

TEST_F(StructureEditorLive, BrowseCreateRenameMoveAndDelete)
{
    ASSERT_NE(s_app, nullptr);
    SendMessageW(s_app->m_mainWindow->m_hWnd, WM_COMMAND, MainWindow::kCmdSetup, 0);
    DlgStructure* pane = nullptr;
    ASSERT_TRUE(PumpUntil(*s_app, [&] {
        pane = Pane();
        return pane && pane->m_allowedChild.rows.GetCount() > 0;
    }));
    EXPECT_EQ(s_app->m_mainWindow->m_current, static_cast<CTWndConsole*>(pane));
    EXPECT_EQ(ItemText(pane, pane->m_rootId), L"Fixture Server (OU)");

    // The root expanded, the organisation listed with its units.
    TreeView_Expand(pane->m_tree.m_hWnd, pane->TreeItemOf(pane->m_rootId), TVE_EXPAND);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return pane->TreeItemOf(kAcme) != nullptr; }));
    EXPECT_EQ(ItemText(pane, kAcme), L"Acme (Organisation)");
    ASSERT_TRUE(List(pane, kAcme));
    EXPECT_GE(pane->m_list.FindRowByData(reinterpret_cast<void*>(kEngineering)), 0);
    EXPECT_EQ(ItemText(pane, kEngineering), L"Engineering (OU)");

    // A unit created from the organisation's context menu.
    ScriptedModalDialogDriver dialogs;
    dialogs.Expect([](CTWnd2&, HWND dialog) {
        SetDlgItemTextW(dialog, 1017, L"Structure test unit");
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    {
        MenuChoice choose(DlgStructure::kFirstNewItem);
        SetFocus(pane->m_tree.m_hWnd);
        SendMessageW(pane->m_hWnd, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    }
    __int64 unit = 0;
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return (unit = Find(pane, L"Structure test unit", kAcme)) != 0; }));
    Settle(*s_app);
    ASSERT_GE(pane->m_list.FindRowByData(reinterpret_cast<void*>(unit)), 0) << "the listed parent is refilled";

    // Renamed in the tree.
    SetFocus(pane->m_tree.m_hWnd);
    HWND edit = TreeView_EditLabel(pane->m_tree.m_hWnd, pane->TreeItemOf(unit));
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"Renamed test unit");
    TreeView_EndEditLabelNow(pane->m_tree.m_hWnd, FALSE);
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return ItemText(pane, unit) == L"Renamed test unit (OU)"; }));
    Settle(*s_app);

    // Cut from the list, pasted onto Engineering through its context menu.
    SetFocus(pane->m_list.m_hWnd);
    ListView_SetItemState(pane->m_list.m_hWnd, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(pane->m_list.m_hWnd, pane->m_list.FindRowByData(reinterpret_cast<void*>(unit)), LVIS_SELECTED,
                          LVIS_SELECTED);
    pane->CopyToClipboard(true);
    SetFocus(pane->m_tree.m_hWnd);
    TreeView_SelectItem(pane->m_tree.m_hWnd, pane->TreeItemOf(kEngineering));
    Settle(*s_app);
    {
        MenuChoice choose(DlgStructure::kCmdPaste);
        SendMessageW(pane->m_hWnd, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    }
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return Find(pane, L"Renamed test unit", kEngineering) == unit; }));
    Settle(*s_app);

    // The server holds the name and the place.
    ASSERT_TRUE(Reload(pane));
    EXPECT_EQ(Find(pane, L"Renamed test unit", kEngineering), unit);
    EXPECT_EQ(Find(pane, L"Structure test unit", kAcme), 0);

    // Deleted from its own context menu after the box.
    ScriptedMessageBoxAnswerer boxes;
    std::wstring text;
    boxes.Expect([&](CTWndMessageBox& box, HWND) {
        text = box.m_text;
        box.Press(21);
    });
    SetFocus(pane->m_tree.m_hWnd);
    TreeView_SelectItem(pane->m_tree.m_hWnd, pane->TreeItemOf(unit));
    Settle(*s_app);
    {
        MenuChoice choose(DlgStructure::kCmdDelete);
        SendMessageW(pane->m_hWnd, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    }
    EXPECT_EQ(text, L"Are you sure you want to delete OU 'Renamed test unit'?");
    ASSERT_TRUE(PumpUntil(*s_app, [&] { return pane->FindObject(unit) == nullptr; }));
    Settle(*s_app);
    ASSERT_TRUE(Reload(pane));
    EXPECT_EQ(pane->FindObject(unit), nullptr);
}
