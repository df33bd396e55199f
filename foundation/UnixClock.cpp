#include "foundation/UnixClock.h"

namespace {

UnixClock::Function g_clock = nullptr;

__int64 SystemNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value{};
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    return (static_cast<__int64>(value.QuadPart) - 116444736000000000LL) / 10000000LL;
}

} // namespace

__int64 UnixClock::Now()
{
    return g_clock ? g_clock() : SystemNow();
}

UnixClock::Function UnixClock::Replace(Function function)
{
    Function previous = g_clock ? g_clock : &SystemNow;
    g_clock = function;
    return previous;
}
