#pragma once
#include "foundation/TiXmlBase.h"

class TiXmlElement;

// A node of the tree. A node owns its children: deleting it deletes the whole subtree.
class TiXmlNode : public TiXmlBase {
public:
    enum NodeType {
        DOCUMENT = 0,
        ELEMENT = 1,
        COMMENT = 2,
        UNKNOWN = 3,
        TEXT = 4,
        DECLARATION = 5,
    };

    ~TiXmlNode() override;

    virtual int GetType() const { return type; }
    // A new copy of the node and, for containers, its subtree; null when it cannot be made.
    virtual TiXmlNode* Clone() const = 0;

    const wchar_t* Value() const { return value.c_str(); }
    void SetValue(const wchar_t* text) { value.Assign(text); }
    TiXmlNode* Parent() const { return parent; }
    TiXmlNode* FirstChild() const { return firstChild; }
    TiXmlNode* LastChild() const { return lastChild; }
    TiXmlNode* PreviousSibling() const { return prev; }
    TiXmlNode* NextSibling() const { return next; }
    TiXmlElement* ToElement();
    const TiXmlElement* ToElement() const;

    // Navigation by exact, case-sensitive comparison of the whole value; a null name matches nothing.
    TiXmlNode* FirstChildNamed(const wchar_t* name) const;
    TiXmlNode* NextSiblingNamed(const wchar_t* name) const;
    TiXmlElement* FirstChildElementNamed(const wchar_t* name) const;
    TiXmlElement* NextSiblingElementNamed(const wchar_t* name) const;
    TiXmlElement* RootElement() const;
    TiXmlElement* NextSiblingElement() const;
    TiXmlNode* IterateChildren(const TiXmlNode* previous) const;
    TiXmlNode* IterateChildren(const wchar_t* name, const TiXmlNode* previous) const;
    // The node itself or its nearest ancestor that is a document; null when there is none.
    TiXmlDocument* GetDocument() const;

    // Takes ownership of node and appends it as the last child.
    TiXmlNode* LinkEndChild(TiXmlNode* node);
    // Appends a clone of node; null when the clone cannot be made.
    TiXmlNode* InsertEndChildCopy(const TiXmlNode& node);
    // Unlinks and deletes node; false when this node is not its parent.
    bool RemoveChild(TiXmlNode* node);
    // Deletes every child.
    void Clear();

    // The node's string form at depth 0, appended to out.
    static TiXmlString& AppendToString(TiXmlString& out, const TiXmlNode& node);

    // A new, unlinked node of the class the markup at text calls for, its parent set to this
    // node; null when the text, after white space, is not markup.
    TiXmlNode* Identify(const wchar_t* text, int encoding);

    TiXmlNode* parent = nullptr;
    int type = DOCUMENT;
    TiXmlNode* firstChild = nullptr;
    TiXmlNode* lastChild = nullptr;
    TiXmlString value;
    TiXmlNode* prev = nullptr;
    TiXmlNode* next = nullptr;

protected:
    explicit TiXmlNode(int nodeType) : type(nodeType) {}
    // The fields every clone shares: value and user data.
    void CopyBaseTo(TiXmlNode* target) const;
};
