// The test environment every program relies on: Windows 10 facts from the manifest and the pinned locale.
#include <windows.h>
#include <gtest/gtest.h>

TEST(TestEnvironment, ReportsWindows10AndPinnedSettings)
{
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)));
    EXPECT_EQ(10u, version.dwMajorVersion);

    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    EXPECT_STREQ(L"en-GB", name);
}
