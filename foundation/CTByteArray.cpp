#include "foundation/CTByteArray.h"

#include <string.h>

CTByteArray::CTByteArray(const CTByteArray& other)
{
    SetSize(other.size_);
    if (other.size_)
        memcpy(data_, other.data_, other.size_);
}

CTByteArray::~CTByteArray()
{
    DestroyBase();
}

void CTByteArray::DestroyBase()
{
    if (data_ && !borrowed_)
        HeapFree(GetProcessHeap(), 0, data_);
    data_ = nullptr;
    size_ = capacity_ = growStep_ = 0;
    borrowed_ = 0;
}

BYTE* CTByteArray::Allocate(unsigned bytes)
{
    // Heap exhaustion raises the heap's structured exception; nothing here catches it.
    return static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY | HEAP_GENERATE_EXCEPTIONS, bytes));
}

void CTByteArray::Free(BYTE* block)
{
    if (block && !borrowed_)
        HeapFree(GetProcessHeap(), 0, block);
    borrowed_ = 0;
}

void CTByteArray::SetSize(unsigned newSize, int growStep)
{
    if (growStep != -1)
        growStep_ = static_cast<unsigned>(growStep);

    if (newSize == 0) {
        Free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
        return;
    }
    if (!data_) {
        data_ = Allocate(newSize);
        capacity_ = size_ = newSize;
        return;
    }
    if (newSize <= capacity_) {
        if (newSize > size_)
            memset(data_ + size_, 0, newSize - size_);
        size_ = newSize;
        return;
    }

    unsigned increment;
    if (growStep_) {
        // The first growth reaches the step, later ones add it.
        increment = capacity_ < growStep_ ? growStep_ - capacity_ : growStep_;
    } else {
        increment = size_ / 8;
        if (increment < 4)
            increment = 4;
        if (increment > 1024)
            increment = 1024;
    }
    unsigned long long grown = static_cast<unsigned long long>(capacity_) + increment;
    unsigned newCapacity = newSize;
    if (grown > newSize && grown <= 0xFFFFFFFFull)
        newCapacity = static_cast<unsigned>(grown);

    BYTE* block = Allocate(newCapacity);
    if (size_)
        memcpy(block, data_, size_);
    Free(data_);
    data_ = block;
    capacity_ = newCapacity;
    size_ = newSize;
}

void CTByteArray::RemoveAll()
{
    size_ = 0;
}

CTByteArray& CTByteArray::Assign(const CTByteArray& other)
{
    if (&other == this)
        return *this;
    SetSize(other.size_);
    if (other.size_)
        memcpy(data_, other.data_, other.size_);
    return *this;
}

unsigned CTByteArray::Append(const CTByteArray& other)
{
    return AppendPart(other, other.size_);
}

unsigned CTByteArray::AppendPart(const CTByteArray& source, unsigned count)
{
    if (source.size_ < count)
        return 0xFFFFFFFFu;
    unsigned old = size_;
    if (count == 0)
        return old;
    SetSize(old + count);
    // source may be this array: its data pointer is read after the reallocation.
    memmove(data_ + old, source.data_, count);
    return old;
}

unsigned CTByteArray::AppendZero()
{
    unsigned old = size_;
    SetSize(old + 1);
    return old;
}

BYTE* CTByteArray::Extend(unsigned count)
{
    unsigned old = size_;
    SetSize(old + count);
    return data_ + old;
}

void CTByteArray::InsertAt(unsigned offset, const CTByteArray& other)
{
    if (other.size_ == 0)
        return;
    if (&other == this) {
        CTByteArray copy(other);
        InsertAt(offset, copy);
        return;
    }
    unsigned old = size_;
    if (offset > old)
        offset = old;
    SetSize(old + other.size_);
    memmove(data_ + offset + other.size_, data_ + offset, old - offset);
    memcpy(data_ + offset, other.data_, other.size_);
}

void CTByteArray::RemoveAt(unsigned offset, unsigned count)
{
    if (offset >= size_)
        return;
    if (count > size_ - offset)
        count = size_ - offset;
    memmove(data_ + offset, data_ + offset + count, size_ - offset - count);
    size_ -= count;
}

void CTByteArray::TerminateAt(unsigned offset)
{
    if (offset >= size_)
        SetSize(offset + 1);
    data_[offset] = 0;
}

void CTByteArray::Swap(CTByteArray& other)
{
    BYTE* d = data_; data_ = other.data_; other.data_ = d;
    unsigned s = size_; size_ = other.size_; other.size_ = s;
    unsigned c = capacity_; capacity_ = other.capacity_; other.capacity_ = c;
    unsigned g = growStep_; growStep_ = other.growStep_; other.growStep_ = g;
    BYTE b = borrowed_; borrowed_ = other.borrowed_; other.borrowed_ = b;
}

void CTByteArray::Borrow(BYTE* block, unsigned used, unsigned capacity)
{
    Free(data_);
    data_ = block;
    capacity_ = block ? capacity : 0;
    size_ = used <= capacity_ ? used : capacity_;
    borrowed_ = block ? 1 : 0;
}

bool CTByteArray::CreateStream(IStream** out) const
{
    if (!out || *out)
        return false;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, out)) || !*out)
        return false;
    if (size_)
        (*out)->Write(data_, size_, nullptr);
    LARGE_INTEGER start{};
    (*out)->Seek(start, STREAM_SEEK_SET, nullptr);
    return true;
}
