#pragma once
#include <windows.h>
#include <cstdarg>
#include "foundation/CLinkedList.h"

class CTStringA;
class CTByteArray;

// The system's growable UTF-16 string. A string may be empty with no buffer at all or with a buffer
// holding only the terminator. Every buffer is zero-filled over its whole capacity before it is freed,
// and a buffer grows by an eighth of its capacity (at least 4, at most 1024 characters) unless more is
// asked for: builders of large texts Reserve the final size first.
class CTString : public CLinkedListObject {
public:
    CTString();
    CTString(const wchar_t* text);
    CTString(const CTString& other);
    explicit CTString(const CTStringA& text);
    CTString(UINT id, HMODULE module);
    // Loads string id from the module CTApp::FindResourceModule picks (language module, main resource
    // module, executable); defined by the window framework, which owns that choice.
    explicit CTString(UINT id);
    ~CTString() override;

    CTString& operator=(const CTString& other) { return Assign(other); }
    CTString& operator=(const wchar_t* text) { return AssignText(text); }

    // Runs the destructor of the string at that address (for strings in raw storage).
    static void Destroy(CTString* string);

    // Assignment. Each returns the string itself.
    virtual CTString& AssignFromStringA(const CTStringA& text);
    virtual CTString& AssignChar(wchar_t ch);
    virtual CTString& Assign(const CTString& other);
    virtual CTString& AssignText(const wchar_t* text);
    // From the ANSI code page; a null or unconvertible text leaves the string unchanged.
    CTString& AssignAnsi(const char* text);

    // Storage.
    wchar_t* Reserve(unsigned n);      // n == 0 frees the buffer; see CTString.cpp for the growth rule
    int Empty();                       // wipes and frees the buffer; returns 0
    void SetLength(unsigned n);        // length = min(n, capacity)
    unsigned ReleaseBuffer();          // after direct writes: length from the first NUL
    wchar_t* GetBuffer() const { return m_buffer; }
    wchar_t* GetBufferAt(int index) const { return m_buffer + index; }
    unsigned GetLength() const { return m_buffer ? m_length : 0; }
    unsigned GetCapacity() const { return m_capacity; }
    bool IsEmpty() const { return !m_buffer || m_length == 0; }
    void Swap(CTString& other);

    // Appending. Each returns the string itself.
    CTString& Append(const CTString& other);
    CTString& AppendString(const CTString& other);   // same effect as Append
    CTString& AppendText(const wchar_t* text);
    CTString& AddText(const wchar_t* text);          // same effect as AppendText
    CTString& AppendChar(wchar_t ch);

    // Sub-strings: out is reset first (no buffer) and returned.
    CTString& Left(CTString& out, unsigned count) const;
    CTString& Right(CTString& out, unsigned count) const;
    CTString& Mid(CTString& out, unsigned start, unsigned count) const;
    CTString& MidToEnd(CTString& out, int start) const;

    // Trimming in place; the text is rebuilt into a new buffer when something is removed.
    CTString& TrimLeft(wchar_t ch);
    CTString& TrimRight(wchar_t ch);
    CTString& Trim(wchar_t ch);

    // Searching: zero-based character index from the beginning of the string, -1 for none.
    int Find(const CTString& what) const;
    int Find(const CTString& what, unsigned start) const;
    int FindChar(wchar_t ch) const;
    int FindChar(wchar_t ch, unsigned start) const;
    int ReverseFindChar(wchar_t ch) const;
    // Replaces every occurrence of what with with; true when at least one was replaced. With
    // rescanFromStart the search starts over after each replacement (collapsing repeats), except
    // when with itself contains what: then the search goes on after the inserted text, so it ends.
    bool Replace(const CTString& what, const CTString& with, bool rescanFromStart);

    // Comparison with the platform's locale-aware functions (lstrcmpW, lstrcmpiW).
    int Compare(const CTString& other) const;
    int Compare(const wchar_t* text) const;
    int CompareNoCase(const CTString& other) const;
    int CompareNoCase(const wchar_t* text) const;
    bool Equals(const CTString& other) const;
    bool Equals(const wchar_t* text) const;
    bool NotEqual(const CTString& other) const;
    bool NotEqual(const wchar_t* text) const;

    // Conversions.
    int ToInt() const;
    __int64 ToInt64() const;
    bool IsDigits() const;
    CTString& MakeUpper();
    CTString& MakeLower();
    char* ToAnsi() const;              // new[] text in the ANSI code page, or null; caller delete[]s it

    // Formatting with the Microsoft format rules (%s wide, %S and %hs narrow, %I64d 64-bit).
    // Returns the new length.
    unsigned Format(const wchar_t* format, ...);
    unsigned FormatV(const wchar_t* format, va_list args);

    // Loads string id from the string table of the given module; false leaves the string unchanged,
    // also for an entry of length 0.
    bool LoadString(UINT id, HMODULE module);
    // The same from the module CTApp::FindResourceModule picks (defined by the window framework).
    bool LoadString(UINT id);
    // Formats with string id as the format (loaded as above); an id without string empties the string.
    unsigned FormatResource(UINT id, ...);

    // Multi-language text: default text, then sections of U+00A6, locale name, U+00A6, text.
    void SetLocaleText(const CTString& name, const CTString& text);
    void RemoveLocaleText(const CTString& name);

    // Text conversions.
    CTString& XmlEscape();
    CTString& XmlUnescape();
    CTString& GetColour(COLORREF& out);              // reads "#RRGGBB"; shorter text gives 0
    CTString& AppendHtmlColour(const COLORREF* colour);
    // Exactly "#" and six characters: the pairs read as hexadecimal (a pair without hex digits gives
    // 0) into out, red in the low byte; anything else returns false and leaves out alone.
    bool ParseHtmlColour(COLORREF& out) const;
    // On a text holding a place-holder "%o?object\rest%": objectPart is the place-holder from its
    // third character up to the first "\", rest what follows it. Texts without a place-holder
    // starting with "o" (at least two characters) leave both outputs as they were.
    void SplitObjectPlaceholder(CTString& objectPart, CTString& rest) const;
    CTString& AppendInt(int value);
    CTString& AppendLong(long value);
    CTString& AppendUInt64(unsigned __int64 value);
    CTString& AppendQWORD(unsigned __int64 value);   // same effect as AppendUInt64
    // Standard Base64 into bytes (foundation/Base64.cpp); an unpadded text decodes as if padded.
    bool Base64Decode(CTByteArray& out) const;

    wchar_t* m_buffer = nullptr;   // owned, new[]; null when there is no buffer
    unsigned m_capacity = 0;       // in characters; 0 exactly when there is no buffer
    unsigned m_length = 0;         // characters in use; m_buffer[m_length] is the terminator

    // Called with every buffer just before it is freed (after the wipe); tests use it to check the wipe.
    static void (*s_freeHook)(const wchar_t* buffer, unsigned capacity);

protected:
    // Wipes and frees a buffer that the string gives up.
    static void FreeBuffer(wchar_t* buffer, unsigned capacity);
    // Makes the string own buffer (capacity characters) holding length characters and a terminator,
    // wiping and freeing the old one.
    void Adopt(wchar_t* buffer, unsigned capacity, unsigned length);
};
