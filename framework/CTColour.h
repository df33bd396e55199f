#pragma once
#include <windows.h>

// One COLORREF with the named standard colours and blending. The HLS helpers work on the
// 0..255 scale with integer arithmetic (ColorRGBToHLS uses another scale, so it is not used).
struct CTColour {
    enum Named { Red, Green, Blue, Yellow, Black, White, Grey, DarkGrey, Orange };

    COLORREF colour = 0;

    CTColour() = default;
    CTColour(COLORREF value) : colour(value) {}
    explicit CTColour(Named index);
    CTColour& operator=(COLORREF value)
    {
        colour = value;
        return *this;
    }
    operator COLORREF() const { return colour; }

    // Each channel becomes base + (channel - base) x factor, truncated toward zero.
    CTColour& Blend(COLORREF base, double factor);
};

// Mixes colour with other per channel: other + (colour - other) x factor, truncated.
COLORREF MixColours(COLORREF colour, COLORREF other, double factor);
// The mix toward white: factor 1 keeps the colour, 0 gives white.
inline COLORREF MixColour(COLORREF colour, double factor)
{
    return MixColours(colour, RGB(255, 255, 255), factor);
}

// Relative luminance (0 black .. 1 white) and the contrast ratio of two colours (1 .. 21), as
// readability guidelines define them.
double RelativeLuminance(COLORREF colour);
double ContrastRatio(COLORREF a, COLORREF b);
// The background moved toward black (under light text) or white (under dark text) in small steps
// until text on it reaches the ratio; the background itself when it already does.
COLORREF ReadableBackground(COLORREF background, COLORREF text, double ratio);

int HueToRgb(int p, int q, int hue);
void HlsToRgb(COLORREF* out, int hue, int lightness, int saturation);
void RgbToHls(const BYTE rgb[3], BYTE* hue, BYTE* lightness, BYTE* saturation);
