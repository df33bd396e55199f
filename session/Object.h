#pragma once
// One object of the server's directory: identity, place in the tree, version, name, timestamps,
// typed attributes keyed by the server's attribute id, and privileges. A value: every holder keeps
// its own copy. Its changes go back to the server as form fields (CollectChanges,
// CollectPrivilegeChanges).
#include <windows.h>
#include <map>
#include <vector>
#include "foundation/CAttribute.h"
#include "foundation/CAttributes.h"
#include "foundation/CTString.h"
#include "foundation/CTStringLocale.h"
#include "framework/CWMFormData.h"

class TiXmlElement;

class Object : public CWindowManager::CWMFormData {
public:
    class Attribute : public CAttribute {
    public:
        enum Flags : DWORD {
            Default = 1,      // the server supplied a default or inherited value
            Dirty = 2,        // changed since read; will be posted
            Link = 4,         // the value is another object's id
            LinkArray = 8,    // the value is a "/1/22/" list of ids
            Inherit = 0x10,   // the server marks the attribute inheritable
        };

        Attribute() = default;
        Attribute(const Attribute& other);
        Attribute& operator=(const Attribute& other);
        ~Attribute() override = default;

        // Assigning a plain value copies type, text and value; name, edit spec and flags stay.
        CAttribute& Assign(const CAttribute& other) override;

        CTString name;
        CTString editSpec;
        DWORD flags = 0;
    };

    struct Privilege {
        CTString name;
        bool dirty = false;
        bool granted = false;
    };

    Object() = default;
    Object(const Object& other);
    Object& operator=(const Object& other) { return Assign(other); }
    ~Object() override;

    virtual Object& Assign(const Object& other);
    virtual void ReadFromXml(TiXmlElement* element, bool clearFirst);
    // Created and updated keep their values.
    virtual void Clear();

    bool IsModified() const;

    // Lookups by name take the first attribute in id order whose name matches with case.
    CAttribute& GetAttribute(CAttribute& out, const CTString& name) const;
    bool HasAttribute(const CTString& name) const;
    int GetAttributeId(const CTString& name) const;
    bool GetAttributeNameById(int id, CTString& out) const;
    void GetAttributeEditSpec(const CTString& name, CTString& out) const;
    bool IsAttributeDefault(const CTString& name) const { return HasFlag(name, Attribute::Default); }
    bool IsAttributeDirty(const CTString& name) const { return HasFlag(name, Attribute::Dirty); }
    bool IsAttributeLink(const CTString& name) const { return HasFlag(name, Attribute::Link); }
    bool IsAttributeLinkArray(const CTString& name) const { return HasFlag(name, Attribute::LinkArray); }
    bool IsAttributeInheritable(const CTString& name) const { return HasFlag(name, Attribute::Inherit); }

    // Marks the attribute dirty (and its own) when the value differs; an absent name changes nothing.
    void SetAttribute(const CTString& name, const CAttribute& value);
    // As SetAttribute; an absent id gets a new nameless attribute first.
    void SetAttributeById(int id, const CAttribute& value);
    // The inherited value becomes the object's own.
    void OverrideDefault(const CTString& name);
    // The object's own value is to be deleted on the server.
    void ResetAttribute(const CTString& name);
    void ClearAttributeDirty(const CTString& name);

    bool GetPrivilege(const CTString& name) const;
    void SetPrivilege(const CTString& name, bool granted);

    // "ATTRIBID_%d" per dirty attribute, "ATTRIBIDDEL_%d" for a reset one; true when any was dirty.
    bool CollectChanges(CAttributes& form, bool clearDirty);
    // "PRIVID_%d" = 1 or 0 per dirty privilege; always clears the dirty marks.
    void CollectPrivilegeChanges(CAttributes& form);

    // Edit definitions, value lists, link arrays and the display name.
    bool EditSpecItemEquals(const CTString& name, const CTString& key, const CTString& text) const;
    CAttribute& GetEditSpecItem(CAttribute& out, const CTString& name, const CTString& key) const;
    CAttribute& GetAttributeValueText(CAttribute& out, const CTString& name) const;
    bool FindAllowedValueIndex(const CTString& name, const CTString& text, __int64& index) const;
    std::vector<__int64>& GetLinkArray(std::vector<__int64>& out, const CTString& name) const;
    void SetLinkArray(const CTString& name, const std::vector<__int64>& ids);
    void ApplyConsoleDisplayName();

    Attribute* FindAttribute(const CTString& name);
    const Attribute* FindAttribute(const CTString& name) const;
    Privilege* FindPrivilege(const CTString& name);
    const Privilege* FindPrivilege(const CTString& name) const;

    __int64 id = 0;
    __int64 type = 0;
    __int64 parent = 0;
    __int64 serial = 0;
    CTStringLocale name;
    CTString path;
    CAttribute created;
    CAttribute updated;
    UINT64 viewHandle = 0;   // a view's own handle (tree item); never from the server
    BYTE viewFlag = 0;       // a view's own state mark; never from the server
    std::map<int, Attribute> attributes;
    std::map<int, Privilege> privileges;

private:
    bool HasFlag(const CTString& name, DWORD flag) const;
    static void MarkChanged(Attribute& attribute, const CAttribute& value);
};

// Decimal text as the object XML carries it: leading blanks and a sign, digits up to the first other
// character, 0 without digits. The 32-bit reader wraps to 32 bits like the server's own fields.
int ReadDecimal32(const wchar_t* text);
__int64 ReadDecimal64(const wchar_t* text);

bool EditSpecItemEquals(const Object::Attribute& attribute, const CTString& key, const CTString& text);
// Appends id for a non-zero non-text flag (once), else removes every occurrence of id.
void AddOrRemoveByFlag(std::vector<__int64>& ids, __int64 id, const CAttribute& flag);
// Appends, in order, each id of more that ids does not hold yet.
void MergeUnique(std::vector<__int64>& ids, const std::vector<__int64>& more);
// List order: "display_order", then "end_date", then the user-language "name" attribute, then the
// stored names. A strict weak ordering, so it may be given to std::sort.
bool ObjectSortsBefore(const Object& a, const Object& b);
bool ObjectCreatedBefore(const Object& a, const Object& b);
