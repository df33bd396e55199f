#include "foundation/CTTime.h"
#include "foundation/CTString.h"
#include <cwchar>

namespace {

constexpr __int64 kEpochDelta = 11644473600LL;   // seconds from 1601-01-01 to 1970-01-01
constexpr __int64 kTicksPerSecond = 10000000LL;

bool SecondsToSystemTime(__int64 seconds, SYSTEMTIME& out)
{
    // FILETIME holds non-negative 63-bit counts from 1601; keep well inside that.
    if (seconds < -kEpochDelta || seconds > 900000000000LL)
        return false;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>((seconds + kEpochDelta) * kTicksPerSecond);
    FILETIME ft{ticks.LowPart, ticks.HighPart};
    return FileTimeToSystemTime(&ft, &out) != FALSE;
}

bool SystemTimeToSeconds(const SYSTEMTIME& time, __int64& out)
{
    FILETIME ft;
    if (!SystemTimeToFileTime(&time, &ft))
        return false;
    ULARGE_INTEGER ticks{{ft.dwLowDateTime, ft.dwHighDateTime}};
    out = static_cast<__int64>(ticks.QuadPart / kTicksPerSecond) - kEpochDelta;
    return true;
}

// The current zone, asked of the system at most once a minute per thread: without a zone the
// conversions ask for it on every call, a server round trip under Wine, and a list of dated
// rows converts thousands of times.
const TIME_ZONE_INFORMATION* CurrentZone()
{
    struct Cached {
        TIME_ZONE_INFORMATION zone{};
        ULONGLONG at = 0;
        bool valid = false;
    };
    thread_local Cached cached;
    ULONGLONG now = GetTickCount64();
    if (!cached.at || now - cached.at >= 60000) {
        cached.valid = GetTimeZoneInformation(&cached.zone) != TIME_ZONE_ID_INVALID;
        cached.at = now ? now : 1;
    }
    return cached.valid ? &cached.zone : nullptr;
}

bool UtcToLocal(const SYSTEMTIME& utc, SYSTEMTIME& local)
{
    // Uses the daylight-saving rule of the time's own date, not of today.
    return SystemTimeToTzSpecificLocalTime(CurrentZone(), &utc, &local) != FALSE;
}

// Days from 1970-01-01 to year-month-01 of the proleptic Gregorian calendar; month may be out of range.
__int64 DaysFromCivil(__int64 year, __int64 month)
{
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
    if (month <= 0) {
        month += 12;
        year -= 1;
    }
    year -= month <= 2;
    const __int64 era = (year >= 0 ? year : year - 399) / 400;
    const __int64 yoe = year - era * 400;
    const __int64 doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const __int64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Seconds since 1970 of the given fields read on a clock without a zone, carrying over as mktime does.
__int64 FieldSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return (DaysFromCivil(year, month) + day - 1) * 86400LL + hour * 3600LL + minute * 60LL + second;
}

// The UTC instant of local wall-clock fields; 0 when they cannot be converted.
__int64 LocalFieldsToTime(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME local, utc;
    __int64 result;
    if (!SecondsToSystemTime(FieldSeconds(year, month, day, hour, minute, second), local) ||
        !TzSpecificLocalTimeToSystemTime(CurrentZone(), &local, &utc) || !SystemTimeToSeconds(utc, result))
        return 0;
    return result;
}

tm ToTm(const SYSTEMTIME& st)
{
    tm out{};
    out.tm_year = st.wYear - 1900;
    out.tm_mon = st.wMonth - 1;
    out.tm_mday = st.wDay;
    out.tm_hour = st.wHour;
    out.tm_min = st.wMinute;
    out.tm_sec = st.wSecond;
    out.tm_wday = st.wDayOfWeek;
    out.tm_yday = static_cast<int>(DaysFromCivil(st.wYear, st.wMonth) - DaysFromCivil(st.wYear, 1)) + st.wDay - 1;
    out.tm_isdst = -1;
    return out;
}

// Runs a locale formatter twice: once for the length (terminator included), then into the string.
template <typename Call>
void AppendLocaleText(CTString& out, Call call)
{
    int count = call(nullptr, 0);
    if (count <= 0)
        return;
    unsigned length = out.GetLength();
    wchar_t* buffer = out.Reserve(length + count);
    int written = call(buffer + length, count);
    if (written <= 0) {
        buffer[length] = 0;
        return;
    }
    buffer[length + written - 1] = 0;
    out.SetLength(length + written - 1);
}

void AppendDate(CTString& out, const SYSTEMTIME& time)
{
    AppendLocaleText(out, [&](wchar_t* buffer, int size) {
        return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, size);
    });
}

void AppendTime(CTString& out, const SYSTEMTIME& time, DWORD flags)
{
    AppendLocaleText(out, [&](wchar_t* buffer, int size) {
        return GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, buffer, size);
    });
}

void AppendLocaleInfo(CTString& out, LCTYPE type)
{
    AppendLocaleText(out, [&](wchar_t* buffer, int size) {
        return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, size);
    });
}

} // namespace

CTString& FormatUnixDate(const int32_t* t, CTString& out)
{
    out.Empty();
    SYSTEMTIME utc;
    if (SecondsToSystemTime(*t, utc))
        AppendDate(out, utc);
    return out;
}

CTString& FormatUnixTime(const int32_t* t, CTString& out, bool toLocal)
{
    out.Empty();
    SYSTEMTIME utc, local;
    if (!SecondsToSystemTime(*t, utc))
        return out;
    if (!toLocal)
        AppendTime(out, utc, TIME_NOSECONDS);
    else if (UtcToLocal(utc, local))
        AppendTime(out, local, TIME_NOSECONDS);
    return out;
}

CTString& FormatUnixDateTime(const int32_t* t, CTString& out, bool noSeconds)
{
    out.Empty();
    SYSTEMTIME utc, local;
    if (!SecondsToSystemTime(*t, utc) || !UtcToLocal(utc, local))
        return out;
    AppendDate(out, local);
    out.AppendChar(L' ');
    AppendTime(out, local, noSeconds ? TIME_NOSECONDS : 0);
    return out;
}

bool GetLocaleDateTimePattern(bool withTime, CTString& out)
{
    out.Empty();
    AppendLocaleInfo(out, LOCALE_SSHORTDATE);
    if (withTime) {
        if (!out.IsEmpty())
            out.AppendChar(L' ');
        AppendLocaleInfo(out, LOCALE_STIMEFORMAT);
    }
    return true;
}

bool UnixTimeToFileTime(int32_t t, FILETIME* out)
{
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>((static_cast<__int64>(t) + kEpochDelta) * kTicksPerSecond);
    out->dwLowDateTime = ticks.LowPart;
    out->dwHighDateTime = ticks.HighPart;
    return true;
}

CTTime::CTTime(int year, int month, int day, int hour, int minute, int second)
    : m_time(LocalFieldsToTime(year, month, day, hour, minute, second))
{
}

CTTime::CTTime(const FILETIME& fileTime)
{
    // The value is the FILETIME's own instant: a round trip through local wall-clock fields would
    // shift times on the other side of a daylight-saving change by an hour.
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&fileTime, &utc) || !UtcToLocal(utc, local) || local.wYear < 1900)
        return;
    ULARGE_INTEGER ticks{{fileTime.dwLowDateTime, fileTime.dwHighDateTime}};
    m_time = static_cast<__int64>(ticks.QuadPart / kTicksPerSecond) - kEpochDelta;
}

CTTime& CTTime::FromSystemTime(const SYSTEMTIME& time, bool local)
{
    if (time.wYear < 1900)
        m_time = 0;
    else if (local)
        m_time = LocalFieldsToTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
    else
        m_time = FieldSeconds(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
    return *this;
}

bool CTTime::ToSystemTime(SYSTEMTIME& out, bool local) const
{
    SYSTEMTIME utc;
    bool ok = SecondsToSystemTime(m_time, utc) && (!local || UtcToLocal(utc, out));
    if (ok && !local)
        out = utc;
    if (!ok)
        out = SYSTEMTIME{};
    out.wMilliseconds = 0;
    return ok;
}

tm CTTime::GetLocalTm() const
{
    SYSTEMTIME local;
    if (!ToSystemTime(local, true))
        return tm{};
    tm out = ToTm(local);
    // Daylight saving is in force when the offset differs from the zone's standard bias.
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID) {
        __int64 localSeconds = 0;
        SystemTimeToSeconds(local, localSeconds);
        out.tm_isdst = (localSeconds - m_time) != -static_cast<__int64>(zone.Bias) * 60;
    }
    return out;
}

int CTTime::GetMonth() const
{
    return GetLocalTm().tm_mon + 1;
}

int CTTime::GetDay() const
{
    return GetLocalTm().tm_mday;
}

int CTTime::GetDayOfWeek() const
{
    return GetLocalTm().tm_wday + 1;
}

__int64 CTTime::StartOfDay() const
{
    SYSTEMTIME utc;
    if (!SecondsToSystemTime(m_time, utc))
        return 0;
    return LocalFieldsToTime(utc.wYear, utc.wMonth, utc.wDay, 0, 0, 0);
}

CTString& CTTime::FormatGmt(CTString& out) const
{
    out.Empty();
    SYSTEMTIME utc;
    if (!SecondsToSystemTime(m_time, utc) || utc.wYear < 1900)
        return out;
    // "%b", not "%h" (msvcrt rejects it), and a literal zone: "%Z" would name the local zone.
    tm fields = ToTm(utc);
    fields.tm_isdst = 0;
    wchar_t buffer[256];
    size_t n = wcsftime(buffer, 256, L"%A, %d-%b-%y %H:%M:%S GMT ", &fields);
    if (n > 0)
        out.AssignText(buffer);
    return out;
}

CTString& FormatUtcTimeText(const __int64* time, CTString& out)
{
    if (!time) {
        out.Empty();
        return out;
    }
    return CTTime(*time).FormatGmt(out);
}
