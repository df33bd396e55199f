// Error texts: system messages and the COM fallbacks.
#include "foundation/CTErrorString.h"
#include <gtest/gtest.h>
#include <string>

namespace {
std::wstring Text(const CTString& s)
{
    return s.GetBuffer() ? s.GetBuffer() : L"";
}
} // namespace

TEST(CTErrorString, SystemCodeGivesTheSystemMessageWithItsLineEnd)
{
    CTErrorString error;
    ASSERT_TRUE(error.SetErrorCode(ERROR_ACCESS_DENIED));
    EXPECT_EQ(5u, error.m_code);
    std::wstring text = Text(error);
    ASSERT_GE(text.size(), 3u);
    EXPECT_NE(std::wstring::npos, text.find(L"ccess")) << text;
    EXPECT_EQ(L"\r\n", text.substr(text.size() - 2));
}

TEST(CTErrorString, MessageWithInsertsIsNotFilledFromMissingArguments)
{
    // "%1 is not a valid ..." has an insert and no arguments to fill it: the insert stays as it is.
    CTErrorString error;
    ASSERT_TRUE(error.SetErrorCode(ERROR_BAD_EXE_FORMAT));
    EXPECT_NE(std::wstring::npos, Text(error).find(L"%1")) << Text(error);
}

TEST(CTErrorString, ComFallbacksWhenNoMessageExists)
{
    struct Case {
        DWORD code;
        const wchar_t* text;
    } cases[] = {
        {0x80040201, L"IDispatch error #1"},
        {0x8004FFFF, L"IDispatch error #65023"},
        {0x8FFF1234, L"Unknown error 0x8FFF1234"},
        {0x80040200, L"Unknown error 0x80040200"},
    };
    for (const Case& c : cases) {
        CTErrorString error;
        error.AssignText(L"previous");
        EXPECT_TRUE(error.SetErrorCode(c.code));
        EXPECT_EQ(c.text, Text(error)) << std::hex << c.code;
        EXPECT_EQ(c.code, error.m_code);
    }
}

TEST(CTErrorString, ComTextDropsTheTrailingLineEnd)
{
    CTString text;
    FormatComErrorText(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), text);
    std::wstring plain = Text(text);
    ASSERT_FALSE(plain.empty());
    EXPECT_NE(L'\n', plain.back()) << plain;
    EXPECT_EQ(L"Unknown error 0x8FFF0001", Text(FormatComErrorText(static_cast<HRESULT>(0x8FFF0001), text)));
}

TEST(CTErrorString, WinHttpCodesHaveTextsOfTheirOwn)
{
    // Wine and many Windows locales carry no message text for these codes.
    CTErrorString error(12029);
    EXPECT_EQ(L"A connection with the server could not be established.\r\n", Text(error));
    for (DWORD code : {12002u, 12007u, 12030u, 12152u, 12175u, 12184u}) {
        CTErrorString other(code);
        EXPECT_EQ(std::wstring::npos, Text(other).find(L"Unknown error")) << code;
        EXPECT_GT(Text(other).size(), 10u) << code;
    }
}
