#pragma once
// The bags the server client and the realtime channel hand to their handlers. The server client
// names them DB::DBEvent, DB::Slot and DB::NewObjEvent.
#include "session/TxRx.h"

// A finished transfer, a progress notice or a socket status ({0565DDCE-2B0B-4CE0-B321-E0750021EA1B}).
class DBEvent : public TxRx {
public:
    enum Key : unsigned {
        KeyDownload = 2,        // typed attribute (byte size): bytes received so far
        KeyRequestCount = 3,    // int64: requests in flight or waiting
        KeyBody = 4,            // bytes: the reply body
        KeyRoute = 5,           // bytes: the serialised route (44 bytes)
        KeyPath = 6,            // text: the request path as sent
        KeyHeaders = 7,         // bytes: the raw response header text
        KeyResult = 8,          // int64: 0 for status class 2, 5007 otherwise
        KeyTransportError = 9,  // int64: WinHTTP error of a failed silent transfer; 111 when not connected
        KeySocketStatus = 10,   // the socket status of a "ws_status" notice
    };
    using TxRx::TxRx;
    using TxRx::operator=;
    GUID GetTypeId() const override;
};

// A "slots" message ({82BC26F3-8E76-440B-8C56-69E5F6F67C58}): 1 window id, 2 places used, 3 maximum.
class DBSlot : public TxRx {
public:
    using TxRx::TxRx;
    using TxRx::operator=;
    GUID GetTypeId() const override;
};

// A new directory object ({BF096B8F-99C5-45FC-BC69-3A4E05ED2459}): 1 id, 2 parent, 3 type.
class DBNewObjEvent : public TxRx {
public:
    using TxRx::TxRx;
    using TxRx::operator=;
    GUID GetTypeId() const override;
};
