#include "foundation/CTStringLocale.h"
#include <cwchar>
#include <vector>

namespace {

const wchar_t kSeparator = L'\u00A6';
const wchar_t kDefaultLocale[] = L"en-GB";

// Locale names match whole and exactly: same length and lstrcmpW equal.
bool NameEquals(const wchar_t* name, unsigned length, const CTString& other)
{
    if (length != other.GetLength())
        return false;
    CTString copy;
    copy.Reserve(length + 1);
    wmemcpy(copy.m_buffer, name, length);
    copy.m_buffer[length] = 0;
    copy.m_length = length;
    return lstrcmpW(copy.m_buffer, other.m_buffer ? other.m_buffer : L"") == 0;
}

void AssignPart(CTString& out, const wchar_t* text, unsigned length)
{
    out.Reserve(length + 1);
    wmemcpy(out.m_buffer, text, length);
    out.m_buffer[length] = 0;
    out.m_length = length;
}

bool IsDefaultName(const CTString& name)
{
    return name.GetLength() == 5 && lstrcmpW(name.m_buffer, kDefaultLocale) == 0;
}

struct Entry {
    CTString name;
    CTString text;
};

// Entry 0 ("en-GB" and the default text), then every section.
std::vector<Entry> ReadEntries(const CTString& text)
{
    std::vector<Entry> entries;
    entries.emplace_back();
    entries[0].name.AssignText(kDefaultLocale);
    unsigned length = text.GetLength();
    int first = text.FindChar(kSeparator);
    if (first < 0) {
        entries[0].text.Assign(text);
        return entries;
    }
    AssignPart(entries[0].text, text.m_buffer, static_cast<unsigned>(first));
    LocaleSection section;
    for (unsigned pos = static_cast<unsigned>(first); ReadLocaleSection(text.m_buffer, length, pos, section);
         pos = section.end) {
        entries.emplace_back();
        AssignPart(entries.back().name, text.m_buffer + section.nameStart, section.nameLength);
        AssignPart(entries.back().text, text.m_buffer + section.textStart, section.textLength);
    }
    return entries;
}

} // namespace

bool ReadLocaleSection(const wchar_t* text, unsigned length, unsigned pos, LocaleSection& out)
{
    if (!text || pos >= length || text[pos] != kSeparator)
        return false;
    unsigned nameEnd = pos + 1;
    while (nameEnd < length && text[nameEnd] != kSeparator)
        nameEnd++;
    if (nameEnd >= length)
        return false;
    unsigned textEnd = nameEnd + 1;
    while (textEnd < length && text[textEnd] != kSeparator)
        textEnd++;
    out.start = pos;
    out.nameStart = pos + 1;
    out.nameLength = nameEnd - pos - 1;
    out.textStart = nameEnd + 1;
    out.textLength = textEnd - nameEnd - 1;
    out.end = textEnd;
    return true;
}

void FormatLocaleName(LCID locale, CTString& out)
{
    wchar_t language[16] = {};
    wchar_t country[16] = {};
    if (GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, language, 16) <= 0 || !language[0])
        return;
    if (GetLocaleInfoW(locale, LOCALE_SISO3166CTRYNAME, country, 16) <= 0 || !country[0])
        return;
    out.Format(L"%s-%s", language, country);
}

// ---------------------------------------------------------------------------------------------
// CTString edits of multi-language text. They assign through CTString::Assign so that the
// remembered answer of a CTStringLocale stays as it was.

void CTString::SetLocaleText(const CTString& name, const CTString& text)
{
    CTString locale(name.IsEmpty() ? CTString(kDefaultLocale) : name);
    int first = FindChar(kSeparator);

    if (IsDefaultName(locale)) {
        if (first < 0) {
            CTString::Assign(text);
            return;
        }
        CTString rebuilt(text);
        rebuilt.AppendText(m_buffer + first);
        CTString::Assign(rebuilt);
        return;
    }

    CTString section;
    section.AppendChar(kSeparator);
    section.Append(locale);
    section.AppendChar(kSeparator);
    section.Append(text);

    if (first < 0) {
        // A first language on an empty string is its default text as well.
        if (IsEmpty())
            Append(text);
        Append(section);
        return;
    }

    unsigned length = GetLength();
    LocaleSection found;
    for (unsigned pos = static_cast<unsigned>(first); ReadLocaleSection(m_buffer, length, pos, found);
         pos = found.end) {
        if (NameEquals(m_buffer + found.nameStart, found.nameLength, locale)) {
            CTString rebuilt;
            AssignPart(rebuilt, m_buffer, found.start);
            rebuilt.Append(section);
            rebuilt.AppendText(m_buffer + found.end);
            CTString::Assign(rebuilt);
            return;
        }
    }
    Append(section);
}

void CTString::RemoveLocaleText(const CTString& name)
{
    if (IsDefaultName(name))
        return;
    int first = FindChar(kSeparator);
    if (first < 0)
        return;
    unsigned length = GetLength();
    LocaleSection found;
    for (unsigned pos = static_cast<unsigned>(first); ReadLocaleSection(m_buffer, length, pos, found);
         pos = found.end) {
        if (NameEquals(m_buffer + found.nameStart, found.nameLength, name)) {
            CTString rebuilt;
            AssignPart(rebuilt, m_buffer, found.start);
            rebuilt.AppendText(m_buffer + found.end);
            CTString::Assign(rebuilt);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// CTStringLocale

CTStringLocale::CTStringLocale(const wchar_t* text)
    : CTString(text)
{
}

CTStringLocale::CTStringLocale(const CTString& text)
    : CTString(text)
{
}

CTStringLocale::CTStringLocale(const CTStringLocale& other)
    : CTString(static_cast<const CTString&>(other))
{
}

CTStringLocale::~CTStringLocale() = default;

void CTStringLocale::ClearCache()
{
    m_cachedName.Empty();
    m_cachedText.Empty();
}

CTString& CTStringLocale::Assign(const CTString& other)
{
    ClearCache();
    return CTString::Assign(other);
}

CTString& CTStringLocale::AssignText(const wchar_t* text)
{
    ClearCache();
    return CTString::AssignText(text);
}

CTStringLocale& CTStringLocale::AssignLocale(const CTStringLocale& other)
{
    if (&other == this)
        return *this;
    ClearCache();
    CTString::Assign(other);
    return *this;
}

const wchar_t* CTStringLocale::GetTextForLocale(const CTString& name)
{
    CTString requested(name.IsEmpty() ? CTString(kDefaultLocale) : name);
    if (requested.Equals(m_cachedName))
        return m_cachedText.m_buffer;

    m_cachedName.Assign(requested);
    m_cachedText.Empty();

    int first = FindChar(kSeparator);
    if (IsDefaultName(requested)) {
        if (first < 0)
            m_cachedText.Assign(*this);
        else
            AssignPart(m_cachedText, m_buffer, static_cast<unsigned>(first));
        return m_cachedText.m_buffer;
    }
    if (first < 0)
        return nullptr;
    unsigned length = GetLength();
    LocaleSection found;
    for (unsigned pos = static_cast<unsigned>(first); ReadLocaleSection(m_buffer, length, pos, found);
         pos = found.end) {
        if (NameEquals(m_buffer + found.nameStart, found.nameLength, requested)) {
            AssignPart(m_cachedText, m_buffer + found.textStart, found.textLength);
            break;
        }
    }
    return m_cachedText.m_buffer;
}

const wchar_t* CTStringLocale::GetUserText()
{
    CTString name;
    FormatLocaleName(GetUserDefaultLCID(), name);
    const wchar_t* text = GetTextForLocale(name);
    if (!text && !name.IsEmpty() && !IsDefaultName(name))
        text = GetTextForLocale(CTString(kDefaultLocale));
    return text;
}

bool CTStringLocale::GetLocaleAt(unsigned index, CTString& outName, CTString& outText) const
{
    std::vector<Entry> entries = ReadEntries(*this);
    if (index >= entries.size())
        return false;
    outName.Assign(entries[index].name);
    outText.Assign(entries[index].text);
    return true;
}

void CTStringLocale::GetLocaleNames(CLinkedList& out) const
{
    for (const Entry& entry : ReadEntries(*this)) {
        bool present = false;
        for (CLinkedListObject* item = out.GetHead(); item && !present; item = item->m_next) {
            auto* name = dynamic_cast<CTString*>(item);
            if (!name)
                break;
            present = name->Equals(entry.name);
        }
        if (!present)
            out.AddTail(new CTString(entry.name));
    }
}

bool CTStringLocale::GetPreviousLocale(CTString& name) const
{
    std::vector<Entry> entries = ReadEntries(*this);
    for (size_t i = entries.size(); i-- > 0;) {
        if (entries[i].name.Equals(name)) {
            if (i == 0)
                return false;
            name.Assign(entries[i - 1].name);
            return true;
        }
    }
    return false;
}

bool CTStringLocale::GetNextLocale(CTString& name) const
{
    std::vector<Entry> entries = ReadEntries(*this);
    for (size_t i = entries.size(); i-- > 0;) {
        if (entries[i].name.Equals(name)) {
            if (i + 1 >= entries.size())
                return false;
            name.Assign(entries[i + 1].name);
            return true;
        }
    }
    return false;
}

CTStringLocale& CTStringLocale::AppendLocales(const CTStringLocale& other)
{
    std::vector<Entry> entries = ReadEntries(other);
    for (const Entry& entry : entries) {
        if (entry.text.IsEmpty())
            continue;
        // Ask afresh each time: the text may have changed since an earlier answer for this name.
        ClearCache();
        CTString combined(GetTextForLocale(entry.name));
        combined.Append(entry.text);
        SetLocaleText(entry.name, combined);
    }
    ClearCache();
    return *this;
}
