#pragma once
#include <windows.h>
#include "foundation/CTString.h"

// The text of a COM result as the platform's COM error object gives it: the system message without its
// trailing CR LF, else "IDispatch error #n" for 0x80040201..0x8004FFFF, else "Unknown error 0x...".
CTString& FormatComErrorText(HRESULT code, CTString& out);

// The text of a system, network or COM error code, for the error boxes.
class CTErrorString : public CTString {
public:
    CTErrorString() = default;
    explicit CTErrorString(DWORD code) { SetErrorCode(code); }
    ~CTErrorString() override = default;

    using CTString::operator=;

    // System message (with its trailing CR LF), then NETMSG.DLL's, then WinHTTP's (its module's or
    // our own table's, also with CR LF), then the COM text. True unless the text ends up empty.
    bool SetErrorCode(DWORD code);

    DWORD m_code = 0;
};
