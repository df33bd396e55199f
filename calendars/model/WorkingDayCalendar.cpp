#include "calendars/model/WorkingDayCalendar.h"

void InstallProjectCalendars(CalendarCache& cache)
{
    cache.SetFactory([](const CTString& xml) -> std::unique_ptr<IWorkingDayCalendar> {
        return std::make_unique<WorkingDayCalendar>(xml);
    });
}
