#include "foundation/CFileVersion.h"
#include <stdlib.h>
#include <initializer_list>

CFileVersion::CFileVersion(const wchar_t* path)
{
    Read(path);
}

unsigned CFileVersion::PickTranslation(const WORD* pairs, unsigned count, LANGID user)
{
    // Each rule in turn over all pairs; pairs[2 * i] is the language, pairs[2 * i + 1] the code page.
    auto language = [&](unsigned i) { return pairs[2 * i]; };
    const auto rules = {
        +[](WORD lang, LANGID u) { return lang == u; },
        +[](WORD lang, LANGID u) { return (lang & 0xFF) == (u & 0xFF); },
        +[](WORD lang, LANGID) { return lang == 0; },
        +[](WORD lang, LANGID) { return (lang & 0xFF) == 0; },
        +[](WORD lang, LANGID) { return lang == 9; },
        +[](WORD lang, LANGID) { return (lang & 0xFF) == 9; },
    };
    for (auto rule : rules) {
        for (unsigned i = 0; i < count; ++i) {
            if (rule(language(i), user))
                return i;
        }
    }
    return 0;
}

bool CFileVersion::QueryText(const void* block, const wchar_t* prefix, const wchar_t* name, CTString& out)
{
    CTString query;
    query.Format(L"%s%s", prefix, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block, query.GetBuffer(), &value, &length) || !value) {
        query.Format(L"\\StringFileInfo\\040904E4\\%s", name);
        if (!VerQueryValueW(block, query.GetBuffer(), &value, &length))
            value = nullptr;
    }
    if (value)
        out.AssignText(static_cast<const wchar_t*>(value));
    return !out.IsEmpty();
}

bool CFileVersion::Read(const wchar_t* path)
{
    modulePath.AssignText(path);
    if (!path || !*path)
        return false;

    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return false;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return false;
    void* block = GlobalLock(memory);
    if (!block || !GetFileVersionInfoW(path, 0, size, block)) {
        if (block)
            GlobalUnlock(memory);
        GlobalFree(memory);
        return false;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block, L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed && length >= sizeof(*fixed)) {
        fileVersion = FileVersionNumber(HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                        HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        productVersion = FileVersionNumber(HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                                           HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
        m_hasFixedInfo = true;
    }

    WORD language = 0, codePage = 0;
    WORD* pairs = nullptr;
    length = 0;
    if (VerQueryValueW(block, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs), &length) && pairs) {
        unsigned count = length / (2 * sizeof(WORD));
        if (count > 0) {
            unsigned chosen = PickTranslation(pairs, count, GetUserDefaultLangID());
            language = pairs[2 * chosen];
            codePage = pairs[2 * chosen + 1];
        }
    }

    CTString prefix;
    prefix.Format(L"\\StringFileInfo\\%04X%04X\\", language, codePage);
    QueryText(block, prefix.GetBuffer(), L"ProductName", productName);
    QueryText(block, prefix.GetBuffer(), L"ProductVersion", productVersionText);
    QueryText(block, prefix.GetBuffer(), L"CompanyName", companyName);
    QueryText(block, prefix.GetBuffer(), L"FileDescription", fileDescription);
    QueryText(block, prefix.GetBuffer(), L"TavikComponentName", componentName);
    CTString id;
    if (QueryText(block, prefix.GetBuffer(), L"TavikComponentID", id))
        componentId = _wtoi(id.GetBuffer());

    GlobalUnlock(memory);
    GlobalFree(memory);
    return true;
}
