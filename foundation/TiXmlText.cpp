#include "foundation/TiXmlText.h"

#include <new>

bool TiXmlText::IsBlank() const {
    for (const wchar_t* p = value.c_str(); *p; ++p)
        if (!IsWhiteSpace(*p))
            return false;
    return true;
}

TiXmlNode* TiXmlText::Clone() const {
    TiXmlText* copy = new (std::nothrow) TiXmlText(nullptr);
    if (copy)
        CopyBaseTo(copy);
    return copy;
}

void TiXmlText::Write(TiXmlWriter& w, int) const {
    TiXmlString s;
    EncodeString(value, s);
    w.Put(s.c_str(), s.Length());
}

void TiXmlText::PrintToString(TiXmlString& out, int) const {
    EncodeString(value, out);
}
