#include <gtest/gtest.h>
#include <string>
#include "framework/CTRegKey.h"

namespace {
const wchar_t* kBase = L"Software\\TAVIK\\QEL\\";

// A sub-path of its own under the settings root, deleted with everything below it afterwards.
class CTRegKeyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t name[64];
        _snwprintf(name, 64, L"RegKeyTest-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        name[63] = 0;
        sub = name;
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kBase) + sub).c_str()); }

    std::wstring Path(const wchar_t* below = nullptr) const
    {
        std::wstring path = std::wstring(kBase) + sub;
        if (below) path += std::wstring(L"\\") + below;
        return path;
    }
    std::wstring Sub(const wchar_t* below) const { return sub + L"\\" + below; }

    bool KeyExists(const std::wstring& path) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyW(HKEY_CURRENT_USER, Path().c_str(), &key));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    DWORD RawType(const wchar_t* name, DWORD* size) const
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Path().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return REG_NONE;
        DWORD type = REG_NONE;
        *size = 0;
        if (RegQueryValueExW(key, name, nullptr, &type, nullptr, size) != ERROR_SUCCESS) type = REG_NONE;
        RegCloseKey(key);
        return type;
    }

    std::wstring sub;
};

std::wstring Text(const CTString& s) { return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : L""; }
} // namespace

TEST_F(CTRegKeyTest, PathFromTheStringResourceAndIndex)
{
    CTRegKey plain(104, nullptr, sub.c_str());
    EXPECT_EQ(HKEY_CURRENT_USER, plain.m_root);
    EXPECT_EQ(Path(), Text(plain.m_path));
    CTRegKey fromModule(104, GetModuleHandleW(nullptr), sub.c_str());
    EXPECT_EQ(Path(), Text(fromModule.m_path));

    // Index 7 under "Settings" names the sub-key "Settings\0007".
    CTRegKey indexed(104, nullptr, Sub(L"Settings").c_str(), 7);
    EXPECT_EQ(Path(L"Settings\\0007"), Text(indexed.m_path));
    ASSERT_TRUE(indexed.WriteDword(L"x", 1));
    EXPECT_TRUE(KeyExists(Path(L"Settings\\0007")));

    // The root word is matched without regard to case; the full root name is not a root word.
    CTRegKey lower(105, nullptr, sub.c_str());
    EXPECT_EQ(HKEY_CURRENT_USER, lower.m_root);
    CTRegKey fullName(106, nullptr, sub.c_str());
    EXPECT_EQ(nullptr, fullName.m_root);
}

TEST_F(CTRegKeyTest, ParsePathTable)
{
    struct Case {
        const wchar_t* path;
        HKEY root;
        const wchar_t* rest;
    } cases[] = {
        {L"HKLM\\A\\B", HKEY_LOCAL_MACHINE, L"A\\B"},
        {L"hkcu\\A", HKEY_CURRENT_USER, L"A"},
        {L"HKU\\S-1", HKEY_USERS, L"S-1"},
        {L"HkCr\\.txt", HKEY_CLASSES_ROOT, L".txt"},
        {L"HKEY_CURRENT_USER\\A", nullptr, nullptr},
        {L"HKCUX\\A", nullptr, nullptr},
        {L"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CTRegKey key;
        key.m_param = 5;
        bool ok = key.ParsePath(c.path);
        EXPECT_EQ(c.root != nullptr, ok) << std::string(c.path, c.path + wcslen(c.path));
        EXPECT_EQ(c.root, key.m_root);
        if (c.root) {
            EXPECT_EQ(c.rest, Text(key.m_path));
            EXPECT_EQ(0u, key.m_param);
        } else {
            EXPECT_EQ(5u, key.m_param);
        }
    }

    // An unknown root keeps the root of an earlier parse and takes the new path.
    CTRegKey key;
    ASSERT_TRUE(key.ParsePath(L"HKLM\\First"));
    key.m_param = 3;
    EXPECT_TRUE(key.ParsePath(L"Other\\Second"));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, key.m_root);
    EXPECT_EQ(L"Second", Text(key.m_path));
    EXPECT_EQ(0u, key.m_param);
}

TEST_F(CTRegKeyTest, NamedValuesRoundTrip)
{
    CTRegKey key(104, nullptr, sub.c_str());
    EXPECT_TRUE(key.WriteDword(L"Dword", 0xDEADBEEF));
    EXPECT_TRUE(key.WriteInt(L"Int", -42));
    EXPECT_TRUE(key.WriteBool(L"Bool", true));
    EXPECT_TRUE(key.WriteQword(L"Qword", 0x123456789ABCDEF0ull));
    EXPECT_TRUE(key.WriteString(L"Text", L"Gr\x00fc\x00df" L"e"));

    CTRegKey reader(104, nullptr, sub.c_str());
    EXPECT_EQ(0xDEADBEEFu, reader.ReadDword(L"Dword", 0));
    EXPECT_EQ(-42, reader.ReadInt(L"Int", 0));
    EXPECT_TRUE(reader.ReadBool(L"Bool", false));
    EXPECT_EQ(0x123456789ABCDEF0ull, reader.ReadQword(L"Qword", 0));
    CTString text;
    EXPECT_EQ(L"Gr\x00fc\x00df" L"e", Text(reader.ReadString(text, L"Text", L"default")));

    DWORD size = 0;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), RawType(L"Bool", &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_QWORD), RawType(L"Qword", &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), RawType(L"Text", &size));
    EXPECT_EQ(12u, size); // five characters and the NUL

    // Missing values give the defaults.
    EXPECT_EQ(7u, reader.ReadDword(L"Missing", 7));
    EXPECT_TRUE(reader.ReadBool(L"Missing", true));
    EXPECT_EQ(9ull, reader.ReadQword(L"Missing", 9));

    // A null text writes a value of zero bytes, which reads as the default.
    EXPECT_TRUE(key.WriteString(L"Null", nullptr));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), RawType(L"Null", &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(L"dflt", Text(reader.ReadString(text, L"Null", L"dflt")));
}

TEST_F(CTRegKeyTest, ReadStringOnMissingKeyValueAndEmptyText)
{
    CTString text(L"old");
    CTRegKey key(104, nullptr, sub.c_str());
    // No key yet: an empty text, not the default.
    EXPECT_EQ(L"", Text(key.ReadString(text, L"Name", L"default")));
    EXPECT_FALSE(KeyExists(Path())); // reading creates nothing
    // Key present, value missing: the default.
    ASSERT_TRUE(key.WriteDword(L"Other", 1));
    EXPECT_EQ(L"default", Text(key.ReadString(text, L"Name", L"default")));
    // An empty stored text (its NUL only, 2 bytes) is an empty text.
    ASSERT_TRUE(key.WriteString(L"Name", L""));
    text = L"x";
    EXPECT_EQ(L"", Text(key.ReadString(text, L"Name", L"default")));
}

TEST_F(CTRegKeyTest, ValuesOfTheWrongTypeOrSizeReadAsNotSet)
{
    const char narrow[] = "abcdefgh";
    const wchar_t shortText[] = L"a"; // 4 bytes as REG_SZ
    DWORD dword = 5;
    ULONGLONG qword = 6;
    SetRaw(L"TextOf4", REG_SZ, shortText, sizeof(shortText));
    SetRaw(L"Long", REG_BINARY, narrow, 8);
    SetRaw(L"Short", REG_BINARY, narrow, 2);
    SetRaw(L"DwordAsQ", REG_DWORD, &dword, 4);
    SetRaw(L"QwordAsText", REG_QWORD, &qword, 8);
    SetRaw(L"Unterminated", REG_SZ, L"xyz", 6);

    CTRegKey key(104, nullptr, sub.c_str());
    EXPECT_EQ(99u, key.ReadDword(L"TextOf4", 99));
    EXPECT_EQ(99u, key.ReadDword(L"Long", 99));
    EXPECT_EQ(99u, key.ReadDword(L"Short", 99));
    EXPECT_EQ(99ull, key.ReadQword(L"DwordAsQ", 99));
    CTString text;
    EXPECT_EQ(L"d", Text(key.ReadString(text, L"QwordAsText", L"d")));
    // Text stored without its NUL keeps all its characters.
    EXPECT_EQ(L"xyz", Text(key.ReadString(text, L"Unterminated", L"d")));

    int number = 11;
    CTRegKey seq(104, nullptr, sub.c_str());
    SetRaw(L"Param_0", REG_SZ, shortText, sizeof(shortText));
    seq.ReadNextParam(number);
    EXPECT_EQ(11, number);
    EXPECT_EQ(1u, seq.m_param);
}

TEST_F(CTRegKeyTest, SequencesRoundTripInFieldOrder)
{
    {
        CTRegKey writer(104, nullptr, sub.c_str());
        CTString text(L"fourth");
        writer.WriteNextInt(-1).WriteNextParam(200).WriteNextBool(true).WriteNextString(text);
        EXPECT_EQ(4u, writer.m_param);
    }
    DWORD size = 0;
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), RawType(L"Param_0", &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), RawType(L"Param_2", &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), RawType(L"Param_3", &size));
    EXPECT_EQ(14u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), RawType(L"Param_4", &size));

    CTRegKey reader(104, nullptr, sub.c_str());
    int a = 0, b = 0, fifth = 1234;
    bool c = false;
    CTString d;
    reader.ReadNextInt(a).ReadNextParam(b).ReadNextBool(c).ReadNextString(d).ReadNextInt(fifth);
    EXPECT_EQ(-1, a);
    EXPECT_EQ(200, b);
    EXPECT_TRUE(c);
    EXPECT_EQ(L"fourth", Text(d));
    EXPECT_EQ(1234, fifth); // never stored: keeps its value
    EXPECT_EQ(5u, reader.m_param);

    // On an open key a missing text empties the variable; the number keeps its value.
    CTString sixth(L"keep?");
    reader.ReadNextString(sixth);
    EXPECT_EQ(L"", Text(sixth));
}

TEST_F(CTRegKeyTest, SequencesOnAMissingOrUnusableKeyConsumeNothing)
{
    CTRegKey missing(104, nullptr, Sub(L"Nowhere").c_str());
    int number = 3;
    bool flag = true;
    CTString text(L"kept");
    missing.ReadNextParam(number).ReadNextBool(flag).ReadNextString(text);
    EXPECT_EQ(3, number);
    EXPECT_TRUE(flag);
    EXPECT_EQ(L"kept", Text(text));
    EXPECT_EQ(0u, missing.m_param);
    EXPECT_FALSE(KeyExists(Path(L"Nowhere")));

    // No such string resource: nothing parses, reads give defaults, writes fail, nothing advances.
    CTRegKey unusable(9999, nullptr, sub.c_str());
    EXPECT_EQ(nullptr, unusable.m_root);
    EXPECT_FALSE(unusable.WriteDword(L"a", 1));
    EXPECT_FALSE(unusable.WriteString(L"a", L"x"));
    EXPECT_EQ(8u, unusable.ReadDword(L"a", 8));
    CTString out(L"old");
    EXPECT_EQ(L"", Text(unusable.ReadString(out, L"a", L"dflt")));
    unusable.WriteNextParam(1).WriteNextString(text);
    EXPECT_EQ(0u, unusable.m_param);
}

TEST_F(CTRegKeyTest, SetPathKeepsTheIndexAndRestartsTheSequence)
{
    CTRegKey key(104, nullptr, sub.c_str(), 12);
    key.WriteNextParam(1).WriteNextParam(2);
    ASSERT_EQ(2u, key.m_param);
    EXPECT_TRUE(key.SetPath(104, nullptr, Sub(L"Next").c_str()));
    EXPECT_EQ(Path(L"Next\\0012"), Text(key.m_path));
    EXPECT_EQ(0u, key.m_param);
}
