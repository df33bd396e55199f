#include "controls/ListColumns.h"

namespace ListColumnSpec {
namespace {

// Length of the token starting at text: up to the first separator outside double quotes that is not
// the token's first character.
size_t TokenLength(const std::wstring& text, size_t from, wchar_t separator)
{
    bool quoted = false;
    size_t i = from;
    for (; i < text.size(); ++i) {
        wchar_t ch = text[i];
        if (ch == L'"') quoted = !quoted;
        else if (ch == separator && !quoted && i != from) break;
    }
    return i - from;
}

std::wstring Trim(std::wstring s)
{
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!s.empty() && blank(s.front())) s.erase(s.begin());
    while (!s.empty() && blank(s.back())) s.pop_back();
    while (!s.empty() && s.front() == L'"') s.erase(s.begin());
    while (!s.empty() && s.back() == L'"') s.pop_back();
    return s;
}

int LeadingNumber(const std::wstring& s)
{
    long long value = 0;
    for (wchar_t ch : s) {
        if (ch < L'0' || ch > L'9') break;
        value = value * 10 + (ch - L'0');
        if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
    }
    return static_cast<int>(value);
}

} // namespace

void Parse(const wchar_t* definition, std::vector<Entry>& out)
{
    const std::wstring text = definition ? definition : L"";
    size_t pos = 0;
    while (pos < text.size() && text[pos] != L';') {
        size_t len = TokenLength(text, pos, L';');
        std::wstring entry = text.substr(pos, len);
        pos += len + 1; // past the ";" that ended it

        std::vector<std::wstring> fields;
        size_t f = 0;
        while ((f < entry.size() || fields.empty()) && fields.size() < 3) {
            size_t flen = TokenLength(entry, f, L',');
            fields.push_back(entry.substr(f, flen));
            f += flen + 1;
        }
        Entry e;
        e.caption = Trim(fields[0]);
        if (fields.size() > 1) e.width = LeadingNumber(Trim(fields[1]));
        if (fields.size() > 2) e.shown = Trim(fields[2]) == L"1";
        out.push_back(e);
    }
}

} // namespace ListColumnSpec
