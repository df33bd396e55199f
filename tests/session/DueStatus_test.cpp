// Due statuses of dated items against a pinned clock and a counting calendar, the combined status
// of several items, and the calendar cache.
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "foundation/UnixClock.h"
#include "session/CalendarCache.h"
#include "session/DueStatus.h"
#include "FakeLookups.h"

namespace {

const __int64 kNow = 1773136800;   // 2026-03-10 10:00 UTC, a Tuesday
const __int64 kDay = 86400;

__int64 Now() { return kNow; }

// Mondays to Fridays; counts the calendars it builds.
class WeekdayCalendar : public IWorkingDayCalendar {
public:
    int CountWorkingDays(__int64 a, __int64 b) override
    {
        int sign = a >= b ? 1 : -1;
        __int64 from = a >= b ? b : a, to = a >= b ? a : b;
        int count = 0;
        for (__int64 t = from + kDay; t <= to; t += kDay) {
            int weekday = static_cast<int>(((t / kDay) + 4) % 7);   // 0 Sunday
            if (weekday != 0 && weekday != 6)
                ++count;
        }
        return sign * count;
    }
};

struct Fixture {
    int built = 0;
    Fixture()
    {
        UnixClock::Replace(&Now);
        CalendarCache::Instance().Clear();
        CalendarCache::Instance().SetFactory([this](const CTString&) {
            ++built;
            return std::make_unique<WeekdayCalendar>();
        });
    }
    ~Fixture()
    {
        UnixClock::Replace(nullptr);
        CalendarCache::Instance().SetFactory(nullptr);
        CalendarCache::Instance().Clear();
    }
};

Object Item(__int64 id, CAttribute end, CAttribute amber, __int64 completed)
{
    Object item;
    item.id = id;
    Put(item, L"end_date", end);
    Put(item, L"amber_days", amber);
    Put(item, L"completed", CAttribute(CAttribute::Integer, completed));
    Put(item, L"calendar", CAttribute(CTString(L"<calendar/>")));
    return item;
}

CAttribute Date(__int64 t) { return CAttribute(CAttribute::Date, t); }
CAttribute Days(__int64 n) { return CAttribute(CAttribute::Integer, n); }

} // namespace

TEST(DueStatus, Table)
{
    Fixture fixture;
    struct Case {
        const char* name;
        CAttribute end, amber;
        __int64 completed;
        int status;
    } cases[] = {
        {"no end date", Days(0), Days(3), 0, 1},
        {"no end date, done", Days(0), Days(3), 1, 2},
        {"done although overdue", Date(kNow - kDay), Days(3), 1, 2},
        {"overdue with a long amber period", Date(kNow - kDay), Days(100), 0, 4},
        {"overdue without an amber period", Date(kNow - kDay), Days(0), 0, 4},
        {"overdue at the end itself", Date(kNow), Days(0), 0, 4},
        {"amber as text is none", Date(kNow - 1), CAttribute(CTString(L"5")), 0, 4},
        // Friday 10:00 is 3 working days away; Monday 10:00 is 4 (the weekend does not count).
        {"within amber", Date(kNow + 3 * kDay), Days(3), 0, 3},
        {"beyond amber in working days", Date(kNow + 6 * kDay), Days(3), 0, 1},
        {"amber counts working days", Date(kNow + 6 * kDay), Days(4), 0, 3},
        {"future without amber", Date(kNow + kDay), Days(0), 0, 1},
    };
    __int64 id = 1;
    for (const Case& c : cases)
        EXPECT_EQ(c.status, GetDueStatus(Item(id++, c.end, c.amber, c.completed))) << c.name;
}

TEST(DueStatus, Combined)
{
    Fixture fixture;
    Object done = Item(1, Date(kNow + kDay), Days(0), 1);
    Object onTrack = Item(2, Date(kNow + 9 * kDay), Days(1), 0);
    Object soon = Item(3, Date(kNow + kDay), Days(2), 0);
    Object overdue = Item(4, Date(kNow - kDay), Days(0), 0);
    EXPECT_EQ(1, GetCombinedDueStatus({}));
    EXPECT_EQ(1, GetCombinedDueStatus({done, done, onTrack}));
    EXPECT_EQ(2, GetCombinedDueStatus({done, done, done}));
    EXPECT_EQ(3, GetCombinedDueStatus({onTrack, soon}));
    EXPECT_EQ(4, GetCombinedDueStatus({done, overdue, soon}));
}

TEST(DueStatus, CalendarsAreBuiltOncePerItemUntilCleared)
{
    Fixture fixture;
    Object item = Item(9, Date(kNow + 3 * kDay), Days(3), 0);
    EXPECT_EQ(3, CalendarWorkingDays(item, kNow + 3 * kDay, kNow));
    EXPECT_EQ(-3, CalendarWorkingDays(item, kNow, kNow + 3 * kDay));
    GetDueStatus(item);
    EXPECT_EQ(1, fixture.built);
    CalendarCache::Instance().Clear();
    GetDueStatus(item);
    EXPECT_EQ(2, fixture.built);

    // Without a calendar factory every day is a working day.
    CalendarCache::Instance().SetFactory(nullptr);
    CalendarCache::Instance().Clear();
    EXPECT_EQ(6, CalendarWorkingDays(item, kNow + 6 * kDay, kNow));
}
