#include "foundation/TiXmlComment.h"

#include <new>

TiXmlNode* TiXmlComment::Clone() const {
    TiXmlComment* copy = new (std::nothrow) TiXmlComment();
    if (copy)
        CopyBaseTo(copy);
    return copy;
}

void TiXmlComment::Write(TiXmlWriter& w, int depth) const {
    w.Indent(depth);
    w.Put(L"<!--");
    w.Put(value.c_str(), value.Length());
    w.Put(L"-->");
}

void TiXmlComment::PrintToString(TiXmlString& out, int depth) const {
    for (int i = 0; i < depth; ++i)
        out.Append(L"    ", 4);
    out.Append(L"<!--");
    out.Append(value.c_str(), value.Length());
    out.Append(L"-->");
}
