#pragma once
// Editing a unit's working-day calendar in a month-calendar control: the day's own rule, the
// Default / Include / Exclude choice for one day, and the bold-day masks the control asks for.
// Day values are 00:00 UTC of the date; the weekday of a day is that of its UTC date, as
// ProjectCalendar has it, so bold days and working-day counts agree in every time zone.
#include <windows.h>
#include <commctrl.h>

#include "calendars/model/ProjectCalendar.h"

class CTWnd2;

namespace CalendarEditing {

// A date as a day value; 0 for a year before 1900.
__int64 DayOf(const SYSTEMTIME& date);
SYSTEMTIME DateOf(__int64 day);

// The index of the rule that applies to the day when it is a one-day rule (include or exclude
// that date), else -1: no rule, or a weekday rule, applies.
int OwnRuleIndex(const ProjectCalendar& calendar, __int64 day);

// Default (kind 0), Include (4) or Exclude (3) for one day: changes or removes the day's own rule,
// or appends one when the day has none; weekday rules stay. Sorts the rules; true when changed.
bool SetDayChoice(ProjectCalendar& calendar, __int64 day, int kind);

// Bold-day masks as a day-state request asks for them: mask k belongs to the k-th month from the
// start's month, bit d-1 to its day d, set when the day counts.
void FillDayStates(const ProjectCalendar& calendar, const SYSTEMTIME& start, MONTHDAYSTATE* masks, int count);

} // namespace CalendarEditing

// Makes month calendar 1026 of the window ask the window for its day states (its own OnNotify
// answers a made-up MCN_GETDAYSTATE starting at the range's first month) and shows them.
void RefreshMonthCalendarDayState(CTWnd2& window);
