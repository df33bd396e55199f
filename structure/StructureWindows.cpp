#include "structure/StructureWindows.h"
#include "app/WindowCatalogue.h"
#include "structure/DlgOU.h"

void RegisterStructureWindows(WindowCatalogue& catalogue)
{
    catalogue.RegisterWindow<DlgOU>(DlgOU::kWindowType);
}
