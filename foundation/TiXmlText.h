#pragma once
#include "foundation/TiXmlNode.h"

// Character data; the value is the decoded text.
class TiXmlText : public TiXmlNode {
public:
    explicit TiXmlText(const wchar_t* text) : TiXmlNode(TEXT) { value.Assign(text); }

    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;
    TiXmlNode* Clone() const override;

    // True when the text is empty or only white space.
    bool IsBlank() const;

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};
