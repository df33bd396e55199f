// The tag editor: the list text both ways, notifications and their order, the inline editor's
// keys, close buttons, line flow, and removal requests that arrive after the chips changed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CanvasFixture.h"
#include "controls/CTWndTag.h"

using namespace canvastest;

namespace {

constexpr int kHostX = 80, kHostY = 420;

class TagTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    CTWndTag tags;

    void SetUp() override
    {
        host = CreateHost(kHostX, kHostY, 400, 200);
        ASSERT_TRUE(tags.Create(host, GetModuleHandleW(nullptr), CTWndTag::kControlId, false, 0));
        PlaceCanvas(tags, 300, 120);
        Notices().clear();
        NextControlMoves().clear();
    }
    void TearDown() override
    {
        ReleaseCapture();
        tags.Destroy();
        DestroyWindow(host);
        Pump();
    }
    std::vector<std::wstring> Chips()
    {
        std::vector<std::wstring> out;
        for (CGfxObject* c = tags.m_root.FirstChild(); c; c = c->Next())
            out.push_back(CTWndTag::AsChip(c)->m_text.GetBuffer() ? CTWndTag::AsChip(c)->m_text.GetBuffer() : L"");
        return out;
    }
    std::wstring WindowText()
    {
        CTString text;
        GetWindowTextString(tags.m_hWnd, text);
        return text.GetBuffer() ? text.GetBuffer() : L"";
    }
    std::vector<UINT> Codes()
    {
        std::vector<UINT> out;
        for (const Notice& n : Notices()) out.push_back(n.code);
        return out;
    }
    void Char(HWND to, wchar_t ch) { ::SendMessageW(to, WM_CHAR, ch, 0); }
    void TypeInEditor(const wchar_t* text)
    {
        ASSERT_TRUE(tags.EditorOpen());
        ::SetWindowTextW(tags.m_editor->m_hWnd, text);
    }
};

TEST_F(TagTest, WindowTextBecomesChipsAndChipsBecomeTheText)
{
    const wchar_t* text = L" a , \"b\" ,c ";
    ::SetWindowTextW(tags.m_hWnd, text);
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(WindowText(), text);  // the text set stays as it was
    EXPECT_TRUE(Notices().empty());

    tags.UpdateText();
    EXPECT_EQ(WindowText(), L"\"a\",\"b\",\"c\"");
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0].code, CTWndTag::NotifyChanged);
    EXPECT_EQ(Notices()[0].text, L"\"a\",\"b\",\"c\"");
    EXPECT_EQ(Chips().size(), 3u);  // its own update is not parsed back

    ::SetWindowTextW(tags.m_hWnd, L"");
    EXPECT_TRUE(Chips().empty());
    Notices().clear();
    tags.UpdateText();
    EXPECT_TRUE(Notices()[0].null);  // an empty list is sent as no text
}

TEST_F(TagTest, EnterInTheEditorAddsAChipAndNotifiesAddedThenChanged)
{
    ::SetWindowTextW(tags.m_hWnd, L"a");
    Char(tags.m_hWnd, L'x');  // typing opens the editor with that character
    ASSERT_TRUE(tags.EditorOpen());
    CTString typed;
    GetWindowTextString(tags.m_editor->m_hWnd, typed);
    EXPECT_STREQ(typed.GetBuffer(), L"x");
    TypeInEditor(L" x\"y ");
    Char(tags.m_editor->m_hWnd, VK_RETURN);
    EXPECT_FALSE(tags.EditorOpen());
    EXPECT_EQ(GetFocus(), tags.m_hWnd);
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"a", L"xy"}));
    EXPECT_EQ(Codes(), (std::vector<UINT>{7, 1}));
    EXPECT_EQ(Notices()[0].text, L"xy");
    EXPECT_EQ(WindowText(), L"\"a\",\"xy\"");

    Char(tags.m_hWnd, L'q');
    TypeInEditor(L"");
    Char(tags.m_editor->m_hWnd, VK_RETURN);  // an empty chip is accepted
    EXPECT_EQ(WindowText(), L"\"a\",\"xy\",\"\"");
    Pump();
}

TEST_F(TagTest, BackspaceRemovesTheLastChipThenTheNextFromAnEmptyEditor)
{
    ::SetWindowTextW(tags.m_hWnd, L"a,b,c");
    Char(tags.m_hWnd, VK_BACK);
    EXPECT_TRUE(tags.EditorOpen());
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(Codes(), (std::vector<UINT>{6, 1}));
    EXPECT_EQ(Notices()[0].text, L"c");
    EXPECT_EQ(Notices()[1].text, L"\"a\",\"b\"");

    TypeInEditor(L"zz");
    Char(tags.m_editor->m_hWnd, VK_BACK);  // text in the box: plain editing
    Pump();
    EXPECT_EQ(Chips().size(), 2u);
    TypeInEditor(L"");
    Char(tags.m_editor->m_hWnd, VK_BACK);
    Pump();
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"a"}));
    EXPECT_EQ(WindowText(), L"\"a\"");

    tags.RemoveTag(nullptr);
    tags.RemoveTag(nullptr);  // nothing left: nothing happens
    EXPECT_TRUE(Chips().empty());
}

TEST_F(TagTest, CloseButtonRemovesItsChipAndLeavesTheEditorOpen)
{
    ::SetWindowTextW(tags.m_hWnd, L"one,two");
    auto* two = CTWndTag::AsChip(tags.m_root.LastChild());
    RECT rc = two->m_close->ClientBounds();
    int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    MouseMove(tags, x, y);
    EXPECT_EQ(tags.m_hot, two->m_close);
    ::SendMessageW(tags.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    EXPECT_TRUE(two->m_close->HasState(CGfxObject::StatePressed));
    ::SendMessageW(tags.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"one"}));
    EXPECT_EQ(Codes(), (std::vector<UINT>{6, 1}));
    EXPECT_EQ(Notices()[0].text, L"two");
    // The removal did not close the editor the click opened (its window may still go when a
    // parallel test program takes the focus away, so the object is what is checked).
    EXPECT_NE(tags.m_editor, nullptr);
    EXPECT_EQ(tags.m_focused, nullptr);
    EXPECT_EQ(tags.m_hot, nullptr);
}

TEST_F(TagTest, RemovalRequestsForChipsNoLongerInTheListAreIgnored)
{
    ::SetWindowTextW(tags.m_hWnd, L"a,b");
    auto* b = CTWndTag::AsChip(tags.m_root.LastChild());
    PostMessageW(tags.m_hWnd, CTWndTag::kRemoveTag, 0, reinterpret_cast<LPARAM>(b));
    ::SetWindowTextW(tags.m_hWnd, L"c,d,e");  // rebuilt before the request arrives
    Pump();
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"c", L"d", L"e"}));
    EXPECT_TRUE(Notices().empty());

    auto* d = CTWndTag::AsChip(tags.m_root.FirstChild()->Next());
    ::SendMessageW(tags.m_hWnd, CTWndTag::kRemoveTag, 0, reinterpret_cast<LPARAM>(d));
    ::SendMessageW(tags.m_hWnd, CTWndTag::kRemoveTag, 0, reinterpret_cast<LPARAM>(d));  // a second time
    EXPECT_EQ(Chips(), (std::vector<std::wstring>{L"c", L"e"}));
    EXPECT_EQ(Codes(), (std::vector<UINT>{6, 1}));
}

TEST_F(TagTest, ChipsFlowIntoLinesAndTheContentScrolls)
{
    ::SetWindowTextW(tags.m_hWnd, L"first tag,second tag,third tag,fourth tag,fifth tag,sixth tag,seventh tag");
    int lines = 0, lastTop = -1, bottom = 0;
    for (CGfxObject* c = tags.m_root.FirstChild(); c; c = c->Next()) {
        EXPECT_LE(c->m_bounds.right, 300);
        if (c->m_bounds.top != lastTop) {
            ++lines;
            lastTop = c->m_bounds.top;
        }
        if (c->m_bounds.bottom > bottom) bottom = c->m_bounds.bottom;
        auto* chip = CTWndTag::AsChip(c);
        EXPECT_EQ(chip->m_close->m_bounds.left, c->m_bounds.left + chip->m_closeX);
        EXPECT_EQ(chip->m_close->GetWidth(), 19);
    }
    EXPECT_GT(lines, 1);
    EXPECT_EQ(tags.m_contentHeight, bottom - 1 + 3);
    EXPECT_EQ((GetWindowLongPtrW(tags.m_hWnd, GWL_STYLE) & WS_VSCROLL) != 0, tags.m_contentHeight > 120);
    PlaceCanvas(tags, 300, 40);
    EXPECT_TRUE(GetWindowLongPtrW(tags.m_hWnd, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(TagTest, TabAndShiftTabLeaveTheEditorForTheNextOrPreviousControl)
{
    Char(tags.m_hWnd, L'a');
    Char(tags.m_editor->m_hWnd, VK_TAB);
    EXPECT_FALSE(tags.EditorOpen());
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Char(tags.m_hWnd, L'b');
    Char(tags.m_editor->m_hWnd, VK_TAB);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    Pump();
    EXPECT_EQ(NextControlMoves(), (std::vector<WPARAM>{0, 1}));
    EXPECT_TRUE(Chips().empty());

    Char(tags.m_hWnd, L'c');
    Char(tags.m_editor->m_hWnd, VK_ESCAPE);
    EXPECT_FALSE(tags.EditorOpen());
    EXPECT_EQ(GetFocus(), tags.m_hWnd);
    EXPECT_EQ(::SendMessageW(tags.m_hWnd, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
}

}  // namespace
