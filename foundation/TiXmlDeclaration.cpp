#include "foundation/TiXmlDeclaration.h"

#include <new>

TiXmlDeclaration::TiXmlDeclaration(const wchar_t* standaloneText) : TiXmlNode(DECLARATION) {
    version.Assign(L"1.0");
    encoding.Assign(L"UTF-8");
    standalone.Assign(standaloneText ? standaloneText : L"");
}

TiXmlNode* TiXmlDeclaration::Clone() const {
    TiXmlDeclaration* copy = new (std::nothrow) TiXmlDeclaration();
    if (!copy)
        return nullptr;
    CopyBaseTo(copy);
    copy->version.AssignString(version);
    copy->encoding.AssignString(encoding);
    copy->standalone.AssignString(standalone);
    return copy;
}

void TiXmlDeclaration::Write(TiXmlWriter& w, int) const {
    // The raw field texts, no indentation.
    w.Put(L"<?xml ");
    if (!version.IsEmpty()) {
        w.Put(L"version=\"");
        w.Put(version.c_str());
        w.Put(L"\" ");
    }
    if (!encoding.IsEmpty()) {
        w.Put(L"encoding=\"");
        w.Put(encoding.c_str());
        w.Put(L"\" ");
    }
    if (!standalone.IsEmpty()) {
        w.Put(L"standalone=\"");
        w.Put(standalone.c_str());
        w.Put(L"\" ");
    }
    w.Put(L"?>");
}

void TiXmlDeclaration::PrintToString(TiXmlString& out, int) const {
    out.Append(L"<?xml ");
    const struct {
        const wchar_t* name;
        const TiXmlString* field;
    } fields[] = {{L"version", &version}, {L"encoding", &encoding}, {L"standalone", &standalone}};
    for (const auto& f : fields) {
        if (f.field->IsEmpty())
            continue;
        out.Append(f.name);
        out.Append(L"=\"");
        EncodeString(*f.field, out);
        out.Append(L"\" ");
    }
    out.Append(L"?>");
}
