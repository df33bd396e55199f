#include "people/PeopleWindows.h"
#include "app/WindowCatalogue.h"

void RegisterPeopleWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;
}
