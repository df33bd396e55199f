#include "foundation/TiXmlElement.h"

#include <cstdlib>
#include <new>

#include "foundation/TiXmlDocument.h"

TiXmlElement::TiXmlElement(const wchar_t* name) : TiXmlNode(ELEMENT) {
    value.Assign(name);
}

TiXmlElement::~TiXmlElement() {
    // Children first, then the attributes (the set's own destructor).
    Clear();
}

void TiXmlElement::SetAttribute(const wchar_t* name, const wchar_t* text) {
    if (!name)
        return;
    if (TiXmlAttribute* a = attributeSet.Find(name)) {
        a->value.Assign(text ? text : L"");
        return;
    }
    TiXmlAttribute* a = new (std::nothrow) TiXmlAttribute(name, text ? text : L"");
    if (!a) {
        if (TiXmlDocument* doc = GetDocument())
            doc->SetError(TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return;
    }
    attributeSet.Add(a);
}

void TiXmlElement::SetAttributeInt(const wchar_t* name, int number) {
    wchar_t buf[16];
    _snwprintf(buf, 16, L"%d", number);
    buf[15] = 0;
    SetAttribute(name, buf);
}

void TiXmlElement::SetAttributeInt64(const wchar_t* name, int64_t number) {
    wchar_t buf[32];
    _snwprintf(buf, 32, L"%I64d", (long long)number);
    buf[31] = 0;
    SetAttribute(name, buf);
}

const wchar_t* TiXmlElement::GetAttribute(const wchar_t* name) const {
    TiXmlAttribute* a = attributeSet.Find(name);
    return a ? a->Value() : nullptr;
}

const wchar_t* TiXmlElement::GetAttributeInt(const wchar_t* name, int* out) const {
    const wchar_t* text = GetAttribute(name);
    if (out)
        *out = text ? _wtoi(text) : 0;
    return text;
}

const wchar_t* TiXmlElement::GetAttributeInt64(const wchar_t* name, int64_t* out) const {
    const wchar_t* text = GetAttribute(name);
    if (out)
        *out = text ? _wtoi64(text) : 0;
    return text;
}

TiXmlNode* TiXmlElement::Clone() const {
    TiXmlElement* copy = new (std::nothrow) TiXmlElement(nullptr);
    if (!copy)
        return nullptr;
    CopyBaseTo(copy);
    for (TiXmlAttribute* a = FirstAttribute(); a; a = a->Next())
        copy->SetAttribute(a->Name(), a->Value());
    for (TiXmlNode* n = firstChild; n; n = n->next)
        copy->InsertEndChildCopy(*n);
    return copy;
}

void TiXmlElement::Write(TiXmlWriter& w, int depth) const {
    w.Indent(depth);
    w.Put(L"<");
    w.Put(value.c_str(), value.Length());
    for (TiXmlAttribute* a = FirstAttribute(); a; a = a->Next()) {
        w.Put(L" ");
        static_cast<const TiXmlBase*>(a)->Write(w, depth);
    }
    if (!firstChild) {
        w.Put(L" />");
    } else if (firstChild == lastChild && firstChild->type == TEXT) {
        w.Put(L">");
        firstChild->Write(w, depth + 1);
        w.Put(L"</");
        w.Put(value.c_str(), value.Length());
        w.Put(L">");
    } else {
        w.Put(L">");
        for (TiXmlNode* n = firstChild; n; n = n->next) {
            if (n->type != TEXT)
                w.Put(L"\n");
            n->Write(w, depth + 1);
        }
        w.Put(L"\n");
        w.Indent(depth);
        w.Put(L"</");
        w.Put(value.c_str(), value.Length());
        w.Put(L">");
    }
}

void TiXmlElement::PrintToString(TiXmlString& out, int depth) const {
    for (int i = 0; i < depth; ++i)
        out.Append(L"    ", 4);
    out.Append(L"<");
    out.Append(value.c_str(), value.Length());
    for (TiXmlAttribute* a = FirstAttribute(); a; a = a->Next()) {
        out.Append(L" ");
        a->PrintToString(out, depth);
    }
    if (!firstChild) {
        out.Append(L" />\n");
    } else if (firstChild == lastChild && firstChild->type == TEXT) {
        out.Append(L">");
        firstChild->PrintToString(out, depth + 1);
        out.Append(L"</");
        out.Append(value.c_str(), value.Length());
        out.Append(L">\n");
    } else {
        out.Append(L">\n");
        for (TiXmlNode* n = firstChild; n; n = n->next)
            n->PrintToString(out, depth + 1);
        for (int i = 0; i < depth; ++i)
            out.Append(L"    ", 4);
        out.Append(L"</");
        out.Append(value.c_str(), value.Length());
        out.Append(L">\n");
    }
}
