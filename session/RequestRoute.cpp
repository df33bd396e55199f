#include "session/RequestRoute.h"

CDataString& WriteRoute(CDataString& stream, const RequestRoute& route)
{
    stream.Reset();
    stream.WriteInt32(route.targetType);
    stream.WriteInt64(static_cast<__int64>(route.targetKey));
    stream.WriteInt32(route.consoleType);
    stream.WriteInt64(route.consoleKey);
    stream.WriteInt32(route.requestId);
    stream.WriteInt64(route.param2);
    stream.WriteBool(route.silent ? 1 : 0);
    return stream;
}

CDataString& ReadRoute(CDataString& stream, RequestRoute& route)
{
    route = RequestRoute{};
    __int64 key = 0;
    // Each read leaves its field alone when the expected kind is not next, and the failure it
    // records makes every later read do the same.
    stream.ReadInt32(route.targetType);
    if (stream.ReadInt64(key))
        route.targetKey = static_cast<unsigned __int64>(key);
    stream.ReadInt32(route.consoleType);
    stream.ReadInt64(route.consoleKey);
    stream.ReadInt32(route.requestId);
    stream.ReadInt64(route.param2);
    stream.ReadBool(route.silent);
    return stream;
}
