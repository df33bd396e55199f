// The directory cache: answers from the cache, fetches and their replies, merges, subscriptions,
// cancellation and change notices, with a recording server and notifier in place of the real ones.
#include <gtest/gtest.h>
#include <list>
#include <string>
#include <vector>
#include "session/Dir.h"

namespace {

std::wstring Str(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

struct Sent {
    std::wstring call;
    RequestRoute route;
};

class FakeServer : public Dir::Server {
public:
    void ObjGet(UINT32 objectId, bool children, bool parents, const RequestRoute& route) override
    {
        sent.push_back({L"ObjGet " + std::to_wstring(objectId) + L" " + std::to_wstring(children) + L" "
                            + std::to_wstring(parents),
                        route});
    }
    void ObjGetIds(const CTString& ids, const CTString& serials, int flags, const RequestRoute& route) override
    {
        sent.push_back({L"ObjGetIds " + Str(ids) + L" [" + Str(serials) + L"] " + std::to_wstring(flags), route});
    }
    void ObjGetPassive(UINT32 objectId, const RequestRoute& route) override
    {
        sent.push_back({L"ObjGetPassive " + std::to_wstring(objectId), route});
    }
    std::vector<Sent> sent;
};

struct Notice {
    int windowType;
    UINT64 windowKey;
    int requestId;
    std::vector<__int64> ids;
};

struct Fixture {
    Dir dir;
    FakeServer server;
    std::vector<Notice> notices;
    std::vector<std::wstring> events;   // completions and notices in the order they happened

    Fixture()
    {
        dir.SetServer(&server);
        dir.SetNotifier([this](int windowType, UINT64 windowKey, RequestResult* record) {
            auto* ids = static_cast<std::list<__int64>*>(record->attached);
            notices.push_back({windowType, windowKey, record->route.requestId, {ids->begin(), ids->end()}});
            EXPECT_EQ(record->kind, 0);
            EXPECT_EQ(record->route.targetType, windowType);
            events.push_back(L"notice " + std::to_wstring(windowType));
        });
    }

    // Answers the last request sent with a reply document.
    void Reply(const std::wstring& body, size_t which = SIZE_MAX)
    {
        ASSERT_FALSE(server.sent.empty());
        const Sent& request = which == SIZE_MAX ? server.sent.back() : server.sent.at(which);
        RequestResult reply;
        reply.route = request.route;
        reply.kind = RequestResult::KindServerAnswer;
        TiXmlBase::SetCondenseWhiteSpace(false);
        reply.document.Parse(body.c_str(), nullptr, 0);
        dir.OnResult(reply);
    }

    Dir::Completion Mark(const std::wstring& name)
    {
        return [this, name] { events.push_back(name); };
    }
};

std::wstring ObjectXml(__int64 id, __int64 parent, __int64 serial, const wchar_t* name)
{
    return L"<object id=\"" + std::to_wstring(id) + L"\" parent=\"" + std::to_wstring(parent) + L"\" serial=\""
           + std::to_wstring(serial) + L"\" name=\"" + name + L"\"/>";
}

std::wstring ReplyXml(__int64 requested, const std::wstring& objects)
{
    return L"<?xml version=\"1.0\"?><result><parameters ID=\"" + std::to_wstring(requested) + L"\"/>" + objects
           + L"</result>";
}

Object Make(__int64 id, __int64 parent, __int64 serial, const wchar_t* name)
{
    Object o;
    o.id = id;
    o.parent = parent;
    o.serial = serial;
    o.name.AssignText(name);
    return o;
}

RequestRoute Window(int type, UINT64 key, int requestId = 1100)
{
    RequestRoute route;
    route.targetType = type;
    route.targetKey = key;
    route.requestId = requestId;
    return route;
}

} // namespace

TEST(Dir, AnswersFromTheCacheWithoutSending)
{
    Fixture f;
    EXPECT_EQ(f.dir.Lookup(5)->id, 0);   // a miss is the empty object

    f.dir.RequestObject(0, 0, Window(7, 1), f.Mark(L"done"), f.Mark(L"no id"));
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"no id"}));

    f.dir.StoreObject(Make(5, 1, 1, L"five"), 0);
    f.events.clear();
    f.dir.RequestObject(5, 0, Window(7, 1), f.Mark(L"done"), f.Mark(L"no id"));
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"done"}));
    EXPECT_TRUE(f.server.sent.empty());
    EXPECT_EQ(Str(f.dir.Lookup(5)->name), L"five");
}

TEST(Dir, FetchWithChildrenRunsTheCompletionThenNotifiesAndMarksChildren)
{
    Fixture f;
    f.dir.Subscribe(Window(7, 1));
    f.dir.StoreObject(Make(5, 1, 1, L"five"), 0);
    f.notices.clear();
    f.events.clear();

    f.dir.RequestObject(5, Dir::WithChildren, Window(8, 2), f.Mark(L"done"), nullptr);
    ASSERT_EQ(f.server.sent.size(), 1u);
    EXPECT_EQ(f.server.sent[0].call, L"ObjGet 5 1 0");
    const RequestRoute& own = f.server.sent[0].route;
    EXPECT_EQ(own.targetType, 96);
    EXPECT_EQ(own.targetKey, 0u);
    EXPECT_EQ(own.requestId, 1052);
    EXPECT_EQ(own.param2, 1);   // the first request number
    EXPECT_TRUE(own.silent);
    EXPECT_TRUE(f.events.empty());
    EXPECT_EQ(f.dir.GetPendingCount(), 1u);

    f.Reply(ReplyXml(5, ObjectXml(5, 1, 2, L"five v2") + ObjectXml(6, 5, 1, L"six") + ObjectXml(7, 5, 1, L"seven")));
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"done", L"notice 7"}));
    ASSERT_EQ(f.notices.size(), 1u);
    EXPECT_EQ(f.notices[0].requestId, 1100);
    EXPECT_EQ(f.notices[0].ids, (std::vector<__int64>{5, 6, 7}));
    EXPECT_TRUE(f.dir.AreChildrenLoaded(5));
    EXPECT_EQ(f.dir.GetPendingCount(), 0u);
    EXPECT_EQ(Str(f.dir.Lookup(5)->name), L"five v2");

    f.events.clear();
    f.dir.RequestObject(5, Dir::WithChildren, Window(8, 2), f.Mark(L"again"), nullptr);
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"again"}));
    EXPECT_EQ(f.server.sent.size(), 1u);

    // Parents asked for: 6's parent 5 is cached, 5's parent 1 is not.
    f.dir.RequestObject(6, Dir::WithParents, Window(8, 2), f.Mark(L"parents"), nullptr);
    EXPECT_EQ(f.events.back(), L"parents");
    f.dir.RequestObject(5, Dir::WithParents, Window(8, 2), f.Mark(L"parents"), nullptr);
    EXPECT_EQ(f.server.sent.back().call, L"ObjGet 5 0 1");
    EXPECT_EQ(f.server.sent.back().route.param2, 2);
}

TEST(Dir, ReplySerialsDecideWhatIsAnnouncedNotWhatIsStored)
{
    Fixture f;
    f.dir.Subscribe(Window(7, 1));
    f.dir.RequestObject(5, 0, Window(8, 2), nullptr, nullptr);
    f.Reply(ReplyXml(5, ObjectXml(5, 1, 4, L"first")));
    ASSERT_EQ(f.notices.size(), 1u);

    // Same serial: content replaced, nobody told; older: the same.
    f.dir.RefreshCached(5);
    EXPECT_EQ(f.server.sent.back().call, L"ObjGetPassive 5");
    f.Reply(ReplyXml(5, ObjectXml(5, 1, 4, L"same serial")));
    EXPECT_EQ(Str(f.dir.Lookup(5)->name), L"same serial");
    f.dir.RefreshCached(5);
    f.Reply(ReplyXml(5, ObjectXml(5, 1, 3, L"older")));
    EXPECT_EQ(Str(f.dir.Lookup(5)->name), L"older");
    EXPECT_EQ(f.notices.size(), 1u);

    // A reply without parameters reads nothing but still finishes its request.
    f.events.clear();
    f.dir.RequestObject(9, 0, Window(8, 2), f.Mark(L"done"), nullptr);
    f.Reply(L"<result>" + ObjectXml(9, 1, 1, L"ignored") + L"</result>");
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"done"}));
    EXPECT_EQ(f.dir.Lookup(9)->id, 0);
    EXPECT_EQ(f.dir.GetPendingCount(), 0u);

    // Other request ids are not the cache's.
    RequestResult foreign;
    foreign.route = f.server.sent.back().route;
    foreign.route.requestId = 1051;
    f.dir.OnResult(foreign);

    // Not cached: no refresh.
    size_t before = f.server.sent.size();
    f.dir.RefreshCached(77);
    f.dir.RefreshNewChild(78, 77);
    f.dir.RefreshNewChild(78, 5);   // 5's children never fetched
    EXPECT_EQ(f.server.sent.size(), before);
}

TEST(Dir, RefreshNewChildOnlyUnderAParentWithLoadedChildren)
{
    Fixture f;
    f.dir.RequestObject(5, Dir::WithChildren, Window(8, 2), nullptr, nullptr);
    f.Reply(ReplyXml(5, ObjectXml(5, 1, 1, L"five")));
    f.dir.RefreshNewChild(40, 5);
    EXPECT_EQ(f.server.sent.back().call, L"ObjGetPassive 40");
    f.Reply(ReplyXml(40, ObjectXml(40, 5, 1, L"new child")));
    EXPECT_EQ(f.dir.Lookup(40)->parent, 5);
}

TEST(Dir, StoreAndMergeKeepTheNewerCopyAndNotifyEachSubscription)
{
    Fixture f;
    f.dir.Subscribe(Window(7, 1));
    f.dir.Subscribe(Window(9, 3, 1200));
    f.dir.Subscribe(Window(7, 1));   // twice: told twice

    f.dir.StoreObject(Make(5, 1, 3, L"v3"), 0);
    EXPECT_EQ(f.notices.size(), 3u);
    f.dir.StoreObject(Make(5, 1, 2, L"v2"), 0);
    f.dir.StoreObject(Make(5, 1, 3, L"v3 again"), 0);
    EXPECT_EQ(f.notices.size(), 3u);
    EXPECT_EQ(Str(f.dir.Lookup(5)->name), L"v3");
    f.dir.StoreObject(Make(5, 1, 4, L"v4"), 0);
    ASSERT_EQ(f.notices.size(), 6u);
    EXPECT_EQ(f.notices[4].windowType, 9);
    EXPECT_EQ(f.notices[4].windowKey, 3u);
    EXPECT_EQ(f.notices[4].requestId, 1200);
    EXPECT_EQ(f.notices[4].ids, (std::vector<__int64>{5}));

    f.notices.clear();
    std::map<__int64, Object> batch{{5, Make(5, 1, 4, L"same")}, {6, Make(6, 5, 1, L"six")}, {8, Make(8, 5, 1, L"eight")}};
    f.dir.MergeObjects(batch);
    ASSERT_EQ(f.notices.size(), 3u);
    EXPECT_EQ(f.notices[0].ids, (std::vector<__int64>{6, 8}));
    EXPECT_EQ(Str(f.dir.Lookup(5)->name), L"v4");

    f.notices.clear();
    f.dir.UnsubscribeWindow(7, 1);
    f.dir.StoreObject(Make(6, 5, 2, L"six v2"), 0);
    ASSERT_EQ(f.notices.size(), 1u);
    EXPECT_EQ(f.notices[0].windowType, 9);
}

TEST(Dir, StoreWithForgetDropsDescendantsAndTheChildrenMark)
{
    Fixture f;
    f.dir.RequestObject(1, Dir::WithChildren, Window(8, 2), nullptr, nullptr);
    f.Reply(ReplyXml(1, ObjectXml(1, 0, 1, L"root") + ObjectXml(2, 1, 1, L"a") + ObjectXml(3, 2, 1, L"a1")
                            + ObjectXml(4, 0, 1, L"elsewhere")));
    ASSERT_TRUE(f.dir.AreChildrenLoaded(1));
    f.dir.StoreObject(Make(1, 0, 2, L"root v2"), Dir::ForgetDescendants);
    EXPECT_EQ(f.dir.Lookup(2)->id, 0);
    EXPECT_EQ(f.dir.Lookup(3)->id, 0);
    EXPECT_EQ(f.dir.Lookup(4)->id, 4);
    EXPECT_EQ(Str(f.dir.Lookup(1)->name), L"root v2");
    EXPECT_FALSE(f.dir.AreChildrenLoaded(1));
}

TEST(Dir, CollectDescendantsIsDepthFirstAndSurvivesParentLoops)
{
    Fixture f;
    std::map<__int64, Object> batch{
        {10, Make(10, 1, 1, L"b")}, {4, Make(4, 1, 1, L"a")}, {7, Make(7, 4, 1, L"a1")},
        {5, Make(5, 4, 1, L"a0")},  {11, Make(11, 10, 1, L"b0")}, {20, Make(20, 21, 1, L"loop x")},
        {21, Make(21, 20, 1, L"loop y")}, {30, Make(30, 30, 1, L"self")},
    };
    f.dir.MergeObjects(batch);
    std::vector<Object> out;
    f.dir.CollectDescendants(1, out);
    std::vector<__int64> ids;
    for (const Object& o : out)
        ids.push_back(o.id);
    EXPECT_EQ(ids, (std::vector<__int64>{4, 5, 7, 10, 11}));

    out.clear();
    f.dir.CollectDescendants(20, out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].id, 21);
    EXPECT_EQ(out[1].id, 20);
    out.clear();
    f.dir.CollectDescendants(30, out);
    ASSERT_EQ(out.size(), 1u);

    // Forgetting the descendants of an object in a loop ends too.
    f.dir.StoreObject(Make(20, 21, 2, L"loop x v2"), Dir::ForgetDescendants);
    EXPECT_EQ(f.dir.Lookup(21)->id, 0);
    EXPECT_EQ(f.dir.Lookup(20)->id, 20);
}

TEST(Dir, FetchObjectsNormalisesTheListAndAsksOnlyForMissingOnes)
{
    Fixture f;
    f.dir.StoreObject(Make(5, 0, 1, L"five"), 0);

    std::list<__int64> ids{0, 5, 5, 3};
    f.dir.FetchObjects(ids, Window(8, 2), f.Mark(L"done"), f.Mark(L"spare"));
    EXPECT_EQ(ids, (std::list<__int64>{3, 5}));
    ASSERT_EQ(f.server.sent.size(), 1u);
    EXPECT_EQ(f.server.sent[0].call, L"ObjGetIds 3 [] 8");
    EXPECT_TRUE(f.events.empty());

    std::list<__int64> more{40, 12, 5, 15};
    f.dir.FetchObjects(more, Window(8, 2), f.Mark(L"more"), nullptr);
    EXPECT_EQ(f.server.sent[1].call, L"ObjGetIds 12,15,40 [] 8");

    f.Reply(L"<result><parameters ID=\"0\"/>" + ObjectXml(3, 0, 1, L"three") + L"</result>", 0);
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"done"}));   // spare never runs

    std::list<__int64> cached{3, 5};
    f.dir.FetchObjects(cached, Window(8, 2), f.Mark(L"at once"), nullptr);
    EXPECT_EQ(f.events.back(), L"at once");
    EXPECT_EQ(f.server.sent.size(), 2u);
}

TEST(Dir, CancelledRequestsNeverRunButTheirRepliesAreCached)
{
    Fixture f;
    RequestRoute console = Window(0xffff, 0);
    console.consoleType = 1035;
    console.consoleKey = 4;
    RequestRoute otherConsole = console;
    otherConsole.consoleKey = 5;
    f.dir.Subscribe(console);
    f.dir.Subscribe(otherConsole);
    f.dir.RequestObject(5, 0, console, f.Mark(L"cancelled"), nullptr);
    f.dir.RequestObject(6, 0, otherConsole, f.Mark(L"kept"), nullptr);
    EXPECT_EQ(f.dir.GetPendingCount(), 2u);

    f.dir.CancelRequests(console);
    EXPECT_EQ(f.dir.GetPendingCount(), 1u);
    f.Reply(ReplyXml(5, ObjectXml(5, 0, 1, L"five")), 0);
    f.Reply(ReplyXml(6, ObjectXml(6, 0, 1, L"six")), 1);
    EXPECT_EQ(f.dir.Lookup(5)->id, 5);
    EXPECT_EQ(f.events, (std::vector<std::wstring>{L"notice 65535", L"kept", L"notice 65535"}));
    ASSERT_EQ(f.notices.size(), 2u);   // only the other console's subscription is left
}

TEST(Dir, ClearForgetsObjectsButKeepsSubscriptionsAndRequests)
{
    Fixture f;
    f.dir.Subscribe(Window(7, 1));
    f.dir.StoreObject(Make(5, 0, 1, L"five"), 0);
    f.dir.RequestObject(6, 0, Window(8, 2), f.Mark(L"done"), nullptr);
    f.dir.Clear();
    EXPECT_EQ(f.dir.GetObjectCount(), 0u);
    EXPECT_EQ(f.dir.GetPendingCount(), 1u);
    f.notices.clear();
    f.Reply(ReplyXml(6, ObjectXml(6, 0, 1, L"six")));
    ASSERT_EQ(f.notices.size(), 1u);
    EXPECT_EQ(f.notices[0].ids, (std::vector<__int64>{6}));
    f.dir.Remove(6);
    EXPECT_EQ(f.dir.Lookup(6)->id, 0);
    f.dir.NotifySubscribers({});
    EXPECT_EQ(f.notices.size(), 1u);
}

TEST(Dir, DestroyingTheCacheDropsPendingCompletionsUnrun)
{
    bool ran = false;
    {
        Dir dir;
        FakeServer server;
        dir.SetServer(&server);
        dir.RequestObject(5, 0, Window(8, 2), [&ran] { ran = true; }, nullptr);
    }
    EXPECT_FALSE(ran);
}
