#pragma once
// The identity of a console pane wherever the main window records one: a route whose owner window
// type, owner key, console type and console key are set and whose other fields are zero, so that it
// also serves to cancel the pane's directory requests.
#include "session/RequestRoute.h"

struct PaneKey : RequestRoute {
    PaneKey() = default;
    PaneKey(int ownerType, unsigned __int64 ownerKey, int console, __int64 key)
    {
        targetType = ownerType;
        targetKey = ownerKey;
        consoleType = console;
        consoleKey = key;
    }
};

// Field by field: owner window type, owner key, console type, console key, each as a number.
inline bool operator<(const PaneKey& a, const PaneKey& b)
{
    if (a.targetType != b.targetType) return a.targetType < b.targetType;
    if (a.targetKey != b.targetKey) return a.targetKey < b.targetKey;
    if (a.consoleType != b.consoleType) return a.consoleType < b.consoleType;
    return a.consoleKey < b.consoleKey;
}

inline bool operator==(const PaneKey& a, const PaneKey& b)
{
    return a.targetType == b.targetType && a.targetKey == b.targetKey && a.consoleType == b.consoleType &&
           a.consoleKey == b.consoleKey;
}
