#pragma once
// Stored item list: one item is four header values, a directory of 8-byte field entries and a data
// area; the file is replaced safely through a temporary file and keeps one previous version.
#include <windows.h>
#include "foundation/CLinkedList.h"
#include "foundation/CTByteArray.h"
#include "foundation/CTString.h"
#include "foundation/CTFileNameString.h"

class CSLItem;

// Anything kept in a stored item list.
class VSLItemBase {
public:
    virtual ~VSLItemBase() = default;
    virtual void WriteTo(CSLItem& item) = 0;
    virtual void ReadFrom(CSLItem& item) = 0;

    int m_header1 = 0;
    int m_header2 = 0;
    int m_header3 = 0;
    __int64 m_header4 = 0;
};

// Field directory entries, little-endian: type byte (3 int32, 4 ANSI text, 6 int64, 8 UTF-16 text),
// tag byte, two unused bytes, then the int32 value itself (type 3) or the value's offset in the
// data area (types 4, 6, 8). Values are appended to the data area in entry order.
class CSLItem : public CLinkedListObject {
public:
    enum FieldType : BYTE { Int32 = 3, Ansi = 4, Int64 = 6, Utf16 = 8 };

    class CFieldData {
    public:
        CTByteArray m_bytes;
    };

    void Clear();
    void AddInt32(int value);
    void AddInt64(__int64 value);
    void AddText(const CTString& text);

    unsigned GetFieldCount() const { return m_fields.GetSize() / 8; }
    int GetFieldType(unsigned index) const;
    bool GetInt32(unsigned index, int& out) const;
    bool GetInt64(unsigned index, __int64& out) const;
    bool GetText(unsigned index, CTString& out) const;   // ANSI or UTF-16

    int m_header1 = 0;
    int m_header2 = 0;
    int m_header3 = 0;
    __int64 m_header4 = 0;
    BYTE m_tag = 0;             // the tag written into new entries
    CTByteArray m_fields;
    CTByteArray m_data;

private:
    void AddEntry(BYTE type, unsigned valueOrOffset);
};

// The file of a stored item list, written under its name + ".tmpwrite".
class CSLFile {
public:
    CSLFile() = default;
    ~CSLFile();
    CSLFile(const CSLFile&) = delete;
    CSLFile& operator=(const CSLFile&) = delete;

    // Closes an open handle (false when none was open); a file written through the temporary
    // name then replaces the file, whose old content moves to name + ".previous".
    bool Close();

    CTFileNameString m_name;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    unsigned __int64 m_size = 0;
    bool m_writtenThroughTemp = false;
};
