// Every picture the console carries, drawn at each size the console loads it: none is empty or of
// one colour, the pairs the user tells apart differ, and the glyphs of the coloured bars show on
// the bar's colour.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>
#include "framework/CTColour.h"
#include "framework/CTREngineDraw.h"
#include "framework/MemoryBitmap.h"

namespace {

constexpr COLORREF kBar = RGB(3, 66, 142);        // the default title bar under the white glyphs
constexpr COLORREF kWindow = RGB(255, 255, 255);  // list rows, the about pane

std::vector<UINT> ResourceIds(const wchar_t* type)
{
    std::vector<UINT> ids;
    EnumResourceNamesW(
        GetModuleHandleW(nullptr), type,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            if (IS_INTRESOURCE(name))
                reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

struct Drawn {
    std::vector<COLORREF> pixels;
    int cx = 0, cy = 0;
    size_t Colours() const { return std::set<COLORREF>(pixels.begin(), pixels.end()).size(); }
    // Share of pixels that differ from the background.
    double Covered(COLORREF background) const
    {
        size_t n = 0;
        for (COLORREF c : pixels)
            n += c != background;
        return pixels.empty() ? 0 : double(n) / pixels.size();
    }
    COLORREF At(int x, int y) const { return pixels[size_t(y) * cx + x]; }
};

Drawn Draw(HICON icon, int cx, int cy, COLORREF background)
{
    Drawn out;
    out.cx = cx;
    out.cy = cy;
    if (!icon)
        return out;
    MemoryBitmap canvas(cx, cy, background);
    DrawIconEx(canvas.dc, 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
    for (int y = 0; y < cy; y++)
        for (int x = 0; x < cx; x++)
            out.pixels.push_back(canvas.At(x, y));
    return out;
}

Drawn DrawIcon(UINT id, int size, COLORREF background)
{
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    Drawn out = Draw(icon, size, size, background);
    if (icon)
        DestroyIcon(icon);
    return out;
}

Drawn DrawPicture(UINT id, int cx, int cy, COLORREF background)
{
    HICON icon = LoadEmfIcon(id, cx, cy);
    Drawn out = Draw(icon, cx, cy, background);
    if (icon)
        DestroyIcon(icon);
    return out;
}

bool Differ(const Drawn& a, const Drawn& b)
{
    size_t n = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); i++)
        n += a.pixels[i] != b.pixels[i];
    return n > a.pixels.size() / 20;
}

// Small icons at 100 % to 150 %, large ones at 100 % and 150 %.
const int kIconSizes[] = {16, 20, 24, 32, 48};

} // namespace

TEST(ConsolePictures, EveryIconShowsAShapeAtEverySize)
{
    std::vector<UINT> ids = ResourceIds(RT_GROUP_ICON);
    ASSERT_GE(ids.size(), 15u);
    for (UINT id : ids) {
        for (int size : kIconSizes) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(size));
            // White glyphs show on the bar, coloured ones on a window; each must show on one of them.
            Drawn onBar = DrawIcon(id, size, kBar), onWindow = DrawIcon(id, size, kWindow);
            ASSERT_FALSE(onBar.pixels.empty());
            double covered = std::max(onBar.Covered(kBar), onWindow.Covered(kWindow));
            EXPECT_GT(covered, 0.04);
            EXPECT_LT(covered, 1.0);                                  // a shape, not a filled square
            EXPECT_GT(std::max(onBar.Colours(), onWindow.Colours()), 2u);  // edges are smoothed
        }
    }
}

TEST(ConsolePictures, EveryVectorPictureShowsAShapeAtEverySize)
{
    std::vector<UINT> ids = ResourceIds(L"EMF");
    ASSERT_GE(ids.size(), 10u);
    for (UINT id : ids) {
        if (id == 251)
            continue;  // the logo, below
        for (int size : {16, 24, 32, 48}) {
            SCOPED_TRACE("picture " + std::to_string(id) + " at " + std::to_string(size));
            Drawn onBar = DrawPicture(id, size, size, kBar), onWindow = DrawPicture(id, size, size, kWindow);
            double covered = std::max(onBar.Covered(kBar), onWindow.Covered(kWindow));
            EXPECT_GT(covered, 0.04);
            EXPECT_LT(covered, 0.97);
        }
    }
}

TEST(ConsolePictures, LogoShowsOnTheAboutPaneAtBothScales)
{
    for (auto [cx, cy] : {std::pair{612, 145}, std::pair{918, 218}}) {
        SCOPED_TRACE(std::to_string(cx));
        Drawn logo = DrawPicture(251, cx, cy, kWindow);
        EXPECT_GT(logo.Covered(kWindow), 0.08);
        EXPECT_GE(logo.Colours(), 3u);
        // Its lettering is dark enough to read on the pane's white.
        size_t dark = 0;
        for (COLORREF c : logo.pixels)
            dark += ContrastRatio(c, kWindow) >= 4.5;
        EXPECT_GT(dark, logo.pixels.size() / 20);
    }
}

TEST(ConsolePictures, PicturesTheUserTellsApartDiffer)
{
    for (int size : {16, 24, 32}) {
        SCOPED_TRACE(size);
        // The search filter button, without and with a type limit.
        EXPECT_TRUE(Differ(DrawPicture(246, size, size, kBar), DrawPicture(245, size, size, kBar)));
        // Link and chat.
        EXPECT_TRUE(Differ(DrawPicture(252, size, size, kWindow), DrawPicture(253, size, size, kWindow)));
        // Navigation: back and forward, tasks and deployments.
        EXPECT_TRUE(Differ(DrawIcon(134, size, kBar), DrawIcon(228, size, kBar)));
        EXPECT_TRUE(Differ(DrawIcon(201, size, kBar), DrawIcon(216, size, kBar)));
    }
    // Due-status balls: red (due), green (completed), amber (due soon), told apart by their hue.
    struct Ball {
        UINT id;
        bool (*hue)(COLORREF);
    };
    const Ball balls[] = {
        {138, [](COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 100; }},
        {139, [](COLORREF c) { return GetGValue(c) > 120 && GetRValue(c) < 120; }},
        {140, [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) > 120 && GetBValue(c) < 100; }},
    };
    for (const Ball& ball : balls) {
        Drawn drawn = DrawIcon(ball.id, 16, kWindow);
        EXPECT_TRUE(ball.hue(drawn.At(9, 11))) << ball.id;
    }
}
