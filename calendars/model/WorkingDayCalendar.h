#pragma once
// The project calendar behind the calendar cache of dated items: each item's "calendar" text is
// read into a ProjectCalendar the first time the cache needs it.
#include "calendars/model/ProjectCalendar.h"
#include "session/CalendarCache.h"

class WorkingDayCalendar : public IWorkingDayCalendar {
public:
    explicit WorkingDayCalendar(const CTString& xml) { m_calendar.ReadXml(xml); }
    int CountWorkingDays(__int64 a, __int64 b) override
    {
        return m_calendar.CountWorkingDays(static_cast<time_t>(a), static_cast<time_t>(b));
    }

private:
    ProjectCalendar m_calendar;
};

// Makes the cache build project calendars; called once at start-up.
void InstallProjectCalendars(CalendarCache& cache);
