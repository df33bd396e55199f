#include "foundation/CTRegString.h"

BOOL IsRunningUnderWow64()
{
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto isWow64Process = kernel ? reinterpret_cast<IsWow64ProcessFn>(
                                       reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                                 : nullptr;
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64))
        return FALSE;
    return wow64;
}

CTRegString::CTRegString() : m_extraAccess(IsRunningUnderWow64() ? KEY_WOW64_64KEY : 0)
{
}

void CTRegString::Reset()
{
    m_parsed = false;
    m_root = nullptr;
}

bool CTRegString::Parse()
{
    m_root = nullptr;
    m_parsed = false;

    CTString root, rest;
    int slash = FindChar(L'\\');
    if (slash < 0) {
        root.Assign(*this);
        rest.Assign(*this);
    } else {
        Left(root, slash);
        MidToEnd(rest, slash + 1);
    }

    static const struct {
        const wchar_t* name;
        HKEY key;
    } roots[] = {
        {L"HKLM", HKEY_LOCAL_MACHINE},
        {L"HKCU", HKEY_CURRENT_USER},
        {L"HKU", HKEY_USERS},
        {L"HKCR", HKEY_CLASSES_ROOT},
    };
    for (const auto& known : roots) {
        if (lstrcmpiW(root.GetBuffer() ? root.GetBuffer() : L"", known.name) == 0) {
            m_root = known.key;
            break;
        }
    }

    int last = rest.ReverseFindChar(L'\\');
    if (!rest.IsEmpty() && last >= 0) {
        rest.Left(m_subKey, last);
        rest.MidToEnd(m_valueName, last + 1);
    } else {
        m_subKey.Assign(rest);
    }

    m_parsed = m_root != nullptr && !m_subKey.IsEmpty();
    return m_root != nullptr;
}
