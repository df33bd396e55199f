#pragma once
// Where a request's answer goes: a window type and key, optionally a console pane of the main
// window, and the request id the receiver switches on. Copied by value wherever it goes.
#include <windows.h>
#include "foundation/CDataString.h"

struct RequestRoute {
    int targetType = 0;              // 0 the application, 96 the directory cache, 0xffff the main window, 1..54 a window type
    unsigned __int64 targetKey = 0;  // 0 reaches every window of the type
    int consoleType = 0;             // 1000..1067 a console pane; 0 none
    __int64 consoleKey = 0;          // 0 any pane of the console type
    int requestId = 0;
    __int64 param2 = 0;              // the caller's own tag, returned unchanged
    bool silent = false;             // the receiver handles the server's error text itself
};

// The 44-byte record: int32, int64, int32, int64, int32, int64, bool fields in member order.
// WriteRoute resets the stream first. ReadRoute zeroes the route, then reads each field only while
// a field of the expected kind is next; the rest stay 0.
CDataString& WriteRoute(CDataString& stream, const RequestRoute& route);
CDataString& ReadRoute(CDataString& stream, RequestRoute& route);
