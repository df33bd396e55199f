// Base64 between byte buffers and strings.
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>

namespace {

CTByteArray Bytes(const std::string& s)
{
    CTByteArray a;
    if (!s.empty())
        memcpy(a.Extend(static_cast<unsigned>(s.size())), s.data(), s.size());
    return a;
}

std::string Decode(const wchar_t* text)
{
    CTByteArray out;
    EXPECT_TRUE(CTString(text).Base64Decode(out));
    return std::string(reinterpret_cast<const char*>(out.GetData()), out.GetSize());
}

std::wstring Encode(const std::string& s)
{
    CTString out;
    EXPECT_TRUE(Bytes(s).Base64Encode(out));
    return out.GetBuffer() ? std::wstring(out.GetBuffer(), out.GetLength()) : std::wstring();
}

} // namespace

TEST(Base64, StandardVectorsBothWays)
{
    struct Case { const char* plain; const wchar_t* coded; };
    const Case cases[] = {
        {"f", L"Zg=="}, {"fo", L"Zm8="}, {"foo", L"Zm9v"}, {"foob", L"Zm9vYg=="},
        {"fooba", L"Zm9vYmE="}, {"foobar", L"Zm9vYmFy"},
        {"\xFB\xFF\xBF", L"+/+/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.coded, Encode(c.plain)) << c.plain;
        EXPECT_EQ(c.plain, Decode(c.coded)) << c.plain;
    }
}

TEST(Base64, EmptyBufferLeavesTheOutputAndEmptyTextGivesNoBytes)
{
    CTString out(L"kept");
    EXPECT_TRUE(CTByteArray().Base64Encode(out));
    EXPECT_STREQ(L"kept", out.GetBuffer());

    CTByteArray bytes = Bytes("old");
    EXPECT_TRUE(CTString().Base64Decode(bytes));
    EXPECT_EQ(0u, bytes.GetSize());
    EXPECT_TRUE(CTString(L"").Base64Decode(bytes));
    EXPECT_EQ(0u, bytes.GetSize());
}

TEST(Base64, UnpaddedAndOddTextsDecodeAsIfPadded)
{
    EXPECT_EQ("f", Decode(L"Zg"));
    EXPECT_EQ("fo", Decode(L"Zm8"));
    EXPECT_EQ("foob", Decode(L"Zm9vYg"));
    EXPECT_EQ("", Decode(L"Z"));            // one character holds no whole byte
    EXPECT_EQ("", Decode(L"===="));
}

TEST(Base64, CharactersOutsideTheAlphabetCountAsZeroBitsWithoutFailing)
{
    // Line breaks and stray characters are not skipped: each takes a place worth zero bits.
    EXPECT_EQ(std::string("\x00\x00\x00", 3), Decode(L"*#!."));
    EXPECT_EQ(std::string("f\x00", 2), Decode(L"Zg\n="));
    EXPECT_EQ(std::string("\x00\x00", 2), Decode(L"\xE9\xE9\xE9="));
}

TEST(Base64, RandomBuffersRoundTrip)
{
    unsigned seed = 99;
    for (unsigned n = 0; n < 300; n += 7) {
        std::string s(n, '\0');
        for (char& c : s) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 16);
        }
        std::wstring coded = Encode(s);
        EXPECT_EQ((n + 2) / 3 * 4, coded.size());
        EXPECT_EQ(s, Decode(coded.c_str())) << n;
    }
}
