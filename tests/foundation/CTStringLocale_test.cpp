// Multi-language text: lookup with its cache, the user's locale with fallback to en-GB, and edits.
// ctest-env: LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
#include "foundation/CTStringLocale.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kSep = L'\u00A6';

// Builds a multi-language text from parts joined by U+00A6.
CTString Joined(std::initializer_list<const wchar_t*> parts)
{
    CTString text(L"");
    bool first = true;
    for (const wchar_t* part : parts) {
        if (!first)
            text.AppendChar(kSep);
        text.AppendText(part);
        first = false;
    }
    return text;
}

std::wstring Text(const wchar_t* text)
{
    return text ? std::wstring(text) : std::wstring(L"<null>");
}

std::wstring Text(const CTString& s)
{
    return Text(s.GetBuffer());
}

bool RunsInGerman()
{
    wchar_t lang[64] = {};
    GetEnvironmentVariableW(L"LC_ALL", lang, 64);
    return wcsncmp(lang, L"de_DE", 5) == 0;
}

} // namespace

TEST(CTStringLocale, LookupOfTheDefaultTextAndSections)
{
    CTStringLocale plain(L"Hello");
    EXPECT_EQ(L"Hello", Text(plain.GetTextForLocale(CTString(L"en-GB"))));
    EXPECT_EQ(L"<null>", Text(plain.GetTextForLocale(CTString(L"de-DE"))));

    CTStringLocale none;
    EXPECT_EQ(nullptr, none.GetTextForLocale(CTString(L"en-GB")));
    CTStringLocale emptyText(L"");
    EXPECT_EQ(L"", Text(emptyText.GetTextForLocale(CTString(L"en-GB"))));

    CTStringLocale text(Joined({L"Hello", L"de-DE", L"Hallo", L"fr-FR", L"Bonjour", L"es-ES", L""}));
    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"de-DE", L"Hallo"},
        {L"fr-FR", L"Bonjour"},
        {L"es-ES", L""},          // present with nothing in it: an empty text, not null
        {L"de-de", L"<null>"},    // names match exactly
        {L"de", L"<null>"},
        {L"", L"Hello"},          // an empty name means en-GB
        {L"en-GB", L"Hello"},
        {L"it-IT", L"<null>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Text(text.GetTextForLocale(CTString(c.name)))) << c.name;
}

TEST(CTStringLocale, TheCachedAnswerHoldsUntilTheTextIsAssignedAnew)
{
    CTStringLocale text(Joined({L"Hello", L"de-DE", L"Hallo"}));
    const wchar_t* first = text.GetTextForLocale(CTString(L"de-DE"));
    EXPECT_EQ(first, text.GetTextForLocale(CTString(L"de-DE")));   // same buffer: nothing parsed

    text.SetLocaleText(CTString(L"de-DE"), CTString(L"Servus"));
    EXPECT_EQ(L"Hallo", Text(text.GetTextForLocale(CTString(L"de-DE"))));   // still the cached text

    CTString edited(text);
    text.Assign(edited);
    EXPECT_EQ(L"Servus", Text(text.GetTextForLocale(CTString(L"de-DE"))));
    text.AssignText(Joined({L"Hi", L"de-DE", L"Moin"}).GetBuffer());
    EXPECT_EQ(L"Moin", Text(text.GetTextForLocale(CTString(L"de-DE"))));

    CTStringLocale other(Joined({L"Yo", L"de-DE", L"Na"}));
    text.AssignLocale(other);
    EXPECT_EQ(L"Na", Text(text.GetTextForLocale(CTString(L"de-DE"))));
    text = other;
    EXPECT_TRUE(text.m_cachedName.IsEmpty());

    // A copy takes only the text, never the cache.
    CTStringLocale copy(text);
    EXPECT_EQ(nullptr, copy.m_cachedName.GetBuffer());
    EXPECT_EQ(nullptr, copy.m_cachedText.GetBuffer());
    EXPECT_TRUE(copy.Equals(text));
}

TEST(CTStringLocale, FormatLocaleName)
{
    CTString name(L"unchanged");
    FormatLocaleName(MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT), name);
    EXPECT_STREQ(L"de-DE", name.GetBuffer());
    FormatLocaleName(MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), SORT_DEFAULT), name);
    EXPECT_STREQ(L"en-GB", name.GetBuffer());
    name.AssignText(L"unchanged");
    FormatLocaleName(0x7777, name);
    EXPECT_STREQ(L"unchanged", name.GetBuffer());
}

TEST(CTStringLocale, UserTextFollowsTheUserLocaleAndFallsBackToEnGB)
{
    CTString user;
    FormatLocaleName(GetUserDefaultLCID(), user);
    EXPECT_STREQ(RunsInGerman() ? L"de-DE" : L"en-GB", user.GetBuffer());

    CTStringLocale plain(L"Only English");
    EXPECT_EQ(L"Only English", Text(plain.GetUserText()));   // no section for the user: the default

    CTStringLocale both(Joined({L"Colour", L"de-DE", L"Farbe"}));
    EXPECT_EQ(RunsInGerman() ? L"Farbe" : L"Colour", Text(both.GetUserText()));

    // A section present but empty is the answer; there is no fallback for it.
    CTStringLocale emptySection(Joined({L"Colour", user.GetBuffer(), L""}));
    if (RunsInGerman()) {
        EXPECT_EQ(L"", Text(emptySection.GetUserText()));
    }

    // After a fallback the en-GB answer stays cached.
    CTStringLocale fallback(Joined({L"Size", L"fr-FR", L"Taille"}));
    EXPECT_EQ(L"Size", Text(fallback.GetUserText()));
    EXPECT_STREQ(L"en-GB", fallback.m_cachedName.GetBuffer());
}

TEST(CTStringLocale, SetLocaleText)
{
    struct Case {
        CTString start;
        const wchar_t* name;
        const wchar_t* text;
        CTString expected;
    };
    const Case cases[] = {
        // A first language on an empty string becomes the default as well.
        {CTString(), L"de-DE", L"T", Joined({L"T", L"de-DE", L"T"})},
        {CTString(L""), L"de-DE", L"T", Joined({L"T", L"de-DE", L"T"})},
        {CTString(L"Hi"), L"de-DE", L"Hallo", Joined({L"Hi", L"de-DE", L"Hallo"})},
        {Joined({L"Hi", L"de-DE", L"Hallo"}), L"", L"Hello", Joined({L"Hello", L"de-DE", L"Hallo"})},
        {Joined({L"Hi", L"de-DE", L"Hallo"}), L"en-GB", L"Hey", Joined({L"Hey", L"de-DE", L"Hallo"})},
        {CTString(L"Hi"), L"en-GB", L"Hey", CTString(L"Hey")},
        {Joined({L"Hi", L"de-DE", L"Hallo", L"fr-FR", L"Salut"}), L"de-DE", L"Moin",
         Joined({L"Hi", L"de-DE", L"Moin", L"fr-FR", L"Salut"})},
        {Joined({L"Hi", L"de-DE", L"Hallo"}), L"fr-FR", L"Salut", Joined({L"Hi", L"de-DE", L"Hallo", L"fr-FR", L"Salut"})},
        {Joined({L"Hi", L"de-de", L"x"}), L"de-DE", L"y", Joined({L"Hi", L"de-de", L"x", L"de-DE", L"y"})},
    };
    for (const Case& c : cases) {
        CTString s(c.start);
        s.SetLocaleText(CTString(c.name), CTString(c.text));
        EXPECT_EQ(Text(c.expected), Text(s)) << c.name;
    }
    CTString noBuffer(L"Hi");
    noBuffer.SetLocaleText(CTString(L"en-GB"), CTString());
    EXPECT_EQ(nullptr, noBuffer.GetBuffer());
}

TEST(CTStringLocale, RemoveLocaleText)
{
    const CTString start = Joined({L"Hi", L"de-DE", L"Hallo", L"fr-FR", L"Salut"});
    struct Case {
        const wchar_t* name;
        CTString expected;
    };
    const Case cases[] = {
        {L"de-DE", Joined({L"Hi", L"fr-FR", L"Salut"})},
        {L"fr-FR", Joined({L"Hi", L"de-DE", L"Hallo"})},
        {L"en-GB", start},
        {L"it-IT", start},
        {L"", start},
    };
    for (const Case& c : cases) {
        CTString s(start);
        s.RemoveLocaleText(CTString(c.name));
        EXPECT_EQ(Text(c.expected), Text(s)) << c.name;
    }
    // An empty name is a section name here, not en-GB.
    CTString unnamed(Joined({L"Hi", L"", L"x"}));
    unnamed.RemoveLocaleText(CTString(L""));
    EXPECT_STREQ(L"Hi", unnamed.GetBuffer());
}

TEST(CTStringLocale, EntriesAndTheirEnds)
{
    CTStringLocale text(Joined({L"Hi", L"de-DE", L"Hallo", L"fr-FR", L"Salut"}));
    CTString name, value;
    ASSERT_TRUE(text.GetLocaleAt(0, name, value));
    EXPECT_STREQ(L"en-GB", name.GetBuffer());
    EXPECT_STREQ(L"Hi", value.GetBuffer());
    ASSERT_TRUE(text.GetLocaleAt(2, name, value));
    EXPECT_STREQ(L"fr-FR", name.GetBuffer());
    EXPECT_STREQ(L"Salut", value.GetBuffer());
    EXPECT_FALSE(text.GetLocaleAt(3, name, value));

    CTStringLocale plain(L"whole");
    ASSERT_TRUE(plain.GetLocaleAt(0, name, value));
    EXPECT_STREQ(L"whole", value.GetBuffer());
    EXPECT_FALSE(plain.GetLocaleAt(1, name, value));

    // A trailing name without its text separator, or a separator at the very end, is no section.
    CTStringLocale lacking(Joined({L"Hi", L"de-DE"}));
    EXPECT_FALSE(lacking.GetLocaleAt(1, name, value));
    CTStringLocale endsWithSeparator(Joined({L"Hi", L"de-DE", L"x", L""}));
    EXPECT_TRUE(endsWithSeparator.GetLocaleAt(1, name, value));
    EXPECT_FALSE(endsWithSeparator.GetLocaleAt(2, name, value));
    CTStringLocale emptyLast(Joined({L"Hi", L"de-DE", L""}));
    ASSERT_TRUE(emptyLast.GetLocaleAt(1, name, value));
    EXPECT_STREQ(L"", value.GetBuffer());
}

TEST(CTStringLocale, NamesAndNeighbours)
{
    CTStringLocale text(Joined({L"Hi", L"de-DE", L"Hallo", L"fr-FR", L"Salut"}));
    CLinkedList names;
    names.AddTail(new CTString(L"en-GB"));
    text.GetLocaleNames(names);
    std::vector<std::wstring> got;
    for (CLinkedListObject* pos = names.GetHead(); pos; pos = pos->GetNext())
        got.push_back(Text(*static_cast<CTString*>(pos)));
    EXPECT_EQ((std::vector<std::wstring>{L"en-GB", L"de-DE", L"fr-FR"}), got);

    CLinkedList fresh;
    text.GetLocaleNames(fresh);
    EXPECT_EQ(3u, fresh.GetCount());

    CTString name(L"de-DE");
    EXPECT_TRUE(text.GetPreviousLocale(name));
    EXPECT_STREQ(L"en-GB", name.GetBuffer());
    EXPECT_FALSE(text.GetPreviousLocale(name));
    EXPECT_STREQ(L"en-GB", name.GetBuffer());
    EXPECT_TRUE(text.GetNextLocale(name));
    EXPECT_STREQ(L"de-DE", name.GetBuffer());
    EXPECT_TRUE(text.GetNextLocale(name));
    EXPECT_STREQ(L"fr-FR", name.GetBuffer());
    EXPECT_FALSE(text.GetNextLocale(name));
    name.AssignText(L"it-IT");
    EXPECT_FALSE(text.GetNextLocale(name));
    EXPECT_FALSE(text.GetPreviousLocale(name));
    EXPECT_STREQ(L"it-IT", name.GetBuffer());
}

TEST(CTStringLocale, AppendLocalesJoinsTextPerLanguage)
{
    CTStringLocale text(Joined({L"One", L"de-DE", L"Eins"}));
    text.GetTextForLocale(CTString(L"de-DE"));
    CTStringLocale more(Joined({L" two", L"de-DE", L" zwei", L"fr-FR", L"deux", L"it-IT", L""}));
    text.AppendLocales(more);
    EXPECT_EQ(Text(Joined({L"One two", L"de-DE", L"Eins zwei", L"fr-FR", L"deux"})), Text(text));
    EXPECT_EQ(nullptr, text.m_cachedName.GetBuffer());
    EXPECT_EQ(L"Eins zwei", Text(text.GetTextForLocale(CTString(L"de-DE"))));
}
