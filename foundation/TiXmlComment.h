#pragma once
#include "foundation/TiXmlNode.h"

// <!--body-->; the value is the body.
class TiXmlComment : public TiXmlNode {
public:
    TiXmlComment() : TiXmlNode(COMMENT) {}

    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;
    TiXmlNode* Clone() const override;

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};
