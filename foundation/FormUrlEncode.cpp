#include "foundation/FormUrlEncode.h"
#include "foundation/CAttributes.h"
#include "foundation/CTByteArray.h"
#include <cstring>
#include <cwchar>
#include <cstdio>

namespace {

bool IsKept(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '*' || c == '-' ||
           c == '.' || c == '@' || c == '_';
}

// Appends the escaped UTF-8 form of text (length characters) to out: one counting pass sizes the
// space, the second writes into it.
void AppendEscaped(CTByteArray& out, const wchar_t* text, int length)
{
    if (!text || length <= 0)
        return;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    char stackBuffer[256];
    char* utf8 = bytes < static_cast<int>(sizeof(stackBuffer)) ? stackBuffer : new char[bytes + 1];
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, bytes, nullptr, nullptr);
    utf8[bytes] = 0;
    int escaped = FormUrlEncode(nullptr, utf8);
    if (escaped > 0) {
        BYTE* place = out.Extend(static_cast<unsigned>(escaped));
        if (place)
            FormUrlEncode(reinterpret_cast<char*>(place), utf8);
    }
    if (utf8 != stackBuffer)
        delete[] utf8;
}

void AppendByte(CTByteArray& out, char c)
{
    BYTE* place = out.Extend(1);
    if (place)
        *place = static_cast<BYTE>(c);
}

} // namespace

int FormUrlEncode(char* out, const char* text)
{
    static const char digits[] = "0123456789ABCDEF";
    int count = 0;
    if (!text)
        return 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        unsigned char c = *p;
        if (c == ' ') {
            if (out) out[count] = '+';
            ++count;
        } else if (IsKept(c)) {
            if (out) out[count] = static_cast<char>(c);
            ++count;
        } else {
            if (out) {
                out[count] = '%';
                out[count + 1] = digits[c >> 4];
                out[count + 2] = digits[c & 15];
            }
            count += 3;
        }
    }
    return count;
}

void CAttributes::FormEncode(CTByteArray& out) const
{
    for (CItem* item = GetHead(); item; item = item->GetNextItem()) {
        if (out.GetSize())
            AppendByte(out, '&');
        AppendEscaped(out, item->m_name.GetBuffer(), static_cast<int>(item->m_name.GetLength()));
        AppendByte(out, '=');
        int type = item->GetType();
        if (type == CAttribute::Date || type == CAttribute::DateTime) {
            wchar_t seconds[24];
            _snwprintf(seconds, 24, L"%d", static_cast<int>(item->GetValue()));
            seconds[23] = 0;
            AppendEscaped(out, seconds, static_cast<int>(wcslen(seconds)));
        } else {
            AppendEscaped(out, item->GetText(), static_cast<int>(item->GetTextLength()));
        }
    }
}
