#include "schedulegroups/ScheduleGroupWindows.h"
#include "app/WindowCatalogue.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"

void RegisterScheduleGroupWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;

    // The schedule-group form.
    catalogue.RegisterWindow<DlgScheduleGroupDlg>(DlgScheduleGroupDlg::kWindowType);
}
