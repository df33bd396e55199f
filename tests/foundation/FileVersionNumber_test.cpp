// Four-part version numbers: parsing, formatting and ordering.
#include <gtest/gtest.h>
#include "foundation/FileVersionNumber.h"

namespace {
std::wstring Formatted(const FileVersionNumber& v)
{
    CTString text;
    v.Format(text);
    return text.IsEmpty() ? std::wstring() : std::wstring(text.GetBuffer());
}
} // namespace

TEST(FileVersionNumber, ParsesDottedTextWithMissingPartsAsZero)
{
    struct Case {
        const wchar_t* text;
        unsigned parts[4];
    } cases[] = {
        { L"4.1.51.3", { 4, 1, 51, 3 } },
        { L"4.1", { 4, 1, 0, 0 } },
        { L"7", { 7, 0, 0, 0 } },
        { L"10.0.19045.2965.9", { 10, 0, 19045, 2965 } },
        { L"1.x.3", { 1, 0, 3, 0 } },
    };
    for (const Case& c : cases) {
        FileVersionNumber v{ CTString(c.text) };
        EXPECT_EQ(c.parts[0], v.major) << c.text;
        EXPECT_EQ(c.parts[1], v.minor) << c.text;
        EXPECT_EQ(c.parts[2], v.build) << c.text;
        EXPECT_EQ(c.parts[3], v.revision) << c.text;
    }
    EXPECT_EQ(L"4.1.51.3", Formatted(FileVersionNumber(CTString(L"4.1.51.3"))));
    EXPECT_EQ(L"4.1.0.0", Formatted(FileVersionNumber(CTString(L"4.1"))));

    // An empty text leaves the number as it was; Clear resets it.
    FileVersionNumber v(1, 2, 3, 4);
    v.Parse(CTString(L""));
    EXPECT_TRUE(v.Equals(FileVersionNumber(1, 2, 3, 4)));
    v.Clear();
    EXPECT_TRUE(v.Equals(FileVersionNumber()));
}

TEST(FileVersionNumber, ComparesPartByPartMajorFirstAsUnsigned)
{
    const FileVersionNumber v(4, 1, 51, 3);
    EXPECT_TRUE(v.IsLess(FileVersionNumber(4, 1, 52, 0)));
    EXPECT_FALSE(v.IsGreater(FileVersionNumber(4, 1, 52, 0)));
    EXPECT_TRUE(v.IsGreater(FileVersionNumber(4, 0, 99, 99)));
    EXPECT_TRUE(v.IsLess(FileVersionNumber(5, 0, 0, 0)));
    EXPECT_TRUE(v.IsGreaterOrEqual(v));
    EXPECT_FALSE(v.IsLess(v));
    EXPECT_TRUE(v.IsAtLeast(4, 1, 51, 3));
    EXPECT_TRUE(v.IsAtLeast(4, 1, 50, 9));
    EXPECT_FALSE(v.IsAtLeast(4, 1, 51, 4));
    EXPECT_TRUE(FileVersionNumber(0x80000000u, 0, 0, 0).IsGreater(FileVersionNumber(1, 0, 0, 0)));
    EXPECT_FALSE(v.Equals(FileVersionNumber(4, 1, 51, 4)));
}
