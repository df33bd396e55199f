#include "foundation/CTTickTimer.h"
#include "foundation/TickSource.h"

CTTickTimer::CTTickTimer() : m_start(TickSource::Now())
{
}

bool CTTickTimer::Elapsed()
{
    DWORD now = TickSource::Now();
    // The difference, not start + interval, so that the answer stays right when the tick count wraps
    // (every 49.7 days).
    if (now - m_start <= m_interval)
        return false;
    m_start = now;
    return true;
}
