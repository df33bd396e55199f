#include "foundation/CAttributes.h"
#include "foundation/CTTokenString.h"

CAttributes::CItem& CAttributes::CItem::CopyFrom(const CItem& other)
{
    if (&other != this) {
        m_name.Assign(other.m_name);
        AssignValue(other);
    }
    return *this;
}

CAttributes::CItem& CAttributes::CItem::AssignValue(const CAttribute& value)
{
    m_type = value.m_type;
    m_text.Assign(value.m_text);
    m_value = value.m_value;
    return *this;
}

void CAttributes::CItem::SetAll(const CTString& name, const CTString& text, __int64 value, int type)
{
    m_name.Assign(name);
    m_text.Assign(text);
    m_value = value;
    m_type = type;
}

void CAttributes::CItem::GetAll(CTString& name, CTString& text, __int64& value, int& type) const
{
    name.Assign(m_name);
    text.Assign(m_text);
    value = m_value;
    type = m_type;
}

CAttributes::CAttributes(const CAttributes& other)
{
    CopyFrom(other);
}

void CAttributes::Clear()
{
    m_items.DeleteAll();
}

CAttributes& CAttributes::CopyFrom(const CAttributes& other)
{
    // Clearing first would empty the source as well.
    if (&other == this)
        return *this;
    Clear();
    for (CItem* item = other.GetHead(); item; item = item->GetNextItem()) {
        CItem* copy = new CItem;
        copy->CopyFrom(*item);
        m_items.AddTail(copy);
    }
    return *this;
}

bool CAttributes::Equals(const CAttributes& other) const
{
    if (GetCount() != other.GetCount())
        return false;
    for (CItem* item = GetHead(); item; item = item->GetNextItem()) {
        CItem* match = other.Find(item->m_name);
        if (!match)
            return false;
        CAttribute value(*match);
        if (!item->IsEqual(value))
            return false;
    }
    return true;
}

bool CAttributes::NamesEqual(const CTString& a, const CTString& b)
{
    return a.GetLength() == b.GetLength() && a.CompareNoCase(b) == 0;
}

CAttributes::CItem* CAttributes::Find(const CTString& name) const
{
    for (CItem* item = GetHead(); item; item = item->GetNextItem()) {
        if (NamesEqual(item->m_name, name))
            return item;
    }
    return nullptr;
}

bool CAttributes::Get(const CTString& name, CAttribute& out) const
{
    CItem* item = Find(name);
    if (!item)
        return false;
    out.Assign(*item);
    return true;
}

CAttribute& CAttributes::GetAttribute(CAttribute& out, const CTString& name) const
{
    out.Clear();
    if (CItem* item = Find(name))
        out.Assign(*item);
    return out;
}

bool CAttributes::GetText(const CTString& name, CTString& out) const
{
    CItem* item = Find(name);
    if (!item)
        return false;
    out.AssignText(item->GetText());
    return true;
}

bool CAttributes::GetAt(int index, CTString& outName, CAttribute& outValue) const
{
    CItem* item = static_cast<CItem*>(m_items.GetAt(index));
    if (!item)
        return false;
    outName.Assign(item->m_name);
    outValue.Assign(*item);
    return true;
}

bool CAttributes::HasAt(int index) const
{
    return m_items.GetAt(index) != nullptr;
}

CAttributes::CItem* CAttributes::FindOrAppend(const CTString& name)
{
    RemoveDuplicates(name);
    if (CItem* item = Find(name))
        return item;
    CItem* item = new CItem;
    item->m_name.Assign(name);
    m_items.AddTail(item);
    return item;
}

bool CAttributes::Set(const CTString& name, const CAttribute& value)
{
    if (name.IsEmpty())
        return false;
    // A copy first: value may be an item of this very set.
    CAttribute copy(value);
    FindOrAppend(name)->AssignValue(copy);
    return true;
}

bool CAttributes::SetNumber(const CTString& name, __int64 value)
{
    if (name.IsEmpty())
        return false;
    FindOrAppend(name)->SetValue(CAttribute::Integer, value);
    return true;
}

bool CAttributes::SetText(const CTString& name, const CTString& text)
{
    if (name.IsEmpty())
        return false;
    CTString copy(text);
    FindOrAppend(name)->SetText(CAttribute::Text, copy);
    return true;
}

bool CAttributes::Remove(const CTString& name)
{
    if (CItem* item = Find(name))
        m_items.Delete(item);
    return true;
}

void CAttributes::RemoveDuplicates(const CTString& name)
{
    bool seen = false;
    CItem* item = GetHead();
    while (item) {
        CItem* next = item->GetNextItem();
        if (NamesEqual(item->m_name, name)) {
            if (seen)
                m_items.Delete(item);
            seen = true;
        }
        item = next;
    }
}

void CAttributes::ParseNameValueList(const CTString& text, const CTString& separators)
{
    CTTokenString pairs(text);
    if (!separators.IsEmpty())
        pairs.SetSeparators(separators);
    CTString pair;
    for (unsigned index = 0; pairs.GetToken(index, pair); ++index) {
        CTTokenString parts(pair);
        parts.SetSeparators(CTString(L"="));
        // The name is the first field: a pair that starts with '=' has no name and is skipped.
        CTString name, value;
        parts.GetTokenUncached(0, name);
        parts.GetToken(1, value);
        name.Trim(L' ');
        value.Trim(L' ');
        if (name.IsEmpty())
            continue;
        SetText(name, value);
    }
}
