// Dotted-quad text to a 32-bit address.
#include <gtest/gtest.h>
#include "foundation/IPv4Address.h"

TEST(IPv4Address, AcceptsDottedQuadsOfDecimalParts)
{
    const std::pair<const wchar_t*, unsigned> cases[] = {
        { L"10.0.0.1", 0x0A000001 },
        { L"192.168.1.255", 0xC0A801FF },
        { L"0.0.0.0", 0 },
        { L"255.255.255.255", 0xFFFFFFFF },
        { L"010.1.1.1", 0x0A010101 },
        { L"001.002.003.004", 0x01020304 },
    };
    for (const auto& c : cases) {
        unsigned address = 0x12345678;
        EXPECT_TRUE(ParseIPv4Address(CTString(c.first), &address)) << c.first;
        EXPECT_EQ(c.second, address) << c.first;
    }
}

TEST(IPv4Address, RefusesEverythingElseAndLeavesTheOutputAlone)
{
    const wchar_t* cases[] = {
        L"", L"1234", L"256.1.1.1", L"1.2.3.256", L"1.2.3", L"1.2.3.4.5", L"1..2.3", L"01234.1.1.1",
        L"1.2.3.4 ", L" 1.2.3.4", L"1.2 .3.4", L"1.2.3.", L".1.2.3", L"a.b.c.d", L"1.2.3.-4", L"1.2.3.4.",
        L"1,2,3,4", L"\x0661.2.3.4",
    };
    for (const wchar_t* text : cases) {
        unsigned address = 0x12345678;
        EXPECT_FALSE(ParseIPv4Address(CTString(text), &address)) << text;
        EXPECT_EQ(0x12345678u, address) << text;
    }
    unsigned address = 7;
    EXPECT_FALSE(ParseIPv4Address(CTString(), &address));
    EXPECT_EQ(7u, address);
}
