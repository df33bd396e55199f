#include "framework/CTColour.h"

#include <math.h>
#include <initializer_list>

namespace {
constexpr int kScale = 255;
constexpr int kSixth = 42;
constexpr int kTwelfth = 21;
constexpr int kThird = 85;
constexpr int kHalf = 127;
constexpr int kTwoThirds = 170;

int MixChannel(int c, int o, double factor)
{
    return static_cast<int>(o + (c - o) * factor);
}

// Hue 127 lies one step past the plateau of the 255 scale, so its falling edge overshoots q
// by up to 1/42 (cyan would come out with green 261); keep every channel in its byte.
int ClampChannel(int v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}
} // namespace

CTColour::CTColour(Named index)
{
    static const COLORREF named[] = {RGB(255, 0, 0),     RGB(0, 255, 0),  RGB(0, 0, 255),
                                     RGB(255, 255, 32),  RGB(0, 0, 0),    RGB(255, 255, 255),
                                     RGB(128, 128, 128), RGB(64, 64, 64), RGB(255, 175, 32)};
    if (index >= Red && index <= Orange)
        colour = named[index];
}

CTColour& CTColour::Blend(COLORREF base, double factor)
{
    colour = MixColours(colour, base, factor);
    return *this;
}

COLORREF MixColours(COLORREF colour, COLORREF other, double factor)
{
    return RGB(MixChannel(GetRValue(colour), GetRValue(other), factor),
               MixChannel(GetGValue(colour), GetGValue(other), factor),
               MixChannel(GetBValue(colour), GetBValue(other), factor));
}

namespace {
double Linear(int channel)
{
    double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
}
} // namespace

double RelativeLuminance(COLORREF colour)
{
    return 0.2126 * Linear(GetRValue(colour)) + 0.7152 * Linear(GetGValue(colour)) +
           0.0722 * Linear(GetBValue(colour));
}

double ContrastRatio(COLORREF a, COLORREF b)
{
    double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return la > lb ? (la + 0.05) / (lb + 0.05) : (lb + 0.05) / (la + 0.05);
}

COLORREF ReadableBackground(COLORREF background, COLORREF text, double ratio)
{
    if (ContrastRatio(background, text) >= ratio)
        return background;
    // Away from the text's lightness first; when even black or white is not enough, the other way.
    COLORREF away = RelativeLuminance(text) > RelativeLuminance(background) ? RGB(0, 0, 0) : RGB(255, 255, 255);
    COLORREF toward = away == RGB(0, 0, 0) ? RGB(255, 255, 255) : RGB(0, 0, 0);
    for (COLORREF target : {away, toward}) {
        for (int step = 1; step <= 20; step++) {
            COLORREF band = MixColours(background, target, 1.0 - step / 20.0);
            if (ContrastRatio(band, text) >= ratio)
                return band;
        }
    }
    return ContrastRatio(away, text) >= ContrastRatio(toward, text) ? away : toward;
}

int HueToRgb(int p, int q, int hue)
{
    if (hue >= 256)
        hue -= kScale;
    if (hue < 0)
        hue += kScale;
    if (hue < kSixth)
        return p + ((q - p) * hue + kTwelfth) / kSixth;
    if (hue < kHalf)
        return q;
    if (hue < kTwoThirds)
        return p + ((q - p) * (kTwoThirds - hue) + kTwelfth) / kSixth;
    return p;
}

void HlsToRgb(COLORREF* out, int hue, int lightness, int saturation)
{
    if (saturation == 0) {
        *out = RGB(lightness, lightness, lightness);
        return;
    }
    int q = lightness < 128 ? (lightness * (kScale + saturation) + kHalf) / kScale
                            : lightness + saturation - (lightness * saturation + kHalf) / kScale;
    int p = 2 * lightness - q;
    int r = (HueToRgb(p, q, hue + kThird) * kScale + kHalf) / kScale;
    int g = (HueToRgb(p, q, hue) * kScale + kHalf) / kScale;
    int b = (HueToRgb(p, q, hue - kThird) * kScale + kHalf) / kScale;
    *out = RGB(ClampChannel(r), ClampChannel(g), ClampChannel(b));
}

void RgbToHls(const BYTE rgb[3], BYTE* hue, BYTE* lightness, BYTE* saturation)
{
    int r = rgb[0], g = rgb[1], b = rgb[2];
    int mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
    int mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
    int l = (mx + mn + 1) / 2;
    *lightness = static_cast<BYTE>(l);
    if (mx == mn) {
        *hue = 0;
        *saturation = 0;
        return;
    }
    int d = mx - mn;
    int s = l < 128 ? (d * kScale + (mx + mn) / 2) / (mx + mn)
                    : (d * kScale + (2 * kScale - mx - mn) / 2) / (2 * kScale - mx - mn);
    int rd = ((mx - r) * kSixth + d / 2) / d;
    int gd = ((mx - g) * kSixth + d / 2) / d;
    int bd = ((mx - b) * kSixth + d / 2) / d;
    int h;
    if (r == mx)
        h = bd - gd;
    else if (g == mx)
        h = kThird + rd - bd;
    else
        h = kTwoThirds + gd - rd;
    *hue = static_cast<BYTE>(h);
    *saturation = static_cast<BYTE>(s);
}
