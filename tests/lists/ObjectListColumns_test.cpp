#include <gtest/gtest.h>
#include <string>
#include "lists/ObjectListColumns.h"

namespace {
std::string Narrow(const wchar_t* w)
{
    std::wstring s(w ? w : L"");
    return std::string(s.begin(), s.end());
}

void AddAttribute(Object& object, int id, const wchar_t* name, const CAttribute& value, const wchar_t* spec = L"",
                  DWORD flags = 0)
{
    Object::Attribute& a = object.attributes[id];
    a.CAttribute::Assign(value);
    a.name = name;
    a.editSpec = spec;
    a.flags = flags;
}

using K = ObjectListColumn::Kind;
} // namespace

TEST(ObjectListColumns, ReadsTheColumnNotation)
{
    struct Expected {
        const wchar_t* name;
        bool starred;
        int kind;
    };
    struct Case {
        const char* label;
        const wchar_t* text;
        std::vector<Expected> columns;
    };
    const Case cases[] = {
        {"name, starred, created", L"Name|*Description|Created",
         {{L"Name", false, K::Name}, {L"Description", true, K::Attribute}, {L"Created", false, K::Created}}},
        {"fixed names in any case, Name only exactly", L"created|UPDATED|logon|homeadmin|name",
         {{L"created", false, K::Created}, {L"UPDATED", false, K::Updated}, {L"logon", false, K::Privilege},
          {L"homeadmin", false, K::Privilege}, {L"name", false, K::Attribute}}},
        {"trailing separator adds nothing", L"Name|Owner|", {{L"Name", false, K::Name}, {L"Owner", false, K::Attribute}}},
        {"two separators: the second starts the next item", L"Name||Owner",
         {{L"Name", false, K::Name}, {L"|Owner", false, K::Attribute}}},
        {"every leading star goes", L"***last_logon| \"Site\" ",
         {{L"last_logon", true, K::Attribute}, {L"Site", false, K::Attribute}}},
        {"starred fixed column", L"*Updated|*AllReports", {{L"Updated", true, K::Updated}, {L"AllReports", true, K::Privilege}}},
        {"empty text", L"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<ObjectListColumn> out;
        ParseEditAttribs(c.text, out);
        ASSERT_EQ(out.size(), c.columns.size());
        for (size_t i = 0; i < out.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Narrow(out[i].name.GetBuffer()), Narrow(c.columns[i].name));
            EXPECT_EQ(out[i].starred, c.columns[i].starred);
            EXPECT_EQ(out[i].kind, c.columns[i].kind);
        }
    }
}

TEST(ObjectListColumns, ChoosesTheCellAndEditor)
{
    Object object;
    object.name = L"Alpha";
    object.created = CAttribute(CAttribute::DateTime, 1700000000);
    object.SetPrivilege(L"Logon", true);
    object.privileges[1].name = L"Logon";
    object.privileges[1].granted = true;
    AddAttribute(object, 1, L"count", CAttribute(CAttribute::Integer, 7));
    AddAttribute(object, 2, L"site", CAttribute(CAttribute::Integer, 42), L"TYPE=Site", Object::Attribute::Link);
    AddAttribute(object, 3, L"nosite", CAttribute(CAttribute::Integer, 0ll), L"TYPE=Site", Object::Attribute::Link);
    AddAttribute(object, 4, L"enabled", CAttribute(CAttribute::Integer, 1), L"TYPE=checkbox");
    AddAttribute(object, 5, L"status", CAttribute(CAttribute::Integer, 1), L"VALUES='Open','Closed'");
    AddAttribute(object, 6, L"locked", CAttribute(CAttribute::Integer, 1), L"TYPE=Readonly|VALUES=a,b");
    AddAttribute(object, 7, L"level", CAttribute(CAttribute::Integer, 3), L"MIN=1");
    AddAttribute(object, 8, L"due", CAttribute(CAttribute::DateTime, 1700000000), L"TYPE=Date");
    AddAttribute(object, 9, L"stamp", CAttribute(CAttribute::DateTime, 1700000000));
    AddAttribute(object, 10, L"day", CAttribute(CAttribute::Date, 1699920000));
    AddAttribute(object, 11, L"at", CAttribute(CAttribute::LocalTimeOfDay, 3600));
    AddAttribute(object, 12, L"notes", CAttribute(CAttribute::Text, L"x"), L"TYPE=MultiLine");
    AddAttribute(object, 13, L"title", CAttribute(CAttribute::Text, L"plain"), L"TYPE=Locale");
    AddAttribute(object, 14, L"comment", CAttribute(CAttribute::Text, L"c"));
    AddAttribute(object, 15, L"frozen", CAttribute(CAttribute::Text, L"f"), L"TYPE=READONLY");

    struct Case {
        const wchar_t* item;
        int editor;
        bool readOnly;
        bool pending;
        __int64 linkId;
        bool namesList;   // the choice list is named by the (possibly extended) edit rule
        int valueType;
    };
    const Case cases[] = {
        {L"Logon", CTListCtrlEdit::KindReadOnly, true, false, 0, false, CAttribute::Integer2},
        {L"Created", CTListCtrlEdit::KindReadOnly, false, false, 0, false, CAttribute::DateTime},
        {L"Name", CTListCtrlEdit::KindText, false, false, 0, false, CAttribute::Text},
        {L"*missing", CTListCtrlEdit::KindReadOnly, false, true, 0, false, CAttribute::Text},
        {L"missing", CTListCtrlEdit::KindNumber, false, false, 0, false, CAttribute::Integer},
        {L"count", CTListCtrlEdit::KindNumber, false, false, 0, false, CAttribute::Integer},
        {L"site", CTListCtrlEdit::KindReadOnly, true, false, 42, false, CAttribute::Integer},
        {L"nosite", CTListCtrlEdit::KindReadOnly, true, false, 0, false, CAttribute::Text},
        {L"*site", CTListCtrlEdit::KindChoice, false, false, 0, true, CAttribute::Integer},
        {L"enabled", CTListCtrlEdit::KindCheck, false, false, 0, false, CAttribute::Integer},
        {L"status", CTListCtrlEdit::KindChoice, false, false, 0, true, CAttribute::Integer},
        {L"locked", CTListCtrlEdit::KindChoice, true, false, 0, true, CAttribute::Integer},
        {L"level", CTListCtrlEdit::KindNumber, false, false, 0, false, CAttribute::Integer},
        {L"due", CTListCtrlEdit::KindDate, false, false, 0, false, CAttribute::Date},
        {L"stamp", CTListCtrlEdit::KindDate, false, false, 0, false, CAttribute::DateTime},
        {L"day", CTListCtrlEdit::KindDate, false, false, 0, false, CAttribute::Date},
        {L"at", CTListCtrlEdit::KindTime, false, false, 0, false, CAttribute::LocalTimeOfDay},
        {L"notes", CTListCtrlEdit::KindMultiLine, false, false, 0, false, CAttribute::Text},
        {L"title", CTListCtrlEdit::KindLocale, false, false, 0, false, CAttribute::Text},
        {L"comment", CTListCtrlEdit::KindText, false, false, 0, false, CAttribute::Text},
        {L"frozen", CTListCtrlEdit::KindText, true, false, 0, false, CAttribute::Text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.item));
        std::vector<ObjectListColumn> columns;
        ParseEditAttribs(c.item, columns);
        ASSERT_EQ(columns.size(), 1u);
        ObjectListCell cell;
        BuildObjectListCell(object, columns[0], cell, [](const CTString&, CTString& spec) { spec.AppendText(L"|OBJECT=x"); });
        EXPECT_EQ(cell.editor, c.editor);
        EXPECT_EQ(cell.readOnly, c.readOnly);
        EXPECT_EQ(cell.pending, c.pending);
        EXPECT_EQ(cell.linkId, c.linkId);
        EXPECT_EQ(cell.value.GetType(), c.valueType);
        EXPECT_EQ(cell.choiceList.GetLength() > 0, c.namesList);
    }

    ObjectListCell cell;
    BuildObjectListCell(object, {L"Logon", false, K::Privilege}, cell);
    EXPECT_EQ(cell.value.GetValue(), 1);
    BuildObjectListCell(object, {L"site", true, K::Attribute}, cell,
                        [](const CTString&, CTString& spec) { spec.AppendText(L"|OBJECT=x"); });
    EXPECT_EQ(Narrow(cell.choiceList.GetBuffer()), "TYPE=Site|OBJECT=x");
    EXPECT_EQ(cell.value.GetValue(), 42);
    BuildObjectListCell(object, {L"status", false, K::Attribute}, cell);
    EXPECT_EQ(Narrow(cell.choiceList.GetBuffer()), "VALUES='Open','Closed'");
    BuildObjectListCell(object, {L"Name", false, K::Name}, cell);
    EXPECT_EQ(Narrow(cell.value.GetText()), "Alpha");
    BuildObjectListCell(object, {L"title", false, K::Attribute}, cell);
    EXPECT_EQ(Narrow(cell.value.GetText()), "plain");
}

namespace {
class FakeSource : public ObjectListChoiceSource {
public:
    void ForEachSettingsObjectOfType(const CTString& typeName,
                                     const std::function<void(const Object&)>& fn) const override
    {
        asked.push_back(Narrow(typeName.GetBuffer()));
        if (!typeName.Equals(L"Site"))
            return;
        for (auto [id, name] : {std::pair{5ll, L"North"}, std::pair{0x100000009ll, L"South"}}) {
            Object o;
            o.id = id;
            o.name = name;
            fn(o);
        }
    }
    mutable std::vector<std::string> asked;
};
} // namespace

TEST(ObjectListColumns, FillsChoicesFromTheEditRule)
{
    struct Case {
        const char* label;
        const wchar_t* spec;
        std::map<unsigned, std::string> entries;
        std::vector<std::string> asked;
    };
    const Case cases[] = {
        {"quoted values from 0", L"VALUES='Open','Closed', 'On hold'", {{0, "Open"}, {1, "Closed"}, {2, "On hold"}}, {}},
        {"objects of the type under a blank entry", L"TYPE=Site", {{0, " "}, {5, "North"}, {9, "South"}}, {"Site"}},
        {"quoted type name", L"TYPE='Site'|OBJECT=x", {{0, " "}, {5, "North"}, {9, "South"}}, {"Site"}},
        {"unknown type still gets the blank", L"TYPE=Nowhere", {{0, " "}}, {"Nowhere"}},
        {"type replaces value 0", L"VALUES=a,b|TYPE=Site", {{0, " "}, {1, "b"}, {5, "North"}, {9, "South"}}, {"Site"}},
        {"read-only values keep their first text", L"TYPE=Readonly|VALUES=a,b", {{0, "a"}, {1, "b"}}, {}},
        {"empty rule", L"", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FakeSource source;
        CTListCtrlEdit::Choices out;
        FillChoicesFromSpec(c.spec, &source, out);
        std::map<unsigned, std::string> got;
        for (auto& [key, text] : out)
            got[key] = Narrow(text.GetBuffer());
        EXPECT_EQ(got, c.entries);
        EXPECT_EQ(source.asked, c.asked);
    }
}
