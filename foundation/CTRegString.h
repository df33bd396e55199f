#pragma once
#include <windows.h>
#include "foundation/CTString.h"

// True when the process runs under WOW64 (IsWow64Process looked up at run time; FALSE without it).
BOOL IsRunningUnderWow64();

// The full path of a registry value as one text ("HKCU\Software\...\Name"), split by Parse into the
// parts the registry functions take.
class CTRegString : public CTString {
public:
    CTRegString();
    explicit CTRegString(const wchar_t* path) : CTRegString() { AssignText(path); }
    ~CTRegString() override = default;

    using CTString::operator=;

    // Clears the parsed flag and the root key; the text and the other parts stay.
    void Reset();
    // Splits the text at its first and last '\' into root, sub-key and value name. True when the root
    // is HKLM, HKCU, HKU or HKCR (any letter case); parsed when also the sub-key is not empty.
    bool Parse();

    bool m_parsed = false;
    CTString m_valueName;
    HKEY m_root = nullptr;
    CTString m_subKey;
    DWORD m_extraAccess = 0;   // KEY_WOW64_64KEY under WOW64, for callers to add to the access mask
};
