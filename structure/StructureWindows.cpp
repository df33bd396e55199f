#include "structure/StructureWindows.h"
#include "app/WindowCatalogue.h"

void RegisterStructureWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;
}
