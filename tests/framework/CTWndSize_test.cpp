#include <gtest/gtest.h>
#include <string>
#include "framework/CTREngine.h"
#include "framework/CTWnd2.h"
#include "framework/CTWndSize.h"

namespace {
// A dialog that passes every message to its sizing companion first, as the system's dialogs do.
struct SizeDialog : CTWnd2, CTWndSize {
    bool ownPaint = false;
    int paints = 0;
    RECT lastPaint = {};

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (CTWndSize::HandleMessage(msg, wParam, lParam, result)) return true;
        if (msg == WM_PAINT && ownPaint) {
            PAINTSTRUCT ps;
            BeginPaint(m_hWnd, &ps);
            lastPaint = ps.rcPaint;
            ++paints;
            EndPaint(m_hWnd, &ps);
            return true;
        }
        return false;
    }
    ~SizeDialog() override { Destroy(); }
};

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

RECT ChildRect(HWND owner, HWND child)
{
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, owner, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

HWND AddChild(HWND parent, RECT rc)
{
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, rc.left, rc.top, rc.right - rc.left,
                           rc.bottom - rc.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

::testing::AssertionResult RectIs(const RECT& actual, LONG l, LONG t, LONG r, LONG b)
{
    if (actual.left == l && actual.top == t && actual.right == r && actual.bottom == b)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.left << "," << actual.top << "," << actual.right << ","
                                         << actual.bottom << ") instead of (" << l << "," << t << "," << r << ","
                                         << b << ")";
}

class CTWndSizeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = CTREngine::Instance();
        savedDpi = engine->m_dpi;
        engine->m_dpi.Set(96, 96);
        wchar_t name[64];
        _snwprintf(name, 64, L"SizeTest-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        name[63] = 0;
        valueName = name;
    }
    void TearDown() override
    {
        engine->m_dpi = savedDpi;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, CTWndSize::kPlacementKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, valueName.c_str());
            RegCloseKey(key);
        }
    }

    // The borderless dialog at 400 x 400, where window and client area coincide.
    void MakeSquare(SizeDialog& dlg)
    {
        ASSERT_TRUE(dlg.CreateDialogFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(300), nullptr));
        SetWindowPos(dlg.m_hWnd, nullptr, 50, 50, 400, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(dlg.m_hWnd, &client);
        ASSERT_TRUE(RectIs(client, 0, 0, 400, 400));
    }
    // The framed dialog at (100, 100) with 420 x 320. Framed windows are shown only where a test
    // needs it: hiding a window the (absent) window manager would own costs Wine seconds.
    void MakeFramed(SizeDialog& dlg, bool show = false)
    {
        ASSERT_TRUE(dlg.CreateDialogFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(show ? 301 : 300), nullptr));
        SetWindowPos(dlg.m_hWnd, nullptr, 100, 100, 420, 320, SWP_NOZORDER | SWP_NOACTIVATE);
        if (show) {
            ShowWindow(dlg.m_hWnd, SW_SHOWNA);
            Pump();
        }
    }
    void WriteRaw(DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, CTWndSize::kPlacementKey, &key));
        RegSetValueExW(key, valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    CTREngine* engine = nullptr;
    ScreenDpi savedDpi;
    std::wstring valueName;
};
} // namespace

TEST_F(CTWndSizeTest, AnchorTable)
{
    struct Case {
        DWORD flags;
        RECT start;
        RECT expected; // after the client area went from 400 x 400 to 500 x 300
    } cases[] = {
        {0x0009, {300, 10, 380, 30}, {400, 10, 480, 30}},     // moves with the right edge
        {0x000F, {300, 300, 380, 380}, {400, 200, 480, 280}}, // moves with the bottom-right corner
        {0x0006, {10, 300, 100, 380}, {10, 200, 100, 280}},   // moves with the bottom edge
        {0x000C, {10, 10, 380, 380}, {10, 10, 480, 280}},     // grows with the corner
        {0x0080, {10, 10, 100, 360}, {10, 10, 100, 270}},     // bottom at trunc(300 / (400 / 360))
        {0x00C0, {10, 100, 100, 200}, {10, 75, 100, 150}},    // top and bottom proportional
        {0x0300, {100, 10, 200, 30}, {125, 10, 250, 30}},     // left and right proportional
        {0x0014, {50, 10, 150, 390}, {50, 10, 248, 290}},     // left half
        {0x002C, {250, 10, 350, 390}, {252, 10, 450, 290}},   // right half
        {0x1001, {150, 10, 250, 30}, {200, 10, 300, 30}},     // keeps its offset from the middle
        {0x1009, {150, 10, 270, 30}, {200, 10, 310, 30}},     // right edge at the middle + width / 2
        {0x1002, {10, 190, 50, 210}, {10, 140, 50, 160}},     // centred vertically
    };
    SizeDialog dlg;
    MakeSquare(dlg);
    ASSERT_TRUE(dlg.Init(dlg.m_hWnd, false, 0, 0, false));
    EXPECT_EQ(400, dlg.m_initWidth);
    EXPECT_EQ(400, dlg.m_initHeight);
    HWND children[std::size(cases)];
    for (size_t i = 0; i < std::size(cases); ++i) {
        children[i] = AddChild(dlg.m_hWnd, cases[i].start);
        dlg.AddItem(children[i], cases[i].flags);
    }
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const RECT& e = cases[i].expected;
        EXPECT_TRUE(RectIs(ChildRect(dlg.m_hWnd, children[i]), e.left, e.top, e.right, e.bottom))
            << "flags 0x" << std::hex << cases[i].flags;
    }
}

TEST_F(CTWndSizeTest, HalvesAtAnOddWidthAndFirstFlagsKept)
{
    SizeDialog dlg;
    MakeSquare(dlg);
    dlg.Init(dlg.m_hWnd, false, 0, 0, false);
    HWND right = AddChild(dlg.m_hWnd, {250, 10, 350, 30});
    HWND left = AddChild(dlg.m_hWnd, {50, 10, 150, 30});
    dlg.AddItem(right, 0x2C);
    dlg.AddItem(left, 0x14);
    dlg.AddItem(left, 0x0F); // already anchored: keeps 0x14
    EXPECT_EQ(2u, dlg.m_items.GetCount());
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 401, 400, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_EQ(202, ChildRect(dlg.m_hWnd, right).left);
    RECT rc = ChildRect(dlg.m_hWnd, left);
    EXPECT_TRUE(RectIs(rc, 50, 10, 198, 30));

    // A removed child no longer follows.
    dlg.RemoveItem(left);
    EXPECT_EQ(1u, dlg.m_items.GetCount());
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 300, 400, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_TRUE(RectIs(ChildRect(dlg.m_hWnd, left), 50, 10, 198, 30));
}

TEST_F(CTWndSizeTest, MinimumFollowsTheScreenDpi)
{
    struct Case {
        int dpi, minW, minH;
        bool apply;
        int expectW, expectH;     // minimum tracking size
        int windowW, windowH;     // window size afterwards
    } cases[] = {
        {144, 300, 200, true, 450, 300, 450, 400},
        {120, 300, 200, false, 375, 250, 400, 400},
        {96, 0, 0, true, 400, 400, 400, 400}, // both 0: the current size is the minimum
        {144, 0, 0, true, 400, 400, 400, 400},
    };
    for (const Case& c : cases) {
        engine->m_dpi.Set(c.dpi, c.dpi);
        SizeDialog dlg;
        MakeSquare(dlg);
        dlg.Init(dlg.m_hWnd, false, c.minW, c.minH, c.apply);
        MINMAXINFO info = {};
        EXPECT_EQ(0, SendMessageW(dlg.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(c.expectW, info.ptMinTrackSize.x) << c.dpi;
        EXPECT_EQ(c.expectH, info.ptMinTrackSize.y) << c.dpi;
        RECT rc;
        GetWindowRect(dlg.m_hWnd, &rc);
        EXPECT_EQ(c.windowW, rc.right - rc.left) << c.dpi;
        EXPECT_EQ(c.windowH, rc.bottom - rc.top) << c.dpi;
    }
}

TEST_F(CTWndSizeTest, VerticalScrollingRangeSteppingAndReturnToTop)
{
    SizeDialog dlg;
    MakeSquare(dlg);
    HWND child = AddChild(dlg.m_hWnd, {10, 10, 100, 30});
    dlg.Init(dlg.m_hWnd, false, 0, 0, false);
    dlg.EnableVerticalScroll();
    ShowWindow(dlg.m_hWnd, SW_SHOWNA);

    // Shrinking below the initial height shows a bar over 0..initial height.
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 400, 200, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_TRUE(GetWindowLongW(dlg.m_hWnd, GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO si = {sizeof(si), SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(dlg.m_hWnd, SB_VERT, &si));
    EXPECT_EQ(0, si.nMin);
    EXPECT_EQ(400, si.nMax);
    EXPECT_EQ(200u, si.nPage);

    struct Step {
        int code, thumb, expected;
    } steps[] = {
        {SB_LINEUP, 0, 0},          // nothing at the top
        {SB_PAGEDOWN, 0, 20},       // a tenth of 400 - 200
        {SB_LINEDOWN, 0, 25},
        {SB_LINEUP, 0, 20},
        {SB_THUMBTRACK, 197, 197},
        {SB_LINEDOWN, 0, 200},      // only the 3 that are left
        {SB_LINEDOWN, 0, 200},      // nothing at the end
        {SB_PAGEDOWN, 0, 200},
        {SB_THUMBPOSITION, 4, 4},
        {SB_LINEUP, 0, 0},          // below 6: up by the position
        {SB_ENDSCROLL, 0, 0},       // handled, nothing done
    };
    for (const Step& s : steps) {
        EXPECT_EQ(0, SendMessageW(dlg.m_hWnd, WM_VSCROLL, MAKEWPARAM(s.code, s.thumb), 0));
        EXPECT_EQ(s.expected, dlg.m_scrollPos) << "code " << s.code;
        EXPECT_EQ(s.expected, GetScrollPos(dlg.m_hWnd, SB_VERT));
        EXPECT_EQ(10 - s.expected, ChildRect(dlg.m_hWnd, child).top) << "content follows, code " << s.code;
    }

    // The wheel: one notch down scrolls 120, clamped to the end.
    SendMessageW(dlg.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(120, dlg.m_scrollPos);
    SendMessageW(dlg.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
    EXPECT_EQ(200, dlg.m_scrollPos);
    EXPECT_EQ(-190, ChildRect(dlg.m_hWnd, child).top);

    // Growing a little keeps the content's bottom at the bottom edge.
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_EQ(100, dlg.m_scrollPos);
    EXPECT_EQ(-90, ChildRect(dlg.m_hWnd, child).top);

    // Growing back to at least the initial height scrolls the content back to the top.
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 400, 450, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    EXPECT_EQ(0, dlg.m_scrollPos);
    EXPECT_EQ(10, ChildRect(dlg.m_hWnd, child).top);

    // Without scrolling switched on, WM_VSCROLL is not handled.
    SizeDialog plain;
    MakeSquare(plain);
    plain.Init(plain.m_hWnd, false, 0, 0, false);
    EXPECT_FALSE(plain.OnVScroll(SB_LINEDOWN, 0, nullptr));
}

TEST_F(CTWndSizeTest, SizeGripHitTestAndPainting)
{
    SizeDialog dlg;
    MakeFramed(dlg, true);
    dlg.Init(dlg.m_hWnd, true, 0, 0, false);
    RECT wr;
    GetWindowRect(dlg.m_hWnd, &wr);
    EXPECT_EQ(HTBOTTOMRIGHT, SendMessageW(dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(wr.right - 2, wr.bottom - 2)));
    EXPECT_NE(HTBOTTOMRIGHT, SendMessageW(dlg.m_hWnd, WM_NCHITTEST, 0,
                                          MAKELPARAM((wr.left + wr.right) / 2, (wr.top + wr.bottom) / 2)));

    // The grip is painted in the bottom-right corner, and the owner still paints the rest.
    dlg.ownPaint = true;
    InvalidateRect(dlg.m_hWnd, nullptr, TRUE);
    UpdateWindow(dlg.m_hWnd);
    RECT client;
    GetClientRect(dlg.m_hWnd, &client);
    EXPECT_FALSE(IsRectEmpty(&dlg.m_grip));
    EXPECT_EQ(client.right, dlg.m_grip.right);
    EXPECT_EQ(client.bottom, dlg.m_grip.bottom);
    EXPECT_GE(dlg.paints, 1);
    EXPECT_FALSE(IsRectEmpty(&dlg.lastPaint));
    EXPECT_EQ(0, dlg.lastPaint.left);
    EXPECT_EQ(0, dlg.lastPaint.top);

    // Without the grip flag nothing is hit-tested.
    SizeDialog plain;
    MakeFramed(plain);
    plain.Init(plain.m_hWnd, false, 0, 0, false);
    GetWindowRect(plain.m_hWnd, &wr);
    EXPECT_EQ(HTCLIENT, SendMessageW(plain.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(wr.right - 2, wr.bottom - 2)));
    EXPECT_TRUE(IsRectEmpty(&plain.m_grip));
}

TEST_F(CTWndSizeTest, PlacementSaveAndRestore)
{
    SizeDialog dlg;
    MakeFramed(dlg);
    dlg.Init(dlg.m_hWnd, true, 0, 0, false);

    // First run: nothing stored, nothing changes.
    dlg.RestorePlacement(valueName.c_str(), 1);
    RECT rc;
    GetWindowRect(dlg.m_hWnd, &rc);
    EXPECT_TRUE(RectIs(rc, 100, 100, 520, 420));

    dlg.SavePlacement(valueName.c_str());
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, CTWndSize::kPlacementKey, 0, KEY_READ, &key));
    BYTE raw[64] = {};
    DWORD type = 0, size = sizeof(raw);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, valueName.c_str(), nullptr, &type, raw, &size));
    RegCloseKey(key);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(44u, size);
    EXPECT_EQ(44u, *reinterpret_cast<DWORD*>(raw));

    // Mode 0: the stored size only; the position stays.
    SetWindowPos(dlg.m_hWnd, nullptr, 200, 150, 500, 380, SWP_NOZORDER | SWP_NOACTIVATE);
    dlg.RestorePlacement(valueName.c_str(), 0);
    GetWindowRect(dlg.m_hWnd, &rc);
    EXPECT_TRUE(RectIs(rc, 200, 150, 620, 470));

    // Mode 1: position and size.
    dlg.RestorePlacement(valueName.c_str(), 1);
    GetWindowRect(dlg.m_hWnd, &rc);
    EXPECT_TRUE(RectIs(rc, 100, 100, 520, 420));

    // Other modes and a null name do nothing.
    SetWindowPos(dlg.m_hWnd, nullptr, 200, 150, 500, 380, SWP_NOZORDER | SWP_NOACTIVATE);
    dlg.RestorePlacement(valueName.c_str(), 2);
    dlg.RestorePlacement(nullptr, 1);
    GetWindowRect(dlg.m_hWnd, &rc);
    EXPECT_TRUE(RectIs(rc, 200, 150, 700, 530));

    // A maximised window comes back maximised.
    ShowWindow(dlg.m_hWnd, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(dlg.m_hWnd));
    SaveWindowPlacement(dlg.m_hWnd, valueName.c_str());
    ShowWindow(dlg.m_hWnd, SW_RESTORE);
    ASSERT_FALSE(IsZoomed(dlg.m_hWnd));
    RestoreWindowPlacement(dlg.m_hWnd, valueName.c_str());
    EXPECT_TRUE(IsZoomed(dlg.m_hWnd));
}

TEST_F(CTWndSizeTest, PlacementOffScreenIsBroughtBackOntoTheMonitor)
{
    SizeDialog dlg;
    MakeFramed(dlg);
    dlg.Init(dlg.m_hWnd, false, 0, 0, false);
    WINDOWPLACEMENT wp = {sizeof(wp)};
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = {5000, 4000, 5300, 4200};
    WriteRaw(REG_BINARY, &wp, 44);
    dlg.RestorePlacement(valueName.c_str(), 1);
    RECT rc, work;
    GetWindowRect(dlg.m_hWnd, &rc);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(300, rc.right - rc.left);
    EXPECT_EQ(200, rc.bottom - rc.top);
    EXPECT_GE(rc.left, work.left);
    EXPECT_GE(rc.top, work.top);
    EXPECT_LE(rc.right, work.right);
    EXPECT_LE(rc.bottom, work.bottom);

    // A placement partly off the left edge is moved in too.
    wp.rcNormalPosition = {-250, 50, 50, 250};
    WriteRaw(REG_BINARY, &wp, 44);
    RestoreWindowPlacement(dlg.m_hWnd, valueName.c_str());
    GetWindowRect(dlg.m_hWnd, &rc);
    EXPECT_EQ(work.left, rc.left);
    EXPECT_EQ(300, rc.right - rc.left);
}

TEST_F(CTWndSizeTest, UntrustworthyPlacementsRestoreNothing)
{
    WINDOWPLACEMENT good = {sizeof(good)};
    good.showCmd = SW_SHOWNORMAL;
    good.rcNormalPosition = {10, 10, 300, 250};
    BYTE longer[48] = {};
    memcpy(longer, &good, 44);
    WINDOWPLACEMENT wrongLength = good;
    wrongLength.length = 40;
    WINDOWPLACEMENT inverted = good;
    inverted.rcNormalPosition = {300, 250, 10, 10};
    WINDOWPLACEMENT hidden = good;
    hidden.showCmd = SW_HIDE;
    WINDOWPLACEMENT absurdShow = good;
    absurdShow.showCmd = 77;
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {
        {"shorter record with length 44", REG_BINARY, &good, 40},
        {"longer record", REG_BINARY, longer, 48},
        {"wrong length field", REG_BINARY, &wrongLength, 44},
        {"wrong type", REG_SZ, &good, 44},
        {"empty normal rectangle", REG_BINARY, &inverted, 44},
        {"hidden", REG_BINARY, &hidden, 44},
        {"unknown show command", REG_BINARY, &absurdShow, 44},
    };
    for (const Case& c : cases) {
        SizeDialog dlg;
        MakeFramed(dlg);
        dlg.Init(dlg.m_hWnd, false, 0, 0, false);
        WriteRaw(c.type, c.data, c.size);
        dlg.RestorePlacement(valueName.c_str(), 1);
        dlg.RestorePlacement(valueName.c_str(), 0);
        RECT rc;
        GetWindowRect(dlg.m_hWnd, &rc);
        EXPECT_TRUE(RectIs(rc, 100, 100, 520, 420)) << c.what;
        EXPECT_FALSE(IsWindowVisible(dlg.m_hWnd)) << c.what; // nothing applied, so not shown either
    }
}
