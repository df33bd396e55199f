#include "foundation/TiXmlUnknown.h"

#include <new>

TiXmlNode* TiXmlUnknown::Clone() const {
    TiXmlUnknown* copy = new (std::nothrow) TiXmlUnknown();
    if (copy)
        CopyBaseTo(copy);
    return copy;
}

void TiXmlUnknown::Write(TiXmlWriter& w, int depth) const {
    w.Indent(depth);
    w.Put(L"<");
    w.Put(value.c_str(), value.Length());
    w.Put(L">");
}

void TiXmlUnknown::PrintToString(TiXmlString& out, int) const {
    out.Append(L"<");
    out.Append(value.c_str(), value.Length());
    out.Append(L">");
}
