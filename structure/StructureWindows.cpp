#include "structure/StructureWindows.h"
#include "app/WindowCatalogue.h"
#include "structure/DlgGroup.h"
#include "structure/DlgOU.h"
#include "structure/DlgRoute.h"
#include "structure/DlgStructure.h"

void RegisterStructureWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterWindow<DlgOU>(DlgOU::kWindowType);
    catalogue.RegisterWindow<DlgRoute>(DlgRoute::kWindowType);
    catalogue.RegisterPane<DlgStructure>(DlgStructure::kConsoleType);
    catalogue.RegisterWindow<DlgGroup>(DlgGroup::kWindowType);
}
