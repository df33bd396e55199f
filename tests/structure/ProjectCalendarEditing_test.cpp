// ctest-env: TZ=Pacific/Auckland
// ctest-env: TZ=America/Los_Angeles
// The unit's calendar editor: bold-day masks per shown month, the day's own rule, and the
// Default / Include / Exclude choice, the same east and west of UTC.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <vector>

#include "framework/CTWnd2.h"
#include "structure/ProjectCalendarEditing.h"

namespace {

using namespace CalendarEditing;

SYSTEMTIME Date(int year, int month, int day)
{
    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    return date;
}

__int64 Day(int year, int month, int day)
{
    return DayOf(Date(year, month, day));
}

ProjectCalendar::Rule Rule(int kind, __int64 date, __int64 data = 0)
{
    ProjectCalendar::Rule rule;
    rule.kind = kind;
    rule.date = date;
    rule.data = data;
    return rule;
}

MONTHDAYSTATE Bits(std::initializer_list<int> days)
{
    MONTHDAYSTATE mask = 0;
    for (int day : days)
        mask |= 1u << (day - 1);
    return mask;
}

constexpr MONTHDAYSTATE kAllFeb = 0x0FFFFFFF, kAll31 = 0x7FFFFFFF, kAll30 = 0x3FFFFFFF;
constexpr int kSunday = 1;

TEST(ProjectCalendarEditing, DayValuesAreUtcDates)
{
    EXPECT_EQ(1772323200, Day(2026, 3, 1));
    EXPECT_EQ(0, Day(1899, 12, 31));
    const SYSTEMTIME back = DateOf(1772323200);
    EXPECT_EQ(2026, back.wYear);
    EXPECT_EQ(3, back.wMonth);
    EXPECT_EQ(1, back.wDay);
    EXPECT_EQ(0, back.wDayOfWeek);   // a Sunday
}

TEST(ProjectCalendarEditing, MasksMarkTheCountedDaysOfEachShownMonth)
{
    // February to April 2026; 1 March 2026 is a Sunday.
    struct Case {
        const char* name;
        std::vector<ProjectCalendar::Rule> rules;
        MONTHDAYSTATE masks[3];
    } cases[] = {
        {"an empty calendar counts every day", {}, {kAllFeb, kAll31, kAll30}},
        {"a weekday rule holds from its date on",
         {Rule(ProjectCalendar::ExcludeDow, Day(2026, 3, 1), kSunday)},
         {kAllFeb, kAll31 & ~Bits({1, 8, 15, 22, 29}), kAll30 & ~Bits({5, 12, 19, 26})}},
        {"a one-day include overrides the weekday rule",
         {Rule(ProjectCalendar::ExcludeDow, 0, kSunday), Rule(ProjectCalendar::IncludeDate, Day(2026, 3, 8))},
         {kAllFeb & ~Bits({1, 8, 15, 22}), kAll31 & ~Bits({1, 15, 22, 29}), kAll30 & ~Bits({5, 12, 19, 26})}},
        {"the last matching rule decides",
         {Rule(ProjectCalendar::IncludeDate, Day(2026, 4, 2)), Rule(ProjectCalendar::ExcludeDate, Day(2026, 4, 2))},
         {kAllFeb, kAll31, kAll30 & ~Bits({2})}},
        {"days after a daylight-saving change keep their one-day rules",
         {Rule(ProjectCalendar::ExcludeDate, Day(2026, 3, 9)), Rule(ProjectCalendar::ExcludeDate, Day(2026, 3, 30)),
          Rule(ProjectCalendar::ExcludeDate, Day(2026, 4, 6))},
         {kAllFeb, kAll31 & ~Bits({9, 30}), kAll30 & ~Bits({6})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProjectCalendar calendar;
        calendar.rules = c.rules;
        MONTHDAYSTATE masks[3] = {1, 1, 1};
        FillDayStates(calendar, Date(2026, 2, 1), masks, 3);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(c.masks[k], masks[k]) << "month " << k;
    }
    // A range over the turn of the year, as many masks as asked for.
    ProjectCalendar empty;
    MONTHDAYSTATE masks[2] = {};
    FillDayStates(empty, Date(2026, 12, 1), masks, 2);
    EXPECT_EQ(kAll31, masks[0]);
    EXPECT_EQ(kAll31, masks[1]);
}

TEST(ProjectCalendarEditing, TheDayChoiceAddsChangesAndRemovesOnlyOneDayRules)
{
    ProjectCalendar calendar;
    calendar.rules = {Rule(ProjectCalendar::ExcludeDow, 0, kSunday)};
    const __int64 sunday = Day(2026, 3, 15);
    EXPECT_EQ(-1, OwnRuleIndex(calendar, sunday));   // only the weekday rule covers it
    EXPECT_TRUE(SetDayChoice(calendar, sunday, ProjectCalendar::IncludeDate));
    ASSERT_EQ(2u, calendar.rules.size());
    const int own = OwnRuleIndex(calendar, sunday);
    ASSERT_GE(own, 0);
    EXPECT_EQ(ProjectCalendar::IncludeDate, calendar.rules[own].kind);
    EXPECT_TRUE(calendar.IsWorkingDay(static_cast<time_t>(sunday)));
    // Exclude turns the same rule round.
    EXPECT_TRUE(SetDayChoice(calendar, sunday, ProjectCalendar::ExcludeDate));
    ASSERT_EQ(2u, calendar.rules.size());
    EXPECT_FALSE(calendar.IsWorkingDay(static_cast<time_t>(sunday)));
    // Default removes it; a second Default changes nothing and keeps the weekday rule.
    EXPECT_TRUE(SetDayChoice(calendar, sunday, ProjectCalendar::None));
    EXPECT_EQ(1u, calendar.rules.size());
    EXPECT_FALSE(SetDayChoice(calendar, sunday, ProjectCalendar::None));
    ASSERT_EQ(1u, calendar.rules.size());
    EXPECT_EQ(ProjectCalendar::ExcludeDow, calendar.rules[0].kind);
    // Exclude on a day the weekday rule covers appends an exclude-date rule; rules stay sorted.
    EXPECT_TRUE(SetDayChoice(calendar, Day(2026, 3, 22), ProjectCalendar::ExcludeDate));
    EXPECT_TRUE(SetDayChoice(calendar, Day(2026, 3, 10), ProjectCalendar::ExcludeDate));
    ASSERT_EQ(3u, calendar.rules.size());
    EXPECT_EQ(Day(2026, 3, 10), calendar.rules[1].date);
    EXPECT_EQ(Day(2026, 3, 22), calendar.rules[2].date);
}

// A window whose month calendar asks it for day states, as a page does.
class CalendarHost : public CTWnd2 {
public:
    int requests = 0;
    int count = 0;
    SYSTEMTIME start = {};
    ProjectCalendar calendar;
    bool OnNotify(WPARAM, NMHDR* hdr, LRESULT* result) override
    {
        if (!hdr || hdr->idFrom != 1026 || hdr->code != MCN_GETDAYSTATE)
            return false;
        auto* request = reinterpret_cast<NMDAYSTATE*>(hdr);
        ++requests;
        count = request->cDayState;
        start = request->stStart;
        FillDayStates(calendar, request->stStart, request->prgDayState, request->cDayState);
        *result = 0;
        return true;
    }
};

TEST(ProjectCalendarEditing, TheControlGetsAMaskForEveryMonthItReports)
{
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_DATE_CLASSES};
    InitCommonControlsEx(&init);
    CalendarHost host;
    host.m_hWnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host.m_hWnd);
    HWND control = CreateWindowExW(0, MONTHCAL_CLASSW, L"", WS_CHILD | WS_VISIBLE | MCS_DAYSTATE, 0, 0, 400, 300,
                                   host.m_hWnd, reinterpret_cast<HMENU>(1026), nullptr, nullptr);
    ASSERT_NE(nullptr, control);
    SYSTEMTIME selected = Date(2026, 3, 15);
    ::SendMessageW(control, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&selected));
    host.calendar.rules = {Rule(ProjectCalendar::ExcludeDow, 0, kSunday)};
    SYSTEMTIME range[2] = {};
    const int reported = static_cast<int>(::SendMessageW(control, MCM_GETMONTHRANGE, GMR_DAYSTATE,
                                                         reinterpret_cast<LPARAM>(range)));
    ASSERT_GT(reported, 0);
    RefreshMonthCalendarDayState(host);
    EXPECT_EQ(1, host.requests);
    EXPECT_EQ(reported, host.count);
    EXPECT_EQ(range[0].wYear, host.start.wYear);
    EXPECT_EQ(range[0].wMonth, host.start.wMonth);
    EXPECT_EQ(1, host.start.wDay);
    DestroyWindow(host.m_hWnd);
    host.m_hWnd = nullptr;
}

} // namespace
