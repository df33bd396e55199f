#include "calendars/CalendarWindows.h"
#include "app/WindowCatalogue.h"
#include "calendars/DlgScheduleGroupWin.h"
#include "calendars/DlgScheduleGroupWinAddSlot.h"

void RegisterCalendarWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterPane<DlgScheduleGroupWin>(DlgScheduleGroupWin::kConsoleType);
    catalogue.RegisterWindow<DlgScheduleGroupWinAddSlot>(DlgScheduleGroupWinAddSlot::kWindowType);
}
