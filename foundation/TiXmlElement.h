#pragma once
#include <cstdint>

#include "foundation/TiXmlAttribute.h"
#include "foundation/TiXmlNode.h"

// An element: a name (the node's value), its attributes and its children.
class TiXmlElement : public TiXmlNode {
public:
    explicit TiXmlElement(const wchar_t* name);
    ~TiXmlElement() override;

    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;
    TiXmlNode* Clone() const override;

    // The attribute of that name gets the value; otherwise a new one is appended.
    void SetAttribute(const wchar_t* name, const wchar_t* value);
    void SetAttributeInt(const wchar_t* name, int value);
    void SetAttributeInt64(const wchar_t* name, int64_t value);
    // The value ("" when empty), or null when there is no such attribute.
    const wchar_t* GetAttribute(const wchar_t* name) const;
    // As GetAttribute; out, when given, receives the value as a decimal number (0 when absent).
    const wchar_t* GetAttributeInt(const wchar_t* name, int* out) const;
    const wchar_t* GetAttributeInt64(const wchar_t* name, int64_t* out) const;

    TiXmlAttribute* FirstAttribute() const { return attributeSet.First(); }
    TiXmlAttribute* LastAttribute() const { return attributeSet.Last(); }

    // Reads the element's content; returns the position of its end tag or null.
    const wchar_t* ReadValue(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding);

    TiXmlAttributeSet attributeSet;

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};
