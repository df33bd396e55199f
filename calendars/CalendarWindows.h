#pragma once
// Registers the deployment-window editor, add-slots window and schedule chart with the window catalogue.
class WindowCatalogue;

void RegisterCalendarWindows(WindowCatalogue& catalogue);
