// CTStringA: 8-bit text that never stores an empty text.
#include "foundation/CTStringA.h"
#include "foundation/CTString.h"
#include <gtest/gtest.h>
#include <cstring>

TEST(CTStringA, EmptyTextsAreNotStored)
{
    EXPECT_TRUE(CTStringA().IsEmpty());
    EXPECT_TRUE(CTStringA(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_TRUE(CTStringA("").IsEmpty());
    EXPECT_TRUE(CTStringA(CTString()).IsEmpty());
    EXPECT_TRUE(CTStringA(CTString(L"")).IsEmpty());
    EXPECT_EQ(0u, CTStringA("").GetLength());

    CTStringA a("abc");
    EXPECT_EQ(3u, a.GetLength());
    a.Assign("");
    EXPECT_EQ(nullptr, a.m_buffer);
}

TEST(CTStringA, ConversionAssignmentAndCopies)
{
    CTStringA a(CTString(L"from wide"));
    EXPECT_STREQ("from wide", a.GetBuffer());
    a.Assign(CTString(L"again"));
    EXPECT_STREQ("again", a.GetBuffer());
    a.Assign("narrow");
    EXPECT_STREQ("narrow", a.GetBuffer());
    a.Assign(a.GetBuffer());   // its own text
    EXPECT_STREQ("narrow", a.GetBuffer());

    CTStringA copy(a);
    EXPECT_NE(a.GetBuffer(), copy.GetBuffer());
    EXPECT_STREQ("narrow", copy.GetBuffer());
    copy = CTStringA("other");
    EXPECT_STREQ("other", copy.GetBuffer());
    copy.Empty();
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(CTStringA, AllocBufferHandsOutNineBytes)
{
    CTStringA a("previous text");
    char* buffer = a.AllocBuffer();
    ASSERT_NE(nullptr, buffer);
    std::memcpy(buffer, "12345678", 9);
    EXPECT_EQ(8u, a.GetLength());
    EXPECT_FALSE(a.IsEmpty());
}

TEST(CTStringA, CompareNoCase)
{
    EXPECT_EQ(0, CTStringA("Hello").CompareNoCase(CTStringA("hELLO")));
    EXPECT_LT(CTStringA("apple").CompareNoCase(CTStringA("Banana")), 0);
    EXPECT_GT(CTStringA("x").CompareNoCase(CTStringA()), 0);   // an empty text compares as ""
    EXPECT_EQ(0, CTStringA().CompareNoCase(CTStringA("")));
}
