#include "people/PeopleWindows.h"
#include "app/WindowCatalogue.h"
#include "people/DlgAdministratorDlg.h"
#include "people/DlgComputerStock.h"

void RegisterPeopleWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterWindow<DlgComputerStock>(DlgComputerStock::kWindowType);
    catalogue.RegisterWindow<DlgAdministratorDlg>(DlgAdministratorDlg::kWindowType);
}
