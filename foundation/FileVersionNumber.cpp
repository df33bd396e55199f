#include "foundation/FileVersionNumber.h"
#include "foundation/CTTokenString.h"
#include <stdlib.h>

void FileVersionNumber::Parse(const CTString& text)
{
    if (text.IsEmpty())
        return;
    CTTokenString tokens(text);
    tokens.SetSeparators(L".", 0);
    unsigned* parts[4] = { &major, &minor, &build, &revision };
    for (unsigned i = 0; i < 4; ++i) {
        CTString token;
        *parts[i] = tokens.GetToken(i, token) && !token.IsEmpty()
            ? static_cast<unsigned>(_wtoi(token.GetBuffer())) : 0;
    }
}

void FileVersionNumber::Format(CTString& out) const
{
    out.Format(L"%d.%d.%d.%d", major, minor, build, revision);
}

int FileVersionNumber::CompareWith(const FileVersionNumber& other) const
{
    const unsigned mine[4] = { major, minor, build, revision };
    const unsigned theirs[4] = { other.major, other.minor, other.build, other.revision };
    for (int i = 0; i < 4; ++i) {
        if (mine[i] != theirs[i])
            return mine[i] < theirs[i] ? -1 : 1;
    }
    return 0;
}

bool FileVersionNumber::Equals(const FileVersionNumber& other) const { return CompareWith(other) == 0; }
bool FileVersionNumber::IsLess(const FileVersionNumber& other) const { return CompareWith(other) < 0; }
bool FileVersionNumber::IsGreater(const FileVersionNumber& other) const { return CompareWith(other) > 0; }
bool FileVersionNumber::IsGreaterOrEqual(const FileVersionNumber& other) const { return CompareWith(other) >= 0; }

bool FileVersionNumber::IsAtLeast(unsigned maj, unsigned min, unsigned bld, unsigned rev) const
{
    return IsGreaterOrEqual(FileVersionNumber(maj, min, bld, rev));
}

void FileVersionNumber::Clear()
{
    major = minor = build = revision = 0;
}
