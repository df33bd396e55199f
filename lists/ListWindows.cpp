#include "lists/ListWindows.h"
#include "app/WindowCatalogue.h"
#include "lists/DlgList.h"
#include "lists/DlgListKinds.h"

void RegisterListWindows(WindowCatalogue& catalogue)
{
    // The object list panes of the setup tabs.
    catalogue.RegisterPane(1015, [](int type) -> CTWndConsole* { return new DlgList(type); });
    catalogue.RegisterPane<DlgListAdministrator>(DlgListAdministrator::kConsoleType);
    catalogue.RegisterPane<DlgListOrganisation>(DlgListOrganisation::kConsoleType);
    catalogue.RegisterPane<DlgListGroups>(DlgListGroups::kConsoleType);
    catalogue.RegisterPane<DlgListSlots>(DlgListSlots::kConsoleType);
    catalogue.RegisterPane<DlgListReports>(DlgListReports::kConsoleType);

    (void)catalogue;
}
