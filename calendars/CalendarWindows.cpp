#include "calendars/CalendarWindows.h"
#include "app/WindowCatalogue.h"
#include "calendars/DlgScheduleGroupWin.h"

void RegisterCalendarWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterPane<DlgScheduleGroupWin>(DlgScheduleGroupWin::kConsoleType);
}
