// CTString: storage, growth, wiping, editing, searching, comparing, formatting and string tables.
#include "foundation/CTString.h"
#include "foundation/CTStringA.h"
#include <gtest/gtest.h>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Records every buffer the strings give up and whether it was zero over its whole capacity.
struct FreedBuffer {
    unsigned capacity;
    bool wiped;
};
std::vector<FreedBuffer> g_freed;

void RecordFree(const wchar_t* buffer, unsigned capacity)
{
    bool wiped = true;
    for (unsigned i = 0; i < capacity; i++)
        wiped = wiped && buffer[i] == 0;
    g_freed.push_back({capacity, wiped});
}

class WipeWatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_freed.clear();
        CTString::s_freeHook = RecordFree;
    }
    void TearDown() override { CTString::s_freeHook = nullptr; }

    static void ExpectFreedWiped(size_t atLeast)
    {
        EXPECT_GE(g_freed.size(), atLeast);
        for (const FreedBuffer& freed : g_freed)
            EXPECT_TRUE(freed.wiped) << "buffer of capacity " << freed.capacity << " freed unwiped";
    }
};

std::wstring Text(const CTString& s)
{
    return s.GetBuffer() ? std::wstring(s.GetBuffer(), s.GetLength()) : std::wstring(L"<none>");
}

CTString Formatted(const wchar_t* format, ...)
{
    CTString s;
    va_list args;
    va_start(args, format);
    s.FormatV(format, args);
    va_end(args);
    return s;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Storage and growth

TEST(CTStringStorage, ConstructionKeepsBufferPresenceApart)
{
    CTString none;
    EXPECT_EQ(nullptr, none.GetBuffer());
    EXPECT_EQ(0u, none.GetCapacity());
    EXPECT_TRUE(none.IsEmpty());

    CTString nullText(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(nullptr, nullText.GetBuffer());

    CTString exact(L"abc");
    EXPECT_EQ(4u, exact.GetCapacity());
    EXPECT_EQ(3u, exact.GetLength());

    CTString emptyText(L"");
    ASSERT_NE(nullptr, emptyText.GetBuffer());
    EXPECT_TRUE(emptyText.IsEmpty());

    CTString copyOfEmpty(emptyText);
    ASSERT_NE(nullptr, copyOfEmpty.GetBuffer());
    EXPECT_EQ(L'\0', copyOfEmpty.GetBuffer()[0]);
    CTString copyOfNone(none);
    EXPECT_EQ(nullptr, copyOfNone.GetBuffer());

    CTString assigned;
    assigned.AssignText(L"");
    ASSERT_NE(nullptr, assigned.GetBuffer());
    EXPECT_TRUE(assigned.IsEmpty());
    assigned.AssignText(nullptr);
    EXPECT_EQ(nullptr, assigned.GetBuffer());
    EXPECT_TRUE(assigned.IsEmpty());

    CTString source(L"xyz");
    assigned.Assign(source);
    EXPECT_STREQ(L"xyz", assigned.GetBuffer());
    assigned.Assign(none);
    EXPECT_EQ(nullptr, assigned.GetBuffer());

    CTString ch;
    ch.AssignChar(L'Q');
    EXPECT_STREQ(L"Q", ch.GetBuffer());
    EXPECT_EQ(1u, ch.GetLength());
}

TEST(CTStringStorage, AppendingOneCharacterAtATimeGrowsByAnEighthClampedTo4And1024)
{
    CTString s;
    std::vector<unsigned> capacities;
    unsigned last = 0;
    for (int i = 0; i < 40000; i++) {
        s.AppendChar(L'x');
        if (s.GetCapacity() != last) {
            if (last != 0) {
                unsigned step = last / 8 < 4 ? 4 : (last / 8 > 1024 ? 1024 : last / 8);
                ASSERT_EQ(last + step, s.GetCapacity()) << "growth from " << last;
            }
            capacities.push_back(s.GetCapacity());
            last = s.GetCapacity();
        }
    }
    std::vector<unsigned> start(capacities.begin(), capacities.begin() + 10);
    EXPECT_EQ((std::vector<unsigned>{2, 6, 10, 14, 18, 22, 26, 30, 34, 38}), start);
    // From a capacity of 8192 on every step is 1024.
    EXPECT_GE(capacities.back(), 40000u);
    EXPECT_EQ(1024u, capacities.back() - capacities[capacities.size() - 2]);
    EXPECT_EQ(40000u, s.GetLength());
}

TEST(CTStringStorage, ReserveTakesTheLargerOfRequestAndStepAndZeroesUpToTheRequest)
{
    CTString s(L"ab");   // capacity 3
    wchar_t* buffer = s.Reserve(100);
    EXPECT_EQ(100u, s.GetCapacity());
    EXPECT_EQ(2u, s.GetLength());
    EXPECT_EQ(L'a', buffer[0]);
    for (unsigned i = 2; i < 100; i++)
        ASSERT_EQ(L'\0', buffer[i]) << i;
    EXPECT_EQ(buffer, s.Reserve(50));   // enough room: unchanged
    s.Reserve(101);
    EXPECT_EQ(112u, s.GetCapacity());   // 100 + 100 / 8
    EXPECT_EQ(nullptr, s.Reserve(0));
    EXPECT_EQ(0u, s.GetCapacity());
    EXPECT_EQ(0u, s.GetLength());
}

TEST(CTStringStorage, DirectWritesAndSwap)
{
    CTString s;
    wchar_t* buffer = s.Reserve(10);
    wcscpy(buffer, L"hello");
    EXPECT_EQ(5u, s.ReleaseBuffer());
    EXPECT_EQ(5u, s.GetLength());
    s.SetLength(50);
    EXPECT_EQ(10u, s.GetLength());   // capped at the capacity
    s.SetLength(2);
    EXPECT_EQ(L'l', *s.GetBufferAt(2));

    CTString other(L"zz");
    s.Swap(other);
    EXPECT_STREQ(L"zz", s.GetBuffer());
    EXPECT_EQ(10u, other.GetCapacity());
}

TEST_F(WipeWatch, EveryBufferGivenUpIsZeroOverItsWholeCapacity)
{
    {
        CTString s;
        for (int i = 0; i < 100; i++)   // growth gives up many buffers
            s.AppendChar(L'a' + i % 26);
        s.TrimLeft(L'a');
        s.TrimRight(L'v');
        s.Replace(CTString(L"b"), CTString(L"BBBB"), false);
        s.XmlEscape();
        s.XmlUnescape();
        s.Format(L"%s and %d more characters than before", s.GetBuffer(), 1000);
        s.Empty();
        s.AssignText(L"again");
        s.AssignText(nullptr);
        s.AssignText(L"more");
        s.Reserve(0);
        s.AssignText(L"destroyed with the string");
    }
    ExpectFreedWiped(20);
}

// ---------------------------------------------------------------------------------------------
// Appending, sub-strings, trimming

TEST(CTStringEdit, AppendingLeavesTheStringAloneForSelfNullAndNul)
{
    CTString s(L"abc");
    s.Append(s);
    EXPECT_STREQ(L"abc", s.GetBuffer());
    s.AppendChar(L'\0');
    EXPECT_EQ(3u, s.GetLength());
    s.AppendText(nullptr);
    s.Append(CTString());
    EXPECT_STREQ(L"abc", s.GetBuffer());
    s.Append(CTString(L"de")).AddText(L"f").AppendString(CTString(L"g"));
    EXPECT_STREQ(L"abcdefg", s.GetBuffer());

    // A text taken from the string's own buffer survives the buffer being replaced.
    CTString own(L"0123456789");
    own.AppendText(own.GetBufferAt(5));
    EXPECT_STREQ(L"012345678956789", own.GetBuffer());
    own.AssignText(own.GetBufferAt(10));
    EXPECT_STREQ(L"56789", own.GetBuffer());

    CTString none;
    none.Append(CTString(L""));
    ASSERT_NE(nullptr, none.GetBuffer());
    EXPECT_TRUE(none.IsEmpty());
}

TEST(CTStringEdit, SubStrings)
{
    const CTString abc(L"abc");
    CTString out(L"previous");
    struct Case {
        const char* what;
        CTString& (*take)(const CTString&, CTString&);
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"Left 10", [](const CTString& s, CTString& o) -> CTString& { return s.Left(o, 10); }, L"abc"},
        {"Left 2", [](const CTString& s, CTString& o) -> CTString& { return s.Left(o, 2); }, L"ab"},
        {"Right 0", [](const CTString& s, CTString& o) -> CTString& { return s.Right(o, 0); }, L""},
        {"Right 2", [](const CTString& s, CTString& o) -> CTString& { return s.Right(o, 2); }, L"bc"},
        {"Right 9", [](const CTString& s, CTString& o) -> CTString& { return s.Right(o, 9); }, L"abc"},
        {"Mid 5,2", [](const CTString& s, CTString& o) -> CTString& { return s.Mid(o, 5, 2); }, L""},
        {"Mid 1,10", [](const CTString& s, CTString& o) -> CTString& { return s.Mid(o, 1, 10); }, L"bc"},
        {"Mid 1,1", [](const CTString& s, CTString& o) -> CTString& { return s.Mid(o, 1, 1); }, L"b"},
        {"MidToEnd 1", [](const CTString& s, CTString& o) -> CTString& { return s.MidToEnd(o, 1); }, L"bc"},
    };
    for (const Case& c : cases) {
        CTString& result = c.take(abc, out);
        EXPECT_EQ(&out, &result);
        ASSERT_NE(nullptr, out.GetBuffer()) << c.what;
        EXPECT_STREQ(c.expected, out.GetBuffer()) << c.what;
    }
    // The string itself as out.
    CTString self(L"abcdef");
    self.Mid(self, 1, 3);
    EXPECT_STREQ(L"bcd", self.GetBuffer());
    self.Left(self, 2);
    EXPECT_STREQ(L"bc", self.GetBuffer());
    self.Right(self, 1);
    EXPECT_STREQ(L"c", self.GetBuffer());

    // A source without text leaves out without buffer.
    CTString none;
    none.Left(out, 3);
    EXPECT_EQ(nullptr, out.GetBuffer());
    CTString(L"").Right(out, 3);
    EXPECT_EQ(nullptr, out.GetBuffer());
}

TEST(CTStringEdit, Trimming)
{
    CTString blanks(L"   ");
    blanks.TrimLeft(L' ');
    ASSERT_NE(nullptr, blanks.GetBuffer());
    EXPECT_TRUE(blanks.IsEmpty());

    CTString right(L"xx--");
    right.TrimRight(L'-');
    EXPECT_STREQ(L"xx", right.GetBuffer());
    EXPECT_EQ(3u, right.GetCapacity());   // rebuilt to size

    CTString both(L"**a*b**");
    both.Trim(L'*');
    EXPECT_STREQ(L"a*b", both.GetBuffer());

    CTString none;
    none.Trim(L' ');
    EXPECT_EQ(nullptr, none.GetBuffer());
}

// ---------------------------------------------------------------------------------------------
// Searching and replacing

TEST(CTStringSearch, FindReportsIndexesFromTheStart)
{
    CTString s(L"abcabc");
    EXPECT_EQ(1, s.Find(CTString(L"bc")));
    EXPECT_EQ(4, s.Find(CTString(L"bc"), 2));
    EXPECT_EQ(-1, s.Find(CTString(L"bc"), 6));
    EXPECT_EQ(-1, s.Find(CTString(L"")));
    EXPECT_EQ(-1, s.Find(CTString()));
    EXPECT_EQ(-1, s.Find(CTString(L"zz")));
    EXPECT_EQ(-1, CTString().Find(CTString(L"a")));
    EXPECT_EQ(2, s.FindChar(L'c'));
    EXPECT_EQ(5, s.FindChar(L'c', 3));
    EXPECT_EQ(-1, s.FindChar(L'c', 6));
    EXPECT_EQ(-1, s.FindChar(L'z'));
    EXPECT_EQ(3, s.ReverseFindChar(L'a'));
    EXPECT_EQ(-1, CTString().ReverseFindChar(L'a'));
}

TEST(CTStringSearch, ReplaceCases)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* what;
        const wchar_t* with;
        bool rescan;
        bool replaced;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"abab", L"ab", L"x", false, true, L"xx"},
        {L"abab", L"a", L"a", true, false, L"abab"},
        {L"abab", L"", L"", true, false, L"abab"},
        {L"abab", L"zz", L"y", true, false, L"abab"},
        {L"abab", L"", L"y", true, false, L"abab"},
        {L"a--b", L"-", L"", false, true, L"ab"},
        {L"a////b", L"//", L"/", true, true, L"a/b"},    // rescanning collapses repeats
        {L"a////b", L"//", L"/", false, true, L"a//b"},
        {L"aab", L"ab", L"b", true, true, L"b"},
        {L"xaxb", L"x", L"yy", false, true, L"yyayyb"},
        {L"tail!", L"!", L"?!", false, true, L"tail?!"},
    };
    for (const Case& c : cases) {
        CTString s(c.text);
        EXPECT_EQ(c.replaced, s.Replace(CTString(c.what), CTString(c.with), c.rescan)) << c.text << " " << c.what;
        EXPECT_STREQ(c.expected, s.GetBuffer()) << c.text << " " << c.what;
    }
    CTString s(L"a-b");
    EXPECT_TRUE(s.Replace(CTString(L"-"), CTString(), true));   // a replacement without buffer removes
    EXPECT_STREQ(L"ab", s.GetBuffer());
}

TEST(CTStringSearch, ReplaceWithRescanEndsWhenTheReplacementContainsTheSearchedText)
{
    // Rescanning from the start would find the inserted text again forever.
    CTString s(L"a.b.c");
    EXPECT_TRUE(s.Replace(CTString(L"."), CTString(L".."), true));
    EXPECT_STREQ(L"a..b..c", s.GetBuffer());

    CTString t(L"xx");
    EXPECT_TRUE(t.Replace(CTString(L"x"), CTString(L"<x>"), true));
    EXPECT_STREQ(L"<x><x>", t.GetBuffer());
}

// ---------------------------------------------------------------------------------------------
// Comparison and conversions

TEST(CTStringCompare, ComparisonsUseTheTextsAndLengths)
{
    CTString a(L"apple"), b(L"Apple"), c(L"apple");
    EXPECT_EQ(0, a.Compare(c));
    EXPECT_NE(0, a.Compare(b));
    EXPECT_EQ(0, a.CompareNoCase(b));
    EXPECT_EQ(0, a.CompareNoCase(L"APPLE"));
    EXPECT_LT(a.Compare(L"banana"), 0);
    EXPECT_TRUE(a.Equals(c));
    EXPECT_TRUE(a.Equals(L"apple"));
    EXPECT_FALSE(a.Equals(b));
    EXPECT_TRUE(a.NotEqual(b));
    EXPECT_TRUE(a.NotEqual(L"apples"));
    EXPECT_FALSE(a.NotEqual(c));
}

TEST(CTStringConvert, NumbersDigitsAndCase)
{
    EXPECT_EQ(-42, CTString(L"-42abc").ToInt());
    EXPECT_EQ(0, CTString().ToInt());
    EXPECT_EQ(9000000000ll, CTString(L"9000000000").ToInt64());
    EXPECT_EQ(0, CTString(L"").ToInt64());
    EXPECT_TRUE(CTString(L"0123").IsDigits());
    EXPECT_FALSE(CTString(L"12a").IsDigits());
    EXPECT_FALSE(CTString(L"").IsDigits());
    EXPECT_FALSE(CTString().IsDigits());

    CTString s(L"Caf\u00e9 mIx");
    s.MakeUpper();
    EXPECT_STREQ(L"CAF\u00e9 MIX", s.GetBuffer());   // only A-Z and a-z change
    s.MakeLower();
    EXPECT_STREQ(L"caf\u00e9 mix", s.GetBuffer());
    CTString none;
    none.MakeUpper();
    EXPECT_EQ(nullptr, none.GetBuffer());
}

TEST(CTStringConvert, AnsiRoundTrip)
{
    CTString s(L"plain text");
    char* ansi = s.ToAnsi();
    ASSERT_NE(nullptr, ansi);
    EXPECT_STREQ("plain text", ansi);
    delete[] ansi;
    EXPECT_EQ(nullptr, CTString().ToAnsi());
    EXPECT_EQ(nullptr, CTString(L"").ToAnsi());

    CTString back;
    back.AssignAnsi("from ansi");
    EXPECT_STREQ(L"from ansi", back.GetBuffer());
    back.AssignAnsi(nullptr);
    EXPECT_STREQ(L"from ansi", back.GetBuffer());   // unchanged
    CTStringA a("via CTStringA");
    CTString fromA(a);
    EXPECT_STREQ(L"via CTStringA", fromA.GetBuffer());
    fromA.AssignFromStringA(CTStringA());
    EXPECT_STREQ(L"via CTStringA", fromA.GetBuffer());   // an empty CTStringA changes nothing
}

TEST(CTStringConvert, XmlEscapeAndUnescape)
{
    CTString s(L"<a href=\"x\">Tom & Jerry's</a>\r\n");
    s.XmlEscape();
    EXPECT_STREQ(L"&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&apos;s&lt;/a&gt;&#13;&#10;", s.GetBuffer());
    s.XmlUnescape();
    EXPECT_STREQ(L"<a href=\"x\">Tom & Jerry's</a>\r\n", s.GetBuffer());

    // Round trip over every character that is escaped, mixed with plain ones.
    std::wstring all;
    for (wchar_t ch = 1; ch < 300; ch++)
        all += ch;
    all += L"&amp;&#10;";
    CTString round(all.c_str());
    round.XmlEscape();
    round.XmlUnescape();
    EXPECT_EQ(all, Text(round));

    CTString other(L"&nbsp;&#65;&AMP;&lt&am");
    other.XmlUnescape();
    EXPECT_STREQ(L"&nbsp;&#65;&AMP;&lt&am", other.GetBuffer());

    // NUL characters inside the length are dropped.
    CTString withNul(L"a<b");
    withNul.GetBuffer()[1] = 0;
    withNul.XmlEscape();
    EXPECT_STREQ(L"ab", withNul.GetBuffer());
    EXPECT_EQ(2u, withNul.GetLength());

    CTString none;
    none.XmlEscape().XmlUnescape();
    EXPECT_EQ(nullptr, none.GetBuffer());
}

TEST(CTStringConvert, ColoursAndNumbersAppended)
{
    COLORREF colour = 12345;
    CTString(L"#FF8000").GetColour(colour);
    EXPECT_EQ(RGB(255, 128, 0), colour);
    CTString(L"#ff8000 and more").GetColour(colour);
    EXPECT_EQ(RGB(255, 128, 0), colour);
    CTString(L"#F80").GetColour(colour);
    EXPECT_EQ(0u, colour);
    colour = 7;
    CTString().GetColour(colour);
    EXPECT_EQ(0u, colour);

    CTString s(L"c=");
    COLORREF orange = RGB(255, 128, 0);
    s.AppendHtmlColour(&orange);
    EXPECT_STREQ(L"c=#FF8000", s.GetBuffer());
    COLORREF back = 0;
    CTString(s.GetBufferAt(2)).GetColour(back);
    EXPECT_EQ(orange, back);

    CTString n;
    n.AppendInt(-2147483647 - 1).AppendChar(L' ').AppendLong(42).AppendChar(L' ');
    n.AppendUInt64(18446744073709551615ull).AppendChar(L' ').AppendQWORD(0);
    EXPECT_STREQ(L"-2147483648 42 18446744073709551615 0", n.GetBuffer());
}

// ---------------------------------------------------------------------------------------------
// Formatting

TEST(CTStringFormat, FollowsTheMicrosoftRulesNotC99)
{
    // Under C99 rules a wide %s would read a narrow string and print "w", and %S would be wide.
    CTString s;
    EXPECT_EQ(4u, s.Format(L"%s", L"wide"));
    EXPECT_STREQ(L"wide", s.GetBuffer());
    s.Format(L"%S", "narrow");
    EXPECT_STREQ(L"narrow", s.GetBuffer());
    s.Format(L"%hs|%ls|%ws", "h", L"l", L"w");
    EXPECT_STREQ(L"h|l|w", s.GetBuffer());
    s.Format(L"%I64d %I64u %I64x", -9000000000000000000ll, 18446744073709551615ull, 0x123456789abcull);
    EXPECT_STREQ(L"-9000000000000000000 18446744073709551615 123456789abc", s.GetBuffer());
}

TEST(CTStringFormat, ConversionTableAndEstimateCoversTheResult)
{
    struct Case {
        const wchar_t* expected;
        CTString result;
    };
    const Case cases[] = {
        {L"(null)", Formatted(L"%s", static_cast<const wchar_t*>(nullptr))},
        {L"(null)", Formatted(L"%hs", static_cast<const char*>(nullptr))},
        {L"x", Formatted(L"%c", L'x')},
        {L"y", Formatted(L"%C", 'y')},
        {L"  abc", Formatted(L"%5.3s", L"abcdef")},
        {L"ab   |", Formatted(L"%-5.2s|", L"abcdef")},
        {L"      42", Formatted(L"%*d", 8, 42)},
        {L"42      |", Formatted(L"%-*d|", 8, 42)},
        {L"00042", Formatted(L"%05d", 42)},
        {L"+7", Formatted(L"%+d", 7)},
        {L"0x1f", Formatted(L"%#x", 31)},
        {L"1F", Formatted(L"%X", 31)},
        {L"17", Formatted(L"%o", 15)},
        {L"4294967295", Formatted(L"%u", 0xFFFFFFFFu)},
        {L"3.14", Formatted(L"%.2f", 3.14159)},
        {L"100%", Formatted(L"%d%%", 100)},
        {L"1.500000e+000", Formatted(L"%e", 1.5)},
        {L"0.5", Formatted(L"%g", 0.5)},
        {L"a=1, b=two, c=3", Formatted(L"a=%d, b=%s, c=%I64d", 1, L"two", 3ll)},
    };
    for (const Case& c : cases) {
        ASSERT_NE(nullptr, c.result.GetBuffer()) << c.expected;
        EXPECT_STREQ(c.expected, c.result.GetBuffer());
        EXPECT_GE(c.result.GetCapacity(), c.result.GetLength() + 1);
    }

    // A lone '%' at the end ends the estimate; whatever the formatter makes of it fits.
    CTString lone = Formatted(L"end%");
    EXPECT_LE(lone.GetLength(), 3u);

    // A null text counts 6 characters and the terminator: exactly what is reserved.
    EXPECT_EQ(7u, Formatted(L"%s", static_cast<const wchar_t*>(nullptr)).GetCapacity());
}

TEST(CTStringFormat, LargeValuesAndLongTextsFit)
{
    CTString big = Formatted(L"%f", 1e300);
    EXPECT_EQ(301u + 7u, big.GetLength());
    EXPECT_EQ(L'1', big.GetBuffer()[0]);

    CTString wide = Formatted(L"%f|%.0f|%10.3f", -1e308, 1e20, 2.5);
    EXPECT_NE(nullptr, wcsstr(wide.GetBuffer(), L"|100000000000000000000|     2.500"));

    std::string longNarrow(5000, 'n');
    std::wstring longWide(7000, L'w');
    CTString texts = Formatted(L"[%S][%s][%300s]", longNarrow.c_str(), longWide.c_str(), L"pad");
    EXPECT_EQ(5000u + 7000u + 300u + 6u, texts.GetLength());
    EXPECT_EQ(L'n', texts.GetBuffer()[1]);
    EXPECT_EQ(L'w', texts.GetBuffer()[5003]);

    // Integer precisions stay at 22 or below: Wine's formatter overruns its buffer above that and
    // corrupts the heap, which then fails the program at exit, seemingly at random.
    CTString number = Formatted(L"%40d|%.22d", 1, 2);
    EXPECT_EQ(40u + 1u + 22u, number.GetLength());

    // Precisions beyond the fixed minimum estimates still fit with their sign and exponent.
    struct Precise {
        const wchar_t* format;
        double value;
    };
    CTString negative = Formatted(L"%+*.22d", 40, -5);
    EXPECT_EQ(40u, negative.GetLength());
    EXPECT_EQ(L'-', negative.GetBuffer()[40 - 23]);
    for (const Precise& p : {Precise{L"%.200e", -1.5e300}, Precise{L"%.150G", -2.0 / 3e-200}}) {
        wchar_t reference[2000] = {};
        _snwprintf(reference, 1999, p.format, p.value);
        CTString precise = Formatted(p.format, p.value);
        EXPECT_STREQ(reference, precise.GetBuffer()) << p.format;
    }

    CTString pointer = Formatted(L"%p", reinterpret_cast<void*>(0x1234));
    EXPECT_STREQ(L"0000000000001234", pointer.GetBuffer());
}

TEST(CTStringFormat, ReplacesThePreviousTextEvenWhenItIsAnArgument)
{
    CTString s(L"a much longer previous text");
    EXPECT_EQ(2u, s.Format(L"%d", 12));
    EXPECT_STREQ(L"12", s.GetBuffer());

    // Growing frees the old buffer, and formatting in place would overwrite the argument as it reads it.
    CTString grows(L"abc");
    grows.Format(L"%s-%s", grows.GetBuffer(), grows.GetBuffer());
    EXPECT_STREQ(L"abc-abc", grows.GetBuffer());
    CTString roomy(L"xyz");
    roomy.Reserve(200);
    roomy.Format(L"<%s>%s", roomy.GetBuffer(), roomy.GetBufferAt(1));
    EXPECT_STREQ(L"<xyz>yz", roomy.GetBuffer());
    EXPECT_EQ(200u, roomy.GetCapacity());
}

// ---------------------------------------------------------------------------------------------
// String tables

TEST(CTStringResource, LoadsEntriesAcrossBlockBoundaries)
{
    HMODULE module = GetModuleHandleW(nullptr);
    struct Case {
        UINT id;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {15, L"last of block 0"},
        {16, L"first of block 1"},
        {19, L"after a gap"},
        {31, L"last of block 1"},
        {40, L"Caf\u00e9 au lait"},
    };
    for (const Case& c : cases) {
        CTString s;
        EXPECT_TRUE(s.LoadString(c.id, module)) << c.id;
        EXPECT_STREQ(c.expected, s.GetBuffer()) << c.id;
        EXPECT_EQ(wcslen(c.expected), s.GetLength());
    }
    CTString fromConstructor(31, module);
    EXPECT_STREQ(L"last of block 1", fromConstructor.GetBuffer());
}

TEST(CTStringResource, MissingAndEmptyEntriesLeaveTheStringAlone)
{
    HMODULE module = GetModuleHandleW(nullptr);
    for (UINT id : {17u, 18u, 14u, 32u, 5000u}) {
        CTString s(L"kept");
        EXPECT_FALSE(s.LoadString(id, module)) << id;
        EXPECT_STREQ(L"kept", s.GetBuffer()) << id;
    }
}
