#include "people/PeopleWindows.h"
#include "app/WindowCatalogue.h"
#include "people/DlgComputer.h"
#include "people/DlgAdministratorDlg.h"
#include "people/DlgComputerStock.h"

void RegisterPeopleWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterWindow<DlgComputerStock>(DlgComputerStock::kWindowType);
    for (int console : {static_cast<int>(DlgComputer::kConsoleType), static_cast<int>(DlgComputer::kConsoleNew)})
        catalogue.RegisterPane(console, [](int type) -> CTWndConsole* { return new DlgComputer(type); });
    catalogue.RegisterWindow<DlgAdministratorDlg>(DlgAdministratorDlg::kWindowType);
}
