#include "schedulegroups/ScheduleGroupWindows.h"
#include "app/WindowCatalogue.h"

void RegisterScheduleGroupWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;
}
