// Reading a UTF-16 text into the tree: a forgiving, single-pass, recursive reader. The first
// error is recorded in the owning document with its row and column; what was read before it
// stays in the tree.
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <new>

#include "foundation/TiXmlAttributeIndex.h"
#include "foundation/TiXmlDocument.h"

namespace {

bool IsUtf8MarkUnits(const wchar_t* p) {
    // Byte-order mark and the two non-characters, as units of a text decoded byte by byte.
    return p[0] == 0xEF && ((p[1] == 0xBB && p[2] == 0xBF) || (p[1] == 0xBF && (p[2] == 0xBE || p[2] == 0xBF)));
}

TiXmlDocument* OwnerDocument(const TiXmlNode* node, const TiXmlLocationTracker* tracker) {
    if (tracker && tracker->document)
        return tracker->document;
    return node->GetDocument();
}

void RecordError(TiXmlDocument* doc, int id, const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    if (doc)
        doc->SetError(id, p, tracker, encoding);
}

void StampNode(TiXmlBase* node, const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    if (tracker) {
        tracker->Stamp(p, encoding);
        node->location = tracker->cursor;
    }
}

}  // namespace

bool TiXmlBase::IsWhiteSpace(wchar_t c) {
    if (c < 128)
        return c == L' ' || (c >= 9 && c <= 13);
    return iswspace(c) != 0;
}

bool TiXmlBase::IsAlpha(wchar_t c) {
    if (c > 126)
        return true;
    wchar_t lower = c | 0x20;
    return lower >= L'a' && lower <= L'z';
}

bool TiXmlBase::IsAlphaNum(wchar_t c) {
    return IsAlpha(c) || (c >= L'0' && c <= L'9');
}

const wchar_t* TiXmlBase::SkipWhiteSpace(const wchar_t* p, int encoding) {
    if (!p || !*p)
        return nullptr;
    for (;;) {
        wchar_t c = *p;
        if (c == L' ' || c == L'\n' || c == L'\r' || c == L'\t') {
            ++p;
        } else if (encoding == TIXML_ENCODING_UTF8 && c == 0xEF && IsUtf8MarkUnits(p)) {
            p += 3;
        } else if (encoding == TIXML_ENCODING_UTF16 && c == 0xFEFF) {
            ++p;
        } else if (c != 0 && c != L'<' && IsWhiteSpace(c)) {
            ++p;
        } else {
            return p;
        }
    }
}

static inline wchar_t FoldAscii(wchar_t c) {
    // Characters above 127 compare unchanged: every tag tested is ASCII.
    return c >= L'A' && c <= L'Z' ? (wchar_t)(c + 32) : c;
}

bool TiXmlBase::StringEqual(const wchar_t* p, const wchar_t* tag, bool ignoreCase, int) {
    if (!p || !*p || !tag)
        return false;
    for (; *tag; ++p, ++tag) {
        wchar_t a = *p;
        wchar_t b = *tag;
        if (!a)
            return false;
        if (ignoreCase) {
            a = FoldAscii(a);
            b = FoldAscii(b);
        }
        if (a != b)
            return false;
    }
    return true;
}

const wchar_t* TiXmlBase::ReadName(const wchar_t* p, TiXmlString& out) {
    out.Clear();
    if (!p || !*p || !(IsAlpha(*p) || *p == L'_'))
        return nullptr;
    const wchar_t* start = p;
    while (*p && (IsAlphaNum(*p) || *p == L'_' || *p == L'-' || *p == L'.' || *p == L':'))
        ++p;
    out.Assign(start, (uint32_t)(p - start));
    return p;
}

const wchar_t* TiXmlBase::GetEntity(const wchar_t* p, wchar_t* out, int* count) {
    *count = 0;
    if (p[1] == L'#') {
        bool hex = p[2] == L'x';
        const wchar_t* d = hex ? p + 3 : p + 2;
        if (hex && !*d)
            return nullptr;
        // The digits must run up to a ';'; anything else (the end of the text included) fails.
        uint32_t code = 0;
        bool tooBig = false;
        for (; *d != L';'; ++d) {
            wchar_t c = *d;
            uint32_t digit;
            if (c >= L'0' && c <= L'9')
                digit = c - L'0';
            else if (hex && c >= L'a' && c <= L'f')
                digit = c - L'a' + 10;
            else if (hex && c >= L'A' && c <= L'F')
                digit = c - L'A' + 10;
            else
                return nullptr;
            if (!tooBig) {
                code = code * (hex ? 16 : 10) + digit;
                tooBig = code > 0x10FFFF;
            }
        }
        if (tooBig) {
            out[0] = 0xFFFD;
            *count = 1;
        } else if (code > 0xFFFF) {
            // Beyond the basic plane: a surrogate pair.
            code -= 0x10000;
            out[0] = (wchar_t)(0xD800 + (code >> 10));
            out[1] = (wchar_t)(0xDC00 + (code & 0x3FF));
            *count = 2;
        } else if (code != 0) {
            out[0] = (wchar_t)code;
            *count = 1;
        }
        return d + 1;
    }
    static const struct {
        const wchar_t* text;
        int length;
        wchar_t ch;
    } named[] = {
        {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
    };
    for (const auto& e : named) {
        if (wcsncmp(p, e.text, e.length) == 0) {
            out[0] = e.ch;
            *count = 1;
            return p + e.length;
        }
    }
    // An unknown entity stays as written.
    out[0] = L'&';
    *count = 1;
    return p + 1;
}

const wchar_t* TiXmlBase::ReadText(const wchar_t* p, TiXmlString& out, bool trim, const wchar_t* endTag,
                                   int encoding) {
    out.Clear();
    if (!p || !endTag || !*endTag)
        return nullptr;
    const wchar_t first = endTag[0];
    const size_t endLength = wcslen(endTag);
    wchar_t entity[2];
    int entityLength = 0;

    if (!trim || !condenseWhiteSpace) {
        // Everything up to the end tag stays; runs without markup are copied in one piece, and a
        // text that is one run is allocated exactly once.
        bool firstRun = true;
        for (;;) {
            const wchar_t* run = p;
            while (*p && *p != L'&' && *p != first)
                ++p;
            if (!*p)
                return nullptr;  // no end tag: the text is unterminated and is not kept
            bool atEnd = *p == first && (endLength == 1 || wcsncmp(p, endTag, endLength) == 0);
            if (p > run) {
                if (firstRun && atEnd)
                    out.Assign(run, (uint32_t)(p - run));
                else
                    out.AppendRun(run, (uint32_t)(p - run));
            }
            firstRun = false;
            if (atEnd)
                return p + endLength;
            if (*p == L'&') {
                p = GetEntity(p, entity, &entityLength);
                if (!p)
                    return nullptr;
                out.AppendRun(entity, (uint32_t)entityLength);
            } else {
                out.Append(*p);
                ++p;
            }
        }
    }

    // Condensing: leading and trailing white space goes, inner runs become one blank.
    p = SkipWhiteSpace(p, encoding);
    if (!p)
        return nullptr;
    bool blank = false;
    while (*p) {
        if (*p == first && (endLength == 1 || wcsncmp(p, endTag, endLength) == 0))
            return p + endLength;
        if (IsWhiteSpace(*p)) {
            blank = true;
            ++p;
            continue;
        }
        if (blank) {
            out.Append(L' ');
            blank = false;
        }
        if (*p == L'&') {
            p = GetEntity(p, entity, &entityLength);
            if (!p)
                return nullptr;
            out.AppendRun(entity, (uint32_t)entityLength);
        } else {
            out.Append(*p);
            ++p;
        }
    }
    return nullptr;
}

TiXmlNode* TiXmlNode::Identify(const wchar_t* p, int encoding) {
    p = SkipWhiteSpace(p, encoding);
    if (!p || *p != L'<')
        return nullptr;
    TiXmlNode* node;
    if (StringEqual(p, L"<?xml", true, encoding))
        node = new (std::nothrow) TiXmlDeclaration();
    else if (StringEqual(p, L"<!--", false, encoding))
        node = new (std::nothrow) TiXmlComment();
    else if (p[1] == L'!')
        node = new (std::nothrow) TiXmlUnknown();
    else if (IsAlpha(p[1]) || p[1] == L'_')
        node = new (std::nothrow) TiXmlElement(nullptr);
    else
        node = new (std::nothrow) TiXmlUnknown();
    if (!node) {
        RecordError(GetDocument(), TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, encoding);
        return nullptr;
    }
    node->parent = this;
    return node;
}

const wchar_t* TiXmlDocument::Parse(const wchar_t* text, TiXmlLocationTracker* start, int encoding) {
    ClearError();
    if (!text || !*text) {
        SetError(TIXML_ERROR_DOCUMENT_EMPTY, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return nullptr;
    }
    TiXmlLocationTracker tracker;
    tracker.cursor = start ? start->cursor : TiXmlLocation{0, 0};
    tracker.position = text;
    tracker.tabSize = tabSize;
    tracker.document = this;
    location = tracker.cursor;

    if (encoding == TIXML_ENCODING_UNKNOWN) {
        if (text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF)
            encoding = TIXML_ENCODING_UTF8;
        else if (text[0] == 0xFEFF && text[1])
            encoding = TIXML_ENCODING_UTF16;
    }

    const wchar_t* p = SkipWhiteSpace(text, encoding);
    if (!p || !*p) {
        SetError(TIXML_ERROR_DOCUMENT_EMPTY, nullptr, nullptr, encoding);
        return nullptr;
    }
    while (p && *p) {
        // Text at the top level that is not markup ends parsing silently.
        TiXmlNode* node = Identify(p, encoding);
        if (!node)
            break;
        p = node->Parse(p, &tracker, encoding);
        LinkEndChild(node);
        if (encoding == TIXML_ENCODING_UNKNOWN && node->type == DECLARATION) {
            const TiXmlString& declared = static_cast<TiXmlDeclaration*>(node)->encoding;
            bool utf8 = declared.IsEmpty() || _wcsicmp(declared.c_str(), L"UTF-8") == 0 ||
                        _wcsicmp(declared.c_str(), L"UTF8") == 0;
            encoding = utf8 ? TIXML_ENCODING_UTF8 : TIXML_ENCODING_OTHER;
        }
        if (!p)
            break;
        p = SkipWhiteSpace(p, encoding);
    }
    return p;
}

const wchar_t* TiXmlElement::Parse(const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    TiXmlDocument* doc = OwnerDocument(this, tracker);
    TiXmlLocationTracker own;
    if (!tracker) {
        own.position = p;
        own.tabSize = doc ? doc->tabSize : 4;
        own.document = doc;
        tracker = &own;
    }
    p = SkipWhiteSpace(p, encoding);
    if (!p || !*p) {
        RecordError(doc, TIXML_ERROR_PARSING_ELEMENT, nullptr, nullptr, encoding);
        return nullptr;
    }
    StampNode(this, p, tracker, encoding);
    if (*p != L'<') {
        RecordError(doc, TIXML_ERROR_PARSING_ELEMENT, p, tracker, encoding);
        return nullptr;
    }
    if (tracker->depth >= kMaxDepth) {
        // Nesting this deep is no document the system reads; refuse it before the stack runs out.
        RecordError(doc, TIXML_ERROR_PARSING_ELEMENT, p, tracker, encoding);
        return nullptr;
    }
    const wchar_t* nameStart = SkipWhiteSpace(p + 1, encoding);
    p = ReadName(nameStart, value);
    if (!p || !*p) {
        RecordError(doc, TIXML_ERROR_FAILED_TO_READ_ELEMENT_NAME, nameStart, tracker, encoding);
        return nullptr;
    }

    TiXmlAttributeIndex index;
    uint32_t attributes = 0;
    for (;;) {
        const wchar_t* remembered = p;
        p = SkipWhiteSpace(p, encoding);
        if (!p || !*p) {
            RecordError(doc, TIXML_ERROR_READING_ATTRIBUTES, remembered, tracker, encoding);
            return nullptr;
        }
        if (*p == L'/') {
            ++p;
            if (*p != L'>') {
                RecordError(doc, TIXML_ERROR_PARSING_EMPTY, p, tracker, encoding);
                return nullptr;
            }
            return p + 1;
        }
        if (*p == L'>') {
            ++tracker->depth;
            p = ReadValue(p + 1, tracker, encoding);
            --tracker->depth;
            if (!p || !*p)
                return nullptr;
            // The end tag, "</" + name + ">", compared exactly.
            uint32_t n = value.Length();
            if (p[0] == L'<' && p[1] == L'/' && wcsncmp(p + 2, value.c_str(), n) == 0 && p[2 + n] == L'>')
                return p + 3 + n;
            RecordError(doc, TIXML_ERROR_READING_END_TAG, p, tracker, encoding);
            return nullptr;
        }

        TiXmlAttribute* attribute = new (std::nothrow) TiXmlAttribute();
        if (!attribute) {
            RecordError(doc, TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, encoding);
            return nullptr;
        }
        attribute->document = doc;
        const wchar_t* attributeStart = p;
        p = attribute->Parse(p, tracker, encoding);
        if (!p || !*p) {
            RecordError(doc, TIXML_ERROR_PARSING_ELEMENT, attributeStart, tracker, encoding);
            delete attribute;
            return nullptr;
        }
        TiXmlAttribute* existing =
            index.Active() ? index.Find(attribute->name) : attributeSet.Find(attribute->name.c_str());
        if (existing) {
            // A repeated name: the later value wins, and reading stops with an error so that a
            // reply cut short here is not taken for a whole one.
            existing->value = static_cast<TiXmlString&&>(attribute->value);
            delete attribute;
            RecordError(doc, TIXML_ERROR_PARSING_ELEMENT, attributeStart, tracker, encoding);
            return nullptr;
        }
        attributeSet.Add(attribute);
        if (index.Active()) {
            if (!index.Insert(attribute))
                index.Drop();
        } else if (++attributes == 32 && !index.Build(attributeSet)) {
            index.Drop();
        }
    }
}

const wchar_t* TiXmlElement::ReadValue(const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    TiXmlDocument* doc = OwnerDocument(this, tracker);
    for (;;) {
        const wchar_t* before = p;
        p = SkipWhiteSpace(p, encoding);
        if (!p)
            break;
        if (!*p)
            return p;  // white space ran to the end of the text
        if (*p != L'<') {
            TiXmlText* text = new (std::nothrow) TiXmlText(nullptr);
            if (!text) {
                RecordError(doc, TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, encoding);
                return nullptr;
            }
            text->parent = this;
            p = text->Parse(IsWhiteSpaceCondensed() ? p : before, tracker, encoding);
            if (text->IsBlank())
                delete text;
            else
                LinkEndChild(text);
        } else if (p[1] == L'/') {
            return p;
        } else {
            TiXmlNode* node = Identify(p, encoding);
            if (!node)
                return nullptr;
            p = node->Parse(p, tracker, encoding);
            LinkEndChild(node);
        }
    }
    RecordError(doc, TIXML_ERROR_READING_ELEMENT_VALUE, nullptr, nullptr, encoding);
    return nullptr;
}

const wchar_t* TiXmlAttribute::Parse(const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    p = SkipWhiteSpace(p, encoding);
    if (!p || !*p)
        return nullptr;
    StampNode(this, p, tracker, encoding);
    const wchar_t* start = p;
    p = ReadName(p, name);
    if (!p) {
        RecordError(document, TIXML_ERROR_READING_ATTRIBUTES, start, tracker, encoding);
        return nullptr;
    }
    p = SkipWhiteSpace(p, encoding);
    if (!p || *p != L'=') {
        RecordError(document, TIXML_ERROR_READING_ATTRIBUTES, p, tracker, encoding);
        return nullptr;
    }
    p = SkipWhiteSpace(p + 1, encoding);
    if (!p || !*p) {
        RecordError(document, TIXML_ERROR_READING_ATTRIBUTES, p, tracker, encoding);
        return nullptr;
    }
    if (*p == L'\'' || *p == L'"') {
        const wchar_t endTag[2] = {*p, 0};
        return ReadText(p + 1, value, false, endTag, encoding);
    }
    // Unquoted: up to white space, '/' or '>'; quotes are ordinary and entities stay as written.
    const wchar_t* valueStart = p;
    while (*p && !IsWhiteSpace(*p) && *p != L'/' && *p != L'>')
        ++p;
    value.Assign(valueStart, (uint32_t)(p - valueStart));
    return p;
}

const wchar_t* TiXmlText::Parse(const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    value.Clear();
    if (!p)
        return nullptr;
    StampNode(this, p, tracker, encoding);
    p = ReadText(p, value, true, L"<", encoding);
    return p ? p - 1 : nullptr;  // the '<' belongs to the next node
}

const wchar_t* TiXmlComment::Parse(const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    TiXmlDocument* doc = OwnerDocument(this, tracker);
    value.Clear();
    p = SkipWhiteSpace(p, encoding);
    if (!p) {
        RecordError(doc, TIXML_ERROR_PARSING_COMMENT, nullptr, nullptr, encoding);
        return nullptr;
    }
    StampNode(this, p, tracker, encoding);
    if (!StringEqual(p, L"<!--", false, encoding)) {
        RecordError(doc, TIXML_ERROR_PARSING_COMMENT, p, tracker, encoding);
        return nullptr;
    }
    return ReadText(p + 4, value, false, L"-->", encoding);
}

const wchar_t* TiXmlUnknown::Parse(const wchar_t* p, TiXmlLocationTracker* tracker, int encoding) {
    TiXmlDocument* doc = OwnerDocument(this, tracker);
    p = SkipWhiteSpace(p, encoding);
    if (!p) {
        RecordError(doc, TIXML_ERROR_PARSING_UNKNOWN, nullptr, nullptr, encoding);
        return nullptr;
    }
    StampNode(this, p, tracker, encoding);
    if (*p != L'<') {
        RecordError(doc, TIXML_ERROR_PARSING_UNKNOWN, p, tracker, encoding);
        return nullptr;
    }
    const wchar_t* start = ++p;
    while (*p && *p != L'>')
        ++p;
    value.Assign(start, (uint32_t)(p - start));
    return *p ? p + 1 : p;
}

const wchar_t* TiXmlDeclaration::Parse(const wchar_t* p, TiXmlLocationTracker* tracker, int code) {
    p = SkipWhiteSpace(p, code);
    if (!p || !*p || !StringEqual(p, L"<?xml", true, code)) {
        RecordError(OwnerDocument(this, tracker), TIXML_ERROR_PARSING_DECLARATION, nullptr, nullptr, code);
        return nullptr;
    }
    StampNode(this, p, tracker, code);
    version.Clear();
    encoding.Clear();
    standalone.Clear();
    p += 5;
    while (p && *p) {
        if (*p == L'>')
            return p + 1;
        p = SkipWhiteSpace(p, code);
        if (!p || !*p)
            break;
        TiXmlString* field = nullptr;
        if (StringEqual(p, L"version", true, code))
            field = &version;
        else if (StringEqual(p, L"encoding", true, code))
            field = &encoding;
        else if (StringEqual(p, L"standalone", true, code))
            field = &standalone;
        if (field) {
            // A temporary attribute with no document: its errors are not recorded.
            TiXmlAttribute attribute;
            p = attribute.Parse(p, tracker, code);
            if (!p)
                return nullptr;
            field->AssignString(attribute.value);
        } else {
            while (*p && !IsWhiteSpace(*p) && *p != L'>')
                ++p;
        }
    }
    return nullptr;  // unterminated: no error
}
