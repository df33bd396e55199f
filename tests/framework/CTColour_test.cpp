#include <gtest/gtest.h>

#include "framework/CTColour.h"

namespace {

struct HlsCase {
    BYTE r, g, b;
    BYTE h, l, s;
    COLORREF back;
};

TEST(CTColour, RgbToHlsAndBackOnTheByteScale)
{
    const HlsCase cases[] = {
        {255, 0, 0, 0, 128, 255, RGB(255, 1, 1)}, // lightness 128 makes p = 1
        {0, 255, 0, 85, 128, 255, RGB(1, 255, 1)},
        {0, 0, 255, 170, 128, 255, RGB(1, 1, 255)},
        {128, 128, 128, 0, 128, 0, RGB(128, 128, 128)},
        {0, 0, 0, 0, 0, 0, RGB(0, 0, 0)},
        {255, 255, 255, 0, 255, 0, RGB(255, 255, 255)},
        // A magenta-leaning red: bd - gd is negative and wraps within the byte.
        {255, 0, 128, 235, 128, 255, RGB(255, 1, 122)},
        // Hue 127 overshoots the plateau: the channel is kept at 255 instead of wrapping to 5.
        {0, 255, 255, 127, 128, 255, RGB(1, 255, 255)},
    };
    for (const HlsCase& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
        BYTE rgb[3] = {c.r, c.g, c.b}, h = 1, l = 1, s = 1;
        RgbToHls(rgb, &h, &l, &s);
        EXPECT_EQ(c.h, h);
        EXPECT_EQ(c.l, l);
        EXPECT_EQ(c.s, s);
        COLORREF back = 0;
        HlsToRgb(&back, h, l, s);
        EXPECT_EQ(c.back, back) << std::hex << back;
    }
}

TEST(CTColour, RoundTripStaysClose)
{
    for (int r = 0; r < 256; r += 17)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 17) {
                BYTE rgb[3] = {BYTE(r), BYTE(g), BYTE(b)}, h, l, s;
                RgbToHls(rgb, &h, &l, &s);
                COLORREF back = 0;
                HlsToRgb(&back, h, l, s);
                ASSERT_LE(std::abs(GetRValue(back) - r), 8) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(GetGValue(back) - g), 8) << r << "," << g << "," << b;
                ASSERT_LE(std::abs(GetBValue(back) - b), 8) << r << "," << g << "," << b;
            }
}

TEST(CTColour, HueToRgbWrapsHuesOutsideTheScale)
{
    EXPECT_EQ(HueToRgb(0, 255, 0 + 255), HueToRgb(0, 255, 0)); // 255 is kept: p
    EXPECT_EQ(HueToRgb(10, 200, 256), HueToRgb(10, 200, 1));
    EXPECT_EQ(HueToRgb(10, 200, -85), HueToRgb(10, 200, 170));
    EXPECT_EQ(10 + (190 * 21 + 21) / 42, HueToRgb(10, 200, 21));
}

TEST(CTColour, NamedColoursAndBlend)
{
    EXPECT_EQ(RGB(255, 0, 0), CTColour(CTColour::Red));
    EXPECT_EQ(RGB(255, 255, 32), CTColour(CTColour::Yellow));
    EXPECT_EQ(RGB(64, 64, 64), CTColour(CTColour::DarkGrey));
    EXPECT_EQ(RGB(255, 175, 32), CTColour(CTColour::Orange));
    EXPECT_EQ(0u, CTColour().colour);

    const COLORREF c = RGB(10, 120, 215);
    EXPECT_EQ(c, CTColour(c).Blend(RGB(255, 255, 255), 1.0));
    EXPECT_EQ(RGB(255, 255, 255), CTColour(c).Blend(RGB(255, 255, 255), 0.0));
    // 50 + (10 - 50) x 0.5 = 30; truncation toward zero on the way down.
    EXPECT_EQ(RGB(30, 85, 132), CTColour(c).Blend(RGB(50, 50, 50), 0.5));
    EXPECT_EQ(MixColour(c, 0.3), CTColour(c).Blend(RGB(255, 255, 255), 0.3));
}

} // namespace
