#pragma once
#include <cstdint>

// The XML model's own string: a UTF-16 buffer with a length and a capacity. Unlike CTString it
// grows by doubling and releases its buffer without wiping, since documents hold no secrets and
// replies run to many megabytes. Short texts (most names and many values) live in a small buffer
// inside the string: a parsed reply would otherwise spend most of its time in the heap.
class TiXmlString {
public:
    TiXmlString() = default;
    TiXmlString(const wchar_t* text) { Assign(text); }
    TiXmlString(const TiXmlString& other) { AssignString(other); }
    TiXmlString(TiXmlString&& other) noexcept;
    ~TiXmlString() { Clear(); }
    TiXmlString& operator=(const TiXmlString& other) { AssignString(other); return *this; }
    TiXmlString& operator=(TiXmlString&& other) noexcept;
    TiXmlString& operator=(const wchar_t* text) { Assign(text); return *this; }

    // Replaces the contents; null empties the string and releases the buffer.
    void Assign(const wchar_t* text);
    void Assign(const wchar_t* text, uint32_t count);
    // Copies another string; an empty source releases the buffer.
    void AssignString(const TiXmlString& other);
    void Append(const wchar_t* text);
    // Appends at most count characters of text, stopping at its end.
    void Append(const wchar_t* text, uint32_t count);
    void Append(wchar_t ch);
    // Appends exactly count characters, none of them NUL (the parser's runs of text).
    void AppendRun(const wchar_t* text, uint32_t count);
    // Releases the buffer.
    void Clear();
    // Makes room for at least count characters without changing the contents.
    bool Reserve(uint32_t count);
    // Drops the characters from count on; the buffer stays.
    void Truncate(uint32_t count);

    uint32_t Length() const { return buffer_ ? length_ : 0; }
    uint32_t Capacity() const { return buffer_ ? capacity_ : 0; }
    bool IsEmpty() const { return Length() == 0; }
    const wchar_t* c_str() const { return buffer_ ? buffer_ : L""; }
    // Writable characters; null when there is no buffer.
    wchar_t* Buffer() { return buffer_; }
    // False when either string has no buffer.
    bool Equals(const TiXmlString& other) const;
    // Whole-value comparison with a text; a null text matches nothing.
    bool Equals(const wchar_t* text) const;
    // Index of the first double quote, or 0xFFFFFFFF when there is none.
    uint32_t FindQuote() const;

    static constexpr uint32_t npos = 0xFFFFFFFFu;
    // Characters, terminator included, that fit without a heap block.
    static constexpr uint32_t kInlineCapacity = 12;

private:
    bool Grow(uint32_t newLength);
    bool Reallocate(uint32_t newCapacity);
    bool Owns(const wchar_t* p) const { return buffer_ && p >= buffer_ && p < buffer_ + capacity_; }

    wchar_t* buffer_ = nullptr;
    uint32_t capacity_ = 0;  // characters including the terminator
    uint32_t length_ = 0;
    wchar_t inline_[kInlineCapacity];
};
