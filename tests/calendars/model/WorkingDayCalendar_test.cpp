// Due statuses through the calendar cache follow each item's own project calendar.
#include <gtest/gtest.h>

#include "calendars/model/WorkingDayCalendar.h"
#include "foundation/UnixClock.h"
#include "session/DueStatus.h"
#include "session/FakeLookups.h"

namespace {

constexpr __int64 kDay = 86400;
constexpr __int64 kMonday = 1704067200;           // Mon 1 Jan 2024 00:00 UTC
constexpr __int64 kNow = kMonday - 3 * kDay + 36000;   // the Friday before, 10:00

__int64 Now() { return kNow; }

const wchar_t* const kWeekendOff =
    L"<calendar><item type=\"exclude-dow\" date=\"0\" data=\"1\"/>"
    L"<item type=\"exclude-dow\" date=\"0\" data=\"7\"/></calendar>";

Object Task(__int64 id, const wchar_t* calendar)
{
    Object item;
    item.id = id;
    Put(item, L"end_date", CAttribute(CAttribute::Date, kMonday));
    Put(item, L"amber_days", CAttribute(CAttribute::Integer, static_cast<__int64>(1)));
    Put(item, L"completed", CAttribute(CAttribute::Integer, static_cast<__int64>(0)));
    Put(item, L"calendar", CAttribute(CTString(calendar)));
    return item;
}

TEST(WorkingDayCalendar, DueStatusHonoursTheItemsCalendar)
{
    UnixClock::Replace(&Now);
    CalendarCache::Instance().Clear();
    InstallProjectCalendars(CalendarCache::Instance());
    // Friday to Monday: one working day over the weekend off (due soon), three otherwise.
    EXPECT_EQ(GetDueStatus(Task(1, kWeekendOff)), DueSoon);
    EXPECT_EQ(GetDueStatus(Task(2, L"<calendar/>")), DueOnTrack);
    EXPECT_EQ(GetDueStatus(Task(3, L"")), DueOnTrack);
    EXPECT_EQ(CalendarWorkingDays(Task(1, kWeekendOff), kMonday, kNow), 1);
    CalendarCache::Instance().SetFactory(nullptr);
    CalendarCache::Instance().Clear();
    UnixClock::Replace(nullptr);
}

} // namespace
