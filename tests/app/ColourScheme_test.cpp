#include <gtest/gtest.h>

#include "app/ColourScheme.h"
#include "controls/CGDIManager.h"

namespace {

// A cache holding the defaults the main window registers for the scheme's colours.
struct SchemeCache : CGDIManager {
    SchemeCache()
    {
        AddColour(ColourScheme::TitleBar, ColourScheme::kDefaultTitleBar);
        AddColour(ColourScheme::TitleBarLight, 0xC6A081);
        AddColour(ColourScheme::TitleBarText, 0xFFFFFF);
        AddColour(ColourScheme::ItemHighlight, 0x50AF4C);
    }
    COLORREF operator[](int id) { return ColourScheme::Get(*this, id); }
    unsigned Refs(int id) { return Find(id) ? Find(id)->refs : 0; }
};

} // namespace

TEST(ColourScheme, DefaultLighterTitleBarIsTheMidPointTowardWhite)
{
    EXPECT_EQ(0xC6A081u, ColourScheme::LighterTitleBar(ColourScheme::kDefaultTitleBar));
    // A light colour (lightness above 220) is darkened to 80 percent of each channel instead.
    EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), ColourScheme::LighterTitleBar(RGB(0xF0, 0xF0, 0xF0)));
}

TEST(ColourScheme, ServerColoursAreSavedOnceAndRestoredAtSignOut)
{
    SchemeCache gdi;
    ColourScheme::ServerColours first;
    first.titleBar = L"#03428E";
    first.titleBarText = L"#101010";
    first.mainText = L"#202020";
    first.itemHighlight = L"#CCE4F7";
    ASSERT_TRUE(ColourScheme::ApplyServerColours(gdi, first));
    EXPECT_EQ(RGB(0x03, 0x42, 0x8E), gdi[ColourScheme::TitleBar]);
    EXPECT_EQ(ColourScheme::LighterTitleBar(RGB(0x03, 0x42, 0x8E)), gdi[ColourScheme::TitleBarLight]);
    EXPECT_EQ(RGB(0x10, 0x10, 0x10), gdi[ColourScheme::TitleBarText]);
    EXPECT_EQ(RGB(0x20, 0x20, 0x20), gdi[ColourScheme::MainText]);
    EXPECT_EQ(RGB(0xCC, 0xE4, 0xF7), gdi[ColourScheme::ItemHighlight]);
    EXPECT_EQ(ColourScheme::kDefaultTitleBar, gdi[ColourScheme::SavedTitleBar]);
    EXPECT_EQ(0xFFFFFFu, gdi[ColourScheme::SavedTitleBarText]);
    EXPECT_EQ(0u, gdi[ColourScheme::SavedMainText]);   // there was no main text colour before
    EXPECT_EQ(0x50AF4Cu, gdi[ColourScheme::SavedItemHighlight]);

    // A second reply of the same session keeps the saved defaults.
    ColourScheme::ServerColours second;
    second.titleBar = L"#F0F0F0";
    ASSERT_TRUE(ColourScheme::ApplyServerColours(gdi, second));
    EXPECT_EQ(RGB(0xF0, 0xF0, 0xF0), gdi[ColourScheme::TitleBar]);
    EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), gdi[ColourScheme::TitleBarLight]);
    EXPECT_EQ(ColourScheme::kDefaultTitleBar, gdi[ColourScheme::SavedTitleBar]);

    ASSERT_TRUE(ColourScheme::RestoreDefaults(gdi));
    EXPECT_EQ(ColourScheme::kDefaultTitleBar, gdi[ColourScheme::TitleBar]);
    EXPECT_EQ(0xC6A081u, gdi[ColourScheme::TitleBarLight]);
    EXPECT_EQ(0xFFFFFFu, gdi[ColourScheme::TitleBarText]);
    EXPECT_EQ(0x50AF4Cu, gdi[ColourScheme::ItemHighlight]);
    EXPECT_EQ(0u, gdi[ColourScheme::MainText]);
    EXPECT_EQ(1u, gdi.Refs(ColourScheme::TitleBar));
    EXPECT_EQ(nullptr, gdi.Find(ColourScheme::SavedTitleBarText));
    EXPECT_EQ(nullptr, gdi.Find(ColourScheme::SavedItemHighlight));
    EXPECT_EQ(nullptr, gdi.Find(ColourScheme::SavedMainText));
}

TEST(ColourScheme, OnlyHashColoursApply)
{
    SchemeCache gdi;
    ColourScheme::ServerColours none;
    none.titleBar = L"03428E";
    none.itemHighlight = L"";
    EXPECT_FALSE(ColourScheme::ApplyServerColours(gdi, none));
    EXPECT_EQ(ColourScheme::kDefaultTitleBar, gdi[ColourScheme::TitleBar]);
    EXPECT_FALSE(ColourScheme::RestoreDefaults(gdi));

    // Only the item highlight is sent: it alone is applied and restored.
    ColourScheme::ServerColours highlight;
    highlight.itemHighlight = L"#010203";
    EXPECT_TRUE(ColourScheme::ApplyServerColours(gdi, highlight));
    EXPECT_EQ(RGB(1, 2, 3), gdi[ColourScheme::ItemHighlight]);
    EXPECT_EQ(nullptr, gdi.Find(ColourScheme::SavedTitleBar));
    EXPECT_TRUE(ColourScheme::RestoreDefaults(gdi));
    EXPECT_EQ(0x50AF4Cu, gdi[ColourScheme::ItemHighlight]);
}

TEST(ColourScheme, PendingRequestMarkup)
{
    struct Case {
        unsigned n;
        const wchar_t* pos;
        const wchar_t* label;
    };
    const Case cases[] = {{3, L"3", L"3"}, {10, L"10", L"10"}, {99, L"10", L"99"}, {100, L"10", L"\x221E"}};
    for (const Case& c : cases) {
        CTString markup;
        ColourScheme::BuildPendingMarkup(c.n, RGB(0x11, 0x22, 0x33), RGB(0xAA, 0xBB, 0xCC), markup);
        CTString expected;
        expected.Format(L"<Progress type=\"vertical text\" padding-top=\"1\" padding-bottom=\"2\" "
                        L"padding-right=\"2\" pos=\"%s\" max=\"10\" width=\"20\" height=\"100%%\" "
                        L"align=\"center\" text-align=\"center\" vertical-align=\"top\" color=\"#112233\"  "
                        L"background-color=\"#AABBCC\"  value=\"%s\" />",
                        c.pos, c.label);
        EXPECT_STREQ(expected.GetBuffer(), markup.GetBuffer()) << c.n;
    }
}
