#pragma once
#include "foundation/CTString.h"

// A text split into tokens at any of a set of separator characters; double quotes protect separators.
//
// Token rule (GetToken, Split, ContainsToken): a separator at a token's first character stays in the
// token, so "a,,b" gives "a" and ",b". Field rule (GetTokenUncached): such a separator ends an empty
// field, so "a,,b" gives "a", "" and "b". GetToken remembers the last token it returned, so reading
// tokens 0, 1, 2, ... costs one pass over the text.
class CTTokenString : public CTString {
public:
    enum : unsigned {
        AsIs = 1,            // tokens are returned without trimming
        StrictQuotes = 2,    // quotes open only at a token's start and close only before a separator or the end
    };

    CTTokenString() = default;
    CTTokenString(const CTString& text);
    CTTokenString(const wchar_t* text);
    CTTokenString(const CTTokenString& other);
    ~CTTokenString() override;

    using CTString::operator=;
    CTTokenString& operator=(const CTTokenString& other);

    // Null separators store only the flags and return false.
    bool SetSeparators(const wchar_t* separators, unsigned flags);
    // Flags become 0; an empty text keeps the separators and returns false.
    bool SetSeparators(const CTString& separators);

    bool GetToken(unsigned index, CTString& out);
    // Token 1, with its starting character offset.
    bool NextToken(CTString& out, unsigned* offset);
    // Field index from the start; out is always assigned. True while the field starts inside the text.
    bool GetTokenUncached(unsigned index, CTString& out) const;
    bool ContainsToken(const CTString& text) const;
    // Appends every token as a new CTString (trimmed of blanks, double and single quotes unless AsIs).
    void Split(CLinkedList& out) const;

    unsigned TokenLength(const wchar_t* from) const;
    unsigned FieldLength(const wchar_t* from) const;

    CTString m_separators;
    unsigned m_cachedIndex = 0;    // index of the last token returned
    unsigned m_cachedOffset = 0;   // character offset of its first character
    unsigned m_flags = 0;

private:
    bool IsSeparator(wchar_t ch) const;
};
