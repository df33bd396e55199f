#include "foundation/CLinkedList.h"

// ---------------------------------------------------------------------------------------------
// CLinkedList

CLinkedList::~CLinkedList()
{
    DeleteAll();
}

CLinkedListObject* CLinkedList::AddTail(CLinkedListObject* item)
{
    if (!item)
        return nullptr;
    bool empty = !m_head || !m_tail;
    item->m_next = nullptr;
    item->m_prev = empty ? nullptr : m_tail;
    if (empty)
        m_head = item;
    else
        m_tail->m_next = item;
    m_tail = item;
    m_count++;
    return item;
}

CLinkedListObject* CLinkedList::InsertAfter(CLinkedListObject* item, CLinkedListObject* after)
{
    item->m_next = nullptr;
    item->m_prev = nullptr;
    if (!m_head || !m_tail) {
        m_head = m_tail = item;
        m_count++;
        return item;
    }
    if (!after)
        return AddTail(item);
    CLinkedListObject* pos = m_head;
    while (pos && pos != after)
        pos = pos->m_next;
    if (!pos)
        return item;
    item->m_prev = after;
    item->m_next = after->m_next;
    if (after->m_next)
        after->m_next->m_prev = item;
    else
        m_tail = item;
    after->m_next = item;
    m_count++;
    return item;
}

CLinkedListObject* CLinkedList::InsertBefore(CLinkedListObject* item, CLinkedListObject* before)
{
    item->m_next = nullptr;
    item->m_prev = nullptr;
    if (!m_head || !m_tail) {
        m_head = m_tail = item;
        m_count++;
        return item;
    }
    if (!before)
        return InsertAfter(item, GetTail());
    CLinkedListObject* pos = m_head;
    while (pos && pos != before)
        pos = pos->m_next;
    if (!pos)
        return item;
    item->m_next = before;
    item->m_prev = before->m_prev;
    if (before->m_prev)
        before->m_prev->m_next = item;
    else
        m_head = item;
    before->m_prev = item;
    m_count++;
    return item;
}

bool CLinkedList::Remove(CLinkedListObject* item)
{
    if (!item)
        return false;
    CLinkedListObject* pos = GetHead();
    while (pos && pos != item)
        pos = pos->m_next;
    if (!pos)
        return false;
    // The item keeps its own links; the caller owns it again.
    if (item->m_prev)
        item->m_prev->m_next = item->m_next;
    else
        m_head = item->m_next;
    if (item->m_next)
        item->m_next->m_prev = item->m_prev;
    else
        m_tail = item->m_prev;
    m_count--;
    return true;
}

void CLinkedList::Delete(CLinkedListObject* item)
{
    if (!item)
        return;
    Remove(item);
    delete item;
}

CLinkedListObject* CLinkedList::RemoveHead()
{
    CLinkedListObject* head = m_head;
    if (!head)
        return nullptr;
    Remove(head);
    return head;
}

int CLinkedList::DeleteAll()
{
    while (CLinkedListObject* item = m_head) {
        if (!Remove(item))
            break;
        delete item;
    }
    m_head = nullptr;
    m_tail = nullptr;
    return 0;
}

bool CLinkedList::Contains(CLinkedListObject* item)
{
    for (CLinkedListObject* pos = m_head; pos; pos = pos->m_next)
        if (pos == item)
            return true;
    return false;
}

CLinkedListObject* CLinkedList::GetAt(int index)
{
    if (index < 0)
        return nullptr;
    CLinkedListObject* pos = m_head;
    while (pos && index-- > 0)
        pos = pos->m_next;
    return pos;
}

unsigned CLinkedList::GetCount()
{
    return m_count;
}

int CLinkedList::IndexOf(CLinkedListObject* item)
{
    int index = 0;
    for (CLinkedListObject* pos = m_head; pos; pos = pos->m_next, index++)
        if (pos == item)
            return index;
    return -1;
}

bool CLinkedList::IsEmpty()
{
    return !m_head && !m_tail;
}

CLinkedListObject* CLinkedList::GetHead()
{
    return m_head;
}

CLinkedListObject* CLinkedList::GetTail()
{
    return m_tail;
}

int CLinkedList::FindMatch(CLinkedListCompare* key, CLinkedListObject** match)
{
    if (!key)
        return MatchNullKey;
    // The walk ends at the first item that cannot be compared, as at the end of the list.
    for (CLinkedListObject* pos = GetHead(); pos; pos = pos->m_next) {
        auto* item = dynamic_cast<CLinkedListCompare*>(pos);
        if (!item)
            break;
        int code = item->Compare(key);
        if (code == MatchEqual || code == MatchChanged) {
            if (match)
                *match = item;
            return code;
        }
    }
    if (match)
        *match = nullptr;
    return MatchNone;
}

bool CLinkedList::CompareWith(CLinkedList& other, CLinkedList& result)
{
    for (CLinkedListObject* pos = other.GetHead(); pos; pos = pos->m_next) {
        auto* key = dynamic_cast<CLinkedListCompare*>(pos);
        if (!key)
            break;
        CLinkedListObject* match = nullptr;
        int code = FindMatch(key, &match);
        auto* record = new CCompareResult;
        record->m_other = key;
        if (code == MatchEqual || code == MatchChanged) {
            record->m_this = match;
            record->m_state = code;
        } else {
            record->m_state = CCompareResult::OnlyInOther;
        }
        result.AddTail(record);
    }

    for (CLinkedListObject* pos = GetHead(); pos; pos = pos->m_next) {
        if (!dynamic_cast<CLinkedListCompare*>(pos))
            break;
        bool referred = false;
        for (CLinkedListObject* r = result.GetHead(); r && !referred; r = r->m_next) {
            auto* record = dynamic_cast<CCompareResult*>(r);
            if (!record)
                break;
            referred = record->m_this == pos;
        }
        if (!referred) {
            auto* record = new CCompareResult;
            record->m_this = pos;
            record->m_state = CCompareResult::OnlyInThis;
            result.AddTail(record);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// CLinkedListMT: each operation holds the lock for its whole run (re-entrant, so they nest).

namespace {
struct ScopedSection {
    explicit ScopedSection(CCriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~ScopedSection() { m_section.Leave(); }
    CCriticalSection& m_section;
};
} // namespace

CLinkedListObject* CLinkedListMT::AddTail(CLinkedListObject* item)
{
    ScopedSection lock(m_lock);
    return CLinkedList::AddTail(item);
}

CLinkedListObject* CLinkedListMT::InsertAfter(CLinkedListObject* item, CLinkedListObject* after)
{
    ScopedSection lock(m_lock);
    return CLinkedList::InsertAfter(item, after);
}

CLinkedListObject* CLinkedListMT::InsertBefore(CLinkedListObject* item, CLinkedListObject* before)
{
    ScopedSection lock(m_lock);
    return CLinkedList::InsertBefore(item, before);
}

bool CLinkedListMT::Remove(CLinkedListObject* item)
{
    ScopedSection lock(m_lock);
    return CLinkedList::Remove(item);
}

void CLinkedListMT::Delete(CLinkedListObject* item)
{
    ScopedSection lock(m_lock);
    CLinkedList::Delete(item);
}

CLinkedListObject* CLinkedListMT::RemoveHead()
{
    ScopedSection lock(m_lock);
    return CLinkedList::RemoveHead();
}

int CLinkedListMT::DeleteAll()
{
    ScopedSection lock(m_lock);
    return CLinkedList::DeleteAll();
}

bool CLinkedListMT::Contains(CLinkedListObject* item)
{
    ScopedSection lock(m_lock);
    return CLinkedList::Contains(item);
}

CLinkedListObject* CLinkedListMT::GetAt(int index)
{
    ScopedSection lock(m_lock);
    return CLinkedList::GetAt(index);
}

unsigned CLinkedListMT::GetCount()
{
    ScopedSection lock(m_lock);
    return CLinkedList::GetCount();
}

int CLinkedListMT::IndexOf(CLinkedListObject* item)
{
    ScopedSection lock(m_lock);
    return CLinkedList::IndexOf(item);
}

bool CLinkedListMT::IsEmpty()
{
    ScopedSection lock(m_lock);
    return CLinkedList::IsEmpty();
}

CLinkedListObject* CLinkedListMT::GetHead()
{
    ScopedSection lock(m_lock);
    return CLinkedList::GetHead();
}

CLinkedListObject* CLinkedListMT::GetTail()
{
    ScopedSection lock(m_lock);
    return CLinkedList::GetTail();
}
