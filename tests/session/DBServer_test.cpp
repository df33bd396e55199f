// The server client against the fixture server under Wine: routed endpoint requests come back as
// "connection_recv" on the worker thread, DB::Post callbacks on the calling thread, and the reply
// check reads what the server really sent (error and RC elements, the exact content type, text
// ahead of the declaration, other status codes).
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "framework/CTWndMessageBox.h"
#include "framework/MessageBoxAnswerer.h"
#include "session/CHTTP.h"
#include "session/CWinHttp2Transport.h"
#include "session/DB.h"
#include "FixtureServer.h"

using nlohmann::json;

namespace {

const fixture::Info& Server()
{
    static fixture::Info info = [] {
        fixture::Info loaded = fixture::Load();
        if (loaded.ok)
            fixture::ImportCa(loaded);
        return loaded;
    }();
    return info;
}

CTString BaseUrl()
{
    CTString url;
    url.Format(L"https://127.0.0.1:%d", Server().httpsPort);
    return url;
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    int n = WideCharToMultiByte(CP_UTF8, 0, text ? text : L"", -1, nullptr, 0, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

// Answers every message box with OK and keeps its text; boxes may come from any thread.
class BoxRecorder : public MessageBoxAnswerer {
public:
    BoxRecorder() { MessageBoxAnswerer::Install(this); }
    ~BoxRecorder() override { MessageBoxAnswerer::Install(nullptr); }
    void OnMessageBox(CTWndMessageBox& box, HWND) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        texts.push_back(Narrow(box.m_text));
        box.Press(IDOK);
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return texts;
    }
    std::mutex mutex;
    std::vector<std::string> texts;
};

// What a reply came back as, read by the reply check.
struct Reply {
    std::atomic<bool> done{false};
    DWORD thread = 0;
    int statusClass = -1;
    __int64 result = -1;      // key 8
    __int64 error = -1;       // key 9
    RequestRoute route;
    std::string path;
    TiXmlDocument doc;
    std::string bodyLeft;     // key 4 after the check
    std::string disposition;  // the Content-Disposition header
    std::string body;         // key 4 as received
};

void Read(DB::DBEvent& event, Reply& reply)
{
    reply.thread = GetCurrentThreadId();
    event.GetInt64(8u, reply.result);
    event.GetInt64(9u, reply.error);
    if (event.Has(5u)) {
        CDataString record;
        event.SwapBytes(5u, record);
        record.Rewind();
        ReadRoute(record, reply.route);
    }
    if (event.Has(6u))
        reply.path = Narrow(event.At(6u).AsText().GetBuffer());
    auto received = event.m_map.find(TxRxKey(4u));
    if (received != event.m_map.end())
        reply.body.assign(reinterpret_cast<const char*>(received->second.m_data.GetData()),
                          received->second.m_data.GetSize());
    auto headers = event.m_map.find(TxRxKey(7u));
    if (headers != event.m_map.end()) {
        CHTTP http;
        http.Assign(headers->second.m_data);
        http.Parse();
        CTString value;
        if (http.GetHeader(CHTTP::ContentDisposition, value))
            reply.disposition = Narrow(value.GetBuffer());
    }
    reply.statusClass = event.ReadXmlReply(reply.doc);
    CTByteArray left;
    event.SwapBytes(4u, left);
    reply.bodyLeft.assign(reinterpret_cast<const char*>(left.GetData()), left.GetSize());
    reply.done = true;
}

// A connected client whose routed replies are collected by request id.
class Session {
public:
    explicit Session(const CTString& url = BaseUrl())
    {
        db.Connect(url);
        db.Bind(CTString(L"connection_recv"), [this](DB::DBEvent& event) {
            auto reply = std::make_shared<Reply>();
            Read(event, *reply);
            std::lock_guard<std::mutex> lock(mutex);
            replies.push_back(reply);
        });
    }
    ~Session() { db.Disconnect(); }

    std::shared_ptr<Reply> Wait(int requestId, __int64 param2 = 0)
    {
        std::shared_ptr<Reply> found;
        fixture::PumpUntil([&] {
            std::lock_guard<std::mutex> lock(mutex);
            for (auto& reply : replies)
                if (reply->route.requestId == requestId && reply->route.param2 == param2)
                    found = reply;
            return found != nullptr;
        });
        return found;
    }

    std::shared_ptr<Reply> Post(const wchar_t* path, CAttributes& form)
    {
        auto reply = std::make_shared<Reply>();
        db.Post(CTString(path), form, [reply](DB::DBEvent& event) { Read(event, *reply); });
        fixture::PumpUntil([&] { return reply->done.load(); });
        return reply;
    }

    DB db;
    std::mutex mutex;
    std::vector<std::shared_ptr<Reply>> replies;
};

RequestRoute Route(int requestId, __int64 param2 = 0, bool silent = false)
{
    RequestRoute route;
    route.targetType = 96;
    route.requestId = requestId;
    route.param2 = param2;
    route.silent = silent;
    return route;
}

TiXmlElement* Result(TiXmlDocument& doc)
{
    return doc.FirstChildElementNamed(L"result");
}

// The first child element of result with that name, or null.
TiXmlElement* Child(TiXmlDocument& doc, const wchar_t* name)
{
    TiXmlElement* result = Result(doc);
    return result ? result->FirstChildElementNamed(name) : nullptr;
}

std::string Attr(TiXmlElement* element, const wchar_t* name)
{
    const wchar_t* value = element ? element->GetAttribute(name) : nullptr;
    return value ? Narrow(value) : std::string("<none>");
}

int CountChildren(TiXmlDocument& doc, const wchar_t* name)
{
    int count = 0;
    TiXmlElement* result = Result(doc);
    for (TiXmlNode* node = result ? result->FirstChild() : nullptr; node; node = node->NextSibling())
        if (node->ToElement() && wcscmp(node->Value(), name) == 0)
            ++count;
    return count;
}

json FindRequest(const std::string& target, const std::string& body)
{
    for (const json& r : fixture::Requests(Server(), target))
        if (fixture::Base64Decode(r["body_b64"].get<std::string>()) == body)
            return r;
    return json();
}

} // namespace

TEST(DBServer, RoutedRequestReachesTheWorkerWithItsRouteAndTheObjects)
{
    ASSERT_TRUE(Server().ok);
    BoxRecorder boxes;
    Session session;
    session.db.ObjGet(20, true, false, Route(1052, 71));
    auto reply = session.Wait(1052, 71);
    ASSERT_TRUE(reply);
    EXPECT_NE(GetCurrentThreadId(), reply->thread);   // the transport's worker
    EXPECT_EQ(0, reply->result);
    EXPECT_EQ(-1, reply->error);
    EXPECT_EQ(96, reply->route.targetType);
    EXPECT_EQ("api/api_objGet.php", reply->path);
    EXPECT_EQ(2, reply->statusClass);
    EXPECT_EQ("20", Attr(Child(reply->doc, L"parameters"), L"ID"));
    EXPECT_EQ("0", Attr(Child(reply->doc, L"RC"), L"id"));
    TiXmlElement* object = Child(reply->doc, L"object");
    EXPECT_EQ("London", Attr(object, L"name"));
    EXPECT_EQ("\\Acme\\Engineering\\London", Attr(object, L"path"));
    EXPECT_EQ(3, CountChildren(reply->doc, L"object"));   // the site, its user and its computer
    EXPECT_TRUE(boxes.Texts().empty());

    // On the wire: the form body, its content type, the origin and the agent.
    json request = FindRequest("/api/api_objGet.php", "ID=20&CHILDREN=1&PARENTS=0");
    ASSERT_FALSE(request.is_null());
    EXPECT_EQ("POST", request["method"]);
    std::map<std::string, std::string> headers;
    for (const json& h : request["headers"])
        headers[h[0].get<std::string>()] = h[1].get<std::string>();
    EXPECT_EQ("application/x-www-form-urlencoded; charset=UTF-8", headers["Content-Type"]);
    EXPECT_EQ(Narrow(BaseUrl().GetBuffer()), headers["Origin"]);
    EXPECT_EQ(0u, headers["User-Agent"].find("QELConsole/"));
    EXPECT_NE(std::string::npos, headers["User-Agent"].find(" (Windows NT 10.0; Win64; x64)"));
}

TEST(DBServer, EndpointsRoundTripThroughTheSampleDirectory)
{
    ASSERT_TRUE(Server().ok);
    BoxRecorder boxes;
    Session session;

    // Paths joined with U+01C1 arrive as two lookups.
    session.db.DirPathToID({CTString(L"\\System\\Groups"), CTString(L"Acme\\Sales")}, Route(1027, 1));
    // More than 1000 keys travel as FATPARAM and the server unfolds them.
    std::vector<DB::UniqueEntry> entries;
    for (int m = 0; m < 400; ++m)
        entries.push_back({m, {CTString(L"a b"), CTString(L"c\u00e9")}});
    session.db.DirGetLookupUnique({CTString(L"f")}, entries, Route(1039, 2));
    session.db.ObjSearch(CTString(L"Site"), DB::kParentAll, CTString(L""), CTString(L""), true, DB::kNoMax,
                         Route(1047, 3));
    session.db.DirIDsToPaths({30, 41}, Route(1028, 4));
    session.db.QelGetDeploymentWindow(50, Route(1063, 5));
    CAttributes slot;
    slot.SetNumber(L"PARENT", 51);   // another group than the window asked for above: its seven days stay
    slot.Set(L"END_DATE", CAttribute(CAttribute::Date, static_cast<__int64>(1700086400)));
    session.db.PostForm(CTString(L"api\\api_qelCreateDeploymentSlot.php"), slot, Route(1084, 6));

    auto paths = session.Wait(1027, 1);
    ASSERT_TRUE(paths);
    EXPECT_EQ(2, CountChildren(paths->doc, L"value"));
    EXPECT_EQ("2", Attr(Child(paths->doc, L"value"), L"ID"));

    auto unique = session.Wait(1039, 2);
    ASSERT_TRUE(unique);
    TiXmlElement* counted = Child(unique->doc, L"parameters");
    EXPECT_EQ("1", Attr(counted, L"FIELDS"));
    EXPECT_EQ("400", Attr(counted, L"ENTRIES"));
    EXPECT_EQ("800", Attr(counted, L"VALUES"));

    auto sites = session.Wait(1047, 3);
    ASSERT_TRUE(sites);
    EXPECT_GE(CountChildren(sites->doc, L"object"), 2);   // London, Berlin and any a test created

    auto ids = session.Wait(1028, 4);
    ASSERT_TRUE(ids);
    EXPECT_EQ("0", Attr(Child(ids->doc, L"parameters"), L"ID"));
    EXPECT_EQ("\\Acme\\Engineering\\London\\Ada Lovelace", Attr(Child(ids->doc, L"value"), L"path"));

    auto window = session.Wait(1063, 5);
    ASSERT_TRUE(window);
    EXPECT_EQ("50", Attr(Child(window->doc, L"parameters"), L"PARENT"));
    EXPECT_EQ("260", Attr(Child(window->doc, L"RC"), L"depwinid"));   // the group's window object
    EXPECT_EQ(7, CountChildren(window->doc, L"day"));

    // The slot page's path holds a backslash; WinHTTP sends it escaped and the fixture reads it as "/".
    auto created = session.Wait(1084, 6);
    ASSERT_TRUE(created);
    EXPECT_EQ(0, created->result);
    EXPECT_EQ("51", Attr(Child(created->doc, L"parameters"), L"PARENT"));
    EXPECT_GT(atoi(Attr(Child(created->doc, L"RC"), L"deployment_slot").c_str()), 0);   // the new slot
    json sent = FindRequest("/api", "PARENT=51&END_DATE=1700086400");
    ASSERT_FALSE(sent.is_null());
    std::string target = sent["target"].get<std::string>();
    EXPECT_EQ("/api%5Capi_qelCreateDeploymentSlot.php", target);
    EXPECT_TRUE(boxes.Texts().empty());
}

// The deployment pages answer in the shapes the deployment and schedule-group panes read.
TEST(DBServer, DeploymentPagesAnswerAsThePanesReadThem)
{
    ASSERT_TRUE(Server().ok);
    BoxRecorder boxes;
    Session session;
    session.db.QelGetDeploymentRoutes(530, Route(1088, 1, true));
    CAttributes linkAccess;
    linkAccess.SetNumber(L"ATTRIBID_160", 0);   // "linkaccess_id"
    session.db.ObjGetAttrib(200, linkAccess, Route(1053, 2));
    session.db.QelReSchedule(302, Route(1072, 3));
    session.db.QelBuildsheetGeneration(CTString(L"300"), Route(1080, 4));
    session.db.QelGetScheduleGroup(52, Route(1065, 5));

    // Routes: objects under their location; the legacy one named on RC, not on a route.
    auto routes = session.Wait(1088, 1);
    ASSERT_TRUE(routes);
    EXPECT_EQ("540", Attr(Child(routes->doc, L"RC"), L"legacy_route"));
    EXPECT_EQ(2, CountChildren(routes->doc, L"object"));
    for (TiXmlElement* route = Child(routes->doc, L"object"); route; route = route->NextSiblingElementNamed(L"object")) {
        EXPECT_EQ("530", Attr(route, L"parent"));
        for (TiXmlElement* a = route->FirstChildElementNamed(L"attrib"); a; a = a->NextSiblingElementNamed(L"attrib"))
            EXPECT_NE("legacy_route", Attr(a, L"name"));
    }

    // The attribute asked for by id: id and value.
    auto attrib = session.Wait(1053, 2);
    ASSERT_TRUE(attrib);
    EXPECT_EQ("200", Attr(Child(attrib->doc, L"parameters"), L"ID"));
    EXPECT_EQ("160", Attr(Child(attrib->doc, L"attrib"), L"id"));
    EXPECT_EQ("c0ffee", Attr(Child(attrib->doc, L"attrib"), L"value"));

    // Re-scheduling makes a new deployment in the same schedule group and names it.
    auto rescheduled = session.Wait(1072, 3);
    ASSERT_TRUE(rescheduled);
    TiXmlElement* insert = Child(rescheduled->doc, L"insert_id");
    ASSERT_NE(nullptr, insert);
    ASSERT_NE(nullptr, insert->FirstChild());
    const std::string newId = Narrow(insert->FirstChild()->Value());
    EXPECT_NE("302", newId);
    EXPECT_EQ(newId, Attr(Child(rescheduled->doc, L"object"), L"id"));
    EXPECT_EQ("52", Attr(Child(rescheduled->doc, L"object"), L"parent"));

    // The build sheet: a file named by its Content-Disposition, not a document.
    auto sheet = session.Wait(1080, 4);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(2, sheet->statusClass);
    EXPECT_NE(std::string::npos, sheet->disposition.find("filename=\"Build sheet 300.pdf\"")) << sheet->disposition;
    EXPECT_EQ(0u, sheet->body.find("%PDF")) << sheet->body;

    // The schedule group first, its deployments (children of the group) linked to their computers,
    // and the deployment locations named on RC.
    auto group = session.Wait(1065, 5);
    ASSERT_TRUE(group);
    EXPECT_EQ("52", Attr(Child(group->doc, L"object"), L"id"));
    TiXmlElement* locations = Child(group->doc, L"RC")->FirstChildElementNamed(L"deploymentlocation_ids");
    ASSERT_NE(nullptr, locations);
    EXPECT_EQ(L"530,531", std::wstring(locations->FirstChild()->Value()));
    bool sawGrace = false;
    for (TiXmlElement* o = Child(group->doc, L"object"); o; o = o->NextSiblingElementNamed(L"object")) {
        if (Attr(o, L"id") != "300")
            continue;
        sawGrace = true;
        EXPECT_EQ("52", Attr(o, L"parent"));
        std::vector<std::string> links;
        for (TiXmlElement* a = o->FirstChildElementNamed(L"attrib"); a; a = a->NextSiblingElementNamed(L"attrib"))
            links.push_back(Attr(a, L"name") + "=" + (a->FirstChild() ? Narrow(a->FirstChild()->Value()) : ""));
        EXPECT_NE(links.end(), std::find(links.begin(), links.end(), "link_legacy_computer=230"));
        EXPECT_NE(links.end(), std::find(links.begin(), links.end(), "link_deployed_computer=237"));
    }
    EXPECT_TRUE(sawGrace);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(DBServer, PostCallbackRoundTripAndReturnCodes)
{
    ASSERT_TRUE(Server().ok);
    BoxRecorder boxes;
    Session session;

    CAttributes query;
    query.SetNumber(L"GetTitleBarColours", 1);
    auto colours = session.Post(L"api/api_qelQuery.php", query);
    EXPECT_EQ(GetCurrentThreadId(), colours->thread);
    EXPECT_EQ(2, colours->statusClass);
    EXPECT_EQ(-1, colours->result);   // callbacks get no result code
    EXPECT_EQ("api/api_qelQuery.php", colours->path);
    EXPECT_EQ("#03428E", Attr(Child(colours->doc, L"value"), L"titleBarColour"));

    // A save with a stale serial: RC 569 with the conflicting id.
    CAttributes created;
    created.SetNumber(L"TYPE", 4);
    created.SetNumber(L"PARENT", 11);
    created.SetText(L"NAME", L"Client test site");
    auto fresh = session.Post(L"api/api_objNew.php", created);
    TiXmlElement* insert = Child(fresh->doc, L"insert_id");
    ASSERT_NE(nullptr, insert);
    ASSERT_NE(nullptr, insert->FirstChild());
    unsigned id = static_cast<unsigned>(_wtoi(insert->FirstChild()->Value()));
    ASSERT_NE(0u, id);

    session.db.ObjSet(id, 99, CTString(L"Renamed"), CAttributes(), CAttributes(), Route(1051, 6));
    auto stale = session.Wait(1051, 6);
    ASSERT_TRUE(stale);
    EXPECT_EQ("569", Attr(Child(stale->doc, L"RC"), L"id"));
    EXPECT_EQ(std::to_string(id), Attr(Child(stale->doc, L"RC"), L"conflictid"));

    session.db.ObjSet(id, 1, CTString(L"Renamed"), CAttributes(), CAttributes(), Route(1051, 7));
    auto saved = session.Wait(1051, 7);
    ASSERT_TRUE(saved);
    EXPECT_EQ("0", Attr(Child(saved->doc, L"RC"), L"id"));
    EXPECT_EQ("2", Attr(Child(saved->doc, L"object"), L"serial"));
    // The directory is shared with other test programs: leave it as it was.
    session.db.ObjDelete(id, 2, Route(1051, 8));
    ASSERT_TRUE(session.Wait(1051, 8));

    // An error element for an object that does not exist.
    CAttributes missing;
    missing.SetNumber(L"ID", 987654);
    auto gone = session.Post(L"api/api_objGet.php", missing);
    TiXmlElement* error = Child(gone->doc, L"error");
    ASSERT_NE(nullptr, error);
    EXPECT_EQ("1001", Attr(error, L"id"));
    EXPECT_EQ(L"Object not found", std::wstring(error->FirstChild()->Value()));
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(DBServer, ReplyCheckOnWhatTheServerSent)
{
    ASSERT_TRUE(Server().ok);
    const fixture::Info& server = Server();
    json xmlHeaders = json::array({json::array({"Content-Type", "application/xml"})});
    const std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><RC id=\"0\" text=\"OK\"/></result>";
    fixture::Script(server, "/client/charset.php",
                    json::array({{{"headers", json::array({json::array({"Content-Type", "application/xml; charset=UTF-8"})})},
                                  {"body", doc}}}));
    fixture::Script(server, "/client/warning.php",
                    json::array({{{"headers", xmlHeaders}, {"body", "Notice: slow query\n" + doc}}}));
    fixture::Script(server, "/client/nodecl.php", json::array({{{"headers", xmlHeaders}, {"body", "<result/>"}}}));
    fixture::Script(server, "/client/html.php",
                    json::array({{{"headers", json::array({json::array({"Content-Type", "text/html"})})},
                                  {"body", "<html>maintenance</html>"}}}));
    fixture::Script(server, "/client/fail.php", json::array({{{"status", 500}, {"headers", xmlHeaders}, {"body", doc}}}));
    fixture::Script(server, "/client/missing.php", json::array({{{"status", 404}, {"body", "not here"}}}));
    fixture::Script(server, "/client/routed500.php", json::array({{{"status", 500}, {"body", "x"}}}));
    // Every try aborts: WinHTTP itself may try again on a fresh connection.
    fixture::Script(server, "/client/abort1.php", json::array({{{"mode", "abort"}, {"count", -1}}}));
    fixture::Script(server, "/client/abort2.php", json::array({{{"mode", "abort"}, {"count", -1}}}));

    BoxRecorder boxes;
    Session session;
    CAttributes form;
    form.SetNumber(L"X", 1);

    auto charset = session.Post(L"client/charset.php", form);
    EXPECT_EQ(2, charset->statusClass);
    EXPECT_EQ(nullptr, Result(charset->doc));   // only exactly "application/xml" is parsed

    auto html = session.Post(L"client/html.php", form);
    EXPECT_EQ(2, html->statusClass);
    EXPECT_EQ(nullptr, Result(html->doc));
    EXPECT_TRUE(boxes.Texts().empty());

    auto warning = session.Post(L"client/warning.php", form);
    EXPECT_EQ(2, warning->statusClass);
    EXPECT_EQ(std::vector<std::string>{"Notice: slow query\n"}, boxes.Texts());

    auto nodecl = session.Post(L"client/nodecl.php", form);
    EXPECT_EQ(2, nodecl->statusClass);
    EXPECT_NE(nullptr, Result(nodecl->doc));
    EXPECT_EQ((std::vector<std::string>{"Notice: slow query\n", "<result/>"}), boxes.Texts());

    auto fail = session.Post(L"client/fail.php", form);
    EXPECT_EQ(11, fail->statusClass);
    EXPECT_EQ(doc, fail->bodyLeft);             // untouched
    EXPECT_EQ(nullptr, Result(fail->doc));

    auto missing = session.Post(L"client/missing.php", form);
    EXPECT_EQ(9, missing->statusClass);

    CTByteArray body;
    session.db.SendRequest(L"POST", CTString(L"client/routed500.php"), CTString(), &body, Route(1090, 8));
    auto routed = session.Wait(1090, 8);
    ASSERT_TRUE(routed);
    EXPECT_EQ(5007, routed->result);
    EXPECT_EQ(-1, routed->error);

    // A transfer that fails: only a silent route carries the WinHTTP error.
    session.db.SendRequest(L"POST", CTString(L"client/abort1.php"), CTString(), &body, Route(1090, 9, true));
    session.db.SendRequest(L"POST", CTString(L"client/abort2.php"), CTString(), &body, Route(1090, 10, false));
    auto silent = session.Wait(1090, 9);
    auto loud = session.Wait(1090, 10);
    ASSERT_TRUE(silent);
    ASSERT_TRUE(loud);
    EXPECT_EQ(5007, silent->result);
    EXPECT_GT(silent->error, 0);   // the socket error as WinHTTP reports it
    EXPECT_EQ(5007, loud->result);
    EXPECT_EQ(-1, loud->error);
    EXPECT_EQ(2u, boxes.Texts().size());
}

TEST(DBServer, UploadStoresTheFileAndAnUnreadableOneIsNotSent)
{
    ASSERT_TRUE(Server().ok);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    CTString path(folder);
    path.AppendText(L"qel_client_upload.txt");
    HANDLE file = CreateFileW(path.GetBuffer(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "hello", 5, &written, nullptr);
    CloseHandle(file);

    Session session;
    EXPECT_TRUE(session.db.QelCustomAdd(CTString(L"client"), path, Route(1079, 11)));
    auto added = session.Wait(1079, 11);
    ASSERT_TRUE(added);
    EXPECT_EQ("5", Attr(Child(added->doc, L"value"), L"size"));
    EXPECT_FALSE(session.db.QelCustomAdd(CTString(L"client"), CTString(L"C:\\no\\such.txt"), Route(1079, 12)));

    session.db.QelCustomDir(CTString(L"client"), Route(1077, 13));
    auto listing = session.Wait(1077, 13);
    ASSERT_TRUE(listing);
    EXPECT_EQ(1, CountChildren(listing->doc, L"file"));
    EXPECT_EQ("qel_client_upload.txt", Attr(Child(listing->doc, L"file"), L"name"));
    DeleteFileW(path.GetBuffer());
}

TEST(DBServer, PostChecksTheCertificateEvenAfterAnApiRequestReachedTheSameServer)
{
    ASSERT_TRUE(Server().ok);
    BoxRecorder boxes;
    CTString untrusted;
    untrusted.Format(L"https://127.0.0.1:%d", Server().untrustedPort);
    Session session(untrusted);

    // API requests accept any certificate; a post checks it, also on a connection that an API
    // request opened just before.
    session.db.ObjGet(90, false, false, Route(1030, 41));
    auto api = session.Wait(1030, 41);
    ASSERT_TRUE(api);
    EXPECT_EQ(2, api->statusClass);

    CAttributes query;
    query.SetNumber(L"GetTitleBarColours", 1);
    auto post = session.Post(L"api/api_qelQuery.php", query);
    ASSERT_TRUE(post->done);
    EXPECT_EQ(0, post->statusClass);
    EXPECT_EQ(nullptr, Result(post->doc));

    session.db.ObjGet(90, false, false, Route(1030, 42));
    auto again = session.Wait(1030, 42);
    ASSERT_TRUE(again);
    EXPECT_EQ(2, again->statusClass);
}

TEST(DBServer, RequestsTheServerDropsUnansweredEndAndTheBusyCountReturnsToIdle)
{
    ASSERT_TRUE(Server().ok);
    BoxRecorder boxes;
    Session session;
    // The server's silence is waited for this long instead of the session's ten minutes.
    static_cast<CWinHttp2Transport*>(session.db.m_transport.get())->m_http.m_stallLimit = 1500;
    std::vector<__int64> counts;
    session.db.Bind(CTString(L"request_count"), [&](DB::DBEvent& event) {
        __int64 count = -1;
        event.GetInt64(::DBEvent::KeyRequestCount, count);
        counts.push_back(count);
    });
    for (const char* mode : {"close", "abort"}) {
        std::string path = std::string("/d14/") + mode + ".php";
        fixture::Script(Server(), path, json::array({{{"mode", mode}, {"count", -1}}}));
        CTString page;
        page.AssignAnsi(path.c_str() + 1);
        const __int64 key = mode[0] == 'c' ? 20 : 30;

        // A window's request, a silent one and a post alike.
        CTByteArray body;
        session.db.SendRequest(L"POST", page, CTString(), &body, Route(1091, key));
        session.db.SendRequest(L"POST", page, CTString(), &body, Route(1091, key + 1, true));
        CAttributes form;
        form.SetNumber(L"X", 1);
        auto post = std::make_shared<Reply>();
        session.db.Post(page, form, [post](DB::DBEvent& event) { Read(event, *post); });

        auto window = session.Wait(1091, key);
        auto silent = session.Wait(1091, key + 1);
        ASSERT_TRUE(window) << mode;
        ASSERT_TRUE(silent) << mode;
        ASSERT_TRUE(fixture::PumpUntil([&] { return post->done.load(); }, 15000)) << mode;
        EXPECT_EQ(5007, window->result) << mode;
        EXPECT_EQ(5007, silent->result) << mode;
        EXPECT_GT(silent->error, 0) << mode;
        EXPECT_EQ(0, post->statusClass) << mode;
        ASSERT_TRUE(fixture::PumpUntil([&] { return session.db.GetBusyCount() == 0; }, 5000)) << mode;
        ASSERT_FALSE(counts.empty()) << mode;
        EXPECT_EQ(0, counts.back()) << mode;
    }
}
