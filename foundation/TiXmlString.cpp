#include "foundation/TiXmlString.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

TiXmlString::TiXmlString(TiXmlString&& other) noexcept {
    *this = static_cast<TiXmlString&&>(other);
}

TiXmlString& TiXmlString::operator=(TiXmlString&& other) noexcept {
    if (this == &other)
        return *this;
    if (other.buffer_ == other.inline_) {
        Assign(other.buffer_, other.length_);
        other.length_ = 0;
        other.inline_[0] = 0;
        return *this;
    }
    Clear();
    buffer_ = other.buffer_;
    capacity_ = other.capacity_;
    length_ = other.length_;
    other.buffer_ = nullptr;
    other.capacity_ = other.length_ = 0;
    return *this;
}

void TiXmlString::Clear() {
    if (buffer_ != inline_)
        free(buffer_);
    buffer_ = nullptr;
    capacity_ = length_ = 0;
}

void TiXmlString::Assign(const wchar_t* text) {
    if (!text) {
        Clear();
        return;
    }
    size_t n = wcslen(text);
    Assign(text, n > 0x7FFFFFF0u ? 0x7FFFFFF0u : (uint32_t)n);
}

void TiXmlString::Assign(const wchar_t* text, uint32_t count) {
    if (!text) {
        Clear();
        return;
    }
    if (buffer_ && count < capacity_) {
        wmemmove(buffer_, text, count);  // the text may lie inside this buffer
        buffer_[count] = 0;
        length_ = count;
        return;
    }
    // Exactly length + 1 characters; the old block may hold the source, so free it last.
    wchar_t* fresh;
    uint32_t capacity;
    if (count < kInlineCapacity && buffer_ != inline_) {
        fresh = inline_;
        capacity = kInlineCapacity;
    } else {
        fresh = (wchar_t*)malloc(((size_t)count + 1) * sizeof(wchar_t));
        capacity = count + 1;
        if (!fresh)
            return;
    }
    wmemmove(fresh, text, count);
    fresh[count] = 0;
    if (buffer_ != inline_)
        free(buffer_);
    buffer_ = fresh;
    capacity_ = capacity;
    length_ = count;
}

void TiXmlString::AssignString(const TiXmlString& other) {
    if (this == &other)
        return;
    if (other.Length() == 0) {
        Clear();
        return;
    }
    Assign(other.buffer_, other.length_);
}

bool TiXmlString::Reallocate(uint32_t newCapacity) {
    if (!buffer_ && newCapacity <= kInlineCapacity) {
        buffer_ = inline_;
        capacity_ = kInlineCapacity;
        length_ = 0;
        inline_[0] = 0;
        return true;
    }
    wchar_t* fresh;
    if (buffer_ == inline_ || !buffer_) {
        fresh = (wchar_t*)malloc((size_t)newCapacity * sizeof(wchar_t));
        if (!fresh)
            return false;
        if (buffer_)
            wmemcpy(fresh, buffer_, length_ + 1);
        else
            fresh[0] = length_ = 0;
    } else {
        fresh = (wchar_t*)realloc(buffer_, (size_t)newCapacity * sizeof(wchar_t));
        if (!fresh)
            return false;
    }
    buffer_ = fresh;
    capacity_ = newCapacity;
    return true;
}

bool TiXmlString::Grow(uint32_t newLength) {
    if (buffer_ && newLength < capacity_)
        return true;
    if (newLength > 0x7FFFFFF0u)
        return false;
    return Reallocate(newLength * 2 + 2);
}

bool TiXmlString::Reserve(uint32_t count) {
    if (buffer_ && count < capacity_)
        return true;
    if (count > 0x7FFFFFF0u)
        return false;
    return Reallocate(count + 1);
}

void TiXmlString::Append(const wchar_t* text) {
    if (text)
        Append(text, 0xFFFFFFFFu);
}

void TiXmlString::Append(const wchar_t* text, uint32_t count) {
    if (!text)
        return;
    uint32_t n = 0;
    while (n < count && text[n])
        ++n;
    AppendRun(text, n);
}

void TiXmlString::AppendRun(const wchar_t* text, uint32_t count) {
    if (!text || count == 0)
        return;
    uint32_t old = Length();
    if (old + (uint64_t)count > 0x7FFFFFF0u)
        return;
    // The text may lie inside this string's own buffer, which Grow can move.
    if (Owns(text)) {
        size_t offset = text - buffer_;
        if (!Grow(old + count))
            return;
        text = buffer_ + offset;
    } else if (!Grow(old + count)) {
        return;
    }
    wmemmove(buffer_ + old, text, count);
    length_ = old + count;
    buffer_[length_] = 0;
}

void TiXmlString::Append(wchar_t ch) {
    if (ch == 0)
        return;
    uint32_t old = Length();
    if (!Grow(old + 1))
        return;
    buffer_[old] = ch;
    length_ = old + 1;
    buffer_[length_] = 0;
}

void TiXmlString::Truncate(uint32_t count) {
    if (buffer_ && count < length_) {
        length_ = count;
        buffer_[count] = 0;
    }
}

bool TiXmlString::Equals(const TiXmlString& other) const {
    if (!buffer_ || !other.buffer_)
        return false;
    return length_ == other.length_ && wmemcmp(buffer_, other.buffer_, length_) == 0;
}

bool TiXmlString::Equals(const wchar_t* text) const {
    if (!text)
        return false;
    return wcscmp(c_str(), text) == 0;
}

uint32_t TiXmlString::FindQuote() const {
    if (!buffer_)
        return npos;
    const wchar_t* q = wmemchr(buffer_, L'"', length_);
    return q ? (uint32_t)(q - buffer_) : npos;
}
