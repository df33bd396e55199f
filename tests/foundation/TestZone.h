#pragma once
#include <windows.h>

// The zone the test program runs in: UTC, or Central European Time (TZ=Europe/Berlin) for the second run.
inline bool RunsEastOfUtc()
{
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    return zone.Bias == -60;
}
