// The realtime channel against a recording transport: the socket request, the dispatch of each
// message by channel, the handlers of every channel, malformed messages, and the reopening after
// connection resets.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "session/DB.h"
#include "session/Dir.h"
#include "session/RealtimeHandlers.h"
#include "BoxRecorder.h"
#include "RecordingTransport.h"

namespace {

CTString W(const char* text)
{
    CTString out;
    while (*text)
        out.AppendChar(static_cast<unsigned char>(*text++));
    return out;
}

// A bag that keeps the class id of the record it was read from.
class AnyBag : public TxRx {
public:
    void AcceptTypeId(const GUID& id) override { m_id = id; }
    GUID GetTypeId() const override { return m_id; }
    GUID m_id{};
};

struct Record {
    int type = 0;
    UINT64 key = 0;
    RequestRoute route;
    AnyBag bag;   // the body read back as a bag (empty when there is none)
};

class FakeDirServer : public Dir::Server {
public:
    void ObjGet(UINT32 id, bool, bool, const RequestRoute&) override { gets.push_back(id); }
    void ObjGetIds(const CTString&, const CTString&, int, const RequestRoute&) override {}
    void ObjGetPassive(UINT32 id, const RequestRoute&) override { passive.push_back(id); }
    std::vector<UINT32> gets, passive;
};

// A server client connected through a recording transport, with the handlers bound and their
// records, boxes and hooks captured.
struct Session {
    RecordingTransport* transport = nullptr;
    std::unique_ptr<DB> db;
    FakeDirServer dirServer;
    Dir dir;
    std::unique_ptr<RealtimeHandlers> handlers;
    std::vector<Record> records;
    std::vector<std::pair<std::wstring, std::wstring>> pages;   // body, title
    int logoffs = 0;
    BoxRecorder boxes;

    Session()
    {
        auto owned = std::make_unique<RecordingTransport>();
        transport = owned.get();
        db = std::make_unique<DB>(std::move(owned));
        db->Connect(W("https://srv.example"));
        dir.SetServer(&dirServer);
        handlers = std::make_unique<RealtimeHandlers>(*db, &dir);
        handlers->m_hooks.ownerWindow = [] { return HWND(nullptr); };
        handlers->m_hooks.notify = [this](int type, UINT64 key, RequestResult* result) {
            Record record;
            record.type = type;
            record.key = key;
            record.route = result->route;
            if (result->body.GetSize()) {
                CDataString stream;
                CTByteArray copy;
                memcpy(copy.Extend(result->body.GetSize()), result->body.GetData(), result->body.GetSize());
                stream.Swap(copy);
                ReadTxRx(stream, record.bag);
            }
            records.push_back(std::move(record));
        };
        handlers->m_hooks.showErrorPage = [this](const CTString& body, const CTString& title) {
            pages.emplace_back(body.GetBuffer() ? body.GetBuffer() : L"", title.GetBuffer() ? title.GetBuffer() : L"");
        };
        handlers->m_hooks.logoff = [this] { ++logoffs; };
        handlers->Bind();
    }

    void Open()
    {
        db->OpenRealtime(W("dirupdates:events:slots"), W("tok%2ben"), {W("Accept-Encoding: gzip,deflate")});
    }

    // Delivers a text message as the transport does: its bytes and one zero byte.
    void Message(const std::string& text)
    {
        CWinHttp2::MsgAvailable event;
        CTByteArray bytes;
        memcpy(bytes.Extend(static_cast<unsigned>(text.size() + 1)), text.c_str(), text.size() + 1);
        event.SwapBytes(2u, bytes);
        db->OnRealtimeMessage(event);
    }

    // Ends the socket request with a WinHTTP error and optionally an HTTP answer.
    void End(DWORD error, const std::wstring& headers = {}, const std::string& body = {})
    {
        CWinHttp2::ReqEvent event;
        if (!headers.empty()) {
            CTByteArray raw;
            memcpy(raw.Extend(static_cast<unsigned>(headers.size() * 2)), headers.data(), headers.size() * 2);
            event.SwapBytes(1u, raw);
        }
        if (!body.empty()) {
            CTByteArray raw;
            memcpy(raw.Extend(static_cast<unsigned>(body.size())), body.data(), body.size());
            event.SwapBytes(2u, raw);
        }
        if (error)
            event.SetInt64(3u, error);
        db->OnRealtimeMessage(event);
    }

    size_t SocketRequests() const
    {
        size_t count = 0;
        for (const Sent& sent : transport->m_sent)
            count += sent.flags == CWinHttp2::FlagWebSocket ? 1 : 0;
        return count;
    }
};

__int64 Int(TxRx& bag, unsigned key)
{
    __int64 value = -1;
    bag.GetInt64(key, value);
    return value;
}

Object Cached(__int64 id, __int64 parent = 0, __int64 serial = 1)
{
    Object object;
    object.id = id;
    object.parent = parent;
    object.serial = serial;
    return object;
}

} // namespace

TEST(Realtime, SocketRequestCarriesPathQueryAndHeadersAndReopensWithTheKeptValues)
{
    Session s;
    s.Open();
    ASSERT_EQ(1u, s.transport->m_sent.size());
    const Sent first = s.transport->m_sent[0];
    EXPECT_EQ("GET", first.verb);
    EXPECT_EQ("/socket.io?channels=dirupdates:events:slots&token=tok%2ben", first.path);
    EXPECT_EQ((std::vector<std::string>{"Accept-Encoding: gzip,deflate", "Origin: https://srv.example",
                                        "Sec-WebSocket-Protocol: qel_io_v2"}),
              first.headers);
    EXPECT_EQ(CWinHttp2::FlagWebSocket, first.flags);   // the certificate is verified
    EXPECT_EQ("", first.body);

    // A reopening passes nothing; a later opening with other values keeps the first ones.
    s.db->OpenRealtime(CTString(), CTString(), {});
    s.db->OpenRealtime(W("other"), W("t2"), {W("X: y")});
    ASSERT_EQ(3u, s.transport->m_sent.size());
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(first.path, s.transport->m_sent[i].path);
        EXPECT_EQ(first.headers, s.transport->m_sent[i].headers);
    }

    // A new session starts empty.
    s.db->Disconnect();
    s.db->Connect(W("https://srv.example"));
    s.db->OpenRealtime(W("events"), W("t3"), {W("Accept-Encoding: gzip,deflate")});
    EXPECT_EQ("/socket.io?channels=events&token=t3", s.transport->m_sent.back().path);
    EXPECT_EQ(3u, s.transport->m_sent.back().headers.size());
}

TEST(Realtime, DispatchHandsEachChannelItsMessageWithOneTrailingZero)
{
    Session s;
    std::vector<std::string> got;
    s.db->Bind(W("requests"), [&](DB::DBEvent& event) {
        CTByteArray bytes;
        event.SwapBytes(1u, bytes);
        got.push_back(BytesOf(bytes));
    });
    s.Message("{\"channel\":\"requests\",\"data\":{}}");
    s.Message("{\"channel\":\"nobody\"}");   // no handler: dropped
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(std::string("{\"channel\":\"requests\",\"data\":{}}") + '\0', got[0]);
    EXPECT_TRUE(s.boxes.texts.empty());
}

TEST(Realtime, SysErrorIsShownAsTextOrCompactJson)
{
    Session s;
    s.Message("{\"channel\":\"sys\",\"error\":\"server going down\"}");
    s.Message("{\"channel\":\"sys\",\"error\": {\"code\" : 7, \"why\" : \"x\"}}");
    ASSERT_EQ(2u, s.boxes.texts.size());
    EXPECT_EQ(L"server going down", s.boxes.texts[0]);
    EXPECT_EQ(L"{\"code\":7,\"why\":\"x\"}", s.boxes.texts[1]);
    EXPECT_EQ(L"QEL Realtime Error", s.boxes.captions[0]);
    EXPECT_EQ(L"QEL Realtime Error", s.boxes.captions[1]);
}

TEST(Realtime, DeeplyNestedMessagesAreDroppedWhateverTheirChannel)
{
    // Some 100,000 levels of objects (0.8 MB): nothing on the way may recurse once per level.
    auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += "{\"a\":";
        text += "1";
        text.append(static_cast<size_t>(levels), '}');
        return text;
    };
    const std::string deep = nested(100000);
    Session s;
    int requests = 0;
    s.db->Bind(W("requests"), [&](DB::DBEvent&) { ++requests; });
    s.Message("{\"channel\":\"sys\",\"error\":" + deep + "}");
    s.Message("{\"channel\":\"events\",\"data\":{\"7\":" + deep + "}}");
    s.Message("{\"channel\":\"requests\",\"data\":[" + deep + "]}");
    s.Message("{\"channel\":\"sys\",\"error\":\"[{\\\"not nesting\"}");   // brackets inside a text count for nothing
    EXPECT_EQ(0, requests);
    EXPECT_TRUE(s.records.empty());
    ASSERT_EQ(1u, s.boxes.texts.size());
    EXPECT_EQ(L"[{\"not nesting", s.boxes.texts[0]);

    // The handlers refuse such a text too when it reaches them another way.
    DB::DBEvent bag;
    std::string events = "{\"data\":{\"7\":" + deep + "}}";
    CTByteArray bytes;
    memcpy(bytes.Extend(static_cast<unsigned>(events.size() + 1)), events.c_str(), events.size() + 1);
    bag.SwapBytes(1u, bytes);
    s.handlers->on_events(bag);
    EXPECT_TRUE(s.records.empty());

    // Ordinary nesting still goes through.
    s.Message("{\"channel\":\"sys\",\"error\":" + nested(20) + "}");
    ASSERT_EQ(2u, s.boxes.texts.size());
    EXPECT_EQ(0u, s.boxes.texts[1].find(L"{\"a\":{\"a\":"));
}

TEST(Realtime, MalformedMessagesAreDroppedWithoutEndingTheProcess)
{
    Session s;
    int reached = 0;
    s.db->Bind(W("requests"), [&](DB::DBEvent&) { ++reached; });
    s.handlers->m_hooks.applySlotUpdate = [&](DB::Slot&, __int64& group) {
        group = 1;
        return static_cast<__int64>(5);
    };
    const char* messages[] = {
        "not json",
        "{\"channel\":",
        "",
        "[1,2,3]",
        "\"channel\"",
        "{\"data\":{}}",
        "{\"channel\":42}",
        "{\"channel\":[\"requests\"]}",
        "{\"channel\":\"sys\",\"error\":12}",
        "{\"channel\":\"sys\"}",
        "{\"channel\":\"slots\",\"id\":5,\"used\":\"1\",\"max\":\"2\"}",
        "{\"channel\":\"slots\",\"id\":\"5\",\"used\":\"x1\",\"max\":\"2\"}",
        "{\"channel\":\"slots\",\"id\":\"5\",\"max\":\"2\"}",
        "{\"channel\":\"slots\",\"id\":\"99999999999\",\"used\":\"1\",\"max\":\"2\"}",
        "{\"channel\":\"events\",\"data\":[1]}",
        "{\"channel\":\"events\",\"data\":\"x\"}",
        "{\"channel\":\"events\"}",
        "{\"channel\":\"dirupdates\",\"data\":7}",
        "{\"channel\":\"logupdates\",\"x\":",
        // Names of the transport's own handlers are no channels.
        "{\"channel\":\"connection_recv\"}",
        "{\"channel\":\"ws_error\"}",
        "{\"channel\":\"connection_error\"}",
    };
    s.db->Bind(W("connection_recv"), [&](DB::DBEvent&) { ++reached; });
    for (const char* text : messages)
        s.Message(text);
    EXPECT_EQ(0, reached);
    EXPECT_EQ(0, s.logoffs);
    EXPECT_TRUE(s.records.empty());
    EXPECT_TRUE(s.boxes.texts.empty());
    EXPECT_EQ(0u, s.SocketRequests());

    // Still working afterwards.
    s.Message("{\"channel\":\"requests\"}");
    EXPECT_EQ(1, reached);
}

TEST(Realtime, EventsSendOneRecordPerGoodMemberAndOneBoxPerBadOne)
{
    Session s;
    s.Message("{\"channel\":\"events\",\"data\":{\"12\":{\"a\":\"a\"},\"x7\":{\"a\":\"a\"},\"30\":{\"a\":\"u\"},"
              "\"40\":{\"a\":5},\"50\":{\"a\":\"z\"},\"60\":[]}}");
    ASSERT_EQ(2u, s.records.size());
    // Members in the byte order of their names.
    EXPECT_EQ(0xffff, s.records[0].type);
    EXPECT_EQ(0u, s.records[0].key);
    EXPECT_EQ(0xffff, s.records[0].route.targetType);
    EXPECT_EQ(1009, s.records[0].route.consoleType);
    EXPECT_EQ(1103, s.records[0].route.requestId);
    EXPECT_EQ(12, s.records[0].route.param2);
    EXPECT_EQ(1104, s.records[1].route.requestId);
    EXPECT_EQ(30, s.records[1].route.param2);
    ASSERT_EQ(3u, s.boxes.captions.size());   // "40", "60" and "x7"
    for (const auto& caption : s.boxes.captions)
        EXPECT_EQ(L"QELConsole - on_events ParseError", caption);
}

TEST(Realtime, DirupdatesRefreshRemoveAndAnnounceNewObjects)
{
    Session s;
    s.dir.StoreObject(Cached(100), 0);          // a parent whose children were never loaded
    s.dir.StoreObject(Cached(7, 100, 3), 0);
    s.dir.StoreObject(Cached(8, 100, 3), 0);
    s.dir.StoreObject(Cached(9, 100, 3), 0);
    s.Message("{\"channel\":\"dirupdates\",\"data\":{"
              "\"201\":{\"a\":\"a\",\"p\":100,\"t\":12},"
              "\"202\":{\"a\":\"a\"},"
              "\"7\":{\"a\":\"u\",\"s\":0},"
              "\"8\":{\"a\":\"u\"},"
              "\"81\":{\"a\":\"u\",\"s\":\"4\"},"
              "\"9\":{\"a\":\"u\",\"s\":4},"
              "\"100\":{\"a\":\"d\"}}}");
    // Only 9 is fetched again: 7 has serial 0, 8 has none (a box), 81 is not cached.
    EXPECT_EQ((std::vector<UINT32>{9}), s.dirServer.passive);
    EXPECT_EQ(0u, s.dir.Lookup(100)->id);
    EXPECT_EQ(8, s.dir.Lookup(8)->id);
    ASSERT_EQ(2u, s.boxes.captions.size());   // "8" without "s", "81" with a text serial
    EXPECT_EQ(L"QELConsole - on_dirupdates ParseError", s.boxes.captions[0]);

    ASSERT_EQ(2u, s.records.size());
    EXPECT_EQ(1099, s.records[0].route.requestId);
    EXPECT_EQ(0, s.records[0].route.consoleType);
    EXPECT_EQ(0, s.records[0].route.param2);
    EXPECT_EQ(DB::NewObjEvent().GetTypeId(), s.records[0].bag.GetTypeId());
    EXPECT_EQ(201, Int(s.records[0].bag, 1));
    EXPECT_EQ(100, Int(s.records[0].bag, 2));
    EXPECT_EQ(12, Int(s.records[0].bag, 3));
    EXPECT_EQ(202, Int(s.records[1].bag, 1));
    EXPECT_EQ(0, Int(s.records[1].bag, 2));
    EXPECT_EQ(0, Int(s.records[1].bag, 3));
}

TEST(Realtime, SlotsRewriteTheCachedWindowAndTellItsScheduleGroup)
{
    Session s;
    std::vector<std::vector<__int64>> offered;
    __int64 answerGroup = 0, answerWindow = 0;
    s.handlers->m_hooks.applySlotUpdate = [&](DB::Slot& slot, __int64& group) {
        offered.push_back({Int(slot, 1), Int(slot, 2), Int(slot, 3)});
        group = answerGroup;
        return answerWindow;
    };
    s.Message("{\"channel\":\"slots\",\"id\":\"31\",\"used\":\"4\",\"max\":\"-2\"}");
    EXPECT_TRUE(s.records.empty());   // no cached reply holds window 31
    answerGroup = 77;
    answerWindow = 31;
    s.Message("{\"channel\":\"slots\",\"id\":\"31\",\"used\":\"5\",\"max\":\"10\"}");
    ASSERT_EQ(2u, offered.size());
    EXPECT_EQ((std::vector<__int64>{31, 4, -2}), offered[0]);
    ASSERT_EQ(1u, s.records.size());
    EXPECT_EQ(1026, s.records[0].route.consoleType);
    EXPECT_EQ(77, s.records[0].route.consoleKey);
    EXPECT_EQ(1102, s.records[0].route.requestId);
    EXPECT_EQ(31, s.records[0].route.param2);
    EXPECT_EQ(DB::Slot().GetTypeId(), s.records[0].bag.GetTypeId());
    EXPECT_EQ(5, Int(s.records[0].bag, 2));
    EXPECT_EQ(10, Int(s.records[0].bag, 3));
}

TEST(Realtime, ResetsReopenTwiceInARowThenReport)
{
    // Windows reports a reset as 12030; Wine as 10054 or 12152; an aborted connection comes as
    // 10053 or 1236.
    for (DWORD reset : {12030u, 10054u, 12152u, 10053u, 1236u}) {
        Session s;
        s.Open();
        s.End(reset);
        s.End(reset);
        EXPECT_EQ(3u, s.SocketRequests()) << reset;
        EXPECT_TRUE(s.boxes.texts.empty());
        s.End(reset);
        EXPECT_EQ(3u, s.SocketRequests()) << reset;
        ASSERT_EQ(1u, s.boxes.texts.size());
        EXPECT_EQ(L"Realtime Socket Error", s.boxes.captions[0]);
        EXPECT_EQ(L"The connection with the server has been reset or terminated, or an incompatible SSL protocol "
                  L"was encountered.",
                  s.boxes.texts[0]);
        s.End(reset);   // and every further one
        EXPECT_EQ(2u, s.boxes.texts.size());
        EXPECT_EQ(s.transport->m_sent[0].path, s.transport->m_sent[2].path);
        EXPECT_EQ(s.transport->m_sent[0].headers, s.transport->m_sent[2].headers);
    }
}

TEST(Realtime, SlotsDirupdatesAndLogupdatesRestartTheResetCountEventsDoNot)
{
    const char* resetting[] = {
        "{\"channel\":\"slots\",\"id\":\"1\",\"used\":\"1\",\"max\":\"1\"}",
        "{\"channel\":\"dirupdates\",\"data\":{}}",
        "{\"channel\":\"logupdates\",\"anything\":[1]}",
    };
    for (const char* message : resetting) {
        Session s;
        s.Open();
        s.End(12030);
        s.End(12030);
        s.Message(message);
        s.End(12030);
        s.End(12030);
        EXPECT_EQ(5u, s.SocketRequests()) << message;
        EXPECT_TRUE(s.boxes.texts.empty()) << message;
    }
    Session s;
    s.Open();
    s.End(12030);
    s.End(12030);
    s.Message("{\"channel\":\"events\",\"data\":{}}");
    s.End(12030);
    EXPECT_EQ(3u, s.SocketRequests());
    EXPECT_EQ(1u, s.boxes.texts.size());

    // So do connection_closed and sign-out.
    s.handlers->on_connection_closed(*std::make_unique<DB::DBEvent>());
    s.End(12030);
    EXPECT_EQ(4u, s.SocketRequests());
}

TEST(Realtime, OtherSocketFailuresEndTheChannelWithAPageOrABox)
{
    Session s;
    s.Open();
    s.End(0, L"HTTP/1.1 403 Forbidden\r\nContent-Type: text/html\r\n\r\n", "<p>No entry \xC3\xA9</p>");
    ASSERT_EQ(1u, s.pages.size());
    EXPECT_EQ(L"<p>No entry \u00e9</p>", s.pages[0].first);
    EXPECT_EQ(L"Realtime Socket Error", s.pages[0].second);
    EXPECT_TRUE(s.boxes.texts.empty());

    s.End(ERROR_WINHTTP_CANNOT_CONNECT);
    ASSERT_EQ(1u, s.boxes.captions.size());
    EXPECT_EQ(L"Realtime Socket Error", s.boxes.captions[0]);
    // A socket that had opened keeps its 101 headers: its later failure is a box, not an empty page.
    s.End(ERROR_WINHTTP_TIMEOUT, L"HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n\r\n");
    EXPECT_EQ(2u, s.boxes.captions.size());
    EXPECT_EQ(1u, s.pages.size());
    EXPECT_EQ(1u, s.SocketRequests());   // never reopened
}

TEST(Realtime, ConnectionErrorSignsOutThenSays)
{
    Session s;
    DB::DBEvent event;
    EXPECT_TRUE(s.db->Raise(L"connection_error", event));
    EXPECT_EQ(1, s.logoffs);
    ASSERT_EQ(1u, s.boxes.texts.size());
    EXPECT_EQ(L"on_connection_error", s.boxes.texts[0]);
    EXPECT_EQ(L"System Error", s.boxes.captions[0]);
}
