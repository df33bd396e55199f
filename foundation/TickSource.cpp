#include "foundation/TickSource.h"

namespace {
TickSource::Function g_tickSource = nullptr;
}

DWORD TickSource::Now()
{
    return g_tickSource ? g_tickSource() : GetTickCount();
}

TickSource::Function TickSource::Replace(Function function)
{
    Function previous = g_tickSource ? g_tickSource : &GetTickCount;
    g_tickSource = function;
    return previous;
}
