// CTTokenString: the token and field rules, quotes, the token cache, trimming.
#include "foundation/CTTokenString.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::wstring Text(const CTString& s)
{
    return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : std::wstring(L"<none>");
}

std::vector<std::wstring> Tokens(CTTokenString& text)
{
    std::vector<std::wstring> tokens;
    CTString out;
    for (unsigned i = 0; text.GetToken(i, out); i++)
        tokens.push_back(Text(out));
    return tokens;
}

std::vector<std::wstring> Fields(const CTTokenString& text, unsigned count, std::vector<bool>* found = nullptr)
{
    std::vector<std::wstring> fields;
    for (unsigned i = 0; i < count; i++) {
        CTString out(L"stale");
        bool ok = text.GetTokenUncached(i, out);
        if (found)
            found->push_back(ok);
        fields.push_back(Text(out));
    }
    return fields;
}

std::vector<std::wstring> SplitAll(const CTTokenString& text)
{
    CLinkedList list;
    text.Split(list);
    std::vector<std::wstring> tokens;
    for (CLinkedListObject* pos = list.GetHead(); pos; pos = pos->GetNext())
        tokens.push_back(Text(*static_cast<CTString*>(pos)));
    return tokens;
}

using Strings = std::vector<std::wstring>;

} // namespace

TEST(CTTokenString, TokenRuleKeepsALeadingSeparatorFieldRuleGivesEmptyFields)
{
    CTTokenString text(L"a,,b");
    text.SetSeparators(CTString(L","));
    EXPECT_EQ((Strings{L"a", L",b"}), Tokens(text));
    std::vector<bool> found;
    EXPECT_EQ((Strings{L"a", L"", L"b", L""}), Fields(text, 4, &found));
    EXPECT_EQ((std::vector<bool>{true, true, true, false}), found);
    EXPECT_EQ(1u, text.TokenLength(text.GetBuffer()));
    EXPECT_EQ(2u, text.TokenLength(text.GetBufferAt(2)));
    EXPECT_EQ(0u, text.FieldLength(text.GetBufferAt(2)));
    EXPECT_EQ(0u, text.FieldLength(text.GetBufferAt(4)));
}

TEST(CTTokenString, ATrailingSeparatorStartsNoFurtherTokenOrField)
{
    CTTokenString text(L"a,b,");
    text.SetSeparators(CTString(L","));
    CTString out(L"kept");
    EXPECT_FALSE(text.GetToken(2, out));
    EXPECT_STREQ(L"kept", out.GetBuffer());   // false leaves out alone
    std::vector<bool> found;
    EXPECT_EQ((Strings{L"a", L"b", L""}), Fields(text, 3, &found));
    EXPECT_EQ((std::vector<bool>{true, true, false}), found);
}

TEST(CTTokenString, QuotesProtectSeparatorsAndAreTrimmedUnlessAsIs)
{
    CTTokenString text(L" \"x, y\" ,z");
    text.SetSeparators(L",", 0);
    EXPECT_EQ((Strings{L"x, y", L"z"}), Tokens(text));
    text.SetSeparators(L",", CTTokenString::AsIs);
    EXPECT_EQ((Strings{L" \"x, y\" ", L"z"}), Tokens(text));
    EXPECT_EQ((Strings{L" \"x, y\" ", L"z"}), SplitAll(text));

    // Without the strict flag every quote switches, wherever it stands.
    CTTokenString loose(L"ab\"c,d\"e,f");
    loose.SetSeparators(CTString(L","));
    EXPECT_EQ((Strings{L"ab\"c,d\"e", L"f"}), Tokens(loose));
}

TEST(CTTokenString, StrictQuotesOpenOnlyAtTheStartAndCloseOnlyBeforeASeparator)
{
    CTTokenString text(L"ab\"c,d,\"e\"f,g\",h");
    text.SetSeparators(L",", CTTokenString::StrictQuotes);
    // A quote inside a token is ordinary; a leading quote keeps commas up to the quote before a comma.
    EXPECT_EQ((Strings{L"ab\"c", L"d", L"e\"f,g", L"h"}), Tokens(text));

    CTTokenString toEnd(L"\"a,b\"");
    toEnd.SetSeparators(L",", CTTokenString::StrictQuotes);
    EXPECT_EQ((Strings{L"a,b"}), Tokens(toEnd));
}

TEST(CTTokenString, TheCacheGivesTheSameTokensInAnyOrder)
{
    CTTokenString text(L"zero;one;two;three;four");
    text.SetSeparators(CTString(L";"));
    const wchar_t* expected[] = {L"zero", L"one", L"two", L"three", L"four"};
    CTString out;
    for (unsigned index : {3u, 1u, 2u, 4u, 0u, 4u, 2u}) {
        ASSERT_TRUE(text.GetToken(index, out)) << index;
        EXPECT_EQ(expected[index], Text(out)) << index;
    }
    EXPECT_FALSE(text.GetToken(5, out));
    EXPECT_EQ(2u, text.m_cachedIndex);   // a failed request leaves the cache alone

    unsigned offset = 0;
    ASSERT_TRUE(text.NextToken(out, &offset));
    EXPECT_STREQ(L"one", out.GetBuffer());
    EXPECT_EQ(5u, offset);

    // A shorter text assigned later does not let the cache point past its end.
    text.AssignText(L"p;q");
    ASSERT_TRUE(text.GetToken(1, out));
    EXPECT_STREQ(L"q", out.GetBuffer());
    text.GetToken(0, out);
    text.AssignText(L"");
    EXPECT_FALSE(text.GetToken(3, out));
}

TEST(CTTokenString, BlankTokensNoSeparatorsAndEmptyTexts)
{
    CTTokenString blanks(L"a,   ,b");
    blanks.SetSeparators(CTString(L","));
    CTString out;
    ASSERT_TRUE(blanks.GetToken(1, out));
    ASSERT_NE(nullptr, out.GetBuffer());
    EXPECT_TRUE(out.IsEmpty());

    CTTokenString whole(L"a,b c");
    EXPECT_EQ((Strings{L"a,b c"}), Tokens(whole));   // no separators: one token

    CTTokenString empty;
    empty.SetSeparators(CTString(L","));
    EXPECT_FALSE(empty.GetToken(0, out));
    std::vector<bool> found;
    EXPECT_EQ((Strings{L""}), Fields(empty, 1, &found));
    EXPECT_FALSE(found[0]);
    EXPECT_TRUE(SplitAll(empty).empty());
    EXPECT_FALSE(empty.ContainsToken(CTString(L"")));
}

TEST(CTTokenString, SetSeparatorsResults)
{
    CTTokenString text(L"a;b,c");
    EXPECT_FALSE(text.SetSeparators(nullptr, CTTokenString::AsIs));
    EXPECT_EQ(CTTokenString::AsIs, text.m_flags);
    EXPECT_TRUE(text.SetSeparators(L";", CTTokenString::AsIs));
    EXPECT_TRUE(text.SetSeparators(CTString(L",")));
    EXPECT_EQ(0u, text.m_flags);
    EXPECT_FALSE(text.SetSeparators(CTString(L"")));
    EXPECT_STREQ(L",", text.m_separators.GetBuffer());   // kept
    text.SetSeparators(CTString(L";,"));
    EXPECT_EQ((Strings{L"a", L"b", L"c"}), Tokens(text));
}

TEST(CTTokenString, ContainsTokenIgnoresCaseBlanksAndQuotes)
{
    CTTokenString text(L"alpha, \"Beta\" ,gamma");
    text.SetSeparators(L",", CTTokenString::AsIs);   // the flags do not matter here
    EXPECT_TRUE(text.ContainsToken(CTString(L"beta")));
    EXPECT_TRUE(text.ContainsToken(CTString(L"GAMMA")));
    EXPECT_TRUE(text.ContainsToken(CTString(L"Alpha")));
    EXPECT_FALSE(text.ContainsToken(CTString(L"delta")));
    EXPECT_FALSE(text.ContainsToken(CTString(L"alp")));
}

TEST(CTTokenString, SplitTrimsBlanksThenDoubleThenSingleQuotes)
{
    CTTokenString text(L" 'one' ; \"two\" ;three; \"'four'\"");
    text.SetSeparators(CTString(L";"));
    EXPECT_EQ((Strings{L"one", L"two", L"three", L"four"}), SplitAll(text));

    CTTokenString pairs(L"a=1;b=2;c");
    pairs.SetSeparators(CTString(L";"));
    EXPECT_EQ((Strings{L"a=1", L"b=2", L"c"}), SplitAll(pairs));
}
