#include "foundation/CDataString.h"

#include <string.h>

#include "foundation/CAttribute.h"
#include "foundation/CTString.h"
#include "foundation/Lzo.h"

namespace {

unsigned ReadU32(const BYTE* p)
{
    unsigned v;
    memcpy(&v, p, 4);
    return v;
}

// Field sizes whose tag byte and lengths are fixed.
unsigned FixedSize(BYTE tag)
{
    switch (tag) {
    case 1: return 5;
    case 4: return 9;
    case 6: return 3;
    case 2: case 3: case 5: return 2;
    default: return 0;
    }
}

} // namespace

CDataString::CDataString()
{
    SetSize(256, 2048);
    size_ = 0;
}

CDataString::CDataString(const CDataString& other) : CDataString()
{
    AssignFrom(other);
}

CDataString::~CDataString()
{
    DestroyBase();
}

void CDataString::RemoveAll()
{
    SetSize(256, 2048);
    size_ = 0;
    ClearFailure();
    readOffset_ = 0;
}

void CDataString::AssignFrom(const CDataString& other)
{
    if (&other == this)
        return;
    failed_ = other.failed_;
    readOffset_ = other.readOffset_;
    failOffset_ = other.failOffset_;
    failTag_ = other.failTag_;
    Assign(other);
}

void CDataString::OnWrite(int)
{
}

void CDataString::Fail(int tag)
{
    failed_ = 1;
    failTag_ = tag;
    failOffset_ = readOffset_;
}

void CDataString::ClearFailure()
{
    failed_ = 0;
    failTag_ = kNoFailureTag;
    failOffset_ = 0;
}

// ---------------------------------------------------------------------------------------------
// Field layout

unsigned long long CDataString::FieldSize(unsigned offset) const
{
    BYTE tag = data_[offset];
    if (tag < 128)
        return FixedSize(tag);
    if (size_ - offset < 5)
        return 5;   // the length itself is cut off: more than remains, so it never fits
    unsigned length = ReadU32(data_ + offset + 1);
    if (length == 0xFFFFFFFBu)
        return 0;   // -5: a size of 0 in the 32-bit format, always refused
    if (tag == 132 && length < 4)
        return 0;   // a block holds at least its expanded size
    return 5ull + length;
}

CDataString::Expansion CDataString::ExpandAt(unsigned offset)
{
    if (data_[offset] != 132)
        return Expansion::NotABlock;
    unsigned long long remaining = size_ - offset;
    if (remaining < 9)
        return Expansion::Malformed;
    unsigned long long fieldSize = FieldSize(offset);
    if (fieldSize == 0 || fieldSize > remaining)
        return Expansion::Malformed;
    unsigned packedSize = static_cast<unsigned>(fieldSize - 9);
    unsigned expandedSize = ReadU32(data_ + offset + 5);
    // LZO1X yields at most about 255 bytes per compressed byte; anything beyond is not a real block.
    if (expandedSize > kMaxExpandedBlock || expandedSize > 256ull * packedSize + 1024)
        return Expansion::Malformed;
    unsigned long long newSize = size_ - fieldSize + expandedSize;
    if (newSize > 0xFFFFFFFFull)
        return Expansion::Malformed;

    CTByteArray expanded;
    if (expandedSize)
        expanded.SetSize(expandedSize);
    unsigned produced = expandedSize;
    if (!LzoDecompress(data_ + offset + 9, packedSize, expanded.GetData(), &produced) || produced != expandedSize)
        return Expansion::Corrupt;

    RemoveAt(offset, static_cast<unsigned>(fieldSize));
    InsertAt(offset, expanded);
    OnWrite(static_cast<int>(static_cast<long long>(expandedSize) - static_cast<long long>(fieldSize)));
    return Expansion::Expanded;
}

// ---------------------------------------------------------------------------------------------
// Tags

int CDataString::PeekTag()
{
    if (failed_ || readOffset_ >= size_)
        return 0;
    Expansion e = ExpandAt(readOffset_);
    if (e == Expansion::Corrupt || e == Expansion::Malformed)
        return 0;
    if (readOffset_ >= size_)
        return 0;
    return data_[readOffset_];
}

bool CDataString::ExpectTag(int tag)
{
    if (failed_)
        return false;
    if (readOffset_ >= size_) {
        failed_ = 1;
        failOffset_ = readOffset_;
        return false;
    }
    switch (ExpandAt(readOffset_)) {
    case Expansion::Corrupt:
        return false;   // left in place; SeekTag can step over it
    case Expansion::Malformed:
        Fail(132);
        return false;
    default:
        break;
    }
    if (readOffset_ >= size_) {   // the block expanded to nothing
        failed_ = 1;
        failOffset_ = readOffset_;
        return false;
    }
    BYTE found = data_[readOffset_];
    unsigned long long fieldSize = FieldSize(readOffset_);
    if (found == tag && fieldSize != 0 && fieldSize <= size_ - readOffset_)
        return true;
    Fail(found);
    return false;
}

bool CDataString::SeekTag(int tag)
{
    if (failed_ && tag == failTag_) {
        failed_ = 0;
        return true;
    }
    while (readOffset_ < size_) {
        if (data_[readOffset_] == tag)
            return true;
        unsigned long long fieldSize = FieldSize(readOffset_);
        if (fieldSize == 0) {
            failed_ = 1;
            return false;
        }
        if (fieldSize >= size_ - readOffset_) {
            readOffset_ = size_;
            return false;
        }
        readOffset_ += static_cast<unsigned>(fieldSize);
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Writers

bool CDataString::AppendField(BYTE tag, const void* head, unsigned headSize, const void* body, unsigned bodySize)
{
    unsigned long long added = 1ull + headSize + bodySize;
    if (size_ + added > 0xFFFFFFFFull)
        return false;
    unsigned at = size_;
    SetSize(static_cast<unsigned>(size_ + added));
    data_[at] = tag;
    if (headSize)
        memcpy(data_ + at + 1, head, headSize);
    if (bodySize)
        memcpy(data_ + at + 1 + headSize, body, bodySize);
    OnWrite(static_cast<int>(added));
    return true;
}

bool CDataString::WriteInt32(int value)
{
    AppendField(1, &value, 4, nullptr, 0);
    return true;
}

bool CDataString::WriteInt64(__int64 value)
{
    AppendField(4, &value, 8, nullptr, 0);
    return true;
}

bool CDataString::WriteBool(int value)
{
    BYTE b = static_cast<BYTE>(value);
    AppendField(2, &b, 1, nullptr, 0);
    return true;
}

bool CDataString::WriteSectionMark()
{
    BYTE mark = 'a';
    AppendField(5, &mark, 1, nullptr, 0);
    return true;
}

bool CDataString::WriteVersion()
{
    unsigned short version = 1;
    AppendField(6, &version, 2, nullptr, 0);
    return true;
}

CDataString& CDataString::WriteText(const wchar_t* text)
{
    size_t chars = text ? wcslen(text) : 0;
    if (chars * 2 <= 0xFFFFFFFFull - 5) {
        unsigned bytes = static_cast<unsigned>(chars * 2);
        AppendField(133, &bytes, 4, text, bytes);
    }
    return *this;
}

bool CDataString::WriteString(const CTString& text)
{
    unsigned long long bytes = 2ull * text.GetLength();
    if (bytes <= 0xFFFFFFFFull - 5) {
        unsigned length = static_cast<unsigned>(bytes);
        AppendField(133, &length, 4, text.GetBuffer(), length);
    }
    return true;
}

bool CDataString::WriteBytes(const CTByteArray& bytes)
{
    if (&bytes == this) {
        CTByteArray copy(bytes);
        return WriteBytes(copy);
    }
    unsigned length = bytes.GetSize();
    AppendField(130, &length, 4, bytes.GetData(), length);
    return true;
}

CDataString& CDataString::WriteGuid(const GUID* guid)
{
    static const GUID none{};
    unsigned length = 16;
    AppendField(130, &length, 4, guid ? guid : &none, 16);
    return *this;
}

CDataString& CDataString::WriteAttribute(const CAttribute& value)
{
    int type = value.GetType();
    WriteInt32(type);
    if (CAttribute::IsTextType(type))
        WriteString(value.GetString());
    else
        WriteInt64(value.GetValue());
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Readers

bool CDataString::ReadInt32(int& out)
{
    if (!ExpectTag(1))
        return false;
    memcpy(&out, data_ + readOffset_ + 1, 4);
    readOffset_ += 5;
    return true;
}

bool CDataString::ReadInt64(__int64& out)
{
    if (!ExpectTag(4))
        return false;
    memcpy(&out, data_ + readOffset_ + 1, 8);
    readOffset_ += 9;
    return true;
}

bool CDataString::ReadBool(bool& out)
{
    if (!ExpectTag(2))
        return false;
    out = data_[readOffset_ + 1] != 0;
    readOffset_ += 2;
    return true;
}

bool CDataString::ReadByte(int& out)
{
    if (!ExpectTag(5))
        return false;
    out = data_[readOffset_ + 1];
    readOffset_ += 2;
    return true;
}

bool CDataString::ReadInt16(short& out)
{
    if (PeekTag() == 3) {
        if (!ExpectTag(3))
            return false;
        out = static_cast<short>(data_[readOffset_ + 1]);
        readOffset_ += 2;
        return true;
    }
    if (!ExpectTag(6))
        return false;
    memcpy(&out, data_ + readOffset_ + 1, 2);
    readOffset_ += 3;
    return true;
}

bool CDataString::ReadString(CTString& out)
{
    if (PeekTag() == 129) {
        if (!ExpectTag(129))
            return false;
        unsigned length = ReadU32(data_ + readOffset_ + 1);
        if (length == 0) {
            out.Empty();
        } else {
            // The conversion wants a terminated text.
            char* text = new char[length + 1ull];
            memcpy(text, data_ + readOffset_ + 5, length);
            text[length] = 0;
            out.AssignAnsi(text);
            delete[] text;
        }
        readOffset_ += 5 + length;
        return true;
    }
    if (!ExpectTag(133))
        return false;
    unsigned length = ReadU32(data_ + readOffset_ + 1);
    unsigned chars = length / 2;
    if (chars == 0) {
        out.Empty();
    } else {
        wchar_t* buffer = out.Reserve(chars + 1);
        memcpy(buffer, data_ + readOffset_ + 5, chars * 2ull);
        buffer[chars] = 0;
        out.SetLength(chars);
    }
    readOffset_ += 5 + length;
    return true;
}

bool CDataString::ReadBytes(CTByteArray& out)
{
    if (!ExpectTag(130))
        return false;
    unsigned length = ReadU32(data_ + readOffset_ + 1);
    if (&out == this) {
        CTByteArray copy;
        copy.SetSize(length);
        if (length)
            memcpy(copy.GetData(), data_ + readOffset_ + 5, length);
        readOffset_ += 5 + length;
        out.Assign(copy);
        return true;
    }
    out.SetSize(length);
    if (length)
        memcpy(out.GetData(), data_ + readOffset_ + 5, length);
    readOffset_ += 5 + length;
    return true;
}

CDataString& CDataString::ReadGuid(GUID* out)
{
    if (!out || failed_)
        return *this;
    BYTE bytes[16] = {};
    if (ExpectTag(130)) {
        unsigned length = ReadU32(data_ + readOffset_ + 1);
        memcpy(bytes, data_ + readOffset_ + 5, length < 16 ? length : 16);
        readOffset_ += 5 + length;
    }
    memcpy(out, bytes, 16);
    return *this;
}

CDataString& CDataString::ReadAttribute(CAttribute& out)
{
    if (failed_)
        return *this;
    // Missing parts read as type 0, an empty text or the value 0; the display text is regenerated.
    int type = 0;
    ReadInt32(type);
    if (CAttribute::IsTextType(type)) {
        CTString text;
        ReadString(text);
        out.SetText(type, text);
    } else {
        __int64 value = 0;
        ReadInt64(value);
        out.SetValue(type, value);
    }
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Compression

bool CDataString::Compress()
{
    ClearFailure();
    readOffset_ = 0;
    SeekTag(132);
    unsigned run = readOffset_ < size_ ? readOffset_ : size_;
    if (run <= 9 || run > kMaxExpandedBlock)
        return false;   // too short to gain, or too long to be read back

    CTByteArray packed;
    packed.SetSize(LzoWorstCaseSize(run));
    unsigned packedSize = 0;
    if (!LzoCompress(data_, run, packed.GetData(), &packedSize) || packedSize + 9ull >= run)
        return false;

    unsigned oldSize = size_;
    unsigned blockLength = packedSize + 4;
    data_[0] = 132;
    memcpy(data_ + 1, &blockLength, 4);
    memcpy(data_ + 5, &run, 4);
    memcpy(data_ + 9, packed.GetData(), packedSize);
    memmove(data_ + 9 + packedSize, data_ + run, oldSize - run);
    SetSize(packedSize + 9 + (oldSize - run));
    OnWrite(static_cast<int>(static_cast<long long>(size_) - oldSize));
    return true;
}
