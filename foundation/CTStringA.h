#pragma once
#include <windows.h>

class CTString;

// 8-bit text in the ANSI code page, for platform calls and files that need it.
// An empty text is never stored: the buffer is then null.
class CTStringA {
public:
    CTStringA() = default;
    CTStringA(const char* text);
    explicit CTStringA(const CTString& text);
    CTStringA(const CTStringA& other);
    CTStringA& operator=(const CTStringA& other);
    virtual ~CTStringA();

    CTStringA& Assign(const CTString& text);
    CTStringA& Assign(const char* text);
    void Empty();
    // Frees the text and hands out a new, uninitialised buffer of 9 bytes that the string owns.
    char* AllocBuffer();
    bool IsEmpty() const { return !m_buffer; }
    unsigned GetLength() const;
    // _stricmp of the two texts; an empty text compares as "".
    int CompareNoCase(const CTStringA& other) const;
    const char* GetBuffer() const { return m_buffer; }

    char* m_buffer = nullptr;   // owned, new[] of exactly length + 1; null when empty
};
