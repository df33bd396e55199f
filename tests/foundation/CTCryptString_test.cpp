// Enciphered strings: round trips, and rejection of texts that Encipher did not make.
#include "foundation/CTCryptString.h"
#include <gtest/gtest.h>
#include <string>

namespace {
std::wstring Text(const CTString& s)
{
    return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : L"";
}
} // namespace

TEST(CTCryptString, RoundTrip)
{
    for (const wchar_t* plain : {L"s3cret P\u00E4ssw\u00F6rd \u20AC", L"x", L""}) {
        CTCryptString value(plain);
        ASSERT_TRUE(value.Encipher()) << plain;
        std::wstring stored = Text(value);
        EXPECT_EQ(0u, stored.find(CTCryptString::kPrefix));
        if (wcslen(plain) > 4) {   // a short text may turn up in Base64 by chance
            EXPECT_EQ(std::wstring::npos, stored.find(plain));
        }
        for (wchar_t ch : stored)
            EXPECT_TRUE(ch >= 0x20 && ch < 0x7F) << "stored form must be printable";

        CTCryptString copy;
        copy.Assign(value);
        ASSERT_TRUE(copy.Decipher()) << plain;
        EXPECT_EQ(plain, Text(copy));
    }
}

TEST(CTCryptString, RejectsOtherTextsAndLeavesThemUnchanged)
{
    CTCryptString good(L"password");
    ASSERT_TRUE(good.Encipher());
    std::wstring stored = Text(good);

    std::wstring tampered = stored;
    size_t middle = wcslen(CTCryptString::kPrefix) + (stored.size() - wcslen(CTCryptString::kPrefix)) / 2;
    tampered[middle] = tampered[middle] == L'A' ? L'B' : L'A';
    std::wstring truncated = stored.substr(0, stored.size() - 8);

    const std::wstring prefix = CTCryptString::kPrefix;
    for (const std::wstring& text : {std::wstring(L"plain password"), std::wstring(L""), prefix,
                                     prefix + L"bm90IHByb3RlY3RlZA==", prefix + L"!!not base64!!", tampered,
                                     truncated, stored + L" ", stored.substr(0, 20) + L"\r\n" + stored.substr(20)}) {
        CTCryptString value(text.c_str());
        EXPECT_FALSE(value.Decipher()) << text;
        EXPECT_EQ(text, Text(value));
    }
}
