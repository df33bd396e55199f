#pragma once
// The server's time zones, read once after sign-in: names by id, and the ids in reply order, which
// the time-zone choice boxes list by position.
#include <map>
#include <vector>
#include <cwchar>
#include "foundation/CTString.h"

class TiXmlNode;

struct CTStringLess {
    // Ordinal, so that distinct ids never collide.
    bool operator()(const CTString& a, const CTString& b) const
    {
        return wcscmp(a.GetBuffer() ? a.GetBuffer() : L"", b.GetBuffer() ? b.GetBuffer() : L"") < 0;
    }
};

class TimeZoneList {
public:
    // Replaces the list with the first "timezones" element below node.
    void ReadXml(TiXmlNode* node);
    // Position of an id (same length, case-sensitive), -1 when absent.
    int IndexOf(const CTString& zoneId) const;

    std::map<CTString, CTString, CTStringLess> names;   // id -> display name
    std::vector<CTString> ids;                          // reply order; a repeated id is listed twice
};

// The id at that position; -1 (a choice box without selection) and any other position outside the
// list give an empty text.
CTString& GetStringAt(const TimeZoneList& list, CTString& out, int index);
