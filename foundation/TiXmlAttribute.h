#pragma once
#include <cstdint>

#include "foundation/TiXmlBase.h"

// One name="value" pair of an element.
class TiXmlAttribute : public TiXmlBase {
public:
    TiXmlAttribute() = default;
    TiXmlAttribute(const wchar_t* name, const wchar_t* value) : name(name), value(value) {}
    ~TiXmlAttribute() override = default;

    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;

    const wchar_t* Name() const { return name.c_str(); }
    // The value, or "" when it is empty.
    const wchar_t* Value() const { return value.c_str(); }
    void SetName(const wchar_t* text) { name.Assign(text); }
    void SetValue(const wchar_t* text) { value.Assign(text); }
    void SetDocument(TiXmlDocument* doc) { document = doc; }
    // The following attribute; null at the end of the set.
    TiXmlAttribute* Next() const;
    TiXmlAttribute* Previous() const;

    TiXmlDocument* document = nullptr;  // set by the parser: where its errors go
    TiXmlString name;
    TiXmlString value;
    TiXmlAttribute* prev = nullptr;
    TiXmlAttribute* next = nullptr;

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};

// An element's attributes: a circular list anchored on an end marker, in insertion order.
class TiXmlAttributeSet {
public:
    TiXmlAttributeSet();
    TiXmlAttributeSet(const TiXmlAttributeSet&) = delete;
    TiXmlAttributeSet& operator=(const TiXmlAttributeSet&) = delete;
    ~TiXmlAttributeSet();

    // Links attribute at the end of the set; the set takes ownership.
    void Add(TiXmlAttribute* attribute);
    // Unlinks attribute without deleting it; one not in the set changes nothing.
    void Remove(TiXmlAttribute* attribute);
    // The first attribute named exactly name, or null.
    TiXmlAttribute* Find(const wchar_t* name) const;
    TiXmlAttribute* First() const { return sentinel.next == &sentinel ? nullptr : sentinel.next; }
    TiXmlAttribute* Last() const { return sentinel.prev == &sentinel ? nullptr : sentinel.prev; }
    // Deletes every attribute.
    void Clear();

    TiXmlAttribute sentinel;
};
