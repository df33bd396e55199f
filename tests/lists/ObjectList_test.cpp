#include <gtest/gtest.h>
#include <memory>
#include "lists/ListsFixture.h"
#include "lists/ObjectList.h"
#include "session/RecordingTransport.h"

namespace {
struct Server {
    RecordingTransport* transport = nullptr;
    std::unique_ptr<DB> db;
    Server()
    {
        auto owned = std::make_unique<RecordingTransport>();
        transport = owned.get();
        db = std::make_unique<DB>(std::move(owned));
        db->Connect(CTString(L"srv"));
    }
    std::string Path(size_t i) const { return transport->m_sent.at(i).path; }
    std::string Body(size_t i) const { return transport->m_sent.at(i).body; }
    size_t Count() const { return transport->m_sent.size(); }
};

void Parse(TiXmlDocument& doc, const wchar_t* text) { doc.Parse(text, nullptr, 0); }

Object Site(__int64 id, const wchar_t* name)
{
    Object o;
    o.id = id;
    o.type = 7;
    o.serial = id * 10;
    o.name = name;
    AddAttribute(o, 5, L"code", CAttribute(CAttribute::Text, L""));
    return o;
}

ObjectList::Row* Nth(ObjectList& list, size_t n)
{
    auto it = list.rows.begin();
    std::advance(it, n);
    return &*it;
}

RequestRoute Route()
{
    RequestRoute route;
    route.targetType = 12;
    route.requestId = 3;
    return route;
}

class ListWithType : public ObjectList {
public:
    ListWithType()
    {
        Object type;
        type.type = 7;
        type.name = L"Site";
        AddAttribute(type, 1, L"console_edit_attribs", CAttribute(CAttribute::Text, L"Name|code|*last_logon"));
        SetType(type);
    }
    void RequestPendingValues() override
    {
        calls.push_back(pendingValues.size());
        pendingValues.clear();
    }
    void NotifyChanged(int operation, Object* object) override { notices.push_back({operation, object->id}); }
    std::vector<size_t> calls;
    std::vector<std::pair<int, __int64>> notices;
};
} // namespace

TEST(ObjectList, DeletesSendOnlyWhatTheServerHas)
{
    Server server;
    ListWithType list;
    list.AddRow(Site(11, L"A"));
    ObjectList::Row& added = list.AddNewRow(Site(0, L"B"));
    list.DeleteRow(added);
    EXPECT_EQ(list.rows.size(), 1u);
    EXPECT_FALSE(list.SaveNextRow(*server.db, 1, Route()));
    EXPECT_EQ(server.Count(), 0u);

    list.DeleteRow(list.rows.front());
    ASSERT_TRUE(list.SaveNextRow(*server.db, 1, Route()));
    ASSERT_EQ(server.Count(), 1u);
    EXPECT_EQ(server.Path(0), "api/api_objDelete.php");
    EXPECT_EQ(server.Body(0), "ID=11&SERIAL=110");
    EXPECT_FALSE(list.SaveNextRow(*server.db, 1, Route()));

    TiXmlDocument reply;
    Parse(reply, L"<result />");
    EXPECT_TRUE(list.OnSaveReply(reply, &list.rows.front()));
    EXPECT_TRUE(list.rows.empty());
    ASSERT_EQ(list.notices.size(), 1u);
    EXPECT_EQ(list.notices[0], (std::pair<int, __int64>{2, 11}));
}

TEST(ObjectList, SavesOneRowAtATimeAndResendsAFailedOne)
{
    Server server;
    ListWithType list;
    for (int i = 1; i <= 3; ++i)
        list.AddRow(Site(i, L"S"));
    ObjectList::Row& added = list.AddNewRow(Site(0, L"New"));
    list.SetCellValue(added, 2, CAttribute(CAttribute::Text, L"n1"));   // an edited new row stays new
    EXPECT_EQ(added.operation, ObjectList::OpNew);
    for (int i = 0; i < 3; ++i)
        list.SetCellValue(*Nth(list, i), 2, CAttribute(CAttribute::Text, i == 1 ? L"two" : L"x"));
    list.SetCellValue(*Nth(list, 0), 1, CAttribute(CAttribute::Text, L"Renamed"));
    list.SetCellValue(*Nth(list, 0), 3, CAttribute(CAttribute::Text, L"ignored"));   // the object lacks it

    const RequestRoute route = Route();
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, route));
    ASSERT_EQ(server.Count(), 1u);
    EXPECT_EQ(server.Path(0), "api/api_objSet.php");
    EXPECT_EQ(server.Body(0), "ID=1&NAME=Renamed&SERIAL=10&ATTRIBID_5=x");
    TiXmlDocument ok;
    Parse(ok, L"<result><object id=\"1\" type=\"7\" serial=\"11\" name=\"Renamed\" /></result>");
    EXPECT_FALSE(list.OnSaveReply(ok, Nth(list, 0)));
    EXPECT_EQ(Nth(list, 0)->operation, ObjectList::OpNone);

    // The second fails: the owner stops the chain, so the third is not sent.
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, route));
    ASSERT_EQ(server.Count(), 2u);
    EXPECT_EQ(server.Body(1), "ID=2&NAME=S&SERIAL=20&ATTRIBID_5=two");
    list.OnSaveFailed(Nth(list, 1));
    EXPECT_EQ(server.Count(), 2u);

    // The next save sends the failed row again, with its change, before the others.
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, route));
    ASSERT_EQ(server.Count(), 3u);
    EXPECT_EQ(server.Body(2), "ID=2&NAME=S&SERIAL=20&ATTRIBID_5=two");
    TiXmlDocument bare;
    Parse(bare, L"<result />");
    list.OnSaveReply(bare, Nth(list, 1));
    EXPECT_EQ(Nth(list, 1)->operation, ObjectList::OpNone);
    EXPECT_FALSE(Nth(list, 1)->object.IsAttributeDirty(L"code"));

    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, route));
    EXPECT_EQ(server.Body(3), "ID=3&NAME=S&SERIAL=30&ATTRIBID_5=x");
    list.OnSaveReply(bare, Nth(list, 2));

    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, route));
    EXPECT_EQ(server.Path(4), "api/api_objNew.php");
    EXPECT_EQ(server.Body(4), "TYPE=7&PARENT=9&NAME=New&ATTRIBID_5=n1");
    // The reply finds its row through the route's second parameter.
    EXPECT_EQ(server.transport->m_sent.size(), 5u);
    EXPECT_EQ(added.object.parent, 9);

    // No insert_id: the row is saved, its id unchanged.
    EXPECT_TRUE(list.OnSaveReply(bare, &added));
    EXPECT_EQ(added.operation, ObjectList::OpNone);
    EXPECT_EQ(added.object.id, 0);
    EXPECT_FALSE(list.SaveNextRow(*server.db, 9, route));
    EXPECT_EQ(server.Count(), 5u);
}

TEST(ObjectList, ReadsTheNewIdBackAndIgnoresRepliesForGoneRows)
{
    Server server;
    ListWithType list;
    ObjectList::Row& added = list.AddNewRow(Site(0, L"New"));
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, Route()));
    TiXmlDocument reply;
    Parse(reply, L"<result><insert_id>77</insert_id><object id=\"5\" name=\"Other\" />"
                 L"<object id=\"77\" type=\"7\" serial=\"1\" name=\"Stored\" /></result>");
    EXPECT_TRUE(list.OnSaveReply(reply, &added));
    EXPECT_EQ(added.object.id, 77);
    EXPECT_EQ(Narrow(added.object.name.GetBuffer()), "Stored");
    ASSERT_EQ(list.notices.size(), 1u);
    EXPECT_EQ(list.notices[0], (std::pair<int, __int64>{1, 77}));

    ObjectList::Row stranger;
    stranger.operation = ObjectList::OpChanged;
    EXPECT_TRUE(list.OnSaveReply(reply, &stranger));
    EXPECT_EQ(stranger.operation, ObjectList::OpChanged);
}

TEST(ObjectList, HandsPendingValuesOverInBatches)
{
    ListWithType list;
    for (int i = 1; i <= 450; ++i)
        list.AddRow(Site(i, L"S"));
    std::vector<__int64> ids;
    list.FillRows(ids);
    EXPECT_EQ(list.calls, (std::vector<size_t>{201, 201, 48}));

    ObjectList untyped;
    untyped.AddRow(Site(1, L"S"));
    EXPECT_TRUE(untyped.BuildRowCells(untyped.rows.front(), ids).empty());
}

TEST(ObjectList, WritesLinkPathsAndPicksRowIcons)
{
    ObjectList list;
    Object type;
    type.type = 7;
    AddAttribute(type, 1, L"console_edit_attribs", CAttribute(CAttribute::Text, L"Name|link_site|*link_owner"));
    list.SetType(type);
    Object a = Site(1, L"A");
    AddAttribute(a, 6, L"link_site", CAttribute(CAttribute::Integer, 40ll), L"TYPE=Site", Object::Attribute::Link);
    AddAttribute(a, 7, L"link_owner", CAttribute(CAttribute::Integer, 40ll), L"TYPE=Site", Object::Attribute::Link);
    AddAttribute(a, 8, L"tree_image", CAttribute(CAttribute::Text, L"site.ico"));
    list.AddRow(a);
    std::vector<__int64> ids;
    list.FillRows(ids);
    EXPECT_EQ(ids, (std::vector<__int64>{40}));

    TiXmlDocument reply;
    Parse(reply, L"<result><value ID=\"40\" path=\"\\\\Org\\North\" /><value ID=\"0\" path=\"x\" /></result>");
    std::vector<std::pair<int, std::string>> cells;
    list.OnPathReply(reply, [&](ObjectList::Row&, int column, const CTString& text) {
        cells.push_back({column, Narrow(text)});
    });
    EXPECT_EQ(cells, (std::vector<std::pair<int, std::string>>{{2, "North"}}));

    EXPECT_EQ(Narrow(ObjectList::RowIconName(a)), "site.ico");
    EXPECT_EQ(Narrow(ObjectList::RowIconName(Site(2, L"B"))), "142");
}

// Row lookups by address and id stay right as rows come and go and new rows get their ids.
TEST(ObjectList, RowLookupsFollowRemovedRowsAndNewIds)
{
    Server server;
    ListWithType list;
    ObjectList::Row& one = list.AddRow(Site(1, L"One"));
    ObjectList::Row& twin = list.AddRow(Site(1, L"Twin"));   // a second row of the same id
    ObjectList::Row& two = list.AddRow(Site(2, L"Two"));
    ObjectList::Row& fresh = list.AddNewRow(Site(0, L"Fresh"));
    ObjectList::Row& dropped = list.AddNewRow(Site(0, L"Dropped"));
    ObjectList::Row outsider;

    auto nameOf = [&](__int64 id) {
        Object out;
        return Narrow(list.GetRowObject(out, id).name.GetBuffer());
    };
    EXPECT_EQ(nameOf(1), "One");   // the first row of an id
    EXPECT_EQ(nameOf(0), "Fresh");
    EXPECT_TRUE(list.IsRow(&dropped));
    EXPECT_FALSE(list.IsRow(&outsider));
    EXPECT_FALSE(list.IsRow(nullptr));

    list.DeleteRow(dropped);   // never saved: gone at once
    EXPECT_EQ(list.rows.size(), 4u);

    // A deleted row leaves the list once saved; the later row of its id takes its place.
    list.DeleteRow(one);
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, Route()));
    TiXmlDocument bare;
    Parse(bare, L"<result />");
    list.OnSaveReply(bare, &one);
    EXPECT_EQ(nameOf(1), "Twin");
    list.SetAttributeForId(1, 5, CAttribute(CAttribute::Text, L"changed"));
    EXPECT_EQ(twin.operation, ObjectList::OpChanged);

    // The new row is found by the id the server gave it, and no longer by 0.
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, Route()));   // the changed twin
    list.OnSaveReply(bare, &twin);
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, Route()));
    EXPECT_EQ(server.Path(2), "api/api_objNew.php");
    TiXmlDocument created;
    Parse(created, L"<result><insert_id>2</insert_id></result>");   // the id of an earlier row
    list.OnSaveReply(created, &fresh);
    EXPECT_EQ(fresh.object.id, 2);
    EXPECT_EQ(nameOf(0), "");
    EXPECT_EQ(nameOf(2), "Two");   // the earlier row keeps the id
    list.DeleteRow(two);
    ASSERT_TRUE(list.SaveNextRow(*server.db, 9, Route()));
    list.OnSaveReply(bare, &two);
    EXPECT_EQ(nameOf(2), "Fresh");
    list.SetAttributeForId(2, 5, CAttribute(CAttribute::Text, L"x"));
    EXPECT_EQ(fresh.operation, ObjectList::OpChanged);
    list.SetAttributeForId(99, 5, CAttribute(CAttribute::Text, L"x"));   // no such row: nothing

    list.Clear();
    EXPECT_FALSE(list.IsRow(&fresh));
    EXPECT_EQ(nameOf(2), "");
}

TEST(ObjectList, SetTypeAddsEverySubtypeInCacheOrder)
{
    MainWindowCache cache;
    auto define = [&](__int64 number, __int64 parent) {
        Object& definition = AddType(cache, number, L"T");
        definition.parent = parent;
    };
    define(20, 0);   // the list's type
    define(23, 22);  // a grandchild, listed before its parent
    define(21, 20);
    define(22, 20);
    define(24, 0);   // unrelated
    define(25, 26);  // a parent chain that loops
    define(26, 25);
    define(27, 24);

    ObjectList list;
    Object base;
    cache.GetTypeById(base, 20);
    list.SetType(base, &cache);
    std::vector<__int64> numbers;
    for (const Object& type : list.types)
        numbers.push_back(type.type);
    EXPECT_EQ(numbers, (std::vector<__int64>{20, 23, 21, 22}));

    list.SetType(base);
    EXPECT_EQ(list.types.size(), 1u);
}

// The editor's choice handler: VALUES entries, then the list's link choices for a linked TYPE.
TEST(ObjectList, ChoicesOfALinkTypeComeFromTheListsSource)
{
    struct Source : ObjectListChoiceSource {
        void ForEachSettingsObjectOfType(const CTString& typeName,
                                         const std::function<void(const Object&)>& fn) const override
        {
            if (Narrow(typeName.GetBuffer()) == "Fail Code")
                fn(Site(0x100000005ll, L"Disk"));   // keyed by the low 32 bits
        }
    } source;
    struct Recording : ObjectList {
        void FillChoices(const CTString& listName, const CTString& typeName, CTListCtrlEdit::Choices& out) override
        {
            asked.push_back(Narrow(listName.GetBuffer()) + " / " + Narrow(typeName.GetBuffer()));
            ObjectList::FillChoices(listName, typeName, out);
        }
        std::vector<std::string> asked;
    } list;
    list.choiceSource = &source;

    struct Case {
        const wchar_t* spec;
        std::map<unsigned, std::string> entries;
        const char* asked;   // the FillChoices call, "" for none
    };
    const Case cases[] = {
        {L"TYPE='Fail Code'", {{0, " "}, {5, "Disk"}}, "TYPE='Fail Code' / Fail Code"},
        {L"TYPE=Unknown|OBJECT=3", {{0, " "}}, "TYPE=Unknown|OBJECT=3 / Unknown"},
        {L"TYPE=Readonly|VALUES=a,'b'", {{0, "a"}, {1, "b"}}, ""},
        {L"VALUES=x", {{0, "x"}}, ""},
    };
    for (const Case& c : cases) {
        list.asked.clear();
        CTListCtrlEdit::Choices out;
        list.FillChoicesFromSpec(CTString(c.spec), out);
        std::map<unsigned, std::string> entries;
        for (const auto& [key, text] : out)
            entries[key] = Narrow(text.GetBuffer());
        EXPECT_EQ(entries, c.entries) << Narrow(c.spec);
        EXPECT_EQ(list.asked.empty() ? std::string() : list.asked.front(), c.asked) << Narrow(c.spec);
    }
}
