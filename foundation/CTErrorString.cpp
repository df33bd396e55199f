#include "foundation/CTErrorString.h"
#include "foundation/WinHttpErrorText.h"

namespace {

// FormatMessageW with an allocated buffer; true and text assigned on success.
bool FormatSystemText(DWORD flags, HMODULE module, DWORD code, DWORD language, CTString& out)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, module, code, language,
                                  reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer) {
        if (buffer)
            LocalFree(buffer);
        return false;
    }
    out.AssignText(buffer);
    LocalFree(buffer);
    return true;
}

} // namespace

CTString& FormatComErrorText(HRESULT code, CTString& out)
{
    out.Empty();
    const DWORD value = static_cast<DWORD>(code);
    if (FormatSystemText(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, value,
                         MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), out)) {
        unsigned length = out.GetLength();
        if (length >= 2 && out.GetBuffer()[length - 2] == L'\r' && out.GetBuffer()[length - 1] == L'\n') {
            out.GetBuffer()[length - 2] = 0;
            out.SetLength(length - 2);
        }
        if (!out.IsEmpty())
            return out;
    }
    if (value >= 0x80040201 && value <= 0x8004FFFF)
        out.Format(L"IDispatch error #%d", static_cast<int>(value - 0x80040200));
    else
        out.Format(L"Unknown error 0x%0lX", value);
    return out;
}

bool CTErrorString::SetErrorCode(DWORD code)
{
    m_code = code;
    Empty();

    // Inserts are left as they stand: with no arguments to fill them, a message such as "%1 is not a
    // valid application" would otherwise make FormatMessage read arguments that do not exist.
    const DWORD flags = FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (FormatSystemText(flags | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, *this))
        return true;

    if (HMODULE netmsg = LoadLibraryExW(L"NETMSG.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        bool found = FormatSystemText(flags | FORMAT_MESSAGE_FROM_HMODULE, netmsg, code, 0, *this);
        FreeLibrary(netmsg);
        if (found)
            return true;
    }

    // WinHTTP keeps its texts in its own module, and some systems have none: a table of ours then.
    if (HMODULE winhttp = GetModuleHandleW(L"winhttp.dll")) {
        if (FormatSystemText(flags | FORMAT_MESSAGE_FROM_HMODULE, winhttp, code, 0, *this) && !IsEmpty())
            return true;
    }
    if (const wchar_t* text = WinHttpErrorText(code)) {
        AssignText(text);
        AppendText(L"\r\n");
        return true;
    }

    FormatComErrorText(static_cast<HRESULT>(code), *this);
    return !IsEmpty();
}
