// CLinkedList and its relatives: ownership, the insert/remove edge cases, comparing lists, locking.
#include "foundation/CLinkedList.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

// An item that counts its destructions.
struct Item : CLinkedListObject {
    explicit Item(int id = 0, int* deaths = nullptr) : m_id(id), m_deaths(deaths) {}
    ~Item() override
    {
        if (m_deaths)
            ++*m_deaths;
    }
    int m_id;
    int* m_deaths;
};

// A comparable record: same key means same identity; value differences mean changed.
struct Keyed : CLinkedListCompare {
    Keyed(int key, int value) : m_key(key), m_value(value) {}
    int Compare(CLinkedListCompare* other) override
    {
        auto* keyed = static_cast<Keyed*>(other);
        if (keyed->m_key != m_key)
            return 7;
        return keyed->m_value == m_value ? 0 : 1;
    }
    int m_key;
    int m_value;
};

std::vector<int> Ids(CLinkedList& list)
{
    std::vector<int> ids;
    for (CLinkedListObject* pos = list.GetHead(); pos; pos = pos->GetNext())
        ids.push_back(static_cast<Item*>(pos)->m_id);
    // The back links must mirror the forward ones.
    std::vector<int> backwards;
    for (CLinkedListObject* pos = list.GetTail(); pos; pos = pos->GetPrev())
        backwards.insert(backwards.begin(), static_cast<Item*>(pos)->m_id);
    EXPECT_EQ(ids, backwards);
    EXPECT_EQ(ids.size(), list.GetCount());
    return ids;
}

} // namespace

TEST(CLinkedList, AddAndInsertKeepLinksAndCount)
{
    CLinkedList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.AddTail(nullptr));
    EXPECT_EQ(0u, list.GetCount());

    auto* a = new Item(1);
    auto* c = new Item(3);
    EXPECT_EQ(a, list.AddTail(a));
    list.AddTail(c);
    list.InsertAfter(new Item(2), a);
    list.InsertBefore(new Item(0), a);
    list.InsertBefore(new Item(5), nullptr);   // null position: appended
    list.InsertAfter(new Item(6), nullptr);    // null position: appended
    list.InsertAfter(new Item(4), c);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6}), Ids(list));
    EXPECT_FALSE(list.IsEmpty());

    CLinkedList empty;
    auto* only = new Item(9);
    empty.InsertBefore(only, a);   // empty list: becomes head and tail whatever the position
    EXPECT_EQ(only, empty.GetHead());
    EXPECT_EQ(only, empty.GetTail());
}

TEST(CLinkedList, InsertingAtAPositionOutsideTheListReturnsTheItemUnlinked)
{
    int deaths = 0;
    CLinkedList list;
    list.AddTail(new Item(1));
    list.AddTail(new Item(2));
    Item stranger(99);
    for (bool before : {false, true}) {
        Item* item = new Item(7, &deaths);
        item->m_next = item->m_prev = &stranger;
        CLinkedListObject* result = before ? list.InsertBefore(item, &stranger) : list.InsertAfter(item, &stranger);
        EXPECT_EQ(item, result);
        EXPECT_EQ(nullptr, item->m_next);
        EXPECT_EQ(nullptr, item->m_prev);
        EXPECT_EQ((std::vector<int>{1, 2}), Ids(list));
        delete item;
    }
    EXPECT_EQ(2, deaths);
}

TEST(CLinkedList, RemoveHandsBackOwnershipAndKeepsTheOldLinks)
{
    int deaths = 0;
    CLinkedList list;
    auto* a = new Item(1, &deaths);
    auto* b = new Item(2, &deaths);
    auto* c = new Item(3, &deaths);
    list.AddTail(a);
    list.AddTail(b);
    list.AddTail(c);

    Item outsider(50);
    EXPECT_FALSE(list.Remove(&outsider));
    EXPECT_FALSE(list.Remove(nullptr));
    EXPECT_EQ(3u, list.GetCount());

    EXPECT_TRUE(list.Remove(b));
    EXPECT_EQ(c, b->m_next);   // the removed item's links are left as they were
    EXPECT_EQ(a, b->m_prev);
    EXPECT_EQ((std::vector<int>{1, 3}), Ids(list));
    EXPECT_EQ(0, deaths);
    delete b;

    EXPECT_EQ(a, list.RemoveHead());
    EXPECT_EQ((std::vector<int>{3}), Ids(list));
    delete a;
    EXPECT_TRUE(list.Remove(c));
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.RemoveHead());
    delete c;
    EXPECT_EQ(3, deaths);
}

TEST(CLinkedList, DeleteAndDestructionDeleteTheItems)
{
    int deaths = 0;
    {
        CLinkedList list;
        auto* a = new Item(1, &deaths);
        list.AddTail(a);
        list.AddTail(new Item(2, &deaths));
        list.AddTail(new Item(3, &deaths));
        list.Delete(a);
        EXPECT_EQ(1, deaths);
        list.Delete(new Item(4, &deaths));   // not in the list: still deleted, list unchanged
        EXPECT_EQ(2, deaths);
        EXPECT_EQ((std::vector<int>{2, 3}), Ids(list));
        list.Delete(nullptr);
    }
    EXPECT_EQ(4, deaths);

    CLinkedList list;
    list.AddTail(new Item(1, &deaths));
    list.AddTail(new Item(2, &deaths));
    EXPECT_EQ(0, list.DeleteAll());
    EXPECT_EQ(6, deaths);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(0u, list.GetCount());
}

TEST(CLinkedList, PositionsAndLookups)
{
    CLinkedList list;
    auto* a = new Item(1);
    auto* b = new Item(2);
    list.AddTail(a);
    list.AddTail(b);
    Item outsider;
    EXPECT_EQ(a, list.GetAt(0));
    EXPECT_EQ(b, list.GetAt(1));
    EXPECT_EQ(nullptr, list.GetAt(2));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(1, list.IndexOf(b));
    EXPECT_EQ(-1, list.IndexOf(&outsider));
    EXPECT_EQ(0xFFFFFFFFu, static_cast<unsigned>(list.IndexOf(nullptr)));
    EXPECT_TRUE(list.Contains(b));
    EXPECT_FALSE(list.Contains(&outsider));
}

TEST(CLinkedListCompare, FindMatchCodes)
{
    CLinkedList list;
    auto* first = new Keyed(1, 10);
    auto* second = new Keyed(2, 20);
    list.AddTail(first);
    list.AddTail(second);

    CLinkedListObject* match = reinterpret_cast<CLinkedListObject*>(0x1);
    EXPECT_EQ(3, list.FindMatch(nullptr, &match));
    EXPECT_EQ(reinterpret_cast<CLinkedListObject*>(0x1), match);   // untouched

    Keyed same(2, 20), changed(1, 11), absent(3, 30);
    EXPECT_EQ(0, list.FindMatch(&same, &match));
    EXPECT_EQ(second, match);
    EXPECT_EQ(1, list.FindMatch(&changed, &match));
    EXPECT_EQ(first, match);
    EXPECT_EQ(2, list.FindMatch(&absent, &match));
    EXPECT_EQ(nullptr, match);

    // The walk ends at the first item that cannot be compared.
    CLinkedList mixed;
    mixed.AddTail(new Item(5));
    mixed.AddTail(new Keyed(2, 20));
    match = first;
    EXPECT_EQ(2, mixed.FindMatch(&same, &match));
    EXPECT_EQ(nullptr, match);
}

TEST(CLinkedListCompare, CompareWithRecordsInOrder)
{
    CLinkedList mine, theirs, result;
    auto* m1 = new Keyed(1, 10);
    auto* m2 = new Keyed(2, 20);
    auto* m3 = new Keyed(3, 30);
    mine.AddTail(m1);
    mine.AddTail(m2);
    mine.AddTail(m3);
    auto* t2 = new Keyed(2, 20);
    auto* t4 = new Keyed(4, 40);
    auto* t1 = new Keyed(1, 11);
    auto* t1again = new Keyed(1, 10);
    theirs.AddTail(t2);
    theirs.AddTail(t4);
    theirs.AddTail(t1);
    theirs.AddTail(t1again);

    EXPECT_TRUE(mine.CompareWith(theirs, result));

    struct Expected {
        CLinkedListObject* mine;
        CLinkedListObject* theirs;
        int state;
    };
    const Expected expected[] = {
        {m2, t2, 0}, {nullptr, t4, 4}, {m1, t1, 1}, {m1, t1again, 0}, {m3, nullptr, 5},
    };
    ASSERT_EQ(5u, result.GetCount());
    int i = 0;
    for (CLinkedListObject* pos = result.GetHead(); pos; pos = pos->GetNext(), i++) {
        auto* record = static_cast<CLinkedList::CCompareResult*>(pos);
        EXPECT_EQ(expected[i].mine, record->m_this) << i;
        EXPECT_EQ(expected[i].theirs, record->m_other) << i;
        EXPECT_EQ(expected[i].state, record->m_state) << i;
    }
    // The records point at the lists' items without owning them.
    result.DeleteAll();
    EXPECT_EQ(3u, mine.GetCount());
    EXPECT_EQ(20, m2->m_value);
}

TEST(CLinkedListCompare, CompareWithEmptyOrForeignListsAddsNothingForThem)
{
    CLinkedList a, b, result;
    EXPECT_TRUE(a.CompareWith(b, result));
    EXPECT_TRUE(result.IsEmpty());

    // A list whose first item is not comparable takes no part at all.
    a.AddTail(new Item(1));
    a.AddTail(new Keyed(1, 1));
    b.AddTail(new Item(2));
    b.AddTail(new Keyed(1, 1));
    EXPECT_TRUE(a.CompareWith(b, result));
    EXPECT_TRUE(result.IsEmpty());

    // Only the items before the foreign one take part.
    CLinkedList c, d;
    auto* kept = new Keyed(5, 5);
    c.AddTail(kept);
    c.AddTail(new Item(3));
    c.AddTail(new Keyed(6, 6));
    EXPECT_TRUE(c.CompareWith(d, result));
    ASSERT_EQ(1u, result.GetCount());
    auto* record = static_cast<CLinkedList::CCompareResult*>(result.GetHead());
    EXPECT_EQ(kept, record->m_this);
    EXPECT_EQ(5, record->m_state);
}

TEST(CLinkedListDWORD, HoldsOneValue)
{
    CLinkedListDWORD a(7), b;
    EXPECT_EQ(0u, b.Get());
    b.Assign(a);
    EXPECT_TRUE(b.Equals(a));
    EXPECT_TRUE(b.Equals(7u));
    b.Set(8);
    EXPECT_FALSE(b.Equals(a));
    EXPECT_EQ(8u, b.Get());

    CLinkedList buttons;   // the message box keeps its button ids like this
    buttons.AddTail(new CLinkedListDWORD(IDOK));
    buttons.AddTail(new CLinkedListDWORD(IDCANCEL));
    EXPECT_EQ(static_cast<DWORD>(IDCANCEL), static_cast<CLinkedListDWORD*>(buttons.GetTail())->Get());
}

TEST(CLinkedListMT, OperationsInsideTheListLockDoNotBlock)
{
    int deaths = 0;
    CLinkedListMT list;
    {
        CLinkedListMTLock lock(list);
        list.AddTail(new Item(1, &deaths));
        list.InsertBefore(new Item(0, &deaths), nullptr);
        list.InsertAfter(new Item(2, &deaths), list.GetHead());
        EXPECT_EQ(3u, list.GetCount());
        EXPECT_EQ(1, list.IndexOf(list.GetAt(1)));
        EXPECT_TRUE(list.Contains(list.GetTail()));
        list.Delete(list.RemoveHead());
        EXPECT_FALSE(list.IsEmpty());
        CLinkedListMTLock nested(&list);
        list.DeleteAll();
    }
    EXPECT_EQ(3, deaths);
    EXPECT_TRUE(list.IsEmpty());
}

namespace {

struct SharedList {
    CLinkedListMT list;
    LONG removed = 0;
    LONG producersDone = 0;
};

DWORD WINAPI Producer(void* param)
{
    auto* shared = static_cast<SharedList*>(param);
    for (int i = 0; i < 20000; i++)
        shared->list.AddTail(new Item(i));
    InterlockedIncrement(&shared->producersDone);
    return 0;
}

DWORD WINAPI Consumer(void* param)
{
    auto* shared = static_cast<SharedList*>(param);
    for (;;) {
        bool finished = InterlockedCompareExchange(&shared->producersDone, 0, 0) == 2;
        CLinkedListObject* item = shared->list.RemoveHead();
        if (item) {
            delete item;
            InterlockedIncrement(&shared->removed);
        } else if (finished) {
            return 0;
        }
    }
}

} // namespace

TEST(CLinkedListMT, ConcurrentAddAndRemoveLoseNothing)
{
    SharedList shared;
    HANDLE threads[3] = {
        CreateThread(nullptr, 0, Producer, &shared, 0, nullptr),
        CreateThread(nullptr, 0, Producer, &shared, 0, nullptr),
        CreateThread(nullptr, 0, Consumer, &shared, 0, nullptr),
    };
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(3, threads, TRUE, 60000));
    for (HANDLE thread : threads)
        CloseHandle(thread);
    EXPECT_EQ(40000, shared.removed);
    EXPECT_TRUE(shared.list.IsEmpty());
    EXPECT_EQ(0u, shared.list.GetCount());
}
