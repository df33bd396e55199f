#include "lists/ListWindows.h"
#include "app/WindowCatalogue.h"

void RegisterListWindows(WindowCatalogue& catalogue)
{
    (void)catalogue;
}
