#include "session/CTMenuItem.h"

CTMenuItem::~CTMenuItem()
{
    FreeIcon();
}

void CTMenuItem::FreeIcon()
{
    if (icon.handle)
        DestroyIcon(icon.handle);
    icon.handle = nullptr;
}

CTMenuItem& CTMenuItem::Assign(const CTMenuItem& other)
{
    if (this == &other)
        return *this;
    value1 = other.value1;
    value2 = other.value2;
    FreeIcon();
    icon.handle = other.icon.handle ? CopyIcon(other.icon.handle) : nullptr;
    icon.width = other.icon.width;
    icon.height = other.icon.height;
    return *this;
}

void CTMenuItem::SetIcon(HICON handle, int width, int height)
{
    FreeIcon();
    icon.handle = handle;
    icon.width = width;
    icon.height = height;
}
