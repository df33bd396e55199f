// Attribute sets: order, case rules, copying, equality and name=value parsing.
#include "foundation/CAttributes.h"
#include <gtest/gtest.h>
#include <string>

namespace {

// "name=text;..." in set order, for compact expectations.
std::wstring Dump(const CAttributes& set)
{
    std::wstring out;
    for (CAttributes::CItem* item = set.GetHead(); item; item = item->GetNextItem()) {
        if (!out.empty())
            out += L";";
        out += item->GetName().GetBuffer() ? item->GetName().GetBuffer() : L"";
        out += L"=";
        out += item->GetText();
    }
    return out;
}

CTString S(const wchar_t* text)
{
    return CTString(text);
}

} // namespace

TEST(CAttributes, SetKeepsOrderAndFirstSpellingIgnoringCase)
{
    CAttributes set;
    EXPECT_TRUE(set.SetText(S(L"Name"), S(L"a")));
    EXPECT_TRUE(set.SetNumber(S(L"Count"), 3));
    EXPECT_TRUE(set.Set(S(L"NAME"), CAttribute(0, L"b")));
    EXPECT_EQ(L"Name=b;Count=3", Dump(set));

    EXPECT_FALSE(set.SetText(S(L""), S(L"x")));
    EXPECT_FALSE(set.Set(CTString(), CAttribute(1, 1)));
    EXPECT_FALSE(set.SetNumber(S(L""), 1));
    EXPECT_EQ(2u, set.GetCount());

    // SetText on an existing item keeps its stored number; the type becomes text.
    set.SetText(S(L"count"), S(L"three"));
    CAttribute value;
    ASSERT_TRUE(set.Get(S(L"COUNT"), value));
    EXPECT_EQ(0, value.GetType());
    EXPECT_EQ(3, value.m_value);
    EXPECT_STREQ(L"three", value.GetText());

    // Names of different length never match, even where a linguistic comparison might.
    set.SetText(S(L"Nam"), S(L"c"));
    EXPECT_EQ(3u, set.GetCount());
}

TEST(CAttributes, SetFromAnItemOfTheSameSet)
{
    CAttributes set;
    set.SetNumber(S(L"a"), 1);
    set.SetText(S(L"b"), S(L"two"));
    set.Set(S(L"a"), *set.Find(S(L"b")));
    set.Set(S(L"b"), *set.Find(S(L"b")));
    EXPECT_EQ(L"a=two;b=two", Dump(set));
}

TEST(CAttributes, LookupsOfPresentAndAbsentNames)
{
    CAttributes set;
    set.Set(S(L"Size"), CAttribute(8, 3600));

    CAttribute out(0, L"untouched");
    EXPECT_FALSE(set.Get(S(L"missing"), out));
    EXPECT_STREQ(L"untouched", out.GetText());
    EXPECT_TRUE(set.Get(S(L"size"), out));
    EXPECT_EQ(8, out.GetType());
    EXPECT_STREQ(L"01:00:00", out.GetText());

    CAttribute attr(0, L"old");
    set.GetAttribute(attr, S(L"missing"));
    EXPECT_EQ(1, attr.GetType());
    EXPECT_EQ(0, attr.GetValue());
    EXPECT_STREQ(L"", attr.GetText());

    CTString text(L"old");
    EXPECT_FALSE(set.GetText(S(L"missing"), text));
    EXPECT_STREQ(L"old", text.GetBuffer());
    EXPECT_TRUE(set.GetText(S(L"SIZE"), text));
    EXPECT_STREQ(L"01:00:00", text.GetBuffer());

    CTString name;
    EXPECT_TRUE(set.HasAt(0));
    EXPECT_FALSE(set.HasAt(1));
    EXPECT_FALSE(set.HasAt(-1));
    EXPECT_TRUE(set.GetAt(0, name, out));
    EXPECT_STREQ(L"Size", name.GetBuffer());
    EXPECT_FALSE(set.GetAt(1, name, out));
}

TEST(CAttributes, RemoveAndRemoveDuplicates)
{
    CAttributes set;
    EXPECT_TRUE(set.Remove(S(L"absent")));

    // Duplicates can only come from items put in directly; the first one survives.
    const wchar_t* names[] = {L"x", L"dup", L"y", L"DUP", L"Dup"};
    for (int i = 0; i < 5; ++i) {
        auto* item = new CAttributes::CItem;
        item->SetAll(S(names[i]), S(L"t"), i, 1);
        item->UpdateText();
        set.m_items.AddTail(item);
    }
    set.RemoveDuplicates(S(L"dUp"));
    EXPECT_EQ(L"x=0;dup=1;y=2", Dump(set));

    set.Remove(S(L"X"));
    EXPECT_EQ(L"dup=1;y=2", Dump(set));

    CTString name, text;
    __int64 value = 0;
    int type = 0;
    set.GetHead()->GetAll(name, text, value, type);
    EXPECT_STREQ(L"dup", name.GetBuffer());
    EXPECT_EQ(1, value);
    EXPECT_EQ(1, type);
}

TEST(CAttributes, CopyFromReplacesContentsAndSurvivesItself)
{
    CAttributes source;
    source.SetText(S(L"a"), S(L"1"));
    source.SetNumber(S(L"b"), 2);

    CAttributes target;
    target.SetText(S(L"old"), S(L"gone"));
    target.CopyFrom(source);
    EXPECT_EQ(L"a=1;b=2", Dump(target));
    EXPECT_TRUE(target.Equals(source));

    // Copying a set from itself must not lose its items.
    target.CopyFrom(target);
    EXPECT_EQ(L"a=1;b=2", Dump(target));
    target = target;
    EXPECT_EQ(2u, target.GetCount());

    CAttributes copied(source);
    EXPECT_EQ(L"a=1;b=2", Dump(copied));
}

TEST(CAttributes, EqualsIgnoresOrderAndNameCase)
{
    CAttributes a, b;
    a.SetText(S(L"One"), S(L"1"));
    a.SetNumber(S(L"Two"), 2);
    b.SetNumber(S(L"two"), 2);
    b.SetText(S(L"ONE"), S(L"1"));
    EXPECT_TRUE(a.Equals(b));
    EXPECT_TRUE(b.Equals(a));

    b.SetText(S(L"Three"), S(L"3"));
    EXPECT_FALSE(a.Equals(b));
    EXPECT_FALSE(b.Equals(a));

    CAttributes c;
    c.SetText(S(L"One"), S(L"1"));
    c.SetText(S(L"Two"), S(L"2"));   // same text, but a text, not a number
    EXPECT_FALSE(a.Equals(c));

    CAttributes d;
    d.SetText(S(L"One"), S(L"1"));
    d.SetNumber(S(L"Other"), 2);
    EXPECT_FALSE(a.Equals(d));

    EXPECT_TRUE(CAttributes().Equals(CAttributes()));
}

TEST(CAttributes, ParseNameValueList)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* separators;
        const wchar_t* result;
    } cases[] = {
        {L"a=1;b=2", L";", L"a=1;b=2"},
        {L"x", L";", L"x="},
        {L"=5", L";", L""},
        {L"a=1;=5;b", L";", L"a=1;b="},
        {L" name = \"a=b; c\" ; next=2", L";", L"name=a=b; c;next=2"},
        {L"k=v=w", L";", L"k=v"},
        {L"A=1;a=2", L";", L"A=2"},
        {L"a=1;b=2", L"", L"a=1;b"},   // no separators: one pair, its value ending at the next '='
        {L"p=1, q=2", L",", L"p=1;q=2"},
    };
    for (const Case& c : cases) {
        CAttributes set;
        set.ParseNameValueList(S(c.text), S(c.separators));
        EXPECT_EQ(c.result, Dump(set)) << c.text;
        for (CAttributes::CItem* item = set.GetHead(); item; item = item->GetNextItem())
            EXPECT_EQ(0, item->GetType());
    }

    // The set is not cleared first.
    CAttributes set;
    set.ParseNameValueList(S(L"a=1"), S(L";"));
    set.ParseNameValueList(S(L"b=2;A=3"), S(L";"));
    EXPECT_EQ(L"a=3;b=2", Dump(set));
}
