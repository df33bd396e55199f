#pragma once
// The raw text of an HTTP message (UTF-16LE, lines ending in CR LF) and, after Parse, its start
// line, headers and body. Every change of the raw bytes marks the parsed view stale.
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"
#include "foundation/CAttributes.h"

class CHTTP : public CTByteArray {
public:
    enum Method : int { None = 0, Options = 1, Get = 2, Head = 3, Post = 4, Put = 5, Delete = 6, Trace = 7, Connect = 8 };
    enum HeaderId : int { SetCookie = 29, ContentType = 38, ContentDisposition = 50 };

    CHTTP();
    ~CHTTP() override = default;

    void SetSize(unsigned newSize, int growStep = -1) override;
    CTByteArray& Assign(const CTByteArray& other) override;
    void SwapRaw(CTByteArray& other);
    unsigned AppendRaw(const CTByteArray& other);

    // Parses the raw bytes when they changed since the last parse.
    void Parse();
    int GetStatusClass() const;
    // Header id's name, "_n" appended for an occurrence n above 1 (the second Set-Cookie is
    // "Set-Cookie_2"). Found: out receives the text, true. Otherwise out is unchanged.
    bool GetHeader(int id, CTString& out, int occurrence = 1) const;

    static const wchar_t* MethodName(int method);
    static const wchar_t* HeaderName(int id);

    int m_method = None;
    CAttributes m_headers;
    bool m_parseNeeded = true;
    unsigned m_readOffset = 0;   // bytes, while parsing
    CTString m_path;
    int m_statusCode = 0;
    CTString m_statusText;
    bool m_complete = false;
    CTByteArray m_body;

private:
    bool ReadLine(CTString& line);
};
