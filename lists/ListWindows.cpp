#include "lists/ListWindows.h"
#include "app/WindowCatalogue.h"
#include "lists/DlgList.h"
#include "lists/DlgListKinds.h"
#include "lists/DlgPopupDDLB.h"
#include "lists/DlgSelectAccessList.h"
#include "lists/DlgSelectAsset.h"
#include "lists/DlgSelectComputer.h"
#include "lists/DlgSelectLocation.h"
#include "lists/DlgSelectObject.h"
#include "lists/DlgSelectPerson.h"
#include "lists/DlgSelectRoute.h"
#include "lists/DlgSelectSite.h"
#include "lists/SettingsTabsPane.h"

void RegisterListWindows(WindowCatalogue& catalogue)
{
    // The object list panes of the setup tabs.
    catalogue.RegisterPane(1015, [](int type) -> CTWndConsole* { return new DlgList(type); });
    catalogue.RegisterPane<DlgListAdministrator>(DlgListAdministrator::kConsoleType);
    catalogue.RegisterPane<DlgListOrganisation>(DlgListOrganisation::kConsoleType);
    catalogue.RegisterPane<DlgListGroups>(DlgListGroups::kConsoleType);
    catalogue.RegisterPane<DlgListSlots>(DlgListSlots::kConsoleType);
    catalogue.RegisterPane<DlgListReports>(DlgListReports::kConsoleType);

    // The settings pane with its list tabs.
    catalogue.RegisterPane(SettingsTabsPane::kConsoleType, [](int) -> CTWndConsole* { return new SettingsTabsPane(); });

    // Pickers.
    catalogue.RegisterWindow<DlgSelectPerson>(DlgPicker::kTypePerson);
    catalogue.RegisterWindow<DlgSelectUser>(DlgPicker::kTypeUser);
    catalogue.RegisterWindow<DlgSelectRoute>(DlgPicker::kTypeRoute);
    catalogue.RegisterWindow<DlgSelectLocation>(DlgPicker::kTypeLocation);
    catalogue.RegisterWindow<DlgSelectSite>(DlgPicker::kTypeSite);
    catalogue.RegisterWindow<DlgSelectAsset>(DlgSelectAsset::kType);
    catalogue.RegisterWindow<DlgPopupDDLB>(DlgPopupDDLB::kType);
    catalogue.RegisterWindow<DlgSelectObject>(DlgSelectObject::kType);
    catalogue.RegisterWindow<DlgSelectAccessList>(DlgSelectAccessList::kType);
    catalogue.RegisterWindow<DlgSelectComputer>(DlgSelectComputer::kType);
}
