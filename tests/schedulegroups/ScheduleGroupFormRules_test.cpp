// The schedule-group form's rules that need no server: task end dates moved before a new T0 by
// weeks or working days, the picked day kept at 00:00 UTC in any time zone, the inherited-value
// toggle, and the header subtitle.
// ctest-env: TZ=EST5
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "calendars/model/ProjectCalendar.h"
#include "schedulegroups/DlgScheduleGroupDlgDefaultsPage.h"
#include "schedulegroups/DlgScheduleGroupDlgT0Page.h"

namespace {

using T0Page = DlgScheduleGroupDlg::CT0Page;

constexpr __int64 kDay = 86400;
constexpr __int64 kT0 = 1773100800;   // Tuesday 2026-03-10 00:00 UTC
constexpr __int64 kGroup = 52;

Object::Attribute& Put(Object& object, int id, const wchar_t* name, const CAttribute& value, DWORD flags = 0)
{
    Object::Attribute& attribute = object.attributes[id];
    attribute.Assign(value);
    attribute.name = name;
    attribute.flags = flags;
    return attribute;
}

Object Task(__int64 id, __int64 parent, __int64 tDate, __int64 display, __int64 end)
{
    Object task;
    task.id = id;
    task.parent = parent;
    Put(task, 110, L"end_date", CAttribute(CAttribute::Date, end));
    Put(task, 134, L"T_date", CAttribute(CAttribute::Integer, tDate));
    Put(task, 136, L"dashboard_display", CAttribute(CAttribute::Integer, display));
    return task;
}

__int64 EndOf(const Object& task)
{
    CAttribute end;
    task.GetAttribute(end, CTString(L"end_date"));
    return end.GetValue();
}

TEST(ScheduleGroupT0, TasksMoveBeforeTheNewT0)
{
    const __int64 old = 1000;
    const wchar_t* weekend = L"<calendar><item type=\"exclude-dow\" date=\"0\" data=\"1\" />"
                             L"<item type=\"exclude-dow\" date=\"0\" data=\"7\" /></calendar>";
    struct Case {
        const char* name;
        bool weeks;
        const wchar_t* calendar;
        __int64 tDate;
        __int64 display;
        __int64 parent;
        __int64 end;   // expected
    } cases[] = {
        {"weeks", true, L"", 2, 1, kGroup, kT0 - 2 * 7 * kDay},
        {"working days, empty calendar", false, L"", 3, 1, kGroup, kT0 - 3 * kDay},
        {"working days over a weekend", false, weekend, 3, 1, kGroup, kT0 - 5 * kDay},   // Tue -> Thu before
        {"no working days", false, weekend, 0, 1, kGroup, kT0},
        {"after T0 by working days", false, weekend, -4, 1, kGroup, kT0 + 6 * kDay},     // Tue -> Mon after
        {"not on the dashboard", true, L"", 2, 0, kGroup, old},
        {"a slot of the group's window", true, L"", 2, 1, 262, old},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ObjectBranch group;
        group.id = kGroup;
        group.children.push_back(Task(400, c.parent, c.tDate, c.display, old));
        ProjectCalendar calendar;
        calendar.ReadXml(CTString(c.calendar));
        T0Page::MoveTaskEndDates(group, kT0, c.weeks, calendar);
        EXPECT_EQ(c.end, EndOf(group.children[0]));
        EXPECT_EQ(c.end != old, group.children[0].IsAttributeDirty(CTString(L"end_date")));
    }
}

TEST(ScheduleGroupT0, ThePickedDayIsKeptAtMidnightUtc)
{
    // The zone of this run (UTC, or five hours west of it) must not move the day.
    for (__int64 day : {kT0, kT0 + 4 * kDay, static_cast<__int64>(946684800) /* 2000-01-01 */}) {
        SYSTEMTIME shown = T0Page::DayToSystemTime(day);
        SYSTEMTIME picked = shown;
        picked.wHour = 17;   // a calendar answers the day with the time of its own
        picked.wMinute = 42;
        EXPECT_EQ(day, T0Page::SystemTimeToDay(picked));
    }
    SYSTEMTIME tuesday = T0Page::DayToSystemTime(kT0);
    EXPECT_EQ(2026, tuesday.wYear);
    EXPECT_EQ(3, tuesday.wMonth);
    EXPECT_EQ(10, tuesday.wDay);
    EXPECT_EQ(2, tuesday.wDayOfWeek);
}

TEST(ScheduleGroupDefaults, TheToggleResetsOrTakesOverTheValue)
{
    struct Case {
        const char* name;
        int state;
        DWORD flags;
        bool store;
        bool reset;
        bool ownNow;
    } cases[] = {
        {"pressed on an own value", 1, Object::Attribute::Inherit, false, true, false},
        {"pressed on an inherited value", 1, Object::Attribute::Inherit | Object::Attribute::Default, false, false, false},
        {"released on an inherited value", 0, Object::Attribute::Inherit | Object::Attribute::Default, true, false, true},
        {"released on an own value", 0, Object::Attribute::Inherit, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Object group;
        group.id = kGroup;
        Put(group, 170, L"time_zone", CAttribute(CAttribute::Integer, 3ll), c.flags);
        EXPECT_EQ(c.store, ApplyDefaultToggle(c.state, group, CTString(L"time_zone")));
        CAttributes form;
        group.CollectChanges(form, false);
        bool sentDelete = form.Find(CTString(L"ATTRIBIDDEL_170")) != nullptr;
        EXPECT_EQ(c.reset, sentDelete);
        EXPECT_EQ(c.ownNow, !group.IsAttributeDefault(CTString(L"time_zone")));
    }
}

TEST(ScheduleGroupForm, SubtitleNamesIdAndDates)
{
    Object group;
    group.id = 7;
    EXPECT_STREQ(L"ID: 7  Created:  Updated: ", DlgScheduleGroupDlg::BuildSubtitle(group).GetBuffer());
    group.id = 12;
    group.created = CAttribute(CTString(L"01/02/2026"));
    group.updated = CAttribute(CTString(L"03/02/2026"));
    EXPECT_STREQ(L"ID: 12  Created: 01/02/2026 Updated: 03/02/2026", DlgScheduleGroupDlg::BuildSubtitle(group).GetBuffer());
}

} // namespace
