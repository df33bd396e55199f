// The property list: rows and groups, lookups, check-box rows, text editors committed and
// cancelled by each key and by focus loss, the "..." and row buttons, read-only rules, removing
// rows under an open editor, and the splitter.
#include "PropertyListFixture.h"

#include <algorithm>

using namespace proplisttest;

namespace {

CAttribute TextValue(const wchar_t* text)
{
    return CAttribute(CAttribute::Text, text);
}

CAttribute IntValue(__int64 value)
{
    return CAttribute(CAttribute::Integer, value);
}

std::vector<std::wstring> Names(CTWndPropertyList& list)
{
    std::vector<std::wstring> out;
    for (int i = 0; i < list.GetCount(); ++i) {
        CTWndPropertyList::CItem* item = list.GetItem(i);
        std::wstring name = item->GetBuffer() ? item->GetBuffer() : L"";
        out.push_back(item->m_kind == CTWndPropertyList::KindHeading ? L"[" + name + L"]" : name);
    }
    return out;
}

TEST_F(PropertyListTest, RowsGoIntoTheirGroupsAndAreFoundByNameAndData)
{
    EXPECT_EQ(list->FindProperty(CTString(L"a")), -1);  // empty list
    Insert(1, L"a", TextValue(L"1"), L"First", 0, 11);
    Insert(1, L"b", TextValue(L"2"), L"Second", 0, 12);
    Insert(1, L"c", TextValue(L"3"), L"First", 0, 13);   // before the next heading
    Insert(1, L"d", TextValue(L"4"), nullptr, 0, 14);    // appended
    Insert(1, L"e", TextValue(L"5"), L"Second", 0, 15);  // last group: at the end
    EXPECT_EQ(Names(*list), (std::vector<std::wstring>{L"[First]", L"a", L"c", L"[Second]", L"b", L"d", L"e"}));

    EXPECT_EQ(list->FindProperty(CTString(L"c")), 2);
    EXPECT_EQ(list->FindProperty(CTString(L"C")), -1);
    EXPECT_EQ(list->FindProperty(CTString(L"zz")), -1);
    EXPECT_EQ(list->FindPropertyByData(12), 4);
    EXPECT_EQ(list->FindPropertyByData(99), -1);
    EXPECT_EQ(list->GetCurrent(), 1);  // the first row inserted was selected, not its heading

    CTString text;
    __int64 data = 0;
    ASSERT_TRUE(list->GetValueText(2, text, data));
    EXPECT_EQ(std::wstring(text.GetBuffer()), L"3");
    EXPECT_EQ(data, 13);
    EXPECT_TRUE(list->SetValue(2, TextValue(L"x")));
    EXPECT_EQ(ValueText(2), L"x");
    CAttribute out;
    EXPECT_FALSE(list->GetValue(7, out));
    EXPECT_FALSE(list->SetValue(-1, out));
    EXPECT_FALSE(list->GetValueText(99, text, data));

    // Headings are shorter than the other rows; the name column fits the names.
    EXPECT_LT(::SendMessageW(list->m_hWnd, LB_GETITEMHEIGHT, 0, 0), ::SendMessageW(list->m_hWnd, LB_GETITEMHEIGHT, 1, 0));
    RECT client = {};
    GetClientRect(list->m_hWnd, &client);
    EXPECT_GE(list->m_splitter, client.right / 10);
    UpdateWindow(list->m_hWnd);
}

TEST_F(PropertyListTest, CheckBoxRowsToggleOnAClickOrACharacterWithOneNotice)
{
    Insert(1, L"name", TextValue(L"x"));
    int box = Insert(4, L"enabled", IntValue(0));
    ::SetFocus(list->m_hWnd);

    // Arriving on the row changes nothing.
    KeyDown(list->m_hWnd, VK_DOWN);
    ASSERT_EQ(list->GetCurrent(), box);
    EXPECT_EQ(Value(box).GetValue(), 0);
    EXPECT_EQ(Rec().changes, 0);

    ::SetFocus(list->m_hWnd);
    Click(ValuePoint(box));
    EXPECT_EQ(Value(box).GetValue(), 1);
    EXPECT_EQ(Rec().changes, 1);

    Char(list->m_hWnd, L'x');
    EXPECT_EQ(Value(box).GetValue(), 0);
    EXPECT_EQ(Rec().changes, 2);
    UpdateWindow(list->m_hWnd);

    // A click in the name column only selects.
    RECT rc = {};
    ::SendMessageW(list->m_hWnd, LB_GETITEMRECT, box, reinterpret_cast<LPARAM>(&rc));
    Click({list->m_splitter / 2, (rc.top + rc.bottom) / 2});
    EXPECT_EQ(Value(box).GetValue(), 0);

    list->SetListReadOnly(true);
    Click(ValuePoint(box));
    Char(list->m_hWnd, L' ');
    EXPECT_EQ(Value(box).GetValue(), 0);
    EXPECT_EQ(Rec().changes, 2);
    list->SetListReadOnly(false);
    list->SetReadOnly(box, true);
    Char(list->m_hWnd, L' ');
    EXPECT_EQ(Value(box).GetValue(), 0);
}

TEST_F(PropertyListTest, TextEditorCommitsOnEnterAndFocusLossAndCancelsOnEscape)
{
    Insert(1, L"name", TextValue(L"old"));
    Select(0);
    HWND edit = Editor();
    ASSERT_TRUE(edit);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(Text(edit), L"old");
    EXPECT_EQ(Rec().changes, 0);  // opening sends nothing

    // Escape: typed changes were announced, the value stays.
    Type(edit, L"er");
    EXPECT_EQ(Rec().changes, 2);
    EXPECT_EQ(Rec().editCalls, 2);
    Char(edit, VK_ESCAPE);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(GetFocus(), list->m_hWnd);
    EXPECT_EQ(ValueText(0), L"old");

    // Enter on unchanged text: no further notice.
    Select(0);
    Rec().changes = 0;
    Char(Editor(), VK_RETURN);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(Rec().changes, 0);

    // Typing on the list starts editing at the end; Enter stores it.
    Char(list->m_hWnd, L'!');
    ASSERT_TRUE(Editor());
    EXPECT_EQ(Text(Editor()), L"old!");
    Rec().changes = 0;
    Char(Editor(), VK_RETURN);
    EXPECT_EQ(ValueText(0), L"old!");
    EXPECT_EQ(Rec().changes, 1);

    // Focus leaving for another control commits.
    Select(0);
    Type(Editor(), L"?");
    ::SetFocus(other);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(ValueText(0), L"old!?");

    // So does the host being hidden.
    Select(0);
    Type(Editor(), L"#");
    ::SendMessageW(host, WM_SHOWWINDOW, FALSE, 0);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(ValueText(0), L"old!?#");
}

TEST_F(PropertyListTest, TextEditsOfOtherTypesStoreTheTypedText)
{
    struct Case {
        int kind;
        CAttribute value;
        const wchar_t* typed;
        DWORD style;
    } cases[] = {
        {1, IntValue(42), L"7", 0},
        {5, TextValue(L"secret"), L"!", ES_PASSWORD},
    };
    for (Case& c : cases) {
        list->RemoveAll();
        Insert(c.kind, L"row", c.value);
        Select(0);
        HWND edit = Editor();
        ASSERT_TRUE(edit);
        EXPECT_EQ(GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD, static_cast<LONG_PTR>(c.style));
        std::wstring expected = std::wstring(c.value.GetText()) + c.typed;
        Type(edit, c.typed);
        Char(edit, VK_RETURN);
        EXPECT_EQ(Value(0).GetType(), CAttribute::Text);
        EXPECT_EQ(ValueText(0), expected);
    }
    UpdateWindow(list->m_hWnd);
}

TEST_F(PropertyListTest, MultiLineEditorIsThreeRowsTallAndStaysInsideTheList)
{
    for (int i = 0; i < 12; ++i) Insert(1, (L"row" + std::to_wstring(i)).c_str(), TextValue(L""));
    int last = Insert(2, L"notes", TextValue(L"line"));
    ::SendMessageW(list->m_hWnd, LB_SETTOPINDEX, last, 0);
    Select(last);
    HWND edit = Editor();
    ASSERT_TRUE(edit);
    EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE);
    RECT rc = {}, client = {};
    GetWindowRect(edit, &rc);
    MapWindowPoints(nullptr, list->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    GetClientRect(list->m_hWnd, &client);
    EXPECT_LE(rc.bottom, client.bottom);
    EXPECT_GE(rc.top, client.top);
    EXPECT_EQ(rc.bottom - rc.top, std::min<LONG>(3 * list->m_rowBase, client.bottom));

    Char(edit, L'\n');  // Ctrl+Enter breaks the line
    EXPECT_TRUE(list->m_editor);
    Char(edit, VK_RETURN);
    EXPECT_EQ(ValueText(last), L"line\r\n");
}

TEST_F(PropertyListTest, DialogRowTakesItsValueFromTheRowCallbackNeverFromTheButtonText)
{
    Insert(1, L"name", TextValue(L""));
    int row = Insert(3, L"owner", TextValue(L"Ann"));
    Select(row);
    HWND button = Editor();
    ASSERT_TRUE(button);
    EXPECT_EQ(Text(button), L"...");

    // Enter, resizing and hiding commit the editor: none of them writes the button's "...".
    Char(button, VK_RETURN);
    EXPECT_EQ(ValueText(row), L"Ann");
    Select(row);
    ::SendMessageW(list->m_hWnd, WM_SIZE, 0, MAKELPARAM(400, 260));
    EXPECT_EQ(ValueText(row), L"Ann");
    EXPECT_EQ(Rec().changes, 0);

    Rec().pressAnswer = CTWndPropertyList::kTakeValue | CTWndPropertyList::kReportChange;
    Rec().pressValue = L"Bob";
    Select(row);
    ::SendMessageW(list->m_hWnd, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(Editor()));
    EXPECT_EQ(Rec().rowCodes, std::vector<int>{CTWndPropertyList::CodePressed});
    EXPECT_EQ(std::wstring(Rec().lastPressed.GetText()), L"Ann");  // a copy of the value
    EXPECT_EQ(ValueText(row), L"Bob");
    EXPECT_EQ(Rec().changes, 1);
    EXPECT_EQ(Rec().editCalls, 1);

    // The button editor keeps no focus of its own: the list losing the focus closes it unstored.
    ::SetFocus(list->m_hWnd);
    ASSERT_TRUE(list->m_editor);
    ::SetFocus(other);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(ValueText(row), L"Bob");

    // A blank typed on the list presses it too; a read-only list ignores the press.
    Rec().rowCodes.clear();
    list->CloseEditor();
    ::SetFocus(list->m_hWnd);
    Char(list->m_hWnd, L' ');
    EXPECT_EQ(Rec().rowCodes, std::vector<int>{CTWndPropertyList::CodePressed});
    list->SetListReadOnly(true);
    ::SendMessageW(list->m_hWnd, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(Editor()));
    EXPECT_EQ(Rec().rowCodes.size(), 1u);
}

TEST_F(PropertyListTest, RowButtonFeedsTheTextEditorAndTakesTabTurns)
{
    int row = Insert(1, L"path", TextValue(L"C:"), nullptr, 1);
    Select(row);
    HWND edit = Editor();
    ASSERT_TRUE(edit);
    HWND button = list->m_button.m_hWnd;
    ASSERT_TRUE(button);
    EXPECT_EQ(Text(button), L"Pick");  // the row callback's text
    EXPECT_EQ(Rec().rowCodes, (std::vector<int>{CTWndPropertyList::CodeButtonState, CTWndPropertyList::CodeButtonText}));

    Char(edit, VK_TAB);
    EXPECT_EQ(GetFocus(), button);
    EXPECT_TRUE(list->m_editor);  // the focus is still inside the editor
    Char(button, VK_TAB);
    EXPECT_EQ(GetFocus(), edit);

    Rec().pressAnswer = CTWndPropertyList::kTakeValue;
    Rec().pressValue = L"\\dir";
    ::SendMessageW(list->m_hWnd, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(Text(edit), L"C:\\dir");
    EXPECT_EQ(GetFocus(), edit);
    Char(edit, VK_RETURN);
    EXPECT_EQ(ValueText(row), L"C:\\dir");
}

TEST_F(PropertyListTest, ToggleButtonsKeepACheckStateAndInRowButtonsAskTheRowCallback)
{
    int toggle = Insert(1, L"t", TextValue(L""), nullptr, CTWndPropertyList::kButtonToggle);
    int push = Insert(1, L"p", TextValue(L""), nullptr, 1 | CTWndPropertyList::kButtonInRow);
    EXPECT_TRUE(list->SetChecked(toggle, true));
    EXPECT_TRUE(list->IsChecked(toggle));
    EXPECT_TRUE(list->SetChecked(push, true));
    EXPECT_FALSE(list->IsChecked(push));  // only toggle buttons hold a state
    EXPECT_FALSE(list->SetChecked(9, true));

    Select(toggle);
    ASSERT_TRUE(list->m_button.m_hWnd);
    EXPECT_EQ(list->m_button.SendMessage(BM_GETCHECK, 0, 0), BST_CHECKED);
    list->m_button.SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
    ::SendMessageW(list->m_hWnd, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(list->m_button.m_hWnd));
    EXPECT_FALSE(list->IsChecked(toggle));

    // Painted inside its row, the button asks for its state and its text.
    Rec().rowCodes.clear();
    InvalidateRect(list->m_hWnd, nullptr, TRUE);
    UpdateWindow(list->m_hWnd);
    EXPECT_NE(std::find(Rec().rowCodes.begin(), Rec().rowCodes.end(), CTWndPropertyList::CodeButtonState),
              Rec().rowCodes.end());
    EXPECT_NE(std::find(Rec().rowCodes.begin(), Rec().rowCodes.end(), CTWndPropertyList::CodeButtonText),
              Rec().rowCodes.end());
}

TEST_F(PropertyListTest, ReadOnlyRowsAndListsOpenNoEditor)
{
    int plain = Insert(1, L"a", TextValue(L"x"));
    int usable = Insert(1, L"b", TextValue(L"y"), nullptr, 1 | CTWndPropertyList::kButtonAlwaysUsable);
    list->SetReadOnly(plain, true);
    list->SetReadOnly(usable, true);
    Select(plain);
    EXPECT_FALSE(list->m_editor);
    Char(list->m_hWnd, L'z');
    EXPECT_FALSE(list->m_editor);

    // A read-only row's button with the always-usable flag still counts.
    Rec().pressAnswer = CTWndPropertyList::kReportChange;
    Select(usable);
    ASSERT_TRUE(list->m_button.m_hWnd);
    ::SendMessageW(list->m_hWnd, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(list->m_button.m_hWnd));
    EXPECT_EQ(Rec().changes, 1);

    // Making the open row read-only commits what was typed.
    list->SetReadOnly(plain, false);
    Select(plain);
    ASSERT_TRUE(Editor());
    Type(Editor(), L"!");
    list->SetReadOnly(plain, true);
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(ValueText(plain), L"x!");

    EXPECT_TRUE(list->SetListReadOnly(true));
    EXPECT_FALSE(list->SetListReadOnly(true));
    UpdateWindow(list->m_hWnd);
}

TEST_F(PropertyListTest, RemovingRowsClosesTheEditorFirst)
{
    Insert(1, L"a", TextValue(L"x"));
    Insert(1, L"b", TextValue(L"y"));
    Select(1);
    Type(Editor(), L"typed");
    list->RemoveAll();
    EXPECT_FALSE(list->m_editor);
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(Rec().changes, 5);  // only the typing was announced

    // The open row deleted under the editor, by the list box itself.
    Insert(1, L"c", TextValue(L"z"));
    Select(0);
    ASSERT_TRUE(list->m_editor);
    ::SendMessageW(list->m_hWnd, LB_DELETESTRING, 0, 0);
    EXPECT_FALSE(list->m_editor);
    ::SetFocus(other);  // nothing left to commit into
    EXPECT_EQ(list->GetCount(), 0);
}

TEST_F(PropertyListTest, SplitterDragConfinesTheCursorAndSetsTheReleasePoint)
{
    Insert(1, L"name", TextValue(L"x"));
    ::SetFocus(list->m_hWnd);
    int start = list->m_splitter;
    ::SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(start + 3, 5));
    EXPECT_TRUE(list->m_overSplitter);
    ::SendMessageW(list->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start + 3, 5));
    ASSERT_TRUE(list->m_dragging);
    RECT window = {}, clip = {};
    GetWindowRect(list->m_hWnd, &window);
    GetClipCursor(&clip);
    EXPECT_EQ(clip.left, window.left + 10);
    EXPECT_EQ(clip.right, window.right - 10);
    EXPECT_EQ(GetCapture(), list->m_hWnd);

    ::SendMessageW(list->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 5));
    ::SendMessageW(list->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(151, 5));
    EXPECT_EQ(list->m_splitter, 151);
    EXPECT_FALSE(list->m_dragging);
    GetClipCursor(&clip);
    EXPECT_GT(clip.right - clip.left, window.right - window.left);
    EXPECT_NE(GetCapture(), list->m_hWnd);

    // Away from the splitter a press is the list box's own.
    ::SendMessageW(list->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    EXPECT_FALSE(list->m_overSplitter);
}

} // namespace
