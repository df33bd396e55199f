// Version facts read from this program's own version block, in the user's translation.
// ctest-env: LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
#include <windows.h>
#include <gtest/gtest.h>
#include <vector>
#include <string>
#include "foundation/CFileVersion.h"

namespace {
CTString ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return CTString(path);
}
std::wstring Text(const CTString& s) { return s.IsEmpty() ? std::wstring() : std::wstring(s.GetBuffer()); }
} // namespace

TEST(CFileVersion, ReadsFixedNumbersAndTextsOfTheUsersTranslation)
{
    CTString path = ModulePath();
    CFileVersion version(path.GetBuffer());
    ASSERT_TRUE(version.HasFixedInfo());
    EXPECT_TRUE(version.fileVersion.Equals(FileVersionNumber(4, 1, 51, 3)));
    EXPECT_TRUE(version.productVersion.Equals(FileVersionNumber(4, 1, 0, 7)));
    EXPECT_EQ(Text(path), Text(version.modulePath));

    const LANGID user = GetUserDefaultLangID();
    ASSERT_TRUE(user == 0x0809 || user == 0x0409) << std::hex << user;
    const std::wstring suffix = user == 0x0809 ? L"GB" : L"US";
    EXPECT_EQ(L"QEL Console " + suffix, Text(version.productName));
    EXPECT_EQ(L"4.1 " + suffix, Text(version.productVersionText));
    EXPECT_EQ(L"Version test " + suffix, Text(version.fileDescription));
    // Missing from the British block: found in 040904E4.
    EXPECT_EQ(L"Tavik Test", Text(version.companyName));
    EXPECT_EQ(L"Console", Text(version.componentName));
    EXPECT_EQ(42, version.componentId);
}

TEST(CFileVersion, FileWithoutVersionBlockOrEmptyPathLeavesEverythingEmpty)
{
    wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    ASSERT_NE(0u, GetTempFileNameW(folder, L"ver", 0, file));
    for (const wchar_t* path : { static_cast<const wchar_t*>(file), L"", L"C:\\no\\such\\file.exe" }) {
        CFileVersion version(path);
        EXPECT_FALSE(version.HasFixedInfo()) << path;
        EXPECT_FALSE(version.Read(path)) << path;
        EXPECT_TRUE(version.fileVersion.Equals(FileVersionNumber()));
        EXPECT_TRUE(version.productName.IsEmpty());
        EXPECT_TRUE(version.companyName.IsEmpty());
        EXPECT_EQ(0, version.componentId);
    }
    DeleteFileW(file);
}

TEST(CFileVersion, PicksTheTranslationThatBestFitsTheUser)
{
    struct Case {
        std::vector<WORD> languages;
        LANGID user;
        unsigned expected;
    } cases[] = {
        { { 0x0409, 0x0809 }, 0x0809, 1 },   // exact language
        { { 0x0409 }, 0x0809, 0 },           // same primary language
        { { 0x0407, 0x0C09, 0x0809 }, 0x1009, 1 },
        { { 0x0407, 0x0000 }, 0x040C, 1 },   // neutral
        { { 0x0407, 0x0400 }, 0x040C, 1 },   // neutral primary language
        { { 0x0407, 0x0009 }, 0x040C, 1 },   // English
        { { 0x0407, 0x0409 }, 0x040C, 1 },   // English with a sub-language
        { { 0x0407, 0x0410 }, 0x040C, 0 },   // nothing fits: the first
    };
    for (const Case& c : cases) {
        std::vector<WORD> pairs;
        for (WORD language : c.languages) {
            pairs.push_back(language);
            pairs.push_back(1200);
        }
        EXPECT_EQ(c.expected, CFileVersion::PickTranslation(pairs.data(), static_cast<unsigned>(c.languages.size()), c.user))
            << "user " << std::hex << c.user;
    }
}
