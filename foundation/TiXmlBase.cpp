#include "foundation/TiXmlBase.h"

#include <cwchar>

bool TiXmlBase::condenseWhiteSpace = true;

void TiXmlBase::Print(FILE* file, int depth) const {
    if (!file)
        return;
    TiXmlWriter w(file);
    Write(w, depth);
}

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
        if (c == L'&' && p[1] == L'#' && p[2] == L'x') {
            // An existing hexadecimal character reference passes through unchanged.
            const wchar_t* start = p;
            while (*p && *p != L';')
                ++p;
            if (*p == L';')
                ++p;
            out.Append(start, (uint32_t)(p - start));
            continue;
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
