#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/CTMenu.h"
#include "framework/CTREngine.h"
#include "framework/CTWndToolbar.h"
#include "MemoryBitmap.h"

namespace {
int g_smallMetric = 16;
int WINAPI FakeMetrics(int index)
{
    if (index == SM_CXSMICON || index == SM_CYSMICON) return g_smallMetric;
    return GetSystemMetrics(index);
}

// A parent that offers every notification to its toolbar first, as the system's windows do, and
// records the after-paint notices.
struct Parent {
    HWND hwnd = nullptr;
    CTWndToolbar* toolbar = nullptr;
    std::vector<int> painted; // command ids of code-20 notices
    int prepaints = 0, itemPrepaints = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self) {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (hdr->code == CTWndToolbar::kPaintedCode) {
                self->painted.push_back(reinterpret_cast<CTWndToolbarPainted*>(lParam)->button.idCommand);
                return 0;
            }
            if (hdr->code == NM_CUSTOMDRAW) {
                auto stage = reinterpret_cast<NMCUSTOMDRAW*>(lParam)->dwDrawStage;
                self->prepaints += stage == CDDS_PREPAINT;
                self->itemPrepaints += stage == CDDS_ITEMPREPAINT;
            }
            LRESULT result = 0;
            if (self->toolbar && self->toolbar->OnReflectNotify(wParam, hdr, &result)) return result;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    Parent()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"CTWndToolbarTestParent";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 500, 200, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Parent() { DestroyWindow(hwnd); }
};

class CTWndToolbarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = CTREngine::Instance();
        savedDpi = engine->m_dpi;
        engine->m_dpi.Set(96, 96);
        g_smallMetric = 16;
        CTWndToolbar::s_systemMetrics = FakeMetrics;
    }
    void TearDown() override
    {
        engine->m_dpi = savedDpi;
        CTWndToolbar::s_systemMetrics = ::GetSystemMetrics;
    }

    // The toolbar's custom drawing of one button into a memory bitmap.
    void Paint(CTWndToolbar& tb, MemoryBitmap& bmp, int command, const RECT& rc, UINT itemState,
               COLORREF text = RGB(0, 0, 255))
    {
        NMTBCUSTOMDRAW cd = {};
        cd.nmcd.hdr = {tb.m_hWnd, 1, static_cast<UINT>(NM_CUSTOMDRAW)};
        cd.nmcd.hdc = bmp.dc;
        cd.nmcd.dwDrawStage = CDDS_PREPAINT;
        LRESULT result = 0;
        ASSERT_TRUE(tb.OnReflectNotify(0, &cd.nmcd.hdr, &result));
        EXPECT_EQ(CDRF_NOTIFYITEMDRAW, result);
        cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        cd.nmcd.rc = rc;
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(command);
        cd.nmcd.uItemState = itemState;
        cd.clrText = text;
        ASSERT_TRUE(tb.OnReflectNotify(0, &cd.nmcd.hdr, &result));
        EXPECT_EQ(CDRF_SKIPDEFAULT, result);
    }

    static int CountColour(const MemoryBitmap& bmp, const RECT& rc, COLORREF colour, int tolerance = 0)
    {
        int n = 0;
        for (int y = rc.top < 0 ? 0 : rc.top; y < rc.bottom && y < bmp.height; ++y)
            for (int x = rc.left < 0 ? 0 : rc.left; x < rc.right && x < bmp.width; ++x)
                n += Near(bmp.At(x, y), colour, tolerance);
        return n;
    }

    CTREngine* engine = nullptr;
    ScreenDpi savedDpi;
    Parent parent;
};
} // namespace

TEST_F(CTWndToolbarTest, IconSizeKindsAndStandardImages)
{
    struct Case {
        int dpi, smallMetric, kind, expected;
    } cases[] = {
        {96, 16, CTWndToolbar::IconSmall, 16},
        {96, 16, CTWndToolbar::IconLarge, GetSystemMetrics(SM_CXICON)},
        {120, 16, CTWndToolbar::Icon24, 30},
        {96, 16, CTWndToolbar::Icon24, 24},
        {144, 24, CTWndToolbar::IconSmall, 24}, // the large set, copied into a 24 x 24 list
        {120, 20, CTWndToolbar::IconSmall, 20}, // the large set, scaled into 20 x 20
    };
    int smallCount = -1;
    for (const Case& c : cases) {
        engine->m_dpi.Set(c.dpi, c.dpi);
        g_smallMetric = c.smallMetric;
        CTWndToolbar tb;
        ASSERT_TRUE(tb.Create(parent.hwnd, nullptr, TBSTYLE_FLAT, c.kind, TBSTYLE_EX_DRAWDDARROWS));
        EXPECT_EQ(c.expected, tb.m_iconWidth) << c.dpi << "/" << c.kind;
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(tb.m_images, &cx, &cy));
        EXPECT_EQ(c.expected, cx);
        EXPECT_EQ(c.expected, cy);
        EXPECT_EQ(reinterpret_cast<LRESULT>(tb.m_images), SendMessageW(tb.m_hWnd, TB_GETIMAGELIST, 0, 0));
        EXPECT_EQ(&tb, CTWnd2::FromHandle(tb.m_hWnd));
        DWORD style = static_cast<DWORD>(GetWindowLongW(tb.m_hWnd, GWL_STYLE));
        DWORD wanted = WS_CHILD | WS_VISIBLE | WS_TABSTOP | CCS_NORESIZE | CCS_NODIVIDER | TBSTYLE_FLAT;
        EXPECT_EQ(wanted, style & wanted);
        EXPECT_EQ(static_cast<LRESULT>(TBSTYLE_EX_DRAWDDARROWS), SendMessageW(tb.m_hWnd, TB_GETEXTENDEDSTYLE, 0, 0));

        // Standard, history and view images, then the six radio glyphs.
        int count = ImageList_GetImageCount(tb.m_images);
        EXPECT_EQ(0, tb.m_firstStdImage);
        EXPECT_GT(tb.m_firstHistImage, STD_PRINT);
        EXPECT_GT(tb.m_firstViewImage, tb.m_firstHistImage + HIST_VIEWTREE);
        EXPECT_GE(count - 6, tb.m_firstViewImage + VIEW_VIEWMENU);
        std::vector<int> glyphs = {tb.m_glyphUncheckedNormal,   tb.m_glyphCheckedNormal, tb.m_glyphUncheckedDisabled,
                                   tb.m_glyphCheckedDisabled, tb.m_glyphUncheckedHot,  tb.m_glyphCheckedHot};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(count - 6 + i, glyphs[i]);
        if (smallCount < 0) smallCount = count;
        EXPECT_EQ(smallCount, count) << "every size holds the same images";

        // A standard image has a picture.
        MemoryBitmap bmp(cx, cy, RGB(255, 0, 255));
        ImageList_Draw(tb.m_images, STD_DELETE, bmp.dc, 0, 0, ILD_TRANSPARENT);
        RECT all = {0, 0, cx, cy};
        EXPECT_LT(CountColour(bmp, all, RGB(255, 0, 255)), cx * cy);
    }
}

TEST_F(CTWndToolbarTest, AddingImages)
{
    CTWndToolbar tb;
    ASSERT_TRUE(tb.Create(parent.hwnd, nullptr, TBSTYLE_FLAT, CTWndToolbar::IconSmall, 0));
    HMODULE exe = GetModuleHandleW(nullptr);
    int count = ImageList_GetImageCount(tb.m_images);

    EXPECT_EQ(count, tb.AddIcon(exe, 301));
    EXPECT_EQ(-1, tb.AddIcon(exe, 999));
    int index = 0;
    EXPECT_TRUE(tb.AddBitmap(exe, 302, &index));
    EXPECT_EQ(count + 1, index);
    EXPECT_EQ(count + 3, ImageList_GetImageCount(tb.m_images)); // the 32 x 16 strip holds two images
    EXPECT_TRUE(tb.AddBitmap(exe, 998, &index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(count + 3, tb.AddEmfImage(201));
    EXPECT_EQ(-1, tb.AddEmfImage(997));
    EXPECT_EQ(count + 4, ImageList_GetImageCount(tb.m_images));

    // The strip's magenta (its top-left colour) is transparent; its squares are drawn.
    MemoryBitmap bmp(16, 16, RGB(255, 255, 255));
    ImageList_Draw(tb.m_images, count + 2, bmp.dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_TRUE(ColourNear(bmp.At(1, 1), RGB(255, 255, 255), 0));
    EXPECT_TRUE(ColourNear(bmp.At(8, 8), RGB(0, 160, 0), 0));

    HICON icon = ImageList_GetIcon(tb.m_images, count + 1, ILD_TRANSPARENT);
    EXPECT_EQ(count + 4, tb.AddIconHandle(icon));
    EXPECT_EQ(count, tb.ReplaceIcon(count, icon));
    DestroyIcon(icon);
    HBITMAP strip = static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(302), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    EXPECT_TRUE(tb.AddMaskedBitmap(strip, RGB(255, 0, 255), &index));
    EXPECT_EQ(count + 5, index);
    DeleteObject(strip);
}

TEST_F(CTWndToolbarTest, ButtonsTextsAndImages)
{
    CTWndToolbar tb;
    ASSERT_TRUE(tb.Create(parent.hwnd, nullptr, TBSTYLE_FLAT | TBSTYLE_LIST, CTWndToolbar::IconSmall, 0));
    EXPECT_TRUE(tb.AppendButton(STD_FILENEW, 120, TBSTATE_ENABLED, BTNS_BUTTON, L"New"));
    EXPECT_TRUE(tb.AddButton(STD_DELETE, 174, TBSTATE_ENABLED, BTNS_BUTTON, 174));
    EXPECT_TRUE(tb.InsertButton(0, STD_PROPERTIES, 32782, TBSTATE_ENABLED, BTNS_BUTTON, L"Properties"));
    EXPECT_EQ(3, SendMessageW(tb.m_hWnd, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ(3u, tb.m_texts.GetCount());

    TBBUTTON first = {};
    SendMessageW(tb.m_hWnd, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(32782, first.idCommand);
    wchar_t text[64] = {};
    SendMessageW(tb.m_hWnd, TB_GETBUTTONTEXTW, 174, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"Import", text);
    SendMessageW(tb.m_hWnd, TB_GETBUTTONTEXTW, 120, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"New", text);

    EXPECT_EQ(STD_DELETE, tb.GetButtonImage(174));
    EXPECT_TRUE(tb.SetButtonImage(STD_COPY, 174));
    EXPECT_EQ(STD_COPY, tb.GetButtonImage(174));
    tb.SetButtonState(120, TBSTATE_CHECKED);
    EXPECT_EQ(TBSTATE_CHECKED, SendMessageW(tb.m_hWnd, TB_GETSTATE, 120, 0));
    EXPECT_GT(tb.GetMaxWidth(), 0);
    EXPECT_GT(tb.GetMaxHeight(), 0);

    // Without a window: setting an image is harmless, reading answers 0.
    CTWndToolbar none;
    EXPECT_TRUE(none.SetButtonImage(1, 120));
    EXPECT_EQ(0, none.GetButtonImage(120));

    // A menu borrows the toolbar's images for the items with the buttons' commands.
    CTMenu menu;
    menu.CreatePopup();
    AppendMenuW(menu.m_menu, MF_STRING, 174, L"Import");
    AppendMenuW(menu.m_menu, MF_STRING, 500, L"Other");
    EXPECT_TRUE(menu.SetImagesFromToolbar(tb.m_hWnd));
    EXPECT_EQ(tb.m_images, menu.m_images);
    CTString itemText;
    int image = -5;
    ASSERT_TRUE(menu.GetItemInfo(174, itemText, image));
    EXPECT_EQ(STD_COPY, image);
    ASSERT_TRUE(menu.GetItemInfo(500, itemText, image));
    EXPECT_EQ(-1, image);
}

TEST_F(CTWndToolbarTest, InfoTipsAndForeignNotifications)
{
    CTWndToolbar tb;
    ASSERT_TRUE(tb.Create(parent.hwnd, nullptr, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, CTWndToolbar::IconSmall, 0));
    tb.SetToolTip(120, L"Create a new object");
    wchar_t buffer[64];
    wcscpy(buffer, L"untouched");
    NMTBGETINFOTIPW tip = {};
    tip.hdr = {tb.m_hWnd, 1, static_cast<UINT>(TBN_GETINFOTIPW)};
    tip.pszText = buffer;
    tip.cchTextMax = 64;
    tip.iItem = 120;
    LRESULT result = 1;
    EXPECT_TRUE(tb.OnReflectNotify(0, &tip.hdr, &result));
    EXPECT_STREQ(L"Create a new object", buffer);

    wcscpy(buffer, L"untouched");
    tip.iItem = 121;
    EXPECT_TRUE(tb.OnReflectNotify(0, &tip.hdr, &result));
    EXPECT_STREQ(L"untouched", buffer);

    // A short buffer is filled and terminated.
    tip.iItem = 120;
    tip.cchTextMax = 7;
    EXPECT_TRUE(tb.OnReflectNotify(0, &tip.hdr, &result));
    EXPECT_STREQ(L"Create", buffer);

    // Notifications from other windows, and other codes, are not handled.
    tip.hdr.hwndFrom = parent.hwnd;
    EXPECT_FALSE(tb.OnReflectNotify(0, &tip.hdr, &result));
    NMTOOLBARW drop = {};
    drop.hdr = {tb.m_hWnd, 1, static_cast<UINT>(TBN_DROPDOWN)};
    EXPECT_FALSE(tb.OnReflectNotify(0, &drop.hdr, &result));

    // Mixed buttons: a button without BTNS_SHOWTEXT is as wide as its icon.
    CTWndToolbar mixed;
    ASSERT_TRUE(mixed.Create(parent.hwnd, nullptr, TBSTYLE_FLAT | TBSTYLE_LIST, CTWndToolbar::IconSmall,
                             TBSTYLE_EX_MIXEDBUTTONS));
    NMTOOLBARW info = {};
    info.hdr = {mixed.m_hWnd, 1, static_cast<UINT>(TBN_GETBUTTONINFOW)};
    info.rcButton = {0, 0, 80, 22};
    mixed.OnReflectNotify(0, &info.hdr, &result);
    EXPECT_EQ(16, info.rcButton.right);
    info.tbButton.fsStyle = BTNS_SHOWTEXT;
    info.rcButton.right = 80;
    mixed.OnReflectNotify(0, &info.hdr, &result);
    EXPECT_EQ(80, info.rcButton.right);
}

TEST_F(CTWndToolbarTest, ButtonLayoutTable)
{
    CTWndToolbar tb;
    tb.m_iconWidth = tb.m_iconHeight = 16;
    tb.m_padX = 8;
    tb.m_padY = 6;
    const RECT button = {20, 0, 100, 30};
    struct Case {
        DWORD style, exStyle;
        int major;
        BYTE buttonStyle;
        int rows;
        RECT image, text, arrow;
        bool showText, arrow_;
    } cases[] = {
        // List style, split arrow: the arrow start depends on the system version.
        {TBSTYLE_LIST, TBSTYLE_EX_DRAWDDARROWS, 10, BTNS_DROPDOWN, 1, {24, 0, 40, 30}, {44, 0, 85, 30}, {85, 0, 96, 30}, true, true},
        {TBSTYLE_LIST, TBSTYLE_EX_DRAWDDARROWS, 6, BTNS_DROPDOWN, 1, {24, 0, 40, 30}, {44, 0, 80, 30}, {80, 0, 96, 30}, true, true},
        {TBSTYLE_LIST, TBSTYLE_EX_DRAWDDARROWS, 5, BTNS_DROPDOWN, 1, {24, 0, 40, 30}, {44, 0, 84, 30}, {84, 0, 96, 30}, true, true},
        // Without text and split, the image takes the room up to the arrow.
        {TBSTYLE_LIST, TBSTYLE_EX_DRAWDDARROWS, 10, BTNS_DROPDOWN, 0, {24, 0, 81, 30}, {44, 0, 85, 30}, {85, 0, 96, 30}, false, true},
        // Without the extended style no arrow is drawn.
        {TBSTYLE_LIST, 0, 10, BTNS_DROPDOWN, 1, {24, 0, 40, 30}, {44, 0, 96, 30}, {20, 0, 100, 30}, true, false},
        // Text under the image.
        {0, 0, 10, BTNS_BUTTON, 1, {20, 6, 100, 22}, {20, 22, 100, 30}, {20, 0, 100, 30}, true, false},
        // Not a list: whole drop-down arrow right of the image, not split.
        {0, TBSTYLE_EX_DRAWDDARROWS, 10, BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN, 0, {24, 0, 40, 30}, {20, 0, 100, 30}, {40, 0, 56, 30}, false, true},
        // Mixed buttons hide the text of a button without BTNS_SHOWTEXT.
        {TBSTYLE_LIST, TBSTYLE_EX_MIXEDBUTTONS, 10, BTNS_BUTTON, 1, {20, 0, 100, 30}, {20, 0, 100, 30}, {20, 0, 100, 30}, false, false},
    };
    auto same = [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        tb.m_style = c.style;
        tb.m_exStyle = c.exStyle;
        tb.m_majorVersion = c.major;
        CTWndToolbar::ButtonLayout l = tb.ComputeLayout(button, c.buttonStyle, c.rows);
        EXPECT_EQ(c.showText, l.showText) << i;
        EXPECT_EQ(c.arrow_, l.arrowShown) << i;
        EXPECT_TRUE(same(c.image, l.image)) << i << ": image " << l.image.left << "," << l.image.top << ","
                                            << l.image.right << "," << l.image.bottom;
        if (c.showText || c.arrow_)
            EXPECT_TRUE(same(c.text, l.text)) << i << ": text " << l.text.left << "," << l.text.right;
        EXPECT_TRUE(same(c.arrow, l.arrow)) << i << ": arrow " << l.arrow.left << "," << l.arrow.right;
    }
}

TEST_F(CTWndToolbarTest, RadioGlyphsFollowTheButtonState)
{
    CTWndToolbar tb;
    ASSERT_TRUE(tb.Create(parent.hwnd, nullptr, TBSTYLE_FLAT, CTWndToolbar::IconSmall, 0));
    EXPECT_EQ(tb.m_glyphCheckedNormal, tb.GetCheckGlyph(TBSTATE_ENABLED | TBSTATE_CHECKED));
    EXPECT_EQ(tb.m_glyphUncheckedNormal, tb.GetCheckGlyph(TBSTATE_ENABLED));
    EXPECT_EQ(tb.m_glyphCheckedDisabled, tb.GetCheckGlyph(TBSTATE_CHECKED));
    EXPECT_EQ(tb.m_glyphUncheckedDisabled, tb.GetCheckGlyph(0));

    ASSERT_TRUE(tb.AppendButton(CTWndToolbar::kRadioGlyph, 300, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK, L""));
    const RECT rc = {0, 0, 40, 30};
    struct Case {
        BYTE state;
        UINT itemState;
        int kind;
        int glyph;
    } cases[] = {
        {TBSTATE_ENABLED | TBSTATE_CHECKED, 0, CTREngine::ImageNormal, tb.m_glyphCheckedNormal},
        {TBSTATE_ENABLED, 0, CTREngine::ImageNormal, tb.m_glyphUncheckedNormal},
        {TBSTATE_CHECKED, 0, CTREngine::ImageDisabled, tb.m_glyphCheckedDisabled},
        {0, 0, CTREngine::ImageDisabled, tb.m_glyphUncheckedDisabled},
        {TBSTATE_ENABLED | TBSTATE_CHECKED, CDIS_HOT, CTREngine::ImageSelected, tb.m_glyphCheckedHot},
        {TBSTATE_ENABLED, CDIS_HOT, CTREngine::ImageHot, tb.m_glyphUncheckedHot},
    };
    for (const Case& c : cases) {
        tb.SetButtonState(300, c.state);
        MemoryBitmap drawn(40, 30), expected(40, 30);
        Paint(tb, drawn, 300, rc, c.itemState);
        if (c.itemState & CDIS_HOT) engine->FillHot(expected.dc, rc); // radio buttons always take the hot brush
        int rows = static_cast<int>(SendMessageW(tb.m_hWnd, TB_GETTEXTROWS, 0, 0));
        CTWndToolbar::ButtonLayout layout = tb.ComputeLayout(rc, BTNS_CHECK, rows);
        engine->DrawImage(c.kind, tb.m_images, c.glyph, expected.dc, layout.image, false);
        int differing = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) differing += drawn.At(x, y) != expected.At(x, y);
        EXPECT_EQ(0, differing) << "state " << int(c.state) << " item state " << c.itemState;
    }
    // The glyphs differ from each other, so the comparison above means something.
    MemoryBitmap a(16, 16), b(16, 16);
    ImageList_Draw(tb.m_images, tb.m_glyphCheckedNormal, a.dc, 0, 0, ILD_TRANSPARENT);
    ImageList_Draw(tb.m_images, tb.m_glyphUncheckedNormal, b.dc, 0, 0, ILD_TRANSPARENT);
    int differing = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) differing += a.At(x, y) != b.At(x, y);
    EXPECT_GT(differing, 0);
}

TEST_F(CTWndToolbarTest, DropDownArrowBackgroundsEllipsisAndAfterPaintNotice)
{
    CTWndToolbar tb;
    parent.toolbar = &tb;
    ASSERT_TRUE(tb.Create(parent.hwnd, nullptr, TBSTYLE_FLAT | TBSTYLE_LIST, CTWndToolbar::IconSmall,
                          TBSTYLE_EX_DRAWDDARROWS));
    ASSERT_TRUE(tb.AppendButton(STD_FILENEW, 120, TBSTATE_ENABLED, BTNS_DROPDOWN, L"New"));
    ASSERT_TRUE(tb.AppendButton(STD_DELETE, 121, TBSTATE_ENABLED, BTNS_BUTTON,
                                L"A rather long caption that cannot fit"));
    const COLORREF ink = RGB(0, 0, 255);
    const RECT rc = {0, 0, 120, 30};
    MemoryBitmap probe(120, 30);
    Paint(tb, probe, 120, rc, 0, ink);
    CTWndToolbar::ButtonLayout layout = tb.ComputeLayout(rc, BTNS_DROPDOWN, 1);

    // Enabled: the arrow is drawn in the text colour.
    {
        MemoryBitmap bmp(120, 30);
        Paint(tb, bmp, 120, rc, 0, ink);
        EXPECT_GT(CountColour(bmp, layout.arrow, ink), 0);
    }
    // Disabled: washed out, and no arrow.
    {
        tb.SetButtonState(120, 0);
        MemoryBitmap bmp(120, 30);
        Paint(tb, bmp, 120, rc, 0, ink);
        EXPECT_EQ(0, CountColour(bmp, layout.arrow, ink));
        EXPECT_GT(CountColour(bmp, layout.text, GetSysColor(COLOR_BTNSHADOW), 40), 0);
        tb.SetButtonState(120, TBSTATE_ENABLED);
    }
    // Hot, pressed and checked backgrounds.
    {
        MemoryBitmap hot(120, 30), pressed(120, 30), checked(120, 30);
        Paint(tb, hot, 121, rc, CDIS_HOT);
        LOGBRUSH lb = {};
        GetObjectW(engine->m_hotBrush, sizeof(lb), &lb);
        EXPECT_TRUE(ColourNear(hot.At(119, 29), lb.lbColor, 0));
        Paint(tb, pressed, 121, rc, CDIS_SELECTED);
        GetObjectW(engine->m_selectedBrush, sizeof(lb), &lb);
        EXPECT_TRUE(ColourNear(pressed.At(119, 29), lb.lbColor, 0));
        tb.SetButtonState(121, TBSTATE_ENABLED | TBSTATE_CHECKED);
        Paint(tb, checked, 121, rc, 0);
        GetObjectW(engine->m_lightBrush, sizeof(lb), &lb);
        EXPECT_TRUE(ColourNear(checked.At(119, 29), lb.lbColor, 0)); // the framed rectangle
        tb.SetButtonState(121, TBSTATE_ENABLED);
    }
    // A long caption ends inside its rectangle (in an ellipsis).
    {
        MemoryBitmap bmp(200, 30);
        RECT narrow = {0, 0, 80, 30};
        Paint(tb, bmp, 121, narrow, 0, ink);
        CTWndToolbar::ButtonLayout l = tb.ComputeLayout(narrow, BTNS_BUTTON, 1);
        EXPECT_GT(CountColour(bmp, l.text, ink, 60), 0);
        RECT beyond = {l.text.right, 0, 200, 30};
        EXPECT_EQ(0, CountColour(bmp, beyond, ink, 60));
    }
    // The parent hears about buttons with the after-paint option only.
    tb.SetDrawOptions(121, CTWndToolbar::kNotifyAfterPaint);
    MemoryBitmap bmp(120, 30);
    Paint(tb, bmp, 120, rc, 0);
    Paint(tb, bmp, 121, rc, 0);
    ASSERT_EQ(1u, parent.painted.size());
    EXPECT_EQ(121, parent.painted[0]);

    // A real paint goes through the same path.
    parent.painted.clear();
    MoveWindow(tb.m_hWnd, 0, 0, 480, 40, FALSE);
    ShowWindow(parent.hwnd, SW_SHOWNA);
    RedrawWindow(tb.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_GE(parent.prepaints, 1);
    EXPECT_GE(parent.itemPrepaints, 2);
    EXPECT_EQ(1u, parent.painted.size());
    ShowWindow(parent.hwnd, SW_HIDE);
    parent.toolbar = nullptr;
}

TEST_F(CTWndToolbarTest, AttachTakesACopyOfTheControlsImages)
{
    HWND raw = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | TBSTYLE_FLAT, 0, 0, 100, 30, parent.hwnd,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, raw);
    HIMAGELIST original = ImageList_Create(20, 20, ILC_COLOR32 | ILC_MASK, 1, 1);
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    ImageList_ReplaceIcon(original, -1, icon);
    SendMessageW(raw, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(original));
    {
        CTWndToolbar tb;
        EXPECT_TRUE(tb.Attach(raw, false));
        EXPECT_NE(original, tb.m_images);
        EXPECT_EQ(reinterpret_cast<LRESULT>(tb.m_images), SendMessageW(raw, TB_GETIMAGELIST, 0, 0));
        EXPECT_EQ(20, tb.m_iconWidth);
        EXPECT_EQ(1, ImageList_GetImageCount(tb.m_images));

        CTWndToolbar other;
        ASSERT_TRUE(other.Create(parent.hwnd, nullptr, TBSTYLE_FLAT, CTWndToolbar::IconSmall, 0));
        other.CopyImageList(tb);
        EXPECT_EQ(1, ImageList_GetImageCount(other.m_images));
        EXPECT_NE(tb.m_images, other.m_images);
        SendMessageW(raw, TB_SETIMAGELIST, 0, 0);
    }
    // The adopted control was not created here, so it outlives its wrapper.
    EXPECT_TRUE(IsWindow(raw));
    DestroyWindow(raw);
}
