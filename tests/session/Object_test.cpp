// Directory objects: reading the object XML, attribute access and flags, change lists, edit
// definitions, value lists, link arrays, display names and list order.
// ctest-env: TZ=Europe/Berlin LANG=de_DE.UTF-8
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "session/Object.h"
#include "foundation/CTStringLocale.h"
#include "foundation/TiXmlDocument.h"
#include "foundation/TiXmlElement.h"

namespace {

std::wstring Str(const CTString& s) { return s.GetBuffer() ? s.GetBuffer() : L""; }

struct Parsed {
    TiXmlDocument doc;
    explicit Parsed(const wchar_t* xml)
    {
        TiXmlBase::SetCondenseWhiteSpace(false);
        doc.Parse(xml, nullptr, 0);
    }
    TiXmlElement* Root() { return doc.RootElement(); }
};

Object Read(const wchar_t* xml)
{
    Parsed parsed(xml);
    Object object;
    object.ReadFromXml(parsed.Root(), true);
    return object;
}

// The form as "name=text" lines in order.
std::vector<std::wstring> Items(const CAttributes& form)
{
    std::vector<std::wstring> out;
    for (CAttributes::CItem* item = form.GetHead(); item; item = item->GetNextItem())
        out.push_back(Str(item->GetName()) + L"=" + item->GetText());
    return out;
}

const wchar_t* kSample =
    L"<object id=\"42\" type=\"7\" parent=\"3\" serial=\"9\" name=\"A &amp;amp; B\" path=\"\\Root\\A\" "
    L"created=\"1600000000\" updated=\"1600000100\">"
    L"<attrib id=\"10\" name=\"title\" edit=\"TYPE=MultiLine\" type=\"value_varchar\">a&amp;lt;b</attrib>"
    L"<attrib id=\"11\" name=\"count\" default=\"5\" type=\"value_int\"> -12x</attrib>"
    L"<attrib id=\"12\" name=\"due\" inherit=\"1\" type=\"value_date\">1700000000</attrib>"
    L"<attrib id=\"13\" name=\"owner\" type=\"value_iddirectory\">77</attrib>"
    L"<attrib id=\"14\" name=\"members\" type=\"value_iddirectory_array\">/1/22/333/</attrib>"
    L"<attrib id=\"15\" name=\"untyped\">abc</attrib>"
    L"<attrib id=\"16\" name=\"raw\" type=\"value_varchar\">x&amp;amp;lt;y &amp;nbsp;</attrib>"
    L"<attrib id=\"17\" name=\"empty\" type=\"value_varchar\"/>"
    L"<priv id=\"2\" name=\"Write\" value=\"0\"/>"
    L"<priv id=\"1\" name=\"Read\" value=\"3\"/>"
    L"</object>";

} // namespace

TEST(Object, ReadsHeaderEveryValueKindFlagsAndPrivileges)
{
    Object o = Read(kSample);
    EXPECT_EQ(o.id, 42);
    EXPECT_EQ(o.type, 7);
    EXPECT_EQ(o.parent, 3);
    EXPECT_EQ(o.serial, 9);
    EXPECT_EQ(Str(o.name), L"A & B");   // entities decoded once more after the XML reader
    EXPECT_EQ(Str(o.path), L"\\Root\\A");
    EXPECT_EQ(o.created.GetType(), CAttribute::DateTime);
    EXPECT_EQ(o.created.GetValue(), 1600000000);
    EXPECT_EQ(o.updated.GetValue(), 1600000100);

    CAttribute v;
    o.GetAttribute(v, L"title");
    EXPECT_EQ(v.GetType(), CAttribute::Text);
    EXPECT_STREQ(v.GetText(), L"a<b");
    CTString spec;
    o.GetAttributeEditSpec(L"title", spec);
    EXPECT_EQ(Str(spec), L"TYPE=MultiLine");

    o.GetAttribute(v, L"count");
    EXPECT_EQ(v.GetType(), CAttribute::Integer);
    EXPECT_EQ(v.GetValue(), -12);
    EXPECT_TRUE(o.IsAttributeDefault(L"count"));   // any non-zero "default"

    o.GetAttribute(v, L"due");
    EXPECT_EQ(v.GetType(), CAttribute::DateTime);
    EXPECT_EQ(v.GetValue(), 1700000000);
    EXPECT_TRUE(o.IsAttributeInheritable(L"due"));
    EXPECT_FALSE(o.IsAttributeDefault(L"due"));

    o.GetAttribute(v, L"owner");
    EXPECT_EQ(v.GetType(), CAttribute::Integer);
    EXPECT_EQ(v.GetValue(), 77);
    EXPECT_TRUE(o.IsAttributeLink(L"owner"));

    o.GetAttribute(v, L"members");
    EXPECT_EQ(v.GetType(), CAttribute::Text);
    EXPECT_STREQ(v.GetText(), L"/1/22/333/");
    EXPECT_TRUE(o.IsAttributeLinkArray(L"members"));
    EXPECT_FALSE(o.IsAttributeLink(L"members"));

    // No "type": the empty integer value.
    o.GetAttribute(v, L"untyped");
    EXPECT_EQ(v.GetType(), CAttribute::Integer);
    EXPECT_EQ(v.GetValue(), 0);
    EXPECT_STREQ(v.GetText(), L"");

    // One decoding pass; entities outside the seven stay.
    o.GetAttribute(v, L"raw");
    EXPECT_STREQ(v.GetText(), L"x&lt;y &nbsp;");
    o.GetAttribute(v, L"empty");
    EXPECT_EQ(v.GetType(), CAttribute::Text);
    EXPECT_STREQ(v.GetText(), L"");

    EXPECT_TRUE(o.GetPrivilege(L"Read"));
    EXPECT_FALSE(o.GetPrivilege(L"Write"));
    EXPECT_FALSE(o.IsModified());
    EXPECT_EQ(o.GetAttributeId(L"owner"), 13);
    CTString attributeName(L"unchanged");
    EXPECT_FALSE(o.GetAttributeNameById(99, attributeName));
    EXPECT_EQ(Str(attributeName), L"unchanged");
    EXPECT_TRUE(o.GetAttributeNameById(14, attributeName));
    EXPECT_EQ(Str(attributeName), L"members");
}

TEST(Object, DecimalsAre32BitWithSignAndStopAtOtherCharacters)
{
    struct Case { const wchar_t* text; int expected; } cases[] = {
        {L"  +17", 17}, {L"-5abc", -5}, {L"abc", 0}, {L"", 0}, {L"4294967297", 1}, {L"2147483648", INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadDecimal32(c.text), c.expected) << c.text;
    EXPECT_EQ(ReadDecimal32(nullptr), 0);
    EXPECT_EQ(ReadDecimal64(L" -9000000000x"), -9000000000LL);

    Object o = Read(L"<object id=\"-3\" serial=\"12x\"/>");
    EXPECT_EQ(o.id, -3);
    EXPECT_EQ(o.serial, 12);
    EXPECT_EQ(o.type, 0);
}

TEST(Object, LookupsAreCaseSensitiveAndAbsentNamesChangeNothing)
{
    Object o = Read(kSample);
    CAttribute v(CAttribute::Text, L"junk");
    o.GetAttribute(v, L"Title");
    EXPECT_EQ(v.GetType(), CAttribute::Integer);
    EXPECT_FALSE(o.HasAttribute(L"Title"));
    EXPECT_TRUE(o.HasAttribute(L"title"));

    size_t before = o.attributes.size();
    o.SetAttribute(L"nosuch", CAttribute(CAttribute::Text, L"x"));
    o.SetPrivilege(L"nosuch", true);
    EXPECT_EQ(o.attributes.size(), before);
    EXPECT_FALSE(o.IsModified());
}

TEST(Object, SetResetOverrideFollowTheFlagRules)
{
    Object o = Read(kSample);
    // Equal value: nothing. Same digits as another type: dirty.
    o.SetAttribute(L"owner", CAttribute(CAttribute::Integer, 77));
    EXPECT_FALSE(o.IsAttributeDirty(L"owner"));
    o.SetAttribute(L"owner", CAttribute(CAttribute::Text, L"77"));
    EXPECT_TRUE(o.IsAttributeDirty(L"owner"));

    // A default value overridden becomes the object's own, value unchanged.
    o.OverrideDefault(L"count");
    EXPECT_FALSE(o.IsAttributeDefault(L"count"));
    EXPECT_TRUE(o.IsAttributeDirty(L"count"));
    CAttribute v;
    EXPECT_EQ(o.GetAttribute(v, L"count").GetValue(), -12);

    // Reset clears the value and marks it default and dirty; a second reset does nothing.
    o.ResetAttribute(L"title");
    EXPECT_TRUE(o.IsAttributeDefault(L"title"));
    EXPECT_TRUE(o.IsAttributeDirty(L"title"));
    EXPECT_EQ(o.GetAttribute(v, L"title").GetType(), CAttribute::Integer);
    o.ClearAttributeDirty(L"title");
    o.ResetAttribute(L"title");
    EXPECT_FALSE(o.IsAttributeDirty(L"title"));

    // Setting by an unknown id creates a nameless attribute.
    o.SetAttributeById(500, CAttribute(CAttribute::Text, L"new"));
    EXPECT_EQ(o.attributes.count(500), 1u);
    EXPECT_TRUE(o.attributes[500].flags & Object::Attribute::Dirty);
    o.SetAttributeById(501, CAttribute());
    EXPECT_FALSE(o.attributes[501].flags & Object::Attribute::Dirty);

    // Plain value assignment keeps name, spec and flags.
    Object::Attribute& title = o.attributes[10];
    title = Object::Attribute(title);
    static_cast<CAttribute&>(title) = CAttribute(CAttribute::Text, L"z");
    EXPECT_EQ(Str(title.name), L"title");
    EXPECT_TRUE(title.flags & Object::Attribute::Default);
}

TEST(Object, CollectChangesGivesExactItemsAndDeletions)
{
    Object o = Read(kSample);
    CAttributes form;
    EXPECT_FALSE(o.CollectChanges(form, true));
    EXPECT_EQ(form.GetCount(), 0u);

    o.SetAttribute(L"title", CAttribute(CAttribute::Text, L"hello world"));
    o.ResetAttribute(L"owner");
    o.SetAttributeById(500, CAttribute(CAttribute::Integer, 3));
    EXPECT_TRUE(o.CollectChanges(form, false));
    EXPECT_EQ(Items(form), (std::vector<std::wstring>{L"ATTRIBID_10=hello world", L"ATTRIBIDDEL_13=", L"ATTRIBID_500=3"}));

    // Collecting again into the same form keeps one item per attribute with the latest value.
    o.SetAttribute(L"title", CAttribute(CAttribute::Text, L"second"));
    EXPECT_TRUE(o.CollectChanges(form, true));
    EXPECT_EQ(Items(form), (std::vector<std::wstring>{L"ATTRIBID_10=second", L"ATTRIBIDDEL_13=", L"ATTRIBID_500=3"}));
    EXPECT_FALSE(o.IsModified());

    // Reset then set a value: an ordinary change again.
    CAttributes again;
    o.SetAttribute(L"owner", CAttribute(CAttribute::Integer, 8));
    o.CollectChanges(again, true);
    EXPECT_EQ(Items(again), (std::vector<std::wstring>{L"ATTRIBID_13=8"}));

    // Several items of one name (ignoring case) collapse into one appended at the end.
    CAttributes crowded;
    CAttributes::CItem* first = new CAttributes::CItem;
    first->m_name.AssignText(L"attribid_10");
    crowded.m_items.AddTail(first);
    CAttributes::CItem* second = new CAttributes::CItem;
    second->m_name.AssignText(L"ATTRIBID_10");
    crowded.m_items.AddTail(second);
    crowded.SetText(L"other", L"o");
    o.SetAttribute(L"title", CAttribute(CAttribute::Text, L"third"));
    o.CollectChanges(crowded, true);
    EXPECT_EQ(Items(crowded), (std::vector<std::wstring>{L"other=o", L"ATTRIBID_10=third"}));
}

TEST(Object, PrivilegeChangesAreCollectedOnceAsDigits)
{
    Object o = Read(kSample);
    o.SetPrivilege(L"Read", true);   // unchanged
    o.SetPrivilege(L"Write", true);
    o.SetPrivilege(L"Read", false);
    EXPECT_TRUE(o.IsModified());
    CAttributes form;
    o.CollectPrivilegeChanges(form);
    EXPECT_EQ(Items(form), (std::vector<std::wstring>{L"PRIVID_1=0", L"PRIVID_2=1"}));
    EXPECT_FALSE(o.IsModified());
    CAttributes none;
    o.CollectPrivilegeChanges(none);
    EXPECT_EQ(none.GetCount(), 0u);
}

TEST(Object, ClearKeepsTimestampsCopiesAreIndependent)
{
    Object o = Read(kSample);
    o.viewHandle = 5;
    Object copy(o);
    EXPECT_EQ(copy.viewHandle, 5u);
    EXPECT_EQ(copy.attributes.size(), o.attributes.size());
    o.Clear();
    EXPECT_EQ(o.id, 0);
    EXPECT_TRUE(o.attributes.empty());
    EXPECT_TRUE(o.privileges.empty());
    EXPECT_EQ(Str(o.name), L"");
    EXPECT_EQ(o.viewHandle, 0u);
    EXPECT_EQ(o.created.GetValue(), 1600000000);
    EXPECT_EQ(copy.id, 42);
    EXPECT_TRUE(copy.HasAttribute(L"title"));

    // Reading over existing content without clearing keeps the dirty mark of an updated attribute.
    copy.SetAttribute(L"title", CAttribute(CAttribute::Text, L"mine"));
    Parsed again(L"<object id=\"42\"><attrib id=\"10\" name=\"title\" type=\"value_varchar\">srv</attrib></object>");
    copy.ReadFromXml(again.Root(), false);
    EXPECT_TRUE(copy.IsAttributeDirty(L"title"));
    EXPECT_TRUE(copy.HasAttribute(L"owner"));
}

TEST(ObjectQueries, EditSpecItems)
{
    struct Case { const wchar_t* spec; const wchar_t* key; int type; const wchar_t* text; } cases[] = {
        {L"TYPE=Checkbox|VALUES=a,b", L"type", CAttribute::Text, L"Checkbox"},
        {L"type=locale", L"TYPE", CAttribute::Text, L"locale"},
        {L"TYPE = \"Date\" | X=1", L"TYPE", CAttribute::Text, L"Date"},
        {L"VALUES=a=b,c", L"VALUES", CAttribute::Text, L"a"},
        {L"FLAG|TYPE=Date", L"FLAG", CAttribute::Text, L""},
        {L"TYPE=Date", L"VALUES", CAttribute::Integer, L""},
        {L"", L"TYPE", CAttribute::Integer, L""},
    };
    for (const Case& c : cases) {
        CAttribute a = CAttribute::ConstructFromSpec(c.spec, c.key);
        EXPECT_EQ(a.GetType(), c.type) << c.spec;
        EXPECT_STREQ(a.GetText(), c.text) << c.spec;
    }

    Object o = Read(L"<object><attrib id=\"1\" name=\"flag\" edit=\"TYPE=Checkbox\" type=\"value_int\">1</attrib>"
                    L"<attrib id=\"2\" name=\"plain\" type=\"value_int\">1</attrib></object>");
    EXPECT_TRUE(o.EditSpecItemEquals(L"flag", L"TYPE", L"checkbox"));
    EXPECT_FALSE(o.EditSpecItemEquals(L"flag", L"TYPE", L"Date"));
    EXPECT_TRUE(o.EditSpecItemEquals(L"plain", L"TYPE", L""));   // a missing key equals only empty
    EXPECT_FALSE(o.EditSpecItemEquals(L"absent", L"TYPE", L""));
    CAttribute item;
    EXPECT_STREQ(o.GetEditSpecItem(item, L"flag", L"TYPE").GetText(), L"Checkbox");
    EXPECT_EQ(o.GetEditSpecItem(item, L"absent", L"TYPE").GetType(), CAttribute::Integer);
}

TEST(ObjectQueries, ValueListTextsAndIndexes)
{
    Object o = Read(
        L"<object>"
        L"<attrib id=\"1\" name=\"state\" edit=\"TYPE=X|VALUES='Open', Closed ,'On hold'|VALUES=z\" type=\"value_int\">2</attrib>"
        L"<attrib id=\"2\" name=\"far\" edit=\"VALUES=a,b\" type=\"value_int\">5</attrib>"
        L"<attrib id=\"3\" name=\"neg\" edit=\"VALUES=a,b\" type=\"value_int\">-1</attrib>"
        L"<attrib id=\"4\" name=\"text\" edit=\"VALUES=a,b\" type=\"value_varchar\">own words</attrib>"
        L"<attrib id=\"5\" name=\"eq\" edit=\"values=a=b,c\" type=\"value_int\">0</attrib>"
        L"<attrib id=\"6\" name=\"nospec\" type=\"value_int\">1</attrib>"
        L"</object>");
    struct Case { const wchar_t* name; int type; const wchar_t* text; } cases[] = {
        {L"state", CAttribute::Text, L"On hold"},
        {L"far", CAttribute::Integer, L"5"},
        {L"neg", CAttribute::Integer, L"-1"},
        {L"text", CAttribute::Text, L"own words"},   // a text shows itself, not the first entry
        {L"eq", CAttribute::Text, L"a=b"},
        {L"nospec", CAttribute::Integer, L"1"},
        {L"absent", CAttribute::Integer, L""},
    };
    for (const Case& c : cases) {
        CAttribute out;
        o.GetAttributeValueText(out, c.name);
        EXPECT_EQ(out.GetType(), c.type) << c.name;
        EXPECT_STREQ(out.GetText(), c.text) << c.name;
    }

    __int64 index = -7;
    EXPECT_TRUE(o.FindAllowedValueIndex(L"state", L"closed", index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(o.FindAllowedValueIndex(L"state", L"on hold", index));
    EXPECT_EQ(index, 2);
    index = -7;
    EXPECT_FALSE(o.FindAllowedValueIndex(L"state", L"z", index));
    EXPECT_EQ(index, -7);
    // The edit-spec reader ends the list at the second "=": only "a".
    EXPECT_TRUE(o.FindAllowedValueIndex(L"eq", L"a", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(o.FindAllowedValueIndex(L"eq", L"c", index));
    EXPECT_FALSE(o.FindAllowedValueIndex(L"absent", L"a", index));
}

TEST(ObjectQueries, LinkArrays)
{
    Object o = Read(L"<object>"
                    L"<attrib id=\"1\" name=\"links\" type=\"value_iddirectory_array\">/1/22/333/</attrib>"
                    L"<attrib id=\"2\" name=\"none\" type=\"value_iddirectory_array\"></attrib>"
                    L"<attrib id=\"3\" name=\"junk\" type=\"value_iddirectory_array\">/4/x/5/</attrib>"
                    L"<attrib id=\"4\" name=\"plain\" type=\"value_varchar\">/1/2/</attrib>"
                    L"</object>");
    std::vector<__int64> ids{99};
    EXPECT_EQ(o.GetLinkArray(ids, L"links"), (std::vector<__int64>{1, 22, 333}));
    EXPECT_TRUE(o.GetLinkArray(ids, L"none").empty());
    EXPECT_EQ(o.GetLinkArray(ids, L"junk"), (std::vector<__int64>{4, 0, 5}));
    EXPECT_TRUE(o.GetLinkArray(ids, L"plain").empty());   // no link-array flag
    EXPECT_TRUE(o.GetLinkArray(ids, L"absent").empty());

    o.SetLinkArray(L"links", {1, 22, 333});
    EXPECT_FALSE(o.IsAttributeDirty(L"links"));
    o.SetLinkArray(L"links", {7, -2});
    CAttribute v;
    EXPECT_STREQ(o.GetAttribute(v, L"links").GetText(), L"/7/-2/");
    EXPECT_TRUE(o.IsAttributeDirty(L"links"));
    o.SetLinkArray(L"links", {});
    EXPECT_STREQ(o.GetAttribute(v, L"links").GetText(), L"");
    o.SetLinkArray(L"plain", {3});
    EXPECT_STREQ(o.GetAttribute(v, L"plain").GetText(), L"/1/2/");

    std::vector<__int64> list{1, 2, 1, 3};
    AddOrRemoveByFlag(list, 1, CAttribute(CAttribute::Text, L"1"));
    EXPECT_EQ(list, (std::vector<__int64>{2, 3}));
    AddOrRemoveByFlag(list, 4, CAttribute(CAttribute::Integer, 1));
    AddOrRemoveByFlag(list, 4, CAttribute(CAttribute::Integer, 1));
    EXPECT_EQ(list, (std::vector<__int64>{2, 3, 4}));
    AddOrRemoveByFlag(list, 3, CAttribute(CAttribute::Integer, 0LL));
    EXPECT_EQ(list, (std::vector<__int64>{2, 4}));
    MergeUnique(list, {4, 5, 2, 6, 5});
    EXPECT_EQ(list, (std::vector<__int64>{2, 4, 5, 6}));
}

TEST(ObjectQueries, DisplayNameJoinsPlainAndMultiLanguageValues)
{
    // Plain values only: joined with blanks, empty values skipped.
    Object plain = Read(L"<object name=\"server\">"
                        L"<attrib id=\"1\" name=\"console_display_name\" type=\"value_varchar\">first|empty|last</attrib>"
                        L"<attrib id=\"2\" name=\"first\" type=\"value_varchar\">Ada</attrib>"
                        L"<attrib id=\"3\" name=\"empty\" type=\"value_varchar\"></attrib>"
                        L"<attrib id=\"4\" name=\"last\" edit=\"type=locale\" type=\"value_varchar\">Lovelace</attrib>"
                        L"</object>");
    plain.ApplyConsoleDisplayName();
    EXPECT_EQ(Str(plain.name), L"Ada Lovelace");

    // A multi-language value spreads the languages: each language gets its own join.
    Object localised = Read(L"<object name=\"server\">"
                            L"<attrib id=\"1\" name=\"console_display_name\" type=\"value_varchar\">title|code</attrib>"
                            L"<attrib id=\"2\" name=\"title\" edit=\"TYPE=Locale\" type=\"value_varchar\">Desk\u00A6de-DE\u00A6Tisch</attrib>"
                            L"<attrib id=\"3\" name=\"code\" type=\"value_varchar\">7</attrib>"
                            L"</object>");
    localised.ApplyConsoleDisplayName();
    EXPECT_EQ(Str(localised.name), L"Desk 7\u00A6de-DE\u00A6Tisch 7");
    CTStringLocale n(localised.name);
    EXPECT_STREQ(n.GetTextForLocale(L"de-DE"), L"Tisch 7");
    EXPECT_STREQ(n.GetTextForLocale(L"en-GB"), L"Desk 7");

    // Nothing listed, or every listed value empty: the name stays.
    Object keep = Read(L"<object name=\"server\">"
                       L"<attrib id=\"1\" name=\"console_display_name\" type=\"value_varchar\">empty</attrib>"
                       L"<attrib id=\"3\" name=\"empty\" type=\"value_varchar\"></attrib></object>");
    keep.ApplyConsoleDisplayName();
    EXPECT_EQ(Str(keep.name), L"server");
    Object none = Read(L"<object name=\"server\"/>");
    none.ApplyConsoleDisplayName();
    EXPECT_EQ(Str(none.name), L"server");
}

TEST(ObjectQueries, SortRulesFallThroughInOrder)
{
    auto make = [](const wchar_t* xml) { return Read(xml); };
    Object a = make(L"<object name=\"b\"><attrib id=\"1\" name=\"display_order\" type=\"value_int\">1</attrib>"
                    L"<attrib id=\"2\" name=\"end_date\" type=\"value_date\">900</attrib></object>");
    Object b = make(L"<object name=\"a\"><attrib id=\"1\" name=\"display_order\" type=\"value_int\">2</attrib>"
                    L"<attrib id=\"2\" name=\"end_date\" type=\"value_date\">100</attrib></object>");
    EXPECT_TRUE(ObjectSortsBefore(a, b));   // display_order decides
    EXPECT_FALSE(ObjectSortsBefore(b, a));
    b.attributes[1].SetValue(CAttribute::Integer, 1);
    EXPECT_TRUE(ObjectSortsBefore(b, a));   // equal order: end_date decides
    b.attributes[2].SetValue(CAttribute::DateTime, 900);
    EXPECT_TRUE(ObjectSortsBefore(b, a));   // then the stored names
    EXPECT_FALSE(ObjectSortsBefore(a, b));
    EXPECT_FALSE(ObjectSortsBefore(a, a));

    // The "name" attribute is compared in the user's language.
    Object x = make(L"<object name=\"z\"><attrib id=\"1\" name=\"name\" type=\"value_varchar\">B\u00A6de-DE\u00A6A</attrib></object>");
    Object y = make(L"<object name=\"y\"><attrib id=\"1\" name=\"name\" type=\"value_varchar\">A\u00A6de-DE\u00A6B</attrib></object>");
    CTString locale;
    FormatLocaleName(GetUserDefaultLCID(), locale);
    bool german = Str(locale) == L"de-DE";
    EXPECT_EQ(ObjectSortsBefore(x, y), german);
    EXPECT_EQ(ObjectSortsBefore(y, x), !german);

    EXPECT_TRUE(ObjectCreatedBefore(make(L"<object created=\"5\"/>"), make(L"<object created=\"6\"/>")));
    EXPECT_FALSE(ObjectCreatedBefore(make(L"<object created=\"6\"/>"), make(L"<object created=\"6\"/>")));
}

TEST(ObjectQueries, SortingAMixedListIsAStrictWeakOrdering)
{
    // Objects with and without "display_order": the comparator must stay irreflexive, asymmetric and
    // transitive so std::sort is well defined.
    std::vector<Object> list;
    const wchar_t* xml[] = {
        L"<object name=\"c\"><attrib id=\"1\" name=\"display_order\" type=\"value_int\">2</attrib></object>",
        L"<object name=\"a\"/>",
        L"<object name=\"d\"><attrib id=\"1\" name=\"display_order\" type=\"value_int\">1</attrib></object>",
        L"<object name=\"b\"><attrib id=\"5\" name=\"end_date\" type=\"value_date\">50</attrib></object>",
        L"<object name=\"e\"><attrib id=\"1\" name=\"display_order\" type=\"value_varchar\">x</attrib></object>",
        L"<object name=\"f\"><attrib id=\"3\" name=\"name\" type=\"value_varchar\">m</attrib></object>",
    };
    for (int round = 0; round < 8; ++round)
        for (const wchar_t* text : xml)
            list.push_back(Read(text));
    for (const Object& p : list) {
        EXPECT_FALSE(ObjectSortsBefore(p, p));
        for (const Object& q : list) {
            if (ObjectSortsBefore(p, q)) {
                EXPECT_FALSE(ObjectSortsBefore(q, p));
            }
            for (const Object& r : list) {
                if (ObjectSortsBefore(p, q) && ObjectSortsBefore(q, r)) {
                    EXPECT_TRUE(ObjectSortsBefore(p, r));
                }
            }
        }
    }
    std::sort(list.begin(), list.end(), ObjectSortsBefore);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), ObjectSortsBefore));
    EXPECT_EQ(Str(list.front().name), L"a");
}
