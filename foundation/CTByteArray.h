#pragma once
#include <windows.h>
#include <objidl.h>

class CTString;

// Growable byte buffer on the process heap. Every block is zero-filled when allocated; a borrowed
// block belongs to someone else and is never freed here. Subclasses (the tagged stream, the HTTP
// message) keep the virtual slots below in this order and add theirs after them.
class CTByteArray {
public:
    CTByteArray() = default;
    CTByteArray(const CTByteArray& other);
    virtual ~CTByteArray();

    // Grows or shrinks the bytes in use; a growStep other than -1 is stored first. Size 0 frees the block.
    virtual void SetSize(unsigned newSize, int growStep = -1);
    virtual void RemoveAll();
    virtual CTByteArray& Assign(const CTByteArray& other);
    virtual BYTE* Allocate(unsigned bytes);
    virtual void Free(BYTE* block);

    CTByteArray& operator=(const CTByteArray& other) { return Assign(other); }

    unsigned Append(const CTByteArray& other);
    unsigned AppendPart(const CTByteArray& source, unsigned count);   // 0xFFFFFFFF when source is short
    unsigned AppendZero();
    BYTE* Extend(unsigned count);
    void InsertAt(unsigned offset, const CTByteArray& other);
    void RemoveAt(unsigned offset, unsigned count);
    void TerminateAt(unsigned offset);
    void SetAt(unsigned offset, BYTE value) { data_[offset] = value; }
    BYTE* GetPtr(unsigned offset) const { return data_ + offset; }
    void Swap(CTByteArray& other);

    // Lends an outside block to the array: it is read and written in place but never freed here.
    // The first reallocation or Free leaves it to its owner.
    void Borrow(BYTE* block, unsigned used, unsigned capacity);

    // A new HGLOBAL stream holding a copy of the bytes, positioned at 0. *out must be null on entry.
    bool CreateStream(IStream** out) const;
    // Standard Base64 with '=' padding, no line breaks. An empty buffer leaves out as it was.
    bool Base64Encode(CTString& out) const;

    BYTE* GetData() const { return data_; }
    unsigned GetSize() const { return size_; }
    unsigned GetCapacity() const { return capacity_; }
    unsigned GetGrowStep() const { return growStep_; }
    bool IsBorrowed() const { return borrowed_ != 0; }

protected:
    // The destructor's work, for the CTByteArray part of a derived object.
    void DestroyBase();

    BYTE* data_ = nullptr;
    unsigned size_ = 0;
    unsigned capacity_ = 0;
    unsigned growStep_ = 0;   // 0: automatic, used size / 8 clamped to 4 .. 1024
    BYTE borrowed_ = 0;
};
