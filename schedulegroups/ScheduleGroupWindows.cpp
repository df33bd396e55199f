#include "schedulegroups/ScheduleGroupWindows.h"
#include "app/WindowCatalogue.h"
#include "schedulegroups/DlgScheduleGroup.h"
#include "schedulegroups/DlgScheduleGroupDlg.h"

void RegisterScheduleGroupWindows(WindowCatalogue& catalogue)
{
    // The schedule-group form.
    catalogue.RegisterWindow<DlgScheduleGroupDlg>(DlgScheduleGroupDlg::kWindowType);
    // The schedule-group view.
    catalogue.RegisterPane<DlgScheduleGroup>(DlgScheduleGroup::kConsoleType);
}
