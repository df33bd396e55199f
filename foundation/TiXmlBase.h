#pragma once
#include <cstdio>

#include "foundation/TiXmlLocationTracker.h"
#include "foundation/TiXmlString.h"

class TiXmlDocument;

// Encoding codes of a parse: the text is UTF-16 in every case; the code only changes byte-order
// mark skipping, case folding in keyword tests and column counting.
enum {
    TIXML_ENCODING_UNKNOWN = 0,
    TIXML_ENCODING_UTF8 = 1,
    TIXML_ENCODING_OTHER = 2,
    TIXML_ENCODING_UTF16 = 3,
};

// Error ids of TiXmlDocument; the descriptions are in TiXmlDocument.cpp.
enum {
    TIXML_NO_ERROR = 0,
    TIXML_ERROR,
    TIXML_ERROR_OPENING_FILE,
    TIXML_ERROR_OUT_OF_MEMORY,
    TIXML_ERROR_PARSING_ELEMENT,
    TIXML_ERROR_FAILED_TO_READ_ELEMENT_NAME,
    TIXML_ERROR_READING_ELEMENT_VALUE,
    TIXML_ERROR_READING_ATTRIBUTES,
    TIXML_ERROR_PARSING_EMPTY,
    TIXML_ERROR_READING_END_TAG,
    TIXML_ERROR_PARSING_UNKNOWN,
    TIXML_ERROR_PARSING_COMMENT,
    TIXML_ERROR_PARSING_DECLARATION,
    TIXML_ERROR_DOCUMENT_EMPTY,
    TIXML_ERROR_EMBEDDED_NULL,
    TIXML_ERROR_STRING_COUNT
};

// Where printing goes: a C runtime stream (written as wide text, so the stream's mode decides the
// bytes) or a string.
struct TiXmlWriter {
    FILE* file = nullptr;
    TiXmlString* out = nullptr;
    TiXmlString pending;  // batches small pieces for the stream

    explicit TiXmlWriter(FILE* f) : file(f) {}
    explicit TiXmlWriter(TiXmlString& s) : out(&s) {}
    ~TiXmlWriter() { Flush(); }
    void Put(const wchar_t* text);
    void Put(const wchar_t* text, uint32_t count);
    void Indent(int depth);
    void Flush();
};

class TiXmlBase {
public:
    TiXmlBase() = default;
    TiXmlBase(const TiXmlBase&) = delete;
    TiXmlBase& operator=(const TiXmlBase&) = delete;
    virtual ~TiXmlBase() = default;

    // Prints the node at the given indentation level (four blanks each) into a stream.
    virtual void Print(FILE* file, int depth) const;
    // Reads the node from text; returns the position after it or null (see TiXmlParser.cpp).
    virtual const wchar_t* Parse(const wchar_t* text, TiXmlLocationTracker* tracker, int encoding) = 0;
    // The string form: the same tree with the layout of the string printer.
    virtual void PrintToString(TiXmlString& out, int depth) const = 0;

    int Row() const { return location.row; }
    int Column() const { return location.col; }
    void SetUserData(void* user) { userData = user; }
    void* GetUserData() const { return userData; }

    // Process-wide; on by default. Callers that want text as written switch it off first.
    static void SetCondenseWhiteSpace(bool condense) { condenseWhiteSpace = condense; }
    static bool IsWhiteSpaceCondensed() { return condenseWhiteSpace; }

    // Appends in to out with markup characters, apostrophes and control characters escaped;
    // complete hexadecimal references to a real character ("&#x41;") pass through.
    static void EncodeString(const TiXmlString& in, TiXmlString& out);
    static void EncodeString(const wchar_t* in, TiXmlString& out);

    // Parser helpers (TiXmlParser.cpp).
    static bool IsWhiteSpace(wchar_t c);
    static bool IsAlpha(wchar_t c);
    static bool IsAlphaNum(wchar_t c);
    static const wchar_t* SkipWhiteSpace(const wchar_t* p, int encoding);
    static bool StringEqual(const wchar_t* p, const wchar_t* tag, bool ignoreCase, int encoding);
    static const wchar_t* ReadName(const wchar_t* p, TiXmlString& out);
    static const wchar_t* ReadText(const wchar_t* p, TiXmlString& out, bool trim, const wchar_t* endTag,
                                   int encoding);
    // Decodes the entity at p ('&') into out (count units, 0 to 2); returns the position after
    // it or null for a malformed character reference.
    static const wchar_t* GetEntity(const wchar_t* p, wchar_t* out, int* count);

    // Deepest element nesting the parser accepts; deeper input is a parse error rather than a
    // stack overflow.
    static constexpr int kMaxDepth = 1000;

    TiXmlLocation location;
    void* userData = nullptr;

protected:
    // The Print layout, written to a stream or, for SaveFile, to a buffer.
    virtual void Write(TiXmlWriter& w, int depth) const = 0;
    friend class TiXmlNode;
    friend class TiXmlElement;
    friend class TiXmlDocument;

private:
    static bool condenseWhiteSpace;
};
