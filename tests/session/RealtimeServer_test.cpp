// The realtime channel over the real transport against the fixture server under Wine: the socket
// opens with the exact path, query and headers; text messages of every channel, fragmented, binary
// and malformed messages reach the handlers (or are dropped) as they should; resets reopen the
// socket at most twice in a row; a refused upgrade shows its page.
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>
#include <vector>
#include "session/DB.h"
#include "session/Dir.h"
#include "session/RealtimeHandlers.h"
#include "BoxRecorder.h"
#include "FixtureServer.h"

using nlohmann::json;

namespace {

const fixture::Info& Server()
{
    return fixture::Shared();
}

CTString W(const std::string& text)
{
    CTString out;
    for (char c : text)
        out.AppendChar(static_cast<unsigned char>(c));
    return out;
}

// Percent-encodes every byte that is not a letter or digit, for a control query.
std::wstring QueryEncode(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text) {
        if (isalnum(c)) {
            out.push_back(c);
        } else {
            wchar_t hex[4];
            _snwprintf(hex, 4, L"%%%02X", c);
            out.append(hex, 3);
        }
    }
    return out;
}

class NoServer : public Dir::Server {
public:
    void ObjGet(UINT32, bool, bool, const RequestRoute&) override {}
    void ObjGetIds(const CTString&, const CTString&, int, const RequestRoute&) override {}
    void ObjGetPassive(UINT32 id, const RequestRoute&) override { passive.push_back(id); }
    std::vector<UINT32> passive;
};

struct Live {
    DB db;
    NoServer dirServer;
    Dir dir;
    RealtimeHandlers handlers{db, &dir};
    BoxRecorder boxes;
    std::vector<RequestRoute> records;
    std::vector<std::wstring> pages;
    std::vector<std::string> requests;   // bodies handed to the "requests" channel
    std::vector<int> statuses;           // "ws_status"
    std::string target;

    explicit Live(const std::string& token, const std::string& channels = "dirupdates:events:slots")
    {
        target = "/socket.io?channels=" + channels + "&token=" + token;
        dir.SetServer(&dirServer);
        db.Connect(W("https://127.0.0.1:" + std::to_string(Server().httpsPort)));
        handlers.m_hooks.ownerWindow = [] { return HWND(nullptr); };
        handlers.m_hooks.notify = [this](int, UINT64, RequestResult* record) { records.push_back(record->route); };
        handlers.m_hooks.showErrorPage = [this](const CTString& body, const CTString&) {
            pages.emplace_back(body.GetBuffer() ? body.GetBuffer() : L"");
        };
        handlers.Bind();
        db.Bind(W("requests"), [this](DB::DBEvent& event) {
            CTByteArray bytes;
            event.SwapBytes(1u, bytes);
            requests.emplace_back(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
        });
        db.Bind(W("ws_status"), [this](DB::DBEvent& event) {
            statuses.push_back(static_cast<int>(event.GetValue(DBEvent::KeySocketStatus).AsInt()));
        });
    }
    ~Live() { db.Disconnect(); }

    void Actions(const json& actions)
    {
        fixture::Control(Server(), L"POST", L"/control/ws?path=" + QueryEncode(target), actions.dump());
    }

    void Open(CWinHttp2::HeaderList headers = {W("Accept-Encoding: gzip,deflate")})
    {
        std::string channels = target.substr(target.find('=') + 1);
        channels = channels.substr(0, channels.find('&'));
        db.OpenRealtime(W(channels), W(target.substr(target.find("token=") + 6)), headers);
    }

    // The upgrade requests the server recorded for this socket's target.
    std::vector<json> Upgrades()
    {
        std::vector<json> out;
        for (const json& r : fixture::Requests(Server(), "/socket.io"))
            if (r["target"] == target)
                out.push_back(r);
        return out;
    }
};

} // namespace

TEST(RealtimeServer, OpensWithTheExactRequestAndHandlesEveryKindOfMessage)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    Live live("rt1%2bx");
    live.dir.StoreObject([] { Object o; o.id = 55; o.serial = 1; return o; }(), 0);
    // 300 members: a message of several read buffers.
    std::string burst = "{\"channel\":\"events\",\"data\":{";
    for (int i = 1000; i < 1300; ++i)
        burst += (i > 1000 ? ",\"" : "\"") + std::to_string(i) + "\":{\"a\":\"u\"}";
    burst += "}}";
    live.Actions(json::array({
        {{"delay_ms", 100}, {"text", "{\"channel\":\"events\",\"data\":{\"11\":{\"a\":\"a\"}}}"}},
        {{"fragments", {"{\"channel\":\"dirupdates\",", "\"data\":{\"55\":{\"a\":\"u\",\"s\":2},",
                        "\"56\":{\"a\":\"a\",\"p\":9}}}"}}},
        {{"binary_b64", "e30AAQI="}},
        {{"binary_fragments_b64", {"eyJjaGFu", "bmVsIjo="}}},
        {{"text", "{\"channel\":\"requests\",\"data\":{}}"}},
        {{"text", "this is not json"}},
        {{"text", "{\"nochannel\":1}"}},
        {{"text", "{\"channel\":\"slots\",\"id\":4,\"used\":\"1\",\"max\":\"2\"}"}},
        {{"text", "{\"channel\":\"logupdates\",\"x\":1}"}},
        {{"text", "{\"channel\":\"events\",\"data\":{\"12\":{\"a\":\"u\"}}}"}},
        {{"text", burst}},
    }));
    live.Open();
    ASSERT_TRUE(fixture::PumpUntil([&] { return live.records.size() >= 303; }));
    fixture::PumpUntil([] { return false; }, 300);

    std::vector<json> upgrades = live.Upgrades();
    ASSERT_EQ(1u, upgrades.size());
    EXPECT_EQ("GET", upgrades[0]["method"]);
    std::vector<std::pair<std::string, std::string>> headers;
    for (const auto& h : upgrades[0]["headers"])
        headers.emplace_back(h[0], h[1]);
    ASSERT_GE(headers.size(), 3u);
    EXPECT_EQ(std::make_pair(std::string("Accept-Encoding"), std::string("gzip,deflate")), headers[0]);
    EXPECT_EQ(std::make_pair(std::string("Origin"), "https://127.0.0.1:" + std::to_string(Server().httpsPort)),
              headers[1]);
    EXPECT_EQ(std::make_pair(std::string("Sec-WebSocket-Protocol"), std::string("qel_io_v2")), headers[2]);
    EXPECT_EQ(1, live.statuses.empty() ? 0 : live.statuses[0]);

    // events "a" 11, dirupdates "a" 56 (fragmented message), events "u" 12; binary and malformed
    // messages left nothing behind.
    ASSERT_EQ(303u, live.records.size());
    EXPECT_EQ(1299, live.records.back().param2);
    EXPECT_EQ(1103, live.records[0].requestId);
    EXPECT_EQ(11, live.records[0].param2);
    EXPECT_EQ(1099, live.records[1].requestId);
    EXPECT_EQ(1104, live.records[2].requestId);
    EXPECT_EQ(12, live.records[2].param2);
    EXPECT_EQ((std::vector<UINT32>{55}), live.dirServer.passive);
    ASSERT_EQ(1u, live.requests.size());
    EXPECT_EQ(std::string("{\"channel\":\"requests\",\"data\":{}}") + '\0', live.requests[0]);
    EXPECT_TRUE(live.boxes.texts.empty());
    EXPECT_EQ(0, live.handlers.m_retries);
}

TEST(RealtimeServer, ResetsReopenTheSocketTwiceThenReport)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    Live live("rt2");
    // Each connection takes the actions up to its reset; the fourth never opens.
    live.Actions(json::array({{{"delay_ms", 150}, {"abort", true}},
                              {{"delay_ms", 150}, {"abort", true}},
                              {{"delay_ms", 150}, {"abort", true}}}));
    std::vector<__int64> errors;
    live.db.Bind(W("ws_error"), [&](DB::DBEvent& event) {
        __int64 error = 0;
        event.GetInt64(9u, error);
        errors.push_back(error);
        live.handlers.on_ws_error(event);
    });
    live.Open();
    ASSERT_TRUE(fixture::PumpUntil([&] { return !live.boxes.texts.empty(); }));
    fixture::PumpUntil([] { return false; }, 500);
    ASSERT_EQ(3u, errors.size());
    for (__int64 error : errors) {
        std::cout << "socket reset reported as " << error << "\n";
        EXPECT_TRUE(RealtimeHandlers::IsConnectionReset(error)) << error;
    }
    EXPECT_EQ(3u, live.Upgrades().size());
    ASSERT_EQ(1u, live.boxes.texts.size());
    EXPECT_EQ(L"Realtime Socket Error", live.boxes.captions[0]);
    EXPECT_EQ(3, live.handlers.m_retries);
    for (const json& upgrade : live.Upgrades())
        EXPECT_EQ(live.target, upgrade["target"]);
}

TEST(RealtimeServer, AReopenedSocketCarriesMessagesAgain)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    Live live("rt6");
    // The first connection is reset; the second delivers a message.
    live.Actions(json::array({{{"delay_ms", 150}, {"abort", true}},
                              {{"delay_ms", 150}, {"text", "{\"channel\":\"events\",\"data\":{\"21\":{\"a\":\"a\"}}}"}}}));
    live.Open();
    ASSERT_TRUE(fixture::PumpUntil([&] { return !live.records.empty(); })) << "no message after the reset";
    EXPECT_EQ(2u, live.Upgrades().size());
    EXPECT_EQ(1103, live.records[0].requestId);
    EXPECT_EQ(21, live.records[0].param2);
    EXPECT_EQ(1, live.handlers.m_retries);
    EXPECT_TRUE(live.boxes.texts.empty());
}

TEST(RealtimeServer, ARefusedUpgradeShowsTheServersPage)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    Live live("rt3");
    live.Actions(json::array({{{"refuse", 403}, {"body", "<p>Token expired \xC3\xA9</p>"}}}));
    live.Open();
    ASSERT_TRUE(fixture::PumpUntil([&] { return !live.pages.empty(); }));
    EXPECT_EQ(L"<p>Token expired \u00e9</p>", live.pages[0]);
    EXPECT_TRUE(live.boxes.texts.empty());

    // The fixture refuses a realtime request without the client's own header lines.
    Live bare("rt4");
    bare.Open({W("X-Other: 1")});
    ASSERT_TRUE(fixture::PumpUntil([&] { return !bare.pages.empty(); }));
    EXPECT_EQ(L"Accept-Encoding header missing", bare.pages[0]);
}

TEST(RealtimeServer, DisconnectClosesTheSocketWithStatus1000)
{
    ASSERT_TRUE(Server().ok) << "fixture server not running";
    Live live("rt5");
    live.Open();
    ASSERT_TRUE(fixture::PumpUntil([&] { return !live.statuses.empty(); }));
    ASSERT_EQ(1, live.statuses[0]);
    live.db.Disconnect();

    // What the server saw of this socket after it opened.
    std::vector<json> seen;
    fixture::PumpUntil([&] {
        seen.clear();
        json log = json::parse(fixture::Control(Server(), L"GET", L"/control/ws_log"), nullptr, false);
        if (log.is_array())
            for (const json& entry : log)
                if (entry["path"] == live.target)
                    seen.push_back(entry);
        return !seen.empty() && seen.back()["type"] == "closed";
    }, 5000);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ("open", seen.front()["type"]);
    EXPECT_EQ("closed", seen.back()["type"]) << seen.back().dump();
    EXPECT_EQ("1000", seen.back()["data"]) << seen.back().dump();
}
