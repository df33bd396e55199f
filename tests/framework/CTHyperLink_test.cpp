#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "foundation/IShellLauncher.h"
#include "framework/CTHyperLink.h"

namespace {
struct RecordingLauncher : IShellLauncher {
    std::vector<std::wstring> opened;
    HRESULT result = S_OK;
    HRESULT Open(const wchar_t* file) override
    {
        opened.push_back(file ? file : L"");
        return result;
    }
};

struct Dialog : CTWnd2 {
    ~Dialog() override { Destroy(); }
};

RECT RectInParent(HWND child)
{
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE TextExtent(HWND hwnd, const wchar_t* text)
{
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(hdc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    return size;
}

class CTHyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = SetShellLauncher(&launcher);
        ASSERT_TRUE(dialog.CreateDialogFromResource(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(400), nullptr));
        ShowWindow(dialog.m_hWnd, SW_SHOWNA);
    }
    void TearDown() override { SetShellLauncher(previous); }

    // The WM_COMMAND the link posted to the dialog, or 0 when there was none.
    WPARAM TakeCommand()
    {
        MSG msg;
        if (!PeekMessageW(&msg, dialog.m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE)) return 0;
        EXPECT_EQ(0, msg.lParam);
        return msg.wParam;
    }
    COLORREF Colour(CTHyperLink& link)
    {
        HDC hdc = CreateCompatibleDC(nullptr);
        SetBkMode(hdc, OPAQUE);
        HBRUSH brush = link.OnCtlColor(hdc);
        EXPECT_EQ(GetStockObject(NULL_BRUSH), brush);
        EXPECT_EQ(TRANSPARENT, GetBkMode(hdc));
        COLORREF colour = GetTextColor(hdc);
        DeleteDC(hdc);
        return colour;
    }

    RecordingLauncher launcher;
    IShellLauncher* previous = nullptr;
    Dialog dialog;
};
} // namespace

TEST_F(CTHyperLinkTest, AttachingUnderlinesSizesAndTakesTheText)
{
    CTHyperLink left, empty;
    empty.m_target = L"https://example.test/help";
    ASSERT_TRUE(left.AttachDlgItem(dialog.m_hWnd, 1001));
    ASSERT_TRUE(empty.AttachDlgItem(dialog.m_hWnd, 1003));
    EXPECT_FALSE(CTHyperLink().AttachDlgItem(dialog.m_hWnd, 4711));

    EXPECT_STREQ(L"Left", left.m_target.GetBuffer());
    // An empty item shows the target that was set first.
    wchar_t text[64];
    GetWindowTextW(empty.m_hWnd, text, 64);
    EXPECT_STREQ(L"https://example.test/help", text);

    // The link's own underlined copy of the dialog font.
    EXPECT_EQ(reinterpret_cast<LRESULT>(left.m_font), SendMessageW(left.m_hWnd, WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    GetObjectW(left.m_font, sizeof(lf), &lf);
    EXPECT_TRUE(lf.lfUnderline);

    // Sized to its text, the left edge kept.
    RECT rc = RectInParent(left.m_hWnd);
    SIZE extent = TextExtent(left.m_hWnd, L"Left");
    EXPECT_EQ(extent.cx, rc.right - rc.left);
    EXPECT_EQ(extent.cy, rc.bottom - rc.top);

    // Hand cursor and mouse input.
    ASSERT_NE(nullptr, CTHyperLink::HandCursor());
    EXPECT_EQ(TRUE, SendMessageW(left.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(left.m_hWnd), HTCLIENT));
    EXPECT_EQ(HTCLIENT, SendMessageW(left.m_hWnd, WM_NCHITTEST, 0, 0));
}

TEST_F(CTHyperLinkTest, LongTextGrowsAwayFromTheAlignedEdge)
{
    CTHyperLink left, right, middle;
    ASSERT_TRUE(left.AttachDlgItem(dialog.m_hWnd, 1001));
    ASSERT_TRUE(right.AttachDlgItem(dialog.m_hWnd, 1002));
    ASSERT_TRUE(middle.AttachDlgItem(dialog.m_hWnd, 1005));
    const wchar_t* longText = L"A link text much wider than its item";
    RECT leftBefore = RectInParent(left.m_hWnd), rightBefore = RectInParent(right.m_hWnd),
         middleBefore = RectInParent(middle.m_hWnd);
    left.SetText(longText);
    right.SetText(longText);
    middle.SetText(L"Mid");
    SIZE extent = TextExtent(left.m_hWnd, longText);
    RECT l = RectInParent(left.m_hWnd), r = RectInParent(right.m_hWnd), m = RectInParent(middle.m_hWnd);
    EXPECT_EQ(leftBefore.left, l.left);
    EXPECT_EQ(leftBefore.left + extent.cx, l.right);
    EXPECT_EQ(rightBefore.right, r.right);
    EXPECT_EQ(rightBefore.right - extent.cx, r.left);
    EXPECT_NEAR((middleBefore.left + middleBefore.right) / 2, (m.left + m.right) / 2, 1)
        << "centred items shrink equally at both sides";
    EXPECT_LT(m.right - m.left, middleBefore.right - middleBefore.left);
    EXPECT_TRUE(IsWindowVisible(left.m_hWnd));

    // A hidden link stays hidden when its text changes.
    ShowWindow(left.m_hWnd, SW_HIDE);
    left.SetText(L"Short");
    EXPECT_FALSE(IsWindowVisible(left.m_hWnd));
}

TEST_F(CTHyperLinkTest, ClearStyleMakesTheLinkCommandOnly)
{
    CTHyperLink link;
    link.m_target = L"https://example.test/";
    ASSERT_TRUE(link.AttachDlgItem(dialog.m_hWnd, 1001));
    EXPECT_FALSE(link.ClearStyle(0x80));
    EXPECT_FALSE(link.ClearStyle(0x84));
    EXPECT_EQ(0x15u, link.m_linkStyle);

    EXPECT_TRUE(link.ClearStyle(0x04));
    EXPECT_EQ(0x91u, link.m_linkStyle);
    RECT before = RectInParent(link.m_hWnd);
    link.SetText(L"Now a much longer text than before");
    RECT after = RectInParent(link.m_hWnd);
    EXPECT_TRUE(EqualRect(&before, &after)) << "the size stays fixed";

    // A click only tells the dialog, with the bare control id; nothing is opened.
    link.Click();
    EXPECT_EQ(1001u, TakeCommand());
    EXPECT_TRUE(launcher.opened.empty());
    EXPECT_FALSE(link.m_visited);

    // Clearing the underline bit gives the item a font without underline.
    EXPECT_TRUE(link.ClearStyle(0x01));
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link.m_hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_EQ(link.m_font, reinterpret_cast<HFONT>(SendMessageW(link.m_hWnd, WM_GETFONT, 0, 0)));
}

TEST_F(CTHyperLinkTest, ColourMatrix)
{
    const COLORREF blue = RGB(0, 0, 255), purple = RGB(128, 0, 128), teal = RGB(0, 128, 128), red = RGB(255, 0, 0);
    struct Case {
        DWORD style;
        bool focus;
        BOOL visited, hot;
        COLORREF expected;
    } cases[] = {
        {0x15, false, FALSE, FALSE, blue},
        {0x15, false, TRUE, FALSE, purple},
        {0x15, true, FALSE, FALSE, teal},
        {0x15, true, TRUE, FALSE, teal},
        {0x55, true, FALSE, FALSE, blue},   // no focus colour
        {0x55, true, TRUE, FALSE, purple},
        {0x17, false, FALSE, TRUE, red},    // hover colour while hot
        {0x17, true, TRUE, TRUE, red},
        {0x15, false, FALSE, TRUE, blue},   // hot without the hover bit
    };
    CTHyperLink link;
    ASSERT_TRUE(link.AttachDlgItem(dialog.m_hWnd, 1004));
    for (const Case& c : cases) {
        link.m_linkStyle = c.style;
        link.m_hasFocus = c.focus;
        link.m_visited = c.visited;
        link.m_hot = c.hot;
        EXPECT_EQ(c.expected, Colour(link)) << std::hex << c.style << " focus " << c.focus << " visited "
                                            << c.visited << " hot " << c.hot;
    }
}

TEST_F(CTHyperLinkTest, ClickOpensThroughTheLauncherAndTellsTheDialog)
{
    CTHyperLink link;
    link.m_target = L"https://example.test/page";
    ASSERT_TRUE(link.AttachDlgItem(dialog.m_hWnd, 1001));

    // Button down, then up over the link.
    SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(0u, TakeCommand()); // not on the way down
    SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_EQ(1u, launcher.opened.size());
    EXPECT_EQ(L"https://example.test/page", launcher.opened[0]);
    EXPECT_TRUE(link.m_visited);
    EXPECT_EQ(MAKEWPARAM(1001, CTHyperLink::kOpenedCode), TakeCommand());

    // Space clicks too, and a target the shell cannot open still counts.
    launcher.result = E_FAIL;
    EXPECT_EQ(0, SendMessageW(link.m_hWnd, WM_KEYDOWN, VK_SPACE, 0));
    EXPECT_EQ(2u, launcher.opened.size());
    EXPECT_EQ(MAKEWPARAM(1001, CTHyperLink::kOpenedCode), TakeCommand());
    SendMessageW(link.m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(2u, launcher.opened.size());

    // With click-on-down the press clicks and the release does not.
    link.m_linkStyle |= CTHyperLink::ClickOnDown;
    SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(3u, launcher.opened.size());
    SendMessageW(link.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(3u, launcher.opened.size());
}

TEST_F(CTHyperLinkTest, HotTrackingHoldsTheCaptureUntilTheMouseLeaves)
{
    CTHyperLink link;
    link.m_target = L"https://example.test/";
    ASSERT_TRUE(link.AttachDlgItem(dialog.m_hWnd, 1001));
    SendMessageW(link.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(link.m_hot);
    EXPECT_EQ(link.m_hWnd, GetCapture());
    SendMessageW(link.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(link.m_hWnd, GetFocus()); // focus on click
    EXPECT_TRUE(link.m_hasFocus);

    // Moving off the link releases the capture, so the release happens elsewhere: no click.
    SendMessageW(link.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 500));
    EXPECT_FALSE(link.m_hot);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(launcher.opened.empty());
    EXPECT_EQ(0u, TakeCommand());

    // Losing the focus clears focus and hot state.
    link.m_hot = TRUE;
    SendMessageW(link.m_hWnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(link.m_hasFocus);
    EXPECT_FALSE(link.m_hot);
}
