#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/CTApp.h"
#include "framework/CTColour.h"
#include "framework/CTIcon.h"
#include "framework/MemoryBitmap.h"

namespace {

// Reads an icon's colour pixels (top-down ARGB) and whether each is opaque in the mask.
struct IconDump {
    int cx = 0, cy = 0, depth = 0;
    std::vector<DWORD> colour, mask;

    explicit IconDump(HICON icon)
    {
        ICONINFO ii = {};
        if (!GetIconInfo(icon, &ii))
            return;
        BITMAP bm = {};
        GetObjectW(ii.hbmColor, sizeof(bm), &bm);
        cx = bm.bmWidth;
        cy = bm.bmHeight;
        depth = bm.bmBitsPixel;
        colour.resize(size_t(cx) * cy);
        mask.resize(size_t(cx) * cy);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, ii.hbmColor, 0, cy, colour.data(), &info, DIB_RGB_COLORS);
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
        GetDIBits(dc, ii.hbmMask, 0, cy, mask.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
    }
    COLORREF At(int x, int y) const
    {
        DWORD v = colour[size_t(y) * cx + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    BYTE Alpha(int x, int y) const { return BYTE(colour[size_t(y) * cx + x] >> 24); }
    bool Opaque(int x, int y) const { return (mask[size_t(y) * cx + x] & 0xFFFFFF) == 0; }
};

// An icon of cx x cy from a pixel function (ARGB) and an opacity function, in the given depth.
HICON MakeIcon(int cx, int cy, std::function<DWORD(int, int)> pixel, std::function<bool(int, int)> opaque,
               int depth = 32)
{
    std::vector<DWORD> px(size_t(cx) * cy);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            px[size_t(y) * cx + x] = pixel(x, y);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, WORD(depth), BI_RGB};
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    BITMAPINFO src = {};
    src.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
    HDC dc = GetDC(nullptr);
    SetDIBits(dc, colour, 0, cy, px.data(), &src, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    int stride = ((cx + 15) / 16) * 2;
    std::vector<BYTE> maskBits(size_t(stride) * cy, 0);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (!opaque(x, y))
                maskBits[size_t(y) * stride + x / 8] |= BYTE(0x80 >> (x % 8));
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, maskBits.data());
    ICONINFO ii = {TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

DWORD Argb(BYTE a, BYTE r, BYTE g, BYTE b)
{
    return (DWORD(a) << 24) | (DWORD(r) << 16) | (DWORD(g) << 8) | b;
}

// 16 x 16, opaque except a transparent right-hand column; the left column has a soft alpha edge.
HICON SampleIcon(DWORD fill)
{
    return MakeIcon(
        16, 16, [&](int x, int) { return x == 0    ? ((fill & 0xFFFFFF) | 0x80000000)
                                         : x == 15 ? 0
                                                   : fill; },
        [](int x, int) { return x != 15; });
}

TEST(CTIcon, OwnershipAndCopies)
{
    CTIcon empty;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(0, empty.width);

    CTIcon icon(SampleIcon(Argb(255, 200, 100, 220)));
    EXPECT_TRUE(icon.IsValid());
    EXPECT_EQ(16, icon.width);
    EXPECT_EQ(16, icon.height);

    CTIcon copy(icon);
    EXPECT_TRUE(copy.IsValid());
    EXPECT_NE(icon.GetHandle(), copy.GetHandle());
    EXPECT_EQ(16, copy.width);

    CTIcon assigned;
    assigned = icon;
    EXPECT_NE(icon.GetHandle(), assigned.GetHandle());
    EXPECT_EQ(16, assigned.height);

    EXPECT_FALSE(assigned.SetCopy(nullptr));
    EXPECT_TRUE(assigned.IsValid());
    EXPECT_TRUE(assigned.SetCopy(icon.GetHandle()));
    EXPECT_EQ(16, assigned.width);

    HICON raw = icon.GetHandle();
    icon.Detach();
    EXPECT_FALSE(icon.IsValid());
    EXPECT_EQ(0, icon.width);
    EXPECT_TRUE(icon.Attach(raw, 48)); // a given size is taken as it stands
    EXPECT_EQ(48, icon.width);
    EXPECT_TRUE(icon.Attach(CopyIcon(raw))); // frees the previous one, reads the new size
    EXPECT_EQ(16, icon.width);
    icon.Free();
    EXPECT_FALSE(icon.IsValid());
    EXPECT_EQ(0, icon.height);
}

TEST(CTIcon, LoadsFromTheProgramAtTheRequestedSize)
{
    CTApp::Instance()->Init(GetModuleHandleW(nullptr), L"", SW_SHOWNORMAL, L"Icons");
    CTIcon big(301, 32);
    ASSERT_TRUE(big.IsValid());
    EXPECT_EQ(32, big.width);

    CTIcon icon;
    EXPECT_TRUE(icon.Load(301, 16, 16));
    ASSERT_TRUE(icon.IsValid());
    EXPECT_EQ(16, icon.width);
    EXPECT_EQ(16, icon.height);
    IconDump dump(icon.GetHandle());
    EXPECT_EQ(RGB(0, 128, 0), dump.At(8, 8));

    EXPECT_TRUE(icon.LoadSmall(nullptr, MAKEINTRESOURCEW(301)));
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), icon.width);

    EXPECT_FALSE(icon.LoadFromExe(999, 16));
    EXPECT_FALSE(icon.IsValid());
    EXPECT_EQ(0, icon.width);
    EXPECT_TRUE(icon.Load(999, 16, 16)); // reports true even when nothing was found
    EXPECT_FALSE(icon.IsValid());
    EXPECT_FALSE(icon.LoadSmall(nullptr, MAKEINTRESOURCEW(999)));
}

TEST(CTIcon, StandardIconsFallBackToTheSystemIcons)
{
    // This system's user32 may lack the icons 101 to 106: the shared system icons stand in.
    for (int kind : {99, 100, 101}) {
        CTIcon icon;
        EXPECT_TRUE(icon.LoadStandardIcon(kind)) << kind;
        EXPECT_TRUE(icon.IsValid()) << kind;
        // From user32 at the small size, or the shared system icon at the large size.
        EXPECT_TRUE(icon.width == GetSystemMetrics(SM_CXSMICON) || icon.width == GetSystemMetrics(SM_CXICON))
            << kind;
    }
    CTIcon other;
    EXPECT_FALSE(other.LoadStandardIcon(5));
    EXPECT_FALSE(other.IsValid());
    // Kind 23 has no fallback: it loads only where user32 carries icon 102.
    if (other.LoadStandardIcon(23)) {
        EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), other.width);
    } else {
        EXPECT_FALSE(other.IsValid());
    }
}

TEST(CTIcon, CenterInSizeKeepsThePictureAndATransparentBorder)
{
    CTIcon icon(MakeIcon(
        16, 16, [](int, int) { return Argb(255, 10, 20, 30); }, [](int, int) { return true; }));
    ASSERT_TRUE(icon.CenterInSize(32, 32));
    EXPECT_EQ(32, icon.width);
    EXPECT_EQ(32, icon.height);
    IconDump d(icon.GetHandle());
    ASSERT_EQ(32, d.cx);
    EXPECT_FALSE(d.Opaque(7, 7));
    EXPECT_TRUE(d.Opaque(8, 8));
    EXPECT_TRUE(d.Opaque(23, 23));
    EXPECT_FALSE(d.Opaque(24, 24));
    EXPECT_FALSE(d.Opaque(0, 16));
    EXPECT_EQ(RGB(10, 20, 30), d.At(8, 8));
    EXPECT_EQ(255, d.Alpha(23, 8));
    EXPECT_EQ(0, d.Alpha(2, 2));

    CTIcon empty;
    EXPECT_FALSE(empty.CenterInSize(32, 32));
}

TEST(CTIcon, OverlayDrawsTheOtherIconAtTheTopLeft)
{
    CTIcon base(MakeIcon(
        16, 16, [](int, int) { return Argb(255, 255, 0, 0); }, [](int x, int) { return x < 12; }));
    CTIcon badge(MakeIcon(
        8, 8, [](int x, int) { return x < 4 ? Argb(255, 0, 0, 255) : Argb(128, 0, 0, 255); },
        [](int, int y) { return y < 6; }));
    ASSERT_TRUE(base.Overlay(badge));
    EXPECT_EQ(16, base.width);
    IconDump d(base.GetHandle());
    EXPECT_EQ(RGB(0, 0, 255), d.At(1, 1));
    EXPECT_TRUE(ColourNear(d.At(5, 1), RGB(127, 0, 128), 2)); // half-transparent badge over red
    EXPECT_EQ(255, d.Alpha(5, 1));
    EXPECT_EQ(RGB(255, 0, 0), d.At(1, 6)); // badge transparent there
    EXPECT_EQ(RGB(255, 0, 0), d.At(10, 10));
    EXPECT_FALSE(d.Opaque(13, 3));
    EXPECT_TRUE(d.Opaque(3, 3));

    CTIcon empty;
    HICON before = base.GetHandle();
    EXPECT_FALSE(base.Overlay(empty));
    EXPECT_EQ(before, base.GetHandle());
}

TEST(CTIcon, LightenColorizeAndTintChangeOnlyOpaquePixels)
{
    CTIcon icon(SampleIcon(Argb(255, 200, 100, 220)));
    ASSERT_TRUE(icon.Lighten());
    IconDump lit(icon.GetHandle());
    EXPECT_EQ(RGB(255, 170, 255), lit.At(5, 5));
    EXPECT_EQ(255, lit.Alpha(5, 5));
    EXPECT_EQ(0x80, lit.Alpha(0, 5)); // soft edge kept
    EXPECT_EQ(0u, lit.colour[15]);    // transparent column untouched

    ASSERT_TRUE(icon.Colorize(RGB(0, 160, 80)));
    IconDump coloured(icon.GetHandle());
    EXPECT_EQ(RGB(0, 160, 80), coloured.At(5, 5));
    EXPECT_EQ(RGB(0, 160, 80), coloured.At(0, 5));
    EXPECT_EQ(0x80, coloured.Alpha(0, 5));
    EXPECT_EQ(0u, coloured.colour[15]);

    // A grey pixel tinted pure red keeps its lightness and takes the full red hue.
    CTIcon grey(SampleIcon(Argb(255, 100, 100, 100)));
    ASSERT_TRUE(grey.Tint(RGB(255, 0, 0)));
    IconDump tinted(grey.GetHandle());
    COLORREF expected = 0;
    HlsToRgb(&expected, 0, 100, 255);
    EXPECT_EQ(expected, tinted.At(5, 5));
    EXPECT_EQ(RGB(200, 0, 0), expected);
    EXPECT_EQ(255, tinted.Alpha(5, 5));
    EXPECT_EQ(0u, tinted.colour[15]);

    CTIcon empty;
    EXPECT_FALSE(empty.Lighten());
    EXPECT_FALSE(empty.Tint(RGB(1, 2, 3)));
    EXPECT_FALSE(empty.Colorize(RGB(1, 2, 3)));
}

TEST(CTIcon, EffectsOnAnIconWithoutAlpha)
{
    CTIcon icon(MakeIcon(
        16, 16, [](int, int) { return Argb(0, 200, 100, 220); }, [](int x, int) { return x < 8; }, 24));
    ASSERT_TRUE(icon.Lighten());
    IconDump d(icon.GetHandle());
    EXPECT_EQ(RGB(255, 170, 255), d.At(2, 2));
    EXPECT_EQ(RGB(200, 100, 220), d.At(12, 2));
}

} // namespace
