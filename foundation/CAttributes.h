#pragma once
#include <windows.h>
#include "foundation/CAttribute.h"
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"

class CTByteArray;

// An ordered set of named typed values (request fields, cookies, header lines, style attributes, the
// stored certificate record). Names are unique ignoring case; the set keeps insertion order, which is
// the order its users write the fields out in.
//
// Classes elsewhere use it as a base and override its virtual operations, so their order is fixed:
// destructor, Clear, CopyFrom, Equals.
class CAttributes {
public:
    // One named value. Iterate a set from m_items.GetHead() along GetNext().
    class CItem : public CLinkedListObject, public CAttribute {
    public:
        CItem() = default;
        ~CItem() override = default;

        // Copies name, type, text and value unchanged.
        virtual CItem& CopyFrom(const CItem& other);
        // Copies type, text and value unchanged; the name stays.
        virtual CItem& AssignValue(const CAttribute& value);

        void SetAll(const CTString& name, const CTString& text, __int64 value, int type);
        void GetAll(CTString& name, CTString& text, __int64& value, int& type) const;
        const CTString& GetName() const { return m_name; }
        CItem* GetNextItem() const { return static_cast<CItem*>(static_cast<CLinkedListObject*>(m_next)); }

        CTString m_name;
    };

    CAttributes() = default;
    CAttributes(const CAttributes& other);
    CAttributes& operator=(const CAttributes& other) { return CopyFrom(other); }
    virtual ~CAttributes() = default;   // the list deletes every item

    virtual void Clear();
    // Replaces the contents with copies of other's items in other's order; copying a set from itself
    // leaves it as it was.
    virtual CAttributes& CopyFrom(const CAttributes& other);
    // Same count and, for every item, an item of the same name (ignoring case) with an equal value;
    // order does not matter.
    virtual bool Equals(const CAttributes& other) const;

    CItem* Find(const CTString& name) const;
    CItem* GetHead() const { return static_cast<CItem*>(m_items.m_head); }
    unsigned GetCount() const { return m_items.m_count; }
    // Found: out receives a copy of the value, true. Absent: out untouched, false.
    bool Get(const CTString& name, CAttribute& out) const;
    // out becomes an empty integer value, then a copy of the value when the name is found.
    CAttribute& GetAttribute(CAttribute& out, const CTString& name) const;
    bool GetText(const CTString& name, CTString& out) const;
    bool GetAt(int index, CTString& outName, CAttribute& outValue) const;
    bool HasAt(int index) const;

    // Replace the value of the item of that name in place (the name keeps its first spelling) or append
    // a new item. An empty name returns false and changes nothing.
    bool Set(const CTString& name, const CAttribute& value);
    bool SetNumber(const CTString& name, __int64 value);
    bool SetText(const CTString& name, const CTString& text);
    // Deletes the first item of that name; true whether or not there was one.
    bool Remove(const CTString& name);
    // Keeps the first item of that name and deletes every later one.
    void RemoveDuplicates(const CTString& name);
    // Adds "name=value" pairs split at separators (quotes protect them) as texts; an empty name is
    // skipped. The set is not cleared first.
    void ParseNameValueList(const CTString& text, const CTString& separators);

    static bool NamesEqual(const CTString& a, const CTString& b);

    // Appends the "application/x-www-form-urlencoded" body of the set to out (foundation/FormUrlEncode.cpp):
    // pairs in set order joined by "&" (one first when out is not empty), UTF-8, escaped with
    // FormUrlEncode; dates (types 2 and 10) as signed Unix seconds, every other type as its text.
    void FormEncode(CTByteArray& out) const;

    // mutable: the list's walks are non-const operations, the set's lookups are not.
    mutable CLinkedList m_items;

private:
    CItem* FindOrAppend(const CTString& name);
};
