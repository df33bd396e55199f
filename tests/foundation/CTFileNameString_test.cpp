// Path splitting and the file-system operations of file names.
#include "foundation/CTFileNameString.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::wstring S(const CTString& s)
{
    return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : std::wstring();
}

const wchar_t kUntouched[] = L"<untouched>";

// A fresh folder under the temporary folder, removed with everything in it at the end.
struct TempFolder {
    CTFileNameString path;
    TempFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path.AssignText(temp);
        path.TrimRight(L'\\');
        CTString name;
        name.Format(L"\\qel-fn-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        path.Append(name);
        CreateDirectoryW(path.GetBuffer(), nullptr);
    }
    ~TempFolder() { path.DeletePath(true); }
    CTFileNameString Child(const wchar_t* rest) const
    {
        CTFileNameString child(path);
        child.AppendChar(L'\\');
        child.AppendText(rest);
        return child;
    }
};

void WriteFile(const CTFileNameString& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    HANDLE file = CreateFileW(path.GetBuffer(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << S(path);
    DWORD written = 0;
    ::WriteFile(file, "x", 1, &written, nullptr);
    CloseHandle(file);
}

} // namespace

TEST(CTFileNameString, TakesPathsApart)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* directory;   // null: false, out untouched
        const wchar_t* fileName;    // null: false
        const wchar_t* title;       // null: false
        const wchar_t* extension;   // null: false
    };
    const Case cases[] = {
        {L"C:\\a\\b.txt", L"C:\\a", L"b.txt", L"b", L"txt"},
        {L"b.tar.gz", nullptr, nullptr, nullptr, L"gz"},
        {L"C:\\rel.2\\readme", L"C:\\rel.2", L"readme", nullptr, nullptr},
        {L"C:\\a\\.config", L"C:\\a", L".config", nullptr, L"config"},
        {L"C:\\a\\", L"C:\\a", L"", nullptr, nullptr},
        {L"C:/x/y.z", nullptr, nullptr, nullptr, L"z"},   // '/' is an ordinary character
        {L"", nullptr, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CTFileNameString path(c.path);
        CTString out(kUntouched);
        EXPECT_EQ(c.directory != nullptr, path.GetDirectory(out)) << c.path;
        EXPECT_EQ(c.directory ? c.directory : kUntouched, S(out)) << c.path;

        out.AssignText(kUntouched);
        EXPECT_EQ(c.fileName != nullptr, path.GetFileName(out)) << c.path;
        EXPECT_EQ(c.fileName ? c.fileName : kUntouched, S(out)) << c.path;
        EXPECT_EQ(c.fileName ? c.fileName : L"", S(path.GetFileName())) << c.path;

        out.AssignText(kUntouched);
        EXPECT_EQ(c.title != nullptr, path.GetTitle(out)) << c.path;
        if (c.title) {
            EXPECT_EQ(c.title, S(out)) << c.path;
        }

        out.AssignText(kUntouched);
        EXPECT_EQ(c.extension != nullptr, path.GetExtension(out)) << c.path;
        if (c.extension) {
            EXPECT_EQ(c.extension, S(out)) << c.path;
        }

        EXPECT_EQ(c.path, S(path)) << "the path itself is not changed";
    }

    CTFileNameString parent(L"kept");
    CTFileNameString(L"C:\\a\\b\\c").GetParent(parent);
    EXPECT_EQ(L"C:\\a\\b", S(parent));
    CTFileNameString(L"bare").GetParent(parent);
    EXPECT_TRUE(parent.IsEmpty());
}

TEST(CTFileNameString, ModuleAndWellKnownFolders)
{
    CTFileNameString self;
    ASSERT_TRUE(self.SetModuleFileName(nullptr));
    CTString extension;
    ASSERT_TRUE(self.GetExtension(extension));
    EXPECT_EQ(0, extension.CompareNoCase(L"exe"));
    EXPECT_TRUE(self.Exists());
    EXPECT_FALSE(self.IsDirectory());

    CTFileNameString documents;
    ASSERT_TRUE(documents.SetDocumentsFolder());
    EXPECT_FALSE(documents.IsEmpty());

    CTFileNameString local;
    ASSERT_TRUE(local.SetKnownFolder(&FOLDERID_LocalAppData));
    EXPECT_TRUE(local.IsDirectory()) << S(local);

    EXPECT_NE(nullptr, LoadSHGetKnownFolderPath());
    EXPECT_EQ(LoadSHGetKnownFolderPath(), LoadSHGetKnownFolderPath());
}

TEST(CTFileNameString, TempFileIsCreatedInTheTempFolderOrAGivenOneMadeOnDemand)
{
    CTFileNameString temp;
    ASSERT_TRUE(temp.CreateTempFileName(CTString()));
    EXPECT_TRUE(temp.Exists());
    CTString title;
    ASSERT_TRUE(temp.GetFileName(title));
    EXPECT_EQ(0, wcsncmp(title.GetBuffer(), L"TMP", 3)) << S(temp);
    wchar_t tempPath[MAX_PATH] = {}, longForm[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempPath);
    GetLongPathNameW(tempPath, longForm, MAX_PATH);
    EXPECT_EQ(0, _wcsnicmp(temp.GetBuffer(), longForm, wcslen(longForm) - 1)) << S(temp);
    EXPECT_TRUE(temp.DeletePath(false));

    TempFolder root;
    CTFileNameString inside;
    ASSERT_TRUE(inside.CreateTempFileName(root.Child(L"made\\here\\\\")));
    CTString folder;
    inside.GetDirectory(folder);
    EXPECT_EQ(S(root.Child(L"made\\here")), S(folder));
    EXPECT_TRUE(inside.Exists());
}

TEST(CTFileNameString, CreatesMissingFoldersLevelByLevel)
{
    TempFolder root;
    CTFileNameString deep = root.Child(L"one\\two\\three");
    EXPECT_TRUE(deep.CreateFolderPath());
    EXPECT_TRUE(deep.IsDirectory());
    EXPECT_TRUE(deep.CreateFolderPath()) << "an existing path is fine";

    // CreateFolders fails on an existing folder with its error code.
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, CTFileNameString::CreateFolders(root.path.GetBuffer(), L"one"));
    EXPECT_EQ(0u, CTFileNameString::CreateFolders(root.path.GetBuffer(), L""));
    EXPECT_EQ(0u, CTFileNameString::CreateFolders(root.path.GetBuffer(), L"x\\y\\"));
    EXPECT_TRUE(root.Child(L"x\\y").IsDirectory());

    EXPECT_FALSE(CTFileNameString(L"no-separator-here").CreateFolderPath());
}

TEST(CTFileNameString, DeletesTreesWithReadOnlyEntriesButKeepsDotFolders)
{
    TempFolder root;
    CTFileNameString tree = root.Child(L"tree");
    ASSERT_TRUE(root.Child(L"tree\\sub\\deeper").CreateFolderPath());
    WriteFile(root.Child(L"tree\\a.txt"), FILE_ATTRIBUTE_READONLY);
    WriteFile(root.Child(L"tree\\sub\\b.txt"));
    WriteFile(root.Child(L"tree\\sub\\deeper\\c.txt"), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(root.Child(L"tree\\sub").GetBuffer(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);

    EXPECT_TRUE(tree.DeletePath(false));
    EXPECT_FALSE(tree.Exists());
    EXPECT_TRUE(tree.DeletePath(false)) << "nothing at the path";

    // A folder whose name begins with '.' is skipped, so its parent stays.
    ASSERT_TRUE(root.Child(L"kept\\.git").CreateFolderPath());
    WriteFile(root.Child(L"kept\\file.txt"));
    EXPECT_FALSE(CTFileNameString::DeleteFolderContents(root.Child(L"kept")));
    EXPECT_FALSE(root.Child(L"kept\\file.txt").Exists());
    EXPECT_TRUE(root.Child(L"kept\\.git").IsDirectory());
    EXPECT_FALSE(root.Child(L"kept").DeletePath(false));

    // A read-only file is deleted only when asked to clear the attribute.
    CTFileNameString locked = root.Child(L"locked.txt");
    WriteFile(locked, FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(locked.DeletePath(false));
    EXPECT_TRUE(locked.Exists());
    EXPECT_TRUE(locked.DeletePath(true));
    EXPECT_FALSE(locked.Exists());
}

TEST(CTFileNameString, Utf8FileHasBomIsHiddenReadOnlyAndCannotBeOverwritten)
{
    TempFolder root;
    CTFileNameString page = root.Child(L"page.html");
    EXPECT_EQ(0u, page.WriteUtf8File(CTString(L"<p>Gr\x00FC\x00DF \x20AC</p>")));

    HANDLE file = CreateFileW(page.GetBuffer(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char buffer[64] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string("\xEF\xBB\xBF<p>Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC</p>"), std::string(buffer, read));

    DWORD attributes = page.GetAttributes();
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);

    // Creation failures come back as the system's code: a folder in the way is access denied.
    // (Rewriting the read-only file is denied on Windows; Wine running as root lets it through.)
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, root.path.WriteUtf8File(CTString(L"x")));

    CTFileNameString empty = root.Child(L"empty.html");
    EXPECT_EQ(0u, empty.WriteUtf8File(CTString()));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(empty.GetBuffer(), GetFileExInfoStandard, &data));
    EXPECT_EQ(3u, data.nFileSizeLow) << "only the byte-order mark";

    EXPECT_TRUE(page.SetAttributes(FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(page.GetAttributes() & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, root.Child(L"missing\\x.html").WriteUtf8File(CTString(L"x")));
}
