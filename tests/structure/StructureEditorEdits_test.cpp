// The structure editor's changes on a recording server client: the clipboard block, the one-at-a-time
// move and copy queue, dragging rows onto the tree, the "New" menus and their enabling, creating and
// deleting with their boxes.
#include <algorithm>
#include "framework/FakeSeams.h"
#include "structure/StructureClipboard.h"
#include "structure/StructureEditorFixture.h"

using namespace editortest;

namespace {

const std::string kUnits = Obj(11, kOu, kOu, "Engineering", 3) + Obj(12, kOu, kOu, "Sales", 3);
const std::string kSites = Obj(21, kSite, 11, "A", 3) + Obj(22, kSite, 11, "B", 3) + Obj(23, kSite, 11, "C", 3);

// The editor with Engineering listed: its sites A, B and C (21, 22, 23).
struct Listed : Editor {
    Listed()
    {
        Show();
        ExpandRoot(kUnits);
        SelectNode(11, kSites);
    }

    std::string MoveReply(__int64 id, __int64 dest)
    {
        return Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"" + std::to_string(id) + "\" DestID=\"" +
                   std::to_string(dest) + "\"/>" + Obj(id, kSite, dest, "moved", 3));
    }

    // Pastes into a tree node as the context menu does.
    void PasteInto(__int64 destination)
    {
        SetFocus(Tree());
        pane->m_contextObject = destination;
        pane->Paste();
        pane->m_contextObject = 0;
        Pump();
    }

    void CutOrCopyRows(const std::vector<__int64>& ids, bool cut)
    {
        SetFocus(List());
        SelectRows(ids);
        pane->CopyToClipboard(cut);
    }

    std::vector<std::string> Ids(const std::string& path)
    {
        std::vector<std::string> out;
        for (Fields& f : Requests(path))
            out.push_back(f["ID"]);
        return out;
    }
};

std::vector<BYTE> ClipboardBlock(UINT format)
{
    std::vector<BYTE> out;
    if (!OpenClipboard(nullptr))
        return out;
    if (HANDLE data = GetClipboardData(format)) {
        auto* bytes = static_cast<const BYTE*>(GlobalLock(data));
        out.assign(bytes, bytes + GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

std::wstring ClipboardText()
{
    std::wstring out;
    if (!OpenClipboard(nullptr))
        return out;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        out = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

void PutBlock(UINT format, const std::vector<BYTE>& bytes)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
    CloseClipboard();
}

std::vector<BYTE> U32s(std::initializer_list<UINT32> values)
{
    std::vector<BYTE> out;
    for (UINT32 v : values)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<BYTE>(v >> (8 * i)));
    return out;
}

// Records the enabled state of the context menu's items and chooses one command.
class MenuProbe : public PopupMenuDriver {
public:
    explicit MenuProbe(UINT choose = 0) : m_choose(choose) { PopupMenuDriver::Install(this); }
    ~MenuProbe() override { PopupMenuDriver::Install(nullptr); }
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        enabled.clear();
        for (UINT command : {32778u, 32779u, 32780u, 32781u, 32788u, 174u, 32782u})
            enabled[command] = !(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED);
        newEnabled = !(GetMenuState(menu, 0, MF_BYPOSITION) & MF_GRAYED);
        newItems.clear();
        if (HMENU sub = GetSubMenu(menu, 0))
            for (int i = 0; i < GetMenuItemCount(sub); ++i) {
                wchar_t text[64] = {};
                GetMenuStringW(sub, i, text, 64, MF_BYPOSITION);
                newItems.push_back({GetMenuItemID(sub, i), text});
            }
        ++calls;
        return m_choose;
    }
    UINT m_choose;
    std::map<UINT, bool> enabled;
    bool newEnabled = false;
    std::vector<std::pair<UINT, std::wstring>> newItems;
    int calls = 0;
};

// Answers the name prompt with a name.
void ExpectName(ScriptedModalDialogDriver& driver, const wchar_t* name)
{
    driver.Expect([name](CTWnd2&, HWND dialog) {
        SetDlgItemTextW(dialog, 1017, name);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
}

} // namespace

TEST(StructureClipboardBlock, EncodesAndDecodesOnlyWellFormedBlocks)
{
    EXPECT_EQ(StructureClipboard::EncodeIds({12, 34}), U32s({12, 12, 34}));
    EXPECT_EQ(Wide(StructureClipboard::IdsText({12, 34})), L"ID=12,ID=34");
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
        size_t available;
        std::vector<__int64> ids;
    } cases[] = {
        {"two ids", U32s({12, 12, 34}), 12, {12, 34}},
        {"within a larger global block", U32s({8, 7, 99}), 12, {7}},
        {"size below 8", U32s({4, 7}), 8, {}},
        {"size past the global block", U32s({16, 7, 8}), 12, {}},
        {"size not a multiple of 4", U32s({10, 7, 8}), 12, {}},
        {"block shorter than a size", {1, 2}, 2, {}},
    };
    for (const Case& c : cases) {
        std::vector<__int64> ids = {1};
        StructureClipboard::DecodeIds(c.bytes.data(), c.available, ids);
        EXPECT_EQ(ids, c.ids) << c.what;
    }
}

TEST(StructureEditorEdits, CopyPutsTheBlockAndTheTextAndBadBlocksPasteNothing)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    t.CutOrCopyRows({21, 23}, false);
    UINT format = RegisterClipboardFormatW(L"TavikQELDlgStructure");
    std::vector<BYTE> block = ClipboardBlock(format);
    ASSERT_GE(block.size(), 12u);
    block.resize(12);
    EXPECT_EQ(block, U32s({12, 21, 23}));
    EXPECT_EQ(ClipboardText(), L"ID=21,ID=23");

    const size_t sent = t.transport->m_sent.size();
    for (const std::vector<BYTE>& bad : {U32s({4}), U32s({400, 21}), U32s({10, 21, 22})}) {
        PutBlock(format, bad);
        t.PasteInto(12);
        SetFocus(t.List());
        t.pane->Paste();
        t.Pump();
    }
    EXPECT_EQ(t.transport->m_sent.size(), sent);
}

TEST(StructureEditorEdits, PendingIdsLeaveLastFirstOneAfterEachReply)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    t.CutOrCopyRows({21, 22, 23}, true);
    t.PasteInto(12);
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"23"}));
    Fields first = t.Requests("api/api_objMove.php")[0];
    EXPECT_EQ(first, (Fields{{"ID", "23"}, {"DestID", "12"}, {"SERIAL", "4"}}));

    t.Reply("api/api_objMove.php", t.MoveReply(23, 12));
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"23", "22"}));
    EXPECT_EQ(t.ListIds(), (std::vector<__int64>{21, 22})) << "a moved row leaves the list";
    EXPECT_EQ(t.pane->FindObject(23), nullptr);
    t.Reply("api/api_objMove.php", t.MoveReply(22, 12));
    size_t searches = t.transport->CountPath("api/api_objSearch.php");
    t.Reply("api/api_objMove.php", t.MoveReply(21, 12));
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"23", "22", "21"}));
    ASSERT_EQ(t.transport->CountPath("api/api_objSearch.php"), searches + 1);
    EXPECT_EQ(t.Requests("api/api_objSearch.php").back()["PARENT"], "12");
}

TEST(StructureEditorEdits, PasteCopiesAfterCopyAndMovesAfterADrop)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    t.CutOrCopyRows({22}, false);
    t.PasteInto(12);
    ASSERT_EQ(t.Requests("api/api_objCopy.php").size(), 1u);
    EXPECT_EQ(t.Requests("api/api_objCopy.php")[0], (Fields{{"ID", "22"}, {"DestID", "12"}}));
    EXPECT_EQ(t.transport->CountPath("api/api_objMove.php"), 0u);
    t.Reply("api/api_objCopy.php", Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"22\" DestID=\"12\"/>"));
    EXPECT_EQ(t.Requests("api/api_objSearch.php").back()["PARENT"], "12");

    // A confirmed drop makes the queue move, whatever Copy said before.
    ScriptedMessageBoxAnswerer boxes;
    boxes.Expect([](CTWndMessageBox& box, HWND) { box.Press(11); });
    SetFocus(t.List());
    t.SelectRows({21});
    NMLISTVIEW begin = {};
    begin.hdr.hwndFrom = t.List();
    begin.hdr.idFrom = DlgStructure::kIdList;
    begin.hdr.code = LVN_BEGINDRAG;
    SendMessageW(t.pane->m_hWnd, WM_NOTIFY, DlgStructure::kIdList, reinterpret_cast<LPARAM>(&begin));
    RECT rc = {};
    TreeView_GetItemRect(t.Tree(), t.Item(12), &rc, TRUE);
    POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    MapWindowPoints(t.Tree(), t.pane->m_hWnd, &at, 1);
    SendMessageW(t.pane->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(t.pane->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    t.Pump();
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"21"}));

    // Paste after the drop still moves.
    t.Reply("api/api_objMove.php", t.MoveReply(21, 12));
    t.PasteInto(11);
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"21", "22"}));
    EXPECT_EQ(t.transport->CountPath("api/api_objCopy.php"), 1u);
}

TEST(StructureEditorEdits, MoveOntoItselfStopsAndARefusedMoveKeepsTheObject)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    t.CutOrCopyRows({21, 22, 23}, true);
    t.PasteInto(22);
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"23"}));
    size_t searches = t.transport->CountPath("api/api_objSearch.php");
    t.Reply("api/api_objMove.php", t.MoveReply(23, 22));
    EXPECT_EQ(t.Ids("api/api_objMove.php"), (std::vector<std::string>{"23"})) << "22 onto itself stops the queue";
    EXPECT_EQ(t.transport->CountPath("api/api_objSearch.php"), searches);

    // A refused move: its box, the object stays, the queue goes on.
    ScriptedMessageBoxAnswerer boxes;
    std::wstring caption;
    boxes.Expect([&](CTWndMessageBox& box, HWND) {
        caption = box.m_caption;
        box.Press(IDOK);
    });
    t.CutOrCopyRows({21, 22}, true);
    t.PasteInto(12);
    EXPECT_EQ(t.Ids("api/api_objMove.php").back(), "22");
    t.Reply("api/api_objMove.php",
            Doc("<RC id=\"1005\" text=\"The change was refused\"/><parameters ID=\"22\" DestID=\"12\"/>"));
    EXPECT_EQ(caption, L"System Error");
    EXPECT_NE(t.pane->FindObject(22), nullptr);
    std::vector<__int64> listed = t.ListIds();
    EXPECT_NE(std::find(listed.begin(), listed.end(), 22), listed.end());
    EXPECT_NE(t.Item(22), nullptr);
    EXPECT_EQ(t.Ids("api/api_objMove.php").back(), "21");
}

TEST(StructureEditorEdits, DraggingFortyRowsDrawsThirtyAndMovesForty)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    std::string many;
    for (int id = 100; id < 140; ++id)
        many += Obj(id, kUser, 12, "Person " + std::to_string(id), 2);
    t.SelectNode(12, many);
    ASSERT_EQ(t.pane->m_list.GetItemCount(), 40);
    SetFocus(t.List());
    ListView_SetItemState(t.List(), -1, LVIS_SELECTED, LVIS_SELECTED);

    POINT origin = {};
    HIMAGELIST one = ListView_CreateDragImage(t.List(), 0, &origin);
    int cx = 0, rowHeight = 0;
    ImageList_GetIconSize(one, &cx, &rowHeight);
    ImageList_Destroy(one);

    auto beginDrag = [&] {
        NMLISTVIEW begin = {};
        begin.hdr.hwndFrom = t.List();
        begin.hdr.idFrom = DlgStructure::kIdList;
        begin.hdr.code = LVN_BEGINDRAG;
        SendMessageW(t.pane->m_hWnd, WM_NOTIFY, DlgStructure::kIdList, reinterpret_cast<LPARAM>(&begin));
    };

    // Dropped on the list, outside the tree: nothing is asked or sent.
    beginDrag();
    EXPECT_EQ(t.pane->m_dragCount, 40u);
    EXPECT_EQ(t.pane->m_dragImageRows, 30);
    int imageHeight = 0;
    ImageList_GetIconSize(t.pane->m_dragImage, &cx, &imageHeight);
    EXPECT_EQ(imageHeight, 30 * rowHeight);
    RECT list = {};
    GetWindowRect(t.List(), &list);
    POINT inList = {(list.left + list.right) / 2, (list.top + list.bottom) / 2};
    ScreenToClient(t.pane->m_hWnd, &inList);
    const size_t sent = t.transport->m_sent.size();
    SendMessageW(t.pane->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(inList.x, inList.y));
    SendMessageW(t.pane->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(inList.x, inList.y));
    t.Pump();
    EXPECT_EQ(t.transport->m_sent.size(), sent);
    EXPECT_EQ(t.pane->m_dragCount, 0u);

    // Dropped on Engineering after the confirmation that counts the rows: forty moves in turn.
    ScriptedMessageBoxAnswerer boxes;
    std::wstring caption, text;
    boxes.Expect([&](CTWndMessageBox& box, HWND) {
        caption = box.m_caption;
        text = box.m_text;
        box.Press(11);
    });
    beginDrag();
    RECT rc = {};
    TreeView_GetItemRect(t.Tree(), t.Item(11), &rc, TRUE);
    POINT at = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    MapWindowPoints(t.Tree(), t.pane->m_hWnd, &at, 1);
    SendMessageW(t.pane->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    EXPECT_TRUE(TreeView_GetItemState(t.Tree(), t.Item(11), TVIS_DROPHILITED) & TVIS_DROPHILITED);
    SendMessageW(t.pane->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    t.Pump();
    EXPECT_EQ(caption, L"Move items");
    EXPECT_EQ(text, L"Are you sure you want to move 40 items?");
    EXPECT_FALSE(TreeView_GetItemState(t.Tree(), t.Item(11), TVIS_DROPHILITED) & TVIS_DROPHILITED);
    for (int n = 0; n < 40; ++n) {
        std::vector<std::string> ids = t.Ids("api/api_objMove.php");
        ASSERT_EQ(ids.size(), static_cast<size_t>(n + 1));
        EXPECT_EQ(ids.back(), std::to_string(139 - n));
        t.Reply("api/api_objMove.php", t.MoveReply(139 - n, 11));
    }
    EXPECT_EQ(t.transport->CountPath("api/api_objMove.php"), 40u);
    EXPECT_EQ(t.pane->m_list.GetItemCount(), 0);
}

TEST(StructureEditorEdits, NewItemsFollowTheAllowedChildTable)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    struct Case {
        __int64 parentType;
        std::vector<std::pair<UINT, std::wstring>> items;
    } cases[] = {
        {kOu, {{5000, L"OU"}, {5001, L"Site"}, {5002, L"Asset Location"}}},
        {kSite, {{5000, L"Schedule User"}}},
        {kLocation, {}},   // Route [AT] is shown neither in the tree nor in the list
        {0, {{5000, L"OU"}}},
    };
    for (const Case& c : cases) {
        HMENU popup = CreatePopupMenu();
        DlgStructure::NewItems items;
        UINT next = DlgStructure::kFirstNewItem;
        t.pane->FillNewMenu(c.parentType, popup, items, next);
        std::vector<std::pair<UINT, std::wstring>> got;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(popup, i, text, 64, MF_BYPOSITION);
            got.push_back({GetMenuItemID(popup, i), text});
        }
        EXPECT_EQ(got, c.items) << c.parentType;
        DestroyMenu(popup);
    }
}

TEST(StructureEditorEdits, ContextMenuEnablesByTypeName)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    t.SelectNode(12, Obj(31, kLocation, 12, "Store", 3) + Obj(32, kUser, 12, "Ada", 2));
    struct Case {
        const char* what;
        __int64 row;           // a list row to open it on; 0: nothing focused
        bool rename, cutCopyDelete, newEnabled;
    } cases[] = {
        {"asset location", 31, true, true, false},
        {"schedule user", 32, false, true, false},
        {"no context", 0, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MenuProbe probe;
        if (c.row) {
            SetFocus(t.List());
            t.SelectRows({c.row});
        } else {
            SetFocus(t.pane->m_hWnd);
        }
        SendMessageW(t.pane->m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(t.pane->m_hWnd), MAKELPARAM(-1, -1));
        ASSERT_EQ(probe.calls, 1);
        EXPECT_EQ(probe.enabled[32788], c.rename);
        for (UINT command : {32778u, 32779u, 32781u, 32782u})
            EXPECT_EQ(probe.enabled[command], c.cutCopyDelete) << command;
        EXPECT_TRUE(probe.enabled[32780]);
        EXPECT_TRUE(probe.enabled[174]);
        EXPECT_EQ(probe.newEnabled, c.newEnabled);
        EXPECT_EQ(t.pane->m_contextObject, 0);
    }
}

TEST(StructureEditorEdits, NewObjectSendsTheNameFieldOnlyForTypesThatHaveOne)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    ScriptedModalDialogDriver dialogs;

    // On Engineering (an OU) the second item is "Site", whose definition has a name.
    ExpectName(dialogs, L"Leeds");
    {
        MenuProbe probe(5001);
        SetFocus(t.Tree());
        TreeView_SelectItem(t.Tree(), t.Item(11));
        SendMessageW(t.pane->m_hWnd, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
        t.Pump();
    }
    std::vector<Fields> created = t.Requests("api/api_objNew.php");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0], (Fields{{"TYPE", "4"}, {"PARENT", "11"}, {"NAME", "Leeds"}, {"ATTRIBID_1", "Leeds"}}));
    t.Reply("api/api_objNew.php", Children(11, Obj(24, kSite, 11, "Leeds", 3)));
    EXPECT_NE(t.Item(24), nullptr);
    std::vector<__int64> listed = t.ListIds();
    EXPECT_NE(std::find(listed.begin(), listed.end(), 24), listed.end()) << "the listed node is refilled";

    // On a site the only item is "Schedule User", whose definition has no name: NAME alone.
    ExpectName(dialogs, L"Grace");
    {
        MenuProbe probe(5000);
        SetFocus(t.Tree());
        TreeView_SelectItem(t.Tree(), t.Item(21));
        t.Reply("api/api_objSearch.php", Children(21, ""));
        SendMessageW(t.pane->m_hWnd, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
        t.Pump();
    }
    created = t.Requests("api/api_objNew.php");
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[1], (Fields{{"TYPE", "5"}, {"PARENT", "21"}, {"NAME", "Grace"}}));

    // A cancelled prompt sends nothing.
    dialogs.Expect([](CTWnd2& wnd, HWND) { wnd.EndDialog(IDCANCEL); });
    {
        MenuProbe probe(5000);
        SendMessageW(t.pane->m_hWnd, WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
        t.Pump();
    }
    EXPECT_EQ(t.transport->CountPath("api/api_objNew.php"), 2u);
}

TEST(StructureEditorEdits, DeletingThreeRowsAsksOnceAndSendsThree)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    ScriptedMessageBoxAnswerer boxes;
    std::wstring caption, text;
    boxes.Expect([&](CTWndMessageBox& box, HWND) {
        caption = box.m_caption;
        text = box.m_text;
        box.Press(21);
    });
    SetFocus(t.List());
    t.SelectRows({21, 22, 23});
    SendMessageW(t.pane->m_hWnd, WM_COMMAND, DlgStructure::kCmdDelete, 0);
    t.Pump();
    EXPECT_EQ(caption, L"Confirm Multiple Item Delete");
    EXPECT_EQ(text, L"Are you sure you want to delete these 3 items?");
    EXPECT_EQ(t.Ids("api/api_objDelete.php"), (std::vector<std::string>{"21", "22", "23"}));
    EXPECT_EQ(t.Requests("api/api_objDelete.php")[0], (Fields{{"ID", "21"}, {"SERIAL", "4"}}));

    structuretest::AnswerFor(t, "api/api_objDelete.php", 22,
                             Doc("<RC id=\"0\" text=\"\"/><parameters ID=\"22\"/>" + Obj(22, kSite, 11, "B", 3)));
    EXPECT_EQ(t.ListIds(), (std::vector<__int64>{21, 23}));
    EXPECT_EQ(t.Item(22), nullptr);
    EXPECT_EQ(t.pane->FindObject(22), nullptr);

    // A delete in conflict: the status text with the conflicting id, titled "Delete Error".
    boxes.Expect([&](CTWndMessageBox& box, HWND) {
        caption = box.m_caption;
        text = box.m_text;
        box.Press(IDOK);
    });
    structuretest::AnswerFor(t, "api/api_objDelete.php", 23,
                             Doc("<RC id=\"6726\" text=\"The object is in use\" conflictid=\"42\"/>"));
    EXPECT_EQ(caption, L"Delete Error");
    EXPECT_EQ(text, L"api/api_objDelete.php\r\n[6726]: The object is in use\r\nConflict ID: 42");
    EXPECT_NE(t.pane->FindObject(23), nullptr) << "a refused delete keeps the object";

    // Any other refusal: "System Error".
    boxes.Expect([&](CTWndMessageBox& box, HWND) {
        caption = box.m_caption;
        box.Press(IDOK);
    });
    structuretest::AnswerFor(t, "api/api_objDelete.php", 21, Doc("<RC id=\"1005\" text=\"The change was refused\"/>"));
    EXPECT_EQ(caption, L"System Error");
    EXPECT_NE(t.pane->FindObject(21), nullptr);
}

TEST(StructureEditorEdits, DeleteAndPasteWithoutATargetDoNothing)
{
    Listed t;
    ASSERT_NE(t.pane, nullptr);
    // The tree focused with no context object and nothing selected: nothing to delete.
    SetFocus(t.Tree());
    TreeView_SelectItem(t.Tree(), nullptr);
    t.pane->DeleteSelection();
    // Cut rows, then paste with the focus elsewhere or on empty tree space.
    t.CutOrCopyRows({21}, true);
    SetFocus(t.pane->m_hWnd);
    t.pane->m_destination = 12;
    t.pane->Paste();
    t.PasteInto(0);
    t.Pump();
    EXPECT_EQ(t.transport->CountPath("api/api_objDelete.php"), 0u);
    EXPECT_EQ(t.transport->CountPath("api/api_objMove.php"), 0u);
}
