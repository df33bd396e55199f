#pragma once
#include <windows.h>
#include "foundation/CCriticalSection.h"

// Base of every item that can sit in a CLinkedList. The links belong to the list the item is in;
// destroying an item does not unlink it.
class CLinkedListObject {
public:
    CLinkedListObject() = default;
    // A copy is a new, unlinked item.
    CLinkedListObject(const CLinkedListObject&) {}
    CLinkedListObject& operator=(const CLinkedListObject&) { return *this; }
    virtual ~CLinkedListObject() = default;

    CLinkedListObject* GetNext() const { return m_next; }
    CLinkedListObject* GetPrev() const { return m_prev; }

    CLinkedListObject* m_next = nullptr;
    CLinkedListObject* m_prev = nullptr;
};

class CLinkedListCompare;

// Intrusive doubly linked list that owns its items: Delete, DeleteAll and the destructor delete them.
// Iterate from GetHead() along GetNext().
class CLinkedList {
public:
    // One record of CompareWith: which item of this list matches which item of the other list.
    class CCompareResult : public CLinkedListObject {
    public:
        enum State : int {
            Equal = 0,         // same identity, unchanged
            Changed = 1,       // same identity, changed
            Initial = 3,
            OnlyInOther = 4,
            OnlyInThis = 5,
        };
        CLinkedListObject* m_this = nullptr;   // not owned
        CLinkedListObject* m_other = nullptr;  // not owned
        int m_state = Initial;
    };

    // FindMatch results.
    enum MatchResult : int { MatchEqual = 0, MatchChanged = 1, MatchNone = 2, MatchNullKey = 3 };

    CLinkedList() = default;
    CLinkedList(const CLinkedList&) = delete;
    CLinkedList& operator=(const CLinkedList&) = delete;
    virtual ~CLinkedList();

    virtual CLinkedListObject* AddTail(CLinkedListObject* item);
    virtual CLinkedListObject* InsertAfter(CLinkedListObject* item, CLinkedListObject* after);
    virtual CLinkedListObject* InsertBefore(CLinkedListObject* item, CLinkedListObject* before);
    virtual bool Remove(CLinkedListObject* item);
    virtual void Delete(CLinkedListObject* item);
    virtual CLinkedListObject* RemoveHead();
    virtual int DeleteAll();
    virtual bool Contains(CLinkedListObject* item);
    virtual CLinkedListObject* GetAt(int index);
    virtual unsigned GetCount();
    virtual int IndexOf(CLinkedListObject* item);
    virtual bool IsEmpty();
    virtual CLinkedListObject* GetHead();
    virtual CLinkedListObject* GetTail();
    // Appends CCompareResult records to result: first one per comparable item of other (state 0, 1 or 4),
    // then one per item of this list that no record refers to (state 5).
    virtual bool CompareWith(CLinkedList& other, CLinkedList& result);
    // The first comparable item whose Compare with key answers 0 or 1; see MatchResult.
    virtual int FindMatch(CLinkedListCompare* key, CLinkedListObject** match);

    CLinkedListObject* m_head = nullptr;
    CLinkedListObject* m_tail = nullptr;
    unsigned m_count = 0;
};

// An item that CompareWith and FindMatch can match.
class CLinkedListCompare : public CLinkedListObject {
public:
    // 0: same identity and equal; 1: same identity, changed; anything else: a different object.
    virtual int Compare(CLinkedListCompare* key) = 0;
};

// A CLinkedList whose own operations hold its critical section. CompareWith and FindMatch are not locked.
class CLinkedListMT : public CLinkedList {
public:
    CLinkedListMT() = default;
    // The critical section goes first (member), then the base deletes the items unlocked.
    ~CLinkedListMT() override = default;

    CLinkedListObject* AddTail(CLinkedListObject* item) override;
    CLinkedListObject* InsertAfter(CLinkedListObject* item, CLinkedListObject* after) override;
    CLinkedListObject* InsertBefore(CLinkedListObject* item, CLinkedListObject* before) override;
    bool Remove(CLinkedListObject* item) override;
    void Delete(CLinkedListObject* item) override;
    CLinkedListObject* RemoveHead() override;
    int DeleteAll() override;
    bool Contains(CLinkedListObject* item) override;
    CLinkedListObject* GetAt(int index) override;
    unsigned GetCount() override;
    int IndexOf(CLinkedListObject* item) override;
    bool IsEmpty() override;
    CLinkedListObject* GetHead() override;
    CLinkedListObject* GetTail() override;

    CCriticalSection m_lock;
};

// Holds a CLinkedListMT's lock for a scope, so that several operations or a walk are atomic.
class CLinkedListMTLock {
public:
    explicit CLinkedListMTLock(CLinkedListMT& list) : m_list(list) { m_list.m_lock.Enter(); }
    explicit CLinkedListMTLock(CLinkedListMT* list) : CLinkedListMTLock(*list) {}
    ~CLinkedListMTLock() { m_list.m_lock.Leave(); }
    CLinkedListMTLock(const CLinkedListMTLock&) = delete;
    CLinkedListMTLock& operator=(const CLinkedListMTLock&) = delete;

private:
    CLinkedListMT& m_list;
};

// A list item holding one 32-bit value.
class CLinkedListDWORD : public CLinkedListObject {
public:
    CLinkedListDWORD() = default;
    explicit CLinkedListDWORD(DWORD value) : m_value(value) {}

    virtual void Assign(const CLinkedListDWORD& other) { m_value = other.m_value; }
    virtual bool Equals(DWORD value) const { return m_value == value; }
    virtual bool Equals(const CLinkedListDWORD& other) const { return m_value == other.m_value; }
    virtual void Set(DWORD value) { m_value = value; }
    virtual DWORD Get() const { return m_value; }

    DWORD m_value = 0;
};
