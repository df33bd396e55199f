#pragma once
// A small copyable record of an icon and two numbers its owner sets (the task page of the
// schedule-group form). Each item owns its own icon handle.
#include <windows.h>
#include "framework/CTIcon.h"

class CTMenuItem {
public:
    CTMenuItem() = default;
    CTMenuItem(const CTMenuItem& other) { Assign(other); }
    CTMenuItem& operator=(const CTMenuItem& other) { return Assign(other); }
    virtual ~CTMenuItem() = default;   // the icon frees its handle

    // Copies the values, frees its own icon and takes a copy of other's with other's size.
    virtual CTMenuItem& Assign(const CTMenuItem& other);

    CTIcon icon;
    int value1 = 0;
    int value2 = 0;
};
