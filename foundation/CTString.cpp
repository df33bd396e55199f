#include "foundation/CTString.h"
#include "foundation/CTStringA.h"
#include <cwchar>
#include <cwctype>
#include <cstdlib>
#include <cstring>
#include <vector>

void (*CTString::s_freeHook)(const wchar_t* buffer, unsigned capacity) = nullptr;

namespace {

unsigned TextLength(const wchar_t* text)
{
    return text ? static_cast<unsigned>(wcslen(text)) : 0;
}

const wchar_t kLocaleSeparator = L'\u00A6';

} // namespace

// ---------------------------------------------------------------------------------------------
// Storage

void CTString::FreeBuffer(wchar_t* buffer, unsigned capacity)
{
    if (!buffer)
        return;
    SecureZeroMemory(buffer, capacity * sizeof(wchar_t));
    if (s_freeHook)
        s_freeHook(buffer, capacity);
    delete[] buffer;
}

void CTString::Adopt(wchar_t* buffer, unsigned capacity, unsigned length)
{
    FreeBuffer(m_buffer, m_capacity);
    m_buffer = buffer;
    m_capacity = capacity;
    m_length = length;
    m_buffer[length] = 0;
}

CTString::CTString() = default;

CTString::CTString(const wchar_t* text)
{
    if (!text)
        return;
    unsigned n = TextLength(text);
    m_buffer = new wchar_t[n + 1];
    m_capacity = n + 1;
    m_length = n;
    wmemcpy(m_buffer, text, n + 1);
}

CTString::CTString(const CTString& other)
    : CLinkedListObject()
{
    if (!other.m_buffer)
        return;
    unsigned n = other.GetLength();
    m_buffer = new wchar_t[n + 1];
    m_capacity = n + 1;
    m_length = n;
    wmemcpy(m_buffer, other.m_buffer, n);
    m_buffer[n] = 0;
}

CTString::CTString(const CTStringA& text)
{
    AssignAnsi(text.m_buffer);
}

CTString::CTString(UINT id, HMODULE module)
{
    LoadString(id, module);
}

CTString::~CTString()
{
    FreeBuffer(m_buffer, m_capacity);
    m_buffer = nullptr;
    m_capacity = 0;
    m_length = 0;
}

void CTString::Destroy(CTString* string)
{
    string->~CTString();
}

// Growth: step = capacity / 8 clamped to 4..1024; the new capacity is the larger of n and
// capacity + step. The characters from length up to n - 1 are zeroed, the rest is left as allocated.
wchar_t* CTString::Reserve(unsigned n)
{
    if (n == 0) {
        Empty();
        return nullptr;
    }
    if (!m_buffer) {
        m_buffer = new wchar_t[n];
        m_capacity = n;
        m_length = 0;
        return m_buffer;
    }
    if (m_capacity >= n)
        return m_buffer;
    unsigned step = m_capacity / 8;
    if (step < 4)
        step = 4;
    if (step > 1024)
        step = 1024;
    unsigned capacity = m_capacity + step;
    if (capacity < n)
        capacity = n;
    wchar_t* buffer = new wchar_t[capacity];
    unsigned keep = m_length < m_capacity ? m_length : m_capacity;
    wmemcpy(buffer, m_buffer, keep);
    wmemset(buffer + keep, 0, n - keep);
    FreeBuffer(m_buffer, m_capacity);
    m_buffer = buffer;
    m_capacity = capacity;
    return m_buffer;
}

int CTString::Empty()
{
    FreeBuffer(m_buffer, m_capacity);
    m_buffer = nullptr;
    m_capacity = 0;
    m_length = 0;
    return 0;
}

void CTString::SetLength(unsigned n)
{
    m_length = n < m_capacity ? n : m_capacity;
}

unsigned CTString::ReleaseBuffer()
{
    if (!m_buffer) {
        m_length = 0;
        return 0;
    }
    unsigned n = 0;
    while (n < m_capacity && m_buffer[n])
        n++;
    m_length = n;
    return n;
}

void CTString::Swap(CTString& other)
{
    std::swap(m_buffer, other.m_buffer);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_length, other.m_length);
}

// ---------------------------------------------------------------------------------------------
// Assignment

CTString& CTString::AssignFromStringA(const CTStringA& text)
{
    return AssignAnsi(text.m_buffer);
}

CTString& CTString::AssignChar(wchar_t ch)
{
    Reserve(2);
    m_buffer[0] = ch;
    m_buffer[1] = 0;
    m_length = ch ? 1 : 0;
    return *this;
}

CTString& CTString::Assign(const CTString& other)
{
    if (&other == this)
        return *this;
    if (!other.m_buffer) {
        Empty();
        return *this;
    }
    unsigned n = other.GetLength();
    Reserve(n + 1);
    wmemcpy(m_buffer, other.m_buffer, n);
    m_buffer[n] = 0;
    m_length = n;
    return *this;
}

CTString& CTString::AssignText(const wchar_t* text)
{
    if (!text) {
        Empty();
        return *this;
    }
    unsigned n = TextLength(text);
    // The text may lie inside this string's own buffer, which Reserve may replace.
    if (m_buffer && text >= m_buffer && text < m_buffer + m_capacity) {
        CTString copy(text);
        return Assign(copy);
    }
    Reserve(n + 1);
    wmemcpy(m_buffer, text, n + 1);
    m_length = n;
    return *this;
}

CTString& CTString::AssignAnsi(const char* text)
{
    if (!text)
        return *this;
    int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, nullptr, 0);
    if (n <= 0)
        return *this;
    Reserve(static_cast<unsigned>(n) + 1);
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, m_buffer, n);
    m_buffer[n - 1] = 0;
    m_length = static_cast<unsigned>(n - 1) < m_capacity ? static_cast<unsigned>(n - 1) : m_capacity;
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Appending

CTString& CTString::Append(const CTString& other)
{
    if (&other == this || !other.m_buffer)
        return *this;
    unsigned n = other.GetLength();
    unsigned length = GetLength();
    Reserve(length + n + 1);
    wmemcpy(m_buffer + length, other.m_buffer, n);
    m_length = length + n;
    m_buffer[m_length] = 0;
    return *this;
}

CTString& CTString::AppendString(const CTString& other)
{
    return Append(other);
}

CTString& CTString::AppendText(const wchar_t* text)
{
    if (!text)
        return *this;
    if (m_buffer && text >= m_buffer && text < m_buffer + m_capacity) {
        CTString copy(text);
        return Append(copy);
    }
    unsigned n = TextLength(text);
    unsigned length = GetLength();
    Reserve(length + n + 1);
    wmemcpy(m_buffer + length, text, n);
    m_length = length + n;
    m_buffer[m_length] = 0;
    return *this;
}

CTString& CTString::AddText(const wchar_t* text)
{
    return AppendText(text);
}

CTString& CTString::AppendChar(wchar_t ch)
{
    if (!ch)
        return *this;
    unsigned length = GetLength();
    Reserve(length + 2);
    m_buffer[length] = ch;
    m_buffer[length + 1] = 0;
    m_length = length + 1;
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Sub-strings

namespace {

// out becomes count characters from text (a buffer holding only the terminator for count 0).
CTString& CopyInto(CTString& out, const wchar_t* text, unsigned count)
{
    out.Reserve(count + 1);
    wmemcpy(out.m_buffer, text, count);
    out.m_buffer[count] = 0;
    out.m_length = count;
    return out;
}

} // namespace

CTString& CTString::Left(CTString& out, unsigned count) const
{
    if (&out == this)
        return CTString(*this).Left(out, count);   // out is emptied first
    out.Empty();
    unsigned length = GetLength();
    if (length == 0)
        return out;
    return CopyInto(out, m_buffer, count < length ? count : length);
}

CTString& CTString::Right(CTString& out, unsigned count) const
{
    if (&out == this)
        return CTString(*this).Right(out, count);   // out is emptied first
    out.Empty();
    unsigned length = GetLength();
    if (length == 0)
        return out;
    if (count > length)
        count = length;
    return CopyInto(out, m_buffer + length - count, count);
}

CTString& CTString::Mid(CTString& out, unsigned start, unsigned count) const
{
    if (&out == this)
        return CTString(*this).Mid(out, start, count);   // out is emptied first
    out.Empty();
    unsigned length = GetLength();
    if (length == 0)
        return out;
    if (start >= length)
        return CopyInto(out, m_buffer, 0);
    if (count > length - start)
        count = length - start;
    return CopyInto(out, m_buffer + start, count);
}

CTString& CTString::MidToEnd(CTString& out, int start) const
{
    return Mid(out, static_cast<unsigned>(start), GetLength() - static_cast<unsigned>(start));
}

// ---------------------------------------------------------------------------------------------
// Trimming

CTString& CTString::TrimLeft(wchar_t ch)
{
    unsigned length = GetLength();
    unsigned skip = 0;
    while (skip < length && m_buffer[skip] == ch)
        skip++;
    if (skip == 0)
        return *this;
    unsigned n = length - skip;
    wchar_t* buffer = new wchar_t[n + 1];
    wmemcpy(buffer, m_buffer + skip, n);
    Adopt(buffer, n + 1, n);
    return *this;
}

CTString& CTString::TrimRight(wchar_t ch)
{
    unsigned length = GetLength();
    unsigned n = length;
    while (n > 0 && m_buffer[n - 1] == ch)
        n--;
    if (n == length)
        return *this;
    wchar_t* buffer = new wchar_t[n + 1];
    wmemcpy(buffer, m_buffer, n);
    Adopt(buffer, n + 1, n);
    return *this;
}

CTString& CTString::Trim(wchar_t ch)
{
    TrimLeft(ch);
    return TrimRight(ch);
}

// ---------------------------------------------------------------------------------------------
// Searching

int CTString::Find(const CTString& what) const
{
    if (IsEmpty() || what.IsEmpty())
        return -1;
    const wchar_t* hit = wcsstr(m_buffer, what.m_buffer);
    return hit ? static_cast<int>(hit - m_buffer) : -1;
}

int CTString::Find(const CTString& what, unsigned start) const
{
    if (IsEmpty() || start >= GetLength() || what.IsEmpty())
        return -1;
    const wchar_t* hit = wcsstr(m_buffer + start, what.m_buffer);
    return hit ? static_cast<int>(hit - m_buffer) : -1;
}

int CTString::FindChar(wchar_t ch) const
{
    if (IsEmpty())
        return -1;
    const wchar_t* hit = wcschr(m_buffer, ch);
    return hit ? static_cast<int>(hit - m_buffer) : -1;
}

int CTString::FindChar(wchar_t ch, unsigned start) const
{
    if (IsEmpty() || start >= GetLength())
        return -1;
    const wchar_t* hit = wcschr(m_buffer + start, ch);
    return hit ? static_cast<int>(hit - m_buffer) : -1;
}

int CTString::ReverseFindChar(wchar_t ch) const
{
    if (IsEmpty())
        return -1;
    const wchar_t* hit = wcsrchr(m_buffer, ch);
    return hit ? static_cast<int>(hit - m_buffer) : -1;
}

bool CTString::Replace(const CTString& what, const CTString& with, bool rescanFromStart)
{
    if (&what == this || &with == this) {
        CTString whatCopy(what), withCopy(with);
        return Replace(whatCopy, withCopy, rescanFromStart);
    }
    if (what.GetLength() == with.GetLength() && lstrcmpW(what.m_buffer, with.m_buffer) == 0)
        return false;
    int pos = Find(what);
    if (pos < 0)
        return false;

    unsigned whatLength = what.GetLength();
    unsigned withLength = with.GetLength();
    // Rescanning would find the searched text in the replacement again without end; go on after it.
    if (rescanFromStart && with.Find(what) >= 0)
        rescanFromStart = false;

    while (pos >= 0) {
        unsigned length = GetLength();
        unsigned p = static_cast<unsigned>(pos);
        unsigned n = length - whatLength + withLength;
        wchar_t* buffer = new wchar_t[n + 1];
        wmemcpy(buffer, m_buffer, p);
        if (with.m_buffer)
            wmemcpy(buffer + p, with.m_buffer, withLength);
        wmemcpy(buffer + p + withLength, m_buffer + p + whatLength, length - p - whatLength);
        Adopt(buffer, n + 1, n);

        if (rescanFromStart) {
            // The text before p held no occurrence, so a new one can only start where it
            // overlaps the replacement: the same result as searching from the very start.
            unsigned from = p + 1 > whatLength ? p + 1 - whatLength : 0;
            pos = from < m_length ? Find(what, from) : -1;
        } else {
            unsigned from = p + withLength;
            pos = from < m_length ? Find(what, from) : -1;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Comparison

int CTString::Compare(const CTString& other) const
{
    return lstrcmpW(m_buffer, other.m_buffer);
}

int CTString::Compare(const wchar_t* text) const
{
    return lstrcmpW(m_buffer, text);
}

int CTString::CompareNoCase(const CTString& other) const
{
    return lstrcmpiW(m_buffer, other.m_buffer);
}

int CTString::CompareNoCase(const wchar_t* text) const
{
    return lstrcmpiW(m_buffer, text);
}

bool CTString::Equals(const CTString& other) const
{
    return GetLength() == other.GetLength() && lstrcmpW(m_buffer, other.m_buffer) == 0;
}

bool CTString::Equals(const wchar_t* text) const
{
    return lstrcmpW(m_buffer, text) == 0;
}

bool CTString::NotEqual(const CTString& other) const
{
    return GetLength() != other.GetLength() || lstrcmpW(m_buffer, other.m_buffer) != 0;
}

bool CTString::NotEqual(const wchar_t* text) const
{
    return lstrcmpW(m_buffer, text) != 0;
}

// ---------------------------------------------------------------------------------------------
// Conversions

int CTString::ToInt() const
{
    return IsEmpty() ? 0 : _wtoi(m_buffer);
}

__int64 CTString::ToInt64() const
{
    return IsEmpty() ? 0 : _wtoi64(m_buffer);
}

bool CTString::IsDigits() const
{
    if (IsEmpty())
        return false;
    for (unsigned i = 0; i < m_length; i++)
        if (!iswdigit(m_buffer[i]))
            return false;
    return true;
}

CTString& CTString::MakeUpper()
{
    if (!IsEmpty())
        _wcsupr_s(m_buffer, m_length + 1);
    return *this;
}

CTString& CTString::MakeLower()
{
    if (!IsEmpty())
        _wcslwr_s(m_buffer, m_length + 1);
    return *this;
}

char* CTString::ToAnsi() const
{
    if (IsEmpty())
        return nullptr;
    int length = static_cast<int>(m_length);
    int n = WideCharToMultiByte(CP_ACP, 0, m_buffer, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return nullptr;
    char* text = new char[n + 1];
    WideCharToMultiByte(CP_ACP, 0, m_buffer, length, text, n, nullptr, nullptr);
    text[n] = 0;
    return text;
}

// ---------------------------------------------------------------------------------------------
// Formatting

namespace {

unsigned Larger(unsigned a, unsigned b)
{
    return a > b ? a : b;
}

// Walks the format once, taking the arguments as the real formatting will, and returns an upper
// bound of the characters the result needs (without the terminator).
unsigned EstimateFormat(const wchar_t* format, va_list args)
{
    unsigned count = 0;
    const wchar_t* f = format;
    while (*f) {
        if (*f != L'%') {
            count++;
            f++;
            continue;
        }
        if (f[1] == L'%') {
            count += 2;
            f += 2;
            continue;
        }
        f++;

        // Flags.
        unsigned width = 0;
        bool widthFromArgument = false;
        for (;; f++) {
            if (*f == L'#')
                count += 2;
            else if (*f == L'*') {
                int w = va_arg(args, int);
                width = static_cast<unsigned>(w < 0 ? -w : w);
                widthFromArgument = true;
            } else if (*f != L' ' && *f != L'+' && *f != L'-' && *f != L'0')
                break;
        }
        if (!widthFromArgument) {
            while (*f >= L'0' && *f <= L'9')
                width = width * 10 + (*f++ - L'0');
        }
        unsigned precision = 0;
        if (*f == L'.') {
            f++;
            if (*f == L'*') {
                int p = va_arg(args, int);
                precision = p < 0 ? 0 : static_cast<unsigned>(p);
                f++;
            } else {
                while (*f >= L'0' && *f <= L'9')
                    precision = precision * 10 + (*f++ - L'0');
            }
        }

        // Size prefix.
        enum { Plain, Narrow, Wide, Bits64 } size = Plain;
        if (f[0] == L'I' && f[1] == L'6' && f[2] == L'4') {
            size = Bits64;
            f += 3;
        } else if (f[0] == L'I' && f[1] == L'3' && f[2] == L'2') {
            f += 3;
        } else if (f[0] == L'I') {
            size = Bits64;   // pointer-sized on this platform
            f++;
        } else if (*f == L'w') {
            size = Wide;
            f++;
        } else if (*f == L'h') {
            size = Narrow;
            f++;
        } else if (*f == L'l') {
            size = Wide;
            f++;
            if (*f == L'l') {   // "ll": 64-bit integer
                size = Bits64;
                f++;
            }
        } else if (*f == L'F' || *f == L'L' || *f == L'N') {
            f++;
        }

        wchar_t conversion = *f;
        if (!conversion)
            break;   // unfinished conversion at the end of the format
        f++;

        unsigned textCount = 0;
        bool isText = true;
        switch (conversion) {
        case L'c':
        case L'C':
            va_arg(args, int);
            textCount = 2;
            break;
        case L's':
        case L'S': {
            bool narrow = size == Narrow || (conversion == L'S' && size != Wide);
            if (narrow) {
                const char* text = va_arg(args, const char*);
                textCount = text ? static_cast<unsigned>(lstrlenA(text)) : 6;
            } else {
                const wchar_t* text = va_arg(args, const wchar_t*);
                textCount = text ? static_cast<unsigned>(lstrlenW(text)) : 6;
            }
            break;
        }
        case L'd':
        case L'i':
        case L'o':
        case L'u':
        case L'x':
        case L'X':
        case L'p':
            isText = false;
            if (conversion == L'p')
                va_arg(args, void*);
            else if (size == Bits64)
                va_arg(args, __int64);
            else
                va_arg(args, int);
            // Room for a sign or prefix beside precision digits: "%.40d" of -5 is 41 characters.
            count += Larger(32, width + precision + 2);
            break;
        case L'e':
        case L'E':
        case L'g':
        case L'G':
        case L'a':
        case L'A':
            isText = false;
            va_arg(args, double);
            // Sign, digit, point, precision digits and a three-digit exponent: p + 8 at most.
            count += Larger(128, width + precision + 8);
            break;
        case L'f': {
            isText = false;
            double value = va_arg(args, double);
            unsigned scratchSize = Larger(width, precision + 318);
            std::vector<wchar_t> scratch(scratchSize + 1);
            int n = _snwprintf(scratch.data(), scratchSize, L"%*.*f", static_cast<int>(width),
                               static_cast<int>(precision + 6), value);
            count += n < 0 ? scratchSize : static_cast<unsigned>(n);
            break;
        }
        case L'n':
            isText = false;
            va_arg(args, void*);
            break;
        default:
            // Not used by the system; the formatter may still print the character padded to the width.
            isText = false;
            count += Larger(width, 1);
            break;
        }
        if (isText) {
            if (textCount == 0)
                textCount = 1;
            if (precision != 0 && precision < textCount)
                textCount = precision;
            count += Larger(textCount, width);
        }
    }
    return count;
}

} // namespace

unsigned CTString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    unsigned length = FormatV(format, args);
    va_end(args);
    return length;
}

unsigned CTString::FormatV(const wchar_t* format, va_list args)
{
    va_list walk;
    va_copy(walk, args);
    unsigned count = EstimateFormat(format, walk);
    va_end(walk);

    // Format into a scratch string first: an argument may point into this string's own buffer,
    // which Reserve could free or the output overwrite while it is still being read.
    // The Microsoft formatter: %s is a wide text here, %S a narrow one, %I64d a 64-bit integer.
    CTString result;
    result.Reserve(count + 1);
    vswprintf_s(result.m_buffer, result.m_capacity, format, args);
    unsigned length = result.ReleaseBuffer();

    Reserve(count + 1);
    wmemcpy(m_buffer, result.m_buffer, length);
    m_buffer[length] = 0;
    m_length = length;
    return length;
}

// ---------------------------------------------------------------------------------------------
// Loading from a module's string table

bool CTString::LoadString(UINT id, HMODULE module)
{
    HRSRC info = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1),
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
    if (!info)
        return false;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle)
        return false;
    const WORD* block = static_cast<const WORD*>(LockResource(handle));
    DWORD size = SizeofResource(module, info) / sizeof(WORD);
    if (!block || size == 0) {
        FreeResource(handle);
        return false;
    }
    // Sixteen entries, each a character count followed by that many characters.
    const WORD* end = block + size;
    const WORD* entry = block;
    for (UINT index = 0; index < 16 && entry < end; index++) {
        WORD count = *entry;
        if (count > end - entry - 1)
            break;   // a truncated block: the entry does not lie within the resource
        if (index == id % 16 && count != 0) {
            Reserve(count + 1u);
            wmemcpy(m_buffer, reinterpret_cast<const wchar_t*>(entry + 1), count);
            m_buffer[count] = 0;
            m_length = count;
            FreeResource(handle);
            return true;
        }
        entry += 1 + count;
    }
    FreeResource(handle);
    return false;
}

// ---------------------------------------------------------------------------------------------
// Text conversions (the multi-language edits live in CTStringLocale.cpp)

namespace {

struct XmlEntity {
    wchar_t ch;
    const wchar_t* text;
    unsigned length;
};

const XmlEntity kXmlEntities[] = {
    {L'&', L"&amp;", 5}, {L'"', L"&quot;", 6}, {L'\'', L"&apos;", 6}, {L'<', L"&lt;", 4},
    {L'>', L"&gt;", 4},  {L'\r', L"&#13;", 5}, {L'\n', L"&#10;", 5},
};

const XmlEntity* EntityFor(wchar_t ch)
{
    for (const XmlEntity& entity : kXmlEntities)
        if (entity.ch == ch)
            return &entity;
    return nullptr;
}

} // namespace

CTString& CTString::XmlEscape()
{
    if (IsEmpty())
        return *this;
    unsigned n = 0;
    bool changed = false;
    for (unsigned i = 0; i < m_length; i++) {
        wchar_t ch = m_buffer[i];
        if (const XmlEntity* entity = EntityFor(ch)) {
            n += entity->length;
            changed = true;
        } else if (ch == 0) {
            changed = true;
        } else {
            n++;
        }
    }
    if (!changed)
        return *this;
    wchar_t* buffer = new wchar_t[n + 1];
    unsigned out = 0;
    for (unsigned i = 0; i < m_length; i++) {
        wchar_t ch = m_buffer[i];
        if (const XmlEntity* entity = EntityFor(ch)) {
            wmemcpy(buffer + out, entity->text, entity->length);
            out += entity->length;
        } else if (ch != 0) {
            buffer[out++] = ch;
        }
    }
    Adopt(buffer, n + 1, out);
    return *this;
}

CTString& CTString::XmlUnescape()
{
    if (IsEmpty())
        return *this;
    wchar_t* buffer = new wchar_t[m_length + 1];
    unsigned out = 0;
    bool changed = false;
    for (unsigned i = 0; i < m_length;) {
        wchar_t ch = m_buffer[i];
        if (ch == 0) {
            changed = true;
            i++;
            continue;
        }
        const XmlEntity* match = nullptr;
        if (ch == L'&') {
            for (const XmlEntity& entity : kXmlEntities) {
                if (entity.length <= m_length - i && wcsncmp(m_buffer + i, entity.text, entity.length) == 0) {
                    match = &entity;
                    break;
                }
            }
        }
        if (match) {
            buffer[out++] = match->ch;
            i += match->length;
            changed = true;
        } else {
            buffer[out++] = ch;
            i++;
        }
    }
    if (changed)
        Adopt(buffer, m_length + 1, out);
    else
        FreeBuffer(buffer, m_length + 1);
    return *this;
}

CTString& CTString::GetColour(COLORREF& out)
{
    out = 0;
    if (GetLength() < 7)
        return *this;
    unsigned parts[3] = {};
    for (int i = 0; i < 3; i++) {
        wchar_t pair[3] = {m_buffer[1 + 2 * i], m_buffer[2 + 2 * i], 0};
        parts[i] = static_cast<unsigned>(wcstoul(pair, nullptr, 16)) & 0xFF;
    }
    out = parts[0] + parts[1] * 256 + parts[2] * 65536;
    return *this;
}

CTString& CTString::AppendHtmlColour(const COLORREF* colour)
{
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"#%02X%02X%02X", GetRValue(*colour), GetGValue(*colour), GetBValue(*colour));
    return AppendText(text);
}

CTString& CTString::AppendInt(int value)
{
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"%d", value);
    return AppendText(text);
}

CTString& CTString::AppendLong(long value)
{
    return AppendInt(static_cast<int>(value));
}

CTString& CTString::AppendUInt64(unsigned __int64 value)
{
    wchar_t text[66] = {};
    _ui64tow_s(value, text, 66, 10);
    return AppendText(text);
}

CTString& CTString::AppendQWORD(unsigned __int64 value)
{
    return AppendUInt64(value);
}

bool CTString::ParseHtmlColour(COLORREF& out) const
{
    if (GetLength() != 7 || m_buffer[0] != L'#')
        return false;
    BYTE parts[3] = {};
    for (int i = 0; i < 3; ++i) {
        unsigned value = 0;
        for (int j = 0; j < 2; ++j) {
            wchar_t c = m_buffer[1 + i * 2 + j];
            unsigned digit;
            if (c >= L'0' && c <= L'9')
                digit = c - L'0';
            else if (c >= L'a' && c <= L'f')
                digit = c - L'a' + 10;
            else if (c >= L'A' && c <= L'F')
                digit = c - L'A' + 10;
            else
                break;
            value = value * 16 + digit;
        }
        parts[i] = static_cast<BYTE>(value);
    }
    out = RGB(parts[0], parts[1], parts[2]);
    return true;
}

void CTString::SplitObjectPlaceholder(CTString& objectPart, CTString& rest) const
{
    int first = FindChar(L'%');
    if (first < 0)
        return;
    int second = FindChar(L'%', static_cast<unsigned>(first) + 1);
    if (second < 0)
        return;
    CTString inner;
    Mid(inner, static_cast<unsigned>(first) + 1, static_cast<unsigned>(second - first - 1));
    if (inner.GetLength() < 2 || inner.GetBuffer()[0] != L'o')
        return;
    // The second character is skipped whatever it is.
    CTString tail;
    inner.MidToEnd(tail, 2);
    int slash = tail.FindChar(L'\\');
    if (slash < 0) {
        objectPart = tail;
        rest.Empty();
        return;
    }
    tail.Left(objectPart, static_cast<unsigned>(slash));
    tail.MidToEnd(rest, slash + 1);
}
