#pragma once
#include <windows.h>
#include "foundation/CTByteArray.h"

class CTString;
class CAttribute;

// The system's binary record: a run of fields, each a one-byte tag and its payload (little-endian).
//   1 int32 (5 bytes)   2 bool (2)   3 one-byte int16 (2)   4 int64 (9)   5 byte, 'a' = section mark (2)
//   6 int16 (3)   129 ANSI text   130 bytes   133 UTF-16 text: u32 byte length + bytes
//   132 LZO1X block: u32 L, u32 expanded size N, L - 4 bytes of compressed fields
//   other tags from 128: u32 length + bytes, skipped by SeekTag; 0 and 7..127 are not defined.
// Writers append at the end. Readers take the field at the read offset when it carries the expected
// tag; otherwise they leave their output alone and set the failure state, after which every read
// does nothing until Reset, Compress or a SeekTag for the failing tag clears it. A compressed block
// met by a reader is expanded in place for good.
//
// The data may come from the server, so no length is trusted: field sizes are computed in 64 bits,
// a field or block must fit in the bytes that remain, and an expansion may produce at most
// kMaxExpandedBlock bytes and not more than LZO1X can yield from the compressed bytes given.
class CDataString : public CTByteArray {
public:
    static constexpr unsigned kMaxExpandedBlock = 256u << 20;
    static constexpr unsigned kNoFailureTag = 129;

    CDataString();
    CDataString(const CDataString& other);
    ~CDataString() override;
    CDataString& operator=(const CDataString& other) { AssignFrom(other); return *this; }

    // Takes the place of RemoveAll: empty data (the block stays), no failure, read offset 0.
    void RemoveAll() override;
    void Reset() { RemoveAll(); }
    virtual bool IsEmpty() const { return size_ == 0; }
    virtual bool IsValid() const { return true; }
    virtual void AssignFrom(const CDataString& other);
    // Called after every change of the data by a writer, an expansion or Compress.
    virtual void OnWrite(int sizeChange);
    // Read offset back to 0; the failure state stays.
    virtual void Rewind() { readOffset_ = 0; }

    // Writers; the bool forms answer true.
    bool WriteInt32(int value);
    bool WriteInt64(__int64 value);
    bool WriteBool(int value);                 // the low byte, unchanged
    bool WriteSectionMark();                   // tag 5 with 'a'
    bool WriteVersion();                       // tag 6 with 1
    bool WriteString(const CTString& text);    // UTF-16
    bool WriteBytes(const CTByteArray& bytes);
    CDataString& WriteText(const wchar_t* text);   // UTF-16; null writes length 0
    CDataString& WriteGuid(const GUID* guid);      // 16 bytes as a byte field
    CDataString& WriteAttribute(const CAttribute& value);

    // Readers answer whether they took a field; on false the output is unchanged.
    bool ReadInt32(int& out);
    bool ReadInt64(__int64& out);
    bool ReadBool(bool& out);
    bool ReadByte(int& out);
    bool ReadInt16(short& out);                // the one-byte form (3) or the two-byte form (6)
    bool ReadString(CTString& out);            // ANSI (129) or UTF-16 (133)
    bool ReadBytes(CTByteArray& out);
    CDataString& ReadGuid(GUID* out);          // zero-padded; 16 zero bytes when no field is there
    CDataString& ReadAttribute(CAttribute& out);

    // Chaining forms of the same operations.
    CDataString& operator<<(int value) { WriteInt32(value); return *this; }
    CDataString& operator<<(__int64 value) { WriteInt64(value); return *this; }
    CDataString& operator<<(bool value) { WriteBool(value); return *this; }
    CDataString& operator<<(const wchar_t* text) { return WriteText(text); }
    CDataString& operator<<(const CTString& text) { WriteString(text); return *this; }
    CDataString& operator<<(const CTByteArray& bytes) { WriteBytes(bytes); return *this; }
    CDataString& operator<<(const CAttribute& value) { return WriteAttribute(value); }
    CDataString& operator>>(int& out) { ReadInt32(out); return *this; }
    CDataString& operator>>(__int64& out) { ReadInt64(out); return *this; }
    CDataString& operator>>(bool& out) { ReadBool(out); return *this; }
    CDataString& operator>>(short& out) { ReadInt16(out); return *this; }
    CDataString& operator>>(CTString& out) { ReadString(out); return *this; }
    CDataString& operator>>(CTByteArray& out) { ReadBytes(out); return *this; }
    CDataString& operator>>(CAttribute& out) { return ReadAttribute(out); }

    // The tag at the read offset (a compressed block there is expanded first); 0 when failed, at
    // the end, or at a block that cannot be expanded.
    int PeekTag();
    // True when the field at the read offset carries tag and fits in the data.
    bool ExpectTag(int tag);
    // Clears a failure recorded for tag, or moves field by field to the next field with tag.
    bool SeekTag(int tag);
    // Replaces the leading run of uncompressed fields with one LZO block when that is smaller.
    bool Compress();

    unsigned GetReadOffset() const { return readOffset_; }
    bool HasFailed() const { return failed_ != 0; }
    int GetFailureTag() const { return failTag_; }
    unsigned GetFailureOffset() const { return failOffset_; }

protected:
    enum class Expansion { NotABlock, Expanded, Corrupt, Malformed };

    // Size of the field at offset, tag byte included; 0 for an undefined tag or a malformed length.
    unsigned long long FieldSize(unsigned offset) const;
    Expansion ExpandAt(unsigned offset);
    bool AppendField(BYTE tag, const void* head, unsigned headSize, const void* body, unsigned bodySize);
    void Fail(int tag);
    void ClearFailure();

    unsigned readOffset_ = 0;
    int failTag_ = kNoFailureTag;
    unsigned failOffset_ = 0;
    BYTE failed_ = 0;
};
