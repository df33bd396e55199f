// An object list against the fixture server: the type's columns from its definition, rows filled
// from a search, and new, changed and deleted rows saved one request at a time through the real
// transport.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>
#include "controls/CTListCtrlEdit.h"
#include "controls/CTListCtrlReportEx.h"
#include "foundation/TiXmlDocument.h"
#include "lists/ObjectList.h"
#include "session/DB.h"
#include "session/FixtureServer.h"

namespace {
constexpr unsigned kFolderType = 1;
constexpr unsigned kFailCodesFolder = 6;

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

struct Reply {
    RequestRoute route;
    int status = 0;
    TiXmlDocument doc;
};

// Routed replies in arrival order.
class Session {
public:
    Session()
    {
        CTString url;
        url.Format(L"https://127.0.0.1:%d", Server().httpsPort);
        db.Connect(url);
        db.Bind(CTString(L"connection_recv"), [this](DB::DBEvent& event) {
            auto reply = std::make_shared<Reply>();
            if (event.Has(5u)) {
                CDataString record;
                event.SwapBytes(5u, record);
                record.Rewind();
                ReadRoute(record, reply->route);
            }
            reply->status = event.ReadXmlReply(reply->doc);
            std::lock_guard<std::mutex> lock(mutex);
            replies.push_back(reply);
        });
    }
    ~Session() { db.Disconnect(); }
    // The next reply not yet taken.
    std::shared_ptr<Reply> Next()
    {
        std::shared_ptr<Reply> found;
        fixture::PumpUntil([&] {
            std::lock_guard<std::mutex> lock(mutex);
            if (taken < replies.size())
                found = replies[taken++];
            return found != nullptr;
        });
        return found;
    }
    DB db;
    std::mutex mutex;
    std::vector<std::shared_ptr<Reply>> replies;
    size_t taken = 0;
};

RequestRoute Route(int requestId)
{
    RequestRoute route;
    route.targetType = 97;
    route.requestId = requestId;
    route.silent = true;
    return route;
}

TiXmlElement* Result(TiXmlDocument& doc)
{
    TiXmlElement* root = doc.RootElement();
    if (root && lstrcmpW(root->Value(), L"result") != 0)
        root = root->FirstChildElementNamed(L"result");
    return root;
}

class PendingList : public ObjectList {
public:
    void RequestPendingValues() override
    {
        handed += pendingValues.size();
        pendingValues.clear();
    }
    size_t handed = 0;
};

std::set<std::wstring> Names(const ObjectList& list)
{
    std::set<std::wstring> names;
    for (const ObjectList::Row& row : list.rows)
        names.insert(row.object.name.GetBuffer() ? row.object.name.GetBuffer() : L"");
    return names;
}

class ObjectListLive : public ::testing::Test {
protected:
    HWND host = nullptr;
    CTListCtrlReportEx report;
    CTListCtrlEdit editor;
    Session session;
    __int64 folderId = 0;
    __int64 folderSerial = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Server().ok) << "fixture server not running";
        host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640, 400, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(report.CreateReport(host, 100, 0));
        editor.Attach(100, &report, nullptr, nullptr, nullptr);
        // A folder of this run's own keeps the rows apart from what other tests read.
        CTString name;
        name.Format(L"lists-live-%lu", GetCurrentProcessId());
        session.db.ObjNew(kFolderType, kFailCodesFolder, name, CAttributes(), CAttributes(), Route(1));
        auto reply = session.Next();
        ASSERT_TRUE(reply);
        Object folder;
        TiXmlElement* result = Result(reply->doc);
        TiXmlElement* element = result ? result->FirstChildElementNamed(L"object") : nullptr;
        ASSERT_TRUE(element);
        folder.ReadFromXml(element, true);
        folderId = folder.id;
        folderSerial = folder.serial;
        ASSERT_NE(folderId, 0);
    }
    void TearDown() override
    {
        if (folderId) {
            session.db.ObjDelete(static_cast<unsigned>(folderId), static_cast<unsigned>(folderSerial), Route(9));
            session.Next();
        }
        report.Destroy();
        if (host)
            DestroyWindow(host);
    }

    Object LoadType(const wchar_t* name)
    {
        session.db.ObjType(CTString(name), Route(2));
        auto reply = session.Next();
        Object type;
        TiXmlElement* result = reply ? Result(reply->doc) : nullptr;
        if (TiXmlElement* element = result ? result->FirstChildElementNamed(L"type") : nullptr)
            type.ReadFromXml(element, true);
        return type;
    }

    // Sends every pending row, one request at a time; the number of requests.
    int SaveAll(ObjectList& list)
    {
        int sent = 0;
        while (list.SaveNextRow(session.db, static_cast<int>(folderId), Route(4))) {
            ++sent;
            auto reply = session.Next();
            if (!reply)
                return -1;
            list.OnSaveReply(reply->doc, reinterpret_cast<ObjectList::Row*>(reply->route.param2));
            if (sent > 20)
                return -1;
        }
        return sent;
    }

    void Search(ObjectList& list, std::vector<__int64>& ids)
    {
        session.db.ObjSearch(CTString(L"Fail Code"), static_cast<unsigned>(folderId), CTString(), CTString(), false,
                             DB::kNoMax, Route(3));
        auto reply = session.Next();
        ASSERT_TRUE(reply);
        list.FillFromSearch(report, editor, reply->doc, ids);
    }
};
} // namespace

TEST_F(ObjectListLive, SearchFillsAndNewChangedDeletedRowsReachTheServer)
{
    Object type = LoadType(L"Fail Code");
    ASSERT_EQ(type.type, 41);
    PendingList list;
    list.SetType(type);
    list.SetReportColumns(report);
    ASSERT_EQ(list.columnNames.size(), 6u);
    EXPECT_EQ(std::wstring(list.columnNames[2].GetBuffer()), L"description");
    EXPECT_EQ(std::wstring(ObjectList::RowIconName(type).GetBuffer()), L"fail_code");

    Object seed;
    seed.type = type.type;
    for (const wchar_t* name : {L"First", L"Second", L"Third"}) {
        seed.name = name;
        list.AddNewRow(seed);
    }
    EXPECT_EQ(SaveAll(list), 3);
    for (const ObjectList::Row& row : list.rows) {
        EXPECT_EQ(row.operation, ObjectList::OpNone);
        EXPECT_GE(row.object.id, 1000);   // read back from insert_id
    }

    std::vector<__int64> ids;
    PendingList shown;
    shown.SetType(type);
    Search(shown, ids);
    ASSERT_EQ(shown.rows.size(), 3u);
    EXPECT_EQ(report.GetItemCount(), 3);
    EXPECT_EQ(shown.handed, 3u);   // the starred "display_order" none of them has

    auto find = [&](const wchar_t* name) -> ObjectList::Row& {
        for (ObjectList::Row& row : shown.rows)
            if (row.object.name.Equals(name))
                return row;
        return shown.rows.front();
    };
    shown.SetCellValue(find(L"First"), 1, CAttribute(CAttribute::Text, L"First renamed"));
    shown.DeleteRow(find(L"Second"));
    seed.name = L"Fourth";
    shown.AddNewRow(seed);
    EXPECT_EQ(SaveAll(shown), 3);
    EXPECT_EQ(shown.rows.size(), 3u);

    PendingList again;
    again.SetType(type);
    Search(again, ids);
    EXPECT_EQ(Names(again), (std::set<std::wstring>{L"First renamed", L"Third", L"Fourth"}));
    EXPECT_EQ(report.GetItemCount(), 3);
}
