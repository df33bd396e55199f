#include "structure/StructureClipboard.h"

namespace StructureClipboard {

namespace {

void PutU32(std::vector<BYTE>& out, size_t at, UINT32 value)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<BYTE>(value >> (8 * i));
}

UINT32 GetU32(const BYTE* data)
{
    return static_cast<UINT32>(data[0]) | static_cast<UINT32>(data[1]) << 8 | static_cast<UINT32>(data[2]) << 16 |
           static_cast<UINT32>(data[3]) << 24;
}

} // namespace

std::vector<BYTE> EncodeIds(const std::vector<__int64>& ids)
{
    std::vector<BYTE> out(4 + 4 * ids.size());
    PutU32(out, 0, static_cast<UINT32>(out.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        PutU32(out, 4 + 4 * i, static_cast<UINT32>(static_cast<INT32>(ids[i])));
    return out;
}

CTString IdsText(const std::vector<__int64>& ids)
{
    CTString text;
    for (size_t i = 0; i < ids.size(); ++i) {
        CTString one;
        one.Format(L"ID=%d", static_cast<int>(ids[i]));
        if (i)
            text.AppendText(L",");
        text.Append(one);
    }
    return text;
}

bool DecodeIds(const BYTE* data, size_t available, std::vector<__int64>& ids)
{
    ids.clear();
    if (!data || available < 8)
        return false;
    UINT32 size = GetU32(data);
    if (size < 8 || size % 4 != 0 || size > available)
        return false;
    for (UINT32 at = 4; at < size; at += 4)
        ids.push_back(static_cast<INT32>(GetU32(data + at)));
    return true;
}

} // namespace StructureClipboard
