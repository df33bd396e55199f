#include "session/CSLItem.h"
#include <cstring>

void CSLItem::Clear()
{
    m_fields.RemoveAll();
    m_data.RemoveAll();
}

void CSLItem::AddEntry(BYTE type, unsigned valueOrOffset)
{
    BYTE* entry = m_fields.Extend(8);
    entry[0] = type;
    entry[1] = m_tag;
    entry[2] = entry[3] = 0;
    memcpy(entry + 4, &valueOrOffset, 4);
}

void CSLItem::AddInt32(int value)
{
    AddEntry(Int32, static_cast<unsigned>(value));
}

void CSLItem::AddInt64(__int64 value)
{
    unsigned offset = m_data.GetSize();
    memcpy(m_data.Extend(8), &value, 8);
    AddEntry(Int64, offset);
}

void CSLItem::AddText(const CTString& text)
{
    unsigned offset = m_data.GetSize();
    unsigned bytes = (text.GetLength() + 1) * 2;
    BYTE* p = m_data.Extend(bytes);
    if (text.GetLength())
        memcpy(p, text.GetBuffer(), text.GetLength() * 2);
    p[bytes - 2] = p[bytes - 1] = 0;
    AddEntry(Utf16, offset);
}

int CSLItem::GetFieldType(unsigned index) const
{
    return index < GetFieldCount() ? m_fields.GetData()[index * 8] : 0;
}

bool CSLItem::GetInt32(unsigned index, int& out) const
{
    if (GetFieldType(index) != Int32)
        return false;
    memcpy(&out, m_fields.GetData() + index * 8 + 4, 4);
    return true;
}

bool CSLItem::GetInt64(unsigned index, __int64& out) const
{
    if (GetFieldType(index) != Int64)
        return false;
    unsigned offset = 0;
    memcpy(&offset, m_fields.GetData() + index * 8 + 4, 4);
    if (static_cast<unsigned long long>(offset) + 8 > m_data.GetSize())
        return false;
    memcpy(&out, m_data.GetData() + offset, 8);
    return true;
}

bool CSLItem::GetText(unsigned index, CTString& out) const
{
    int type = GetFieldType(index);
    if (type != Ansi && type != Utf16)
        return false;
    unsigned offset = 0;
    memcpy(&offset, m_fields.GetData() + index * 8 + 4, 4);
    unsigned size = m_data.GetSize();
    if (offset > size)
        return false;
    const BYTE* p = m_data.GetData() + offset;
    if (type == Ansi) {
        unsigned n = 0;
        while (offset + n < size && p[n]) ++n;
        CTByteArray text;
        memcpy(text.Extend(n + 1), p, n);
        out.AssignAnsi(reinterpret_cast<const char*>(text.GetData()));
        return true;
    }
    // Stored data may be damaged: stop at the end of the area even without a terminator.
    unsigned chars = 0;
    while (offset + chars * 2 + 1 < size && (p[chars * 2] || p[chars * 2 + 1])) ++chars;
    out.Empty();
    if (chars) {
        wchar_t* buffer = out.Reserve(chars + 1);
        memcpy(buffer, p, chars * 2);
        buffer[chars] = 0;
        out.ReleaseBuffer();
    }
    return true;
}

CSLFile::~CSLFile()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
}

bool CSLFile::Close()
{
    bool closed = false;
    if (m_file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(m_file, &size))
            m_size = static_cast<unsigned __int64>(size.QuadPart);
        closed = CloseHandle(m_file) != 0;
        m_file = INVALID_HANDLE_VALUE;
    }
    if (m_writtenThroughTemp) {
        CTString previous(m_name);
        previous.AppendText(L".previous");
        CTString temporary(m_name);
        temporary.AppendText(L".tmpwrite");
        DeleteFileW(previous.GetBuffer());
        MoveFileW(m_name.GetBuffer(), previous.GetBuffer());
        MoveFileW(temporary.GetBuffer(), m_name.GetBuffer());
        m_writtenThroughTemp = false;
    }
    return closed;
}
