// The model's string: allocation rules, appends and comparisons.
#include <gtest/gtest.h>

#include "foundation/TiXmlString.h"

TEST(TiXmlString, AssignAndGrowth) {
    TiXmlString s;
    EXPECT_EQ(0u, s.Length());
    EXPECT_STREQ(L"", s.c_str());
    // Beyond the inline buffer: exactly length + 1 on assignment, 2 x new length + 2 on growth.
    const wchar_t* twenty = L"abcdefghijklmnopqrst";
    s.Assign(twenty);
    EXPECT_EQ(21u, s.Capacity());
    s.Append(L"uv");
    EXPECT_EQ(46u, s.Capacity());
    EXPECT_STREQ(L"abcdefghijklmnopqrstuv", s.c_str());

    // Short texts, appends that stop at the end of the text, and appending a string to itself
    // across the move from the inline buffer to the heap.
    s.Assign(L"abc");
    s.Append(L"de");
    s.Append(L"xyz", 2);
    s.Append(L"q", 5);
    EXPECT_STREQ(L"abcdexyq", s.c_str());
    s.Append(s.c_str());
    EXPECT_STREQ(L"abcdexyqabcdexyq", s.c_str());
    s.Assign(s.c_str() + 8);  // from its own buffer
    EXPECT_STREQ(L"abcdexyq", s.c_str());
    TiXmlString moved(static_cast<TiXmlString&&>(s));
    EXPECT_STREQ(L"abcdexyq", moved.c_str());
    EXPECT_EQ(0u, s.Length());
    TiXmlString longMoved(static_cast<TiXmlString&&>(TiXmlString(twenty)));
    EXPECT_STREQ(twenty, longMoved.c_str());
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
