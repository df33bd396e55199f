// The Windows version code: the table of flags and the code of the running system.
#include <windows.h>
#include <gtest/gtest.h>
#include "foundation/WindowsVersion.h"

TEST(WindowsVersion, FlagTableForTheNtFamily)
{
    struct Case {
        DWORD major, minor, build;
        BYTE productType;
        unsigned flag;
    } cases[] = {
        { 2, 0, 0, 1, 0 },
        { 3, 51, 0, 1, 0x10 },
        { 4, 0, 1381, 1, 0x20 },
        { 5, 0, 2195, 1, 0x40 },
        { 5, 1, 2600, 1, 0x80 },
        { 5, 2, 3790, 3, 0x100 },
        { 5, 3, 0, 1, 0x80000000 },
        { 6, 0, 6002, 1, 0x400 },
        { 6, 0, 6002, 3, 0x800 },
        { 6, 1, 7601, 3, 0x1000 },
        { 6, 1, 7601, 1, 0x2000 },
        { 6, 2, 9200, 1, 0x4000 },
        { 6, 2, 9200, 2, 0x8000 },
        { 6, 3, 9600, 1, 0x10000 },
        { 6, 3, 9600, 3, 0x20000 },
        { 6, 4, 0, 1, 0x80000000 },
        { 10, 0, 19045, 1, 0x40000 },
        { 10, 0, 21999, 1, 0x40000 },
        { 10, 0, 22000, 1, 0x200000 },
        { 10, 0, 29999, 1, 0x200000 },
        { 10, 0, 30000, 1, 0x80000000 },
        { 10, 0, 14393, 3, 0x80000 },
        { 10, 0, 14393, 2, 0x80000 },
        { 10, 0, 14394, 3, 0x100000 },
        { 10, 0, 20000, 3, 0x100000 },
        { 10, 0, 20001, 3, 0x400000 },
        { 10, 0, 30000, 2, 0x400000 },
        { 10, 0, 30001, 3, 0x80000000 },
        { 10, 1, 19045, 1, 0x80000000 },
        { 11, 0, 30000, 1, 0x80000000 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.flag, WindowsVersionFlag(c.major, c.minor, c.build, c.productType))
            << c.major << "." << c.minor << "." << c.build << " type " << int(c.productType);
}

TEST(WindowsVersion, ServicePackIsTheCsdVersionRoundedUpToWholeHundreds)
{
    const std::pair<DWORD, unsigned> cases[] = {
        { 0, 0 }, { 1, 1 }, { 256, 1 }, { 257, 2 }, { 512, 2 }, { 0x300, 3 },
        { 1793, 8 }, { 2048, 8 }, { 2049, 0 }, { 0xFFFF, 0 }, { 0x10100, 1 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, ServicePackFromCSDVersion(c.first)) << c.first;
}

TEST(WindowsVersion, CodeUnderTheManifestIsWindows10OnX64)
{
    unsigned code = 0xDEADBEEF;
    ASSERT_TRUE(GetWindowsVersionCode(&code));
    // Platform NT (3), architecture x64 (9), Windows 10 (flag 0x40000, index 19), no service pack.
    EXPECT_EQ(0x00030913u, code) << std::hex << code;
}
