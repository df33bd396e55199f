#pragma once
#include "foundation/TiXmlNode.h"

// Markup the parser does not know (<!DOCTYPE ...>, processing instructions, <1a/>); the value is
// everything between '<' and '>'.
class TiXmlUnknown : public TiXmlNode {
public:
    TiXmlUnknown() : TiXmlNode(UNKNOWN) {}

    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;
    TiXmlNode* Clone() const override;

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};
