#include "session/TimeZoneList.h"
#include "foundation/TiXmlElement.h"
#include "foundation/TiXmlNode.h"

void TimeZoneList::ReadXml(TiXmlNode* node)
{
    names.clear();
    ids.clear();
    if (!node)
        return;
    TiXmlElement* zones = node->FirstChildElementNamed(L"timezones");
    if (!zones)
        return;
    for (TiXmlElement* zone = zones->FirstChildElementNamed(L"timezone"); zone;
         zone = zone->NextSiblingElementNamed(L"timezone")) {
        const wchar_t* zoneId = zone->GetAttribute(L"id");
        const wchar_t* zoneName = zone->GetAttribute(L"name");
        CTString key(zoneId ? zoneId : L"");
        ids.push_back(key);
        names[key] = CTString(zoneName ? zoneName : L"");
    }
}

int TimeZoneList::IndexOf(const CTString& zoneId) const
{
    for (size_t i = 0; i < ids.size(); ++i)
        if (ids[i].GetLength() == zoneId.GetLength() && ids[i].Compare(zoneId) == 0)
            return static_cast<int>(i);
    return -1;
}

CTString& GetStringAt(const TimeZoneList& list, CTString& out, int index)
{
    if (index >= 0 && static_cast<size_t>(index) < list.ids.size())
        out.Assign(list.ids[index]);
    else
        out.Empty();
    return out;
}
