#include "foundation/CTFileNameString.h"

namespace {

const wchar_t* Text(const CTString& s)
{
    return s.GetBuffer() ? s.GetBuffer() : L"";
}

FARPROC BindOnce(HMODULE& module, const wchar_t* dll, const char* name)
{
    if (!module)
        module = LoadLibraryW(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

} // namespace

SHGetKnownFolderPathProc LoadSHGetKnownFolderPath()
{
    static HMODULE module;
    static FARPROC proc = BindOnce(module, L"Shell32.dll", "SHGetKnownFolderPath");
    return reinterpret_cast<SHGetKnownFolderPathProc>(proc);
}

SHGetFolderPathWProc LoadSHGetFolderPathW()
{
    static HMODULE module;
    static FARPROC proc = BindOnce(module, L"SHFolder.dll", "SHGetFolderPathW");
    return reinterpret_cast<SHGetFolderPathWProc>(proc);
}

// ---------------------------------------------------------------------------------------------
// Taking the path apart

bool CTFileNameString::GetDirectory(CTString& out) const
{
    if (IsEmpty())
        return false;
    int slash = ReverseFindChar(L'\\');
    if (slash < 0)
        return false;
    Left(out, static_cast<unsigned>(slash));
    return true;
}

CTFileNameString& CTFileNameString::GetParent(CTFileNameString& out) const
{
    out.Empty();
    GetDirectory(out);
    return out;
}

CTString CTFileNameString::GetFileName() const
{
    CTString name;
    GetFileName(name);
    return name;
}

bool CTFileNameString::GetFileName(CTString& out) const
{
    if (IsEmpty())
        return false;
    int slash = ReverseFindChar(L'\\');
    if (slash < 0)
        return false;
    MidToEnd(out, slash + 1);
    return true;
}

bool CTFileNameString::GetTitle(CTString& out) const
{
    CTString name;
    if (!GetFileName(name))
        return false;
    int dot = name.ReverseFindChar(L'.');
    if (dot <= 0)
        return false;
    name.Left(out, static_cast<unsigned>(dot));
    return true;
}

bool CTFileNameString::GetExtension(CTString& out) const
{
    if (IsEmpty())
        return false;
    CTString name;
    if (!GetFileName(name))
        name.Assign(*this);
    int dot = name.ReverseFindChar(L'.');
    if (dot < 0)
        return false;
    name.MidToEnd(out, dot + 1);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Queries

bool CTFileNameString::Exists() const
{
    return GetFileAttributesW(Text(*this)) != INVALID_FILE_ATTRIBUTES;
}

bool CTFileNameString::IsDirectory() const
{
    DWORD attributes = GetFileAttributesW(Text(*this));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD CTFileNameString::GetAttributes() const
{
    return GetFileAttributesW(Text(*this));
}

bool CTFileNameString::SetAttributes(DWORD attributes) const
{
    return SetFileAttributesW(Text(*this), attributes) != FALSE;
}

// ---------------------------------------------------------------------------------------------
// Well-known paths

bool CTFileNameString::SetModuleFileName(HMODULE module)
{
    DWORD size = 64;
    DWORD count = 0;
    CTString path;
    for (;;) {
        wchar_t* buffer = path.Reserve(size);
        count = GetModuleFileNameW(module, buffer, size);
        if (count != size)
            break;
        size *= 2;
    }
    if (count == 0)
        return false;
    path.SetLength(count);

    DWORD longSize = GetLongPathNameW(path.GetBuffer(), nullptr, 0);
    if (longSize > count) {
        CTString longPath;
        DWORD got = GetLongPathNameW(path.GetBuffer(), longPath.Reserve(longSize), longSize);
        if (got > 0 && got < longSize) {
            longPath.SetLength(got);
            Assign(longPath);
            return true;
        }
    }
    Assign(path);
    return true;
}

bool CTFileNameString::SetKnownFolder(const KNOWNFOLDERID* id)
{
    SHGetKnownFolderPathProc getPath = LoadSHGetKnownFolderPath();
    PWSTR found = nullptr;
    if (getPath && id && SUCCEEDED(getPath(*id, 0, nullptr, &found)) && found) {
        AssignText(found);
        CoTaskMemFree(found);
        return true;
    }
    if (found)
        CoTaskMemFree(found);
    return SetDocumentsFolder();
}

bool CTFileNameString::SetDocumentsFolder()
{
    if (SHGetFolderPathWProc getPath = LoadSHGetFolderPathW()) {
        wchar_t path[261] = {};
        if (SUCCEEDED(getPath(nullptr, CSIDL_PERSONAL, nullptr, 0x8000, path))) {
            AssignText(path);
            return true;
        }
    }

    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return false;
    bool ok = false;
    wchar_t* block = static_cast<wchar_t*>(allocator->Alloc(520));
    LPITEMIDLIST items = nullptr;
    if (block && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &items)) && items) {
        block[0] = 0;
        if (SHGetPathFromIDListW(items, block)) {
            AssignText(block);
            ok = true;
        }
    }
    if (items)
        allocator->Free(items);
    if (block)
        allocator->Free(block);
    allocator->Release();
    return ok;
}

bool CTFileNameString::CreateTempFileName(const CTString& folder)
{
    Empty();

    CTFileNameString base;
    if (!folder.IsEmpty()) {
        base.Assign(folder);
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        if (n == 0 || n > MAX_PATH)
            return false;
        wchar_t longForm[MAX_PATH + 1] = {};
        DWORD m = GetLongPathNameW(temp, longForm, MAX_PATH + 1);
        base.AssignText(m > 0 && m <= MAX_PATH ? longForm : temp);
    }
    base.TrimRight(L'\\');
    if (!base.Exists())
        base.CreateFolderPath();
    base.AppendChar(L'\\');

    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(Text(base), L"TMP", 0, name))
        return false;
    AssignText(name);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Creating and deleting

bool CTFileNameString::CreateFolderPath() const
{
    if (Exists())
        return true;
    CTFileNameString existing(*this);
    for (;;) {
        CTString up;
        if (!existing.GetDirectory(up))
            return false;
        existing.Assign(up);
        if (existing.Exists())
            break;
    }
    CTString rest;
    MidToEnd(rest, static_cast<int>(existing.GetLength()) + 1);
    return CreateFolders(Text(existing), Text(rest)) == 0;
}

DWORD CTFileNameString::CreateFolders(const wchar_t* base, const wchar_t* rest)
{
    if (!rest || !*rest)
        return 0;
    const wchar_t* slash = wcschr(rest, L'\\');
    size_t partLength = slash ? size_t(slash - rest) : wcslen(rest);

    CTString folder(base ? base : L"");
    folder.AppendChar(L'\\');
    CTString part;
    CTString(rest).Left(part, static_cast<unsigned>(partLength));
    folder.Append(part);
    if (!CreateDirectoryW(Text(folder), nullptr))
        return GetLastError();
    if (slash && slash[1])
        return CreateFolders(Text(folder), slash + 1);
    return 0;
}

bool CTFileNameString::DeletePath(bool clearReadOnly) const
{
    DWORD attributes = GetAttributes();
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolderContents(*this);
        return RemoveDirectoryW(Text(*this)) != FALSE;
    }
    if (clearReadOnly && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(Text(*this), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(Text(*this)) != FALSE;
}

bool CTFileNameString::DeleteFolderContents(const CTString& folder)
{
    CTString pattern(folder);
    pattern.AppendText(L"\\*.*");

    // Sub-folders first (names beginning with '.' are left alone), then the files.
    for (int pass = 0; pass < 2; pass++) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(Text(pattern), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            CTString path(folder);
            path.AppendChar(L'\\');
            path.AppendText(found.cFileName);
            if (pass == 0 && isFolder && found.cFileName[0] != L'.') {
                DeleteFolderContents(path);
                if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                    SetFileAttributesW(Text(path), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
                RemoveDirectoryW(Text(path));
            } else if (pass == 1 && !isFolder) {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                    SetFileAttributesW(Text(path), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
                DeleteFileW(Text(path));
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return false;
}

DWORD CTFileNameString::WriteUtf8File(const CTString& text) const
{
    HANDLE file = CreateFileW(Text(*this), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();

    static const BYTE bom[3] = {0xEF, 0xBB, 0xBF};
    DWORD written = 0;
    WriteFile(file, bom, sizeof(bom), &written, nullptr);

    int length = static_cast<int>(text.GetLength());
    if (length > 0) {
        int needed = WideCharToMultiByte(CP_UTF8, 0, text.GetBuffer(), length, nullptr, 0, nullptr, nullptr);
        if (needed > 0) {
            char* utf8 = new char[needed + 1];
            int converted = WideCharToMultiByte(CP_UTF8, 0, text.GetBuffer(), length, utf8, needed, nullptr, nullptr);
            if (converted > 0)
                WriteFile(file, utf8, static_cast<DWORD>(converted), &written, nullptr);
            delete[] utf8;
        }
    }
    CloseHandle(file);
    return 0;
}
