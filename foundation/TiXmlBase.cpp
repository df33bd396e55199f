#include "foundation/TiXmlBase.h"

#include <cwchar>

bool TiXmlBase::condenseWhiteSpace = true;

void TiXmlBase::Print(FILE* file, int depth) const {
    if (!file)
        return;
    TiXmlWriter w(file);
    Write(w, depth);
}

namespace {

// The length of the "&#x<hex>;" at p when it names a character a reader can give back: at
// least one hex digit, a closing ';', and a value that is neither zero, a surrogate nor beyond
// U+10FFFF. 0 for anything else.
uint32_t HexReferenceLength(const wchar_t* p) {
    if (p[0] != L'&' || p[1] != L'#' || p[2] != L'x')
        return 0;
    const wchar_t* d = p + 3;
    uint32_t code = 0;
    for (; *d != L';'; ++d) {
        wchar_t c = *d;
        uint32_t digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return 0;  // not a digit, or the end of the text
        code = code * 16 + digit;
        if (code > 0x10FFFF)
            return 0;
    }
    if (d == p + 3 || code == 0 || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return (uint32_t)(d + 1 - p);
}

}  // namespace

void TiXmlBase::EncodeString(const TiXmlString& in, TiXmlString& out) {
    EncodeString(in.c_str(), out);
}

void TiXmlBase::EncodeString(const wchar_t* in, TiXmlString& out) {
    if (!in)
        return;
    static const wchar_t hex[] = L"0123456789ABCDEF";
    const wchar_t* p = in;
    for (;;) {
        // Copy the run that needs no escaping in one piece.
        const wchar_t* run = p;
        while (*p >= 32 && *p != L'&' && *p != L'<' && *p != L'>' && *p != L'"' && *p != L'\'')
            ++p;
        if (p > run)
            out.Append(run, (uint32_t)(p - run));
        wchar_t c = *p;
        if (c == 0)
            return;
        if (c == L'&') {
            // A complete hexadecimal reference to a real character passes through unchanged;
            // anything short of that is text, and its '&' is escaped like any other.
            uint32_t length = HexReferenceLength(p);
            if (length) {
                out.Append(p, length);
                p += length;
                continue;
            }
        }
        switch (c) {
        case L'&': out.Append(L"&amp;"); break;
        case L'<': out.Append(L"&lt;"); break;
        case L'>': out.Append(L"&gt;"); break;
        case L'"': out.Append(L"&quot;"); break;
        case L'\'': out.Append(L"&apos;"); break;
        default: {
            wchar_t ref[7] = {L'&', L'#', L'x', hex[(c >> 4) & 15], hex[c & 15], L';', 0};
            out.Append(ref, 6);
        }
        }
        ++p;
    }
}

void TiXmlWriter::Put(const wchar_t* text) {
    if (text)
        Put(text, 0xFFFFFFFFu);
}

void TiXmlWriter::Put(const wchar_t* text, uint32_t count) {
    if (out) {
        out->Append(text, count);
        return;
    }
    pending.Append(text, count);
    if (pending.Length() >= 8192)
        Flush();
}

void TiXmlWriter::Indent(int depth) {
    for (int i = 0; i < depth; ++i)
        Put(L"    ", 4);
}

void TiXmlWriter::Flush() {
    if (file && pending.Length()) {
        fputws(pending.c_str(), file);
        pending.Truncate(0);
    }
}
