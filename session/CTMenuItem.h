#pragma once
// A small copyable record of an icon and two numbers its owner sets (the task page of the
// schedule-group form). Each item owns its own icon handle.
#include <windows.h>

class CTMenuItem {
public:
    struct Icon {
        int width = 0;
        int height = 0;
        HICON handle = nullptr;   // owned
    };

    CTMenuItem() = default;
    CTMenuItem(const CTMenuItem& other) { Assign(other); }
    CTMenuItem& operator=(const CTMenuItem& other) { return Assign(other); }
    virtual ~CTMenuItem();

    // Copies the values and takes a copy of other's icon.
    virtual CTMenuItem& Assign(const CTMenuItem& other);
    // Takes ownership of handle, freeing the icon held before.
    void SetIcon(HICON handle, int width, int height);

    Icon icon;
    int value1 = 0;
    int value2 = 0;

private:
    void FreeIcon();
};
