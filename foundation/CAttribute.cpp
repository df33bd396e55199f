#include "foundation/CAttribute.h"
#include "foundation/CTTokenString.h"
#include "foundation/CTTime.h"
#include <shlwapi.h>

namespace {

// Values from 0 to 1970 stand for "no date".
bool IsNoDate(__int64 value)
{
    return static_cast<unsigned __int64>(value) <= 1970;
}

bool IsDateType(int type)
{
    return type == CAttribute::Date || type == CAttribute::DateTime || type == CAttribute::DateTimeSeconds ||
           type == CAttribute::DateTimeNumber;
}

bool TextsEqual(const CTString& a, const CTString& b)
{
    if (a.IsEmpty() && b.IsEmpty())
        return true;
    return a.GetLength() == b.GetLength() && a.Compare(b) == 0;
}

const wchar_t* TextOf(const CTString& text)
{
    return text.GetBuffer() ? text.GetBuffer() : L"";
}

// Leading blanks and a sign allowed, reading stops at the first non-digit; nothing readable gives 0.
int ReadLeadingNumber(const wchar_t* text, unsigned count)
{
    unsigned i = 0;
    while (i < count && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < count && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    int number = 0;
    for (; i < count && text[i] >= L'0' && text[i] <= L'9'; ++i)
        number = number * 10 + (text[i] - L'0');
    return negative ? -number : number;
}

} // namespace

CAttribute::CAttribute(unsigned __int64 value) : m_value(static_cast<__int64>(value))
{
    UpdateText();
}

CAttribute::CAttribute(const CTString& text) : m_type(Text), m_text(text)
{
}

CAttribute::CAttribute(int type, __int64 value) : m_type(type), m_value(value)
{
    UpdateText();
}

CAttribute::CAttribute(int type, const CTString& text) : m_type(type), m_text(text)
{
    UpdateText();
}

CAttribute::CAttribute(int type, const wchar_t* text) : m_type(type), m_text(text)
{
    UpdateText();
}

CAttribute::CAttribute(const CAttribute& other)
    : m_type(other.m_type), m_text(other.m_text), m_value(other.m_value)
{
}

bool CAttribute::SetText(int type, const CTString& text)
{
    m_type = type;
    m_text.Assign(text);
    UpdateText();
    return true;
}

bool CAttribute::Set(int type, __int64 value, const CTString& text)
{
    m_type = type;
    m_value = value;
    m_text.Assign(text);
    UpdateText();
    return true;
}

bool CAttribute::SetValue(int type, __int64 value)
{
    m_type = type;
    m_value = value;
    UpdateText();
    return true;
}

CAttribute& CAttribute::Assign(const CAttribute& other)
{
    if (&other != this) {
        m_type = other.m_type;
        m_text.Assign(other.m_text);
        m_value = other.m_value;
    }
    return *this;
}

bool CAttribute::IsEqual(const CAttribute& other) const
{
    if (m_type != other.m_type)
        return false;
    if (IsTextType(m_type))
        return TextsEqual(m_text, other.m_text);
    if (m_type == Percentage)
        return m_value == other.m_value && TextsEqual(m_text, other.m_text);
    return m_value == other.m_value;
}

bool CAttribute::IsNotEqual(const CAttribute& other) const
{
    return !IsEqual(other);
}

bool CAttribute::IsGreater(const CAttribute& other) const
{
    if (IsTextType(m_type))
        return lstrcmpW(TextOf(m_text), IsTextType(other.m_type) ? TextOf(other.m_text) : L"") > 0;
    return static_cast<unsigned __int64>(m_value) > static_cast<unsigned __int64>(other.m_value);
}

bool CAttribute::IsLess(const CAttribute& other) const
{
    if (IsTextType(m_type))
        return lstrcmpW(TextOf(m_text), IsTextType(other.m_type) ? TextOf(other.m_text) : L"") < 0;
    return static_cast<unsigned __int64>(m_value) < static_cast<unsigned __int64>(other.m_value);
}

bool CAttribute::IsEmpty() const
{
    if (IsTextType(m_type))
        return m_text.IsEmpty();
    if (IsDateType(m_type))
        return IsNoDate(m_value);
    return m_value == 0;
}

void CAttribute::Clear()
{
    m_type = Integer;
    m_value = 0;
    m_text.Empty();
}

void CAttribute::UpdateText()
{
    const unsigned __int64 u = static_cast<unsigned __int64>(m_value);
    const int32_t low = static_cast<int32_t>(m_value);   // what "%d" prints

    switch (m_type) {
    case Integer:
    case Integer2:
        m_text.Format(L"%I64d", m_value);
        break;
    case Date:
    case DateTime:
    case DateTimeSeconds:
    case DateTimeNumber:
        if (IsNoDate(m_value)) {
            m_text.Empty();
        } else if (m_type == Date) {
            FormatUnixDate(&low, m_text);
        } else {
            FormatUnixDateTime(&low, m_text, m_type == DateTime);
            if (m_type == DateTimeNumber) {
                CTString date(m_text);
                m_text.Format(L"%s %d", TextOf(date), low);
            }
        }
        break;
    case LocalTimeOfDay:
    case TimeOfDay:
        FormatUnixTime(&low, m_text, m_type == LocalTimeOfDay);
        break;
    case Percentage:
        if (m_text.GetLength() >= 4 && m_text.GetBuffer()[3] == L'%') {
            // "075%Complete": the number, then the label.
            m_value = ReadLeadingNumber(m_text.GetBuffer(), 3);
            CTString label;
            m_text.MidToEnd(label, 4);
            m_text.Assign(label);
        } else {
            m_text.Format(L"%d%%", low);
        }
        break;
    case IPv4:
        if (m_value == 0)
            return;
        m_text.Format(L"%d.%d.%d.%d", (low >> 24) & 0xFF, (low >> 16) & 0xFF, (low >> 8) & 0xFF, low & 0xFF);
        break;
    case ByteSize: {
        unsigned size = 16;
        for (;;) {
            wchar_t* buffer = m_text.Reserve(size);
            buffer[0] = 0;
            SetLastError(0);
            StrFormatByteSizeW(m_value, buffer, size);
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size >= 0x10000)
                break;
            size *= 2;
        }
        m_text.ReleaseBuffer();
        break;
    }
    case DurationSeconds:
        if (u == 0) {
            m_text.Empty();
        } else {
            unsigned __int64 m = u / 60, s = u % 60;
            if (m < 60)
                m_text.Format(L"%02d:%02d", static_cast<int>(m), static_cast<int>(s));
            else
                m_text.Format(L"%02d:%02d:%02d", static_cast<int>(m / 60), static_cast<int>(m % 60), static_cast<int>(s));
        }
        break;
    case Tenths:
        if (u == 0)
            m_text.Empty();
        else
            m_text.Format(L"%d.%d", static_cast<int>(u / 10), static_cast<int>(u % 10));
        break;
    case DurationMinutes:
        if (u == 0) {
            m_text.Empty();
        } else {
            unsigned __int64 h = u / 60, m = u % 60, d = h / 24;
            if (d == 0)
                m_text.Format(L"%02d:%02d", static_cast<int>(h), static_cast<int>(m));
            else
                m_text.Format(L"%dd %02dh %02dm", static_cast<int>(d), static_cast<int>(h % 24), static_cast<int>(m));
        }
        break;
    case Thousandths:
        if (u <= 10000)
            m_text.Format(L"%0.2f", static_cast<double>(u) / 1000.0);
        else
            m_text.Format(L"%d", static_cast<int>(u / 1000));
        break;
    case Currency: {
        CTString number;
        number.Format(L"%0.2f", static_cast<double>(u) / 1000.0);
        m_text.Empty();
        int count = GetCurrencyFormatW(LOCALE_USER_DEFAULT, 0, TextOf(number), nullptr, nullptr, 0);
        if (count > 0) {
            wchar_t* buffer = m_text.Reserve(count);
            int written = GetCurrencyFormatW(LOCALE_USER_DEFAULT, 0, TextOf(number), nullptr, buffer, count);
            buffer[written > 0 ? written - 1 : 0] = 0;
            m_text.SetLength(written > 0 ? written - 1 : 0);
        }
        break;
    }
    case Version:
        m_text.Format(L"%d.%d.%d.%d", static_cast<int>((u >> 48) & 0xFFFF), static_cast<int>((u >> 32) & 0xFFFF),
                      static_cast<int>((u >> 16) & 0xFFFF), static_cast<int>(u & 0xFFFF));
        break;
    default:   // text types and unknown codes keep their text
        break;
    }
}

CAttribute CAttribute::ConstructFromSpec(const CTString& spec, const CTString& key)
{
    CAttribute result;
    CTTokenString items(spec);
    items.SetSeparators(L"|", 0);
    CTString item;
    for (unsigned i = 0; items.GetToken(i, item); ++i) {
        // The value ends at a second "=", as the tokenizer splits there.
        CTTokenString parts(item);
        parts.SetSeparators(L"=", 0);
        CTString itemKey, itemValue;
        if (!parts.GetToken(0, itemKey))
            continue;
        parts.GetToken(1, itemValue);
        if (lstrcmpiW(itemKey.GetBuffer() ? itemKey.GetBuffer() : L"", key.GetBuffer() ? key.GetBuffer() : L"") == 0) {
            result.SetText(Text, itemValue);
            break;
        }
    }
    return result;
}
