// Typed values: the display text of every type code in en-GB, comparisons and the setters' rules.
// ctest-env: TZ=Europe/Berlin
#include "foundation/CAttribute.h"
#include "tests/foundation/TestZone.h"
#include <gtest/gtest.h>

namespace {

struct TextCase {
    int type;
    __int64 value;
    const wchar_t* text;
};

void ExpectTexts(const TextCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        CAttribute value(cases[i].type, cases[i].value);
        EXPECT_STREQ(cases[i].text, value.GetText()) << "type " << cases[i].type << " value " << cases[i].value;
    }
}

} // namespace

TEST(CAttribute, TextOfEveryTypeCodeInEnGb)
{
    static const TextCase cases[] = {
        {1, 42, L"42"},
        {1, -5, L"-5"},
        {1, 0x7FFFFFFFFFFFFFFFLL, L"9223372036854775807"},
        {4, 7, L"7"},
        // Dates: the UTC calendar day, whatever the zone; 0..1970 is no date.
        {2, 0, L""},
        {2, 1970, L""},
        {2, 1971, L"01/01/1970"},
        {2, 86399, L"01/01/1970"},
        {2, 365 * 86400LL, L"01/01/1971"},
        {2, -86400, L"31/12/1969"},                  // negative as 64 bits is no "no date"
        {2, 0x100000000LL + 86400, L"02/01/1970"},   // only the low 32 bits are the time
        {3, 40, L"40%"},
        {5, 0xC0A80001LL, L"192.168.0.1"},
        {6, 1536, L"1.50 KB"},
        {8, 59, L"00:59"},
        {8, 3599, L"59:59"},
        {8, 3600, L"01:00:00"},
        {8, 0, L""},
        {9, 15, L"1.5"},
        {9, 0, L""},
        {12, 90, L"01:30"},
        {12, 1500, L"1d 01h 00m"},
        {12, 0, L""},
        {13, 1234, L"1.23"},
        {13, 10000, L"10.00"},
        {13, 10001, L"10"},
        {13, 12345, L"12"},
        {14, 1234500, L"\u00A31,234.50"},
        {15, 0x0001000200030004LL, L"1.2.3.4"},
        {15, static_cast<__int64>(0xFFFF000000000001ULL), L"65535.0.0.1"},
        {16, 13 * 3600 + 5 * 60 + 7, L"13:05"},   // a UTC clock: no zone shift
        {16, 0, L"00:00"},
        {17, 0, L""},
        {18, 1970, L""},
        {10, 1000, L""},
    };
    ExpectTexts(cases, std::size(cases));
}

TEST(CAttribute, LocalTimeTypesFollowTheZone)
{
    // 86400 is 1970-01-02 00:00 UTC; 1720000000 is 2024-07-03 09:46:40 UTC (summer time in Berlin).
    if (RunsEastOfUtc()) {
        static const TextCase cases[] = {
            {10, 86400, L"02/01/1970 01:00"},
            {10, 1720000000, L"03/07/2024 11:46"},
            {11, 0, L"01:00"},
            {11, 1720000000, L"11:46"},
            {17, 86405, L"02/01/1970 01:00:05"},
            {18, 86400, L"02/01/1970 01:00:00 86400"},
        };
        ExpectTexts(cases, std::size(cases));
    } else {
        static const TextCase cases[] = {
            {10, 86400, L"02/01/1970 00:00"},
            {10, 1720000000, L"03/07/2024 09:46"},
            {11, 0, L"00:00"},
            {11, 1720000000, L"09:46"},
            {17, 86405, L"02/01/1970 00:00:05"},
            {18, 86400, L"02/01/1970 00:00:00 86400"},
        };
        ExpectTexts(cases, std::size(cases));
    }
}

TEST(CAttribute, TextTypesAndUnknownCodesKeepTheirText)
{
    for (int type : {0, 7, 19, -1}) {
        CAttribute value(type, L"as set");
        EXPECT_STREQ(L"as set", value.GetText()) << type;
        value.SetValue(type, 12);
        EXPECT_STREQ(L"as set", value.GetText()) << type;
    }
    CAttribute text(7, L"x");
    text.SetValue(7, 99);
    EXPECT_EQ(0, text.GetValue());
    EXPECT_EQ(0, text.GetValue32());
    EXPECT_FALSE(text.HasValue());
}

TEST(CAttribute, ConstructionForms)
{
    CAttribute plain;
    EXPECT_EQ(1, plain.GetType());
    EXPECT_EQ(0, plain.GetValue());
    EXPECT_STREQ(L"", plain.GetText());
    EXPECT_EQ(0u, plain.GetTextLength());

    CAttribute zero(0ULL);
    EXPECT_EQ(1, zero.GetType());
    EXPECT_STREQ(L"0", zero.GetText());
    zero.Clear();
    EXPECT_STREQ(L"", zero.GetText());
    EXPECT_EQ(nullptr, zero.GetString().GetBuffer());

    CAttribute text(CTString(L"hello"));
    EXPECT_EQ(0, text.GetType());
    EXPECT_STREQ(L"hello", text.GetText());

    // A number type replaces the given text.
    CAttribute number(1, L"abc");
    EXPECT_STREQ(L"0", number.GetText());

    CAttribute copy(CAttribute(8, 61));
    copy.m_text.AssignText(L"changed");
    CAttribute second(copy);
    EXPECT_STREQ(L"changed", second.GetText());   // copies do not regenerate the text
    EXPECT_EQ(61, second.GetValue());
}

TEST(CAttribute, PercentageLabels)
{
    CAttribute value;
    value.SetText(3, CTString(L"075%Complete"));
    EXPECT_EQ(75, value.GetValue());
    EXPECT_STREQ(L"Complete", value.GetText());

    value.SetText(3, CTString(L" -5%Behind"));
    EXPECT_EQ(-5, value.GetValue());
    EXPECT_STREQ(L"Behind", value.GetText());

    value.SetText(3, CTString(L"ab %Nothing readable"));
    EXPECT_EQ(0, value.GetValue());

    value.SetValue(3, 40);
    EXPECT_STREQ(L"40%", value.GetText());

    CAttribute shortText(3, L"75%");
    EXPECT_EQ(0, shortText.GetValue());
    EXPECT_STREQ(L"0%", shortText.GetText());

    // Equal percentages need equal labels too.
    CAttribute a(3, L"050%Half"), b(3, L"050%half"), c(3, L"050%Half");
    EXPECT_FALSE(a.IsEqual(b));
    EXPECT_TRUE(a.IsEqual(c));
}

TEST(CAttribute, SettersKeepTheNumberForNonPercentageTypes)
{
    CAttribute value(1, 42);
    value.SetText(1, CTString(L"abc"));
    EXPECT_EQ(42, value.GetValue());
    EXPECT_STREQ(L"42", value.GetText());

    // IPv4 0 leaves the previous text.
    CAttribute address(5, 0xC0A80001LL);
    address.SetValue(5, 0);
    EXPECT_STREQ(L"192.168.0.1", address.GetText());

    CAttribute all;
    all.Set(0, 5, CTString(L"kept"));
    EXPECT_STREQ(L"kept", all.GetText());
    EXPECT_EQ(5, all.m_value);
}

TEST(CAttribute, IsEmptyAndHasValueFollowTheType)
{
    EXPECT_TRUE(CAttribute(2, 1970).IsEmpty());
    EXPECT_FALSE(CAttribute(2, 1971).IsEmpty());
    EXPECT_TRUE(CAttribute(10, 5).IsEmpty());
    EXPECT_FALSE(CAttribute(1, 5).IsEmpty());
    EXPECT_TRUE(CAttribute(1, 0LL).IsEmpty());
    EXPECT_TRUE(CAttribute(0, L"").IsEmpty());
    EXPECT_FALSE(CAttribute(7, L"x").IsEmpty());
    EXPECT_TRUE(CAttribute(8, 5).HasValue());
    EXPECT_FALSE(CAttribute(8, 0LL).HasValue());
}

TEST(CAttribute, Comparisons)
{
    // Types must match; 0 and 7 are different types.
    EXPECT_FALSE(CAttribute(0, L"a").IsEqual(CAttribute(7, L"a")));
    EXPECT_TRUE(CAttribute(0, L"a").IsNotEqual(CAttribute(7, L"a")));
    EXPECT_TRUE(CAttribute(0, L"").IsEqual(CAttribute(CTString())));
    EXPECT_FALSE(CAttribute(0, L"a").IsEqual(CAttribute(0, L"A")));

    CAttribute first(1, 9), second(1, 9);
    second.m_text.AssignText(L"other text");
    EXPECT_TRUE(first.IsEqual(second));
    EXPECT_FALSE(first.IsEqual(CAttribute(4, 9)));

    // Numbers compare unsigned, whatever the other's type.
    EXPECT_TRUE(CAttribute(1, -1).IsGreater(CAttribute(1, 1)));
    EXPECT_TRUE(CAttribute(1, 1).IsLess(CAttribute(1, -1)));
    EXPECT_TRUE(CAttribute(1, 6).IsGreater(CAttribute(2, 5)));
    EXPECT_FALSE(CAttribute(1, 5).IsGreater(CAttribute(1, 5)));

    // A text against a number compares with an empty text.
    EXPECT_TRUE(CAttribute(0, L"b").IsGreater(CAttribute(1, 100)));
    EXPECT_FALSE(CAttribute(0, L"").IsGreater(CAttribute(1, 100)));
    EXPECT_FALSE(CAttribute(0, L"").IsLess(CAttribute(1, 100)));
    EXPECT_TRUE(CAttribute(0, L"a").IsLess(CAttribute(7, L"b")));
}

namespace {

// A derived value type that overrides Assign, as the directory object's attribute does.
struct CountingAttribute : CAttribute {
    int assigned = 0;
    CAttribute& Assign(const CAttribute& other) override
    {
        ++assigned;
        return CAttribute::Assign(other);
    }
};

} // namespace

TEST(CAttribute, AssignmentGoesThroughTheOverridableSlot)
{
    CountingAttribute target;
    CAttribute& base = target;
    base = CAttribute(8, 61);
    EXPECT_EQ(1, target.assigned);
    EXPECT_STREQ(L"01:01", target.GetText());
    base = base;
    EXPECT_STREQ(L"01:01", target.GetText());
}
