#include "session/TxRx.h"
#include "foundation/CAttribute.h"

// Bag record (WriteTxRx): int16 version 1; a 16-byte byte field with the class id; int32 entry
// count; per entry in key order: the key (int32 field, or UTF-16 text field, nothing for an empty
// key), an int32 kind and a byte field holding the payload exactly as it stands.

namespace {

// A reader's failure is sticky; a payload is read from its start with a clean state.
void RewindClean(CDataString& data)
{
    if (data.HasFailed())
        data.SeekTag(data.GetFailureTag());
    data.Rewind();
}

} // namespace

bool TxRxKey::operator<(const TxRxKey& other) const
{
    if (m_kind != other.m_kind)
        return m_kind < other.m_kind;
    if (m_kind == Integer)
        return m_int < other.m_int;
    if (m_kind == Text)
        return lstrcmpW(m_text.GetBuffer() ? m_text.GetBuffer() : L"",
                        other.m_text.GetBuffer() ? other.m_text.GetBuffer() : L"") < 0;
    return false;
}

TxRxValue::TxRxValue(const TxRxValue& other) : m_kind(other.m_kind)
{
    m_data.AssignFrom(other.m_data);
}

TxRxValue& TxRxValue::operator=(const TxRxValue& other)
{
    if (this != &other) {
        m_kind = other.m_kind;
        m_data.AssignFrom(other.m_data);
    }
    return *this;
}

unsigned TxRxValue::AsInt() const
{
    RewindClean(m_data);
    if (m_kind == Attribute) {
        CAttribute value(CAttribute::Text, L"");
        m_data.ReadAttribute(value);
        return CAttribute::IsTextType(value.GetType()) ? 0 : static_cast<unsigned>(value.GetValue());
    }
    if (m_kind == Int64) {
        __int64 value = 0;
        m_data.ReadInt64(value);
        return static_cast<unsigned>(value);
    }
    return 0;
}

CTString TxRxValue::AsText() const
{
    CTString text;
    if (m_kind == String) {
        RewindClean(m_data);
        m_data.ReadString(text);
    }
    return text;
}

TxRx::TxRx(const TxRx& other)
{
    Clear();
    m_map = other.m_map;
}

TxRx& TxRx::Assign(const TxRx& other)
{
    Clear();
    if (this != &other)
        m_map = other.m_map;
    return *this;
}

void TxRx::SetBytes(const TxRxKey& key, const CTByteArray& bytes)
{
    Remove(key);
    TxRxValue& value = m_map[key];
    value.m_kind = TxRxValue::Bytes;
    value.m_data.WriteBytes(bytes);
}

void TxRx::SetText(const TxRxKey& key, const CTString& text)
{
    Remove(key);
    TxRxValue& value = m_map[key];
    value.m_kind = TxRxValue::String;
    value.m_data.WriteString(text);
}

void TxRx::SetAttribute(const TxRxKey& key, const CAttribute& attribute)
{
    Remove(key);
    TxRxValue& value = m_map[key];
    value.m_kind = TxRxValue::Attribute;
    value.m_data.WriteAttribute(attribute);
}

void TxRx::SetInt64(const TxRxKey& key, unsigned __int64 number)
{
    Remove(key);
    TxRxValue& value = m_map[key];
    value.m_kind = TxRxValue::Int64;
    value.m_data.WriteInt64(static_cast<__int64>(number));
}

void TxRx::SwapBytes(const TxRxKey& key, CTByteArray& bytes)
{
    TxRxValue& value = m_map[key];
    value.m_kind = TxRxValue::Bytes;
    value.m_data.Swap(bytes);
    value.m_data.Rewind();
}

bool TxRx::GetBytes(const TxRxKey& key, CTByteArray& out)
{
    auto it = m_map.find(key);
    if (it == m_map.end() || it->second.m_kind != TxRxValue::Bytes)
        return false;
    RewindClean(it->second.m_data);
    it->second.m_data.ReadBytes(out);
    return true;
}

bool TxRx::GetInt(const TxRxKey& key, unsigned& out)
{
    __int64 value = 0;
    if (!GetInt64(key, value))
        return false;
    out = static_cast<unsigned>(value);
    return true;
}

bool TxRx::GetInt64(const TxRxKey& key, __int64& out)
{
    auto it = m_map.find(key);
    if (it == m_map.end() || it->second.m_kind != TxRxValue::Int64)
        return false;
    out = 0;
    RewindClean(it->second.m_data);
    it->second.m_data.ReadInt64(out);
    return true;
}

CDataString& WriteTxRx(CDataString& stream, const TxRx& bag)
{
    stream.WriteVersion();
    GUID id = bag.GetTypeId();
    stream.WriteGuid(&id);
    stream.WriteInt32(static_cast<int>(bag.m_map.size()));
    for (const auto& [key, value] : bag.m_map) {
        if (key.m_kind == TxRxKey::Integer)
            stream.WriteInt32(static_cast<int>(key.m_int));
        else if (key.m_kind == TxRxKey::Text)
            stream.WriteString(key.m_text);
        stream.WriteInt32(value.m_kind);
        stream.WriteBytes(value.m_data);
    }
    return stream;
}

CDataString& ReadTxRx(CDataString& stream, TxRx& bag)
{
    bag.Clear();
    short version = 0;
    if (stream.PeekTag() == 6 || stream.PeekTag() == 3)
        stream.ReadInt16(version);
    if (version != 0 && version != 1)
        return stream;
    GUID id{};
    stream.ReadGuid(&id);
    int count = 0;
    stream.ReadInt32(count);
    bag.AcceptTypeId(id);
    for (int i = 0; i < count && !stream.HasFailed(); ++i) {
        TxRxKey key(0u);
        int tag = stream.PeekTag();
        if (tag == 1) {
            int number = 0;
            stream.ReadInt32(number);
            key = TxRxKey(static_cast<unsigned>(number));
        } else if (tag == 133 || tag == 129) {
            CTString text;
            stream.ReadString(text);
            key = TxRxKey(text);
        }
        TxRxValue& value = bag.At(key);
        int kind = 0;
        stream.ReadInt32(kind);
        value.m_kind = kind;
        CTByteArray payload;
        if (stream.ReadBytes(payload)) {
            value.m_data.Reset();
            value.m_data.Swap(payload);
        }
    }
    return stream;
}
