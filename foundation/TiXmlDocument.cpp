#include "foundation/TiXmlDocument.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>

static const wchar_t* const kErrorText[TIXML_ERROR_STRING_COUNT] = {
    L"No error",
    L"Error",
    L"Failed to open file",
    L"Memory allocation failed.",
    L"Error parsing Element.",
    L"Failed to read Element name",
    L"Error reading Element value.",
    L"Error reading Attributes.",
    L"Error: empty tag.",
    L"Error reading end tag.",
    L"Error parsing Unknown.",
    L"Error parsing Comment.",
    L"Error parsing Declaration.",
    L"Error document empty.",
    L"Error null (0) or unexpected EOF found in input stream.",
};

const wchar_t* TiXmlDocument::ErrorText(int id) {
    return id >= 0 && id < TIXML_ERROR_STRING_COUNT ? kErrorText[id] : kErrorText[TIXML_ERROR];
}

TiXmlDocument::TiXmlDocument(const TiXmlDocument& other) : TiXmlNode(DOCUMENT) {
    other.CopyTo(this);
}

void TiXmlDocument::ClearError() {
    error = false;
    errorId = 0;
    errorDesc.Clear();
    errorLocation = TiXmlLocation{0, 0};
}

void TiXmlDocument::SetError(int id, const wchar_t* position, TiXmlLocationTracker* tracker, int encoding) {
    if (error)
        return;  // the first error of a parse stands
    error = true;
    errorId = id;
    errorDesc.Assign(ErrorText(id));
    errorLocation = TiXmlLocation{-1, -1};
    if (position && tracker) {
        tracker->Stamp(position, encoding);
        errorLocation = tracker->cursor;
    }
}

void TiXmlDocument::CopyTo(TiXmlDocument* target) const {
    if (!target || target == this)
        return;
    CopyBaseTo(target);
    target->error = error;
    target->errorDesc.AssignString(errorDesc);
    // Id, location and tab size travel with the description so that a copy reports consistently.
    target->errorId = errorId;
    target->errorLocation = errorLocation;
    target->tabSize = tabSize;
    for (TiXmlNode* n = firstChild; n; n = n->next)
        target->InsertEndChildCopy(*n);
}

void TiXmlDocument::Assign(const TiXmlDocument& other) {
    if (&other == this)
        return;  // clearing first would otherwise empty both
    Clear();
    other.CopyTo(this);
}

TiXmlNode* TiXmlDocument::Clone() const {
    TiXmlDocument* copy = new (std::nothrow) TiXmlDocument();
    if (copy)
        CopyTo(copy);
    return copy;
}

void TiXmlDocument::Write(TiXmlWriter& w, int depth) const {
    for (TiXmlNode* n = firstChild; n; n = n->next) {
        n->Write(w, depth);
        w.Put(L"\n");
    }
}

void TiXmlDocument::PrintToString(TiXmlString& out, int depth) const {
    for (TiXmlNode* n = firstChild; n; n = n->next) {
        n->PrintToString(out, depth);
        out.Append(L"\n");
        if (n->type == ELEMENT)
            break;  // the string form holds one root element
    }
}

bool TiXmlDocument::LoadFile(const wchar_t* path) {
    Clear();
    location = TiXmlLocation{-1, -1};
    value.Assign(path);
    // An error of an earlier parse must not be reported for this file.
    ClearError();

    FILE* f = nullptr;
    if (!path || _wfopen_s(&f, path, L"rb") != 0 || !f) {
        SetError(TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }
    long long size = -1;
    if (_fseeki64(f, 0, SEEK_END) == 0)
        size = _ftelli64(f);
    if (size == 0) {
        fclose(f);
        return false;
    }
    if (size < 0 || _fseeki64(f, 0, SEEK_SET) != 0) {
        fclose(f);
        SetError(TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }
    // The text must fit the 32-bit lengths of TiXmlString and the conversion calls.
    char* bytes = size < 0x3FFFFFFF ? (char*)malloc((size_t)size) : nullptr;
    if (!bytes) {
        fclose(f);
        SetError(TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }
    size_t got = fread(bytes, 1, (size_t)size, f);
    fclose(f);
    if (got != (size_t)size) {
        free(bytes);
        SetError(TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }

    // The bytes are UTF-8; a byte-order mark is dropped. Invalid sequences become U+FFFD.
    const char* src = bytes;
    int n = (int)size;
    if (n >= 3 && (unsigned char)src[0] == 0xEF && (unsigned char)src[1] == 0xBB && (unsigned char)src[2] == 0xBF) {
        src += 3;
        n -= 3;
    }
    int units = n > 0 ? MultiByteToWideChar(CP_UTF8, 0, src, n, nullptr, 0) : 0;
    wchar_t* text = (wchar_t*)malloc(((size_t)units + 1) * sizeof(wchar_t));
    if (!text) {
        free(bytes);
        SetError(TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return false;
    }
    if (units > 0)
        units = MultiByteToWideChar(CP_UTF8, 0, src, n, text, units);
    free(bytes);
    // CR LF line ends read as LF, as a text-mode read would give them.
    wchar_t* out = text;
    for (int i = 0; i < units; ++i) {
        if (text[i] == L'\r' && i + 1 < units && text[i + 1] == L'\n')
            continue;
        *out++ = text[i];
    }
    *out = 0;

    Parse(text, nullptr, TIXML_ENCODING_UNKNOWN);
    free(text);
    return !error;
}

bool TiXmlDocument::SaveFile(const wchar_t* path) const {
    if (!path)
        return false;
    TiXmlString wide;
    {
        TiXmlWriter w(wide);
        Write(w, 0);
    }
    int n = (int)wide.Length();
    int bytes = n > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), n, nullptr, 0, nullptr, nullptr) : 0;
    char* utf8 = (char*)malloc((size_t)bytes + 1);
    if (!utf8)
        return false;
    if (bytes > 0)
        bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), n, utf8, bytes, nullptr, nullptr);

    FILE* f = nullptr;
    if (_wfopen_s(&f, path, L"wb") != 0 || !f) {
        free(utf8);
        return false;
    }
    // Byte-order mark, then the text with every LF written as CR LF.
    bool ok = fwrite("\xEF\xBB\xBF", 1, 3, f) == 3;
    int start = 0;
    for (int i = 0; ok && i <= bytes; ++i) {
        if (i == bytes || utf8[i] == '\n') {
            size_t len = (size_t)(i - start);
            if (len && fwrite(utf8 + start, 1, len, f) != len)
                ok = false;
            if (i < bytes && fwrite("\r\n", 1, 2, f) != 2)
                ok = false;
            start = i + 1;
        }
    }
    free(utf8);
    if (fclose(f) != 0)
        ok = false;
    return ok;
}
