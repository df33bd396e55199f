#include "calendars/CalendarWindows.h"
#include "app/WindowCatalogue.h"

void RegisterCalendarWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;
}
