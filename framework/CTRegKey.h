#pragma once
// One registry key under which a window, list or dialog keeps its settings. The key is named by a
// string resource holding a root and a path with one "%s" (string 104, "HKCU\Software\TAVIK\QEL\%s")
// and a sub-path for the "%s". Every operation opens or creates the key, does its one read or
// write and closes it again: nothing is cached between calls.
//
// Values are user-editable, so a read trusts nothing it finds: a value of the wrong type or size
// reads as "not set".
#include <windows.h>
#include "foundation/CTString.h"

class CTRegKey {
public:
    int m_index = 0;       // non-zero: the path ends in "\%04d"
    DWORD m_param = 0;     // number of the next "Param_%d" value
    HKEY m_root = nullptr; // null until a path with a known root was parsed
    CTString m_path;       // below the root, without the root word

    CTRegKey() = default;
    // A null module loads the format from the module the application object picks for strings.
    CTRegKey(UINT stringId, HMODULE module, const wchar_t* subPath, int index = 0);
    ~CTRegKey() = default;
    CTRegKey(const CTRegKey&) = delete;
    CTRegKey& operator=(const CTRegKey&) = delete;

    bool SetPath(UINT stringId, HMODULE module, const wchar_t* subPath);
    // Splits at the first '\': HKLM, HKCU, HKU or HKCR (any case) before it, the path after it.
    // An unknown root keeps a root parsed earlier (and then takes the new path).
    bool ParsePath(const wchar_t* fullPath);

    // Named values.
    DWORD ReadDword(const wchar_t* name, DWORD defaultValue);
    int ReadInt(const wchar_t* name, int defaultValue);
    bool ReadBool(const wchar_t* name, bool defaultValue);
    bool WriteDword(const wchar_t* name, DWORD value);
    bool WriteInt(const wchar_t* name, int value);
    bool WriteBool(const wchar_t* name, bool value);
    ULONGLONG ReadQword(const wchar_t* name, ULONGLONG defaultValue);
    bool WriteQword(const wchar_t* name, ULONGLONG value);
    // The default when the value is missing or empty; an empty text when the key cannot be opened.
    CTString& ReadString(CTString& out, const wchar_t* name, const wchar_t* defaultText);
    // A null text writes a value of zero bytes.
    bool WriteString(const wchar_t* name, const wchar_t* text);

    // "Param_%d" sequences, numbered from 0 in call order. The counter advances only when the key
    // could be opened (or created), so a read from a missing key consumes nothing.
    CTRegKey& WriteNextParam(DWORD value);
    CTRegKey& WriteNextInt(int value) { return WriteNextParam(static_cast<DWORD>(value)); }
    CTRegKey& WriteNextBool(bool value) { return WriteNextParam(value ? 1 : 0); }
    CTRegKey& WriteNextString(const CTString& text);
    // A missing value leaves the variable as it is.
    CTRegKey& ReadNextParam(int& value);
    CTRegKey& ReadNextInt(int& value) { return ReadNextParam(value); }
    CTRegKey& ReadNextBool(bool& value);
    // On an open key a missing value empties the variable; a missing key leaves it.
    CTRegKey& ReadNextString(CTString& value);

private:
    HKEY OpenForRead() const;
    HKEY OpenForWrite() const;
    bool WriteValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
    // The value as a REG_DWORD of exactly 4 bytes; false for anything else.
    static bool QueryDword(HKEY key, const wchar_t* name, DWORD& out);
    // The value as REG_SZ text; false when missing, of another type or unreadable.
    static bool QueryText(HKEY key, const wchar_t* name, CTString& out, DWORD& bytes);
    void NextParamName(wchar_t (&name)[24]) const;
};
