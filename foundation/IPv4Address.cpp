#include "foundation/IPv4Address.h"

bool ParseIPv4Address(const CTString& text, unsigned* out)
{
    if (text.IsEmpty())
        return false;
    const wchar_t* p = text.GetBuffer();
    unsigned address = 0;
    for (int part = 0; part < 4; ++part) {
        // The fourth part runs to the end of the text, so a fourth dot makes it invalid.
        const wchar_t end = part < 3 ? L'.' : L'\0';
        unsigned value = 0, digits = 0;
        for (; *p && *p != end; ++p, ++digits) {
            if (*p < L'0' || *p > L'9' || digits == 3)
                return false;
            value = value * 10 + (*p - L'0');
        }
        if (*p != end || digits == 0 || value > 255)
            return false;
        if (part < 3)
            ++p;
        address = address << 8 | value;
    }
    if (out)
        *out = address;
    return true;
}
