#include "calendars/model/DeploymentWin.h"

#include <stdlib.h>

int ApplySlotUpdateToReply(TiXmlDocument& reply, DB::Slot& update)
{
    __int64 id = 0, used = 0, capacity = 0;
    update.GetInt64(1u, id);
    update.GetInt64(2u, used);
    update.GetInt64(3u, capacity);
    TiXmlElement* result = reply.FirstChildElementNamed(L"result");
    if (!result)
        return 0;
    for (TiXmlElement* day = result->FirstChildElementNamed(L"day"); day; day = day->NextSiblingElementNamed(L"day")) {
        const wchar_t* text = day->GetAttribute(L"id");
        if (!text || _wcstoi64(text, nullptr, 10) != id)
            continue;
        day->SetAttributeInt(L"used_days", static_cast<int>(used));
        day->SetAttributeInt(L"max_deployments", static_cast<int>(capacity));
        return static_cast<int>(id);
    }
    return 0;
}
