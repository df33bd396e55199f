#include "foundation/CTTokenString.h"
#include <cwchar>

namespace {

void AssignPart(CTString& out, const wchar_t* text, unsigned length)
{
    out.Reserve(length + 1);
    wmemcpy(out.m_buffer, text, length);
    out.m_buffer[length] = 0;
    out.m_length = length;
}

void TrimBoth(CTString& text, wchar_t ch)
{
    text.TrimLeft(ch);
    text.TrimRight(ch);
}

} // namespace

CTTokenString::CTTokenString(const CTString& text)
    : CTString(text)
{
}

CTTokenString::CTTokenString(const wchar_t* text)
    : CTString(text)
{
}

CTTokenString::CTTokenString(const CTTokenString& other)
    : CTString(static_cast<const CTString&>(other)), m_separators(other.m_separators), m_flags(other.m_flags)
{
}

CTTokenString::~CTTokenString() = default;

CTTokenString& CTTokenString::operator=(const CTTokenString& other)
{
    if (&other != this) {
        Assign(other);
        m_separators.Assign(other.m_separators);
        m_flags = other.m_flags;
        m_cachedIndex = 0;
        m_cachedOffset = 0;
    }
    return *this;
}

bool CTTokenString::SetSeparators(const wchar_t* separators, unsigned flags)
{
    m_flags = flags;
    if (!separators)
        return false;
    m_separators.AssignText(separators);
    m_cachedIndex = 0;
    m_cachedOffset = 0;
    return true;
}

bool CTTokenString::SetSeparators(const CTString& separators)
{
    m_flags = 0;
    if (separators.IsEmpty())
        return false;
    m_separators.Assign(separators);
    m_cachedIndex = 0;
    m_cachedOffset = 0;
    return true;
}

bool CTTokenString::IsSeparator(wchar_t ch) const
{
    return ch && !m_separators.IsEmpty() && wcschr(m_separators.m_buffer, ch) != nullptr;
}

unsigned CTTokenString::TokenLength(const wchar_t* from) const
{
    if (!from)
        return 0;
    bool strict = (m_flags & StrictQuotes) != 0;
    bool inQuotes = false;
    unsigned i = 0;
    for (; from[i]; i++) {
        wchar_t ch = from[i];
        if (ch == L'"') {
            if (!strict) {
                inQuotes = !inQuotes;
                continue;
            }
            if (i == 0) {
                inQuotes = true;
                continue;
            }
            if (inQuotes) {
                wchar_t next = from[i + 1];
                if (!next || IsSeparator(next))
                    inQuotes = false;
                continue;
            }
            // Outside quotes a strict quote is an ordinary character.
        }
        if (!inQuotes && i != 0 && IsSeparator(ch))
            break;
    }
    return i;
}

unsigned CTTokenString::FieldLength(const wchar_t* from) const
{
    if (!from || !*from || IsSeparator(*from))
        return 0;
    return TokenLength(from);
}

bool CTTokenString::GetToken(unsigned index, CTString& out)
{
    unsigned length = GetLength();
    if (length == 0)
        return false;
    unsigned current = 0;
    unsigned offset = 0;
    // The cache is trusted only while it still lies inside the text.
    if (index > m_cachedIndex && m_cachedOffset < length) {
        current = m_cachedIndex;
        offset = m_cachedOffset;
    }
    while (current < index) {
        offset += TokenLength(m_buffer + offset) + 1;
        current++;
        if (offset >= length)
            return false;
    }
    unsigned n = TokenLength(m_buffer + offset);
    if (n == 0)
        return false;
    AssignPart(out, m_buffer + offset, n);
    if (!(m_flags & AsIs)) {
        TrimBoth(out, L' ');
        TrimBoth(out, L'"');
    }
    m_cachedIndex = index;
    m_cachedOffset = offset;
    return true;
}

bool CTTokenString::NextToken(CTString& out, unsigned* offset)
{
    if (!GetToken(1, out))
        return false;
    if (offset)
        *offset = m_cachedOffset;
    return true;
}

bool CTTokenString::GetTokenUncached(unsigned index, CTString& out) const
{
    unsigned length = GetLength();
    unsigned offset = 0;
    for (unsigned i = 0; i < index && offset < length; i++)
        offset += FieldLength(m_buffer + offset) + 1;
    if (offset < length)
        AssignPart(out, m_buffer + offset, FieldLength(m_buffer + offset));
    else
        out.AssignText(L"");
    if (!(m_flags & AsIs)) {
        TrimBoth(out, L' ');
        TrimBoth(out, L'"');
    }
    return offset < length;
}

bool CTTokenString::ContainsToken(const CTString& text) const
{
    unsigned length = GetLength();
    CTString token;
    for (unsigned offset = 0; offset < length;) {
        unsigned n = TokenLength(m_buffer + offset);
        AssignPart(token, m_buffer + offset, n);
        TrimBoth(token, L' ');
        TrimBoth(token, L'"');
        if (lstrcmpiW(token.m_buffer, text.m_buffer ? text.m_buffer : L"") == 0)
            return true;
        offset += n + 1;
    }
    return false;
}

void CTTokenString::Split(CLinkedList& out) const
{
    unsigned length = GetLength();
    for (unsigned offset = 0; offset < length;) {
        unsigned n = TokenLength(m_buffer + offset);
        auto* token = new CTString;
        AssignPart(*token, m_buffer + offset, n);
        if (!(m_flags & AsIs)) {
            TrimBoth(*token, L' ');
            TrimBoth(*token, L'"');
            TrimBoth(*token, L'\'');
        }
        out.AddTail(token);
        offset += n + 1;
    }
}
