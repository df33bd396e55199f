// Base64 between byte buffers and strings: the standard alphabet, '=' padding, no line breaks.
// CTByteArray::Base64Encode and CTString::Base64Decode live here together.
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"

namespace {

const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

unsigned SixBits(wchar_t c)
{
    if (c >= L'A' && c <= L'Z') return c - L'A';
    if (c >= L'a' && c <= L'z') return c - L'a' + 26;
    if (c >= L'0' && c <= L'9') return c - L'0' + 52;
    if (c == L'+') return 62;
    if (c == L'/') return 63;
    return 0;   // '=' and anything outside the alphabet count as zero bits
}

} // namespace

bool CTByteArray::Base64Encode(CTString& out) const
{
    if (size_ == 0)
        return true;
    unsigned long long chars = (static_cast<unsigned long long>(size_) + 2) / 3 * 4;
    if (chars + 1 > 0xFFFFFFFFull)
        return true;   // cannot be held by a string; out stays as it was

    CTString text;
    wchar_t* p = text.Reserve(static_cast<unsigned>(chars) + 1);
    const BYTE* b = data_;
    unsigned i = 0;
    for (; i + 3 <= size_; i += 3) {
        *p++ = kAlphabet[b[i] >> 2];
        *p++ = kAlphabet[((b[i] & 3) << 4) | (b[i + 1] >> 4)];
        *p++ = kAlphabet[((b[i + 1] & 15) << 2) | (b[i + 2] >> 6)];
        *p++ = kAlphabet[b[i + 2] & 63];
    }
    if (size_ - i == 1) {
        *p++ = kAlphabet[b[i] >> 2];
        *p++ = kAlphabet[(b[i] & 3) << 4];
        *p++ = L'=';
        *p++ = L'=';
    } else if (size_ - i == 2) {
        *p++ = kAlphabet[b[i] >> 2];
        *p++ = kAlphabet[((b[i] & 3) << 4) | (b[i + 1] >> 4)];
        *p++ = kAlphabet[(b[i + 1] & 15) << 2];
        *p++ = L'=';
    }
    *p = 0;
    text.SetLength(static_cast<unsigned>(chars));
    out.Swap(text);   // the old text of out is wiped as text goes
    return true;
}

bool CTString::Base64Decode(CTByteArray& out) const
{
    unsigned length = GetLength();
    // Groups of four start at 0, 4, 8 ... before the end; a short last group reads as padded with '='.
    unsigned groups = (length + 3) / 4;
    unsigned long long bytes = static_cast<unsigned long long>(groups) * 3;
    if (groups) {
        unsigned last = (groups - 1) * 4;
        for (unsigned k = 1; k < 4; k++) {
            wchar_t c = last + k < length ? m_buffer[last + k] : L'=';
            if (c == L'=')
                bytes--;
        }
    }
    out.SetSize(static_cast<unsigned>(bytes));
    BYTE* dst = out.GetData();
    for (unsigned g = 0; g < groups; g++) {
        unsigned s[4];
        for (unsigned k = 0; k < 4; k++) {
            unsigned at = g * 4 + k;
            s[k] = at < length ? SixBits(m_buffer[at]) : 0;
        }
        BYTE three[3] = {
            static_cast<BYTE>((s[0] << 2) | (s[1] >> 4)),
            static_cast<BYTE>((s[1] << 4) | (s[2] >> 2)),
            static_cast<BYTE>((s[2] << 6) | s[3]),
        };
        for (unsigned k = 0; k < 3; k++) {
            unsigned long long at = static_cast<unsigned long long>(g) * 3 + k;
            if (at < bytes)
                dst[at] = three[k];
        }
    }
    return true;
}
