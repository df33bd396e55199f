// Reply tables, the time-zone list and menu items.
#include <gtest/gtest.h>
#include <string>
#include "session/Table.h"
#include "session/TimeZoneList.h"
#include "session/CTMenuItem.h"
#include "foundation/TiXmlDocument.h"

namespace {

std::wstring Str(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

struct Parsed {
    TiXmlDocument doc;
    explicit Parsed(const wchar_t* xml)
    {
        TiXmlBase::SetCondenseWhiteSpace(false);
        doc.Parse(xml, nullptr, 0);
    }
};

std::wstring Cell(Table& table, int row, int column)
{
    CAttribute out(CAttribute::Text, L"untouched");
    if (!table.GetCell(row, column, out))
        return L"<none>";
    return std::to_wstring(out.GetType()) + L":" + out.GetText();
}

} // namespace

TEST(Table, ReadsColumnsAndTypedCells)
{
    Parsed reply(L"<result>"
                 L"<column name=\"id\" type=\"3\" len=\"10\" flags=\"4\"/>"
                 L"<column name=\"label\" type=\"254\"/>"
                 L"<column name=\"other\" type=\"253\"/>"
                 L"<row><id>12</id><label>Desk</label><other>7</other></row>"
                 L"<row><id/><label/><misnamed>x</misnamed></row>"
                 L"</result>");
    Table table;
    table.text.AssignText(L"old");
    table.ReadFromXml(L"allowed", &reply.doc);
    EXPECT_EQ(Str(table.name), L"allowed");
    EXPECT_EQ(Str(table.text), L"");
    ASSERT_EQ(table.columns.GetCount(), 3u);
    auto* first = static_cast<Table::Column*>(table.columns.GetHead());
    EXPECT_EQ(first->numeric, 1);
    EXPECT_EQ(first->len, 10);
    EXPECT_EQ(first->flags, 4);
    EXPECT_EQ(first->readOnly, 0);

    EXPECT_EQ(Cell(table, 0, 0), L"1:12");
    EXPECT_EQ(Cell(table, 0, 1), L"0:Desk");
    EXPECT_EQ(Cell(table, 0, 2), L"0:7");       // type 253 stays text
    EXPECT_EQ(Cell(table, 1, 0), L"1:0");       // numeric cell without text
    EXPECT_EQ(Cell(table, 1, 1), L"0:");
    EXPECT_EQ(Cell(table, 1, 2), L"<none>");    // stored under its own name only
    auto* second = static_cast<Table::Row*>(table.rows.GetAt(1));
    EXPECT_TRUE(second->cells.Find(L"misnamed"));
    EXPECT_EQ(Cell(table, 2, 0), L"<none>");
    EXPECT_EQ(Cell(table, 0, 3), L"<none>");
    EXPECT_EQ(Cell(table, -1, 0), L"<none>");

    // A second reply replaces everything.
    Parsed next(L"<result><column name=\"n\"/><row><n>1</n></row></result>");
    table.ReadFromXml(L"next", &next.doc);
    EXPECT_EQ(table.columns.GetCount(), 1u);
    EXPECT_EQ(table.rows.GetCount(), 1u);
    EXPECT_EQ(Cell(table, 0, 0), L"0:1");

    Parsed empty(L"<other/>");
    table.ReadFromXml(L"none", &empty.doc);
    EXPECT_EQ(table.columns.GetCount(), 0u);
    EXPECT_EQ(table.rows.GetCount(), 0u);
}

TEST(Table, ARowWithMoreCellsThanColumnsKeepsTheExtraCellsAsText)
{
    Parsed reply(L"<result><column name=\"a\" type=\"3\"/>"
                 L"<row><a>5</a><b>6</b><c>seven</c></row></result>");
    Table table;
    table.ReadFromXml(L"t", &reply.doc);
    auto* row = static_cast<Table::Row*>(table.rows.GetHead());
    ASSERT_TRUE(row);
    EXPECT_EQ(row->cells.GetCount(), 3u);
    CAttribute b;
    ASSERT_TRUE(row->cells.Get(L"b", b));
    EXPECT_EQ(b.GetType(), CAttribute::Text);
    EXPECT_STREQ(b.GetText(), L"6");
    EXPECT_EQ(Cell(table, 0, 0), L"1:5");
}

TEST(TimeZoneList, ReadsTheFirstListOnlyAndKeepsRepeats)
{
    Parsed reply(L"<result><timezones>"
                 L"<timezone id=\"UTC\" name=\"Universal\"/>"
                 L"<timezone id=\"CET\" name=\"Central\"/>"
                 L"<timezone id=\"UTC\" name=\"Universal again\"/>"
                 L"<timezone name=\"no id\"/>"
                 L"</timezones><timezones><timezone id=\"EST\" name=\"Eastern\"/></timezones></result>");
    TimeZoneList list;
    list.ids.push_back(L"stale");
    list.ReadXml(reply.doc.RootElement());
    ASSERT_EQ(list.ids.size(), 4u);
    EXPECT_EQ(Str(list.ids[2]), L"UTC");
    EXPECT_EQ(Str(list.names[L"UTC"]), L"Universal again");
    EXPECT_EQ(Str(list.names[L""]), L"no id");
    EXPECT_EQ(list.names.count(L"EST"), 0u);
    EXPECT_EQ(list.IndexOf(L"CET"), 1);
    EXPECT_EQ(list.IndexOf(L"cet"), -1);

    CTString out(L"x");
    EXPECT_EQ(Str(GetStringAt(list, out, 1)), L"CET");
    EXPECT_EQ(Str(GetStringAt(list, out, -1)), L"");
    EXPECT_EQ(Str(GetStringAt(list, out, 4)), L"");
}

TEST(CTMenuItem, AssignmentGivesEachItemItsOwnIcon)
{
    CTMenuItem a;
    a.icon.icon = CopyIcon(LoadIcon(nullptr, IDI_APPLICATION));
    a.icon.width = a.icon.height = 16;
    a.value1 = 3;
    a.value2 = 4;
    ASSERT_TRUE(a.icon.icon);
    HICON kept = nullptr;
    {
        CTMenuItem b;
        b = a;
        EXPECT_EQ(b.value1, 3);
        EXPECT_EQ(b.value2, 4);
        EXPECT_EQ(b.icon.width, 16);
        ASSERT_TRUE(b.icon.icon);
        EXPECT_NE(b.icon.icon, a.icon.icon);
        kept = a.icon.icon;
    }
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(kept, &info));   // b's destruction left a's icon alive
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    a = a;
    EXPECT_EQ(a.icon.icon, kept);
}
