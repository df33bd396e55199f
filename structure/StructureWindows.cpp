#include "structure/StructureWindows.h"
#include "app/WindowCatalogue.h"
#include "structure/DlgGroup.h"
#include "structure/DlgOU.h"
#include "structure/DlgOrganisation.h"
#include "structure/DlgRoute.h"
#include "structure/DlgSite.h"
#include "structure/DlgStructure.h"

void RegisterStructureWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterWindow<DlgOU>(DlgOU::kWindowType);
    catalogue.RegisterWindow<DlgRoute>(DlgRoute::kWindowType);
    catalogue.RegisterPane<DlgStructure>(DlgStructure::kConsoleType);
    catalogue.RegisterWindow<DlgGroup>(DlgGroup::kWindowType);
    catalogue.RegisterPane<DlgSite>(DlgSite::kConsoleType);
    catalogue.RegisterPane<DlgOrganisation>(DlgOrganisation::kConsoleType);
}
