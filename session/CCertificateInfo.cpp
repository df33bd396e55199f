#include "session/CCertificateInfo.h"
#include <cwchar>

CCertificateInfo::CCertificateInfo()
{
    m_header1 = 0;
    m_header2 = 1;
    m_header3 = 1;
    m_header4 = 0;
}

CTString CCertificateInfo::GetText(const CTString& name) const
{
    CTString text;
    if (!CAttributes::GetText(name, text) || text.IsEmpty())
        return CTString();
    const wchar_t* begin = text.GetBuffer();
    const wchar_t* end = begin + text.GetLength();
    // The last line: after the last CR or LF that has something behind it.
    while (end > begin && (end[-1] == L'\r' || end[-1] == L'\n')) --end;
    const wchar_t* start = end;
    while (start > begin && start[-1] != L'\r' && start[-1] != L'\n') --start;
    auto strip = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'"' || c == L'\r' || c == L'\n'; };
    while (start < end && strip(*start)) ++start;
    while (end > start && strip(end[-1])) --end;
    CTString out;
    if (end > start) {
        wchar_t* buffer = out.Reserve(static_cast<unsigned>(end - start) + 1);
        wmemcpy(buffer, start, end - start);
        buffer[end - start] = 0;
        out.ReleaseBuffer();
    }
    return out;
}

int CCertificateInfo::Compare(CLinkedListCompare* key)
{
    auto* other = dynamic_cast<CCertificateInfo*>(key);
    if (!other)
        return 2;
    CItem* a = Find(L"ID");
    CItem* b = other->Find(L"ID");
    if ((a == nullptr) != (b == nullptr) || (a && !a->IsEqual(*b)))
        return 2;
    CAttributes mine(*this);
    CAttributes theirs(*other);
    mine.Remove(L"SERVERID");
    theirs.Remove(L"SERVERID");
    return mine.Equals(theirs) ? 0 : 1;
}

void CCertificateInfo::WriteTo(CSLItem& item)
{
    item.Clear();
    item.m_header1 = m_header1;
    item.m_header2 = m_header2;
    item.m_header3 = m_header3;
    item.m_header4 = m_header4;
    item.AddInt32(static_cast<int>(GetCount()));
    for (CItem* it = GetHead(); it; it = it->GetNextItem()) {
        item.AddText(it->GetName());
        item.AddText(it->GetString());
        item.AddInt64(it->GetValue());
        item.AddInt32(it->GetType());
    }
}

void CCertificateInfo::ReadFrom(CSLItem& item)
{
    Clear();
    m_header1 = item.m_header1;
    m_header2 = item.m_header2;
    m_header3 = item.m_header3;
    m_header4 = item.m_header4;
    int count = 0;
    if (!item.GetInt32(0, count) || count < 0)
        count = 0;
    unsigned index = 1;
    for (int i = 0; i < count && index < item.GetFieldCount(); ++i) {
        CTString name, text;
        __int64 value = 0;
        int type = 0;
        item.GetText(index++, name);
        item.GetText(index++, text);
        item.GetInt64(index++, value);
        if (item.GetFieldType(index) == CSLItem::Int32)
            item.GetInt32(index++, type);
        if (name.IsEmpty())
            continue;
        // A repeated name is set again in the place of its first occurrence.
        CAttribute attribute;
        attribute.Set(type, value, text);
        Set(name, attribute);
    }
}
