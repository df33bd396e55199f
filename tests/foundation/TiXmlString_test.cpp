// The model's string: allocation rules, appends and comparisons.
#include <gtest/gtest.h>

#include "foundation/TiXmlString.h"

TEST(TiXmlString, AssignAndGrowth) {
    TiXmlString s;
    EXPECT_EQ(0u, s.Length());
    EXPECT_STREQ(L"", s.c_str());
    s.Assign(L"abc");
    EXPECT_EQ(4u, s.Capacity());  // exactly length + 1
    s.Append(L"de");
    EXPECT_STREQ(L"abcde", s.c_str());
    EXPECT_EQ(12u, s.Capacity());  // 2 x new length + 2
    s.Append(L"xyz", 2);
    s.Append(L"q", 5);  // stops at the end of the text
    EXPECT_STREQ(L"abcdexyq", s.c_str());
    s.Append(s.c_str());  // from its own buffer, across a reallocation
    EXPECT_STREQ(L"abcdexyqabcdexyq", s.c_str());
    s.Assign(nullptr);
    EXPECT_EQ(0u, s.Capacity());
    EXPECT_EQ(0u, s.Length());

    TiXmlString empty;
    s.Assign(L"x");
    s.AssignString(empty);
    EXPECT_EQ(0u, s.Capacity());
    TiXmlString copy(L"hello");
    s.AssignString(copy);
    EXPECT_STREQ(L"hello", s.c_str());
    s.Clear();
    EXPECT_EQ(nullptr, s.Buffer());
}

TEST(TiXmlString, EqualsAndFindQuote) {
    TiXmlString a(L"x\"y"), b(L"x\"y"), none;
    EXPECT_TRUE(a.Equals(b));
    EXPECT_FALSE(none.Equals(none));  // no buffer: never equal
    EXPECT_FALSE(a.Equals(TiXmlString(L"x\"")));
    EXPECT_EQ(1u, a.FindQuote());
    EXPECT_EQ(0xFFFFFFFFu, TiXmlString(L"abc").FindQuote());
    EXPECT_EQ(0xFFFFFFFFu, none.FindQuote());
    EXPECT_FALSE(a.Equals((const wchar_t*)nullptr));
}
