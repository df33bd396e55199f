#include "structure/ProjectCalendarEditing.h"

#include <time.h>
#include <vector>

#include "framework/CTWnd2.h"

namespace CalendarEditing {

__int64 DayOf(const SYSTEMTIME& date)
{
    if (date.wYear < 1900)
        return 0;
    struct tm utc = {};
    utc.tm_year = date.wYear - 1900;
    utc.tm_mon = date.wMonth - 1;
    utc.tm_mday = date.wDay;
    return _mkgmtime64(&utc);
}

SYSTEMTIME DateOf(__int64 day)
{
    SYSTEMTIME out = {};
    __time64_t t = day;
    struct tm utc = {};
    if (_gmtime64_s(&utc, &t) == 0) {
        out.wYear = static_cast<WORD>(utc.tm_year + 1900);
        out.wMonth = static_cast<WORD>(utc.tm_mon + 1);
        out.wDayOfWeek = static_cast<WORD>(utc.tm_wday);
        out.wDay = static_cast<WORD>(utc.tm_mday);
    }
    return out;
}

int OwnRuleIndex(const ProjectCalendar& calendar, __int64 day)
{
    const ProjectCalendar::Rule* rule = calendar.FindDecidingRule(static_cast<time_t>(day));
    if (!rule || (rule->kind != ProjectCalendar::ExcludeDate && rule->kind != ProjectCalendar::IncludeDate))
        return -1;
    return static_cast<int>(rule - calendar.rules.data());
}

bool SetDayChoice(ProjectCalendar& calendar, __int64 day, int kind)
{
    const int own = OwnRuleIndex(calendar, day);
    bool changed = false;
    if (own >= 0) {
        if (kind == ProjectCalendar::None) {
            calendar.rules.erase(calendar.rules.begin() + own);
            changed = true;
        } else if (calendar.rules[own].kind != kind) {
            calendar.rules[own].kind = kind;
            changed = true;
        }
    } else if (kind == ProjectCalendar::ExcludeDate || kind == ProjectCalendar::IncludeDate) {
        ProjectCalendar::Rule rule;
        rule.kind = kind;
        rule.date = day;
        calendar.rules.push_back(rule);
        changed = true;
    }
    calendar.Sort();
    return changed;
}

void FillDayStates(const ProjectCalendar& calendar, const SYSTEMTIME& start, MONTHDAYSTATE* masks, int count)
{
    int year = start.wYear, month = start.wMonth;
    for (int k = 0; k < count; ++k) {
        masks[k] = 0;
        SYSTEMTIME date = {};
        date.wYear = static_cast<WORD>(year);
        date.wMonth = static_cast<WORD>(month);
        date.wDay = 1;
        for (__int64 day = DayOf(date); day != 0; day += 86400) {
            const SYSTEMTIME shown = DateOf(day);
            if (shown.wMonth != month)
                break;
            if (calendar.IsWorkingDay(static_cast<time_t>(day)))
                masks[k] |= 1u << (shown.wDay - 1);
        }
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
}

} // namespace CalendarEditing

void RefreshMonthCalendarDayState(CTWnd2& window)
{
    if (!window.m_hWnd)
        return;
    HWND control = GetDlgItem(window.m_hWnd, 1026);
    if (!control)
        return;
    SYSTEMTIME range[2] = {};
    const int count = static_cast<int>(::SendMessageW(control, MCM_GETMONTHRANGE, GMR_DAYSTATE,
                                                      reinterpret_cast<LPARAM>(range)));
    if (count <= 0)
        return;
    std::vector<MONTHDAYSTATE> masks(static_cast<size_t>(count), 0);
    NMDAYSTATE request = {};
    request.nmhdr.hwndFrom = control;
    request.nmhdr.idFrom = 1026;
    request.nmhdr.code = MCN_GETDAYSTATE;
    // The masks run from the first month the control shows, as the control's own request does.
    request.stStart = range[0];
    request.stStart.wDay = 1;
    request.cDayState = count;
    request.prgDayState = masks.data();
    LRESULT ignored = 0;
    window.OnNotify(1026, &request.nmhdr, &ignored);
    ::SendMessageW(control, MCM_SETDAYSTATE, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(masks.data()));
}
