#pragma once
// Registers the person, administrator and computer panes and forms with the window catalogue.
class WindowCatalogue;

void RegisterPeopleWindows(WindowCatalogue& catalogue);
