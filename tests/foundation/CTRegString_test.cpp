// Registry value paths split into root, sub-key and value name.
#include "foundation/CTRegString.h"
#include <gtest/gtest.h>

namespace {
const wchar_t* Text(const CTString& s)
{
    return s.GetBuffer() ? s.GetBuffer() : L"";
}
} // namespace

TEST(CTRegString, ParseSplitsRootSubKeyAndValueName)
{
    struct Case {
        const wchar_t* path;
        bool result;
        HKEY root;
        bool parsed;
        const wchar_t* subKey;
        const wchar_t* valueName;
    } cases[] = {
        {L"HKCU\\SOFTWARE\\Tavik\\Console\\", true, HKEY_CURRENT_USER, true, L"SOFTWARE\\Tavik\\Console", L""},
        {L"hklm\\Software\\Key\\Value", true, HKEY_LOCAL_MACHINE, true, L"Software\\Key", L"Value"},
        {L"HKU\\.DEFAULT", true, HKEY_USERS, true, L".DEFAULT", L""},
        {L"HKCR\\", true, HKEY_CLASSES_ROOT, false, L"", L""},
        {L"HKXX\\Software\\Key\\Value", false, nullptr, false, L"Software\\Key", L"Value"},
        {L"HKCU", true, HKEY_CURRENT_USER, true, L"HKCU", L""},
    };
    for (const Case& c : cases) {
        CTRegString path(c.path);
        EXPECT_EQ(c.result, path.Parse()) << c.path;
        EXPECT_EQ(c.root, path.m_root) << c.path;
        EXPECT_EQ(c.parsed, path.m_parsed) << c.path;
        EXPECT_STREQ(c.subKey, Text(path.m_subKey)) << c.path;
        EXPECT_STREQ(c.valueName, Text(path.m_valueName)) << c.path;
    }
}

TEST(CTRegString, ValueNameSurvivesAPathWithoutOne)
{
    CTRegString path(L"HKCU\\Software\\Key\\Name");
    path.Parse();
    path.AssignText(L"HKCU\\Other");
    EXPECT_TRUE(path.Parse());
    EXPECT_STREQ(L"Other", Text(path.m_subKey));
    EXPECT_STREQ(L"Name", Text(path.m_valueName));

    path.Reset();
    EXPECT_FALSE(path.m_parsed);
    EXPECT_EQ(nullptr, path.m_root);
    EXPECT_STREQ(L"Other", Text(path.m_subKey));
}

TEST(CTRegString, NativeProcessNeedsNoExtraAccess)
{
    // The test program is 64-bit, so it never runs under WOW64.
    EXPECT_FALSE(IsRunningUnderWow64());
    EXPECT_EQ(0u, CTRegString().m_extraAccess);
}
