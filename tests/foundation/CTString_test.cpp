// CTString: storage, growth, wiping, editing, searching, comparing, formatting and string tables.
#include "foundation/CTString.h"
#include "foundation/CTStringA.h"
#include <gtest/gtest.h>

TEST(CTString, SmokeAppendAndFormat)
{
    CTString s(L"abc");
    s.AppendChar(L'd').AppendText(L"ef");
    EXPECT_STREQ(L"abcdef", s.GetBuffer());
    s.Format(L"%s|%S|%I64d", L"wide", "narrow", 1234567890123ll);
    EXPECT_STREQ(L"wide|narrow|1234567890123", s.GetBuffer());
}
