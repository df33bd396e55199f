#pragma once
#include "foundation/TiXmlNode.h"

// <?xml version="..." encoding="..." standalone="..."?>
class TiXmlDeclaration : public TiXmlNode {
public:
    TiXmlDeclaration() : TiXmlNode(DECLARATION) {}
    // Version "1.0", encoding "UTF-8" and the given standalone text (null: empty).
    explicit TiXmlDeclaration(const wchar_t* standalone);

    const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) override;
    void PrintToString(TiXmlString& out, int depth) const override;
    TiXmlNode* Clone() const override;

    const wchar_t* Version() const { return version.c_str(); }
    const wchar_t* Encoding() const { return encoding.c_str(); }
    const wchar_t* Standalone() const { return standalone.c_str(); }

    TiXmlString version;
    TiXmlString encoding;
    TiXmlString standalone;

protected:
    void Write(TiXmlWriter& w, int depth) const override;
};
