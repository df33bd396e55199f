#pragma once
#include <windows.h>

// Tells whether more than an interval has passed since its start tick, restarting itself when it has:
// the report list's change highlight (1000 ms) and the server client's download notices (200 ms).
class CTTickTimer {
public:
    CTTickTimer();
    void SetInterval(DWORD milliseconds) { m_interval = milliseconds; }
    void Assign(const CTTickTimer& other)
    {
        m_start = other.m_start;
        m_interval = other.m_interval;
    }
    // True, and restarted, when more than the interval has passed since the start.
    bool Elapsed();

    DWORD m_start = 0;        // tick count (TickSource::Now)
    DWORD m_interval = 1000;  // milliseconds
};
