#pragma once
// The session's cache of directory objects: one copy of every object fetched, which objects had
// their children fetched with them, the fetches still waiting for their replies, and the windows
// to tell when cached objects change. Windows read objects here and ask here for missing ones.
//
// Everything runs on the user-interface thread. The pending-request list's critical section (re-
// entrant) guards all of the cache; it is never held across a server call, a completion or a notice.
#include <windows.h>
#include <functional>
#include <list>
#include <map>
#include <vector>
#include "foundation/CLinkedList.h"
#include "foundation/CTString.h"
#include "session/Object.h"
#include "session/RequestResult.h"
#include "session/RequestRoute.h"

class Dir {
public:
    using Completion = std::function<void()>;

    enum Flags : int {
        WithChildren = 1,
        WithParents = 2,
        ForgetDescendants = 4,   // StoreObject: drop the object's cached descendants
    };
    enum : int { kWindowType = 96, kRequestId = 1052 };

    // One fetch sent and not yet answered. Destroying it drops the completion without running it.
    class Request : public CLinkedListObject {
    public:
        RequestRoute route;        // the requester, used only to cancel when its window goes
        Completion done;
        unsigned __int64 number = 0;
        int flags = 0;
    };

    // The server calls the cache makes; the application plugs in its server client.
    class Server {
    public:
        virtual ~Server() = default;
        virtual void ObjGet(UINT32 objectId, bool children, bool parents, const RequestRoute& route) = 0;
        virtual void ObjGetIds(const CTString& ids, const CTString& serials, int flags, const RequestRoute& route) = 0;
        virtual void ObjGetPassive(UINT32 objectId, const RequestRoute& route) = 0;
    };

    // Delivers one change notice to the windows of a type and key; CWindowManager::NotifyWindows
    // unless replaced.
    using Notifier = std::function<void(int windowType, UINT64 windowKey, RequestResult* record)>;

    Dir();
    ~Dir();
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;

    void SetServer(Server* server) { m_server = server; }
    void SetNotifier(Notifier notifier) { m_notify = std::move(notifier); }

    // The cached object, or an empty object (id 0). Points into the cache: use it at once.
    const Object* Lookup(__int64 objectId);
    // Copies of every cached descendant of parentId, depth first, siblings in ascending id order.
    // Each object is visited once, so parent ids that loop end the walk.
    void CollectDescendants(__int64 parentId, std::vector<Object>& out);

    void RequestObject(__int64 objectId, int flags, const RequestRoute& route, Completion done, Completion onNoId);
    // Sorts ids ascending without duplicates and zeros, then makes sure all of them are cached.
    // spare is never run.
    void FetchObjects(std::list<__int64>& ids, const RequestRoute& route, Completion done, Completion spare);
    void RefreshCached(__int64 objectId);
    void RefreshNewChild(__int64 objectId, __int64 parentId);

    void StoreObject(const Object& object, int flags);
    void MergeObjects(const std::map<__int64, Object>& objects);
    // Replies of window type 96; request id 1052 only.
    void OnResult(RequestResult& reply);
    void Remove(__int64 objectId);
    // Forgets the objects; subscriptions and pending requests stay.
    void Clear();

    void Subscribe(const RequestRoute& route);
    void UnsubscribeWindow(int windowType, UINT64 windowKey);
    // Drops the subscriptions and pending requests of that window and console; their completions
    // never run.
    void CancelRequests(const RequestRoute& route);
    void NotifySubscribers(const std::list<__int64>& ids);

    // For tests and diagnostics.
    size_t GetObjectCount();
    unsigned GetPendingCount() { return m_pending.GetCount(); }
    bool AreChildrenLoaded(__int64 objectId);

private:
    struct IdLess {
        bool operator()(__int64 a, __int64 b) const
        {
            return static_cast<unsigned __int64>(a) < static_cast<unsigned __int64>(b);
        }
    };

    RequestRoute OwnRoute(unsigned __int64 number) const;
    unsigned __int64 QueueRequest(const RequestRoute& route, Completion done, int flags);
    void CollectLocked(__int64 parentId, std::vector<__int64>& out);

    std::map<__int64, Object, IdLess> m_objects;
    std::map<__int64, bool, IdLess> m_childrenLoaded;
    unsigned __int64 m_counter = 0;
    CLinkedListMT m_pending;   // Request items; its lock guards the whole cache
    std::vector<RequestRoute> m_subscriptions;
    Object m_empty;
    Server* m_server = nullptr;
    Notifier m_notify;
};
