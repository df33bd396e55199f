#pragma once
#include <windows.h>

class CTString;

// A 16-byte identifier in the Windows GUID layout: the fixed type identifiers of message bags and the
// identifiers stored in tagged records.
class CTGuid {
public:
    CTGuid() = default;
    CTGuid(const GUID& guid) : m_guid(guid) {}
    CTGuid(const CTGuid&) = default;
    CTGuid& operator=(const CTGuid&) = default;
    // A null pointer leaves the value as it was.
    CTGuid& operator=(const GUID* guid)
    {
        if (guid)
            m_guid = *guid;
        return *this;
    }

    void Clear() { m_guid = GUID{}; }
    bool IsNull() const;
    bool Equals(const GUID& other) const;
    operator GUID*() { return &m_guid; }
    operator const GUID*() const { return &m_guid; }

    // Registry form, upper case, no braces (36 characters). A null identifier returns false and
    // leaves out as it was.
    bool ToString(CTString& out) const;

    GUID m_guid{};
};
