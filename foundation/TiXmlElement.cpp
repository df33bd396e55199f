#include "foundation/TiXmlElement.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "foundation/TiXmlAttributeIndex.h"
#include "foundation/TiXmlDocument.h"

TiXmlElement::TiXmlElement(const wchar_t* name) : TiXmlNode(ELEMENT) {
    value.Assign(name);
}

TiXmlElement::~TiXmlElement() {
    // Children first, then the attributes (the set's own destructor).
    Clear();
}

void TiXmlElement::SetAttribute(const wchar_t* name, const wchar_t* text) {
    if (!name)
        return;
    if (TiXmlAttribute* a = attributeSet.Find(name)) {
        a->value.Assign(text ? text : L"");
        return;
    }
    TiXmlAttribute* a = new (std::nothrow) TiXmlAttribute(name, text ? text : L"");
    if (!a) {
        if (TiXmlDocument* doc = GetDocument())
            doc->SetError(TIXML_ERROR_OUT_OF_MEMORY, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
        return;
    }
    attributeSet.Add(a);
}

void TiXmlElement::SetAttributeInt(const wchar_t* name, int number) {
    wchar_t buf[16];
    _snwprintf(buf, 16, L"%d", number);
    buf[15] = 0;
    SetAttribute(name, buf);
}

void TiXmlElement::SetAttributeInt64(const wchar_t* name, int64_t number) {
    wchar_t buf[32];
    _snwprintf(buf, 32, L"%I64d", (long long)number);
    buf[31] = 0;
    SetAttribute(name, buf);
}

const wchar_t* TiXmlElement::GetAttribute(const wchar_t* name) const {
    TiXmlAttribute* a = attributeSet.Find(name);
    return a ? a->Value() : nullptr;
}

const wchar_t* TiXmlElement::GetAttributeInt(const wchar_t* name, int* out) const {
    const wchar_t* text = GetAttribute(name);
    if (out)
        *out = text ? _wtoi(text) : 0;
    return text;
}

const wchar_t* TiXmlElement::GetAttributeInt64(const wchar_t* name, int64_t* out) const {
    const wchar_t* text = GetAttribute(name);
    if (out)
        *out = text ? _wtoi64(text) : 0;
    return text;
}

namespace {

// The element's name, user data and attributes in a new element without children. Attributes
// are copied as SetAttribute would (a repeated name keeps its first place and takes the later
// value), through an index once there are many, so that a large element copies in linear time.
TiXmlElement* CopyElementAlone(const TiXmlElement& source) {
    TiXmlElement* copy = new (std::nothrow) TiXmlElement(nullptr);
    if (!copy)
        return nullptr;
    copy->value.AssignString(source.value);
    copy->userData = source.userData;
    TiXmlAttributeIndex index;
    int count = 0;
    for (TiXmlAttribute* a = source.FirstAttribute(); a; a = a->Next()) {
        TiXmlAttribute* existing =
            index.Active() ? index.Find(a->name) : copy->attributeSet.Find(a->name.c_str());
        if (existing) {
            existing->value.Assign(a->Value());
            continue;
        }
        TiXmlAttribute* attribute = new (std::nothrow) TiXmlAttribute(a->Name(), a->Value());
        if (!attribute)
            continue;  // as SetAttribute: nothing added, and a copy has no document to tell
        copy->attributeSet.Add(attribute);
        if (index.Active()) {
            if (!index.Insert(attribute))
                index.Drop();
        } else if (++count == 32 && !index.Build(copy->attributeSet)) {
            index.Drop();
        }
    }
    return copy;
}

const TiXmlElement* AsElement(const TiXmlNode* node) {
    return node->type == TiXmlNode::ELEMENT ? static_cast<const TiXmlElement*>(node) : nullptr;
}

// The two shapes of an element that print on their own: no children, or one text child.
bool PrintsAlone(const TiXmlElement& e) {
    return !e.firstChild || (e.firstChild == e.lastChild && e.firstChild->type == TiXmlNode::TEXT);
}

void AppendIndent(TiXmlString& out, int depth) {
    for (int i = 0; i < depth; ++i)
        out.Append(L"    ", 4);
}

// The start of an element in the string form; the whole element when it prints alone.
void AppendStart(const TiXmlElement& e, TiXmlString& out, int depth) {
    AppendIndent(out, depth);
    out.Append(L"<");
    out.Append(e.value.c_str(), e.value.Length());
    for (TiXmlAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
        out.Append(L" ");
        a->PrintToString(out, depth);
    }
    if (!e.firstChild) {
        out.Append(L" />\n");
    } else if (PrintsAlone(e)) {
        out.Append(L">");
        e.firstChild->PrintToString(out, depth + 1);
        out.Append(L"</");
        out.Append(e.value.c_str(), e.value.Length());
        out.Append(L">\n");
    } else {
        out.Append(L">\n");
    }
}

void AppendEnd(const TiXmlElement& e, TiXmlString& out, int depth) {
    AppendIndent(out, depth);
    out.Append(L"</");
    out.Append(e.value.c_str(), e.value.Length());
    out.Append(L">\n");
}

}  // namespace

// Clone, printing and writing walk the subtree with a stack of their own rather than by
// recursion, so that a deep tree built in code cannot exhaust the thread's stack.

TiXmlNode* TiXmlElement::Clone() const {
    TiXmlElement* root = CopyElementAlone(*this);
    if (!root)
        return nullptr;
    // Each entry: a source element being walked, and its copy.
    std::vector<std::pair<const TiXmlNode*, TiXmlNode*>> open;
    const TiXmlNode* source = firstChild;
    TiXmlNode* target = root;
    while (source) {
        const TiXmlElement* element = AsElement(source);
        // A child that cannot be copied is left out, with its subtree.
        TiXmlNode* copy = element ? CopyElementAlone(*element) : source->Clone();
        if (copy)
            target->LinkEndChild(copy);
        if (copy && element && element->firstChild) {
            open.emplace_back(source, target);
            target = copy;
            source = element->firstChild;
            continue;
        }
        while (!source->next && !open.empty()) {
            source = open.back().first;
            target = open.back().second;
            open.pop_back();
        }
        source = source->next;
    }
    return root;
}

void TiXmlElement::PrintToString(TiXmlString& out, int depth) const {
    AppendStart(*this, out, depth);
    if (PrintsAlone(*this))
        return;
    std::vector<const TiXmlElement*> open{this};
    const TiXmlNode* node = firstChild;
    while (node) {
        int d = depth + (int)open.size();
        const TiXmlElement* element = AsElement(node);
        if (element) {
            AppendStart(*element, out, d);
            if (!PrintsAlone(*element)) {
                open.push_back(element);
                node = element->firstChild;
                continue;
            }
        } else {
            node->PrintToString(out, d);
        }
        // Close the elements this was the last child of.
        while (!node->next && !open.empty()) {
            node = open.back();
            open.pop_back();
            AppendEnd(*static_cast<const TiXmlElement*>(node), out, depth + (int)open.size());
        }
        node = open.empty() ? nullptr : node->next;
    }
}

namespace {

void WriteStart(const TiXmlElement& e, TiXmlWriter& w, int depth) {
    w.Indent(depth);
    w.Put(L"<");
    w.Put(e.value.c_str(), e.value.Length());
    for (TiXmlAttribute* a = e.FirstAttribute(); a; a = a->Next()) {
        w.Put(L" ");
        TiXmlString s;
        a->PrintToString(s, depth);
        w.Put(s.c_str(), s.Length());
    }
}

void WriteEnd(const TiXmlElement& e, TiXmlWriter& w, int depth) {
    w.Put(L"\n");
    w.Indent(depth);
    w.Put(L"</");
    w.Put(e.value.c_str(), e.value.Length());
    w.Put(L">");
}

}  // namespace

void TiXmlElement::Write(TiXmlWriter& w, int depth) const {
    std::vector<const TiXmlElement*> open;
    const TiXmlNode* node = this;
    while (node) {
        int d = depth + (int)open.size();
        if (node != this && node->type != TEXT)
            w.Put(L"\n");
        const TiXmlElement* element = AsElement(node);
        if (!element) {
            node->Write(w, d);
        } else {
            WriteStart(*element, w, d);
            if (!element->firstChild) {
                w.Put(L" />");
            } else if (PrintsAlone(*element)) {
                w.Put(L">");
                element->firstChild->Write(w, d + 1);
                w.Put(L"</");
                w.Put(element->value.c_str(), element->value.Length());
                w.Put(L">");
            } else {
                w.Put(L">");
                open.push_back(element);
                node = element->firstChild;
                continue;
            }
        }
        if (node == this)
            return;
        while (!node->next && !open.empty()) {
            node = open.back();
            open.pop_back();
            WriteEnd(*static_cast<const TiXmlElement*>(node), w, depth + (int)open.size());
        }
        node = open.empty() ? nullptr : node->next;
    }
}
