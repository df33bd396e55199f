// The shared GDI object cache: reference counts per id, ownership of handles passed in, and the
// sizes of pens and fonts it creates.
#include <gtest/gtest.h>

#include "controls/CGDIManager.h"
#include "framework/CTREngine.h"

namespace {

TEST(CGDIManager, ColourIsCountedAndKeepsTheFirstValue)
{
    CGDIManager cache;
    cache.AddColour(20, RGB(255, 0, 0));
    cache.AddColour(20, RGB(0, 0, 255));
    ASSERT_EQ(cache.GetCount(), 1u);
    CGDIManager::CObject* entry = cache.Find(20);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->refs, 2u);
    EXPECT_EQ(static_cast<COLORREF>(entry->Get()), RGB(255, 0, 0));
    cache.Release(20);
    ASSERT_NE(cache.Find(20), nullptr);
    EXPECT_EQ(cache.Find(20)->refs, 1u);
    cache.Release(20);
    EXPECT_EQ(cache.Find(20), nullptr);
    EXPECT_TRUE(cache.IsEmpty());
    cache.Release(20);  // unknown id: nothing
    cache.Release(99);
}

TEST(CGDIManager, AddOnAnExistingIdOfAnyKindOnlyCounts)
{
    CGDIManager cache;
    cache.AddColour(1, RGB(1, 2, 3));
    HBRUSH mine = CreateSolidBrush(RGB(9, 9, 9));
    cache.AddBrush(1, mine);
    EXPECT_EQ(cache.GetCount(), 1u);
    EXPECT_EQ(cache.Find(1)->refs, 2u);
    EXPECT_EQ(static_cast<COLORREF>(cache.Find(1)->Get()), RGB(1, 2, 3));
    // The brush was not taken: it is still the caller's and alive after the entry is gone.
    cache.Release(1);
    cache.Release(1);
    EXPECT_EQ(GetObjectType(mine), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(DeleteObject(mine));
}

TEST(CGDIManager, ReleasingDeletesTheOwnedBrush)
{
    CGDIManager cache;
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    cache.AddBrush(5, brush);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(cache.Find(5)->Get()), brush);
    cache.Release(5);
    EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST(CGDIManager, PenWidthFollowsTheScreenDpi)
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    ScreenDpi saved = dpi;
    dpi.Set(144, 144);
    CGDIManager cache;
    auto pen = reinterpret_cast<HPEN>(cache.AddPen(3, RGB(10, 20, 30), 1)->Get());
    LOGPEN lp = {};
    ASSERT_TRUE(GetObjectW(pen, sizeof(lp), &lp));
    EXPECT_EQ(lp.lopnWidth.x, 2);  // 1.5 rounds up
    EXPECT_EQ(lp.lopnColor, RGB(10, 20, 30));
    dpi = saved;
}

TEST(CGDIManager, FontStartsFromTheMenuFont)
{
    LOGFONTW menu = {};
    ASSERT_TRUE(GetObjectW(CTREngine::Instance()->m_menuFont, sizeof(menu), &menu));
    CGDIManager cache;
    LOGFONTW lf = {};
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(cache.AddFont(1, 700, 0, 0, 0)->Get()), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, menu.lfHeight);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_STREQ(lf.lfFaceName, menu.lfFaceName);
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(cache.AddFont(2, 400, -20, 900, 0)->Get()), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(lf.lfEscapement, 900);
}

TEST(CGDIManager, IconCopyLeavesTheCallersIcon)
{
    CGDIManager cache;
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
    HICON mine = CopyIcon(icon);
    CGDIManager::CObject* entry = cache.AddIconCopy(7, mine);
    ASSERT_NE(entry->Get(), 0u);
    EXPECT_NE(reinterpret_cast<HICON>(entry->Get()), mine);
    cache.Release(7);
    ICONINFO info = {};
    EXPECT_TRUE(GetIconInfo(mine, &info));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(mine);
    EXPECT_NE(CGDIManager::Instance(), nullptr);
    EXPECT_EQ(CGDIManager::Instance(), CGDIManager::Instance());
}

}  // namespace
