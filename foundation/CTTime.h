#pragma once
#include <windows.h>
#include <cstdint>
#include <ctime>

class CTString;

// Unix times here are signed 32-bit seconds since 1970-01-01 00:00 UTC, as the server sends dates; the
// functions take the time by address and read only its low 32 bits. Texts are in the user's locale.
// Local time always comes from the Win32 time-zone functions (the C runtime misreads zone names).

// Short date of the UTC calendar day of t (no time-zone shift).
CTString& FormatUnixDate(const int32_t* t, CTString& out);
// Time of day without seconds, in local time when toLocal is true, else on the UTC clock.
CTString& FormatUnixTime(const int32_t* t, CTString& out, bool toLocal);
// Local short date, one blank, local time (without seconds when noSeconds is true).
CTString& FormatUnixDateTime(const int32_t* t, CTString& out, bool noSeconds);
// The user locale's short date pattern, and with withTime a blank and the time pattern.
bool GetLocaleDateTimePattern(bool withTime, CTString& out);
// (t + 11644473600) x 10^7, in 100-nanosecond units since 1601.
bool UnixTimeToFileTime(int32_t t, FILETIME* out);

// The time taken as UTC in the form "%A, %d-%b-%y %H:%M:%S GMT " (with the trailing blank): the
// abbreviated month through "%b", which the C runtime writes where it writes nothing for "%h", and
// the zone named as the UTC it is, not the local zone "%Z" would name. Empty when out of range.
CTString& FormatUtcTimeText(const __int64* time, CTString& out);

// A 64-bit count of seconds since 1970-01-01 00:00 UTC; 0 stands for no time.
class CTTime {
public:
    CTTime() = default;
    CTTime(__int64 time) : m_time(time) {}
    // Local wall-clock time; fields out of range carry over as in mktime (month 13 is January next year).
    CTTime(int year, int month, int day, int hour, int minute, int second);
    // The instant of a FILETIME; 0 when it fails to convert or its local year is before 1900.
    explicit CTTime(const FILETIME& fileTime);
    CTTime(const CTTime&) = default;
    CTTime& operator=(const CTTime&) = default;
    CTTime& operator=(__int64 time)
    {
        m_time = time;
        return *this;
    }
    bool operator<=(const CTTime& other) const { return m_time <= other.m_time; }

    // Sets the value from the fields (milliseconds ignored), read as local time or as UTC.
    // A year before 1900 gives 0.
    CTTime& FromSystemTime(const SYSTEMTIME& time, bool local);
    // Local or UTC broken-down time, milliseconds 0. False (out zeroed) when out of the platform's range.
    bool ToSystemTime(SYSTEMTIME& out, bool local) const;

    int GetMonth() const;        // 1-12, local
    int GetDay() const;          // 1-31, local
    int GetDayOfWeek() const;    // 1-7, 1 = Sunday, local
    tm GetLocalTm() const;       // all zero when out of range

    // Local midnight of the value's UTC calendar day.
    __int64 StartOfDay() const;
    // Internet-style date, e.g. "Thursday, 01-Jan-70 00:00:00 GMT " (with the trailing blank); empty
    // when the value cannot be converted.
    CTString& FormatGmt(CTString& out) const;

    __int64 GetTime() const { return m_time; }

    __int64 m_time = 0;
};
