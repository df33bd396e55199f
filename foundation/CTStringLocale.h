#pragma once
#include "foundation/CTString.h"

// Multi-language text: the "en-GB" text first, then for each further language U+00A6, the locale
// name, U+00A6 and its text. A text cannot hold U+00A6 (there is no escaping).
//
// Remembers the last answer of GetTextForLocale; edits through SetLocaleText or RemoveLocaleText
// leave that answer as it was, so callers assign the text anew before reading again.
class CTStringLocale : public CTString {
public:
    CTStringLocale() = default;
    CTStringLocale(const wchar_t* text);
    CTStringLocale(const CTString& text);
    CTStringLocale(const CTStringLocale& other);
    ~CTStringLocale() override;

    using CTString::operator=;
    CTStringLocale& operator=(const CTStringLocale& other) { return AssignLocale(other); }

    // These clear the remembered answer first.
    CTString& Assign(const CTString& other) override;
    CTString& AssignText(const wchar_t* text) override;
    virtual CTStringLocale& AssignLocale(const CTStringLocale& other);

    // The text for a locale name ("" means "en-GB"): null when the locale has no text, an empty text
    // when it is present with nothing in it. Valid until another locale is asked for, the next
    // Assign, AssignText or AssignLocale, or destruction.
    const wchar_t* GetTextForLocale(const CTString& name);
    // The text for the user's own locale, falling back to the "en-GB" text when it has none.
    const wchar_t* GetUserText();

    // Entry 0 is "en-GB" with the default text, entries 1.. the sections in order.
    bool GetLocaleAt(unsigned index, CTString& outName, CTString& outText) const;
    // Appends a new CTString per entry name unless the list already holds that name.
    void GetLocaleNames(CLinkedList& out) const;
    bool GetPreviousLocale(CTString& name) const;
    bool GetNextLocale(CTString& name) const;
    // For each entry of other with a text, appends that text to this string's text of the same locale.
    CTStringLocale& AppendLocales(const CTStringLocale& other);

    CTString m_cachedName;   // locale of the last GetTextForLocale
    CTString m_cachedText;   // its answer

private:
    void ClearCache();
};

// "language-COUNTRY" of a locale (for example "en-GB"); out is left as it was when either is unknown.
void FormatLocaleName(LCID locale, CTString& out);

// One section of a multi-language text: U+00A6, name, U+00A6, text.
struct LocaleSection {
    unsigned start = 0;       // index of the leading U+00A6
    unsigned nameStart = 0;
    unsigned nameLength = 0;
    unsigned textStart = 0;
    unsigned textLength = 0;
    unsigned end = 0;         // one past the text: the next U+00A6 or the end of the string
};

// Reads the section whose leading U+00A6 is at pos; false when none starts there (also for a
// trailing name without the U+00A6 after it).
bool ReadLocaleSection(const wchar_t* text, unsigned length, unsigned pos, LocaleSection& out);
