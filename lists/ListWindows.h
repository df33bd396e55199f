#pragma once
// Registers the list panes and pickers with the window catalogue.
class WindowCatalogue;

void RegisterListWindows(WindowCatalogue& catalogue);
