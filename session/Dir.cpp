#include "session/Dir.h"
#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include "foundation/TiXmlElement.h"
#include "framework/CWindowManager.h"

namespace {

bool SameWindowAndConsole(const RequestRoute& a, const RequestRoute& b)
{
    return a.targetType == b.targetType && a.targetKey == b.targetKey && a.consoleType == b.consoleType
           && a.consoleKey == b.consoleKey;
}

} // namespace

Dir::Dir()
{
    m_notify = [](int windowType, UINT64 windowKey, RequestResult* record) {
        if (CWindowManager* manager = CWindowManager::Instance())
            manager->NotifyWindows(windowType, windowKey, record);
    };
}

// The pending list deletes its requests; their completions are dropped unrun.
Dir::~Dir() = default;

RequestRoute Dir::OwnRoute(unsigned __int64 number) const
{
    RequestRoute route;
    route.targetType = kWindowType;
    route.requestId = kRequestId;
    route.param2 = static_cast<__int64>(number);
    route.silent = true;
    return route;
}

unsigned __int64 Dir::QueueRequest(const RequestRoute& route, Completion done, int flags)
{
    CLinkedListMTLock lock(m_pending);
    Request* request = new Request;
    request->route = route;
    request->done = std::move(done);
    request->number = ++m_counter;
    request->flags = flags;
    m_pending.AddTail(request);
    return request->number;
}

const Object* Dir::Lookup(__int64 objectId)
{
    CLinkedListMTLock lock(m_pending);
    auto it = m_objects.find(objectId);
    return it == m_objects.end() ? &m_empty : &it->second;
}

void Dir::CollectLocked(__int64 parentId, std::vector<__int64>& out)
{
    // One pass builds the children of every parent (ascending ids, as the map is ordered); the walk
    // then emits each object at most once, so a loop in the parent ids cannot recurse forever.
    std::unordered_map<__int64, std::vector<__int64>> childrenOf;
    for (const auto& [objectId, object] : m_objects)
        childrenOf[object.parent].push_back(objectId);

    std::unordered_set<__int64> emitted;
    struct Frame {
        const std::vector<__int64>* children;
        size_t next;
    };
    std::vector<Frame> stack;
    auto start = childrenOf.find(parentId);
    if (start == childrenOf.end())
        return;
    stack.push_back({&start->second, 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children->size()) {
            stack.pop_back();
            continue;
        }
        __int64 child = (*frame.children)[frame.next++];
        if (!emitted.insert(child).second)
            continue;
        out.push_back(child);
        auto below = childrenOf.find(child);
        if (below != childrenOf.end())
            stack.push_back({&below->second, 0});
    }
}

void Dir::CollectDescendants(__int64 parentId, std::vector<Object>& out)
{
    CLinkedListMTLock lock(m_pending);
    std::vector<__int64> found;
    CollectLocked(parentId, found);
    out.reserve(out.size() + found.size());
    for (__int64 objectId : found)
        out.push_back(m_objects[objectId]);
}

void Dir::RequestObject(__int64 objectId, int flags, const RequestRoute& route, Completion done, Completion onNoId)
{
    if (objectId == 0) {
        if (onNoId)
            onNoId();
        return;
    }
    bool available;
    {
        CLinkedListMTLock lock(m_pending);
        auto it = m_objects.find(objectId);
        available = it != m_objects.end() && it->second.id != 0;
        if (available && (flags & WithChildren))
            available = m_childrenLoaded[objectId];
        if (available && (flags & WithParents))
            available = m_objects.count(it->second.parent) != 0;
    }
    if (available) {
        if (done)
            done();
        return;
    }
    unsigned __int64 number = QueueRequest(route, std::move(done), flags);
    if (m_server)
        m_server->ObjGet(static_cast<UINT32>(objectId), (flags & WithChildren) != 0, (flags & WithParents) != 0,
                         OwnRoute(number));
}

void Dir::FetchObjects(std::list<__int64>& ids, const RequestRoute& route, Completion done, Completion spare)
{
    (void)spare;
    ids.sort();
    ids.unique();
    ids.remove(0);

    std::vector<__int64> missing;
    {
        CLinkedListMTLock lock(m_pending);
        for (__int64 objectId : ids)
            if (m_objects.find(objectId) == m_objects.end())
                missing.push_back(objectId);
    }
    if (missing.empty()) {
        if (done)
            done();
        return;
    }
    // The server reads the list ascending; the list above is sorted as signed numbers.
    std::sort(missing.begin(), missing.end(), IdLess());
    CTString joined, part;
    for (__int64 objectId : missing) {
        part.Format(L"%I64d,", objectId);
        joined.Append(part);
    }
    CTString text;
    joined.Left(text, joined.GetLength() - 1);

    unsigned __int64 number = QueueRequest(route, std::move(done), 0);
    if (m_server)
        m_server->ObjGetIds(text, CTString(L""), 8, OwnRoute(number));
}

void Dir::RefreshCached(__int64 objectId)
{
    {
        CLinkedListMTLock lock(m_pending);
        if (m_objects.find(objectId) == m_objects.end())
            return;
    }
    unsigned __int64 number = QueueRequest(RequestRoute(), Completion(), 0);
    if (m_server)
        m_server->ObjGetPassive(static_cast<UINT32>(objectId), OwnRoute(number));
}

void Dir::RefreshNewChild(__int64 objectId, __int64 parentId)
{
    {
        CLinkedListMTLock lock(m_pending);
        if (m_objects.find(parentId) == m_objects.end() || !m_childrenLoaded[parentId])
            return;
    }
    unsigned __int64 number = QueueRequest(RequestRoute(), Completion(), 0);
    if (m_server)
        m_server->ObjGetPassive(static_cast<UINT32>(objectId), OwnRoute(number));
}

void Dir::StoreObject(const Object& object, int flags)
{
    std::list<__int64> changed;
    {
        CLinkedListMTLock lock(m_pending);
        auto it = m_objects.find(object.id);
        if (it == m_objects.end() || it->second.serial < object.serial) {
            m_objects[object.id].Object::Assign(object);
            if (flags & ForgetDescendants) {
                std::vector<__int64> descendants;
                CollectLocked(object.id, descendants);
                for (__int64 descendant : descendants)
                    if (descendant != object.id)
                        m_objects.erase(descendant);
                m_childrenLoaded.erase(object.id);
            }
            changed.push_back(object.id);
        }
    }
    NotifySubscribers(changed);
}

void Dir::MergeObjects(const std::map<__int64, Object>& objects)
{
    std::list<__int64> changed;
    {
        CLinkedListMTLock lock(m_pending);
        for (const auto& [objectId, object] : objects) {
            Object& entry = m_objects[objectId];
            if (entry.id != 0 && entry.serial >= object.serial)
                continue;
            entry.Object::Assign(object);
            changed.push_back(objectId);
        }
    }
    NotifySubscribers(changed);
}

void Dir::OnResult(RequestResult& reply)
{
    if (reply.route.requestId != kRequestId)
        return;
    std::list<__int64> changed;
    Completion done;
    {
        CLinkedListMTLock lock(m_pending);
        Request* request = nullptr;
        for (CLinkedListObject* item = m_pending.GetHead(); item; item = item->GetNext()) {
            Request* candidate = static_cast<Request*>(item);
            if (candidate->number == static_cast<unsigned __int64>(reply.route.param2)) {
                request = candidate;
                break;
            }
        }

        TiXmlElement* result = reply.document.FirstChildElementNamed(L"result");
        TiXmlElement* parameters = result ? result->FirstChildElementNamed(L"parameters") : nullptr;
        if (parameters) {
            __int64 requestedId = ReadDecimal32(parameters->GetAttribute(L"ID"));
            for (TiXmlElement* element = result->FirstChildElementNamed(L"object"); element;
                 element = element->NextSiblingElementNamed(L"object")) {
                __int64 objectId = ReadDecimal64(element->GetAttribute(L"id"));
                __int64 serial = ReadDecimal64(element->GetAttribute(L"serial"));
                Object& entry = m_objects[objectId];
                // An equal or older serial still replaces the content but is not announced.
                if (entry.id == 0 || static_cast<unsigned __int64>(entry.serial) < static_cast<unsigned __int64>(serial))
                    changed.push_back(objectId);
                entry.ReadFromXml(element, true);
            }
            if (request && (request->flags & WithChildren))
                m_childrenLoaded[requestedId] = true;
        }
        if (request) {
            done = std::move(request->done);
            m_pending.Delete(request);
        }
    }
    if (done)
        done();
    NotifySubscribers(changed);
}

void Dir::Remove(__int64 objectId)
{
    CLinkedListMTLock lock(m_pending);
    m_objects.erase(objectId);
    m_childrenLoaded.erase(objectId);
}

void Dir::Clear()
{
    CLinkedListMTLock lock(m_pending);
    m_objects.clear();
    m_childrenLoaded.clear();
}

void Dir::Subscribe(const RequestRoute& route)
{
    CLinkedListMTLock lock(m_pending);
    m_subscriptions.push_back(route);
}

void Dir::UnsubscribeWindow(int windowType, UINT64 windowKey)
{
    CLinkedListMTLock lock(m_pending);
    std::erase_if(m_subscriptions, [&](const RequestRoute& route) {
        return route.targetType == windowType && route.targetKey == windowKey;
    });
}

void Dir::CancelRequests(const RequestRoute& route)
{
    CLinkedListMTLock lock(m_pending);
    std::erase_if(m_subscriptions, [&](const RequestRoute& subscription) {
        return SameWindowAndConsole(subscription, route);
    });
    CLinkedListObject* item = m_pending.GetHead();
    while (item) {
        CLinkedListObject* next = item->GetNext();
        if (SameWindowAndConsole(static_cast<Request*>(item)->route, route))
            m_pending.Delete(item);
        item = next;
    }
}

void Dir::NotifySubscribers(const std::list<__int64>& ids)
{
    if (ids.empty())
        return;
    std::vector<RequestRoute> subscriptions;
    {
        CLinkedListMTLock lock(m_pending);
        subscriptions = m_subscriptions;
    }
    RequestResult record;
    record.attached = const_cast<std::list<__int64>*>(&ids);
    for (const RequestRoute& route : subscriptions) {
        record.route = route;
        if (m_notify)
            m_notify(route.targetType, route.targetKey, &record);
    }
}

size_t Dir::GetObjectCount()
{
    CLinkedListMTLock lock(m_pending);
    return m_objects.size();
}

bool Dir::AreChildrenLoaded(__int64 objectId)
{
    CLinkedListMTLock lock(m_pending);
    auto it = m_childrenLoaded.find(objectId);
    return it != m_childrenLoaded.end() && it->second;
}
