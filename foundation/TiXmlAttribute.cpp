#include "foundation/TiXmlAttribute.h"

static void AppendAttribute(const TiXmlAttribute& a, TiXmlString& out) {
    TiXmlBase::EncodeString(a.name, out);
    // A value holding a double quote goes between single quotes (the quote is escaped anyway).
    const wchar_t* quote = a.value.FindQuote() == TiXmlString::npos ? L"\"" : L"'";
    out.Append(L"=");
    out.Append(quote);
    TiXmlBase::EncodeString(a.value, out);
    out.Append(quote);
}

void TiXmlAttribute::Write(TiXmlWriter& w, int) const {
    TiXmlString s;
    AppendAttribute(*this, s);
    w.Put(s.c_str(), s.Length());
}

void TiXmlAttribute::PrintToString(TiXmlString& out, int) const {
    AppendAttribute(*this, out);
}

TiXmlAttribute* TiXmlAttribute::Next() const {
    // The end marker is the attribute with neither name nor value.
    if (!next || (next->name.IsEmpty() && next->value.IsEmpty()))
        return nullptr;
    return next;
}

TiXmlAttribute* TiXmlAttribute::Previous() const {
    if (!prev || (prev->name.IsEmpty() && prev->value.IsEmpty()))
        return nullptr;
    return prev;
}

TiXmlAttributeSet::TiXmlAttributeSet() {
    sentinel.next = sentinel.prev = &sentinel;
}

TiXmlAttributeSet::~TiXmlAttributeSet() {
    Clear();
}

void TiXmlAttributeSet::Clear() {
    TiXmlAttribute* a = sentinel.next;
    while (a != &sentinel) {
        TiXmlAttribute* following = a->next;
        delete a;
        a = following;
    }
    sentinel.next = sentinel.prev = &sentinel;
}

void TiXmlAttributeSet::Add(TiXmlAttribute* attribute) {
    if (!attribute)
        return;
    attribute->next = &sentinel;
    attribute->prev = sentinel.prev;
    sentinel.prev->next = attribute;
    sentinel.prev = attribute;
}

void TiXmlAttributeSet::Remove(TiXmlAttribute* attribute) {
    for (TiXmlAttribute* a = sentinel.next; a != &sentinel; a = a->next) {
        if (a == attribute) {
            a->prev->next = a->next;
            a->next->prev = a->prev;
            a->next = a->prev = nullptr;
            return;
        }
    }
}

TiXmlAttribute* TiXmlAttributeSet::Find(const wchar_t* name) const {
    if (!name)
        return nullptr;
    for (TiXmlAttribute* a = sentinel.next; a != &sentinel; a = a->next)
        if (a->name.Equals(name))
            return a;
    return nullptr;
}
