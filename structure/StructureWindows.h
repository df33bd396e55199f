#pragma once
// Registers the organisation structure forms and panes with the window catalogue.
class WindowCatalogue;

void RegisterStructureWindows(WindowCatalogue& catalogue);
