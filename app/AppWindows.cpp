#include "app/AppWindows.h"

#include "app/DlgAbout.h"
#include "app/DlgAdmin.h"
#include "app/DlgChangePassword.h"
#include "app/DlgConnect.h"
#include "app/DlgConnecting.h"
#include "app/DlgDataPoint.h"
#include "app/DlgSearch.h"
#include "app/WindowCatalogue.h"

void RegisterAppWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterPane<DlgConnect>(DlgConnect::kConsoleType);
    catalogue.RegisterPane<DlgConnecting>(DlgConnecting::kConsoleType);
    catalogue.RegisterPane<DlgAbout>(DlgAbout::kConsoleType);
    catalogue.RegisterPane<DlgChangePassword>(DlgChangePassword::kConsoleType);
    catalogue.RegisterPane<DlgSearch>(DlgSearch::kConsoleType);
    catalogue.RegisterPane<DlgAdmin>(DlgAdmin::kConsoleType);
    catalogue.RegisterPane<DlgDataPoint>(DlgDataPoint::kConsoleType);
}
