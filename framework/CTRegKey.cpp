#include "framework/CTRegKey.h"
#include <cwchar>

namespace {
struct RootWord {
    const wchar_t* word;
    HKEY root;
};
const RootWord kRoots[] = {
    {L"HKLM", HKEY_LOCAL_MACHINE},
    {L"HKCU", HKEY_CURRENT_USER},
    {L"HKU", HKEY_USERS},
    {L"HKCR", HKEY_CLASSES_ROOT},
};

// Texts longer than this are not settings a window wrote; they read as "not set".
constexpr DWORD kMaxTextBytes = 1024 * 1024;
} // namespace

CTRegKey::CTRegKey(UINT stringId, HMODULE module, const wchar_t* subPath, int index)
    : m_index(index)
{
    SetPath(stringId, module, subPath);
}

bool CTRegKey::SetPath(UINT stringId, HMODULE module, const wchar_t* subPath)
{
    CTString format, full;
    // Without a module the text comes from the module the application object picks.
    bool loaded = module ? format.LoadString(stringId, module) : format.LoadString(stringId);
    if (loaded)
        full.Format(format.GetBuffer(), subPath ? subPath : L"");
    if (m_index != 0) {
        CTString suffix;
        suffix.Format(L"\\%04d", m_index);
        full.Append(suffix);
    }
    return ParsePath(full.GetBuffer());
}

bool CTRegKey::ParsePath(const wchar_t* fullPath)
{
    if (!fullPath) fullPath = L"";
    const wchar_t* slash = wcschr(fullPath, L'\\');
    size_t wordLength = slash ? static_cast<size_t>(slash - fullPath) : wcslen(fullPath);
    const wchar_t* rest = slash ? slash + 1 : fullPath + wordLength;

    HKEY root = nullptr;
    for (const RootWord& candidate : kRoots) {
        if (wcslen(candidate.word) == wordLength &&
            CompareStringOrdinal(fullPath, static_cast<int>(wordLength), candidate.word,
                                 static_cast<int>(wordLength), TRUE) == CSTR_EQUAL) {
            root = candidate.root;
            break;
        }
    }
    if (!root) {
        if (!m_root) return false;
        root = m_root;
    }
    m_root = root;
    m_path.AssignText(rest);
    m_param = 0;
    return true;
}

HKEY CTRegKey::OpenForRead() const
{
    if (!m_root) return nullptr;
    HKEY key = nullptr;
    if (RegOpenKeyExW(m_root, m_path.GetBuffer() ? m_path.GetBuffer() : L"", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

HKEY CTRegKey::OpenForWrite() const
{
    if (!m_root) return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExW(m_root, m_path.GetBuffer() ? m_path.GetBuffer() : L"", 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool CTRegKey::WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = OpenForWrite();
    if (!key) return false;
    LONG rc = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool CTRegKey::QueryDword(HKEY key, const wchar_t* name, DWORD& out)
{
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof(value)) return false;
    out = value;
    return true;
}

bool CTRegKey::QueryText(HKEY key, const wchar_t* name, CTString& out, DWORD& bytes)
{
    DWORD type = 0, size = 0;
    bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ || size > kMaxTextBytes) return false;
    bytes = size;
    if (size < sizeof(wchar_t)) return true;
    // One character more than the value holds, so that text stored without its NUL ends too.
    unsigned chars = size / sizeof(wchar_t);
    wchar_t* buffer = out.Reserve(chars + 1);
    if (!buffer) return false;
    wmemset(buffer, 0, chars + 1);
    DWORD read = chars * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &read) != ERROR_SUCCESS ||
        type != REG_SZ) {
        out.Empty();
        return false;
    }
    buffer[chars] = 0;
    bytes = read;
    return true;
}

void CTRegKey::NextParamName(wchar_t (&name)[24]) const
{
    _snwprintf(name, 24, L"Param_%d", static_cast<int>(m_param));
    name[23] = 0;
}

DWORD CTRegKey::ReadDword(const wchar_t* name, DWORD defaultValue)
{
    HKEY key = OpenForRead();
    if (!key) return defaultValue;
    DWORD value = defaultValue;
    if (!QueryDword(key, name, value)) value = defaultValue;
    RegCloseKey(key);
    return value;
}

int CTRegKey::ReadInt(const wchar_t* name, int defaultValue)
{
    return static_cast<int>(ReadDword(name, static_cast<DWORD>(defaultValue)));
}

bool CTRegKey::ReadBool(const wchar_t* name, bool defaultValue)
{
    return ReadDword(name, defaultValue ? 1 : 0) != 0;
}

bool CTRegKey::WriteDword(const wchar_t* name, DWORD value)
{
    return WriteValue(name, REG_DWORD, &value, sizeof(value));
}

bool CTRegKey::WriteInt(const wchar_t* name, int value)
{
    return WriteDword(name, static_cast<DWORD>(value));
}

bool CTRegKey::WriteBool(const wchar_t* name, bool value)
{
    return WriteDword(name, value ? 1 : 0);
}

ULONGLONG CTRegKey::ReadQword(const wchar_t* name, ULONGLONG defaultValue)
{
    HKEY key = OpenForRead();
    if (!key) return defaultValue;
    ULONGLONG value = 0;
    DWORD type = 0, size = sizeof(value);
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_QWORD || size != sizeof(value)) return defaultValue;
    return value;
}

bool CTRegKey::WriteQword(const wchar_t* name, ULONGLONG value)
{
    return WriteValue(name, REG_QWORD, &value, sizeof(value));
}

CTString& CTRegKey::ReadString(CTString& out, const wchar_t* name, const wchar_t* defaultText)
{
    HKEY key = OpenForRead();
    if (!key) {
        out.Empty();
        return out;
    }
    CTString text;
    DWORD bytes = 0;
    bool ok = QueryText(key, name, text, bytes) && bytes >= sizeof(wchar_t);
    RegCloseKey(key);
    if (!ok) {
        out.AssignText(defaultText);
        return out;
    }
    // A stored text ends in its NUL, which is not part of the text.
    unsigned chars = bytes / sizeof(wchar_t);
    if (text.GetBuffer()[chars - 1] == 0) --chars;
    text.SetLength(chars);
    out.Swap(text);
    return out;
}

bool CTRegKey::WriteString(const wchar_t* name, const wchar_t* text)
{
    DWORD size = text ? static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)) : 0;
    return WriteValue(name, REG_SZ, text, size);
}

CTRegKey& CTRegKey::WriteNextParam(DWORD value)
{
    HKEY key = OpenForWrite();
    if (!key) return *this;
    wchar_t name[24];
    NextParamName(name);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
    ++m_param;
    return *this;
}

CTRegKey& CTRegKey::WriteNextString(const CTString& text)
{
    HKEY key = OpenForWrite();
    if (!key) return *this;
    wchar_t name[24];
    NextParamName(name);
    const wchar_t* data = text.GetBuffer() ? text.GetBuffer() : L"";
    DWORD size = static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    ++m_param;
    return *this;
}

CTRegKey& CTRegKey::ReadNextParam(int& value)
{
    HKEY key = OpenForRead();
    if (!key) return *this;
    wchar_t name[24];
    NextParamName(name);
    DWORD stored = 0;
    if (QueryDword(key, name, stored)) value = static_cast<int>(stored);
    RegCloseKey(key);
    ++m_param;
    return *this;
}

CTRegKey& CTRegKey::ReadNextBool(bool& value)
{
    int number = value ? 1 : 0;
    ReadNextParam(number);
    value = number != 0;
    return *this;
}

CTRegKey& CTRegKey::ReadNextString(CTString& value)
{
    HKEY key = OpenForRead();
    if (!key) return *this;
    wchar_t name[24];
    NextParamName(name);
    CTString text;
    DWORD bytes = 0;
    if (QueryText(key, name, text, bytes) && bytes >= sizeof(wchar_t)) {
        text.ReleaseBuffer(); // up to the first NUL
        value.Swap(text);
    } else {
        value.Empty();
    }
    RegCloseKey(key);
    ++m_param;
    return *this;
}
