#include <gtest/gtest.h>

#include "framework/CTColour.h"
#include "framework/CTREngine.h"
#include "framework/EngineSeams.h"
#include "framework/MemoryBitmap.h"

namespace {

COLORREF BrushColour(HBRUSH brush)
{
    LOGBRUSH lb = {};
    GetObjectW(brush, sizeof(lb), &lb);
    return lb.lbColor;
}

DWORD WINAPI AccentSystemColours(int index)
{
    return index == COLOR_HIGHLIGHT  ? RGB(0, 120, 215)
           : index == COLOR_MENUTEXT ? RGB(1, 2, 3)
                                     : GetSysColor(index);
}

int g_fakeCalls = 0;
BOOL WINAPI FakeAppThemed()
{
    ++g_fakeCalls;
    return TRUE;
}
HTHEME WINAPI FakeOpenThemeData(HWND, LPCWSTR)
{
    ++g_fakeCalls;
    return reinterpret_cast<HTHEME>(0x1234);
}

using CTREngineTest = EngineTest;

TEST_F(CTREngineTest, PaletteDerivesFromTheHighlightColour)
{
    engine->SetSysColorSource(AccentSystemColours);
    EXPECT_TRUE(engine->BuildPalette());
    EXPECT_EQ(RGB(178, 214, 243), BrushColour(engine->m_hotBrush));
    EXPECT_EQ(RGB(127, 187, 235), BrushColour(engine->m_selectedBrush));
    EXPECT_EQ(RGB(204, 228, 247), BrushColour(engine->m_lightBrush));
    LOGPEN pen = {};
    ASSERT_TRUE(GetObjectW(engine->m_highlightPen, sizeof(pen), &pen));
    EXPECT_EQ(RGB(89, 167, 229), pen.lopnColor);
    EXPECT_EQ(1, pen.lopnWidth.x);
    EXPECT_EQ(RGB(0, 96, 172), engine->GetHighlightColor());
    EXPECT_EQ(RGB(1, 2, 3), engine->GetMenuTextColor());
    EXPECT_NE(nullptr, engine->m_menuFont);
    EXPECT_NE(nullptr, engine->m_menuBackBrush);
    EXPECT_EQ(engine->m_commonControls6 ? ILC_COLOR32 : ILC_COLOR24, engine->m_imageListColourDepth);

    engine->SetColors(RGB(10, 20, 30), RGB(40, 50, 60));
    EXPECT_EQ(RGB(10, 20, 30), engine->GetHighlightColor());
    EXPECT_EQ(RGB(40, 50, 60), engine->GetMenuTextColor());
}

TEST_F(CTREngineTest, FreePaletteClearsEveryHandle)
{
    EXPECT_TRUE(engine->FreePalette());
    EXPECT_EQ(nullptr, engine->m_hotBrush);
    EXPECT_EQ(nullptr, engine->m_selectedBrush);
    EXPECT_EQ(nullptr, engine->m_lightBrush);
    EXPECT_EQ(nullptr, engine->m_menuBackBrush);
    EXPECT_EQ(nullptr, engine->m_menuFont);
    EXPECT_EQ(nullptr, engine->m_highlightPen);
}

TEST_F(CTREngineTest, HighlightFillsInsetRectangle)
{
    engine->SetSysColorSource(AccentSystemColours);
    engine->BuildPalette();
    MemoryBitmap bmp(20, 12);
    RECT rc = {0, 0, 20, 12};

    engine->FillHighlight(bmp.dc, rc, false, false, false);
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(5, 5));

    engine->FillHighlight(bmp.dc, rc, true, false, false);
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(0, 0));
    EXPECT_EQ(RGB(178, 214, 243), bmp.At(1, 1));
    EXPECT_EQ(RGB(178, 214, 243), bmp.At(18, 10));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(19, 11));

    engine->FillHighlight(bmp.dc, rc, true, true, false);
    EXPECT_EQ(RGB(127, 187, 235), bmp.At(5, 5));

    // Framed: light fill on the inset rectangle, outline one pixel further in, up to right - 2.
    bmp.Fill(RGB(255, 255, 255));
    engine->FillHighlight(bmp.dc, rc, false, false, true);
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(0, 0));
    EXPECT_EQ(RGB(204, 228, 247), bmp.At(1, 1));
    EXPECT_EQ(RGB(89, 167, 229), bmp.At(2, 2));
    EXPECT_EQ(RGB(89, 167, 229), bmp.At(17, 9));
    EXPECT_EQ(RGB(204, 228, 247), bmp.At(18, 10));
    EXPECT_EQ(RGB(255, 255, 255), bmp.At(19, 11));
    EXPECT_EQ(RGB(204, 228, 247), bmp.At(5, 5));
}

TEST_F(CTREngineTest, InstanceIsOneObject)
{
    EXPECT_EQ(engine, CTREngine::Instance());
    EXPECT_EQ(&engine->m_themeApi, CTREngine::ThemeApi());
}

TEST_F(CTREngineTest, CursorsLoadOnceAndUnknownKindsGiveNull)
{
    HCURSOR hand = engine->GetCursor(CTREngine::CursorHand);
    EXPECT_NE(nullptr, hand);
    EXPECT_EQ(hand, engine->GetCursor(0));
    EXPECT_NE(nullptr, engine->GetCursor(1));
    EXPECT_NE(nullptr, engine->GetCursor(2));
    EXPECT_EQ(nullptr, engine->GetCursor(3));
    EXPECT_EQ(nullptr, engine->GetCursor(-1));
}

TEST_F(CTREngineTest, CapabilitiesFollowTheBoundFunctions)
{
    EXPECT_EQ(7u, engine->GetCapabilities()); // all three exist under this system
    engine->SetBoundFunctions(nullptr, savedGradientFill, nullptr);
    EXPECT_EQ(unsigned(CTREngine::CapGradientFill), engine->GetCapabilities());
    engine->SetBoundFunctions(savedTransparentBlt, nullptr, savedLayered);
    EXPECT_EQ(unsigned(CTREngine::CapTransparentBlt | CTREngine::CapLayered), engine->GetCapabilities());

    engine->SetBoundFunctions(nullptr, nullptr, nullptr);
    MemoryBitmap a(4, 4), b(4, 4);
    EXPECT_FALSE(engine->TransparentBlt(a.dc, 0, 0, 4, 4, b.dc, 4, 4, RGB(255, 0, 255)));
    TRIVERTEX v[2] = {};
    GRADIENT_RECT r = {0, 1};
    EXPECT_FALSE(engine->CallGradientFill(a.dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H));
    EXPECT_FALSE(engine->SetLayeredWindowAttributes(nullptr, 0, 255, LWA_ALPHA));
}

TEST_F(CTREngineTest, TransparentBltSkipsTheKeyColour)
{
    MemoryBitmap src(4, 4, RGB(255, 0, 255)), dest(4, 4, RGB(0, 0, 0));
    SetPixel(src.dc, 1, 1, RGB(10, 200, 30));
    ASSERT_TRUE(engine->TransparentBlt(dest.dc, 0, 0, 4, 4, src.dc, 4, 4, RGB(255, 0, 255)));
    EXPECT_EQ(RGB(0, 0, 0), dest.At(0, 0));
    EXPECT_EQ(RGB(10, 200, 30), dest.At(1, 1));
}

TEST_F(CTREngineTest, ThemeTableWithoutModuleGivesNeutralResults)
{
    CTThemeApi& api = engine->m_themeApi;
    api.SetModule(nullptr, false);
    MemoryBitmap bmp(4, 4);
    RECT rc = {0, 0, 4, 4};
    SIZE size = {7, 7};
    EXPECT_EQ(nullptr, api.OpenThemeData(nullptr, L"BUTTON"));
    EXPECT_EQ(E_FAIL, api.CloseThemeData(reinterpret_cast<HTHEME>(1)));
    EXPECT_EQ(E_FAIL, api.DrawThemeBackground(reinterpret_cast<HTHEME>(1), bmp.dc, 1, 1, &rc, nullptr));
    EXPECT_EQ(E_FAIL, api.DrawThemeText(reinterpret_cast<HTHEME>(1), bmp.dc, 1, L"x", 1, &rc));
    EXPECT_EQ(E_FAIL, api.GetThemePartSize(reinterpret_cast<HTHEME>(1), bmp.dc, 1, &size));
    EXPECT_EQ(7, size.cx);
    EXPECT_FALSE(api.IsThemeActive());
    EXPECT_FALSE(api.IsAppThemed());
    EXPECT_EQ(E_FAIL, api.EnableThemeDialogTexture(nullptr));
    EXPECT_EQ(nullptr, api.Bind(CTThemeApi::eIsAppThemed, "IsAppThemed"));
    EXPECT_EQ(nullptr, api.Bind(CTThemeApi::eEntryCount, "IsAppThemed"));

    engine->BuildPalette();
    EXPECT_FALSE(engine->m_themed);
}

TEST_F(CTREngineTest, ThemeEntriesBindOnceAndCanBeReplaced)
{
    CTThemeApi& api = engine->m_themeApi;
    ASSERT_NE(nullptr, api.Module());
    FARPROC bound = api.Bind(CTThemeApi::eIsThemeActive, "IsThemeActive");
    EXPECT_NE(nullptr, bound);
    EXPECT_EQ(bound, api.Bind(CTThemeApi::eIsThemeActive, "IsThemeActive"));
    EXPECT_EQ(nullptr, api.Bind(CTThemeApi::eDrawThemeText + 30, "NoSuchExport"));

    api.SetModule(nullptr, false);
    g_fakeCalls = 0;
    api.SetEntry(CTThemeApi::eIsAppThemed, reinterpret_cast<FARPROC>(FakeAppThemed));
    api.SetEntry(CTThemeApi::eOpenThemeData, reinterpret_cast<FARPROC>(FakeOpenThemeData));
    engine->BuildPalette();
    EXPECT_EQ(engine->m_xpOrLater, engine->m_themed);
    EXPECT_EQ(reinterpret_cast<HTHEME>(0x1234), api.OpenThemeData(nullptr, L"Treeview"));
    EXPECT_GE(g_fakeCalls, 1);
    EXPECT_FALSE(api.IsThemeActive()); // still missing
}

TEST_F(CTREngineTest, DpiIsReadOnceAndScales)
{
    ScreenDpi fresh;
    fresh.Load();
    EXPECT_TRUE(fresh.loaded);
    int first = fresh.x;
    fresh.x = 200; // a later read must not go back to the screen
    fresh.Load();
    EXPECT_EQ(200, fresh.x);
    EXPECT_GT(first, 0);

    struct Case {
        int dpi, value, scaled;
    } cases[] = {{96, 16, 16}, {120, 16, 20}, {144, 16, 24}, {120, 3, 4}, {144, 3, 5}, {144, 2, 3}};
    for (const Case& c : cases) {
        engine->m_dpi.Set(c.dpi, c.dpi);
        EXPECT_EQ(c.scaled, engine->m_dpi.Scale(c.value)) << c.dpi << " " << c.value;
        EXPECT_EQ(c.scaled, engine->m_dpi.ScaleY(c.value)) << c.dpi << " " << c.value;
    }
    engine->m_dpi.Set(144, 120);
    EXPECT_EQ(24, engine->m_dpi.Scale(16));
    EXPECT_EQ(20, engine->m_dpi.ScaleY(16));
    engine->BuildPalette();
    EXPECT_EQ(144, engine->m_fontCache.dpiX);
    EXPECT_EQ(120, engine->m_fontCache.dpiY);
}

TEST_F(CTREngineTest, FontCacheReusesMatchingFontsAndEmptiesOnRebuild)
{
    LOGFONTW lf = {};
    lf.lfHeight = -12;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    HFONT a = engine->m_fontCache.GetFont(lf);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(a, engine->m_fontCache.GetFont(lf));
    lf.lfWeight = FW_BOLD;
    HFONT b = engine->m_fontCache.GetFont(lf);
    EXPECT_NE(a, b);
    EXPECT_EQ(2u, engine->m_fontCache.fonts.GetCount());
    engine->BuildPalette();
    EXPECT_EQ(0u, engine->m_fontCache.fonts.GetCount());
    EXPECT_EQ(0, GetObjectType(a)); // deleted with its entry
}

} // namespace
