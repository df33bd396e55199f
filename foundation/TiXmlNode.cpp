#include "foundation/TiXmlNode.h"

#include <new>

#include "foundation/TiXmlDocument.h"

TiXmlNode::~TiXmlNode() {
    Clear();
}

void TiXmlNode::Clear() {
    // Iterative, so that deleting a deep tree cannot exhaust the stack: a child's own children
    // are moved up behind the last child before the child itself is deleted.
    while (TiXmlNode* child = firstChild) {
        if (child->firstChild) {
            for (TiXmlNode* n = child->firstChild; n; n = n->next)
                n->parent = this;
            lastChild->next = child->firstChild;
            child->firstChild->prev = lastChild;
            lastChild = child->lastChild;
            child->firstChild = child->lastChild = nullptr;
        }
        firstChild = child->next;
        if (firstChild)
            firstChild->prev = nullptr;
        else
            lastChild = nullptr;
        delete child;
    }
}

TiXmlElement* TiXmlNode::ToElement() {
    return type == ELEMENT ? static_cast<TiXmlElement*>(this) : nullptr;
}

const TiXmlElement* TiXmlNode::ToElement() const {
    return type == ELEMENT ? static_cast<const TiXmlElement*>(this) : nullptr;
}

TiXmlNode* TiXmlNode::FirstChildNamed(const wchar_t* name) const {
    if (!name)
        return nullptr;
    for (TiXmlNode* n = firstChild; n; n = n->next)
        if (n->value.Equals(name))
            return n;
    return nullptr;
}

TiXmlNode* TiXmlNode::NextSiblingNamed(const wchar_t* name) const {
    if (!name)
        return nullptr;
    for (TiXmlNode* n = next; n; n = n->next)
        if (n->value.Equals(name))
            return n;
    return nullptr;
}

TiXmlElement* TiXmlNode::FirstChildElementNamed(const wchar_t* name) const {
    for (TiXmlNode* n = FirstChildNamed(name); n; n = n->NextSiblingNamed(name))
        if (n->type == ELEMENT)
            return static_cast<TiXmlElement*>(n);
    return nullptr;
}

TiXmlElement* TiXmlNode::NextSiblingElementNamed(const wchar_t* name) const {
    for (TiXmlNode* n = NextSiblingNamed(name); n; n = n->NextSiblingNamed(name))
        if (n->type == ELEMENT)
            return static_cast<TiXmlElement*>(n);
    return nullptr;
}

TiXmlElement* TiXmlNode::RootElement() const {
    for (TiXmlNode* n = firstChild; n; n = n->next)
        if (n->type == ELEMENT)
            return static_cast<TiXmlElement*>(n);
    return nullptr;
}

TiXmlElement* TiXmlNode::NextSiblingElement() const {
    for (TiXmlNode* n = next; n; n = n->next)
        if (n->type == ELEMENT)
            return static_cast<TiXmlElement*>(n);
    return nullptr;
}

TiXmlNode* TiXmlNode::IterateChildren(const TiXmlNode* previous) const {
    return previous ? previous->next : firstChild;
}

TiXmlNode* TiXmlNode::IterateChildren(const wchar_t* name, const TiXmlNode* previous) const {
    return previous ? previous->NextSiblingNamed(name) : FirstChildNamed(name);
}

TiXmlDocument* TiXmlNode::GetDocument() const {
    for (const TiXmlNode* n = this; n; n = n->parent)
        if (n->type == DOCUMENT)
            return const_cast<TiXmlDocument*>(static_cast<const TiXmlDocument*>(n));
    return nullptr;
}

TiXmlNode* TiXmlNode::LinkEndChild(TiXmlNode* node) {
    if (!node)
        return nullptr;
    node->parent = this;
    node->prev = lastChild;
    node->next = nullptr;
    if (lastChild)
        lastChild->next = node;
    else
        firstChild = node;
    lastChild = node;
    return node;
}

TiXmlNode* TiXmlNode::InsertEndChildCopy(const TiXmlNode& node) {
    TiXmlNode* copy = node.Clone();
    return copy ? LinkEndChild(copy) : nullptr;
}

bool TiXmlNode::RemoveChild(TiXmlNode* node) {
    if (!node || node->parent != this)
        return false;
    if (node->next)
        node->next->prev = node->prev;
    else
        lastChild = node->prev;
    if (node->prev)
        node->prev->next = node->next;
    else
        firstChild = node->next;
    delete node;
    return true;
}

TiXmlString& TiXmlNode::AppendToString(TiXmlString& out, const TiXmlNode& node) {
    node.PrintToString(out, 0);
    return out;
}

void TiXmlNode::CopyBaseTo(TiXmlNode* target) const {
    target->value.AssignString(value);
    target->userData = userData;
}
