#pragma once
// Registers the schedule-group views and forms with the window catalogue.
class WindowCatalogue;

void RegisterScheduleGroupWindows(WindowCatalogue& catalogue);
