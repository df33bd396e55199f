#include "session/CTMenuItem.h"

CTMenuItem& CTMenuItem::Assign(const CTMenuItem& other)
{
    if (this == &other)
        return *this;
    value1 = other.value1;
    value2 = other.value2;
    icon.Free();
    icon.icon = other.icon.icon ? CopyIcon(other.icon.icon) : nullptr;
    icon.width = other.icon.width;
    icon.height = other.icon.height;
    return *this;
}
