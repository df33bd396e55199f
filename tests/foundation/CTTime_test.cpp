// Unix-time texts and CTTime conversions, run at UTC and in Central European Time.
// ctest-env: TZ=Europe/Berlin
#include "foundation/CTTime.h"
#include "foundation/CTString.h"
#include "tests/foundation/TestZone.h"
#include <gtest/gtest.h>

namespace {

const wchar_t* Text(const CTString& s)
{
    return s.GetBuffer() ? s.GetBuffer() : L"";
}

constexpr __int64 kJuly2024Noon = 1719835200;   // 2024-07-01 12:00:00 UTC

} // namespace

TEST(UnixTime, DatesAreTheUtcDayInAnyZone)
{
    CTString out;
    int32_t t = 0;
    EXPECT_STREQ(L"01/01/1970", Text(FormatUnixDate(&t, out)));
    t = 86399;
    EXPECT_STREQ(L"01/01/1970", Text(FormatUnixDate(&t, out)));
    t = -1;
    EXPECT_STREQ(L"31/12/1969", Text(FormatUnixDate(&t, out)));
    t = INT32_MIN;
    EXPECT_STREQ(L"13/12/1901", Text(FormatUnixDate(&t, out)));
    t = INT32_MAX;
    EXPECT_STREQ(L"19/01/2038", Text(FormatUnixDate(&t, out)));

    t = 0;
    EXPECT_STREQ(L"00:00", Text(FormatUnixTime(&t, out, false)));
    t = 45296;
    EXPECT_STREQ(L"12:34", Text(FormatUnixTime(&t, out, false)));
}

TEST(UnixTime, LocalTextsFollowTheZoneAndItsSummerTime)
{
    const bool east = RunsEastOfUtc();
    CTString out;
    int32_t t = 86400;
    EXPECT_STREQ(east ? L"02/01/1970 01:00" : L"02/01/1970 00:00", Text(FormatUnixDateTime(&t, out, true)));
    EXPECT_STREQ(east ? L"02/01/1970 01:00:00" : L"02/01/1970 00:00:00", Text(FormatUnixDateTime(&t, out, false)));
    t = 0;
    EXPECT_STREQ(east ? L"01:00" : L"00:00", Text(FormatUnixTime(&t, out, true)));
    t = static_cast<int32_t>(kJuly2024Noon);
    EXPECT_STREQ(east ? L"14:00" : L"12:00", Text(FormatUnixTime(&t, out, true)));
    // Late evening UTC is the next day in Berlin.
    t = 86400 - 1800;
    EXPECT_STREQ(east ? L"02/01/1970 00:30" : L"01/01/1970 23:30", Text(FormatUnixDateTime(&t, out, true)));
}

TEST(UnixTime, PatternsAndFileTimes)
{
    CTString pattern;
    EXPECT_TRUE(GetLocaleDateTimePattern(false, pattern));
    EXPECT_STREQ(L"dd/MM/yyyy", Text(pattern));
    EXPECT_TRUE(GetLocaleDateTimePattern(true, pattern));
    EXPECT_STREQ(L"dd/MM/yyyy HH:mm:ss", Text(pattern));

    FILETIME ft;
    EXPECT_TRUE(UnixTimeToFileTime(0, &ft));
    ULARGE_INTEGER ticks{{ft.dwLowDateTime, ft.dwHighDateTime}};
    EXPECT_EQ(116444736000000000ULL, ticks.QuadPart);
    EXPECT_TRUE(UnixTimeToFileTime(-1, &ft));
    ticks = ULARGE_INTEGER{{ft.dwLowDateTime, ft.dwHighDateTime}};
    EXPECT_EQ(116444736000000000ULL - 10000000ULL, ticks.QuadPart);
}

TEST(CTTime, LocalFieldsGiveTheInstantOfThatWallClock)
{
    const __int64 offset = RunsEastOfUtc() ? 3600 : 0;
    EXPECT_EQ(86400 + 3600 - offset, CTTime(1970, 1, 2, 1, 0, 0).GetTime());
    // Summer time: two hours east of UTC in Berlin.
    EXPECT_EQ(kJuly2024Noon - 2 * offset, CTTime(2024, 7, 1, 12, 0, 0).GetTime());
    // Fields out of range carry over as mktime's do.
    EXPECT_EQ(CTTime(2024, 1, 1, 0, 0, 0).GetTime(), CTTime(2023, 13, 1, 0, 0, 0).GetTime());
    EXPECT_EQ(CTTime(2024, 3, 1, 0, 0, 0).GetTime(), CTTime(2024, 2, 30, 0, 0, 0).GetTime());
}

TEST(CTTime, FileTimesKeepTheirInstant)
{
    FILETIME ft;
    UnixTimeToFileTime(static_cast<int32_t>(kJuly2024Noon), &ft);
    EXPECT_EQ(kJuly2024Noon, CTTime(ft).GetTime());
    UnixTimeToFileTime(86400, &ft);
    EXPECT_EQ(86400, CTTime(ft).GetTime());

    SYSTEMTIME old{1850, 6, 0, 1, 0, 0, 0, 0};
    SystemTimeToFileTime(&old, &ft);
    EXPECT_EQ(0, CTTime(ft).GetTime());
}

TEST(CTTime, SystemTimeConversions)
{
    const bool east = RunsEastOfUtc();
    SYSTEMTIME st{2024, 7, 1, 1, 12, 0, 0, 999};
    CTTime t;
    EXPECT_EQ(kJuly2024Noon, t.FromSystemTime(st, false).GetTime());
    EXPECT_EQ(kJuly2024Noon - (east ? 7200 : 0), t.FromSystemTime(st, true).GetTime());
    st.wYear = 1899;
    EXPECT_EQ(0, t.FromSystemTime(st, false).GetTime());

    SYSTEMTIME out;
    CTTime noon(kJuly2024Noon);
    ASSERT_TRUE(noon.ToSystemTime(out, false));
    EXPECT_EQ(2024, out.wYear);
    EXPECT_EQ(7, out.wMonth);
    EXPECT_EQ(1, out.wDay);
    EXPECT_EQ(1, out.wDayOfWeek);   // Monday
    EXPECT_EQ(12, out.wHour);
    EXPECT_EQ(0, out.wMilliseconds);
    ASSERT_TRUE(noon.ToSystemTime(out, true));
    EXPECT_EQ(east ? 14 : 12, out.wHour);

    // 1970-01-03 23:30 UTC is Saturday the 3rd at UTC and Sunday the 4th in Berlin.
    CTTime lateSaturday(2 * 86400 + 23 * 3600 + 1800);
    EXPECT_EQ(1, lateSaturday.GetMonth());
    EXPECT_EQ(east ? 4 : 3, lateSaturday.GetDay());
    EXPECT_EQ(east ? 1 : 7, lateSaturday.GetDayOfWeek());

    tm summer = noon.GetLocalTm();
    EXPECT_EQ(124, summer.tm_year);
    EXPECT_EQ(east ? 1 : 0, summer.tm_isdst);
    EXPECT_EQ(182, summer.tm_yday);
}

TEST(CTTime, StartOfDayIsLocalMidnightOfTheUtcDay)
{
    const __int64 offset = RunsEastOfUtc() ? 3600 : 0;
    EXPECT_EQ(86400 - offset, CTTime(86400 + 12 * 3600).StartOfDay());
    EXPECT_EQ(86400 - offset, CTTime(86400 + 23 * 3600 + 3599).StartOfDay());
}

TEST(CTTime, FormatGmtNamesGmtAndTheMonth)
{
    // "%h" would give nothing with msvcrt and "%Z" would name the local zone.
    CTString out;
    EXPECT_STREQ(L"Thursday, 01-Jan-70 00:00:00 GMT ", Text(CTTime(0).FormatGmt(out)));
    EXPECT_STREQ(L"Monday, 01-Jul-24 12:00:00 GMT ", Text(CTTime(kJuly2024Noon).FormatGmt(out)));
    out.AssignText(L"stale");
    EXPECT_STREQ(L"", Text(CTTime(-20000000000LL).FormatGmt(out)));

    CTTime a(5), b(6);
    EXPECT_TRUE(a <= b);
    EXPECT_TRUE(a <= a);
    EXPECT_FALSE(b <= a);
    a = 7LL;
    EXPECT_EQ(7, a.GetTime());
}

// The zone is read once and kept; every conversion must still match the system's own, on both
// sides of each summer-time change and in other years than the current one.
TEST(UnixTime, KeptZoneConvertsAsTheSystemDoes)
{
    const int32_t instants[] = {0, 954032400, 972781200, 1711846799, 1711846800, 1729990799, 1729990800,
                                1719835200, 2000000000, INT32_MAX};
    for (int32_t t : instants) {
        SYSTEMTIME utc{}, expected{};
        FILETIME ft;
        ULARGE_INTEGER ticks;
        ticks.QuadPart = static_cast<ULONGLONG>((static_cast<__int64>(t) + 11644473600LL) * 10000000LL);
        ft.dwLowDateTime = ticks.LowPart;
        ft.dwHighDateTime = ticks.HighPart;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &utc));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &expected));
        wchar_t want[32];
        swprintf(want, 32, L"%02u/%02u/%04u %02u:%02u:%02u", expected.wDay, expected.wMonth, expected.wYear,
                 expected.wHour, expected.wMinute, expected.wSecond);
        CTString out;
        EXPECT_STREQ(want, Text(FormatUnixDateTime(&t, out, false))) << t;
    }
}
