// The editable list box against a parent that logs every notification and command and answers
// from a script: adding, in-place edits and their vetoes, browsing, deleting, moving, sorting,
// type-ahead, drag reordering, the toolbar and its context menu, and mark-up items.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "controls/CTListBoxEx.h"
#include "framework/CTMenu.h"
#include "framework/PopupMenuDriver.h"

namespace {

constexpr int kId = 300;
constexpr int kHostX = 860, kHostY = 40;

struct Notice {
    UINT code = 0;
    int index = -1;
    std::wstring text;
    __int64 value = 0;
    int from = -1, to = -1;  // code 6
    int command = 0;         // codes 13 and 14
};

struct Command {
    WPARAM wParam;
    LPARAM lParam;
};

struct Script {
    std::vector<Notice> notices;
    std::vector<Command> commands;
    std::map<UINT, LRESULT> answers;                               // by code; 0 when absent
    std::function<void(CTListBoxExNotify&)> rewrite;               // codes 3 and 8
    std::function<LRESULT(const CTListBoxExMenuNotify&)> menu;     // codes 13 and 14
    bool keepKillFocus = false;
};

Script& S()
{
    static Script script;
    return script;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        Notice n;
        n.code = hdr->code;
        if (hdr->code == CTListBoxEx::NotifyMoving) {
            auto* m = reinterpret_cast<CTListBoxExMoveNotify*>(lParam);
            n.from = m->from;
            n.to = m->to;
        } else if (hdr->code == CTListBoxEx::NotifyMenuSubMenu || hdr->code == CTListBoxEx::NotifyMenuIcon) {
            auto* m = reinterpret_cast<CTListBoxExMenuNotify*>(lParam);
            n.command = m->command;
            S().notices.push_back(n);
            return S().menu ? S().menu(*m) : 0;
        } else if (hdr->code <= CTListBoxEx::NotifyMarkupDown) {
            auto* r = reinterpret_cast<CTListBoxExNotify*>(lParam);
            n.index = r->index;
            n.text = r->text.GetBuffer() ? r->text.GetBuffer() : L"";
            n.value = r->value;
            if ((hdr->code == CTListBoxEx::NotifyEditEnd || hdr->code == CTListBoxEx::NotifyBrowse) && S().rewrite)
                S().rewrite(*r);
        }
        S().notices.push_back(n);
        auto found = S().answers.find(hdr->code);
        return found == S().answers.end() ? 0 : found->second;
    }
    if (msg == WM_COMMAND) {
        // The inner list's focus loss comes with every focus move; only its own test looks at it.
        if (HIWORD(wParam) != CTListBoxEx::CommandKillFocus || S().keepKillFocus) S().commands.push_back({wParam, lParam});
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

void SetCtrl(bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

class ListBoxTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    CTListBoxEx* box = nullptr;

    static void SetUpTestSuite()
    {
        HINSTANCE module = GetModuleHandleW(nullptr);
        CTListBoxEx::RegisterClass(module);
        WNDCLASSEXW wc = {sizeof(wc)};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = module;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"ListBoxExTestHost";
        RegisterClassExW(&wc);
    }

    void Make(DWORD flags, const CTListBoxEx::CreateInfo& info = {}, const wchar_t* caption = L"Items")
    {
        host = CreateWindowExW(WS_EX_TOPMOST, L"ListBoxExTestHost", L"host", WS_POPUP | WS_VISIBLE, kHostX, kHostY,
                               260, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        CreateWindowExW(0, CTListBoxEx::kClassName, caption, WS_CHILD | WS_VISIBLE, 0, 0, 240, 280, host,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)), GetModuleHandleW(nullptr), nullptr);
        box = new CTListBoxEx();
        ASSERT_TRUE(box->Create(host, kId, flags, info));
        ::SetFocus(box->m_list.m_hWnd);
        Pump();
        Reset();
    }

    void Reset()
    {
        S().notices.clear();
        S().commands.clear();
        S().answers.clear();
        S().rewrite = nullptr;
        S().menu = nullptr;
        S().keepKillFocus = false;
    }

    void TearDown() override
    {
        SetCtrl(false);
        ReleaseCapture();
        PopupMenuDriver::Install(nullptr);
        if (host) DestroyWindow(host);
        delete box;
        host = nullptr;
        box = nullptr;
        Pump();
        Reset();
    }

    HWND List() { return box->m_list.m_hWnd; }
    void Key(UINT vk) { ::SendMessageW(List(), WM_KEYDOWN, vk, 0); }
    void Char(HWND to, wchar_t ch) { ::SendMessageW(to, WM_CHAR, ch, 0); }

    void Fill(std::initializer_list<const wchar_t*> texts)
    {
        __int64 v = 1;
        for (const wchar_t* t : texts) box->m_list.AddItem(t, nullptr, v++, -1);
        Reset();
    }

    std::vector<std::wstring> Texts()
    {
        std::vector<std::wstring> out;
        for (int i = 0; i < box->m_list.GetCount(); ++i) {
            CTString t;
            box->GetItem(i, &t, nullptr, nullptr);
            out.push_back(t.GetBuffer() ? t.GetBuffer() : L"");
        }
        return out;
    }

    std::vector<UINT> Codes()
    {
        std::vector<UINT> out;
        for (const Notice& n : S().notices) out.push_back(n.code);
        return out;
    }

    RECT ItemRect(int index)
    {
        RECT rc = {};
        ::SendMessageW(List(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        return rc;
    }

    POINT ScreenCentre(int index)
    {
        RECT rc = ItemRect(index);
        POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ClientToScreen(List(), &pt);
        return pt;
    }

    LRESULT Drag(UINT what, int index)
    {
        DRAGLISTINFO info = {what, List(), ScreenCentre(index)};
        return ::SendMessageW(box->m_hWnd, box->m_dragMessage, kId, reinterpret_cast<LPARAM>(&info));
    }
};

TEST_F(ListBoxTest, InsertOpensAnEditOnANewItemAndEscapeTakesItAway)
{
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagEdit);
    Fill({L"a", L"b"});
    ::SendMessageW(List(), LB_SETCURSEL, 1, 0);

    Key(VK_INSERT);
    EXPECT_EQ(Codes(), (std::vector<UINT>{1, 2, 10}));
    EXPECT_EQ(S().notices[0].index, -1);
    EXPECT_EQ(S().notices[1].index, 2);
    ASSERT_TRUE(box->m_list.EditOpen());
    EXPECT_EQ(GetFocus(), box->m_list.m_edit.m_hWnd);
    EXPECT_EQ(Texts().size(), 3u);

    Reset();
    Char(box->m_list.m_edit.m_hWnd, VK_ESCAPE);
    EXPECT_FALSE(box->m_list.EditOpen());
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(box->m_list.GetSelection(), 1);
    EXPECT_EQ(GetFocus(), List());
    EXPECT_EQ(Codes(), (std::vector<UINT>{5}));  // the item left; no end of edit is reported
}

TEST_F(ListBoxTest, EndOfEditFollowsTheParentsAnswer)
{
    struct Case {
        LRESULT answer;
        bool rewrite;
        const wchar_t* expected;
        __int64 value;
    } cases[] = {
        {0, false, L"a", 1},             // refused: the old text comes back
        {2, false, L"a", 1},             // anything but 1 refuses
        {1, false, L"ax", 1},            // accepted as typed
        {1, true, L"rewritten", 42},     // accepted with the parent's record
    };
    for (const Case& c : cases) {
        Make(CTListBoxEx::FlagEdit);
        Fill({L"a", L"b"});
        ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
        S().answers[3] = c.answer;
        if (c.rewrite)
            S().rewrite = [](CTListBoxExNotify& r) {
                r.text = L"rewritten";
                r.value = 42;
            };
        Char(List(), L'x');  // typing opens the edit with the item text and the character
        ASSERT_TRUE(box->m_list.EditOpen());
        CTString typed;
        GetWindowTextString(box->m_list.m_edit.m_hWnd, typed);
        EXPECT_STREQ(typed.GetBuffer(), L"ax");
        Char(box->m_list.m_edit.m_hWnd, VK_RETURN);
        EXPECT_FALSE(box->m_list.EditOpen());
        ASSERT_EQ(Codes(), (std::vector<UINT>{3}));
        EXPECT_EQ(S().notices[0].text, L"ax");
        EXPECT_EQ(S().notices[0].index, 0);
        CTString text;
        __int64 value = 0;
        box->GetItem(0, &text, nullptr, &value);
        EXPECT_STREQ(text.GetBuffer(), c.expected) << c.answer;
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(GetFocus(), List());
        TearDown();
    }
}

TEST_F(ListBoxTest, ARefusedNewItemIsRemovedAndFocusLossEndsTheEdit)
{
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagEdit);
    Fill({L"a"});
    Key(VK_INSERT);
    ASSERT_TRUE(box->m_list.EditOpen());
    ::SetWindowTextW(box->m_list.m_edit.m_hWnd, L"new");
    Reset();
    ::SetFocus(host);  // leaving the edit ends it
    EXPECT_FALSE(box->m_list.EditOpen());
    EXPECT_EQ(Codes(), (std::vector<UINT>{3, 5}));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a"}));
}

TEST_F(ListBoxTest, MovingARefusedNewItemOrEmptyingTheListLeavesNoStaleEdit)
{
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagEdit | CTListBoxEx::FlagReorder);
    Fill({L"a", L"b"});
    Key(VK_INSERT);
    ASSERT_TRUE(box->m_list.EditOpen());
    Reset();
    // Moving ends the edit first; the parent refuses the new item, so there is nothing left to move.
    EXPECT_FALSE(box->m_list.Move(2, 1));
    EXPECT_EQ(Codes(), (std::vector<UINT>{6, 3, 5}));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_FALSE(box->m_list.EditOpen());

    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    Char(List(), L'x');
    ASSERT_TRUE(box->m_list.EditOpen());
    Reset();
    box->DeleteAll();  // the open edit goes with the items, uncommitted
    EXPECT_FALSE(box->m_list.EditOpen());
    box->m_list.AddItem(L"fresh", nullptr, 5, -1);
    ::SetFocus(host);
    for (UINT code : Codes()) EXPECT_NE(code, static_cast<UINT>(CTListBoxEx::NotifyEditEnd));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"fresh"}));
}

TEST_F(ListBoxTest, VetoesLeaveTheListAsItWas)
{
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagDelete | CTListBoxEx::FlagReorder);
    Fill({L"a", L"b", L"c"});
    S().answers[1] = 1;
    EXPECT_EQ(box->m_list.AddItem(L"x", nullptr, 9, -1), -1);
    EXPECT_EQ(Codes(), (std::vector<UINT>{1}));
    EXPECT_EQ(S().notices[0].text, L"x");
    EXPECT_EQ(S().notices[0].value, 9);

    Reset();
    S().answers[4] = 1;
    ::SendMessageW(List(), LB_SETCURSEL, 1, 0);
    Key(VK_DELETE);
    EXPECT_EQ(Codes(), (std::vector<UINT>{4}));
    EXPECT_EQ(S().notices[0].text, L"b");

    Reset();
    S().answers[6] = 1;
    EXPECT_FALSE(box->m_list.Move(0, 2));
    EXPECT_EQ(Codes(), (std::vector<UINT>{6}));
    EXPECT_EQ(S().notices[0].from, 0);
    EXPECT_EQ(S().notices[0].to, 2);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"b", L"c"}));

    Reset();
    ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_FALSE(box->m_list.DeleteItem(-1));  // nothing selected: code 4 with -1 alone
    EXPECT_EQ(Codes(), (std::vector<UINT>{4}));
    EXPECT_EQ(S().notices[0].index, -1);
    EXPECT_FALSE(box->m_list.DeleteItem(7));
}

TEST_F(ListBoxTest, DeleteRemovesTheItemAndSelectsThePreviousOne)
{
    Make(CTListBoxEx::FlagDelete);
    Fill({L"a", L"b", L"c", L"d"});
    ::SendMessageW(List(), LB_SETCURSEL, 3, 0);
    Key(VK_DELETE);
    EXPECT_EQ(Codes(), (std::vector<UINT>{4, 5, 10}));
    EXPECT_EQ(S().notices[1].text, L"d");
    EXPECT_EQ(box->m_list.GetSelection(), 2);
    ::SendMessageW(List(), LB_SETCURSEL, 1, 0);
    Key(VK_BACK);
    EXPECT_EQ(box->m_list.GetSelection(), 0);  // index 0 or 1 deleted: the first
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"c"}));

    Reset();
    box->DeleteAll();
    EXPECT_EQ(Codes(), (std::vector<UINT>{10}));  // emptied without code 5
    EXPECT_EQ(S().notices[0].index, -1);
    EXPECT_TRUE(box->m_list.m_items.IsEmpty());
}

TEST_F(ListBoxTest, PostingFlagHandsAddAndDeleteToTheParent)
{
    CTListBoxEx::Button buttons[] = {{10, 0xFFFF, 0}, {11, 0xFFFF, 0}};
    CTListBoxEx::CreateInfo info;
    info.buttons = buttons;
    info.buttonCount = 2;
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagDelete | CTListBoxEx::FlagEdit | CTListBoxEx::FlagToolbar |
             CTListBoxEx::FlagPostAddDelete | CTListBoxEx::FlagPostEscape,
         info);
    Fill({L"a"});
    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    ::SendMessageW(box->m_hWnd, WM_COMMAND, 11, reinterpret_cast<LPARAM>(box->m_toolbar.m_hWnd));
    Key(VK_INSERT);
    Key(VK_ESCAPE);
    EXPECT_TRUE(S().commands.empty());  // posted, not sent
    Pump();
    ASSERT_EQ(S().commands.size(), 3u);
    EXPECT_EQ(S().commands[0].wParam, MAKEWPARAM(kId, 11));
    EXPECT_EQ(S().commands[1].wParam, MAKEWPARAM(kId, 10));
    EXPECT_EQ(S().commands[2].wParam, MAKEWPARAM(kId, 27));
    EXPECT_EQ(S().commands[0].lParam, reinterpret_cast<LPARAM>(box->m_hWnd));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a"}));
    EXPECT_FALSE(box->m_list.EditOpen());
    EXPECT_TRUE(S().notices.empty());
}

TEST_F(ListBoxTest, MovesWithCtrlArrowsAndNotTheFirstUpOrTheLastDown)
{
    Make(CTListBoxEx::FlagReorder);
    Fill({L"a", L"b", L"c"});
    SetCtrl(true);
    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    Key(VK_UP);
    ::SendMessageW(List(), LB_SETCURSEL, 2, 0);
    Key(VK_DOWN);
    Key(VK_RIGHT);
    EXPECT_TRUE(S().notices.empty());

    ::SendMessageW(List(), LB_SETCURSEL, 1, 0);
    Key(VK_DOWN);
    EXPECT_EQ(Codes(), (std::vector<UINT>{6, 7, 10}));
    EXPECT_EQ(S().notices[0].from, 1);
    EXPECT_EQ(S().notices[0].to, 2);
    EXPECT_EQ(S().notices[1].index, 2);
    EXPECT_EQ(S().notices[1].text, L"b");
    EXPECT_EQ(S().notices[1].value, 2);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"c", L"b"}));
    EXPECT_EQ(box->m_list.GetSelection(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(box->m_list.GetSelection(), 1);
}

TEST_F(ListBoxTest, SortedListComparesDigitTextsAsNumbers)
{
    Make(CTListBoxEx::FlagSorted);
    Fill({L"10", L"9a", L"", L"b", L"9", L"A", L"0010000000000000000000000", L"99"});
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"9", L"10", L"99", L"0010000000000000000000000", L"9a", L"A",
                                                  L"b", L""}));
}

int Descending(void* context, __int64 a, __int64 b)
{
    ++*static_cast<int*>(context);
    return a < b ? 1 : (a > b ? -1 : 0);
}

TEST_F(ListBoxTest, CompareCallbackOrdersByValue)
{
    int calls = 0;
    CTListBoxEx::CreateInfo info;
    info.compare = Descending;
    info.context = &calls;
    Make(CTListBoxEx::FlagSorted, info);
    Fill({L"a", L"b", L"c"});  // values 1, 2, 3
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_GT(calls, 0);
}

TEST_F(ListBoxTest, TypeAheadSelectsTheFirstItemNotLessAndEndsWithItsTimer)
{
    Make(CTListBoxEx::FlagSorted);
    Fill({L"cherry", L"apple", L"banana"});
    Key(VK_F3);
    EXPECT_TRUE(box->m_list.m_searchMode);
    Char(List(), L'b');
    EXPECT_EQ(box->m_list.GetSelection(), 1);
    Char(List(), L'z');  // "bz": only "cherry" is not less
    EXPECT_EQ(box->m_list.GetSelection(), 2);
    Char(List(), L'z');
    Char(List(), L'z');
    EXPECT_STREQ(box->m_list.m_search.GetBuffer(), L"bzzz");
    ::SendMessageW(List(), WM_TIMER, 1, 0);  // two seconds without a key
    EXPECT_FALSE(box->m_list.m_searchMode);
    EXPECT_TRUE(box->m_list.m_search.IsEmpty());
    Char(List(), L'a');  // no longer searching
    EXPECT_EQ(box->m_list.GetSelection(), 2);

    SetCtrl(true);
    Key('F');
    SetCtrl(false);
    Char(List(), L'z');  // everything is less: nothing selected
    EXPECT_EQ(box->m_list.GetSelection(), -1);
}

TEST_F(ListBoxTest, DraggingBelowTheSelectionMarksTheGapAndDropsAfterTheHoveredItem)
{
    Make(CTListBoxEx::FlagReorder);
    Fill({L"a", L"b", L"c", L"d"});
    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    EXPECT_EQ(Drag(DL_BEGINDRAG, 0), TRUE);
    EXPECT_EQ(box->m_list.m_dropTarget, 0);
    EXPECT_EQ(Drag(DL_DRAGGING, 2), DL_MOVECURSOR);
    EXPECT_EQ(box->m_list.m_dropTarget, 3);  // the gap under "c"
    DRAGLISTINFO off = {DL_DRAGGING, List(), {kHostX - 50, kHostY + 10}};
    EXPECT_EQ(::SendMessageW(box->m_hWnd, box->m_dragMessage, kId, reinterpret_cast<LPARAM>(&off)), DL_STOPCURSOR);
    EXPECT_EQ(box->m_list.m_dropTarget, -1);
    Drag(DL_DRAGGING, 2);
    Drag(DL_DROPPED, 2);
    EXPECT_EQ(box->m_list.m_dropTarget, -1);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"b", L"c", L"a", L"d"}));
    EXPECT_EQ(Codes(), (std::vector<UINT>{6, 7, 10}));

    Reset();
    Drag(DL_BEGINDRAG, 2);
    Drag(DL_DRAGGING, 0);
    EXPECT_EQ(box->m_list.m_dropTarget, 0);  // above the selection: the hovered item's top
    Drag(DL_DROPPED, 0);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));

    Reset();
    Drag(DL_BEGINDRAG, 0);
    Drag(DL_CANCELDRAG, 3);
    EXPECT_EQ(box->m_list.m_dropTarget, -1);
    Drag(DL_DROPPED, 0);  // onto itself
    EXPECT_TRUE(S().notices.empty());
}

TEST_F(ListBoxTest, DragIsRefusedWithoutReordering)
{
    Make(0);
    Fill({L"a", L"b"});
    EXPECT_EQ(Drag(DL_BEGINDRAG, 0), 0);
}

TEST_F(ListBoxTest, BrowseAddsOrReplacesFromTheParentsRecord)
{
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagBrowse);
    Fill({L"a"});
    ::SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    S().answers[8] = 1;
    S().rewrite = [](CTListBoxExNotify& r) {
        r.text = L"picked";
        r.value = 7;
    };
    Key(VK_INSERT);
    EXPECT_EQ(Codes(), (std::vector<UINT>{8, 1, 2, 10}));
    EXPECT_EQ(S().notices[0].index, -1);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"picked"}));
    EXPECT_EQ(box->GetSelectedValue(), 7);

    Reset();
    S().answers[8] = 1;
    S().rewrite = [](CTListBoxExNotify& r) {
        r.text = L"other";
        r.value = 8;
    };
    ::SendMessageW(List(), WM_LBUTTONDBLCLK, 0, 0);  // an edit request browses on this list
    EXPECT_EQ(Codes(), (std::vector<UINT>{8, 10}));
    EXPECT_EQ(S().notices[0].index, 1);
    EXPECT_EQ(S().notices[0].text, L"picked");
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"other"}));
    EXPECT_EQ(box->FindByValue(8), 1);
    Pump();
    ASSERT_FALSE(S().commands.empty());
    EXPECT_EQ(S().commands[0].wParam, MAKEWPARAM(kId, 14));

    Reset();
    Char(List(), L'q');  // refused: nothing changes
    EXPECT_EQ(Codes(), (std::vector<UINT>{8}));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"a", L"other"}));
}

TEST_F(ListBoxTest, BrowseButtonFillsAnOpenEditAndEndsIt)
{
    Make(CTListBoxEx::FlagEdit | CTListBoxEx::FlagBrowse);
    Fill({L"a"});
    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    Char(List(), L'b');
    ASSERT_TRUE(box->m_list.m_button.m_hWnd);
    RECT edit = {}, button = {};
    GetWindowRect(box->m_list.m_edit.m_hWnd, &edit);
    GetWindowRect(box->m_list.m_button.m_hWnd, &button);
    EXPECT_LT(edit.right, button.left);
    Char(box->m_list.m_edit.m_hWnd, VK_TAB);
    EXPECT_EQ(GetFocus(), box->m_list.m_button.m_hWnd);  // the edit stays open
    ASSERT_TRUE(box->m_list.EditOpen());

    S().answers[8] = 1;
    S().answers[3] = 1;
    S().rewrite = [](CTListBoxExNotify& r) {
        if (r.hdr.code == 8) r.text = L"browsed";
    };
    ::SendMessageW(List(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(box->m_list.m_button.m_hWnd));
    EXPECT_EQ(Codes(), (std::vector<UINT>{8, 3}));
    EXPECT_EQ(S().notices[0].text, L"ab");
    EXPECT_EQ(S().notices[1].text, L"browsed");
    EXPECT_FALSE(box->m_list.EditOpen());
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"browsed"}));
}

struct MenuSeen {
    std::vector<std::wstring> texts;
    std::vector<UINT> ids;
    std::vector<bool> grayed;
    std::vector<bool> subMenu;
    int subItems = 0;
    int subImage = -1;  // the image of the first sub-menu item, from its drawing record
};

class PickingDriver : public PopupMenuDriver {
public:
    UINT pick = 0;
    MenuSeen seen;
    UINT ChooseCommand(HMENU menu, UINT, int, int, HWND) override
    {
        int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            wchar_t text[64] = {};
            MENUITEMINFOW mii = {sizeof(mii)};
            mii.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
            mii.dwTypeData = text;
            mii.cch = 63;
            GetMenuItemInfoW(menu, i, TRUE, &mii);
            seen.texts.push_back(text);
            seen.ids.push_back(mii.wID);
            seen.grayed.push_back((mii.fState & MFS_GRAYED) != 0);
            seen.subMenu.push_back(mii.hSubMenu != nullptr);
            if (mii.hSubMenu) {
                seen.subItems += GetMenuItemCount(mii.hSubMenu);
                MENUITEMINFOW sub = {sizeof(sub)};
                sub.fMask = MIIM_DATA;
                if (GetMenuItemInfoW(mii.hSubMenu, 0, TRUE, &sub) && sub.dwItemData)
                    seen.subImage = reinterpret_cast<CTMenuItemData*>(sub.dwItemData)->image;
            }
        }
        return pick;
    }
};

TEST_F(ListBoxTest, ContextMenuMirrorsTheToolbarAndSendsTheChosenCommand)
{
    CTListBoxEx::Button buttons[] = {{10, 0xFFFF, 0}, {11, 0xFFFF, 0}, {12, 0xFFFF, 0}, {20, 0, 0}, {21, 0, 0}};
    CTListBoxEx::CreateInfo info;
    info.buttons = buttons;
    info.buttonCount = 5;
    Make(CTListBoxEx::FlagAdd | CTListBoxEx::FlagToolbar, info);  // no delete, no reorder
    EXPECT_EQ(::SendMessageW(box->m_toolbar.m_hWnd, TB_BUTTONCOUNT, 0, 0), 3);
    TBBUTTONINFOW tbi = {sizeof(tbi)};
    tbi.dwMask = TBIF_STYLE;
    tbi.fsStyle = BTNS_DROPDOWN;
    ::SendMessageW(box->m_toolbar.m_hWnd, TB_SETBUTTONINFOW, 21, reinterpret_cast<LPARAM>(&tbi));
    ::SendMessageW(box->m_toolbar.m_hWnd, TB_SETSTATE, 20, 0);  // disabled
    RECT strip = {};
    GetWindowRect(box->m_toolbar.m_hWnd, &strip);
    RECT list = {};
    GetWindowRect(List(), &list);
    EXPECT_GE(list.top, strip.bottom);  // the list sits below the caption strip

    Fill({L"a", L"b"});
    S().menu = [](const CTListBoxExMenuNotify& m) -> LRESULT {
        if (m.hdr.code == 13) {
            HMENU sub = CreatePopupMenu();
            AppendMenuW(sub, MF_STRING, 500, L"Five hundred");
            return reinterpret_cast<LRESULT>(sub);
        }
        static HICON icon = [] {
            BYTE andMask[32 * 4] = {}, xorMask[32 * 4];
            memset(xorMask, 0x33, sizeof(xorMask));
            return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
        }();
        return reinterpret_cast<LRESULT>(icon);  // code 14: the sub-menu item's icon
    };
    PickingDriver driver;
    driver.pick = 20;
    PopupMenuDriver::Install(&driver);
    POINT pt = ScreenCentre(1);
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(pt.x, pt.y));
    ASSERT_EQ(driver.seen.ids.size(), 3u);
    EXPECT_EQ(driver.seen.ids[0], 10u);
    EXPECT_EQ(driver.seen.ids[1], 20u);
    EXPECT_EQ(driver.seen.grayed, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(driver.seen.subMenu, (std::vector<bool>{false, false, true}));  // the drop-down button
    EXPECT_EQ(driver.seen.subItems, 1);
    EXPECT_GE(driver.seen.subImage, ImageList_GetImageCount(box->m_toolbar.m_images));  // added to the menu's copy
    EXPECT_EQ(box->m_list.GetSelection(), 1);  // the item under the pointer was selected
    std::vector<UINT> codes = Codes();
    EXPECT_EQ(codes, (std::vector<UINT>{10, 13, 14}));
    EXPECT_EQ(S().notices[1].command, 21);
    EXPECT_EQ(S().notices[2].command, 500);
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].wParam, 20u);
    EXPECT_EQ(S().commands[0].lParam, reinterpret_cast<LPARAM>(box->m_hWnd));

    Reset();
    driver.pick = 0;  // dismissed: a command 0 still reaches the parent
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(-1, -1));
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].wParam, 0u);

    Reset();
    driver.pick = 10;  // the add command works from the menu
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(-1, -1));
    EXPECT_EQ(Texts().size(), 3u);
    EXPECT_TRUE(S().commands.empty());

    Reset();
    EnableWindow(box->m_hWnd, FALSE);  // disabled: no menu
    driver.seen = {};
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(-1, -1));
    EXPECT_TRUE(driver.seen.ids.empty());
    EXPECT_EQ(::SendMessageW(box->m_toolbar.m_hWnd, TB_GETSTATE, 10, 0) & TBSTATE_ENABLED, 0);
    EnableWindow(box->m_hWnd, TRUE);
    EXPECT_NE(::SendMessageW(box->m_toolbar.m_hWnd, TB_GETSTATE, 10, 0) & TBSTATE_ENABLED, 0);
}

LRESULT Hook(void* context, WPARAM, NMHDR* hdr, LRESULT*)
{
    static_cast<std::vector<UINT>*>(context)->push_back(hdr->code);
    return 0;
}

// Dark pixels in the caption strip left of the toolbar, as the control prints itself.
int CaptionInk(CTListBoxEx& box)
{
    RECT client = {}, toolbar = {};
    GetClientRect(box.m_hWnd, &client);
    GetWindowRect(box.m_toolbar.m_hWnd, &toolbar);
    MapWindowPoints(nullptr, box.m_hWnd, reinterpret_cast<POINT*>(&toolbar), 2);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(mem, bitmap);
    ::SendMessageW(box.m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_ERASEBKGND);
    int ink = 0;
    for (int y = 0; y < toolbar.bottom; ++y)
        for (int x = 0; x < toolbar.left; ++x) {
            COLORREF c = GetPixel(mem, x, y);
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++ink;
        }
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ink;
}

TEST_F(ListBoxTest, ToolbarMovesItemsAndItsOtherNotificationsReachTheHookAndTheParent)
{
    std::vector<UINT> hooked;
    CTListBoxEx::Button buttons[] = {{12, 0xFFFF, 0}, {13, 0xFFFF, 0}, {30, 0, 0}};
    CTListBoxEx::CreateInfo info;
    info.buttons = buttons;
    info.buttonCount = 3;
    info.hook = Hook;
    info.context = &hooked;
    Make(CTListBoxEx::FlagReorder | CTListBoxEx::FlagToolbar | CTListBoxEx::FlagHookNotify, info);
    Fill({L"a", L"b", L"c"});
    HWND toolbar = box->m_toolbar.m_hWnd;
    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    ::SendMessageW(box->m_hWnd, WM_COMMAND, 13, reinterpret_cast<LPARAM>(toolbar));
    ::SendMessageW(box->m_hWnd, WM_COMMAND, 13, reinterpret_cast<LPARAM>(toolbar));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"b", L"c", L"a"}));
    ::SendMessageW(box->m_hWnd, WM_COMMAND, 12, reinterpret_cast<LPARAM>(toolbar));
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"b", L"a", L"c"}));
    EXPECT_TRUE(S().commands.empty());
    ::SendMessageW(box->m_hWnd, WM_COMMAND, 30, reinterpret_cast<LPARAM>(toolbar));
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].wParam, 30u);  // the bare command id

    Reset();
    NMTOOLBARW drop = {};
    drop.hdr.hwndFrom = toolbar;
    drop.hdr.idFrom = 0;
    drop.hdr.code = TBN_DROPDOWN;
    drop.iItem = 30;
    hooked.clear();
    ::SendMessageW(box->m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&drop));
    EXPECT_EQ(hooked, (std::vector<UINT>{static_cast<UINT>(TBN_DROPDOWN)}));
    ASSERT_EQ(Codes(), (std::vector<UINT>{static_cast<UINT>(TBN_DROPDOWN)}));  // passed on as the control's own
    EXPECT_EQ(drop.hdr.hwndFrom, box->m_hWnd);
    EXPECT_EQ(drop.hdr.idFrom, static_cast<UINT_PTR>(kId));
}

TEST_F(ListBoxTest, CaptionStripShowsTheWindowText)
{
    CTListBoxEx::Button buttons[] = {{30, 0, 0}};
    CTListBoxEx::CreateInfo info;
    info.buttons = buttons;
    info.buttonCount = 1;
    Make(CTListBoxEx::FlagToolbar, info, L"Caption text");
    EXPECT_GT(CaptionInk(*box), 0);
    ::SetWindowTextW(box->m_hWnd, L"");
    EXPECT_EQ(CaptionInk(*box), 0);
}

TEST_F(ListBoxTest, BrowserBackIsPostedToTheParent)
{
    Make(0);
    EXPECT_EQ(::SendMessageW(List(), WM_APPCOMMAND, reinterpret_cast<WPARAM>(List()),
                             MAKELPARAM(0, APPCOMMAND_BROWSER_BACKWARD)),
              TRUE);
    Pump();
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].wParam, MAKEWPARAM(kId, 16));
}

struct MarkupLog {
    std::vector<std::pair<__int64, int>> calls;  // value, state
};

void Markup(void* context, __int64 value, int state, CTString& text)
{
    static_cast<MarkupLog*>(context)->calls.push_back({value, state});
    CTString out;
    out.Format(L"<Div><Tab id=\"go\" width=\"40\" height=\"16\" on-click=\"%d\" hot-track=\"#FF0000\"/>"
               L"<Text>%s</Text></Div>",
               static_cast<int>(value) * 10, text.GetBuffer() ? text.GetBuffer() : L"");
    text = out;
}

TEST_F(ListBoxTest, MarkupItemsAreBuiltPerDrawStateAndReportTheirClicks)
{
    MarkupLog log;
    CTListBoxEx::CreateInfo info;
    info.itemHeight = 20;
    info.markup = Markup;
    info.context = &log;
    Make(CTListBoxEx::FlagMarkup, info);
    Fill({L"one", L"two"});
    ::SetFocus(List());
    UpdateWindow(List());
    RedrawWindow(List(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto callsFor = [&](__int64 value) {
        int n = 0;
        for (auto& c : log.calls) n += c.first == value;
        return n;
    };
    EXPECT_EQ(callsFor(2), 1);  // painted twice, built once
    EXPECT_EQ(log.calls.back().second & CTListBoxEx::StateSelected, 0);

    box->m_list.RedrawItem(1, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(callsFor(2), 2);  // its state was forgotten

    RECT go = {};
    CTListBoxEx::CData* two = box->m_list.GetData(1);
    ASSERT_TRUE(two->doc.FindById(L"go", &go));
    RECT item = ItemRect(1);
    EXPECT_GE(go.top, item.top);
    int x = (go.left + go.right) / 2, y = (go.top + go.bottom) / 2;

    ::SendMessageW(List(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    EXPECT_EQ(GetCapture(), List());
    ASSERT_NE(box->m_list.GetData(1)->doc.hot, nullptr);

    Reset();
    ::SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    EXPECT_EQ(box->m_list.GetSelection(), 1);
    EXPECT_EQ(log.calls.back(), (std::pair<__int64, int>{2, CTListBoxEx::StateSelected | CTListBoxEx::StateFocused}));
    ::SendMessageW(List(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_EQ(Codes(), (std::vector<UINT>{10, 12, 11}));
    EXPECT_EQ(S().notices[1].value, 20);
    EXPECT_EQ(S().notices[1].index, 1);
    EXPECT_EQ(S().notices[2].value, 20);

    Reset();
    RECT text = ItemRect(0);
    ::SendMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(text.right - 5, (text.top + text.bottom) / 2));
    ::SendMessageW(List(), WM_LBUTTONUP, 0, MAKELPARAM(text.right - 5, (text.top + text.bottom) / 2));
    EXPECT_EQ(Codes(), (std::vector<UINT>{10}));  // no clickable element there

    RECT client = {};
    GetClientRect(List(), &client);
    ::SendMessageW(List(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ::SendMessageW(List(), WM_MOUSEMOVE, 0, MAKELPARAM(client.right + 30, y));  // leaving the list
    EXPECT_NE(GetCapture(), List());
    EXPECT_EQ(box->m_list.GetData(1)->doc.hot, nullptr);
}

TEST_F(ListBoxTest, SelectionChangeEndsAnEditAndFocusLossIsPassedOn)
{
    Make(CTListBoxEx::FlagEdit);
    Fill({L"a", L"b"});
    ::SendMessageW(List(), LB_SETCURSEL, 0, 0);
    Char(List(), L'z');
    S().answers[3] = 1;
    ::SendMessageW(box->m_hWnd, WM_COMMAND, MAKEWPARAM(kId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(List()));
    EXPECT_EQ(Codes(), (std::vector<UINT>{3, 10}));
    EXPECT_EQ(Texts()[0], L"az");
    S().keepKillFocus = true;
    ::SendMessageW(box->m_hWnd, WM_COMMAND, MAKEWPARAM(kId, LBN_KILLFOCUS), reinterpret_cast<LPARAM>(List()));
    ASSERT_EQ(S().commands.size(), 1u);
    EXPECT_EQ(S().commands[0].wParam, MAKEWPARAM(kId, 5));
}

}  // namespace
