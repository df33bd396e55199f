#pragma once
// One saved server connection, as the connect pane lists it and the registry keeps it under
// "Settings\Connection_%d" (values "Param_0" to "Param_6" in field order).
#include <windows.h>
#include "foundation/CTCryptString.h"
#include "foundation/CTString.h"

class CTRegKey;

struct ServerConnection {
    CTString name;
    CTString server;
    CTString email;
    CTCryptString password;   // the stored (enciphered) form, never the plain text
    bool savePassword = false;
    bool shortcut = false;
    int id = 0;               // position in the list when it was read

    // Keeps plain text only in its enciphered form.
    bool SetPassword(const CTString& plain);
    // The plain text of the saved password; empty when there is none or it cannot be read here.
    CTString& GetPassword(CTString& plain) const;

    // Reads and writes the values of an opened "Connection_%d" key with its running "Param_%d"
    // counter. A missing value leaves the field as it is.
    void Read(CTRegKey& key);
    void Write(CTRegKey& key) const;
};
