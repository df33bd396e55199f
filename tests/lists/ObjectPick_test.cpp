// The pick page model against a recording server client: ticks create and delete links, edits of
// a link's attributes are saved, locked candidates never change, Select applies to unlocked rows
// only, and a link whose save failed goes again with the next save.
#include <gtest/gtest.h>
#include <memory>
#include "foundation/TiXmlDocument.h"
#include "lists/ListsFixture.h"
#include "lists/ObjectPick.h"
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
    std::vector<std::string> Sent() const
    {
        std::vector<std::string> out;
        for (const auto& sent : transport->m_sent)
            out.push_back(sent.path + "?" + sent.body);
        return out;
    }
};

constexpr __int64 kForm = 90;

Object LinkType()
{
    Object type;
    type.type = 60;
    type.name = L"Menu Link";
    AddAttribute(type, 1, L"console_edit_attribs", CAttribute(CAttribute::Text, L"visible|position"));
    AddAttribute(type, 7, L"link_menu", CAttribute(CAttribute::Integer, 0ll), L"", Object::Attribute::Link);
    AddAttribute(type, 8, L"visible", CAttribute(CAttribute::Integer, 0ll), L"TYPE=Checkbox");
    AddAttribute(type, 9, L"position", CAttribute(CAttribute::Integer, 0ll), L"VALUES=top,bottom");
    return type;
}

Object Candidate(__int64 id, const wchar_t* name, const wchar_t* display)
{
    Object o;
    o.id = id;
    o.type = 61;
    o.name = name;
    AddAttribute(o, 3, L"display_name", CAttribute(CAttribute::Text, display));
    return o;
}

Object Link(__int64 id, __int64 target)
{
    Object link = LinkType();
    link.id = id;
    link.serial = id;
    link.parent = kForm;
    link.name.Empty();
    link.attributes[7].CAttribute::Assign(CAttribute(CAttribute::Integer, target));
    return link;
}

ObjectPick::Row* Nth(ObjectPick& pick, size_t n)
{
    auto it = pick.rows.begin();
    std::advance(it, n);
    return &*it;
}

// Candidates 1..4; 2 is linked (link 502), 4 is locked.
struct Page {
    ObjectPick pick;
    Page()
    {
        RequestRoute route;
        route.targetType = 5;
        route.targetKey = kForm;
        pick.SetType(LinkType(), CTString(L"Display Name"), route);
        pick.Fill({Link(502, 2)},
                  {Candidate(1, L"Home", L"Home page"), Candidate(2, L"Tasks", L"My tasks"),
                   Candidate(3, L"Orders", L"Orders"), Candidate(4, L"Admin", L"Administration")},
                  {4});
    }
    std::vector<int> Ticks()
    {
        std::vector<int> out;
        for (const ObjectPick::Row& row : pick.rows)
            out.push_back(static_cast<int>(pick.CellValue(row, 0).GetValue()));
        return out;
    }
};

void Parse(TiXmlDocument& doc, const wchar_t* text) { doc.Parse(text, nullptr, 0); }
} // namespace

TEST(ObjectPick, ColumnsAndCellsOfLinkItemsAndExtraCaptions)
{
    Page page;
    std::vector<std::string> names;
    for (const CTString& name : page.pick.columnNames)
        names.push_back(Narrow(name.GetBuffer()));
    EXPECT_EQ(names, (std::vector<std::string>{"", "Name", "visible", "position", "Display Name"}));
    EXPECT_EQ(Narrow(page.pick.linkAttribute.GetBuffer()), "link_menu");
    const ObjectPick::Row& tasks = *Nth(page.pick, 1);
    EXPECT_EQ(Narrow(page.pick.CellValue(tasks, 1).GetText()), "Tasks");
    EXPECT_EQ(Narrow(page.pick.CellValue(tasks, 4).GetText()), "My tasks");   // the target's display_name
    EXPECT_EQ(page.Ticks(), (std::vector<int>{0, 1, 0, 1}));
}

TEST(ObjectPick, TicksCreateAndDeleteLinksAndUndoEachOther)
{
    Server server;
    Page page;
    ObjectPick& pick = page.pick;
    const CAttribute on(CAttribute::Integer, 1ll), off(CAttribute::Integer, 0ll);
    pick.SetCellValue(*Nth(pick, 0), 0, on);    // tick and untick: nothing
    pick.SetCellValue(*Nth(pick, 0), 0, off);
    pick.SetCellValue(*Nth(pick, 1), 0, off);   // untick the link and tick it again: nothing
    pick.SetCellValue(*Nth(pick, 1), 0, on);
    pick.SetCellValue(*Nth(pick, 3), 0, off);   // locked: stays
    while (pick.SaveNextRow(*server.db, kForm, 1061)) {
    }
    EXPECT_TRUE(server.Sent().empty());
    EXPECT_TRUE(pick.IsSettled());

    pick.SetCellValue(*Nth(pick, 2), 0, on);
    pick.SetCellValue(*Nth(pick, 1), 0, off);
    pick.SetCellValue(*Nth(pick, 3), 2, CAttribute(CAttribute::Integer, 1ll));   // a locked row without a link
    while (pick.SaveNextRow(*server.db, kForm, 1061)) {
    }
    EXPECT_EQ(server.Sent(), (std::vector<std::string>{"api/api_objDelete.php?ID=502&SERIAL=502",
                                                       "api/api_objNew.php?TYPE=60&PARENT=90&NAME=&ATTRIBID_7=3"}));
}

TEST(ObjectPick, SelectSkipsLockedRowsAndInvertSwaps)
{
    struct Case {
        int action;
        std::vector<int> ticks;
    };
    const Case cases[] = {
        {ObjectPick::SelectAll, {1, 1, 1, 1}},
        {ObjectPick::SelectNone, {0, 0, 0, 1}},
        {ObjectPick::SelectInvert, {1, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        Page page;
        page.pick.ApplySelect(0, c.action);
        EXPECT_EQ(page.Ticks(), c.ticks) << c.action;
        EXPECT_FALSE(Nth(page.pick, 3)->dirty);   // the locked row is never touched
    }
    // A link-type column: check boxes of the unlocked rows.
    Page page;
    page.pick.ApplySelect(2, ObjectPick::SelectInvert);
    EXPECT_EQ(page.pick.CellValue(*Nth(page.pick, 1), 2).GetValue(), 1);
    EXPECT_EQ(Nth(page.pick, 1)->changed, 1);   // an existing link was edited
    EXPECT_EQ(Nth(page.pick, 0)->changed, 0);
}

TEST(ObjectPick, RepliesSettleRowsAndAFailedLinkGoesAgain)
{
    Server server;
    Page page;
    ObjectPick& pick = page.pick;
    pick.SetCellValue(*Nth(pick, 0), 0, CAttribute(CAttribute::Integer, 1ll));
    pick.SetCellValue(*Nth(pick, 2), 0, CAttribute(CAttribute::Integer, 1ll));
    pick.SetCellValue(*Nth(pick, 1), 3, CAttribute(CAttribute::Integer, 1ll));   // edit the existing link
    while (pick.SaveNextRow(*server.db, kForm, 1061)) {
    }
    ASSERT_EQ(server.transport->m_sent.size(), 3u);
    EXPECT_EQ(server.transport->m_sent[1].path, "api/api_objSet.php");

    TiXmlDocument created, saved;
    Parse(created, L"<result><insert_id>700</insert_id></result>");
    Parse(saved, L"<result><object id=\"502\" type=\"60\" serial=\"503\" name=\"\" /></result>");
    EXPECT_FALSE(pick.OnSaveReply(created, Nth(pick, 0)));
    EXPECT_EQ(Nth(pick, 0)->link.id, 700);
    EXPECT_FALSE(pick.OnSaveReply(saved, Nth(pick, 1)));
    EXPECT_EQ(Nth(pick, 1)->link.serial, 503);
    // The third never had its reply (the pump showed its error): not settled, and sent again.
    EXPECT_FALSE(pick.IsSettled());
    pick.MarkUnsettledForResend();
    while (pick.SaveNextRow(*server.db, kForm, 1061)) {
    }
    ASSERT_EQ(server.transport->m_sent.size(), 4u);
    EXPECT_EQ(server.transport->m_sent[3].path + "?" + server.transport->m_sent[3].body,
              "api/api_objNew.php?TYPE=60&PARENT=90&NAME=&ATTRIBID_7=3");
    Parse(created, L"<result><insert_id>701</insert_id></result>");
    EXPECT_TRUE(pick.OnSaveReply(created, Nth(pick, 2)));
    ObjectPick::Row stranger;
    EXPECT_TRUE(pick.OnSaveReply(created, &stranger));
    EXPECT_EQ(stranger.link.id, 0);
}
