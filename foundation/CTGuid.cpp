#include "foundation/CTGuid.h"
#include "foundation/CTString.h"
#include <cstring>

bool CTGuid::IsNull() const
{
    static const GUID null{};
    return memcmp(&m_guid, &null, sizeof(GUID)) == 0;
}

bool CTGuid::Equals(const GUID& other) const
{
    return memcmp(&m_guid, &other, sizeof(GUID)) == 0;
}

bool CTGuid::ToString(CTString& out) const
{
    if (IsNull())
        return false;
    const BYTE* b = reinterpret_cast<const BYTE*>(&m_guid);
    out.Format(L"%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X",
               b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6],
               b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return true;
}
