#pragma once
// What a window hands the computer picker it opens: whether "not assigned" may be chosen, the model
// and locations to offer, the type and asset-type filters, and the objects the choice is for. The
// opener keeps one record per picker key and copies it into the picker when asked (message 1034).
#include <windows.h>
#include <vector>
#include "foundation/CAttribute.h"
#include "session/Object.h"

struct ComputerChoice {
    BYTE noneAllowed = 0;
    __int64 modelId = 0;
    std::vector<__int64> locationIds;
    int locationId = 0;                            // set by the picker when it creates a computer
    Object::Attribute computerType{MakeInteger()};
    Object::Attribute assetType{MakeInteger()};
    int reserved = 0;
    Object deployment;                             // "deployable_available" lists the models offered
    Object computer;                               // the computer assigned now

    static Object::Attribute MakeInteger()
    {
        Object::Attribute value;
        value.SetValue(CAttribute::Integer, 0);
        return value;
    }
};
