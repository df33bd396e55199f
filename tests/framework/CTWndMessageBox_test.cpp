// ctest-env: LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "framework/CTWndMessageBox.h"
#include "framework/MemoryBitmap.h"
#include "tests/framework/FakeSeams.h"

namespace {

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

struct Button {
    int id;
    std::wstring text;
    RECT rect; // in the dialog's client coordinates
};

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hwnd)
{
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

RECT ClientRectOf(HWND child)
{
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::vector<HWND> Children(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
    return children;
}

// The push buttons from left to right.
std::vector<Button> PushButtons(HWND dialog)
{
    std::vector<Button> buttons;
    for (HWND child : Children(dialog)) {
        LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") != 0) continue;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) continue;
        buttons.push_back({GetDlgCtrlID(child), TextOf(child), ClientRectOf(child)});
    }
    std::sort(buttons.begin(), buttons.end(), [](const Button& a, const Button& b) { return a.rect.left < b.rect.left; });
    return buttons;
}

// The text static: the static control that is not the icon.
HWND TextStatic(HWND dialog)
{
    for (HWND child : Children(dialog))
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            return child;
    return nullptr;
}

HWND IconStatic(HWND dialog)
{
    for (HWND child : Children(dialog))
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    return nullptr;
}

void PressEscape(HWND dialog)
{
    HWND focus = GetFocus();
    if (!focus || (focus != dialog && !IsChild(dialog, focus))) focus = dialog;
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

TEST(CTWndMessageBox, ButtonSetsDefaultButtonsAndResults)
{
    struct Case {
        DWORD style;
        std::vector<int> ids;
    } cases[] = {
        {0, {1}},
        {1, {1, 2}},
        {2, {3, 4, 5}},
        {3, {6, 7, 2}},
        {3 | 0x8000000 | 0x10000000, {6, 19, 7, 20, 2}},
        {4, {6, 7}},
        {4 | 0x10000000, {6, 7, 20}},
        {1 | 0x8000000, {1, 2}}, // the extra buttons belong to sets 3 and 4 only
        {5, {4, 2}},
        {6, {2, 4, 11}},
        {7, {11, 3}},
        {8, {14, 15, 2}},
        {9, {5, 16, 2}},
        {10, {21, 2}},
    };
    ScriptedMessageBoxAnswerer answerer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        answerer.Expect([&c](CTWndMessageBox& box, HWND dialog) {
            std::vector<Button> buttons = PushButtons(dialog);
            std::vector<int> ids;
            for (const Button& b : buttons) {
                ids.push_back(b.id);
                EXPECT_EQ(b.text, CTApp::GetButtonCaption(b.id));
                EXPECT_EQ(b.rect.top, buttons[0].rect.top);
            }
            EXPECT_EQ(ids, c.ids);
            EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), c.ids.front());
            box.Press(c.ids.back());
        });
        CTWndMessageBox box;
        EXPECT_EQ(box.Show(nullptr, Module(), L"Text", L"Caption", c.style), c.ids.back());
    }

    // Sets 11 to 15 have no buttons; the close box still answers IDCANCEL.
    answerer.Expect([](CTWndMessageBox&, HWND dialog) {
        EXPECT_TRUE(PushButtons(dialog).empty());
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    CTWndMessageBox empty;
    EXPECT_EQ(empty.Show(nullptr, Module(), L"Text", L"Caption", 11), IDCANCEL);
}

TEST(CTWndMessageBox, EscapeAndTheCloseBoxAnswerCancelWhateverTheButtons)
{
    ScriptedMessageBoxAnswerer answerer;
    for (DWORD style : {0u, 4u}) { // OK only; Yes and No without Cancel
        SCOPED_TRACE(style);
        answerer.Expect([](CTWndMessageBox&, HWND dialog) { PressEscape(dialog); });
        CTWndMessageBox box;
        EXPECT_EQ(box.Show(nullptr, Module(), L"Text", L"Caption", style), IDCANCEL);
    }
    answerer.Expect([](CTWndMessageBox&, HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
    CTWndMessageBox box;
    EXPECT_EQ(box.Show(nullptr, Module(), L"Text", L"Caption", 4), IDCANCEL);
}

TEST(CTWndMessageBox, IconFollowsTheStyle)
{
    struct Case {
        DWORD style;
        const wchar_t* icon;
    } cases[] = {{0, IDI_HAND}, {0x10, IDI_HAND}, {0x20, IDI_QUESTION}, {0x30, IDI_EXCLAMATION}, {0x40, IDI_ASTERISK},
                 {0x70, IDI_HAND}};
    ScriptedMessageBoxAnswerer answerer;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        answerer.Expect([&c](CTWndMessageBox& box, HWND dialog) {
            HWND icon = IconStatic(dialog);
            ASSERT_NE(icon, nullptr);
            HICON expected = static_cast<HICON>(LoadImageW(nullptr, c.icon, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)), expected);
            box.Press(IDOK);
        });
        CTWndMessageBox box;
        EXPECT_EQ(box.Show(nullptr, Module(), L"Text", L"Caption", c.style), IDOK);
    }
}

TEST(CTWndMessageBox, TheCheckBoxAddsItsFlagToTheAnswer)
{
    const DWORD style = 3 | CTWndMessageBox::kStyleCheckBox;
    ScriptedMessageBoxAnswerer answerer;

    // Ticked, then No.
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        HWND check = GetDlgItem(dialog, CTWndMessageBox::kCheckBoxId);
        ASSERT_NE(check, nullptr);
        EXPECT_EQ(GetWindowLongW(check, GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_EQ(TextOf(check), CTApp::GetButtonCaption(0x1000000)); // the localized default
        SendMessageW(check, BM_CLICK, 0, 0); // ticking does not end the box
        EXPECT_TRUE(IsWindow(dialog));
        box.Press(IDNO);
    });
    CTWndMessageBox ticked;
    EXPECT_EQ(ticked.Show(nullptr, Module(), L"Text", L"Caption", style), IDNO + 0x2000000);

    // Not ticked.
    answerer.Expect([](CTWndMessageBox& box, HWND) { box.Press(IDYES); });
    CTWndMessageBox plain;
    EXPECT_EQ(plain.Show(nullptr, Module(), L"Text", L"Caption", style), IDYES);

    // Escape keeps the flag; the close box does not carry it.
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        box.SetChecked(true);
        PressEscape(dialog);
    });
    CTWndMessageBox escaped;
    EXPECT_EQ(escaped.Show(nullptr, Module(), L"Text", L"Caption", style), IDCANCEL + 0x2000000);
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        box.SetChecked(true);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    CTWndMessageBox closed;
    EXPECT_EQ(closed.Show(nullptr, Module(), L"Text", L"Caption", style), IDCANCEL);

    // A caller's own check-box text.
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        EXPECT_EQ(TextOf(GetDlgItem(dialog, CTWndMessageBox::kCheckBoxId)), L"Remember my choice");
        box.Press(IDOK);
    });
    CTWndMessageBox custom(nullptr, Module(), L"Text", L"Caption", CTWndMessageBox::kStyleCheckBox, nullptr,
                           L"Remember my choice");
    EXPECT_EQ(custom.Run(), IDOK);

    // Without the style there is no check box and no flag.
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        EXPECT_EQ(GetDlgItem(dialog, CTWndMessageBox::kCheckBoxId), nullptr);
        box.Press(IDOK);
    });
    CTWndMessageBox none;
    EXPECT_EQ(none.Show(nullptr, Module(), L"Text", L"Caption", 0), IDOK);
}

int MaxTextWidth(HWND owner)
{
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi);
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
    return std::max<int>((mi.rcWork.right - mi.rcWork.left) / 4, MulDiv(260, dpi, 96));
}

SIZE Extent(HWND control, const std::wstring& text)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

TEST(CTWndMessageBox, LongTextsWrapAtTheMaximumWidthAndLineFeedsBreakLines)
{
    ScriptedMessageBoxAnswerer answerer;
    std::wstring longText;
    for (int i = 0; i < 40; ++i) longText += L"word" + std::to_wstring(i) + L" and more ";

    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        HWND text = TextStatic(dialog);
        ASSERT_NE(text, nullptr);
        RECT rc = ClientRectOf(text);
        const int maxWidth = MaxTextWidth(dialog);
        EXPECT_EQ(rc.right - rc.left, maxWidth - 6 * box.m_margin - box.m_iconSize.cx);
        SIZE line = Extent(text, L"Xy");
        EXPECT_GT(rc.bottom - rc.top, 3 * line.cy); // several lines
        EXPECT_EQ(rc.left, box.m_iconSize.cx + 4 * box.m_margin);
        EXPECT_EQ(rc.top, box.m_spacing);

        // The buttons sit below the text, right-aligned with a margin to spare.
        RECT client;
        GetClientRect(dialog, &client);
        std::vector<Button> buttons = PushButtons(dialog);
        ASSERT_EQ(buttons.size(), 2u);
        EXPECT_EQ(buttons[0].rect.top, 2 * box.m_spacing + (rc.bottom - rc.top));
        EXPECT_EQ(buttons[1].rect.left - buttons[0].rect.right, box.m_margin);
        EXPECT_EQ(buttons[1].rect.right - buttons[1].rect.left, box.m_buttonWidth);
        box.Press(IDOK);
    });
    CTWndMessageBox wrapped;
    EXPECT_EQ(wrapped.Show(nullptr, Module(), longText.c_str(), L"Caption", 1), IDOK);

    // Line feeds: as wide as the widest line, one row per line.
    const std::wstring lines = L"short\r\nthis line is the widest of the three\nend";
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        HWND text = TextStatic(dialog);
        ASSERT_NE(text, nullptr);
        RECT rc = ClientRectOf(text);
        SIZE widest = Extent(text, L"this line is the widest of the three");
        EXPECT_EQ(rc.right - rc.left, widest.cx);
        EXPECT_EQ(rc.bottom - rc.top, 3 * widest.cy);
        EXPECT_EQ(TextOf(text), L"short\r\nthis line is the widest of the three\nend");
        box.Press(IDOK);
    });
    CTWndMessageBox broken;
    EXPECT_EQ(broken.Show(nullptr, Module(), lines.c_str(), L"Caption", 0), IDOK);

    // A line-fed text whose widest line passes the maximum is wrapped further.
    std::wstring wide = L"first\n" + longText;
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        RECT rc = ClientRectOf(TextStatic(dialog));
        EXPECT_EQ(rc.right - rc.left, MaxTextWidth(dialog) - 6 * box.m_margin - box.m_iconSize.cx);
        box.Press(IDOK);
    });
    CTWndMessageBox both;
    EXPECT_EQ(both.Show(nullptr, Module(), wide.c_str(), L"Caption", 0), IDOK);
}

// The text control has room for the whole text as it draws it: tabs expanded, lines wrapped, long
// words (a realtime error's compact JSON) broken.
TEST(CTWndMessageBox, TheTextControlHoldsTheWholeText)
{
    std::wstring json = L"{";
    for (int i = 0; i < 40; ++i) json += L"\"key" + std::to_wstring(i) + L"\":" + std::to_wstring(i * 1000) + L",";
    json += L"\"end\":1}";
    const std::wstring texts[] = {
        L"code\t7\twhy\tserver going down now",
        L"first\tline\r\nsecond\t\tline with tabs\nthird",
        json,
        L"{\"code\":7,\"why\":\"x\"}",
    };
    ScriptedMessageBoxAnswerer answerer;
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
            HWND control = TextStatic(dialog);
            ASSERT_NE(control, nullptr);
            RECT rc = {};
            GetClientRect(control, &rc);
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
            RECT need = {0, 0, rc.right, 0};
            DrawTextW(dc, box.m_text, -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            EXPECT_LE(need.right, rc.right);
            EXPECT_LE(need.bottom, rc.bottom);
            box.Press(IDOK);
        });
        CTWndMessageBox box;
        EXPECT_EQ(box.Show(nullptr, Module(), text.c_str(), L"QEL Realtime Error", MB_OK), IDOK);
    }
}

// A text taller than the screen: the box stays on the screen with its buttons, and the text scrolls.
TEST(CTWndMessageBox, ATextTallerThanTheScreenScrolls)
{
    std::wstring text;
    for (int i = 0; i < 400; ++i) text += L"line " + std::to_wstring(i) + L" of a long error\n";
    ScriptedMessageBoxAnswerer answerer;
    answerer.Expect([&](CTWndMessageBox& box, HWND dialog) {
        MONITORINFO mi = {};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &mi);
        RECT window = {};
        GetWindowRect(dialog, &window);
        EXPECT_LE(window.bottom - window.top, mi.rcWork.bottom - mi.rcWork.top);
        HWND edit = nullptr;
        for (HWND child : Children(dialog))
            if (_wcsicmp(ClassOf(child).c_str(), L"Edit") == 0) edit = child;
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & WS_VSCROLL);
        EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
        EXPECT_EQ(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 401);   // every line once, none wrapped
        RECT client = {};
        GetClientRect(dialog, &client);
        std::vector<Button> buttons = PushButtons(dialog);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_LE(buttons[0].rect.bottom, client.bottom);
        box.Press(IDOK);
    });
    CTWndMessageBox box;
    EXPECT_EQ(box.Show(nullptr, Module(), text.c_str(), L"QEL Realtime Error", MB_OK), IDOK);
}

TEST(CTWndMessageBox, PlacementOverTheOwnerOrTheScreen)
{
    ScriptedMessageBoxAnswerer answerer;
    auto centreOf = [](const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; };

    // No owner: centred on the screen's work area.
    answerer.Expect([&](CTWndMessageBox& box, HWND dialog) {
        RECT rc, work;
        GetWindowRect(dialog, &rc);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR(centreOf(rc).x, centreOf(work).x, 2);
        EXPECT_NEAR(centreOf(rc).y, centreOf(work).y, 2);
        EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & WS_POPUP, WS_POPUP);
        EXPECT_EQ(TextOf(dialog), L"Caption");
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        box.Press(IDOK);
    });
    CTWndMessageBox onScreen;
    EXPECT_EQ(onScreen.Show(nullptr, Module(), L"Text", L"Caption", MB_TOPMOST), IDOK);

    // Over a visible owner, given through one of its children.
    CTWnd2 owner;
    RECT ownerRect = {100, 100, 700, 500}; // x, y, width, height
    ASSERT_TRUE(owner.Create(L"MessageBoxOwner", true, nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, Module(), &ownerRect));
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, owner.m_hWnd, nullptr, nullptr, nullptr);
    answerer.Expect([&](CTWndMessageBox& box, HWND dialog) {
        RECT rc, ownerNow;
        GetWindowRect(dialog, &rc);
        GetWindowRect(owner.m_hWnd, &ownerNow);
        EXPECT_NEAR(centreOf(rc).x, centreOf(ownerNow).x, 1);
        EXPECT_NEAR(centreOf(rc).y, centreOf(ownerNow).y, 1);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.m_hWnd);
        EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        box.Press(IDOK);
    });
    CTWndMessageBox overOwner;
    EXPECT_EQ(overOwner.Show(child, Module(), L"Text", L"Caption", 0), IDOK);
    owner.Destroy();
}

TEST(CTWndMessageBox, HeaderLayoutShowsTheCaptionInABandAndTheOwnersTitle)
{
    ScriptedMessageBoxAnswerer answerer;
    CTWnd2 owner;
    ASSERT_TRUE(owner.Create(L"MessageBoxOwner", true, nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, Module(), nullptr));
    owner.SetWindowText(L"Owner title");
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        EXPECT_EQ(TextOf(dialog), L"Owner title");
        HWND band = nullptr;
        for (HWND child : Children(dialog))
            if (ClassOf(child) == L"TDialogHeader") band = child;
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(TextOf(band), L"Saving failed");
        RECT client, rc = ClientRectOf(band);
        GetClientRect(dialog, &client);
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.top, 0);
        EXPECT_EQ(rc.right, client.right);
        EXPECT_EQ(rc.bottom, box.m_bandHeight);
        RECT text = ClientRectOf(TextStatic(dialog));
        EXPECT_EQ(text.left, 2 * box.m_margin);
        EXPECT_EQ(text.top, box.m_bandHeight + 2 * box.m_spacing);
        EXPECT_EQ(IconStatic(dialog), nullptr); // the band carries the picture
        box.Press(IDOK);
    });
    CTWndMessageBox box;
    EXPECT_EQ(box.Show(owner.m_hWnd, Module(), L"The object could not be saved.", L"Saving failed",
                       CTWndMessageBox::kStyleHeader),
              IDOK);
    owner.Destroy();
}

DWORD WINAPI BlueHighlight(int index) { return index == COLOR_HIGHLIGHT ? RGB(0, 120, 215) : GetSysColor(index); }

TEST(CTWndMessageBox, HeaderBandPaintsItsColourTheCaptionAndTheIcon)
{
    CTREngine::Instance()->SetSysColorSource(BlueHighlight);
    ScriptedMessageBoxAnswerer answerer;
    answerer.Expect([](CTWndMessageBox& box, HWND dialog) {
        HWND band = nullptr;
        for (HWND child : Children(dialog))
            if (ClassOf(child) == L"TDialogHeader") band = child;
        ASSERT_NE(band, nullptr);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT rc;
        GetClientRect(band, &rc);
        ASSERT_EQ(rc.bottom, box.m_bandHeight);
        // What reached the screen: the band's own device context reads back the window's pixels.
        HDC dc = GetDC(band);
        // The default look: the highlight at 80 % (0, 96, 172), reached at the foot of the gradient.
        EXPECT_TRUE(ColourNear(GetPixel(dc, rc.right - 2, rc.bottom - 1), RGB(0, 96, 172), 12));
        // The caption in white after the icon: the band's background has no red, the ink has.
        const int textLeft = box.m_iconSize.cx + 6;
        int ink = 0;
        for (int y = 0; y < rc.bottom; ++y)
            for (int x = textLeft; x < rc.right; ++x)
                if (GetRValue(GetPixel(dc, x, y)) > 200) ++ink;
        EXPECT_GT(ink, 20) << "no caption drawn in the band";
        EXPECT_LT(ink, (rc.right - textLeft) * rc.bottom / 4) << "the band is not filled";
        // The icon sits on a lighter backing at the left.
        EXPECT_GT(GetRValue(GetPixel(dc, 1, rc.bottom - 1)), 80);
        ReleaseDC(band, dc);
        box.Press(IDOK);
    });
    CTWndMessageBox box;
    EXPECT_EQ(box.Show(nullptr, Module(), L"The object could not be saved.", L"Saving failed",
                       CTWndMessageBox::kStyleHeader | MB_ICONEXCLAMATION),
              IDOK);
    CTREngine::Instance()->SetSysColorSource(nullptr);
}

TEST(CTWndMessageBox, BoxesShownOnAnotherThreadAreAnsweredThere)
{
    ScriptedMessageBoxAnswerer answerer;
    DWORD answeredOn = 0;
    answerer.Expect([&answeredOn](CTWndMessageBox& box, HWND) {
        answeredOn = GetCurrentThreadId();
        box.Press(IDRETRY);
    });
    DWORD workerId = 0;
    INT_PTR result = 0;
    std::thread worker([&] {
        workerId = GetCurrentThreadId();
        CTWndMessageBox box;
        result = box.Show(nullptr, Module(), L"The request has timed out.", L"System Error", 5);
    });
    worker.join();
    EXPECT_EQ(result, IDRETRY);
    EXPECT_EQ(answeredOn, workerId);
    EXPECT_NE(answeredOn, GetCurrentThreadId());
}

INT_PTR g_unexpectedResult = 0;

void ShowUnexpectedBox()
{
    CTWndMessageBox box;
    g_unexpectedResult = box.Show(nullptr, Module(), L"Nobody expects this", L"Surprise", 4);
}

TEST(CTWndMessageBox, AnUnexpectedBoxFailsTheTestInsteadOfWaiting)
{
    g_unexpectedResult = 0;
    EXPECT_NONFATAL_FAILURE(ShowUnexpectedBox(), "unexpected message box \"Surprise\"");
    EXPECT_EQ(g_unexpectedResult, IDCANCEL);

    g_unexpectedResult = 0;
    EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(std::thread(ShowUnexpectedBox).join(), "Nobody expects this");
    EXPECT_EQ(g_unexpectedResult, IDCANCEL);
}

} // namespace
