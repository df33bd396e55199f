// The drawing canvas and its drawables in a real window: geometry and hit tests, state redraws,
// the transparent key colour, scrolling by bar, wheel and keys, capture, cursors and tooltips,
// and the mark-up drawable's clicks.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "CanvasFixture.h"
#include "controls/CGfxDraw.h"
#include "controls/CTWndGfx.h"
#include "framework/CTREngine.h"
#include "support/WindowUnderPoint.h"

using namespace canvastest;

namespace {

struct Box : CGfxObject {
    bool hot = false, selectable = false, drop = false;
    HCURSOR cursor = nullptr;
    const wchar_t* tip = nullptr;
    int renders = 0;
    COLORREF left = 0, right = 0;  // with paint set: the cached picture, two halves
    bool paint = false;
    int clicks = 0, downs = 0, ups = 0;

    bool IsHotTrackable() override { return hot; }
    bool IsSelectable() override { return selectable; }
    bool IsDropTarget() override { return drop; }
    HCURSOR GetCursor() override { return cursor; }
    bool HasTooltip() override { return tip != nullptr; }
    void GetTooltip(CTString& text, int* placement, INT_PTR*) override
    {
        text = tip;
        *placement = 0;
    }
    void OnLButtonDown(int x, int y) override
    {
        ++downs;
        CGfxObject::OnLButtonDown(x, y);
    }
    void OnLButtonUp(int x, int y) override
    {
        ++ups;
        CGfxObject::OnLButtonUp(x, y);
    }
    void Render() override
    {
        ++renders;
        if (!paint) return;
        DeleteBitmap();
        HDC screen = GetDC(nullptr);
        int w = GetWidth(), h = GetHeight();
        m_bitmap = CreateCompatibleBitmap(screen, w, h);
        HDC mem = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(mem, m_bitmap);
        HBRUSH a = CreateSolidBrush(left), b = CreateSolidBrush(right);
        RECT l = {0, 0, w / 2, h}, r = {w / 2, 0, w, h};
        FillRect(mem, &l, a);
        FillRect(mem, &r, b);
        DeleteObject(a);
        DeleteObject(b);
        SelectObject(mem, old);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
};

struct TestCanvas : CTWndGfx {
    void SetContent(int width, int height)
    {
        m_contentWidth = width;
        m_contentHeight = height;
        RECT rc;
        GetClientRect(m_hWnd, &rc);
        UpdateScrollBars(rc.right, rc.bottom);
    }
};

struct DrawBox : CGfxDraw {
    std::vector<__int64> clicks;
    void OnMarkupClick(__int64 id) override { clicks.push_back(id); }
};

constexpr int kHostX = 1150, kHostY = 60;

class CanvasTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    TestCanvas canvas;

    void SetUp() override
    {
        host = CreateHost(kHostX, kHostY, 400, 300);
        ASSERT_TRUE(canvas.Create(host, GetModuleHandleW(nullptr), 77, false, 0));
        PlaceCanvas(canvas, 300, 200);
    }
    void TearDown() override
    {
        ReleaseCapture();
        canvas.Destroy();
        DestroyWindow(host);
        Pump();
    }
    Box* AddBox(int x, int y, int cx, int cy, CGfxObject* parent = nullptr)
    {
        auto* box = new Box();
        (parent ? parent : &canvas.m_root)->AddChild(box);
        box->SetBounds(x, y, cx, cy);
        return box;
    }
    bool HasUpdate()
    {
        RECT rc;
        return GetUpdateRect(canvas.m_hWnd, &rc, FALSE) != FALSE;
    }
    SCROLLINFO Vert()
    {
        SCROLLINFO si = {sizeof(si), SIF_ALL};
        GetScrollInfo(canvas.m_hWnd, SB_VERT, &si);
        return si;
    }
    void Key(WPARAM vk) { ::SendMessageW(canvas.m_hWnd, WM_KEYDOWN, vk, 0); }
};

TEST(CGfxObjectGeometry, BoundsAreStoredOnePixelIn)
{
    CGfxObject object;
    object.SetBounds(0, 0, 10, 20);
    EXPECT_EQ(object.m_bounds.left, 1);
    EXPECT_EQ(object.m_bounds.top, 1);
    EXPECT_EQ(object.m_bounds.right, 11);
    EXPECT_EQ(object.m_bounds.bottom, 21);
    EXPECT_EQ(object.GetWidth(), 10);
    int x, y, w, h;
    object.GetBounds(&x, &y, &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 11);
    EXPECT_EQ(h, 21);
    object.Move(5, 6);
    EXPECT_EQ(object.m_bounds.left, 6);
    EXPECT_EQ(object.m_bounds.bottom, 27);
    EXPECT_EQ(object.GetCanvasWnd(), nullptr);  // not in a canvas: no resources, no drawing
}

TEST_F(CanvasTest, SameBoundsInvalidateNothingAndMovingInvalidatesTheUncoveredPart)
{
    Box* box = AddBox(10, 10, 40, 40);
    ValidateRect(canvas.m_hWnd, nullptr);
    box->SetBounds(10, 10, 40, 40);
    EXPECT_FALSE(HasUpdate());
    box->Move(30, 10);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(canvas.m_hWnd, rgn, FALSE);
    EXPECT_TRUE(PtInRegion(rgn, 15, 20));   // old place, now uncovered
    EXPECT_FALSE(PtInRegion(rgn, 5, 20));   // never covered
    DeleteObject(rgn);
    box->SetVisible(false);
    ValidateRect(canvas.m_hWnd, nullptr);
    box->SetBounds(100, 100, 10, 10);       // invisible: stored, nothing drawn
    EXPECT_FALSE(HasUpdate());
    EXPECT_EQ(box->m_bounds.left, 101);
}

TEST_F(CanvasTest, StateChangesRenderOnlyWhenSomethingChanged)
{
    Box* box = AddBox(10, 10, 40, 40);
    box->paint = true;  // keeps its picture: painting does not render again
    box->right = box->left = RGB(0, 0, 200);
    UpdateWindow(canvas.m_hWnd);
    int before = box->renders;
    EXPECT_FALSE(box->ModifyState(0, CGfxObject::StateHot));
    EXPECT_EQ(box->renders, before);
    EXPECT_TRUE(box->ModifyState(CGfxObject::StateHot | CGfxObject::StateFocused, 0));
    EXPECT_EQ(box->renders, before + 1);
    EXPECT_FALSE(box->SetState(CGfxObject::StateHot, true));
    EXPECT_TRUE(box->SetState(CGfxObject::StateHot, false));
    EXPECT_EQ(box->m_state, static_cast<DWORD>(CGfxObject::StateFocused));
    EXPECT_EQ(box->renders, before + 2);
}

TEST_F(CanvasTest, HitTestsPreferTheTailAndWalkDeep)
{
    Box* under = AddBox(10, 10, 50, 50);
    Box* over = AddBox(20, 20, 50, 50);
    under->hot = over->hot = true;
    Box* inner = AddBox(25, 25, 10, 10, over);

    EXPECT_EQ(canvas.m_root.HitTestHot(30, 30), over);
    EXPECT_TRUE(over->HasState(CGfxObject::StateHot));
    over->m_state = CGfxObject::StateSelected;  // selected objects are not hot-tracked
    EXPECT_EQ(canvas.m_root.HitTestHot(30, 30), under);
    inner->hot = true;                           // a descendant wins over its ancestors
    EXPECT_EQ(canvas.m_root.HitTestHot(30, 30), inner);

    EXPECT_EQ(canvas.m_root.HitTestDeep(30, 30), inner);
    EXPECT_EQ(canvas.m_root.HitTestDeep(60, 60), over);
    EXPECT_EQ(canvas.m_root.HitTestDeep(15, 15), under);
    EXPECT_EQ(canvas.m_root.HitTestDeep(250, 150), &canvas.m_root);
    EXPECT_EQ(canvas.m_root.HitTestDeep(350, 150), nullptr);

    EXPECT_EQ(canvas.m_root.HitTestDrop(30, 30), nullptr);
    under->drop = true;
    EXPECT_EQ(canvas.m_root.HitTestDrop(30, 30), under);
    EXPECT_TRUE(under->HasState(CGfxObject::StateDropTarget));
    EXPECT_TRUE(canvas.m_root.Contains(inner));
    EXPECT_FALSE(under->Contains(inner));
}

// Counts its paints; reaching, when asked, beyond its bounds for paint and hit tests.
struct CountingBox : Box {
    int paints = 0;
    bool reachesOut = false;
    void Paint(HDC dc, const RECT* clip) override
    {
        ++paints;
        Box::Paint(dc, clip);
    }
    bool HitTest(int x, int y) override { return reachesOut ? m_visible : Box::HitTest(x, y); }
    bool StaysInBounds() override { return !reachesOut; }
};

TEST_F(CanvasTest, HitTestsAndPaintPassOverOnlyWhatStaysOutOfReach)
{
    canvas.SetContent(300, 1000);
    Key(VK_NEXT);
    ASSERT_GT(canvas.m_scrollY, 0);
    const int y = canvas.m_scrollY + 20;  // canvas rows that show 20 pixels below the top
    auto add = [&](int x, int cy, CGfxObject* parent) {
        auto* box = new CountingBox();
        (parent ? parent : &canvas.m_root)->AddChild(box);
        box->SetBounds(x, y, 20, cy);
        box->hot = box->drop = true;
        return box;
    };
    CountingBox* wide = add(160, 20, nullptr);  // at the bottom: the others lie over it
    wide->reachesOut = true;
    CountingBox* plain = add(10, 20, nullptr);
    CountingBox* parent = add(40, 20, nullptr);
    CountingBox* child = add(100, 20, parent);  // outside its parent's bounds
    Pump();

    // Points in client coordinates: inside a box, beside it, and only under the grandchild.
    RECT rc = plain->ClientBounds();
    EXPECT_EQ(canvas.m_root.HitTestHot(rc.left + 2, rc.top + 2), plain);
    EXPECT_EQ(canvas.m_root.HitTestDeep(rc.left + 2, rc.top + 2), plain);
    rc = child->ClientBounds();
    EXPECT_EQ(canvas.m_root.HitTestDrop(rc.left + 2, rc.top + 2), child);
    EXPECT_EQ(canvas.m_root.HitTestHot(rc.left + 2, rc.top + 2), child);
    // The box that reaches out is asked about points far from its bounds.
    EXPECT_EQ(canvas.m_root.HitTestHot(5, 150), wide);
    wide->m_visible = false;
    EXPECT_EQ(canvas.m_root.HitTestHot(5, 150), nullptr);
    EXPECT_EQ(canvas.m_root.HitTestDeep(5, 150), &canvas.m_root);
    wide->m_visible = true;

    // A paint of the plain box's area paints it, the parent (for its child) and the box that
    // reaches out; the child, away from the area, is passed over.
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
    HGDIOBJ old = SelectObject(mem, bitmap);
    for (CountingBox* b : {plain, parent, child, wide}) b->paints = 0;
    rc = plain->ClientBounds();
    canvas.m_root.Paint(mem, &rc);
    EXPECT_EQ(1, plain->paints);
    EXPECT_EQ(1, parent->paints);
    EXPECT_EQ(0, child->paints);
    EXPECT_EQ(1, wide->paints);
    rc = child->ClientBounds();
    canvas.m_root.Paint(mem, &rc);
    EXPECT_EQ(1, plain->paints);
    EXPECT_EQ(1, child->paints);
    canvas.m_root.Paint(mem, nullptr);  // no region: everything
    EXPECT_EQ(2, plain->paints);
    EXPECT_EQ(2, child->paints);
    SelectObject(mem, old);
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

TEST_F(CanvasTest, KeyColourLeavesTheBackgroundVisible)
{
    Box* box = AddBox(10, 10, 40, 20);
    box->paint = true;
    box->left = CGfxObject::kKeyColour;
    box->right = RGB(200, 0, 0);
    box->Render();
    EXPECT_EQ(PrintedPixel(canvas, 15, 15), RGB(255, 255, 255));
    EXPECT_EQ(PrintedPixel(canvas, 45, 15), RGB(200, 0, 0));
    box->SetVisible(false);
    EXPECT_EQ(PrintedPixel(canvas, 45, 15), RGB(255, 255, 255));
}

TEST_F(CanvasTest, ScrollingByKeysBarAndWheelStaysInRange)
{
    canvas.SetContent(0, 300);
    EXPECT_TRUE(GetWindowLongPtrW(canvas.m_hWnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongPtrW(canvas.m_hWnd, GWL_STYLE) & WS_HSCROLL);
    SCROLLINFO si = Vert();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 300);
    EXPECT_EQ(si.nPage, 200u);

    struct Step { WPARAM key; int expected; } steps[] = {
        {VK_NEXT, 50}, {VK_NEXT, 100}, {VK_NEXT, 100}, {VK_HOME, 0}, {VK_PRIOR, 0}, {VK_END, 100}, {VK_PRIOR, 50},
    };
    for (const Step& step : steps) {
        Key(step.key);
        EXPECT_EQ(canvas.m_scrollY, step.expected) << "key " << step.key;
        EXPECT_EQ(Vert().nPos, step.expected);
    }
    ::SendMessageW(canvas.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(canvas.m_scrollY, 55);
    ::SendMessageW(canvas.m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 70), 0);
    EXPECT_EQ(canvas.m_scrollY, 70);
    ::SendMessageW(canvas.m_hWnd, WM_HSCROLL, SB_LINEDOWN, 0);  // fits horizontally
    EXPECT_EQ(canvas.m_scrollX, 0);

    // Objects follow the scroll position in client coordinates.
    Box* box = AddBox(0, 100, 20, 20);
    EXPECT_EQ(canvas.m_root.HitTestDeep(5, 105 - 70), box);

    // Growing the window removes the bar and the position.
    PlaceCanvas(canvas, 300, 320);
    EXPECT_FALSE(GetWindowLongPtrW(canvas.m_hWnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(canvas.m_scrollY, 0);
    Key(VK_END);
    EXPECT_EQ(canvas.m_scrollY, 0);

    PlaceCanvas(canvas, 300, 200);
    canvas.SetContent(0, 1000);
    ::SendMessageW(canvas.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(canvas.m_scrollY, 120);
    ::SendMessageW(canvas.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-1200)), 0);
    EXPECT_EQ(canvas.m_scrollY, 800);
    ::SendMessageW(canvas.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(canvas.m_scrollY, 680);

    canvas.EnsureVisible(box);
    EXPECT_EQ(canvas.m_scrollY, 100);
}

TEST_F(CanvasTest, PointerTakesCaptureSetsTheCursorAndLetsGoOutside)
{
    Box* box = AddBox(10, 10, 60, 60);
    box->hot = true;
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
    box->cursor = cross;
    SetCursor(arrow);

    EXPECT_TRUE(testsupport::WaitUntilWindowUnder(canvas.m_hWnd, {150, 150}))
        << testsupport::DescribeWindowUnder(canvas.m_hWnd, {150, 150});
    MouseMove(canvas, 150, 150);
    EXPECT_EQ(GetCapture(), canvas.m_hWnd) << testsupport::DescribeWindowUnder(canvas.m_hWnd, {150, 150});
    EXPECT_EQ(canvas.m_hot, nullptr);
    MouseMove(canvas, 30, 30);
    EXPECT_EQ(canvas.m_hot, box);
    EXPECT_TRUE(box->HasState(CGfxObject::StateHot));
    EXPECT_EQ(GetCursor(), cross);

    MouseMove(canvas, 350, 30);  // beside the canvas, over the host
    EXPECT_NE(GetCapture(), canvas.m_hWnd);
    EXPECT_EQ(canvas.m_hot, nullptr);
    EXPECT_FALSE(box->HasState(CGfxObject::StateHot));
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(canvas.m_lastMouse.x, 0);

    MouseMove(canvas, 31, 31);   // entering again
    EXPECT_EQ(GetCapture(), canvas.m_hWnd);
    EXPECT_EQ(canvas.m_hot, box);
    ::SendMessageW(canvas.m_hWnd, WM_SYSKEYDOWN, VK_MENU, 0);  // Alt lets go
    EXPECT_NE(GetCapture(), canvas.m_hWnd);
    EXPECT_EQ(canvas.m_hot, nullptr);
    EXPECT_EQ(GetCursor(), arrow);
}

int g_tipUpdates = 0;
WNDPROC g_tipProc = nullptr;
LRESULT CALLBACK CountingTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == TTM_UPDATETIPTEXTW) ++g_tipUpdates;
    return CallWindowProcW(g_tipProc, hwnd, msg, wParam, lParam);
}

TEST_F(CanvasTest, TooltipIsArmedSentOnceAndHiddenWithTheHotObject)
{
    Box* a = AddBox(10, 10, 40, 40);
    Box* b = AddBox(100, 10, 40, 40);
    Box* plain = AddBox(200, 10, 40, 40);
    a->hot = b->hot = plain->hot = true;
    a->tip = b->tip = L"Same text";

    MouseMove(canvas, 20, 20);
    ASSERT_NE(canvas.m_tooltip.m_hWnd, nullptr);
    EXPECT_TRUE(canvas.m_tooltipTimer);
    EXPECT_STREQ(canvas.m_tooltipText.GetBuffer(), L"Same text");
    g_tipProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(canvas.m_tooltip.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingTipProc)));

    ::SendMessageW(canvas.m_hWnd, WM_TIMER, 1, 0);  // the delay passed: shown
    EXPECT_FALSE(canvas.m_tooltipTimer);
    MouseMove(canvas, 210, 20);                     // no tooltip: hidden, nothing armed
    EXPECT_FALSE(canvas.m_tooltipTimer);
    MouseMove(canvas, 110, 20);                     // same text: only timed again
    EXPECT_TRUE(canvas.m_tooltipTimer);
    EXPECT_EQ(g_tipUpdates, 0);
    MouseMove(canvas, 210, 20);
    b->tip = L"Other";
    MouseMove(canvas, 111, 21);
    EXPECT_EQ(g_tipUpdates, 1);
    EXPECT_STREQ(canvas.m_tooltipText.GetBuffer(), L"Other");
    MouseMove(canvas, 350, 30);                     // leaving drops the hot object and the timer
    EXPECT_FALSE(canvas.m_tooltipTimer);
}

TEST_F(CanvasTest, FitFlagStretchesTheFirstChild)
{
    TestCanvas fitted;
    ASSERT_TRUE(fitted.Create(host, GetModuleHandleW(nullptr), 78, true, 0));
    auto* first = new Box();
    fitted.m_root.AddChild(first);
    MoveWindow(fitted.m_hWnd, 0, 0, 120, 90, TRUE);
    EXPECT_EQ(first->m_bounds.left, 1);
    EXPECT_EQ(first->GetWidth(), 120);
    EXPECT_EQ(first->GetHeight(), 90);
    MoveWindow(fitted.m_hWnd, 0, 0, 150, 60, TRUE);
    EXPECT_EQ(first->GetWidth(), 150);
    EXPECT_EQ(first->GetHeight(), 60);
    fitted.Destroy();
}

TEST_F(CanvasTest, MarkupDrawableTakesItsClicksAndPassesOthers)
{
    auto* draw = new DrawBox();
    canvas.m_root.AddChild(draw);
    draw->SetBounds(0, 0, 200, 60);
    ValidateRect(canvas.m_hWnd, nullptr);
    draw->SetMarkup(L"no element here");
    EXPECT_NE(draw->m_doc.gdi, nullptr);
    EXPECT_TRUE(HasUpdate());

    draw->SetMarkup(L"<Tab id=\"go\" width=\"100\" height=\"20\" on-click=\"42\"/>");
    Box* child = AddBox(0, 0, 200, 60, draw);
    UpdateWindow(canvas.m_hWnd);  // lays the document out
    Click(canvas, 20, 10);
    ASSERT_EQ(draw->clicks.size(), 1u);
    EXPECT_EQ(draw->clicks[0], 42);
    EXPECT_EQ(child->downs, 0);
    EXPECT_EQ(child->ups, 0);
    Click(canvas, 150, 40);
    EXPECT_EQ(draw->clicks.size(), 1u);
    EXPECT_EQ(child->downs, 1);
    EXPECT_EQ(child->ups, 1);
}

}  // namespace
