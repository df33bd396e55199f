// The side-panel list: sorted rows under keys, the default row mark-up, selection by click and
// keyboard, a press carried out of the window, and drag-over targets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CanvasFixture.h"
#include "controls/CTWndList.h"

using namespace canvastest;

namespace {

struct TestList : CTWndList {
    std::vector<unsigned __int64> changes;
    void OnSelectionChanged(unsigned __int64 key) override { changes.push_back(key); }
};

constexpr int kHostX = 700, kHostY = 420;

class ListTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    TestList list;

    void SetUp() override
    {
        host = CreateHost(kHostX, kHostY, 400, 320);
        ASSERT_TRUE(list.Create(host, GetModuleHandleW(nullptr), 55, false, 0));
        PlaceCanvas(list, 300, 300);
    }
    void TearDown() override
    {
        ReleaseCapture();
        list.Destroy();
        DestroyWindow(host);
        Pump();
    }
    std::vector<std::wstring> Texts()
    {
        std::vector<std::wstring> out;
        for (CGfxObject* c = list.m_root.FirstChild(); c; c = c->Next())
            out.push_back(CTWndList::AsRow(c)->m_text.GetBuffer());
        return out;
    }
    CTWndList::CGfxItem* Row(int index)
    {
        return CTWndList::AsRow(static_cast<CGfxObject*>(list.m_root.m_children.GetAt(index)));
    }
    POINT Centre(CGfxObject* row)
    {
        RECT rc = row->ClientBounds();
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    void FillThree()
    {
        list.AddItem(2, L"beta", true);
        list.AddItem(1, L"alpha", true);
        list.AddItem(3, L"gamma", true);
        list.Relayout();
    }
};

TEST_F(ListTest, RowsAreSortedByTextAndAKeyIsAddedOnce)
{
    FillThree();
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}));
    list.AddItem(2, L"beta", true);
    EXPECT_EQ(list.m_root.m_children.GetCount(), 3u);
    list.AddItem(9, L"beta", true);  // same text, other key: a row of its own
    EXPECT_EQ(list.m_root.m_children.GetCount(), 4u);

    list.m_sorting = false;
    list.AddItem(10, L"aaa", true);
    EXPECT_EQ(Texts().back(), L"aaa");
}

TEST_F(ListTest, RowsAreStackedWithoutGapsAndTextIsEscaped)
{
    list.SetSelectedKey(5);
    CTWndList::CGfxItem* row = list.AddItem(5, L"a<b & c", true);
    FillThree();
    EXPECT_STREQ(row->m_text.GetBuffer(), L"a&lt;b &amp; c");
    EXPECT_TRUE(row->HasState(CGfxObject::StateSelected));  // the selected key shows at once

    CTString markup;
    ASSERT_TRUE(list.GetItemMarkup(5, row->m_text, 0, markup));
    std::wstring m = markup.GetBuffer();
    EXPECT_EQ(m.rfind(L"<Attribs><Attrib id=\"Heading\" font-size=\"13\" color=\"#", 0), 0u) << m;
    EXPECT_NE(m.find(L"\" multi-line=\"1\" /></Attribs><Text attrib=\"Heading\" padding-left=\"4\" id=\"5\" >"
                     L"a&lt;b &amp; c</Text>"),
              std::wstring::npos)
        << m;

    int y = 1;
    for (CGfxObject* c = list.m_root.FirstChild(); c; c = c->Next()) {
        EXPECT_EQ(c->m_bounds.top, y);
        EXPECT_GT(c->GetHeight(), 8);  // the text's height and the 4-pixel gap
        EXPECT_EQ(c->GetWidth(), 300);
        y += c->GetHeight();
    }
    EXPECT_EQ(list.m_contentHeight, y - 1);
}

TEST_F(ListTest, ClickSelectsOnButtonUpAndAPressCarriedOutSelectsNothing)
{
    FillThree();
    list.SetSelectedKey(3);
    POINT beta = Centre(Row(1));
    MouseMove(list, beta.x, beta.y);
    ::SendMessageW(list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(beta.x, beta.y));
    EXPECT_TRUE(Row(1)->HasState(CGfxObject::StateSelected));
    EXPECT_FALSE(Row(2)->HasState(CGfxObject::StateSelected));
    EXPECT_TRUE(list.changes.empty());
    ::SendMessageW(list.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(beta.x, beta.y));
    EXPECT_EQ(list.changes, (std::vector<unsigned __int64>{2}));
    EXPECT_EQ(list.m_selectedKey, 2u);

    POINT alpha = Centre(Row(0));
    MouseMove(list, alpha.x, alpha.y);
    ::SendMessageW(list.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(alpha.x, alpha.y));
    MouseMove(list, 350, alpha.y);  // out of the window with the button held
    ::SendMessageW(list.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(350, alpha.y));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(Row(i)->HasState(CGfxObject::StateSelected)) << i;
    EXPECT_EQ(list.changes.size(), 1u);
    EXPECT_EQ(list.m_selectedKey, 2u);
}

TEST_F(ListTest, ArrowKeysMoveTheSelectionWithoutStoringIt)
{
    FillThree();
    POINT alpha = Centre(Row(0));
    Click(list, alpha.x, alpha.y);
    ASSERT_EQ(list.m_selectedKey, 1u);
    list.changes.clear();
    ASSERT_EQ(GetFocus(), list.m_hWnd);

    ::SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.m_focused, Row(1));
    EXPECT_TRUE(Row(1)->HasState(CGfxObject::StateSelected | CGfxObject::StateFocusCue));
    EXPECT_FALSE(Row(0)->HasState(CGfxObject::StateSelected | CGfxObject::StateFocused));
    ::SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);  // on the last row: nothing
    ::SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(list.changes, (std::vector<unsigned __int64>{2, 3, 2}));
    EXPECT_EQ(list.m_selectedKey, 1u);  // only a click stores the key
    EXPECT_TRUE(list.m_cues);

    ::SendMessageW(list.m_hWnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(list.m_cues);
    EXPECT_FALSE(Row(1)->HasState(CGfxObject::StateFocused | CGfxObject::StateFocusCue));
    EXPECT_EQ(::SendMessageW(list.m_hWnd, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);

    list.m_root.DeleteChildren();  // clearing forgets the selection
    EXPECT_EQ(list.m_selectedKey, 0u);
    EXPECT_EQ(list.m_focused, nullptr);
    ::SendMessageW(list.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
}

TEST_F(ListTest, DragOverMarksOnlyEnabledRows)
{
    list.AddItem(1, L"enabled", true);
    list.AddItem(2, L"off", false);
    list.Relayout();
    auto screen = [&](CGfxObject* row) {
        POINT pt = Centre(row);
        ClientToScreen(list.m_hWnd, &pt);
        return pt;
    };
    POINT off = screen(Row(1)), on = screen(Row(0));
    EXPECT_EQ(list.DragOver(true, &off), 0u);
    EXPECT_FALSE(Row(1)->HasState(CGfxObject::StateDropTarget));
    EXPECT_EQ(list.DragOver(true, &on), 1u);
    EXPECT_TRUE(Row(0)->HasState(CGfxObject::StateDropTarget));
    EXPECT_EQ(list.DragOver(true, &off), 0u);
    EXPECT_FALSE(Row(0)->HasState(CGfxObject::StateDropTarget));
    EXPECT_EQ(list.DragOver(true, &on), 1u);
    EXPECT_EQ(list.DragOver(false, nullptr), 1u);
    EXPECT_FALSE(Row(0)->HasState(CGfxObject::StateDropTarget));
    EXPECT_EQ(list.DragOver(false, nullptr), 0u);
}

}  // namespace
